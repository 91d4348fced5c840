#include "app/win/MainFrame.h"

#include "app/win/TalvenorApp.h"

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
END_MESSAGE_MAP()

int CMainFrame::OnCreate(LPCREATESTRUCT create)
{
    if (CFrameWnd::OnCreate(create) == -1) {
        return -1;
    }
    static const UINT indicators[] = {ID_SEPARATOR};
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 1)) {
        return -1;
    }
    if (CTalvenorApp* app = KstTheApp()) {
        app->m_pFrame = this;
    }
    return 0;
}

void CMainFrame::OnClose()
{
    if (CTalvenorApp* app = KstTheApp()) {
        app->SaveSettings();
    }
    CFrameWnd::OnClose();
}

void CMainFrame::PostNcDestroy()
{
    if (CTalvenorApp* app = KstTheApp(); app && app->m_pFrame == this) {
        app->m_pFrame = nullptr;
    }
    CFrameWnd::PostNcDestroy();
}
