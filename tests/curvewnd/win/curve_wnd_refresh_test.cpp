// A refresh after appended samples moves the picture and draws only what changed; what the
// window shows must stay exactly what a whole new picture shows. Two windows show the same
// channels: one is refreshed the live way, the other draws its whole picture each time, and
// their pictures are compared pixel by pixel after every append.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "curvewnd/LimitLine.h"
#include "curvewnd/win/CurveWnd.h"
#include "data/Channel.h"
#include "framework/framework_test_support.h"
#include "../recording_curve_wnd.h"

namespace {

constexpr double kDt = 0.001;

// Values that stay inside the range of the first two samples, so the Y axes keep their range.
double Wave(uint32_t i, double phase)
{
    if (i < 2) {
        return i == 0 ? -1.0 : 1.0;
    }
    return 0.9 * std::sin(i * 0.013 + phase) * std::cos(i * 0.0021);
}

struct Scene {
    const char* name;
    // Whether the X range follows the newest data (a fixed span while online) or stays fixed.
    bool follows;
    uint32_t curveStyle;
    uint32_t symbol;
    bool title;
    bool paused;
    // Seconds the X range spans, and samples appended before each refresh; 0 for a span of four
    // samples to a column and appends of a few multiples of four.
    double span;
    uint32_t perRefresh;
};

class CurveWndRefreshTest : public kst_test::FrameworkTest,
                            public ::testing::WithParamInterface<Scene> {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        const CKSTString name = KstRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_WINDOW));
        for (int w = 0; w < 2; ++w) {
            ASSERT_TRUE(hosts[w].CreateEx(0, name.c_str(), "Host",
                                          WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40 + 20 * w,
                                          40, 640, 420, nullptr, nullptr));
            ASSERT_TRUE(windows[w].Create("Curves", WS_VISIBLE, RECT{0, 0, 620, 400}, &hosts[w]));
        }
        const char* names[] = {"u1", "i1", "u2"};
        const char* units[] = {"V", "A", "V"};
        for (int c = 0; c < 3; ++c) {
            const double phase = c * 0.7;
            channels.push_back(pool.Add(
                names[c], units[c], 3000, [phase](uint32_t i) { return Wave(i, phase); }, kDt));
        }
        const Scene& scene = GetParam();
        if (scene.span > 0.0) {
            // More data than the span, so the line enters the band from the left.
            Append(uint32_t(scene.span / kDt));
        }
        for (CKSTCurveWnd& window : windows) {
            window.SetUpdateEnabled(false, false);
            for (CKSTChannel* channel : channels) {
                window.AddChannel(channel, 2, CKSTAxisGroup::kAxisOfUnit);
            }
            CKSTCurve& styled = *window.GetCurve(2, true);
            styled.SetDisplayKind(scene.curveStyle, false);
            styled.SetSymbol(scene.symbol, false);
            CKSTLimitLine level;
            level.SetValue(0.25);
            level.SetColour(0x008000);
            window.GetCurve(0, true)->AddLevelLine(level, false);
            if (scene.title) {
                window.SetTitleText("Station 4", 0x800000, false);
            }
            window.SetPaused(scene.paused, false);
            window.SetOnline(scene.follows);
            window.SetUpdateEnabled(true, false);
        }
        // A span of a whole number of pixels per sample quarter: four samples to a column, so a
        // multiple of four samples moves the picture by whole pixels.
        const int32_t width = PlotWidth();
        ASSERT_GT(width, 100);
        const double span = scene.span > 0.0 ? scene.span : (width - 1) * kDt * 4.0;
        for (CKSTCurveWnd& window : windows) {
            if (scene.follows) {
                window.SetXAxisRange(0.0, span, CKSTXAxis::kRangeSpanFixed, true);
            } else {
                // The data fills a little more than half of the range and grows into it.
                window.SetXAxisRange(0.0, 2.0 * span, CKSTXAxis::kRangeMinMaxFixed, true);
            }
            window.Refresh();
        }
        KstPumpPendingMessages();
    }

    void TearDown() override
    {
        for (int w = 0; w < 2; ++w) {
            windows[w].ReleaseResources();
            hosts[w].DestroyWindow();
        }
        FrameworkTest::TearDown();
    }

    int32_t PlotWidth() const
    {
        const RECT band = windows[0].GetCurve(0, true)->GetRect();
        return band.right - band.left;
    }

    void Append(uint32_t n)
    {
        for (CKSTChannel* channel : channels) {
            const uint32_t start = channel->GetCount();
            const double phase = (channel == channels[0] ? 0 : channel == channels[1] ? 1 : 2) *
                                 0.7;
            for (uint32_t i = 0; i < n; ++i) {
                channel->AppendValue(Wave(start + i, phase), false);
            }
        }
    }

    // Where the two pictures first differ, or an empty text.
    static std::string FirstDifference(const CKSTRasterImage& a, const CKSTRasterImage& b)
    {
        if (a.GetColumns() != b.GetColumns() || a.GetRows() != b.GetRows()) {
            return "sizes differ";
        }
        int differing = 0;
        std::string first;
        for (uint32_t y = 0; y < a.GetRows(); ++y) {
            for (uint32_t x = 0; x < a.GetColumns(); ++x) {
                const size_t at = size_t(y) * a.GetColumns() + x;
                if ((a.GetPixels()[at] & 0xFFFFFF) != (b.GetPixels()[at] & 0xFFFFFF)) {
                    if (differing++ == 0) {
                        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
                    }
                }
            }
        }
        return differing == 0 ? std::string()
                              : std::to_string(differing) + " pixels, the first at " + first;
    }

    ChannelPool pool;
    std::vector<CKSTChannel*> channels;
    CWnd hosts[2];
    CKSTCurveWnd windows[2];
};

TEST_P(CurveWndRefreshTest, PartialPictureEqualsAWholeNewPicture)
{
    const Scene& scene = GetParam();
    CKSTCurveWnd& live = windows[0];
    CKSTCurveWnd& whole = windows[1];
    // Small appends, one that moves by more than a tick distance, and one that adds nothing.
    std::vector<uint32_t> appends = {4, 8, 12, 4, 400, 40, 0, 4, 16, 600, 8};
    if (scene.perRefresh > 0) {
        appends.assign(24, scene.perRefresh);
    }
    const double firstTick = live.GetXAxis().GetFirstTick();
    for (uint32_t n : appends) {
        SCOPED_TRACE("after appending " + std::to_string(n));
        const double minimumBefore = live.GetXAxis().GetMinimum();
        Append(n);
        live.Refresh();
        // The same ranges, then the whole picture drawn anew.
        whole.Refresh();
        whole.RecalcLayout();
        KstPumpPendingMessages();
        const CKSTCurveWnd::PictureStats& stats = live.GetPictureStats();
        ASSERT_TRUE(stats.partial);
        if (scene.perRefresh == 0) {
            EXPECT_EQ(stats.shift, scene.follows ? int32_t(n / 4) : 0);
        } else {
            // Refreshes that bring a fraction of a pixel each move by whole pixels all the same.
            const double moved = (live.GetXAxis().GetMinimum() - minimumBefore) *
                                 live.GetCurve(0, true)->GetPixelScale();
            EXPECT_GT(stats.shift, 0);
            EXPECT_NEAR(stats.shift, moved, 1e-6);
        }
        EXPECT_LT(stats.columns, stats.plotWidth);
        CKSTRasterImage a;
        CKSTRasterImage b;
        ASSERT_EQ(live.CopyToImage(a), 0);
        ASSERT_EQ(whole.CopyToImage(b), 0);
        EXPECT_EQ(FirstDifference(a, b), "");
    }
    if (scene.follows) {
        // The X axis' labels moved across ticks on the way.
        EXPECT_NE(live.GetXAxis().GetFirstTick(), firstTick);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, CurveWndRefreshTest,
    ::testing::Values(
        Scene{"FollowingLines", true, CKSTCurve::kStyleLines, CKSTCurve::kSymbolPoint, false,
              false, 0.0, 0},
        Scene{"FollowingStepsWithTitleAndPause", true, CKSTCurve::kStyleSteps,
              CKSTCurve::kSymbolPoint, true, true, 0.0, 0},
        Scene{"FollowingSymbols", true, CKSTCurve::kStyleLines, CKSTCurve::kSymbolSquare, true,
              false, 0.0, 0},
        Scene{"FollowingTenSecondsFiftySamplesARefresh", true, CKSTCurve::kStyleLines,
              CKSTCurve::kSymbolSquare, true, false, 10.0, 50},
        Scene{"FixedRangeLines", false, CKSTCurve::kStyleLines, CKSTCurve::kSymbolPoint, true,
              false, 0.0, 0},
        Scene{"FixedRangeSymbolsOnly", false, CKSTCurve::kStyleSymbols, CKSTCurve::kSymbolDiamond,
              false, false, 0.0, 0}),
    [](const ::testing::TestParamInfo<Scene>& info) { return std::string(info.param.name); });

}  // namespace
