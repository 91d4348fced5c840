#include "curvewnd/Dial.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/Numeric.h"

namespace {

TEST(DialTest, RadiusAndCentreFitTheBand)
{
    struct Case {
        const char* name;
        RECT band;
        double angle;
        int32_t cx, cy, r;
    };
    const Case cases[] = {
        // 270 degrees in a wide band: sy = (sin 45 + 1) x 0.5, r = trunc(180 / sy) / 2.
        {"270 wide", {0, 0, 400, 200}, 270.0, 200, 115, 105},
        // 180 degrees in a tall band: the width decides, r = trunc(180 / 1.0) / 2.
        {"180 tall", {0, 0, 200, 400}, 180.0, 100, 100, 90},
        // 90 degrees: sx = sin 45, sy = 0.5; the height decides.
        {"90 wide", {0, 0, 300, 100}, 90.0, 150, 90, 80},
        {"360 square", {0, 0, 300, 300}, 360.0, 150, 150, 140},
        {"offset band", {100, 50, 500, 250}, 270.0, 300, 165, 105},
        {"too small", {0, 0, 10, 10}, 270.0, 5, 10, 0},
        // The stored default of 0 and angles outside (0, 360] are drawn as 270.
        {"0 is 270", {0, 0, 400, 200}, 0.0, 200, 115, 105},
        {"negative is 270", {0, 0, 400, 200}, -90.0, 200, 115, 105},
        {"beyond 360 is 270", {0, 0, 400, 200}, 400.0, 200, 115, 105},
        {"NaN is 270", {0, 0, 400, 200}, NAN, 200, 115, 105},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const KstDial dial = KstDialGeometry(c.band, c.angle);
        EXPECT_EQ(dial.centreX, c.cx);
        EXPECT_EQ(dial.centreY, c.cy);
        EXPECT_EQ(dial.radius, c.r);
        EXPECT_TRUE(std::isfinite(dial.halfAngle));
    }
}

TEST(DialTest, ScaleRunsClockwiseFromTheLeftEnd)
{
    const double h = 135.0 * kPi / 180.0;
    EXPECT_DOUBLE_EQ(KstDialAngleAt(10, 10, 110, h), -h - kPi / 2);
    EXPECT_DOUBLE_EQ(KstDialAngleAt(60, 10, 110, h), -kPi / 2);
    EXPECT_DOUBLE_EQ(KstDialAngleAt(110, 10, 110, h), h - kPi / 2);
    // A scale without extent keeps everything at its left end.
    EXPECT_DOUBLE_EQ(KstDialAngleAt(50, 10, 10, h), -h - kPi / 2);
}

TEST(DialTest, NeedlePointsAcrossTheCentre)
{
    const KstNeedle up = KstNeedleAt(100, 100, 150, -kPi / 2);
    EXPECT_EQ(up.tip.x, 100);
    EXPECT_EQ(up.tip.y, -35);
    EXPECT_EQ(up.tail.x, 100);
    EXPECT_EQ(up.tail.y, 115);
    EXPECT_EQ(up.baseLeft.x, 90);
    EXPECT_EQ(up.baseLeft.y, 100);
    EXPECT_EQ(up.baseRight.x, 110);
    EXPECT_EQ(up.baseRight.y, 100);
    EXPECT_EQ(up.hubRadius, 10);
    // Rounded half away from zero: 0.9 x 15 = 13.5 to the left.
    const KstNeedle left = KstNeedleAt(0, 0, 15, kPi);
    EXPECT_EQ(left.tip.x, -14);
    EXPECT_EQ(left.tip.y, 0);
}

TEST(DialTest, HitTestAcceptsTheOuterRingWithinTheScale)
{
    const KstDial dial = KstDialGeometry({0, 0, 400, 200}, 270.0);  // centre 200, 115, r 105
    struct Case {
        const char* name;
        POINT p;
        bool hit;
    };
    const Case cases[] = {
        {"centre", {200, 115}, false},
        {"up on the ring", {200, 15}, true},
        {"inner edge of the ring", {200, 35}, true},
        {"inside the ring", {200, 36}, false},
        {"outside the dial", {200, 9}, false},
        {"left", {100, 115}, true},
        {"40 degrees below left", {123, 179}, true},
        {"50 degrees below left", {136, 192}, false},
        {"straight down", {200, 215}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KstHitTestDial(dial, c.p), c.hit);
    }
    // On a dial smaller than the ring the centre still never hits.
    const KstDial small = KstDialGeometry({0, 0, 60, 60}, 360.0);
    EXPECT_FALSE(KstHitTestDial(small, {small.centreX, small.centreY}));
}

}  // namespace
