#include "app/win/AboutDlg.h"

#include <shellapi.h>

#include "foundation/win/DlgItems.h"
#include "foundation/win/StringLoader.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

constexpr COLORREF kLinkColour = 0xEE2020;

const int kLinks[] = {IDC_ABOUT_LINK_HOMEPAGE, IDC_ABOUT_LINK_MAKER};

}  // namespace

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
ON_WM_CTLCOLOR()
ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
ON_CONTROL(STN_CLICKED, IDC_ABOUT_LINK_HOMEPAGE, OnHomepageClicked)
ON_CONTROL(STN_CLICKED, IDC_ABOUT_LINK_MAKER, OnMakerClicked)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(bool english, CWnd* parent) : CDialog(IDD_ABOUTBOX, parent), m_english(english)
{
}

CAboutDlg::~CAboutDlg()
{
    if (m_linkFont) {
        DeleteObject(m_linkFont);
    }
}

CKSTString CAboutDlg::LinkAddress(int controlId) const
{
    const char* page = m_english ? "en/" : "de/";
    if (controlId == IDC_ABOUT_LINK_HOMEPAGE) {
        return CKSTString("https://www.kestro.example/") + page + "talvenor/";
    }
    if (controlId == IDC_ABOUT_LINK_MAKER) {
        return CKSTString("https://www.kestro.example/") + page;
    }
    return CKSTString();
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                               MAKEINTRESOURCEA(IDI_TALVENOR), IMAGE_ICON, 16,
                                               16, LR_DEFAULTCOLOR));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    CKSTString caption = LoadResString(KST_STR_PRODUCT_NAME, m_english);
    caption += ' ';
    caption += LoadResString(KST_STR_VERSION, m_english);
    SetWindowText(caption.c_str());
    SetDlgItemText(IDC_ABOUT_TITLE, caption.c_str());
    SetDlgItemText(IDC_ABOUT_VISIT, LoadResString(KST_STR_ABOUT_VISIT, m_english).c_str());
    SetDlgItemText(IDC_ABOUT_DEVELOPED_BY,
                   LoadResString(KST_STR_ABOUT_DEVELOPED_BY, m_english).c_str());
    SetDlgItemText(IDC_ABOUT_LINK_HOMEPAGE,
                   LoadResString(KST_STR_ABOUT_HOMEPAGE, m_english).c_str());
    HideDlgItem(m_hWnd, IDC_ABOUT_CODEVELOPER);
    HideDlgItem(m_hWnd, IDC_ABOUT_LINK_CODEVELOPER);

    LOGFONTA font{};
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    GetObjectA(dialogFont ? dialogFont : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfUnderline = TRUE;
    m_linkFont = CreateFontIndirectA(&font);
    for (int id : kLinks) {
        ::SendMessageA(::GetDlgItem(m_hWnd, id), WM_SETFONT,
                       reinterpret_cast<WPARAM>(m_linkFont), FALSE);
    }
    return TRUE;
}

bool CAboutDlg::IsLink(HWND control) const
{
    for (int id : kLinks) {
        if (control && control == ::GetDlgItem(m_hWnd, id)) {
            return true;
        }
    }
    return false;
}

HBRUSH CAboutDlg::OnCtlColor(HDC dc, CWnd* control, UINT)
{
    SetBkColor(dc, GetSysColor(COLOR_3DFACE));
    if (control && IsLink(control->m_hWnd)) {
        SetTextColor(dc, kLinkColour);
    }
    return GetSysColorBrush(COLOR_3DFACE);
}

LRESULT CAboutDlg::OnSetCursor(WPARAM wParam, LPARAM)
{
    SetCursor(LoadCursor(nullptr, IsLink(reinterpret_cast<HWND>(wParam)) ? IDC_HAND : IDC_ARROW));
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

void CAboutDlg::OpenLink(int controlId)
{
    ShellExecuteA(m_hWnd, "open", LinkAddress(controlId).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

void CAboutDlg::OnHomepageClicked()
{
    OpenLink(IDC_ABOUT_LINK_HOMEPAGE);
}

void CAboutDlg::OnMakerClicked()
{
    OpenLink(IDC_ABOUT_LINK_MAKER);
}
