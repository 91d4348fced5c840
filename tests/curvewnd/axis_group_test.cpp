#include "curvewnd/AxisGroup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "curvewnd/XAxis.h"
#include "fake_group_host.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class AxisGroupTest : public testing::Test {
protected:
    CKSTChannel* Own(std::unique_ptr<CKSTChannel> channel)
    {
        channels.push_back(std::move(channel));
        return channels.back().get();
    }

    FakeGroupHost host;
    CKSTXAxis xAxis{&host};
    std::vector<std::unique_ptr<CKSTChannel>> channels;
};

TEST_F(AxisGroupTest, CurvesOfOneUnitShareAnAxisThatLivesWhileOneOfThemIsLeft)
{
    CKSTAxisGroup group(&host);
    CKSTChannel* volts1 = Own(ConstantChannel("u1", "V", 1.0));
    CKSTChannel* volts2 = Own(ConstantChannel("u2", "V", 2.0));
    CKSTChannel* amps = Own(ConstantChannel("i", "A", 3.0));
    EXPECT_EQ(group.AddChannel(volts1, &xAxis, CKSTAxisGroup::kAxisOfUnit, false), 0);
    EXPECT_EQ(group.AddChannel(volts2, &xAxis, CKSTAxisGroup::kAxisOfUnit, false), 1);
    EXPECT_EQ(group.AddChannel(amps, &xAxis, CKSTAxisGroup::kAxisOfUnit, false), 2);
    ASSERT_EQ(group.GetAxisCount(), 2);
    CKSTYAxis* voltAxis = group.GetAxis(0);
    EXPECT_EQ(group.GetCurve(0)->GetYAxis(), voltAxis);
    EXPECT_EQ(group.GetCurve(1)->GetYAxis(), voltAxis);
    EXPECT_EQ(group.GetCurve(2)->GetYAxis(), group.GetAxis(1));
    EXPECT_STREQ(voltAxis->GetUnit().c_str(), "V");

    group.RemoveCurve(group.GetCurve(0), false);
    EXPECT_EQ(group.GetAxisCount(), 2);
    EXPECT_EQ(group.GetCurve(0)->GetYAxis(), voltAxis);
    group.RemoveCurve(group.GetCurve(0), true);
    ASSERT_EQ(group.GetAxisCount(), 1);
    EXPECT_STREQ(group.GetAxis(0)->GetUnit().c_str(), "A");
    EXPECT_EQ(host.released, std::vector<CKSTChannel*>{volts2});
}

TEST_F(AxisGroupTest, AxisModesChooseTheLastANewOrAnIndexedAxis)
{
    CKSTAxisGroup group(&host);
    CKSTChannel* c = Own(ConstantChannel("c", "V", 1.0));
    group.AddChannel(c, &xAxis, CKSTAxisGroup::kAxisLast, false);  // first axis made
    group.AddChannel(c, &xAxis, CKSTAxisGroup::kAxisLast, false);  // shares it
    group.AddChannel(c, &xAxis, CKSTAxisGroup::kAxisNew, false);   // axis 1
    group.AddChannel(c, &xAxis, 4, false);                         // axes 2, 3, 4
    ASSERT_EQ(group.GetAxisCount(), 5);
    EXPECT_EQ(group.GetCurve(0)->GetYAxis(), group.GetAxis(0));
    EXPECT_EQ(group.GetCurve(1)->GetYAxis(), group.GetAxis(0));
    EXPECT_EQ(group.GetCurve(2)->GetYAxis(), group.GetAxis(1));
    EXPECT_EQ(group.GetCurve(3)->GetYAxis(), group.GetAxis(4));
    EXPECT_EQ(group.CountCurvesOnAxis(group.GetAxis(0)), 2);
    EXPECT_TRUE(group.AxisHasNoCurve(group.GetAxis(2)));
    EXPECT_FALSE(group.IsFirstCurveOnAxis(1));
    EXPECT_TRUE(group.IsFirstCurveOnAxis(2));
}

TEST_F(AxisGroupTest, CopiedCurvesFindTheirAxisByMode)
{
    CKSTAxisGroup source(&host);
    CKSTChannel* c = Own(ConstantChannel("c", "V", 1.0));
    source.AddChannel(c, &xAxis, CKSTAxisGroup::kAxisNew, false);
    const CKSTCurve& curve = *source.GetCurve(0);
    const CKSTYAxis& axis = *source.GetAxis(0);

    CKSTAxisGroup group(&host);
    EXPECT_EQ(group.AddCurve(curve, axis, CKSTAxisGroup::kAxisLast), 0);  // none yet: a copy
    EXPECT_EQ(group.AddCurve(curve, axis, CKSTAxisGroup::kAxisOfUnit), 1);
    EXPECT_EQ(group.AddCurve(curve, axis, CKSTAxisGroup::kAxisNew), 2);
    ASSERT_EQ(group.GetAxisCount(), 2);
    EXPECT_EQ(group.GetCurve(1)->GetYAxis(), group.GetAxis(0));
    EXPECT_EQ(group.GetCurve(2)->GetYAxis(), group.GetAxis(1));
    EXPECT_EQ(group.GetCurve(2)->GetChannel(), c);
    EXPECT_EQ(group.GetCurve(2)->GetXAxis(), &xAxis);
    EXPECT_STREQ(group.GetAxis(1)->GetUnit().c_str(), "V");
}

TEST_F(AxisGroupTest, NewCurvesTakeTheStyleOfTheDisplayAndTheChannel)
{
    struct Case {
        const char* name;
        uint32_t displayKind;
        uint16_t sampleType;
        bool valueTexts;
        uint32_t style;
        bool pointerAxis;
    };
    const Case cases[] = {
        {"y(t)", 0, 5, false, CKSTCurve::kStyleLines, false},
        {"bar display", 2, 5, false, CKSTCurve::kStyle3DBars, false},
        {"pointer instrument", 4, 5, false, CKSTAxisGroup::kStylePointer, true},
        {"sample type 0", 2, 0, false, CKSTCurve::kStyleSteps, false},
        {"value texts win", 4, 0, true, CKSTCurve::kStyleEventTexts, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.displayKind = c.displayKind;
        CKSTChannel* channel = Own(ConstantChannel("c", "V", 1.0));
        channel->SetSampleType(c.sampleType);
        if (c.valueTexts) {
            channel->AddValueText("on", false);
        }
        CKSTAxisGroup group(&host);
        group.AddChannel(channel, &xAxis, CKSTAxisGroup::kAxisNew, false);
        EXPECT_EQ(group.GetCurve(0)->GetDisplayKind(), c.style);
        EXPECT_EQ(group.GetAxis(0)->IsPointerInstrument(), c.pointerAxis);
    }
}

TEST_F(AxisGroupTest, AutomaticScalingWidensFlatDataAndRoundsOutwards)
{
    struct Case {
        const char* name;
        uint32_t scaleType;
        std::vector<double> values;
        double lo, hi;
    };
    const Case cases[] = {
        {"constant 3 on a linear axis", CKSTYAxis::kScaleLinear, {3, 3, 3}, -2.0, 8.0},
        {"constant 1000 on a log axis", CKSTYAxis::kScaleLogarithmic, {1000, 1000}, 2.0, 4.0},
        {"ramp", CKSTYAxis::kScaleLinear, {0.13, 5, 7.31}, 0.1, 7.4},
        // Infinite samples count as +-1e300; the rounded ends lie a little beyond.
        {"infinite samples", CKSTYAxis::kScaleLinear, {-kInf, 1, kInf}, -1.05e300, 1.05e300},
        {"samples that are no numbers are left out",
         CKSTYAxis::kScaleLinear,
         {kNaN, 2, kNaN},
         -3.0,
         7.0},
        {"all samples missing", CKSTYAxis::kScaleLinear, {}, -5.0, 5.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTAxisGroup group(&host);
        const std::vector<double> values = c.values;
        CKSTChannel* channel = Own(MakeChannel("c", "mV", static_cast<uint32_t>(values.size()),
                                               [&](uint32_t i) { return values[i]; }));
        group.AddCurveOnAxis(channel, &xAxis, 0, false);
        CKSTYAxis* axis = group.GetAxis(0);
        axis->SetScaleType(c.scaleType);
        group.AutoScaleAxis(axis);
        EXPECT_STREQ(axis->GetUnit().c_str(), "mV");
        EXPECT_NEAR(axis->GetMinimum(), c.lo, 1e-3 * std::max(1e-6, std::fabs(c.lo)));
        EXPECT_NEAR(axis->GetMaximum(), c.hi, 1e-3 * std::max(1e-6, std::fabs(c.hi)));
    }
}

TEST_F(AxisGroupTest, ManualRangesAndZoomedAxesKeepTheirRange)
{
    CKSTAxisGroup group(&host);
    CKSTChannel* c = Own(ConstantChannel("c", "V", 3.0));
    group.AddChannel(c, &xAxis, CKSTAxisGroup::kAxisNew, false);
    CKSTYAxis* axis = group.GetAxis(0);
    ASSERT_TRUE(axis->SetRange(0.0, 100.0, false));
    group.AutoScaleAll();
    EXPECT_DOUBLE_EQ(axis->GetMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(axis->GetMaximum(), 100.0);

    ASSERT_TRUE(axis->SetRange(0.0, 1.0, true));
    axis->PushZoom(1);
    ASSERT_TRUE(axis->SetRange(0.2, 0.4, true));
    group.AutoScaleAll();
    EXPECT_DOUBLE_EQ(axis->GetMinimum(), 0.2);
    group.RestoreZoomLevel(0);
    EXPECT_EQ(axis->GetPreviousState(), nullptr);
    EXPECT_DOUBLE_EQ(axis->GetMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(axis->GetMaximum(), 1.0);
}

TEST_F(AxisGroupTest, ValueRangeCoversTheShownCurvesOfTheAxis)
{
    CKSTAxisGroup group(&host);
    double min = 1;
    double max = 2;
    group.GetValueRange(nullptr, min, max);
    EXPECT_EQ(min, 0.0);
    EXPECT_EQ(max, 0.0);

    group.AddChannel(Own(ConstantChannel("a", "V", 1.0)), &xAxis, CKSTAxisGroup::kAxisLast, false);
    group.AddChannel(Own(ConstantChannel("b", "V", 9.0)), &xAxis, CKSTAxisGroup::kAxisLast, false);
    CKSTYAxis* axis = group.GetAxis(0);
    group.GetValueRange(axis, min, max);
    EXPECT_EQ(min, 1.0);
    EXPECT_EQ(max, 9.0);
    group.GetCurve(1)->SetCurveKind(CKSTCurve::kKindHidden, false);
    group.GetValueRange(axis, min, max);
    EXPECT_EQ(max, 1.0);
    group.GetCurve(0)->SetValueListMode(2, false);  // only in the value list: no shown curve
    group.GetValueRange(axis, min, max);
    EXPECT_EQ(max, 9.0);
}

TEST_F(AxisGroupTest, DataSpanOfTheCurvesWithBarsReachingOneSampleFurther)
{
    CKSTAxisGroup group(&host);
    EXPECT_EQ(group.GetDataStart(nullptr), 1e300);
    EXPECT_EQ(group.GetDataEnd(nullptr), -1e300);

    CKSTChannel* early = Own(ConstantChannel("a", "V", 1.0, 11));  // 0 .. 10 s
    CKSTChannel* late = Own(ConstantChannel("b", "V", 1.0, 5));    // 0 .. 4 s, 60 s later
    early->SetStartTimeStamp(CKSTTimeStamp(2020, 1, 1, 12, 0, 0));
    late->SetStartTimeStamp(CKSTTimeStamp(2020, 1, 1, 12, 1, 0));
    late->SetDt(2.0);
    group.AddChannel(early, &xAxis, CKSTAxisGroup::kAxisLast, false);
    group.AddChannel(late, &xAxis, CKSTAxisGroup::kAxisLast, false);
    EXPECT_DOUBLE_EQ(group.GetDataStart(nullptr), 0.0);
    EXPECT_DOUBLE_EQ(group.GetDataEnd(nullptr), 10.0);
    const CKSTTimeStamp reference = early->GetStartTimeStamp();
    EXPECT_DOUBLE_EQ(group.GetDataEnd(&reference), 68.0);
    group.GetCurve(1)->SetDisplayKind(CKSTCurve::kStyleBars, false);
    EXPECT_DOUBLE_EQ(group.GetDataEnd(&reference), 70.0);
    EXPECT_TRUE(group.GetStartTimeStamp() == reference);
}

TEST_F(AxisGroupTest, ShownCurvesDecideWhetherTheGroupIsListed)
{
    CKSTAxisGroup group(&host);
    EXPECT_FALSE(group.HasShownCurve());
    group.AddChannel(Own(ConstantChannel("a", "V", 1.0)), &xAxis, CKSTAxisGroup::kAxisLast, false);
    EXPECT_TRUE(group.HasShownCurve());
    CKSTCurve* curve = group.GetCurve(0);
    curve->SetCurveKind(CKSTCurve::kKindHidden, false);
    EXPECT_FALSE(group.HasShownCurve());
    host.settings.m_LegendStyle = 2;  // one legend per group: hidden curves keep it listed
    EXPECT_TRUE(group.HasShownCurve());
    curve->SetCurveKind(CKSTCurve::kKindXChannel, false);
    EXPECT_FALSE(group.HasShownCurve());
}

TEST_F(AxisGroupTest, LayoutPlacesEvenAxesLeftAndOddAxesRight)
{
    CKSTAxisGroup group(&host);
    for (int i = 0; i < 4; ++i) {
        group.AddChannel(Own(ConstantChannel("c", "V", i * 100.0)), &xAxis, CKSTAxisGroup::kAxisNew,
                         false);
    }
    const RECT rect = {120, 40, 300, 200};
    group.Layout(host.measure, rect, 5, 395, 16);

    const RECT a0 = group.GetAxis(0)->GetRect();
    const RECT a1 = group.GetAxis(1)->GetRect();
    const RECT a2 = group.GetAxis(2)->GetRect();
    const RECT a3 = group.GetAxis(3)->GetRect();
    EXPECT_EQ(a0.right, 120);
    EXPECT_EQ(a2.right, a0.left);
    EXPECT_EQ(a2.left, 5);
    EXPECT_EQ(a1.left, 316);
    EXPECT_EQ(a3.left, a1.right);
    EXPECT_EQ(a3.right, 395);
    EXPECT_GT(a0.right - a0.left, 0);
    EXPECT_GT(a1.right - a1.left, 0);
    for (const RECT& a : {a0, a1, a2, a3}) {
        EXPECT_EQ(a.top, 40);
        EXPECT_EQ(a.bottom, 200);
    }
    EXPECT_FALSE(group.GetAxis(0)->IsRightSide());
    EXPECT_TRUE(group.GetAxis(1)->IsRightSide());
    EXPECT_TRUE(group.GetAxis(0)->HasNoEdgeLine());
    EXPECT_TRUE(group.GetAxis(1)->HasNoEdgeLine());
    EXPECT_FALSE(group.GetAxis(2)->HasNoEdgeLine());
    EXPECT_FALSE(group.GetAxis(3)->HasNoEdgeLine());
    EXPECT_EQ(group.GetLeftAxesWidth(host.measure),
              (a0.right - a0.left) +
                  group.GetAxis(2)->LayoutLabels(host.measure, host.settings.m_AxesFontDesc));
    const RECT plot = group.GetCurve(0)->GetRect();
    EXPECT_EQ(plot.left, 121);
    EXPECT_EQ(plot.top, 41);
    EXPECT_EQ(plot.right, 299);
    EXPECT_EQ(plot.bottom, 199);

    // A hidden A0 leaves the inner left place to A2, which also reaches the border.
    group.SetAxisHidden(group.GetAxis(0), true);
    group.Layout(host.measure, rect, 5, 395, 16);
    EXPECT_EQ(group.GetAxis(2)->GetRect().right, 120);
    EXPECT_EQ(group.GetAxis(2)->GetRect().left, 5);
    EXPECT_TRUE(group.GetAxis(2)->HasNoEdgeLine());
}

TEST_F(AxisGroupTest, HitTestsFindAxesCurvesAndTheBand)
{
    CKSTAxisGroup group(&host);
    CKSTChannel* ramp = Own(MakeChannel("r", "V", 11, [](uint32_t i) { return double(i); }));
    group.AddChannel(ramp, &xAxis, CKSTAxisGroup::kAxisLast, false);
    group.Layout(host.measure, {100, 0, 300, 100}, 5, 395, 0);
    xAxis.SetRect({101, 100, 299, 120});
    const RECT axis = group.GetAxis(0)->GetRect();
    EXPECT_EQ(group.HitTestAxis({axis.left + 1, 50}), group.GetAxis(0));
    EXPECT_EQ(group.HitTestAxis({200, 50}), nullptr);
    EXPECT_TRUE(group.HitTestBand(103, 300));
    EXPECT_TRUE(group.HitTestBand(-4, -4));
    EXPECT_FALSE(group.HitTestBand(-6, -20));
    EXPECT_TRUE(group.HitTestBand(-50, 500));
}

TEST_F(AxisGroupTest, RemovingAnAxisLeavesItsCurvesWithoutOne)
{
    CKSTAxisGroup group(&host);
    group.AddChannel(Own(ConstantChannel("a", "V", 1.0)), &xAxis, CKSTAxisGroup::kAxisLast, false);
    group.RemoveAxis(group.GetAxis(0));
    EXPECT_EQ(group.GetAxisCount(), 0);
    EXPECT_EQ(group.GetCurve(0)->GetYAxis(), nullptr);
    group.AutoScaleAll();
    group.Layout(host.measure, {0, 0, 100, 100}, 0, 100, 0);
}


// Records what the group asks of its scroll bar.
class RecordingScrollBar : public IKSTGroupScrollBar {
public:
    RecordingScrollBar(const RECT& rect, int& alive) : m_rect(rect), m_alive(alive) { ++m_alive; }
    ~RecordingScrollBar() override { --m_alive; }
    const RECT& GetRect() const override { return m_rect; }
    void Move(const RECT& rect) override
    {
        m_rect = rect;
        ++moves;
    }
    void SetScrollPosition(int32_t newPage, int32_t newPosition) override
    {
        page = newPage;
        position = newPosition;
    }

    int moves = 0;
    int32_t page = -1;
    int32_t position = -1;

private:
    RECT m_rect;
    int& m_alive;
};

TEST_F(AxisGroupTest, ScrollBarFollowsTheGroupAndShowsTheZoomedShare)
{
    CKSTAxisGroup group(&host);
    group.AddChannel(Own(ConstantChannel("c", "V", 1.0)), &xAxis, CKSTAxisGroup::kAxisLast,
                     false);
    CKSTYAxis* axis = group.GetAxis(0);
    ASSERT_TRUE(axis->SetRange(0.0, 100.0, false));
    axis->PushZoom(1);
    ASSERT_TRUE(axis->SetRange(20.0, 30.0, false));
    group.Layout(nullptr, {50, 10, 300, 210}, 0, 400, 16);

    // Without a window to hold it there is no bar.
    group.UpdateScrollBar(1000, 16);
    EXPECT_EQ(group.GetScrollBar(), nullptr);

    int alive = 0;
    int createdId = 0;
    host.makeScrollBar = [&](int id, const RECT& rect) {
        createdId = id;
        return std::make_unique<RecordingScrollBar>(rect, alive);
    };
    group.UpdateScrollBar(1000, 16);
    auto* bar = static_cast<RecordingScrollBar*>(group.GetScrollBar());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(createdId, 1000);
    EXPECT_TRUE(IsSameRect(bar->GetRect(), {300, 10, 316, 210}));
    EXPECT_EQ(bar->page, 100);
    EXPECT_EQ(bar->position, 700);

    // The same place moves nothing; a new one moves the bar and invalidates the strip crossed.
    host.invalidated.clear();
    group.UpdateScrollBar(1000, 16);
    EXPECT_EQ(bar->moves, 0);
    EXPECT_TRUE(host.invalidated.empty());
    group.Layout(nullptr, {50, 10, 280, 210}, 0, 400, 16);
    host.invalidated.clear();
    group.UpdateScrollBar(1000, 16);
    EXPECT_EQ(bar->moves, 1);
    EXPECT_TRUE(IsSameRect(bar->GetRect(), {280, 10, 296, 210}));
    ASSERT_EQ(host.invalidated.size(), 1u);
    EXPECT_TRUE(IsSameRect(host.invalidated[0], {280, 10, 316, 210}));

    group.DeleteScrollBar();
    EXPECT_EQ(group.GetScrollBar(), nullptr);
    EXPECT_EQ(alive, 0);
}

}  // namespace
