#include <windows.h>

#include "data/settings/SettingsColors.h"

uint32_t KstSystemMenuColor()
{
    return GetSysColor(COLOR_MENU);
}

uint32_t KstSystemButtonFaceColor()
{
    return GetSysColor(COLOR_BTNFACE);
}
