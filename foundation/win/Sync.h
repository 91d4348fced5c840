#pragma once
// Mutexes and events. Owners keep each object in a handle slot that is 0 while no object is
// held; creation fills the slot and CloseSyncHandle empties it.
#include <windows.h>

// Auto-reset, initially not signalled; `name` may be null. 0, or KST_ERR_EVENT with the slot 0.
int CreateEventHandle(HANDLE& slot, const char* name = nullptr);
// 0, or KST_ERR_EVENT when the event cannot be set.
int SignalEvent(HANDLE slot);
// Waits without limit; each signal of an auto-reset event releases exactly one waiter.
// 0 when signalled, KST_ERR_EVENT when the wait fails (a closed or invalid handle).
int WaitEvent(HANDLE slot);

// Not owned by the creator; `name` may be null. 0, or KST_ERR_MUTEX with the slot 0.
int CreateMutexHandle(HANDLE& slot, const char* name = nullptr);
// Closes an event or mutex and clears the slot, also when closing fails. 0 (also for an empty
// slot), or KST_ERR_MUTEX when closing fails.
int CloseSyncHandle(HANDLE& slot);

// Waits at most timeoutMs (negative: no limit). Non-zero when the mutex is now owned by the
// caller, including a mutex whose previous owner ended without releasing it; 0 on time-out and
// on a failed wait.
int WaitMutex(HANDLE slot, int timeoutMs);
// Takes the mutex without giving up. 0 when owned; KST_ERR_MUTEX when the wait fails, which
// would never change by waiting again.
int LockMutex(HANDLE slot);
// The platform's success flag; false when the caller does not own the mutex.
bool UnlockMutex(HANDLE slot);
