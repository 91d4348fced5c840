// The exchange between a live curve window and its settings record: round trips, matching by
// channel name and group, and records from damaged files.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "curvewnd/CurveWndCore.h"
#include "recording_curve_wnd.h"

namespace {

// Three curves in two groups with attributes away from their defaults.
class CurveWndSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.AddChannel(pool.Add("u1", "V", "Motor"), 2, 2);
        window.AddChannel(pool.Add("i1", "A", "Motor"), 2, 2);
        window.AddChannel(pool.Add("u2", "V", "Pump"), 2, 2);
        CKSTCurve& u2 = *window.FindCurveByChannelName("u2");
        u2.SetColor(0x00AA00, false);
        u2.SetDisplayKind(CKSTCurve::kStyleSteps, false);
        u2.SetSymbol(CKSTCurve::kSymbolRing, false);
        u2.SetDecimals(3, false);
        CKSTLimitLine line(nullptr);
        line.SetValue(4.5);
        u2.AddLevelLine(line, false);
        CKSTMarkerSettings event;
        event.m_Text = "start";
        event.m_Value = 2.0;
        CKSTFontDesc font;
        font.m_height = -17;
        u2.AddEvent(event, font);
        window.FindCurveByChannelName("i1")->SetCurveKind(CKSTCurve::kKindHidden, false);
        window.GetGroup(1)->SetWeight(2.5);
    }

    ChannelPool pool;
    RecordingCurveWnd window;
};

// What a record says about the structure, for comparing two records.
std::string Describe(const CKSTCurveWndSettings& s)
{
    std::string text;
    for (const auto& g : s.m_Groups) {
        text += "G" + std::to_string(g->m_RelativeHeight) + ";";
    }
    for (const auto& a : s.m_Axes) {
        text += "A" + std::to_string(a->m_SubIndex) + a->m_Unit.c_str() + ";";
    }
    for (const auto& c : s.m_Curves) {
        text += std::string("C") + c->m_Name.c_str() + "/" + c->m_Group.c_str() + "@" +
                std::to_string(c->m_YIndex) + " k" + std::to_string(c->m_Visible) + " s" +
                std::to_string(c->m_PlotStyle) + " y" + std::to_string(c->m_Symbol) + " c" +
                std::to_string(c->m_Color) + " d" + std::to_string(c->m_Decimals) + " l" +
                std::to_string(c->m_Limits.size()) + " m" + std::to_string(c->m_Markers.size());
        for (const auto& m : c->m_Markers) {
            text += std::string(" ") + m->m_Text.c_str() + "@" + std::to_string(m->m_Value) +
                    " f" + std::to_string(s.m_Fonts.at(m->m_Font)->m_height);
        }
        text += ";";
    }
    return text;
}

TEST_F(CurveWndSettingsTest, RoundTripKeepsGroupsAxesCurvesAndEvents)
{
    CKSTCurveWndSettings first;
    window.GetSettings(first, false);
    ASSERT_EQ(first.m_Groups.size(), 2u);
    ASSERT_EQ(first.m_Curves.size(), 3u);

    window.ApplySettings(first, false, false);
    CKSTCurveWndSettings second;
    window.GetSettings(second, false);
    EXPECT_EQ(Describe(second), Describe(first));
    EXPECT_EQ(window.GetGroupCount(), 2);
    EXPECT_DOUBLE_EQ(window.GetGroup(1)->GetWeight(), 2.5);
    EXPECT_EQ(window.FindCurveByChannelName("u2")->GetLevelLineCount(), 1);
    EXPECT_EQ(window.FindCurveByChannelName("u2")->GetEventCount(), 1);
}

TEST_F(CurveWndSettingsTest, RecordRebuildsAnotherStructure)
{
    CKSTCurveWndSettings record;
    window.GetSettings(record, false);
    // All three curves onto one axis record of group 0.
    for (const auto& curve : record.m_Curves) {
        curve->m_YIndex = 0;
    }
    window.ApplySettings(record, false, false);
    EXPECT_EQ(window.GetGroupCount(), 1);
    EXPECT_EQ(window.GetGroup(0)->GetAxisCount(), 1);
    EXPECT_EQ(window.GetCurveCount(), 3);
}

TEST_F(CurveWndSettingsTest, CurvesWithoutARecordComeBackByUnit)
{
    CKSTCurveWndSettings record;
    window.GetSettings(record, false);
    record.m_Curves[0]->m_Name = "elsewhere";  // u1 loses its record
    window.ApplySettings(record, false, false);
    EXPECT_EQ(window.GetCurveCount(), 3);
    const CKSTCurve* u1 = window.FindCurveByChannelName("u1");
    ASSERT_NE(u1, nullptr);
    EXPECT_EQ(u1->GetYAxis()->GetUnit(), "V");
    EXPECT_FALSE(window.CurvesMatchSettings(record));
}

TEST(CurveWndSettingsMatchTest, DuplicateChannelNamesAreToldApartByGroup)
{
    ChannelPool pool;
    RecordingCurveWnd window;
    window.AddChannel(pool.Add("T", "C", "Inlet"), 0, 2);
    window.AddChannel(pool.Add("T", "C", "Outlet"), 0, 2);
    CKSTCurveWndSettings record;
    window.GetSettings(record, false);
    // The records swap places; colours say which curve took which record.
    std::swap(record.m_Curves[0], record.m_Curves[1]);
    record.m_Curves[0]->m_Color = 0x0000FF;  // Outlet
    record.m_Curves[1]->m_Color = 0x00FF00;  // Inlet
    window.ApplySettings(record, false, false);
    EXPECT_EQ(window.FindCurveByName("T", "Outlet")->GetOwnColor(), 0x0000FFu);
    EXPECT_EQ(window.FindCurveByName("T", "Inlet")->GetOwnColor(), 0x00FF00u);

    // Equal group texts: the first record takes the first curve.
    ChannelPool same;
    RecordingCurveWnd twins;
    twins.AddChannel(same.Add("T", "C", "G"), 0, 2);
    twins.AddChannel(same.Add("T", "C", "G"), 0, 2);
    CKSTCurveWndSettings twinRecord;
    twins.GetSettings(twinRecord, false);
    twinRecord.m_Curves[0]->m_Color = 1;
    twinRecord.m_Curves[1]->m_Color = 2;
    twins.ApplyCurveSettingsByName(twinRecord, false);
    EXPECT_EQ(twins.GetCurve(0, true)->GetOwnColor(), 1u);
    EXPECT_EQ(twins.GetCurve(1, true)->GetOwnColor(), 2u);
}

TEST_F(CurveWndSettingsTest, GapsInGroupNumbersLeaveNoEmptyGroup)
{
    CKSTCurveWndSettings record;
    window.GetSettings(record, false);
    record.m_Axes[1]->m_SubIndex = 2;  // groups 0 and 2
    window.ApplySettings(record, false, false);
    EXPECT_EQ(window.GetGroupCount(), 2);
    for (int g = 0; g < window.GetGroupCount(); ++g) {
        EXPECT_GT(window.GetGroup(g)->GetCurveCount(), 0);
    }
}

struct Damage {
    const char* name;
    std::function<void(CKSTCurveWndSettings&)> apply;
};

TEST_F(CurveWndSettingsTest, DamagedRecordsNeitherCrashNorInventGroupsOrIndices)
{
    const Damage damages[] = {
        {"huge group number", [](CKSTCurveWndSettings& s) { s.m_Axes[0]->m_SubIndex = 2000000000; }},
        {"negative group", [](CKSTCurveWndSettings& s) { s.m_Axes[1]->m_SubIndex = -7; }},
        {"axis index beyond", [](CKSTCurveWndSettings& s) { s.m_Curves[0]->m_YIndex = 31000; }},
        {"axis index below", [](CKSTCurveWndSettings& s) { s.m_Curves[1]->m_YIndex = -9; }},
        {"axes font beyond", [](CKSTCurveWndSettings& s) { s.m_WindowStyleSettings.m_AxesFont = 99; }},
        {"legend font below", [](CKSTCurveWndSettings& s) { s.m_WindowStyleSettings.m_LegendFont = -3; }},
        {"image beyond", [](CKSTCurveWndSettings& s) { s.m_WindowStyleSettings.m_ImageIndex = 12; }},
        {"template beyond", [](CKSTCurveWndSettings& s) { s.m_Curves[1]->m_EventTemplateIndex = 500; }},
        {"marker font beyond", [](CKSTCurveWndSettings& s) { s.m_Curves[1]->m_Markers.at(0)->m_Font = 300; }},
        {"x range mode beyond", [](CKSTCurveWndSettings& s) { s.m_XAxisSettings.m_AxisAuto = 77; }},
        {"empty tables", [](CKSTCurveWndSettings& s) { s.RemoveAll(); }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        ChannelPool pool;
        RecordingCurveWnd target;
        target.AddChannel(pool.Add("u1", "V", "Motor"), 2, 2);
        target.AddChannel(pool.Add("i1", "A", "Motor"), 2, 2);
        target.AddChannel(pool.Add("u2", "V", "Pump"), 2, 2);
        CKSTCurveWndSettings record;
        window.GetSettings(record, false);
        ASSERT_EQ(record.m_Curves.at(1)->m_Name, "u2");
        damage.apply(record);
        target.ApplySettings(record, false, false);
        EXPECT_EQ(target.GetCurveCount(), 3);
        EXPECT_LE(target.GetGroupCount(), 3);
        EXPECT_GE(target.GetGroupCount(), 1);
        for (int i = 0; i < target.GetCurveCount(); ++i) {
            EXPECT_NE(target.GetCurve(i, true)->GetYAxis(), nullptr);
        }
    }
}

TEST(CurveWndSettingsEmptyTest, WindowWithoutCurvesTakesOnlyTheLook)
{
    RecordingCurveWnd window;
    CKSTCurveWndSettings record;
    record.m_PlotBackgroundColor = 0x112233;
    record.m_XAxisSettings.m_Type = CKSTXAxis::kTypeRelativeTime;
    CKSTFontDesc big;
    big.m_height = -30;
    record.InternFont(big);
    record.m_WindowStyleSettings.m_AxesFont = 0;
    window.ApplySettings(record, false, false);
    EXPECT_EQ(window.Settings().m_PlotBackgroundColor, 0x112233u);
    EXPECT_NE(window.Settings().m_AxesFontDesc.m_height, -30);
    EXPECT_EQ(window.GetXAxis().GetType(), CKSTXAxis::kTypeStandard);
}

TEST_F(CurveWndSettingsTest, LookOnlyKeepsTheTablesEmpty)
{
    CKSTCurveWndSettings record;
    window.GetSettings(record, true);
    EXPECT_TRUE(record.m_Groups.empty());
    EXPECT_TRUE(record.m_Axes.empty());
    EXPECT_TRUE(record.m_Curves.empty());
    EXPECT_TRUE(record.m_Templates.empty());
    EXPECT_EQ(record.m_Fonts.size(), 1u);  // axes and legend font are equal
    EXPECT_EQ(record.m_WindowStyleSettings.m_LegendFont, 0);
}

TEST_F(CurveWndSettingsTest, EventsByNameReplaceOrKeepTheCurvesEvents)
{
    CKSTCurveWndSettings record;
    window.GetSettings(record, false);
    window.FindCurveByChannelName("u1")->AddEvent(CKSTMarkerSettings(), CKSTFontDesc());
    record.m_Curves.erase(record.m_Curves.begin());  // no record names u1

    window.ApplyEventsByName(record, true);
    EXPECT_EQ(window.FindCurveByChannelName("u1")->GetEventCount(), 1);
    EXPECT_EQ(window.FindCurveByChannelName("u2")->GetEventCount(), 2);

    window.ApplyEventsByName(record, false);
    EXPECT_EQ(window.FindCurveByChannelName("u1")->GetEventCount(), 0);
    EXPECT_EQ(window.FindCurveByChannelName("u2")->GetEventCount(), 1);
}

TEST_F(CurveWndSettingsTest, ChannelVisibilityShowsListedCurvesOnly)
{
    CKSTChannelList shown;
    shown.AddPointer(pool.channels[1].get(), false);  // i1
    window.ApplyChannelVisibility(shown);
    EXPECT_EQ(window.FindCurveByChannelName("i1")->GetCurveKind(), CKSTCurve::kKindShown);
    EXPECT_EQ(window.FindCurveByChannelName("u1")->GetCurveKind(), CKSTCurve::kKindHidden);
    EXPECT_EQ(window.FindCurveByChannelName("u2")->GetCurveKind(), CKSTCurve::kKindHidden);
}

TEST_F(CurveWndSettingsTest, ArrangeTakesOnlyTheCurveKinds)
{
    CKSTCurveWndSettings record;
    window.GetSettings(record, false);
    record.m_WindowStyleSettings.m_WindowStructure = 3;
    record.m_Curves[0]->m_Visible = CKSTCurve::kKindHidden;
    record.m_Curves[0]->m_Color = 0x010101;
    window.ApplySettings(record, true, false);
    EXPECT_EQ(window.GetGroupCount(), 3);
    const CKSTCurve* first = window.FindCurveByChannelName(record.m_Curves[0]->m_Name);
    EXPECT_EQ(first->GetCurveKind(), CKSTCurve::kKindHidden);
    EXPECT_NE(first->GetOwnColor(), 0x010101u);
}

}  // namespace
