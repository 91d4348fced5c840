// The application's commands: the command table, the file dialogs, the option dialogs and the
// help. Commands whose work belongs to the view or the document reach them through the
// framework's routing (view, document, frame, application): the entries of this map that say
// "not available" stand until the view or the document maps the command itself.
#include <windows.h>

#include <htmlhelp.h>

#include <algorithm>

#include "app/FileDialogs.h"
#include "app/MainMenu.h"
#include "app/win/AboutDlg.h"
#include "app/win/MainFrame.h"
#include "app/win/TalvenorApp.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "foundation/win/StringLoader.h"
#include "framework/CommonDialogs.h"
#include "framework/Seams.h"
#include "panels/win/SmallDialogs.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

BEGIN_MESSAGE_MAP(CTalvenorApp, CWinApp)
ON_COMMAND(ID_FILE_NEW_DOCUMENT, OnFileNew)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_FILE_APPEND, OnFileAppend)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
ON_COMMAND(ID_FILE_MRU_FILE1, OnRecentFile)
ON_COMMAND(ID_SETTINGS_LANGUAGE, OnSettingsLanguage)
ON_COMMAND(ID_SETTINGS_FFT, OnSettingsFft)
ON_COMMAND(ID_MATH_INTERPOLATION, OnMathInterpolation)
ON_COMMAND(ID_HELP_INDEX, OnHelpIndex)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
ON_COMMAND_RANGE(ID_VIEW_SPECTRA, ID_VIEW_COMMENT, OnPaneToggle)
ON_COMMAND_RANGE(ID_VIEW_CHANNEL_LIST, ID_VIEW_CHANNEL_LIST, OnPaneToggle)
ON_COMMAND_RANGE(ID_VIEW_PROCESS, ID_VIEW_PROCESS, OnPaneToggle)
ON_COMMAND_RANGE(ID_VIEW_VALUE_LIST, ID_VIEW_VALUE_LIST, OnPaneToggle)
ON_COMMAND(ID_VIEW_SHOW_PROCESS, OnShowProcess)
ON_COMMAND(ID_VIEW_HIDE_PROCESS, OnHideProcess)
// The document's commands: selective open, channel parameters, the file lock.
ON_COMMAND(ID_FILE_OPEN_SELECTIVE, OnNotAvailable)
ON_COMMAND(ID_EDIT_CHANNELS, OnNotAvailable)
ON_COMMAND(ID_FILE_LOCK, OnNotAvailable)
ON_COMMAND(ID_FILE_UNLOCK, OnNotAvailable)
ON_COMMAND(ID_FILE_REMOVE_LOCK, OnNotAvailable)
ON_COMMAND(ID_EXTRAS_SAVE_SPECTRA, OnNotAvailable)
// Options of the text tables and of the standard display.
ON_COMMAND(ID_SETTINGS_ASCII_LOAD, OnNotAvailable)
ON_COMMAND(ID_SETTINGS_ASCII_SAVE, OnNotAvailable)
ON_COMMAND(ID_SETTINGS_STD_DISPLAY, OnNotAvailable)
// The view's commands: archives, live stream, sound, generated signals, the process demo.
ON_COMMAND(ID_FILE_FILE_ARCHIVE, OnNotAvailable)
ON_COMMAND(ID_FILE_DATABASE_ARCHIVE, OnNotAvailable)
ON_COMMAND(ID_ONLINE_START, OnNotAvailable)
ON_COMMAND(ID_ONLINE_OSCILLOSCOPE, OnNotAvailable)
ON_COMMAND(ID_ONLINE_STOP, OnNotAvailable)
ON_COMMAND(ID_EXTRAS_PLAY_AUDIO, OnNotAvailable)
ON_COMMAND(ID_EXTRAS_STOP_AUDIO, OnNotAvailable)
ON_COMMAND(ID_EXTRAS_WAVEFORM, OnNotAvailable)
ON_COMMAND(ID_VIEW_PROCESS_DEMO, OnNotAvailable)
END_MESSAGE_MAP()

namespace {

HWND OwnerWindow(CWnd* main)
{
    return main && IsWindow(main->m_hWnd) ? main->m_hWnd : nullptr;
}

bool FileExists(const CKSTString& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void CTalvenorApp::OnNotAvailable()
{
    MessageBoxId(KST_STR_FUNCTION_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
}

void CTalvenorApp::OnAppAbout()
{
    CAboutDlg about(IsEnglish(), m_pMainWnd);
    about.DoModal();
}

// ---- Open, append, save ------------------------------------------------------------------------

bool CTalvenorApp::AskOpenPath(CKSTString& path)
{
    const CKSTString filter = KstFilterString(KstOpenFilters(IsEnglish()));
    const CKSTString title = LoadResString(KST_STR_OPEN_TITLE, IsEnglish());
    CFileDialog dialog(TRUE, "qld", nullptr, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, filter.c_str(),
                       m_pMainWnd);
    dialog.m_ofn.lpstrTitle = title.c_str();
    if (!m_settings.lastLoadDir.IsEmpty()) {
        dialog.m_ofn.lpstrInitialDir = m_settings.lastLoadDir.c_str();
    }
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    path = dialog.GetPathName();
    m_settings.lastLoadDir = KstFolderOf(path);
    return true;
}

bool CTalvenorApp::AskAppendPaths(std::vector<CKSTString>& paths)
{
    const CKSTString filter = KstFilterString(KstAppendFilters(IsEnglish()));
    const CKSTString title = LoadResString(KST_STR_OPEN_TITLE, IsEnglish());
    CFileDialog dialog(TRUE, "qld", nullptr,
                       OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_EXPLORER,
                       filter.c_str(), m_pMainWnd);
    dialog.m_ofn.lpstrTitle = title.c_str();
    if (!m_settings.lastLoadDir.IsEmpty()) {
        dialog.m_ofn.lpstrInitialDir = m_settings.lastLoadDir.c_str();
    }
    if (dialog.DoModal() != IDOK) {
        if (dialog.GetExtendedError() == FNERR_BUFFERTOOSMALL) {
            MessageBoxId(KST_STR_TOO_MANY_FILES, MB_OK | MB_ICONEXCLAMATION);
        }
        return false;
    }
    paths = dialog.GetPathNames();
    KstSortFileNames(paths);
    if (!paths.empty()) {
        m_settings.lastLoadDir = KstFolderOf(paths.front());
    }
    return !paths.empty();
}

bool CTalvenorApp::AskSaveAsTarget(CKSTString& path, int& fileType)
{
    const KstSaveAsStart start = KstSaveAsStartFor(m_strCurrentPath);
    const CKSTString filter = KstFilterString(KstSaveAsFilters());
    const CKSTString title = LoadResString(KST_STR_SAVE_AS_TITLE, IsEnglish());
    // The program asks about an existing file itself; a new file must be allowed.
    CFileDialog dialog(FALSE, start.defaultExtension.c_str(), start.initialName.c_str(),
                       OFN_PATHMUSTEXIST, filter.c_str(), m_pMainWnd);
    dialog.m_ofn.lpstrTitle = title.c_str();
    dialog.m_ofn.nFilterIndex = static_cast<DWORD>(start.filterIndex);
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    path = dialog.GetPathName();
    if (FileExists(path) &&
        MessageBoxId(KST_STR_ASK_OVERWRITE, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return false;
    }
    fileType = KstSaveAsFileType(static_cast<int>(dialog.m_ofn.nFilterIndex));
    return true;
}

bool CTalvenorApp::SaveDocument()
{
    if (!KstSavesInPlace(m_strCurrentPath)) {
        return SaveDocumentAs();
    }
    return m_pDocument && m_pDocument->SaveFile(m_strCurrentPath.c_str(), 0);
}

bool CTalvenorApp::SaveDocumentAs()
{
    CKSTString path;
    int fileType = KST_FILE_NATIVE;
    bool saved = false;
    if (AskSaveAsTarget(path, fileType) && m_pDocument &&
        m_pDocument->SaveFile(path.c_str(), fileType)) {
        m_pDocument->SetPathName(path.c_str());
        saved = true;
    }
    // Only a written file takes the unsaved state away.
    if (saved) {
        ClearLiveDataModified();
    }
    return saved;
}

bool CTalvenorApp::QuerySaveLiveData()
{
    const int32_t sourceKind = m_pView ? m_pView->m_nSourceKind : 0;
    if (!IsLiveDataModified() || sourceKind < 0 || sourceKind > 2) {
        ClearLiveDataModified();
        return true;
    }
    if (MessageBoxId(KST_STR_ASK_SAVE_CHANGES, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        ClearLiveDataModified();
        return true;
    }
    if (!SaveDocument()) {
        return false;
    }
    ClearLiveDataModified();
    return true;
}

void CTalvenorApp::OnFileNew()
{
    if (m_pDocument) {
        m_pDocument->OnNewDocument();
    }
}

void CTalvenorApp::OnFileOpen()
{
    CKSTString path;
    if (AskOpenPath(path)) {
        OpenDocumentFile(path.c_str());
    }
}

void CTalvenorApp::OnFileAppend()
{
    std::vector<CKSTString> paths;
    if (!AskAppendPaths(paths) || !m_pDocument) {
        return;
    }
    bool stop = false;
    for (size_t i = 0; i < paths.size() && !stop && m_pDocument; ++i) {
        m_pDocument->AppendFiles({paths[i]}, stop);
    }
}

void CTalvenorApp::OnFileSave()
{
    SaveDocument();
}

void CTalvenorApp::OnFileSaveAs()
{
    SaveDocumentAs();
}

void CTalvenorApp::OnRecentFile()
{
    if (!m_strCurrentPath.IsEmpty()) {
        OpenDocumentFile(m_strCurrentPath.c_str());
    } else if (m_pRecentFileList && m_pRecentFileList->GetCount() > 0) {
        const CKSTString path = (*m_pRecentFileList)[0];
        OpenDocumentFile(path.c_str());
    }
}

void CTalvenorApp::OnFilePrintSetup()
{
    CPrintDialog dialog(
        TRUE,
        PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION,
        m_pMainWnd);
    dialog.m_pd.hDevMode = m_hDevMode;
    dialog.m_pd.hDevNames = m_hDevNames;
    if (dialog.DoModal() == IDOK) {
        // The dialog may have replaced the handles it was given; it frees none it replaced.
        if (m_hDevMode && m_hDevMode != dialog.m_pd.hDevMode) {
            GlobalFree(m_hDevMode);
        }
        if (m_hDevNames && m_hDevNames != dialog.m_pd.hDevNames) {
            GlobalFree(m_hDevNames);
        }
        m_hDevMode = dialog.m_pd.hDevMode;
        m_hDevNames = dialog.m_pd.hDevNames;
    }
}

// ---- Options -----------------------------------------------------------------------------------

void CTalvenorApp::OnSettingsFft()
{
    KstFftRecord record;
    record.lengthMode = m_settings.fft.padding;
    record.window = m_settings.fft.window;
    record.suppressDc = m_settings.fft.killOffset != 0;
    record.smoothPoints = m_settings.fft.smoothPoints;
    record.onlineLength = m_settings.fft.calcPoints;
    CKSTFFTSettingsDlg dialog(IsEnglish(), m_pMainWnd);
    dialog.SetSettings(record);
    if (dialog.DoModal() != IDOK) {
        return;
    }
    dialog.GetSettings(record);
    m_settings.fft.padding = record.lengthMode;
    m_settings.fft.window = record.window;
    m_settings.fft.killOffset = record.suppressDc ? 1 : 0;
    m_settings.fft.smoothPoints = record.smoothPoints;
    m_settings.fft.calcPoints = record.onlineLength;
}

void CTalvenorApp::OnMathInterpolation()
{
    if (!m_pDocument) {
        return;
    }
    CKSTChannelList& channels = m_pDocument->GetDataSet().GetChannels();
    std::vector<CKSTString> names;
    for (int i = 0; i < channels.GetCount(); ++i) {
        names.push_back(channels.GetAt(i)->GetName());
    }
    CKSTInterpolationDlg dialog(names, m_pMainWnd);
    if (dialog.DoModal() != IDOK || dialog.m_nChannel < 0 ||
        dialog.m_nChannel >= channels.GetCount() || dialog.m_nFactor <= 0) {
        return;
    }
    CWaitCursor wait;
    CKSTChannel* channel = channels.GetAt(dialog.m_nChannel);
    channel->InterpolateSinc(channel->GetDt() / dialog.m_nFactor);
    if (m_pFrame) {
        m_pFrame->UpdateStatusBar();
    }
}

// ---- Help --------------------------------------------------------------------------------------

CKSTString CTalvenorApp::WriteHelpFile()
{
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    const CKSTString path =
        CKSTString(length > 0 && length < MAX_PATH ? folder : "") + "talvenor.chm";
    HINSTANCE module = KstResourceHandle();
    HRSRC info = FindResourceA(
        module, MAKEINTRESOURCEA(IsEnglish() ? IDR_HELP_ENGLISH : IDR_HELP_GERMAN), "HELP_CHM");
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const void* bytes = handle ? LockResource(handle) : nullptr;
    if (!bytes) {
        return path;
    }
    const DWORD size = SizeofResource(module, info);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return path;  // an earlier copy may still be there
    }
    DWORD written = 0;
    const BOOL complete = WriteFile(file, bytes, size, &written, nullptr) && written == size;
    CloseHandle(file);
    if (!complete) {
        // A partial help file would only confuse the viewer.
        DeleteFileA(path.c_str());
    }
    return path;
}

void CTalvenorApp::OnHelpIndex()
{
    const CKSTString path = WriteHelpFile();
    if (!KstHtmlHelp(OwnerWindow(m_pMainWnd), path.c_str(), HH_DISPLAY_TOPIC, 0)) {
        CKSTString text = LoadResString(KST_STR_HELP_NOT_OPENED, IsEnglish());
        text += path;
        MessageBoxText(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
}
