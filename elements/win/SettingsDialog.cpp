#include "elements/win/SettingsDialog.h"

#include "curvewnd/win/CurveDialog.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

// Every sample button of the four dialogs; each dialog tells which of them it has.
BEGIN_MESSAGE_MAP(CKSTSettingsDialog, CKSTElementDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_ELEMDLG_FONT, IDC_ELEMDLG_VALUE_TEXT_COLOR, OnSampleButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_ELEMDLG_ACTIVE_COLOR1, IDC_ELEMDLG_ACTIVE_COLOR1, OnSampleButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_ELEMDLG_ACTIVE_COLOR2, IDC_ELEMDLG_ACTIVE_COLOR2, OnSampleButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_ELEMDLG_PASSIVE_COLOR, IDC_ELEMDLG_PASSIVE_COLOR, OnSampleButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_ELEMDLG_LAMP_BACK_COLOR, IDC_ELEMDLG_LAMP_BACK_COLOR,
                 OnSampleButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_ELEMDLG_BAR_COLOR, IDC_ELEMDLG_BAR_BACK_COLOR, OnSampleButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_ELEMDLG_FRAME_COLOR, IDC_ELEMDLG_FRAME_COLOR, OnSampleButton)
ON_CONTROL_RANGE(BN_CLICKED, IDC_ELEMDLG_POINTER_COLOR, IDC_ELEMDLG_METER_BACK_COLOR,
                 OnSampleButton)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

void CKSTSettingsDialog::SetTitleBlockTexts()
{
    SetItemText(IDC_ELEMDLG_TITLE_GROUP, KST_STR_MENU_TITLE);
    SetItemText(IDC_ELEMDLG_TITLE_LABEL, KST_STR_ELEM_TEXT);
    SetItemText(IDC_ELEMDLG_FONT_LABEL, KST_STR_ELEM_FONT);
    SetItemText(IDC_ELEMDLG_TEXT_COLOR_LABEL, KST_STR_ELEM_TEXT_COLOR);
    SetItemText(IDC_ELEMDLG_TITLE_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR);
    SetItemText(IDC_ELEMDLG_ALIGNMENT_LABEL, KST_STR_ELEM_ALIGNMENT);
    SetItemText(IDC_ELEMDLG_TITLE_POSITION_LABEL, KST_STR_ELEM_TITLE_POSITION);
    SetItemText(IDOK, KST_STR_ELEM_OK);
    SetItemText(IDCANCEL, KST_STR_ELEM_CANCEL);
}

void CKSTSettingsDialog::OnSampleButton(UINT id)
{
    if (CKSTFontDesc* font = FontOfButton(static_cast<int>(id))) {
        PickFont(*font);
    } else if (uint32_t* colour = ColourOfButton(static_cast<int>(id))) {
        PickColour(*colour);
    }
}

void CKSTSettingsDialog::OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
{
    if (const CKSTFontDesc* font = FontOfButton(id)) {
        KstDrawFontButton(*draw, *font);
    } else if (const uint32_t* colour = ColourOfButton(id)) {
        KstDrawColourButton(*draw, *colour);
    } else {
        CKSTElementDialog::OnDrawItem(id, draw);
    }
}
