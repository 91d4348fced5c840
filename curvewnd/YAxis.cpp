#include "curvewnd/YAxis.h"

#include <algorithm>
#include <cmath>

#include "curvewnd/AxisScale.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/LabelText.h"
#include "foundation/Numeric.h"

namespace {

constexpr int kMaxCaptionNames = 20;
// Non-positive values on logarithmic and decibel axes land this far below the range.
constexpr double kBelowRange = 1000.0;

void Measure(IKSTTextMeasure* measure, const CKSTFontDesc& font, const CKSTString& text,
             int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    if (measure == nullptr || !measure->MeasureText(font, text, width, height)) {
        width = 0;
        height = 0;
    }
}

}  // namespace

CKSTYAxis::CKSTYAxis(IKSTCurveOwner* owner) : CKSTYAxis(owner, false) {}

CKSTYAxis::CKSTYAxis(IKSTCurveOwner* owner, bool pointerInstrument)
    : m_owner(owner), m_pointerInstrument(pointerInstrument ? 1 : 0)
{
    Reset();
}

CKSTYAxis::~CKSTYAxis() = default;

void CKSTYAxis::CopyFrom(const CKSTYAxis& source)
{
    if (&source == this) {
        return;
    }
    std::unique_ptr<CKSTYAxis> previous;
    if (source.m_previousState) {
        previous.reset(new CKSTYAxis(source.m_owner));
        previous->CopyFrom(*source.m_previousState);
    }
    CopyStateFrom(source);
    m_previousState = std::move(previous);
}

void CKSTYAxis::CopyStateFrom(const CKSTYAxis& source)
{
    m_owner = source.m_owner;
    m_scaleType = source.m_scaleType;
    m_unit = source.m_unit;
    m_rect = source.m_rect;
    m_minimum = source.m_minimum;
    m_maximum = source.m_maximum;
    m_displayMaximum = source.m_displayMaximum;
    m_firstTick = source.m_firstTick;
    m_tickSpacing = source.m_tickSpacing;
    m_autoTicks = source.m_autoTicks;
    m_pixelsPerTick = source.m_pixelsPerTick;
    m_axisWidth = source.m_axisWidth;
    m_autoRange = source.m_autoRange;
    m_colour = source.m_colour;
    m_pointerInstrument = source.m_pointerInstrument;
    m_unitPrefixMode = source.m_unitPrefixMode;
    m_rightSide = source.m_rightSide;
    m_noEdgeLine = source.m_noEdgeLine;
    m_lowestOnTop = source.m_lowestOnTop;
    m_dialAngle = source.m_dialAngle;
    m_zoomLevel = source.m_zoomLevel;
    m_labels = source.m_labels;
    m_labelsShown = source.m_labelsShown;
    m_unitCaption = source.m_unitCaption;
    m_unitCaptionShown = source.m_unitCaptionShown;
}

void CKSTYAxis::Reset()
{
    m_previousState.reset();
    m_scaleType = kScaleLinear;
    m_unit.Empty();
    m_rect = RECT{0, 0, 0, 0};
    m_minimum = 0.0;
    m_maximum = 10.0;
    m_displayMaximum = 10.0;
    m_firstTick = 0.0;
    m_tickSpacing = 0.0;
    m_autoTicks = 1;
    m_pixelsPerTick = 0;
    m_axisWidth = 0;
    m_autoRange = 1;
    m_colour = m_owner != nullptr && m_owner->GetDisplayKind() == 4 ? 0 : KST_COLOR_AUTOMATIC;
    m_unitPrefixMode = 3;
    m_rightSide = 0;
    m_noEdgeLine = 1;
    m_lowestOnTop = 0;
    m_dialAngle = 270.0;
    m_zoomLevel = 0;
    m_labels.clear();
    m_labelsShown = false;
    m_unitCaption = Label{CKSTString(), 0, 0, 0, 0};
    m_unitCaptionShown = false;
    LayoutTicks();
}

const CKSTCurveWndSettings& CKSTYAxis::Settings() const
{
    return m_owner != nullptr ? m_owner->GetWindowSettings() : KstDefaultWindowSettings();
}

// --- Geometry ---

bool CKSTYAxis::HitTest(const POINT& point) const
{
    return PtInRectEx(m_rect, point);
}

int32_t CKSTYAxis::GetPixelLength() const
{
    const int64_t height = std::llabs(int64_t(m_rect.bottom) - m_rect.top);
    return static_cast<int32_t>(std::min<int64_t>(height - 3, INT32_MAX));
}

int32_t CKSTYAxis::ValueToPixel(double v) const
{
    const double scale = AxisScale(GetPixelLength(), m_displayMaximum - m_minimum);
    const double p = m_lowestOnTop ? (v - m_displayMaximum) * scale : (m_minimum - v) * scale;
    return AddPixels(int64_t(std::max(m_rect.top, m_rect.bottom)) - 2, RoundAxisPixel(p));
}

double CKSTYAxis::PixelToValue(int32_t pixel) const
{
    const double scale = AxisScale(GetPixelLength(), m_displayMaximum - m_minimum);
    const int64_t bottom = std::max(m_rect.top, m_rect.bottom);
    if (m_lowestOnTop) {
        return static_cast<double>(int64_t(pixel) - bottom + 2) / scale + m_displayMaximum;
    }
    return static_cast<double>(bottom - pixel - 2) / scale + m_minimum;
}

double CKSTYAxis::Transform(double v) const
{
    switch (m_scaleType) {
        case kScaleLogarithmic:
            return v > 0.0 ? std::log10(v) : m_minimum - kBelowRange;
        case kScaleDecibel:
            return v > 0.0 ? 20.0 * std::log10(v) : m_minimum - kBelowRange;
        default:
            return v;
    }
}

// --- Settings ---

void CKSTYAxis::SetRect(const RECT& rect)
{
    if (rect.left == m_rect.left && rect.top == m_rect.top && rect.right == m_rect.right &&
        rect.bottom == m_rect.bottom) {
        return;
    }
    Invalidate();
    m_rect = rect;
    LayoutTicks();
    Invalidate();
}

void CKSTYAxis::SetScaleType(uint32_t type)
{
    if (type == m_scaleType) {
        return;
    }
    m_scaleType = type;
    LayoutTicks();
    Invalidate();
}

bool CKSTYAxis::SetRange(double minimum, double maximum, bool automaticRange)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum)) {
        return false;
    }
    const uint8_t autoRange = automaticRange ? 1 : 0;
    if (minimum == maximum && !autoRange) {
        return false;
    }
    if (minimum == m_minimum && maximum == m_maximum && autoRange == m_autoRange) {
        return true;
    }
    m_minimum = minimum;
    m_maximum = maximum;
    m_autoRange = autoRange;
    if (minimum == maximum) {
        m_minimum = minimum - 5.0;
        m_maximum = maximum + 5.0;
    }
    LayoutTicks();
    Invalidate();
    return true;
}

void CKSTYAxis::SetTickSpacing(double spacing, bool automatic)
{
    const uint8_t autoTicks = automatic ? 1 : 0;
    if (std::isnan(spacing) || (spacing == m_tickSpacing && autoTicks == m_autoTicks)) {
        return;
    }
    m_tickSpacing = spacing;
    m_autoTicks = autoTicks;
    LayoutTicks();
    Invalidate();
}

void CKSTYAxis::SetTickCount(double count, bool automatic)
{
    if (count > 0.0) {
        SetTickSpacing((m_maximum - m_minimum) / count, automatic);
    }
}

void CKSTYAxis::SetUnit(const CKSTString& unit)
{
    if (unit == m_unit) {
        return;
    }
    m_unit = unit;
    Invalidate();
}

void CKSTYAxis::SetColour(uint32_t colour)
{
    if (colour == m_colour) {
        return;
    }
    m_colour = colour;
    Invalidate();
}

void CKSTYAxis::SetUnitPrefixMode(uint32_t mode)
{
    if (mode == m_unitPrefixMode) {
        return;
    }
    m_unitPrefixMode = mode;
    Invalidate();
}

void CKSTYAxis::SetLowestOnTop(bool lowestOnTop)
{
    const uint8_t value = lowestOnTop ? 1 : 0;
    if (value == m_lowestOnTop) {
        return;
    }
    m_lowestOnTop = value;
    Invalidate();
}

void CKSTYAxis::Invalidate()
{
    if (m_owner == nullptr || !m_owner->HasDrawingWindow()) {
        return;
    }
    const RECT band = NormalizeRect(m_rect);
    m_owner->InvalidateRect(band.left, band.top, band.right, band.bottom, true);
}

uint32_t CKSTYAxis::GetDrawColour() const
{
    if (m_colour != KST_COLOR_AUTOMATIC) {
        return m_colour;
    }
    uint32_t colour = 0;
    if (m_owner != nullptr && m_owner->GetCurveColorOfAxis(*this, colour)) {
        return colour;
    }
    return Settings().m_YTextColor;
}

// --- Zoom history ---

void CKSTYAxis::PushZoom(uint16_t level)
{
    std::unique_ptr<CKSTYAxis> saved(new CKSTYAxis(m_owner));
    saved->CopyStateFrom(*this);
    saved->m_previousState = std::move(m_previousState);
    m_previousState = std::move(saved);
    m_zoomLevel = level;
}

void CKSTYAxis::TruncateZoom(uint16_t level)
{
    while (level < m_zoomLevel && m_previousState) {
        std::unique_ptr<CKSTYAxis> dropped = std::move(m_previousState);
        m_zoomLevel = dropped->m_zoomLevel;
        m_previousState = std::move(dropped->m_previousState);
    }
}

const CKSTYAxis* CKSTYAxis::GetZoomState(uint16_t level) const
{
    if (level >= m_zoomLevel || !m_previousState) {
        return this;
    }
    const CKSTYAxis* state = m_previousState.get();
    while (state->m_zoomLevel > level && state->m_previousState) {
        state = state->m_previousState.get();
    }
    return state;
}

const CKSTYAxis& CKSTYAxis::Root() const
{
    const CKSTYAxis* axis = this;
    while (axis->m_previousState) {
        axis = axis->m_previousState.get();
    }
    return *axis;
}

double CKSTYAxis::GetRangeMin() const
{
    return Root().m_minimum;
}

double CKSTYAxis::GetRangeMax() const
{
    return Root().m_maximum;
}

// --- Ticks ---

void CKSTYAxis::LayoutTicks()
{
    const int32_t length = GetPixelLength();
    const double range = m_maximum - m_minimum;
    double n = 1.0;
    if (!m_autoTicks) {
        n = range / m_tickSpacing;
        if (!(n > 0.0)) {
            n = 1.0;
        }
        m_firstTick = m_minimum;
        if (n > kMaxTicks) {
            m_autoTicks = 1;  // with the same spacing, laid out as automatic ticks below
        }
    }
    if (m_autoTicks) {
        const int32_t distance = Settings().m_AutoTickDistY;
        int64_t k = 1;
        if (distance > 0) {
            k = (int64_t(length)) / distance;
            if (k <= 0) {
                if (length < 1) {
                    m_displayMaximum = m_maximum;
                    return;
                }
                k = 1;
            }
        }
        m_tickSpacing = NiceStep(range / static_cast<double>(k));
        n = std::ceil(range / m_tickSpacing);
        if (!(n > 0.0)) {
            n = 1.0;
        }
        m_firstTick = std::ceil(m_minimum / m_tickSpacing) * m_tickSpacing;
    }
    if ((m_maximum - m_firstTick) / m_tickSpacing < 1.0) {
        // No tick inside: the two ends are the ticks.
        m_firstTick = m_minimum;
        m_tickSpacing = range;
    }
    const double perTick = length / n;
    m_pixelsPerTick = ClampToInt16(perTick);
    if (m_pixelsPerTick == 0 || perTick >= 32767.0) {
        m_displayMaximum = m_maximum;
        return;
    }
    m_displayMaximum = length * range / (m_pixelsPerTick * n) + m_minimum;
}

int CKSTYAxis::TickCount() const
{
    const double spacing = m_tickSpacing;
    if (!(spacing > 0.0) || m_maximum == m_minimum) {
        return 0;
    }
    const double limit = m_displayMaximum + spacing * 1e-6;
    int count = 0;
    while (count <= kMaxTicks && m_firstTick + count * spacing <= limit) {
        ++count;
    }
    return count;
}

void CKSTYAxis::GetTickPixels(std::vector<int32_t>& rows) const
{
    rows.clear();
    const int count = TickCount();
    for (int k = 0; k < count; ++k) {
        rows.push_back(ValueToPixel(m_firstTick + k * m_tickSpacing));
    }
}

int16_t CKSTYAxis::GetLabelExponent() const
{
    if (m_unitPrefixMode == 0) {
        return 0;
    }
    if (m_scaleType == kScaleLogarithmic) {
        return EngineeringExponentOfMax(std::pow(10.0, m_minimum), std::pow(10.0, m_maximum));
    }
    return EngineeringExponentOfMax(m_minimum, m_maximum);
}

CKSTString CKSTYAxis::GetCaption() const
{
    CKSTString caption;
    if (m_owner == nullptr) {
        return caption;
    }
    std::vector<CKSTString> names;
    m_owner->GetChannelNamesOfAxis(*this, names);
    const size_t shown = std::min<size_t>(names.size(), kMaxCaptionNames);
    for (size_t i = 0; i < shown; ++i) {
        if (i > 0) {
            caption += ", ";
        }
        caption += names[i];
    }
    if (names.size() > shown) {
        caption += ", ...";
    }
    return caption;
}

void CKSTYAxis::LayoutWidth(IKSTTextMeasure* measure, const CKSTFontDesc& font)
{
    m_axisWidth = LayoutLabels(measure, font);
}

int32_t CKSTYAxis::LayoutLabels(IKSTTextMeasure* measure, const CKSTFontDesc& font)
{
    m_labels.clear();
    m_labelsShown = false;
    m_unitCaption = Label{CKSTString(), 0, 0, 0, 0};
    m_unitCaptionShown = false;
    const int count = TickCount();
    if (count == 0) {
        return m_axisWidth;
    }
    const CKSTCurveWndSettings& settings = Settings();
    const bool logarithmic = m_scaleType == kScaleLogarithmic;
    const int16_t exponent =
        logarithmic ? EngineeringExponentOfMax(std::pow(10.0, m_minimum), std::pow(10.0, m_maximum))
                    : EngineeringExponentOfMax(m_minimum, m_maximum);
    const int16_t unitMode = static_cast<int16_t>(m_unitPrefixMode);
    auto labelValue = [&](int k) {
        const double v = m_firstTick + k * m_tickSpacing;
        return logarithmic ? std::pow(10.0, v) : v;
    };

    // The precision every label shares; unscaled numbers of a negative exponent are probed
    // with that many more decimals.
    CKSTString text, suffix;
    int16_t decimals = 0;
    for (int k = 0; k < count; ++k) {
        FormatScaledNumber(labelValue(k), 6, true, m_unit, exponent, unitMode, text, suffix);
        decimals = std::max<int16_t>(decimals, CountDecimalPlaces(text, false));
    }
    int32_t widest = 0;
    int32_t tallest = 0;
    for (int k = 0; k < count; ++k) {
        Label label{CKSTString(), 0, 0, 0, 0};
        FormatScaledNumber(labelValue(k), decimals, false, m_unit, exponent, unitMode, label.text,
                           suffix);
        Measure(measure, font, label.text, label.width, label.height);
        widest = std::max(widest, label.width);
        tallest = std::max(tallest, label.height);
        m_labels.push_back(label);
    }

    const int64_t left = std::min(m_rect.left, m_rect.right);
    const int64_t right = std::max(m_rect.left, m_rect.right);
    const int64_t top = std::min(m_rect.top, m_rect.bottom);
    const int64_t bottom = std::max(m_rect.top, m_rect.bottom);
    const int64_t tickLength = settings.m_MainTickLength;
    const int64_t edge = EdgeOffset();
    for (int k = 0; k < count; ++k) {
        Label& label = m_labels[k];
        int64_t y = int64_t(ValueToPixel(m_firstTick + k * m_tickSpacing)) - label.height / 2;
        if (y < top) {
            y = top;
        }
        if (y + label.height > bottom) {
            y = bottom - label.height;
        }
        const int64_t x = m_rightSide ? left + tickLength + edge + 2 + widest - label.width
                                      : right - tickLength - edge - label.width - 1;
        label.x = AddPixels(x, 0);
        label.y = AddPixels(y, 0);
    }
    const int64_t height = bottom - top;
    m_labelsShown = height >= 2 * int64_t(tallest);
    int64_t width =
        std::max(settings.m_MainTickLength, settings.m_SubTickLength) + 2 + int64_t(widest);

    m_unitCaption.text = m_scaleType == kScaleDecibel ? CKSTString("dB") : suffix;
    if (!m_unitCaption.text.IsEmpty()) {
        Measure(measure, font, m_unitCaption.text, m_unitCaption.width, m_unitCaption.height);
        const Label& topLabel = m_lowestOnTop ? m_labels.front() : m_labels.back();
        const int64_t x = m_rightSide ? right - m_unitCaption.width - 1 : left + 3;
        m_unitCaption.x = AddPixels(x, 0);
        m_unitCaption.y = topLabel.y;
        m_unitCaptionShown = height >= m_unitCaption.height;
        width += m_unitCaption.width + 4 + edge;
    }
    return AddPixels(width, 0);
}
