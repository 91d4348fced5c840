// The curve object: colours, setters and what they ask of the window, copies, level lines and
// events with their order, navigation and span operations.
#include "curvewnd/Curve.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fake_curve_host.h"

namespace {

using Calls = std::vector<std::string>;

CKSTMarkerSettings Description(const char* text, double time)
{
    CKSTMarkerSettings description;
    description.m_Text = text;
    description.m_Value = time;
    return description;
}

std::vector<std::string> EventTexts(const CKSTCurve& curve)
{
    std::vector<std::string> texts;
    for (int i = 0; i < curve.GetEventCount(); ++i) {
        texts.push_back(curve.GetEvent(i)->GetText().c_str());
    }
    return texts;
}

class CurveTest : public ::testing::Test {
protected:
    void AddEvents(std::initializer_list<std::pair<const char*, double>> events)
    {
        for (const auto& event : events) {
            scene.curve.AddEvent(Description(event.first, event.second), CKSTFontDesc());
        }
    }

    CurveScene scene;
};

TEST_F(CurveTest, NewCurveIsShownInLinesWithAutomaticColour)
{
    const CKSTCurve curve(&scene.host);
    EXPECT_EQ(CKSTCurve::kStyleLines, curve.GetDisplayKind());
    EXPECT_EQ(CKSTCurve::kKindShown, curve.GetCurveKind());
    EXPECT_EQ(CKSTCurve::kEventsShown, curve.GetEventDisplayMode());
    EXPECT_EQ(KST_COLOR_AUTOMATIC, curve.GetOwnColor());
    EXPECT_EQ(-1, curve.GetDecimals());
    EXPECT_TRUE(curve.GetShowInLegend());
    EXPECT_TRUE(curve.GetShowAtCursor());
    EXPECT_FALSE(curve.GetInterpolateGaps());
    EXPECT_EQ(-1, curve.GetLastDrawnPoint().x);
    EXPECT_EQ(-1, curve.GetDialCentreX());
    // Event texts: window markers turned by 90 degrees, without frame or fill.
    const CKSTPlotMarker& style = curve.GetEventTemplate();
    EXPECT_EQ(CKSTPlotMarker::kOnWindow, style.GetType());
    EXPECT_EQ(90, style.GetAngle());
    EXPECT_FALSE(style.HasFrame());
    EXPECT_EQ(KST_COLOR_NONE, style.GetBackgroundColour());
    EXPECT_TRUE(curve.GetChannelName().IsEmpty());
    EXPECT_TRUE(curve.GetChannelLabelPrefix().IsEmpty());
    EXPECT_FALSE(curve.IsMatrixCurve());
}

TEST_F(CurveTest, ColourComesFromTheCurveThenTheChannelThenTheWindow)
{
    CKSTCurve& curve = scene.curve;
    EXPECT_EQ(scene.host.autoColour, curve.GetColor());
    scene.channel.SetColor(0x00FF00);
    EXPECT_EQ(0x00FF00u, curve.GetColor());
    curve.SetColor(0x0000FF, false);
    EXPECT_EQ(0x0000FFu, curve.GetColor());
    curve.SetColor(KST_COLOR_AUTOMATIC, false);
    EXPECT_EQ(0x00FF00u, curve.GetColor());
    scene.channel.SetColor(-1);
    EXPECT_EQ(scene.host.autoColour, curve.GetColor());
}

struct SetterCase {
    const char* name;
    std::function<void(CKSTCurve&, bool redraw)> setToOther;
    std::function<void(CKSTCurve&, bool redraw)> setToPresent;
};

// Every setter: the present value asks nothing of the window; a new one invalidates the band
// and, with redraw, re-lays out and updates the window.
TEST_F(CurveTest, SettersRedrawOnlyOnAChange)
{
    const SetterCase cases[] = {
        {"colour", [](CKSTCurve& c, bool r) { c.SetColor(0x112233, r); },
         [](CKSTCurve& c, bool r) { c.SetColor(KST_COLOR_AUTOMATIC, r); }},
        {"style", [](CKSTCurve& c, bool r) { c.SetDisplayKind(CKSTCurve::kStyleSteps, r); },
         [](CKSTCurve& c, bool r) { c.SetDisplayKind(CKSTCurve::kStyleLines, r); }},
        {"gaps", [](CKSTCurve& c, bool r) { c.SetInterpolateGaps(true, r); },
         [](CKSTCurve& c, bool r) { c.SetInterpolateGaps(false, r); }},
        {"legend", [](CKSTCurve& c, bool r) { c.SetShowInLegend(false, r); },
         [](CKSTCurve& c, bool r) { c.SetShowInLegend(true, r); }},
        {"cursor", [](CKSTCurve& c, bool r) { c.SetShowAtCursor(false, r); },
         [](CKSTCurve& c, bool r) { c.SetShowAtCursor(true, r); }},
        {"bar value", [](CKSTCurve& c, bool r) { c.SetShowBarValue(true, r); },
         [](CKSTCurve& c, bool r) { c.SetShowBarValue(false, r); }},
        {"decimals", [](CKSTCurve& c, bool r) { c.SetDecimals(3, r); },
         [](CKSTCurve& c, bool r) { c.SetDecimals(-1, r); }},
        {"symbol", [](CKSTCurve& c, bool r) { c.SetSymbol(CKSTCurve::kSymbolRing, r); },
         [](CKSTCurve& c, bool r) { c.SetSymbol(CKSTCurve::kSymbolPoint, r); }},
        {"value list", [](CKSTCurve& c, bool r) { c.SetValueListMode(2, r); },
         [](CKSTCurve& c, bool r) { c.SetValueListMode(0, r); }},
        {"events",
         [](CKSTCurve& c, bool r) { c.SetEventDisplayMode(CKSTCurve::kEventsAsIcons, r); },
         [](CKSTCurve& c, bool r) { c.SetEventDisplayMode(CKSTCurve::kEventsShown, r); }},
    };
    for (const SetterCase& c : cases) {
        SCOPED_TRACE(c.name);
        CurveScene fresh;
        c.setToPresent(fresh.curve, true);
        EXPECT_EQ(Calls{}, fresh.host.calls);
        c.setToOther(fresh.curve, false);
        EXPECT_EQ(Calls{"invalidate"}, fresh.host.calls);
        c.setToOther(fresh.curve, true);
        EXPECT_EQ(Calls{"invalidate"}, fresh.host.calls) << "unchanged";
        fresh.host.calls.clear();
        c.setToPresent(fresh.curve, true);
        EXPECT_EQ((Calls{"invalidate", "layout", "update"}), fresh.host.calls);
    }
}

TEST_F(CurveTest, InvalidationNeedsAWindowToDrawInto)
{
    scene.host.drawingWindow = false;
    scene.curve.SetColor(0x10, true);
    EXPECT_EQ((Calls{"layout", "update"}), scene.host.calls);

    CKSTCurve orphan(nullptr);
    orphan.SetColor(0x10, true);
    orphan.Invalidate();
    EXPECT_EQ(0x10u, orphan.GetColor());
}

TEST_F(CurveTest, RectanglesCompareWhateverTheirCornerOrder)
{
    scene.curve.SetRect(RECT{101, 103, 0, 0});
    EXPECT_TRUE(scene.host.calls.empty());
    scene.curve.SetRect(RECT{5, 6, 50, 60});
    ASSERT_EQ(1u, scene.host.invalidated.size());
    EXPECT_EQ(5, scene.host.invalidated[0].left);
    EXPECT_EQ(60, scene.host.invalidated[0].bottom);
    scene.curve.SetRect(RECT{50, 60, 5, 6});
    EXPECT_EQ(1u, scene.host.invalidated.size());
    EXPECT_EQ(5, scene.curve.GetRect().left);
    EXPECT_EQ(60, scene.curve.GetRect().bottom);
}

TEST_F(CurveTest, CurveKindChangesRefreshLegendAndPostEvent15)
{
    CKSTCurve& curve = scene.curve;
    EXPECT_EQ(1, curve.SetCurveKind(CKSTCurve::kKindShown, true)) << "unchanged: the kind";
    EXPECT_TRUE(scene.host.calls.empty());

    EXPECT_EQ(0, curve.SetCurveKind(CKSTCurve::kKindHidden, false)) << "nobody subscribed";
    EXPECT_EQ((Calls{"invalidate", "legend"}), scene.host.calls);

    scene.host.calls.clear();
    scene.host.subscribed[15] = true;
    scene.host.postResult = 7;
    EXPECT_EQ(7, curve.SetCurveKind(CKSTCurve::kKindShownExcluded, true));
    EXPECT_EQ((Calls{"invalidate", "legend", "ranges", "layout", "update", "post"}),
              scene.host.calls);
    ASSERT_EQ(1u, scene.host.posted.size());
    EXPECT_EQ(15u, scene.host.posted[0].first);
    EXPECT_EQ(&curve, scene.host.posted[0].second);
}

TEST_F(CurveTest, AxisSettersWorkThroughTheYAxis)
{
    scene.curve.SetAxisRange(-4.0, 12.0);
    EXPECT_EQ(-4.0, scene.yAxis.GetMinimum());
    EXPECT_EQ(12.0, scene.yAxis.GetMaximum());
    EXPECT_FALSE(scene.yAxis.IsAutoRange());
    EXPECT_EQ((Calls{"invalidate", "layout", "update"}), scene.host.calls);

    scene.curve.SetAxisParameter(2.0, false);
    EXPECT_EQ(2.0, scene.yAxis.GetTickSpacing());
    EXPECT_FALSE(scene.yAxis.IsAutoTicks());

    CKSTCurve withoutAxis(&scene.host);
    scene.host.calls.clear();
    withoutAxis.SetAxisRange(0.0, 1.0);
    withoutAxis.SetAxisParameter(1.0, true);
    EXPECT_TRUE(scene.host.calls.empty());
}

TEST_F(CurveTest, OnlyItsOwnAxesInvalidateTheCurve)
{
    CKSTXAxis otherX(nullptr);
    CKSTYAxis otherY(nullptr);
    scene.curve.OnSourceChanged(&otherX);
    scene.curve.OnAxisChanged(&otherY);
    EXPECT_TRUE(scene.host.calls.empty());
    scene.curve.OnSourceChanged(&scene.xAxis);
    scene.curve.OnAxisChanged(&scene.yAxis);
    EXPECT_EQ((Calls{"invalidate", "invalidate"}), scene.host.calls);
}

TEST_F(CurveTest, CopyTakesAttributesAndDeepCopiesOfItsLists)
{
    CKSTCurve& source = scene.curve;
    scene.channel.SetName("Speed");
    source.SetDisplayKind(CKSTCurve::kStyleSteps, false);
    source.SetSymbol(CKSTCurve::kSymbolStar, false);
    source.SetColor(0xABCDEF, false);
    source.SetDecimals(2, false);
    source.SetDial(10, 20, 30);
    source.SetLastBarTop(44);
    source.AddCell(RECT{1, 2, 3, 4});
    CKSTLimitSettings limit;
    limit.m_Value = 42.0;
    source.AddLevelLineFrom(limit);
    AddEvents({{"b", 2.0}, {"a", 1.0}});

    CKSTCurve copy(nullptr);
    copy.CopyFrom(source);
    EXPECT_EQ(&scene.host, copy.GetOwner());
    EXPECT_EQ(&scene.channel, copy.GetChannel());
    EXPECT_EQ(&scene.yAxis, copy.GetYAxis());
    EXPECT_STREQ("Speed", copy.GetChannelName().c_str());
    EXPECT_EQ(CKSTCurve::kStyleSteps, copy.GetDisplayKind());
    EXPECT_EQ(CKSTCurve::kSymbolStar, copy.GetSymbol());
    EXPECT_EQ(0xABCDEFu, copy.GetColor());
    EXPECT_EQ(2, copy.GetDecimals());
    EXPECT_EQ(30, copy.GetDialRadius());
    EXPECT_EQ(44, copy.GetLastBarTop());
    EXPECT_TRUE(copy.GetCells().empty());
    ASSERT_EQ(1, copy.GetLevelLineCount());
    EXPECT_NE(source.GetLevelLine(0), copy.GetLevelLine(0));
    EXPECT_EQ(42.0, copy.GetLevelLine(0)->GetValue());
    EXPECT_EQ(&copy, copy.GetLevelLine(0)->GetOwner());
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), EventTexts(copy));
    EXPECT_EQ(&copy, copy.GetEvent(0)->GetOwner());

    // The copy's lists are its own.
    source.RemoveEventsInSpan(0.0, 0.0);
    EXPECT_EQ(2, copy.GetEventCount());
    copy.CopyFrom(copy);
    EXPECT_EQ(2, copy.GetEventCount());
}

TEST_F(CurveTest, LevelLinesFromRecordsRedrawTheCurve)
{
    CKSTLimitSettings record;
    record.m_Value = 12.5;
    record.m_LineStyle = CKSTLimitLine::kDashDot;
    record.m_Color = 0x0000FF;
    scene.curve.AddLevelLineFrom(record);
    ASSERT_EQ(1, scene.curve.GetLevelLineCount());
    const CKSTLimitLine& line = *scene.curve.GetLevelLine(0);
    EXPECT_EQ(12.5, line.GetValue());
    EXPECT_EQ(CKSTLimitLine::kDashDot, line.GetLineStyle());
    EXPECT_EQ(0x0000FFu, line.GetColour());
    EXPECT_EQ((Calls{"invalidate", "invalidate", "invalidate"}), scene.host.calls);
    EXPECT_EQ(nullptr, scene.curve.GetLevelLine(1));
    EXPECT_EQ(nullptr, scene.curve.GetLevelLine(-1));

    scene.host.calls.clear();
    CKSTLimitLine other;
    other.SetValue(3.0);
    scene.curve.AddLevelLine(other, true);
    EXPECT_EQ((Calls{"invalidate", "layout", "update"}), scene.host.calls);
    EXPECT_EQ(3.0, scene.curve.GetLevelLine(1)->GetValue());
}

TEST_F(CurveTest, EventsFromDescriptionsTakeEveryFieldAndStaySorted)
{
    CKSTMarkerSettings description = Description("two\r\nlines", 5.0);
    description.m_Type = 2;
    description.m_AtPoint = 0;
    description.m_Color = 0x102030;
    description.m_Frame = 0;
    description.m_Pointer = 0;
    description.m_BackgroundColor = KST_COLOR_NONE;
    description.m_Rotation = static_cast<uint16_t>(-90);
    CKSTFontDesc font;
    font.m_height = -20;
    scene.curve.AddEvent(description, font);
    AddEvents({{"early", 1.0}});

    ASSERT_EQ(2, scene.curve.GetEventCount());
    EXPECT_EQ((std::vector<std::string>{"early", "two\r\nlines"}), EventTexts(scene.curve));
    const CKSTPlotMarker& event = *scene.curve.GetEvent(1);
    EXPECT_EQ(2u, event.GetType());
    EXPECT_EQ(5.0, event.GetTime());
    EXPECT_FALSE(event.IsAtDataPoint());
    EXPECT_EQ(0x102030u, event.GetTextColour());
    EXPECT_FALSE(event.HasFrame());
    EXPECT_FALSE(event.HasPointer());
    EXPECT_EQ(KST_COLOR_NONE, event.GetBackgroundColour());
    EXPECT_EQ(-90, event.GetAngle());
    EXPECT_EQ(-20, event.GetFont().m_height);
    EXPECT_EQ(&scene.curve, event.GetOwner());

    // Moving an event through its own setter keeps the list in order.
    scene.curve.GetEvent(0)->SetPosition(9.0);
    EXPECT_EQ((std::vector<std::string>{"two\r\nlines", "early"}), EventTexts(scene.curve));

    scene.curve.SetEventTemplate(description, font);
    EXPECT_EQ(2u, scene.curve.GetEventTemplate().GetType());
    EXPECT_EQ(-90, scene.curve.GetEventTemplate().GetAngle());
}

TEST_F(CurveTest, EventsOfEqualTimeKeepTheirInsertionOrder)
{
    AddEvents({{"c", 3.0}, {"a1", 1.0}, {"b", 2.0}, {"a2", 1.0}, {"a3", 1.0}});
    EXPECT_EQ((std::vector<std::string>{"a1", "a2", "a3", "b", "c"}), EventTexts(scene.curve));
    CKSTPlotMarker copy;
    copy.SetText("a0");
    copy.SetPosition(1.0);
    scene.host.calls.clear();
    scene.curve.AddEventCopy(copy, true);
    EXPECT_EQ((std::vector<std::string>{"a1", "a2", "a3", "a0", "b", "c"}),
              EventTexts(scene.curve));
    EXPECT_EQ((Calls{"invalidate", "layout", "update"}), scene.host.calls);
}

TEST_F(CurveTest, NavigationWrapsAroundBothLists)
{
    EXPECT_EQ(nullptr, scene.curve.NextEvent(nullptr));
    EXPECT_EQ(nullptr, scene.curve.PrevLevelLine(nullptr));
    AddEvents({{"a", 1.0}, {"b", 2.0}, {"c", 3.0}});
    CKSTCurve& curve = scene.curve;
    CKSTPlotMarker* a = curve.GetEvent(0);
    CKSTPlotMarker* c = curve.GetEvent(2);
    EXPECT_EQ(curve.GetEvent(1), curve.NextEvent(a));
    EXPECT_EQ(a, curve.NextEvent(c));
    EXPECT_EQ(c, curve.PrevEvent(a));
    CKSTPlotMarker stranger;
    EXPECT_EQ(a, curve.NextEvent(&stranger));
    EXPECT_EQ(c, curve.PrevEvent(&stranger));

    CKSTLimitSettings record;
    curve.AddLevelLineFrom(record);
    curve.AddLevelLineFrom(record);
    CKSTLimitLine* first = curve.GetLevelLine(0);
    CKSTLimitLine* second = curve.GetLevelLine(1);
    EXPECT_EQ(second, curve.NextLevelLine(first));
    EXPECT_EQ(first, curve.NextLevelLine(second));
    EXPECT_EQ(second, curve.PrevLevelLine(first));
    EXPECT_EQ(second, curve.PrevLevelLine(nullptr));
}

TEST_F(CurveTest, DefaultMarkerIsTheFirstFlaggedEvent)
{
    AddEvents({{"a", 1.0}, {"b", 2.0}, {"c", 3.0}});
    EXPECT_EQ(nullptr, scene.curve.GetDefaultMarkerEvent());
    scene.curve.GetEvent(2)->SetDefaultMarker(true);
    scene.curve.GetEvent(1)->SetDefaultMarker(true);
    EXPECT_EQ(scene.curve.GetEvent(1), scene.curve.GetDefaultMarkerEvent());
    scene.host.calls.clear();
    scene.curve.ClearDefaultMarkerFlags();
    EXPECT_EQ(nullptr, scene.curve.GetDefaultMarkerEvent());
    EXPECT_TRUE(scene.host.calls.empty());
}

struct SpanCase {
    const char* name;
    double t1;
    double t2;
    std::vector<std::string> kept;
};

TEST_F(CurveTest, RemovingEventsInASpanIncludesBothEnds)
{
    const SpanCase cases[] = {
        {"both ends 0 remove everything", 0.0, 0.0, {}},
        {"inclusive span", 2.0, 3.0, {"a", "d"}},
        {"reversed span", 3.0, 2.0, {"a", "b", "c", "d"}},
        {"span of one time", 1.0, 1.0, {"b", "c", "d"}},
        {"span before all", -5.0, -1.0, {"a", "b", "c", "d"}},
    };
    for (const SpanCase& c : cases) {
        SCOPED_TRACE(c.name);
        scene.curve.RemoveEventsInSpan(0.0, 0.0);
        AddEvents({{"a", 1.0}, {"b", 2.0}, {"c", 3.0}, {"d", 4.0}});
        scene.curve.RemoveEventsInSpan(c.t1, c.t2);
        EXPECT_EQ(c.kept, EventTexts(scene.curve));
    }
}

TEST_F(CurveTest, CuttingKeepsEventsStrictlyInsideAndShiftsThem)
{
    AddEvents({{"a", 1.0}, {"b", 2.0}, {"c", 3.0}, {"d", 4.0}});
    scene.host.calls.clear();
    scene.curve.KeepEventsInSpan(1.0, 4.0, -1.0);
    EXPECT_EQ((std::vector<std::string>{"b", "c"}), EventTexts(scene.curve));
    EXPECT_EQ(1.0, scene.curve.GetEvent(0)->GetTime());
    EXPECT_EQ(2.0, scene.curve.GetEvent(1)->GetTime());
    EXPECT_TRUE(scene.host.calls.empty());
}

TEST_F(CurveTest, ShiftingEventsNeitherSortsNorRedraws)
{
    AddEvents({{"a", 1.0}, {"b", 2.0}});
    scene.host.calls.clear();
    scene.curve.ShiftEvents(10.0);
    EXPECT_EQ(11.0, scene.curve.GetEvent(0)->GetTime());
    EXPECT_EQ(12.0, scene.curve.GetEvent(1)->GetTime());
    EXPECT_TRUE(scene.host.calls.empty());
    // Still owned: a later move redraws.
    scene.curve.GetEvent(0)->SetPosition(0.5);
    EXPECT_EQ(Calls{"invalidate"}, scene.host.calls);
}

TEST_F(CurveTest, FindsTheLastEventUnderAPointAndLevelLinesWithin5Pixels)
{
    AddEvents({{"a", 1.0}, {"b", 2.0}});
    scene.curve.GetEvent(0)->SetBox(RECT{10, 10, 30, 30});
    scene.curve.GetEvent(1)->SetBox(RECT{20, 20, 40, 40});
    EXPECT_EQ(scene.curve.GetEvent(1), scene.curve.FindEventAt(POINT{25, 25}));
    EXPECT_EQ(scene.curve.GetEvent(0), scene.curve.FindEventAt(POINT{15, 15}));
    EXPECT_EQ(nullptr, scene.curve.FindEventAt(POINT{40, 40}));

    // Level lines at 50 (row 51) and 52 (row 49).
    CKSTLimitSettings record;
    record.m_Value = 50.0;
    scene.curve.AddLevelLineFrom(record);
    record.m_Value = 52.0;
    scene.curve.AddLevelLineFrom(record);
    EXPECT_EQ(scene.curve.GetLevelLine(1), scene.curve.FindLevelLineAt(POINT{5, 50}));
    EXPECT_EQ(scene.curve.GetLevelLine(0), scene.curve.FindLevelLineAt(POINT{5, 55}));
    EXPECT_EQ(nullptr, scene.curve.FindLevelLineAt(POINT{5, 56}));
    EXPECT_EQ(scene.curve.GetLevelLine(1), scene.curve.FindLevelLineAt(POINT{5, 45}));
    EXPECT_EQ(nullptr, scene.curve.FindLevelLineAt(POINT{5, 44}));
}

}  // namespace

namespace {

TEST_F(CurveTest, RemembersTheDominantStepOfATimeVectorWhileItsTimesStay)
{
    auto fill = [this](double step, int count) {
        scene.channel.Reset();
        scene.channel.SetTimeBaseType(CKSTChannel::kTimeVector);
        for (int i = 0; i < count; ++i) {
            scene.channel.AppendTimeValue(i * step, 1.0);
        }
    };
    double step = 0.0;
    fill(1.0, 10);
    ASSERT_TRUE(scene.curve.GetDominantTimeStep(step));
    EXPECT_EQ(1.0, step);
    fill(2.0, 10);
    ASSERT_TRUE(scene.curve.GetDominantTimeStep(step));
    EXPECT_EQ(2.0, step);
    // Appended samples 50 apart outnumber the others.
    for (int i = 0; i < 15; ++i) {
        scene.channel.AppendTimeValue(100.0 + 50.0 * i, 1.0);
    }
    ASSERT_TRUE(scene.curve.GetDominantTimeStep(step));
    EXPECT_EQ(50.0, step) << "appended samples count";

    scene.Fill({1, 2, 3}, 0.25);
    ASSERT_TRUE(scene.curve.GetDominantTimeStep(step));
    EXPECT_EQ(0.25, step);
}

}  // namespace
