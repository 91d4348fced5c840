#pragma once
// Which texts of a dialog do not fit their controls, measured in the control's own font on the
// device: labels, group boxes, check boxes, push buttons and the items of drop-down lists; and
// which controls lie on top of each other.
#include <windows.h>

#include <string>
#include <vector>

namespace kst_test {

inline SIZE TextSize(HWND control, const std::string& text)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT box = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &box, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {box.right - box.left, box.bottom - box.top};
}

inline std::string ClassOf(HWND control)
{
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    return name;
}

// The room a control leaves for its text: the check box's box and the frames of buttons and
// group boxes are taken off.
inline int TextRoom(HWND control, int width)
{
    const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    if (ClassOf(control) != "Button") {
        return width;
    }
    switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return width - GetSystemMetrics(SM_CXMENUCHECK) - 4;
        case BS_GROUPBOX:
            return width - 16;
        default:
            return width - 6;
    }
}

inline BOOL CALLBACK CollectClipped(HWND control, LPARAM param)
{
    auto* clipped = reinterpret_cast<std::vector<std::string>*>(param);
    RECT client;
    GetClientRect(control, &client);
    const std::string type = ClassOf(control);
    if (type == "ComboBox") {
        const int room = client.right - GetSystemMetrics(SM_CXVSCROLL) - 4;
        const int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char item[256] = {};
            SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            if (TextSize(control, item).cx > room) {
                clipped->push_back(item);
            }
        }
        return TRUE;
    }
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    if ((type != "Static" && type != "Button") ||
        (type == "Button" && (style & BS_TYPEMASK) == BS_OWNERDRAW)) {
        return TRUE;
    }
    char text[512] = {};
    GetWindowTextA(control, text, sizeof text);
    if (text[0] == '\0') {
        return TRUE;
    }
    const SIZE size = TextSize(control, text);
    if (size.cx > TextRoom(control, client.right) || size.cy > client.bottom) {
        clipped->push_back(text);
    }
    return TRUE;
}

inline std::vector<std::string> ClippedTexts(HWND dialog)
{
    std::vector<std::string> clipped;
    EnumChildWindows(dialog, CollectClipped, reinterpret_cast<LPARAM>(&clipped));
    return clipped;
}

inline BOOL CALLBACK CollectControl(HWND control, LPARAM param)
{
    const bool groupBox = ClassOf(control) == "Button" &&
                          (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
    if (!groupBox) {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(control);
    }
    return TRUE;
}

// "id/id" for every two controls (group boxes aside) whose rectangles intersect.
inline std::vector<std::string> OverlappingControls(HWND dialog)
{
    std::vector<HWND> controls;
    EnumChildWindows(dialog, CollectControl, reinterpret_cast<LPARAM>(&controls));
    std::vector<std::string> overlaps;
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            RECT a, b, common;
            GetWindowRect(controls[i], &a);
            GetWindowRect(controls[j], &b);
            if (IntersectRect(&common, &a, &b)) {
                overlaps.push_back(std::to_string(GetDlgCtrlID(controls[i])) + "/" +
                                   std::to_string(GetDlgCtrlID(controls[j])));
            }
        }
    }
    return overlaps;
}

}  // namespace kst_test
