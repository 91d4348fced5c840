#include "framework/PrintPreview.h"

#include <algorithm>

#include "framework/ControlBar.h"
#include "framework/FrameWnd.h"
#include "framework/View.h"

namespace {

// The view's control id while the preview holds the frame's pane id.
constexpr int kHiddenViewId = 0xEA10;
constexpr int kPageMargin = 8;

}  // namespace

BEGIN_MESSAGE_MAP(CPreviewView, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_COMMAND(CPreviewView::kIdPrint, OnPrintButton)
ON_COMMAND(CPreviewView::kIdNext, OnNext)
ON_COMMAND(CPreviewView::kIdPrevious, OnPrevious)
ON_COMMAND(CPreviewView::kIdClose, OnCloseButton)
END_MESSAGE_MAP()

void CView::OnFilePrintPreview()
{
    CPreviewView::Start(this);
}

CPreviewView* CPreviewView::Start(CView* view)
{
    CFrameWnd* frame = view ? view->GetParentFrame() : nullptr;
    if (!frame) {
        return nullptr;
    }
    std::unique_ptr<CPreviewView> preview(new CPreviewView);
    preview->m_view = view;
    preview->m_frame = frame;
    CPrintInfo& info = preview->m_info;
    info.m_bPreview = TRUE;
    if (!view->OnPreparePrinting(&info)) {
        return nullptr;
    }
    if (info.m_pPD->m_pd.hDevNames) {
        preview->m_device = KstPrinting().openPrinter(info.m_pPD->m_pd);
    }
    HDC attribute = preview->m_device ? preview->m_device->AttributeDC() : nullptr;
    if (!attribute) {
        attribute = preview->m_screenIC = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    }
    preview->m_metrics = KstGetPageMetrics(attribute);
    info.m_rectDraw = preview->m_metrics.printable;
    info.m_nCurPage = info.GetMinPage();
    view->OnBeginPrinting(attribute, &info);

    // The frame is the preview's now: no menu, no bars, the view hidden.
    preview->m_savedMenu = ::GetMenu(frame->m_hWnd);
    ::SetMenu(frame->m_hWnd, nullptr);
    for (HWND child = ::GetWindow(frame->m_hWnd, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (dynamic_cast<CControlBar*>(CWnd::FromHandlePermanent(child)) &&
            ::IsWindowVisible(child)) {
            ::ShowWindow(child, SW_HIDE);
            preview->m_hiddenBars.push_back(child);
        }
    }
    preview->m_viewId = static_cast<UINT>(view->GetDlgCtrlID());
    ::SetWindowLongPtrA(view->m_hWnd, GWLP_ID, kHiddenViewId);
    view->ShowWindow(SW_HIDE);

    const CKSTString className = KstRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW));
    if (!preview->CreateEx(0, className.c_str(), "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                           RECT{0, 0, 0, 0}, frame, AFX_IDW_PANE_FIRST)) {
        preview->m_closing = true;
        ::SetWindowLongPtrA(view->m_hWnd, GWLP_ID, static_cast<LONG_PTR>(preview->m_viewId));
        ::SetMenu(frame->m_hWnd, preview->m_savedMenu);
        for (HWND bar : preview->m_hiddenBars) {
            ::ShowWindow(bar, SW_SHOWNOACTIVATE);
        }
        view->ShowWindow(SW_SHOW);
        frame->RecalcLayout();
        view->OnEndPrinting(attribute, &info);
        return nullptr;
    }
    preview->m_selfOwned = true;
    frame->RecalcLayout();
    preview->UpdateButtons();
    return preview.release();  // deletes itself with its window
}

CPreviewView::~CPreviewView()
{
    if (m_hWnd) {
        DestroyWindow();
    }
    // Destroyed with the frame without Close: the menu that was taken off has no owner left.
    if (!m_closing && m_savedMenu) {
        DestroyMenu(m_savedMenu);
    }
    if (m_screenIC) {
        DeleteDC(m_screenIC);
    }
}

void CPreviewView::PostNcDestroy()
{
    if (m_selfOwned) {
        delete this;
    }
}

int CPreviewView::OnCreate(LPCREATESTRUCT)
{
    if (Default() == -1) {
        return -1;
    }
    struct Button {
        UINT id;
        const char* text;
    };
    const Button buttons[] = {{kIdPrint, "&Print..."},
                              {kIdNext, "&Next Page"},
                              {kIdPrevious, "Pre&v Page"},
                              {kIdClose, "&Close"}};
    int x = 4;
    for (const Button& button : buttons) {
        HWND window = CreateWindowExA(0, "BUTTON", button.text,
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x, 4, 90,
                                      kStripHeight - 8, m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(button.id)),
                                      GetModuleHandleA(nullptr), nullptr);
        if (!window) {
            return -1;
        }
        ::SendMessageA(window, WM_SETFONT,
                       reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        x += 94;
    }
    return 0;
}

RECT CPreviewView::GetPageRect() const
{
    RECT client;
    GetClientRect(&client);
    const int width = std::max<LONG>(0, client.right - 2 * kPageMargin);
    const int height = std::max<LONG>(0, client.bottom - kStripHeight - 2 * kPageMargin);
    const SIZE paper = m_metrics.paper;
    if (paper.cx <= 0 || paper.cy <= 0) {
        return RECT{0, 0, 0, 0};
    }
    // The largest page of the paper's proportions that fits.
    const double scale = std::min(static_cast<double>(width) / paper.cx,
                                  static_cast<double>(height) / paper.cy);
    const int pageWidth = static_cast<int>(paper.cx * scale);
    const int pageHeight = static_cast<int>(paper.cy * scale);
    const int left = kPageMargin + (width - pageWidth) / 2;
    const int top = kStripHeight + kPageMargin + (height - pageHeight) / 2;
    return RECT{left, top, left + pageWidth, top + pageHeight};
}

BOOL CPreviewView::OnEraseBkgnd(HDC)
{
    return TRUE;  // painted whole by OnPaint
}

void CPreviewView::OnSize(UINT, int, int)
{
    Invalidate(FALSE);
}

void CPreviewView::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(&client);
    const RECT page = GetPageRect();
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, page.left, page.top, page.right, page.bottom);
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    RestoreDC(dc, saved);
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    if (page.right > page.left && page.bottom > page.top) {
        const int drawing = SaveDC(dc);
        IntersectClipRect(dc, page.left, page.top, page.right, page.bottom);
        // Page units of the printer onto the page on the screen; the view's origin is the
        // printable area's corner, as on the printer.
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, m_metrics.paper.cx, m_metrics.paper.cy, nullptr);
        SetViewportExtEx(dc, page.right - page.left, page.bottom - page.top, nullptr);
        SetWindowOrgEx(dc, -m_metrics.printableOffset.x, -m_metrics.printableOffset.y, nullptr);
        SetViewportOrgEx(dc, page.left, page.top, nullptr);
        m_info.m_rectDraw = m_metrics.printable;
        m_view->OnPrint(dc, &m_info);
        RestoreDC(dc, drawing);
    }
    EndPaint(m_hWnd, &paint);
}

void CPreviewView::UpdateButtons()
{
    if (HWND next = ::GetDlgItem(m_hWnd, kIdNext)) {
        ::EnableWindow(next, m_info.m_nCurPage < m_info.GetMaxPage());
    }
    if (HWND previous = ::GetDlgItem(m_hWnd, kIdPrevious)) {
        ::EnableWindow(previous, m_info.m_nCurPage > m_info.GetMinPage());
    }
}

void CPreviewView::ShowPage(UINT page)
{
    if (page < m_info.GetMinPage() || page > m_info.GetMaxPage() || page == m_info.m_nCurPage) {
        return;
    }
    m_info.m_nCurPage = page;
    UpdateButtons();
    Invalidate(FALSE);
}

void CPreviewView::OnNext()
{
    ShowPage(m_info.m_nCurPage + 1);
}

void CPreviewView::OnPrevious()
{
    if (m_info.m_nCurPage > 0) {
        ShowPage(m_info.m_nCurPage - 1);
    }
}

void CPreviewView::ClosePreview()
{
    if (m_closing || !m_hWnd) {
        return;
    }
    m_closing = true;
    SetWindowLongPtrA(m_hWnd, GWLP_ID, 0);
    ::SetWindowLongPtrA(m_view->m_hWnd, GWLP_ID, static_cast<LONG_PTR>(m_viewId));
    ::SetMenu(m_frame->m_hWnd, m_savedMenu);
    ::DrawMenuBar(m_frame->m_hWnd);
    for (HWND bar : m_hiddenBars) {
        ::ShowWindow(bar, SW_SHOWNOACTIVATE);
    }
    ShowWindow(SW_HIDE);
    m_view->ShowWindow(SW_SHOW);
    m_frame->RecalcLayout();
    m_view->OnEndPrinting(m_device ? m_device->AttributeDC() : m_screenIC, &m_info);
    DestroyWindow();
}

void CPreviewView::OnCloseButton()
{
    ClosePreview();
}

void CPreviewView::OnPrintButton()
{
    CFrameWnd* frame = m_frame;
    ClosePreview();
    frame->PostMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_PRINT, 0), 0);
}
