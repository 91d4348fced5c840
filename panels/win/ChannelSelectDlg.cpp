#include "panels/win/ChannelSelectDlg.h"

#include "data/ChannelList.h"
#include "foundation/DataFile.h"
#include "foundation/ErrorCodes.h"
#include "foundation/win/RegistryTree.h"
#include "foundation/win/StringLoader.h"
#include "framework/CommonDialogs.h"
#include "framework/Seams.h"
#include "panels/FileFilter.h"
#include "resources/StringIds.h"

namespace {

constexpr KstFileFilter kOpenFilters[] = {
    {"Talvenor Settings (*.qls)", "Talvenor Einstellungen (*.qls)", "*.qls"},
    {"All Files", "Alle Dateiformate", "*.qls;*.zrs"},
};

constexpr KstFileFilter kSaveFilters[] = {
    {"Talvenor Settings (*.qls)", "Talvenor Einstellungen (*.qls)", "*.qls"},
    {"All Files (*.*)", "Alle Dateien (*.*)", "*.*"},
};

bool EndsWith(const CKSTString& text, const char* end)
{
    const CKSTString tail(end);
    return text.GetLength() >= tail.GetLength() && text.Right(tail.GetLength()) == tail;
}

}  // namespace

BEGIN_MESSAGE_MAP(CKSTChannelSelectDlg, CDialog)
ON_WM_SIZE()
ON_WM_GETMINMAXINFO()
ON_BN_CLICKED(IDC_SELECT_ALL, OnSelectAll)
ON_BN_CLICKED(IDC_SELECT_SAVE, OnSaveSelection)
ON_BN_CLICKED(IDC_SELECT_BROWSE, OnBrowse)
ON_CBN_SELCHANGE(IDC_SELECT_RECENT, OnRecentChanged)
END_MESSAGE_MAP()

CKSTChannelSelectDlg::CKSTChannelSelectDlg(CWnd* parent)
    : CDialog(IDD, parent),
      m_language(IsEnglishUser() ? 1 : 0),
      m_registryKey(CKSTString(kKstRegistryRoot) + kKstSelectionsKey)
{
}

CKSTString CKSTChannelSelectDlg::Text(int id) const
{
    return LoadResString(id, m_language != 0);
}

BOOL CKSTChannelSelectDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_placeholder.SubclassDlgItem(IDC_SELECT_PLACEHOLDER, this);
    m_combo.SubclassDlgItem(IDC_SELECT_RECENT, this);
    m_placeholder.ShowWindow(SW_HIDE);

    m_panel.SetLanguage(m_language);
    m_panel.SetSelectionSource(m_channels);
    m_panel.SetLocked(true);
    if (m_panel.Create(this)) {
        RECT rect{};
        m_placeholder.GetWindowRect(&rect);
        ScreenToClient(&rect);
        m_panel.MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        m_panel.ShowWindow(SW_SHOW);
    }

    m_strRecentLabel = Text(KST_STR_SELECT_RECENT);
    SetWindowText(Text(KST_STR_SELECT_CAPTION).c_str());
    SetDlgItemText(IDC_SELECT_ALL, Text(KST_STR_SELECT_ALL).c_str());
    SetDlgItemText(IDC_SELECT_SAVE, Text(KST_STR_SELECT_SAVE).c_str());
    SetDlgItemText(IDOK, Text(KST_STR_OK).c_str());
    SetDlgItemText(IDCANCEL, Text(KST_STR_CANCEL).c_str());

    LoadRecent();
    FillRecent();
    m_nRecentIndex = 0;
    ApplyFile(0);
    UpdateSelectAll();
    UpdateData(FALSE);
    GetClientRect(&m_lastClient);
    return TRUE;
}

void CKSTChannelSelectDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Check(dx, IDC_SELECT_ALL, m_bSelectAll);
    DDX_Text(dx, IDC_SELECT_RECENT_LABEL, m_strRecentLabel);
    DDX_CBIndex(dx, IDC_SELECT_RECENT, m_nRecentIndex);
}

void CKSTChannelSelectDlg::LoadRecent()
{
    if (!m_useRegistry) {
        return;
    }
    CKSTHeaderInfoList tree;
    if (RegLoadTree(HKEY_CURRENT_USER, m_registryKey, tree) == KST_OK) {
        m_recent.Load(tree);
    }
}

void CKSTChannelSelectDlg::SaveRecent()
{
    if (!m_useRegistry) {
        return;
    }
    CKSTHeaderInfoList tree;
    m_recent.Save(tree);
    RegSaveTree(HKEY_CURRENT_USER, m_registryKey, tree);
}

void CKSTChannelSelectDlg::FillRecent()
{
    m_combo.ResetContent();
    for (int i = 0; i < m_recent.GetCount(); ++i) {
        m_combo.AddString(m_recent.GetAt(i).c_str());
    }
    m_nRecentIndex = 0;
    m_combo.SetCurSel(0);
}

void CKSTChannelSelectDlg::ApplyFile(int index)
{
    if (!m_channels || index < 0 || index >= m_recent.GetCount()) {
        return;
    }
    if (KstApplySelectionFile(m_recent.GetAt(index), *m_channels) == KST_OK) {
        m_panel.Refill();
    }
}

void CKSTChannelSelectDlg::TakeFile(const CKSTString& path)
{
    m_recent.Add(path);
    FillRecent();
    ApplyFile(0);
}

void CKSTChannelSelectDlg::UpdateSelectAll()
{
    bool all = m_channels != nullptr;
    for (int i = 0; m_channels && i < m_channels->GetCount(); ++i) {
        all = all && m_channels->GetAt(i)->IsSelected();
    }
    m_bSelectAll = all ? 1 : 0;
}

void CKSTChannelSelectDlg::OnRecentChanged()
{
    const int index = m_combo.GetCurSel();
    if (index >= 0 && index < m_recent.GetCount()) {
        TakeFile(m_recent.GetAt(index));
    }
}

void CKSTChannelSelectDlg::OnBrowse()
{
    const CKSTString recent = m_recent.GetCount() > 0 ? m_recent.GetAt(0) : CKSTString();
    const CKSTString filter = KstFilterString(kOpenFilters, m_language != 0);
    const CKSTString title = Text(KST_STR_OPEN_TITLE);
    const CKSTString folder = recent.Directory();
    CFileDialog dialog(TRUE, "qls", recent.c_str(), OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                       filter.c_str(), this);
    dialog.m_ofn.lpstrTitle = title.c_str();
    if (!folder.IsEmpty()) {
        dialog.m_ofn.lpstrInitialDir = folder.c_str();
    }
    if (dialog.DoModal() == IDOK) {
        TakeFile(dialog.GetPathName());
    }
}

void CKSTChannelSelectDlg::OnSaveSelection()
{
    if (!m_channels) {
        return;
    }
    const CKSTString recent = m_recent.GetCount() > 0 ? m_recent.GetAt(0) : CKSTString();
    const CKSTString filter = KstFilterString(kSaveFilters, m_language != 0);
    const CKSTString title = Text(KST_STR_SAVE_AS_TITLE);
    const CKSTString folder = recent.Directory();
    const bool zrs = EndsWith(recent, "zrw");
    // A new file must be possible: only its folder has to exist.
    CFileDialog dialog(FALSE, zrs ? "zrs" : "qls", recent.c_str(), OFN_PATHMUSTEXIST,
                       filter.c_str(), this);
    dialog.m_ofn.lpstrTitle = title.c_str();
    if (zrs) {
        dialog.m_ofn.nFilterIndex = 1;
    }
    if (!folder.IsEmpty()) {
        dialog.m_ofn.lpstrInitialDir = folder.c_str();
    }
    if (dialog.DoModal() != IDOK) {
        return;
    }
    const CKSTString path = dialog.GetPathName();
    const CKSTString attention = Text(KST_STR_ATTENTION);
    if (FileExistsNotFolder(path) &&
        KstMessageBox(m_hWnd, Text(KST_STR_ASK_OVERWRITE).c_str(), attention.c_str(), MB_YESNO,
                      KST_STR_ASK_OVERWRITE) == IDNO) {
        return;
    }
    if (KstWriteSelectionFile(path, *m_channels) != KST_OK) {
        KstMessageBox(m_hWnd, Text(KST_STR_SELECT_SAVE_FAILED).c_str(), attention.c_str(),
                      MB_OK | MB_ICONEXCLAMATION, KST_STR_SELECT_SAVE_FAILED);
        return;
    }
    m_recent.Add(path);
    FillRecent();
}

void CKSTChannelSelectDlg::OnSelectAll()
{
    UpdateData(TRUE);
    if (m_channels && m_channels->GetCount() > 0) {
        m_channels->SelectAll(m_bSelectAll != 0);
        m_panel.Refill();
    }
}

void CKSTChannelSelectDlg::OnOK()
{
    SaveRecent();
    CDialog::OnOK();
}

void CKSTChannelSelectDlg::OnGetMinMaxInfo(MINMAXINFO* info)
{
    info->ptMinTrackSize.x = kMinWidth;
    info->ptMinTrackSize.y = kMinHeight;
}

void CKSTChannelSelectDlg::OnSize(UINT, int width, int height)
{
    if (!m_panel.m_hWnd || m_lastClient.right == 0) {
        return;
    }
    const int dx = width - m_lastClient.right;
    const int dy = height - m_lastClient.bottom;
    m_lastClient = RECT{0, 0, width, height};
    struct Rule {
        HWND window;
        bool moveX, moveY, growX, growY;
    };
    const Rule rules[] = {
        {GetDlgItem(IDC_SELECT_RECENT_FRAME)->m_hWnd, false, false, true, false},
        {m_combo.m_hWnd, false, false, true, false},
        {m_panel.m_hWnd, false, false, true, true},
        {GetDlgItem(IDC_SELECT_FRAME)->m_hWnd, false, true, true, false},
        {GetDlgItem(IDC_SELECT_BROWSE)->m_hWnd, true, false, false, false},
        {GetDlgItem(IDC_SELECT_SAVE)->m_hWnd, true, true, false, false},
        {GetDlgItem(IDOK)->m_hWnd, true, true, false, false},
        {GetDlgItem(IDCANCEL)->m_hWnd, true, true, false, false},
        {GetDlgItem(IDC_SELECT_ALL)->m_hWnd, false, true, false, false},
    };
    for (const Rule& rule : rules) {
        RECT rect{};
        ::GetWindowRect(rule.window, &rect);
        ScreenToClient(&rect);
        ::SetWindowPos(rule.window, nullptr, rect.left + (rule.moveX ? dx : 0),
                       rect.top + (rule.moveY ? dy : 0),
                       rect.right - rect.left + (rule.growX ? dx : 0),
                       rect.bottom - rect.top + (rule.growY ? dy : 0), SWP_NOZORDER | SWP_NOACTIVATE);
        ::RedrawWindow(rule.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
}
