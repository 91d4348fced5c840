#include "app/win/RecordPanes.h"

#include "foundation/ErrorCodes.h"
#include "foundation/win/StringLoader.h"
#include "resources/StringIds.h"

BEGIN_MESSAGE_MAP(CKSTPaneStandIn, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CKSTPaneStandIn::CKSTPaneStandIn(int labelId)
    : m_labelId(labelId), m_language(IsEnglishUser() ? 1 : 0)
{
}

CKSTPaneStandIn::~CKSTPaneStandIn()
{
    if (m_hWnd) {
        DestroyWindow();
    }
}

BOOL CKSTPaneStandIn::CreatePane(CWnd* parent)
{
    if (m_hWnd || !parent || !parent->m_hWnd) {
        return FALSE;
    }
    RECT rect;
    parent->GetClientRect(&rect);
    const CKSTString className =
        KstRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), nullptr);
    m_bTextFollowsLanguage = true;
    return CWnd::CreateEx(0, className.c_str(), LoadResString(m_labelId, m_language != 0).c_str(),
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect, parent, 0);
}

void CKSTPaneStandIn::SetLanguage(uint16_t language)
{
    m_language = language != 0 ? 1 : 0;
    if (m_hWnd && m_bTextFollowsLanguage) {
        SetWindowText(LoadResString(m_labelId, m_language != 0).c_str());
    }
    if (m_hWnd) {
        Invalidate(TRUE);
    }
}

void CKSTPaneStandIn::NotifyEdited()
{
    m_bModified = true;
    if (m_pNotifyWnd && m_pNotifyWnd->m_hWnd) {
        m_pNotifyWnd->SendMessage(m_nNotifyMessage, 0, 0);
    }
}

BOOL CKSTPaneStandIn::OnEraseBkgnd(HDC)
{
    return TRUE;
}

void CKSTPaneStandIn::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(&client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &client, EDGE_SUNKEN, BF_RECT);
    const CKSTString label = LoadResString(m_labelId, m_language != 0);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, label.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    EndPaint(m_hWnd, &paint);
}

// ---- Record information bar -------------------------------------------------------------------

CKSTRecordInfoBar::CKSTRecordInfoBar() : CKSTPaneStandIn(KST_STR_PANE_INFO_BAR) {}

void CKSTRecordInfoBar::ClearTexts()
{
    m_strTitle.Empty();
    m_dateTime = CKSTTimeStamp();
}

void CKSTRecordInfoBar::EditTitle(const CKSTString& title)
{
    m_strTitle = title;
    NotifyEdited();
}

// ---- Comment ----------------------------------------------------------------------------------

CKSTCommentDialog::CKSTCommentDialog() : CKSTPaneStandIn(KST_STR_PANE_COMMENT) {}

void CKSTCommentDialog::EditText(const CKSTString& text)
{
    if (m_bReadOnly) {
        return;
    }
    m_strText = text;
    NotifyEdited();
}

// ---- Variable list and value list --------------------------------------------------------------

CKSTVariableListDlg::CKSTVariableListDlg() : CKSTPaneStandIn(KST_STR_PANE_VARIABLES) {}

CKSTChannelBarDlg::CKSTChannelBarDlg() : CKSTPaneStandIn(KST_STR_PANE_VALUE_LIST) {}

// ---- Process pane -----------------------------------------------------------------------------

CKSTProcessWnd::CKSTProcessWnd() : CKSTPaneStandIn(KST_STR_PANE_PROCESS) {}

CKSTProcessWnd::~CKSTProcessWnd() = default;

BOOL CKSTProcessWnd::Create(const char* windowName, DWORD style, const RECT& rect, CWnd* parent)
{
    return CreateEx(0, windowName, style, rect, parent);
}

BOOL CKSTProcessWnd::CreateEx(DWORD exStyle, const char* windowName, DWORD style,
                              const RECT& rect, CWnd* parent)
{
    if (m_hWnd || !parent || !parent->m_hWnd) {
        return FALSE;
    }
    const CKSTString className =
        KstRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), nullptr);
    return CWnd::CreateEx(exStyle, className.c_str(), windowName != nullptr ? windowName : "",
                          style | WS_CHILD, rect, parent, 0);
}

void CKSTProcessWnd::Close()
{
    if (m_hWnd) {
        DestroyWindow();
    }
}

int CKSTProcessWnd::LoadSettingsFile(const CKSTString& path)
{
    if (path.IsEmpty()) {
        return KST_ERR_OPEN_FAILED;
    }
    m_strSettingsPath = path;
    return 0;
}

void CKSTProcessWnd::SetDesignMode(bool design, bool toolBox)
{
    m_bDesignMode = design;
    m_bToolBoxShown = design && toolBox;
}
