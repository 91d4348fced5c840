#include "elements/ElementDialogMappings.h"

int KstTextAlignmentIndex(int32_t code)
{
    switch (code) {
    case 0:
        return 0;
    case 4:
        return 1;
    case 1:
        return 2;
    default:
        return -1;
    }
}

int32_t KstTextAlignmentCode(int index)
{
    switch (index) {
    case 0:
        return 0;
    case 2:
        return 1;
    default:
        return 4;
    }
}

int KstButtonStyleIndex(uint32_t style)
{
    switch (style) {
    case 1:
        return 0;
    case 0:
        return 1;
    case 2:
        return 2;
    default:
        return -1;
    }
}

uint32_t KstButtonStyleCode(int index)
{
    switch (index) {
    case 0:
        return 1;
    case 1:
        return 0;
    default:
        return 2;
    }
}
