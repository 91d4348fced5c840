// The numeric value and lamp element's rules without a window: fields by title side, text
// placement by alignment code, the split line and its drag, lamp colours and value texts.
#include <gtest/gtest.h>

#include <cmath>

#include "elements/ValueLayout.h"

namespace {

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ValueLayoutTest, FieldsLieOnTheTitleSideAtTheRatio)
{
    const RECT client{0, 0, 100, 40};
    const struct {
        uint32_t side;
        RECT title;
        RECT value;
    } cases[] = {
        {KST_TITLE_LEFT, {0, 0, 25, 40}, {25, 0, 100, 40}},
        {KST_TITLE_TOP, {0, 0, 100, 10}, {0, 10, 100, 40}},
        {KST_TITLE_BOTTOM, {0, 30, 100, 40}, {0, 0, 100, 30}},
        {KST_TITLE_RIGHT, {75, 0, 100, 40}, {0, 0, 75, 40}},
    };
    for (const auto& c : cases) {
        const KstValueFieldRects fields = KstSplitValueFields(client, c.side, 0.25);
        EXPECT_TRUE(SameRect(fields.title, c.title)) << c.side;
        EXPECT_TRUE(SameRect(fields.value, c.value)) << c.side;
    }
}

TEST(ValueLayoutTest, RatiosOutsideTheUnitRangeKeepTheFieldsInside)
{
    const RECT client{0, 0, 100, 40};
    for (double ratio : {-3.0, 7.0, std::nan("")}) {
        const KstValueFieldRects fields = KstSplitValueFields(client, KST_TITLE_LEFT, ratio);
        EXPECT_GE(fields.title.right, 0) << ratio;
        EXPECT_LE(fields.title.right, 100) << ratio;
        EXPECT_EQ(fields.value.left, fields.title.right) << ratio;
    }
}

TEST(ValueLayoutTest, AlignmentCodesPlaceTheTextBySide)
{
    const int f = 3;
    const struct {
        uint32_t code;
        uint32_t side;
        bool title;
        KstTextPlacement expected;
    } cases[] = {
        {6, KST_TITLE_LEFT, true, {KST_DT_VCENTER, 7, 0}},
        {6, KST_TITLE_TOP, false, {KST_DT_VCENTER, 7, 0}},
        {9, KST_TITLE_RIGHT, true, {KST_DT_RIGHT | KST_DT_VCENTER, -7, 0}},
        {9, KST_TITLE_BOTTOM, false, {KST_DT_RIGHT | KST_DT_VCENTER, -7, 0}},
        {12, KST_TITLE_LEFT, true, {KST_DT_CENTER | KST_DT_VCENTER, 3, 0}},
        {12, KST_TITLE_TOP, true, {KST_DT_CENTER | KST_DT_VCENTER, 0, 3}},
        {12, KST_TITLE_BOTTOM, true, {KST_DT_CENTER | KST_DT_VCENTER, 0, -3}},
        {12, KST_TITLE_RIGHT, true, {KST_DT_CENTER | KST_DT_VCENTER, -3, 0}},
        {12, KST_TITLE_LEFT, false, {KST_DT_CENTER | KST_DT_VCENTER, -3, 0}},
        {12, KST_TITLE_TOP, false, {KST_DT_CENTER | KST_DT_VCENTER, 0, -3}},
        {12, KST_TITLE_BOTTOM, false, {KST_DT_CENTER | KST_DT_VCENTER, 0, 3}},
        {12, KST_TITLE_RIGHT, false, {KST_DT_CENTER | KST_DT_VCENTER, 3, 0}},
        {4, KST_TITLE_LEFT, true, {KST_DT_CENTER | KST_DT_VCENTER, 3, 0}},
    };
    for (const auto& c : cases) {
        const KstTextPlacement p = KstPlaceFieldText(c.code, f, c.side, c.title);
        EXPECT_EQ(p.format, c.expected.format) << c.code << " side " << c.side << " " << c.title;
        EXPECT_EQ(p.dx, c.expected.dx) << c.code << " side " << c.side << " " << c.title;
        EXPECT_EQ(p.dy, c.expected.dy) << c.code << " side " << c.side << " " << c.title;
    }
    const RECT field{10, 10, 50, 30};
    EXPECT_TRUE(SameRect(KstApplyTextOffsets(field, {0, 7, -3}), RECT{17, 10, 50, 27}));
    EXPECT_TRUE(SameRect(KstApplyTextOffsets(field, {0, -7, 3}), RECT{10, 13, 43, 30}));
}

TEST(ValueLayoutTest, TextBoxesSitWhereTheAlignmentPutsTheText)
{
    const RECT field{10, 0, 110, 20};
    EXPECT_TRUE(SameRect(KstPlaceTextBox(field, 6, 30, 10), RECT{10, 5, 40, 15}));
    EXPECT_TRUE(SameRect(KstPlaceTextBox(field, 9, 30, 10), RECT{80, 5, 110, 15}));
    EXPECT_TRUE(SameRect(KstPlaceTextBox(field, 12, 30, 10), RECT{45, 5, 75, 15}));
}

TEST(ValueLayoutTest, TheSplitLineIsHitWithinThreePixels)
{
    // Side 0 at 0.5 of 100: the line at x = 50.
    for (int x : {47, 50, 53}) {
        EXPECT_TRUE(KstIsNearSplitLine(KST_TITLE_LEFT, 0.5, 100, 40, x, 20)) << x;
    }
    for (int x : {46, 54, 0}) {
        EXPECT_FALSE(KstIsNearSplitLine(KST_TITLE_LEFT, 0.5, 100, 40, x, 20)) << x;
    }
    // Side 2 at 0.25 of 40: the line at y = 30.
    EXPECT_TRUE(KstIsNearSplitLine(KST_TITLE_BOTTOM, 0.25, 100, 40, 0, 28));
    EXPECT_FALSE(KstIsNearSplitLine(KST_TITLE_BOTTOM, 0.25, 100, 40, 50, 20));
    EXPECT_EQ(KstSplitLinePosition(KST_TITLE_RIGHT, 0.25, 100, 40), 75);
    EXPECT_EQ(KstSplitLinePosition(KST_TITLE_TOP, 0.25, 100, 40), 10);
}

TEST(ValueLayoutTest, DraggedSplitPointsGiveClampedSnappedRatios)
{
    const struct {
        uint32_t side;
        int x;
        int y;
        int step;
        double ratio;
    } cases[] = {
        {KST_TITLE_LEFT, 25, 0, 1, 0.25},    {KST_TITLE_LEFT, 130, 0, 1, 1.0},
        {KST_TITLE_LEFT, -4, 0, 1, 0.0},     {KST_TITLE_LEFT, 24, 0, 10, 0.2},
        {KST_TITLE_LEFT, 26, 0, 10, 0.3},    {KST_TITLE_LEFT, 25, 0, 10, 0.2},
        {KST_TITLE_LEFT, 99, 0, 10, 1.0},    {KST_TITLE_RIGHT, 75, 0, 1, 0.25},
        {KST_TITLE_RIGHT, 130, 0, 1, 0.0},   {KST_TITLE_RIGHT, -1, 0, 1, 1.0},
        {KST_TITLE_TOP, 0, 10, 1, 0.25},     {KST_TITLE_TOP, 0, 50, 1, 1.0},
        {KST_TITLE_TOP, 0, -1, 1, 0.0},      {KST_TITLE_BOTTOM, 0, 30, 1, 0.25},
        {KST_TITLE_BOTTOM, 0, 41, 1, 0.0},   {KST_TITLE_BOTTOM, 0, -1, 1, 1.0},
        {KST_TITLE_BOTTOM, 0, 27, 4, 0.3},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(KstSplitRatioAt(c.side, c.x, c.y, 100, 40, c.step, 0.5), c.ratio)
            << "side " << c.side << " at " << c.x << "," << c.y << " step " << c.step;
    }
}

TEST(ValueLayoutTest, ASplitWithoutExtentKeepsItsRatio)
{
    EXPECT_DOUBLE_EQ(KstSplitRatioAt(KST_TITLE_LEFT, 5, 5, 0, 40, 1, 0.4), 0.4);
    EXPECT_DOUBLE_EQ(KstSplitRatioAt(KST_TITLE_TOP, 5, 5, 100, 0, 3, 0.7), 0.7);
    EXPECT_DOUBLE_EQ(KstSplitRatioAt(KST_TITLE_LEFT, 5, 5, 100, 40, 0, 0.4), 0.05)
        << "a step of 0 counts as 1";
}

TEST(ValueLayoutTest, LampColourFollowsTheFirstConditionThatHolds)
{
    const KstLampRule rule{2, 10.0, 2, 5.0, 0x0000FF, 0x00FFFF, 0x00FF00};
    EXPECT_EQ(KstLampColour(rule, 12.0), 0x0000FFu);
    EXPECT_EQ(KstLampColour(rule, 7.0), 0x00FFFFu);
    EXPECT_EQ(KstLampColour(rule, 3.0), 0x00FF00u);
}

TEST(ValueLayoutTest, ConditionOperators)
{
    const struct {
        uint32_t op;
        double value;
        bool holds;
    } cases[] = {{0, 4, true},  {0, 5, false}, {1, 5, true},  {1, 6, false}, {2, 6, true},
                 {2, 5, false}, {3, 5, true},  {3, 4, false}, {4, 5, true},  {4, 5.5, false},
                 {5, 5, false}, {99, 4, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(KstLampConditionHolds(c.op, c.value, 5.0), c.holds) << c.op << " " << c.value;
    }
}

TEST(ValueLayoutTest, TheNumberIsFollowedDirectlyByItsUnit)
{
    EXPECT_EQ(KstFormatValueText(1.5, 3, "V", true), CKSTString("1.500V"));
    EXPECT_EQ(KstFormatValueText(1.5, 0, "V", false), CKSTString("2"));
    EXPECT_EQ(KstFormatValueText(-0.25, 2, "bar", true), CKSTString("-0.25bar"));
    EXPECT_EQ(KstValueCompareText("", 1.5, 1, "V"), CKSTString("1.5 V"));
    EXPECT_EQ(KstValueCompareText("open", 1.5, 1, "V"), CKSTString("open"));
}

TEST(ValueLayoutTest, DialogNumbersHaveBounds)
{
    EXPECT_TRUE(KstIsValidPrecision(0));
    EXPECT_TRUE(KstIsValidPrecision(20));
    EXPECT_FALSE(KstIsValidPrecision(21));
    EXPECT_FALSE(KstIsValidPrecision(-1));
    EXPECT_TRUE(KstIsValidFrameWidth(100));
    EXPECT_FALSE(KstIsValidFrameWidth(101));
    EXPECT_FALSE(KstIsValidFrameWidth(-1));
    EXPECT_TRUE(KstIsValidSplitRatio(0.0));
    EXPECT_TRUE(KstIsValidSplitRatio(1.0));
    EXPECT_FALSE(KstIsValidSplitRatio(1.01));
    EXPECT_FALSE(KstIsValidSplitRatio(std::nan("")));
}

}  // namespace
