#pragma once
// Whether the texts of a dialog's statics, buttons, check boxes and radio buttons fit their
// controls, measured in each control's own font the way the controls draw them.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

struct KstClippedText {
    int dialog;
    int control;
    bool english;
    std::string text;
    int needed;     // pixels
    int available;  // pixels
    bool height;    // a word-wrapped text measured against the control's height
};

namespace kst_text_fit {

// Room a push button's border and focus rectangle take from its text, both sides together.
constexpr int kButtonMargin = 8;
// A group box's text sits between the frame's corner and the rest of its top line.
constexpr int kGroupBoxMargin = 16;

struct Measure {
    int needed;
    int available;
    bool height;
};

inline std::string ClassOf(HWND control)
{
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    return name;
}

// The text as drawn: "&&" shows one ampersand, a single "&" underlines the next letter.
inline std::string WithoutPrefix(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
        }
        shown += text[i];
    }
    return shown;
}

inline int LineWidth(HDC dc, const std::string& text)
{
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// A check box's or radio button's box and the gap before its text.
inline int BoxWidth(HDC dc)
{
    INT zero = 0;
    GetCharWidth32A(dc, '0', '0', &zero);
    return GetSystemMetrics(SM_CXMENUCHECK) + zero / 2;
}

// The text word-wrapped into `width`: the height it takes, and against the height it has.
inline Measure Wrapped(HDC dc, const std::string& text, int width, int height, UINT prefix)
{
    RECT rect{0, 0, width, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | prefix);
    if (rect.right > width) {  // a word longer than a line
        return {static_cast<int>(rect.right), width, false};
    }
    return {static_cast<int>(rect.bottom), height, true};
}

// False for a control that shows no text of its own (pictures, frames, owner-drawn ones).
inline bool MeasureStatic(HDC dc, LONG style, const std::string& text, RECT client, Measure& out)
{
    const LONG type = style & SS_TYPEMASK;
    if ((style & SS_ELLIPSISMASK) != 0 ||
        (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE &&
         type != SS_LEFTNOWORDWRAP)) {
        return false;
    }
    const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    const std::string shown = prefix ? text : WithoutPrefix(text);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    if (wraps && client.bottom >= 2 * metrics.tmHeight) {
        out = Wrapped(dc, text, client.right, client.bottom, prefix);
    } else {
        out = {LineWidth(dc, shown), static_cast<int>(client.right), false};
    }
    return true;
}

inline bool MeasureButton(HDC dc, LONG style, const std::string& text, RECT client, Measure& out)
{
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_OWNERDRAW || type == BS_USERBUTTON || (style & (BS_BITMAP | BS_ICON))) {
        return false;
    }
    const bool box =
        (style & BS_PUSHLIKE) == 0 &&
        (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
         type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
    const int taken = type == BS_GROUPBOX ? kGroupBoxMargin : box ? BoxWidth(dc) : kButtonMargin;
    if (style & BS_MULTILINE) {
        out = Wrapped(dc, text, client.right - taken, client.bottom, 0);
        return true;
    }
    out = {LineWidth(dc, WithoutPrefix(text)) + taken, static_cast<int>(client.right), false};
    return true;
}

struct Search {
    int dialogId;
    bool english;
    std::vector<KstClippedText>* found;
};

inline BOOL CALLBACK CheckControl(HWND control, LPARAM param)
{
    const Search& search = *reinterpret_cast<Search*>(param);
    const std::string className = ClassOf(control);
    const bool isStatic = lstrcmpiA(className.c_str(), "Static") == 0;
    if (!isStatic && lstrcmpiA(className.c_str(), "Button") != 0) {
        return TRUE;
    }
    char buffer[1024] = {};
    GetWindowTextA(control, buffer, sizeof buffer);
    const std::string text = buffer;
    if (text.empty()) {
        return TRUE;
    }
    RECT client{};
    GetClientRect(control, &client);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    HDC dc = GetDC(control);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    Measure measure{};
    const bool measured = isStatic ? MeasureStatic(dc, style, text, client, measure)
                                   : MeasureButton(dc, style, text, client, measure);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    if (measured && measure.needed > measure.available) {
        search.found->push_back({search.dialogId, GetDlgCtrlID(control), search.english, text,
                                 measure.needed, measure.available, measure.height});
    }
    return TRUE;
}

}  // namespace kst_text_fit

// Every static, button, check box and radio button of the dialog (shown or not, on every level)
// whose text the control cuts off.
inline std::vector<KstClippedText> FindClippedTexts(HWND dialog, int dialogId, bool english)
{
    std::vector<KstClippedText> found;
    kst_text_fit::Search search{dialogId, english, &found};
    EnumChildWindows(dialog, kst_text_fit::CheckControl, reinterpret_cast<LPARAM>(&search));
    return found;
}

// The control's text (ANSI code page) as UTF-8 on one line, for a terminal to show.
inline std::string PrintableText(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(),
                                                        static_cast<int>(text.size()), &wide[0],
                                                        static_cast<int>(wide.size()))));
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0],
                            static_cast<int>(utf8.size()), nullptr, nullptr)));
    for (char& c : utf8) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return utf8;
}

// One line per clipped text: dialog, control, language, needed and available pixels, text.
inline std::string FormatClippedTexts(const std::vector<KstClippedText>& clipped)
{
    std::string table = "dialog  control  lang  needed  available  text\n";
    for (const KstClippedText& c : clipped) {
        char row[128];
        std::snprintf(row, sizeof row, "%6d  %7d  %4s  %5d%c  %8d%c  ", c.dialog, c.control,
                      c.english ? "en" : "de", c.needed, c.height ? 'h' : 'w', c.available,
                      c.height ? 'h' : 'w');
        table += row + PrintableText(c.text) + "\n";
    }
    return table;
}
