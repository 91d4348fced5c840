#pragma once
// A tree view in which any number of items can be selected at once: plain, Shift and Ctrl
// clicks, Shift and Ctrl arrow keys, Ctrl+A, Space and a rubber band dragged from empty space.
// The selected state is the item's TVIS_SELECTED bit; the tree's own caret (TVGN_CARET) is the
// focus item, which the platform would otherwise treat as the only selected one. Selection
// changes reach the parent as TVN_SELCHANGING (a nonzero answer vetoes) and TVN_SELCHANGED.
//
// Walks over "all items" follow TVGN_NEXTVISIBLE from the root: items below a collapsed parent
// are neither counted nor visited.
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "foundation/win/NotifyList.h"
#include "framework/Controls.h"

class CKSTTreeCtrl : public CTreeCtrl {
    DECLARE_MESSAGE_MAP()

public:
    // State bits of SelectItemEx: the focus is the pseudo bit 1, never stored in the item.
    static constexpr UINT kFocus = 0x0001;
    static constexpr UINT kSelected = TVIS_SELECTED;         // 0x0002
    static constexpr UINT kDropHighlight = TVIS_DROPHILITED;  // 0x0008
    // The event the Space key fires to registered windows (wParam VK_SPACE).
    static constexpr uint32_t kSpaceEvent = 22;
    static constexpr UINT kSpaceMessage = WM_USER + 16;

    // The one place that changes selection and focus; 0 when the caret could not be set or the
    // parent vetoed the change.
    BOOL SelectItemEx(HTREEITEM item, UINT state, UINT mask);
    // The item's state bits of mask, with bit 1 when asked for and the item is the caret.
    UINT GetItemState(HTREEITEM item, UINT mask) const;
    BOOL IsSelected(HTREEITEM item) const;
    // A null item takes the focus from the caret.
    BOOL FocusItem(HTREEITEM item);
    UINT GetSelectedCount() const;
    HTREEITEM GetFirstSelectedItem() const;
    HTREEITEM GetNextSelectedItem(HTREEITEM item) const;
    void SelectAll(BOOL select = TRUE);
    void SelectAllExcept(BOOL select, HTREEITEM except);
    void ClearDropHighlight();
    // Every item from `from` to `to` in walk order is selected; with `only` all others are
    // deselected. The focus moves along to the far end.
    BOOL SelectRange(HTREEITEM from, HTREEITEM to, BOOL only = TRUE);
    // Nonzero when one of the visited children was the caret.
    BOOL SelectChildren(HTREEITEM parent, BOOL select = TRUE, BOOL recurse = TRUE);
    void GetSelectedList(std::vector<HTREEITEM>& list) const;
    // The window receives kSpaceMessage when Space is pressed.
    void RegisterSpaceKey(CWnd* window);

    HTREEITEM GetAnchor() const { return m_anchor; }
    void SetMultiSelect(bool on) { m_multiSelect = on ? 1 : 0; }

protected:
    void OnLButtonDown(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    void OnSetFocus(CWnd* previous);
    void OnKillFocus(CWnd* next);
    void OnItemExpanding(NMHDR* header, LRESULT* result);

private:
    HTREEITEM Next(HTREEITEM item) const { return GetNextVisibleItem(item); }
    BOOL SetRawState(HTREEITEM item, UINT state, UINT mask)
    {
        return CTreeCtrl::SetItemState(item, state, mask);
    }
    // TVN_SELCHANGING or TVN_SELCHANGED for the item to the parent; the parent's answer.
    LRESULT NotifySelection(UINT code, HTREEITEM item, bool selecting);
    void SendSimpleNotify(UINT code);
    void OnButtonDown(bool left, UINT flags, CPoint point);
    void ClickSelection(bool left, HTREEITEM item);
    void TrackClick(bool left, HTREEITEM item, CPoint point);
    void TrackRubberBand(bool left, CPoint point);
    void UpdateRubberBand(const RECT& band, const std::vector<HTREEITEM>& remembered);
    void InvalidateSelectedLabels();

    CKSTNotifyList m_notify;
    int m_multiSelect = 1;
    HTREEITEM m_anchor = nullptr;
    int m_labelRectsOnly = 0;
    int m_ctrlHeld = 0;
};
