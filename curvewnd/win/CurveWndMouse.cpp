// Mouse, wheel, keys and scroll bars of the curve window: which action a press starts (cursor
// drag, legend click, group boundary drag or rubber band), the drags themselves, double-click
// editing and the popup menu's start.
#include <algorithm>
#include <cstdlib>

#include "curvewnd/win/CurveEditDialogs.h"
#include "curvewnd/win/CurveWnd.h"
#include "curvewnd/win/CurveWndScrollBar.h"
#include "curvewnd/win/PopupMenuThread.h"
#include "framework/Seams.h"

namespace {

constexpr int32_t kCursorGrip = 10;
// A band ended by a move without the button zooms only from this size on.
constexpr int32_t kMinBandOnMove = 10;

bool SamePoint(const POINT& point, int32_t x, int32_t y)
{
    return point.x == x && point.y == y;
}

void SetClassCursor(HWND window, LPCSTR cursor)
{
    HCURSOR handle = LoadCursor(nullptr, cursor);
    SetClassLongPtrA(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(handle));
    SetCursor(handle);
}

}  // namespace

void CKSTCurveWnd::RunInCursorBracket(const std::function<void()>& action)
{
    const bool shown = m_interaction.cursorsHidden == 0;
    if (shown) {
        HideCursors();
    }
    action();
    if (shown) {
        ShowCursors();
    }
}

void CKSTCurveWnd::InvertBand(const RECT& rect)
{
    const RECT band = NormalizeRect(rect);
    if (band.right <= band.left || band.bottom <= band.top) {
        return;
    }
    HDC dc = ::GetDC(m_hWnd);
    if (dc != nullptr) {
        ::InvertRect(dc, &band);
        ::ReleaseDC(m_hWnd, dc);
    }
}

void CKSTCurveWnd::InvertResizeLine(int32_t row)
{
    if (m_dc.GetHdc() == nullptr) {
        return;
    }
    const RECT strip = {m_client.left, row - 1, m_client.right, row + 1};
    ::InvertRect(m_dc.GetHdc(), &strip);
    ::InvalidateRect(m_hWnd, &strip, FALSE);
}

void CKSTCurveWnd::OnLButtonDown(UINT flags, CPoint point)
{
    InteractionState& s = m_interaction;
    s.leftButtonDown = 1;
    if (s.popupOpen != 0) {
        CWnd::OnLButtonDown(flags, point);
        return;
    }
    TakeFocus();
    if (IsSubscribed(kEventLeftDown)) {
        FireSend(kEventLeftDown);
        return;
    }
    if (IsSubscribed(kEventLeftDownAtPoint)) {
        FireSendAtPoint(point.x, point.y, kEventLeftDownAtPoint);
        CWnd::OnLButtonDown(flags, point);
        return;
    }
    if (m_displayKind == kDisplayBar || m_displayKind == kDisplayPointer) {
        CWnd::OnLButtonDown(flags, point);
        return;
    }
    if (s.measureMode == kMeasureDifferential) {
        if (std::abs(point.x - s.cursor1X) <= kCursorGrip) {
            s.dragging1 = 1;
        } else if (std::abs(point.x - s.cursor2X) <= kCursorGrip) {
            s.dragging2 = 1;
        }
        if (s.dragging1 != 0 || s.dragging2 != 0) {
            SetCapture();
            return;
        }
    }
    if (HitTestLegend(point) != nullptr) {
        s.rubberBand = 0;
        return;
    }
    const int border = HitTestGroupBorder(point);
    if (border >= 0) {
        s.resizeGroup = border;
        m_resizeRow = std::clamp<int32_t>(point.y, m_client.top + 1, m_client.bottom - 1);
        InvertResizeLine(m_resizeRow);
        SetCapture();
        HideCursors();
        return;
    }
    HideCursors();
    s.rubberBand = 1;
    m_bandStart = m_bandEnd = point;
    m_bandRect = {point.x, point.y, point.x, point.y};
    RECT screen = {0, 0, 0, 0};
    ::GetWindowRect(m_hWnd, &screen);
    ::ClipCursor(&screen);
    m_clipped = true;
    CWnd::OnLButtonDown(flags, point);
}

void CKSTCurveWnd::EndRubberBand(const POINT& point, bool released)
{
    InteractionState& s = m_interaction;
    InvertBand(m_bandRect);
    m_bandRect = {0, 0, 0, 0};
    m_bandEnd = point;
    s.rubberBand = 0;
    ::ClipCursor(nullptr);
    m_clipped = false;
    const RECT band = {m_bandStart.x, m_bandStart.y, point.x, point.y};
    const bool small = std::abs(point.x - m_bandStart.x) < kMinBandOnMove &&
                       std::abs(point.y - m_bandStart.y) < kMinBandOnMove;
    if (!released && small) {
        ShowCursors();
        return;
    }
    ZoomToRect(band);
    ShowCursors();
    FirePost(kEventMeasureEnded);
}

void CKSTCurveWnd::AbortDrags()
{
    InteractionState& s = m_interaction;
    if (s.rubberBand != 0) {
        InvertBand(m_bandRect);
        m_bandRect = {0, 0, 0, 0};
        s.rubberBand = 0;
        ShowCursors();
    }
    if (m_clipped) {
        ::ClipCursor(nullptr);
        m_clipped = false;
    }
    const bool captured = s.resizeGroup >= 0 || s.dragging1 != 0 || s.dragging2 != 0;
    if (s.resizeGroup >= 0) {
        InvertResizeLine(m_resizeRow);
        s.resizeGroup = -1;
        SetClassCursor(m_hWnd, IDC_ARROW);
        ShowCursors();
    }
    s.dragging1 = s.dragging2 = 0;
    if (captured && ::GetCapture() == m_hWnd) {
        ::ReleaseCapture();
    }
}

LRESULT CKSTCurveWnd::OnCancelMode(WPARAM, LPARAM)
{
    AbortDrags();
    return Default();
}

LRESULT CKSTCurveWnd::OnCaptureChanged(WPARAM, LPARAM)
{
    AbortDrags();
    return Default();
}

LRESULT CKSTCurveWnd::OnFocusLost(WPARAM, LPARAM)
{
    AbortDrags();
    return Default();
}

void CKSTCurveWnd::OnMouseMove(UINT flags, CPoint point)
{
    InteractionState& s = m_interaction;
    if (s.popupOpen != 0) {
        CWnd::OnMouseMove(flags, point);
        return;
    }
    if (s.leftButtonDown != 0 && (flags & MK_LBUTTON) != 0 && IsSubscribed(kEventDrag)) {
        CWnd::OnMouseMove(flags, point);
        if (m_dragReference.x == 0 && m_dragReference.y == 0) {
            m_dragReference = point;
        } else {
            m_notify.Send(kEventDrag, reinterpret_cast<WPARAM>(m_hWnd),
                          MAKELPARAM(point.x - m_dragReference.x, point.y - m_dragReference.y));
        }
        return;
    }
    TrackLegendHover(point);
    if (s.resizeGroup < 0 && s.rubberBand == 0) {
        SetClassCursor(m_hWnd, HitTestGroupBorder(point) >= 0 ? IDC_SIZENS : IDC_ARROW);
    }
    if (s.resizeGroup >= 0) {
        InvertResizeLine(m_resizeRow);
        m_resizeRow = std::clamp<int32_t>(point.y, m_client.top + 1, m_client.bottom - 1);
        InvertResizeLine(m_resizeRow);
        return;
    }
    if (!PtInRectEx(m_client, point)) {
        if (s.measureMode == kMeasureDifferential && (s.dragging1 != 0 || s.dragging2 != 0)) {
            s.dragging1 = s.dragging2 = 0;
            ::ReleaseCapture();
        }
        return;
    }
    if (s.rubberBand != 0) {
        if ((KstGetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0) {
            EndRubberBand(point, false);
            return;
        }
        InvertBand(m_bandRect);
        m_bandRect = NormalizeRect(RECT{m_bandStart.x, m_bandStart.y, point.x, point.y});
        InvertBand(m_bandRect);
        return;
    }
    if (s.cursorFrozen == 0 && s.cursorsHidden == 0 && s.measureMode == kMeasureSimple) {
        if (!SamePoint(point, s.cursor1X, s.cursor1Y)) {
            DrawCursor(1);
            s.cursor1X = point.x;
            s.cursor1Y = point.y;
            DrawCursor(1);
            m_xAxis->MoveCursorLabel(1, s.cursor1X);
            MoveValueBoxes(s.cursor1X, s.cursor1Y);
            FirePost(kEventCursorMoved);
        }
        return;
    }
    if (s.cursorFrozen == 0 && s.cursorsHidden == 0 && s.measureMode == kMeasureDifferential &&
        (s.dragging1 != 0 || s.dragging2 != 0)) {
        const int index = s.dragging1 != 0 ? 1 : 2;
        int32_t& x = index == 1 ? s.cursor1X : s.cursor2X;
        int32_t& y = index == 1 ? s.cursor1Y : s.cursor2Y;
        if (!SamePoint(point, x, y)) {
            DrawCursor(index);
            x = point.x;
            y = point.y;
            DrawCursor(index);
            m_xAxis->MoveCursorLabel(index, x);
            if (m_diffTable) {
                m_diffTable->SetCursorRange(s.cursor1X, s.cursor2X, false, false);
            }
            FirePost(kEventCursorMoved);
        }
        return;
    }
    CWnd::OnMouseMove(flags, point);
}

void CKSTCurveWnd::OnLButtonUp(UINT flags, CPoint point)
{
    InteractionState& s = m_interaction;
    s.leftButtonDown = 0;
    if (s.popupOpen != 0) {
        CWnd::OnLButtonUp(flags, point);
        return;
    }
    if (IsSubscribed(kEventLeftUp)) {
        m_dragReference = {0, 0};
        // The subscriber takes the release; a drag the press started must not stay open with
        // the mouse confined.
        AbortDrags();
        FireSend(kEventLeftUp);
        return;
    }
    if (s.measureMode == kMeasureDifferential && (s.dragging1 != 0 || s.dragging2 != 0)) {
        s.dragging1 = s.dragging2 = 0;
        ::ReleaseCapture();
        return;
    }
    if (s.resizeGroup < 0) {
        if (s.rubberBand != 0) {
            EndRubberBand(point, true);
        } else if (m_displayKind != kDisplayBar && m_displayKind != kDisplayPointer) {
            if (CKSTCurve* curve = HitTestLegend(point)) {
                RunInCursorBracket([curve] {
                    curve->SetCurveKind(curve->GetCurveKind() == CKSTCurve::kKindShown
                                            ? CKSTCurve::kKindHidden
                                            : CKSTCurve::kKindShown,
                                        true);
                });
            }
        }
        return;
    }
    InvertResizeLine(m_resizeRow);
    SetClassCursor(m_hWnd, IDC_ARROW);
    const int group = s.resizeGroup;
    // Cleared before the capture goes, so losing it does not count as an interruption.
    s.resizeGroup = -1;
    ::ReleaseCapture();
    ResizeGroup(group, point.y);
    ShowCursors();
}

void CKSTCurveWnd::OnLButtonDblClk(UINT, CPoint point)
{
    TakeFocus();
    if (IsSubscribed(kEventDoubleClick)) {
        FireSend(kEventDoubleClick);
        return;
    }
    if (HitTestLegend(point) != nullptr) {
        return;
    }
    const bool instrument = m_displayKind == kDisplayBar || m_displayKind == kDisplayPointer;
    if (!instrument && m_xAxis->HitTest(point)) {
        RunCommand(kKstCmdEditXAxis);
        return;
    }
    for (const auto& group : m_groups) {
        if (!group->IsVisible()) {
            continue;
        }
        if (CKSTYAxis* axis = group->HitTestAxis(point)) {
            RunInCursorBracket([&] { EditDialogs().YAxisSettings(*this, *axis); });
            return;
        }
    }
    for (const auto& group : m_groups) {
        if (!group->IsVisible() || instrument) {
            continue;
        }
        if (CKSTPlotMarker* marker = group->FindEventAt(point)) {
            RunInCursorBracket([&] { CreateMarker(marker); });
            return;
        }
        if (CKSTLimitLine* line = group->FindLevelLineAt(point)) {
            RunInCursorBracket([&] { CreateLimit(line); });
            return;
        }
    }
    for (const auto& group : m_groups) {
        if (!group->IsVisible()) {
            continue;
        }
        if (CKSTCurve* curve = group->HitTestCurve(point)) {
            RunInCursorBracket([&] {
                if (instrument) {
                    WindowSettings();
                } else {
                    EditDialogs().CurveDisplay(*this, *curve);
                }
            });
            return;
        }
    }
    if ((instrument || m_settings.m_LegendStyle == kLegendMain) &&
        PtInRectEx(m_legend->GetRect(), point)) {
        RunInCursorBracket([&] { WindowSettings(); });
    }
}

void CKSTCurveWnd::OnRButtonDown(UINT flags, CPoint point)
{
    if (IsSubscribed(kEventRightDown)) {
        m_notify.Send(kEventRightDown, reinterpret_cast<WPARAM>(m_hWnd),
                      MAKELPARAM(point.x, point.y));
        return;
    }
    CWnd::OnRButtonDown(flags, point);
}

void CKSTCurveWnd::OnRButtonUp(UINT, CPoint point)
{
    if (IsSubscribed(kEventRightUp)) {
        m_notify.Send(kEventRightUp, reinterpret_cast<WPARAM>(m_hWnd), 0);
        return;
    }
    if (m_interaction.popupOpen != 0) {
        return;
    }
    m_interaction.popupOpen = 1;
    auto* thread = new CKSTPopupMenuThread(TakePopupSnapshot(point));
    if (!thread->CreateThread()) {
        delete thread;
        m_interaction.popupOpen = 0;
    }
}

BOOL CKSTCurveWnd::OnMouseWheel(UINT, short delta, CPoint)
{
    if (m_xAxis->GetPreviousState() != nullptr && delta != 0) {
        KstHorizontalScroll scroll;
        scroll.code = delta < 0 ? SB_LINERIGHT : SB_LINELEFT;
        scroll.wheel = true;
        ScrollHorizontal(scroll);
    }
    return TRUE;
}

void CKSTCurveWnd::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    const int first = GetFirstShownGroup();
    const CKSTAxisGroup* group = GetGroup(first);
    const bool yBar = group != nullptr && group->GetScrollBar() != nullptr;
    auto horizontal = [this](uint32_t code) {
        KstHorizontalScroll scroll;
        scroll.code = code;
        ScrollHorizontal(scroll);
    };
    switch (key) {
        case VK_PRIOR:
            if (yBar) {
                ScrollGroupAxes(first, SB_PAGEUP, 0);
            }
            break;
        case VK_NEXT:
            if (yBar) {
                ScrollGroupAxes(first, SB_PAGEDOWN, 0);
            }
            break;
        case VK_END:
            horizontal(SB_RIGHT);
            break;
        case VK_HOME:
            horizontal(SB_LEFT);
            break;
        case VK_LEFT:
            horizontal(SB_LINELEFT);
            break;
        case VK_RIGHT:
            horizontal(SB_LINERIGHT);
            break;
        case VK_UP:
            if (yBar) {
                ScrollGroupAxes(first, SB_LINEUP, 0);
            }
            break;
        case VK_DOWN:
            if (yBar) {
                ScrollGroupAxes(first, SB_LINEDOWN, 0);
            }
            break;
        default:
            FirePostParams(kEventKey, key, MAKELPARAM(flags, repeat));
            break;
    }
}

void CKSTCurveWnd::OnHScroll(UINT code, UINT position, HWND)
{
    KstHorizontalScroll scroll;
    scroll.code = code;
    scroll.trackPosition = static_cast<int32_t>(position);
    if (m_xScrollBar && m_xScrollBar->GetSafeHwnd() != nullptr) {
        SCROLLINFO info{};
        m_xScrollBar->GetScrollInfo(&info);
        scroll.scrollMaximum = info.nMax;
        scroll.pageSize = static_cast<int32_t>(info.nPage);
    }
    ScrollHorizontal(scroll);
}

void CKSTCurveWnd::OnVScroll(UINT code, UINT position, HWND bar)
{
    if (m_groupScrollBar && bar != nullptr && bar == m_groupScrollBar->GetSafeHwnd()) {
        ScrollGroups(code, static_cast<int32_t>(position));
        return;
    }
    if (bar != nullptr) {
        ScrollGroupAxes(::GetDlgCtrlID(bar) - kGroupScrollBarIdBase, code,
                        static_cast<int32_t>(position));
    }
}
