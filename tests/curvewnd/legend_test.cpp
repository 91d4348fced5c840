// The legend: entry layout in columns and rows, hidden and unlisted curves, entry texts, hit
// tests and the drawing it hands to its canvas.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "curvewnd/Legend.h"
#include "recording_curve_wnd.h"

namespace {

class RecordingCanvas : public IKSTLegendCanvas {
public:
    void FillBackground(const RECT&) override { ++fills; }
    void LineSample(int32_t x1, int32_t, int32_t, uint32_t colour, int32_t width) override
    {
        samples.push_back({x1, colour, width});
    }
    void Symbol(int32_t, int32_t, uint32_t, uint32_t) override { ++symbols; }
    void Text(int32_t x, int32_t, const CKSTString& text, uint32_t colour) override
    {
        texts.push_back({std::string(text.c_str()), x, colour});
    }
    void RaisedFrame(const RECT&) override { ++frames; }

    struct Sample {
        int32_t x;
        uint32_t colour;
        int32_t width;
    };
    struct Text_ {
        std::string text;
        int32_t x;
        uint32_t colour;
    };
    int fills = 0;
    int symbols = 0;
    int frames = 0;
    std::vector<Sample> samples;
    std::vector<Text_> texts;
};

class LegendTest : public testing::Test {
protected:
    // Curves named by the list, one group, the legend across [0, width).
    void Fill(const std::vector<const char*>& names, int32_t width = 600)
    {
        for (const char* name : names) {
            window.AddChannel(pool.Add(name, "V"), 0, 2);
        }
        legend.SetRect({0, 0, width, 100});
    }

    ChannelPool pool;
    RecordingCurveWnd window;
    CKSTLegend legend{&window};
    FixedPitchMeasure measure;
};

TEST_F(LegendTest, OneRowOfThirteenPixelTextIsSeventeenHigh)
{
    Fill({"alpha", "beta"});
    legend.DrawMain(&measure, nullptr, true);
    EXPECT_EQ(legend.GetHeight(), 1 + 14 + 2);
    ASSERT_EQ(legend.GetEntryRects().size(), 2u);
    // Columns of equal width: the widest text (5 characters) sets the pitch.
    const int32_t widest = 5 * FixedPitchMeasure::kCharWidth;
    EXPECT_EQ(legend.GetEntryRects()[0].left, 0);  // 3 - 5 kept inside the legend
    EXPECT_EQ(legend.GetEntryRects()[0].right, 3 + 23 + widest);
    EXPECT_EQ(legend.GetEntryRects()[1].left, 3 + 28 + widest - 5);
}

TEST_F(LegendTest, UnlistedCurvesHaveNoEntryAndHiddenOnesAreGrey)
{
    Fill({"a", "b", "c"});
    window.GetCurve(0, true)->SetShowInLegend(false, false);
    window.GetCurve(2, true)->SetCurveKind(CKSTCurve::kKindHidden, false);
    RecordingCanvas canvas;
    legend.DrawMain(&measure, &canvas, false);
    ASSERT_EQ(canvas.texts.size(), 2u);
    EXPECT_EQ(canvas.texts[0].text, "b");
    EXPECT_EQ(canvas.texts[0].x, 3 + 20);  // b moved into the first column
    EXPECT_EQ(canvas.texts[1].colour, CKSTLegend::kGrey);
    EXPECT_EQ(canvas.samples[1].colour, CKSTLegend::kGrey);
    EXPECT_EQ(canvas.samples[0].width, 3);  // plain lines draw a thick sample
    EXPECT_EQ(canvas.fills, 1);
}

TEST_F(LegendTest, TooNarrowLegendPutsEachEntryInItsOwnRow)
{
    Fill({"a", "b", "c"}, 10);
    legend.DrawMain(&measure, nullptr, true);
    const auto& rects = legend.GetEntryRects();
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].top, 1);
    EXPECT_EQ(rects[1].top, 1 + 14);
    EXPECT_EQ(rects[2].top, 1 + 28);
    EXPECT_EQ(legend.GetHeight(), 1 + 28 + 14 + 2);
}

TEST_F(LegendTest, EntryTextShowsTheGroupOnlyWhenAskedAndPresent)
{
    window.AddChannel(pool.Add("u", "V", "Motor"), 0, 2);
    window.AddChannel(pool.Add("i", "A", ""), 0, 2);
    EXPECT_EQ(legend.GetEntryText(*window.GetCurve(0, true)), "u");
    window.SetLegendGroup(true, false);
    EXPECT_EQ(legend.GetEntryText(*window.GetCurve(0, true)), "Motor: u");
    EXPECT_EQ(legend.GetEntryText(*window.GetCurve(1, true)), "i");
}

TEST_F(LegendTest, HitTestPairsEachEntryWithItsOwnCurve)
{
    // The middle curve has no name and so no entry: the third entry still belongs to "c".
    Fill({"a", "", "c"});
    legend.DrawMain(&measure, nullptr, true);
    const auto& rects = legend.GetEntryRects();
    ASSERT_EQ(rects.size(), 2u);
    const POINT inSecond = {rects[1].left + 8, rects[1].top + 2};
    EXPECT_EQ(legend.HitTestEntry(inSecond), window.GetCurve(2, true));
    EXPECT_EQ(legend.HitTestEntry({rects[0].left + 8, rects[0].top + 2}),
              window.GetCurve(0, true));
    EXPECT_EQ(legend.HitTestEntry({590, 90}), nullptr);
}

TEST_F(LegendTest, HitTestsFindOnlyCurvesOfTheLastDrawing)
{
    Fill({"a"});
    legend.DrawMain(&measure, nullptr, true);
    const RECT first = legend.GetEntryRects()[0];
    window.AddChannel(pool.Add("b", "V"), 0, 2);
    EXPECT_EQ(legend.HitTestEntry({first.right + 20, first.top + 2}), nullptr);
    // A curve removed since the drawing is not returned.
    window.RemoveCurve(0, false, false, false);
    EXPECT_EQ(legend.HitTestEntry({first.left + 8, first.top + 2}), nullptr);
}

TEST_F(LegendTest, HoverFramesTheEntryUnderTheMouse)
{
    Fill({"a", "b"});
    legend.DrawMain(&measure, nullptr, true);
    const RECT second = legend.GetEntryRects()[1];
    legend.SetHoverMain(true, {second.left + 6, second.top + 3});
    RecordingCanvas canvas;
    legend.DrawMain(&measure, &canvas, false);
    EXPECT_EQ(canvas.frames, 1);
    legend.SetHoverMain(false, {-1, -1});
    RecordingCanvas after;
    legend.DrawMain(&measure, &after, false);
    EXPECT_EQ(after.frames, 0);
}

TEST_F(LegendTest, WindowLegendHitTestFollowsTheLegendStyle)
{
    window.AddChannel(pool.Add("a", "V"), 0, 2);
    window.RecalcLayout();
    const RECT entry = window.GetLegend().GetEntryRects().at(0);
    const POINT inside = {entry.left + 8, entry.top + 2};
    EXPECT_EQ(window.HitTestLegend(inside), window.GetCurve(0, true));
    window.SetLegendStyle(CKSTCurveWndCore::kLegendNone, true);
    EXPECT_EQ(window.HitTestLegend(inside), nullptr);
}

}  // namespace
