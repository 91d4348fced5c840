#pragma once
// Helpers of the framework tests: message pumping with a time limit, a watchdog that ends a
// blocked test run, and a fixture that puts every seam back after a test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "framework/Seams.h"
#include "framework/Wnd.h"

namespace kst_test {

// Generous bound for anything that should happen "soon"; only reached when a test fails.
constexpr DWORD kGuardMs = 10000;

// Dispatches the thread's messages until `done` holds; false when the guard ran out first.
template <class Done>
bool PumpUntil(Done done, DWORD limitMs = kGuardMs)
{
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    while (!done()) {
        if (!KstPumpPendingMessages() || GetTickCount64() > deadline) {
            return done();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// Waits for `handle` while dispatching the thread's messages (a thread that sends to this
// thread's windows needs them dispatched); false when the guard ran out first.
inline bool WaitPumping(HANDLE handle, DWORD limitMs = kGuardMs)
{
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, 10, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            return true;
        }
        KstPumpPendingMessages();
        if (GetTickCount64() > deadline) {
            return false;
        }
    }
}

// For a test that can block inside a loop it does not own (a modal loop, OLE's drag loop):
// when the test has not finished within the limit, the run ends with a message instead of
// hanging until the test driver's time-out.
class Watchdog {
public:
    explicit Watchdog(DWORD limitMs = 3 * kGuardMs)
        : m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_limitMs(limitMs)
    {
        m_thread = CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr);
    }
    ~Watchdog()
    {
        SetEvent(m_done);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        CloseHandle(m_done);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    static DWORD WINAPI Watch(void* self)
    {
        auto* watchdog = static_cast<Watchdog*>(self);
        if (WaitForSingleObject(watchdog->m_done, watchdog->m_limitMs) == WAIT_TIMEOUT) {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            std::fprintf(stderr, "time guard: %s.%s blocked, ending the run\n",
                         test ? test->test_suite_name() : "?", test ? test->name() : "?");
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }

    HANDLE m_done;
    HANDLE m_thread = nullptr;
    DWORD m_limitMs;
};

// Every test starts with seams that fail it instead of waiting for a user: a message box or
// a modal dialog that the test did not script; so does a fault the framework reports. The real
// seams are back afterwards.
class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KstResetSeams();
        KstSeams().messageBox = [](const KstMessageBoxCall& call) {
            ADD_FAILURE() << "unexpected message box: " << call.text.c_str();
            return IDCANCEL;
        };
        KstSeams().modalDriver = [](KstModalRun& run) {
            ADD_FAILURE() << "unexpected modal dialog " << run.templateId;
            return IDCANCEL;
        };
        KstSeams().reportFault = [](const KstFault& fault) {
            ADD_FAILURE() << "unexpected fault: " << fault.text.c_str();
        };
    }
    void TearDown() override { KstResetSeams(); }
};

}  // namespace kst_test
