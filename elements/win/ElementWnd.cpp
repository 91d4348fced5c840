#include "elements/win/ElementWnd.h"


BEGIN_MESSAGE_MAP(CKSTElementWnd, CWnd)
ON_WM_ERASEBKGND()
ON_WM_RBUTTONDOWN()
ON_MESSAGE(WM_SIZING, OnSizing)
ON_MESSAGE(WM_EXITSIZEMOVE, OnExitSizeMove)
END_MESSAGE_MAP()

bool CKSTElementWnd::TakeOffTransparentStyle()
{
    if (!m_hWnd || !WantsTransparency() || !HasTransparentStyle(m_hWnd)) {
        return false;
    }
    SetTransparentStyle(m_hWnd, false);
    m_transparencySuspended = 1;
    OnTransparencySuspended(true);
    return true;
}

void CKSTElementWnd::SuspendTransparency()
{
    (void)TakeOffTransparentStyle();
}

bool CKSTElementWnd::RestoreTransparency()
{
    if (!m_hWnd || !WantsTransparency() || HasTransparentStyle(m_hWnd)) {
        return false;
    }
    SetTransparentStyle(m_hWnd, true);
    m_transparencySuspended = 0;
    OnTransparencySuspended(false);
    SetWindowPos(nullptr, 0, 0, 0, 0, KST_SWP_FRAME_CHANGED);
    return true;
}

void CKSTElementWnd::DragOnMouseMove(UINT flags, CPoint point, bool reportZero)
{
    if (!m_drag.IsDown() || !(flags & MK_LBUTTON) ||
        !m_notify.IsRegistered(KST_ELEMENT_EVENT_MOUSE_MOVE)) {
        return;
    }
    const CKSTElementDrag::Move move = m_drag.OnMove(point.x, point.y, reportZero);
    if (move.startedMoving && TakeOffTransparentStyle()) {
        Invalidate(TRUE);
    }
    if (move.report) {
        Fire(KST_ELEMENT_EVENT_MOUSE_MOVE, KstPackPoint(move.dx, move.dy));
    }
}

void CKSTElementWnd::RestoreTransparencyAfterMove()
{
    if (WantsTransparency() && SetTransparentStyle(m_hWnd, true)) {
        Invalidate(TRUE);
    }
    m_transparencySuspended = 0;
    OnTransparencySuspended(false);
}

void CKSTElementWnd::Fire(uint32_t event, LPARAM lParam)
{
    FireElementEvent(m_notify, event, m_hWnd, lParam);
}

void CKSTElementWnd::InvalidateIfCreated()
{
    if (m_hWnd) {
        Invalidate(TRUE);
    }
}

BOOL CKSTElementWnd::OnEraseBkgnd(HDC)
{
    return TRUE;
}

void CKSTElementWnd::OnRButtonDown(UINT, CPoint point)
{
    Fire(KST_ELEMENT_EVENT_RBUTTON_DOWN, KstPackPoint(point.x, point.y));
}

LRESULT CKSTElementWnd::OnSizing(WPARAM, LPARAM)
{
    if (!m_sizing) {
        m_sizing = 1;
        SuspendTransparency();
    }
    return Default();
}

LRESULT CKSTElementWnd::OnExitSizeMove(WPARAM, LPARAM)
{
    m_sizing = 0;
    RestoreTransparency();
    Fire(KST_ELEMENT_EVENT_SIZE_MOVE_END);
    return Default();
}

BEGIN_MESSAGE_MAP(CKSTBufferedElementWnd, CKSTElementWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_SIZE()
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

void CKSTBufferedElementWnd::OnTransparencySuspended(bool suspended)
{
    m_doubleBuffered = (suspended || !WantsTransparency()) ? 1 : 0;
}

int CKSTBufferedElementWnd::OnCreate(LPCREATESTRUCT create)
{
    if (CWnd::OnCreate(create) == -1) {
        return -1;
    }
    m_backBuffer.Create(m_hWnd);
    return 0;
}

void CKSTBufferedElementWnd::OnDestroy()
{
    m_backBuffer.Release();
    CWnd::OnDestroy();
}

void CKSTBufferedElementWnd::OnSize(UINT type, int width, int height)
{
    m_backBuffer.Resize(m_hWnd);
    if (m_notify.IsRegistered(KST_ELEMENT_EVENT_SIZE)) {
        Fire(KST_ELEMENT_EVENT_SIZE);
    } else {
        CWnd::OnSize(type, width, height);
        Invalidate(FALSE);
    }
}

void CKSTBufferedElementWnd::OnKeyDown(UINT, UINT, UINT) {}
