// Y axis: value and pixel mapping, transforms, ticks, labels and the zoom history. Texts measure
// 6 pixels per character and 13 pixels high (fake_curve_owner.h).
#include "curvewnd/YAxis.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "fake_curve_owner.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// 40 pixels wide; a height of 103 gives a pixel length of 100.
RECT Band(int height)
{
    return RECT{0, 0, 40, height};
}

std::vector<std::string> Texts(const CKSTYAxis& axis)
{
    std::vector<std::string> texts;
    for (const CKSTYAxis::Label& label : axis.GetLabels()) {
        texts.push_back(label.text.c_str());
    }
    return texts;
}

class YAxisTest : public ::testing::Test {
protected:
    std::unique_ptr<CKSTYAxis> MakeAxis(const RECT& rect, double min = 0.0, double max = 10.0)
    {
        auto axis = std::make_unique<CKSTYAxis>(&owner);
        axis->SetRect(rect);
        axis->SetRange(min, max, false);
        return axis;
    }

    FakeCurveOwner owner;
};

TEST_F(YAxisTest, NewAxisSpansZeroToTenAutomatically)
{
    CKSTYAxis axis(&owner);
    EXPECT_EQ(0.0, axis.GetMinimum());
    EXPECT_EQ(10.0, axis.GetMaximum());
    EXPECT_TRUE(axis.IsAutoRange());
    EXPECT_TRUE(axis.IsAutoTicks());
    EXPECT_EQ(3u, axis.GetUnitPrefixMode());
    EXPECT_EQ(KST_COLOR_AUTOMATIC, axis.GetColour());
    EXPECT_FALSE(axis.IsPointerInstrument());
    EXPECT_EQ(270.0, axis.GetDialAngle());

    owner.displayKind = 4;
    CKSTYAxis meter(&owner, true);
    EXPECT_EQ(0u, meter.GetColour()) << "pointer instruments start black";
    EXPECT_TRUE(meter.IsPointerInstrument());
    meter.Reset();
    EXPECT_TRUE(meter.IsPointerInstrument());
}

TEST_F(YAxisTest, SetRangeWidensEmptyAutomaticRangesAndRefusesEmptyManualOnes)
{
    CKSTYAxis axis(&owner);
    EXPECT_TRUE(axis.SetRange(3.0, 3.0, true));
    EXPECT_EQ(-2.0, axis.GetMinimum());
    EXPECT_EQ(8.0, axis.GetMaximum());

    EXPECT_FALSE(axis.SetRange(4.0, 4.0, false));
    EXPECT_FALSE(axis.SetRange(kNaN, 4.0, true));
    EXPECT_FALSE(axis.SetRange(0.0, std::numeric_limits<double>::infinity(), true));
    EXPECT_EQ(-2.0, axis.GetMinimum());
    EXPECT_EQ(8.0, axis.GetMaximum());
    EXPECT_TRUE(axis.IsAutoRange());
}

TEST_F(YAxisTest, ValuesMapToRowsFromTheBottomOrWithTheLowestValueOnTop)
{
    struct Case {
        const char* name;
        RECT rect;
        bool lowestOnTop;
        double value;
        int32_t row;
    };
    const RECT band = Band(103);
    const RECT reversed{40, 103, 0, 0};
    const Case cases[] = {
        {"minimum", band, false, 0.0, 101},
        {"maximum", band, false, 10.0, 1},
        {"middle", band, false, 5.0, 51},
        {"half a pixel up", band, false, 0.05, 100},
        {"half a pixel down", band, false, -0.05, 102},
        {"reversed corners", reversed, false, 10.0, 1},
        {"lowest on top: minimum", band, true, 0.0, 1},
        {"lowest on top: maximum", band, true, 10.0, 101},
        {"lowest on top: quarter", band, true, 2.5, 26},
        {"far above", band, false, 1e300, 101 - 2147483647},
        {"far below", band, false, -1e300, INT32_MAX},
        {"not a number", band, false, kNaN, 101 - 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto axis = MakeAxis(c.rect);
        axis->SetLowestOnTop(c.lowestOnTop);
        ASSERT_EQ(10.0, axis->GetDisplayMaximum());
        EXPECT_EQ(c.row, axis->ValueToPixel(c.value));
        if (std::fabs(c.value) <= 10.0) {
            EXPECT_NEAR(c.value, axis->PixelToValue(c.row), 0.051);
        }
    }
}

TEST_F(YAxisTest, TransformsPutNonPositiveValuesFarBelowTheRange)
{
    struct Case {
        uint32_t type;
        double value;
        double expected;
    };
    const Case cases[] = {
        {CKSTYAxis::kScaleLinear, -3.5, -3.5},
        {CKSTYAxis::kScaleLogarithmic, 100.0, 2.0},
        {CKSTYAxis::kScaleLogarithmic, 1e-300, -300.0},
        {CKSTYAxis::kScaleLogarithmic, 0.0, -1002.0},
        {CKSTYAxis::kScaleLogarithmic, -1.0, -1002.0},
        {CKSTYAxis::kScaleLogarithmic, kNaN, -1002.0},
        {CKSTYAxis::kScaleDecibel, 10.0, 20.0},
        {CKSTYAxis::kScaleDecibel, 0.001, -60.0},
        {CKSTYAxis::kScaleDecibel, 0.0, -1002.0},
        {CKSTYAxis::kScaleDecibel, kNaN, -1002.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        CKSTYAxis axis(&owner);
        axis.SetScaleType(c.type);
        axis.SetRange(-2.0, 3.0, false);
        EXPECT_NEAR(c.expected, axis.Transform(c.value), 1e-12);
    }
    CKSTYAxis logAxis(&owner);
    logAxis.SetScaleType(CKSTYAxis::kScaleLogarithmic);
    EXPECT_TRUE(std::isinf(logAxis.Transform(std::numeric_limits<double>::infinity())));
    EXPECT_NEAR(-323.3, logAxis.Transform(std::numeric_limits<double>::denorm_min()), 0.01);
}

TEST_F(YAxisTest, TickLayout)
{
    struct Case {
        const char* name;
        int height;
        double min, max;
        double spacing;  // manual when > 0
        double firstTick;
        double tickSpacing;
        double displayMaximum;
        std::vector<int32_t> rows;
    };
    const Case cases[] = {
        {"manual ticks start at the minimum", 93, 1.0, 10.0, 3.0, 1.0, 3.0, 10.0, {91, 61, 31, 1}},
        {"automatic ticks every 25 pixels",
         103,
         0.0,
         10.0,
         0.0,
         0.0,
         2.5,
         10.0,
         {101, 76, 51, 26, 1}},
        {"automatic ticks on multiples", 103, 0.3, 9.7, 0.0, 2.5, 2.5, 9.7, {78, 51, 24}},
        {"no tick inside: the ends", 23, 1.0, 9.0, 0.0, 1.0, 8.0, 9.0, {21, 1}},
        {"too many manual ticks", 103, 0.0, 10.0, 0.05, 0.0, 2.5, 10.0, {101, 76, 51, 26, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto axis = MakeAxis(Band(c.height), c.min, c.max);
        if (c.spacing > 0.0) {
            axis->SetTickSpacing(c.spacing, false);
        }
        EXPECT_EQ(c.firstTick, axis->GetFirstTick());
        EXPECT_EQ(c.tickSpacing, axis->GetTickSpacing());
        EXPECT_NEAR(c.displayMaximum, axis->GetDisplayMaximum(), 1e-12);
        std::vector<int32_t> rows;
        axis->GetTickPixels(rows);
        EXPECT_EQ(c.rows, rows);
    }

    auto axis = MakeAxis(Band(93), 1.0, 10.0);
    axis->SetTickSpacing(3.0, false);
    axis->SetTickSpacing(kNaN, false);
    axis->SetTickCount(0.0, false);
    axis->SetTickCount(kNaN, false);
    EXPECT_EQ(3.0, axis->GetTickSpacing());
    axis->SetTickCount(9.0, false);
    EXPECT_EQ(1.0, axis->GetTickSpacing());
}

TEST_F(YAxisTest, LabelExponentFollowsThePrefixModeAndTheScale)
{
    struct Case {
        uint32_t type;
        uint32_t mode;
        double min, max;
        int16_t exponent;
    };
    const Case cases[] = {
        {CKSTYAxis::kScaleLinear, 3, 0.0, 5000.0, 3},
        {CKSTYAxis::kScaleLinear, 0, 0.0, 5000.0, 0},
        {CKSTYAxis::kScaleLinear, 3, -2000.0, 500.0, 3},
        {CKSTYAxis::kScaleLinear, 3, 0.0, 0.004, -3},
        {CKSTYAxis::kScaleLogarithmic, 3, -3.0, -1.0, -3},
        {CKSTYAxis::kScaleLogarithmic, 3, 1.0, 4.0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.max);
        CKSTYAxis axis(&owner);
        axis.SetScaleType(c.type);
        axis.SetUnitPrefixMode(c.mode);
        axis.SetRange(c.min, c.max, false);
        EXPECT_EQ(c.exponent, axis.GetLabelExponent());
    }
}

TEST_F(YAxisTest, LabelsStandBesideTheTicksWithTheUnitCaptionAtTheTop)
{
    struct Case {
        const char* name;
        bool rightSide;
        bool edgeLine;
        std::vector<int32_t> x;  // of the labels "0.0", "2.5", ..., "10.0"
        int32_t captionX;
    };
    const Case cases[] = {
        // Left of the plot: right-aligned at the ticks.
        {"left", false, false, {17, 17, 17, 17, 11}, 3},
        {"left with edge line", false, true, {16, 16, 16, 16, 10}, 3},
        // Right of the plot: right-aligned in the column of the widest label.
        {"right", true, false, {12, 12, 12, 12, 6}, 33},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto axis = MakeAxis(Band(103));
        axis->SetUnit("V");
        axis->SetRightSide(c.rightSide);
        axis->SetNoEdgeLine(!c.edgeLine);
        const int32_t width = axis->LayoutLabels(owner.measure, owner.settings.m_AxesFontDesc);

        const std::vector<std::string> texts = {"0.0", "2.5", "5.0", "7.5", "10.0"};
        ASSERT_EQ(texts, Texts(*axis));
        const std::vector<CKSTYAxis::Label>& labels = axis->GetLabels();
        for (size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(c.x[i], labels[i].x) << i;
        }
        // Centred on the tick rows, kept inside the band at both ends.
        EXPECT_EQ(103 - 13, labels[0].y);
        EXPECT_EQ(76 - 6, labels[1].y);
        EXPECT_EQ(0, labels[4].y);
        EXPECT_TRUE(axis->AreLabelsShown());

        EXPECT_EQ(std::string("V"), axis->GetUnitCaption().text.c_str());
        EXPECT_EQ(c.captionX, axis->GetUnitCaption().x);
        EXPECT_EQ(labels[4].y, axis->GetUnitCaption().y);
        EXPECT_TRUE(axis->IsUnitCaptionShown());
        EXPECT_EQ(4 + 2 + 24 + 6 + 4 + (c.edgeLine ? 1 : 0), width);
    }
}

TEST_F(YAxisTest, LabelsOfOtherScalesAndOrientations)
{
    auto decibel = MakeAxis(Band(103), -60.0, 0.0);
    decibel->SetScaleType(CKSTYAxis::kScaleDecibel);
    decibel->SetUnit("V");
    decibel->LayoutLabels(owner.measure, owner.settings.m_AxesFontDesc);
    EXPECT_EQ(std::string("dB"), decibel->GetUnitCaption().text.c_str());

    auto logarithmic = MakeAxis(Band(103), -2.0, 1.0);
    logarithmic->SetScaleType(CKSTYAxis::kScaleLogarithmic);
    logarithmic->LayoutLabels(owner.measure, owner.settings.m_AxesFontDesc);
    const std::vector<std::string> powers = {"0.01", "0.10", "1.00", "10.00"};
    EXPECT_EQ(powers, Texts(*logarithmic));

    auto small = MakeAxis(Band(103), 0.0, 0.004);
    small->SetUnit("V");
    small->LayoutLabels(owner.measure, owner.settings.m_AxesFontDesc);
    EXPECT_EQ(std::string("mV"), small->GetUnitCaption().text.c_str());
    EXPECT_EQ(std::string("4"), Texts(*small).back());

    auto inverted = MakeAxis(Band(103));
    inverted->SetUnit("V");
    inverted->SetLowestOnTop(true);
    inverted->LayoutLabels(owner.measure, owner.settings.m_AxesFontDesc);
    EXPECT_EQ(0, inverted->GetLabels().front().y) << "the minimum stands at the top";
    EXPECT_EQ(0, inverted->GetUnitCaption().y);

    auto shortAxis = MakeAxis(Band(25));
    shortAxis->SetUnit("V");
    shortAxis->LayoutLabels(owner.measure, owner.settings.m_AxesFontDesc);
    EXPECT_FALSE(shortAxis->AreLabelsShown()) << "less than two label heights tall";
    EXPECT_TRUE(shortAxis->IsUnitCaptionShown());
}

TEST_F(YAxisTest, CaptionListsAtMostTwentyChannelNames)
{
    CKSTYAxis axis(&owner);
    EXPECT_EQ(std::string(""), axis.GetCaption().c_str());
    owner.channelNames = {"U1", "U2", "I"};
    EXPECT_EQ(std::string("U1, U2, I"), axis.GetCaption().c_str());

    owner.channelNames.clear();
    std::string expected;
    for (int i = 0; i < 25; ++i) {
        const std::string name = "c" + std::to_string(i);
        owner.channelNames.push_back(name.c_str());
        if (i < 20) {
            expected += (i > 0 ? ", " : "") + name;
        }
    }
    EXPECT_EQ(expected + ", ...", axis.GetCaption().c_str());
}

TEST_F(YAxisTest, AutomaticColourIsTheFirstCurvesOrTheWindowsTextColour)
{
    owner.settings.m_YTextColor = 0x123456;
    CKSTYAxis axis(&owner);
    EXPECT_EQ(0x123456u, axis.GetDrawColour());
    owner.curveColours[&axis] = 0x00FF00;
    EXPECT_EQ(0x00FF00u, axis.GetDrawColour());
    axis.SetColour(0x0000FF);
    EXPECT_EQ(0x0000FFu, axis.GetDrawColour());
}

TEST_F(YAxisTest, ChangesInvalidateTheBand)
{
    auto axis = MakeAxis(RECT{300, 10, 340, 113});
    owner.invalidated.clear();
    axis->SetUnit("A");
    ASSERT_EQ(1u, owner.invalidated.size());
    EXPECT_EQ(300, owner.invalidated[0].left);
    EXPECT_EQ(10, owner.invalidated[0].top);
    EXPECT_EQ(340, owner.invalidated[0].right);
    EXPECT_EQ(113, owner.invalidated[0].bottom);
    owner.invalidated.clear();
    axis->SetUnit("A");
    axis->SetColour(KST_COLOR_AUTOMATIC);
    axis->SetLowestOnTop(false);
    EXPECT_TRUE(owner.invalidated.empty());
}

TEST_F(YAxisTest, ZoomHistoryAndDeepCopies)
{
    auto axis = MakeAxis(Band(103), 0.0, 100.0);
    axis->PushZoom(1);
    axis->SetRange(20.0, 60.0, false);
    axis->PushZoom(3);
    axis->SetRange(30.0, 40.0, false);

    EXPECT_EQ(20.0, axis->GetZoomState(2)->GetMinimum()) << "no state of its own at level 2";
    EXPECT_EQ(0.0, axis->GetZoomState(0)->GetMinimum());
    EXPECT_EQ(0.0, axis->GetRangeMin());
    EXPECT_EQ(100.0, axis->GetRangeMax());

    auto copy = std::make_unique<CKSTYAxis>(&owner);
    copy->CopyFrom(*axis);
    EXPECT_NE(axis->GetPreviousState(), copy->GetPreviousState());
    axis.reset();
    EXPECT_EQ(100.0, copy->GetRangeMax());

    copy->TruncateZoom(1);
    EXPECT_EQ(1, copy->GetZoomLevel());
    EXPECT_EQ(0.0, copy->GetPreviousState()->GetMinimum());
    copy->TruncateZoom(0);
    EXPECT_EQ(nullptr, copy->GetPreviousState());
    EXPECT_EQ(30.0, copy->GetRangeMin()) << "the range is the caller's to restore";
}

}  // namespace
