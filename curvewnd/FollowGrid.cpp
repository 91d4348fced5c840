#include "curvewnd/FollowGrid.h"

#include <cmath>

#include "curvewnd/XAxis.h"

namespace {

// A newest time this little past a grid point still ends there: it is the rounding of the
// division, not a sample in the next pixel.
constexpr double kOnGridPoint = 1e-6;
// Beyond this many steps from the origin a grid point is no longer exact to a tiny fraction of a
// pixel; the grid starts again instead.
constexpr double kMaxSteps = 1e9;
// Relative change of the pixel width that still counts as the same width.
constexpr double kSamePixel = 1e-9;

// X units per pixel of the axis as laid out; 0 when it has no usable scale.
double PixelTimeOf(const CKSTXAxis& axis)
{
    const int32_t length = axis.GetPixelLength();
    const double width = (axis.GetDisplayMaximum() - axis.GetMinimum()) / length;
    return length >= 1 && width > 0.0 && std::isfinite(width) ? width : 0.0;
}

}  // namespace

bool CKSTFollowGrid::Fits(const CKSTXAxis& axis, double span) const
{
    return m_valid && span == m_span && axis.GetPixelLength() == m_pixelLength &&
           axis.GetType() == m_type && axis.GetZoomLevel() == m_zoomLevel;
}

void CKSTFollowGrid::Restart(const CKSTXAxis& axis, double span)
{
    m_pixelTime = PixelTimeOf(axis);
    m_valid = m_pixelTime > 0.0;
    m_origin = axis.GetMaximum();
    m_span = span;
    m_pixelLength = axis.GetPixelLength();
    m_type = axis.GetType();
    m_zoomLevel = axis.GetZoomLevel();
}

bool CKSTFollowGrid::Follow(CKSTXAxis& axis, double newest, double span, uint32_t rangeMode)
{
    if (!(span > 0.0 && std::isfinite(span) && std::isfinite(newest))) {
        Reset();
        return axis.SetRange(newest - span, newest, rangeMode, true);
    }
    double end = newest;
    bool onGrid = false;
    if (Fits(axis, span)) {
        const double steps = (newest - m_origin) / m_pixelTime;
        if (std::fabs(steps) < kMaxSteps) {
            end = m_origin + std::ceil(steps - kOnGridPoint) * m_pixelTime;
            onGrid = true;
        }
    }
    if (!axis.SetRange(end - span, end, rangeMode, true)) {
        Reset();
        return false;
    }
    // The tick layout of the new range fixes its pixel width; a new one (other ticks, another
    // width) or a jump too far from the origin starts the grid at this range's end.
    if (!onGrid || !(std::fabs(PixelTimeOf(axis) - m_pixelTime) <= kSamePixel * m_pixelTime)) {
        Restart(axis, span);
    }
    return true;
}
