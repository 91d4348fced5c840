#pragma once
// The application object: one per program, constructed before the entry point runs it.
//
// AfxWinMain (called by the framework's WinMain) stores the instance, command line and show
// command, then runs InitApplication and InitInstance: a FALSE from either ends the program
// quietly with exit code 0. Otherwise Run is the message loop until WM_QUIT, which the main
// frame posts when its window is destroyed; on idle it updates the main frame's toolbar and
// restores the status bar's idle prompt. ExitInstance's result is the exit code.
//
// With "/noreg" or "/NOREG" anywhere in the command line (case as written) the framework
// neither reads nor writes the registry: no recent-file list is loaded or stored and no file
// types are registered.
#include <windows.h>

#include <memory>
#include <vector>

#include "foundation/String.h"
#include "framework/CmdUI.h"
#include "framework/DocTemplate.h"
#include "framework/FrameworkIds.h"
#include "framework/RecentFileList.h"

class CDocument;
class CWnd;

// What the command line asks the framework to do (ParseCommandLine, ProcessShellCommand).
class CCommandLineInfo {
public:
    enum { FileNew, FileOpen, FileNothing };

    int m_nShellCommand = FileNew;
    CKSTString m_strFileName;  // the first word that is no "/" or "-" flag
};

class CWinApp : public CCmdTarget {
    DECLARE_MESSAGE_MAP()

public:
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitApplication();
    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    // Called by Run when no message waits, with the count of calls since the last message;
    // TRUE asks for another call. The default updates the main frame's bars and idle prompt.
    virtual BOOL OnIdle(LONG count);
    // Offered each message of Run before the window tree's PreTranslateMessage.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Takes ownership.
    void AddDocTemplate(CDocTemplate* documentTemplate);
    CDocTemplate* GetFirstDocTemplate() const;
    // Through the first template; null on failure.
    virtual CDocument* OpenDocumentFile(const char* pathName);

    void ParseCommandLine(CCommandLineInfo& info) const;
    // FALSE when the document, frame or view could not be made.
    BOOL ProcessShellCommand(CCommandLineInfo& info);

    // The full path of the key below HKEY_CURRENT_USER under which the framework keeps its
    // settings, ending in "\"; without one nothing is kept.
    void SetRegistryKey(const char* keyPath) { m_strRegistryKey = keyPath; }
    const CKSTString& GetRegistryKey() const { return m_strRegistryKey; }
    // False after "/noreg" or "/NOREG" on the command line.
    bool UsesRegistry() const { return m_bUseRegistry; }

    // Starts a recent-file list of `maxRecentFiles` entries and reads it from the registry.
    void LoadStdProfileSettings(UINT maxRecentFiles = 4);
    virtual void AddToRecentFileList(const char* pathName);
    // The templates' file types (extension, type id and name of their document strings).
    void RegisterShellFileTypes();

    // The wait cursor, counted: it stays until as many EndWaitCursor calls as BeginWaitCursor.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();
    bool IsWaitCursorShown() const { return m_nWaitCursorCount > 0; }

    // The command line as the program was started with it, and how its main window shows.
    void SetCommandLine(const char* commandLine);
    int GetShowCommand() const { return m_nCmdShow; }
    CWnd* GetMainWnd() const { return m_pMainWnd; }
    void SetMainWnd(CWnd* window) { m_pMainWnd = window; }
    // Null until LoadStdProfileSettings started one.
    CRecentFileList* GetRecentFileList() const { return m_pRecentFileList.get(); }

    HINSTANCE m_hInstance = nullptr;
    const char* m_lpCmdLine = "";
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    int m_nWaitCursorCount = 0;

protected:
    void OnAppExit();
    void OnUpdateRecentFileMenu(CCmdUI* cmdUI);
    // Opens entry n of the recent-file list.
    void OnOpenRecentFile(UINT id);

private:
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int);
    friend HINSTANCE AfxGetInstanceHandle();

    void Start(HINSTANCE instance, const char* commandLine, int showCommand);
    HINSTANCE Instance() const { return m_hInstance; }

    bool IsIdleMessage(const MSG& msg);

    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    CKSTString m_strCmdLine;
    CKSTString m_strRegistryKey;
    bool m_bUseRegistry = true;
    HCURSOR m_hcurWaitCursorRestore = nullptr;
    int m_nExitCode = 0;
    POINT m_lastMousePosition{-1, -1};
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();

// Runs the application object; the exit code.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// The wait cursor for a scope.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    void Restore();
};
