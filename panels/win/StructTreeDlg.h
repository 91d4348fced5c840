#pragma once
// The channel tree panel: a child dialog (white background) with a multi-selection tree of
// check boxes and two buttons that switch between the file's channels sorted into groups ("File
// Structure") and the curves of the curve window sorted into its axis groups ("Window
// Structure"). The channel selection dialog embeds it in a third view whose check boxes are the
// channels' selected flags. Its owner gives it the channel list and curve windows it shows
// (SetWindowList) and refills it when they change; what it shows is CKSTChannelTree's.
//
// Channels are dragged from here as the channel-list text ("CKSTChannelTree|group|name...")
// and dropped inside the tree from group to group.
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Dialog.h"
#include "framework/OleDragDrop.h"
#include "panels/ChannelTree.h"
#include "panels/win/TreeCtrl.h"
#include "resources/ResourceIds.h"

class CKSTChannelList;
class CKSTCurveWndCore;
class CKSTEditPopupDlg;
class CKSTStructTreeDlg;

// Drops of the panel's own channel items on a group or a channel of another group.
class CKSTChannelTreeDropTarget : public COleDropTarget {
public:
    explicit CKSTChannelTreeDropTarget(CKSTStructTreeDlg& panel) : m_panel(panel) {}

    DROPEFFECT OnDragEnter(CWnd* window, COleDataObject* data, DWORD keyState,
                           CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point) override;
    void OnDragLeave(CWnd* window) override;
    BOOL OnDrop(CWnd* window, COleDataObject* data, DROPEFFECT effect, CPoint point) override;

private:
    CKSTStructTreeDlg& m_panel;
};

class CKSTStructTreeDlg : public CDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_STRUCT_TREE };
    // The edit popup's notification when a group name was edited (wParam: group index).
    static constexpr UINT kRenameDone = WM_USER + 1;
    // The check boxes are read again from the content after the tree's own key handling.
    static constexpr UINT kSyncChecks = WM_APP + 0x31;

    explicit CKSTStructTreeDlg(CWnd* parent = nullptr);
    ~CKSTStructTreeDlg() override;

    // The panel as a child of the parent, over its whole client area until laid out.
    BOOL Create(CWnd* parent);
    using CDialog::Create;

    // The record window's sources: the open file's channels, the main and the spectrum curve
    // window (either may be null).
    void SetWindowList(CKSTChannelList* channels, CKSTCurveWndCore* curveWnd,
                       CKSTCurveWndCore* secondCurveWnd);
    void ClearWindowList();
    // The selection view over the list (the channel selection dialog).
    void SetSelectionSource(CKSTChannelList* channels);
    // Rebuilds keeping the first visible item, which then is the only selected item.
    void Refill();
    // 0 German, 1 English.
    void SetLanguage(int language);
    int GetLanguage() const { return m_language; }
    // No drags, popup menus or group deletions while locked.
    void SetLocked(bool locked) { m_locked = locked ? 1 : 0; }
    // The channels of the file and window views with their checked states as selected flags.
    void GetSelectedChannels(CKSTChannelList& list) const;
    void UpdateButtons();

    // The check box of the item switched as by a click (with `remember`, a group notes which
    // children were off, to restore them when it is switched on again).
    void ToggleCheck(HTREEITEM item, bool remember);
    // Moves the items being dragged to the drop-highlighted item; false when nothing moved.
    bool DropDraggedItems();

    CKSTTreeCtrl& GetTree() { return m_tree; }
    const CKSTChannelTree& Content() const { return m_content; }
    int32_t GetMode() const { return m_content.GetMode(); }
    uintptr_t ItemData(HTREEITEM item) const { return m_tree.GetItemData(item); }
    // The item showing the data, null when none does.
    HTREEITEM FindItem(uintptr_t data) const;

protected:
    BOOL OnInitDialog() override;
    // A pane neither ends nor closes on Enter and Escape.
    void OnOK() override {}
    void OnCancel() override {}
    void OnSize(UINT type, int width, int height);
    HBRUSH OnCtlColor(HDC dc, CWnd* control, UINT controlType);
    void OnFileStructure();
    void OnWindowStructure();
    void OnTreeClick(NMHDR* header, LRESULT* result);
    void OnTreeRightClick(NMHDR* header, LRESULT* result);
    void OnTreeBeginDrag(NMHDR* header, LRESULT* result);
    void OnTreeItemExpanded(NMHDR* header, LRESULT* result);
    void OnCreateGroup();
    void OnRenameGroup();
    void OnDeleteGroup();
    LRESULT OnRenameDone(WPARAM group, LPARAM);
    LRESULT OnSpaceKey(WPARAM, LPARAM);
    LRESULT OnSyncChecks(WPARAM, LPARAM);

private:
    friend class CKSTChannelTreeDropTarget;

    CKSTString Text(int id) const;
    void Fill();
    void SyncChecks();
    void SetMode(int32_t mode);
    void Layout(int width, int height);
    std::vector<uintptr_t> SelectedData() const;
    // The first selected item when it is a group item; null otherwise.
    HTREEITEM SelectedGroupItem() const;
    HTREEITEM ItemUnderCursor(UINT* hitFlags) const;
    void StartRename(HTREEITEM groupItem);

    int m_language;
    uint8_t m_locked = 0;
    int m_rememberChildStates = 1;
    std::unique_ptr<CKSTEditPopupDlg> m_editPopup;
    CImageList m_stateImages;
    std::vector<uintptr_t> m_draggedData;
    COleDataSource m_dataSource;
    CKSTChannelTreeDropTarget m_dropTarget;
    CKSTChannelTree m_content;
    CKSTTreeCtrl m_tree;
    CButton m_fileButton;
    CButton m_windowButton;
};
