#include "foundation/win/Sync.h"

#include "foundation/ErrorCodes.h"

int CreateEventHandle(HANDLE& slot, const char* name)
{
    slot = CreateEventA(nullptr, FALSE, FALSE, name);
    return slot ? KST_OK : KST_ERR_EVENT;
}

int SignalEvent(HANDLE slot)
{
    return SetEvent(slot) ? KST_OK : KST_ERR_EVENT;
}

int WaitEvent(HANDLE slot)
{
    return WaitForSingleObject(slot, INFINITE) == WAIT_OBJECT_0 ? KST_OK : KST_ERR_EVENT;
}

int CreateMutexHandle(HANDLE& slot, const char* name)
{
    slot = CreateMutexA(nullptr, FALSE, name);
    return slot ? KST_OK : KST_ERR_MUTEX;
}

int CloseSyncHandle(HANDLE& slot)
{
    if (!slot) {
        return KST_OK;
    }
    const BOOL closed = CloseHandle(slot);
    slot = nullptr;
    return closed ? KST_OK : KST_ERR_MUTEX;
}

int WaitMutex(HANDLE slot, int timeoutMs)
{
    const DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    switch (WaitForSingleObject(slot, limit)) {
        case WAIT_OBJECT_0:
        // The previous owner ended while holding the mutex; ownership has passed to us, and
        // reporting a failure would leave the mutex owned and locked forever.
        case WAIT_ABANDONED:
            return 1;
        default:
            return 0;
    }
}

int LockMutex(HANDLE slot)
{
    // Without a time limit the wait returns only with the mutex owned or on failure.
    return WaitMutex(slot, -1) ? KST_OK : KST_ERR_MUTEX;
}

bool UnlockMutex(HANDLE slot)
{
    return ReleaseMutex(slot) != FALSE;
}
