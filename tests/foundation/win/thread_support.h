#pragma once
// Starting test threads on lambdas, and a time guard so that a wait which should return at
// once fails the test instead of hanging the whole run.
#include <windows.h>

#include "foundation/win/Thread.h"

namespace kst_test {

// Generous bound for anything that should happen "soon"; only reached when a test fails.
constexpr DWORD kGuardMs = 10000;

template <class F>
unsigned __stdcall CallFunctor(void* functor)
{
    return (*static_cast<F*>(functor))();
}

// `body` must outlive the thread.
template <class F>
int StartFunctor(CKSTThreadRecord& record, F& body)
{
    return StartThread(record, &CallFunctor<F>, &body);
}

inline bool EndsWithinGuard(HANDLE thread)
{
    return WaitForSingleObject(thread, kGuardMs) == WAIT_OBJECT_0;
}

// Runs `body` on its own thread; false when it has not returned within the guard (the thread
// is then terminated).
template <class F>
bool ReturnsWithinGuard(F& body)
{
    CKSTThreadRecord record;
    if (StartFunctor(record, body) != 0) {
        return false;
    }
    const bool returned = EndsWithinGuard(record.handle);
    if (!returned) {
        TerminateThread(record.handle, 1);
    }
    CloseHandle(record.handle);
    return returned;
}

inline bool IsOpenHandle(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

}  // namespace kst_test
