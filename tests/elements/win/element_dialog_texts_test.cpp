// The settings dialogs of the text and button elements show every label whole in both
// languages: no text is wider than its control.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "elements/win/ButtonWnd.h"
#include "elements/win/StaticWnd.h"
#include "elements/win/element_test_support.h"
#include "support/win/DialogScript.h"

namespace {

struct Clipped {
    int id;
    std::string text;
    int needed;
    int available;
};

// Static texts, check boxes and push buttons whose text is wider than the control shows.
std::vector<Clipped> ClippedLabels(HWND dialog)
{
    std::vector<Clipped> clipped;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        char text[256] = {};
        GetWindowTextA(child, text, sizeof text);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        const LONG kind = style & BS_TYPEMASK;
        const bool isStatic = lstrcmpiA(className, "Static") == 0;
        const bool isButton = lstrcmpiA(className, "Button") == 0 && kind != BS_OWNERDRAW &&
                              kind != BS_GROUPBOX;
        if ((!isStatic && !isButton) || text[0] == '\0') {
            continue;
        }
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        RECT client{};
        GetClientRect(child, &client);
        const bool check = isButton && (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX);
        // A check box gives its glyph and a gap of the width.
        const int available = client.right - (check ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0);
        if (extent.cx > available) {
            clipped.push_back(Clipped{GetDlgCtrlID(child), text, extent.cx, available});
        }
    }
    return clipped;
}

class ElementDialogTextsTest : public kst_test::ElementWindowTest,
                               public ::testing::WithParamInterface<uint32_t> {
protected:
    std::vector<Clipped> Run(std::function<void()> open)
    {
        std::vector<Clipped> found;
        bool ran = false;
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run([&](CWnd& dialog) {
            found = ClippedLabels(dialog.m_hWnd);
            ran = true;
        });
        open();
        EXPECT_TRUE(ran);
        return found;
    }
};

TEST_P(ElementDialogTextsTest, TextElementDialogShowsEveryLabelWhole)
{
    CKSTStaticWnd element;
    element.SetLanguage(GetParam());
    element.Create(&parent, 0, RECT{0, 0, 50, 20});
    for (const Clipped& c : Run([&] { element.Configure(); })) {
        ADD_FAILURE() << c.id << " \"" << c.text << "\" needs " << c.needed << " of " << c.available;
    }
}

TEST_P(ElementDialogTextsTest, ButtonDialogShowsEveryLabelWhole)
{
    kst_test::FakeElementOwner owner;
    CKSTButtonWnd button;
    button.SetLanguage(GetParam());
    button.Create(&parent, &owner, WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 20});
    for (const Clipped& c : Run([&] { button.Configure(); })) {
        ADD_FAILURE() << c.id << " \"" << c.text << "\" needs " << c.needed << " of " << c.available;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ElementDialogTextsTest, ::testing::Values(0u, 1u),
                         [](const ::testing::TestParamInfo<uint32_t>& info) {
                             return std::string(info.param ? "English" : "German");
                         });

}  // namespace
