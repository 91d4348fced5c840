#pragma once
// Geometry of the pointer instrument: the dial that fits the band, the angle of a scale position
// and of the needle, the needle's points and the hit test of the dial's ring. Angles are radians
// as on the screen: 0 points right, -pi/2 straight up, and the scale runs clockwise from its left
// end at -h - pi/2 to its right end at h - pi/2 (h the half dial angle).

#include <cstdint>

#include "foundation/Geometry.h"

// Dial angle in degrees as drawn: a value outside (0, 360] (the settings record stores 0 by
// default, and a zero angle would leave no dial to divide the scale over) is taken as 270.
double KstDialAngle(double degrees);

struct KstDial {
    int32_t centreX;
    int32_t centreY;
    int32_t radius;    // outer radius of the scale ring; 0 when the band is too small
    double halfAngle;  // radians
};

// The largest dial of the angle (KstDialAngle) that fits the band with 10 pixels to spare on
// every side, its top 10 pixels below the band's top.
KstDial KstDialGeometry(const RECT& band, double dialAngleDegrees);

// The angle of position p of a scale running from p0 (left end) to p1 (right end).
double KstDialAngleAt(double p, double p0, double p1, double halfAngle);

// A point at the distance from the centre in the direction of the angle, rounded half away from
// zero.
POINT KstDialPoint(int32_t centreX, int32_t centreY, double distance, double angle);

struct KstNeedle {
    POINT tail;      // 0.1 R behind the centre
    POINT tip;       // 0.9 R in front of it
    POINT baseLeft;  // R / 15 to each side of the centre, across the needle
    POINT baseRight;
    int32_t hubRadius;  // R / 15
};
// The needle at the angle; innerRadius is R, the radius inside the scale ring.
KstNeedle KstNeedleAt(int32_t centreX, int32_t centreY, int32_t innerRadius, double angle);

// The point lies on the outer 25 pixels of the dial's ring within the scale's angle.
bool KstHitTestDial(const KstDial& dial, const POINT& point);
