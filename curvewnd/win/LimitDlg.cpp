#include "curvewnd/win/LimitDlg.h"

#include "curvewnd/Curve.h"
#include "curvewnd/CurveDialogMappings.h"
#include "curvewnd/LimitLine.h"
#include "curvewnd/YAxis.h"
#include "data/settings/SettingsColors.h"
#include "resources/StringIds.h"

BEGIN_MESSAGE_MAP(CKSTLimitDlg, CDialog)
ON_CBN_SELCHANGE(IDC_LIMIT_CURVE, OnCurveOrAutoChanged)
ON_BN_CLICKED(IDC_LIMIT_COLOR_AUTO, OnCurveOrAutoChanged)
ON_BN_CLICKED(IDC_LIMIT_COLOR, OnColour)
ON_BN_CLICKED(IDC_LIMIT_DELETE, OnDelete)
ON_BN_CLICKED(IDC_LIMIT_PREVIOUS, OnPrevious)
ON_BN_CLICKED(IDC_LIMIT_NEXT, OnNext)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CKSTLimitDlg::CKSTLimitDlg(IKSTCurveDialogHost& host, CWnd* parent)
    : CKSTCurveDialog(IDD, host, parent)
{
}

INT_PTR CKSTLimitDlg::CreateLimit(IKSTCurveDialogHost& host, CKSTLimitLine* line, CWnd* parent)
{
    if (host.GetCurveCount(false) == 0) {
        return IDCANCEL;
    }
    CKSTLimitDlg dialog(host, parent);
    dialog.FillFromLine(line);
    return dialog.DoModal();
}

double CKSTLimitDlg::FactorOf(const CKSTCurve* curve) const
{
    return curve && curve->GetYAxis() ? KstLabelFactor(curve->GetYAxis()->GetLabelExponent())
                                      : 1.0;
}

void CKSTLimitDlg::FillFromLine(CKSTLimitLine* line)
{
    CollectCurves();
    m_line = line;
    const CKSTCurve* curve = line ? FindOwnerCurve(line->GetOwner()) : nullptr;
    if (!line || !curve) {
        m_line = nullptr;
        m_curveIndex = 0;
        m_lineStyle = 0;
        m_value = 0.0;
        m_autoColour = 1;
    } else {
        m_curveIndex = CurveListIndex(curve);
        m_lineStyle = static_cast<int>(line->GetLineStyle());
        m_value = line->GetValue() / FactorOf(curve);
        m_autoColour = line->GetColour() == KST_COLOR_AUTOMATIC ? 1 : 0;
        m_colour = line->GetColour();
    }
    if (m_autoColour) {
        const CKSTCurve* shown = CurveAt(m_curveIndex);
        m_colour = shown ? shown->GetColor() : 0;
    }
}

BOOL CKSTLimitDlg::OnInitDialog()
{
    SetWindowText(Text(KST_STR_CWD_LIMIT_CAPTION).c_str());
    SetItemText(IDC_LIMIT_CURVE_LABEL, KST_STR_CWD_LIMIT_CURVE);
    SetItemText(IDC_LIMIT_LINE_STYLE_LABEL, KST_STR_CWD_LIMIT_LINE_STYLE);
    SetItemText(IDC_LIMIT_VALUE_LABEL, KST_STR_CWD_LIMIT_VALUE);
    SetItemText(IDC_LIMIT_COLOR_LABEL, KST_STR_CWD_COLOR);
    SetItemText(IDC_LIMIT_COLOR_AUTO, KST_STR_CWD_AUTO_COLOR);
    SetItemText(IDC_LIMIT_DELETE, KST_STR_CWD_DELETE);
    SetItemText(IDC_LIMIT_PREVIOUS, KST_STR_CWD_OK_PREVIOUS);
    SetItemText(IDC_LIMIT_NEXT, KST_STR_CWD_OK_NEXT);
    SetItemText(IDOK, KST_STR_OK);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    FillCombo(IDC_LIMIT_LINE_STYLE,
              {KST_STR_CWD_LINE_SOLID, KST_STR_CWD_LINE_DASH, KST_STR_CWD_LINE_DOT,
               KST_STR_CWD_LINE_DASH_DOT, KST_STR_CWD_LINE_DASH_DOT_DOT});
    FillCurveList(IDC_LIMIT_CURVE);
    CDialog::OnInitDialog();
    return TRUE;
}

void CKSTLimitDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_CBIndex(dx, IDC_LIMIT_CURVE, m_curveIndex);
    DDX_CBIndex(dx, IDC_LIMIT_LINE_STYLE, m_lineStyle);
    DDX_Text(dx, IDC_LIMIT_VALUE, m_value);
    DDX_Check(dx, IDC_LIMIT_COLOR_AUTO, m_autoColour);
}

void CKSTLimitDlg::ApplyToLine()
{
    CKSTCurve* curve = CurveAt(m_curveIndex);
    if (!curve) {
        return;
    }
    const double value = m_value * FactorOf(curve);
    const uint32_t style = m_lineStyle >= 0 ? static_cast<uint32_t>(m_lineStyle) : 0;
    const uint32_t colour = m_autoColour ? KST_COLOR_AUTOMATIC : m_colour;
    CKSTCurve* owner = m_line ? FindOwnerCurve(m_line->GetOwner()) : nullptr;
    if (!m_line || owner != curve) {
        if (m_line && owner) {
            owner->RemoveLevelLine(m_line);
        }
        CKSTLimitLine made;
        made.SetValue(value);
        made.SetLineStyle(style);
        made.SetColour(colour);
        curve->AddLevelLine(made, true);
        // Later steps go on from the line that now exists, never from a deleted one.
        m_line = curve->GetLevelLine(curve->GetLevelLineCount() - 1);
    } else if (value != m_line->GetValue() || style != m_line->GetLineStyle() ||
               colour != m_line->GetColour()) {
        m_line->SetLineStyle(style);
        m_line->SetValue(value);
        m_line->SetColour(colour);
        m_host->RecalcLayout();
        m_host->UpdateNow();
    }
    m_host->SetModified();
}

void CKSTLimitDlg::OnOK()
{
    if (UpdateData(TRUE)) {
        ApplyToLine();
        EndDialog(IDOK);
    }
}

void CKSTLimitDlg::OnDelete()
{
    CKSTCurve* owner = m_line ? FindOwnerCurve(m_line->GetOwner()) : nullptr;
    if (owner) {
        owner->RemoveLevelLine(m_line);
        m_line = nullptr;
        m_host->RecalcLayout();
        m_host->UpdateNow();
        m_host->SetModified();
    }
    EndDialog(IDOK);
}

void CKSTLimitDlg::OnPrevious()
{
    Step(false);
}

void CKSTLimitDlg::OnNext()
{
    Step(true);
}

void CKSTLimitDlg::Step(bool forward)
{
    if (!UpdateData(TRUE) || !CurveAt(m_curveIndex)) {
        return;
    }
    ApplyToLine();
    CKSTCurve* curve = CurveAt(m_curveIndex);
    CKSTLimitLine* next = forward ? curve->NextLevelLine(m_line) : curve->PrevLevelLine(m_line);
    FillFromLine(next);
    UpdateData(FALSE);
    Invalidate();
}

void CKSTLimitDlg::OnCurveOrAutoChanged()
{
    UpdateData(TRUE);
    if (m_autoColour) {
        if (const CKSTCurve* curve = CurveAt(m_curveIndex)) {
            m_colour = curve->GetColor();
        }
    }
    Invalidate();
}

void CKSTLimitDlg::OnColour()
{
    UpdateData(TRUE);
    if (!m_autoColour && ChooseColour(m_colour)) {
        Invalidate();
    }
}

void CKSTLimitDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
{
    if (id == IDC_LIMIT_COLOR) {
        DrawColourButton(*draw, m_colour);
    }
}
