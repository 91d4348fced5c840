#include "framework/Controls.h"

#include <memory>
#include <mutex>

namespace {

// Item texts are read into a buffer of this size (the common controls give no length).
constexpr int kItemTextMax = 1024;

CImageList* WrapImageList(HIMAGELIST list)
{
    if (!list) {
        return nullptr;
    }
    auto wrapper = std::make_unique<CImageList>();
    wrapper->Attach(list);
    return wrapper.release();
}

}  // namespace

bool KstInitRichEdit()
{
    static HMODULE library = nullptr;
    static std::once_flag once;
    std::call_once(once, [] { library = LoadLibraryA("riched20.dll"); });
    return library != nullptr;
}

CKSTString CComboBox::GetLBText(int index) const
{
    const int length = static_cast<int>(SendMessage(CB_GETLBTEXTLEN, index));
    CKSTString text;
    if (length > 0) {
        text.SetLength(length);
        SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.GetBuffer()));
    }
    return text;
}

CKSTString CListBox::GetText(int index) const
{
    const int length = static_cast<int>(SendMessage(LB_GETTEXTLEN, index));
    CKSTString text;
    if (length > 0) {
        text.SetLength(length);
        SendMessage(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.GetBuffer()));
    }
    return text;
}

// ---- CListCtrl ---------------------------------------------------------------------------------

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width)
{
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_FMT | (width >= 0 ? LVCF_WIDTH : 0);
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<char*>(heading);
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::GetColumnCount() const
{
    HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    return header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CListCtrl::InsertItem(int index, const char* text)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text);
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int index, int column, const char* text)
{
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item)));
}

CKSTString CListCtrl::GetItemText(int index, int column) const
{
    char buffer[kItemTextMax] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kItemTextMax;
    SendMessage(LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    return CKSTString(buffer);
}

BOOL CListCtrl::SetItemData(int index, DWORD_PTR data)
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

DWORD_PTR CListCtrl::GetItemData(int index) const
{
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<DWORD_PTR>(item.lParam);
}

BOOL CListCtrl::SetItemState(int index, UINT state, UINT mask)
{
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::GetItemRect(int index, RECT* rect, UINT code) const
{
    rect->left = static_cast<LONG>(code);
    return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)));
}

int CListCtrl::HitTest(POINT point, UINT* flags) const
{
    LVHITTESTINFO info{};
    info.pt = point;
    const int index =
        static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags) {
        *flags = info.flags;
    }
    return index;
}

CImageList* CListCtrl::CreateDragImage(int index, POINT* upperLeft)
{
    POINT origin{};
    HIMAGELIST list = reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_CREATEDRAGIMAGE, index, reinterpret_cast<LPARAM>(&origin)));
    if (upperLeft) {
        *upperLeft = origin;
    }
    return WrapImageList(list);
}

// ---- CTreeCtrl ---------------------------------------------------------------------------------

HTREEITEM CTreeCtrl::InsertItem(const char* text, HTREEITEM parent, HTREEITEM after)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>(text);
    return reinterpret_cast<HTREEITEM>(
        SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM CTreeCtrl::InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent,
                                HTREEITEM after)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(
        SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

BOOL CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask)
{
    TVITEMA tvItem{};
    tvItem.mask = TVIF_HANDLE | TVIF_STATE;
    tvItem.hItem = item;
    tvItem.state = state;
    tvItem.stateMask = mask;
    return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem)));
}

CKSTString CTreeCtrl::GetItemText(HTREEITEM item) const
{
    char buffer[kItemTextMax] = {};
    TVITEMA tvItem{};
    tvItem.mask = TVIF_HANDLE | TVIF_TEXT;
    tvItem.hItem = item;
    tvItem.pszText = buffer;
    tvItem.cchTextMax = kItemTextMax;
    SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem));
    return CKSTString(buffer);
}

BOOL CTreeCtrl::SetItemText(HTREEITEM item, const char* text)
{
    TVITEMA tvItem{};
    tvItem.mask = TVIF_HANDLE | TVIF_TEXT;
    tvItem.hItem = item;
    tvItem.pszText = const_cast<char*>(text);
    return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem)));
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const
{
    TVITEMA tvItem{};
    tvItem.mask = TVIF_HANDLE | TVIF_PARAM;
    tvItem.hItem = item;
    SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem));
    return static_cast<DWORD_PTR>(tvItem.lParam);
}

BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data)
{
    TVITEMA tvItem{};
    tvItem.mask = TVIF_HANDLE | TVIF_PARAM;
    tvItem.hItem = item;
    tvItem.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvItem)));
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const
{
    // TVM_GETITEMRECT takes the item handle in the rectangle it fills.
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    return static_cast<BOOL>(
        SendMessage(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)));
}

HTREEITEM CTreeCtrl::HitTest(POINT point, UINT* flags) const
{
    TVHITTESTINFO info{};
    info.pt = point;
    HTREEITEM item =
        reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags) {
        *flags = info.flags;
    }
    return item;
}

CImageList* CTreeCtrl::CreateDragImage(HTREEITEM item)
{
    return WrapImageList(reinterpret_cast<HIMAGELIST>(
        SendMessage(TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(item))));
}

// ---- CTabCtrl ----------------------------------------------------------------------------------

int CTabCtrl::InsertItem(int index, const char* text)
{
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text);
    return static_cast<int>(SendMessage(TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item)));
}

BOOL CTabCtrl::SetItemText(int index, const char* text)
{
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text);
    return static_cast<BOOL>(SendMessage(TCM_SETITEMA, index, reinterpret_cast<LPARAM>(&item)));
}

CKSTString CTabCtrl::GetItemText(int index) const
{
    char buffer[kItemTextMax] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = kItemTextMax;
    SendMessage(TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return CKSTString(buffer);
}
