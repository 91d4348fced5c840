// Tick labels, value texts and cursor labels of the X axis.
#include <algorithm>
#include <cmath>

#include "curvewnd/AxisScale.h"
#include "curvewnd/XAxis.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/LabelText.h"
#include "foundation/Numeric.h"

namespace {

// Visible spans up to these show the date, then the year, under the labels.
constexpr double kDateCaptionSpan = 43200.0;
constexpr double kYearCaptionSpan = 15000000.0;
// Labels that tick values are formatted with before the common precision is known.
constexpr int16_t kProbeDecimals = 6;
constexpr int kFullLength = 100;

// Time-of-day texts cut at their last significant part only in the 24-hour "hh:mm:ss" form;
// a 12-hour clock ("8:00:00 AM") keeps its whole time.
bool IsTwentyFourHourText(const CKSTString& text)
{
    if (text.GetLength() != 8) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if ((i == 2 || i == 5) ? text[i] != ':' : !digit) {
            return false;
        }
    }
    return true;
}

// Decimals the sub-second part of the stamp needs (at most 6).
int16_t FractionDecimals(const CKSTTimeStamp& stamp)
{
    return static_cast<int16_t>(
        CountDecimalPlaces(CKSTString::FormatFixed(stamp.GetFraction(), kProbeDecimals), false));
}

int16_t ClampDecimals(int decimals)
{
    return static_cast<int16_t>(std::clamp(decimals, 0, 30));
}

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

CKSTFontDesc CKSTXAxis::LabelFont(const CKSTFontDesc& font) const
{
    CKSTFontDesc turned = font;
    if (m_labelRotation != 0) {
        turned.m_escapement = m_labelRotation * 10;
        turned.m_orientation = m_labelRotation * 10;
    }
    return turned;
}

struct CKSTXAxis::LabelTick {
    double value;  // what the label shows (seconds on time axes)
    double time;   // the X value the label stands at
    bool skip;     // a channel label without a sample under it
};

// What every label of one layout shares.
struct CKSTXAxis::LabelFormat {
    bool english;
    bool absolute;
    bool relative;
    double visibleSpan;
    CKSTString unit;
    int16_t numberExponent;
    int16_t unitMode;
    // Time texts cut to the longest significant length; else the common decimals.
    bool cutTimes;
    int maxLength;
    int16_t decimals;
};

int32_t CKSTXAxis::LayoutLabels(IKSTTextMeasure* measure, const CKSTFontDesc& font,
                                bool channelLabels)
{
    if (m_type == kTypeNone) {
        m_axisHeight = 0;
        ClearLabels();
        return 0;
    }
    if (!(m_tickSpacing > 0.0) || m_minimum == m_maximum) {
        ClearLabels();
        return 0;
    }
    std::vector<LabelTick> ticks;
    CollectLabelTicks(channelLabels, ticks);
    const LabelFormat format = ChooseLabelFormat(ticks);
    ClearLabels();
    int32_t tallest = 0;
    CKSTString unitCaption;
    const int32_t widest = PlaceLabels(measure, font, ticks, format, tallest, unitCaption);
    PlaceCaption(measure, font, format, unitCaption, tallest);
    return widest;
}

// The ticks: at most one per pixel of the band (and a few beyond its end) can be told apart.
void CKSTXAxis::CollectLabelTicks(bool channelLabels, std::vector<LabelTick>& ticks) const
{
    const double spacing = m_tickSpacing;
    const CKSTChannel* track = TrackChannel();
    const CKSTChannel* axisChannel = AxisChannel();
    double last = m_displayMaximum + spacing * 1e-6;
    if (track != nullptr || axisChannel != nullptr) {
        last += 5.0 * spacing;
    }
    const int64_t maxTicks = std::clamp<int64_t>(int64_t(GetPixelLength()) + 16, 16, 100000);
    double walk = m_firstTick;
    for (int k = 0; k < maxTicks; ++k) {
        const double tick = m_firstTick + k * spacing;
        LabelTick label{tick, tick, false};
        if (m_type == kTypeTrack) {
            NextTrackLabel(track != nullptr ? walk : m_firstTick, k, spacing, label.value,
                           label.time);
            if (track != nullptr) {
                if (k > 0 && !(label.time > walk)) {
                    break;  // no further sample gives a label
                }
                walk = label.time;
            }
            if (!(label.time <= last)) {
                break;
            }
        } else {
            if (!(tick <= last)) {
                break;
            }
            if (axisChannel != nullptr) {
                if (channelLabels) {
                    label.skip = !SnapLabelToChannel(tick, label.value, label.time);
                } else {
                    label.value = axisChannel->GetValueAtTime(tick);
                }
            }
        }
        ticks.push_back(label);
    }
}

// The precision every label shares. Unscaled numbers of a negative exponent are probed with
// that many more decimals, so small values are told apart.
CKSTXAxis::LabelFormat CKSTXAxis::ChooseLabelFormat(const std::vector<LabelTick>& ticks) const
{
    const CKSTChannel* track = TrackChannel();
    const CKSTChannel* axisChannel = AxisChannel();
    LabelFormat format;
    format.english = IsEnglish();
    format.absolute = m_type == kTypeAbsoluteTime;
    format.relative = m_type == kTypeRelativeTime;
    format.visibleSpan = m_maximum - m_minimum;
    const int16_t exponent =
        track != nullptr ? 3 : EngineeringExponentOfMax(m_minimum, m_displayMaximum);
    format.unit = axisChannel != nullptr ? axisChannel->GetUnit() : m_unitText;
    format.numberExponent = axisChannel != nullptr ? 0 : exponent;
    format.unitMode = static_cast<int16_t>(m_unitPrefixMode);
    format.cutTimes = !format.absolute || IsTwentyFourHourText(m_referenceTime.FormatTime(0));
    format.maxLength = 0;
    format.decimals = 0;

    CKSTString text, suffix;
    for (const LabelTick& label : ticks) {
        if (format.absolute) {
            const CKSTTimeStamp stamp = m_referenceTime + label.value;
            if (format.cutTimes) {
                FormatTimeAxisLabel(stamp, kProbeDecimals, kFullLength, format.visibleSpan,
                                    format.english, text);
                format.maxLength = std::max(format.maxLength, TrimDurationLength(text));
            } else {
                format.decimals = std::max(format.decimals, FractionDecimals(stamp));
            }
        } else if (format.relative) {
            FormatDuration(label.value, kProbeDecimals, kFullLength, m_minimum, m_maximum,
                           format.english, text);
            format.maxLength = std::max(format.maxLength, TrimDurationLength(text));
        } else {
            FormatScaledNumber(label.value, kProbeDecimals, true, format.unit,
                               format.numberExponent, format.unitMode, text, suffix);
            format.decimals =
                std::max<int16_t>(format.decimals, CountDecimalPlaces(text, false));
        }
    }
    if (track != nullptr) {
        format.decimals = format.decimals > 0 ? 3 : 0;
    }
    return format;
}

// Texts, extents and places of the labels inside the band; returns the widest label, sets the
// axis height for the tallest and gives the unit the scaled numbers share.
int32_t CKSTXAxis::PlaceLabels(IKSTTextMeasure* measure, const CKSTFontDesc& font,
                               const std::vector<LabelTick>& ticks, const LabelFormat& format,
                               int32_t& tallest, CKSTString& unitCaption)
{
    const CKSTFontDesc labelFont = LabelFont(font);
    const int64_t left = std::min(m_rect.left, m_rect.right);
    const int64_t right = std::max(m_rect.left, m_rect.right);
    const int64_t labelTop = LabelTop();
    int32_t widest = 0;
    tallest = 0;
    bool havePrevious = false;
    int64_t previousPixel = 0;
    CKSTString text, suffix;
    for (const LabelTick& label : ticks) {
        if (format.absolute) {
            const CKSTTimeStamp stamp = m_referenceTime + label.value;
            if (format.cutTimes) {
                FormatTimeAxisLabel(stamp, kProbeDecimals, format.maxLength, format.visibleSpan,
                                    format.english, text);
            } else {
                FormatTimeAxisLabel(stamp, format.decimals, kFullLength, format.visibleSpan,
                                    format.english, text);
            }
        } else if (format.relative) {
            FormatDuration(label.value, kProbeDecimals, format.maxLength, m_minimum, m_maximum,
                           format.english, text);
        } else {
            FormatScaledNumber(label.value, format.decimals, false, format.unit,
                               format.numberExponent, format.unitMode, text, suffix);
            if (!suffix.IsEmpty()) {
                unitCaption = suffix;
            }
        }
        int32_t width = 0, height = 0;
        Measure(measure, labelFont, text, width, height);
        int32_t offsetX = 0, offsetY = 0;
        if (m_labelRotation != 0) {
            RotatedTextExtent(width, height, offsetX, offsetY, m_labelRotation);
        }
        const int64_t pixel = int64_t(ValueToPixel(label.time)) + 1;
        if (!(pixel > left && pixel <= right)) {
            continue;
        }
        widest = std::max(widest, width);
        if (label.skip) {
            continue;
        }
        if (m_type == kTypeTrack && havePrevious && pixel - previousPixel < 1.2 * width) {
            continue;
        }
        havePrevious = true;
        previousPixel = pixel;
        tallest = std::max(tallest, height);

        int64_t boxLeft = pixel - width / 2;
        if (boxLeft < left) {
            boxLeft = left;
        }
        if (pixel + width / 2 > right) {
            boxLeft = right - width;
        }
        POINT origin{AddPixels(boxLeft, 0), AddPixels(labelTop, 0)};
        if (m_labelRotation != 0) {
            origin.x = AddPixels(boxLeft + width / 2, offsetX);
            origin.y = AddPixels(labelTop + height / 2, -int64_t(offsetY));
        }
        m_tickPixels.push_back(AddPixels(pixel, -1));
        m_labelPositions.push_back(origin);
        m_labelTexts.push_back(text);
    }
    m_axisHeight = Settings().m_MainTickLength + 2 + tallest;
    return widest;
}

// Caption under the labels: the date or year of a time axis, else the unit.
void CKSTXAxis::PlaceCaption(IKSTTextMeasure* measure, const CKSTFontDesc& font,
                             const LabelFormat& format, const CKSTString& unitCaption,
                             int32_t tallest)
{
    if (format.absolute) {
        const CKSTTimeStamp start = m_referenceTime + m_minimum;
        if (format.visibleSpan <= kDateCaptionSpan) {
            m_caption = start.FormatDateNumeric(format.english);
        } else if (format.visibleSpan <= kYearCaptionSpan) {
            m_caption = CKSTString::FormatInt(start.GetYear());
        }
    } else {
        m_caption = unitCaption;
    }
    if (!m_caption.IsEmpty()) {
        int32_t width = 0, height = 0;
        Measure(measure, font, m_caption, width, height);
        const int64_t left = std::min(m_rect.left, m_rect.right);
        const int64_t right = std::max(m_rect.left, m_rect.right);
        const int64_t x = format.absolute ? left : right - 3 - width;
        m_captionPosition = POINT{AddPixels(x, 0), AddPixels(LabelTop() + tallest, 0)};
        m_axisHeight = AddPixels(m_axisHeight, height);
    }
}

// The labels' top row: below the tick marks.
int64_t CKSTXAxis::LabelTop() const
{
    return int64_t(std::min(m_rect.top, m_rect.bottom)) + Settings().m_MainTickLength + 1;
}

// --- Value texts ---

void CKSTXAxis::FormatValue(double x, CKSTString& number, CKSTString& unit, int16_t decimals) const
{
    number.Empty();
    unit.Empty();
    const int32_t length = std::max(GetPixelLength(), 1);
    double resolution = (m_displayMaximum - m_minimum) / length;
    const bool english = IsEnglish();
    auto places = [&](int automatic) {
        return decimals >= 0 ? decimals : ClampDecimals(automatic - DecadeExponent(resolution));
    };
    if (m_type == kTypeAbsoluteTime) {
        FormatTimeAxisLabel(m_referenceTime + x, places(1), kFullLength, m_maximum - m_minimum,
                            english, number);
        return;
    }
    if (m_type == kTypeRelativeTime) {
        FormatDuration(x, places(1), kFullLength, m_minimum, m_maximum, english, number);
        return;
    }
    const int16_t unitMode = static_cast<int16_t>(m_unitPrefixMode);
    if (const CKSTChannel* channel = AxisChannel()) {
        resolution = m_channelValueSpan / length;
        const double value = std::isnan(x) ? x : channel->GetValueAtTime(x);
        FormatScaledNumber(value, places(1), true, channel->GetUnit(), 0, unitMode, number, unit);
        return;
    }
    if (TrackChannel() != nullptr) {
        x = TrackValueAtTime(x);
    }
    const int16_t exponent = EngineeringExponentOfMax(m_minimum, m_maximum);
    FormatScaledNumber(x, places(exponent + 1), true, m_unitText, exponent, unitMode, number, unit);
}

void CKSTXAxis::FormatPixel(int32_t pixel, CKSTString& number, CKSTString& unit) const
{
    const int64_t left = std::min(m_rect.left, m_rect.right);
    const int64_t right = std::max(m_rect.left, m_rect.right);
    const int64_t clamped = std::clamp<int64_t>(pixel, left + 1, std::max(left + 1, right));
    FormatValue(PixelToValue(AddPixels(clamped, 0)), number, unit, -1);
}

// --- Cursor labels ---

void CKSTXAxis::GetCursorLabelRect(int32_t pixel, RECT& rect, CKSTString& number,
                                   CKSTString& unit) const
{
    FormatPixel(pixel, number, unit);
    int32_t width = 0, height = 0;
    Measure(m_owner != nullptr ? m_owner->GetTextMeasure() : nullptr, Settings().m_AxesFontDesc,
            number, width, height);
    const int64_t boxWidth = int64_t(width) + 3;
    const int64_t boxHeight = int64_t(height) + 2;
    const int64_t left = std::min(m_rect.left, m_rect.right);
    const int64_t right = std::max(m_rect.left, m_rect.right);
    const int64_t bottom = std::max(m_rect.top, m_rect.bottom);
    int64_t boxLeft = pixel - boxWidth / 2;
    if (boxLeft + boxWidth > right) {
        boxLeft = right - boxWidth;
    }
    if (boxLeft < left) {
        boxLeft = left;
    }
    rect = RECT{AddPixels(boxLeft, 0), AddPixels(bottom, -boxHeight), AddPixels(boxLeft, boxWidth),
                AddPixels(bottom, 0)};
}

void CKSTXAxis::ShowCursorLabel(int index, int32_t pixel)
{
    if ((index != 1 && index != 2) || m_owner == nullptr) {
        return;
    }
    RECT rect;
    CKSTString number, unit;
    GetCursorLabelRect(pixel, rect, number, unit);
    const CKSTCurveWndSettings& settings = Settings();
    m_cursorLabels[index - 1].reset();
    m_cursorLabels[index - 1] =
        m_owner->CreateTextTip(rect, settings.m_AxesFontDesc, settings.m_XTextColor, number);
}

void CKSTXAxis::MoveCursorLabel(int index, int32_t pixel)
{
    if ((index != 1 && index != 2) || !m_cursorLabels[index - 1]) {
        return;
    }
    RECT rect;
    CKSTString number, unit;
    GetCursorLabelRect(pixel, rect, number, unit);
    m_cursorLabels[index - 1]->SetText(rect, number);
}

void CKSTXAxis::HideCursorLabel(int index)
{
    if (index == 1 || index == 2) {
        m_cursorLabels[index - 1].reset();
    }
}

bool CKSTXAxis::HasCursorLabel(int index) const
{
    return (index == 1 || index == 2) && m_cursorLabels[index - 1] != nullptr;
}
