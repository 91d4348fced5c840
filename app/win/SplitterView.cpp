#include "app/win/SplitterView.h"

BEGIN_MESSAGE_MAP(CKSTSplitterView, CView)
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_SETFOCUS()
END_MESSAGE_MAP()

BOOL CKSTSplitterView::PreCreateWindow(CREATESTRUCTA& cs)
{
    // The hosted window brings its own edge; the cell's full size goes to it.
    cs.style &= ~static_cast<DWORD>(WS_BORDER);
    cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    cs.style |= WS_CLIPCHILDREN;
    return CView::PreCreateWindow(cs);
}

void CKSTSplitterView::OnDraw(HDC) {}

BOOL CKSTSplitterView::OnEraseBkgnd(HDC)
{
    return TRUE;
}

void CKSTSplitterView::OnSize(UINT, int width, int height)
{
    if (!m_bNotify) {
        return;
    }
    if (m_pNotifyWnd && m_pNotifyWnd->m_hWnd) {
        m_pNotifyWnd->SendMessage(m_nNotifyMessage, 0, 0);
    }
    if (m_pHostedWnd && m_pHostedWnd->m_hWnd) {
        m_pHostedWnd->SetWindowPos(nullptr, 0, 0, width, height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CKSTSplitterView::OnSetFocus(CWnd*)
{
    Default();
    if (m_pHostedWnd && m_pHostedWnd->m_hWnd) {
        m_pHostedWnd->SetFocus();
    }
}
