#include "panels/win/OptionsDlg.h"

#include "foundation/win/StringLoader.h"
#include "panels/FileTypeBoxes.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

constexpr char kProgId[] = "TalvenorWriter";
// Extensions in the order of the association flags.
const char* const kExtensions[16] = {"qld", "zrw", "dat", "raw", "ddf", "ddb", "mat", "fig",
                                     "wav", "dbl", "flt", "bbl", "asc", "csv", "log", "txt"};

}  // namespace

BEGIN_MESSAGE_MAP(CKSTOptionsDlg, CDialog)
END_MESSAGE_MAP()

CKSTOptionsDlg::CKSTOptionsDlg(IKSTAssociationHost& host, CWnd* parent)
    : CDialog(IDD_FILE_TYPES, parent), m_host(host)
{
}

BOOL CKSTOptionsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                               MAKEINTRESOURCEA(IDI_TALVENOR), IMAGE_ICON, 16,
                                               16, LR_DEFAULTCOLOR));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    UpdateData(TRUE);
    const uint8_t* flags = m_host.GetAssociationFlags();
    const bool english = m_host.IsEnglish();
    const CKSTString files = LoadResString(KST_STR_FILETYPES_FILES, english);
    for (int i = 0; i < kBoxCount; ++i) {
        const KstFileTypeBox& box = KstFileTypeBoxAt(i);
        // A box of two extensions is checked only when both are associated.
        bool all = true;
        for (int flag = box.firstFlag; flag <= box.lastFlag; ++flag) {
            all = all && flags[flag] == 1;
        }
        m_checks[i] = all ? 1 : 0;
        SetDlgItemText(box.controlId, (CKSTString(box.label) + files).c_str());
    }
    m_strExplanation = LoadResString(KST_STR_FILETYPES_EXPLANATION, english);
    SetDlgItemText(IDC_FILETYPES_GROUP, LoadResString(KST_STR_FILETYPES_GROUP, english).c_str());
    SetDlgItemText(IDCANCEL, LoadResString(KST_STR_CANCEL, english).c_str());
    SetWindowText(LoadResString(KST_STR_FILETYPES_CAPTION, english).c_str());
    UpdateData(FALSE);
    return TRUE;
}

void CKSTOptionsDlg::DoDataExchange(CDataExchange* dx)
{
    for (int i = 0; i < kBoxCount; ++i) {
        DDX_Check(dx, KstFileTypeBoxAt(i).controlId, m_checks[i]);
    }
    DDX_Text(dx, IDC_FILETYPES_EXPLANATION, m_strExplanation);
}

void CKSTOptionsDlg::OnOK()
{
    if (!UpdateData(TRUE)) {
        return;
    }
    uint8_t* flags = m_host.GetAssociationFlags();
    for (int flag = 0; flag < 16; ++flag) {
        const bool wanted = m_checks[KstFileTypeBoxOfFlag(flag)] != 0;
        m_host.RegisterFileType(kProgId, kExtensions[flag], wanted, flags[flag]);
    }
    if (m_host.UsesRegistry()) {
        m_host.SaveAssociationFlags();
    }
    EndDialog(IDOK);
}
