#include "curvewnd/win/EditPopupDlg.h"

#include "foundation/Geometry.h"

BEGIN_MESSAGE_MAP(CKSTEditPopupDlg, CDialog)
ON_WM_SIZE()
ON_WM_CTLCOLOR()
ON_EN_KILLFOCUS(IDC_EDIT_POPUP_TEXT, OnEditKillFocus)
END_MESSAGE_MAP()

CKSTEditPopupDlg::CKSTEditPopupDlg(CWnd* owner) : CDialog(IDD, owner), m_pOwner(owner) {}

CKSTEditPopupDlg::~CKSTEditPopupDlg()
{
    // Closing by deletion is no end of editing: the owner that deletes the popup is not told.
    m_finished = true;
    DestroyWindow();
}

BOOL CKSTEditPopupDlg::Create()
{
    return CDialog::Create(IDD, m_pOwner);
}

void CKSTEditPopupDlg::SetRect(int x, int y, int width, int height)
{
    m_rect = RECT{x, y, x + width, y + height};
}

void CKSTEditPopupDlg::SetFont(const CKSTFontDesc* font, BOOL redraw)
{
    m_font = font ? std::make_unique<CKSTFontDesc>(*font) : nullptr;
    if (m_font) {
        m_font->CreateOwnFont();
    }
    ApplyFont(redraw);
}

void CKSTEditPopupDlg::SetNotification(UINT message, int32_t first, int32_t second)
{
    m_notifyMessage = message;
    m_notifyFirst = first;
    m_notifySecond = second;
}

void CKSTEditPopupDlg::ApplyFont(BOOL redraw)
{
    if (m_edit.m_hWnd) {
        m_edit.SetFont(m_font ? m_font->GetFont() : nullptr, redraw);
    }
}

void CKSTEditPopupDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, IDC_EDIT_POPUP_TEXT, m_edit);
}

BOOL CKSTEditPopupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const RECT placed = NormalizeRect(m_rect);
    const int width = placed.right - placed.left;
    const int height = placed.bottom - placed.top;
    MoveWindow(placed.left, placed.top, width, height);
    m_edit.MoveWindow(0, 0, width, height);
    m_edit.SetWindowText(m_text.c_str());
    if (m_border) {
        m_edit.ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED);
    }
    // A font set before the popup opened had no edit to go to yet.
    if (m_font) {
        ApplyFont(FALSE);
    }
    ShowWindow(SW_SHOW);
    m_edit.SetFocus();
    return FALSE;
}

void CKSTEditPopupDlg::OnSize(UINT, int width, int height)
{
    if (m_edit.m_hWnd) {
        m_edit.MoveWindow(0, 0, width, height, TRUE);
    }
}

HBRUSH CKSTEditPopupDlg::OnCtlColor(HDC dc, CWnd* control, UINT controlType)
{
    HBRUSH brush = CDialog::OnCtlColor(dc, control, controlType);
    if (m_textColor != 0xFFFFFFFF) {
        ::SetTextColor(dc, m_textColor);
    }
    return brush;
}

void CKSTEditPopupDlg::OnEditKillFocus()
{
    Finish();
}

void CKSTEditPopupDlg::OnOK()
{
    Finish();
}

void CKSTEditPopupDlg::OnCancel()
{
    // Ending moves the focus off the edit; that must not take the abandoned text after all.
    if (!m_finished) {
        m_finished = true;
        EndDialog(IDCANCEL);
    }
}

void CKSTEditPopupDlg::Finish()
{
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_text = m_edit.GetWindowText();
    // Ends (a modeless popup only hides) before the owner hears of it, so the owner's handler
    // finds the editing over and may open the next popup.
    EndDialog(0);
    if (m_notifyMessage != 0 && m_pOwner && m_pOwner->m_hWnd) {
        SendNotifyMessageA(m_pOwner->m_hWnd, m_notifyMessage, static_cast<WPARAM>(m_notifyFirst),
                           static_cast<LPARAM>(m_notifySecond));
    }
}
