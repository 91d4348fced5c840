// The curve window without its window: grouping of channels, removing curves, display kinds,
// arrangement, the X range that follows the data, setters and the window layout.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "curvewnd/CurveWndCore.h"
#include "recording_curve_wnd.h"

namespace {

int CurvesIn(const CKSTCurveWndCore& window, int group)
{
    return window.GetGroup(group)->GetCurveCount();
}

TEST(CurveWndCoreTest, NewWindowHasOneEmptyGroup)
{
    RecordingCurveWnd window;
    EXPECT_EQ(window.GetGroupCount(), 1);
    EXPECT_EQ(window.GetCurveCount(), 0);
    EXPECT_TRUE(window.IsEmpty());
    EXPECT_EQ(window.GetCurve(0, true), nullptr);
}

TEST(CurveWndCoreTest, ChannelsJoinTheGroupOfTheirUnit)
{
    ChannelPool pool;
    CKSTChannelList list;
    list.AddPointer(pool.Add("u1", "V"), false);
    list.AddPointer(pool.Add("i1", "A"), false);
    list.AddPointer(pool.Add("u2", "V"), false);
    RecordingCurveWnd window;
    window.AddChannels(list);
    ASSERT_EQ(window.GetGroupCount(), 2);
    EXPECT_EQ(CurvesIn(window, 0), 2);
    EXPECT_EQ(window.GetGroup(0)->GetAxisCount(), 1);
    EXPECT_EQ(window.GetGroup(0)->GetAxis(0)->GetUnit(), "V");
    EXPECT_EQ(CurvesIn(window, 1), 1);
    EXPECT_EQ(window.GetGroupIndexOfCurve(window.FindCurveByChannelName("u2")), 0);
}

TEST(CurveWndCoreTest, ModeOneFillsAnEmptyLastGroupThenAddsGroups)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    EXPECT_EQ(window.AddChannel(pool.Add("a", "V"), 1, 2), 0);
    EXPECT_EQ(window.GetGroupCount(), 1);
    window.AddChannel(pool.Add("b", "V"), 1, 2);
    EXPECT_EQ(window.GetGroupCount(), 2);
    window.AddChannel(pool.Add("c", "V"), 0, 2);
    EXPECT_EQ(CurvesIn(window, 1), 2);
    EXPECT_EQ(window.AddChannel(nullptr, 0, 0), -1);
}

TEST(CurveWndCoreTest, RemovingCurvesKeepsOrDropsEmptyGroups)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.AddChannel(pool.Add("a", "V"), 1, 2);
    window.RemoveCurve(0, false, false, true);
    EXPECT_EQ(window.GetGroupCount(), 1);
    EXPECT_EQ(window.GetCurveCount(), 0);

    window.AddChannel(pool.Add("b", "V"), 1, 2);
    window.RemoveCurve(0, true, false, true);
    EXPECT_EQ(window.GetGroupCount(), 0);

    // An out-of-range index changes nothing.
    window.AddChannel(pool.Add("c", "V"), 1, 2);
    window.RemoveCurve(5, false, false, true);
    EXPECT_EQ(window.GetCurveCount(), 1);
}

TEST(CurveWndCoreTest, RemovingAChannelOwnedByTheWindowDeletesTheCopy)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.AddOwnedChannel(*pool.Add("a", "V"), 1, 2);
    ASSERT_EQ(window.GetOwnChannels().GetCount(), 1);
    CKSTChannel* copy = window.GetOwnChannels().GetAt(0);
    window.RemoveChannel(copy, false, true, true);
    EXPECT_EQ(window.GetOwnChannels().GetCount(), 0);
    EXPECT_EQ(window.GetCurveCount(), 0);
}

TEST(CurveWndCoreTest, DestroyedChannelTakesEveryCurveAndTheXChannelWithIt)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    CKSTChannel* shared = pool.Add("x", "s");
    window.AddChannel(pool.Add("y", "V"), 1, 2);
    window.AddChannel(shared, 1, 2);
    window.AddChannel(shared, 1, 2);
    window.SetDisplayKind(CKSTCurveWndCore::kDisplayXY, -1, "x");
    ASSERT_EQ(window.GetXChannel(), shared);

    pool.channels[0].reset();  // "x" was added first
    EXPECT_EQ(window.GetCurveCount(), 1);
    EXPECT_EQ(window.FindCurveByChannelName("x"), nullptr);
    EXPECT_EQ(window.GetXChannel(), nullptr);
    EXPECT_EQ(window.GetDisplayKind(), CKSTCurveWndCore::kDisplayYT);
}

TEST(CurveWndCoreTest, ExcludedKindsAreSkippedUnlessAskedFor)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.AddChannel(pool.Add("a", "V"), 0, 2);
    window.AddChannel(pool.Add("b", "V"), 0, 2);
    window.AddChannel(pool.Add("c", "V"), 0, 2);
    window.GetCurve(1, true)->SetCurveKind(CKSTCurve::kKindHiddenExcluded, false);
    EXPECT_EQ(window.GetCurve(1, false)->GetChannelName(), "c");
    EXPECT_EQ(window.GetCurve(2, false), nullptr);
    EXPECT_EQ(window.GetCurveIndex(window.GetCurve(2, true), false), 1);
    CKSTCurve stranger(nullptr);
    EXPECT_EQ(window.GetCurveIndex(&stranger, true), 0);
    EXPECT_EQ(window.GetNextCurve(window.GetCurve(0, true))->GetChannelName(), "c");
    EXPECT_EQ(window.GetPreviousCurve(window.GetCurve(0, true))->GetChannelName(), "c");
}

TEST(CurveWndCoreTest, XyDisplayTakesTheLastCurveAndGivesItsKindBack)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    for (const char* name : {"a", "b", "c"}) {
        window.AddChannel(pool.Add(name, "V"), 0, 2);
    }
    CKSTCurve* third = window.GetCurve(2, true);
    window.SetDisplayKind(CKSTCurveWndCore::kDisplayXY, -1, "");
    EXPECT_EQ(window.GetDisplayKind(), CKSTCurveWndCore::kDisplayXY);
    EXPECT_EQ(window.GetXChannel(), third->GetChannel());
    EXPECT_EQ(third->GetCurveKind(), CKSTCurve::kKindXChannel);
    EXPECT_FALSE(window.IsEmpty());

    window.SetDisplayKind(CKSTCurveWndCore::kDisplayYT, -1, "");
    EXPECT_EQ(third->GetCurveKind(), CKSTCurve::kKindShown);
    EXPECT_EQ(window.GetXChannel(), nullptr);
    EXPECT_EQ(window.GetXCurveName(), "");
}

TEST(CurveWndCoreTest, XyWithOneCurveIsRefusedAndBarTurnsCurvesIntoBars)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.AddChannel(pool.Add("a", "V"), 0, 2);
    window.SetDisplayKind(CKSTCurveWndCore::kDisplayXYChannel, -1, "");
    EXPECT_EQ(window.GetDisplayKind(), CKSTCurveWndCore::kDisplayYT);

    window.SetDisplayKind(CKSTCurveWndCore::kDisplayBar, -1, "");
    EXPECT_EQ(window.GetDisplayKind(), CKSTCurveWndCore::kDisplayBar);
    EXPECT_EQ(window.GetCurve(0, true)->GetDisplayKind(), CKSTCurve::kStyle3DBars);
    EXPECT_EQ(window.GetXAxis().GetType(), CKSTXAxis::kTypeNone);
    EXPECT_EQ(window.GetWindowSettings().m_GridVisible, 0);
    EXPECT_EQ(window.events.back(), CKSTCurveWndCore::kEventStructureChanged);
}

struct ArrangeCase {
    uint32_t mode;
    int groups;
    int axesInFirstGroup;
};

class CurveWndArrangeTest : public testing::TestWithParam<ArrangeCase> {};

TEST_P(CurveWndArrangeTest, CurvesEndUpInTheModesGroups)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.AddChannel(pool.Add("u1", "V"), 0, 2);
    window.AddChannel(pool.Add("u2", "V"), 0, 2);
    window.AddChannel(pool.Add("i1", "A"), 0, 2);
    window.AddChannel(pool.Add("i2", "A"), 0, 2);
    window.GetCurve(3, true)->SetColor(0x123456, false);
    window.ArrangeCurves(GetParam().mode, true, true);
    EXPECT_EQ(window.GetCurveCount(), 4);
    EXPECT_EQ(window.GetGroupCount(), GetParam().groups);
    EXPECT_EQ(window.GetGroup(0)->GetAxisCount(), GetParam().axesInFirstGroup);
    // Curves keep their attributes and order.
    EXPECT_EQ(window.GetCurve(3, true)->GetChannelName(), "i2");
    EXPECT_EQ(window.GetCurve(3, true)->GetOwnColor(), 0x123456u);
}

INSTANTIATE_TEST_SUITE_P(Modes, CurveWndArrangeTest,
                         testing::Values(ArrangeCase{0, 2, 1},  // forced: as by unit
                                         ArrangeCase{1, 2, 1}, ArrangeCase{2, 1, 4},
                                         ArrangeCase{3, 4, 1}, ArrangeCase{4, 1, 2}));

TEST(CurveWndCoreTest, ArrangeWithTheSameModeAndNoForceChangesNothing)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.AddChannel(pool.Add("u1", "V"), 0, 2);
    window.AddChannel(pool.Add("i1", "A"), 0, 2);
    window.ArrangeCurves(2, true, false);
    ASSERT_EQ(window.GetGroup(0)->GetAxisCount(), 2);
    const CKSTCurve* before = window.GetCurve(0, true);
    window.ArrangeCurves(2, true, false);
    EXPECT_EQ(window.GetCurve(0, true), before);
    window.ArrangeCurves(0, true, false);
    EXPECT_EQ(window.GetArrangeMode(), 0u);
    EXPECT_EQ(window.GetCurve(0, true), before);
}

// Each setter with its field: called with the value in place nothing happens.
struct SetterCase {
    const char* name;
    std::function<void(CKSTCurveWndCore&, bool changed)> call;
};

TEST(CurveWndCoreTest, SettersInvalidateOnlyOnAChange)
{
    const SetterCase cases[] = {
        {"back", [](CKSTCurveWndCore& w, bool c) { w.SetBackColor(c ? 1 : w.Settings().m_BackgroundColor, true); }},
        {"plot", [](CKSTCurveWndCore& w, bool c) { w.SetPlotBackColor(c ? 1 : 0xFFFFFF, true); }},
        {"xtext", [](CKSTCurveWndCore& w, bool c) { w.SetXTextColor(c ? 1 : 0, true); }},
        {"legendtext", [](CKSTCurveWndCore& w, bool c) { w.SetLegendTextColor(c ? 1 : 0, true); }},
        {"grid", [](CKSTCurveWndCore& w, bool c) { w.SetGridColor(c ? 1 : 0xC0C0C0, true); }},
        {"gridvisible", [](CKSTCurveWndCore& w, bool c) { w.SetGridVisible(!c, true); }},
        {"gradient", [](CKSTCurveWndCore& w, bool c) { w.SetColorGradient(!c, true); }},
        {"legendgroup", [](CKSTCurveWndCore& w, bool c) { w.SetLegendGroup(c, true); }},
        {"legendstyle", [](CKSTCurveWndCore& w, bool c) { w.SetLegendStyle(c ? 2 : 1, true); }},
        {"legendalign", [](CKSTCurveWndCore& w, bool c) { w.SetLegendAlign(c ? 0 : 4, true); }},
        {"textname", [](CKSTCurveWndCore& w, bool c) { w.SetCursorTextName(!c, true); }},
        {"axesfont", [](CKSTCurveWndCore& w, bool c) {
             CKSTFontDesc font;
             if (c) {
                 font.m_height = -20;
             }
             w.SetAxesFont(font, true);
         }},
        {"image", [](CKSTCurveWndCore& w, bool c) {
             w.SetBackgroundImage(CKSTRasterImage(), c ? 5 : 12, true);
         }},
        {"language", [](CKSTCurveWndCore& w, bool c) { w.SetLanguage(c ? 0 : 1, true); }},
    };
    for (const SetterCase& setter : cases) {
        SCOPED_TRACE(setter.name);
        RecordingCurveWnd window;
        setter.call(window, false);
        EXPECT_EQ(window.invalidations, 0);
        EXPECT_EQ(window.layouts, 0);
        setter.call(window, true);
        EXPECT_GT(window.invalidations, 0);
        EXPECT_EQ(window.layouts, 1);
    }
}

TEST(CurveWndCoreTest, ReenablingUpdatesLaysOutOnce)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.SetUpdateEnabled(false, false);
    for (const char* name : {"a", "b", "c"}) {
        window.AddChannel(pool.Add(name, "V"), 1, 2);
    }
    EXPECT_EQ(window.layouts, 0);
    window.SetVisible(true, false);
    EXPECT_EQ(window.layouts, 1);
    EXPECT_EQ(window.GetGroupCount(), 3);
}

TEST(CurveWndCoreTest, XRangeFollowsTheData)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    CKSTChannel* channel = pool.Add("a", "V", 100, [](uint32_t i) { return i * 0.5; });
    window.AddChannel(channel, 1, 2);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum(), 99.0);

    for (int i = 0; i < 50; ++i) {
        channel->AppendValue(1.0, false);
    }
    window.Refresh();
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum(), 149.0);
    EXPECT_EQ(window.events.back(), CKSTCurveWndCore::kEventRefreshed);

    // A window of fixed span starts at the data offline and ends at the newest data online.
    window.SetXAxisRange(0.0, 10.0, CKSTXAxis::kRangeSpanFixed, true);
    window.UpdateXRange();
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum(), 10.0);
    window.SetOnline(true);
    window.UpdateXRange();
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMinimum(), 139.0);
    EXPECT_DOUBLE_EQ(window.GetXAxis().GetMaximum(), 149.0);
}

TEST(CurveWndCoreTest, AxisRangesFollowAppendedAndEditedSamples)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    CKSTChannel* channel = pool.Add("a", "V", 100, [](uint32_t i) { return i % 10 * 1.0; });
    channel->SetCapacity(1000);
    window.AddChannel(channel, 1, 2);
    const CKSTYAxis& axis = *window.GetAxis(0);
    double min = 0.0;
    double max = 0.0;
    window.GetGroup(0)->GetValueRange(&axis, min, max);
    EXPECT_DOUBLE_EQ(max, 9.0);

    channel->AppendValue(55.0, false);
    window.Refresh();
    window.GetGroup(0)->GetValueRange(&axis, min, max);
    EXPECT_DOUBLE_EQ(max, 55.0);
    EXPECT_GE(axis.GetMaximum(), 55.0);

    // A sample changed in place without new ones is seen too.
    channel->SetValueAt(50, -70.0);
    window.GetGroup(0)->GetValueRange(&axis, min, max);
    EXPECT_DOUBLE_EQ(min, -70.0);
    channel->SetValueAt(50, 0.0);
    channel->AppendValue(1.0, false);
    channel->SetValueAt(0, -3.0);
    window.GetGroup(0)->GetValueRange(&axis, min, max);
    EXPECT_DOUBLE_EQ(min, -3.0);
}

TEST(CurveWndCoreTest, LayoutShowsTheGroupsThatFitAndReservesTheScrollStrip)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.client = {0, 0, 500, 200};
    for (int i = 0; i < 8; ++i) {
        const std::string name = "c" + std::to_string(i);
        window.AddChannel(pool.Add(name.c_str(), "V"), 1, 2);
    }
    ASSERT_EQ(window.GetGroupCount(), 8);
    int shown = 0;
    for (int g = 0; g < window.GetGroupCount(); ++g) {
        if (window.GetGroup(g)->IsVisible()) {
            ++shown;
            const RECT& rect = window.GetGroup(g)->GetRect();
            EXPECT_GE(rect.bottom - rect.top, window.Settings().m_MinGroupHeight);
        }
    }
    EXPECT_GT(shown, 1);
    EXPECT_LT(shown, 8);
    EXPECT_TRUE(window.lastLayout.groupScrollBar);
    EXPECT_EQ(window.GetFirstShownGroup(), 0);
    EXPECT_EQ(window.GetLastShownGroup(), shown - 1);
    // The groups start right of the strip and their axes.
    EXPECT_GT(window.GetGroup(0)->GetRect().left,
              window.Settings().m_BorderWidth + CKSTCurveWndCore::kScrollBarWidth);
    // The X axis runs under the last shown group.
    EXPECT_GE(window.GetXAxis().GetRect().top,
              window.GetGroup(window.GetLastShownGroup())->GetRect().bottom);

    window.SetFirstShownGroup(6);
    window.RecalcLayout();
    EXPECT_EQ(window.GetFirstShownGroup(), 6);
    EXPECT_EQ(window.GetLastShownGroup(), 7);
}

TEST(CurveWndCoreTest, ASingleGroupIsShownEvenBelowTheMinimumHeight)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.client = {0, 0, 300, 40};
    window.AddChannel(pool.Add("a", "V"), 1, 2);
    EXPECT_TRUE(window.GetGroup(0)->IsVisible());
    EXPECT_FALSE(window.lastLayout.groupScrollBar);

    // Empty groups only: group 0 is laid out.
    RecordingCurveWnd empty;
    empty.RecalcLayout();
    EXPECT_TRUE(empty.GetGroup(0)->IsVisible());
}

TEST(CurveWndCoreTest, GroupBorderIsFoundBetweenShownGroupsOnly)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.AddChannel(pool.Add("a", "V"), 1, 2);
    window.AddChannel(pool.Add("b", "V"), 1, 2);
    const RECT first = window.GetGroup(0)->GetRect();
    const RECT second = window.GetGroup(1)->GetRect();
    const int32_t x = (first.left + first.right) / 2;
    EXPECT_EQ(window.HitTestGroupBorder({x, first.bottom + 3}), 0);
    EXPECT_EQ(window.HitTestGroupBorder({x, first.bottom - 4}), -1);
    EXPECT_EQ(window.HitTestGroupBorder({x, second.bottom}), -1);
}

TEST(CurveWndCoreTest, MenuCommandsReplaceByTextOrId)
{
    RecordingCurveWnd window;
    window.AddMenuCommand("One", 100, nullptr);
    window.AddMenuCommand("Two", 101, nullptr);
    window.AddMenuCommand("One", 102, nullptr);
    window.AddMenuCommand("Three", 101, nullptr);
    ASSERT_EQ(window.GetMenuCommands().size(), 2u);
    EXPECT_EQ(window.GetMenuCommands()[0].id, 102u);
    EXPECT_EQ(window.GetMenuCommands()[1].text, "Three");
    window.RemoveMenuCommand("none", 102);
    EXPECT_EQ(window.GetMenuCommands().size(), 1u);
}

}  // namespace
