#include "curvewnd/settings/SettingsColors.h"

uint32_t KstSystemMenuColor()
{
    return 0xF0F0F0u;
}
