#include "curvewnd/win/XAxisDlg.h"

#include <cmath>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveDialogMappings.h"
#include "curvewnd/XAxis.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "resources/StringIds.h"

namespace {

constexpr double kTolerance = 1e-12;

bool Differs(double a, double b)
{
    return std::fabs(a - b) > kTolerance;
}

constexpr int kTypeTexts[] = {
    KST_STR_CWD_X_STANDARD,    KST_STR_CWD_X_ABSOLUTE_TIME, KST_STR_CWD_X_RELATIVE_TIME,
    KST_STR_CWD_X_XY_DISPLAY,  KST_STR_CWD_X_CHANNEL_AXIS,  KST_STR_CWD_X_TRACK,
};

bool UsesXChannel(int entry)
{
    return entry == kKstXTypeXYDisplay || entry == kKstXTypeChannelAsAxis;
}

}  // namespace

BEGIN_MESSAGE_MAP(CKSTXAxisDlg, CDialog)
ON_CBN_SELCHANGE(IDC_XAXIS_TYPE, OnTypeChanged)
ON_CBN_SELCHANGE(IDC_XAXIS_CHANNEL, OnTypeChanged)
ON_BN_CLICKED(IDC_XAXIS_RANGE_AUTO, OnRadio)
ON_BN_CLICKED(IDC_XAXIS_RANGE_MINMAX, OnRadio)
ON_BN_CLICKED(IDC_XAXIS_RANGE_SPAN, OnRadio)
ON_BN_CLICKED(IDC_XAXIS_RANGE_POINTS, OnRadio)
ON_BN_CLICKED(IDC_XAXIS_TICKS_AUTO, OnRadio)
ON_BN_CLICKED(IDC_XAXIS_TICKS_MANUAL, OnRadio)
ON_BN_CLICKED(IDC_XAXIS_COLOR, OnColour)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CKSTXAxisDlg::CKSTXAxisDlg(IKSTCurveDialogHost& host, CWnd* parent)
    : CKSTCurveDialog(IDD, host, parent)
{
}

INT_PTR CKSTXAxisDlg::EditSettings(IKSTCurveDialogHost& host, CWnd* parent)
{
    CKSTXAxis* axis = host.GetXAxis();
    if (!axis) {
        return IDCANCEL;
    }
    CKSTXAxisDlg dialog(host, parent);
    dialog.ExportToDialog(*axis);
    const INT_PTR result = dialog.DoModal();
    if (result == IDOK) {
        dialog.ApplyDialog();
    }
    return result;
}

double CKSTXAxisDlg::ChannelSpanFactor(const CKSTXAxis& axis) const
{
    const CKSTChannel* channel = m_host->GetXChannel();
    if (m_host->GetDisplayKind() != 3 || !channel) {
        return 1.0;
    }
    const double minimum = axis.GetRootMinimum();
    const double maximum = axis.GetRootMaximum();
    const double valueSpan = channel->GetValueAtTime(maximum) - channel->GetValueAtTime(minimum);
    // A channel that takes the same value at both ends has no span to scale by.
    if (!std::isfinite(valueSpan) || std::fabs(valueSpan) < 1e-300) {
        return 1.0;
    }
    return (maximum - minimum) / valueSpan;
}

void CKSTXAxisDlg::ExportToDialog(const CKSTXAxis& axis)
{
    m_typeEntry = KstXTypeEntryOf(m_host->GetDisplayKind(), axis.GetType());
    m_xChannel = -1;
    const CKSTChannel* xChannel = m_host->GetXChannel();
    const int count = m_host->GetCurveCount(false);
    for (int i = 0; i < count; ++i) {
        const CKSTCurve* curve = m_host->GetCurve(i, false);
        if (curve && xChannel && curve->GetChannel() == xChannel) {
            m_xChannel = i;
            break;
        }
    }
    // Without an X channel yet, the list offers the first curve for one.
    if (m_xChannel < 0 && count > 0) {
        m_xChannel = 0;
    }
    const double minimum = axis.GetRootMinimum();
    const double maximum = axis.GetRootMaximum();
    m_minimum = minimum;
    m_maximum = maximum;
    m_minimumTime = axis.GetReferenceTime() + minimum;
    m_maximumTime = axis.GetReferenceTime() + maximum;
    m_minimumSeconds = minimum;
    m_maximumSeconds = maximum;
    const CKSTXAxis& ranged = axis.GetRangeTemplate() ? *axis.GetRangeTemplate() : axis;
    m_span = ranged.GetSpan();
    if (axis.GetType() == CKSTXAxis::kTypeTrack && xChannel) {
        m_minimum = axis.TrackValueAtTime(minimum);
        m_maximum = axis.TrackValueAtTime(maximum);
    } else if (m_host->GetDisplayKind() == 3 && xChannel) {
        m_minimum = xChannel->GetValueAtTime(minimum);
        m_maximum = xChannel->GetValueAtTime(maximum);
        m_span /= ChannelSpanFactor(axis);
    }
    m_rangeMode = static_cast<int>(axis.GetRangeTemplate() ? ranged.GetRangeMode()
                                                           : axis.GetRootRangeMode());
    m_points = static_cast<int>(std::lround(std::fmin(std::fabs(ranged.GetSpan()), 2e9)));
    m_prefixMode = static_cast<int>(axis.GetUnitPrefixMode());
    m_manualTicks = axis.IsAutoTicks() ? 0 : 1;
    m_spacing = axis.GetTickSpacing();
    m_spacingSeconds = axis.GetTickSpacing();
    m_atDataPoints = axis.IsTicksAtDataPoints() ? 1 : 0;
    m_unit = axis.GetUnitText();
    m_colour = m_host->GetWindowSettings().m_XTextColor;
    m_rotation = axis.GetLabelRotation();

    m_shownRangeMode = m_rangeMode;
    m_shownMinimum = m_minimum;
    m_shownMaximum = m_maximum;
    m_shownSpan = m_span;
    m_shownPoints = m_points;
}

void CKSTXAxisDlg::FillTypeList()
{
    const CKSTXAxis* axis = m_host->GetXAxis();
    const uint32_t kind = m_host->GetDisplayKind();
    const bool xyAvailable = kind == 1 || kind == 3 || m_host->GetCurveCount(false) >= 2;
    HWND combo = ::GetDlgItem(m_hWnd, IDC_XAXIS_TYPE);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    // Each entry carries its place in the full list, so a shortened list maps to the right
    // type.
    for (int entry : KstXTypeEntries(axis && axis->IsNumericOnly(), xyAvailable,
                                     m_host->HasTrackOption())) {
        const LRESULT index = ::SendMessageA(combo, CB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(Text(kTypeTexts[entry]).c_str()));
        ::SendMessageA(combo, CB_SETITEMDATA, index, entry);
    }
}

BOOL CKSTXAxisDlg::OnInitDialog()
{
    SetWindowText(Text(KST_STR_CW_X_AXIS).c_str());
    SetItemText(IDC_XAXIS_SCALING_GROUP, KST_STR_CWD_SCALING);
    SetItemText(IDC_XAXIS_TYPE_LABEL, KST_STR_CWD_TYPE);
    SetItemText(IDC_XAXIS_RANGE_AUTO, KST_STR_CWD_AUTO);
    SetItemText(IDC_XAXIS_RANGE_MINMAX, KST_STR_CWD_X_MINMAX_FIXED);
    SetItemText(IDC_XAXIS_RANGE_SPAN, KST_STR_CWD_X_RANGE_FIXED);
    SetItemText(IDC_XAXIS_RANGE_POINTS, KST_STR_CWD_X_POINTS_FIXED);
    SetItemText(IDC_XAXIS_CHANNEL_LABEL, KST_STR_CWD_X_CHANNEL);
    SetItemText(IDC_XAXIS_MIN_LABEL, KST_STR_CWD_X_MIN);
    SetItemText(IDC_XAXIS_MAX_LABEL, KST_STR_CWD_X_MAX);
    SetItemText(IDC_XAXIS_SPAN_LABEL, KST_STR_CWD_X_RANGE);
    SetItemText(IDC_XAXIS_POINTS_LABEL, KST_STR_CWD_X_POINTS);
    SetItemText(IDC_XAXIS_UNIT_GROUP, KST_STR_CWD_UNIT);
    SetItemText(IDC_XAXIS_TICKS_GROUP, KST_STR_CWD_TICKS);
    SetItemText(IDC_XAXIS_TICKS_AUTO, KST_STR_CWD_AUTO);
    SetItemText(IDC_XAXIS_TICKS_MANUAL, KST_STR_CWD_MANUAL);
    SetItemText(IDC_XAXIS_SPACING_LABEL, KST_STR_CWD_SPACING);
    SetItemText(IDC_XAXIS_AT_DATA_POINTS, KST_STR_CWD_X_AT_DATA_POINTS);
    SetItemText(IDC_XAXIS_COLOR_LABEL, KST_STR_CWD_COLOR);
    SetItemText(IDC_XAXIS_ROTATION_LABEL, KST_STR_CWD_ROTATION);
    SetItemText(IDOK, KST_STR_OK);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    FillTypeList();
    FillCurveList(IDC_XAXIS_CHANNEL);
    FillCombo(IDC_XAXIS_PREFIX, {KST_STR_CWD_PREFIX_NONE, KST_STR_CWD_PREFIX_THOUSANDS,
                                 KST_STR_CWD_PREFIX_SMALL, KST_STR_CWD_PREFIX_ALL});
    CDialog::OnInitDialog();
    UpdateUnitTexts();
    return TRUE;
}

bool CKSTXAxisDlg::IsTimeType() const
{
    return m_typeEntry == kKstXTypeAbsoluteTime || m_typeEntry == kKstXTypeRelativeTime;
}

void CKSTXAxisDlg::DoDataExchange(CDataExchange* dx)
{
    HWND typeList = ::GetDlgItem(m_hWnd, IDC_XAXIS_TYPE);
    if (dx->m_bSaveAndValidate) {
        const LRESULT index = ::SendMessageA(typeList, CB_GETCURSEL, 0, 0);
        if (index >= 0) {
            m_typeEntry = static_cast<int>(::SendMessageA(typeList, CB_GETITEMDATA, index, 0));
        }
    } else {
        const int count = static_cast<int>(::SendMessageA(typeList, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            if (::SendMessageA(typeList, CB_GETITEMDATA, i, 0) == m_typeEntry) {
                ::SendMessageA(typeList, CB_SETCURSEL, i, 0);
            }
        }
    }
    DDX_Radio(dx, IDC_XAXIS_RANGE_AUTO, m_rangeMode);
    DDX_CBIndex(dx, IDC_XAXIS_CHANNEL, m_xChannel);
    DDX_CBIndex(dx, IDC_XAXIS_PREFIX, m_prefixMode);
    DDX_Radio(dx, IDC_XAXIS_TICKS_AUTO, m_manualTicks);
    DDX_Check(dx, IDC_XAXIS_AT_DATA_POINTS, m_atDataPoints);
    DDX_Text(dx, IDC_XAXIS_ROTATION, m_rotation);
    // Only what the type and the modes show is read, so a hidden field cannot refuse OK.
    const bool save = dx->m_bSaveAndValidate;
    if (!save || (m_rangeMode == 1 && !IsTimeType())) {
        DDX_Text(dx, IDC_XAXIS_MIN, m_minimum);
        DDX_Text(dx, IDC_XAXIS_MAX, m_maximum);
    }
    if (!save || m_rangeMode == 2) {
        DDX_Text(dx, IDC_XAXIS_SPAN, m_span);
    }
    if (!save || m_rangeMode == 3) {
        DDX_Text(dx, IDC_XAXIS_POINTS, m_points);
    }
    if (!save || (m_manualTicks && !IsTimeType())) {
        DDX_Text(dx, IDC_XAXIS_SPACING, m_spacing);
    }
    if (!save || (m_rangeMode == 1 && m_typeEntry == kKstXTypeAbsoluteTime)) {
        DDX_DateTime(dx, IDC_XAXIS_MIN_DATE, IDC_XAXIS_MIN_TIME, m_minimumTime);
        DDX_DateTime(dx, IDC_XAXIS_MAX_DATE, IDC_XAXIS_MAX_TIME, m_maximumTime);
    }
    if (!save || (m_rangeMode == 1 && m_typeEntry == kKstXTypeRelativeTime)) {
        DDX_Duration(dx, IDC_XAXIS_MIN_SPAN, m_minimumSeconds);
        DDX_Duration(dx, IDC_XAXIS_MAX_SPAN, m_maximumSeconds);
    }
    if (!save || (m_manualTicks && IsTimeType())) {
        DDX_Duration(dx, IDC_XAXIS_SPACING_SPAN, m_spacingSeconds);
    }
    ApplyShowRules();
}

void CKSTXAxisDlg::ApplyShowRules()
{
    const bool numbers = !IsTimeType();
    const bool minMax = m_rangeMode == 1;
    for (int id : {IDC_XAXIS_MIN_LABEL, IDC_XAXIS_MAX_LABEL}) {
        ShowItem(id, minMax);
    }
    for (int id : {IDC_XAXIS_MIN, IDC_XAXIS_MIN_UNIT, IDC_XAXIS_MAX, IDC_XAXIS_MAX_UNIT}) {
        ShowItem(id, minMax && numbers);
    }
    for (int id : {IDC_XAXIS_MIN_DATE, IDC_XAXIS_MIN_TIME, IDC_XAXIS_MAX_DATE,
                   IDC_XAXIS_MAX_TIME}) {
        ShowItem(id, minMax && m_typeEntry == kKstXTypeAbsoluteTime);
    }
    ShowDuration(IDC_XAXIS_MIN_SPAN, minMax && m_typeEntry == kKstXTypeRelativeTime);
    ShowDuration(IDC_XAXIS_MAX_SPAN, minMax && m_typeEntry == kKstXTypeRelativeTime);
    for (int id : {IDC_XAXIS_SPAN_LABEL, IDC_XAXIS_SPAN, IDC_XAXIS_SPAN_UNIT}) {
        ShowItem(id, m_rangeMode == 2);
    }
    for (int id : {IDC_XAXIS_POINTS_LABEL, IDC_XAXIS_POINTS}) {
        ShowItem(id, m_rangeMode == 3);
    }
    const bool manual = m_manualTicks == 1;
    ShowItem(IDC_XAXIS_SPACING_LABEL, manual);
    ShowItem(IDC_XAXIS_SPACING, manual && numbers);
    ShowItem(IDC_XAXIS_SPACING_UNIT, manual && numbers);
    ShowDuration(IDC_XAXIS_SPACING_SPAN, manual && !numbers);
    EnableItem(IDC_XAXIS_PREFIX, numbers);
    const bool channel = UsesXChannel(m_typeEntry);
    for (int id : {IDC_XAXIS_CHANNEL_LABEL, IDC_XAXIS_CHANNEL, IDC_XAXIS_AT_DATA_POINTS}) {
        ShowItem(id, channel);
    }
}

void CKSTXAxisDlg::UpdateUnitTexts()
{
    CKSTString unit;
    const CKSTCurve* curve = UsesXChannel(m_typeEntry) ? CurveAt(m_xChannel) : CurveAt(0);
    if (curve && curve->GetChannel()) {
        unit = curve->GetChannel()->GetUnit();
    }
    for (int id : {IDC_XAXIS_MIN_UNIT, IDC_XAXIS_MAX_UNIT, IDC_XAXIS_SPAN_UNIT,
                   IDC_XAXIS_SPACING_UNIT}) {
        SetDlgItemText(id, unit.c_str());
    }
}

void CKSTXAxisDlg::OnTypeChanged()
{
    if (UpdateData(TRUE)) {
        UpdateUnitTexts();
    }
}

void CKSTXAxisDlg::OnRadio()
{
    UpdateData(TRUE);
}

void CKSTXAxisDlg::OnColour()
{
    if (ChooseColour(m_colour)) {
        Invalidate();
    }
}

void CKSTXAxisDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
{
    if (id == IDC_XAXIS_COLOR) {
        DrawColourButton(*draw, m_colour);
    }
}

void CKSTXAxisDlg::OnOK()
{
    if (UpdateData(TRUE)) {
        EndDialog(IDOK);
    }
}

void CKSTXAxisDlg::ApplyDialog()
{
    IKSTCurveDialogHost& host = *m_host;
    CKSTXAxis* axis = host.GetXAxis();
    if (!axis) {
        return;
    }
    const KstXTypeCode code = KstXTypeCodeOf(m_typeEntry);
    const CKSTCurve* xCurve = CurveAt(m_xChannel);
    const CKSTString xName =
        code.displayKind != 0 && xCurve ? xCurve->GetChannelName() : CKSTString();
    if (code.displayKind != host.GetDisplayKind()) {
        host.RezoomTotal();
        host.SetDisplayKind(code.displayKind, xName);
        host.SetModified();
    } else if (code.displayKind != 0) {
        const CKSTChannel* current = host.GetXChannel();
        if (!current || current->GetName() != xName) {
            host.SetDisplayKind(code.displayKind, xName);
            host.SetModified();
        }
    }
    // A new display kind may have given the window a new axis.
    axis = host.GetXAxis();
    if (!axis) {
        return;
    }
    const uint32_t oldType = axis->GetType();
    if (code.axisType != oldType) {
        axis->SetType(code.axisType);
        host.SetModified();
        if (oldType == CKSTXAxis::kTypeAbsoluteTime ||
            code.axisType == CKSTXAxis::kTypeAbsoluteTime) {
            host.RezoomTotal();
            host.UpdateXRange();
        }
        host.SetXAxisForGroups();
    }

    double minimum = m_minimum;
    double maximum = m_maximum;
    double span = m_span;
    const CKSTChannel* xChannel = host.GetXChannel();
    if (m_typeEntry == kKstXTypeAbsoluteTime) {
        minimum = (m_minimumTime - axis->GetReferenceTime()).GetSeconds();
        maximum = (m_maximumTime - axis->GetReferenceTime()).GetSeconds();
    } else if (m_typeEntry == kKstXTypeRelativeTime) {
        minimum = m_minimumSeconds;
        maximum = m_maximumSeconds;
    } else if (m_typeEntry == kKstXTypeTrack && xChannel) {
        minimum = axis->TimeAtTrackValue(m_minimum, axis->GetRootMinimum());
        maximum = axis->TimeAtTrackValue(m_maximum, axis->GetRootMaximum());
    } else if (host.GetDisplayKind() == 3 && xChannel) {
        if (Differs(m_minimum, m_shownMinimum) || Differs(m_maximum, m_shownMaximum)) {
            minimum = xChannel->FindLevelCrossingTime(m_minimum);
            maximum = xChannel->FindLevelCrossingTime(m_maximum);
        } else {
            minimum = axis->GetRootMinimum();
            maximum = axis->GetRootMaximum();
        }
        span = std::fabs(m_span * ChannelSpanFactor(*axis));
    }
    if (m_rangeMode == 3) {
        span = static_cast<double>(m_points);
    }

    const uint32_t mode = static_cast<uint32_t>(m_rangeMode);
    const bool changed = m_rangeMode != m_shownRangeMode ||
                         Differs(minimum, axis->GetRootMinimum()) ||
                         Differs(maximum, axis->GetRootMaximum()) ||
                         (m_rangeMode == 2 && Differs(m_span, m_shownSpan)) ||
                         (m_rangeMode == 3 && m_points != m_shownPoints);
    if (changed && maximum > minimum) {
        switch (mode) {
            case CKSTXAxis::kRangeAutomatic:
                if (axis->GetRootRangeMode() != CKSTXAxis::kRangeAutomatic) {
                    axis->SetRootRangeMode(CKSTXAxis::kRangeAutomatic);
                    host.RezoomTotal();
                    axis->SetRange(minimum, maximum, CKSTXAxis::kRangeAutomatic, true);
                    host.UpdateXRange();
                    axis->DeleteRangeTemplates();
                    host.SetModified();
                }
                break;
            case CKSTXAxis::kRangeMinMaxFixed:
                host.RezoomTotal();
                axis->SetRange(minimum, maximum, CKSTXAxis::kRangeMinMaxFixed, true);
                host.SetXAxisForGroups();
                axis->DeleteRangeTemplates();
                host.SetModified();
                break;
            default:
                host.RezoomTotal();
                axis->SetSpan(span, mode, true);
                host.UpdateXRange();
                host.SetModified();
                break;
        }
    }

    if (static_cast<uint32_t>(m_prefixMode) != axis->GetUnitPrefixMode() && m_prefixMode >= 0) {
        axis->SetUnitPrefixMode(static_cast<uint32_t>(m_prefixMode));
        host.SetModified();
    }

    const bool atDataPoints = m_atDataPoints != 0;
    const double oldSpacing = axis->GetTickSpacing();
    if (!m_manualTicks) {
        if (!axis->IsAutoTicks() || atDataPoints != axis->IsTicksAtDataPoints()) {
            host.SetXAxisTicks(m_spacing, true, atDataPoints);
            host.SetModified();
        }
    } else {
        const double spacing = IsTimeType() ? m_spacingSeconds : m_spacing;
        if (spacing >= 0.0) {
            const double ticks = (axis->GetMaximum() - axis->GetMinimum()) / spacing;
            if (!(ticks <= CKSTXAxis::kMaxManualTicks)) {
                host.SetXAxisTicks(oldSpacing, true, atDataPoints);
            } else {
                host.SetXAxisTicks(spacing, false, atDataPoints);
            }
            host.SetModified();
        }
    }

    if (m_colour != host.GetWindowSettings().m_XTextColor) {
        host.SetXTextColor(m_colour);
        host.SetModified();
    }
    if (m_rotation != axis->GetLabelRotation()) {
        host.SetXAxisRotation(KstClampLabelRotation(m_rotation));
        host.SetModified();
    }
}
