#include "curvewnd/win/YAxisDlg.h"

#include <cmath>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveDialogMappings.h"
#include "curvewnd/YAxis.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "data/settings/SettingsColors.h"
#include "foundation/LabelText.h"
#include "resources/StringIds.h"

namespace {

constexpr double kTolerance = 1e-12;

bool Differs(double a, double b)
{
    return std::fabs(a - b) > kTolerance;
}

}  // namespace

BEGIN_MESSAGE_MAP(CKSTYAxisDlg, CDialog)
ON_BN_CLICKED(IDC_YAXIS_RANGE_AUTO, OnRadio)
ON_BN_CLICKED(IDC_YAXIS_RANGE_MANUAL, OnRadio)
ON_BN_CLICKED(IDC_YAXIS_TICKS_AUTO, OnRadio)
ON_BN_CLICKED(IDC_YAXIS_TICKS_MANUAL, OnRadio)
ON_CBN_SELCHANGE(IDC_YAXIS_TYPE, OnScaleTypeChanged)
ON_BN_CLICKED(IDC_YAXIS_COLOR_AUTO, OnAutoColour)
ON_BN_CLICKED(IDC_YAXIS_COLOR, OnColour)
ON_BN_CLICKED(IDC_YAXIS_PREVIOUS, OnPrevious)
ON_BN_CLICKED(IDC_YAXIS_NEXT, OnNext)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CKSTYAxisDlg::CKSTYAxisDlg(IKSTCurveDialogHost& host, CKSTYAxis& axis, CWnd* parent)
    : CKSTCurveDialog(IDD, host, parent), m_axis(&axis)
{
}

INT_PTR CKSTYAxisDlg::EditSettings(IKSTCurveDialogHost& host, CKSTYAxis& axis, CWnd* parent)
{
    CKSTYAxisDlg dialog(host, axis, parent);
    dialog.ExportToDialog(axis);
    const INT_PTR result = dialog.DoModal();
    if (result == IDOK) {
        dialog.ApplyDialog();
    }
    return result;
}

CKSTCurve* CKSTYAxisDlg::FirstCurveOnAxis() const
{
    const int count = m_host->GetCurveCount(true);
    for (int i = 0; i < count; ++i) {
        CKSTCurve* curve = m_host->GetCurve(i, true);
        if (curve && curve->GetYAxis() == m_axis) {
            return curve;
        }
    }
    return nullptr;
}

uint32_t CKSTYAxisDlg::AutomaticColour() const
{
    const CKSTCurve* curve = FirstCurveOnAxis();
    return curve ? curve->GetColor() : m_host->GetWindowSettings().m_YTextColor;
}

void CKSTYAxisDlg::ExportToDialog(CKSTYAxis& axis)
{
    m_axis = &axis;
    const int16_t exponent = axis.GetLabelExponent();
    m_factor = KstLabelFactor(exponent);
    m_unit = axis.GetUnit();
    FormatExponentSuffix(m_unit, exponent, static_cast<int16_t>(axis.GetUnitPrefixMode()),
                         m_prefixedUnit);
    if (axis.GetScaleType() == CKSTYAxis::kScaleLogarithmic) {
        m_minimum = std::pow(10.0, axis.GetMinimum()) / m_factor;
        m_maximum = std::pow(10.0, axis.GetMaximum()) / m_factor;
        m_spacing = std::pow(10.0, axis.GetTickSpacing()) / m_factor;
    } else {
        m_minimum = axis.GetMinimum() / m_factor;
        m_maximum = axis.GetMaximum() / m_factor;
        m_spacing = axis.GetTickSpacing() / m_factor;
    }
    if (axis.GetScaleType() == CKSTYAxis::kScaleDecibel) {
        m_prefixedUnit = "dB";
    }
    m_manualRange = axis.IsAutoRange() ? 0 : 1;
    m_manualTicks = axis.IsAutoTicks() ? 0 : 1;
    m_lowestOnTop = axis.IsLowestOnTop() ? 1 : 0;
    m_autoColour = axis.GetColour() == KST_COLOR_AUTOMATIC ? 1 : 0;
    m_colour = m_autoColour ? AutomaticColour() : axis.GetColour();
    m_prefixMode = static_cast<int>(axis.GetUnitPrefixMode());
    m_scaleType = static_cast<int>(axis.GetScaleType());
    m_shownAutoRange = axis.IsAutoRange();
    m_shownMinimum = m_minimum;
    m_shownMaximum = m_maximum;
}

void CKSTYAxisDlg::ShowAxisTexts()
{
    SetWindowText((Text(KST_STR_CW_Y_AXIS) + ": " + m_axis->GetCaption()).c_str());
    for (int id : {IDC_YAXIS_MIN_UNIT, IDC_YAXIS_MAX_UNIT, IDC_YAXIS_SPACING_UNIT}) {
        SetDlgItemText(id, m_prefixedUnit.c_str());
    }
    SetItemText(IDC_YAXIS_SPACING_LABEL, m_scaleType == CKSTYAxis::kScaleLogarithmic
                                             ? KST_STR_CWD_FACTOR
                                             : KST_STR_CWD_SPACING);
}

BOOL CKSTYAxisDlg::OnInitDialog()
{
    SetItemText(IDC_YAXIS_SCALING_GROUP, KST_STR_CWD_SCALING);
    SetItemText(IDC_YAXIS_RANGE_AUTO, KST_STR_CWD_AUTO);
    SetItemText(IDC_YAXIS_RANGE_MANUAL, KST_STR_CWD_MANUAL);
    SetItemText(IDC_YAXIS_MIN_LABEL, KST_STR_CWD_Y_MIN);
    SetItemText(IDC_YAXIS_MAX_LABEL, KST_STR_CWD_Y_MAX);
    SetItemText(IDC_YAXIS_TYPE_LABEL, KST_STR_CWD_TYPE);
    SetItemText(IDC_YAXIS_UNIT_GROUP, KST_STR_CWD_UNIT);
    SetItemText(IDC_YAXIS_TICKS_GROUP, KST_STR_CWD_TICKS);
    SetItemText(IDC_YAXIS_TICKS_AUTO, KST_STR_CWD_AUTO);
    SetItemText(IDC_YAXIS_TICKS_MANUAL, KST_STR_CWD_MANUAL);
    SetItemText(IDC_YAXIS_LOWEST_ON_TOP, KST_STR_CWD_Y_LOWEST_ON_TOP);
    SetItemText(IDC_YAXIS_COLOR_LABEL, KST_STR_CWD_COLOR);
    SetItemText(IDC_YAXIS_COLOR_AUTO, KST_STR_CWD_AUTO_COLOR);
    SetItemText(IDC_YAXIS_PREVIOUS, KST_STR_CWD_OK_PREVIOUS);
    SetItemText(IDC_YAXIS_NEXT, KST_STR_CWD_OK_NEXT);
    SetItemText(IDOK, KST_STR_OK);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    FillCombo(IDC_YAXIS_TYPE, {KST_STR_CWD_Y_LINEAR, KST_STR_CWD_Y_LOGARITHMIC,
                               KST_STR_CWD_Y_DECIBEL});
    FillCombo(IDC_YAXIS_PREFIX, {KST_STR_CWD_PREFIX_NONE, KST_STR_CWD_PREFIX_THOUSANDS,
                                 KST_STR_CWD_PREFIX_SMALL, KST_STR_CWD_PREFIX_ALL});
    ::SendDlgItemMessageA(m_hWnd, IDC_YAXIS_UNIT, EM_SETREADONLY, !m_host->CanEditUnits(), 0);
    CDialog::OnInitDialog();
    ShowAxisTexts();
    return TRUE;
}

void CKSTYAxisDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Radio(dx, IDC_YAXIS_RANGE_AUTO, m_manualRange);
    DDX_CBIndex(dx, IDC_YAXIS_TYPE, m_scaleType);
    DDX_Text(dx, IDC_YAXIS_UNIT, m_unit);
    DDX_CBIndex(dx, IDC_YAXIS_PREFIX, m_prefixMode);
    DDX_Radio(dx, IDC_YAXIS_TICKS_AUTO, m_manualTicks);
    DDX_Check(dx, IDC_YAXIS_LOWEST_ON_TOP, m_lowestOnTop);
    DDX_Check(dx, IDC_YAXIS_COLOR_AUTO, m_autoColour);
    // Hidden numbers are not read, so they cannot refuse OK.
    const bool save = dx->m_bSaveAndValidate;
    if (!save || m_manualRange == 1) {
        DDX_Text(dx, IDC_YAXIS_MIN, m_minimum);
        DDX_Text(dx, IDC_YAXIS_MAX, m_maximum);
    }
    if (!save || m_manualTicks == 1) {
        DDX_Text(dx, IDC_YAXIS_SPACING, m_spacing);
    }
    for (int id : {IDC_YAXIS_MIN_LABEL, IDC_YAXIS_MIN, IDC_YAXIS_MIN_UNIT, IDC_YAXIS_MAX_LABEL,
                   IDC_YAXIS_MAX, IDC_YAXIS_MAX_UNIT}) {
        ShowItem(id, m_manualRange == 1);
    }
    for (int id : {IDC_YAXIS_SPACING_LABEL, IDC_YAXIS_SPACING, IDC_YAXIS_SPACING_UNIT}) {
        ShowItem(id, m_manualTicks == 1);
    }
}

void CKSTYAxisDlg::OnRadio()
{
    UpdateData(TRUE);
}

void CKSTYAxisDlg::OnScaleTypeChanged()
{
    const int from = m_scaleType;
    const int to =
        static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_YAXIS_TYPE, CB_GETCURSEL, 0, 0));
    // The numbers as entered, still in the old scale; hidden ones keep what they showed.
    ::SendDlgItemMessageA(m_hWnd, IDC_YAXIS_TYPE, CB_SETCURSEL, from, 0);
    if (!UpdateData(TRUE) || to < 0) {
        UpdateData(FALSE);
        return;
    }
    const KstYScaleValues converted =
        KstConvertYScale({m_minimum, m_maximum, m_spacing}, static_cast<uint32_t>(from),
                         static_cast<uint32_t>(to));
    m_minimum = converted.minimum;
    m_maximum = converted.maximum;
    m_spacing = converted.spacing;
    m_scaleType = to;
    if (to == CKSTYAxis::kScaleDecibel) {
        m_prefixedUnit = "dB";
    } else if (from == CKSTYAxis::kScaleDecibel) {
        FormatExponentSuffix(m_unit, 0, static_cast<int16_t>(m_prefixMode), m_prefixedUnit);
    }
    UpdateData(FALSE);
    ShowAxisTexts();
}

void CKSTYAxisDlg::OnAutoColour()
{
    UpdateData(TRUE);
    if (m_autoColour) {
        m_colour = AutomaticColour();
    }
    Invalidate();
}

void CKSTYAxisDlg::OnColour()
{
    UpdateData(TRUE);
    if (!m_autoColour && ChooseColour(m_colour)) {
        Invalidate();
    }
}

void CKSTYAxisDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
{
    if (id == IDC_YAXIS_COLOR) {
        DrawColourButton(*draw, m_colour);
    }
}

void CKSTYAxisDlg::OnOK()
{
    if (UpdateData(TRUE)) {
        EndDialog(IDOK);
    }
}

void CKSTYAxisDlg::OnPrevious()
{
    Step(false);
}

void CKSTYAxisDlg::OnNext()
{
    Step(true);
}

void CKSTYAxisDlg::Step(bool forward)
{
    if (!UpdateData(TRUE)) {
        return;
    }
    ApplyDialog();
    CKSTYAxis* next =
        forward ? m_host->GetNextAxis(m_axis, false) : m_host->GetPreviousAxis(m_axis, false);
    if (next) {
        ExportToDialog(*next);
    }
    UpdateData(FALSE);
    ShowAxisTexts();
    Invalidate();
}

void CKSTYAxisDlg::ApplyDialog()
{
    IKSTCurveDialogHost& host = *m_host;
    CKSTYAxis& axis = *m_axis;
    if (m_scaleType >= 0 && static_cast<uint32_t>(m_scaleType) != axis.GetScaleType()) {
        axis.SetScaleType(static_cast<uint32_t>(m_scaleType));
        host.SetModified();
    }
    if (host.CanEditUnits() && m_unit != axis.GetUnit()) {
        const int count = host.GetCurveCount(true);
        for (int i = 0; i < count; ++i) {
            CKSTCurve* curve = host.GetCurve(i, true);
            if (curve && curve->GetYAxis() == &axis && curve->GetChannel()) {
                curve->GetChannel()->SetUnit(m_unit);
            }
        }
        axis.SetUnit(m_unit);
        host.SetModified();
    }

    double minimum = m_minimum * m_factor;
    double maximum = m_maximum * m_factor;
    double spacing = m_spacing * m_factor;
    if (m_scaleType == CKSTYAxis::kScaleLogarithmic) {
        minimum = std::log10(minimum);
        maximum = std::log10(maximum);
        spacing = std::log10(m_spacing);
    }
    CKSTCurve* first = FirstCurveOnAxis();
    if (std::isfinite(minimum) && std::isfinite(maximum) && maximum > minimum) {
        if (m_manualRange == 1) {
            if (Differs(minimum, axis.GetMinimum()) || Differs(maximum, axis.GetMaximum()) ||
                axis.IsAutoRange()) {
                if (first) {
                    first->SetAxisRange(minimum, maximum);
                } else {
                    axis.SetRange(minimum, maximum, false);
                }
                host.SetModified();
            }
        } else if (!m_shownAutoRange || !axis.IsAutoRange() ||
                   Differs(m_minimum, m_shownMinimum) || Differs(m_maximum, m_shownMaximum)) {
            axis.SetRange(minimum, maximum, true);
            host.RecalcGroupRanges();
            host.SetModified();
        }
    }
    if (m_prefixMode >= 0 && static_cast<uint32_t>(m_prefixMode) != axis.GetUnitPrefixMode()) {
        axis.SetUnitPrefixMode(static_cast<uint32_t>(m_prefixMode));
        host.SetModified();
    }
    auto setTicks = [&](double value, bool automatic) {
        if (first) {
            first->SetAxisParameter(value, automatic);
        } else {
            axis.SetTickSpacing(value, automatic);
        }
        host.SetModified();
    };
    if (m_manualTicks == 1) {
        const double ticks = (axis.GetMaximum() - axis.GetMinimum()) / spacing;
        if (std::isfinite(spacing) && spacing >= 0.0 && ticks <= CKSTYAxis::kMaxTicks &&
            (axis.IsAutoTicks() || Differs(spacing, axis.GetTickSpacing()))) {
            setTicks(spacing, false);
        }
    } else if (!axis.IsAutoTicks()) {
        setTicks(axis.GetTickSpacing(), true);
    }
    if ((m_lowestOnTop != 0) != axis.IsLowestOnTop()) {
        axis.SetLowestOnTop(m_lowestOnTop != 0);
        host.SetModified();
    }
    const uint32_t colour = m_autoColour ? KST_COLOR_AUTOMATIC : m_colour;
    if (colour != axis.GetColour()) {
        axis.SetColour(colour);
        host.SetModified();
    }
    axis.Invalidate();
    host.RecalcLayout();
    host.UpdateNow();
}
