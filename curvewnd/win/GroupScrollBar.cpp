// The scroll bar control beside a zoomed axis group.
#include "curvewnd/win/GroupScrollBar.h"

#include <algorithm>

#include "curvewnd/win/CurveWndScrollBar.h"

BEGIN_MESSAGE_MAP(CKSTGroupScrollBar, CScrollBar)
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

void CKSTGroupScrollBar::OnMouseMove(UINT flags, CPoint point)
{
    KstForwardToCurveWnd(*this, GetParent(), WM_MOUSEMOVE, point);
    CScrollBar::OnMouseMove(flags, point);
}

void CKSTGroupScrollBar::OnLButtonUp(UINT flags, CPoint point)
{
    KstForwardToCurveWnd(*this, GetParent(), WM_LBUTTONUP, point);
    CScrollBar::OnLButtonUp(flags, point);
}

void CKSTGroupScrollBar::Move(const RECT& rect)
{
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    m_rect = rect;
}

void CKSTGroupScrollBar::SetScrollPosition(int32_t page, int32_t position)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = 1000;
    info.nPage = static_cast<UINT>(std::max(page, 0));
    info.nPos = position;
    SetScrollInfo(&info, TRUE);
}

std::unique_ptr<IKSTGroupScrollBar> CreateGroupScrollBar(IKSTGroupHost* owner, CWnd* parent,
                                                         int id, const RECT& rect)
{
    if (parent == nullptr) {
        return nullptr;
    }
    auto bar = std::make_unique<CKSTGroupScrollBar>(owner, rect);
    if (!bar->Create(WS_CHILD | WS_VISIBLE | SBS_VERT, rect, parent, id)) {
        return nullptr;
    }
    return bar;
}
