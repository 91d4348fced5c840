#include "panels/win/SplashDlg.h"

#include "resources/ResourceIds.h"

BEGIN_MESSAGE_MAP(CKSTSplashDlg, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

CKSTSplashDlg::CKSTSplashDlg(CWnd* parent) : CDialog(IDD_SPLASH, parent) {}

BOOL CKSTSplashDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The dialog takes the picture's size.
    HANDLE picture = LoadImageA(KstResourceHandle(), MAKEINTRESOURCEA(IDB_SPLASH), IMAGE_BITMAP,
                                0, 0, LR_DEFAULTCOLOR);
    BITMAP size{};
    if (picture && GetObjectA(picture, sizeof size, &size)) {
        HWND control = ::GetDlgItem(m_hWnd, IDC_SPLASH_PICTURE);
        ::SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
        ::SetWindowPos(control, nullptr, 0, 0, size.bmWidth, size.bmHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        RECT window{0, 0, size.bmWidth, size.bmHeight};
        AdjustWindowRectEx(&window, static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_EXSTYLE)));
        const int width = window.right - window.left;
        const int height = window.bottom - window.top;
        ::SetWindowPos(m_hWnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                       (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
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
