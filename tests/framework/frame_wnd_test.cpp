#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "shell_test_support.h"

namespace {

using kst_test::PumpUntil;
using kst_test::TestApp;
using kst_test::TheShellLog;

class FrameWndTest : public kst_test::ShellTest {
protected:
    HMENU Popup(int position) { return GetSubMenu(GetMenu(Frame().m_hWnd), position); }
    UINT StateOf(HMENU menu, UINT id) { return GetMenuState(menu, id, MF_BYCOMMAND); }
    CKSTString StatusText() { return Frame().m_wndStatusBar.GetPaneText(0); }
    RECT ChildRect(HWND child)
    {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, Frame().m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
};

TEST_F(FrameWndTest, ACommandRunsAtTheFirstOfViewDocumentFrameAndApplication)
{
    ASSERT_TRUE(StartApp());
    struct Case {
        UINT id;
        const char* expected;  // empty: nobody handles it
    };
    const Case cases[] = {
        {ID_TEST_VIEW_CMD, "view 40101"},  // handled by all four
        {ID_TEST_DOC_CMD, "document 40102"},    {ID_TEST_FRAME_CMD, "frame 40103"},
        {ID_TEST_APP_CMD, "application 40104"}, {ID_TEST_NO_HANDLER, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        TheShellLog().commands.clear();
        Frame().SendMessage(WM_COMMAND, MAKEWPARAM(c.id, 0), 0);
        if (*c.expected) {
            EXPECT_EQ(std::vector<std::string>{c.expected}, TheShellLog().commands);
        } else {
            EXPECT_TRUE(TheShellLog().commands.empty());
        }
    }

    // Accelerators and toolbar buttons take the same route.
    TheShellLog().commands.clear();
    Frame().SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_DOC_CMD, 1), 0);
    Frame().SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_VIEW_CMD, BN_CLICKED),
                        reinterpret_cast<LPARAM>(Frame().m_wndToolBar.m_hWnd));
    EXPECT_EQ((std::vector<std::string>{"document 40102", "view 40101"}), TheShellLog().commands);
}

TEST_F(FrameWndTest, OpeningAPopupUpdatesItsItemsAlongTheRoute)
{
    ASSERT_TRUE(StartApp());
    HMENU test = Popup(1);
    TheShellLog().checkedChoice = ID_TEST_CHOICE_FIRST + 1;
    Frame().SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(test), MAKELPARAM(1, FALSE));

    struct Case {
        UINT id;
        bool enabled;
        bool checked;
    };
    const Case cases[] = {
        {ID_TEST_VIEW_CMD, true, false},      // a command handler, no update handler
        {ID_TEST_APP_CMD, true, false},       // the same at the end of the route
        {ID_TEST_NO_HANDLER, false, false},   // no handler at all
        {ID_TEST_DISABLED, false, false},     // the document's update handler wins
        {ID_TEST_CHOICE_FIRST, true, false},  // the view's range handler, no command handler
        {ID_TEST_CHOICE_FIRST + 1, true, true}, {ID_TEST_CHOICE_LAST, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const UINT state = StateOf(test, c.id);
        EXPECT_EQ(!c.enabled, (state & MF_GRAYED) != 0);
        EXPECT_EQ(c.checked, (state & MF_CHECKED) != 0);
    }
    // Items of a submenu wait for their own popup.
    EXPECT_FALSE(StateOf(GetSubMenu(test, 9), ID_TEST_NO_HANDLER) & MF_GRAYED);

    // The window menu is the system's.
    HMENU system = GetSystemMenu(Frame().m_hWnd, FALSE);
    const UINT closeState = StateOf(system, SC_CLOSE);
    Frame().SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, TRUE));
    EXPECT_EQ(closeState, StateOf(system, SC_CLOSE));
}

TEST_F(FrameWndTest, IdleUpdatesTheToolbarButtons)
{
    ASSERT_TRUE(StartApp());
    TestApp& app = *m_app;
    HWND toolBar = Frame().m_wndToolBar.m_hWnd;
    auto enabled = [&](UINT id) { return SendMessageA(toolBar, TB_ISBUTTONENABLED, id, 0) != 0; };
    auto checked = [&](UINT id) { return SendMessageA(toolBar, TB_ISBUTTONCHECKED, id, 0) != 0; };
    ASSERT_EQ(5, Frame().m_wndToolBar.GetCount());
    ASSERT_TRUE(enabled(ID_TEST_NO_HANDLER)) << "buttons start enabled";

    TheShellLog().checkedChoice = ID_TEST_CHOICE_FIRST + 1;
    app.OnIdle(0);
    EXPECT_TRUE(enabled(ID_TEST_VIEW_CMD));
    EXPECT_FALSE(enabled(ID_TEST_DISABLED));
    EXPECT_FALSE(enabled(ID_TEST_NO_HANDLER));
    EXPECT_TRUE(checked(ID_TEST_CHOICE_FIRST + 1));

    TheShellLog().checkedChoice = ID_TEST_CHOICE_FIRST;
    app.OnIdle(0);
    EXPECT_FALSE(checked(ID_TEST_CHOICE_FIRST + 1));
}

TEST_F(FrameWndTest, TheHighlightedMenuItemShowsItsPromptUntilTheMenuCloses)
{
    ASSERT_TRUE(StartApp());
    TestApp& app = *m_app;
    app.OnIdle(0);
    EXPECT_EQ(CKSTString("Ready"), StatusText()) << "the idle prompt after start";

    HMENU test = Popup(1);
    struct Case {
        const char* what;
        WPARAM wParam;
        LPARAM lParam;
        const char* expected;
    };
    const Case cases[] = {
        {"a command: its prompt up to the line break", MAKEWPARAM(ID_TEST_VIEW_CMD, MF_HILITE),
         reinterpret_cast<LPARAM>(test), "Runs the view's command"},
        {"a submenu shows nothing", MAKEWPARAM(9, MF_HILITE | MF_POPUP),
         reinterpret_cast<LPARAM>(test), ""},
        {"a command without a prompt string shows nothing",
         MAKEWPARAM(ID_TEST_NO_HANDLER, MF_HILITE), reinterpret_cast<LPARAM>(test), ""},
        {"a prompt without a line break", MAKEWPARAM(ID_TEST_DOC_CMD, MF_HILITE),
         reinterpret_cast<LPARAM>(test), "Runs the document's command"},
        {"the menu closed", MAKEWPARAM(0, 0xFFFF), 0, "Ready"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Frame().SendMessage(WM_MENUSELECT, c.wParam, c.lParam);
        EXPECT_EQ(CKSTString(c.expected), StatusText());
    }

    // Idle restores the prompt being tracked after the program wrote something else.
    Frame().SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_TEST_VIEW_CMD, MF_HILITE),
                        reinterpret_cast<LPARAM>(test));
    Frame().SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    Frame().m_wndStatusBar.SetWindowText("written by the program");
    app.OnIdle(0);
    EXPECT_EQ(CKSTString("written by the program"), StatusText())
        << "the idle prompt was shown already and is not forced again";
}

TEST_F(FrameWndTest, TheToolbarButtonUnderTheMouseShowsItsPrompt)
{
    ASSERT_TRUE(StartApp());
    NMTBHOTITEM hot{};
    hot.hdr.hwndFrom = Frame().m_wndToolBar.m_hWnd;
    hot.hdr.idFrom = AFX_IDW_TOOLBAR;
    hot.hdr.code = TBN_HOTITEMCHANGE;
    hot.idNew = ID_TEST_VIEW_CMD;
    hot.dwFlags = HICF_MOUSE | HICF_ENTERING;
    Frame().SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&hot));
    EXPECT_EQ(CKSTString("Runs the view's command"), StatusText());
    m_app->OnIdle(0);
    EXPECT_EQ(CKSTString("Runs the view's command"), StatusText()) << "idle keeps it";

    hot.idOld = ID_TEST_VIEW_CMD;
    hot.idNew = 0;
    hot.dwFlags = HICF_MOUSE | HICF_LEAVING;
    Frame().SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&hot));
    EXPECT_EQ(CKSTString("Ready"), StatusText());
}

TEST_F(FrameWndTest, FilesDroppedFromTheShellReachTheFramesHandler)
{
    ASSERT_TRUE(StartApp());
    const std::string files[] = {"C:\\data\\first.kxd", "C:\\data\\second file.kxd"};
    std::string list;
    for (const std::string& file : files) {
        list += file;
        list += '\0';
    }
    list += '\0';
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    ASSERT_NE(nullptr, drop);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(drop);

    Frame().PostMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_TRUE(PumpUntil([] { return TheShellLog().dropped.size() == 2; }));
    EXPECT_EQ((std::vector<std::string>{files[0], files[1]}), TheShellLog().dropped);
}

TEST_F(FrameWndTest, BarsAndViewShareTheClientAreaAndBarsShowAndHide)
{
    ASSERT_TRUE(StartApp());
    HWND view = GetDlgItem(Frame().m_hWnd, AFX_IDW_PANE_FIRST);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(view, Frame().GetActiveView()->m_hWnd);
    EXPECT_FALSE(GetWindowLongA(view, GWL_STYLE) & WS_BORDER) << "the view's PreCreateWindow";
    RECT client;
    Frame().GetClientRect(&client);
    const RECT toolBar = ChildRect(Frame().m_wndToolBar.m_hWnd);
    const RECT statusBar = ChildRect(Frame().m_wndStatusBar.m_hWnd);
    RECT viewRect = ChildRect(view);
    EXPECT_EQ(0, toolBar.top);
    EXPECT_GT(toolBar.bottom, 0);
    EXPECT_EQ(toolBar.bottom, viewRect.top);
    EXPECT_EQ(statusBar.top, viewRect.bottom);
    EXPECT_EQ(client.bottom, statusBar.bottom);

    HMENU viewMenu = Popup(2);
    auto checkedInMenu = [&](UINT id) {
        Frame().SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(viewMenu), 2);
        return (StateOf(viewMenu, id) & MF_CHECKED) != 0;
    };
    EXPECT_TRUE(checkedInMenu(ID_VIEW_TOOLBAR));
    Frame().SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    EXPECT_FALSE(Frame().m_wndToolBar.IsWindowVisible());
    EXPECT_FALSE(checkedInMenu(ID_VIEW_TOOLBAR));
    viewRect = ChildRect(view);
    EXPECT_EQ(0, viewRect.top) << "the view takes the toolbar's place";

    Frame().SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    EXPECT_EQ(client.bottom, ChildRect(view).bottom);
    Frame().SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    Frame().SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    EXPECT_EQ(toolBar.bottom, ChildRect(view).top);
    EXPECT_EQ(statusBar.top, ChildRect(view).bottom);
    EXPECT_TRUE(checkedInMenu(ID_VIEW_STATUS_BAR));
}

TEST_F(FrameWndTest, AReplacedMenuIsDestroyed)
{
    ASSERT_TRUE(StartApp());
    HMENU old = GetMenu(Frame().m_hWnd);
    ASSERT_TRUE(IsMenu(old));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TEST_SHELL));
    HMENU replacement = menu.GetSafeHmenu();
    ASSERT_TRUE(Frame().ReplaceMenu(menu));
    EXPECT_EQ(replacement, GetMenu(Frame().m_hWnd));
    EXPECT_EQ(nullptr, menu.GetSafeHmenu()) << "the frame owns it now";
    EXPECT_FALSE(IsMenu(old));

    CMenu empty;
    EXPECT_FALSE(Frame().ReplaceMenu(empty));
    EXPECT_EQ(replacement, GetMenu(Frame().m_hWnd));
}

TEST_F(FrameWndTest, ClosingTheMainFrameEndsTheMessageLoop)
{
    ASSERT_TRUE(StartApp());
    TestApp& app = *m_app;
    Frame().PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_EQ(0, app.Run());
    EXPECT_EQ(nullptr, AfxGetMainWnd());
}

}  // namespace
