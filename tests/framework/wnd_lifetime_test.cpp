#include <windows.h>

#include <gtest/gtest.h>
#include <ole2.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "foundation/ErrorCodes.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/WinThread.h"
#include "framework/Wnd.h"
#include "framework/WndCreation.h"
#include "framework_test_support.h"
#include "test_resources.h"

namespace {

using kst_test::kGuardMs;
using kst_test::WaitPumping;

constexpr UINT WM_TEST_PING = WM_USER + 5;
constexpr UINT WM_TEST_THROW_INDEX = WM_USER + 20;
constexpr UINT WM_TEST_THROW_STD = WM_USER + 21;
constexpr UINT WM_TEST_THROW_OTHER = WM_USER + 22;
constexpr UINT kCloseCommand = 41100;
constexpr UINT kButtonId = 310;
const char* const kClassName = "KSTFrameworkLifetimeClass";
const char* const kOtherClassName = "KSTFrameworkLifetimeOtherClass";
constexpr unsigned char kPoison = 0xDD;

// Deleted objects keep their memory, filled with a pattern, until the test has checked that
// nothing wrote to it after the deletion: the quarantine of the host's address sanitizer.
class Quarantine {
public:
    static void Keep(void* block, size_t size)
    {
        std::memset(block, kPoison, size);
        Blocks().push_back({block, size});
    }
    static size_t Count() { return Blocks().size(); }
    // True when every kept block still holds only the pattern; frees them all.
    static bool ReleaseUntouched()
    {
        bool untouched = true;
        for (const Block& block : Blocks()) {
            const auto* bytes = static_cast<const unsigned char*>(block.memory);
            for (size_t i = 0; i < block.size; ++i) {
                untouched = untouched && bytes[i] == kPoison;
            }
            ::operator delete(block.memory);
        }
        Blocks().clear();
        return untouched;
    }

private:
    struct Block {
        void* memory;
        size_t size;
    };
    static std::vector<Block>& Blocks()
    {
        static std::vector<Block> blocks;
        return blocks;
    }
};

template <class Base>
class Poisoned : public Base {
public:
    using Base::Base;
    static void operator delete(void* block, size_t size) { Quarantine::Keep(block, size); }
};

class FaultRecorder {
public:
    FaultRecorder()
    {
        KstSeams().reportFault = [this](const KstFault& fault) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_faults.push_back(fault);
        };
    }
    std::vector<KstFault> Faults() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_faults;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<KstFault> m_faults;
};

// A modeless dialog that owns itself.
class SelfDeletingDialog : public CDialog {
public:
    explicit SelfDeletingDialog(int& deletions) : CDialog(IDD_TEST_MODELESS), m_deletions(deletions)
    {
    }

protected:
    void PostNcDestroy() override
    {
        ++m_deletions;
        delete this;
    }

private:
    int& m_deletions;
};

// Closes itself from its own command, through a second message of its own.
class SelfClosingWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    explicit SelfClosingWnd(int& deletions) : m_deletions(deletions) {}

protected:
    void OnCloseCommand() { SendMessage(WM_CLOSE); }
    void PostNcDestroy() override
    {
        ++m_deletions;
        delete this;
    }

private:
    int& m_deletions;
};

BEGIN_MESSAGE_MAP(SelfClosingWnd, CWnd)
ON_COMMAND(kCloseCommand, OnCloseCommand)
END_MESSAGE_MAP()

// A control that destroys and deletes itself from its own (reflected) click.
class SelfDeletingButton : public CButton {
    DECLARE_MESSAGE_MAP()

public:
    explicit SelfDeletingButton(int& deletions) : m_deletions(deletions) {}

protected:
    void OnClicked() { DestroyWindow(); }
    void PostNcDestroy() override
    {
        ++m_deletions;
        delete this;
    }

private:
    int& m_deletions;
};

BEGIN_MESSAGE_MAP(SelfDeletingButton, CButton)
ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

// Handlers that throw what the program's code can throw.
class ThrowingWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    bool throwOnCreate = false;
    bool throwOnPaint = false;
    int paints = 0;
    int destroyed = 0;

protected:
    int OnCreate(LPCREATESTRUCT create)
    {
        if (throwOnCreate) {
            throw std::runtime_error("creation broke");
        }
        return CWnd::OnCreate(create);
    }
    void OnPaint()
    {
        ++paints;
        if (throwOnPaint) {
            throw std::runtime_error("painting broke");
        }
        CWnd::OnPaint();
    }
    void OnDestroy()
    {
        ++destroyed;
        CWnd::OnDestroy();
    }
    LRESULT OnPing(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam) + lParam; }
    LRESULT OnThrowIndex(WPARAM, LPARAM)
    {
        const CKSTString text("abc");
        return text[7];  // out of range: throws KST_ERR_INDEX
    }
    LRESULT OnThrowStd(WPARAM, LPARAM) { throw std::runtime_error("handler broke"); }
    LRESULT OnThrowOther(WPARAM, LPARAM) { throw 2.5; }
};

BEGIN_MESSAGE_MAP(ThrowingWnd, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_DESTROY()
ON_MESSAGE(WM_TEST_PING, OnPing)
ON_MESSAGE(WM_TEST_THROW_INDEX, OnThrowIndex)
ON_MESSAGE(WM_TEST_THROW_STD, OnThrowStd)
ON_MESSAGE(WM_TEST_THROW_OTHER, OnThrowOther)
END_MESSAGE_MAP()

class ThrowingDialog : public CDialog {
public:
    ThrowingDialog() : CDialog(IDD_TEST_MODELESS) {}

protected:
    void OnOK() override { throw KST_ERR_INDEX; }  // an error code thrown as itself
};

class ThrowingThread : public CWinThread {
public:
    explicit ThrowingThread(bool& deleted) : m_deleted(deleted) {}
    ~ThrowingThread() override { m_deleted = true; }
    BOOL InitInstance() override { throw std::runtime_error("thread start broke"); }

private:
    bool& m_deleted;
};

class WndLifetimeTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        KstRegisterClass(kClassName, 0, LoadCursor(nullptr, IDC_ARROW));
        KstRegisterClass(kOtherClassName, 0, nullptr);
    }
    template <class Window>
    static bool CreateTop(Window& window)
    {
        return window.CreateEx(0, kClassName, "lifetime", WS_POPUP, 0, 0, 200, 100, nullptr,
                               nullptr);
    }
};

TEST_F(WndLifetimeTest, SelfDeletingObjectIsUntouchedAfterItsOwnMessageDeletedIt)
{
    CWnd parent;
    ASSERT_TRUE(
        parent.CreateEx(0, kClassName, "parent", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
    struct Case {
        const char* what;
        // Creates the object, returns its window and closes it the way the user would.
        std::function<HWND(int& deletions)> create;
        std::function<void(HWND)> close;
    };
    const auto createDialog = [](int& deletions) {
        auto* dialog = new Poisoned<SelfDeletingDialog>(deletions);
        return dialog->Create(IDD_TEST_MODELESS) ? dialog->m_hWnd : nullptr;
    };
    const auto clickButton = [](int id) {
        return [id](HWND window) { SendDlgItemMessageA(window, id, BM_CLICK, 0, 0); };
    };
    const Case cases[] = {
        {"modeless dialog, its own OK button", createDialog, clickButton(IDOK)},
        {"modeless dialog, its own Cancel button", createDialog, clickButton(IDCANCEL)},
        {"modeless dialog, closed from its system menu", createDialog,
         [](HWND window) {
             // The dialog manager posts the Cancel command that closes it.
             SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
             kst_test::PumpUntil([window] { return !IsWindow(window); });
         }},
        {"window closing itself from its own command",
         [](int& deletions) {
             auto* window = new Poisoned<SelfClosingWnd>(deletions);
             return CreateTop(*window) ? window->m_hWnd : nullptr;
         },
         [](HWND window) { SendMessageA(window, WM_COMMAND, kCloseCommand, 0); }},
        {"control deleting itself from its reflected click",
         [&parent](int& deletions) {
             auto* button = new Poisoned<SelfDeletingButton>(deletions);
             return button->Create("x", WS_CHILD | BS_PUSHBUTTON, RECT{0, 0, 50, 20}, &parent,
                                   kButtonId)
                        ? button->m_hWnd
                        : nullptr;
         },
         [](HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int deletions = 0;
        const HWND window = c.create(deletions);
        ASSERT_NE(nullptr, window);
        c.close(window);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(1, deletions);
        EXPECT_EQ(1u, Quarantine::Count()) << "the object was deleted";
        EXPECT_TRUE(Quarantine::ReleaseUntouched()) << "nothing wrote to the deleted object";
    }
    parent.DestroyWindow();
}

TEST_F(WndLifetimeTest, EscapedExceptionIsReportedAndTheWindowLivesOn)
{
    FaultRecorder recorder;
    ThrowingWnd window;
    ASSERT_TRUE(CreateTop(window));
    struct Case {
        const char* what;
        UINT message;
        int errorCode;
        const char* textPart;
    };
    const Case cases[] = {
        {"index misuse of a string", WM_TEST_THROW_INDEX, KST_ERR_INDEX, "-1103"},
        {"a standard exception", WM_TEST_THROW_STD, 0, "handler broke"},
        {"anything else thrown", WM_TEST_THROW_OTHER, 0, "unknown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = recorder.Faults().size();
        EXPECT_EQ(0, window.SendMessage(c.message));
        const std::vector<KstFault> faults = recorder.Faults();
        ASSERT_EQ(before + 1, faults.size());
        const KstFault& fault = faults.back();
        EXPECT_EQ(KstFaultKind::EscapedException, fault.kind);
        EXPECT_EQ(window.m_hWnd, fault.window);
        EXPECT_EQ(c.message, fault.message);
        EXPECT_EQ(c.errorCode, fault.errorCode);
        EXPECT_NE(-1, fault.text.Find(c.textPart)) << fault.text.c_str();
        EXPECT_EQ(7, window.SendMessage(WM_TEST_PING, 3, 4)) << "the window still answers";
    }

    // Painting that throws is reported once: the window is validated, not painted forever.
    window.throwOnPaint = true;
    window.ShowWindow(SW_SHOWNA);
    window.Invalidate();
    window.UpdateWindow();
    EXPECT_FALSE(GetUpdateRect(window.m_hWnd, nullptr, FALSE));
    KstPumpPendingMessages();
    EXPECT_EQ(1, window.paints);
    EXPECT_EQ(4u, recorder.Faults().size());

    ASSERT_TRUE(window.DestroyWindow());
    EXPECT_EQ(1, window.destroyed);
}

TEST_F(WndLifetimeTest, ExceptionAtCreationFailsTheCreationOnly)
{
    FaultRecorder recorder;
    ThrowingWnd window;
    window.throwOnCreate = true;
    EXPECT_FALSE(CreateTop(window));
    EXPECT_EQ(nullptr, window.m_hWnd);
    ASSERT_EQ(1u, recorder.Faults().size());
    EXPECT_EQ(static_cast<UINT>(WM_CREATE), recorder.Faults()[0].message);

    window.throwOnCreate = false;
    ASSERT_TRUE(CreateTop(window));
    window.DestroyWindow();
}

TEST_F(WndLifetimeTest, ExceptionFromADialogCommandLeavesTheDialogOpen)
{
    FaultRecorder recorder;
    ThrowingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_MODELESS));
    SendDlgItemMessageA(dialog.m_hWnd, IDOK, BM_CLICK, 0, 0);
    ASSERT_EQ(1u, recorder.Faults().size());
    EXPECT_EQ(KST_ERR_INDEX, recorder.Faults()[0].errorCode);
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), recorder.Faults()[0].message);
    ASSERT_TRUE(IsWindow(dialog.m_hWnd));
    dialog.SetDlgItemText(IDC_TEST_NOTE, "still here");
    EXPECT_EQ(CKSTString("still here"), dialog.GetDlgItemText(IDC_TEST_NOTE));
    dialog.DestroyWindow();
}

TEST_F(WndLifetimeTest, ExceptionThatEndsAUserInterfaceThreadIsReported)
{
    FaultRecorder recorder;
    bool deleted = false;
    auto* thread = new ThrowingThread(deleted);
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    HANDLE running = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &running,
                    SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0);
    ResumeThread(thread->m_hThread);
    ASSERT_TRUE(WaitPumping(running, kGuardMs));
    DWORD exitCode = 0;
    GetExitCodeThread(running, &exitCode);
    CloseHandle(running);
    EXPECT_EQ(static_cast<DWORD>(kEscapedExceptionExitCode), exitCode);
    EXPECT_TRUE(deleted);
    ASSERT_EQ(1u, recorder.Faults().size());
    EXPECT_NE(-1, recorder.Faults()[0].text.Find("thread start broke"));
}

TEST_F(WndLifetimeTest, DeletingAnObjectWhoseWindowLivesIsReportedAndTheWindowGoes)
{
    FaultRecorder recorder;
    auto* window = new ThrowingWnd;
    ASSERT_TRUE(CreateTop(*window));
    const HWND handle = window->m_hWnd;
    delete window;
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(handle));
    ASSERT_EQ(1u, recorder.Faults().size());
    EXPECT_EQ(KstFaultKind::LiveWindowDeleted, recorder.Faults()[0].kind);
    EXPECT_EQ(handle, recorder.Faults()[0].window);
}

TEST_F(WndLifetimeTest, CreationScopeBindsOnlyAWindowOfItsClass)
{
    CWnd object;
    HWND other = nullptr;
    HWND expected = nullptr;
    {
        KstCreationScope scope(&object, kClassName);
        other = CreateWindowExA(0, kOtherClassName, "other", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        expected = CreateWindowExA(0, kClassName, "mine", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    }
    ASSERT_NE(nullptr, other);
    ASSERT_NE(nullptr, expected);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(other));
    EXPECT_EQ(&object, CWnd::FromHandlePermanent(expected));
    EXPECT_EQ(expected, object.m_hWnd);
    DestroyWindow(other);
    object.DestroyWindow();
}

TEST_F(WndLifetimeTest, WorkerThreadsWrappingWindowsEndWithoutLeavingTheirWrappers)
{
    const HWND raw = CreateWindowExA(0, kOtherClassName, "raw", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, raw);
    CWnd bound;
    ASSERT_TRUE(CreateTop(bound));
    const size_t wrappersBefore = KstTemporaryWrapperCount();

    constexpr int kThreads = 100;
    constexpr int kAtOnce = 10;
    std::mutex mutex;
    int wrapped = 0;
    for (int round = 0; round < kThreads / kAtOnce; ++round) {
        std::vector<std::thread> workers;
        for (int i = 0; i < kAtOnce; ++i) {
            workers.emplace_back([&] {
                const HRESULT ole = OleInitialize(nullptr);
                CWnd* wrapper = CWnd::FromHandle(raw);
                const bool ok =
                    wrapper && wrapper->m_hWnd == raw && CWnd::FromHandle(raw) == wrapper &&
                    (wrapper->GetStyle() & WS_POPUP) && CWnd::FromHandle(bound.m_hWnd) == &bound;
                if (SUCCEEDED(ole)) {
                    OleUninitialize();
                }
                std::lock_guard<std::mutex> lock(mutex);
                wrapped += ok ? 1 : 0;
            });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
    }
    EXPECT_EQ(kThreads, wrapped);
    EXPECT_EQ(wrappersBefore, KstTemporaryWrapperCount()) << "each thread's wrappers went with it";
    EXPECT_NE(nullptr, CWnd::FromHandle(raw)) << "this thread's own wrapper is separate";
    DestroyWindow(raw);
    bound.DestroyWindow();
}

}  // namespace
