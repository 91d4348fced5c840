#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "foundation/win/NotifyList.h"

namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received& o) const
    {
        return window == o.window && message == o.message && wParam == o.wParam &&
               lParam == o.lParam;
    }
};

std::ostream& operator<<(std::ostream& os, const Received& r)
{
    return os << "{" << r.window << ", " << r.message << ", " << r.wParam << ", " << r.lParam
              << "}";
}

// Message-only windows that record, in one shared log, every WM_USER-range message they get,
// and may run an action while handling it (to register, unregister or destroy meanwhile).
class NotifyListTest : public ::testing::Test {
protected:
    static constexpr UINT kFirst = WM_USER + 3;
    static constexpr UINT kSecond = WM_USER + 4;

    void TearDown() override
    {
        for (HWND w : m_windows) {
            if (IsWindow(w)) {
                DestroyWindow(w);
            }
        }
        Pump();
    }

    HWND MakeRecorder()
    {
        static const ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "KSTNotifyListTestRecorder";
            return RegisterClassA(&wc);
        }();
        EXPECT_NE(0, atom);
        HWND w = CreateWindowExA(0, "KSTNotifyListTestRecorder", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        EXPECT_TRUE(w);
        SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_windows.push_back(w);
        return w;
    }

    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
    }

    static LRESULT CALLBACK Proc(HWND w, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<NotifyListTest*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (self && message >= WM_USER && message < WM_APP) {
            self->m_log.push_back({w, message, wParam, lParam});
            auto action = self->m_actions.find(w);
            if (action != self->m_actions.end()) {
                action->second();
            }
            return 0;
        }
        return DefWindowProcA(w, message, wParam, lParam);
    }

    CKSTNotifyList m_list;
    std::vector<HWND> m_windows;
    std::vector<Received> m_log;
    std::map<HWND, std::function<void()>> m_actions;
};

TEST_F(NotifyListTest, RegisteringAgainReplacesTheEntry)
{
    HWND w = MakeRecorder();
    m_list.Register(5, kFirst, w);
    m_list.Register(5, kFirst, w);
    EXPECT_EQ(1, m_list.GetCount());
    m_list.Register(5, kSecond, w);
    EXPECT_EQ(1, m_list.GetCount());
    m_list.Send(5, 1, 2);
    EXPECT_EQ((std::vector<Received>{{w, kSecond, 1, 2}}), m_log);
}

TEST_F(NotifyListTest, NullWindowsAndUnknownIds)
{
    m_list.Register(5, kFirst, nullptr);
    EXPECT_EQ(0, m_list.GetCount());
    EXPECT_FALSE(m_list.IsRegistered(5));

    HWND w = MakeRecorder();
    m_list.Register(5, kFirst, w);
    EXPECT_TRUE(m_list.IsRegistered(5));
    EXPECT_FALSE(m_list.IsRegistered(6));
    m_list.Send(6, 1, 2);
    m_list.Post(6, 1, 2);
    Pump();
    EXPECT_TRUE(m_log.empty());
    m_list.Unregister(6, w);
    m_list.Unregister(5, nullptr);
    EXPECT_EQ(1, m_list.GetCount());
}

TEST_F(NotifyListTest, SendFollowsTheRegistrationOrder)
{
    HWND a = MakeRecorder(), b = MakeRecorder();
    m_list.Register(5, kFirst, a);
    m_list.Register(5, kSecond, b);
    m_list.Register(6, kFirst, a);
    m_list.Send(5, 7, 8);
    EXPECT_EQ((std::vector<Received>{{a, kFirst, 7, 8}, {b, kSecond, 7, 8}}), m_log);

    m_log.clear();
    m_list.Register(5, kFirst, a);
    m_list.Send(5, 9, 10);
    EXPECT_EQ((std::vector<Received>{{b, kSecond, 9, 10}, {a, kFirst, 9, 10}}), m_log);
}

TEST_F(NotifyListTest, UnregisterRemovesOnlyThatPair)
{
    HWND a = MakeRecorder(), b = MakeRecorder();
    m_list.Register(5, kFirst, a);
    m_list.Register(6, kFirst, a);
    m_list.Register(5, kSecond, b);
    m_list.Unregister(5, a);
    EXPECT_EQ(2, m_list.GetCount());
    m_list.Send(5, 0, 0);
    m_list.Send(6, 0, 0);
    EXPECT_EQ((std::vector<Received>{{b, kSecond, 0, 0}, {a, kFirst, 0, 0}}), m_log);
    m_list.Unregister(5, b);
    EXPECT_FALSE(m_list.IsRegistered(5));
    EXPECT_TRUE(m_list.IsRegistered(6));
}

TEST_F(NotifyListTest, PostedMessagesArriveWhenPumped)
{
    HWND a = MakeRecorder(), b = MakeRecorder();
    m_list.Register(5, kFirst, a);
    m_list.Register(5, kSecond, b);
    m_list.Post(5, 3, 4);
    EXPECT_TRUE(m_log.empty());
    Pump();
    EXPECT_EQ((std::vector<Received>{{a, kFirst, 3, 4}, {b, kSecond, 3, 4}}), m_log);
}

TEST_F(NotifyListTest, DestroyedWindowsAreSkipped)
{
    HWND a = MakeRecorder(), b = MakeRecorder();
    m_list.Register(5, kFirst, a);
    m_list.Register(5, kSecond, b);
    DestroyWindow(a);
    m_list.Send(5, 1, 0);
    m_list.Post(5, 2, 0);
    Pump();
    EXPECT_EQ((std::vector<Received>{{b, kSecond, 1, 0}, {b, kSecond, 2, 0}}), m_log);
}

TEST_F(NotifyListTest, HandlersThatChangeTheListDuringASend)
{
    struct Case {
        const char* name;
        // Runs in a's handler; b and c are registered after a.
        std::function<void(CKSTNotifyList&, HWND a, HWND b, HWND c, HWND d)> action;
        std::vector<int> firstSend;  // indexes of a, b, c, d in the order they receive
        std::vector<int> secondSend;
    };
    const Case cases[] = {
        {"unregister a later window",
         [](CKSTNotifyList& l, HWND, HWND b, HWND, HWND) { l.Unregister(5, b); },
         {0, 2},
         {0, 2}},
        {"re-register itself",
         [](CKSTNotifyList& l, HWND a, HWND, HWND, HWND) { l.Register(5, WM_USER + 3, a); },
         {0, 1, 2},
         {1, 2, 0}},
        {"unregister itself",
         [](CKSTNotifyList& l, HWND a, HWND, HWND, HWND) { l.Unregister(5, a); },
         {0, 1, 2},
         {1, 2}},
        {"register a new window",
         [](CKSTNotifyList& l, HWND, HWND, HWND, HWND d) { l.Register(5, WM_USER + 3, d); },
         {0, 1, 2},
         {0, 1, 2, 3}},
        {"destroy a later window",
         [](CKSTNotifyList&, HWND, HWND b, HWND, HWND) { DestroyWindow(b); },
         {0, 2},
         {0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTNotifyList list;
        HWND w[4] = {MakeRecorder(), MakeRecorder(), MakeRecorder(), MakeRecorder()};
        for (int i = 0; i < 3; ++i) {
            list.Register(5, kFirst, w[i]);
        }
        m_actions[w[0]] = [&] { c.action(list, w[0], w[1], w[2], w[3]); };
        for (const std::vector<int>* expected : {&c.firstSend, &c.secondSend}) {
            m_log.clear();
            list.Send(5, 0, 0);
            std::vector<HWND> receivers;
            for (const Received& r : m_log) {
                receivers.push_back(r.window);
            }
            std::vector<HWND> wanted;
            for (int i : *expected) {
                wanted.push_back(w[i]);
            }
            EXPECT_EQ(wanted, receivers) << (expected == &c.firstSend ? "first" : "second");
        }
        m_actions.clear();
    }
}

}  // namespace
