#include "framework/PropertySheet.h"

#include <cstring>

#include "framework/Seams.h"
#include "framework/WndCreation.h"

namespace {

// The window class of every property sheet.
const char* const kDialogClass = "#32770";

HWND TabControl(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
}

}  // namespace

// ---- CPropertyPage -----------------------------------------------------------------------------

CPropertyPage::CPropertyPage(UINT templateId) : CDialog(templateId)
{
    m_mode = Mode::Child;
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The sheet creates a page when it is first shown; the page's object comes with the
    // page description and takes over the window before its initialisation.
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* page =
        reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    if (!page->SubclassWindow(window)) {
        return FALSE;
    }
    return KstWndProc(window, message, wParam, lParam);
}

BOOL CPropertyPage::OnSetActive()
{
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom == ::GetParent(m_hWnd)) {
        switch (header->code) {
            case PSN_SETACTIVE:
                *result = OnSetActive() ? 0 : -1;
                return TRUE;
            case PSN_KILLACTIVE:
                *result = OnKillActive() ? FALSE : TRUE;
                return TRUE;
            case PSN_APPLY:
                *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
                return TRUE;
            case PSN_RESET:
                OnCancel();
                *result = 0;
                return TRUE;
            default:
                break;
        }
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

// ---- CPropertySheet ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_COMMAND_RANGE(IDOK, IDCANCEL, OnSheetButton)
END_MESSAGE_MAP()

CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : m_psh{}, m_caption(caption), m_parent(parent)
{
    m_psh.dwSize = sizeof(m_psh);
    m_psh.nStartPage = selectPage;
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    m_pages.push_back(page);
}

int CPropertySheet::GetActiveIndex() const
{
    HWND tab = m_hWnd ? TabControl(m_hWnd) : nullptr;
    return tab ? static_cast<int>(::SendMessageA(tab, TCM_GETCURSEL, 0, 0)) : -1;
}

BOOL CPropertySheet::SetActivePage(int index)
{
    return m_hWnd && ::SendMessageA(m_hWnd, PSM_SETCURSEL, index, 0);
}

CTabCtrl* CPropertySheet::GetTabControl()
{
    if (!m_tabCtrl.m_hWnd && m_hWnd) {
        m_tabCtrl.SubclassWindow(TabControl(m_hWnd));
    }
    return &m_tabCtrl;
}

int CALLBACK CPropertySheet::PropSheetCallback(HWND, UINT, LPARAM)
{
    return 0;
}

void CPropertySheet::AddTemplateStyle(LPARAM dialogTemplate, DWORD style)
{
    auto* bytes = reinterpret_cast<BYTE*>(dialogTemplate);
    const auto* words = reinterpret_cast<const WORD*>(dialogTemplate);
    // Extended templates (signature 0xFFFF) keep the style after the help id and extended style.
    BYTE* field = words[1] == 0xFFFF ? bytes + 12 : bytes;
    DWORD value = 0;
    memcpy(&value, field, sizeof(value));
    value |= style;
    memcpy(field, &value, sizeof(value));
}

LRESULT CPropertySheet::HandleInitDialog(WPARAM, LPARAM)
{
    return OnInitDialog();
}

BOOL CPropertySheet::OnInitDialog()
{
    return static_cast<BOOL>(Default());
}

void CPropertySheet::OnSheetButton(UINT id)
{
    // The common controls decide whether the sheet closes (a page may refuse to apply);
    // Ended() tells afterwards.
    m_result = static_cast<int>(id);
    Default();
}

bool CPropertySheet::Ended() const
{
    return !m_hWnd || !::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0);
}

BOOL CPropertySheet::PreTranslateMessage(MSG* msg)
{
    if (m_hWnd && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
        (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
        return static_cast<BOOL>(
            ::SendMessageA(m_hWnd, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(msg)));
    }
    return FALSE;
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_hWnd || m_pages.empty()) {
        return -1;
    }
    std::vector<PROPSHEETPAGEA> pages(m_pages.size());
    for (size_t i = 0; i < m_pages.size(); ++i) {
        PROPSHEETPAGEA& page = pages[i];
        page = {};
        page.dwSize = sizeof(page);
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = KstResourceHandle();
        page.pszTemplate = MAKEINTRESOURCEA(m_pages[i]->m_nIDTemplate);
        page.pfnDlgProc = &CPropertyPage::PageProc;
        page.lParam = reinterpret_cast<LPARAM>(m_pages[i]);
        m_pages[i]->m_pParentWnd = this;
    }
    HWND owner = m_parent ? GetAncestor(m_parent->m_hWnd, GA_ROOT) : nullptr;
    // Created modeless and run by our own loop, so that the modal-driver seam and
    // PreTranslateMessage work as for dialogs.
    PROPSHEETHEADERA header = m_psh;
    header.dwSize = sizeof(header);
    header.dwFlags |= PSH_PROPSHEETPAGE | PSH_MODELESS;
    header.hwndParent = owner;
    header.hInstance = KstResourceHandle();
    header.pszCaption = m_caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.ppsp = pages.data();
    m_result = IDCANCEL;
    {
        KstCreationScope scope(this, kDialogClass);
        PropertySheetA(&header);
    }
    if (!m_hWnd) {
        return -1;
    }
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) {
        ::EnableWindow(owner, FALSE);
    }
    KstModalRun run{this, 0, [this] { return Ended(); }};
    const KstModalDriver driver = KstSeams().modalDriver;
    if (driver) {
        const int endId = driver(run);
        if (!run.ended()) {
            m_result = endId;
        }
    } else {
        ShowWindow(SW_SHOWNORMAL);
        KstRunModalLoop(run.ended);
    }
    if (disableOwner) {
        ::EnableWindow(owner, TRUE);
    }
    DestroyWindow();
    return m_result;
}
