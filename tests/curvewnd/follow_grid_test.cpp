// A following X range ends on a grid of whole pixels: successive ranges differ by whole pixels
// whatever the span and the time between refreshes, the newest sample is never a pixel or more
// left of the end, and the span stays as asked.
#include "curvewnd/FollowGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "curvewnd/XAxis.h"
#include "fake_curve_owner.h"

namespace {

class FollowGridTest : public ::testing::Test {
protected:
    void SetUp() override { owner.measure = &measure; }

    void MakeAxis(int32_t width)
    {
        axis = std::make_unique<CKSTXAxis>(&owner);
        axis->SetRect({10, 300, 10 + width, 330});
    }

    double PixelTime() const
    {
        return (axis->GetDisplayMaximum() - axis->GetMinimum()) / axis->GetPixelLength();
    }

    FixedPitchMeasure measure;
    FakeCurveOwner owner;
    std::unique_ptr<CKSTXAxis> axis;
    CKSTFollowGrid grid;
};

// How many pixels d is, and how far that is from a whole number.
double OffWhole(double d, double pixel)
{
    const double pixels = d / pixel;
    return std::fabs(pixels - std::round(pixels));
}

TEST_F(FollowGridTest, RangesEndOnTheGridJustPastTheNewestSample)
{
    struct Case {
        const char* name;
        double span;
        int32_t width;
        double first;  // newest time at the first refresh
        double step;   // newest time gained per refresh
    };
    const Case cases[] = {
        {"TenSecondsFiftySamplesAtOneKilohertz", 10.0, 1103, 1000.0, 0.05},
        {"TenSecondsNarrow", 10.0, 503, 1000.0, 0.05},
        {"OddSpanAndStep", 7.3, 333, 12.345, 0.0123},
        {"LessThanAPixelPerRefresh", 0.01, 800, 0.5, 3e-6},
        {"AnHourIntoTheRecording", 60.0, 1200, 3600.0, 0.05},
        {"NegativeTimes", 5.0, 640, -50.0, 0.037},
        {"MorePixelsPerRefreshThanTheBand", 1.0, 300, 10.0, 1.7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeAxis(c.width);
        grid.Reset();
        double previousMinimum = 0.0;
        double origin = 0.0;
        double pixel = 0.0;
        for (int refresh = 0; refresh < 60; ++refresh) {
            SCOPED_TRACE("refresh " + std::to_string(refresh));
            const double newest = c.first + refresh * c.step;
            ASSERT_TRUE(grid.Follow(*axis, newest, c.span, CKSTXAxis::kRangeSpanFixed));
            ASSERT_TRUE(grid.IsValid());
            const double end = axis->GetMaximum();
            EXPECT_NEAR(end - axis->GetMinimum(), c.span, 1e-12 * (std::fabs(end) + c.span));
            if (refresh == 0) {
                // A new grid starts at the newest sample itself.
                EXPECT_EQ(end, newest);
                origin = grid.GetOrigin();
                pixel = PixelTime();
                EXPECT_EQ(grid.GetPixelTime(), pixel);
            } else {
                EXPECT_EQ(grid.GetOrigin(), origin);
                EXPECT_NEAR(PixelTime(), pixel, 1e-12 * pixel);
                const double moved = axis->GetMinimum() - previousMinimum;
                EXPECT_GE(moved, 0.0);
                EXPECT_LT(OffWhole(moved, pixel), 1e-6) << moved / pixel << " pixels";
            }
            EXPECT_LT(OffWhole(end - origin, pixel), 1e-6);
            EXPECT_GE(end - newest, -1e-6 * pixel);
            EXPECT_LT(end - newest, pixel);
            previousMinimum = axis->GetMinimum();
        }
    }
}

TEST_F(FollowGridTest, ChangesOfTheRangeStartANewGridAtTheNewestSample)
{
    struct Case {
        const char* name;
        double span;  // for the refresh after the change
        std::function<void(CKSTXAxis&)> change;
        double jump;  // newest time gained by the refresh after the change
        bool restarts;
    };
    const Case cases[] = {
        {"NoChange", 10.0, [](CKSTXAxis&) {}, 0.0503, false},
        {"OtherSpan", 8.0, [](CKSTXAxis&) {}, 0.0503, true},
        {"OtherWidth", 10.0, [](CKSTXAxis& a) { a.SetRect({10, 300, 700, 330}); }, 0.0503,
         true},
        {"ZoomedIn", 10.0, [](CKSTXAxis& a) { a.PushZoom(1); }, 0.0503, true},
        {"OtherAxisType", 10.0, [](CKSTXAxis& a) { a.SetType(CKSTXAxis::kTypeRelativeTime); },
         0.0503, true},
        {"FarBeyondTheGrid", 10.0, [](CKSTXAxis&) {}, 1e12, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeAxis(1103);
        grid.Reset();
        double newest = 100.0;
        for (int refresh = 0; refresh < 3; ++refresh) {
            newest += 0.0503;
            ASSERT_TRUE(grid.Follow(*axis, newest, 10.0, CKSTXAxis::kRangeSpanFixed));
        }
        const double origin = grid.GetOrigin();
        c.change(*axis);
        newest += c.jump;
        ASSERT_TRUE(grid.Follow(*axis, newest, c.span, CKSTXAxis::kRangeSpanFixed));
        EXPECT_NEAR(axis->GetMaximum() - axis->GetMinimum(), c.span, 1e-9);
        if (c.restarts) {
            EXPECT_EQ(axis->GetMaximum(), newest);
            EXPECT_EQ(grid.GetOrigin(), newest);
        } else {
            // 0.0503 s is no whole number of pixels: the end was rounded up on the old grid.
            EXPECT_EQ(grid.GetOrigin(), origin);
            EXPECT_GT(axis->GetMaximum(), newest);
            EXPECT_LT(OffWhole(axis->GetMaximum() - origin, PixelTime()), 1e-6);
        }
    }
}

TEST_F(FollowGridTest, SpanThatIsNotPositiveLeavesNoGrid)
{
    const double spans[] = {0.0, -3.0, std::nan("")};
    for (double span : spans) {
        SCOPED_TRACE(span);
        MakeAxis(800);
        ASSERT_TRUE(grid.Follow(*axis, 20.0, 10.0, CKSTXAxis::kRangeSpanFixed));
        ASSERT_TRUE(grid.IsValid());
        grid.Follow(*axis, 20.03, span, CKSTXAxis::kRangeSpanFixed);
        EXPECT_FALSE(grid.IsValid());
    }
}

}  // namespace
