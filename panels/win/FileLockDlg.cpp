#include "panels/win/FileLockDlg.h"

#include "foundation/win/StringLoader.h"
#include "framework/Seams.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

CKSTFileLockDlg::CKSTFileLockDlg(bool english, CWnd* parent)
    : CKSTSmallDialog(IDD_FILE_LOCK, english, parent)
{
}

BOOL CKSTFileLockDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    SetItemText(IDC_LOCK_PASSWORD_LABEL, KST_STR_LOCK_PASSWORD);
    SetItemText(IDC_LOCK_RETYPE_LABEL, KST_STR_LOCK_RETYPE);
    SetWindowText(Text(KST_STR_LOCK_CAPTION).c_str());
    UpdateData(FALSE);
    return TRUE;
}

void CKSTFileLockDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_LOCK_PASSWORD, m_strPassword);
    DDX_Text(dx, IDC_LOCK_RETYPE, m_strRetype);
}

void CKSTFileLockDlg::OnOK()
{
    if (!UpdateData(TRUE)) {
        return;
    }
    if (m_strPassword == m_strRetype) {
        EndDialog(IDOK);
        return;
    }
    KstMessageBox(m_hWnd, Text(KST_STR_LOCK_RETYPED_WRONG).c_str(), Text(KST_STR_ATTENTION).c_str(),
                  MB_OK, KST_STR_LOCK_RETYPED_WRONG);
}

BEGIN_MESSAGE_MAP(CKSTUnlockFileDlg, CDialog)
ON_BN_CLICKED(IDC_UNLOCK_CANCEL, OnCancel)
END_MESSAGE_MAP()

CKSTUnlockFileDlg::CKSTUnlockFileDlg(bool english, CWnd* parent)
    : CKSTSmallDialog(IDD_UNLOCK_FILE, english, parent)
{
}

BOOL CKSTUnlockFileDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetItemText(IDC_UNLOCK_LABEL, KST_STR_LOCK_ENTER_PASSWORD);
    SetItemText(IDC_UNLOCK_CANCEL, KST_STR_CANCEL);
    SetWindowText(m_strCaption.c_str());
    UpdateData(FALSE);
    return TRUE;
}

void CKSTUnlockFileDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_LOCK_PASSWORD, m_strPassword);
}

void CKSTUnlockFileDlg::OnOK()
{
    if (UpdateData(TRUE)) {
        EndDialog(IDOK);
    }
}

void CKSTUnlockFileDlg::OnCancel()
{
    UpdateData(TRUE);
    EndDialog(IDCANCEL);
}
