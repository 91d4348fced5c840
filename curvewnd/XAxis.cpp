#include "curvewnd/XAxis.h"

#include <algorithm>
#include <cmath>

#include "curvewnd/AxisScale.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/Numeric.h"

namespace {

// More steps than any band has pixels: the search for a spacing always ends long before.
constexpr int kMaxSpacingSteps = 100000;

}  // namespace

CKSTXAxis::CKSTXAxis(IKSTCurveOwner* owner) : m_owner(owner)
{
    Reset();
}

CKSTXAxis::~CKSTXAxis() = default;

void CKSTXAxis::CopyFrom(const CKSTXAxis& source)
{
    if (&source == this) {
        return;
    }
    // Copies first: the source may be part of this axis' own history.
    std::unique_ptr<CKSTXAxis> previous;
    if (source.m_previousState) {
        previous.reset(new CKSTXAxis(source.m_owner));
        previous->CopyFrom(*source.m_previousState);
    }
    std::unique_ptr<CKSTXAxis> rangeTemplate;
    if (source.m_rangeTemplate) {
        rangeTemplate.reset(new CKSTXAxis(source.m_owner));
        rangeTemplate->CopyFrom(*source.m_rangeTemplate);
    }
    CopyStateFrom(source);
    m_previousState = std::move(previous);
    m_rangeTemplate = std::move(rangeTemplate);
}

void CKSTXAxis::CopyStateFrom(const CKSTXAxis& source)
{
    m_owner = source.m_owner;
    m_type = source.m_type;
    m_numericOnly = source.m_numericOnly;
    m_unitText = source.m_unitText;
    m_rect = source.m_rect;
    m_referenceTime = source.m_referenceTime;
    m_minimum = source.m_minimum;
    m_maximum = source.m_maximum;
    m_displayMaximum = source.m_displayMaximum;
    m_span = source.m_span;
    m_firstTick = source.m_firstTick;
    m_tickSpacing = source.m_tickSpacing;
    m_autoTicks = source.m_autoTicks;
    m_pixelsPerTick = source.m_pixelsPerTick;
    m_ticksAtDataPoints = source.m_ticksAtDataPoints;
    m_axisHeight = source.m_axisHeight;
    m_rangeMode = source.m_rangeMode;
    m_unitPrefixMode = source.m_unitPrefixMode;
    m_labelRotation = source.m_labelRotation;
    m_zoomSpan = source.m_zoomSpan;
    m_zoomLevel = source.m_zoomLevel;
    m_channelValueSpan = source.m_channelValueSpan;
    m_labelPositions = source.m_labelPositions;
    m_tickPixels = source.m_tickPixels;
    m_labelTexts = source.m_labelTexts;
    m_caption = source.m_caption;
    m_captionPosition = source.m_captionPosition;
}

void CKSTXAxis::Reset()
{
    m_previousState.reset();
    m_rangeTemplate.reset();
    m_type = kTypeStandard;
    m_numericOnly = 0;
    m_unitText.Empty();
    m_rect = RECT{0, 0, 0, 0};
    m_referenceTime = CKSTTimeStamp::Now();
    m_minimum = 0.0;
    m_maximum = 10.0;
    m_displayMaximum = 10.0;
    m_span = 10.0;
    m_firstTick = 0.0;
    m_tickSpacing = 0.0;
    m_autoTicks = 1;
    m_pixelsPerTick = 0;
    m_ticksAtDataPoints = 0;
    m_axisHeight = 0;
    m_rangeMode = kRangeAutomatic;
    m_unitPrefixMode = 2;
    m_labelRotation = 0;
    m_zoomSpan = 0.0;
    m_zoomLevel = 0;
    m_channelValueSpan = 0.0;
    ClearLabels();
    RecalcTicks();
}

void CKSTXAxis::ClearLabels()
{
    m_labelPositions.clear();
    m_tickPixels.clear();
    m_labelTexts.clear();
    m_caption.Empty();
    m_captionPosition = POINT{0, 0};
}

const CKSTCurveWndSettings& CKSTXAxis::Settings() const
{
    return m_owner != nullptr ? m_owner->GetWindowSettings() : KstDefaultWindowSettings();
}

bool CKSTXAxis::IsEnglish() const
{
    return m_owner == nullptr || m_owner->IsEnglish();
}

const CKSTChannel* CKSTXAxis::TrackChannel() const
{
    return m_type == kTypeTrack && m_owner != nullptr ? m_owner->GetXChannel() : nullptr;
}

const CKSTChannel* CKSTXAxis::AxisChannel() const
{
    if (m_type != kTypeStandard || m_owner == nullptr || m_owner->GetDisplayKind() != 3) {
        return nullptr;
    }
    return m_owner->GetXChannel();
}

// --- Geometry ---

bool CKSTXAxis::HitTest(const POINT& point) const
{
    return PtInRectEx(m_rect, point);
}

int32_t CKSTXAxis::GetPixelLength() const
{
    const int64_t width = std::llabs(int64_t(m_rect.right) - m_rect.left);
    const int64_t length = m_type == kTypeScale ? width : width - 3;
    return static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
}

int32_t CKSTXAxis::ValueToPixel(double x) const
{
    const double scale = AxisScale(GetPixelLength(), m_displayMaximum - m_minimum);
    const int64_t left = std::min(m_rect.left, m_rect.right);
    return AddPixels(left + 1, RoundAxisPixel((x - m_minimum) * scale));
}

double CKSTXAxis::PixelToValue(int32_t pixel) const
{
    const double scale = AxisScale(GetPixelLength(), m_displayMaximum - m_minimum);
    const int64_t left = std::min(m_rect.left, m_rect.right);
    const double x = static_cast<double>(int64_t(pixel) - left - 1) / scale + m_minimum;
    const double spacing = m_tickSpacing;
    const double limit = m_displayMaximum + spacing * 1e-6;
    if (!(spacing > 0.0) || !(scale > 0.0) || !(m_firstTick <= limit)) {
        return x;
    }
    // Ticks left of the pixel's left neighbour cannot map onto the pixel; start there. Ticks
    // denser than a pixel are not told apart, so the walk is bounded.
    double k = std::floor((x - 1.0 / scale - m_firstTick) / spacing);
    if (!(k > 0.0)) {
        k = 0.0;
    }
    for (int i = 0; i < 1000; ++i, k += 1.0) {
        const double tick = m_firstTick + k * spacing;
        if (tick > limit) {
            break;
        }
        const int32_t tickPixel = ValueToPixel(tick);
        if (tickPixel == pixel) {
            return tick;
        }
        if (tickPixel > pixel) {
            break;
        }
    }
    return x;
}

void CKSTXAxis::SetRect(const RECT& rect)
{
    if (rect.left == m_rect.left && rect.top == m_rect.top && rect.right == m_rect.right &&
        rect.bottom == m_rect.bottom) {
        return;
    }
    Invalidate();
    m_rect = rect;
    RecalcTicks();
    Invalidate();
}

// --- Settings ---

void CKSTXAxis::Relayout()
{
    RecalcTicks();
    Invalidate();
}

bool CKSTXAxis::SetRange(double minimum, double maximum, uint32_t rangeMode, bool relayout)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum)) {
        return false;
    }
    if (minimum == maximum && rangeMode == kRangeMinMaxFixed) {
        return false;
    }
    if (minimum == m_minimum && maximum == m_maximum && rangeMode == m_rangeMode) {
        return true;
    }
    m_minimum = minimum;
    m_maximum = maximum;
    m_rangeMode = rangeMode;
    if (minimum == maximum) {
        m_minimum = 0.0;
        m_maximum = 10.0;
    }
    if (relayout) {
        Relayout();
    }
    return true;
}

bool CKSTXAxis::SetSpan(double span, uint32_t rangeMode, bool relayout)
{
    if (span == 0.0 || !std::isfinite(span)) {
        return false;
    }
    if (span == m_span && rangeMode == m_rangeMode) {
        return true;
    }
    m_span = span;
    m_rangeMode = rangeMode;
    if (relayout) {
        Relayout();
    }
    return true;
}

void CKSTXAxis::SetRootRangeMode(uint32_t mode)
{
    Root().m_rangeMode = mode;
}

void CKSTXAxis::SetReferenceTime(const CKSTTimeStamp& time)
{
    if (time == m_referenceTime) {
        return;
    }
    m_referenceTime = time;
    Relayout();
}

void CKSTXAxis::SetTicks(double spacing, bool onlyAtDataPoints, bool automatic)
{
    const uint8_t atPoints = onlyAtDataPoints ? 1 : 0;
    const uint8_t autoTicks = automatic ? 1 : 0;
    if (std::isnan(spacing) ||
        (spacing == m_tickSpacing && atPoints == m_ticksAtDataPoints && autoTicks == m_autoTicks)) {
        return;
    }
    m_tickSpacing = spacing;
    m_ticksAtDataPoints = atPoints;
    m_autoTicks = autoTicks;
    Relayout();
}

void CKSTXAxis::SetType(uint32_t type)
{
    if (type == m_type) {
        return;
    }
    m_type = type;
    Relayout();
}

void CKSTXAxis::SetUnitText(const CKSTString& text)
{
    if (text == m_unitText) {
        return;
    }
    m_unitText = text;
    Invalidate();
}

void CKSTXAxis::SetUnitPrefixMode(uint32_t mode)
{
    if (mode == m_unitPrefixMode) {
        return;
    }
    m_unitPrefixMode = mode;
    Invalidate();
}

void CKSTXAxis::SetLabelRotation(int16_t degrees)
{
    if (degrees == m_labelRotation) {
        return;
    }
    m_labelRotation = degrees;
    Invalidate();
}

void CKSTXAxis::Invalidate()
{
    if (m_owner == nullptr || !m_owner->HasDrawingWindow()) {
        return;
    }
    const RECT band = NormalizeRect(m_rect);
    m_owner->InvalidateRect(Settings().m_BorderWidth, band.top, band.right, band.bottom, true);
}

// --- Zoom history ---

void CKSTXAxis::PushZoom(uint16_t level)
{
    std::unique_ptr<CKSTXAxis> saved(new CKSTXAxis(m_owner));
    saved->CopyStateFrom(*this);
    if (m_rangeTemplate) {
        saved->m_rangeTemplate.reset(new CKSTXAxis(m_owner));
        saved->m_rangeTemplate->CopyFrom(*m_rangeTemplate);
    }
    saved->m_previousState = std::move(m_previousState);
    m_previousState = std::move(saved);
    m_zoomLevel = level;
}

void CKSTXAxis::TruncateZoom(uint16_t level)
{
    while (level < m_zoomLevel && m_previousState) {
        std::unique_ptr<CKSTXAxis> dropped = std::move(m_previousState);
        m_zoomLevel = dropped->m_zoomLevel;
        m_previousState = std::move(dropped->m_previousState);
    }
}

const CKSTXAxis* CKSTXAxis::GetZoomState(uint16_t level) const
{
    if (level >= m_zoomLevel || !m_previousState) {
        return this;
    }
    const CKSTXAxis* state = m_previousState.get();
    while (state->m_zoomLevel > level && state->m_previousState) {
        state = state->m_previousState.get();
    }
    return state;
}

const CKSTXAxis& CKSTXAxis::Root() const
{
    const CKSTXAxis* axis = this;
    while (axis->m_previousState) {
        axis = axis->m_previousState.get();
    }
    return *axis;
}

CKSTXAxis& CKSTXAxis::Root()
{
    CKSTXAxis* axis = this;
    while (axis->m_previousState) {
        axis = axis->m_previousState.get();
    }
    return *axis;
}

double CKSTXAxis::GetRootMinimum() const
{
    return Root().m_minimum;
}

double CKSTXAxis::GetRootMaximum() const
{
    return Root().m_maximum;
}

uint32_t CKSTXAxis::GetRootRangeMode() const
{
    return Root().m_rangeMode;
}

void CKSTXAxis::SaveRangeTemplate(const CKSTXAxis& source, uint32_t mode)
{
    for (CKSTXAxis* axis = this; axis != nullptr; axis = axis->m_previousState.get()) {
        std::unique_ptr<CKSTXAxis> copy(new CKSTXAxis(source.m_owner));
        copy->CopyStateFrom(source);
        copy->m_rangeMode = mode;
        axis->m_rangeTemplate = std::move(copy);
    }
}

void CKSTXAxis::DeleteRangeTemplates()
{
    for (CKSTXAxis* axis = this; axis != nullptr; axis = axis->m_previousState.get()) {
        axis->m_rangeTemplate.reset();
    }
}

bool CKSTXAxis::IsRangeWindow() const
{
    const uint32_t rootMode = GetRootRangeMode();
    return m_zoomLevel == 1 && (rootMode == kRangeSpanFixed || rootMode == kRangePointsFixed);
}

bool CKSTXAxis::NeedsScroll() const
{
    if (!IsRangeWindow() || m_owner == nullptr) {
        return false;
    }
    return m_owner->GetDataEndTime() <= m_displayMaximum + 1e-6 * m_displayMaximum;
}

// --- Ticks ---

void CKSTXAxis::MeasureChannelSpread()
{
    const CKSTChannel* channel = AxisChannel();
    if (channel == nullptr) {
        return;
    }
    m_channelValueSpan = 0.0;
    if (channel->GetCount() == 0) {
        return;
    }
    uint32_t first = channel->GetIndexAtTime(m_minimum);
    uint32_t last = channel->GetIndexAtTime(m_maximum);
    if (first > last) {
        std::swap(first, last);
    }
    double lo = 0.0, hi = 0.0;
    channel->GetValueRange(lo, hi, false, first, last + 1);
    const double spread = std::fabs(hi - lo);
    if (lo <= hi && std::isfinite(spread)) {
        m_channelValueSpan = spread;
    }
}

// Returns true when too many manual ticks switched the axis to automatic ticks; the layout is
// then left to the caller.
bool CKSTXAxis::LayoutTicksOnce(bool measureChannelSpread)
{
    const double spacing = m_tickSpacing;
    double n = (m_maximum - m_minimum) / spacing;
    if (!(n > 0.0)) {
        n = 1.0;
    }
    if (n > kMaxManualTicks && !m_autoTicks) {
        m_autoTicks = 1;
        return true;
    }
    if (measureChannelSpread) {
        MeasureChannelSpread();
    }
    if (spacing == 0.0 || !std::isfinite(spacing)) {
        m_firstTick = m_minimum;
    } else if (m_type == kTypeAbsoluteTime) {
        // Whole multiples of the spacing in wall-clock time.
        const double secondsOfDay = m_referenceTime.GetSecondsOfDay();
        m_firstTick = std::ceil((secondsOfDay + m_minimum) / spacing) * spacing - secondsOfDay;
    } else {
        m_firstTick = std::ceil(m_minimum / spacing) * spacing;
    }
    const int32_t length = GetPixelLength();
    const double perTick = length / n;
    m_pixelsPerTick = ClampToInt16(perTick);
    if (!(perTick >= 1.0) || perTick >= 32767.0) {
        // No whole-pixel tick grid: the range is shown as it is.
        m_displayMaximum = m_maximum;
        return false;
    }
    m_displayMaximum = length * (m_maximum - m_minimum) / (m_pixelsPerTick * n) + m_minimum;
    return false;
}

void CKSTXAxis::LayoutTicks(bool measureChannelSpread)
{
    if (LayoutTicksOnce(measureChannelSpread)) {
        RecalcTicks();
        Invalidate();
    }
}

void CKSTXAxis::RecalcTicks()
{
    if (m_type == kTypeNone || GetPixelLength() / 3 < 1) {
        m_displayMaximum = m_maximum;
        return;
    }
    IKSTTextMeasure* measure = m_owner != nullptr ? m_owner->GetTextMeasure() : nullptr;
    const CKSTFontDesc& font = Settings().m_AxesFontDesc;
    if (!m_autoTicks) {
        if (!LayoutTicksOnce(true)) {
            LayoutLabels(measure, font, false);
            return;
        }
    }
    const bool timeAxis = m_type == kTypeAbsoluteTime || m_type == kTypeRelativeTime;
    const double span = m_maximum - m_minimum;
    double lastGood = span;
    double previous = 0.0;
    for (int k = 1; k <= kMaxSpacingSteps; ++k) {
        const double step = timeAxis ? NiceTimeStep(span / k) : NiceStep(span / k);
        if (step == previous) {
            continue;
        }
        previous = step;
        m_tickSpacing = step;
        LayoutTicksOnce(false);
        if (measure == nullptr) {
            return;
        }
        const int32_t widest = LayoutLabels(measure, font, false);
        if (static_cast<int64_t>(widest * 1.5) >= m_pixelsPerTick) {
            break;
        }
        lastGood = step;
    }
    m_tickSpacing = lastGood;
    LayoutTicksOnce(true);
    LayoutLabels(measure, font, false);
}
