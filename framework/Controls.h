#pragma once
// Thin wrappers of the standard and common controls: each is a CWnd (bound by Create or
// DDX_Control) with its control messages as members. Derived controls add message maps (for
// example reflected notifications).
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include "foundation/String.h"
#include "framework/Wnd.h"

// Loads the rich-edit library once (riched20.dll, class RICHEDIT20A); call it at start-up,
// before a dialog with a rich-edit control is created. False when the library is missing.
bool KstInitRichEdit();

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    BOOL Create(int width, int height, UINT flags, int initial, int grow)
    {
        DeleteImageList();
        m_hImageList = ImageList_Create(width, height, flags, initial, grow);
        return m_hImageList != nullptr;
    }
    BOOL Attach(HIMAGELIST list)
    {
        DeleteImageList();
        m_hImageList = list;
        return list != nullptr;
    }
    HIMAGELIST Detach()
    {
        HIMAGELIST list = m_hImageList;
        m_hImageList = nullptr;
        return list;
    }
    BOOL DeleteImageList()
    {
        const BOOL deleted = m_hImageList && ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
        return deleted;
    }
    int Add(HBITMAP bitmap, HBITMAP mask) { return ImageList_Add(m_hImageList, bitmap, mask); }
    int Add(HBITMAP bitmap, COLORREF maskColor)
    {
        return ImageList_AddMasked(m_hImageList, bitmap, maskColor);
    }
    int Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    BOOL GetImageInfo(int image, IMAGEINFO* info) const
    {
        return ImageList_GetImageInfo(m_hImageList, image, info);
    }
    BOOL Draw(HDC dc, int image, POINT at, UINT style)
    {
        return ImageList_Draw(m_hImageList, image, dc, at.x, at.y, style);
    }
};

class CButton : public CWnd {
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_BUTTONA, text, style, rect, parent, id);
    }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, check); }
};

class CStatic : public CWnd {
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_STATICA, text, style, rect, parent, id);
    }
};

class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_EDITA, "", style, rect, parent, id);
    }
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, start, end); }
    void ReplaceSel(const char* text)
    {
        SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    BOOL SetReadOnly(BOOL readOnly = TRUE)
    {
        return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly));
    }
    void LimitText(int characters) { SendMessage(EM_LIMITTEXT, characters); }
};

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_COMBOBOXA, "", style, rect, parent, id);
    }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int AddString(const char* text) { return Send(CB_ADDSTRING, 0, text); }
    int InsertString(int index, const char* text) { return Send(CB_INSERTSTRING, index, text); }
    int DeleteString(int index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, index)); }
    int FindStringExact(int after, const char* text) const
    {
        return Send(CB_FINDSTRINGEXACT, after, text);
    }
    CKSTString GetLBText(int index) const;
    DWORD_PTR GetItemData(int index) const { return SendMessage(CB_GETITEMDATA, index); }
    int SetItemData(int index, DWORD_PTR data)
    {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, index, static_cast<LPARAM>(data)));
    }

private:
    int Send(UINT message, WPARAM wParam, const char* text) const
    {
        return static_cast<int>(SendMessage(message, wParam, reinterpret_cast<LPARAM>(text)));
    }
};

class CListBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_LISTBOXA, "", style, rect, parent, id);
    }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int AddString(const char* text)
    {
        return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, index)); }
    int GetSel(int index) const { return static_cast<int>(SendMessage(LB_GETSEL, index)); }
    int SetSel(int index, BOOL select = TRUE)
    {
        return static_cast<int>(SendMessage(LB_SETSEL, select, index));
    }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
    int GetItemRect(int index, RECT* rect) const
    {
        return static_cast<int>(SendMessage(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)));
    }
    CKSTString GetText(int index) const;
    DWORD_PTR GetItemData(int index) const { return SendMessage(LB_GETITEMDATA, index); }
    int SetItemData(int index, DWORD_PTR data)
    {
        return static_cast<int>(SendMessage(LB_SETITEMDATA, index, static_cast<LPARAM>(data)));
    }
};

class CListCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_LISTVIEWA, "", style, rect, parent, id);
    }
    DWORD SetExtendedStyle(DWORD style)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
    }
    int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1);
    int GetColumnWidth(int column) const
    {
        return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, column));
    }
    BOOL SetColumnWidth(int column, int width)
    {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, column, width));
    }
    int GetColumnCount() const;
    int InsertItem(int index, const char* text);
    BOOL DeleteItem(int index) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, index)); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL SetItemText(int index, int column, const char* text);
    CKSTString GetItemText(int index, int column) const;
    BOOL SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    BOOL SetItemState(int index, UINT state, UINT mask);
    UINT GetItemState(int index, UINT mask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, index, mask));
    }
    int GetNextItem(int start, UINT flags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, start, flags));
    }
    BOOL GetItemRect(int index, RECT* rect, UINT code) const;
    int HitTest(POINT point, UINT* flags = nullptr) const;
    int GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
    int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
    BOOL EnsureVisible(int index, BOOL partialOK)
    {
        return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, index, partialOK));
    }
    HIMAGELIST SetImageList(CImageList* list, int type)
    {
        return reinterpret_cast<HIMAGELIST>(
            SendMessage(LVM_SETIMAGELIST, type, reinterpret_cast<LPARAM>(list->m_hImageList)));
    }
    // A new image list the caller owns, null when the control cannot make one.
    CImageList* CreateDragImage(int index, POINT* upperLeft);
};

class CTreeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_TREEVIEWA, "", style, rect, parent, id);
    }
    HTREEITEM InsertItem(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(const char* text, int image, int selectedImage,
                         HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item)
    {
        return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
    }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const
    {
        return reinterpret_cast<HTREEITEM>(
            SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetNextVisibleItem(HTREEITEM item) const
    {
        return GetNextItem(item, TVGN_NEXTVISIBLE);
    }
    HTREEITEM GetPrevVisibleItem(HTREEITEM item) const
    {
        return GetNextItem(item, TVGN_PREVIOUSVISIBLE);
    }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL Select(HTREEITEM item, UINT code)
    {
        return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    BOOL SelectItem(HTREEITEM item) { return Select(item, TVGN_CARET); }
    BOOL ItemHasChildren(HTREEITEM item) const { return GetChildItem(item) != nullptr; }
    UINT GetItemState(HTREEITEM item, UINT mask) const
    {
        return static_cast<UINT>(
            SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
    }
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask);
    CKSTString GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, const char* text);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
    BOOL GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const;
    HTREEITEM HitTest(POINT point, UINT* flags = nullptr) const;
    BOOL Expand(HTREEITEM item, UINT code)
    {
        return static_cast<BOOL>(SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
    }
    BOOL EnsureVisible(HTREEITEM item)
    {
        return static_cast<BOOL>(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)));
    }
    // Check boxes of a tree with TVS_CHECKBOXES.
    BOOL GetCheck(HTREEITEM item) const
    {
        return ((GetItemState(item, TVIS_STATEIMAGEMASK) >> 12) - 1) == 1;
    }
    BOOL SetCheck(HTREEITEM item, BOOL check = TRUE)
    {
        return SetItemState(item, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), TVIS_STATEIMAGEMASK);
    }
    HIMAGELIST GetImageList(int type) const
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_GETIMAGELIST, type));
    }
    HIMAGELIST SetImageList(CImageList* list, int type)
    {
        return reinterpret_cast<HIMAGELIST>(
            SendMessage(TVM_SETIMAGELIST, type, reinterpret_cast<LPARAM>(list->m_hImageList)));
    }
    // A new image list the caller owns, null when the control cannot make one.
    CImageList* CreateDragImage(HTREEITEM item);
};

class CSpinButtonCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(UPDOWN_CLASSA, "", style, rect, parent, id);
    }
    void SetRange(int lower, int upper) { SendMessage(UDM_SETRANGE32, lower, upper); }
    int SetPos(int position) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, position)); }
    int GetPos() const { return static_cast<int>(SendMessage(UDM_GETPOS32)); }
    HWND SetBuddy(CWnd* buddy)
    {
        return reinterpret_cast<HWND>(
            SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy->m_hWnd)));
    }
};

class CScrollBar : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_SCROLLBARA, "", style, rect, parent, id);
    }
    BOOL SetScrollInfo(const SCROLLINFO* info, BOOL redraw = TRUE)
    {
        ::SetScrollInfo(m_hWnd, SB_CTL, info, redraw);
        return TRUE;
    }
    BOOL GetScrollInfo(SCROLLINFO* info, UINT mask = SIF_ALL) const
    {
        info->cbSize = sizeof(SCROLLINFO);
        info->fMask = mask;
        return ::GetScrollInfo(m_hWnd, SB_CTL, info);
    }
    int SetScrollPos(int position, BOOL redraw = TRUE)
    {
        return ::SetScrollPos(m_hWnd, SB_CTL, position, redraw);
    }
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    void SetScrollRange(int minimum, int maximum, BOOL redraw = TRUE)
    {
        ::SetScrollRange(m_hWnd, SB_CTL, minimum, maximum, redraw);
    }
    void ShowScrollBar(BOOL show = TRUE) { ::ShowScrollBar(m_hWnd, SB_CTL, show); }
    BOOL EnableScrollBar(UINT arrows = ESB_ENABLE_BOTH)
    {
        return ::EnableScrollBar(m_hWnd, SB_CTL, arrows);
    }
};

class CTabCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_TABCONTROLA, "", style, rect, parent, id);
    }
    int InsertItem(int index, const char* text);
    BOOL SetItemText(int index, const char* text);
    CKSTString GetItemText(int index) const;
    int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(TCM_SETCURSEL, index)); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS)); }
    void AdjustRect(BOOL larger, RECT* rect)
    {
        SendMessage(TCM_ADJUSTRECT, larger, reinterpret_cast<LPARAM>(rect));
    }
};

class CDateTimeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(DATETIMEPICK_CLASSA, "", style, rect, parent, id);
    }
    // GDT_VALID, or GDT_NONE for an unchecked picker with DTS_SHOWNONE.
    DWORD GetTime(SYSTEMTIME* time) const
    {
        return static_cast<DWORD>(
            SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time)));
    }
    BOOL SetTime(const SYSTEMTIME* time)
    {
        return static_cast<BOOL>(SendMessage(DTM_SETSYSTEMTIME, time ? GDT_VALID : GDT_NONE,
                                             reinterpret_cast<LPARAM>(time)));
    }
    BOOL SetFormat(const char* format)
    {
        return static_cast<BOOL>(SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format)));
    }
};

class CRichEditCtrl : public CWnd {
public:
    // KstInitRichEdit must have run.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(RICHEDIT_CLASSA, "", style, rect, parent, id);
    }
    COLORREF SetBackgroundColor(BOOL systemColor, COLORREF color)
    {
        return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, systemColor, color));
    }
    BOOL SetDefaultCharFormat(CHARFORMAT2A& format)
    {
        format.cbSize = sizeof(format);
        return static_cast<BOOL>(
            SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)));
    }
    BOOL SetSelectionCharFormat(CHARFORMAT2A& format)
    {
        format.cbSize = sizeof(format);
        return static_cast<BOOL>(
            SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
    }
    void SetSel(int start, int end)
    {
        CHARRANGE range{start, end};
        SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    DWORD SetEventMask(DWORD mask)
    {
        return static_cast<DWORD>(SendMessage(EM_SETEVENTMASK, 0, mask));
    }
};
