#include "curvewnd/win/CurveDisplayDlg.h"

#include <charconv>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveDialogMappings.h"
#include "curvewnd/YAxis.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "data/settings/SettingsColors.h"
#include "resources/StringIds.h"

namespace {

// A whole number of decimals, else -1 (automatic).
int16_t ParseDecimals(CKSTString text)
{
    text.Trim();
    int value = 0;
    const char* end = text.c_str() + text.GetLength();
    const auto parsed = std::from_chars(text.c_str(), end, value);
    if (text.IsEmpty() || parsed.ec != std::errc() || parsed.ptr != end || value < -1 ||
        value > 32767) {
        return -1;
    }
    return static_cast<int16_t>(value);
}

}  // namespace

BEGIN_MESSAGE_MAP(CKSTCurveDisplayDlg, CDialog)
ON_CBN_SELCHANGE(IDC_CURVEDLG_STYLE, OnStyleChanged)
ON_BN_CLICKED(IDC_CURVEDLG_COLOR_AUTO, OnAutoColour)
ON_BN_CLICKED(IDC_CURVEDLG_COLOR, OnColour)
ON_BN_CLICKED(IDC_CURVEDLG_PREVIOUS, OnPrevious)
ON_BN_CLICKED(IDC_CURVEDLG_NEXT, OnNext)
ON_BN_CLICKED(IDC_CURVEDLG_OK_FOR_ALL, OnOkForAll)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CKSTCurveDisplayDlg::CKSTCurveDisplayDlg(IKSTCurveDialogHost& host, CKSTCurve& curve,
                                         CWnd* parent)
    : CKSTCurveDialog(IDD, host, parent), m_curve(&curve)
{
}

INT_PTR CKSTCurveDisplayDlg::OpenDisplayDialog(IKSTCurveDialogHost& host, CKSTCurve& curve,
                                               CWnd* parent)
{
    CKSTCurveDisplayDlg dialog(host, curve, parent);
    dialog.FillDisplayDialog(curve);
    return dialog.DoModal();
}

CKSTString CKSTCurveDisplayDlg::NameText(const CKSTCurve& curve) const
{
    return CurveLabel(curve);
}

void CKSTCurveDisplayDlg::FillDisplayDialog(CKSTCurve& curve)
{
    m_curve = &curve;
    m_name = NameText(curve);
    m_visible = curve.GetCurveKind() != CKSTCurve::kKindHidden ? 1 : 0;
    m_interpolateGaps = curve.GetInterpolateGaps() ? 1 : 0;
    m_showAtCursor = curve.GetShowAtCursor() ? 1 : 0;
    m_showInLegend = curve.GetShowInLegend() ? 1 : 0;
    m_valueListMode = static_cast<int>(curve.GetValueListMode());
    m_symbol = static_cast<int>(curve.GetSymbol());
    const KstStyleChoice choice = KstSplitDisplayStyle(curve.GetDisplayKind());
    m_style = choice.style;
    m_lineStyle = choice.lineStyle;
    m_autoColour = curve.GetOwnColor() == KST_COLOR_AUTOMATIC ? 1 : 0;
    m_colour = curve.GetColor();
    if (curve.GetDecimals() < 0) {
        m_decimals = Text(KST_STR_CWD_DECIMALS_AUTO);
    } else {
        m_decimals.Format("%d", static_cast<int>(curve.GetDecimals()));
    }
    m_template.CopyFrom(curve.GetEventTemplate());
}

BOOL CKSTCurveDisplayDlg::OnInitDialog()
{
    SetWindowText(Text(KST_STR_CW_CURVE_OPTIONS).c_str());
    SetItemText(IDC_CURVEDLG_NAME_LABEL, KST_STR_CWD_NAME);
    SetItemText(IDC_CURVEDLG_STYLE_LABEL, KST_STR_CWD_STYLE);
    SetItemText(IDC_CURVEDLG_LINE_STYLE_LABEL, KST_STR_CWD_LINE_STYLE);
    SetItemText(IDC_CURVEDLG_SYMBOL_LABEL, KST_STR_CWD_SYMBOL);
    SetItemText(IDC_CURVEDLG_COLOR_LABEL, KST_STR_CWD_COLOR);
    SetItemText(IDC_CURVEDLG_COLOR_AUTO, KST_STR_CWD_AUTO_COLOR);
    SetItemText(IDC_CURVEDLG_VISIBLE, KST_STR_CWD_VISIBLE);
    SetItemText(IDC_CURVEDLG_INTERPOLATE, KST_STR_CWD_INTERPOLATE_GAPS);
    SetItemText(IDC_CURVEDLG_SHOW_IN_LEGEND, KST_STR_CWD_SHOW_IN_LEGEND);
    SetItemText(IDC_CURVEDLG_SHOW_AT_CURSOR, KST_STR_CWD_SHOW_AT_CURSOR);
    SetItemText(IDC_CURVEDLG_VALUE_LIST_LABEL, KST_STR_CWD_VALUE_LIST);
    SetItemText(IDC_CURVEDLG_DECIMALS_LABEL, KST_STR_CWD_DECIMALS);
    SetItemText(IDC_CURVEDLG_PREVIOUS, KST_STR_CWD_OK_PREVIOUS);
    SetItemText(IDC_CURVEDLG_NEXT, KST_STR_CWD_OK_NEXT);
    SetItemText(IDC_CURVEDLG_OK_FOR_ALL, KST_STR_CWD_OK_FOR_ALL);
    SetItemText(IDC_CURVEDLG_EVENTS, KST_STR_CWD_EVENTS);
    SetItemText(IDOK, KST_STR_OK);
    SetItemText(IDCANCEL, KST_STR_CANCEL);
    FillCombo(IDC_CURVEDLG_STYLE,
              {KST_STR_CWD_STYLE_LINE, KST_STR_CWD_STYLE_STEPS, KST_STR_CWD_STYLE_BARS,
               KST_STR_CWD_STYLE_3D_BARS, KST_STR_CWD_STYLE_SYMBOLS, KST_STR_CWD_STYLE_EVENT_TEXTS});
    FillCombo(IDC_CURVEDLG_LINE_STYLE,
              {KST_STR_CWD_LINE_SOLID, KST_STR_CWD_LINE_THICK, KST_STR_CWD_LINE_DASH,
               KST_STR_CWD_LINE_DOT, KST_STR_CWD_LINE_DASH_DOT, KST_STR_CWD_LINE_DASH_DOT_DOT});
    FillCombo(IDC_CURVEDLG_SYMBOL,
              {KST_STR_CWD_SYMBOL_DOTS, KST_STR_CWD_SYMBOL_LARGE_DOTS, KST_STR_CWD_SYMBOL_CIRCLES,
               KST_STR_CWD_SYMBOL_SQUARES, KST_STR_CWD_SYMBOL_TRIANGLES,
               KST_STR_CWD_SYMBOL_RHOMBS});
    for (const char* symbol : {"X", "+", "*"}) {
        ::SendDlgItemMessageA(m_hWnd, IDC_CURVEDLG_SYMBOL, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(symbol));
    }
    FillCombo(IDC_CURVEDLG_VALUE_LIST, {KST_STR_CWD_VALUE_LIST_NO, KST_STR_CWD_VALUE_LIST_ALSO,
                                        KST_STR_CWD_VALUE_LIST_ONLY});
    FillCombo(IDC_CURVEDLG_DECIMALS, {KST_STR_CWD_DECIMALS_AUTO});
    for (const char* digits : {"0", "1", "2", "3", "4", "5", "6"}) {
        ::SendDlgItemMessageA(m_hWnd, IDC_CURVEDLG_DECIMALS, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(digits));
    }
    ::SendDlgItemMessageA(m_hWnd, IDC_CURVEDLG_NAME, EM_SETREADONLY, !m_host->CanEditNames(), 0);
    const bool valueList = m_host->HasValueListOption();
    ShowItem(IDC_CURVEDLG_VALUE_LIST_LABEL, valueList);
    ShowItem(IDC_CURVEDLG_VALUE_LIST, valueList);
    // The event-text dialog is not part of this program yet: the button only shows where it
    // belongs.
    EnableItem(IDC_CURVEDLG_EVENTS, false);
    CDialog::OnInitDialog();
    return TRUE;
}

void CKSTCurveDisplayDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_CURVEDLG_NAME, m_name);
    DDX_CBIndex(dx, IDC_CURVEDLG_STYLE, m_style);
    DDX_CBIndex(dx, IDC_CURVEDLG_LINE_STYLE, m_lineStyle);
    DDX_CBIndex(dx, IDC_CURVEDLG_SYMBOL, m_symbol);
    DDX_Check(dx, IDC_CURVEDLG_COLOR_AUTO, m_autoColour);
    DDX_Check(dx, IDC_CURVEDLG_VISIBLE, m_visible);
    DDX_Check(dx, IDC_CURVEDLG_INTERPOLATE, m_interpolateGaps);
    DDX_Check(dx, IDC_CURVEDLG_SHOW_IN_LEGEND, m_showInLegend);
    DDX_Check(dx, IDC_CURVEDLG_SHOW_AT_CURSOR, m_showAtCursor);
    DDX_CBIndex(dx, IDC_CURVEDLG_VALUE_LIST, m_valueListMode);
    DDX_Text(dx, IDC_CURVEDLG_DECIMALS, m_decimals);
    EnableItem(IDC_CURVEDLG_LINE_STYLE, KstStyleHasLineStyle(m_style));
    ShowItem(IDC_CURVEDLG_EVENTS, m_style == kKstStyleEventTexts);
}

void CKSTCurveDisplayDlg::ApplyDisplayDialog(CKSTCurve& curve, bool forAll)
{
    IKSTCurveDialogHost& host = *m_host;
    bool visibleChange = false;
    CKSTChannel* channel = curve.GetChannel();
    if (!forAll && host.CanEditNames() && channel && m_name != NameText(curve)) {
        // The group shown before the name is not part of the name.
        CKSTString name = m_name;
        const CKSTString prefix = curve.GetChannelLabelPrefix() + ": ";
        if (!curve.GetChannelLabelPrefix().IsEmpty() && name.Find(prefix.c_str()) == 0) {
            name.Delete(0, prefix.GetLength());
        }
        channel->SetName(name);
        visibleChange = true;
        host.SetModified();
    }
    if (m_visible && curve.GetCurveKind() == CKSTCurve::kKindHidden) {
        curve.SetCurveKind(CKSTCurve::kKindShown, true);
        host.SetModified();
    } else if (!m_visible && curve.GetCurveKind() == CKSTCurve::kKindShown) {
        curve.SetCurveKind(CKSTCurve::kKindHidden, true);
        host.SetModified();
    }
    uint32_t style = 0;
    if (KstJoinDisplayStyle(m_style, m_lineStyle, style) && style != curve.GetDisplayKind()) {
        curve.SetDisplayKind(style, true);
        host.SetModified();
    }
    if (m_symbol >= 0 && static_cast<uint32_t>(m_symbol) != curve.GetSymbol()) {
        curve.SetSymbol(static_cast<uint32_t>(m_symbol), true);
        host.SetModified();
    }
    if ((m_interpolateGaps != 0) != curve.GetInterpolateGaps()) {
        curve.SetInterpolateGaps(m_interpolateGaps != 0, true);
        host.SetModified();
    }
    if ((m_showInLegend != 0) != curve.GetShowInLegend()) {
        curve.SetShowInLegend(m_showInLegend != 0, true);
        host.SetModified();
    }
    if ((m_showAtCursor != 0) != curve.GetShowAtCursor()) {
        curve.SetShowAtCursor(m_showAtCursor != 0, true);
        host.SetModified();
    }
    if (m_valueListMode >= 0 && static_cast<uint32_t>(m_valueListMode) != curve.GetValueListMode()) {
        curve.SetValueListMode(static_cast<uint32_t>(m_valueListMode), true);
        visibleChange = true;
        host.SetModified();
    }
    const uint32_t oldColour = curve.GetOwnColor();
    if (m_autoColour) {
        curve.SetColor(KST_COLOR_AUTOMATIC, true);
    } else if (!forAll) {
        curve.SetColor(m_colour, true);
    }
    if (curve.GetOwnColor() != oldColour) {
        visibleChange = true;
        host.SetModified();
    }
    const int16_t decimals = ParseDecimals(m_decimals);
    if (decimals != curve.GetDecimals()) {
        curve.SetDecimals(decimals, true);
        host.SetModified();
    }
    if (visibleChange) {
        curve.Invalidate();
        if (curve.GetYAxis()) {
            curve.GetYAxis()->Invalidate();
        }
        host.RecalcLayout();
        host.UpdateNow();
        host.SetModified();
        if (host.IsSubscribed(IKSTCurveDialogHost::kEventCurveChanged)) {
            host.PostEvent(IKSTCurveDialogHost::kEventCurveChanged,
                           reinterpret_cast<intptr_t>(&curve));
        }
    }
}

void CKSTCurveDisplayDlg::OnStyleChanged()
{
    UpdateData(TRUE);
}

void CKSTCurveDisplayDlg::OnAutoColour()
{
    UpdateData(TRUE);
    if (m_autoColour) {
        m_colour = m_curve->GetColor();
    }
    Invalidate();
}

void CKSTCurveDisplayDlg::OnColour()
{
    UpdateData(TRUE);
    if (!m_autoColour && ChooseColour(m_colour)) {
        Invalidate();
    }
}

void CKSTCurveDisplayDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
{
    if (id == IDC_CURVEDLG_COLOR) {
        DrawColourButton(*draw, m_colour);
    }
}

void CKSTCurveDisplayDlg::OnOK()
{
    if (UpdateData(TRUE)) {
        ApplyDisplayDialog(*m_curve, false);
        EndDialog(IDOK);
    }
}

void CKSTCurveDisplayDlg::OnPrevious()
{
    Step(false);
}

void CKSTCurveDisplayDlg::OnNext()
{
    Step(true);
}

void CKSTCurveDisplayDlg::Step(bool forward)
{
    if (!UpdateData(TRUE)) {
        return;
    }
    ApplyDisplayDialog(*m_curve, false);
    CKSTCurve* next =
        forward ? m_host->GetNextCurve(m_curve) : m_host->GetPreviousCurve(m_curve);
    if (next) {
        FillDisplayDialog(*next);
    }
    UpdateData(FALSE);
    Invalidate();
}

void CKSTCurveDisplayDlg::OnOkForAll()
{
    if (!UpdateData(TRUE)) {
        return;
    }
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    m_host->SetUpdateEnabled(false);
    const int count = m_host->GetCurveCount(true);
    for (int i = 0; i < count; ++i) {
        if (CKSTCurve* curve = m_host->GetCurve(i, true)) {
            ApplyDisplayDialog(*curve, true);
        }
    }
    m_host->SetUpdateEnabled(true);
    SetCursor(previous);
    EndDialog(IDOK);
}
