#include "elements/win/ValueDialog.h"

#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

CKSTValueDialog::CKSTValueDialog(UINT templateId, const CKSTValueElementSettings& settings,
                                 CWnd* parent)
    : CKSTSettingsDialog(templateId, parent), m_fields(KstValueFieldsFromSettings(settings))
{
}

BOOL CKSTValueDialog::OnInitDialog()
{
    // The lists are filled before the base class shows the fields in them.
    FillCombo(IDC_ELEMDLG_TITLE_POSITION, {KST_STR_ELEM_TITLE_LEFT, KST_STR_ELEM_TITLE_RIGHT,
                                           KST_STR_ELEM_TITLE_TOP, KST_STR_ELEM_TITLE_BOTTOM});
    FillCombo(IDC_ELEMDLG_ALIGNMENT,
              {KST_STR_ELEM_ALIGN_LEFT, KST_STR_ELEM_ALIGN_CENTRE, KST_STR_ELEM_ALIGN_RIGHT});
    CDialog::OnInitDialog();
    SetTitleBlockTexts();
    SetItemText(IDC_ELEMDLG_TITLE_TRANSPARENT_LABEL, KST_STR_ELEM_TRANSPARENT);
    SetItemText(IDC_ELEMDLG_FRAME, KST_STR_ELEM_FRAME);
    SetItemText(IDC_ELEMDLG_PRECISION_LABEL, KST_STR_ELEM_PRECISION);
    SetItemText(IDC_ELEMDLG_SPLIT_RATIO_LABEL, KST_STR_ELEM_SPLIT_RATIO);
    return TRUE;
}

void CKSTValueDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_ELEMDLG_TITLE_TEXT, m_fields.title);
    DDX_Check(dx, IDC_ELEMDLG_TITLE_TRANSPARENT, m_fields.titleTransparent);
    DDX_CBIndex(dx, IDC_ELEMDLG_TITLE_POSITION, m_fields.titlePosition);
    DDX_CBIndex(dx, IDC_ELEMDLG_ALIGNMENT, m_fields.titleAlignment);
    DDX_Check(dx, IDC_ELEMDLG_FRAME, m_fields.frame);
    DDX_Text(dx, IDC_ELEMDLG_PRECISION, m_fields.precision);
    DDX_Text(dx, IDC_ELEMDLG_SPLIT_RATIO, m_fields.splitRatio);
}

int KstEditValueSettings(CKSTValueElementSettings& settings, uint32_t language)
{
    auto run = [&](auto& dialog) {
        dialog.m_language = language;
        const int result = static_cast<int>(dialog.DoModal());
        if (result == IDOK) {
            dialog.Apply(settings);
        }
        return result;
    };
    if (settings.m_DisplayType == 1) {
        CKSTLampDialog dialog(settings);
        return run(dialog);
    }
    CKSTLCDDialog dialog(settings);
    return run(dialog);
}

// ---- Numeric value ------------------------------------------------------------------------

CKSTLCDDialog::CKSTLCDDialog(const CKSTValueElementSettings& settings, CWnd* parent)
    : CKSTValueDialog(IDD_VALUE_SETTINGS, settings, parent)
{
}

void CKSTLCDDialog::Apply(CKSTValueElementSettings& settings) const
{
    KstApplyValueFields(m_fields, settings);
}

BOOL CKSTLCDDialog::OnInitDialog()
{
    FillCombo(IDC_ELEMDLG_VALUE_ALIGNMENT,
              {KST_STR_ELEM_ALIGN_LEFT, KST_STR_ELEM_ALIGN_CENTRE, KST_STR_ELEM_ALIGN_RIGHT});
    CKSTValueDialog::OnInitDialog();
    SetWindowText(Text(KST_STR_VALUE_CAPTION).c_str());
    SetItemText(IDC_ELEMDLG_TITLE_SHOW_GROUP_LABEL, KST_STR_ELEM_SHOW_GROUP);
    SetItemText(IDC_ELEMDLG_VALUE_GROUP, KST_STR_ELEM_VALUE);
    SetItemText(IDC_ELEMDLG_VALUE_FONT_LABEL, KST_STR_ELEM_FONT);
    SetItemText(IDC_ELEMDLG_VALUE_TEXT_COLOR_LABEL, KST_STR_ELEM_TEXT_COLOR);
    SetItemText(IDC_ELEMDLG_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR);
    SetItemText(IDC_ELEMDLG_VALUE_TRANSPARENT_LABEL, KST_STR_ELEM_TRANSPARENT);
    SetItemText(IDC_ELEMDLG_VALUE_ALIGNMENT_LABEL, KST_STR_ELEM_ALIGNMENT);
    SetItemText(IDC_ELEMDLG_SHOW_UNIT_LABEL, KST_STR_ELEM_SHOW_UNIT);
    SetItemText(IDC_ELEMDLG_FRAME_WIDTH_LABEL, KST_STR_ELEM_FRAME_WIDTH);
    SetItemText(IDC_ELEMDLG_FRAME_COLOR_LABEL, KST_STR_ELEM_FRAME_COLOR);
    return TRUE;
}

void CKSTLCDDialog::DoDataExchange(CDataExchange* dx)
{
    CKSTValueDialog::DoDataExchange(dx);
    DDX_Check(dx, IDC_ELEMDLG_TITLE_SHOW_GROUP, m_fields.showGroup);
    DDX_Text(dx, IDC_ELEMDLG_CHANNEL, m_fields.channel);
    DDX_Check(dx, IDC_ELEMDLG_VALUE_TRANSPARENT, m_fields.valueTransparent);
    DDX_CBIndex(dx, IDC_ELEMDLG_VALUE_ALIGNMENT, m_fields.valueAlignment);
    DDX_Check(dx, IDC_ELEMDLG_SHOW_UNIT, m_fields.showUnit);
    DDX_Text(dx, IDC_ELEMDLG_FRAME_WIDTH, m_fields.frameWidth);
}

CKSTFontDesc* CKSTLCDDialog::FontOfButton(int id)
{
    switch (id) {
        case IDC_ELEMDLG_FONT:
            return &m_fields.titleFont;
        case IDC_ELEMDLG_VALUE_FONT:
            return &m_fields.valueFont;
        default:
            return nullptr;
    }
}

uint32_t* CKSTLCDDialog::ColourOfButton(int id)
{
    switch (id) {
        case IDC_ELEMDLG_TEXT_COLOR:
            return &m_fields.titleTextColour;
        case IDC_ELEMDLG_TITLE_BACK_COLOR:
            return &m_fields.titleBackColour;
        case IDC_ELEMDLG_VALUE_TEXT_COLOR:
            return &m_fields.valueTextColour;
        case IDC_ELEMDLG_VALUE_BACK_COLOR:
            return &m_fields.valueBackColour;
        case IDC_ELEMDLG_FRAME_COLOR:
            return &m_fields.frameColour;
        default:
            return nullptr;
    }
}

// ---- Lamp ---------------------------------------------------------------------------------

CKSTLampDialog::CKSTLampDialog(const CKSTValueElementSettings& settings, CWnd* parent)
    : CKSTValueDialog(IDD_LAMP_SETTINGS, settings, parent)
{
}

void CKSTLampDialog::Apply(CKSTValueElementSettings& settings) const
{
    KstApplyLampFields(m_fields, settings);
}

BOOL CKSTLampDialog::OnInitDialog()
{
    for (int id : {IDC_ELEMDLG_OPERATOR1, IDC_ELEMDLG_OPERATOR2}) {
        FillCombo(id, {KST_STR_LAMP_LESS, KST_STR_LAMP_LESS_EQUAL, KST_STR_LAMP_GREATER,
                       KST_STR_LAMP_GREATER_EQUAL, KST_STR_LAMP_EQUAL});
    }
    CKSTValueDialog::OnInitDialog();
    SetWindowText(Text(KST_STR_LAMP_CAPTION).c_str());
    SetItemText(IDC_ELEMDLG_ACTIVE_COLOR1_LABEL, KST_STR_LAMP_ACTIVE_COLOR1);
    SetItemText(IDC_ELEMDLG_ACTIVE_COLOR2_LABEL, KST_STR_LAMP_ACTIVE_COLOR2);
    SetItemText(IDC_ELEMDLG_PASSIVE_COLOR_LABEL, KST_STR_LAMP_PASSIVE_COLOR);
    SetItemText(IDC_ELEMDLG_LAMP_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR);
    SetItemText(IDC_ELEMDLG_LAMP_TRANSPARENT_LABEL, KST_STR_ELEM_TRANSPARENT);
    return TRUE;
}

void CKSTLampDialog::DoDataExchange(CDataExchange* dx)
{
    CKSTValueDialog::DoDataExchange(dx);
    DDX_Check(dx, IDC_ELEMDLG_LAMP_TRANSPARENT, m_fields.valueTransparent);
    DDX_CBIndex(dx, IDC_ELEMDLG_OPERATOR1, m_fields.operator1);
    DDX_CBIndex(dx, IDC_ELEMDLG_OPERATOR2, m_fields.operator2);
    DDX_Text(dx, IDC_ELEMDLG_THRESHOLD1, m_fields.threshold1);
    DDX_Text(dx, IDC_ELEMDLG_THRESHOLD2, m_fields.threshold2);
}

CKSTFontDesc* CKSTLampDialog::FontOfButton(int id)
{
    return id == IDC_ELEMDLG_FONT ? &m_fields.titleFont : nullptr;
}

uint32_t* CKSTLampDialog::ColourOfButton(int id)
{
    switch (id) {
        case IDC_ELEMDLG_TEXT_COLOR:
            return &m_fields.titleTextColour;
        case IDC_ELEMDLG_TITLE_BACK_COLOR:
            return &m_fields.titleBackColour;
        case IDC_ELEMDLG_ACTIVE_COLOR1:
            return &m_fields.activeColour1;
        case IDC_ELEMDLG_ACTIVE_COLOR2:
            return &m_fields.activeColour2;
        case IDC_ELEMDLG_PASSIVE_COLOR:
            return &m_fields.passiveColour;
        case IDC_ELEMDLG_LAMP_BACK_COLOR:
            return &m_fields.valueBackColour;
        default:
            return nullptr;
    }
}
