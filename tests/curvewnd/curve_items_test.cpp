// Limit lines and markers: defaults, copies, comparison, hit test and what their setters ask of
// the owning curve.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "curvewnd/LimitLine.h"
#include "curvewnd/PlotMarker.h"
#include "fake_curve_owner.h"

namespace {

using Calls = std::vector<std::string>;

TEST(LimitLineTest, CreatedWithDefaultsAndCopiedWithoutTheOwner)
{
    RecordingCurve curve;
    CKSTLimitLine line(&curve);
    EXPECT_EQ(&curve, line.GetOwner());
    EXPECT_EQ(0.0, line.GetValue());
    EXPECT_EQ(CKSTLimitLine::kSolid, line.GetLineStyle());
    EXPECT_EQ(KST_COLOR_AUTOMATIC, line.GetColour());

    CKSTLimitLine source;
    source.SetValue(2000.0);
    source.SetLineStyle(CKSTLimitLine::kDashDot);
    source.SetColour(0x0000FF);
    line.CopyFrom(source);
    EXPECT_EQ(2000.0, line.GetValue());
    EXPECT_EQ(CKSTLimitLine::kDashDot, line.GetLineStyle());
    EXPECT_EQ(0x0000FFu, line.GetColour());
    EXPECT_EQ(&curve, line.GetOwner());
    EXPECT_TRUE(curve.calls.empty()) << "copying redraws nothing";

    line.Reset();
    EXPECT_EQ(nullptr, line.GetOwner());
    EXPECT_EQ(0.0, line.GetValue());
}

TEST(LimitLineTest, OnlyChangesRedrawTheCurve)
{
    RecordingCurve curve;
    CKSTLimitLine line(&curve);
    line.SetValue(0.0);
    line.SetLineStyle(CKSTLimitLine::kSolid);
    line.SetColour(KST_COLOR_AUTOMATIC);
    EXPECT_TRUE(curve.calls.empty());

    line.SetValue(1.5);
    line.SetLineStyle(CKSTLimitLine::kDot);
    line.SetColour(0x00FF00);
    line.SetValue(1.5);
    EXPECT_EQ(Calls({"invalidate", "invalidate", "invalidate"}), curve.calls);

    CKSTLimitLine orphan;
    orphan.SetValue(3.0);
    EXPECT_EQ(3.0, orphan.GetValue());
}

TEST(PlotMarkerTest, NewMarkerStandsOnTheCurveWithFrameAndPointer)
{
    CKSTPlotMarker marker;
    EXPECT_EQ(CKSTPlotMarker::kOnCurve, marker.GetType());
    EXPECT_TRUE(marker.HasFrame());
    EXPECT_TRUE(marker.HasPointer());
    EXPECT_TRUE(marker.IsAtDataPoint());
    EXPECT_FALSE(marker.IsLocked());
    EXPECT_FALSE(marker.IsDefaultMarker());
    EXPECT_EQ(KST_COLOR_AUTOMATIC, marker.GetTextColour());
    EXPECT_EQ(KST_COLOR_AUTOMATIC, marker.GetBackgroundColour());
    EXPECT_EQ(0, marker.GetAngle());
    EXPECT_EQ(CKSTFontDesc(), marker.GetFont());
    EXPECT_TRUE(marker.GetText().IsEmpty());
}

TEST(PlotMarkerTest, CopiesCompareEqualWhateverTheirBoxesAndOwners)
{
    RecordingCurve first, second;
    CKSTPlotMarker source(&first);
    source.SetText("Start\r\nvalve open");
    source.SetType(CKSTPlotMarker::kVerticalLine);
    source.SetPosition(12.5);
    source.SetAtDataPoint(false);
    source.SetTextColour(0x0000FF);
    source.SetBackgroundColour(KST_COLOR_NONE);
    source.SetAngle(90);
    source.SetFrame(false);
    source.SetPointer(false);
    source.SetLocked(true);
    source.SetDefaultMarker(true);
    CKSTFontDesc font;
    font.m_height = -20;
    source.SetFont(font);
    source.SetBox(RECT{10, 10, 50, 30});

    CKSTPlotMarker copy(&second);
    copy.SetBox(RECT{1, 2, 3, 4});
    copy.CopyFrom(source);
    EXPECT_TRUE(copy == source);
    EXPECT_EQ(&second, copy.GetOwner());
    EXPECT_EQ(1, copy.GetBox().left) << "the box stays";
    EXPECT_TRUE(second.calls.empty());

    struct Change {
        const char* name;
        void (*apply)(CKSTPlotMarker&);
    };
    const Change changes[] = {
        {"time", [](CKSTPlotMarker& m) { m.SetPosition(12.5000001); }},
        {"text", [](CKSTPlotMarker& m) { m.SetText("Stop"); }},
        {"font",
         [](CKSTPlotMarker& m) {
             CKSTFontDesc other;
             other.m_weight = 700;
             m.SetFont(other);
         }},
        {"locked", [](CKSTPlotMarker& m) { m.SetLocked(false); }},
        {"default marker", [](CKSTPlotMarker& m) { m.SetDefaultMarker(false); }},
        {"background", [](CKSTPlotMarker& m) { m.SetBackgroundColour(KST_COLOR_AUTOMATIC); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        CKSTPlotMarker changed;
        changed.CopyFrom(source);
        change.apply(changed);
        EXPECT_TRUE(changed != source);
    }
}

TEST(PlotMarkerTest, MovingResortsTheEventsBeforeRedrawing)
{
    RecordingCurve curve;
    CKSTPlotMarker marker(&curve);
    marker.SetPosition(0.0);
    marker.SetText("");
    marker.SetAngle(0);
    EXPECT_TRUE(curve.calls.empty()) << "unchanged values do nothing";

    marker.SetPosition(4.0);
    EXPECT_EQ(Calls({"sort", "invalidate"}), curve.calls);
    curve.calls.clear();
    marker.SetAngle(-90);
    marker.SetFrame(false);
    EXPECT_EQ(Calls({"invalidate", "invalidate"}), curve.calls);
}

TEST(PlotMarkerTest, FoundByTheBoxItWasLastPaintedIn)
{
    CKSTPlotMarker marker;
    marker.SetBox(RECT{50, 30, 10, 10});  // corners in either order
    struct Case {
        POINT point;
        bool hit;
    };
    const Case cases[] = {
        {{10, 10}, true}, {{49, 29}, true}, {{50, 20}, false}, {{20, 30}, false}, {{9, 15}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
        EXPECT_EQ(c.hit, marker.HitTest(c.point));
    }
    marker.Reset();
    EXPECT_FALSE(marker.HitTest(POINT{0, 0})) << "a cleared box holds nothing";
}

}  // namespace
