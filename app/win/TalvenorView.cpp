#include "app/win/TalvenorView.h"

#include "app/win/MainFrame.h"
#include "app/win/TalvenorApp.h"
#include "app/win/TalvenorDoc.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

BEGIN_MESSAGE_MAP(CTalvenorView, CView)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_TIMER()
ON_COMMAND(ID_ONLINE_START, StartLiveStream)
ON_COMMAND(ID_ONLINE_STOP, OnStopLiveStream)
ON_COMMAND(ID_ONLINE_OSCILLOSCOPE, StartLiveOscilloscope)
END_MESSAGE_MAP()

namespace {

// Keeps the wait cursor up for a scope.
class WaitScope {
public:
    WaitScope() : m_app(KstTheApp())
    {
        if (m_app) {
            m_app->BeginWaitCursor();
        }
    }
    ~WaitScope()
    {
        if (m_app) {
            m_app->EndWaitCursor();
        }
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    CTalvenorApp* m_app;
};

CTalvenorDoc* ViewDocument(CDocument* document)
{
    return dynamic_cast<CTalvenorDoc*>(document);
}

}  // namespace

CTalvenorView::CTalvenorView() : CKSTOnlineControl(static_cast<CKSTOnlineHost&>(*this))
{
    if (CTalvenorApp* app = KstTheApp()) {
        app->m_pView = this;
    }
}

CTalvenorView::~CTalvenorView()
{
    // The document outlives its views; it must not reach a view that is gone.
    if (CTalvenorDoc* document = ViewDocument(m_pDocument)) {
        document->SetDisplay(nullptr);
    }
    if (CTalvenorApp* app = KstTheApp(); app && app->m_pView == this) {
        app->m_pView = nullptr;
    }
}

BOOL CTalvenorView::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style &= ~static_cast<DWORD>(WS_BORDER);
    return CView::PreCreateWindow(cs);
}

int CTalvenorView::OnCreate(LPCREATESTRUCT create)
{
    if (CWnd::OnCreate(create) == -1) {
        return -1;
    }
    // The document may open a file before the view's first update; from here on it shows it.
    if (CTalvenorDoc* document = ViewDocument(m_pDocument)) {
        document->SetDisplay(this);
    }
    return 0;
}

void CTalvenorView::OnSize(UINT type, int width, int height)
{
    CWnd::OnSize(type, width, height);
    if (m_hWnd && m_curveWnd.m_hWnd) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        m_curveWnd.MoveWindow(0, 0, client.right, client.bottom, TRUE);
    }
}

void CTalvenorView::OnUpdate(CView*, LPARAM hint, void*)
{
    if (hint == 0) {
        return;
    }
    if (CTalvenorDoc* document = ViewDocument(m_pDocument)) {
        WaitScope wait;
        ShowDataSet(document->GetDataSet());
    }
}

void CTalvenorView::OnDraw(HDC)
{
    // Only the first paint builds the child window; it paints itself from then on.
    if (!m_firstPaint) {
        return;
    }
    m_firstPaint = false;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (!m_curveWnd.Create("Kurvenfenster", WS_VISIBLE, client, this)) {
        return;
    }
    m_curveWnd.MoveWindow(0, 0, client.right, client.bottom, TRUE);
    m_curveWnd.SetFocus();
}

void CTalvenorView::EnableRedraw(bool on)
{
    m_curveWnd.SetVisible(on, true);
}

void CTalvenorView::AttachDataSet(CKSTDataSet& dataSet, bool storeStructure)
{
    WaitScope wait;
    if (storeStructure) {
        CKSTCurveWndSettings settings;
        m_curveWnd.GetSettings(settings, false);
        dataSet.SetWindowSettings(settings);
    }
    ShowDataSet(dataSet);
}

void CTalvenorView::ShowDataSet(CKSTDataSet& dataSet)
{
    const bool wasVisible = m_curveWnd.IsUpdateEnabled();
    if (wasVisible) {
        m_curveWnd.SetVisible(false, false);
    }
    m_curveWnd.RemoveAll(false);
    m_curveWnd.AddChannels(dataSet.GetChannels());
    if (dataSet.HasWindowSettings()) {
        const CKSTCurveWndSettings settings = dataSet.GetWindowSettings();
        const CTalvenorApp* app = KstTheApp();
        const bool fitOnly = app && app->m_settings.settingsUseOnlyFitting != 0;
        // Stored settings that do not fit the curves keep only their look: the curves are
        // arranged anew.
        const bool arrange = fitOnly && !m_curveWnd.CurvesMatchSettings(settings);
        m_curveWnd.ApplySettings(settings, arrange, false);
    }
    if (wasVisible) {
        m_curveWnd.SetVisible(true, true);
    }
    if (m_curveWnd.m_hWnd) {
        m_curveWnd.SetFocus();
    }
}

void CTalvenorView::ApplyCurveSettingsByName(const CKSTCurveWndSettings& settings)
{
    m_curveWnd.ApplyCurveSettingsByName(settings, true);
}

void CTalvenorView::ApplyChannelVisibility(const CKSTChannelList& channels)
{
    m_curveWnd.ApplyChannelVisibility(channels);
}

bool CTalvenorView::GetMainCurveSettings(CKSTCurveWndSettings& settings)
{
    m_curveWnd.GetSettings(settings, false);
    return true;
}

const CKSTChannel* CTalvenorView::GetXYChannel()
{
    if (m_curveWnd.GetDisplayKind() != CKSTCurveWndCore::kDisplayXYChannel) {
        return nullptr;
    }
    return m_curveWnd.GetXChannel();
}

void CTalvenorView::UpdateStatusBar()
{
    if (CTalvenorApp* app = KstTheApp(); app && app->m_pFrame) {
        app->m_pFrame->UpdateStatusBar();
    }
}
