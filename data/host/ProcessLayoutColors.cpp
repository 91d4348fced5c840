#include "data/ProcessLayout.h"

uint32_t KstSystemButtonFaceColor()
{
    return 0xF0F0F0u;
}
