#include "elements/win/TextElementDialog.h"

#include "curvewnd/win/CurveDialog.h"
#include "framework/Controls.h"
#include "resources/StringIds.h"

BEGIN_MESSAGE_MAP(CKSTTextElementDialog, CDialog)
ON_BN_CLICKED(IDC_TEXTELEM_FONT, OnFont)
ON_BN_CLICKED(IDC_TEXTELEM_TEXT_COLOR, OnTextColour)
ON_BN_CLICKED(IDC_TEXTELEM_BACK_COLOR, OnBackColour)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CKSTTextElementDialog::CKSTTextElementDialog(CWnd* parent) : CKSTElementDialog(IDD, parent)
{
    // The text box is a rich edit, whose class exists only once its library is loaded.
    KstInitRichEdit();
}

BOOL CKSTTextElementDialog::OnInitDialog()
{
    SetWindowText(Text(KST_STR_TEXT_ELEMENT_CAPTION).c_str());
    SetItemText(IDC_TEXTELEM_FONT_LABEL, KST_STR_ELEM_FONT);
    SetItemText(IDC_TEXTELEM_TEXT_COLOR_LABEL, KST_STR_ELEM_TEXT_COLOR);
    SetItemText(IDC_TEXTELEM_BACK_COLOR_LABEL, KST_STR_ELEM_BACK_COLOR);
    SetItemText(IDC_TEXTELEM_ALIGNMENT_LABEL, KST_STR_ELEM_ALIGNMENT);
    SetItemText(IDC_TEXTELEM_FRAME, KST_STR_ELEM_FRAME);
    SetItemText(IDC_TEXTELEM_TRANSPARENT_LABEL, KST_STR_ELEM_TRANSPARENT);
    SetItemText(IDOK, KST_STR_ELEM_OK);
    SetItemText(IDCANCEL, KST_STR_ELEM_CANCEL);
    FillCombo(IDC_TEXTELEM_ALIGNMENT,
              {KST_STR_ELEM_ALIGN_LEFT, KST_STR_ELEM_ALIGN_CENTRE, KST_STR_ELEM_ALIGN_RIGHT});
    CDialog::OnInitDialog();
    return TRUE;
}

void CKSTTextElementDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_TEXTELEM_TEXT, m_text);
    DDX_CBIndex(dx, IDC_TEXTELEM_ALIGNMENT, m_alignmentIndex);
    DDX_Check(dx, IDC_TEXTELEM_FRAME, m_frame);
    DDX_Check(dx, IDC_TEXTELEM_TRANSPARENT, m_transparent);
}

void CKSTTextElementDialog::OnFont()
{
    PickFont(m_font);
}

void CKSTTextElementDialog::OnTextColour()
{
    PickColour(m_textColor);
}

void CKSTTextElementDialog::OnBackColour()
{
    PickColour(m_backColor);
}

void CKSTTextElementDialog::OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
{
    switch (id) {
    case IDC_TEXTELEM_FONT:
        KstDrawFontButton(*draw, m_font);
        break;
    case IDC_TEXTELEM_TEXT_COLOR:
        KstDrawColourButton(*draw, m_textColor);
        break;
    case IDC_TEXTELEM_BACK_COLOR:
        KstDrawColourButton(*draw, m_backColor);
        break;
    default:
        CWnd::OnDrawItem(id, draw);
        break;
    }
}
