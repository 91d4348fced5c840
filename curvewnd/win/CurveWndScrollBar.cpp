#include "curvewnd/win/CurveWndScrollBar.h"

#include <algorithm>

#include "foundation/Geometry.h"

BEGIN_MESSAGE_MAP(CKSTCurveWndScrollBar, CScrollBar)
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

bool CKSTCurveWndScrollBar::Place(const RECT& rect, DWORD orientation)
{
    if (m_hWnd == nullptr) {
        if (!Create(WS_CHILD | WS_VISIBLE | orientation, rect, m_curveWnd, 0)) {
            return false;
        }
        m_rect = rect;
        return true;
    }
    if (!IsSameRect(rect, m_rect)) {
        MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        m_rect = rect;
    }
    return true;
}

void CKSTCurveWndScrollBar::SetInfo(int minimum, int maximum, int page, int position)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = minimum;
    info.nMax = maximum;
    info.nPage = static_cast<UINT>(std::max(page, 0));
    info.nPos = position;
    SetScrollInfo(&info, TRUE);
}

void KstForwardToCurveWnd(const CWnd& bar, CWnd* curveWnd, UINT message, CPoint point)
{
    if (curveWnd != nullptr && curveWnd->m_hWnd != nullptr && bar.m_hWnd != nullptr) {
        bar.ClientToScreen(&point);
        curveWnd->ScreenToClient(&point);
        curveWnd->SendMessage(message, 0, MAKELPARAM(point.x, point.y));
    }
}

void CKSTCurveWndScrollBar::OnMouseMove(UINT flags, CPoint point)
{
    KstForwardToCurveWnd(*this, m_curveWnd, WM_MOUSEMOVE, point);
    CScrollBar::OnMouseMove(flags, point);
}

void CKSTCurveWndScrollBar::OnLButtonUp(UINT flags, CPoint point)
{
    KstForwardToCurveWnd(*this, m_curveWnd, WM_LBUTTONUP, point);
    CScrollBar::OnLButtonUp(flags, point);
}
