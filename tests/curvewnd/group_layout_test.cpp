#include "curvewnd/GroupLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

TEST(GroupRunTest, SharesHeightByWeightAndDropsGroupsBelowTheMinimum)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::vector<double> weights;
        std::vector<int32_t> legends;
        int first;
        int32_t space;
        int32_t minHeight;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {"weights 1, 1, 2", {1, 1, 2}, {}, 0, 400, 30, {100, 100, 200}},
        {"four equal groups in 100 pixels", {1, 1, 1, 1}, {}, 0, 100, 30, {33, 33, 33}},
        {"run from the second group", {1, 1, 1, 1}, {}, 1, 100, 30, {33, 33, 33}},
        {"one group stays below the minimum", {1}, {}, 0, 12, 30, {12}},
        {"group legends come off the space", {1, 1}, {10, 30}, 0, 240, 30, {100, 100}},
        {"shares are truncated", {1, 1, 1}, {}, 0, 100, 30, {33, 33, 33}},
        {"first beyond the list is the last group", {1, 3}, {}, 5, 90, 30, {90}},
        {"zero weights share equally", {0, 0}, {}, 0, 100, 30, {50, 50}},
        {"broken weights count as none", {1, -2, NAN, inf}, {}, 0, 100, 0, {100, 0, 0, 0}},
        {"legends taller than the space", {1, 1}, {80, 80}, 0, 100, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int32_t> heights;
        const int count =
            KstFitGroupRun(c.weights, c.legends, c.first, c.space, c.minHeight, heights);
        EXPECT_EQ(count, static_cast<int>(c.expected.size()));
        EXPECT_EQ(heights, c.expected);
    }
}

TEST(GroupRunTest, EmptyListHasNoRun)
{
    std::vector<int32_t> heights = {1};
    EXPECT_EQ(KstFitGroupRun({}, {}, 0, 100, 30, heights), 0);
    EXPECT_TRUE(heights.empty());
}

TEST(GroupAxesTest, EvenAxesStandLeftAndOddAxesRightFromTheInsideOut)
{
    // Plot area 100..300 x 50..150, a 12-pixel legend, window border at 5 and 395.
    std::vector<KstAxisSlot> axes(4);
    const int32_t widths[] = {20, 30, 25, 35};
    for (int i = 0; i < 4; ++i) {
        axes[i].width = widths[i];
    }
    KstPlaceGroupAxes(axes, {100, 50, 300, 150}, 12, 5, 395, 16);

    struct Expected {
        RECT rect;
        bool right;
        bool inner;
    };
    const Expected expected[] = {
        {{80, 62, 100, 150}, false, true},   // A0 next to the plot
        {{316, 62, 346, 150}, true, true},   // A1 beyond the group scroll bar's room
        {{5, 62, 80, 150}, false, false},    // A2 outermost: reaches the border
        {{346, 62, 395, 150}, true, false},  // A3 outermost right
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(axes[i].rect.left, expected[i].rect.left);
        EXPECT_EQ(axes[i].rect.top, expected[i].rect.top);
        EXPECT_EQ(axes[i].rect.right, expected[i].rect.right);
        EXPECT_EQ(axes[i].rect.bottom, expected[i].rect.bottom);
        EXPECT_EQ(axes[i].rightSide, expected[i].right);
        EXPECT_EQ(axes[i].inner, expected[i].inner);
    }
}

TEST(GroupAxesTest, AxisTakingNoPartLeavesItsPlaceToTheNext)
{
    std::vector<KstAxisSlot> axes(3);
    axes[0].takesPart = false;
    axes[0].width = 40;
    axes[1].width = 30;
    axes[2].width = 20;
    KstPlaceGroupAxes(axes, {100, 0, 300, 80}, 0, 5, 395, 0);

    EXPECT_EQ(axes[0].rect.right - axes[0].rect.left, 0);
    EXPECT_FALSE(axes[0].inner);
    // A2 becomes the inner left axis and, being the last on its side, reaches the border.
    EXPECT_TRUE(axes[2].inner);
    EXPECT_EQ(axes[2].rect.left, 5);
    EXPECT_EQ(axes[2].rect.right, 100);
    EXPECT_TRUE(axes[1].inner);
    EXPECT_EQ(axes[1].rect.left, 300);
    EXPECT_EQ(axes[1].rect.right, 395);
}

TEST(GroupAxesTest, CurvesDrawInsideTheFrameBelowTheLegend)
{
    const RECT plot = KstGroupPlotRect({100, 300, 10, 50}, 20);
    EXPECT_EQ(plot.left, 11);
    EXPECT_EQ(plot.top, 71);
    EXPECT_EQ(plot.right, 99);
    EXPECT_EQ(plot.bottom, 299);
}

TEST(AutoScaleTest, FlatRangesAreWidenedByTheAxisType)
{
    struct Case {
        double lo;
        double hi;
        uint32_t type;
        double expectedLo;
        double expectedHi;
    };
    const Case cases[] = {
        {3.0, 3.0, 0, -2.0, 8.0},
        {3.0, 3.0, 1, 2.0, 4.0},
        {3.0, 3.0, 2, 2.0, 4.0},
        {0.0, 0.0, 0, -5.0, 5.0},
        {1000.0, 1000.0 * (1 + 1e-10), 0, 995.0, 1000.0 * (1 + 1e-10) + 5},
        {0.0, 1e-12, 0, 0.0, 1e-12},  // a span from zero is a real range
        {2.0, 3.0, 0, 2.0, 3.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << " .. " << c.hi << " type " << c.type);
        double lo = c.lo;
        double hi = c.hi;
        KstWidenFlatRange(lo, hi, c.type);
        EXPECT_DOUBLE_EQ(lo, c.expectedLo);
        EXPECT_DOUBLE_EQ(hi, c.expectedHi);
    }
}

TEST(AutoScaleTest, NiceRangeRoundsOutwardsToTheGridOfTheStep)
{
    struct Case {
        double lo;
        double hi;
        double expectedLo;
        double expectedHi;
    };
    const Case cases[] = {
        {-2.0, 8.0, -2.0, 8.0},        // step 10: multiples of 0.1
        {0.13, 7.31, 0.1, 7.4},        // step 10 (mantissa 10): multiples of 0.1
        {-0.37, 0.41, -0.38, 0.42},    // step 1: multiples of 0.02
        {12.3, 37.6, 12.0, 38.0},      // step 25: multiples of 0.5
        {101.2, 119.7, 101.0, 120.0},  // step 20: multiples of 0.5
        {5.03, 5.03, 5.0, 5.1},        // no span: the exponent of the value, multiples of 0.1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << " .. " << c.hi);
        double lo = 0.0;
        double hi = 0.0;
        KstNiceRange(c.lo, c.hi, lo, hi);
        EXPECT_NEAR(lo, c.expectedLo, 1e-12);
        EXPECT_NEAR(hi, c.expectedHi, 1e-12);
    }
}

TEST(GroupDecorationTest, GradientDarkensByTwelvePercentTowardsTheBottom)
{
    EXPECT_EQ(KstGradientColor(0xFFFFFF, 0, 50), 0xFFFFFFu);
    // 255 - 255 x 49 x 0.12 / 50 = 225.01
    EXPECT_EQ(KstGradientColor(0xFFFFFF, 49, 50), 0xE1E1E1u);
    // Each byte on its own: 0x80 -> 128 - 128 x 25 x 0.12 / 50 = 120.32
    EXPECT_EQ(KstGradientColor(0x0080FF, 25, 50), 0x0078EFu);
    EXPECT_EQ(KstGradientColor(0x123456, 7, 0), 0x123456u);
}

TEST(GroupDecorationTest, PicturePlacementCodes)
{
    // A group 200 wide over a stack from 10 to 132: free space 200 - 40 = 160 across and
    // 132 - 10 - 2 - 20 = 100 down; the picture's top starts one pixel inside the stack.
    struct Case {
        uint32_t code;
        int32_t x;
        int32_t y;
    };
    const Case cases[] = {
        {5, 0, 0},   {6, 0, 50},   {7, 0, 100},   {8, 160, 0}, {9, 160, 50}, {10, 160, 100},
        {11, 80, 0}, {12, 80, 50}, {13, 80, 100}, {4, 0, 0},   {14, 0, 0},
    };
    const RECT group = {100, 10, 300, 132};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        KstPictureSlice slice;
        ASSERT_TRUE(KstFindPictureSlice(group, 10, 132, c.code, 40, 20, slice));
        EXPECT_EQ(slice.target.left, 100 + c.x);
        EXPECT_EQ(slice.target.top, 11 + c.y);
        EXPECT_EQ(slice.target.right, 140 + c.x);
        EXPECT_EQ(slice.target.bottom, 31 + c.y);
        EXPECT_EQ(slice.sourceX, 0);
        EXPECT_EQ(slice.sourceY, 0);
    }
}

TEST(GroupDecorationTest, PictureIsSlicedOverTheGroupsOfTheStack)
{
    // A picture 60 high centred over two groups 0..50 and 50..100 (free space 38): it spans
    // 20..80.
    KstPictureSlice upper;
    ASSERT_TRUE(KstFindPictureSlice({0, 0, 100, 50}, 0, 100, 12, 100, 60, upper));
    EXPECT_EQ(upper.target.top, 20);
    EXPECT_EQ(upper.target.bottom, 50);
    EXPECT_EQ(upper.sourceY, 0);
    KstPictureSlice lower;
    ASSERT_TRUE(KstFindPictureSlice({0, 50, 100, 100}, 0, 100, 12, 100, 60, lower));
    EXPECT_EQ(lower.target.top, 50);
    EXPECT_EQ(lower.target.bottom, 80);
    EXPECT_EQ(lower.sourceY, 30);
    // A picture larger than the space is placed at offset 0, never a negative one.
    KstPictureSlice large;
    ASSERT_TRUE(KstFindPictureSlice({0, 0, 100, 50}, 0, 50, 13, 300, 300, large));
    EXPECT_EQ(large.target.left, 0);
    EXPECT_EQ(large.target.top, 1);
    EXPECT_EQ(large.target.right, 100);
    EXPECT_EQ(large.target.bottom, 50);
    // A group wholly below the picture shows none of it; nor does an empty picture.
    KstPictureSlice none;
    EXPECT_FALSE(KstFindPictureSlice({0, 60, 100, 100}, 0, 100, 5, 100, 20, none));
    EXPECT_FALSE(KstFindPictureSlice({0, 0, 100, 100}, 0, 100, 5, 0, 20, none));
}

TEST(GroupDecorationTest, TitleBoxFollowsTheTextUpToTheRightMargin)
{
    const RECT box = KstTitleBox({50, 20, 400, 300}, 60);
    EXPECT_EQ(box.left, 60);
    EXPECT_EQ(box.top, 30);
    EXPECT_EQ(box.right, 130);
    EXPECT_EQ(box.bottom, 50);
    EXPECT_EQ(KstTitleBox({50, 20, 400, 300}, 1000).right, 390);
    const POINT origin = KstTitleOrigin({50, 20, 400, 300});
    EXPECT_EQ(origin.x, 65);
    EXPECT_EQ(origin.y, 32);
}

TEST(GroupDecorationTest, ScrollInfoDescribesTheVisibleShareOfTheAxis)
{
    struct Case {
        double fullMin, fullMax, visMin, visMax;
        bool lowestOnTop;
        int32_t page, position;
    };
    const Case cases[] = {
        {0, 100, 20, 30, false, 100, 700}, {0, 100, 20, 30, true, 100, 200},
        {0, 100, 50, 50.1, false, 3, 499},  // tiny pages stay grabbable
        {0, 100, 0, 100, false, 1000, 0},  {5, 5, 5, 5, false, 1000, 0},  // no extent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.visMin << " .. " << c.visMax);
        int32_t page = 0;
        int32_t position = 0;
        KstAxisScrollInfo(c.fullMin, c.fullMax, c.visMin, c.visMax, c.lowestOnTop, page, position);
        EXPECT_EQ(page, c.page);
        EXPECT_EQ(position, c.position);
    }
}

}  // namespace
