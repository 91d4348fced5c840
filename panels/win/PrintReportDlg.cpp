#include "panels/win/PrintReportDlg.h"

#include <initializer_list>

#include "foundation/win/DlgItems.h"
#include "foundation/win/StringLoader.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

BEGIN_MESSAGE_MAP(CKSTPrintReportDlg, CDialog)
ON_EN_CHANGE(IDC_REPORT_XMIN, OnXMinChanged)
ON_EN_CHANGE(IDC_REPORT_XMAX, OnXMaxChanged)
ON_EN_CHANGE(IDC_REPORT_PER_PAGE, OnRangePerPageChanged)
ON_BN_CLICKED(IDC_REPORT_RANGE_FILE, OnUpdateDataTrue)
ON_BN_CLICKED(IDC_REPORT_RANGE_WINDOW, OnUpdateDataTrue)
ON_BN_CLICKED(IDC_REPORT_RANGE_CURSORS, OnUpdateDataTrue)
ON_BN_CLICKED(IDC_REPORT_RANGE_X, OnUpdateDataTrue)
END_MESSAGE_MAP()

CKSTPrintReportDlg::CKSTPrintReportDlg(uint32_t language, CWnd* parent)
    : CDialog(IDD_PRINT_REPORT, parent), m_english(language != 0)
{
}

CKSTString CKSTPrintReportDlg::Text(int id) const
{
    return LoadResString(id, m_english);
}

BOOL CKSTPrintReportDlg::OnInitDialog()
{
    static const struct {
        int control;
        int text;
    } kTexts[] = {
        {IDC_REPORT_TOP_GROUP, KST_STR_REPORT_TOP_LINE},
        {IDC_REPORT_BOTTOM_GROUP, KST_STR_REPORT_BOTTOM_LINE},
        {IDC_REPORT_LAYOUT_GROUP, KST_STR_REPORT_LAYOUT},
        {IDC_REPORT_RANGE_GROUP, KST_STR_REPORT_DATA_SELECTION},
        {IDC_REPORT_MARGIN_GROUP, KST_STR_REPORT_MARGIN},
        {IDC_REPORT_RANGE_FILE, KST_STR_REPORT_TOTAL_FILE},
        {IDC_REPORT_RANGE_WINDOW, KST_STR_REPORT_CURRENT_WINDOW},
        {IDC_REPORT_RANGE_CURSORS, KST_STR_REPORT_CURSOR_RANGE},
        {IDC_REPORT_RANGE_X, KST_STR_REPORT_X_RANGE},
        {IDC_REPORT_XMIN_LABEL, KST_STR_REPORT_X_MIN},
        {IDC_REPORT_XMAX_LABEL, KST_STR_REPORT_X_MAX},
        {IDC_REPORT_PER_PAGE_LABEL, KST_STR_REPORT_PER_PAGE},
        {IDC_REPORT_PAGES_LABEL, KST_STR_REPORT_PAGES},
        {IDC_REPORT_LEFT_LABEL, KST_STR_REPORT_LEFT},
        {IDC_REPORT_RIGHT_LABEL, KST_STR_REPORT_RIGHT},
        {IDC_REPORT_TOP_LABEL, KST_STR_REPORT_TOP},
        {IDC_REPORT_BOTTOM_LABEL, KST_STR_REPORT_BOTTOM},
        {IDOK, KST_STR_OK},
        {IDCANCEL, KST_STR_CANCEL},
    };
    SetWindowText(Text(KST_STR_REPORT_CAPTION).c_str());
    for (const auto& item : kTexts) {
        SetDlgItemText(item.control, Text(item.text).c_str());
    }

    m_strUnit = m_pSource ? m_pSource->GetXUnitText() : CKSTString();
    m_strXMin = KstReportNumberText(m_dXMin);
    m_strXMax = KstReportNumberText(m_dXMax);
    m_strRangePerPage = KstReportNumberText(m_dRangePerPage);
    m_strTopLine =
        m_layout.m_strTopLine.IsEmpty() ? KstDefaultTopLine(m_english) : m_layout.m_strTopLine;
    m_strBottomLine = m_layout.m_strBottomLine.IsEmpty() ? KstDefaultBottomLine(m_english)
                                                         : m_layout.m_strBottomLine;
    m_strMarginLeft = KstReportNumberText(m_layout.m_dMarginLeft);
    m_strMarginRight = KstReportNumberText(m_layout.m_dMarginRight);
    m_strMarginTop = KstReportNumberText(m_layout.m_dMarginTop);
    m_strMarginBottom = KstReportNumberText(m_layout.m_dMarginBottom);
    return CDialog::OnInitDialog();
}

void CKSTPrintReportDlg::DoDataExchange(CDataExchange* dx)
{
    if (!dx->m_bSaveAndValidate) {
        KstReportPageQuery query;
        query.rangeMode = m_nRangeMode;
        query.xMin = m_dXMin;
        query.xMax = m_dXMax;
        query.rangePerPage = m_dRangePerPage;
        query.scaleFactor = m_dScaleFactor;
        m_nPages = m_pSource ? KstReportPageCount(query, *m_pSource) : 0;
        // The page count is shown, never read back.
        DDX_Text(dx, IDC_REPORT_PAGES, m_nPages);
    }
    DDX_Radio(dx, IDC_REPORT_RANGE_FILE, m_nRangeMode);
    DDX_Text(dx, IDC_REPORT_XMIN, m_strXMin);
    DDX_Text(dx, IDC_REPORT_XMAX, m_strXMax);
    DDX_Text(dx, IDC_REPORT_PER_PAGE, m_strRangePerPage);
    DDX_Text(dx, IDC_REPORT_XMIN_UNIT, m_strUnit);
    DDX_Text(dx, IDC_REPORT_XMAX_UNIT, m_strUnit);
    DDX_Text(dx, IDC_REPORT_PER_PAGE_UNIT, m_strUnit);
    DDX_Text(dx, IDC_REPORT_TOP_LINE, m_strTopLine);
    DDX_Text(dx, IDC_REPORT_BOTTOM_LINE, m_strBottomLine);
    DDX_Text(dx, IDC_REPORT_LEFT, m_strMarginLeft);
    DDX_Text(dx, IDC_REPORT_RIGHT, m_strMarginRight);
    DDX_Text(dx, IDC_REPORT_TOP, m_strMarginTop);
    DDX_Text(dx, IDC_REPORT_BOTTOM, m_strMarginBottom);

    const bool xRange = m_nRangeMode == KST_REPORT_RANGE_X;
    for (int id : {IDC_REPORT_XMIN_LABEL, IDC_REPORT_XMAX_LABEL, IDC_REPORT_XMIN, IDC_REPORT_XMAX,
                   IDC_REPORT_XMIN_UNIT, IDC_REPORT_XMAX_UNIT}) {
        if (xRange) {
            ShowDlgItem(m_hWnd, id);
        } else {
            HideDlgItem(m_hWnd, id);
        }
    }
}

void CKSTPrintReportDlg::OnUpdateDataTrue()
{
    UpdateData(TRUE);
    UpdateData(FALSE);
}

void CKSTPrintReportDlg::TakeNumber(CKSTString& text, double& value)
{
    UpdateData(TRUE);
    value = KstReportParseNumber(text);
    UpdateData(FALSE);
}

void CKSTPrintReportDlg::OnXMinChanged()
{
    TakeNumber(m_strXMin, m_dXMin);
}

void CKSTPrintReportDlg::OnXMaxChanged()
{
    TakeNumber(m_strXMax, m_dXMax);
}

void CKSTPrintReportDlg::OnRangePerPageChanged()
{
    TakeNumber(m_strRangePerPage, m_dRangePerPage);
}

void CKSTPrintReportDlg::OnOK()
{
    if (!UpdateData(TRUE)) {
        return;
    }
    m_layout.m_strTopLine = m_strTopLine;
    m_layout.m_strBottomLine = m_strBottomLine;
    m_layout.m_dMarginLeft = KstReportParseNumber(m_strMarginLeft);
    m_layout.m_dMarginRight = KstReportParseNumber(m_strMarginRight);
    m_layout.m_dMarginTop = KstReportParseNumber(m_strMarginTop);
    m_layout.m_dMarginBottom = KstReportParseNumber(m_strMarginBottom);
    EndDialog(IDOK);
}
