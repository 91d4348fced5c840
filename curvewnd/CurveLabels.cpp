#include "curvewnd/CurveLabels.h"

#include <algorithm>
#include <cmath>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/ColorMap.h"
#include "curvewnd/Curve.h"
#include "curvewnd/EventLayout.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/LabelText.h"
#include "foundation/Numeric.h"

namespace {

// More decimals than a double holds digits only add noise (and a zero resolution would ask for
// hundreds).
constexpr int16_t kMaxDecimals = 15;

const CKSTCurveWndSettings& SettingsOf(const CKSTCurve& curve)
{
    return curve.GetOwner() != nullptr ? curve.GetOwner()->GetWindowSettings()
                                       : KstDefaultWindowSettings();
}

void MeasureLabel(const CKSTCurve& curve, const CKSTString& text, int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    IKSTTextMeasure* measure =
        curve.GetOwner() != nullptr ? curve.GetOwner()->GetTextMeasure() : nullptr;
    if (measure == nullptr ||
        !measure->MeasureText(SettingsOf(curve).m_AxesFontDesc, text, width, height)) {
        width = 0;
        height = 0;
    }
}

// Name, value and unit as the label shows them.
CKSTString ComposeLabel(const CKSTCurve& curve, const CKSTString& value, const CKSTString& unit,
                        bool bare)
{
    if (bare) {
        return value;
    }
    CKSTString text;
    const CKSTString group = curve.GetChannelLabelPrefix();
    if (SettingsOf(curve).m_CursorTextName != 0 && !group.IsEmpty()) {
        text += group;
        text += ' ';
    }
    text += curve.GetChannelName();
    text += ": ";
    text += value;
    if (!unit.IsEmpty()) {
        text += ' ';
        text += unit;
    }
    return text;
}

// Places a composed label beside (x, row), clear of the tips of the group's other curves.
void PlaceLabel(const CKSTCurve& curve, int32_t x, int32_t row, const CKSTString& text,
                const CKSTAxisGroup* group, RECT& rect)
{
    int32_t width = 0;
    int32_t height = 0;
    MeasureLabel(curve, text, width, height);
    auto overlaps = [&](const RECT& candidate) {
        if (group == nullptr) {
            return false;
        }
        for (int i = 0; i < group->GetCurveCount(); ++i) {
            const CKSTCurve* other = group->GetCurve(i);
            if (other != &curve && LabelTipOverlaps(*other, candidate)) {
                return true;
            }
        }
        return false;
    };
    KstPlaceLabelRect(x, row, width, height, curve.GetRect(), overlaps, rect);
}

int32_t ClampToAxis(const CKSTXAxis& axis, int32_t x)
{
    const RECT r = NormalizeRect(axis.GetRect());
    return std::clamp<int32_t>(x, r.left, r.right);
}

CKSTLabelTip* LabelTipOf(const CKSTCurve& curve)
{
    return dynamic_cast<CKSTLabelTip*>(curve.GetLabelTip());
}

bool ComputeLabel(const CKSTCurve& curve, int32_t x, int32_t y, const CKSTAxisGroup* group,
                  RECT& rect, CKSTString& text)
{
    CKSTString unit;
    return curve.IsMatrixCurve() ? GetMatrixLabelText(curve, x, y, rect, text, unit, false, group)
                                 : GetLabelText(curve, x, rect, text, unit, false, group);
}

}  // namespace

void FormatValue(const CKSTCurve& curve, double value, CKSTString& text, CKSTString& unit)
{
    text.Empty();
    unit.Empty();
    const CKSTChannel* channel = curve.GetChannel();
    if (curve.GetDisplayKind() == CKSTCurve::kStyleEventTexts && channel != nullptr &&
        channel->HasValueText(value)) {
        text = channel->FormatValue(value);
        return;
    }
    const CKSTYAxis* axis = curve.GetYAxis();
    if (axis == nullptr) {
        const int16_t decimals = curve.GetDecimals() >= 0 ? curve.GetDecimals() : 3;
        text = CKSTString::FormatFixed(value, std::min(decimals, kMaxDecimals));
        return;
    }
    double minimum = axis->GetMinimum();
    double maximum = axis->GetMaximum();
    double displayMaximum = axis->GetDisplayMaximum();
    if (axis->GetScaleType() == CKSTYAxis::kScaleLogarithmic) {
        minimum = std::pow(10.0, minimum);
        maximum = std::pow(10.0, maximum);
        displayMaximum = std::pow(10.0, displayMaximum);
        value = std::pow(10.0, value);
    }
    const RECT band = NormalizeRect(axis->GetRect());
    const double pixels = std::max<double>(double(band.bottom) - band.top - 3, 1.0);
    const double resolution = (displayMaximum - minimum) / pixels;
    const int16_t exponent = EngineeringExponentOfMax(minimum, maximum);
    const int automatic = exponent + 1 - DecadeExponent(resolution);
    const int decimals = curve.GetDecimals() >= 0 ? curve.GetDecimals() : automatic;
    // Decibels take no prefix: a "kdB" would name another quantity.
    const bool decibel = axis->GetScaleType() == CKSTYAxis::kScaleDecibel;
    const CKSTString axisUnit = decibel ? CKSTString("dB") : axis->GetUnit();
    const int16_t unitMode = decibel ? 0 : static_cast<int16_t>(axis->GetUnitPrefixMode());
    FormatScaledNumber(value, static_cast<int16_t>(std::clamp<int>(decimals, 0, kMaxDecimals)),
                       true, axisUnit, exponent, unitMode, text, unit);
}

bool GetLabelText(const CKSTCurve& curve, int32_t x, RECT& rect, CKSTString& text, CKSTString& unit,
                  bool bare, const CKSTAxisGroup* group)
{
    rect = {0, 0, 0, 0};
    text.Empty();
    unit.Empty();
    const CKSTChannel* channel = curve.GetChannel();
    const CKSTXAxis* xAxis = curve.GetXAxis();
    const CKSTYAxis* yAxis = curve.GetYAxis();
    if (channel == nullptr || xAxis == nullptr || yAxis == nullptr) {
        return false;
    }
    x = ClampToAxis(*xAxis, x);
    if (curve.GetDisplayKind() == CKSTCurve::kStyleEventTexts) {
        const double offset = curve.GetDateOffset();
        if (!channel->HasSamplesBetween(xAxis->PixelToValue(x - 5) - offset,
                                        xAxis->PixelToValue(x + 5) - offset)) {
            return false;
        }
    }
    double time = 0.0;
    double value = 0.0;
    if (!curve.GetValueAtPixel(x, time, value)) {
        return false;
    }
    CKSTString number;
    FormatValue(curve, value, number, unit);
    text = ComposeLabel(curve, number, unit, bare);
    PlaceLabel(curve, x, yAxis->ValueToPixel(value), text, group, rect);
    return true;
}

bool GetMatrixLabelText(const CKSTCurve& curve, int32_t x, int32_t y, RECT& rect, CKSTString& text,
                        CKSTString& unit, bool bare, const CKSTAxisGroup* group)
{
    rect = {0, 0, 0, 0};
    text.Empty();
    unit.Empty();
    if (curve.GetXAxis() == nullptr) {
        return false;
    }
    x = ClampToAxis(*curve.GetXAxis(), x);
    double value = 0.0;
    if (!curve.GetMatrixValueAtPixel(x, y, value)) {
        return false;
    }
    CKSTString number;
    if (curve.GetChannel()->IsColorMatrix()) {
        const uint32_t colour = KstMatrixValueColor(value);
        number = CKSTString::FormatInt(colour & 0xFF) + "/" +
                 CKSTString::FormatInt((colour >> 8) & 0xFF) + "/" +
                 CKSTString::FormatInt((colour >> 16) & 0xFF);
    } else {
        FormatValue(curve, value, number, unit);
    }
    text = ComposeLabel(curve, number, unit, bare);
    PlaceLabel(curve, x, y, text, group, rect);
    return true;
}

CKSTLabelTip::CKSTLabelTip(std::unique_ptr<IKSTTextTip> window, const RECT& rect)
    : m_window(std::move(window)), m_rect(rect)
{
}

void CKSTLabelTip::SetText(const RECT& rect, const CKSTString& text)
{
    m_rect = rect;
    if (m_window) {
        m_window->SetText(rect, text);
    }
}

void ShowLabelTip(CKSTCurve& curve, int32_t x, int32_t y, const CKSTAxisGroup* group)
{
    curve.SetLabelTip(nullptr);
    RECT rect;
    CKSTString text;
    IKSTCurveHost* owner = curve.GetOwner();
    if (owner == nullptr || !ComputeLabel(curve, x, y, group, rect, text) ||
        rect.right <= rect.left) {
        return;
    }
    std::unique_ptr<IKSTTextTip> window =
        owner->CreateTextTip(rect, SettingsOf(curve).m_AxesFontDesc, curve.GetColor(), text);
    if (window) {
        curve.SetLabelTip(std::make_unique<CKSTLabelTip>(std::move(window), rect));
    }
}

void MoveLabelTip(CKSTCurve& curve, int32_t x, int32_t y, const CKSTAxisGroup* group)
{
    if (curve.GetLabelTip() == nullptr) {
        return;
    }
    RECT rect;
    CKSTString text;
    if (!ComputeLabel(curve, x, y, group, rect, text)) {
        return;
    }
    if (curve.GetOwner() != nullptr) {
        curve.GetOwner()->InvalidateRect(rect.left, rect.top, rect.right, rect.bottom, false);
    }
    curve.GetLabelTip()->SetText(rect, text);
}

void HideLabelTip(CKSTCurve& curve)
{
    curve.SetLabelTip(nullptr);
}

bool LabelTipOverlaps(const CKSTCurve& curve, const RECT& rect)
{
    const CKSTLabelTip* tip = LabelTipOf(curve);
    RECT common;
    return tip != nullptr && IntersectRectEx(common, tip->GetRect(), rect);
}

void ClearLabelTipRect(CKSTCurve& curve)
{
    if (CKSTLabelTip* tip = LabelTipOf(curve)) {
        tip->ClearRect();
    }
}
