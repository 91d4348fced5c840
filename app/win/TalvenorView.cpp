#include "app/win/TalvenorView.h"

#include "app/win/TalvenorApp.h"
#include "resources/StringIds.h"

CTalvenorView::CTalvenorView()
{
    if (CTalvenorApp* app = KstTheApp()) {
        app->m_pView = this;
    }
}

CTalvenorView::~CTalvenorView()
{
    if (CTalvenorApp* app = KstTheApp(); app && app->m_pView == this) {
        app->m_pView = nullptr;
    }
}

int CTalvenorView::ConnectSource(const CKSTString&, int, bool, double, int, int, int, int, int,
                                 const CKSTString&, double, double, bool, bool, bool)
{
    if (CTalvenorApp* app = KstTheApp()) {
        app->MessageBoxId(KST_STR_ONL_SOURCE_NOT_AVAILABLE, MB_OK | MB_ICONINFORMATION);
    }
    return -1013;
}

void CTalvenorView::StopOnline(bool)
{
    m_bOnline = false;
    m_dRate = 0.0;
}

void CTalvenorView::OnDraw(HDC dc)
{
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
}
