#include "elements/win/ButtonDialog.h"

#include "curvewnd/win/CurveDialog.h"
#include "resources/StringIds.h"

BEGIN_MESSAGE_MAP(CKSTButtonDialog, CDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_BUTTONELEM_ON_COLOR, IDC_BUTTONELEM_BACK_COLOR, OnColourButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_BUTTONELEM_TEXT_COLOR, IDC_BUTTONELEM_TEXT_COLOR, OnColourButton)
ON_BN_CLICKED(IDC_BUTTONELEM_FONT, OnFont)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

BOOL CKSTButtonDialog::OnInitDialog()
{
    SetWindowText(Text(KST_STR_BUTTON_CAPTION).c_str());
    SetItemText(IDC_BUTTONELEM_ON_COLOR_LABEL, KST_STR_BUTTON_ON_COLOR);
    SetItemText(IDC_BUTTONELEM_OFF_COLOR_LABEL, KST_STR_BUTTON_OFF_COLOR);
    SetItemText(IDC_BUTTONELEM_FRAME_COLOR_LABEL, KST_STR_BUTTON_FRAME_COLOR);
    SetItemText(IDC_BUTTONELEM_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR);
    SetItemText(IDC_BUTTONELEM_TEXT_LABEL, KST_STR_ELEM_TEXT);
    SetItemText(IDC_BUTTONELEM_FONT_LABEL, KST_STR_ELEM_FONT);
    SetItemText(IDC_BUTTONELEM_TEXT_COLOR_LABEL, KST_STR_ELEM_TEXT_COLOR);
    SetItemText(IDC_BUTTONELEM_TRANSPARENT_LABEL, KST_STR_ELEM_TRANSPARENT);
    SetItemText(IDC_BUTTONELEM_STYLE_LABEL, KST_STR_ELEM_STYLE);
    SetItemText(IDOK, KST_STR_ELEM_OK);
    SetItemText(IDCANCEL, KST_STR_ELEM_CANCEL);
    FillCombo(IDC_BUTTONELEM_STYLE,
              {KST_STR_BUTTON_CYLINDER, KST_STR_BUTTON_ELLIPSE, KST_STR_FFT_RECTANGLE});
    CDialog::OnInitDialog();
    return TRUE;
}

void CKSTButtonDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_BUTTONELEM_TEXT, m_text);
    DDX_Check(dx, IDC_BUTTONELEM_TRANSPARENT, m_transparent);
    DDX_CBIndex(dx, IDC_BUTTONELEM_STYLE, m_styleIndex);
}

uint32_t* CKSTButtonDialog::ColourOf(int id)
{
    switch (id) {
    case IDC_BUTTONELEM_ON_COLOR:
        return &m_onColor;
    case IDC_BUTTONELEM_OFF_COLOR:
        return &m_offColor;
    case IDC_BUTTONELEM_FRAME_COLOR:
        return &m_frameColor;
    case IDC_BUTTONELEM_BACK_COLOR:
        return &m_backColor;
    case IDC_BUTTONELEM_TEXT_COLOR:
        return &m_textColor;
    default:
        return nullptr;
    }
}

void CKSTButtonDialog::OnColourButton(UINT id)
{
    if (uint32_t* colour = ColourOf(static_cast<int>(id))) {
        PickColour(*colour);
    }
}

void CKSTButtonDialog::OnFont()
{
    PickFont(m_font);
}

void CKSTButtonDialog::OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
{
    if (id == IDC_BUTTONELEM_FONT) {
        KstDrawFontButton(*draw, m_font);
    } else if (const uint32_t* colour = ColourOf(id)) {
        KstDrawColourButton(*draw, *colour);
    } else {
        CWnd::OnDrawItem(id, draw);
    }
}
