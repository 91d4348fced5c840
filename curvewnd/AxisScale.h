#pragma once
// Value-to-pixel arithmetic shared by the X and Y axes. Every conversion to an integer is
// clamped first: a value far outside the axis, an infinity or a NaN yields a pixel far outside
// the band, never undefined behaviour.

#include <algorithm>
#include <cmath>
#include <cstdint>

constexpr int32_t KST_AXIS_PIXEL_MAX = 2147483646;
constexpr int32_t KST_AXIS_PIXEL_MIN = -2147483647;

// Pixels per value unit of a band `pixels` long showing `span`; a span narrower than 1e-100
// counts as 1e30 pixels per unit.
inline double AxisScale(int32_t pixels, double span)
{
    return std::fabs(span) < 1e-100 ? 1e30 : pixels / span;
}

// How far below a half a pixel position still rounds away from zero. Positions computed from
// samples on a regular grid often land exactly on a half; the last bits of the arithmetic then
// decide, and they differ between two X ranges a whole number of pixels apart. With the slack a
// moved picture and a fresh one round the same way.
constexpr double KST_AXIS_PIXEL_TIE_SLACK = 1e-4;

// p truncated toward zero, then rounded half away from zero (within the tie slack), clamped to
// the pixel limits. NaN goes to the lower limit.
inline int32_t RoundAxisPixel(double p)
{
    if (!(p <= static_cast<double>(KST_AXIS_PIXEL_MAX))) {
        return std::isnan(p) ? KST_AXIS_PIXEL_MIN : KST_AXIS_PIXEL_MAX;
    }
    if (p < static_cast<double>(KST_AXIS_PIXEL_MIN)) {
        return KST_AXIS_PIXEL_MIN;
    }
    int32_t i = static_cast<int32_t>(p);
    if (p >= 0.0) {
        if (p >= i + (0.5 - KST_AXIS_PIXEL_TIE_SLACK) && i < KST_AXIS_PIXEL_MAX) {
            ++i;
        }
    } else if (p <= i - (0.5 - KST_AXIS_PIXEL_TIE_SLACK) && i > KST_AXIS_PIXEL_MIN) {
        --i;
    }
    return i;
}

// base + offset, kept inside the 32-bit range.
inline int32_t AddPixels(int64_t base, int64_t offset)
{
    return static_cast<int32_t>(std::clamp<int64_t>(base + offset, INT32_MIN, INT32_MAX));
}

// Truncates a pixel count into the 16-bit range that tick distances are kept in.
inline int16_t ClampToInt16(double value)
{
    if (!(value >= -32768.0)) {
        return std::isnan(value) ? 0 : -32768;
    }
    return value >= 32767.0 ? 32767 : static_cast<int16_t>(value);
}
