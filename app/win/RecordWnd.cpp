// The record window's splitters: building them for the show flags and laying them out.
#include "app/win/RecordWnd.h"

#include <algorithm>

#include "app/win/SplitterView.h"
#include "foundation/win/StringLoader.h"
#include "foundation/win/Sync.h"

BEGIN_MESSAGE_MAP(CKSTRecordWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_SETFOCUS()
ON_WM_CLOSE()
ON_MESSAGE(CKSTRecordWnd::kPaneEditedMessage, OnPaneEdited)
ON_MESSAGE(CKSTRecordWnd::kRowsChangedMessage, OnRowsChanged)
ON_MESSAGE(CKSTRecordWnd::kStructureMessage, OnStructureChanged)
ON_MESSAGE(CKSTRecordWnd::kRefreshMessage, OnRefresh)
END_MESSAGE_MAP()

namespace {

constexpr char kMainCurveText[] = "Kurvenfenster";
constexpr char kSpectrumText[] = "FFT-Fenster";
constexpr char kProcessText[] = "Prozessfenster";

}  // namespace

CKSTRecordWnd::CKSTRecordWnd() : m_language(IsEnglishUser() ? 1 : 0) {}

CKSTRecordWnd::~CKSTRecordWnd()
{
    Close();
    if (m_hWnd) {
        DestroyWindow();
    }
}

int CKSTRecordWnd::Register(HINSTANCE)
{
    constexpr UINT kStyle = CS_DBLCLKS | CS_OWNDC | CS_SAVEBITS | CS_BYTEALIGNCLIENT;
    return KstRegisterClass(kClassName, kStyle, LoadCursor(nullptr, IDC_ARROW)) ? 0 : -1;
}

BOOL CKSTRecordWnd::Create(const char* windowName, DWORD style, const RECT& rect, CWnd* parent)
{
    // A class left from an earlier record window serves as well.
    Register(nullptr);
    if (!CWnd::CreateEx(0, kClassName, windowName != nullptr ? windowName : "",
                        style | WS_CHILD | WS_CLIPCHILDREN, rect, parent, 0)) {
        return FALSE;
    }
    GetClientRect(&m_client);
    m_bCreated = true;
    return TRUE;
}

int CKSTRecordWnd::OnCreate(LPCREATESTRUCT create)
{
    if (CWnd::OnCreate(create) == -1 || !BuildPanes()) {
        return -1;
    }
    m_wndInfoBar.SetNotify(this, kPaneEditedMessage);
    m_wndComment.SetNotify(this, kPaneEditedMessage);
    m_wndMainCurve.Subscribe(CKSTCurveWndCore::kEventStructureChanged, kStructureMessage,
                             m_hWnd);
    return 0;
}

void CKSTRecordWnd::OnSize(UINT, int, int)
{
    LayoutPanes();
}

void CKSTRecordWnd::OnSetFocus(CWnd*)
{
    if (m_wndMainCurve.m_hWnd) {
        m_wndMainCurve.SetFocus();
    } else if (m_wndProcess.m_hWnd) {
        m_wndProcess.SetFocus();
    }
}

void CKSTRecordWnd::OnClose()
{
    Close();
}

CWnd& CKSTRecordWnd::GetMainDisplay()
{
    if (m_flags.process) {
        return m_wndProcess;
    }
    return m_wndMainCurve;
}

// ---- Show flags -------------------------------------------------------------------------------

void CKSTRecordWnd::SetFlag(bool KstPaneFlags::*flag, bool show)
{
    if (m_flags.*flag == show) {
        return;
    }
    m_flags.*flag = show;
    if (m_bCreated && m_hWnd) {
        BuildPanes();
        LayoutPanes();
    }
}

void CKSTRecordWnd::ShowTitle(bool show)
{
    SetFlag(&KstPaneFlags::title, show);
}

void CKSTRecordWnd::ShowChannelList(bool show)
{
    SetFlag(&KstPaneFlags::channelList, show);
}

void CKSTRecordWnd::ShowSpectra(bool show)
{
    const bool changed = m_flags.spectra != show;
    SetFlag(&KstPaneFlags::spectra, show);
    if (changed && show) {
        RefreshSpectra();
    }
}

void CKSTRecordWnd::ShowValueList(bool show)
{
    SetFlag(&KstPaneFlags::valueList, show);
}

void CKSTRecordWnd::ShowVariables(bool show)
{
    SetFlag(&KstPaneFlags::variables, show);
}

void CKSTRecordWnd::ShowComment(bool show)
{
    SetFlag(&KstPaneFlags::comment, show);
}

void CKSTRecordWnd::ShowProcessWindow(bool show)
{
    if (m_flags.process == show) {
        return;
    }
    SetFlag(&KstPaneFlags::process, show);
    m_wndProcess.ShowToolBox(m_wndProcess.IsDesignMode() && show);
}

// ---- Building -------------------------------------------------------------------------------

void CKSTRecordWnd::DeleteSplitters()
{
    // The pane views go with their splitters' windows; the hosted panes are detached.
    m_paneViews.clear();
    m_pTitleView = nullptr;
    m_pBottom.reset();
    m_pMiddle.reset();
    m_pOuter.reset();
}

CKSTSplitterView* CKSTRecordWnd::MakePaneView(CSplitterWnd& splitter, int row, int column,
                                              int height)
{
    CKSTSplitterView* made = nullptr;
    const auto factory = [&made]() -> CView* {
        made = new CKSTSplitterView;
        // Sizes while the splitters are being built are no drags.
        made->m_bNotify = false;
        return made;
    };
    if (!splitter.CreateView(row, column, factory, SIZE{kKstPaneExtent, height}, nullptr)) {
        return nullptr;
    }
    m_paneViews.push_back(made);
    return made;
}

bool CKSTRecordWnd::PutMainDisplay(CWnd* parent, bool direct)
{
    RECT rect;
    parent->GetClientRect(&rect);
    // Alone in the record window, the main display is set off by an edge of its own.
    const DWORD exStyle = direct ? WS_EX_CLIENTEDGE : 0;
    if (m_flags.process) {
        return m_wndProcess.m_hWnd || m_wndProcess.CreateEx(exStyle, kProcessText, WS_VISIBLE,
                                                            rect, parent);
    }
    return m_wndMainCurve.m_hWnd ||
           m_wndMainCurve.CreateEx(exStyle, kMainCurveText, WS_VISIBLE, rect, parent);
}

bool CKSTRecordWnd::PutPane(KstPane pane, CKSTSplitterView* view)
{
    if (view == nullptr) {
        return false;
    }
    CWnd* window = nullptr;
    bool made = false;
    auto dialog = [&](CKSTPaneStandIn& pane) {
        window = &pane;
        made = pane.m_hWnd || pane.CreatePane(view);
    };
    switch (pane) {
        case KstPane::InfoBar:
            dialog(m_wndInfoBar);
            break;
        case KstPane::StructTree:
            window = &m_wndStructTree;
            made = m_wndStructTree.m_hWnd || m_wndStructTree.Create(view);
            // Its template is not visible by itself: the panel also serves hidden hosts.
            if (made) {
                m_wndStructTree.ShowWindow(SW_SHOW);
            }
            break;
        case KstPane::ValueList:
            dialog(m_wndValueList);
            break;
        case KstPane::Variables:
            dialog(m_wndVariables);
            break;
        case KstPane::Comment:
            dialog(m_wndComment);
            break;
        case KstPane::MainDisplay:
            window = &GetMainDisplay();
            made = PutMainDisplay(view, false);
            break;
        case KstPane::Spectrum: {
            window = &m_wndSpectrum;
            RECT rect;
            view->GetClientRect(&rect);
            made = m_wndSpectrum.m_hWnd ||
                   m_wndSpectrum.Create(kSpectrumText, WS_VISIBLE, rect, view);
            break;
        }
    }
    view->m_pHostedWnd = window;
    view->m_pNotifyWnd = this;
    view->m_nNotifyMessage = kRowsChangedMessage;
    return made;
}

bool CKSTRecordWnd::BuildPanes()
{
    // What the windows show survives their re-creation.
    CKSTCurveWndSettings mainSettings;
    CKSTCurveWndSettings spectrumSettings;
    m_wndMainCurve.GetSettings(mainSettings, false);
    m_wndSpectrum.GetSettings(spectrumSettings, false);
    CKSTProcessLayout processLayout;
    m_wndProcess.SaveLayout(processLayout);

    m_wndMainCurve.SetVisible(false, false);
    m_wndSpectrum.SetVisible(false, false);
    m_wndMainCurve.ReleaseResources();
    m_wndSpectrum.ReleaseResources();
    m_wndVariables.ReleaseGrid();
    m_wndValueList.ReleaseGrid();
    m_wndProcess.SetVisible(false);
    m_wndProcess.Close();
    DeleteSplitters();

    const KstPaneGrid grid = KstPlanPanes(m_flags);
    m_titleHeight = grid.titleHeight;
    m_bottomHeight = grid.bottomHeight;

    bool built = true;
    if (grid.HasOuterSplitter()) {
        m_pOuter = std::make_unique<CSplitterWnd>();
        built = m_pOuter->CreateStatic(this, grid.rows, 1, WS_CHILD | WS_VISIBLE,
                                       AFX_IDW_PANE_FIRST) != FALSE;
    }
    if (built && grid.titleHeight > 0) {
        m_pTitleView = MakePaneView(*m_pOuter, 0, 0, kKstTitleRowHeight);
        built = PutPane(KstPane::InfoBar, m_pTitleView);
    }
    if (built && grid.HasMiddleSplitter()) {
        m_pMiddle = std::make_unique<CSplitterWnd>();
        built = m_pOuter ? m_pMiddle->CreateStatic(m_pOuter.get(), 1, grid.middleColumns,
                                                   WS_CHILD | WS_VISIBLE | WS_BORDER,
                                                   m_pOuter->IdFromRowCol(grid.MiddleRow(), 0))
                         : m_pMiddle->CreateStatic(this, 1, grid.middleColumns,
                                                   WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST);
        for (int column = 0; built && column < grid.middleColumns; ++column) {
            built = PutPane(grid.middle[static_cast<size_t>(column)],
                            MakePaneView(*m_pMiddle, 0, column, kKstPaneExtent));
        }
    } else if (built && m_pOuter) {
        built = PutPane(KstPane::MainDisplay,
                        MakePaneView(*m_pOuter, grid.MiddleRow(), 0, kKstPaneExtent));
    } else if (built) {
        built = PutMainDisplay(this, true);
    }
    if (built && grid.HasBottomSplitter()) {
        m_pBottom = std::make_unique<CSplitterWnd>();
        built = m_pBottom->CreateStatic(m_pOuter.get(), 1, grid.bottomPanes,
                                        WS_CHILD | WS_VISIBLE | WS_BORDER,
                                        m_pOuter->IdFromRowCol(grid.BottomRow(), 0)) != FALSE;
        for (int column = 0; built && column < grid.bottomPanes; ++column) {
            built = PutPane(grid.bottom[static_cast<size_t>(column)],
                            MakePaneView(*m_pBottom, 0, column, kKstPaneExtent));
        }
    } else if (built && grid.bottomPanes == 1) {
        built = PutPane(grid.bottom.front(),
                        MakePaneView(*m_pOuter, grid.BottomRow(), 0, kKstPaneExtent));
    }
    if (!built) {
        return false;
    }
    m_titleHeight = grid.titleHeight;
    m_bottomHeight = grid.bottomHeight;
    for (CKSTSplitterView* view : m_paneViews) {
        view->m_bNotify = true;
    }

    if (CWnd& main = GetMainDisplay(); main.m_hWnd) {
        main.SetFocus();
    }
    m_wndMainCurve.ApplySettings(mainSettings, false, false);
    m_wndSpectrum.ApplySettings(spectrumSettings, false, false);
    m_wndMainCurve.SetVisible(true, true);
    m_wndSpectrum.SetVisible(true, true);
    m_wndProcess.RestoreLayout(processLayout);
    m_wndProcess.SetVisible(true);
    return true;
}

// ---- Laying out -----------------------------------------------------------------------------

void CKSTRecordWnd::LayoutPanes()
{
    if (!m_hWnd) {
        return;
    }
    RECT client;
    GetClientRect(&client);
    const int width = std::max<LONG>(0, client.right);
    const int height = std::max<LONG>(0, client.bottom);
    if (!m_pOuter && !m_pMiddle) {
        if (CWnd& main = GetMainDisplay(); main.m_hWnd) {
            main.MoveWindow(0, 0, width, height, TRUE);
        }
        return;
    }

    // The moves below must not be taken for the user's drags: a row squeezed by a small
    // window would otherwise keep its squeezed height when the window grows again.
    const int titleHeight = m_titleHeight;
    const int bottomHeight = m_bottomHeight;
    for (CKSTSplitterView* view : m_paneViews) {
        view->m_bNotify = false;
    }
    CSplitterWnd* top = m_pOuter ? m_pOuter.get() : m_pMiddle.get();
    top->MoveWindow(0, 0, width, height, TRUE);
    if (m_pOuter) {
        const KstPaneGrid grid = KstPlanPanes(m_flags);
        int available = 0;
        for (int row = 0; row < m_pOuter->GetRowCount(); ++row) {
            int current = 0;
            int minimum = 0;
            m_pOuter->GetRowInfo(row, current, minimum);
            available += std::max(0, current);
        }
        const KstRowHeights rows = KstPlanRowHeights(available, titleHeight, bottomHeight);
        auto setRow = [this](int row, int ideal) {
            int current = 0;
            int minimum = 0;
            m_pOuter->GetRowInfo(row, current, minimum);
            m_pOuter->SetRowInfo(row, ideal, minimum);
        };
        if (m_flags.title) {
            setRow(0, rows.title);
        }
        setRow(grid.MiddleRow(), rows.middle);
        if (grid.bottomPanes > 0) {
            setRow(grid.BottomRow(), rows.bottom);
        }
        m_pOuter->RecalcLayout();
    } else {
        int current = 0;
        int minimum = 0;
        m_pMiddle->GetRowInfo(0, current, minimum);
        m_pMiddle->SetRowInfo(0, KstPlanRowHeights(height, titleHeight, bottomHeight).middle,
                              minimum);
        m_pMiddle->RecalcLayout();
    }
    for (CKSTSplitterView* view : m_paneViews) {
        CWnd* hosted = view->m_pHostedWnd;
        if (!hosted || !hosted->m_hWnd) {
            continue;
        }
        RECT cell;
        RECT now;
        view->GetClientRect(&cell);
        hosted->GetWindowRect(&now);
        if (now.right - now.left != cell.right || now.bottom - now.top != cell.bottom) {
            hosted->SetWindowPos(nullptr, 0, 0, cell.right, cell.bottom,
                                 SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    m_titleHeight = titleHeight;
    m_bottomHeight = bottomHeight;
    for (CKSTSplitterView* view : m_paneViews) {
        view->m_bNotify = true;
    }
}

LRESULT CKSTRecordWnd::OnRowsChanged(WPARAM, LPARAM)
{
    if (!m_pOuter) {
        return 0;
    }
    const KstPaneGrid grid = KstPlanPanes(m_flags);
    int title = -1;
    int middle = -1;
    int bottom = -1;
    int minimum = 0;
    if (m_flags.title) {
        m_pOuter->GetRowInfo(0, title, minimum);
    }
    m_pOuter->GetRowInfo(grid.MiddleRow(), middle, minimum);
    if (grid.bottomPanes > 0) {
        m_pOuter->GetRowInfo(grid.BottomRow(), bottom, minimum);
    }
    const KstStoredHeights taken =
        KstTakeDraggedHeights(KstStoredHeights{m_titleHeight, m_bottomHeight}, m_flags.title,
                              grid.bottomPanes > 0, title, middle, bottom);
    m_titleHeight = taken.title;
    m_bottomHeight = taken.bottom;
    return 0;
}

LRESULT CKSTRecordWnd::OnStructureChanged(WPARAM, LPARAM)
{
    m_wndStructTree.UpdateButtons();
    return 0;
}

LRESULT CKSTRecordWnd::OnRefresh(WPARAM wParam, LPARAM)
{
    HANDLE* mutex = reinterpret_cast<HANDLE*>(wParam);
    if (mutex == nullptr || LockMutex(*mutex) != 0) {
        return 0;
    }
    RefreshMain();
    UnlockMutex(*mutex);
    return 0;
}
