#include "curvewnd/Dial.h"

#include <algorithm>
#include <cmath>

#include "foundation/Numeric.h"

namespace {

int32_t ClampToInt(double v)
{
    if (!(v > static_cast<double>(INT32_MIN))) {
        return std::isnan(v) ? 0 : INT32_MIN;
    }
    return v >= static_cast<double>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(v);
}

}  // namespace

double KstDialAngle(double degrees)
{
    return degrees > 0.0 && degrees <= 360.0 ? degrees : 270.0;
}

KstDial KstDialGeometry(const RECT& bandIn, double dialAngleDegrees)
{
    const RECT band = NormalizeRect(bandIn);
    const double halfAngle = KstDialAngle(dialAngleDegrees) / 2 * kPi / 180.0;
    const double widthFactor = halfAngle <= kPi / 2 ? std::sin(halfAngle) : 1.0;
    const double heightFactor =
        halfAngle <= kPi / 2 ? 0.5 : (std::sin(halfAngle - kPi / 2) + 1.0) * 0.5;
    const int32_t byWidth = ClampToInt((double(band.right) - band.left - 20) / widthFactor) / 2;
    const int32_t byHeight = ClampToInt((double(band.bottom) - band.top - 20) / heightFactor) / 2;
    KstDial dial;
    dial.radius = std::max(std::min(byWidth, byHeight), 0);
    dial.centreX = static_cast<int32_t>((int64_t(band.left) + band.right) / 2);
    dial.centreY = ClampToInt(double(band.top) + 10 + dial.radius);
    dial.halfAngle = halfAngle;
    return dial;
}

double KstDialAngleAt(double p, double p0, double p1, double halfAngle)
{
    const double share = p1 != p0 ? (p - p0) / (p1 - p0) : 0.0;
    return share * 2 * halfAngle - halfAngle - kPi / 2;
}

POINT KstDialPoint(int32_t centreX, int32_t centreY, double distance, double angle)
{
    return {ClampToInt(std::round(centreX + distance * std::cos(angle))),
            ClampToInt(std::round(centreY + distance * std::sin(angle)))};
}

KstNeedle KstNeedleAt(int32_t centreX, int32_t centreY, int32_t innerRadius, double angle)
{
    KstNeedle needle;
    needle.tail = KstDialPoint(centreX, centreY, -0.1 * innerRadius, angle);
    needle.tip = KstDialPoint(centreX, centreY, 0.9 * innerRadius, angle);
    const double half = innerRadius / 15.0;
    needle.baseLeft = KstDialPoint(centreX, centreY, half, angle - kPi / 2);
    needle.baseRight = KstDialPoint(centreX, centreY, half, angle + kPi / 2);
    needle.hubRadius = innerRadius / 15;
    return needle;
}

bool KstHitTestDial(const KstDial& dial, const POINT& point)
{
    const double dx = double(point.x) - dial.centreX;
    const double dy = double(point.y) - dial.centreY;
    const double d = std::hypot(dx, dy);
    // The centre itself has no direction; on a small dial it would lie inside the ring band.
    if (d == 0.0 || d > dial.radius || d < dial.radius - 25) {
        return false;
    }
    double a = std::atan2(dy, dx) + kPi / 2;
    if (a > kPi) {
        a -= 2 * kPi;
    }
    return a >= -dial.halfAngle && a <= dial.halfAngle;
}
