#pragma once
// Ids of the program's dialog templates and their controls, shared by the resource script and
// the code. The resource compiler reads only the preprocessor lines of an included .h file, so
// every id is a #define; keep them in numeric order, one definition each.

#define IDD_EDIT_POPUP 916
#define IDC_EDIT_POPUP_TEXT 9163
