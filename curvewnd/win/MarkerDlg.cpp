#include "curvewnd/win/MarkerDlg.h"

#include <cmath>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveDialogMappings.h"
#include "curvewnd/XAxis.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "data/settings/SettingsColors.h"
#include "foundation/LabelText.h"
#include "foundation/Numeric.h"
#include "framework/Controls.h"
#include "resources/StringIds.h"

namespace {

// Every input of the dialog: a locked marker disables them all.
constexpr int kInputs[] = {
    IDC_MARKER_TEXT,        IDC_MARKER_ADJUST,          IDC_MARKER_X,
    IDC_MARKER_X_DATE,      IDC_MARKER_X_TIME,          IDC_MARKER_X_FRACTION,
    IDC_MARKER_TYPE,        IDC_MARKER_ROTATION,        IDC_MARKER_CURVE,
    IDC_MARKER_FRAME,       IDC_MARKER_POINTER,         IDC_MARKER_TEXT_COLOR,
    IDC_MARKER_TEXT_COLOR_AUTO, IDC_MARKER_BACK_COLOR,  IDC_MARKER_BACK_MODE,
    IDC_MARKER_FONT,        IDC_MARKER_DEFAULT,
};

}  // namespace

BEGIN_MESSAGE_MAP(CKSTMarkerDlg, CDialog)
ON_CBN_SELCHANGE(IDC_MARKER_TYPE, OnChanged)
ON_CBN_SELCHANGE(IDC_MARKER_CURVE, OnChanged)
ON_CBN_SELCHANGE(IDC_MARKER_BACK_MODE, OnChanged)
ON_BN_CLICKED(IDC_MARKER_TEXT_COLOR_AUTO, OnChanged)
ON_BN_CLICKED(IDC_MARKER_TEXT_COLOR, OnTextColour)
ON_BN_CLICKED(IDC_MARKER_BACK_COLOR, OnBackColour)
ON_BN_CLICKED(IDC_MARKER_FONT, OnFont)
ON_BN_CLICKED(IDC_MARKER_DELETE, OnDelete)
ON_BN_CLICKED(IDC_MARKER_PREVIOUS, OnPrevious)
ON_BN_CLICKED(IDC_MARKER_NEXT, OnNext)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CKSTMarkerDlg::CKSTMarkerDlg(IKSTCurveDialogHost& host, CWnd* parent)
    : CKSTCurveDialog(IDD, host, parent)
{
}

INT_PTR CKSTMarkerDlg::CreateMarker(IKSTCurveDialogHost& host, CKSTPlotMarker* marker,
                                    CWnd* parent)
{
    if (host.GetCurveCount(false) == 0) {
        return IDCANCEL;
    }
    KstInitRichEdit();
    CKSTMarkerDlg dialog(host, parent);
    dialog.FillFromMarker(marker);
    return dialog.DoModal();
}

uint32_t CKSTMarkerDlg::AxisType() const
{
    const CKSTXAxis* axis = m_host->GetXAxis();
    return axis ? axis->GetType() : CKSTXAxis::kTypeStandard;
}

double CKSTMarkerDlg::XFactor() const
{
    const CKSTXAxis* axis = m_host->GetXAxis();
    if (!axis || axis->GetUnitPrefixMode() == 0) {
        return 1.0;
    }
    return KstLabelFactor(EngineeringExponentOfMax(axis->GetMinimum(), axis->GetMaximum()));
}

void CKSTMarkerDlg::FillFromMarker(CKSTPlotMarker* marker)
{
    CollectCurves();
    const CKSTCurve* owner = marker ? FindOwnerCurve(marker->GetOwner()) : nullptr;
    m_marker = owner ? marker : nullptr;
    CKSTPlotMarker look;
    if (m_marker) {
        look.CopyFrom(*m_marker);
        m_curveIndex = CurveListIndex(owner);
        m_time = m_marker->GetTime();
        m_default = m_marker->IsDefaultMarker() ? 1 : 0;
    } else {
        const CKSTPlotMarker* style = nullptr;
        for (const CKSTCurve* curve : m_curves) {
            if ((style = curve->GetDefaultMarkerEvent()) != nullptr) {
                break;
            }
        }
        if (style) {
            look.CopyFrom(*style);
            look.SetText(CKSTString());
            look.SetLocked(false);
        } else {
            look.SetFont(m_host->GetWindowSettings().m_AxesFontDesc);
        }
        m_curveIndex = 0;
        m_time = m_host->GetLeftCursorValue();
        m_default = 0;
    }
    m_text = look.GetText();
    m_adjust = look.IsAtDataPoint() ? 1 : 0;
    m_typeIndex = KstMarkerTypeToIndex(look.GetType());
    m_rotationIndex = KstMarkerAngleToIndex(look.GetAngle());
    m_frame = look.HasFrame() ? 1 : 0;
    m_pointer = look.HasPointer() ? 1 : 0;
    m_autoTextColour = look.GetTextColour() == KST_COLOR_AUTOMATIC ? 1 : 0;
    const CKSTCurve* curve = CurveAt(m_curveIndex);
    m_textColour = m_autoTextColour ? (curve ? curve->GetColor() : 0) : look.GetTextColour();
    m_backIndex = KstBackgroundToIndex(look.GetBackgroundColour());
    m_backColour = m_backIndex == kKstBackManual ? look.GetBackgroundColour()
                                                 : m_host->GetWindowSettings().m_PlotBackgroundColor;
    m_font = look.GetFont();
    m_locked = look.IsLocked();

    const CKSTXAxis* axis = m_host->GetXAxis();
    const double factor = XFactor();
    if (axis && axis->GetType() == CKSTXAxis::kTypeTrack && m_host->GetXChannel()) {
        m_x = axis->TrackValueAtTime(m_time) / factor;
    } else {
        m_x = m_time / factor;
    }
    const CKSTTimeStamp reference = axis ? axis->GetReferenceTime() : CKSTTimeStamp();
    m_xTime = reference + std::floor(m_time);
    m_xFraction = m_time - std::floor(m_time);
    m_xSeconds = m_time;
}

double CKSTMarkerDlg::TimeFromFields() const
{
    const CKSTXAxis* axis = m_host->GetXAxis();
    switch (AxisType()) {
        case CKSTXAxis::kTypeAbsoluteTime:
            return (m_xTime - axis->GetReferenceTime()).GetSeconds() + m_xFraction;
        case CKSTXAxis::kTypeRelativeTime:
            return m_xSeconds;
        case CKSTXAxis::kTypeTrack:
            if (m_host->GetXChannel()) {
                return axis->TimeAtTrackValue(m_x * XFactor(), m_time);
            }
            return m_x * XFactor();
        default:
            return m_x * XFactor();
    }
}

void CKSTMarkerDlg::ShowTexts()
{
    CKSTString unit;
    if (const CKSTXAxis* axis = m_host->GetXAxis()) {
        const int16_t exponent = axis->GetUnitPrefixMode() == 0
                                     ? int16_t{0}
                                     : EngineeringExponentOfMax(axis->GetMinimum(),
                                                                axis->GetMaximum());
        FormatExponentSuffix(axis->GetUnitText(), exponent,
                             static_cast<int16_t>(axis->GetUnitPrefixMode()), unit);
    }
    SetDlgItemText(IDC_MARKER_X_UNIT, unit.c_str());
}

BOOL CKSTMarkerDlg::OnInitDialog()
{
    SetWindowText(Text(KST_STR_CWD_MARKER_CAPTION).c_str());
    SetItemText(IDC_MARKER_TEXT_GROUP, KST_STR_CWD_MARKER_TEXT);
    SetItemText(IDC_MARKER_ADJUST, KST_STR_CWD_MARKER_ADJUST);
    SetItemText(IDC_MARKER_X_LABEL, KST_STR_CWD_MARKER_X_POSITION);
    SetItemText(IDC_MARKER_TYPE_LABEL, KST_STR_CWD_TYPE);
    SetItemText(IDC_MARKER_ROTATION_LABEL, KST_STR_CWD_ROTATION);
    SetItemText(IDC_MARKER_POINTER, KST_STR_CWD_MARKER_POINTER);
    SetItemText(IDC_MARKER_CURVE_LABEL, KST_STR_CWD_MARKER_CURVE);
    SetItemText(IDC_MARKER_FRAME, KST_STR_CWD_MARKER_FRAME);
    SetItemText(IDC_MARKER_TEXT_COLOR_LABEL, KST_STR_CWD_MARKER_TEXT_COLOR);
    SetItemText(IDC_MARKER_TEXT_COLOR_AUTO, KST_STR_CWD_AUTO_COLOR);
    SetItemText(IDC_MARKER_BACK_COLOR_LABEL, KST_STR_CWD_MARKER_BACK_COLOR);
    SetItemText(IDC_MARKER_FONT_LABEL, KST_STR_CWD_MARKER_FONT);
    SetItemText(IDC_MARKER_DEFAULT, KST_STR_CWD_MARKER_DEFAULT);
    SetItemText(IDC_MARKER_DELETE, KST_STR_CWD_DELETE);
    SetItemText(IDC_MARKER_PREVIOUS, KST_STR_CWD_OK_PREVIOUS);
    SetItemText(IDC_MARKER_NEXT, KST_STR_CWD_OK_NEXT);
    SetItemText(IDOK, KST_STR_OK);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    FillCombo(IDC_MARKER_TYPE, {KST_STR_CWD_MARKER_ON_CURVE, KST_STR_CWD_MARKER_ON_WINDOW,
                                KST_STR_CWD_MARKER_VERTICAL_LINE});
    if (m_host->HasTrackOption() && m_locked) {
        ::SendDlgItemMessageA(m_hWnd, IDC_MARKER_TYPE, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(Text(KST_STR_CWD_X_TRACK).c_str()));
    }
    FillComboTexts(IDC_MARKER_ROTATION, {"0\260", "90\260", "-90\260"});
    FillCombo(IDC_MARKER_BACK_MODE, {KST_STR_CWD_MARKER_BACK_AUTO, KST_STR_CWD_MARKER_BACK_MANUAL,
                                     KST_STR_CWD_MARKER_BACK_TRANSPARENT});
    FillCurveList(IDC_MARKER_CURVE);
    CDialog::OnInitDialog();
    ShowTexts();
    ApplyEnabling();
    return TRUE;
}

void CKSTMarkerDlg::ApplyEnabling()
{
    const uint32_t type = AxisType();
    const bool number = type != CKSTXAxis::kTypeAbsoluteTime && type != CKSTXAxis::kTypeRelativeTime;
    ShowItem(IDC_MARKER_X, number);
    ShowItem(IDC_MARKER_X_UNIT, number);
    for (int id : {IDC_MARKER_X_DATE, IDC_MARKER_X_TIME, IDC_MARKER_X_FRACTION}) {
        ShowItem(id, type == CKSTXAxis::kTypeAbsoluteTime);
    }
    ShowDuration(IDC_MARKER_X_SPAN, type == CKSTXAxis::kTypeRelativeTime);
    for (int id : kInputs) {
        EnableItem(id, !m_locked);
    }
    EnableDuration(IDC_MARKER_X_SPAN, !m_locked);
    ShowItem(IDC_MARKER_DELETE, !m_locked);
}

void CKSTMarkerDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_MARKER_TEXT, m_text);
    DDX_Check(dx, IDC_MARKER_ADJUST, m_adjust);
    DDX_CBIndex(dx, IDC_MARKER_TYPE, m_typeIndex);
    DDX_CBIndex(dx, IDC_MARKER_ROTATION, m_rotationIndex);
    DDX_CBIndex(dx, IDC_MARKER_CURVE, m_curveIndex);
    DDX_Check(dx, IDC_MARKER_FRAME, m_frame);
    DDX_Check(dx, IDC_MARKER_POINTER, m_pointer);
    DDX_Check(dx, IDC_MARKER_TEXT_COLOR_AUTO, m_autoTextColour);
    DDX_CBIndex(dx, IDC_MARKER_BACK_MODE, m_backIndex);
    DDX_Check(dx, IDC_MARKER_DEFAULT, m_default);
    const uint32_t type = AxisType();
    const bool save = dx->m_bSaveAndValidate;
    if (!save || (type != CKSTXAxis::kTypeAbsoluteTime && type != CKSTXAxis::kTypeRelativeTime)) {
        DDX_Text(dx, IDC_MARKER_X, m_x);
    }
    if (!save || type == CKSTXAxis::kTypeAbsoluteTime) {
        DDX_Text(dx, IDC_MARKER_X_FRACTION, m_xFraction);
    }
    if (!save || type == CKSTXAxis::kTypeAbsoluteTime) {
        DDX_DateTime(dx, IDC_MARKER_X_DATE, IDC_MARKER_X_TIME, m_xTime);
    }
    if (!save || type == CKSTXAxis::kTypeRelativeTime) {
        DDX_Duration(dx, IDC_MARKER_X_SPAN, m_xSeconds);
    }
    const bool onWindow = m_typeIndex == 1;
    for (int id : {IDC_MARKER_ROTATION_LABEL, IDC_MARKER_ROTATION, IDC_MARKER_POINTER}) {
        ShowItem(id, onWindow);
    }
}

void CKSTMarkerDlg::ApplyMarkerDialog()
{
    CKSTCurve* curve = CurveAt(m_curveIndex);
    if (m_locked || !curve) {
        return;
    }
    double time = TimeFromFields();
    bool atDataPoint = false;
    const CKSTChannel* channel = curve->GetChannel();
    if (m_adjust && channel && channel->GetCount() > 0) {
        const double offset = curve->GetDateOffset();
        time = channel->GetTimeAt(channel->FindIndex(time - offset)) + offset;
        atDataPoint = true;
    }
    CKSTPlotMarker values;
    if (m_marker) {
        values.CopyFrom(*m_marker);
    }
    values.SetText(m_text);
    values.SetType(KstMarkerIndexToType(m_typeIndex));
    values.SetAngle(KstMarkerIndexToAngle(m_rotationIndex));
    values.SetFrame(m_frame != 0);
    values.SetPointer(m_pointer != 0);
    values.SetTextColour(m_autoTextColour ? KST_COLOR_AUTOMATIC : m_textColour);
    values.SetBackgroundColour(KstIndexToBackground(m_backIndex, m_backColour));
    values.SetFont(m_font);
    values.SetAtDataPoint(atDataPoint);
    values.SetDefaultMarker(m_default != 0);
    values.SetPosition(time);

    CKSTCurve* owner = m_marker ? FindOwnerCurve(m_marker->GetOwner()) : nullptr;
    if (!m_marker || owner != curve) {
        if (m_marker && owner) {
            owner->RemoveEvent(m_marker);
        }
        curve->AddEventCopy(values, true);
        // Later steps go on from the marker that now exists, never from a deleted one.
        m_marker = nullptr;
        for (int i = curve->GetEventCount() - 1; i >= 0 && !m_marker; --i) {
            if (*curve->GetEvent(i) == values) {
                m_marker = curve->GetEvent(i);
            }
        }
    } else {
        m_marker->SetText(values.GetText());
        m_marker->SetType(values.GetType());
        m_marker->SetAngle(values.GetAngle());
        m_marker->SetFrame(values.HasFrame());
        m_marker->SetPointer(values.HasPointer());
        m_marker->SetTextColour(values.GetTextColour());
        m_marker->SetBackgroundColour(values.GetBackgroundColour());
        m_marker->SetFont(values.GetFont());
        m_marker->SetAtDataPoint(atDataPoint);
        m_marker->SetDefaultMarker(m_default != 0);
        m_marker->SetPosition(time);
    }
    m_time = time;
    m_host->SetModified();
    m_host->RecalcLayout();
    m_host->UpdateNow();
}

void CKSTMarkerDlg::OnOK()
{
    if (UpdateData(TRUE)) {
        ApplyMarkerDialog();
        EndDialog(IDOK);
    }
}

void CKSTMarkerDlg::OnDelete()
{
    CKSTCurve* owner = m_marker && !m_locked ? FindOwnerCurve(m_marker->GetOwner()) : nullptr;
    if (owner) {
        const int index = m_host->GetCurveIndex(owner, true);
        owner->RemoveEvent(m_marker);
        m_marker = nullptr;
        m_host->RecalcLayout();
        m_host->UpdateNow();
        m_host->SetModified();
        m_host->PostEvent(IKSTCurveDialogHost::kEventMarkerDeleted, index);
    }
    EndDialog(IDOK);
}

void CKSTMarkerDlg::OnPrevious()
{
    Step(false);
}

void CKSTMarkerDlg::OnNext()
{
    Step(true);
}

void CKSTMarkerDlg::Step(bool forward)
{
    if (!UpdateData(TRUE) || !CurveAt(m_curveIndex)) {
        return;
    }
    ApplyMarkerDialog();
    CKSTCurve* curve = CurveAt(m_curveIndex);
    if (m_marker && FindOwnerCurve(m_marker->GetOwner())) {
        curve = FindOwnerCurve(m_marker->GetOwner());
    }
    if (curve->GetEventCount() == 0) {
        return;
    }
    FillFromMarker(forward ? curve->NextEvent(m_marker) : curve->PrevEvent(m_marker));
    UpdateData(FALSE);
    ApplyEnabling();
    Invalidate();
}

void CKSTMarkerDlg::OnChanged()
{
    UpdateData(TRUE);
    if (m_autoTextColour) {
        if (const CKSTCurve* curve = CurveAt(m_curveIndex)) {
            m_textColour = curve->GetColor();
        }
    }
    Invalidate();
}

void CKSTMarkerDlg::OnTextColour()
{
    UpdateData(TRUE);
    if (!m_autoTextColour && ChooseColour(m_textColour)) {
        Invalidate();
    }
}

void CKSTMarkerDlg::OnBackColour()
{
    UpdateData(TRUE);
    if (m_backIndex == kKstBackManual && ChooseColour(m_backColour)) {
        Invalidate();
    }
}

void CKSTMarkerDlg::OnFont()
{
    if (ChooseFont(m_font)) {
        Invalidate();
    }
}

void CKSTMarkerDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
{
    switch (id) {
        case IDC_MARKER_TEXT_COLOR:
            DrawColourButton(*draw, m_textColour);
            break;
        case IDC_MARKER_BACK_COLOR:
            DrawColourButton(*draw, m_backColour);
            break;
        case IDC_MARKER_FONT:
            DrawFontButton(*draw, m_font);
            break;
        default:
            break;
    }
}
