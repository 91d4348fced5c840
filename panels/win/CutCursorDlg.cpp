#include "panels/win/CutCursorDlg.h"

#include <commctrl.h>

#include <cmath>

#include "foundation/win/DlgItems.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace {

// The pickers' window class is registered on demand, before the first template uses it.
void RegisterPickerClass()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
}

const int kStandardControls[] = {IDC_CUT_START_X, IDC_CUT_END_X, IDC_CUT_START_UNIT,
                                 IDC_CUT_END_UNIT};
const int kAbsoluteControls[] = {IDC_START_DATE, IDC_START_TIME, IDC_END_DATE, IDC_END_TIME};
const int kRelativeControls[] = {
    IDC_CUT_START_DAYS, IDC_CUT_START_HOURS,  IDC_CUT_START_MINUTES, IDC_CUT_START_SECONDS,
    IDC_CUT_END_DAYS,   IDC_CUT_END_HOURS,    IDC_CUT_END_MINUTES,   IDC_CUT_END_SECONDS,
    IDC_CUT_START_T,    IDC_CUT_START_COLON1, IDC_CUT_START_COLON2,  IDC_CUT_END_T,
    IDC_CUT_END_COLON1, IDC_CUT_END_COLON2,
};

template <size_t N>
void ShowControls(HWND dialog, const int (&ids)[N], bool show)
{
    for (const int id : ids) {
        if (show) {
            ShowDlgItem(dialog, id);
        } else {
            HideDlgItem(dialog, id);
        }
    }
}

// The day of `date` at the time of day of `time`.
CKSTTimeStamp Combine(const CKSTTimeStamp& date, const CKSTTimeStamp& time)
{
    CKSTTimeStamp combined;
    combined.SetDateTime(date.GetYear(), date.GetMonth(), date.GetDay(), time.GetHour(),
                         time.GetMinute(), time.GetSecond());
    return combined;
}

}  // namespace

void DDX_DateTime(CDataExchange* dx, int id, CKSTTimeStamp& value)
{
    HWND picker = dx->PrepareCtrl(id);
    SYSTEMTIME time{};
    if (dx->m_bSaveAndValidate) {
        if (SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) ==
            GDT_VALID) {
            value.SetDateTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                              time.wSecond);
        }
        return;
    }
    time.wYear = static_cast<WORD>(value.GetYear());
    time.wMonth = static_cast<WORD>(value.GetMonth());
    time.wDay = static_cast<WORD>(value.GetDay());
    time.wHour = static_cast<WORD>(value.GetHour());
    time.wMinute = static_cast<WORD>(value.GetMinute());
    time.wSecond = static_cast<WORD>(value.GetSecond());
    // A stamp before the pickers' first day (a zero stamp) leaves the picker as it is.
    if (time.wYear >= 1753) {
        SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }
}

// ---- Cut between cursors ---------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKSTCutCursorDlg, CDialog)
ON_BN_CLICKED(IDC_CUT_STANDARD, OnStandard)
ON_BN_CLICKED(IDC_CUT_ABSOLUTE, OnAbsolute)
ON_BN_CLICKED(IDC_CUT_RELATIVE, OnRelative)
END_MESSAGE_MAP()

CKSTCutCursorDlg::CKSTCutCursorDlg(bool english, CWnd* parent)
    : CKSTSmallDialog(IDD_CUT_CURSOR, english, parent)
{
    RegisterPickerClass();
}

BOOL CKSTCutCursorDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_startSpan = KstSpanToTexts(m_dStartOffset);
    m_endSpan = KstSpanToTexts(m_dEndOffset);
    SetItemText(IDC_CUT_ABSOLUTE, KST_STR_CUT_ABSOLUTE_TIME);
    SetItemText(IDC_CUT_RELATIVE, KST_STR_CUT_RELATIVE_TIME);
    SetItemText(IDC_START_POINT_LABEL, KST_STR_CUT_START_POINT);
    SetItemText(IDC_CUT_END_LABEL, KST_STR_CUT_END_POINT);
    SetItemText(IDC_CUT_SCALING, KST_STR_CUT_SCALING);
    SetItemText(IDC_CUT_KEEP_X_OFFSET, KST_STR_CUT_KEEP_X_OFFSET);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    SetDlgItemText(IDC_CUT_START_UNIT, m_strUnit.c_str());
    SetDlgItemText(IDC_CUT_END_UNIT, m_strUnit.c_str());
    SetWindowText(Text(KST_STR_CUT_CAPTION).c_str());
    UpdateData(FALSE);
    const KstCutForm form = KstCutFormOfAxisMode(m_nXAxisMode);
    if (form != KstCutForm::None) {
        ShowForm(form);
    }
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return TRUE;
}

void CKSTCutCursorDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_CUT_START_X, m_strStartX);
    DDX_Text(dx, IDC_CUT_END_X, m_strEndX);
    DDX_DateTime(dx, IDC_START_DATE, m_startDate);
    DDX_DateTime(dx, IDC_START_TIME, m_startTime);
    DDX_DateTime(dx, IDC_END_DATE, m_endDate);
    DDX_DateTime(dx, IDC_END_TIME, m_endTime);
    DDX_Text(dx, IDC_CUT_START_DAYS, m_startSpan.days);
    DDX_Text(dx, IDC_CUT_START_HOURS, m_startSpan.hours);
    DDX_Text(dx, IDC_CUT_START_MINUTES, m_startSpan.minutes);
    DDX_Text(dx, IDC_CUT_START_SECONDS, m_startSpan.seconds);
    DDX_Text(dx, IDC_CUT_END_DAYS, m_endSpan.days);
    DDX_Text(dx, IDC_CUT_END_HOURS, m_endSpan.hours);
    DDX_Text(dx, IDC_CUT_END_MINUTES, m_endSpan.minutes);
    DDX_Text(dx, IDC_CUT_END_SECONDS, m_endSpan.seconds);
    DDX_Check(dx, IDC_CUT_KEEP_X_OFFSET, m_bKeepXOffset);
}

void CKSTCutCursorDlg::ShowForm(KstCutForm form)
{
    ::CheckRadioButton(m_hWnd, IDC_CUT_ABSOLUTE, IDC_CUT_STANDARD,
                       form == KstCutForm::Standard   ? IDC_CUT_STANDARD
                       : form == KstCutForm::Absolute ? IDC_CUT_ABSOLUTE
                                                      : IDC_CUT_RELATIVE);
    ShowControls(m_hWnd, kStandardControls, form == KstCutForm::Standard);
    ShowControls(m_hWnd, kAbsoluteControls, form == KstCutForm::Absolute);
    ShowControls(m_hWnd, kRelativeControls, form == KstCutForm::Relative);
}

KstCutForm CKSTCutCursorDlg::CheckedForm() const
{
    if (IsDlgButtonChecked(IDC_CUT_STANDARD) == BST_CHECKED) {
        return KstCutForm::Standard;
    }
    if (IsDlgButtonChecked(IDC_CUT_ABSOLUTE) == BST_CHECKED) {
        return KstCutForm::Absolute;
    }
    if (IsDlgButtonChecked(IDC_CUT_RELATIVE) == BST_CHECKED) {
        return KstCutForm::Relative;
    }
    return KstCutForm::None;
}

void CKSTCutCursorDlg::OnOK()
{
    if (!UpdateData(TRUE)) {
        return;
    }
    const KstCutForm form = CheckedForm();
    if (form == KstCutForm::Absolute) {
        m_startDate = Combine(m_startDate, m_startTime);
        m_endDate = Combine(m_endDate, m_endTime);
    } else if (form == KstCutForm::Relative) {
        m_startDate = m_baseTime + KstSpanFromTexts(m_startSpan);
        m_endDate = m_baseTime + KstSpanFromTexts(m_endSpan);
    }
    if (form != KstCutForm::None) {
        m_nResultMode = static_cast<uint8_t>(KstCutResultMode(form));
    }
    UpdateData(FALSE);
    EndDialog(IDOK);
}

// ---- Edit X axis ------------------------------------------------------------------------------

CKSTEditXAxisDlg::CKSTEditXAxisDlg(bool english, CWnd* parent)
    : CKSTSmallDialog(IDD_EDIT_X_AXIS, english, parent)
{
    RegisterPickerClass();
}

BOOL CKSTEditXAxisDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetItemText(IDC_START_POINT_LABEL, KST_STR_CUT_START_POINT);
    SetItemText(IDC_XAXIS_UNIT_LABEL, KST_STR_XAXIS_UNIT);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    SetWindowText(Text(KST_STR_XAXIS_CAPTION).c_str());
    UpdateData(FALSE);
    return TRUE;
}

void CKSTEditXAxisDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_DateTime(dx, IDC_START_DATE, m_date);
    DDX_DateTime(dx, IDC_START_TIME, m_time);
    DDX_Text(dx, IDC_XAXIS_UNIT, m_strUnit);
}

void CKSTEditXAxisDlg::OnOK()
{
    if (!UpdateData(TRUE)) {
        return;
    }
    m_startTime = Combine(m_date, m_time);
    EndDialog(IDOK);
}
