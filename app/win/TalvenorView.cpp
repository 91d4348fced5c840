#include "app/win/TalvenorView.h"

#include "app/ViewRules.h"
#include "app/win/AppOptions.h"
#include "app/win/MessageSink.h"
#include "app/win/TalvenorDoc.h"
#include "app/win/ViewFrame.h"
#include "foundation/win/StringLoader.h"
#include "framework/App.h"
#include "framework/FrameWnd.h"
#include "panels/win/SmallDialogs.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

BEGIN_MESSAGE_MAP(CTalvenorView, CView)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_KEYDOWN()
ON_MESSAGE(CTalvenorView::kCursorReportMessage, OnCursorReport)
ON_COMMAND(ID_EXTRAS_WAVEFORM, GenerateSignal)
ON_WM_TIMER()
ON_COMMAND(ID_ONLINE_START, StartLiveStream)
ON_COMMAND(ID_ONLINE_STOP, OnStopLiveStream)
ON_COMMAND(ID_ONLINE_OSCILLOSCOPE, StartLiveOscilloscope)
END_MESSAGE_MAP()

CTalvenorView::CTalvenorView(CKSTAppOptions& options, IKSTMessageSink& messages)
    : m_options(options), m_messages(messages)
{
}

CTalvenorView::~CTalvenorView()
{
    // The document outlives its views; it must not reach a view that is gone.
    if (CTalvenorDoc* document = Document()) {
        document->SetDisplay(nullptr);
    }
}

CTalvenorDoc* CTalvenorView::Document() const
{
    return dynamic_cast<CTalvenorDoc*>(m_pDocument);
}

IKSTViewFrame* CTalvenorView::Frame() const
{
    return m_hWnd ? dynamic_cast<IKSTViewFrame*>(GetParentFrame()) : nullptr;
}

BOOL CTalvenorView::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style &= ~static_cast<DWORD>(WS_BORDER);
    cs.style |= WS_CLIPCHILDREN;  // the record window's panes are not erased by the view
    return CView::PreCreateWindow(cs);
}

int CTalvenorView::OnCreate(LPCREATESTRUCT create)
{
    if (CWnd::OnCreate(create) == -1) {
        return -1;
    }
    // The document may open a file before the view's first update; from here on it shows it.
    if (CTalvenorDoc* document = Document()) {
        document->SetDisplay(this);
    }
    return 0;
}

void CTalvenorView::OnSize(UINT type, int width, int height)
{
    CWnd::OnSize(type, width, height);
    if (m_hWnd && m_recordWnd.m_hWnd) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        m_recordWnd.MoveWindow(0, 0, client.right, client.bottom, TRUE);
    }
}

void CTalvenorView::OnUpdate(CView*, LPARAM hint, void*)
{
    if (hint == 0) {
        return;
    }
    if (CTalvenorDoc* document = Document()) {
        CWaitCursor wait;
        ShowDataSet(document->GetDataSet());
    }
}

void CTalvenorView::OnDraw(HDC)
{
    // Only the first paint builds the child windows; they paint themselves from then on.
    if (!m_firstPaint) {
        return;
    }
    m_firstPaint = false;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const KstAppSettings& settings = m_options.Settings();
    m_recordWnd.SetLanguage(static_cast<uint16_t>(settings.language));
    m_recordWnd.ShowTitle(settings.showTitle != 0);
    m_recordWnd.ShowChannelList(settings.showChannelTree != 0);
    m_recordWnd.ShowValueList(settings.showValues != 0);
    m_recordWnd.ShowComment(settings.showComment != 0);
    m_recordWnd.ShowVariables(settings.showVariables != 0);
    m_recordWnd.ShowSpectra(settings.showSpectra != 0);
    m_recordWnd.ShowProcessWindow(settings.showProcess != 0);
    if (!m_recordWnd.Create("Kurvenfenster", WS_VISIBLE, client, this)) {
        return;
    }
    m_recordWnd.MoveWindow(0, 0, client.right, client.bottom, TRUE);
    // Keys pressed in a curve window come back as the view's own.
    m_recordWnd.GetMainCurveWnd().Subscribe(CKSTCurveWndCore::kEventKey, WM_KEYDOWN, m_hWnd);
    m_recordWnd.GetSpectrumWnd().Subscribe(CKSTCurveWndCore::kEventKey, WM_KEYDOWN, m_hWnd);
    m_recordWnd.GetNotifyList().Register(CKSTRecordWnd::kEventPositionReport,
                                         kCursorReportMessage, m_hWnd);
    CKSTProcessWnd& process = m_recordWnd.GetProcessWnd();
    if (!settings.processSettingsPath.IsEmpty()) {
        process.LoadSettingsFile(settings.processSettingsPath);
    }
    if (process.GetElementCount() > 0) {
        process.SetDesignMode(false, true);
    } else {
        process.SetDesignMode(true, settings.showProcess != 0);
    }
    m_recordWnd.SetFocus();
}

void CTalvenorView::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    const int step = KstFolderStepForKey(key);
    CTalvenorDoc* document = Document();
    if (step == 0 || !document) {
        CWnd::OnKeyDown(key, repeat, flags);
        return;
    }
    if (step > 0) {
        document->OpenNextFile();
    } else {
        document->OpenPreviousFile();
    }
}

LRESULT CTalvenorView::OnCursorReport(WPARAM, LPARAM lParam)
{
    const RECT* rect = reinterpret_cast<const RECT*>(lParam);
    IKSTViewFrame* frame = Frame();
    if (!rect || !frame) {
        return 0;
    }
    const KstCursorReport report =
        KstCursorReportTexts(rect->left, rect->top, rect->right, rect->bottom,
                             LoadResString(KST_STR_CURSOR_REPORT_SIZE, m_messages.IsEnglish()));
    frame->SetPaneTexts(report.position.c_str(), report.size.c_str());
    return 0;
}

void CTalvenorView::EnableRedraw(bool on)
{
    m_recordWnd.GetMainCurveWnd().SetVisible(on, true);
    m_recordWnd.GetSpectrumWnd().SetVisible(on, true);
    m_recordWnd.GetProcessWnd().SetVisible(on);
}

void CTalvenorView::AttachDataSet(CKSTDataSet& dataSet, bool storeStructure)
{
    CWaitCursor wait;
    if (storeStructure) {
        CKSTCurveWnd& curves = m_recordWnd.GetMainCurveWnd();
        CKSTCurveWndSettings settings;
        curves.GetSettings(settings, false);
        dataSet.SetWindowSettings(settings);
        if (CTalvenorDoc* document = Document(); document && m_recordWnd.IsModified()) {
            document->SetLiveDataModified(true);
        }
    }
    ShowDataSet(dataSet);
}

void CTalvenorView::ShowDataSet(CKSTDataSet& dataSet)
{
    m_recordWnd.SetDataSet(&dataSet, m_options.Settings().settingsUseOnlyFitting != 0);
}

void CTalvenorView::ResetWindowStructure()
{
    CTalvenorDoc* document = Document();
    if (!document) {
        return;
    }
    CKSTDataSet& dataSet = document->GetDataSet();
    ShowDataSet(dataSet);
    EnableRedraw(false);
    dataSet.SetWindowSettings(m_options.StartSettings());
    AttachDataSet(dataSet, false);
    EnableRedraw(true);
    UpdateStatusBar();
}

void CTalvenorView::GenerateSignal()
{
    CTalvenorDoc* document = Document();
    if (!document) {
        return;
    }
    if (m_online.m_bOnline) {
        m_messages.MessageBoxId(KST_STR_SIGNAL_WHILE_ONLINE, MB_OK | MB_ICONINFORMATION);
        return;
    }
    CKSTGenerateSignalDlg dialog(m_messages.IsEnglish(), this);
    if (dialog.DoModal() != IDOK) {
        return;
    }
    KstSignalRequest request;
    request.waveform = dialog.m_nWaveform;
    request.count = dialog.m_nLength;
    request.interval = dialog.m_dXDelta;
    request.amplitude = dialog.m_dAmplitude;
    request.frequency = dialog.m_dFrequency;
    request.phase = dialog.m_dPhase;
    request.offset = dialog.m_dYOffset;
    request.name = dialog.m_strName;
    request.unit = dialog.m_strUnit;
    if (!KstAppendSignal(request, document->GetDataSet())) {
        m_messages.MessageBoxId(KST_STR_SIGNAL_INVALID, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    AttachDataSet(document->GetDataSet(), true);
}

void CTalvenorView::ApplyCurveSettingsByName(const CKSTCurveWndSettings& settings)
{
    m_recordWnd.GetMainCurveWnd().ApplyCurveSettingsByName(settings, true);
}

void CTalvenorView::ApplyChannelVisibility(const CKSTChannelList& channels)
{
    m_recordWnd.GetMainCurveWnd().ApplyChannelVisibility(channels);
    m_recordWnd.GetSpectrumWnd().ApplyChannelVisibility(channels);
    m_recordWnd.GetStructTree().Refill();
}

bool CTalvenorView::GetMainCurveSettings(CKSTCurveWndSettings& settings)
{
    m_recordWnd.GetMainCurveWnd().GetSettings(settings, false);
    return true;
}

const CKSTChannel* CTalvenorView::GetXYChannel()
{
    CKSTCurveWnd& curves = m_recordWnd.GetMainCurveWnd();
    if (curves.GetDisplayKind() != CKSTCurveWndCore::kDisplayXYChannel) {
        return nullptr;
    }
    return curves.GetXChannel();
}

void CTalvenorView::UpdateStatusBar()
{
    if (IKSTViewFrame* frame = Frame()) {
        frame->UpdateStatusBar();
    }
}

void CTalvenorView::SetLocked(bool locked)
{
    // Settings confirmed in a locked file's curve window come to the view, not into the file.
    CKSTCurveWnd& curves = m_recordWnd.GetMainCurveWnd();
    if (locked) {
        curves.Subscribe(CKSTCurveWndCore::kEventDoubleClick, WM_USER, m_hWnd);
    } else {
        curves.Unsubscribe(CKSTCurveWndCore::kEventDoubleClick, m_hWnd);
    }
    m_recordWnd.SetReadOnly(locked);
}

void CTalvenorView::UpdatePanes()
{
    m_recordWnd.UpdatePanes();
}

void CTalvenorView::GetSelectedChannels(CKSTChannelList& channels)
{
    m_recordWnd.GetStructTree().GetSelectedChannels(channels);
}
