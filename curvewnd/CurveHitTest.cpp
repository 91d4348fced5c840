// The mapping of a curve's samples to pixels and the questions the window asks about points on
// the curve: is it or its dial hit, and what is its value at a pixel column (or, for a matrix
// curve, at a pixel).
#include <algorithm>
#include <cmath>

#include "curvewnd/AxisScale.h"
#include "curvewnd/Curve.h"
#include "curvewnd/Dial.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/Channel.h"
#include "foundation/Numeric.h"
#include "foundation/TimeStamp.h"

namespace {

// Hit tests accept this many pixels on either side of the point.
constexpr int32_t kHitMargin = 5;

// The channel value whose transform by the axis is v.
double Untransform(const CKSTYAxis& axis, double v)
{
    switch (axis.GetScaleType()) {
        case CKSTYAxis::kScaleLogarithmic:
            return std::pow(10.0, v);
        case CKSTYAxis::kScaleDecibel:
            return std::pow(10.0, v / 20.0);
        default:
            return v;
    }
}

bool IsStepStyle(uint32_t style)
{
    return style == CKSTCurve::kStyleSteps ||
           (style >= CKSTCurve::kStyleThickSteps && style <= CKSTCurve::kStyleDashDotDotSteps);
}

}  // namespace

double CKSTCurve::GetPixelScale() const
{
    if (m_xAxis == nullptr) {
        return 1.0;
    }
    const RECT band = GetRect();
    return AxisScale(band.right - band.left - 1,
                     m_xAxis->GetDisplayMaximum() - m_xAxis->GetMinimum());
}

double CKSTCurve::GetDateOffset() const
{
    if (m_xAxis == nullptr || m_channel == nullptr ||
        m_xAxis->GetType() != CKSTXAxis::kTypeAbsoluteTime) {
        return 0.0;
    }
    return (m_channel->GetStartTimeStamp() - m_xAxis->GetReferenceTime()).GetSeconds();
}

void CKSTCurve::ValueToPoint(double time, double value, POINT& point, double pixelsPerUnit) const
{
    const RECT band = GetRect();
    const double minimum = m_xAxis != nullptr ? m_xAxis->GetMinimum() : 0.0;
    point.x = AddPixels(band.left, RoundAxisPixel((time - minimum) * pixelsPerUnit));
    point.y = m_yAxis != nullptr ? m_yAxis->ValueToPixel(m_yAxis->Transform(value)) : band.bottom;
}

bool CKSTCurve::GetValueAtPixel(int32_t x, double& time, double& value) const
{
    if (m_channel == nullptr || m_xAxis == nullptr || m_yAxis == nullptr ||
        m_channel->GetCount() == 0) {
        return false;
    }
    const double xValue = m_xAxis->PixelToValue(x);
    const CKSTChannel* xChannel = m_owner != nullptr ? m_owner->GetXChannel() : nullptr;
    if (m_owner != nullptr && m_owner->GetDisplayKind() == 1 && xChannel != nullptr &&
        xChannel->GetCount() > 0) {
        time = xChannel->FindLevelCrossingTime(xValue);
    } else {
        time = xValue - GetDateOffset();
    }
    double raw = 0.0;
    if (IsStepStyle(m_displayStyle) || m_displayStyle == kStyleBars ||
        m_displayStyle == kStyle3DBars) {
        raw = m_channel->GetValue(m_channel->GetIndexAtTime(time));
    } else {
        raw = m_channel->GetValueAtTime(time);
    }
    value = m_yAxis->Transform(raw);
    return true;
}

bool CKSTCurve::HitTest(const POINT& point) const
{
    const RECT band = GetRect();
    if (!PtInRectEx(band, point)) {
        return false;
    }
    if (m_displayStyle == kStyleEventTexts) {
        for (const CKSTEventCell& cell : m_cells) {
            if (PtInRectEx(RECT{cell.left, cell.top, cell.right, cell.bottom}, point)) {
                return true;
            }
        }
        return false;
    }
    if (m_channel == nullptr || m_xAxis == nullptr || m_yAxis == nullptr ||
        m_channel->GetCount() == 0 || m_displayStyle == kStyleNeedle) {
        return false;
    }
    if (IsMatrixCurve()) {
        const double t = m_xAxis->PixelToValue(point.x) - GetDateOffset();
        const double y = m_yAxis->PixelToValue(point.y);
        return m_channel->GetStartTime() <= t && t <= m_channel->GetEndTime() &&
               m_channel->GetFirstRowPosition() <= y && y <= m_channel->GetLastRowPosition();
    }
    if (m_owner != nullptr && m_owner->GetDisplayKind() == 1) {
        // XY curves may cross themselves anywhere: the picture decides.
        const uint32_t wanted = m_owner->GetNearestScreenColor(GetColor()) & 0xFFFFFF;
        for (int32_t dy = -kHitMargin; dy <= kHitMargin; ++dy) {
            for (int32_t dx = -kHitMargin; dx <= kHitMargin; ++dx) {
                uint32_t colour = 0;
                if (m_owner->GetPlotPixel(point.x + dx, point.y + dy, colour) &&
                    (colour & 0xFFFFFF) == wanted) {
                    return true;
                }
            }
        }
        return false;
    }
    const double offset = GetDateOffset();
    const double t1 = m_xAxis->PixelToValue(point.x - kHitMargin) - offset;
    const double t2 = m_xAxis->PixelToValue(point.x + kHitMargin) - offset;
    if (m_channel->GetTimeBaseType() == CKSTChannel::kTimeVector &&
        !m_channel->AreTimesAscending()) {
        const double low = Untransform(*m_yAxis, m_yAxis->PixelToValue(point.y + kHitMargin));
        const double high = Untransform(*m_yAxis, m_yAxis->PixelToValue(point.y - kHitMargin));
        return m_channel->IntersectsRect(t1, low, t2, high);
    }
    double minimum = 0.0;
    double maximum = 0.0;
    bool found = false;
    if (m_displayStyle == kStyleBars || m_displayStyle == kStyle3DBars) {
        found = m_channel->GetBarRangeInWindow(t1, t2, minimum, maximum);
    } else if (IsStepStyle(m_displayStyle)) {
        found = m_channel->GetMinMaxInWindow(t1, t2, minimum, maximum);
    } else {
        found = m_channel->GetMinMaxBetween(t1, t2, minimum, maximum);
    }
    if (!found) {
        return false;
    }
    const int64_t rowOfMax = m_yAxis->ValueToPixel(m_yAxis->Transform(maximum));
    const int64_t rowOfMin = m_yAxis->ValueToPixel(m_yAxis->Transform(minimum));
    const int64_t top = std::min(rowOfMax, rowOfMin);
    const int64_t bottom = std::max(std::max(rowOfMax, rowOfMin), top + 1);
    // Rows [top, bottom) against the square's rows [y - 5, y + 5).
    return top < int64_t(point.y) + kHitMargin && int64_t(point.y) - kHitMargin < bottom;
}

bool CKSTCurve::HitTestDial(const POINT& point) const
{
    if (m_yAxis == nullptr) {
        return false;
    }
    KstDial dial;
    dial.centreX = m_dialCentreX;
    dial.centreY = m_dialCentreY;
    dial.radius = m_dialRadius;
    dial.halfAngle = KstDialAngle(m_yAxis->GetDialAngle()) / 2 * kPi / 180.0;
    return KstHitTestDial(dial, point);
}

bool CKSTCurve::GetMatrixValueAtPixel(int32_t x, int32_t y, double& value) const
{
    if (!IsMatrixCurve() || m_channel->GetCount() == 0 || m_xAxis == nullptr ||
        m_yAxis == nullptr) {
        return false;
    }
    const double t = m_xAxis->PixelToValue(x) - GetDateOffset();
    value = m_channel->GetMatrixValueAt(t, m_yAxis->PixelToValue(y));
    return true;
}
