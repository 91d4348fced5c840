// X axis: value and pixel mapping, settings and the zoom history.
#include "curvewnd/XAxis.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>

#include "fake_curve_owner.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class XAxisTest : public ::testing::Test {
protected:
    // A band of the given width (pixel length width - 3) at x = left, range 0 .. 10 with a
    // manual spacing of 1.
    std::unique_ptr<CKSTXAxis> MakeAxis(const RECT& rect, double min = 0.0, double max = 10.0,
                                        double spacing = 1.0)
    {
        auto axis = std::make_unique<CKSTXAxis>(&owner);
        axis->SetRect(rect);
        axis->SetRange(min, max, CKSTXAxis::kRangeMinMaxFixed, false);
        axis->SetTicks(spacing, false, false);
        return axis;
    }

    FakeCurveOwner owner;
};

TEST_F(XAxisTest, NewAxisMapsZeroToTenWithAutomaticTicks)
{
    CKSTXAxis axis(&owner);
    EXPECT_EQ(0.0, axis.GetMinimum());
    EXPECT_EQ(10.0, axis.GetMaximum());
    EXPECT_EQ(10.0, axis.GetDisplayMaximum());
    EXPECT_EQ(CKSTXAxis::kTypeStandard, axis.GetType());
    EXPECT_TRUE(axis.IsAutoTicks());
    EXPECT_EQ(2u, axis.GetUnitPrefixMode());
    EXPECT_EQ(CKSTXAxis::kRangeAutomatic, axis.GetRangeMode());
    EXPECT_EQ(0, axis.GetZoomLevel());
    EXPECT_EQ(nullptr, axis.GetPreviousState());
}

TEST_F(XAxisTest, ValueToPixelRoundsHalfAwayFromZeroAndClamps)
{
    // Pixel length 20 over 0 .. 10: two pixels per unit, so quarter units land on half pixels.
    struct Case {
        const char* name;
        RECT rect;
        double value;
        int32_t pixel;
    };
    const RECT band{0, 100, 23, 130};
    const RECT reversed{23, 130, 0, 100};
    const RECT shifted{50, 100, 73, 130};
    const Case cases[] = {
        {"minimum", band, 0.0, 1},
        {"maximum", band, 10.0, 21},
        {"half pixel right", band, 0.25, 2},
        {"just below half", band, 0.24, 1},
        {"half pixel left", band, -0.25, 0},
        {"just above minus half", band, -0.24, 1},
        {"reversed corners", reversed, 0.25, 2},
        {"shifted band", shifted, 10.0, 71},
        {"far right", band, 1e300, INT32_MAX},
        {"far right of shifted band", shifted, 1e300, INT32_MAX},
        {"far left", band, -1e300, 1 - 2147483647},
        {"infinity", band, kInf, INT32_MAX},
        {"not a number", band, kNaN, 1 - 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto axis = MakeAxis(c.rect);
        ASSERT_EQ(20, axis->GetPixelLength());
        ASSERT_EQ(10.0, axis->GetDisplayMaximum());
        EXPECT_EQ(c.pixel, axis->ValueToPixel(c.value));
    }
}

TEST_F(XAxisTest, PixelUnderATickGivesTheExactTickValue)
{
    // 97 pixels for 0 .. 10 with ticks every 3: the ticks lie 29 pixels apart, and the linear
    // inverse of their pixels is not exact.
    auto axis = MakeAxis(RECT{0, 100, 100, 130}, 0.0, 10.0, 3.0);
    for (double tick : {0.0, 3.0, 6.0, 9.0}) {
        SCOPED_TRACE(tick);
        EXPECT_EQ(tick, axis->PixelToValue(axis->ValueToPixel(tick)));
    }
    EXPECT_NEAR(3.0 + 1.0 / 29.0 * 3.0, axis->PixelToValue(31), 1e-9);
    for (int32_t pixel = 1; pixel <= 98; ++pixel) {
        SCOPED_TRACE(pixel);
        EXPECT_EQ(pixel, axis->ValueToPixel(axis->PixelToValue(pixel)));
    }
}

TEST_F(XAxisTest, PixelToValueStaysFiniteForTinyAndHugeRanges)
{
    auto tiny = MakeAxis(RECT{0, 0, 103, 20}, 0.0, 1e-101, 0.0);
    tiny->SetTicks(0.0, false, true);
    EXPECT_EQ(1, tiny->ValueToPixel(1e-101));
    EXPECT_TRUE(std::isfinite(tiny->PixelToValue(50)));

    auto huge = MakeAxis(RECT{0, 0, 103, 20}, -1e300, 1e300, 0.0);
    huge->SetTicks(0.0, false, true);
    EXPECT_TRUE(std::isfinite(huge->PixelToValue(50)));
    EXPECT_TRUE(std::isfinite(huge->GetTickSpacing()));
}

TEST_F(XAxisTest, PixelLengthOfExtremeBandsDoesNotOverflow)
{
    auto axis = std::make_unique<CKSTXAxis>(&owner);
    axis->SetTicks(1.0, false, false);
    axis->SetRect(RECT{INT32_MIN, 0, INT32_MAX, 20});
    EXPECT_EQ(10.0, axis->GetDisplayMaximum());
    EXPECT_EQ(INT32_MAX, axis->GetPixelLength());
    EXPECT_EQ(INT32_MIN + 1, axis->ValueToPixel(0.0));
    axis->SetType(CKSTXAxis::kTypeScale);
    EXPECT_EQ(INT32_MAX, axis->GetPixelLength());
}

TEST_F(XAxisTest, SetRangeRefusesEmptyFixedRangesAndNonFiniteEnds)
{
    CKSTXAxis axis(&owner);
    ASSERT_TRUE(axis.SetRange(2.0, 4.0, CKSTXAxis::kRangeMinMaxFixed, true));

    EXPECT_FALSE(axis.SetRange(5.0, 5.0, CKSTXAxis::kRangeMinMaxFixed, true));
    EXPECT_FALSE(axis.SetRange(kNaN, 5.0, CKSTXAxis::kRangeAutomatic, true));
    EXPECT_FALSE(axis.SetRange(0.0, kInf, CKSTXAxis::kRangeAutomatic, true));
    EXPECT_EQ(2.0, axis.GetMinimum());
    EXPECT_EQ(4.0, axis.GetMaximum());
    EXPECT_EQ(CKSTXAxis::kRangeMinMaxFixed, axis.GetRangeMode());

    EXPECT_TRUE(axis.SetRange(5.0, 5.0, CKSTXAxis::kRangeAutomatic, true));
    EXPECT_EQ(0.0, axis.GetMinimum());
    EXPECT_EQ(10.0, axis.GetMaximum());

    EXPECT_FALSE(axis.SetSpan(0.0, CKSTXAxis::kRangeSpanFixed, true));
    EXPECT_FALSE(axis.SetSpan(kNaN, CKSTXAxis::kRangeSpanFixed, true));
    EXPECT_TRUE(axis.SetSpan(30.0, CKSTXAxis::kRangeSpanFixed, true));
    EXPECT_EQ(30.0, axis.GetSpan());
    EXPECT_EQ(CKSTXAxis::kRangeSpanFixed, axis.GetRangeMode());
}

TEST_F(XAxisTest, DisplayMaximumIsTheMaximumWhileNoTickGridFits)
{
    // Without a band there is no tick grid; the mapping still ends at the maximum.
    CKSTXAxis axis(&owner);
    axis.SetRange(0.0, 100.0, CKSTXAxis::kRangeMinMaxFixed, true);
    EXPECT_EQ(100.0, axis.GetDisplayMaximum());
    axis.SetRect(RECT{0, 0, 5, 20});
    axis.SetRange(0.0, 50.0, CKSTXAxis::kRangeMinMaxFixed, true);
    EXPECT_EQ(50.0, axis.GetDisplayMaximum());
}

TEST_F(XAxisTest, ChangesInvalidateTheBandFromTheWindowBorder)
{
    owner.settings.m_BorderWidth = 7;
    auto axis = MakeAxis(RECT{20, 100, 220, 130});
    owner.invalidated.clear();

    axis->SetUnitText("V");
    ASSERT_EQ(1u, owner.invalidated.size());
    EXPECT_EQ(7, owner.invalidated[0].left);
    EXPECT_EQ(100, owner.invalidated[0].top);
    EXPECT_EQ(220, owner.invalidated[0].right);
    EXPECT_EQ(130, owner.invalidated[0].bottom);

    owner.invalidated.clear();
    axis->SetUnitText("V");
    axis->SetTicks(1.0, false, false);
    axis->SetLabelRotation(0);
    EXPECT_TRUE(owner.invalidated.empty()) << "unchanged values repaint nothing";

    axis->SetRect(RECT{20, 200, 220, 230});
    EXPECT_EQ(2u, owner.invalidated.size()) << "the old and the new band";

    owner.invalidated.clear();
    owner.drawingWindow = false;
    axis->SetUnitText("A");
    EXPECT_TRUE(owner.invalidated.empty());
}

// --- Zoom history ---

class XAxisZoomTest : public XAxisTest {
protected:
    void SetUp() override
    {
        axis = MakeAxis(RECT{0, 100, 403, 130}, 0.0, 100.0, 10.0);
        axis->SetTicks(10.0, false, true);
    }

    // Zooms in as the window does: save the state, then take the new range in mode 0.
    void ZoomIn(double min, double max)
    {
        axis->PushZoom(static_cast<uint16_t>(axis->GetZoomLevel() + 1));
        axis->SetZoomSpan(max - min);
        axis->SetRange(min, max, CKSTXAxis::kRangeAutomatic, true);
    }

    // One chain length: the live axis counts as 1.
    static int ChainLength(const CKSTXAxis& live)
    {
        int n = 1;
        for (const CKSTXAxis* s = live.GetPreviousState(); s != nullptr;
             s = s->GetPreviousState()) {
            ++n;
        }
        return n;
    }

    std::unique_ptr<CKSTXAxis> axis;
};

TEST_F(XAxisZoomTest, StatesAreFoundByLevelAndTheRootIsTheUnzoomedRange)
{
    ZoomIn(10.0, 50.0);
    ZoomIn(20.0, 30.0);
    ASSERT_EQ(2, axis->GetZoomLevel());
    ASSERT_EQ(3, ChainLength(*axis));

    struct Case {
        uint16_t level;
        double min;
        double max;
    };
    const Case cases[] = {{5, 20.0, 30.0}, {2, 20.0, 30.0}, {1, 10.0, 50.0}, {0, 0.0, 100.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        const CKSTXAxis* state = axis->GetZoomState(c.level);
        EXPECT_EQ(c.min, state->GetMinimum());
        EXPECT_EQ(c.max, state->GetMaximum());
    }
    EXPECT_EQ(axis.get(), axis->GetZoomState(2));
    EXPECT_EQ(0.0, axis->GetRootMinimum());
    EXPECT_EQ(100.0, axis->GetRootMaximum());
    EXPECT_EQ(CKSTXAxis::kRangeMinMaxFixed, axis->GetRootRangeMode());
}

TEST_F(XAxisZoomTest, OneStepBackRestoresTheLevelBeforeAndKeepsOneState)
{
    ZoomIn(10.0, 50.0);
    ZoomIn(20.0, 30.0);

    const CKSTXAxis* state = axis->GetZoomState(1);
    const double min = state->GetMinimum(), max = state->GetMaximum();
    const uint32_t mode = state->GetRangeMode();
    axis->SetRange(min, max, mode, true);
    axis->TruncateZoom(1);

    EXPECT_EQ(1, axis->GetZoomLevel());
    EXPECT_EQ(2, ChainLength(*axis));
    EXPECT_EQ(10.0, axis->GetMinimum());
    EXPECT_EQ(50.0, axis->GetMaximum());
    EXPECT_EQ(0.0, axis->GetRootMinimum());

    axis->TruncateZoom(0);
    EXPECT_EQ(0, axis->GetZoomLevel());
    EXPECT_EQ(1, ChainLength(*axis));
    EXPECT_EQ(10.0, axis->GetMinimum()) << "truncating leaves the range to the caller";
}

TEST_F(XAxisZoomTest, CopiesNeverShareTheHistoryWithTheirSource)
{
    ZoomIn(10.0, 50.0);
    ZoomIn(20.0, 30.0);
    axis->SaveRangeTemplate(*axis, CKSTXAxis::kRangeSpanFixed);

    auto copy = std::make_unique<CKSTXAxis>(&owner);
    copy->CopyFrom(*axis);
    ASSERT_EQ(3, ChainLength(*copy));
    EXPECT_NE(axis->GetPreviousState(), copy->GetPreviousState());
    EXPECT_NE(axis->GetRangeTemplate(), copy->GetRangeTemplate());
    EXPECT_EQ(10.0, copy->GetZoomState(1)->GetMinimum());

    // The source's history goes away with it; the copy keeps its own.
    axis.reset();
    EXPECT_EQ(0.0, copy->GetRootMinimum());
    EXPECT_EQ(100.0, copy->GetRootMaximum());
    copy->TruncateZoom(0);
    EXPECT_EQ(1, ChainLength(*copy));
}

TEST_F(XAxisZoomTest, CopyFromAStateOfTheOwnHistory)
{
    ZoomIn(10.0, 50.0);
    ZoomIn(20.0, 30.0);
    axis->CopyFrom(*axis->GetPreviousState());
    EXPECT_EQ(10.0, axis->GetMinimum());
    EXPECT_EQ(1, axis->GetZoomLevel());
    EXPECT_EQ(2, ChainLength(*axis));
    EXPECT_EQ(0.0, axis->GetRootMinimum());
}

TEST_F(XAxisZoomTest, RangeTemplatesGoDownTheWholeChain)
{
    ZoomIn(10.0, 50.0);
    axis->SaveRangeTemplate(*axis, CKSTXAxis::kRangePointsFixed);
    for (const CKSTXAxis* s = axis.get(); s != nullptr; s = s->GetPreviousState()) {
        ASSERT_NE(nullptr, s->GetRangeTemplate());
        EXPECT_EQ(CKSTXAxis::kRangePointsFixed, s->GetRangeTemplate()->GetRangeMode());
        EXPECT_EQ(10.0, s->GetRangeTemplate()->GetMinimum());
        EXPECT_EQ(nullptr, s->GetRangeTemplate()->GetPreviousState());
        EXPECT_EQ(nullptr, s->GetRangeTemplate()->GetRangeTemplate());
    }
    // A later zoom step keeps the template in the saved state.
    ZoomIn(20.0, 30.0);
    EXPECT_NE(nullptr, axis->GetPreviousState()->GetRangeTemplate());

    axis->DeleteRangeTemplates();
    for (const CKSTXAxis* s = axis.get(); s != nullptr; s = s->GetPreviousState()) {
        EXPECT_EQ(nullptr, s->GetRangeTemplate());
    }
}

TEST_F(XAxisZoomTest, RangeWindowScrollsWhileTheDataReachItsEnd)
{
    axis->SetRootRangeMode(CKSTXAxis::kRangeSpanFixed);
    EXPECT_EQ(CKSTXAxis::kRangeSpanFixed, axis->GetRangeMode());
    EXPECT_FALSE(axis->IsRangeWindow()) << "not zoomed";

    ZoomIn(60.0, 100.0);
    EXPECT_EQ(CKSTXAxis::kRangeAutomatic, axis->GetRangeMode());
    EXPECT_EQ(CKSTXAxis::kRangeSpanFixed, axis->GetRootRangeMode());
    EXPECT_TRUE(axis->IsRangeWindow());
    const double end = axis->GetDisplayMaximum();
    owner.dataEnd = end;
    EXPECT_TRUE(axis->NeedsScroll());
    owner.dataEnd = end * 1.01;
    EXPECT_FALSE(axis->NeedsScroll());

    ZoomIn(70.0, 80.0);
    owner.dataEnd = 0.0;
    EXPECT_FALSE(axis->IsRangeWindow()) << "zoomed further than the range window";
    EXPECT_FALSE(axis->NeedsScroll());
}

}  // namespace
