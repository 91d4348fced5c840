#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/Controls.h"
#include "framework/Wnd.h"
#include "framework_test_support.h"

namespace {

using kst_test::PumpUntil;

constexpr UINT WM_TEST_PING = WM_USER + 5;
constexpr UINT WM_TEST_BASE_ONLY = WM_USER + 7;
constexpr UINT WM_TEST_UNMAPPED = WM_USER + 9;
constexpr UINT kFirstRangeCommand = 41000;
constexpr UINT kLastRangeCommand = 41009;
constexpr UINT kSingleCommand = 41020;
constexpr UINT kReflectingId = 300;
constexpr UINT kPlainId = 301;
const char* const kClassName = "KSTFrameworkTestClass";

void RegisterTestClass()
{
    // Registering again fails once the class exists, which the program tolerates too.
    KstRegisterClass(kClassName, CS_DBLCLKS | CS_OWNDC, LoadCursor(nullptr, IDC_ARROW));
}

// The base class of the map chain: handles a message that the derived class leaves alone and
// one that the derived class takes over.
class BaseWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    std::vector<CKSTString> log;

protected:
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) { return 70 + static_cast<LRESULT>(wParam); }
    LRESULT OnPingInBase(WPARAM, LPARAM) { return -1; }
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
ON_MESSAGE(WM_TEST_BASE_ONLY, OnBaseOnly)
ON_MESSAGE(WM_TEST_PING, OnPingInBase)
END_MESSAGE_MAP()

class TestWnd : public BaseWnd {
    DECLARE_MESSAGE_MAP()

public:
    bool failCreate = false;
    HWND handleSeenAtCreate = nullptr;
    std::vector<UINT> commands;
    int plainClicks = 0;
    int plainNotifies = 0;
    int ownDrawn = 0;
    int timerTicks = 0;
    int destroyed = 0;

protected:
    int OnCreate(LPCREATESTRUCT create)
    {
        handleSeenAtCreate = m_hWnd;
        if (failCreate) {
            return -1;
        }
        return CWnd::OnCreate(create);
    }
    void OnDestroy()
    {
        ++destroyed;
        CWnd::OnDestroy();
    }
    void OnTimer(UINT_PTR id)
    {
        ++timerTicks;
        KillTimer(id);
    }
    LRESULT OnPing(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam) + lParam; }
    void OnRangeCommand(UINT id) { commands.push_back(id); }
    void OnSingleCommand() { commands.push_back(kSingleCommand); }
    void OnPlainClicked() { ++plainClicks; }
    void OnReflectingClicked() { log.push_back("parent saw a reflected click"); }
    void OnPlainNotify(NMHDR*, LRESULT* result)
    {
        ++plainNotifies;
        *result = 5;
    }
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
    {
        if (id == static_cast<int>(kPlainId)) {
            ++ownDrawn;
        } else {
            CWnd::OnDrawItem(id, draw);
        }
    }
};

BEGIN_MESSAGE_MAP(TestWnd, BaseWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_TIMER()
ON_WM_DRAWITEM()
ON_MESSAGE(WM_TEST_PING, OnPing)
ON_COMMAND_RANGE(kFirstRangeCommand, kLastRangeCommand, OnRangeCommand)
ON_COMMAND(kSingleCommand, OnSingleCommand)
ON_BN_CLICKED(kPlainId, OnPlainClicked)
ON_BN_CLICKED(kReflectingId, OnReflectingClicked)
ON_NOTIFY(NM_DBLCLK, kPlainId, OnPlainNotify)
ON_NOTIFY(NM_DBLCLK, kReflectingId, OnPlainNotify)
END_MESSAGE_MAP()

// A control that handles its own notifications.
class ReflectingButton : public CButton {
    DECLARE_MESSAGE_MAP()

public:
    int clicks = 0;
    int doubleClicks = 0;
    int drawn = 0;

protected:
    void OnClicked() { ++clicks; }
    void OnDoubleClick(NMHDR*, LRESULT* result)
    {
        ++doubleClicks;
        *result = 42;
    }
    void DrawItem(LPDRAWITEMSTRUCT) { ++drawn; }
};

BEGIN_MESSAGE_MAP(ReflectingButton, CButton)
ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
ON_NOTIFY_REFLECT(NM_DBLCLK, OnDoubleClick)
ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

class WndTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        RegisterTestClass();
    }
    bool CreateTop(TestWnd& window)
    {
        return window.CreateEx(0, kClassName, "test", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr);
    }
};

TEST_F(WndTest, MessagesReachTheObjectThroughItsMapAndTheBaseMaps)
{
    TestWnd window;
    ASSERT_TRUE(CreateTop(window));
    EXPECT_EQ(window.m_hWnd, window.handleSeenAtCreate) << "WM_CREATE reached the bound object";
    EXPECT_EQ(&window, CWnd::FromHandlePermanent(window.m_hWnd));

    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT expected;
    };
    const Case cases[] = {
        {"the derived entry wins over the base's", WM_TEST_PING, 3, 4, 7},
        {"the base map handles what the derived one does not", WM_TEST_BASE_ONLY, 2, 0, 72},
        {"unmapped messages reach the window's own procedure", WM_TEST_UNMAPPED, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, window.SendMessage(c.message, c.wParam, c.lParam));
    }

    // Menu commands (code 0) and accelerators (code 1) by id and by id range.
    for (UINT id : {kFirstRangeCommand, kLastRangeCommand, kLastRangeCommand + 1}) {
        window.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    window.SendMessage(WM_COMMAND, MAKEWPARAM(kSingleCommand, 1), 0);
    EXPECT_EQ((std::vector<UINT>{kFirstRangeCommand, kLastRangeCommand, kSingleCommand}),
              window.commands);

    ASSERT_TRUE(window.SetTimer(1, 10));
    EXPECT_TRUE(PumpUntil([&] { return window.timerTicks > 0; }));
    window.DestroyWindow();
}

TEST_F(WndTest, ControlNotificationsGoToTheControlFirst)
{
    TestWnd parent;
    ASSERT_TRUE(CreateTop(parent));
    ReflectingButton reflecting;
    CButton plain;
    const RECT rect{0, 0, 80, 20};
    ASSERT_TRUE(reflecting.Create("R", WS_CHILD | BS_PUSHBUTTON, rect, &parent, kReflectingId));
    ASSERT_TRUE(plain.Create("P", WS_CHILD | BS_PUSHBUTTON, rect, &parent, kPlainId));

    // Real clicks: the button notifies its parent with WM_COMMAND.
    reflecting.SendMessage(BM_CLICK);
    plain.SendMessage(BM_CLICK);
    EXPECT_EQ(1, reflecting.clicks);
    EXPECT_TRUE(parent.log.empty()) << "a reflected notification does not reach the parent";
    EXPECT_EQ(1, parent.plainClicks);

    NMHDR fromReflecting{reflecting.m_hWnd, kReflectingId, static_cast<UINT>(NM_DBLCLK)};
    NMHDR fromPlain{plain.m_hWnd, kPlainId, static_cast<UINT>(NM_DBLCLK)};
    EXPECT_EQ(42, parent.SendMessage(WM_NOTIFY, kReflectingId,
                                     reinterpret_cast<LPARAM>(&fromReflecting)));
    EXPECT_EQ(5, parent.SendMessage(WM_NOTIFY, kPlainId, reinterpret_cast<LPARAM>(&fromPlain)));
    EXPECT_EQ(1, reflecting.doubleClicks);
    EXPECT_EQ(1, parent.plainNotifies);

    // Owner drawing: the parent draws its own item and passes the other on to the control.
    HDC dc = GetDC(parent.m_hWnd);
    DRAWITEMSTRUCT drawReflecting{
        ODT_BUTTON, kReflectingId, 0, ODA_DRAWENTIRE, 0, reflecting.m_hWnd, dc, rect, 0};
    DRAWITEMSTRUCT drawPlain{ODT_BUTTON, kPlainId, 0, ODA_DRAWENTIRE, 0, plain.m_hWnd, dc, rect, 0};
    EXPECT_TRUE(
        parent.SendMessage(WM_DRAWITEM, kReflectingId, reinterpret_cast<LPARAM>(&drawReflecting)));
    EXPECT_TRUE(parent.SendMessage(WM_DRAWITEM, kPlainId, reinterpret_cast<LPARAM>(&drawPlain)));
    ReleaseDC(parent.m_hWnd, dc);
    EXPECT_EQ(1, reflecting.drawn);
    EXPECT_EQ(1, parent.ownDrawn);
    parent.DestroyWindow();
}

TEST_F(WndTest, DestroyedWindowLeavesItsObjectDetachedAndReusable)
{
    TestWnd window;
    ASSERT_TRUE(CreateTop(window));
    CButton child;
    ASSERT_TRUE(child.Create("C", WS_CHILD, RECT{0, 0, 10, 10}, &window, kPlainId));
    const HWND handle = window.m_hWnd;
    const HWND childHandle = child.m_hWnd;

    ASSERT_TRUE(window.DestroyWindow());
    EXPECT_EQ(1, window.destroyed);
    EXPECT_EQ(nullptr, window.m_hWnd);
    EXPECT_EQ(nullptr, child.m_hWnd) << "children are detached with their window";
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(handle));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(childHandle));

    ASSERT_TRUE(CreateTop(window)) << "the object outlives its window and can make a new one";
    EXPECT_EQ(window.m_hWnd, window.handleSeenAtCreate);
    window.DestroyWindow();
}

TEST_F(WndTest, RefusedCreationLeavesTheObjectUnbound)
{
    TestWnd window;
    window.failCreate = true;
    EXPECT_FALSE(CreateTop(window));
    EXPECT_NE(nullptr, window.handleSeenAtCreate);
    EXPECT_EQ(nullptr, window.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window.handleSeenAtCreate));
}

TEST_F(WndTest, TemporaryWrapperNeverUnmapsTheWindowsObject)
{
    HWND window = CreateWindowExA(0, kClassName, "raw", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    TestWnd object;
    // Another thread wraps the handle while no object owns it; its wrapper goes when it ends.
    std::thread([&] {
        CWnd* wrapper = CWnd::FromHandle(window);
        EXPECT_EQ(window, wrapper->m_hWnd);
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window));
        ASSERT_TRUE(object.SubclassWindow(window));
    }).join();

    EXPECT_EQ(&object, CWnd::FromHandlePermanent(window));
    EXPECT_EQ(7, object.SendMessage(WM_TEST_PING, 3, 4));
    object.DestroyWindow();
}

}  // namespace
