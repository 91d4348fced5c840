// Curves painted into a 32-bit DIB section with the platform's pens: small pixel maps of lines,
// steps, bars and a column stroke, the band that nothing leaves, the event-text cells, the bar
// value, and cursor lines that inverted twice give the picture back. In the maps '#' is the
// curve colour and '.' the untouched background; the scene of span 10 maps time t to column t
// and value v to row 11 - v.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "../fake_curve_host.h"
#include "curvewnd/CurveLabels.h"
#include "curvewnd/win/CurvePaint.h"
#include "draw_target.h"

namespace {

constexpr COLORREF kInk = 0x2060C0;  // 0xC06020 as a DIB pixel
constexpr uint32_t kInkPixel = 0xC06020;
constexpr COLORREF kPaper = 0xFFFFFF;

std::vector<std::string> Map(const DrawTarget& target)
{
    const std::vector<uint32_t> pixels = target.Pixels();
    std::vector<std::string> rows;
    for (int y = 0; y < target.Height(); ++y) {
        std::string row;
        for (int x = 0; x < target.Width(); ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * target.Width() + x];
            row += p == 0xFFFFFF ? '.' : (p == kInkPixel ? '#' : '?');
        }
        rows.push_back(row);
    }
    return rows;
}

class CurvePaintTest : public ::testing::Test {
protected:
    CurvePaintTest() : scene(10), target(11, 13, kPaper)
    {
        scene.curve.SetColor(kInk, false);
        scene.host.drawContext = &target.Context();
    }

    std::vector<std::string> PaintMap()
    {
        PaintCurve(scene.curve, target.Context());
        return Map(target);
    }

    CurveScene scene;
    DrawTarget target;
};

TEST_F(CurvePaintTest, LinesJoinTheSamplesAndEndOnTheLastOne)
{
    scene.Fill({2, 2, 4, 4}, 2.0, 2.0);
    const std::vector<std::string> expected = {
        "...........", "...........", "...........", "...........", "...........",
        "...........", "...........", "......###..", ".....#.....", "..###......",
        "...........", "...........", "...........",
    };
    EXPECT_EQ(expected, PaintMap());
}

TEST_F(CurvePaintTest, StepsGoAcrossThenUpAndTheLastStepHasItsFullWidth)
{
    scene.Fill({2, 2, 4, 4}, 2.0, 2.0);
    scene.curve.SetDisplayKind(CKSTCurve::kStyleSteps, false);
    const std::vector<std::string> expected = {
        "...........", "...........", "...........", "...........", "...........",
        "...........", "...........", "......#####", "......#....", "..#####....",
        "...........", "...........", "...........",
    };
    EXPECT_EQ(expected, PaintMap());
}

TEST_F(CurvePaintTest, BarsStandOnTheZeroRowWithGaps)
{
    scene.Fill({2, 4}, 4.0, 2.0);
    scene.curve.SetDisplayKind(CKSTCurve::kStyleBars, false);
    const std::vector<std::string> expected = {
        "...........", "...........", "...........", "...........", "...........",
        "...........", "...........", "......##...", "......##...", "..##..##...",
        "..##..##...", "..##..##...", "...........",
    };
    EXPECT_EQ(expected, PaintMap());
}

TEST_F(CurvePaintTest, AThousandSamplesInOneColumnDrawOneStrokeFromMinimumToMaximum)
{
    std::vector<double> values(1000);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = i % 2 == 0 ? 9.0 : 1.0;
    }
    values.front() = 5.0;
    values.back() = 3.0;
    scene.Fill(values, 0.0009, 4.6);
    const std::vector<std::string> expected = {
        "...........", "...........", ".....#.....", ".....#.....", ".....#.....",
        ".....#.....", ".....#.....", ".....#.....", ".....#.....", ".....#.....",
        ".....#.....", "...........", "...........",
    };
    EXPECT_EQ(expected, PaintMap());
}

TEST_F(CurvePaintTest, PaintingLeavesTheDeviceContextAsItWas)
{
    scene.Fill({2, 2, 4, 4}, 2.0, 2.0);
    scene.curve.SetDisplayKind(CKSTCurve::kStyleThickLines, false);
    HDC dc = target.Hdc();
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    SetBkMode(dc, OPAQUE);
    PaintCurve(scene.curve, target.Context());
    EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(OPAQUE, GetBkMode(dc));
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(0, GetClipRgn(dc, clip)) << "no clip region left behind";
    DeleteObject(clip);
}

// Values far off-scale, infinite and NaN, in every style, with every symbol, as y(t), XY and
// bar display, including wide pens: not one pixel outside the band changes.
TEST(CurvePaintBandTest, NothingIsDrawnOutsideTheBand)
{
    const double kInf = std::numeric_limits<double>::infinity();
    const double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double wild[] = {5, 1e300, -1e300, kInf, -kInf, kNaN, 5, 1e9, -1e9, 9.9, 0.1, 5};
    std::vector<double> values;
    for (int k = 0; k < 12; ++k) {
        values.insert(values.end(), std::begin(wild), std::end(wild));
    }
    CurveScene scene(10);
    scene.Fill(values, 0.1, -1.0);
    scene.curve.SetColor(kInk, false);
    scene.channel.SetUnit("V");
    CKSTChannel xChannel;
    xChannel.SetDt(0.1);
    xChannel.SetT0(-1.0);
    for (size_t i = 0; i < values.size(); ++i) {
        xChannel.AppendValue(i % 5 == 0 ? 1e12 : (i % 7 == 0 ? -kInf : i * 0.1), false);
    }
    const RECT band = {8, 6, 30, 22};
    scene.curve.SetRect(band);
    DrawTarget target(40, 30, kPaper);
    for (uint32_t displayKind : {0u, 1u, 2u}) {
        scene.host.displayKind = displayKind;
        scene.host.xChannel = displayKind == 1 ? &xChannel : nullptr;
        for (uint32_t style = 0; style <= 17; ++style) {
            for (uint32_t symbol = 0; symbol <= 8; ++symbol) {
                SCOPED_TRACE(testing::Message() << "display " << displayKind << ", style " << style
                                                << ", symbol " << symbol);
                scene.curve.SetDisplayKind(style, false);
                scene.curve.SetSymbol(symbol, false);
                scene.curve.SetShowBarValue(symbol % 2 == 1, false);
                PaintCurve(scene.curve, target.Context());
                const std::vector<uint32_t> pixels = target.Pixels();
                for (int y = 0; y < 30; ++y) {
                    for (int x = 0; x < 40; ++x) {
                        const bool inside =
                            x >= band.left && x < band.right && y >= band.top && y < band.bottom;
                        if (!inside) {
                            ASSERT_EQ(0xFFFFFFu, pixels[y * 40 + x]) << x << ", " << y;
                        }
                    }
                }
            }
        }
    }
}

TEST_F(CurvePaintTest, EventTextsLeaveTheirBoxesAsCells)
{
    CurveScene wide(100);
    DrawTarget canvas(101, 103, kPaper);
    wide.Fill({20, 50, 80}, 30.0, 20.0);
    wide.curve.SetDisplayKind(CKSTCurve::kStyleEventTexts, false);
    PaintCurve(wide.curve, canvas.Context());
    ASSERT_EQ(3u, wide.curve.GetCells().size());
    for (const CKSTEventCell& cell : wide.curve.GetCells()) {
        EXPECT_LT(cell.left, cell.right);
        EXPECT_LT(cell.top, cell.bottom);
        const POINT inside = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        EXPECT_TRUE(wide.curve.HitTest(inside));
    }
    // Texts were drawn, and no line: where the line would run nothing is hit.
    const std::vector<uint32_t> pixels = canvas.Pixels();
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), 0xFFFFFFu),
              static_cast<std::ptrdiff_t>(pixels.size()));
    EXPECT_FALSE(wide.curve.HitTest(POINT{35, 66}));
}

TEST_F(CurvePaintTest, TheBarValueStandsAboveTheBarOrInsideItsTop)
{
    CurveScene wide(100);
    DrawTarget canvas(101, 103, kPaper);
    wide.host.displayKind = 2;
    wide.curve.SetColor(kInk, false);
    wide.curve.SetDisplayKind(CKSTCurve::kStyleBars, false);
    wide.curve.SetShowBarValue(true, false);
    wide.Fill({50}, 1.0);
    PaintCurve(wide.curve, canvas.Context());
    // The bar's top row is 51; the text ends 4 rows above it.
    EXPECT_EQ(51, wide.curve.GetLastBarTop());
    const std::vector<uint32_t> above = canvas.Pixels();
    int textAbove = 0;
    for (int y = 0; y < 47; ++y) {
        for (int x = 0; x < 101; ++x) {
            textAbove += above[y * 101 + x] != 0xFFFFFF;
        }
    }
    EXPECT_GT(textAbove, 0);
    for (int y = 47; y < 51; ++y) {
        for (int x = 0; x < 101; ++x) {
            EXPECT_EQ(0xFFFFFFu, above[y * 101 + x]) << x << ", " << y;
        }
    }

    // A full bar leaves no room above: the text goes into the bar in the plot colour.
    DrawTarget full(101, 103, kPaper);
    wide.Fill({100}, 1.0);
    PaintCurve(wide.curve, full.Context());
    const std::vector<uint32_t> inside = full.Pixels();
    int textInBar = 0;
    for (int y = 5; y < 40; ++y) {
        for (int x = 0; x < 98; ++x) {
            textInBar += inside[y * 101 + x] != kInkPixel;
        }
    }
    EXPECT_GT(textInBar, 0);
}

// Every cursor line inverted twice gives back the picture byte for byte.
TEST_F(CurvePaintTest, InvertingACursorLineTwiceRestoresThePicture)
{
    scene.Fill({2, 2, 4, 4}, 2.0, 2.0);
    PaintCurve(scene.curve, target.Context());
    const std::vector<uint32_t> before = target.Pixels();

    scene.host.invalidated.clear();
    InvertCursorLine(scene.curve, 6);
    const std::vector<uint32_t> once = target.Pixels();
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 11; ++x) {
            const size_t i = static_cast<size_t>(y) * 11 + x;
            EXPECT_EQ(x == 6 ? (~before[i] & 0xFFFFFF) : before[i], once[i]) << x << ", " << y;
        }
    }
    ASSERT_EQ(1u, scene.host.invalidated.size());
    EXPECT_EQ(6, scene.host.invalidated[0].left);
    EXPECT_EQ(7, scene.host.invalidated[0].right);
    EXPECT_EQ(0, scene.host.invalidated[0].top);
    EXPECT_EQ(13, scene.host.invalidated[0].bottom);
    InvertCursorLine(scene.curve, 6);
    EXPECT_EQ(before, target.Pixels());

    // The others, each twice; a column beyond the band is held at its right edge.
    InvertValueLine(scene.curve, 5);
    InvertValueLine(scene.curve, 5);
    InvertRowLine(scene.curve, 40);
    InvertRowLine(scene.curve, 40);
    InvertCursorPair(scene.curve, -3, 50);
    InvertCursorPair(scene.curve, -3, 50);
    EXPECT_EQ(before, target.Pixels());

    // The value line lies on the curve's row at that column: 3 at column 5, row 8.
    InvertValueLine(scene.curve, 5);
    const std::vector<uint32_t> valueLine = target.Pixels();
    EXPECT_NE(before[8 * 11 + 0], valueLine[8 * 11 + 0]);
    EXPECT_EQ(before[7 * 11 + 0], valueLine[7 * 11 + 0]);
    InvertValueLine(scene.curve, 5);
}

}  // namespace
