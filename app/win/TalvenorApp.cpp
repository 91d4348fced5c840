// Winsock, which the node client brings in, must come before windows.h.
#include <winsock2.h>

#include "app/win/TalvenorApp.h"

#include <commctrl.h>
#include <ole2.h>

#include <cstring>

#include "acquisition/win/NodeClient.h"
#include "app/ErrorTexts.h"
#include "app/OnlineControl.h"
#include "app/win/MainFrame.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "data/DocFile.h"
#include "data/KeyFile.h"
#include "data/LayoutFile.h"
#include "foundation/win/RegistryTree.h"
#include "foundation/win/StringLoader.h"
#include "framework/CodePage.h"
#include "framework/Seams.h"
#include "panels/win/SplashDlg.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

bool IsExistingFile(const CKSTString& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

CKSTString ModulePath()
{
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    return length > 0 && length < MAX_PATH ? CKSTString(module) : CKSTString();
}

bool EndsWith(const CKSTString& text, const char* tail)
{
    const int n = static_cast<int>(std::strlen(tail));
    return text.GetLength() >= n && text.Right(n) == tail;
}

}  // namespace

CKSTString KstLongPathName(const CKSTString& path)
{
    char longPath[MAX_PATH];
    const DWORD length = GetLongPathNameA(path.c_str(), longPath, MAX_PATH);
    // No long form (a missing file) or one that does not fit: the name stays as given.
    if (length == 0 || length >= MAX_PATH) {
        return path;
    }
    return CKSTString(longPath);
}

CTalvenorApp::CTalvenorApp() = default;

CTalvenorApp::~CTalvenorApp()
{
    if (m_curveDialogs) {
        KstSetCurveWndDialogs(nullptr);
    }
    if (m_hDevMode) {
        GlobalFree(m_hDevMode);
    }
    if (m_hDevNames) {
        GlobalFree(m_hDevNames);
    }
}

BOOL CTalvenorApp::InitInstance()
{
    KstCheckCodePage(nullptr);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    LoadLibraryA("riched20.dll");
    OleInitialize(nullptr);
    if (!m_curveDialogs) {
        m_curveDialogs = std::make_unique<CKSTElementCurveDialogs>(KstCurveWndDialogs());
        KstSetCurveWndDialogs(m_curveDialogs.get());
    }

    // Decided first: it also keeps the template's shell registration and the recent-file list
    // out of the registry.
    const char* commandLine = m_lpCmdLine ? m_lpCmdLine : "";
    m_options.SetUseRegistry(!std::strstr(commandLine, "/noreg") &&
                             !std::strstr(commandLine, "/NOREG"));
    SetRegistryKey(m_options.UsesRegistry() ? m_options.GetRegistryRoot().c_str() : "");
    LoadStdProfileSettings(4);

    AddDocTemplate(new CSingleDocTemplate(
        IDR_MAINFRAME, [this] { return new CTalvenorDoc(m_options, *this); },
        [this] { return new CMainFrame(m_options, *this); },
        [this] { return new CTalvenorView(m_options, *this); }));
    if (m_options.UsesRegistry()) {
        RegisterShellFileTypes();
        OfferAssociations();
    }

    m_options.Load();

    // Always a new, empty document first (files of the command line come last), made hidden:
    // the main window shows after the splash.
    CDocTemplate* documentTemplate = GetFirstDocTemplate();
    if (!documentTemplate || !documentTemplate->OpenDocumentFile(nullptr, FALSE) || !m_pMainWnd) {
        return FALSE;
    }
    RebuildMenu();

    ShowSplashIfDue();
    // A window that was closed while the splash was up ends the program.
    if (!m_pMainWnd || !IsWindow(m_pMainWnd->m_hWnd)) {
        return FALSE;
    }

    m_pMainWnd->ShowWindow(SW_SHOWNORMAL);
    m_pMainWnd->UpdateWindow();
    RebuildMenu();
    m_pMainWnd->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);

    LoadStartDisplaySettings();
    m_pMainWnd->DragAcceptFiles(TRUE);

    CKSTString line(commandLine);
    line.Trim();
    if (!line.IsEmpty()) {
        RunCommandLineKeywords(commandLine);
    }
    return TRUE;
}

CTalvenorDoc* CTalvenorApp::GetDocument() const
{
    CDocTemplate* documentTemplate = GetFirstDocTemplate();
    return documentTemplate ? dynamic_cast<CTalvenorDoc*>(documentTemplate->GetOnlyDocument())
                            : nullptr;
}

CMainFrame* CTalvenorApp::GetFrame() const
{
    return dynamic_cast<CMainFrame*>(m_pMainWnd);
}

CTalvenorView* CTalvenorApp::GetView() const
{
    const CMainFrame* frame = GetFrame();
    return frame ? frame->GetView() : nullptr;
}

void CTalvenorApp::RebuildMenu()
{
    if (CMainFrame* frame = GetFrame()) {
        frame->RebuildMenu();
    }
}

// ---- Message boxes --------------------------------------------------------------------------

int CTalvenorApp::MessageBoxText(const char* text, UINT flags)
{
    return ShowBox(text, flags, 0);
}

int CTalvenorApp::MessageBoxId(int id, UINT flags)
{
    return ShowBox(LoadResString(id, IsEnglish()).c_str(), flags, static_cast<UINT>(id));
}

int CTalvenorApp::ShowBox(const char* text, UINT flags, UINT textId)
{
    // Before the main frame exists (first-start dialogs, the code-page check) a box has no owner.
    HWND owner = m_pMainWnd && IsWindow(m_pMainWnd->m_hWnd) ? m_pMainWnd->m_hWnd : nullptr;
    const CKSTString caption = LoadResString(KST_STR_ATTENTION, IsEnglish());
    return KstMessageBox(owner, text, caption.c_str(), flags, textId);
}

namespace {

UINT BoxFlags(KstMessageButtons buttons)
{
    switch (buttons) {
        case KstMessageButtons::OkExclamation:
            return MB_OK | MB_ICONEXCLAMATION;
        case KstMessageButtons::YesNoStop:
            return MB_YESNO | MB_ICONSTOP;
        default:
            return MB_OK;
    }
}

}  // namespace

int CTalvenorApp::ShowErrorCode(int code, bool askReconnect)
{
    const KstErrorMessage message = KstOnlineErrorMessage(code, askReconnect);
    if (!message.shown) {
        return 0;
    }
    int button;
    if (message.prefixCode) {
        CKSTString text = CKSTString::FormatInt(code);
        text += ' ';
        text += LoadResString(message.stringId, IsEnglish());
        button = MessageBoxText(text.c_str(), BoxFlags(message.buttons));
    } else {
        button = MessageBoxId(message.stringId, BoxFlags(message.buttons));
    }
    return message.buttons == KstMessageButtons::YesNoStop ? button : message.result;
}

int CTalvenorApp::ShowFileError(int code)
{
    const KstErrorMessage message = KstFileErrorMessage(code);
    if (!message.shown) {
        return 0;
    }
    MessageBoxId(message.stringId, BoxFlags(message.buttons));
    return message.result;
}

// ---- File associations -----------------------------------------------------------------------

void CTalvenorApp::RegisterFileType(const char* progId, const char* extension, bool wanted,
                                    uint8_t& flag)
{
    CKSTString lower(extension);
    lower.MakeLower();
    const CKSTString description = CKSTString(progId) + " - Document";
    const CKSTString program = ModulePath();
    if (!wanted && flag) {
        UnregisterFileType(lower, progId);
        flag = 0;
    } else if (wanted && !flag) {
        ::RegisterFileType(progId, program, program, lower, description);
        flag = 1;
    }
}

// ---- Start-up steps ------------------------------------------------------------------------

void CTalvenorApp::OfferAssociations()
{
    if (!m_options.UsesRegistry()) {
        return;
    }
    CKSTHeaderInfoList tree;
    RegLoadTree(HKEY_CURRENT_USER, m_options.RegistryKey(kKstAssociationKey), tree);
    CKSTString offered;
    if (tree.GetString("RazOridid", offered) >= 0 && offered == "1") {
        return;
    }
    tree.SetString("RazOridid", "1");
    RegSaveTree(HKEY_CURRENT_USER, m_options.RegistryKey(kKstAssociationKey), tree);
    // The flags of earlier runs decide which boxes start checked.
    m_options.LoadAssociationFlags();
    CKSTOptionsDlg dialog(*this, nullptr);
    dialog.DoModal();
}

void CTalvenorApp::ShowSplashIfDue()
{
    CKSTHeaderInfoList tree;
    KstDate stored;
    if (m_options.UsesRegistry() &&
        RegLoadTree(HKEY_CURRENT_USER, m_options.RegistryKey(kKstSplashDateKey), tree) == 0) {
        tree.GetShortOr("Day", stored.day, 0);
        tree.GetShortOr("Month", stored.month, 0);
        tree.GetShortOr("Year", stored.year, 0);
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    const KstDate today{static_cast<int16_t>(now.wDay), static_cast<int16_t>(now.wMonth),
                        static_cast<int16_t>(now.wYear)};
    if (!KstIsSplashDue(stored, today)) {
        return;
    }
    tree.SetString("Day", CKSTString::FormatInt(today.day));
    tree.SetString("Month", CKSTString::FormatInt(today.month));
    tree.SetString("Year", CKSTString::FormatInt(today.year));
    if (m_options.UsesRegistry()) {
        RegSaveTree(HKEY_CURRENT_USER, m_options.RegistryKey(kKstSplashDateKey), tree);
    }
    CKSTSplashDlg splash;
    splash.DoModal();
}

void CTalvenorApp::OpenFilesFromText(const CKSTString& text)
{
    std::vector<CKSTString> names = KstSplitFileNames(text);
    for (CKSTString& name : names) {
        name = KstLongPathName(name);
    }
    KstSortFileNames(names);
    if (names.empty()) {
        return;
    }
    // Also a name that is no file: the open tells what it tells File > Open.
    OpenDocumentFile(names[0].c_str());
    CTalvenorDoc* document = GetDocument();
    if (!document) {
        return;
    }
    bool stop = false;
    for (size_t i = 1; i < names.size() && !stop; ++i) {
        document->AppendFiles({names[i]}, stop);
    }
}

void CTalvenorApp::RunCommandLineKeywords(const CKSTString& commandLine)
{
    const KstCommandLineRequest request = KstParseCommandLineKeywords(commandLine);
    m_bPipeSource = m_bPipeSource || request.pipeSource;
    m_bSerialBusSource = m_bSerialBusSource || request.serialBusSource;
    for (const KstSettingsFileRequest& file : request.settingsFiles) {
        ReadSettingsFile(file.path, file.all);
    }
    KstAppSettings& settings = Settings();
    if (!request.processSettingsPath.IsEmpty()) {
        // The process pane that loads it comes with the record window.
        settings.processSettingsPath = request.processSettingsPath;
        OnShowProcess();
    }
    if (request.sourceKind == KST_SOURCE_NONE) {
        OpenFilesFromText(request.collectedText);
        return;
    }

    BeginWaitCursor();
    int32_t bufferType = settings.onlineBufferType;
    int32_t bufferIndex = settings.onlineBufferIndex;
    int32_t readMode = settings.onlineReadMode;
    KstMapDataSource(request, bufferType, bufferIndex, readMode);
    PromoteRecentSource(request.address);
    // A new file named beside the connection records the stream; an existing one is never
    // written over (another instance may be recording into it), and the user is told.
    CKSTString recording;
    bool recordingRefused = false;
    const std::vector<CKSTString> names = KstSplitFileNames(request.collectedText);
    if (!names.empty()) {
        recordingRefused = IsExistingFile(names[0]);
        if (!recordingRefused) {
            recording = names[0];
        }
    }
    int port = kKstNodeCommandPort;
    if (request.sourceKind == KST_SOURCE_NODE) {
        CKSTNodeClient::QueryDeviceIdent(request.address, 1.0, port);
    }
    int result = -1013;
    if (CTalvenorView* view = GetView()) {
        result = view->Online().ConnectSource(
            request.address, port, false, 0.2, request.sourceKind, request.bufferMode,
            bufferType, bufferIndex, readMode, recording, request.backView,
            settings.onlineRamUsage, false, settings.ftpPassive != 0, false);
    }
    EndWaitCursor();
    if (result != 0) {
        ShowErrorCode(result, true);
    } else if (recordingRefused) {
        ShowErrorCode(KST_ONL_RECORDING_NOT_CREATED, false);
    }
}

bool CTalvenorApp::ReadSettingsFile(const CKSTString& path, bool all)
{
    CKSTDocFile file;
    if (file.OpenRead(path) != 0) {
        return false;
    }
    uint8_t newerKinds = 0;
    KstAppSettings& settings = Settings();
    if (all) {
        auto pending = std::make_unique<CKSTCurveWndSettings>();
        CTalvenorDoc* document = GetDocument();
        if (file.ReadCurveWndSettingsAll(*pending, &newerKinds) >= 0 && document) {
            document->SetPendingWindowSettings(std::move(pending));
        }
    } else {
        CKSTCurveWndSettings read;
        if (file.ReadCurveWndSettings(read, &newerKinds) >= 0) {
            m_options.StartSettings() = read;
        }
        settings.settingsUsage = 1;
        settings.settingsUseOnlyFitting = 1;
    }
    static_cast<void>(file.Close());
    KstPushSettingsFile(settings.settingsFiles, path);
    return true;
}

void CTalvenorApp::LoadStartDisplaySettings()
{
    uint8_t newerKinds = 0;
    KstAppSettings& settings = Settings();
    if (settings.settingsFiles.empty()) {
        CKSTDocFile file;
        const CKSTString path = ModulePath().Directory().AsDirectory() + "settings.qld";
        if (file.OpenRead(path) == 0) {
            CKSTCurveWndSettings read;
            if (file.ReadCurveWndSettings(read, &newerKinds) >= 0) {
                m_options.StartSettings() = read;
            }
            static_cast<void>(file.Close());
            settings.settingsUsage = 1;
            settings.settingsUseOnlyFitting = 1;
        }
        return;
    }
    const CKSTString newest = settings.settingsFiles[0];
    if (EndsWith(newest, ".ini")) {
        CKSTKeyFile script;
        if (script.Open(newest, KST_OPEN_READ) != 0) {
            return;
        }
        if (LoadCurveWndLayout(script, m_options.StartSettings(), true) < 0) {
            RemoveSettingsFile(0);
        }
        return;
    }
    CKSTDocFile file;
    bool read = false;
    if (file.OpenRead(newest) == 0) {
        CKSTCurveWndSettings stored;
        read = file.ReadCurveWndSettings(stored, &newerKinds) >= 0;
        if (read) {
            m_options.StartSettings() = stored;
        }
        static_cast<void>(file.Close());
    }
    if (!read) {
        RemoveSettingsFile(0);
    }
}

// ---- Recent lists --------------------------------------------------------------------------

CKSTString CTalvenorApp::GetSettingsFile(int n) const
{
    const std::vector<CKSTString>& files = m_options.Settings().settingsFiles;
    return n >= 0 && n < GetSettingsFileCount() ? files[static_cast<size_t>(n)] : CKSTString();
}

int CTalvenorApp::GetSettingsFileCount() const
{
    return static_cast<int>(m_options.Settings().settingsFiles.size());
}

void CTalvenorApp::RemoveSettingsFile(int n)
{
    std::vector<CKSTString>& files = Settings().settingsFiles;
    if (n >= 0 && n < GetSettingsFileCount()) {
        files.erase(files.begin() + n);
    }
}

CKSTString CTalvenorApp::GetRecentSource(int n) const
{
    const std::vector<CKSTString>& sources = m_options.Settings().recentSources;
    return n >= 0 && n < GetRecentSourceCount() ? sources[static_cast<size_t>(n)] : CKSTString();
}

int CTalvenorApp::GetRecentSourceCount() const
{
    return static_cast<int>(m_options.Settings().recentSources.size());
}

void CTalvenorApp::PromoteRecentSource(const CKSTString& text)
{
    KstPromoteRecentSource(Settings().recentSources, text);
}
