#pragma once
// Worker threads: every worker of the program is started, waited for and stopped through
// these functions so that all of them share one start record, one error numbering and one
// stop rule.
//
// Stop rule for the owner of a worker: set the worker's stop flag, call
// WaitThreadEnd(record, 10000); when that returns false call KillThread(record); then treat
// the thread as not running.
#include <windows.h>

struct CKSTThreadRecord {
    enum : unsigned { kStarted = 0, kStartFailed = 2 };

    HANDLE handle = nullptr;
    unsigned threadId = 0;
    unsigned state = kStarted;
};

using KstThreadProc = unsigned(__stdcall*)(void* argument);

// Starts `proc(argument)` at once; 0 with state kStarted, or KST_ERR_THREAD_START with state
// kStartFailed and an empty handle.
int StartThread(CKSTThreadRecord& record, KstThreadProc proc, void* argument);

// Ends the calling thread with `exitCode`; for thread procedures only.
[[noreturn]] void EndThread(unsigned exitCode);

// Polls the thread's exit every 50 ms, at most timeoutMs / 10 times (0 means practically no
// limit). True when the thread has ended; its handle is then closed and cleared. False when the
// limit runs out (the handle stays open) or the thread's state cannot be read.
bool WaitThreadEnd(CKSTThreadRecord& record, int timeoutMs);

// Terminates the thread with exit code KST_ERR_THREAD_KILLED and closes its handle. Returns the
// platform's success flag of the termination.
bool KillThread(CKSTThreadRecord& record);

void SleepMs(unsigned ms);
