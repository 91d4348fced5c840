#include "framework/App.h"

#include <cstring>

#include "foundation/win/RegistryTree.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"

namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->GetMainWnd() : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    HINSTANCE instance = g_app ? g_app->Instance() : nullptr;
    return instance ? instance : GetModuleHandleA(nullptr);
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    CWinApp* app = g_app;
    if (!app) {
        return 0;
    }
    app->Start(instance, commandLine, showCommand);
    if (!app->InitApplication() || !app->InitInstance()) {
        if (CWnd* main = app->GetMainWnd()) {
            main->DestroyWindow();
        }
        app->ExitInstance();
        return 0;
    }
    return app->Run();
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
ON_COMMAND_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
END_MESSAGE_MAP()

CWinApp::CWinApp()
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (m_pMainWnd && IsWindow(m_pMainWnd->m_hWnd)) {
        m_pMainWnd->DestroyWindow();
    }
    m_templates.clear();
    if (g_app == this) {
        g_app = nullptr;
    }
}

void CWinApp::Start(HINSTANCE instance, const char* commandLine, int showCommand)
{
    m_hInstance = instance;
    m_nCmdShow = showCommand;
    SetCommandLine(commandLine);
}

void CWinApp::SetCommandLine(const char* commandLine)
{
    m_strCmdLine = commandLine ? commandLine : "";
    m_lpCmdLine = m_strCmdLine.c_str();
    // Decided before InitInstance, whose first steps may already touch the registry.
    m_bUseRegistry = !std::strstr(m_lpCmdLine, "/noreg") && !std::strstr(m_lpCmdLine, "/NOREG");
}

BOOL CWinApp::InitApplication()
{
    return TRUE;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    MSG msg;
    bool idle = true;
    LONG idleCount = 0;
    for (;;) {
        while (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) {
                idle = false;
            }
        }
        do {
            if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
                m_nExitCode = static_cast<int>(msg.wParam);
                return ExitInstance();
            }
            if (!PreTranslateMessage(&msg) && !CWnd::WalkPreTranslateTree(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (IsIdleMessage(msg)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

bool CWinApp::IsIdleMessage(const MSG& msg)
{
    // Painting, the caret's blink timer and a mouse that did not move change no command state.
    constexpr UINT kSystemTimer = 0x0118;
    if (msg.message == WM_PAINT || msg.message == kSystemTimer) {
        return false;
    }
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        if (msg.pt.x == m_lastMousePosition.x && msg.pt.y == m_lastMousePosition.y) {
            return false;
        }
        m_lastMousePosition = msg.pt;
    }
    return true;
}

int CWinApp::ExitInstance()
{
    if (m_bUseRegistry && m_pRecentFileList && !m_strRegistryKey.IsEmpty()) {
        m_pRecentFileList->WriteList(m_strRegistryKey);
    }
    return m_nExitCode;
}

BOOL CWinApp::OnIdle(LONG count)
{
    if (count == 0) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd); frame && frame->m_hWnd) {
            frame->OnIdleUpdateCmdUI();
        }
    }
    return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void CWinApp::AddDocTemplate(CDocTemplate* documentTemplate)
{
    m_templates.emplace_back(documentTemplate);
}

CDocTemplate* CWinApp::GetFirstDocTemplate() const
{
    return m_templates.empty() ? nullptr : m_templates.front().get();
}

CDocument* CWinApp::OpenDocumentFile(const char* pathName)
{
    CDocTemplate* documentTemplate = GetFirstDocTemplate();
    return documentTemplate ? documentTemplate->OpenDocumentFile(pathName) : nullptr;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const
{
    const char* c = m_lpCmdLine;
    while (*c) {
        while (*c == ' ' || *c == '\t') {
            ++c;
        }
        if (!*c) {
            break;
        }
        CKSTString word;
        const bool quoted = *c == '"';
        if (quoted) {
            ++c;
        }
        while (*c && (quoted ? *c != '"' : (*c != ' ' && *c != '\t'))) {
            word += *c++;
        }
        if (quoted && *c == '"') {
            ++c;
        }
        const bool flag = !quoted && (word[0] == '/' || word[0] == '-');
        if (!flag && info.m_strFileName.IsEmpty() && !word.IsEmpty()) {
            info.m_strFileName = word;
            info.m_nShellCommand = CCommandLineInfo::FileOpen;
        }
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info)
{
    switch (info.m_nShellCommand) {
        case CCommandLineInfo::FileNew:
            return OpenDocumentFile(nullptr) != nullptr;
        case CCommandLineInfo::FileOpen:
            return OpenDocumentFile(info.m_strFileName.c_str()) != nullptr;
        default:
            return TRUE;
    }
}

void CWinApp::LoadStdProfileSettings(UINT maxRecentFiles)
{
    m_pRecentFileList = std::make_unique<CRecentFileList>(
        ID_FILE_MRU_FILE1, "Recent File List", "File%d", static_cast<int>(maxRecentFiles));
    if (m_bUseRegistry && !m_strRegistryKey.IsEmpty()) {
        m_pRecentFileList->ReadList(m_strRegistryKey);
    }
}

void CWinApp::AddToRecentFileList(const char* pathName)
{
    if (m_pRecentFileList) {
        m_pRecentFileList->Add(pathName);
    }
}

void CWinApp::RegisterShellFileTypes()
{
    if (!m_bUseRegistry) {
        return;
    }
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    for (const auto& documentTemplate : m_templates) {
        CKSTString extension;
        CKSTString typeId;
        CKSTString typeName;
        if (!documentTemplate->GetDocString(extension, CDocTemplate::filterExt) ||
            !documentTemplate->GetDocString(typeId, CDocTemplate::regFileTypeId)) {
            continue;
        }
        documentTemplate->GetDocString(typeName, CDocTemplate::regFileTypeName);
        if (extension[0] == '.') {
            extension = extension.Mid(1);
        }
        RegisterFileType(typeId, module, module, extension, typeName);
    }
}

void CWinApp::BeginWaitCursor()
{
    HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
    if (m_nWaitCursorCount++ == 0) {
        m_hcurWaitCursorRestore = SetCursor(wait);
    } else {
        SetCursor(wait);
    }
}

void CWinApp::EndWaitCursor()
{
    if (m_nWaitCursorCount == 0) {
        return;
    }
    if (--m_nWaitCursorCount == 0) {
        SetCursor(m_hcurWaitCursorRestore ? m_hcurWaitCursorRestore
                                          : LoadCursor(nullptr, IDC_ARROW));
        m_hcurWaitCursorRestore = nullptr;
    }
}

void CWinApp::RestoreWaitCursor()
{
    if (m_nWaitCursorCount > 0) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
    }
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd) {
        m_pMainWnd->SendMessage(WM_CLOSE);
    }
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* cmdUI)
{
    if (m_pRecentFileList) {
        m_pRecentFileList->UpdateMenu(cmdUI);
    } else {
        cmdUI->Enable(FALSE);
    }
}

void CWinApp::OnOpenRecentFile(UINT id)
{
    const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
    if (m_pRecentFileList && index < m_pRecentFileList->GetCount()) {
        const CKSTString path = (*m_pRecentFileList)[index];
        OpenDocumentFile(path.c_str());
    }
}

// ---- CWaitCursor ------------------------------------------------------------------------------

CWaitCursor::CWaitCursor()
{
    if (CWinApp* app = AfxGetApp()) {
        app->BeginWaitCursor();
    }
}

CWaitCursor::~CWaitCursor()
{
    if (CWinApp* app = AfxGetApp()) {
        app->EndWaitCursor();
    }
}

void CWaitCursor::Restore()
{
    if (CWinApp* app = AfxGetApp()) {
        app->RestoreWaitCursor();
    }
}
