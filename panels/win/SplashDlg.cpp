#include "panels/win/SplashDlg.h"

#include "resources/ResourceIds.h"

BEGIN_MESSAGE_MAP(CKSTSplashDlg, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

CKSTSplashDlg::CKSTSplashDlg(CWnd* parent) : CDialog(IDD_SPLASH, parent) {}

BOOL CKSTSplashDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetTimer(kKstSplashTimer, kKstSplashMs);
    return TRUE;
}

void CKSTSplashDlg::OnTimer(UINT_PTR id)
{
    Default();
    if (id == kKstSplashTimer) {
        KillTimer(kKstSplashTimer);
        EndDialog(0);
    }
}
