#include <windows.h>

#include "data/ProcessLayout.h"

uint32_t KstSystemButtonFaceColor()
{
    return static_cast<uint32_t>(GetSysColor(COLOR_BTNFACE));
}
