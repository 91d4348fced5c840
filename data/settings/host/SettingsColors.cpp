#include "data/settings/SettingsColors.h"

uint32_t KstSystemMenuColor()
{
    return 0xF0F0F0u;
}

uint32_t KstSystemButtonFaceColor()
{
    return 0xF0F0F0u;
}
