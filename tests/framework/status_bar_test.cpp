#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "shell_test_support.h"

namespace {

using kst_test::PumpUntil;

class StatusBarTest : public kst_test::ShellTest {
protected:
    kst_test::TestStatusBar& Bar() { return Frame().m_wndStatusBar; }
    // What the control itself shows in a pane.
    std::string Shown(int pane)
    {
        char text[256] = "";
        const LRESULT info = SendMessageA(Bar().m_hWnd, SB_GETTEXTLENGTHA, pane, 0);
        if (HIWORD(info) & SBT_OWNERDRAW) {
            return "<owner-drawn>";
        }
        SendMessageA(Bar().m_hWnd, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(text));
        return text;
    }
    int PaneWidth(int pane)
    {
        RECT rect{};
        SendMessageA(Bar().m_hWnd, SB_GETRECT, pane, reinterpret_cast<LPARAM>(&rect));
        return rect.right - rect.left;
    }
    int TextWidth(const char* text)
    {
        HDC dc = GetDC(Bar().m_hWnd);
        HFONT font = Bar().GetFont();
        HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        SIZE extent{};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
        SelectObject(dc, old);
        ReleaseDC(Bar().m_hWnd, dc);
        return extent.cx;
    }
};

TEST_F(StatusBarTest, IndicatorPanesAreAsWideAsTheirStringsAndTheSeparatorTakesTheRest)
{
    ASSERT_TRUE(StartApp());
    ASSERT_EQ(3, Bar().GetCount());
    EXPECT_EQ(1, Bar().CommandToIndex(ID_TEST_INDICATOR_WIDE));
    EXPECT_EQ(-1, Bar().CommandToIndex(12345));
    const int wide = PaneWidth(1);
    const int narrow = PaneWidth(2);
    EXPECT_GE(wide, TextWidth("Mem: 51.888 Bytes"));
    EXPECT_GE(narrow, TextWidth("W"));
    EXPECT_GT(wide - narrow, TextWidth("Mem: 51.888 Bytes") - TextWidth("W") - 2);
    RECT client;
    Bar().GetClientRect(&client);
    RECT last{};
    SendMessageA(Bar().m_hWnd, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&last));
    EXPECT_NEAR(client.right, last.right, 2) << "pane 0 stretches";
    for (int pane = 0; pane < 3; ++pane) {
        EXPECT_EQ("", Shown(pane)) << "the framework writes no indicator texts";
    }

    // A wider frame widens only the separator's pane.
    RECT frame;
    Frame().GetWindowRect(&frame);
    Frame().SetWindowPos(nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top,
                         SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(wide, PaneWidth(1));
    EXPECT_EQ(narrow, PaneWidth(2));
}

TEST_F(StatusBarTest, ADisabledPaneKeepsItsTextForWhenItIsEnabledAgain)
{
    ASSERT_TRUE(StartApp());
    Bar().SetPaneText(2, "text of pane 2");
    Bar().SetPaneStyle(2, SBPS_DISABLED);
    EXPECT_EQ("", Shown(2));
    EXPECT_EQ(CKSTString("text of pane 2"), Bar().GetPaneText(2));
    Bar().SetPaneStyle(2, SBPS_NORMAL);
    EXPECT_EQ("text of pane 2", Shown(2));

    // Through the control: a plain text, and one the bar draws itself.
    static const char ownerData[] = "BLACK|GREEN|Mem: 1 kB";
    Bar().GetStatusBarCtrl().SetText("plain", 1, 0);
    EXPECT_EQ("plain", Shown(1));
    Bar().GetStatusBarCtrl().SetText(ownerData, 1, SBT_OWNERDRAW);
    EXPECT_EQ("<owner-drawn>", Shown(1));
    Bar().SetPaneStyle(1, SBPS_DISABLED);
    EXPECT_EQ("", Shown(1));
    Bar().drawnItems.clear();
    Bar().SetPaneStyle(1, SBPS_NORMAL);
    Bar().UpdateWindow();
    EXPECT_TRUE(PumpUntil([&] { return !Bar().drawnItems.empty(); }));
    EXPECT_EQ(static_cast<const void*>(ownerData), Bar().drawnItems.back())
        << "the owner-drawn pane comes back with the program's text";

    HICON icon = LoadIcon(nullptr, IDI_INFORMATION);
    EXPECT_TRUE(Bar().GetStatusBarCtrl().SetIcon(1, icon));
    EXPECT_EQ(icon, reinterpret_cast<HICON>(SendMessageA(Bar().m_hWnd, SB_GETICON, 1, 0)));
    EXPECT_FALSE(Bar().SetPaneText(3, "no such pane"));
}

TEST_F(StatusBarTest, TheWindowTextGoesToThePaneOfIdZero)
{
    ASSERT_TRUE(StartApp());
    EXPECT_EQ(0, Bar().SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("prompt")));
    EXPECT_EQ("prompt", Shown(0));
    EXPECT_EQ(-1, Bar().SendMessage(WM_SETTEXT, 0, 0));

    const UINT withoutSeparator[] = {ID_TEST_INDICATOR_NARROW};
    EXPECT_TRUE(Bar().SetIndicators(withoutSeparator, 1));
    EXPECT_EQ(-1, Bar().SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("prompt")));
    const UINT unknown[] = {ID_SEPARATOR, 12345};
    EXPECT_FALSE(Bar().SetIndicators(unknown, 2)) << "an indicator without a string";
}

}  // namespace
