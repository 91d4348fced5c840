// The geometry of curve painting, recorded from the canvas: the column reduction of the line
// pass, gap detection, steps and bars, logarithmic axes, symbols, and that nothing leaves the
// band whatever the values. The scene maps time t to column t and value v to row 101 - v
// (fake_curve_host.h).
#include "curvewnd/CurvePainter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fake_curve_host.h"

// Found by argument lookup for the platform's point, which lives in the global namespace.
static bool operator==(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}

static std::ostream& operator<<(std::ostream& out, const POINT& p)
{
    return out << "(" << p.x << ", " << p.y << ")";
}

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Line {
    POINT from;
    POINT to;
};

// Records what the painter draws. Every coordinate it receives is also checked against the
// band by the tests that care.
class RecordingCanvas : public IKSTCurveCanvas {
public:
    void SelectPen(Pen pen) override { this->pen = pen; }
    void MoveTo(int32_t x, int32_t y) override { position = POINT{x, y}; }
    void LineTo(int32_t x, int32_t y) override
    {
        lines.push_back(Line{position, POINT{x, y}});
        position = POINT{x, y};
    }
    void SetPixel(int32_t x, int32_t y) override { pixels.push_back(POINT{x, y}); }
    void FillBar(const RECT& rect) override { bars.push_back(rect); }
    void FillPolygon(const POINT* points, int count, uint32_t colour) override
    {
        polygons.emplace_back(points, points + count);
        polygonColours.push_back(colour);
    }

    // Every point handed over, for the band test.
    std::vector<POINT> AllPoints() const
    {
        std::vector<POINT> all = pixels;
        for (const Line& line : lines) {
            all.push_back(line.from);
            all.push_back(line.to);
        }
        for (const RECT& bar : bars) {
            all.push_back(POINT{bar.left, bar.top});
            all.push_back(POINT{bar.right - 1, bar.bottom - 1});
        }
        for (const auto& polygon : polygons) {
            all.insert(all.end(), polygon.begin(), polygon.end());
        }
        return all;
    }

    // Targets of the lines ending in column x, in drawing order.
    std::vector<int32_t> RowsDrawnInto(int32_t x) const
    {
        std::vector<int32_t> rows;
        for (const Line& line : lines) {
            if (line.to.x == x) {
                rows.push_back(line.to.y);
            }
        }
        return rows;
    }

    Pen pen = Pen::Line;
    POINT position{-1, -1};
    std::vector<Line> lines;
    std::vector<POINT> pixels;
    std::vector<RECT> bars;
    std::vector<std::vector<POINT>> polygons;
    std::vector<uint32_t> polygonColours;
};

class CurvePainterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(100.0, scene.xAxis.GetDisplayMaximum());
        ASSERT_EQ(100.0, scene.yAxis.GetDisplayMaximum());
        ASSERT_EQ(1.0, scene.curve.GetPixelScale());
    }

    // The normal paint of the y(t) display.
    RecordingCanvas Paint()
    {
        RecordingCanvas canvas;
        CKSTCurvePainter painter(scene.curve, canvas);
        painter.PaintLines();
        painter.PaintSymbols();
        return canvas;
    }

    // Every column strictly between x1 and x2 is crossed by a line.
    static bool Joins(const RecordingCanvas& canvas, int32_t x1, int32_t x2)
    {
        for (int32_t x = x1 + 1; x < x2; ++x) {
            const bool crossed =
                std::any_of(canvas.lines.begin(), canvas.lines.end(), [x](const Line& line) {
                    return std::min(line.from.x, line.to.x) <= x &&
                           x <= std::max(line.from.x, line.to.x);
                });
            if (!crossed) {
                return false;
            }
        }
        return true;
    }

    CurveScene scene;
};

// 1,000 samples of a square wave in column 10 draw one vertical stroke: first value, minimum,
// maximum, last value, even though the maximum came first in time.
TEST_F(CurvePainterTest, ASquareWaveInOneColumnDrawsFirstMinimumMaximumLast)
{
    std::vector<double> values(1000);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = (i / 50) % 2 == 0 ? 80.0 : 20.0;
    }
    values.front() = 50.0;
    values.back() = 60.0;
    scene.Fill(values, 0.001, 9.5005);

    const RecordingCanvas canvas = Paint();
    EXPECT_EQ((std::vector<int32_t>{81, 21, 41}), canvas.RowsDrawnInto(10));
    for (const Line& line : canvas.lines) {
        EXPECT_EQ(10, line.from.x);
        EXPECT_EQ(10, line.to.x);
    }
    // The first point starts the stroke.
    ASSERT_FALSE(canvas.lines.empty());
    EXPECT_EQ((POINT{10, 51}), canvas.lines.front().from);
}

// Noise over the whole band, 100 samples per column: every column is drawn from at most four
// points, exactly those of its own samples, minimum before maximum.
TEST_F(CurvePainterTest, EveryColumnIsDrawnFromItsOwnFirstMinimumMaximumAndLast)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(0.0, 100.0);
    std::vector<double> values(10000);
    for (double& v : values) {
        v = noise(random);
    }
    // Samples at -0.495 + i / 100: column x holds samples 100 x .. 100 x + 99 and none lies on
    // a column boundary.
    scene.Fill(values, 0.01, -0.495);
    const RecordingCanvas canvas = Paint();

    // Column 0 is entered from a sample left of the band: from column 1 on every column is
    // entered from the previous one.
    for (int32_t x = 1; x < 100; ++x) {
        SCOPED_TRACE(testing::Message() << "column " << x);
        const auto first = values.begin() + static_cast<size_t>(x) * 100;
        const auto last = first + 100;
        std::vector<int32_t> expected{scene.yAxis.ValueToPixel(*first)};
        for (double v :
             {*std::min_element(first, last), *std::max_element(first, last), *(last - 1)}) {
            const int32_t row = scene.yAxis.ValueToPixel(v);
            if (row != expected.back()) {
                expected.push_back(row);
            }
        }
        const std::vector<int32_t> drawn = canvas.RowsDrawnInto(x);
        EXPECT_LE(drawn.size(), 4u);
        EXPECT_EQ(expected, drawn);
    }
}

TEST_F(CurvePainterTest, ColumnsOfMissingSamplesAddNoPointAndTheLineRunsOn)
{
    // One sample per column; columns 40 .. 44 hold only missing samples.
    scene.channel.Reset();
    scene.channel.SetDt(1.0);
    for (int i = 0; i <= 100; ++i) {
        scene.channel.AppendValue(i < 40 ? 10.0 : 30.0, i >= 40 && i <= 44);
    }
    scene.curve.SetInterpolateGaps(true, false);
    const RecordingCanvas canvas = Paint();
    for (int32_t x = 40; x <= 44; ++x) {
        EXPECT_TRUE(canvas.RowsDrawnInto(x).empty()) << x;
    }
    // Straight on from the last point before to the first point after.
    bool found = false;
    for (const Line& line : canvas.lines) {
        found |= line.from == POINT{39, 91} && line.to == POINT{45, 71};
    }
    EXPECT_TRUE(found);

    // The same with NaN values in place of the flags.
    scene.channel.Reset();
    scene.channel.SetDt(1.0);
    for (int i = 0; i <= 100; ++i) {
        scene.channel.AppendValue(i >= 40 && i <= 44 ? kNaN : (i < 40 ? 10.0 : 30.0), false);
    }
    const RecordingCanvas nans = Paint();
    for (int32_t x = 40; x <= 44; ++x) {
        EXPECT_TRUE(nans.RowsDrawnInto(x).empty()) << x;
    }
    EXPECT_TRUE(Joins(nans, 39, 45));
}

// A column whose first or last samples are missing starts and ends at its present samples; a
// missing value never becomes a point.
TEST_F(CurvePainterTest, MissingSamplesAtTheEdgesOfAColumnAreNotDrawn)
{
    scene.channel.Reset();
    scene.channel.SetDt(0.25);
    scene.channel.SetT0(9.625);  // column 10: samples 0 .. 3
    scene.channel.AppendValue(0.0, true);
    scene.channel.AppendValue(40.0, false);
    scene.channel.AppendValue(60.0, false);
    scene.channel.AppendValue(0.0, true);
    const RecordingCanvas canvas = Paint();
    for (const POINT& p : canvas.AllPoints()) {
        EXPECT_NE(101, p.y) << "a missing sample's value 0 was drawn at " << p;
    }
    EXPECT_EQ((std::vector<int32_t>{41}), canvas.RowsDrawnInto(10));
}

struct GapCase {
    const char* name;
    std::vector<double> times;
    bool interpolateGaps;
    bool joined;  // the samples at times[2] and times[3] are joined by a line
};

// Gap detection: the dominant step is 1 (threshold 1.5); a gap needs both 1.5 steps in time and
// two pixel columns on the screen.
TEST_F(CurvePainterTest, GapsBreakTheLineAtTheirThresholdsUnlessGapsAreInterpolated)
{
    const GapCase cases[] = {
        {"step of exactly 1.5 x dominant",
         {10.25, 11.25, 12.25, 13.75, 14.75, 15.75, 16.75},
         false,
         false},
        {"step just below 1.5 x dominant",
         {10.25, 11.25, 12.25, 13.625, 14.625, 15.625, 16.625},
         false,
         true},
        {"step of 3, gaps interpolated", {10.25, 11.25, 12.25, 15.25, 16.25, 17.25}, true, true},
        {"step of 3", {10.25, 11.25, 12.25, 15.25, 16.25, 17.25}, false, false},
    };
    for (const GapCase& c : cases) {
        SCOPED_TRACE(c.name);
        scene.channel.Reset();
        scene.channel.SetTimeBaseType(CKSTChannel::kTimeVector);
        for (double t : c.times) {
            scene.channel.AppendTimeValue(t, 50.0);
        }
        scene.curve.SetInterpolateGaps(c.interpolateGaps, false);
        const RecordingCanvas canvas = Paint();
        const int32_t x1 = static_cast<int32_t>(std::lround(c.times[2]));
        const int32_t x2 = static_cast<int32_t>(std::lround(c.times[3]));
        EXPECT_EQ(c.joined, Joins(canvas, x1, x2));
        // The sample after a gap is still drawn.
        const bool drawn = std::any_of(canvas.pixels.begin(), canvas.pixels.end(),
                                       [x2](const POINT& p) { return p.x == x2 && p.y == 51; });
        EXPECT_TRUE(drawn);
    }
}

TEST_F(CurvePainterTest, GapsNeedTwoPixelColumns)
{
    // Ten pixels per unit: a step of 3 units is 30 columns apart and breaks the line; shrunk to
    // a tenth the same time gap spans less than two columns and is joined.
    scene.channel.Reset();
    scene.channel.SetTimeBaseType(CKSTChannel::kTimeVector);
    for (double t : {1.0, 1.1, 1.2, 1.5, 1.6, 1.7, 1.8}) {
        scene.channel.AppendTimeValue(t * 10.0, 50.0);
    }
    EXPECT_FALSE(Joins(Paint(), 12, 15));

    scene.channel.Reset();
    scene.channel.SetTimeBaseType(CKSTChannel::kTimeVector);
    for (double t : {10.0, 10.1, 10.2, 10.5, 10.6, 10.7, 10.8}) {
        scene.channel.AppendTimeValue(t, 50.0);
    }
    const RecordingCanvas canvas = Paint();
    const bool drawnAcross =
        std::any_of(canvas.lines.begin(), canvas.lines.end(), [](const Line& l) {
            return std::min(l.from.x, l.to.x) <= 10 && std::max(l.from.x, l.to.x) >= 11;
        });
    EXPECT_TRUE(drawnAcross);
}

struct LastWidthCase {
    const char* name;
    uint32_t style;
    int32_t lastColumn;  // rightmost column reached by the drawing
};

// Samples every 10 units up to 50: steps and bars end 10 columns after the last sample, a line
// at it.
TEST_F(CurvePainterTest, StepsAndBarsGiveTheLastSampleItsFullWidth)
{
    const LastWidthCase cases[] = {
        {"line", CKSTCurve::kStyleLines, 50},
        {"steps", CKSTCurve::kStyleSteps, 60},
        {"thick steps", CKSTCurve::kStyleThickSteps, 60},
        {"dotted steps", CKSTCurve::kStyleDotSteps, 60},
        {"bars", CKSTCurve::kStyleBars, 57},  // bars wider than 3 leave a gap of 2 columns
        {"3D bars", CKSTCurve::kStyle3DBars, 57},
        {"symbols only", CKSTCurve::kStyleSymbols, 50},
    };
    scene.Fill({10, 20, 30, 40, 50, 60}, 10.0);
    for (const LastWidthCase& c : cases) {
        SCOPED_TRACE(c.name);
        scene.curve.SetDisplayKind(c.style, false);
        const RecordingCanvas canvas = Paint();
        int32_t rightmost = -1;
        for (const POINT& p : canvas.AllPoints()) {
            rightmost = std::max<int32_t>(rightmost, p.x);
        }
        EXPECT_EQ(c.lastColumn, rightmost);
    }
}

TEST_F(CurvePainterTest, StepsGoAcrossFirstThenUpOrDown)
{
    scene.Fill({10, 30}, 20.0, 40.0);
    scene.curve.SetDisplayKind(CKSTCurve::kStyleSteps, false);
    const RecordingCanvas canvas = Paint();
    std::vector<POINT> path;
    for (const Line& line : canvas.lines) {
        path.push_back(line.to);
    }
    EXPECT_EQ((std::vector<POINT>{{60, 91}, {60, 71}, {80, 71}}), path);
    EXPECT_EQ((POINT{40, 91}), canvas.lines.front().from);
}

TEST_F(CurvePainterTest, BarsFillFromTheZeroRowAndRememberTheirTop)
{
    scene.Fill({30, 60}, 20.0, 20.0);
    scene.curve.SetDisplayKind(CKSTCurve::kStyleBars, false);
    const RecordingCanvas canvas = Paint();
    // Bar 1 from column 20 to 40 less the gap, bar 2 to 60 less the gap; rows from the value
    // down to the zero row 101.
    ASSERT_EQ(2u, canvas.bars.size());
    EXPECT_EQ(20, canvas.bars[0].left);
    EXPECT_EQ(38, canvas.bars[0].right);
    EXPECT_EQ(71, canvas.bars[0].top);
    EXPECT_EQ(102, canvas.bars[0].bottom);
    EXPECT_EQ(40, canvas.bars[1].left);
    EXPECT_EQ(58, canvas.bars[1].right);
    EXPECT_EQ(41, canvas.bars[1].top);
    EXPECT_EQ(41, scene.curve.GetLastBarTop());
}

// A bar whose value lies far above the axis still fills the band to its top.
TEST_F(CurvePainterTest, OffScaleBarsFillTheBandInsteadOfVanishing)
{
    scene.Fill({1e6, 1e6}, 20.0, 20.0);
    scene.curve.SetDisplayKind(CKSTCurve::kStyleBars, false);
    const RecordingCanvas canvas = Paint();
    ASSERT_FALSE(canvas.bars.empty());
    EXPECT_EQ(0, canvas.bars[0].top);
    EXPECT_EQ(102, canvas.bars[0].bottom);
}

TEST_F(CurvePainterTest, ThreeDBarsAreAFrontFaceWithShadedSideAndCap)
{
    scene.Fill({30, 30}, 30.0, 20.0);
    scene.curve.SetColor(0x6496C8, false);  // bytes 200, 150, 100
    scene.curve.SetDisplayKind(CKSTCurve::kStyle3DBars, false);
    const RecordingCanvas canvas = Paint();
    // First bar: columns 20 .. 48 (28 wide), d = 5: front face 23 wide.
    ASSERT_GE(canvas.bars.size(), 1u);
    EXPECT_EQ(43, canvas.bars[0].right);
    ASSERT_GE(canvas.polygons.size(), 2u);
    EXPECT_EQ(0x3C5A78u, canvas.polygonColours[0]);  // side: x 0.6
    EXPECT_EQ(0x5078A0u, canvas.polygonColours[1]);  // cap of a rising bar: x 0.8
    // The side face, columns 43 .. 47, slants 6 rows upwards.
    EXPECT_EQ((POINT{43, 71}), canvas.polygons[0][0]);
    EXPECT_EQ((POINT{47, 65}), canvas.polygons[0][1]);
}

// On a logarithmic axis samples sparser than pixels are joined through the interpolated value
// of every column between them; on a linear axis the line runs straight.
TEST_F(CurvePainterTest, LogarithmicAxesDrawTheInterpolatedValueOfEveryEmptyColumn)
{
    scene.Fill({1, 100}, 50.0, 25.0);
    const RecordingCanvas linear = Paint();
    EXPECT_TRUE(linear.RowsDrawnInto(50).empty());

    scene.yAxis.SetScaleType(CKSTYAxis::kScaleLogarithmic);
    ASSERT_TRUE(scene.yAxis.SetRange(0.0, 2.0, false));
    ASSERT_EQ(2.0, scene.yAxis.GetDisplayMaximum());
    const RecordingCanvas log = Paint();
    for (int32_t x = 26; x < 75; ++x) {
        SCOPED_TRACE(x);
        const double value = 1.0 + 99.0 * (x - 25) / 50.0;
        ASSERT_EQ(1u, log.RowsDrawnInto(x).size());
        EXPECT_EQ(101 - static_cast<int32_t>(std::lround(50.0 * std::log10(value))),
                  log.RowsDrawnInto(x)[0]);
    }
    // Nothing before the first sample or after the last.
    EXPECT_TRUE(log.RowsDrawnInto(10).empty());
    EXPECT_TRUE(log.RowsDrawnInto(90).empty());
}

TEST_F(CurvePainterTest, LogarithmicColumnsTakeTheFloorOfNonPositiveValues)
{
    // Column 10 holds 100, -5 and 10: its minimum is the floor far below the band.
    scene.yAxis.SetScaleType(CKSTYAxis::kScaleLogarithmic);
    ASSERT_TRUE(scene.yAxis.SetRange(0.0, 2.0, false));
    scene.Fill({100, -5, 10}, 0.25, 9.75);
    const RecordingCanvas canvas = Paint();
    // From 100 (row 1) down to the bottom edge, up to 100 again, down to 10 (row 51).
    EXPECT_EQ((std::vector<int32_t>{102, 1, 51}), canvas.RowsDrawnInto(10));
}

TEST_F(CurvePainterTest, LogarithmicEmptyColumnsInsideAGapStayEmpty)
{
    scene.yAxis.SetScaleType(CKSTYAxis::kScaleLogarithmic);
    ASSERT_TRUE(scene.yAxis.SetRange(0.0, 2.0, false));
    scene.channel.Reset();
    scene.channel.SetDt(10.0);
    for (int i = 0; i <= 10; ++i) {
        scene.channel.AppendValue(10.0, i == 5);
    }
    EXPECT_FALSE(Joins(Paint(), 41, 59));
    scene.curve.SetInterpolateGaps(true, false);
    EXPECT_TRUE(Joins(Paint(), 41, 59));
}

// Values far off the scale, infinite or NaN, times far outside the range: nothing reaches the
// canvas outside the band, in any style, with any symbol, in y(t), XY and bar display.
TEST_F(CurvePainterTest, NothingIsDrawnOutsideTheBand)
{
    const double wild[] = {50, 1e300, -1e300, kInf, -kInf, kNaN, 50, 1e9, -1e9, 99.5, 0.2, 50};
    std::vector<double> values;
    for (int k = 0; k < 30; ++k) {
        values.insert(values.end(), std::begin(wild), std::end(wild));
    }
    CKSTChannel xChannel;
    xChannel.SetDt(0.4);
    for (size_t i = 0; i < values.size(); ++i) {
        xChannel.AppendValue(i % 5 == 0 ? 1e12 : (i % 7 == 0 ? -kInf : i * 0.33), false);
    }
    // The band sits inside a larger window so that both sides are tested.
    scene.curve.SetRect(RECT{5, 7, 95, 90});
    for (uint32_t displayKind : {0u, 1u, 2u}) {
        scene.host.displayKind = displayKind;
        scene.host.xChannel = displayKind == 1 ? &xChannel : nullptr;
        for (bool timeVector : {false, true}) {
            scene.channel.Reset();
            if (timeVector) {
                // Unordered times, drawn one by one.
                scene.channel.SetTimeBaseType(CKSTChannel::kTimeVector);
                for (size_t i = 0; i < values.size(); ++i) {
                    scene.channel.AppendTimeValue(i % 2 == 0 ? i * 0.4 - 20 : 150 - i * 0.3,
                                                  values[i]);
                }
            } else {
                scene.Fill(values, 0.4, -20.0);
            }
            for (uint32_t style = 0; style <= 17; ++style) {
                for (uint32_t symbol = 0; symbol <= 9; ++symbol) {
                    SCOPED_TRACE(testing::Message()
                                 << "display " << displayKind << ", times " << timeVector
                                 << ", style " << style << ", symbol " << symbol);
                    scene.curve.SetDisplayKind(style, false);
                    scene.curve.SetSymbol(symbol, false);
                    RecordingCanvas canvas;
                    CKSTCurvePainter painter(scene.curve, canvas);
                    if (displayKind == 2) {
                        painter.PaintBarDisplay();
                    } else {
                        painter.PaintLines();
                        painter.PaintSymbols();
                    }
                    for (const POINT& p : canvas.AllPoints()) {
                        ASSERT_TRUE(p.x >= 5 && p.x < 95 && p.y >= 7 && p.y < 90) << p;
                    }
                    for (const RECT& bar : canvas.bars) {
                        ASSERT_LT(bar.left, bar.right);
                        ASSERT_LT(bar.top, bar.bottom);
                    }
                }
            }
        }
    }
}

TEST_F(CurvePainterTest, SymbolsAreDrawnOncePerPixelAndOnlyInsideTheBand)
{
    // Samples 0.1 apart: ten in a column at one value, so one symbol there; the sample at 200
    // lies outside the band.
    std::vector<double> values(10, 50.0);
    values.push_back(200.0);
    scene.Fill(values, 0.1, 19.55);
    scene.curve.SetDisplayKind(CKSTCurve::kStyleSymbols, false);
    scene.curve.SetSymbol(CKSTCurve::kSymbolPlus, false);
    const RecordingCanvas canvas = Paint();
    EXPECT_TRUE(canvas.pen == IKSTCurveCanvas::Pen::Symbol);
    // A "+" is two strokes, each with its end pixel set.
    ASSERT_EQ(2u, canvas.lines.size());
    EXPECT_EQ((POINT{17, 51}), canvas.lines[0].from);
    EXPECT_EQ((POINT{23, 51}), canvas.lines[0].to);
    EXPECT_EQ((POINT{20, 48}), canvas.lines[1].from);
    EXPECT_EQ((POINT{20, 54}), canvas.lines[1].to);
    EXPECT_EQ((std::vector<POINT>{{23, 51}, {20, 54}}), canvas.pixels);
    EXPECT_EQ((POINT{20, 51}), scene.curve.GetLastDrawnPoint());
}

TEST_F(CurvePainterTest, SymbolsAtTheEdgeKeepTheirVerticesInTheBand)
{
    scene.Fill({100}, 1.0, 0.0);  // pixel (0, 1): the top-left corner area
    scene.curve.SetDisplayKind(CKSTCurve::kStyleSymbols, false);
    scene.curve.SetSymbol(CKSTCurve::kSymbolSquare, false);
    const RecordingCanvas canvas = Paint();
    std::vector<POINT> outline{canvas.lines.front().from};
    for (const Line& line : canvas.lines) {
        outline.push_back(line.to);
    }
    EXPECT_EQ((std::vector<POINT>{{0, 0}, {3, 0}, {3, 4}, {0, 4}, {0, 0}}), outline);
}

TEST_F(CurvePainterTest, TheBarDisplayDrawsTheLastValueAcrossTheBand)
{
    scene.Fill({10, 20, 70}, 1.0);
    scene.host.displayKind = 2;
    scene.curve.SetDisplayKind(CKSTCurve::kStyleBars, false);
    RecordingCanvas canvas;
    CKSTCurvePainter painter(scene.curve, canvas);
    painter.PaintBarDisplay();
    ASSERT_EQ(1u, canvas.bars.size());
    EXPECT_EQ(0, canvas.bars[0].left);
    EXPECT_EQ(98, canvas.bars[0].right);
    EXPECT_EQ(31, canvas.bars[0].top);
    EXPECT_EQ(31, scene.curve.GetLastBarTop());

    scene.curve.SetDisplayKind(CKSTCurve::kStyleLines, false);
    RecordingCanvas line;
    CKSTCurvePainter linePainter(scene.curve, line);
    linePainter.PaintBarDisplay();
    ASSERT_EQ(1u, line.lines.size());
    EXPECT_EQ((POINT{0, 31}), line.lines[0].from);
    EXPECT_EQ((POINT{100, 31}), line.lines[0].to);
}

TEST_F(CurvePainterTest, NarrowBandsAndEmptyChannelsDrawNothing)
{
    scene.Fill({50, 50, 50}, 1.0);
    scene.curve.SetRect(RECT{0, 0, 1, 100});
    EXPECT_TRUE(Paint().AllPoints().empty());
    scene.curve.SetRect(RECT{0, 0, 100, 1});
    EXPECT_TRUE(Paint().AllPoints().empty());
    scene.curve.SetRect(RECT{0, 0, 101, 103});
    scene.channel.Reset();
    EXPECT_TRUE(Paint().AllPoints().empty());
}

// Zoomed in, the painter reads only the samples around the band.
TEST_F(CurvePainterTest, OnlyTheVisibleSamplesAreWalked)
{
    std::vector<double> values(100000, 50.0);
    scene.Fill(values, 0.01, -400.0);  // 0 .. 100 are samples 40000 .. 50000
    RecordingCanvas canvas;
    CKSTCurvePainter painter(scene.curve, canvas);
    EXPECT_EQ(40000u, painter.GetFirstVisible());
    EXPECT_EQ(50201u, painter.GetEndVisible());
}

}  // namespace

namespace {

// The painter maps every sample with the Y axis' mapping taken apart once per paint: it must
// give exactly the rows of the axis itself.
TEST(CurvePainterRowsTest, RowsAreThoseOfTheYAxis)
{
    struct AxisCase {
        RECT rect;
        double minimum;
        double maximum;
        uint32_t scale;
        bool lowestOnTop;
    };
    const AxisCase axes[] = {
        {{0, 0, 40, 103}, 0.0, 100.0, CKSTYAxis::kScaleLinear, false},
        {{0, 250, 40, 17}, -3.7, 12.1, CKSTYAxis::kScaleLinear, true},
        {{0, 5, 40, 6}, 1.0, 1.0 + 1e-200, CKSTYAxis::kScaleLinear, false},
        {{0, 0, 40, 400}, -2.0, 3.0, CKSTYAxis::kScaleLogarithmic, false},
        {{0, 0, 40, 77}, -60.0, 20.0, CKSTYAxis::kScaleDecibel, true},
    };
    const double values[] = {0.0,   1.0,    -1.0, 0.5,   1e-300, 12.1,  -3.7, 49.5,   50.5,
                             1e300, -1e300, 1e10, -1e10, kInf,   -kInf, kNaN, 3.14159};
    for (const AxisCase& a : axes) {
        CurveScene scene;
        scene.yAxis.SetRect(a.rect);
        scene.yAxis.SetScaleType(a.scale);
        scene.yAxis.SetRange(a.minimum, a.maximum, false);
        scene.yAxis.SetLowestOnTop(a.lowestOnTop);
        scene.Fill({1.0}, 1.0);
        RecordingCanvas canvas;
        CKSTCurvePainter painter(scene.curve, canvas);
        ASSERT_TRUE(painter.IsDrawable());
        for (double v : values) {
            SCOPED_TRACE(testing::Message()
                         << "axis " << a.minimum << " .. " << a.maximum << ", value " << v);
            EXPECT_EQ(scene.yAxis.ValueToPixel(scene.yAxis.Transform(v)), painter.RowOf(v));
        }
    }
}

}  // namespace
