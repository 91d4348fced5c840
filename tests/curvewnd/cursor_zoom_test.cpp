// Measuring cursors, zoom steps and scrolling of the curve window: the arithmetic as tables,
// then zooming, stepping back and scrolling on a laid-out window without a screen.
#include "curvewnd/CursorZoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

#include "curvewnd/CurveWndCore.h"
#include "recording_curve_wnd.h"

namespace {

TEST(CursorZoomMathTest, DifferentialCursorsStandAtOneAndTwoThirds)
{
    struct Case {
        int32_t left, right, first, second;
    };
    const Case cases[] = {
        {50, 350, 150, 250},  // a band of 300 pixels from 50
        {0, 100, 33, 66},     // truncated
        {10, 10, 10, 10},     // an empty band
        {0, -7, -2, -4},      // truncated toward zero
    };
    for (const Case& c : cases) {
        int32_t first = 0;
        int32_t second = 0;
        KstDifferentialColumns(c.left, c.right, first, second);
        EXPECT_EQ(first, c.first) << c.left << ".." << c.right;
        EXPECT_EQ(second, c.second) << c.left << ".." << c.right;
    }
}

TEST(CursorZoomMathTest, ZoomSpanIsComparedOnlyWithAUsableReference)
{
    struct Case {
        double span, reference;
        bool allowed;
    };
    const Case cases[] = {
        {1.0, 10.0, true},
        {1e-9, 1.0, true},
        {0.9e-9, 1.0, false},
        {1.0, 0.0, true},  // flat data: nothing to divide by
        {1.0, -3.0, true},
        {0.0, 10.0, false},  // an empty range is never a zoom
        {-1.0, 10.0, false},
        {1.0, std::numeric_limits<double>::infinity(), true},
        {std::numeric_limits<double>::quiet_NaN(), 1.0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KstZoomSpanAllowed(c.span, c.reference), c.allowed)
            << c.span << " of " << c.reference;
    }
}

TEST(CursorZoomMathTest, HorizontalScrollCodesMoveTheMinimumInsideTheRoot)
{
    // Root 0 .. 100, a span of 10.
    struct Case {
        uint32_t code;
        bool wheel;
        double minimum;
        int32_t track;
        bool acts;
        double expected;
    };
    const Case cases[] = {
        {0, false, 50.0, 0, true, 49.8},
        {0, true, 50.0, 0, true, 49.0},
        {0, false, 0.1, 0, true, 0.0},  // not below the root minimum
        {1, false, 50.0, 0, true, 50.2},
        {1, true, 50.0, 0, true, 51.0},
        {1, false, 89.9, 0, true, 90.0},  // stops at root maximum - span
        {2, false, 50.0, 0, true, 40.0},
        {2, false, 5.0, 0, true, 0.0},
        {3, false, 50.0, 0, true, 60.0},
        {3, false, 85.0, 0, true, 90.0},
        {5, false, 50.0, 300, true, 30.0},
        {5, false, 50.0, 950, true, 90.0},  // less than a page left: to the end
        {6, false, 50.0, 0, true, 0.0},
        {7, false, 50.0, 0, true, 90.0},
        {4, false, 50.0, 0, false, 50.0},
        {8, false, 50.0, 0, false, 50.0},
    };
    for (const Case& c : cases) {
        KstHorizontalScroll scroll;
        scroll.code = c.code;
        scroll.wheel = c.wheel;
        scroll.trackPosition = c.track;
        scroll.pageSize = 100;
        double result = c.minimum;
        EXPECT_EQ(KstHorizontalScrollMinimum(scroll, 0.0, 100.0, c.minimum, 10.0, result), c.acts)
            << "code " << c.code;
        EXPECT_NEAR(result, c.expected, 1e-9) << "code " << c.code;
    }
    EXPECT_EQ(KstScrollThumb(90.0, 0.0, 100.0), 900);
    EXPECT_EQ(KstScrollThumb(33.33, 0.0, 100.0), 333);
    EXPECT_EQ(KstScrollThumb(5.0, 5.0, 5.0), 0);  // an empty root range
}

TEST(CursorZoomMathTest, GroupPagingKeepsTheLastPageFull)
{
    // 3 of 10 groups shown.
    struct Case {
        uint32_t code;
        int first;
        int32_t track;
        int expected;
    };
    const Case cases[] = {
        {0, 4, 0, 3}, {0, 0, 0, 0},  {1, 4, 0, 5},  {1, 6, 0, 7},  {1, 7, 0, 7},
        {2, 4, 0, 1}, {2, 1, 0, 0},  {3, 2, 0, 5},  {3, 4, 0, 7},  {3, 5, 0, 7},
        {5, 0, 6, 6}, {4, 3, 0, -1}, {6, 3, 0, -1}, {8, 3, 0, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KstGroupPagingFirst(c.code, c.first, 3, 10, c.track), c.expected)
            << "code " << c.code << " from " << c.first;
    }
}

TEST(CursorZoomMathTest, VerticalScrollMovesAxesInsideTheirRootRange)
{
    // Root 0 .. 100, shown 40 .. 50.
    struct Case {
        uint32_t code;
        int32_t track;
        bool lowestOnTop;
        double minimum;
        int32_t thumb;
    };
    const Case cases[] = {
        {0, 0, false, 40.2, 498},  // line up shows higher values
        {1, 0, false, 39.8, 502},
        {2, 0, false, 50.0, 400},
        {3, 0, false, 30.0, 600},
        {0, 0, true, 39.8, 398},  // drawn upside down: directions exchanged
        {2, 0, true, 30.0, 300},
        {5, 100, false, 80.0, 100},  // tracked from the root maximum
                                     // down
        {5, 100, true, 10.0, 100},   // from the root minimum up
        {5, 980, false, 0.0, 980},   // kept inside the root range
    };
    for (const Case& c : cases) {
        double minimum = 40.0;
        double maximum = 50.0;
        int32_t thumb = -1;
        ASSERT_TRUE(KstVerticalScrollRange(c.code, c.track, 0.0, 100.0, c.lowestOnTop, minimum,
                                           maximum, thumb));
        EXPECT_NEAR(minimum, c.minimum, 1e-9) << "code " << c.code;
        EXPECT_NEAR(maximum - minimum, 10.0, 1e-9) << "code " << c.code;
        EXPECT_EQ(thumb, c.thumb) << "code " << c.code;
    }
    double minimum = 95.0;
    double maximum = 100.0;
    int32_t thumb = 0;
    ASSERT_TRUE(KstVerticalScrollRange(2, 0, 0.0, 100.0, false, minimum, maximum, thumb));
    EXPECT_DOUBLE_EQ(maximum, 100.0);
    EXPECT_FALSE(KstVerticalScrollRange(7, 0, 0.0, 100.0, false, minimum, maximum, thumb));

    // An axis whose unzoomed range is empty stays where it is, with the thumb at the top.
    minimum = maximum = 3.0;
    ASSERT_TRUE(KstVerticalScrollRange(5, 400, 3.0, 3.0, false, minimum, maximum, thumb));
    EXPECT_DOUBLE_EQ(minimum, 3.0);
    EXPECT_DOUBLE_EQ(maximum, 3.0);
    ASSERT_TRUE(KstVerticalScrollRange(3, 0, 3.0, 3.0, true, minimum, maximum, thumb));
    EXPECT_EQ(thumb, 0);
}

double Sum(const std::vector<double>& values)
{
    return std::accumulate(values.begin(), values.end(), 0.0);
}

TEST(CursorZoomMathTest, GroupResizeWeightsSumToTheGroupCount)
{
    std::vector<double> weights = {1.0, 1.0, 1.0};
    ASSERT_TRUE(KstResizeGroupWeights(weights, {100, 100, 100}, 0, 150, 30));
    EXPECT_NEAR(weights[0], 1.5, 1e-12);
    EXPECT_NEAR(weights[1], 0.75, 1e-12);
    EXPECT_NEAR(weights[2], 0.75, 1e-12);
    EXPECT_NEAR(Sum(weights), 3.0, 1e-12);

    // Dragged far down: the other two keep MinGroupHeight on average.
    weights = {1.0, 1.0, 1.0};
    ASSERT_TRUE(KstResizeGroupWeights(weights, {100, 100, 100}, 0, 500, 30));
    EXPECT_NEAR(weights[0], 3.0 * 240.0 / 300.0, 1e-12);
    EXPECT_NEAR(Sum(weights), 3.0, 1e-12);

    // Dragged up: not below MinGroupHeight; groups before the dragged one keep their share.
    weights = {2.0, 1.0, 1.0};
    ASSERT_TRUE(KstResizeGroupWeights(weights, {200, 100, 100}, 1, 5, 30));
    EXPECT_NEAR(weights[1] / weights[0], 0.3 / 2.0, 1e-12);
    EXPECT_NEAR(Sum(weights), 3.0, 1e-12);

    // Released where it was: nothing changes.
    weights = {1.0, 1.0};
    EXPECT_FALSE(KstResizeGroupWeights(weights, {100, 100}, 0, 100, 30));
    EXPECT_EQ(weights, (std::vector<double>{1.0, 1.0}));
    EXPECT_FALSE(KstResizeGroupWeights(weights, {100}, 0, 50, 30));
}

TEST(CursorZoomMathTest, GroupResizeSurvivesZeroWeightsAndCollapsedBodies)
{
    struct Case {
        std::vector<double> weights;
        std::vector<int32_t> bodies;
        int index;
        int32_t body;
    };
    const Case cases[] = {
        {{0.0, 0.0, 0.0}, {100, 100, 100}, 1, 150},  // every weight zero
        {{1.0, 0.0, 0.0}, {300, 0, 0}, 0, 100},      // nothing after the group to scale
        {{1.0, 1.0}, {0, 200}, 0, 80},               // a collapsed body
        {{1.0, 1.0}, {0, 0}, 0, 80},                 // all collapsed
        {{std::numeric_limits<double>::quiet_NaN(), 1.0}, {100, 100}, 0, 150},
    };
    for (const Case& c : cases) {
        std::vector<double> weights = c.weights;
        KstResizeGroupWeights(weights, c.bodies, c.index, c.body, 30);
        for (double weight : weights) {
            EXPECT_TRUE(std::isfinite(weight));
            EXPECT_GE(weight, 0.0);
        }
        EXPECT_NEAR(Sum(weights), static_cast<double>(weights.size()), 1e-9);
    }
}

TEST(CursorZoomMathTest, RoundedRangeGridFollowsTheStepsMantissa)
{
    EXPECT_DOUBLE_EQ(KstRoundedRangeGrid(1.0), 0.02);
    EXPECT_DOUBLE_EQ(KstRoundedRangeGrid(2.5), 0.05);
    EXPECT_DOUBLE_EQ(KstRoundedRangeGrid(50.0), 1.0);
    EXPECT_EQ(KstRoundedRangeGrid(0.0), 0.0);
}

// A laid-out window of one or two groups that counts the zoom-resolution messages.
class ZoomWindow : public RecordingCurveWnd {
public:
    void ShowZoomLimitMessage() override { ++limitMessages; }
    int limitMessages = 0;
};

class CursorZoomTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.AddChannel(pool.Add("u", "V", 200, [](uint32_t i) { return (i % 50) * 0.1; }), 2, 2);
        window.RecalcLayout();
    }
    CKSTYAxis& YAxis() { return *window.GetGroup(0)->GetAxis(0); }
    RECT PlotRect() { return window.GetGroup(0)->GetCurve(0)->GetRect(); }

    ChannelPool pool;
    ZoomWindow window;
};

TEST_F(CursorZoomTest, RectangleZoomsXAndY)
{
    const RECT plot = PlotRect();
    const double yMax = YAxis().GetMaximum();
    const RECT band = {plot.left + 100, plot.top + 50, plot.left + 200, plot.top + 100};
    const double x1 = window.GetXAxis().PixelToValue(band.left);
    const double x2 = window.GetXAxis().PixelToValue(band.right);
    const double y1 = YAxis().PixelToValue(band.top);
    ASSERT_TRUE(window.ZoomToRect(band));
    EXPECT_EQ(window.Interaction().zoomDepth, 1);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), x1);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum(), x2);
    EXPECT_EQ(window.GetXAxis().GetZoomLevel(), 1);
    EXPECT_DOUBLE_EQ(YAxis().GetMaximum(), y1);
    EXPECT_LT(YAxis().GetMaximum(), yMax);
    EXPECT_EQ(YAxis().GetZoomLevel(), 1);
    EXPECT_TRUE(window.HasZoomedAxes());
    EXPECT_TRUE(window.lastLayout.xScrollBar);

    // One step back restores the unzoomed ranges; the scroll bar goes with the next layout.
    const CKSTXAxis* root = window.GetXAxis().GetPreviousState();
    const double rootMin = root->GetMinimum();
    const double rootMax = root->GetMaximum();
    EXPECT_EQ(window.Rezoom(2), 0);
    EXPECT_EQ(window.Interaction().zoomDepth, 0);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), rootMin);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum(), rootMax);
    EXPECT_DOUBLE_EQ(YAxis().GetMaximum(), yMax);
    EXPECT_FALSE(window.HasZoomedAxes());
    EXPECT_FALSE(window.lastLayout.xScrollBar);
}

TEST_F(CursorZoomTest, RectangleTable)
{
    struct Case {
        const char* name;
        int32_t left, top, right, bottom;  // relative to the plot; -1000/+1000 beyond it
        bool zooms, xZoomed, yZoomed;
    };
    const Case cases[] = {
        // The group's axes take part in every step, here at their present ranges.
        {"X only", 100, -1000, 200, 1000, true, true, true},
        {"Y only", -1000, 40, 1000, 90, true, false, true},
        {"both", 100, 40, 200, 90, true, true, true},
        {"no width", 100, 40, 100, 90, false, false, false},
        {"no height", 100, 40, 200, 40, false, false, false},
        {"3 x 3", 100, 40, 103, 43, true, true, true},
    };
    for (const Case& c : cases) {
        ZoomWindow w;
        w.AddChannel(pool.Add("v", "V", 200, [](uint32_t i) { return (i % 50) * 0.1; }), 2, 2);
        w.RecalcLayout();
        const RECT plot = w.GetGroup(0)->GetCurve(0)->GetRect();
        const RECT x = NormalizeRect(w.GetXAxis().GetRect());
        auto h = [&](int32_t v) {
            return v == -1000 ? x.left - 5 : v == 1000 ? x.right + 5 : plot.left + v;
        };
        auto v = [&](int32_t value) {
            return value == -1000  ? plot.top - 5
                   : value == 1000 ? plot.bottom + 5
                                   : plot.top + value;
        };
        const RECT band = {h(c.left), v(c.top), h(c.right), v(c.bottom)};
        EXPECT_EQ(w.ZoomToRect(band), c.zooms) << c.name;
        EXPECT_EQ(w.Interaction().zoomDepth, c.zooms ? 1 : 0) << c.name;
        EXPECT_EQ(w.GetXAxis().GetPreviousState() != nullptr, c.xZoomed) << c.name;
        EXPECT_EQ(w.GetGroup(0)->HasZoomedAxis(), c.yZoomed) << c.name;
        EXPECT_EQ(w.limitMessages, 0) << c.name;
    }
}

TEST_F(CursorZoomTest, OnlyTheGroupUnderTheBandZoomsItsAxes)
{
    window.AddChannel(pool.Add("i", "A", 200, [](uint32_t i) { return i * 0.01; }), 2, 2);
    window.RecalcLayout();
    ASSERT_EQ(window.GetGroupCount(), 2);
    const RECT second = window.GetGroup(1)->GetCurve(0)->GetRect();
    const RECT band = {second.left + 10, second.top + 10, second.left + 60, second.top + 40};
    ASSERT_TRUE(window.ZoomToRect(band));
    EXPECT_FALSE(window.GetGroup(0)->HasZoomedAxis());
    EXPECT_TRUE(window.GetGroup(1)->HasZoomedAxis());
    EXPECT_EQ(window.GetGroup(1)->GetAxis(0)->GetZoomLevel(), 1);
}

TEST_F(CursorZoomTest, ARefusedZoomChangesNoAxis)
{
    // X is already almost as deep as it may go; a band that would zoom Y too must not leave Y
    // zoomed when X refuses.
    ASSERT_TRUE(window.ZoomX(0.0, 2.0e-7));
    const RECT plot = PlotRect();
    const double yMin = YAxis().GetMinimum();
    const double yMax = YAxis().GetMaximum();
    const double xMin = window.GetXAxis().GetMinimum();
    const double xMax = window.GetXAxis().GetMaximum();
    const RECT band = {plot.left + 100, plot.top + 40, plot.left + 110, plot.top + 90};
    EXPECT_FALSE(window.ZoomToRect(band));
    EXPECT_EQ(window.limitMessages, 1);
    EXPECT_EQ(window.Interaction().zoomDepth, 1);
    EXPECT_EQ(YAxis().GetPreviousState(), nullptr);
    EXPECT_EQ(YAxis().GetZoomLevel(), 0);
    EXPECT_DOUBLE_EQ(YAxis().GetMinimum(), yMin);
    EXPECT_DOUBLE_EQ(YAxis().GetMaximum(), yMax);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), xMin);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum(), xMax);
    EXPECT_EQ(window.GetXAxis().GetZoomLevel(), 1);

    // Zooming X by value goes through the same test.
    EXPECT_FALSE(window.ZoomX(0.0, 1e-8));
    EXPECT_EQ(window.limitMessages, 2);
    EXPECT_FALSE(window.ZoomX(5.0, 5.0));
    EXPECT_EQ(window.limitMessages, 2);
}

TEST_F(CursorZoomTest, AFlatChannelCanBeZoomed)
{
    ZoomWindow flat;
    flat.AddChannel(pool.Add("f", "V", 100, [](uint32_t) { return 5.0; }), 2, 2);
    flat.RecalcLayout();
    const RECT plot = flat.GetGroup(0)->GetCurve(0)->GetRect();
    const RECT band = {plot.left - 20, plot.top + 20, plot.right + 20, plot.top + 60};
    EXPECT_TRUE(flat.ZoomToRect(band));
    EXPECT_EQ(flat.limitMessages, 0);
    EXPECT_TRUE(flat.GetGroup(0)->HasZoomedAxis());
}

TEST_F(CursorZoomTest, RezoomModesAndTheMeasureEndedEvent)
{
    ASSERT_TRUE(window.ZoomX(20.0, 120.0));
    ASSERT_TRUE(window.ZoomX(40.0, 60.0));
    EXPECT_EQ(window.Interaction().zoomDepth, 2);
    window.Rezoom(2);
    EXPECT_EQ(window.Interaction().zoomDepth, 1);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), 20.0);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum(), 120.0);
    ASSERT_TRUE(window.ZoomX(30.0, 40.0));
    window.Rezoom(0);
    EXPECT_EQ(window.Interaction().zoomDepth, 0);
    EXPECT_EQ(window.GetXAxis().GetPreviousState(), nullptr);
    EXPECT_EQ(window.GetXAxis().GetRangeMode(), CKSTXAxis::kRangeAutomatic);
    // Nothing to step back from.
    window.Rezoom(2);
    EXPECT_EQ(window.Interaction().zoomDepth, 0);

    // A window without curves does nothing.
    ZoomWindow empty;
    EXPECT_EQ(empty.Rezoom(0), 0);
    EXPECT_FALSE(empty.ZoomX(0.0, 1.0));
}

TEST_F(CursorZoomTest, RezoomToTheXRangeTakesTheTemplatesSpan)
{
    // The template is what the window's record stores as its fixed span.
    window.Settings().m_XAxisSettings.m_RangeValue = 20.0;
    CKSTXAxis source(nullptr);
    ASSERT_TRUE(source.SetSpan(20.0, CKSTXAxis::kRangeSpanFixed, false));
    window.GetXAxis().SaveRangeTemplate(source, CKSTXAxis::kRangeSpanFixed);
    ASSERT_TRUE(window.ZoomX(10.0, 30.0));
    window.Rezoom(1);
    EXPECT_EQ(window.Interaction().zoomDepth, 0);
    EXPECT_EQ(window.GetXAxis().GetPreviousState(), nullptr);
    EXPECT_EQ(window.GetXAxis().GetRangeMode(), CKSTXAxis::kRangeSpanFixed);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetSpan(), 20.0);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum() - window.GetXAxis().GetMinimum(), 20.0);
}

TEST_F(CursorZoomTest, RoundedXRangeWidensToTheGridOfItsStep)
{
    // A difference of 9.74 has the nice step 5: a grid of 0.1.
    window.SetRoundedXRange(0.13, 9.87, CKSTXAxis::kRangeMinMaxFixed);
    EXPECT_NEAR(window.GetXAxis().GetMinimum(), 0.1, 1e-12);
    EXPECT_NEAR(window.GetXAxis().GetMaximum(), 9.9, 1e-12);
    EXPECT_EQ(window.GetXAxis().GetRangeMode(), CKSTXAxis::kRangeMinMaxFixed);
    // Absolute times keep their ends.
    window.SetXAxisType(CKSTXAxis::kTypeAbsoluteTime, false);
    window.SetRoundedXRange(0.13, 9.87, CKSTXAxis::kRangeMinMaxFixed);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), 0.13);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum(), 9.87);
}

TEST_F(CursorZoomTest, HorizontalScrollingStopsAtTheEnd)
{
    KstHorizontalScroll scroll;
    scroll.code = 1;
    EXPECT_FALSE(window.ScrollHorizontal(scroll));  // not zoomed: no scroll bar
    ASSERT_TRUE(window.ZoomX(150.0, 190.0));
    const double rootMin = window.GetXAxis().GetRootMinimum();
    const double rootMax = window.GetXAxis().GetRootMaximum();
    const double span = window.GetXAxis().GetMaximum() - window.GetXAxis().GetMinimum();
    scroll.code = 7;
    window.events.clear();
    ASSERT_TRUE(window.ScrollHorizontal(scroll));
    scroll.code = 1;
    ASSERT_TRUE(window.ScrollHorizontal(scroll));
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), rootMax - span);
    EXPECT_NEAR(window.GetXAxis().GetMaximum() - window.GetXAxis().GetMinimum(), span, 1e-9);
    EXPECT_EQ(KstScrollThumb(window.GetXAxis().GetMinimum(), rootMin, rootMax),
              static_cast<int32_t>((rootMax - span - rootMin) * 1000.0 / (rootMax - rootMin)));
    EXPECT_EQ(window.events, (std::vector<uint32_t>{CKSTCurveWndCore::kEventMeasureEnded,
                                                    CKSTCurveWndCore::kEventMeasureEnded}));
    scroll.code = 6;
    ASSERT_TRUE(window.ScrollHorizontal(scroll));
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), rootMin);
}

TEST_F(CursorZoomTest, CursorValuesWithoutMeasuringAreZero)
{
    EXPECT_EQ(window.GetLeftCursorPixel(), -1);
    EXPECT_EQ(window.GetLeftCursorValue(), 0.0);
    EXPECT_EQ(window.GetRightCursorValue(), 0.0);
    window.Interaction().measureMode = CKSTCurveWndCore::kMeasureDifferential;
    window.Interaction().cursor1X = 300;
    window.Interaction().cursor2X = 200;
    EXPECT_EQ(window.GetLeftCursorPixel(), 200);
    EXPECT_DOUBLE_EQ(window.GetLeftCursorValue(), window.GetXAxis().PixelToValue(200));
    EXPECT_DOUBLE_EQ(window.GetRightCursorValue(), window.GetXAxis().PixelToValue(300));
    EXPECT_EQ(window.GetRightCursorTime(),
              window.GetXAxis().GetReferenceTime() + window.GetXAxis().PixelToValue(300));
}

TEST(CursorZoomGroupsTest, BoundaryDragAndPagingOverFourGroups)
{
    ChannelPool pool;
    ZoomWindow window;
    window.client = {0, 0, 600, 170};
    for (const char* unit : {"V", "A", "W", "Hz"}) {
        window.AddChannel(pool.Add(unit, unit), 2, 2);
    }
    window.RecalcLayout();
    int shown = 0;
    for (int g = 0; g < window.GetGroupCount(); ++g) {
        shown += window.GetGroup(g)->IsVisible() ? 1 : 0;
    }
    ASSERT_GE(shown, 2) << window.GetGroup(0)->GetRect().bottom;
    ASSERT_LT(shown, 4) << window.GetGroup(0)->GetRect().bottom;  // MinGroupHeight 30: not all fit

    // Paging: the last page stays full.
    EXPECT_TRUE(window.ScrollGroups(3, 0));
    EXPECT_EQ(window.GetLastShownGroup(), 3);
    EXPECT_FALSE(window.ScrollGroups(1, 0));
    EXPECT_TRUE(window.ScrollGroups(2, 0));
    EXPECT_EQ(window.GetFirstShownGroup(), 0);
    EXPECT_FALSE(window.ScrollGroups(8, 0));

    // A boundary dropped 20 pixels lower gives the first group more weight; the shown
    // weights still sum to their count.
    const RECT first = window.GetGroup(0)->GetRect();
    std::vector<int> visible;
    for (int g = 0; g < window.GetGroupCount(); ++g) {
        if (window.GetGroup(g)->IsVisible()) {
            visible.push_back(g);
        }
    }
    window.ResizeGroup(0, first.bottom + 20);
    double sum = 0.0;
    for (int g : visible) {
        sum += window.GetGroup(g)->GetWeight();
    }
    const double count = static_cast<double>(visible.size());
    EXPECT_GT(window.GetGroup(0)->GetWeight(), 1.0);
    EXPECT_NEAR(sum, count, 1e-9);
    EXPECT_GT(window.GetGroup(0)->GetRect().bottom, first.bottom);
}

}  // namespace
