#include "app/win/MainFrame.h"

#include <shellapi.h>

#include <vector>

#include "app/FrameTitle.h"
#include "app/StatusTexts.h"
#include "app/win/AppOptions.h"
#include "app/win/MessageSink.h"
#include "app/win/ReportPrinter.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/TalvenorView.h"
#include "foundation/win/StringLoader.h"
#include "framework/App.h"
#include "panels/win/SmallDialogs.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

// Status bar panes after the message pane.
constexpr int kLockPane = 1;
constexpr int kRatePane = 2;
constexpr int kMemoryPane = 3;
constexpr int kStatusStringBase = KST_STR_STATUS_READY;

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_LOCK, ID_INDICATOR_RATE,
                            ID_INDICATOR_MEMORY};

}  // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_WM_DROPFILES()
ON_MESSAGE(WM_SETTEXT, OnSetText)
ON_MESSAGE(WM_SIZING, OnSizing)
ON_MESSAGE(WM_EXITSIZEMOVE, OnExitSizeMove)
ON_MESSAGE(KST_WM_ARCHIVE_LOADED, OnArchiveLoaded)
ON_MESSAGE(KST_WM_ARCHIVE_PROGRESS, OnArchiveProgress)
ON_COMMAND(ID_FILE_PRINT_DISPLAY, OnPrintDisplay)
ON_COMMAND(ID_FILE_PREVIEW_DISPLAY, OnPreviewDisplay)
ON_COMMAND(ID_FILE_PRINT, OnPrintRequest)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnPreviewRequest)
// The document takes these once it can edit its channels; until then they are not available.
ON_COMMAND(ID_EDIT_X_AXIS, OnNotAvailable)
ON_COMMAND(ID_EDIT_CUT_CURSORS, OnNotAvailable)
ON_COMMAND(ID_FILE_PRINT_REPORT, OnPrintReport)
ON_UPDATE_COMMAND_UI_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE4, OnUpdateRecentFiles)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateSave)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, OnUpdateSave)
ON_UPDATE_COMMAND_UI(ID_FILE_PRINT, OnUpdateAlways)
ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_PREVIEW, OnUpdateAlways)
ON_UPDATE_COMMAND_UI_RANGE(ID_FILE_PRINT_REPORT, ID_FILE_PREVIEW_DISPLAY, OnUpdateAlways)
ON_UPDATE_COMMAND_UI(ID_EDIT_X_AXIS, OnUpdateNotLocked)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT_CURSORS, OnUpdateNotLocked)
ON_UPDATE_COMMAND_UI(ID_FILE_APPEND, OnUpdateAppend)
ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_SPECTRA, ID_VIEW_COMMENT, OnUpdateAlways)
ON_UPDATE_COMMAND_UI(ID_VIEW_CHANNEL_LIST, OnUpdateAlways)
ON_UPDATE_COMMAND_UI(ID_VIEW_PROCESS, OnUpdateAlways)
ON_UPDATE_COMMAND_UI(ID_VIEW_VALUE_LIST, OnUpdateAlways)
// New is the menu's own command; the framework's id is kept for its toolbar button.
ON_UPDATE_COMMAND_UI(ID_FILE_NEW_DOCUMENT, OnUpdateNotOnline)
ON_UPDATE_COMMAND_UI(ID_FILE_NEW, OnUpdateNotOnline)
ON_UPDATE_COMMAND_UI(ID_FILE_OPEN, OnUpdateNotOnline)
ON_UPDATE_COMMAND_UI(ID_FILE_OPEN_SELECTIVE, OnUpdateNotOnline)
ON_UPDATE_COMMAND_UI(ID_ONLINE_START, OnUpdateNotOnline)
ON_UPDATE_COMMAND_UI(ID_ONLINE_OSCILLOSCOPE, OnUpdateNotOnline)
ON_UPDATE_COMMAND_UI(ID_FILE_DATABASE_ARCHIVE, OnUpdateNotOnline)
ON_UPDATE_COMMAND_UI(ID_FILE_FILE_ARCHIVE, OnUpdateNotOnline)
ON_UPDATE_COMMAND_UI(ID_ONLINE_STOP, OnUpdateOnline)
ON_UPDATE_COMMAND_UI(ID_EXTRAS_SAVE_SPECTRA, OnUpdateSaveSpectra)
ON_UPDATE_COMMAND_UI(ID_EXTRAS_PLAY_AUDIO, OnUpdatePlayAudio)
ON_UPDATE_COMMAND_UI(ID_EXTRAS_STOP_AUDIO, OnUpdateStopAudio)
END_MESSAGE_MAP()

CMainFrame::CMainFrame(CKSTAppOptions& options, IKSTMessageSink& messages)
    : m_options(options), m_messages(messages)
{
}

CMainFrame::~CMainFrame()
{
    for (HICON& icon : m_lockIcons) {
        if (icon) {
            DestroyIcon(icon);
        }
    }
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs)) {
        return FALSE;
    }
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    // The frame's background would otherwise be painted over the panes of the view, which
    // repaint only when they change themselves.
    cs.style |= WS_CLIPCHILDREN;
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT create)
{
    if (CFrameWnd::OnCreate(create) == -1) {
        return -1;
    }
    if (!m_wndToolBar.CreateEx(
            this, 0,
            WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_FLYBY | CBRS_SIZE_DYNAMIC,
            AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME)) {
        return -1;
    }
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, sizeof kIndicators / sizeof kIndicators[0])) {
        return -1;
    }

    HINSTANCE resources = KstResourceHandle();
    const UINT iconIds[] = {IDI_LOCK_CLOSED, IDI_LOCK_NONE, IDI_LOCK_OPENED};
    for (int i = 0; i < 3; ++i) {
        m_lockIcons[i] = static_cast<HICON>(
            LoadImageA(resources, MAKEINTRESOURCEA(iconIds[i]), IMAGE_ICON, 16, 16, LR_VGACOLOR));
    }
    m_wndStatusBar.SetPaneIcon(kLockPane, m_lockIcons[1]);
    m_wndStatusBar.SetStringBase(kStatusStringBase);
    m_wndStatusBar.SetLanguage(static_cast<uint16_t>(m_options.Settings().language));

    HICON small = static_cast<HICON>(
        LoadImageA(resources, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_SHARED));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));

    UpdateStatusBar();
    return 0;
}

CTalvenorView* CMainFrame::GetView() const
{
    return dynamic_cast<CTalvenorView*>(GetActiveView());
}

CTalvenorDoc* CMainFrame::GetDocument() const
{
    return dynamic_cast<CTalvenorDoc*>(GetActiveDocument());
}

// ---- Status bar -------------------------------------------------------------------------------

bool CMainFrame::IsOnline() const
{
    const CTalvenorView* view = GetView();
    return view && view->Online().m_bOnline;
}

bool CMainFrame::IsLocked() const
{
    const CTalvenorDoc* document = GetDocument();
    return document && document->IsLocked();
}

bool CMainFrame::IsPlaying() const
{
    const CTalvenorView* view = GetView();
    return view && view->m_bPlaying;
}

void CMainFrame::UpdateStatusBar()
{
    if (!m_wndStatusBar.m_hWnd) {
        return;
    }
    CTalvenorDoc* document = GetDocument();
    const CTalvenorView* view = GetView();

    const KstLockPane lock = KstLockPaneFor(document && document->IsLocked(),
                                            document && !document->GetLockPassword().IsEmpty());
    m_wndStatusBar.SetPaneStyle(kLockPane, lock.disabled ? SBPS_DISABLED : SBPS_NORMAL);
    m_wndStatusBar.SetPaneIcon(kLockPane, m_lockIcons[static_cast<int>(lock.icon)]);

    const bool online = view && view->Online().m_bOnline;
    if (online) {
        m_wndStatusBar.SetPaneStyle(kRatePane, SBPS_NORMAL);
        const CKSTString rate = KstRateText(view->Online().m_nSourceKind, view->Online().m_dRate);
        m_wndStatusBar.GetStatusBarCtrl().SetText(rate.c_str(), kRatePane, 0);
    } else {
        m_wndStatusBar.SetPaneStyle(kRatePane, SBPS_DISABLED);
    }

    if (!document || document->GetDataSet().GetChannels().GetCount() == 0) {
        m_wndStatusBar.SetPaneStyle(kMemoryPane, SBPS_DISABLED);
        return;
    }
    const uint64_t bytes = document->GetDataSet().GetChannels().GetMemorySize();
    m_strStatusText = KstMemoryColourPrefix(online, bytes, m_options.Settings().onlineRamUsage);
    m_strStatusText += KstMemoryText(bytes);
    m_wndStatusBar.SetPaneStyle(kMemoryPane, SBPS_NORMAL);
    m_wndStatusBar.GetStatusBarCtrl().SetText(m_strStatusText.c_str(), kMemoryPane,
                                              online ? SBT_OWNERDRAW : 0);
}

void CMainFrame::SetLanguage(uint16_t language)
{
    m_wndStatusBar.SetLanguage(language);
    if (CTalvenorView* view = GetView()) {
        view->GetRecordWnd().SetLanguage(language);
    }
}

void CMainFrame::SetPaneTexts(const char* rateText, const char* memoryText)
{
    m_wndStatusBar.SetPaneStyle(kRatePane, SBPS_NORMAL);
    m_wndStatusBar.SetPaneStyle(kMemoryPane, SBPS_NORMAL);
    m_wndStatusBar.GetStatusBarCtrl().SetText(rateText, kRatePane, 0);
    m_wndStatusBar.GetStatusBarCtrl().SetText(memoryText, kMemoryPane, 0);
}

// ---- Window messages --------------------------------------------------------------------------

LRESULT CMainFrame::OnSetText(WPARAM wParam, LPARAM)
{
    const bool english = m_messages.IsEnglish();
    const CTalvenorDoc* document = GetDocument();
    // Start-up opens the command line's files itself: the framework's own command-line file,
    // which the title would name in parentheses, stays empty.
    m_strTitleText = KstFrameTitle(document ? document->GetCurrentPath() : CKSTString(),
                                   m_options.Settings().settingsUsage, CKSTString(),
                                   LoadResString(KST_STR_PRODUCT_NAME, english),
                                   LoadResString(KST_STR_VERSION, english));
    return DefWindowProc(WM_SETTEXT, wParam, reinterpret_cast<LPARAM>(m_strTitleText.c_str()));
}

LRESULT CMainFrame::OnSizing(WPARAM, LPARAM)
{
    // The record window's process pane draws its elements opaque during the drag; it is told
    // once per drag.
    m_bSizing = true;
    return Default();
}

LRESULT CMainFrame::OnExitSizeMove(WPARAM, LPARAM)
{
    m_bSizing = false;
    return 0;
}

LRESULT CMainFrame::OnArchiveLoaded(WPARAM, LPARAM)
{
    UpdateStatusBar();
    return 0;
}

LRESULT CMainFrame::OnArchiveProgress(WPARAM, LPARAM)
{
    UpdateStatusBar();
    return 0;
}

void CMainFrame::OnClose()
{
    CTalvenorView* view = GetView();
    CTalvenorDoc* document = GetDocument();
    if (view && view->Online().m_bOnline) {
        if (view->Online().m_strRecordingFile.IsEmpty()) {
            CKSTCloseAppDlg question(m_messages.IsEnglish(), this);
            if (question.DoModal() != IDOK) {
                return;  // the stream goes on
            }
            {
                CWaitCursor wait;
                view->Online().StopOnline(false);
            }
            if (question.m_bSave && !(document && document->OnFileSave())) {
                return;  // nothing was saved: the data stay, and so does the program
            }
            if (document) {
                document->SetLiveDataModified(false);
            }
        } else {
            view->Online().StopLiveStream();
        }
    }
    if (document && !document->QuerySaveLiveData()) {
        return;
    }
    m_options.Save();
    CFrameWnd::OnClose();
}

void CMainFrame::OnDropFiles(HDROP drop)
{
    if (CTalvenorDoc* document = GetDocument()) {
        document->OpenDroppedFiles(drop);
    } else {
        DragFinish(drop);
    }
}

// ---- Commands ---------------------------------------------------------------------------------

void CMainFrame::OnPrintDisplay()
{
    KstRequestDisplayPrint(m_printRequest);
    RunPrintRequest(false);
}

void CMainFrame::OnPreviewDisplay()
{
    KstRequestDisplayPrint(m_printRequest);
    RunPrintRequest(true);
}

void CMainFrame::OnPrintRequest()
{
    RunPrintRequest(false);
}

void CMainFrame::OnPreviewRequest()
{
    RunPrintRequest(true);
}

void CMainFrame::RunPrintRequest(bool preview)
{
    if (CTalvenorView* view = GetView()) {
        view->PrintWithSettings(m_printRequest, preview);
    }
}

void CMainFrame::OnPrintReport()
{
    CTalvenorView* view = GetView();
    if (!view) {
        return;
    }
    KstAppSettings& settings = m_options.Settings();
    CKSTPageLayout layout;
    layout.m_strTopLine = settings.reportTopLine;
    layout.m_strBottomLine = settings.reportBottomLine;
    layout.m_dMarginLeft = settings.reportMarginLeft;
    layout.m_dMarginRight = settings.reportMarginRight;
    layout.m_dMarginTop = settings.reportMarginTop;
    layout.m_dMarginBottom = settings.reportMarginBottom;
    if (!view->RunPrintReport(layout, m_printRequest)) {
        return;
    }
    settings.reportTopLine = layout.m_strTopLine;
    settings.reportBottomLine = layout.m_strBottomLine;
    settings.reportMarginLeft = layout.m_dMarginLeft;
    settings.reportMarginRight = layout.m_dMarginRight;
    settings.reportMarginTop = layout.m_dMarginTop;
    settings.reportMarginBottom = layout.m_dMarginBottom;
    RunPrintRequest(true);
}

void CMainFrame::OnNotAvailable()
{
    m_messages.MessageBoxId(KST_STR_FUNCTION_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
}

// ---- Enabling rules ---------------------------------------------------------------------------

void CMainFrame::OnUpdateNotOnline(CCmdUI* cmdUI)
{
    cmdUI->Enable(!IsOnline());
}

void CMainFrame::OnUpdateOnline(CCmdUI* cmdUI)
{
    cmdUI->Enable(IsOnline());
}

void CMainFrame::OnUpdateAlways(CCmdUI* cmdUI)
{
    cmdUI->Enable(TRUE);
}

void CMainFrame::OnUpdateRecentFiles(CCmdUI* cmdUI)
{
    cmdUI->Enable(!IsOnline());
    CWinApp* app = AfxGetApp();
    if (CRecentFileList* recent = app ? app->GetRecentFileList() : nullptr) {
        recent->UpdateMenu(cmdUI);
    }
}

void CMainFrame::OnUpdateSave(CCmdUI* cmdUI)
{
    cmdUI->Enable(!IsOnline() && !IsLocked());
}

void CMainFrame::OnUpdateNotLocked(CCmdUI* cmdUI)
{
    cmdUI->Enable(!IsLocked());
}

void CMainFrame::OnUpdateAppend(CCmdUI* cmdUI)
{
    cmdUI->Enable(!IsLocked() && !IsOnline());
}

void CMainFrame::OnUpdateSaveSpectra(CCmdUI* cmdUI)
{
    cmdUI->Enable(m_options.Settings().showSpectra);
}

void CMainFrame::OnUpdatePlayAudio(CCmdUI* cmdUI)
{
    cmdUI->Enable(!IsOnline() && !IsPlaying());
}

void CMainFrame::OnUpdateStopAudio(CCmdUI* cmdUI)
{
    cmdUI->Enable(IsPlaying());
}
