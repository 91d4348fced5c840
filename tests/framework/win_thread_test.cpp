#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "framework/Menu.h"
#include "framework/Seams.h"
#include "framework/WinThread.h"
#include "framework/Wnd.h"
#include "framework_test_support.h"
#include "test_resources.h"

namespace {

using kst_test::kGuardMs;
using kst_test::PumpUntil;
using kst_test::WaitPumping;
using kst_test::Watchdog;

constexpr UINT kExtraCommand = 49034;
const char* const kTargetClass = "KSTFrameworkMenuTargetClass";

// The window whose popup menu runs on another thread; records the commands it receives.
class MenuTargetWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    std::vector<UINT> commands;
    DWORD commandThread = 0;

protected:
    void OnAnyCommand(UINT id)
    {
        commands.push_back(id);
        commandThread = GetCurrentThreadId();
    }
};

BEGIN_MESSAGE_MAP(MenuTargetWnd, CWnd)
ON_COMMAND_RANGE(0, 0xFFFF, OnAnyCommand)
END_MESSAGE_MAP()

// As the curve window's menu thread: everything happens in InitInstance, which ends the
// thread itself.
class PopupMenuThread : public CWinThread {
public:
    PopupMenuThread(HWND target, std::atomic<bool>& deleted) : m_target(target), m_deleted(deleted)
    {
    }
    ~PopupMenuThread() override { m_deleted = true; }

    BOOL InitInstance() override
    {
        CWnd host;
        RECT rect{0, 0, 10, 10};
        host.CreateEx(WS_EX_NOPARENTNOTIFY, KstRegisterWndClass(CS_SAVEBITS).c_str(), "", WS_CHILD,
                      rect, CWnd::FromHandle(m_target), 0);
        CMenu menu;
        menu.LoadMenu(IDM_TEST_POPUP);
        CMenu popup = menu.GetSubMenu(0);
        popup.SetMenuItemText(ID_TEST_FIRST, "Erste");
        popup.SetMenuItemText(2, "Mehr", MF_BYPOSITION);
        popup.CheckMenuItem(ID_TEST_SECOND, MF_CHECKED);
        popup.EnableMenuItem(ID_TEST_THIRD, MF_GRAYED);
        popup.AppendMenu(MF_SEPARATOR);
        popup.AppendMenu(MF_STRING, kExtraCommand, "Channel Selection");
        RECT screen{};
        GetWindowRect(m_target, &screen);
        const UINT chosen = popup.TrackPopupMenu(TPM_NONOTIFY | TPM_RETURNCMD, screen.left + 5,
                                                 screen.top + 5, &host);
        menu.DestroyMenu();
        host.DestroyWindow();
        SendMessageA(m_target, WM_COMMAND, chosen, 0);
        AfxEndThread(0);
    }

private:
    HWND m_target;
    std::atomic<bool>& m_deleted;
};

// What the tracking seam saw of the menu.
struct SeenMenu {
    std::mutex mutex;
    std::vector<CKSTString> texts;
    UINT secondState = 0;
    UINT thirdState = 0;
    UINT flags = 0;
    DWORD thread = 0;
};

// Starts a menu thread; its handle stays valid after the thread object deleted itself.
HANDLE StartMenuThread(HWND target, std::atomic<bool>& deleted, DWORD& threadId)
{
    auto* thread = new PopupMenuThread(target, deleted);
    if (!thread->CreateThread(CREATE_SUSPENDED)) {
        delete thread;
        return nullptr;
    }
    HANDLE running = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &running,
                    SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0);
    threadId = thread->m_nThreadID;
    ResumeThread(thread->m_hThread);
    return running;
}

DWORD ExitCodeOf(HANDLE thread)
{
    DWORD code = STILL_ACTIVE;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code;
}

class WinThreadTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        KstRegisterClass(kTargetClass, 0, nullptr);
        ASSERT_TRUE(m_target.CreateEx(0, kTargetClass, "target", WS_POPUP, 100, 100, 200, 150,
                                      nullptr, nullptr));
    }
    void TearDown() override
    {
        m_target.DestroyWindow();
        FrameworkTest::TearDown();
    }

    MenuTargetWnd m_target;
};

TEST_F(WinThreadTest, MenuThreadTracksThePopupAndSendsTheCommandBack)
{
    struct Case {
        const char* what;
        UINT chosen;
    };
    const Case cases[] = {{"an extra command is chosen", kExtraCommand},
                          {"the menu is dismissed", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_target.commands.clear();
        SeenMenu seen;
        KstSeams().trackPopupMenu = [&seen, &c](HMENU menu, UINT flags, int, int, HWND) {
            std::lock_guard<std::mutex> lock(seen.mutex);
            char text[64];
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
                seen.texts.emplace_back(text);
            }
            seen.secondState = GetMenuState(menu, ID_TEST_SECOND, MF_BYCOMMAND);
            seen.thirdState = GetMenuState(menu, ID_TEST_THIRD, MF_BYCOMMAND);
            seen.flags = flags;
            seen.thread = GetCurrentThreadId();
            return static_cast<BOOL>(c.chosen);
        };
        std::atomic<bool> deleted{false};
        DWORD menuThread = 0;
        HANDLE running = StartMenuThread(m_target.m_hWnd, deleted, menuThread);
        ASSERT_NE(nullptr, running);

        // The thread sends its command to this thread's window, so this thread dispatches.
        ASSERT_TRUE(WaitPumping(running, kGuardMs));
        EXPECT_EQ(0u, ExitCodeOf(running));
        EXPECT_TRUE(deleted) << "an auto-delete thread object deletes itself";
        EXPECT_EQ(std::vector<UINT>{c.chosen}, m_target.commands);
        EXPECT_EQ(GetCurrentThreadId(), m_target.commandThread);
        std::lock_guard<std::mutex> lock(seen.mutex);
        EXPECT_EQ(menuThread, seen.thread);
        EXPECT_EQ(static_cast<UINT>(TPM_NONOTIFY | TPM_RETURNCMD), seen.flags);
        EXPECT_EQ((std::vector<CKSTString>{"Erste", "Second", "Mehr", "", "Channel Selection"}),
                  seen.texts);
        EXPECT_TRUE(seen.secondState & MF_CHECKED);
        EXPECT_TRUE(seen.thirdState & MF_GRAYED) << "items of submenus are found by command";
    }
}

TEST_F(WinThreadTest, RealPopupOnAHiddenOwnerReturnsTheItemPicked)
{
    KstResetSeams();
    Watchdog guard;
    std::atomic<bool> deleted{false};
    DWORD menuThread = 0;
    HANDLE running = StartMenuThread(m_target.m_hWnd, deleted, menuThread);
    ASSERT_NE(nullptr, running);

    // The menu window belongs to the menu thread; keys posted to it pick the first item.
    HWND menuWindow = nullptr;
    ASSERT_TRUE(
        PumpUntil([&] { return (menuWindow = FindWindowA("#32768", nullptr)) != nullptr; }));
    PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);

    ASSERT_TRUE(WaitPumping(running, kGuardMs));
    EXPECT_EQ(0u, ExitCodeOf(running));
    EXPECT_EQ(std::vector<UINT>{ID_TEST_FIRST}, m_target.commands);
}

}  // namespace
