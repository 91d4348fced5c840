#include <windows.h>

#include "curvewnd/settings/SettingsColors.h"

uint32_t KstSystemMenuColor()
{
    return GetSysColor(COLOR_MENU);
}
