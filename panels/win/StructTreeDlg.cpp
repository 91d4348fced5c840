#include "panels/win/StructTreeDlg.h"

#include <algorithm>
#include <cstring>

#include "curvewnd/win/EditPopupDlg.h"
#include "foundation/win/StringLoader.h"
#include "framework/Seams.h"
#include "resources/StringIds.h"

namespace {

constexpr int kButtonMargin = 10;
constexpr int kButtonArea = 40;

// Every item of the tree in tree order, collapsed branches included.
template <class Visit>
void ForEachItem(const CTreeCtrl& tree, HTREEITEM first, Visit visit)
{
    for (HTREEITEM item = first; item; item = tree.GetNextSiblingItem(item)) {
        visit(item);
        ForEachItem(tree, tree.GetChildItem(item), visit);
    }
}

}  // namespace

// ---- Drop target ---------------------------------------------------------------------------------

DROPEFFECT CKSTChannelTreeDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD keyState, CPoint)
{
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

DROPEFFECT CKSTChannelTreeDropTarget::OnDragOver(CWnd* window, COleDataObject*, DWORD keyState,
                                                 CPoint point)
{
    CKSTTreeCtrl& tree = m_panel.m_tree;
    POINT at = point;
    window->ClientToScreen(&at);
    tree.ScreenToClient(&at);
    RECT client{};
    tree.GetClientRect(&client);
    const bool above = at.y <= client.top;
    const bool below = at.y >= client.bottom - 1;
    at.x = std::clamp<LONG>(at.x, client.left, std::max(client.left, client.right - 1));
    at.y = std::clamp<LONG>(at.y, client.top, std::max(client.top, client.bottom - 1));
    if (HTREEITEM item = tree.HitTest(at)) {
        const HTREEITEM first = tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE);
        if (above && first) {
            if (HTREEITEM previous = tree.GetPrevVisibleItem(first)) {
                tree.Select(previous, TVGN_FIRSTVISIBLE);
            }
        } else if (below && first) {
            if (HTREEITEM next = tree.GetNextVisibleItem(first)) {
                tree.Select(next, TVGN_FIRSTVISIBLE);
            }
        }
        if (!(tree.GetItemState(item, CKSTTreeCtrl::kDropHighlight) &
              CKSTTreeCtrl::kDropHighlight)) {
            tree.ClearDropHighlight();
            tree.SelectItemEx(item, CKSTTreeCtrl::kDropHighlight, CKSTTreeCtrl::kDropHighlight);
        }
    }
    return (keyState & MK_CONTROL) ? DROPEFFECT_NONE : DROPEFFECT_MOVE;
}

void CKSTChannelTreeDropTarget::OnDragLeave(CWnd*)
{
    m_panel.m_tree.ClearDropHighlight();
}

BOOL CKSTChannelTreeDropTarget::OnDrop(CWnd*, COleDataObject* data, DROPEFFECT, CPoint)
{
    // The text only says that channels come; which ones is the panel's own drag list.
    if (HGLOBAL text = data->GetGlobalData(CF_TEXT)) {
        GlobalFree(text);
    }
    return m_panel.DropDraggedItems() ? TRUE : FALSE;
}

// ---- Panel --------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKSTStructTreeDlg, CDialog)
ON_WM_SIZE()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_FILE_STRUCTURE, OnFileStructure)
ON_BN_CLICKED(IDC_WINDOW_STRUCTURE, OnWindowStructure)
ON_NOTIFY(NM_CLICK, IDC_STRUCT_TREE, OnTreeClick)
ON_NOTIFY(NM_RCLICK, IDC_STRUCT_TREE, OnTreeRightClick)
ON_NOTIFY(TVN_BEGINDRAGA, IDC_STRUCT_TREE, OnTreeBeginDrag)
ON_NOTIFY(TVN_BEGINDRAGW, IDC_STRUCT_TREE, OnTreeBeginDrag)
ON_NOTIFY(TVN_ITEMEXPANDEDA, IDC_STRUCT_TREE, OnTreeItemExpanded)
ON_NOTIFY(TVN_ITEMEXPANDEDW, IDC_STRUCT_TREE, OnTreeItemExpanded)
ON_COMMAND(ID_TREE_CREATE_GROUP, OnCreateGroup)
ON_COMMAND(ID_TREE_RENAME_GROUP, OnRenameGroup)
ON_COMMAND(ID_TREE_DELETE_GROUP, OnDeleteGroup)
ON_MESSAGE(kRenameDone, OnRenameDone)
ON_MESSAGE(CKSTTreeCtrl::kSpaceMessage, OnSpaceKey)
ON_MESSAGE(kSyncChecks, OnSyncChecks)
END_MESSAGE_MAP()

CKSTStructTreeDlg::CKSTStructTreeDlg(CWnd* parent)
    : CDialog(IDD, parent), m_language(IsEnglishUser() ? 1 : 0), m_dropTarget(*this)
{
}

CKSTStructTreeDlg::~CKSTStructTreeDlg()
{
    if (m_hWnd) {
        DestroyWindow();
    }
}

BOOL CKSTStructTreeDlg::Create(CWnd* parent)
{
    return CDialog::Create(IDD, parent);
}

CKSTString CKSTStructTreeDlg::Text(int id) const
{
    return LoadResString(id, m_language != 0);
}

BOOL CKSTStructTreeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_tree.SubclassDlgItem(IDC_STRUCT_TREE, this);
    m_fileButton.SubclassDlgItem(IDC_FILE_STRUCTURE, this);
    m_windowButton.SubclassDlgItem(IDC_WINDOW_STRUCTURE, this);
    SetLanguage(m_language);
    // The check-box style is set anew so the tree takes the state images below.
    m_tree.ModifyStyle(TVS_CHECKBOXES, 0);
    m_tree.ModifyStyle(0, TVS_CHECKBOXES);
    m_stateImages.Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 2);
    HINSTANCE module = KstResourceHandle();
    for (int icon : {IDI_TREE_UNCHECKED, IDI_TREE_UNCHECKED, IDI_TREE_CHECKED}) {
        HICON handle = static_cast<HICON>(
            LoadImageA(module, MAKEINTRESOURCEA(icon), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        m_stateImages.Add(handle);
        DestroyIcon(handle);
    }
    m_tree.SetImageList(&m_stateImages, TVSIL_STATE);
    m_tree.RegisterSpaceKey(this);
    m_dropTarget.Register(this);
    UpdateButtons();
    UpdateData(FALSE);
    return TRUE;
}

void CKSTStructTreeDlg::SetLanguage(int language)
{
    m_language = language;
    m_content.SetEmptyGroupText(Text(KST_STR_TREE_EMPTY_GROUP));
    if (m_hWnd) {
        SetDlgItemText(IDC_FILE_STRUCTURE, Text(KST_STR_TREE_FILE_STRUCTURE).c_str());
        SetDlgItemText(IDC_WINDOW_STRUCTURE, Text(KST_STR_TREE_WINDOW_STRUCTURE).c_str());
    }
}

void CKSTStructTreeDlg::SetWindowList(CKSTChannelList* channels, CKSTCurveWndCore* curveWnd,
                                      CKSTCurveWndCore* secondCurveWnd)
{
    m_content.SetWindowList(channels, curveWnd, secondCurveWnd);
    UpdateButtons();
}

void CKSTStructTreeDlg::ClearWindowList()
{
    m_content.ClearWindowList();
    UpdateButtons();
}

void CKSTStructTreeDlg::SetSelectionSource(CKSTChannelList* channels)
{
    m_content.SetSelectionSource(channels);
    UpdateButtons();
}

void CKSTStructTreeDlg::SetMode(int32_t mode)
{
    m_content.SetMode(mode);
    UpdateButtons();
}

void CKSTStructTreeDlg::OnFileStructure()
{
    SetMode(CKSTChannelTree::kFileView);
}

void CKSTStructTreeDlg::OnWindowStructure()
{
    SetMode(CKSTChannelTree::kWindowView);
}

void CKSTStructTreeDlg::UpdateButtons()
{
    if (!m_hWnd) {
        return;
    }
    Fill();
    const int32_t mode = m_content.GetMode();
    const bool buttons = mode != CKSTChannelTree::kSelectionView;
    m_fileButton.ShowWindow(buttons ? SW_SHOW : SW_HIDE);
    m_windowButton.ShowWindow(buttons ? SW_SHOW : SW_HIDE);
    m_fileButton.EnableWindow(mode != CKSTChannelTree::kFileView);
    m_windowButton.EnableWindow(mode != CKSTChannelTree::kWindowView);
    RECT client{};
    GetClientRect(&client);
    Layout(client.right, client.bottom);
}

void CKSTStructTreeDlg::Refill()
{
    if (!m_hWnd) {
        return;
    }
    Fill();
    m_tree.SelectAll(FALSE);
    if (HTREEITEM first = m_tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE)) {
        m_tree.SelectItemEx(first, CKSTTreeCtrl::kSelected | CKSTTreeCtrl::kFocus,
                            CKSTTreeCtrl::kSelected | CKSTTreeCtrl::kFocus);
    }
}

void CKSTStructTreeDlg::Fill()
{
    if (!m_tree.m_hWnd) {
        return;
    }
    int firstPosition = 0;
    const HTREEITEM firstVisible = m_tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE);
    for (HTREEITEM item = m_tree.GetRootItem(); item && item != firstVisible;
         item = m_tree.GetNextVisibleItem(item)) {
        ++firstPosition;
    }
    m_tree.SendMessage(WM_SETREDRAW, FALSE);
    m_tree.DeleteAllItems();
    const std::vector<KstTreeRow> rows = m_content.Build();
    HTREEITEM group = nullptr;
    std::vector<HTREEITEM> expanded;
    for (const KstTreeRow& row : rows) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = row.child && group ? group : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | (row.group ? TVIF_CHILDREN : 0);
        insert.item.pszText = const_cast<char*>(row.label.c_str());
        insert.item.lParam = static_cast<LPARAM>(row.data);
        insert.item.state = INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1);
        insert.item.stateMask = TVIS_STATEIMAGEMASK;
        insert.item.cChildren = 1;
        const HTREEITEM item = reinterpret_cast<HTREEITEM>(
            m_tree.SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (row.group) {
            group = item;
            if (row.expanded) {
                expanded.push_back(item);
            }
        }
    }
    for (HTREEITEM item : expanded) {
        m_tree.Expand(item, TVE_EXPAND);
    }
    m_tree.SendMessage(WM_SETREDRAW, TRUE);
    HTREEITEM top = m_tree.GetRootItem();
    for (int i = 0; i < firstPosition && top && m_tree.GetNextVisibleItem(top); ++i) {
        top = m_tree.GetNextVisibleItem(top);
    }
    if (top) {
        m_tree.Select(top, TVGN_FIRSTVISIBLE);
    }
    m_tree.Invalidate();
}

void CKSTStructTreeDlg::SyncChecks()
{
    ForEachItem(m_tree, m_tree.GetRootItem(), [this](HTREEITEM item) {
        m_tree.SetCheck(item, m_content.IsChecked(m_tree.GetItemData(item)) ? TRUE : FALSE);
    });
}

LRESULT CKSTStructTreeDlg::OnSyncChecks(WPARAM, LPARAM)
{
    SyncChecks();
    return 0;
}

HTREEITEM CKSTStructTreeDlg::FindItem(uintptr_t data) const
{
    HTREEITEM found = nullptr;
    ForEachItem(m_tree, m_tree.GetRootItem(), [&](HTREEITEM item) {
        if (!found && m_tree.GetItemData(item) == data) {
            found = item;
        }
    });
    return found;
}

std::vector<uintptr_t> CKSTStructTreeDlg::SelectedData() const
{
    std::vector<uintptr_t> data;
    for (HTREEITEM item = m_tree.GetFirstSelectedItem(); item;
         item = m_tree.GetNextSelectedItem(item)) {
        data.push_back(m_tree.GetItemData(item));
    }
    return data;
}

void CKSTStructTreeDlg::GetSelectedChannels(CKSTChannelList& list) const
{
    m_content.GetSelectedChannels(list);
}

void CKSTStructTreeDlg::ToggleCheck(HTREEITEM item, bool remember)
{
    if (!item) {
        return;
    }
    m_tree.ClearDropHighlight();
    m_content.ToggleCheck(m_tree.GetItemData(item), SelectedData(), remember);
    SyncChecks();
    m_tree.SelectAllExcept(FALSE, item);
    m_tree.SelectItemEx(item, CKSTTreeCtrl::kSelected | CKSTTreeCtrl::kFocus,
                        CKSTTreeCtrl::kSelected | CKSTTreeCtrl::kFocus);
}

HTREEITEM CKSTStructTreeDlg::ItemUnderCursor(UINT* hitFlags) const
{
    POINT cursor{};
    GetCursorPos(&cursor);
    m_tree.ScreenToClient(&cursor);
    return m_tree.HitTest(cursor, hitFlags);
}

void CKSTStructTreeDlg::OnTreeClick(NMHDR*, LRESULT* result)
{
    UINT hit = 0;
    const HTREEITEM item = ItemUnderCursor(&hit);
    if (item && (hit & TVHT_ONITEMSTATEICON)) {
        ToggleCheck(item, m_rememberChildStates != 0);
        // The check boxes are the content's: the tree must not switch its own as well.
        *result = 1;
    }
}

LRESULT CKSTStructTreeDlg::OnSpaceKey(WPARAM, LPARAM)
{
    ToggleCheck(m_tree.GetSelectedItem(), false);
    PostMessage(kSyncChecks);
    return 0;
}

void CKSTStructTreeDlg::OnTreeItemExpanded(NMHDR* header, LRESULT*)
{
    const auto* info = reinterpret_cast<const NMTREEVIEWA*>(header);
    m_content.SetGroupExpanded(static_cast<uintptr_t>(info->itemNew.lParam),
                               (info->action & (TVE_COLLAPSE | TVE_EXPAND)) == TVE_EXPAND);
}

// ---- Groups ---------------------------------------------------------------------------------------

HTREEITEM CKSTStructTreeDlg::SelectedGroupItem() const
{
    const HTREEITEM item = m_tree.GetFirstSelectedItem();
    return item && m_content.GroupOf(m_tree.GetItemData(item)) ? item : nullptr;
}

void CKSTStructTreeDlg::OnTreeRightClick(NMHDR*, LRESULT*)
{
    if (m_locked || m_content.GetMode() == CKSTChannelTree::kSelectionView) {
        return;
    }
    HMENU menu = LoadMenuA(KstResourceHandle(), MAKEINTRESOURCEA(IDR_TREE_MENU));
    if (!menu) {
        return;
    }
    HMENU popup = GetSubMenu(menu, 0);
    const bool english = m_language != 0;
    const bool windowView = m_content.GetMode() == CKSTChannelTree::kWindowView;
    SetMenuItemTextById(popup, ID_TREE_CREATE_GROUP,
                        windowView ? KST_STR_TREE_CREATE_SUBWINDOW : KST_STR_TREE_CREATE_GROUP,
                        english);
    SetMenuItemTextById(popup, ID_TREE_RENAME_GROUP, KST_STR_TREE_RENAME_GROUP, english);
    SetMenuItemTextById(popup, ID_TREE_DELETE_GROUP, KST_STR_TREE_DELETE_GROUP, english);
    UINT hit = 0;
    const HTREEITEM item = ItemUnderCursor(&hit);
    const bool onGroup = item && (hit & TVHT_ONITEM) && m_content.GroupOf(m_tree.GetItemData(item));
    if (!onGroup || windowView) {
        DeleteMenu(popup, ID_TREE_RENAME_GROUP, MF_BYCOMMAND);
        DeleteMenu(popup, ID_TREE_DELETE_GROUP, MF_BYCOMMAND);
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    const UINT command = static_cast<UINT>(KstTrackPopupMenu(
        popup, TPM_CENTERALIGN | TPM_RETURNCMD | TPM_NONOTIFY, cursor.x + 50, cursor.y, m_hWnd));
    DestroyMenu(menu);
    if (command != 0) {
        SendMessage(WM_COMMAND, command);
    }
}

void CKSTStructTreeDlg::OnCreateGroup()
{
    if (m_content.GetMode() == CKSTChannelTree::kWindowView) {
        m_content.CreateGroup(CKSTString());
        Fill();
        return;
    }
    const int group = m_content.CreateGroup(Text(KST_STR_TREE_NEW_GROUP));
    Fill();
    const HTREEITEM item = FindItem(static_cast<uintptr_t>(group));
    if (!item) {
        return;
    }
    m_tree.SelectAllExcept(FALSE, item);
    m_tree.SelectItemEx(item, CKSTTreeCtrl::kSelected | CKSTTreeCtrl::kFocus,
                        CKSTTreeCtrl::kSelected | CKSTTreeCtrl::kFocus);
    m_tree.Select(item, TVGN_FIRSTVISIBLE);
    StartRename(item);
}

void CKSTStructTreeDlg::OnRenameGroup()
{
    if (!m_locked) {
        StartRename(SelectedGroupItem());
    }
}

void CKSTStructTreeDlg::StartRename(HTREEITEM groupItem)
{
    if (!groupItem) {
        return;
    }
    const KstTreeGroup* group = m_content.GroupOf(m_tree.GetItemData(groupItem));
    RECT label{};
    RECT row{};
    if (!group || !m_tree.GetItemRect(groupItem, &label, TRUE) ||
        !m_tree.GetItemRect(groupItem, &row, FALSE)) {
        return;
    }
    RECT rect{label.left, label.top, row.right, label.bottom};
    m_tree.ClientToScreen(&rect);
    m_editPopup = std::make_unique<CKSTEditPopupDlg>(this);
    m_editPopup->SetRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    m_editPopup->SetText(group->name);
    m_editPopup->SetNotification(kRenameDone, static_cast<int32_t>(m_tree.GetItemData(groupItem)),
                                 0);
    m_editPopup->Create();
}

LRESULT CKSTStructTreeDlg::OnRenameDone(WPARAM group, LPARAM)
{
    if (m_editPopup) {
        m_content.RenameGroup(static_cast<int>(group), m_editPopup->GetText());
        Fill();
    }
    return 0;
}

void CKSTStructTreeDlg::OnDeleteGroup()
{
    const HTREEITEM item = m_locked ? nullptr : SelectedGroupItem();
    if (item) {
        m_content.DeleteGroup(static_cast<int>(m_tree.GetItemData(item)));
        Fill();
    }
}

// ---- Dragging -----------------------------------------------------------------------------------

void CKSTStructTreeDlg::OnTreeBeginDrag(NMHDR*, LRESULT*)
{
    if (m_locked || m_tree.GetSelectedCount() == 0) {
        return;
    }
    m_draggedData = SelectedData();
    const CKSTString text = m_content.DragText(m_draggedData);
    HGLOBAL block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(text.GetLength()) + 1);
    if (!block) {
        return;
    }
    memcpy(static_cast<char*>(block), text.c_str(), static_cast<size_t>(text.GetLength()));
    m_dataSource.CacheGlobalData(CF_TEXT, block);
    m_tree.ClearDropHighlight();
    m_dataSource.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
    m_draggedData.clear();
    m_tree.ClearDropHighlight();
}

bool CKSTStructTreeDlg::DropDraggedItems()
{
    HTREEITEM target = nullptr;
    ForEachItem(m_tree, m_tree.GetRootItem(), [&](HTREEITEM item) {
        if (!target && (m_tree.GetItemState(item, CKSTTreeCtrl::kDropHighlight) &
                        CKSTTreeCtrl::kDropHighlight)) {
            target = item;
        }
    });
    const bool moved = target && !m_draggedData.empty() &&
                       m_content.MoveToGroup(m_draggedData, m_tree.GetItemData(target));
    m_draggedData.clear();
    Fill();
    return moved;
}

// ---- Layout -------------------------------------------------------------------------------------

void CKSTStructTreeDlg::OnSize(UINT, int width, int height)
{
    Layout(width, height);
}

void CKSTStructTreeDlg::Layout(int width, int height)
{
    if (!m_tree.m_hWnd) {
        return;
    }
    if (m_content.GetMode() == CKSTChannelTree::kSelectionView) {
        m_tree.MoveWindow(0, 0, width, height);
        return;
    }
    m_tree.MoveWindow(0, 0, width, std::max(0, height - kButtonArea));
    RECT file{};
    RECT window{};
    m_fileButton.GetWindowRect(&file);
    m_windowButton.GetWindowRect(&window);
    const int fileWidth = file.right - file.left;
    const int fileHeight = file.bottom - file.top;
    const int windowWidth = window.right - window.left;
    const int windowHeight = window.bottom - window.top;
    m_fileButton.MoveWindow(kButtonMargin, height - fileHeight / 2 - 20, fileWidth, fileHeight);
    m_windowButton.MoveWindow(width - kButtonMargin - windowWidth, height - windowHeight / 2 - 20,
                              windowWidth, windowHeight);
}

HBRUSH CKSTStructTreeDlg::OnCtlColor(HDC dc, CWnd* control, UINT controlType)
{
    if (controlType == CTLCOLOR_DLG) {
        return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    }
    return CDialog::OnCtlColor(dc, control, controlType);
}
