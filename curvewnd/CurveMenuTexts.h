#pragma once
// The texts of the curve window's popup menus: which string names each command, and which
// names the submenus of the main menu (by position). German under the id, English under id +
// 1000.

#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

struct KstCurveMenuText {
    int command;  // command id; 0 for a submenu
    int position; // submenu position in the popup, -1 for a command
    int stringId;
};

inline constexpr KstCurveMenuText kKstCurveMenuTexts[] = {
    {ID_CURVE_BAR_SETTINGS, -1, KST_STR_CW_SETTINGS},
    {ID_CURVE_POINTER_SETTINGS, -1, KST_STR_CW_SETTINGS},
    {ID_CURVE_COPY_TO_CLIPBOARD, -1, KST_STR_CW_COPY_TO_CLIPBOARD},
    {ID_CURVE_TOTAL_REZOOM, -1, KST_STR_CW_TOTAL_REZOOM},
    {ID_CURVE_STEP_REZOOM, -1, KST_STR_CW_STEP_REZOOM},
    {ID_CURVE_REZOOM_X_RANGE, -1, KST_STR_CW_REZOOM_X_RANGE},
    {ID_CURVE_SIMPLE_MEASURE, -1, KST_STR_CW_SIMPLE_MEASURE},
    {ID_CURVE_DIFF_MEASURE, -1, KST_STR_CW_DIFF_MEASURE},
    {ID_CURVE_CREATE_MARKER, -1, KST_STR_CW_CREATE_MARKER},
    {ID_CURVE_CREATE_LIMIT, -1, KST_STR_CW_CREATE_LIMIT},
    {ID_CURVE_SHOW_AS_TABLE, -1, KST_STR_CW_SHOW_AS_TABLE},
    {0, 10, KST_STR_CW_MENU_EDIT},
    {ID_CURVE_EDIT_X_AXIS, -1, KST_STR_CW_X_AXIS},
    {ID_CURVE_EDIT_Y_AXIS, -1, KST_STR_CW_Y_AXIS},
    {ID_CURVE_EDIT_CURVE, -1, KST_STR_CW_CURVE_OPTIONS},
    {ID_CURVE_COMMON_OPTIONS, -1, KST_STR_CW_COMMON_OPTIONS},
    {0, 11, KST_STR_CW_MENU_VIEW},
    {ID_CURVE_ALL_CURVES_VISIBLE, -1, KST_STR_CW_ALL_CURVES_VISIBLE},
    {ID_CURVE_ALL_CURVES_HIDDEN, -1, KST_STR_CW_ALL_CURVES_HIDDEN},
    {ID_CURVE_ALL_MARKERS_VISIBLE, -1, KST_STR_CW_ALL_MARKERS_VISIBLE},
    {ID_CURVE_ALL_MARKERS_ICONS, -1, KST_STR_CW_ALL_MARKERS_ICONS},
    {ID_CURVE_ALL_MARKERS_HIDDEN, -1, KST_STR_CW_ALL_MARKERS_HIDDEN},
    {ID_CURVE_EQUAL_HEIGHT, -1, KST_STR_CW_EQUAL_HEIGHT},
    {0, 12, KST_STR_CW_MENU_EXTRAS},
};

// The menu resource of a display kind: bar (2) and pointer instrument (4) have their own.
inline constexpr int KstCurveMenuOf(unsigned displayKind)
{
    return displayKind == 2 ? IDR_BAR_POPUP : displayKind == 4 ? IDR_POINTER_POPUP : IDR_CURVE_POPUP;
}
