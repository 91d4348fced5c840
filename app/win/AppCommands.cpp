// The application's commands: the command table, the file dialogs, the option dialogs and the
// help. Commands whose work belongs to the view or the document reach them through the
// framework's routing (view, document, frame, application): the entries of this map that say
// "not available" stand until the view or the document maps the command itself.
#include <windows.h>

#include <htmlhelp.h>

#include <algorithm>

#include "app/MainMenu.h"
#include "app/win/AboutDlg.h"
#include "app/win/MainFrame.h"
#include "app/win/TalvenorApp.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "foundation/win/StringLoader.h"
#include "framework/CommonDialogs.h"
#include "framework/Seams.h"
#include "panels/win/AsciiDialogs.h"
#include "panels/win/OptionsDlg.h"
#include "panels/win/SmallDialogs.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

BEGIN_MESSAGE_MAP(CTalvenorApp, CWinApp)
ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
ON_COMMAND(ID_SETTINGS_FILE_TYPES, OnFileTypes)
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
// The commands that wait for their dialogs: channel parameters, saving spectra.
ON_COMMAND(ID_EDIT_CHANNELS, OnNotAvailable)
ON_COMMAND(ID_EXTRAS_SAVE_SPECTRA, OnNotAvailable)
// Options of the text tables and of the standard display.
ON_COMMAND(ID_SETTINGS_ASCII_LOAD, OnSettingsAsciiLoad)
ON_COMMAND(ID_SETTINGS_ASCII_SAVE, OnSettingsAsciiSave)
ON_COMMAND(ID_SETTINGS_STD_DISPLAY, OnNotAvailable)
// The view's commands: archives, sound, the process demo.
ON_COMMAND(ID_FILE_FILE_ARCHIVE, OnNotAvailable)
ON_COMMAND(ID_FILE_DATABASE_ARCHIVE, OnNotAvailable)
ON_COMMAND(ID_EXTRAS_PLAY_AUDIO, OnNotAvailable)
ON_COMMAND(ID_EXTRAS_STOP_AUDIO, OnNotAvailable)
ON_COMMAND(ID_VIEW_PROCESS_DEMO, OnNotAvailable)
END_MESSAGE_MAP()

namespace {

HWND OwnerWindow(CWnd* main)
{
    return main && IsWindow(main->m_hWnd) ? main->m_hWnd : nullptr;
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

void CTalvenorApp::OnFileTypes()
{
    m_options.LoadAssociationFlags();
    CKSTOptionsDlg dialog(*this, m_pMainWnd);
    dialog.DoModal();
}

void CTalvenorApp::OnSettingsFft()
{
    KstFftOptions& fft = Settings().fft;
    KstFftRecord record;
    record.lengthMode = fft.padding;
    record.window = fft.window;
    record.suppressDc = fft.killOffset != 0;
    record.smoothPoints = fft.smoothPoints;
    record.onlineLength = fft.calcPoints;
    CKSTFFTSettingsDlg dialog(IsEnglish(), m_pMainWnd);
    dialog.SetSettings(record);
    if (dialog.DoModal() != IDOK) {
        return;
    }
    dialog.GetSettings(record);
    fft.padding = record.lengthMode;
    fft.window = record.window;
    fft.killOffset = record.suppressDc ? 1 : 0;
    fft.smoothPoints = record.smoothPoints;
    fft.calcPoints = record.onlineLength;
}

// The record changes in memory only; it reaches the registry with the other settings when the
// main frame closes.
void CTalvenorApp::OnSettingsAsciiLoad()
{
    KstRunLoadAsciiDialog(Settings().textFormat, static_cast<uint32_t>(Settings().language),
                          m_pMainWnd);
}

void CTalvenorApp::OnSettingsAsciiSave()
{
    KstRunSaveAsciiDialog(Settings().textFormat, static_cast<uint32_t>(Settings().language),
                          m_pMainWnd);
}

void CTalvenorApp::OnMathInterpolation()
{
    CTalvenorDoc* document = GetDocument();
    if (!document) {
        return;
    }
    CKSTChannelList& channels = document->GetDataSet().GetChannels();
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
    if (CMainFrame* frame = GetFrame()) {
        frame->UpdateStatusBar();
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
