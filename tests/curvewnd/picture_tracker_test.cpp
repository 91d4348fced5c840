// The tracker decides from the window's state alone whether a refresh may move the picture and
// draw stripes, and which; every change but appended samples must ask for the whole picture.
#include "curvewnd/PictureTracker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "curvewnd/GroupLayout.h"
#include "recording_curve_wnd.h"

namespace {

constexpr double kDt = 0.001;

double Wave(uint32_t i)
{
    if (i < 2) {
        return i == 0 ? -1.0 : 1.0;
    }
    return 0.9 * std::sin(i * 0.013);
}

void Append(CKSTChannel& channel, uint32_t n)
{
    const uint32_t start = channel.GetCount();
    for (uint32_t i = 0; i < n; ++i) {
        channel.AppendValue(Wave(start + i), false);
    }
}

class PictureTrackerTest : public ::testing::Test {
public:
    // Two groups (V and A); a span of four samples to a column, online or in a fixed range.
    void Build(bool follows)
    {
        volts = pool.Add("u", "V", 3000, Wave, kDt);
        amps = pool.Add("i", "A", 3000, Wave, kDt);
        window.AddChannel(volts, 2, CKSTAxisGroup::kAxisOfUnit);
        window.AddChannel(amps, 2, CKSTAxisGroup::kAxisOfUnit);
        window.SetOnline(follows);
        const RECT band = window.GetCurve(0, true)->GetRect();
        span = (band.right - band.left - 1) * kDt * 4.0;
        if (follows) {
            window.SetXAxisRange(0.0, span, CKSTXAxis::kRangeSpanFixed, true);
        } else {
            window.SetXAxisRange(0.0, 2.0 * span, CKSTXAxis::kRangeMinMaxFixed, true);
        }
        window.Refresh();
        tracker.Record(window);
    }

    bool Plan(KstPicturePlan& plan)
    {
        window.Refresh();
        return tracker.Plan(window, window.client, overlays, plan);
    }

    RECT PlotOf(int group) const
    {
        const CKSTAxisGroup& g = *window.GetGroup(group);
        return KstGroupPlotRect(g.GetRect(), g.GetLegendHeight());
    }

    ChannelPool pool;
    CKSTChannel* volts = nullptr;
    CKSTChannel* amps = nullptr;
    RecordingCurveWnd window;
    CKSTPictureTracker tracker;
    std::vector<RECT> overlays;
    double span = 0.0;
};

TEST_F(PictureTrackerTest, FollowingRangeMovesTheBandsAndRedrawsTheNewColumnsAndTheXAxis)
{
    Build(true);
    overlays.push_back(RECT{PlotOf(0).left + 9, PlotOf(0).top + 9, PlotOf(0).left + 60,
                            PlotOf(0).top + 29});
    Append(*volts, 12);
    Append(*amps, 12);
    KstPicturePlan plan;
    ASSERT_TRUE(Plan(plan));
    EXPECT_EQ(plan.shift, 3);
    ASSERT_EQ(plan.moved.size(), 2u);
    for (int g = 0; g < 2; ++g) {
        const RECT plot = PlotOf(g);
        EXPECT_TRUE(IsSameRect(plan.moved[g], plot));
        bool tail = false;
        bool entry = false;
        for (const RECT& r : plan.redraw) {
            if (r.top == plot.top && r.bottom == plot.bottom && r.right == plot.right) {
                // The exposed columns and a few before them, no more.
                tail = r.left <= plot.right - 3 && r.left > plot.right - 20;
            }
            if (r.top == plot.top && r.bottom == plot.bottom && r.left == plot.left) {
                entry = r.right > plot.left && r.right < plot.left + 20;
            }
        }
        EXPECT_TRUE(tail) << "group " << g;
        EXPECT_TRUE(entry) << "group " << g;
    }
    bool title = false;
    bool xAxis = false;
    for (const RECT& r : plan.redraw) {
        title = title || (r.left == overlays[0].left - 3 && r.right == overlays[0].right &&
                          r.top == overlays[0].top);
        xAxis = xAxis || (r.top == window.GetPlotRect().bottom && r.left == window.client.left &&
                          r.right == window.client.right);
    }
    EXPECT_TRUE(title);
    EXPECT_TRUE(xAxis);
}

TEST_F(PictureTrackerTest, FollowingRangeMovesByWholePixelsWhateverIsAppended)
{
    Build(true);
    // Quarters of a pixel: the range end goes to the next pixel at or after the newest sample.
    const uint32_t appends[] = {6, 1, 3, 2, 7, 5, 13};
    uint32_t appended = 0;
    int32_t shifted = 0;
    for (uint32_t n : appends) {
        SCOPED_TRACE("after appending " + std::to_string(n));
        Append(*volts, n);
        Append(*amps, n);
        appended += n;
        KstPicturePlan plan;
        ASSERT_TRUE(Plan(plan));
        shifted += plan.shift;
        tracker.Record(window);
        EXPECT_EQ(shifted, int32_t((appended + 3) / 4));
        const double past = (window.GetXAxis().GetMaximum() - volts->GetEndTime()) *
                            window.GetCurve(0, true)->GetPixelScale();
        EXPECT_GT(past, -1e-6);
        EXPECT_LT(past, 1.0);
    }
}

TEST_F(PictureTrackerTest, FixedRangeDrawsOnlyTheNewSamplesSegment)
{
    Build(false);
    const RECT plot = PlotOf(0);
    // The column of the last sample, at 2.999 s.
    const CKSTCurve& curve = *window.GetCurve(0, true);
    const int32_t oldEnd =
        plot.left + static_cast<int32_t>(std::lround(
                        (2.999 - window.GetXAxis().GetMinimum()) * curve.GetPixelScale()));
    Append(*volts, 40);
    KstPicturePlan plan;
    ASSERT_TRUE(Plan(plan));
    EXPECT_EQ(plan.shift, 0);
    EXPECT_TRUE(plan.moved.empty());
    // Only the volts' group got samples: one stripe from the old end to the new one.
    ASSERT_EQ(plan.redraw.size(), 1u);
    const RECT& r = plan.redraw[0];
    EXPECT_TRUE(IsSameRect(RECT{r.left, plot.top, r.right, plot.bottom}, r));
    EXPECT_LE(r.left, oldEnd);
    EXPECT_GE(r.left, oldEnd - 8);
    EXPECT_GE(r.right, oldEnd + 10);
    EXPECT_LE(r.right, oldEnd + 20);
}

struct Change {
    const char* name;
    std::function<void(PictureTrackerTest&)> apply;
};

class PictureTrackerChangeTest : public PictureTrackerTest,
                                 public ::testing::WithParamInterface<Change> {};

TEST_P(PictureTrackerChangeTest, AsksForTheWholePicture)
{
    Build(true);
    GetParam().apply(*this);
    KstPicturePlan plan;
    EXPECT_FALSE(Plan(plan));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PictureTrackerChangeTest,
    ::testing::Values(
        Change{"MoveByHalfAPixel",
               [](PictureTrackerTest& t) {
                   // A following range moves by whole pixels; a range set by hand need not.
                   const CKSTXAxis& x = t.window.GetXAxis();
                   const double half = 0.5 / t.window.GetCurve(0, true)->GetPixelScale();
                   t.window.SetXAxisRange(x.GetMinimum() + half, x.GetMaximum() + half,
                                          CKSTXAxis::kRangeMinMaxFixed, false);
                   Append(*t.volts, 4);
                   Append(*t.amps, 4);
               }},
        Change{"ValueOutsideTheYRange",
               [](PictureTrackerTest& t) {
                   Append(*t.amps, 4);
                   t.volts->AppendValue(7.0, false);
                   Append(*t.volts, 3);
               }},
        Change{"LastSampleRewritten",
               [](PictureTrackerTest& t) {
                   t.volts->SetValueAt(t.volts->GetCount() - 1, 0.5);
                   Append(*t.volts, 4);
                   Append(*t.amps, 4);
               }},
        Change{"ChannelRefilled",
               [](PictureTrackerTest& t) {
                   // Other values within the same range.
                   t.amps->Reset();
                   t.amps->SetDt(kDt);
                   for (uint32_t i = 0; i < 3004; ++i) {
                       t.amps->AppendValue(i < 2 ? Wave(i) : -Wave(i), false);
                   }
                   Append(*t.volts, 4);
               }},
        Change{"DashedCurve",
               [](PictureTrackerTest& t) {
                   t.window.GetCurve(1, true)->SetDisplayKind(CKSTCurve::kStyleDashLines, false);
                   Append(*t.volts, 4);
                   Append(*t.amps, 4);
               }},
        Change{"CurveColour",
               [](PictureTrackerTest& t) {
                   t.window.GetCurve(0, true)->SetColor(0x123456, false);
                   Append(*t.volts, 4);
                   Append(*t.amps, 4);
               }},
        Change{"NotRecorded", [](PictureTrackerTest& t) { t.tracker.Forget(); }}),
    [](const ::testing::TestParamInfo<Change>& info) { return std::string(info.param.name); });

}  // namespace
