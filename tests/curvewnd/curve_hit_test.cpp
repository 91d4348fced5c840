// Hit tests and the value of a curve at a pixel column, by display style. The scene maps time t
// to column t and value v to row 101 - v (fake_curve_host.h).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fake_curve_host.h"

namespace {

struct HitCase {
    const char* name;
    uint32_t style;
    POINT point;
    bool hit;
};

class CurveHitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Samples 40 apart: 10 at 20, 90 at 60 and 100.
        scene.Fill({10, 90, 90}, 40.0, 20.0);
    }

    CurveScene scene;
};

TEST_F(CurveHitTest, EachStyleIsHitWhereItIsDrawn)
{
    const HitCase cases[] = {
        {"steps on the step", CKSTCurve::kStyleSteps, {40, 91}, true},
        {"steps where a line would rise", CKSTCurve::kStyleSteps, {40, 51}, false},
        {"dotted steps 4 rows off the step", CKSTCurve::kStyleDotSteps, {40, 95}, true},
        // Bars cover everything from the zero row (101) up to the value.
        {"bars near the zero row", CKSTCurve::kStyleBars, {40, 100}, true},
        {"bars above the bar", CKSTCurve::kStyleBars, {40, 80}, false},
        {"3D bars inside", CKSTCurve::kStyle3DBars, {30, 96}, true},
        {"lines near the zero row", CKSTCurve::kStyleLines, {40, 100}, false},
        {"needle never", CKSTCurve::kStyleNeedle, {40, 91}, false},
        {"below the band", CKSTCurve::kStyleSteps, {40, 103}, false},
        {"left of the band", CKSTCurve::kStyleSteps, {-1, 91}, false},
        {"before the first sample", CKSTCurve::kStyleLines, {5, 91}, false},
    };
    for (const HitCase& c : cases) {
        SCOPED_TRACE(c.name);
        scene.curve.SetDisplayKind(c.style, false);
        EXPECT_EQ(c.hit, scene.curve.HitTest(c.point));
    }
}

TEST_F(CurveHitTest, LinesAreHitWithin5PixelsOfTheirValues)
{
    // A sample per column, rising by 2 per column from 20 to 60: 50 (row 51) at column 40, and
    // 40 .. 60 within 5 columns.
    std::vector<double> values;
    for (int t = 0; t <= 100; ++t) {
        values.push_back(t < 20 ? 10.0 : (t < 60 ? 10.0 + 2.0 * (t - 20) : 90.0));
    }
    scene.Fill(values, 1.0);
    const HitCase cases[] = {
        {"on the line", CKSTCurve::kStyleLines, {40, 51}, true},
        {"at the top of the range", CKSTCurve::kStyleLines, {40, 37}, true},
        {"above the range", CKSTCurve::kStyleLines, {40, 35}, false},
        {"at the bottom of the range", CKSTCurve::kStyleLines, {40, 65}, true},
        {"below the range", CKSTCurve::kStyleLines, {40, 66}, false},
        {"thick line", CKSTCurve::kStyleThickLines, {40, 60}, true},
        {"flat part", CKSTCurve::kStyleDashLines, {80, 13}, true},
        {"under the flat part", CKSTCurve::kStyleDashLines, {80, 30}, false},
    };
    for (const HitCase& c : cases) {
        SCOPED_TRACE(c.name);
        scene.curve.SetDisplayKind(c.style, false);
        EXPECT_EQ(c.hit, scene.curve.HitTest(c.point));
    }
}

TEST_F(CurveHitTest, UnorderedTimesAreHitAlongTheirSegments)
{
    scene.channel.Reset();
    scene.channel.SetTimeBaseType(CKSTChannel::kTimeVector);
    scene.channel.AppendTimeValue(80.0, 20.0);
    scene.channel.AppendTimeValue(20.0, 80.0);
    ASSERT_FALSE(scene.channel.AreTimesAscending());
    // The segment passes (50, 50): row 51.
    EXPECT_TRUE(scene.curve.HitTest(POINT{50, 51}));
    EXPECT_FALSE(scene.curve.HitTest(POINT{50, 30}));
}

TEST_F(CurveHitTest, XYCurvesAreHitWhereTheirColourIsWithin5Pixels)
{
    CKSTChannel xChannel;
    xChannel.SetDt(40.0);
    xChannel.SetT0(20.0);
    for (double x : {5.0, 50.0, 70.0}) {
        xChannel.AppendValue(x, false);
    }
    scene.host.displayKind = 1;
    scene.host.xChannel = &xChannel;
    scene.curve.SetColor(0x0000FF, false);
    scene.host.pixels[{30, 30}] = 0x0000FF;
    scene.host.pixels[{50, 50}] = 0x0000FE;
    EXPECT_TRUE(scene.curve.HitTest(POINT{35, 35}));
    EXPECT_TRUE(scene.curve.HitTest(POINT{25, 25}));
    EXPECT_FALSE(scene.curve.HitTest(POINT{36, 30})) << "6 pixels away";
    EXPECT_FALSE(scene.curve.HitTest(POINT{50, 50})) << "a similar colour is not the curve's";
}

TEST_F(CurveHitTest, EventTextsAreHitInTheirCells)
{
    scene.curve.SetDisplayKind(CKSTCurve::kStyleEventTexts, false);
    scene.curve.AddCell(RECT{10, 10, 20, 20});
    scene.curve.AddCell(RECT{50, 50, 60, 55});
    EXPECT_TRUE(scene.curve.HitTest(POINT{10, 10}));
    EXPECT_TRUE(scene.curve.HitTest(POINT{59, 54}));
    EXPECT_FALSE(scene.curve.HitTest(POINT{20, 15})) << "right edges are outside";
    EXPECT_FALSE(scene.curve.HitTest(POINT{40, 51})) << "the line is not drawn";
    scene.curve.ClearCells();
    EXPECT_FALSE(scene.curve.HitTest(POINT{15, 15}));
}

TEST_F(CurveHitTest, MatrixCurvesAreHitOverTheirGrid)
{
    CKSTChannel matrix;
    matrix.SetTimeBaseType(CKSTChannel::kMatrix);
    matrix.SetMatrixRowLength(3);
    matrix.SetT0(10.0);
    matrix.SetDt(20.0);
    matrix.SetSecondAxisOrigin(20.0);
    matrix.SetSecondAxisStep(30.0);
    matrix.AppendValues(1.0, false, 6);  // columns at 10, 30, 50; rows at 20, 50
    scene.curve.SetSources(&matrix, &scene.xAxis, &scene.yAxis);
    ASSERT_TRUE(scene.curve.IsMatrixCurve());
    EXPECT_TRUE(scene.curve.HitTest(POINT{30, 101 - 35}));
    EXPECT_TRUE(scene.curve.HitTest(POINT{10, 101 - 20}));
    EXPECT_FALSE(scene.curve.HitTest(POINT{60, 101 - 35}));
    EXPECT_FALSE(scene.curve.HitTest(POINT{30, 101 - 60}));
}

TEST_F(CurveHitTest, ValueAtAPixelFollowsTheStyle)
{
    double time = 0.0;
    double value = 0.0;
    ASSERT_TRUE(scene.curve.GetValueAtPixel(40, time, value));
    EXPECT_EQ(40.0, time);
    EXPECT_EQ(50.0, value) << "lines interpolate";
    scene.curve.SetDisplayKind(CKSTCurve::kStyleSteps, false);
    ASSERT_TRUE(scene.curve.GetValueAtPixel(40, time, value));
    EXPECT_EQ(10.0, value) << "steps hold the sample before";
    scene.curve.SetDisplayKind(CKSTCurve::kStyleBars, false);
    ASSERT_TRUE(scene.curve.GetValueAtPixel(60, time, value));
    EXPECT_EQ(90.0, value);

    scene.yAxis.SetScaleType(CKSTYAxis::kScaleDecibel);
    ASSERT_TRUE(scene.curve.GetValueAtPixel(30, time, value));
    EXPECT_DOUBLE_EQ(20.0, value) << "transformed: 20 log10(10)";

    CKSTCurve empty(&scene.host);
    EXPECT_FALSE(empty.GetValueAtPixel(30, time, value));
}

TEST_F(CurveHitTest, XYValuesAreTakenWhereTheXChannelCrossesTheColumn)
{
    CKSTChannel xChannel;
    xChannel.SetDt(40.0);
    xChannel.SetT0(20.0);
    for (double x : {0.0, 100.0, 100.0}) {
        xChannel.AppendValue(x, false);
    }
    scene.host.displayKind = 1;
    scene.host.xChannel = &xChannel;
    double time = 0.0;
    double value = 0.0;
    // X reaches 25 a quarter of the way from 20 to 60.
    ASSERT_TRUE(scene.curve.GetValueAtPixel(25, time, value));
    EXPECT_DOUBLE_EQ(30.0, time);
    EXPECT_DOUBLE_EQ(30.0, value);
}

}  // namespace
