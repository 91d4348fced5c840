#include "foundation/win/Thread.h"

#include <process.h>

#include <climits>

#include "foundation/ErrorCodes.h"

namespace {

constexpr DWORD kPollIntervalMs = 50;

bool HasEnded(HANDLE thread, bool& ended)
{
    DWORD code = 0;
    if (!GetExitCodeThread(thread, &code)) {
        return false;
    }
    // A thread may legitimately exit with the value STILL_ACTIVE; the handle's signalled
    // state tells such a thread apart from a running one.
    ended = code != STILL_ACTIVE || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    return true;
}

}  // namespace

int StartThread(CKSTThreadRecord& record, KstThreadProc proc, void* argument)
{
    unsigned id = 0;
    const uintptr_t handle = _beginthreadex(nullptr, 0, proc, argument, 0, &id);
    if (handle == 0) {
        record.handle = nullptr;
        record.threadId = 0;
        record.state = CKSTThreadRecord::kStartFailed;
        return KST_ERR_THREAD_START;
    }
    record.handle = reinterpret_cast<HANDLE>(handle);
    record.threadId = id;
    record.state = CKSTThreadRecord::kStarted;
    return KST_OK;
}

void EndThread(unsigned exitCode)
{
    _endthreadex(exitCode);
}

bool WaitThreadEnd(CKSTThreadRecord& record, int timeoutMs)
{
    const int polls = (timeoutMs == 0 ? INT_MAX : timeoutMs) / 10;
    for (int i = 0; i < polls; ++i) {
        bool ended = false;
        if (!HasEnded(record.handle, ended)) {
            return false;
        }
        if (ended) {
            CloseHandle(record.handle);
            record.handle = nullptr;
            return true;
        }
        if (i + 1 < polls) {
            Sleep(kPollIntervalMs);
        }
    }
    return false;
}

bool KillThread(CKSTThreadRecord& record)
{
    const bool killed =
        TerminateThread(record.handle, static_cast<DWORD>(KST_ERR_THREAD_KILLED)) != FALSE;
    // The owner treats the thread as gone after a kill; keeping the handle would leak it.
    if (record.handle) {
        CloseHandle(record.handle);
        record.handle = nullptr;
    }
    return killed;
}

void SleepMs(unsigned ms)
{
    Sleep(ms);
}
