#pragma once
// User-interface threads: a thread with its own message loop, for windows and popup menus that
// must not wait on the UI thread.
//
// A derived class overrides InitInstance (creating its windows, or doing all its work there and
// ending with AfxEndThread). When InitInstance returns TRUE the thread runs Run, a message loop
// until WM_QUIT, then ExitInstance; the result is the thread's exit code. With m_bAutoDelete
// (the default) the object deletes itself when the thread ends. An exception that escapes them
// is reported through the fault seam (Seams.h) and ends the thread with
// kEscapedExceptionExitCode.
#include <windows.h>

constexpr int kEscapedExceptionExitCode = -1;

class CWinThread {
public:
    CWinThread() = default;
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread (CREATE_SUSPENDED in `flags` leaves it suspended); FALSE when it could
    // not be started (an auto-delete object is then still the caller's to delete).
    BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0,
                      LPSECURITY_ATTRIBUTES security = nullptr);

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    // Offered each message of Run before it is dispatched (then the window tree's).
    virtual BOOL PreTranslateMessage(MSG* msg);

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

private:
    static unsigned __stdcall ThreadMain(void* thread);
};

// Ends the calling user-interface thread with `exitCode`, deleting its thread object when
// `deleteThread` is set and the object is auto-delete. Objects on the thread's stack are
// destroyed on the way. Call it from the thread's own code (InitInstance, Run, ExitInstance),
// never from inside a window procedure; a window handler posts WM_QUIT instead.
[[noreturn]] void AfxEndThread(UINT exitCode, BOOL deleteThread = TRUE);
