// The colour map of matrix channels rendered into small pixel maps. The grids are drawn pixel for
// pixel (source attribute 2): a 5 x 5 band over columns at t = 0, 1, 2 and rows at y = 0, 1
// puts row 1 on pixel row 2, row 0 on pixel row 3 and the columns on pixel columns 0..2.
#include "curvewnd/ColorMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "data/Channel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr uint32_t kUntouched = 0x01010101;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;

CKSTChannel Matrix(uint32_t columns, const std::vector<double>& values, bool colours = false)
{
    CKSTChannel channel;
    channel.SetTimeBaseType(CKSTChannel::kMatrix);
    channel.SetMatrixRowLength(columns);
    channel.SetT0(0.0);
    channel.SetDt(1.0);
    channel.SetSecondAxisOrigin(0.0);
    channel.SetSecondAxisStep(1.0);
    channel.SetSourceAttribute(2);
    channel.SetColorMatrix(colours);
    channel.AppendValues(0.0, false, static_cast<uint32_t>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) {
        channel.SetValueAt(static_cast<uint32_t>(i), values[i]);
    }
    return channel;
}

KstMatrixView View(const RECT& band)
{
    return {band, 0.0, 10.0, 0.0, 10.0, false, 0.0};
}

// The band's pixels row by row, kUntouched where nothing was put.
std::vector<uint32_t> Render(const CKSTChannel& channel, const KstMatrixView& view)
{
    const RECT band = NormalizeRect(view.band);
    const int32_t width = band.right - band.left;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * (band.bottom - band.top), kUntouched);
    KstRenderMatrixMap(channel, view, [&](int32_t x, int32_t y, uint32_t colour) {
        EXPECT_TRUE(x >= band.left && x < band.right && y >= band.top && y < band.bottom)
            << x << ", " << y;
        if (x >= band.left && x < band.right && y >= band.top && y < band.bottom) {
            pixels[static_cast<size_t>(y - band.top) * width + (x - band.left)] = colour;
        }
    });
    return pixels;
}

TEST(ColorRampTest, ScaleRunsFromRedThroughYellowGreenCyanToBlue)
{
    struct Case {
        int32_t k;
        uint32_t colour;
    };
    const Case cases[] = {
        {0, kRed},       {128, 0x0080FF}, {255, 0x00FFFF}, {256, 0x00FFFF},
        {511, 0x00FF00}, {512, 0x00FF00}, {640, 0x80FF00}, {767, 0xFFFF00},
        {768, 0xFFFF00}, {1023, kBlue},   {-5, kRed},      {2000, kBlue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.k);
        EXPECT_EQ(KstColorRampColor(c.k), c.colour);
    }
}

TEST(ColorRampTest, IndexOfAValueOnTheScale)
{
    struct Case {
        double v, min, max;
        int32_t k;
    };
    const Case cases[] = {
        {6.0, 1.0, 6.0, 0},
        {1.0, 1.0, 6.0, 1023},
        {2.0, 1.0, 6.0, 819},
        {3.5, 1.0, 6.0, 512},
        {9.0, 1.0, 6.0, 0},
        {-9.0, 1.0, 6.0, 1023},
        {kInf, 1.0, 6.0, 0},
        {-kInf, 1.0, 6.0, 1023},
        {kNaN, 1.0, 6.0, -1},
        // No extent: every value takes the maximum colour.
        {4.0, 4.0, 4.0, 0},
        {4.0, -kInf, kInf, 0},
        {4.0, 1.0, kNaN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.v << " on " << c.min << " .. " << c.max);
        EXPECT_EQ(KstColorRampIndex(c.v, c.min, c.max), c.k);
    }
}

TEST(ColorMapTest, LargestValueIsRedAndSmallestBlue)
{
    const CKSTChannel grid = Matrix(3, {1, 2, 3, 4, 5, 6});
    const uint32_t u = kUntouched;
    const std::vector<uint32_t> expected = {
        u,        u,        u,        u, u,  //
        u,        u,        u,        u, u,  //
        0x00FF65, 0x00CDFF, kRed,     u, u,  // row 1: 4 5 6
        kBlue,    0xFFCC00, 0x66FF00, u, u,  // row 0: 1 2 3
        u,        u,        u,        u, u,
    };
    EXPECT_EQ(Render(grid, View({0, 0, 5, 5})), expected);
}

TEST(ColorMapTest, ColourMatrixPaintsItsValues)
{
    // A red value stays red whatever the other values are.
    const CKSTChannel grid = Matrix(2, {0x0000FF, 0x00FF00, 0xFF0000, 0x123456}, true);
    const uint32_t u = kUntouched;
    const std::vector<uint32_t> expected = {
        u,     u,        u, u,  //
        kBlue, 0x123456, u, u,  //
        kRed,  0x00FF00, u, u,  //
        u,     u,        u, u,
    };
    EXPECT_EQ(Render(grid, View({0, 0, 4, 4})), expected);
}

TEST(ColorMapTest, EqualValuesPaintTheMaximumColour)
{
    const CKSTChannel grid = Matrix(2, {7, 7, 7, 7});
    const uint32_t u = kUntouched;
    const std::vector<uint32_t> expected = {
        u,    u,    u, u,  //
        kRed, kRed, u, u,  //
        kRed, kRed, u, u,  //
        u,    u,    u, u,
    };
    EXPECT_EQ(Render(grid, View({0, 0, 4, 4})), expected);
}

TEST(ColorMapTest, LowestValueOnTopTurnsTheRowsOver)
{
    // Upright, row 1 (3, 4) stands above row 0 (1, 2); with the display maximum 1 two pixels
    // above the bottom the rows turn over.
    const CKSTChannel grid = Matrix(2, {1, 2, 3, 4});
    KstMatrixView view = View({0, 0, 2, 4});
    const uint32_t u = kUntouched;
    EXPECT_EQ(Render(grid, view),
              (std::vector<uint32_t>{u, u, 0x00FFAA, kRed, kBlue, 0xAAFF00, u, u}));
    view.lowestOnTop = true;
    view.yDisplayMaximum = 1.0;
    EXPECT_EQ(Render(grid, view),
              (std::vector<uint32_t>{u, u, kBlue, 0xAAFF00, 0x00FFAA, kRed, u, u}));
}

TEST(ColorMapTest, BrokenValuesAndRangesStayInsideTheBand)
{
    // Pixels over a NaN are left alone; infinite values and axis ranges that are far off or
    // empty neither divide by zero nor reach outside the band (Render checks every pixel).
    const CKSTChannel grid = Matrix(2, {1, kNaN, kInf, 4});
    const uint32_t u = kUntouched;
    const std::vector<uint32_t> pixels = Render(grid, View({0, 0, 3, 4}));
    EXPECT_EQ(pixels, (std::vector<uint32_t>{u, u, u, kRed, kRed, u, kRed, u, u, u, u, u}));

    CKSTChannel scaled = Matrix(2, {1, 2, 3, 4});
    scaled.SetSourceAttribute(0);
    const KstMatrixView views[] = {
        {{10, 10, 60, 40}, 0.0, 1.0, 0.0, 1.0, false, 0.0},
        {{10, 10, 60, 40}, -1e300, 1e300, -1e300, 1e300, false, 0.0},
        {{10, 10, 60, 40}, 5.0, 5.0, 2.0, 2.0, true, 0.0},
        {{10, 10, 60, 40}, 0.0, 1.0, 0.0, 1.0, false, kNaN},
        {{60, 40, 10, 10}, -kInf, kInf, kNaN, 3.0, false, 1e308},
    };
    for (const KstMatrixView& view : views) {
        SCOPED_TRACE(view.xMinimum);
        Render(scaled, view);
    }
}

TEST(ColorMapTest, NothingForOtherChannelsOrTinyBands)
{
    CKSTChannel plain;
    plain.GenerateRamp(10, 1.0);
    EXPECT_EQ(Render(plain, View({0, 0, 3, 3})), std::vector<uint32_t>(9, kUntouched));
    const CKSTChannel grid = Matrix(2, {1, 2, 3, 4});
    EXPECT_EQ(Render(grid, View({0, 0, 1, 4})), std::vector<uint32_t>(4, kUntouched));
    EXPECT_EQ(Render(Matrix(2, {}), View({0, 0, 3, 3})), std::vector<uint32_t>(9, kUntouched));
}

}  // namespace
