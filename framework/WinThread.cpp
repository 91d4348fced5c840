#include "framework/WinThread.h"

#include <process.h>

#include "framework/Seams.h"
#include "framework/Wnd.h"

namespace {

// Thrown by AfxEndThread and caught by the thread's entry function, which unwinds the stack
// of InitInstance or Run on the way out.
struct ThreadEnd {
    UINT exitCode;
    BOOL deleteThread;
};

}  // namespace

CWinThread::~CWinThread()
{
    if (m_hThread) {
        CloseHandle(m_hThread);
    }
}

BOOL CWinThread::CreateThread(DWORD flags, UINT stackSize, LPSECURITY_ATTRIBUTES security)
{
    // Started suspended so that the handle and id are stored before the thread can run (and
    // an auto-delete object delete itself).
    unsigned id = 0;
    const uintptr_t handle =
        _beginthreadex(security, stackSize, &CWinThread::ThreadMain, this, CREATE_SUSPENDED, &id);
    if (handle == 0) {
        return FALSE;
    }
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadID = id;
    if (!(flags & CREATE_SUSPENDED)) {
        ResumeThread(m_hThread);
    }
    return TRUE;
}

unsigned __stdcall CWinThread::ThreadMain(void* argument)
{
    auto* thread = static_cast<CWinThread*>(argument);
    int exitCode = 0;
    BOOL deleteThread = TRUE;
    try {
        exitCode = thread->InitInstance() ? thread->Run() : thread->ExitInstance();
    } catch (const ThreadEnd& end) {
        exitCode = static_cast<int>(end.exitCode);
        deleteThread = end.deleteThread;
    } catch (...) {
        // Unwinding further would cross the runtime's thread start.
        KstReportEscapedException("user-interface thread", nullptr, 0);
        exitCode = kEscapedExceptionExitCode;
    }
    if (deleteThread && thread->m_bAutoDelete) {
        delete thread;
    }
    return static_cast<unsigned>(exitCode);
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::Run()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!PreTranslateMessage(&msg) && !CWnd::WalkPreTranslateTree(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return ExitInstance();
}

int CWinThread::ExitInstance()
{
    return 0;
}

BOOL CWinThread::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void AfxEndThread(UINT exitCode, BOOL deleteThread)
{
    throw ThreadEnd{exitCode, deleteThread};
}
