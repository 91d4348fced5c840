#include "panels/win/AsciiDialogs.h"

#include <commctrl.h>

#include <initializer_list>

#include "foundation/win/DlgItems.h"
#include "framework/Seams.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

void FillCombo(HWND dialog, int id, std::initializer_list<CKSTString> texts)
{
    HWND combo = ::GetDlgItem(dialog, id);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const CKSTString& text : texts) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void EnableItem(HWND dialog, int id, bool enable)
{
    if (enable) {
        EnableDlgItem(dialog, id);
    } else {
        DisableDlgItem(dialog, id);
    }
}

void ShowSmallIcon(CWnd& dialog)
{
    HICON icon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TALVENOR),
                                      IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    dialog.SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

// ---- Load ASCII ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKSTLoadAsciiDlg, CDialog)
END_MESSAGE_MAP()

CKSTLoadAsciiDlg::CKSTLoadAsciiDlg(uint32_t language, CWnd* parent)
    : CKSTSmallDialog(IDD_LOAD_ASCII, language != 0, parent)
{
}

BOOL CKSTLoadAsciiDlg::OnInitDialog()
{
    // The lists first: the base fills the controls from the fields.
    FillCombo(m_hWnd, IDC_ASCII_SEPARATOR, {"auto", ";", ",", "TAB"});
    FillCombo(m_hWnd, IDC_ASCII_X_AXIS, {Text(KST_STR_ASCII_AUTO), Text(KST_STR_ASCII_NONE)});
    FillCombo(m_hWnd, IDC_ASCII_DATE_FORMAT,
              {Text(KST_STR_ASCII_AUTO), Text(KST_STR_ASCII_DDMMYY), Text(KST_STR_ASCII_MMDDYY),
               Text(KST_STR_ASCII_YYMMDD), Text(KST_STR_ASCII_YYDDMM)});
    // "auto" is the text the settings read back as "find the header", in either language.
    FillCombo(m_hWnd, IDC_ASCII_HEADER_LINES,
              {"auto", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    CDialog::OnInitDialog();
    ShowSmallIcon(*this);
    SetWindowText(Text(KST_STR_ASCII_LOAD_CAPTION).c_str());
    SetItemText(IDC_ASCII_SEPARATOR_LABEL, KST_STR_ASCII_SEPARATOR);
    SetItemText(IDC_ASCII_X_AXIS_LABEL, KST_STR_ASCII_X_AXIS);
    SetItemText(IDC_ASCII_DATE_FORMAT_LABEL, KST_STR_ASCII_DATE_FORMAT);
    SetItemText(IDC_ASCII_HEADER_LINES_LABEL, KST_STR_ASCII_HEADER_LINES);
    SetItemText(IDC_ASCII_REMOVE_EMPTY, KST_STR_ASCII_REMOVE_EMPTY);
    SetItemText(IDC_ASCII_SUPPRESS_GROUPS, KST_STR_ASCII_SUPPRESS_GROUPS);
    SetItemText(IDOK, KST_STR_OK);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    return TRUE;
}

void CKSTLoadAsciiDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_CBIndex(dx, IDC_ASCII_SEPARATOR, m_fields.separatorIndex);
    DDX_CBIndex(dx, IDC_ASCII_X_AXIS, m_fields.xAxisIndex);
    DDX_CBIndex(dx, IDC_ASCII_DATE_FORMAT, m_fields.dateFormatIndex);
    DDX_Text(dx, IDC_ASCII_HEADER_LINES, m_fields.headerLines);
    DDX_Check(dx, IDC_ASCII_REMOVE_EMPTY, m_fields.removeEmptyColumns);
    DDX_Check(dx, IDC_ASCII_SUPPRESS_GROUPS, m_fields.suppressGroupNames);
}

// ---- Save ASCII ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKSTSaveAsciiDlg, CDialog)
ON_BN_CLICKED(IDC_ASCII_AVERAGE, OnAverageClicked)
ON_CBN_SELCHANGE(IDC_ASCII_SEPARATOR, OnSeparatorChanged)
ON_NOTIFY(UDN_DELTAPOS, IDC_ASCII_AVERAGE_SPIN, OnAverageSpin)
END_MESSAGE_MAP()

CKSTSaveAsciiDlg::CKSTSaveAsciiDlg(uint32_t language, CWnd* parent)
    : CKSTSmallDialog(IDD_SAVE_ASCII, language != 0, parent)
{
}

BOOL CKSTSaveAsciiDlg::OnInitDialog()
{
    FillCombo(m_hWnd, IDC_ASCII_SEPARATOR, {";", ",", "TAB"});
    FillCombo(m_hWnd, IDC_ASCII_DECIMAL_MARK, {".", ","});
    for (int id : {IDC_ASCII_VALUE_DECIMALS, IDC_ASCII_TIME_DECIMALS}) {
        FillCombo(m_hWnd, id, {"0", "1", "2", "3", "4", "5", "6"});
    }
    CDialog::OnInitDialog();
    ShowSmallIcon(*this);
    SetWindowText(Text(KST_STR_ASCII_SAVE_CAPTION).c_str());
    SetItemText(IDC_ASCII_SEPARATOR_LABEL, KST_STR_ASCII_SEPARATOR);
    SetItemText(IDC_ASCII_DECIMAL_MARK_LABEL, KST_STR_ASCII_DECIMAL_MARK);
    SetItemText(IDC_ASCII_VALUE_DECIMALS_LABEL, KST_STR_ASCII_VALUE_DECIMALS);
    SetItemText(IDC_ASCII_TIME_DECIMALS_LABEL, KST_STR_ASCII_TIME_DECIMALS);
    SetItemText(IDC_ASCII_VALUES_LABEL, KST_STR_ASCII_VALUES);
    SetItemText(IDC_ASCII_INTERPOLATE, KST_STR_ASCII_INTERPOLATE);
    SetItemText(IDC_ASCII_TIME_GROUP, KST_STR_ASCII_TIME_INFO);
    SetItemText(IDC_ASCII_AVERAGE, KST_STR_ASCII_AVERAGE);
    SetItemText(IDC_ASCII_TIME_SEPARATED, KST_STR_ASCII_TIME_SEPARATED);
    SetItemText(IDC_ASCII_TIME_COMBINED, KST_STR_ASCII_TIME_COMBINED);
    SetItemText(IDC_ASCII_TIME_SECONDS, KST_STR_ASCII_TIME_SECONDS);
    SetItemText(IDOK, KST_STR_OK);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    EnableAverageCount();
    return TRUE;
}

void CKSTSaveAsciiDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_CBIndex(dx, IDC_ASCII_SEPARATOR, m_fields.separatorIndex);
    if (!dx->m_bSaveAndValidate) {
        KstCoupleDecimalMark(m_fields);
    }
    DDX_CBIndex(dx, IDC_ASCII_DECIMAL_MARK, m_fields.decimalMarkIndex);
    // Read from the controls, the separator still decides over a mark the user could not change.
    const bool markFree = KstCoupleDecimalMark(m_fields);
    EnableItem(m_hWnd, IDC_ASCII_DECIMAL_MARK, markFree);
    DDX_Text(dx, IDC_ASCII_VALUE_DECIMALS, m_fields.valueDecimals);
    DDX_Text(dx, IDC_ASCII_TIME_DECIMALS, m_fields.timeDecimals);
    DDX_Check(dx, IDC_ASCII_INTERPOLATE, m_fields.interpolate);
    DDX_Check(dx, IDC_ASCII_AVERAGE, m_fields.average);
    DDX_Text(dx, IDC_ASCII_AVERAGE_COUNT, m_fields.averageCount);
    DDX_Radio(dx, IDC_ASCII_TIME_SEPARATED, m_fields.timeInfo);
}

void CKSTSaveAsciiDlg::EnableAverageCount()
{
    const bool on = m_fields.average != 0;
    EnableItem(m_hWnd, IDC_ASCII_AVERAGE_COUNT, on);
    EnableItem(m_hWnd, IDC_ASCII_AVERAGE_SPIN, on);
}

void CKSTSaveAsciiDlg::OnAverageClicked()
{
    UpdateData(TRUE);
    EnableAverageCount();
}

void CKSTSaveAsciiDlg::OnSeparatorChanged()
{
    OnUpdateDataTrue();
}

void CKSTSaveAsciiDlg::OnAverageSpin(NMHDR* header, LRESULT* result)
{
    const auto* step = reinterpret_cast<const NMUPDOWN*>(header);
    const CKSTString shown = GetDlgItemText(IDC_ASCII_AVERAGE_COUNT);
    const CKSTString stepped = KstStepAverageCount(shown, step->iDelta);
    if (stepped != shown) {
        SetDlgItemText(IDC_ASCII_AVERAGE_COUNT, stepped.c_str());
    }
    *result = 0;
}

void CKSTSaveAsciiDlg::OnOK()
{
    if (!UpdateData(TRUE)) {
        return;
    }
    // Checked whether or not averaging is on, so that a later tick of the box finds a count.
    if (!KstAverageCountValid(m_fields.averageCount)) {
        m_fields.averageCount = "2";
        UpdateData(FALSE);
        const CKSTString caption = Text(KST_STR_ATTENTION);
        KstMessageBox(m_hWnd, Text(KST_STR_ASCII_INVALID_AVERAGE).c_str(), caption.c_str(), MB_OK,
                      KST_STR_ASCII_INVALID_AVERAGE);
        return;
    }
    EndDialog(IDOK);
}

// ---- Commands -----------------------------------------------------------------------------------

INT_PTR KstRunLoadAsciiDialog(CKSTTextFormat& settings, uint32_t language, CWnd* parent)
{
    CKSTLoadAsciiDlg dialog(language, parent);
    dialog.SetSettings(settings);
    const INT_PTR result = dialog.DoModal();
    if (result == IDOK) {
        dialog.GetSettings(settings);
    }
    return result;
}

INT_PTR KstRunSaveAsciiDialog(CKSTTextFormat& settings, uint32_t language, CWnd* parent)
{
    CKSTSaveAsciiDlg dialog(language, parent);
    dialog.SetSettings(settings);
    const INT_PTR result = dialog.DoModal();
    if (result == IDOK) {
        dialog.GetSettings(settings);
    }
    return result;
}
