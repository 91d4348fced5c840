#pragma once
// What the element window tests share: a hidden parent, a sink window that records every
// message of the element protocol it receives, an owner whose mode and grid the test sets, a
// recorder of the frame changes forced on a window, and mouse messages sent straight to an
// element.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "data/settings/ProcessLayout.h"
#include "elements/ElementOwner.h"
#include "framework/Wnd.h"
#include "framework/framework_test_support.h"

namespace kst_test {

struct SeenMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const SeenMessage& other) const
    {
        return message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};

// Records the messages from WM_USER up to WM_APP.
class MessageSink {
public:
    MessageSink()
    {
        static const bool registered = [] {
            WNDCLASSA cls{};
            cls.lpfnWndProc = Proc;
            cls.hInstance = GetModuleHandleA(nullptr);
            cls.lpszClassName = "KstTestElementSink";
            return RegisterClassA(&cls) != 0;
        }();
        (void)registered;
        m_window = CreateWindowA("KstTestElementSink", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_seen));
    }
    ~MessageSink() { DestroyWindow(m_window); }
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;

    HWND Handle() const { return m_window; }
    std::vector<SeenMessage>& Seen() { return m_seen; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* seen = reinterpret_cast<std::vector<SeenMessage>*>(
            GetWindowLongPtrA(window, GWLP_USERDATA));
        if (seen && message >= WM_USER && message < WM_APP) {
            seen->push_back(SeenMessage{message, wParam, lParam});
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND m_window;
    std::vector<SeenMessage> m_seen;
};

class FakeElementOwner : public IKSTElementOwner {
public:
    bool IsDesignMode() const override { return designMode; }
    int32_t GetGridStepX() const override { return stepX; }
    int32_t GetGridStepY() const override { return stepY; }
    bool IsElementSelected(const void*) const override { return selected; }
    int EditValueSettings(CKSTValueElementSettings& settings, uint32_t language) override
    {
        asked.push_back(language);
        if (edit) {
            edit(settings);
        }
        return result;
    }

    bool designMode = false;
    int32_t stepX = 1;
    int32_t stepY = 1;
    bool selected = false;
    int result = IDCANCEL;
    std::function<void(CKSTValueElementSettings&)> edit;
    std::vector<uint32_t> asked;
};

// The SetWindowPos flags each window was given, for as long as it lives.
class WindowPosRecorder {
public:
    WindowPosRecorder()
    {
        s_active = this;
        m_hook = SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
    }
    ~WindowPosRecorder()
    {
        UnhookWindowsHookEx(m_hook);
        s_active = nullptr;
    }
    WindowPosRecorder(const WindowPosRecorder&) = delete;
    WindowPosRecorder& operator=(const WindowPosRecorder&) = delete;

    // Calls on the window whose flags hold every bit of `flags`.
    int Count(HWND window, UINT flags) const
    {
        int count = 0;
        for (const auto& call : m_calls) {
            count += call.first == window && (call.second & flags) == flags ? 1 : 0;
        }
        return count;
    }
    void Clear() { m_calls.clear(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_active && message->message == WM_WINDOWPOSCHANGING) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(message->lParam);
            s_active->m_calls.emplace_back(message->hwnd, pos->flags);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline WindowPosRecorder* s_active = nullptr;
    HHOOK m_hook;
    std::vector<std::pair<HWND, UINT>> m_calls;
};

// Mouse and size messages as the system would send them.
inline void SendMouse(HWND window, UINT message, int x, int y, UINT keys)
{
    SendMessageA(window, message, keys, MAKELPARAM(x, y));
}

inline bool HasTransparentExStyle(HWND window)
{
    return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
}

// A COLORREF as a pixel of a 32-bit DIB (0x00RRGGBB).
inline uint32_t AsPixel(COLORREF colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

// Every test of an element window: the seams fail unscripted dialogs, a hidden parent holds
// the element, and a sink records what it fires.
class ElementWindowTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        SetCursorPos(1, 1);
        const CKSTString name = KstRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(parent.CreateEx(0, name.c_str(), "Parent", WS_POPUP | WS_CLIPCHILDREN, 20,
                                    20, 400, 300, nullptr, nullptr));
    }
    void TearDown() override
    {
        parent.DestroyWindow();
        FrameworkTest::TearDown();
    }

    CWnd parent;
    MessageSink sink;
};

}  // namespace kst_test
