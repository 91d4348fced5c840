#include "elements/win/InstrumentDialog.h"

#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

BOOL CKSTInstrumentDialog::OnInitDialog()
{
    // The lists are filled before the base class shows the fields in them.
    FillCombo(IDC_ELEMDLG_ALIGNMENT,
              {KST_STR_ELEM_ALIGN_LEFT, KST_STR_ELEM_ALIGN_CENTRE, KST_STR_ELEM_ALIGN_RIGHT});
    FillCombo(IDC_ELEMDLG_TITLE_POSITION, {KST_STR_ELEM_TITLE_TOP});
    CDialog::OnInitDialog();
    SetTitleBlockTexts();
    SetItemText(IDC_ELEMDLG_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR);
    SetItemText(IDC_ELEMDLG_SHOW_GROUP_LABEL, KST_STR_ELEM_SHOW_GROUP);
    SetItemText(IDC_ELEMDLG_GRADIENT, KST_STR_ELEM_GRADIENT);
    return TRUE;
}

void CKSTInstrumentDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_ELEMDLG_TITLE, m_fields.title);
    DDX_CBIndex(dx, IDC_ELEMDLG_TITLE_POSITION, m_fields.titlePosition);
    DDX_CBIndex(dx, IDC_ELEMDLG_ALIGNMENT, m_fields.alignment);
    DDX_Check(dx, IDC_ELEMDLG_GRADIENT, m_fields.gradient);
    DDX_Check(dx, IDC_ELEMDLG_SHOW_GROUP, m_fields.showGroup);
    DDX_Check(dx, IDC_ELEMDLG_SHOW_VALUE, m_fields.showValue);
}

CKSTFontDesc* CKSTInstrumentDialog::FontOfButton(int id)
{
    return id == IDC_ELEMDLG_FONT ? &m_fields.font : nullptr;
}

// ---- Bar ----------------------------------------------------------------------------------

CKSTBarDialog::CKSTBarDialog(CWnd* parent) : CKSTInstrumentDialog(IDD_BAR_SETTINGS, parent)
{
}

BOOL CKSTBarDialog::OnInitDialog()
{
    FillCombo(IDC_ELEMDLG_DISPLAY_TYPE, {KST_STR_BAR_2D, KST_STR_BAR_3D});
    CKSTInstrumentDialog::OnInitDialog();
    SetWindowText(Text(KST_STR_BAR_CAPTION).c_str());
    SetItemText(IDC_ELEMDLG_BAR_GROUP, KST_STR_BAR_GROUP);
    SetItemText(IDC_ELEMDLG_DISPLAY_TYPE_LABEL, KST_STR_ELEM_DISPLAY_TYPE);
    SetItemText(IDC_ELEMDLG_BAR_COLOR_LABEL, KST_STR_BAR_COLOR);
    SetItemText(IDC_ELEMDLG_SHOW_VALUE_LABEL, KST_STR_ELEM_SHOW_VALUE);
    return TRUE;
}

void CKSTBarDialog::DoDataExchange(CDataExchange* dx)
{
    CKSTInstrumentDialog::DoDataExchange(dx);
    DDX_CBIndex(dx, IDC_ELEMDLG_DISPLAY_TYPE, m_fields.displayType);
}

uint32_t* CKSTBarDialog::ColourOfButton(int id)
{
    switch (id) {
        case IDC_ELEMDLG_TEXT_COLOR:
            return &m_fields.textColour;
        case IDC_ELEMDLG_TITLE_BACK_COLOR:
            return &m_fields.titleBackColour;
        case IDC_ELEMDLG_BAR_COLOR:
            return &m_fields.barColour;
        case IDC_ELEMDLG_BAR_BACK_COLOR:
            return &m_fields.backColour;
        default:
            return nullptr;
    }
}

// ---- Meter --------------------------------------------------------------------------------

CKSTMeterDialog::CKSTMeterDialog(CWnd* parent) : CKSTInstrumentDialog(IDD_METER_SETTINGS, parent)
{
}

BOOL CKSTMeterDialog::OnInitDialog()
{
    FillCombo(IDC_ELEMDLG_POINTER_TYPE, {KST_STR_METER_NEEDLE, KST_STR_METER_POINTER});
    CKSTInstrumentDialog::OnInitDialog();
    SetWindowText(Text(KST_STR_METER_CAPTION).c_str());
    SetItemText(IDC_ELEMDLG_POINTER_GROUP, KST_STR_METER_POINTER_GROUP);
    SetItemText(IDC_ELEMDLG_POINTER_TYPE_LABEL, KST_STR_ELEM_DISPLAY_TYPE);
    SetItemText(IDC_ELEMDLG_POINTER_COLOR_LABEL, KST_STR_METER_POINTER_COLOR);
    SetItemText(IDC_ELEMDLG_SHOW_VALUE, KST_STR_ELEM_SHOW_VALUE);
    SetItemText(IDC_ELEMDLG_SCALE_ANGLE_LABEL, KST_STR_METER_SCALE_ANGLE);
    return TRUE;
}

void CKSTMeterDialog::DoDataExchange(CDataExchange* dx)
{
    CKSTInstrumentDialog::DoDataExchange(dx);
    DDX_CBIndex(dx, IDC_ELEMDLG_POINTER_TYPE, m_fields.displayType);
    DDX_Text(dx, IDC_ELEMDLG_SCALE_ANGLE, m_fields.scaleAngle);
}

uint32_t* CKSTMeterDialog::ColourOfButton(int id)
{
    switch (id) {
        case IDC_ELEMDLG_TEXT_COLOR:
            return &m_fields.textColour;
        case IDC_ELEMDLG_TITLE_BACK_COLOR:
            return &m_fields.titleBackColour;
        case IDC_ELEMDLG_POINTER_COLOR:
            return &m_fields.barColour;
        case IDC_ELEMDLG_METER_BACK_COLOR:
            return &m_fields.backColour;
        default:
            return nullptr;
    }
}
