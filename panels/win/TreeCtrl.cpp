#include "panels/win/TreeCtrl.h"

#include <algorithm>
#include <cstdlib>

#include "framework/Seams.h"

namespace {

constexpr UINT_PTR kRubberBandTimer = 1;
constexpr UINT kRubberBandTimerMs = 75;

bool ShiftDown()
{
    return KstIsKeyDown(VK_SHIFT);
}

bool CtrlDown()
{
    return KstIsKeyDown(VK_CONTROL);
}

RECT Normalised(POINT a, POINT b)
{
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace

BEGIN_MESSAGE_MAP(CKSTTreeCtrl, CTreeCtrl)
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_NOTIFY_REFLECT(TVN_ITEMEXPANDINGA, OnItemExpanding)
ON_NOTIFY_REFLECT(TVN_ITEMEXPANDINGW, OnItemExpanding)
END_MESSAGE_MAP()

// ---- Selection ----------------------------------------------------------------------------------

UINT CKSTTreeCtrl::GetItemState(HTREEITEM item, UINT mask) const
{
    UINT state = CTreeCtrl::GetItemState(item, mask & ~kFocus);
    if ((mask & kFocus) && item && item == GetSelectedItem()) {
        state |= kFocus;
    }
    return state;
}

BOOL CKSTTreeCtrl::IsSelected(HTREEITEM item) const
{
    return item && (CTreeCtrl::GetItemState(item, kSelected) & kSelected) != 0;
}

LRESULT CKSTTreeCtrl::NotifySelection(UINT code, HTREEITEM item, bool selecting)
{
    CWnd* parent = GetParent();
    if (!parent) {
        return 0;
    }
    NMTREEVIEWA info{};
    info.hdr.hwndFrom = m_hWnd;
    info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    info.hdr.code = code;
    TVITEMA& changed = selecting ? info.itemNew : info.itemOld;
    changed.mask = TVIF_HANDLE | TVIF_PARAM;
    changed.hItem = item;
    changed.lParam = static_cast<LPARAM>(GetItemData(item));
    return parent->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
}

void CKSTTreeCtrl::SendSimpleNotify(UINT code)
{
    if (CWnd* parent = GetParent()) {
        NMHDR header{m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID()), code};
        parent->SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
}

BOOL CKSTTreeCtrl::SelectItemEx(HTREEITEM item, UINT state, UINT mask)
{
    if (!item) {
        return FALSE;
    }
    if (!m_multiSelect) {
        if (mask & kFocus) {
            return Select((state & kFocus) ? item : nullptr, TVGN_CARET);
        }
        return SetRawState(item, state, mask);
    }
    const HTREEITEM caret = GetSelectedItem();
    const bool wasFocus = item == caret;
    const bool focusWasSelected = caret && IsSelected(caret);
    const bool wasSelected = IsSelected(item);
    UINT s = state & ~kFocus;
    UINT m = mask & ~kFocus;

    if ((mask & kFocus) && (state & kFocus)) {
        // The platform's caret move deselects the old caret and selects the new one: both are
        // put back to what the caller asked for.
        if (!wasFocus && focusWasSelected) {
            Select(nullptr, TVGN_CARET);
            SetRawState(caret, kSelected, kSelected);
            UpdateWindow();
        }
        if (!Select(item, TVGN_CARET)) {
            return FALSE;
        }
        SetRawState(item, kDropHighlight, kDropHighlight);
        if (!wasFocus && focusWasSelected) {
            SetRawState(caret, kSelected, kSelected);
        }
        if ((mask & kSelected) && (state & kSelected) && (!wasFocus || focusWasSelected)) {
            s &= ~kSelected;
            m &= ~kSelected;
        }
        if (!(mask & kSelected) && !wasSelected) {
            m |= kSelected;
            s &= ~kSelected;
        }
    }
    if ((mask & kFocus) && !(state & kFocus) && wasFocus) {
        Select(nullptr, TVGN_CARET);
        if (!(mask & kSelected)) {
            if (wasSelected) {
                SetRawState(item, kSelected, kSelected);
            }
        } else if (state & kSelected) {
            if (wasSelected) {
                SetRawState(item, kSelected, kSelected);
            }
            s &= ~kSelected;
            m &= ~kSelected;
        }
    }
    if (m == 0) {
        return TRUE;
    }
    if (m & kSelected) {
        const bool selecting = (s & kSelected) != 0;
        if (NotifySelection(TVN_SELCHANGINGA, item, selecting) != 0) {
            return FALSE;
        }
        SetRawState(item, s, m);
        NotifySelection(TVN_SELCHANGEDA, item, selecting);
        s &= ~kSelected;
        m &= ~kSelected;
    }
    return m == 0 ? TRUE : SetRawState(item, s, m);
}

BOOL CKSTTreeCtrl::FocusItem(HTREEITEM item)
{
    if (item) {
        return SelectItemEx(item, kFocus, kFocus);
    }
    const HTREEITEM caret = GetSelectedItem();
    return caret ? SelectItemEx(caret, 0, kFocus) : FALSE;
}

UINT CKSTTreeCtrl::GetSelectedCount() const
{
    UINT count = 0;
    for (HTREEITEM item = GetRootItem(); item; item = Next(item)) {
        count += IsSelected(item) ? 1 : 0;
    }
    return count;
}

HTREEITEM CKSTTreeCtrl::GetFirstSelectedItem() const
{
    for (HTREEITEM item = GetRootItem(); item; item = Next(item)) {
        if (IsSelected(item)) {
            return item;
        }
    }
    return nullptr;
}

HTREEITEM CKSTTreeCtrl::GetNextSelectedItem(HTREEITEM item) const
{
    for (item = item ? Next(item) : nullptr; item; item = Next(item)) {
        if (IsSelected(item)) {
            return item;
        }
    }
    return nullptr;
}

void CKSTTreeCtrl::SelectAll(BOOL select)
{
    for (HTREEITEM item = GetRootItem(); item; item = Next(item)) {
        if (IsSelected(item) != (select != FALSE)) {
            SelectItemEx(item, select ? kSelected : 0, kSelected | kDropHighlight);
        }
    }
}

void CKSTTreeCtrl::SelectAllExcept(BOOL select, HTREEITEM except)
{
    for (HTREEITEM item = GetRootItem(); item; item = Next(item)) {
        if (item != except && IsSelected(item) != (select != FALSE)) {
            SelectItemEx(item, select ? kSelected : 0, kSelected);
        }
    }
}

void CKSTTreeCtrl::ClearDropHighlight()
{
    for (HTREEITEM item = GetRootItem(); item; item = Next(item)) {
        if (CTreeCtrl::GetItemState(item, kDropHighlight) & kDropHighlight) {
            SelectItemEx(item, 0, kDropHighlight);
        }
    }
}

BOOL CKSTTreeCtrl::SelectRange(HTREEITEM from, HTREEITEM to, BOOL only)
{
    if (!from || !to) {
        return FALSE;
    }
    const UINT cleared = kSelected | kDropHighlight;
    HTREEITEM item = GetRootItem();
    for (; item && item != from && item != to; item = Next(item)) {
        if (only && CTreeCtrl::GetItemState(item, cleared)) {
            SelectItemEx(item, 0, cleared);
        }
    }
    if (!item) {
        return FALSE;
    }
    if (from == to) {
        if (!IsSelected(item)) {
            SelectItemEx(item, kSelected | kDropHighlight | kFocus, 0x0B);
        }
    } else {
        const HTREEITEM last = item == from ? to : from;
        if (!IsSelected(item)) {
            SelectItemEx(item, kSelected | kDropHighlight, cleared);
        }
        while (item != last) {
            item = Next(item);
            if (!item) {
                return FALSE;
            }
            if (!IsSelected(item)) {
                SelectItemEx(item, kSelected | kDropHighlight | kFocus, 0x0B);
            }
        }
    }
    for (item = Next(item); item; item = Next(item)) {
        if (only && CTreeCtrl::GetItemState(item, cleared)) {
            SelectItemEx(item, 0, cleared);
        }
    }
    return TRUE;
}

BOOL CKSTTreeCtrl::SelectChildren(HTREEITEM parent, BOOL select, BOOL recurse)
{
    BOOL hadCaret = FALSE;
    const HTREEITEM caret = GetSelectedItem();
    for (HTREEITEM child = GetChildItem(parent); child; child = GetNextSiblingItem(child)) {
        hadCaret = hadCaret || child == caret;
        if (IsSelected(child) != (select != FALSE)) {
            SelectItemEx(child, select ? kSelected : 0, kSelected);
        }
        if (recurse && (CTreeCtrl::GetItemState(child, TVIS_EXPANDED) & TVIS_EXPANDED)) {
            hadCaret = SelectChildren(child, select, recurse) || hadCaret;
        }
    }
    return hadCaret;
}

void CKSTTreeCtrl::GetSelectedList(std::vector<HTREEITEM>& list) const
{
    list.clear();
    for (HTREEITEM item = GetFirstSelectedItem(); item; item = GetNextSelectedItem(item)) {
        list.push_back(item);
    }
}

void CKSTTreeCtrl::RegisterSpaceKey(CWnd* window)
{
    if (window) {
        m_notify.Register(kSpaceEvent, kSpaceMessage, window->m_hWnd);
    }
}

// ---- Mouse -------------------------------------------------------------------------------------

void CKSTTreeCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    OnButtonDown(true, flags, point);
}

void CKSTTreeCtrl::OnRButtonDown(UINT flags, CPoint point)
{
    OnButtonDown(false, flags, point);
}

void CKSTTreeCtrl::OnButtonDown(bool left, UINT, CPoint point)
{
    if (!m_multiSelect) {
        Default();
        return;
    }
    UINT hit = 0;
    const HTREEITEM item = HitTest(point, &hit);
    if (hit & TVHT_ONITEMBUTTON) {
        Default();
        return;
    }
    if (left && (hit & TVHT_ONITEMSTATEICON) && (GetStyle() & TVS_CHECKBOXES)) {
        Default();
        return;
    }
    if (item && (hit & (TVHT_ONITEMICON | TVHT_ONITEMLABEL))) {
        ClickSelection(left, item);
        TrackClick(left, item, point);
        return;
    }
    TrackRubberBand(left, point);
}

void CKSTTreeCtrl::ClickSelection(bool left, HTREEITEM item)
{
    const bool shift = ShiftDown();
    const bool ctrl = CtrlDown();
    if (!left) {
        if (!shift && !ctrl) {
            if (!IsSelected(item)) {
                SelectAllExcept(FALSE, item);
            }
            SelectItemEx(item, kSelected | kFocus, kSelected | kFocus);
        } else if (ctrl && !shift) {
            m_anchor = item;
        }
        return;
    }
    if (shift) {
        if (!m_anchor) {
            m_anchor = GetSelectedItem();
        }
        SelectRange(m_anchor, item, !ctrl);
        FocusItem(item);
        return;
    }
    if (!ctrl) {
        ClearDropHighlight();
        if (!IsSelected(item)) {
            SelectAllExcept(FALSE, item);
        }
        SelectItemEx(item, kSelected | kFocus, kSelected | kFocus);
    }
    m_anchor = nullptr;
}

void CKSTTreeCtrl::TrackClick(bool left, HTREEITEM item, CPoint point)
{
    SetCapture();
    const int dragX = GetSystemMetrics(SM_CXDRAG);
    const int dragY = GetSystemMetrics(SM_CYDRAG);
    enum class End { None, Drag, Click } end = End::None;
    MSG msg{};
    while (end == End::None && GetCapture() == this) {
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_MOUSEMOVE) {
            const CPoint at(msg.lParam);
            if (std::abs(at.x - point.x) > dragX || std::abs(at.y - point.y) > dragY) {
                end = End::Drag;
            }
            continue;
        }
        if (msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP) {
            end = End::Click;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (GetCapture() == this) {
        ReleaseCapture();
    }
    if (end == End::Drag) {
        SelectItemEx(item, kSelected | kFocus, kSelected | kFocus);
        if (!(GetStyle() & TVS_DISABLEDRAGDROP) && GetParent()) {
            NMTREEVIEWA info{};
            info.hdr.hwndFrom = m_hWnd;
            info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
            info.hdr.code = left ? TVN_BEGINDRAGA : TVN_BEGINRDRAGA;
            info.itemNew.mask = TVIF_HANDLE | TVIF_PARAM;
            info.itemNew.hItem = item;
            info.itemNew.lParam = static_cast<LPARAM>(GetItemData(item));
            info.ptDrag = point;
            GetParent()->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
        }
    } else if (end == End::Click) {
        if (left && !ShiftDown()) {
            const bool ctrl = CtrlDown();
            const UINT selected = ctrl && IsSelected(item) ? 0 : kSelected;
            if (!ctrl) {
                SelectAllExcept(FALSE, item);
            }
            SelectItemEx(item, selected | kFocus, kSelected | kFocus);
        }
        if (GetFocus() != this) {
            SetFocus();
        }
        SendSimpleNotify(left ? NM_CLICK : NM_RCLICK);
    }
}

void CKSTTreeCtrl::UpdateRubberBand(const RECT& band, const std::vector<HTREEITEM>& remembered)
{
    const bool ctrl = CtrlDown();
    for (HTREEITEM item = GetRootItem(); item; item = Next(item)) {
        RECT rect{};
        GetItemRect(item, &rect, m_labelRectsOnly);
        RECT overlap{};
        const bool inBand = IntersectRect(&overlap, &rect, &band) != FALSE;
        const bool wasRemembered =
            std::find(remembered.begin(), remembered.end(), item) != remembered.end();
        const bool selected = IsSelected(item);
        bool wanted;
        if (inBand) {
            wanted = wasRemembered ? !ctrl : true;
        } else {
            wanted = wasRemembered;
        }
        if (wanted != selected) {
            SelectItemEx(item, wanted ? kSelected : 0, kSelected);
        }
    }
}

void CKSTTreeCtrl::TrackRubberBand(bool left, CPoint start)
{
    SetFocus();
    SetCapture();
    const bool modifiers = ShiftDown() || CtrlDown();
    std::vector<HTREEITEM> remembered;
    if (modifiers) {
        GetSelectedList(remembered);
    }
    SetTimer(kRubberBandTimer, kRubberBandTimerMs);
    const int dragX = GetSystemMetrics(SM_CXDRAG);
    const int dragY = GetSystemMetrics(SM_CYDRAG);
    RECT first{};
    const HTREEITEM top = GetRootItem();
    const int itemHeight =
        top && GetItemRect(top, &first, FALSE) ? std::max<int>(1, first.bottom - first.top) : 1;
    const POINT origin{start.x + ::GetScrollPos(m_hWnd, SB_HORZ),
                       start.y + ::GetScrollPos(m_hWnd, SB_VERT) * itemHeight};
    bool drawn = false;
    RECT band{};
    HDC dc = ::GetDC(m_hWnd);
    auto drawBand = [&](const RECT& rect) {
        DrawFocusRect(dc, &rect);
    };
    auto moveTo = [&](POINT cursor) {
        if (!drawn && std::abs(cursor.x - start.x) <= dragX && std::abs(cursor.y - start.y) <= dragY) {
            return;
        }
        RECT client{};
        GetClientRect(&client);
        if (drawn) {
            drawBand(band);
        } else if (!ShiftDown() && !CtrlDown()) {
            SelectAll(FALSE);
            UpdateWindow();
        }
        if (cursor.y < client.top) {
            SendMessage(WM_VSCROLL, SB_LINEUP);
        } else if (cursor.y >= client.bottom) {
            SendMessage(WM_VSCROLL, SB_LINEDOWN);
        }
        if (cursor.x < client.left) {
            SendMessage(WM_HSCROLL, SB_LINELEFT);
        } else if (cursor.x >= client.right) {
            SendMessage(WM_HSCROLL, SB_LINERIGHT);
        }
        const POINT from{origin.x - ::GetScrollPos(m_hWnd, SB_HORZ),
                         origin.y - ::GetScrollPos(m_hWnd, SB_VERT) * itemHeight};
        band = Normalised(from, cursor);
        UpdateRubberBand(band, remembered);
        UpdateWindow();
        drawBand(band);
        drawn = true;
    };
    MSG msg{};
    bool quit = false;
    while (GetCapture() == this) {
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            quit = true;
            break;
        }
        if (msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP) {
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            SelectAll(FALSE);
            break;
        }
        if (msg.message == WM_MOUSEMOVE && msg.hwnd == m_hWnd) {
            moveTo(CPoint(msg.lParam));
            continue;
        }
        if (msg.message == WM_TIMER && msg.hwnd == m_hWnd && msg.wParam == kRubberBandTimer) {
            POINT cursor{};
            GetCursorPos(&cursor);
            ScreenToClient(&cursor);
            RECT client{};
            GetClientRect(&client);
            if (!PtInRect(&client, cursor)) {
                moveTo(cursor);
            }
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(kRubberBandTimer);
    if (GetCapture() == this) {
        ReleaseCapture();
    }
    if (drawn) {
        drawBand(band);
    }
    ::ReleaseDC(m_hWnd, dc);
    if (!drawn && !modifiers) {
        SelectAll(FALSE);
    }
    SendSimpleNotify(left ? NM_CLICK : NM_RCLICK);
    if (quit) {
        PostQuitMessage(static_cast<int>(msg.wParam));
    } else if (msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP) {
        DispatchMessageA(&msg);
    }
}

// ---- Keys and focus ----------------------------------------------------------------------------

void CKSTTreeCtrl::OnKeyDown(UINT key, UINT, UINT)
{
    if (!m_multiSelect) {
        Default();
        return;
    }
    if (key == VK_CONTROL) {
        m_ctrlHeld = 1;
    }
    const HTREEITEM caret = GetSelectedItem();
    const bool shift = ShiftDown();
    const bool ctrl = CtrlDown();
    bool spaceTaken = false;
    if (key == VK_SPACE) {
        if (caret) {
            if (ctrl) {
                SelectItemEx(caret, IsSelected(caret) ? 0 : kSelected, kSelected);
            } else if (!IsSelected(caret)) {
                SelectItemEx(caret, kSelected, kSelected);
            }
        }
        if (m_notify.IsRegistered(kSpaceEvent)) {
            // The registered window owns what Space means (the check boxes of the channel
            // panel): the platform's own check toggle would undo it.
            spaceTaken = true;
            m_notify.Send(kSpaceEvent, VK_SPACE, 0);
        }
    } else if (key == VK_UP || key == VK_DOWN) {
        if (!m_anchor) {
            m_anchor = caret;
        }
        if (!shift && !ctrl) {
            m_anchor = nullptr;
            SelectAll(FALSE);
        }
    } else if (key == 'A' && m_ctrlHeld) {
        SelectAll(TRUE);
    }
    if (!spaceTaken) {
        Default();
    }
    if ((key == VK_SPACE || key == VK_UP || key == VK_DOWN) && caret && (shift || ctrl)) {
        HTREEITEM next = key == VK_UP ? GetPrevVisibleItem(caret) : GetNextVisibleItem(caret);
        if (!next) {
            next = caret;
        }
        if (shift) {
            SelectRange(m_anchor, next, TRUE);
        }
        // The caret follows the key also after a range: otherwise the range would lag one item
        // behind it and repeated Shift+arrows would never grow it.
        FocusItem(next);
    }
}

void CKSTTreeCtrl::OnKeyUp(UINT key, UINT, UINT)
{
    if (key == VK_CONTROL) {
        m_ctrlHeld = 0;
    }
    Default();
}

void CKSTTreeCtrl::InvalidateSelectedLabels()
{
    for (HTREEITEM item = GetFirstSelectedItem(); item; item = GetNextSelectedItem(item)) {
        RECT rect{};
        if (GetItemRect(item, &rect, TRUE)) {
            InvalidateRect(&rect);
        }
    }
}

void CKSTTreeCtrl::OnSetFocus(CWnd*)
{
    Default();
    InvalidateSelectedLabels();
}

void CKSTTreeCtrl::OnKillFocus(CWnd*)
{
    Default();
    InvalidateSelectedLabels();
}

void CKSTTreeCtrl::OnItemExpanding(NMHDR* header, LRESULT* result)
{
    *result = 0;
    if (!m_multiSelect) {
        return;
    }
    const auto* info = reinterpret_cast<const NMTREEVIEWA*>(header);
    const UINT action = info->action & (TVE_COLLAPSE | TVE_EXPAND);
    if (action != TVE_COLLAPSE && !(info->action & TVE_COLLAPSERESET)) {
        return;
    }
    const HTREEITEM item = info->itemNew.hItem;
    if (SelectChildren(item, FALSE, TRUE) && !IsSelected(item)) {
        Select(nullptr, TVGN_CARET);
    }
}
