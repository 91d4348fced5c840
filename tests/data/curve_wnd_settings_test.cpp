#include "data/settings/CurveWndSettings.h"
#include "data/settings/SettingsFields.h"
#include "support/SettingsCompare.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// A text of every field of a record, tables included, so that two records can be compared as a
// whole and a difference shows where it is.

std::string Text(const CKSTString& s)
{
    return std::string("\"") + std::string(s.c_str(), static_cast<size_t>(s.GetLength())) + "\"";
}

void DumpFont(std::ostream& out, const CKSTFontDesc& f)
{
    out << "font(" << f.m_height << ' ' << f.m_width << ' ' << f.m_escapement << ' '
        << f.m_orientation << ' ' << f.m_weight << ' ' << int(f.m_italic) << ' '
        << int(f.m_underline) << ' ' << int(f.m_strikeOut) << ' ' << int(f.m_charSet) << ' '
        << int(f.m_outPrecision) << ' ' << int(f.m_clipPrecision) << ' ' << int(f.m_quality) << ' '
        << int(f.m_pitchAndFamily) << ' ' << Text(f.m_faceName) << ' ' << f.m_pointSize << ")\n";
}

void DumpImage(std::ostream& out, const CKSTRasterImage& image)
{
    out << "image(" << image.GetColumns() << 'x' << image.GetRows();
    for (uint64_t i = 0; image.GetPixels() != nullptr && i < image.GetPixelCount(); ++i) {
        out << ' ' << image.GetPixels()[i];
    }
    out << ")\n";
}

void DumpMarker(std::ostream& out, const CKSTMarkerSettings& m)
{
    out << "marker(" << Text(m.m_Text) << ' ' << m.m_Type << ' ' << m.m_Value << ' '
        << int(m.m_AtPoint) << ' ' << m.m_Color << ' ' << int(m.m_Frame) << ' ' << int(m.m_Pointer)
        << ' ' << m.m_BackgroundColor << ' ' << m.m_Rotation << ' ' << m.m_Font << ")\n";
}

void DumpAxis(std::ostream& out, const CKSTAxisSettings& a)
{
    out << "axis(" << a.m_SubIndex << ' ' << a.m_Type << ' ' << Text(a.m_Unit) << ' '
        << a.m_MinValue << ' ' << a.m_MaxValue << ' ' << a.m_TickWidth << ' ' << int(a.m_TickAuto)
        << ' ' << int(a.m_AxisAuto) << ' ' << a.m_UnitType << ' ' << a.m_Color << ' '
        << int(a.m_Reversed) << ' ' << int(a.m_Hidden) << ' ' << a.m_MeterAngle << ' '
        << int(a.m_Expanded) << ")\n";
}

void DumpCurve(std::ostream& out, const CKSTCurveSettings& c)
{
    out << "curve(" << c.m_YIndex << ' ' << Text(c.m_Name) << ' ' << Text(c.m_Group) << ' '
        << c.m_PlotStyle << ' ' << c.m_Symbol << ' ' << c.m_ValueList << ' ' << c.m_Color << ' '
        << c.m_Visible << ' ' << int(c.m_ShowValue) << ' ' << int(c.m_ShowInLegend) << ' '
        << int(c.m_ShowAtCursor) << ' ' << c.m_MarkerVisible << ' ' << Text(c.m_Unit) << ' '
        << int(c.m_GapInterpol) << ' ' << c.m_Decimals << ' ' << c.m_EventTemplateIndex << ")\n";
    for (const auto& l : c.m_Limits) {
        out << "  limit(" << l->m_Value << ' ' << l->m_LineStyle << ' ' << l->m_Color << ")\n";
    }
    for (const auto& m : c.m_Markers) {
        out << "  ";
        DumpMarker(out, *m);
    }
}

std::string Dump(const CKSTCurveWndSettings& s)
{
    std::ostringstream out;
    out << "colours " << s.m_BackgroundColor << ' ' << s.m_PlotBackgroundColor << ' '
        << s.m_XTextColor << ' ' << s.m_YTextColor << ' ' << s.m_LegendTextColor << ' '
        << s.m_GridColor << '\n';
    out << "axes ";
    DumpFont(out, s.m_AxesFontDesc);
    out << "legend ";
    DumpFont(out, s.m_LegendFontDesc);
    out << "sizes " << s.m_BorderWidth << ' ' << s.m_MinGroupHeight << ' ' << s.m_MainTickLength
        << ' ' << s.m_SubTickLength << ' ' << s.m_AutoTickDistX << ' ' << s.m_AutoTickDistY << '\n';
    out << "flags " << int(s.m_GridVisible) << ' ' << int(s.m_LegendGroup) << ' '
        << int(s.m_BColorGradient) << ' ' << s.m_ImagePlacement << ' ' << int(s.m_CursorCross)
        << ' ' << int(s.m_CursorTextName) << ' ' << s.m_LegendStyle << ' ' << s.m_LegendAlign
        << '\n';
    out << "background ";
    DumpImage(out, s.m_BackgroundImage);
    const CKSTWindowStyleSettings& w = s.m_WindowStyleSettings;
    out << "window " << w.m_WindowStyle << ' ' << w.m_WindowStructure << ' ' << w.m_XPlotIndex
        << ' ' << Text(w.m_WindowXPlotName) << ' ' << w.m_AxesFont << ' ' << w.m_LegendFont << ' '
        << w.m_ImageIndex << '\n';
    const CKSTXAxisSettings& x = s.m_XAxisSettings;
    out << "x " << x.m_Type << ' ' << Text(x.m_Unit) << ' ' << x.m_MinValue << ' ' << x.m_MaxValue
        << ' ' << x.m_RangeValue << ' ' << x.m_TickWidth << ' ' << int(x.m_TickAuto) << ' '
        << int(x.m_TicksAtPoints) << ' ' << x.m_AxisAuto << ' ' << x.m_UnitType << ' '
        << x.m_Rotation << ' ' << int(x.m_OnlyStandard) << '\n';
    for (const auto& f : s.m_Fonts) {
        DumpFont(out, *f);
    }
    for (const auto& i : s.m_Images) {
        DumpImage(out, *i);
    }
    for (const auto& g : s.m_Groups) {
        out << "group(" << g->m_RelativeHeight << ")\n";
    }
    for (const auto& a : s.m_Axes) {
        DumpAxis(out, *a);
    }
    for (const auto& c : s.m_Curves) {
        DumpCurve(out, *c);
    }
    for (const auto& t : s.m_Templates) {
        out << "template ";
        DumpMarker(out, *t);
    }
    return out.str();
}

CKSTRasterImage Picture(uint32_t columns, uint32_t rows, uint32_t first)
{
    CKSTRasterImage image;
    EXPECT_TRUE(image.Create(columns, rows));
    for (uint64_t i = 0; i < image.GetPixelCount(); ++i) {
        image.GetPixels()[i] = first + static_cast<uint32_t>(i);
    }
    return image;
}

CKSTFontDesc Font(const char* face, int32_t height)
{
    CKSTFontDesc font;
    font.m_faceName = face;
    font.m_height = height;
    return font;
}

CKSTMarkerSettings Marker(const char* text, double value, int16_t font)
{
    CKSTMarkerSettings marker;
    marker.m_Text = text;
    marker.m_Value = value;
    marker.m_Font = font;
    return marker;
}

// A record with every field away from its default and every table filled.
CKSTCurveWndSettings FilledRecord()
{
    CKSTCurveWndSettings s;
    s.m_BackgroundColor = 0x112233;
    s.m_PlotBackgroundColor = KST_COLOR_NONE;
    s.m_XTextColor = 0x0000FF;
    s.m_YTextColor = 0x00FF00;
    s.m_LegendTextColor = 0xFF0000;
    s.m_GridColor = 0x808080;
    s.m_AxesFontDesc = Font("Courier New", -13);
    s.m_LegendFontDesc = Font("Times New Roman", -9);
    s.m_BorderWidth = 7;
    s.m_MinGroupHeight = 44;
    s.m_MainTickLength = 6;
    s.m_SubTickLength = 3;
    s.m_AutoTickDistX = 100;
    s.m_AutoTickDistY = 30;
    s.m_GridVisible = 0;
    s.m_LegendGroup = 2;
    s.m_BColorGradient = 0;
    s.m_BackgroundImage = Picture(3, 2, 100);
    s.m_ImagePlacement = 5;
    s.m_CursorCross = 1;
    s.m_CursorTextName = 0;
    s.m_LegendStyle = 2;
    s.m_LegendAlign = 1;
    s.m_WindowStyleSettings.m_WindowStyle = 3;
    s.m_WindowStyleSettings.m_WindowStructure = 2;
    s.m_WindowStyleSettings.m_XPlotIndex = 1;
    s.m_WindowStyleSettings.m_WindowXPlotName = "Time";
    s.m_WindowStyleSettings.m_AxesFont = 0;
    s.m_WindowStyleSettings.m_LegendFont = 1;
    s.m_WindowStyleSettings.m_ImageIndex = 0;
    s.m_XAxisSettings.m_Type = 2;
    s.m_XAxisSettings.m_Unit = "s";
    s.m_XAxisSettings.m_MinValue = -5.5;
    s.m_XAxisSettings.m_MaxValue = 60.25;
    s.m_XAxisSettings.m_RangeValue = 65.75;
    s.m_XAxisSettings.m_TickWidth = 5.0;
    s.m_XAxisSettings.m_TickAuto = 0;
    s.m_XAxisSettings.m_TicksAtPoints = 1;
    s.m_XAxisSettings.m_AxisAuto = 2;
    s.m_XAxisSettings.m_UnitType = 1;
    s.m_XAxisSettings.m_Rotation = 90;
    s.m_XAxisSettings.m_OnlyStandard = 1;

    s.InternFont(s.m_AxesFontDesc);
    s.InternFont(s.m_LegendFontDesc);
    s.InternImage(s.m_BackgroundImage);
    CKSTGroupSettings group;
    group.m_RelativeHeight = 2.5;
    s.AddGroupSettings(&group);
    s.AddGroupSettings(nullptr);
    CKSTAxisSettings axis;
    axis.m_Unit = "V";
    axis.m_MinValue = -1.0;
    axis.m_Color = 0x0000C0;
    axis.m_Reversed = 1;
    axis.m_MeterAngle = 270.0;
    s.AddAxisSettings(&axis, 0);
    s.CreateAxis(1, "A");
    CKSTCurveSettings curve;
    curve.m_Name = "U1";
    curve.m_Group = "Motor";
    curve.m_Unit = "V";
    curve.m_Color = 0x00FF00;
    curve.m_Decimals = 3;
    curve.m_EventTemplateIndex = 0;
    CKSTLimitSettings limit;
    limit.m_Value = 4.5;
    limit.m_LineStyle = 2;
    curve.AddLimit(&limit);
    curve.AddLimit(nullptr);
    const CKSTMarkerSettings start = Marker("start", 1.25, 1);
    curve.AddMarker(&start, 1);
    s.AddCurveSettings(&curve, 0);
    s.AddCurveForChannel("I1", "Motor", "A");
    const CKSTMarkerSettings stop = Marker("stop", 9.0, 0);
    s.m_Curves[1]->AddMarker(&stop, 0);
    s.InternTemplate(Marker("template", 0.0, 1));
    return s;
}

// Addresses of every owned element, tables and nested tables.
std::vector<const void*> Elements(const CKSTCurveWndSettings& s)
{
    std::vector<const void*> elements;
    for (const auto& p : s.m_Fonts)
        elements.push_back(p.get());
    for (const auto& p : s.m_Images)
        elements.push_back(p.get());
    for (const auto& p : s.m_Groups)
        elements.push_back(p.get());
    for (const auto& p : s.m_Axes)
        elements.push_back(p.get());
    for (const auto& p : s.m_Templates)
        elements.push_back(p.get());
    for (const auto& c : s.m_Curves) {
        elements.push_back(c.get());
        for (const auto& p : c->m_Limits)
            elements.push_back(p.get());
        for (const auto& p : c->m_Markers)
            elements.push_back(p.get());
    }
    return elements;
}

// ---------------------------------------------------------------------------------------------
// Defaults

struct DefaultCase {
    const char* field;
    double actual;
    double expected;
};

TEST(CurveWndSettings, DefaultRecord)
{
    const CKSTCurveWndSettings s;
    const CKSTWindowStyleSettings& w = s.m_WindowStyleSettings;
    const CKSTXAxisSettings& x = s.m_XAxisSettings;
    const DefaultCase cases[] = {
        {"BackgroundColor", double(s.m_BackgroundColor), double(KstSystemMenuColor())},
        {"PlotBackgroundColor", double(s.m_PlotBackgroundColor), double(0xFFFFFF)},
        {"XTextColor", double(s.m_XTextColor), 0.0},
        {"YTextColor", double(s.m_YTextColor), double(0xC00000)},
        {"LegendTextColor", double(s.m_LegendTextColor), 0.0},
        {"GridColor", double(s.m_GridColor), double(0xC0C0C0)},
        {"BorderWidth", double(s.m_BorderWidth), 5},
        {"MinGroupHeight", double(s.m_MinGroupHeight), 30},
        {"MainTickLength", double(s.m_MainTickLength), 4},
        {"SubTickLength", double(s.m_SubTickLength), 2},
        {"AutoTickDistX", double(s.m_AutoTickDistX), 90},
        {"AutoTickDistY", double(s.m_AutoTickDistY), 25},
        {"GridVisible", double(s.m_GridVisible), 1},
        {"LegendGroup", double(s.m_LegendGroup), 0},
        {"BColorGradient", double(s.m_BColorGradient), 1},
        {"ImagePlacement", double(s.m_ImagePlacement), 12},
        {"CursorCross", double(s.m_CursorCross), 0},
        {"CursorTextName", double(s.m_CursorTextName), 1},
        {"LegendStyle", double(s.m_LegendStyle), 1},
        {"LegendAlign", double(s.m_LegendAlign), 4},
        {"WindowStyle", double(w.m_WindowStyle), 0},
        {"WindowStructure", double(w.m_WindowStructure), 0},
        {"XPlotIndex", double(w.m_XPlotIndex), -1},
        {"AxesFont", double(w.m_AxesFont), -1},
        {"LegendFont", double(w.m_LegendFont), -1},
        {"ImageIndex", double(w.m_ImageIndex), -1},
        {"XAXIS Type", double(x.m_Type), 1},
        {"XAXIS MinValue", x.m_MinValue, 0.0},
        {"XAXIS MaxValue", x.m_MaxValue, 10.0},
        {"XAXIS RangeValue", x.m_RangeValue, 10.0},
        {"XAXIS TickWidth", x.m_TickWidth, 1.0},
        {"XAXIS TickAuto", double(x.m_TickAuto), 1},
        {"XAXIS TicksAtPoints", double(x.m_TicksAtPoints), 0},
        {"XAXIS AxisAuto", double(x.m_AxisAuto), 0},
        {"XAXIS UnitType", double(x.m_UnitType), 3},
        {"XAXIS Rotation", double(x.m_Rotation), 0},
        {"XAXIS OnlyStandard", double(x.m_OnlyStandard), 0},
    };
    for (const DefaultCase& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(c.expected, c.actual);
    }
    EXPECT_TRUE(w.m_WindowXPlotName.IsEmpty());
    EXPECT_TRUE(x.m_Unit.IsEmpty());
    EXPECT_EQ(CKSTFontDesc(), s.m_AxesFontDesc);
    EXPECT_EQ(CKSTFontDesc(), s.m_LegendFontDesc);
    EXPECT_EQ(0u, s.m_BackgroundImage.GetPixelCount());
    EXPECT_TRUE(s.m_Fonts.empty());
    EXPECT_TRUE(s.m_Images.empty());
    EXPECT_TRUE(s.m_Groups.empty());
    EXPECT_TRUE(s.m_Axes.empty());
    EXPECT_TRUE(s.m_Curves.empty());
    EXPECT_TRUE(s.m_Templates.empty());
}

TEST(CurveWndSettings, DefaultTableRecords)
{
    const CKSTGroupSettings g;
    const CKSTAxisSettings a;
    const CKSTCurveSettings c;
    const CKSTLimitSettings l;
    const CKSTMarkerSettings m;
    const DefaultCase cases[] = {
        {"SUBWINDOW RelativeHeight", g.m_RelativeHeight, 1.0},
        {"YAXIS SubIndex", double(a.m_SubIndex), -1},
        {"YAXIS Type", double(a.m_Type), 0},
        {"YAXIS MinValue", a.m_MinValue, 0.0},
        {"YAXIS MaxValue", a.m_MaxValue, 10.0},
        {"YAXIS TickWidth", a.m_TickWidth, 1.0},
        {"YAXIS TickAuto", double(a.m_TickAuto), 1},
        {"YAXIS AxisAuto", double(a.m_AxisAuto), 1},
        {"YAXIS UnitType", double(a.m_UnitType), 3},
        {"YAXIS Color", double(a.m_Color), double(0xFFFFFFFFu)},
        {"YAXIS Reversed", double(a.m_Reversed), 0},
        {"YAXIS Hidden", double(a.m_Hidden), 0},
        {"YAXIS MeterAngle", a.m_MeterAngle, 0.0},
        {"YAXIS expanded", double(a.m_Expanded), 0},
        {"PLOT YIndex", double(c.m_YIndex), -1},
        {"PLOT PlotStyle", double(c.m_PlotStyle), 0},
        {"PLOT Symbol", double(c.m_Symbol), 0},
        {"PLOT ValueList", double(c.m_ValueList), 0},
        {"PLOT Color", double(c.m_Color), double(0xFFFFFFFFu)},
        {"PLOT Visible", double(c.m_Visible), 1},
        {"PLOT ShowValue", double(c.m_ShowValue), 0},
        {"PLOT legend flag", double(c.m_ShowInLegend), 1},
        {"PLOT cursor flag", double(c.m_ShowAtCursor), 1},
        {"PLOT MarkerVisible", double(c.m_MarkerVisible), 1},
        {"PLOT GapInterpol", double(c.m_GapInterpol), 0},
        {"PLOT decimals", double(c.m_Decimals), -1},
        {"PLOT EventTemplateIndex", double(c.m_EventTemplateIndex), -1},
        {"LIMIT Value", l.m_Value, 0.0},
        {"LIMIT LineStyle", double(l.m_LineStyle), 0},
        {"LIMIT Color", double(l.m_Color), double(0xFFFFFFFFu)},
        {"MARKER Type", double(m.m_Type), 1},
        {"MARKER Value", m.m_Value, 0.0},
        {"MARKER AtPoint", double(m.m_AtPoint), 1},
        {"MARKER Color", double(m.m_Color), double(0xFFFFFFFFu)},
        {"MARKER Frame", double(m.m_Frame), 1},
        {"MARKER Pointer", double(m.m_Pointer), 1},
        {"MARKER BackgroundColor", double(m.m_BackgroundColor), double(0xFFFFFFFFu)},
        {"MARKER Rotation", double(m.m_Rotation), 0},
        {"MARKER Font", double(m.m_Font), -1},
    };
    for (const DefaultCase& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(c.expected, c.actual);
    }
    EXPECT_TRUE(a.m_Unit.IsEmpty());
    EXPECT_TRUE(c.m_Name.IsEmpty());
    EXPECT_TRUE(c.m_Group.IsEmpty());
    EXPECT_TRUE(c.m_Unit.IsEmpty());
    EXPECT_TRUE(c.m_Limits.empty());
    EXPECT_TRUE(c.m_Markers.empty());
    EXPECT_TRUE(m.m_Text.IsEmpty());
}

// ---------------------------------------------------------------------------------------------
// Value semantics

// The copy holds the source's content in elements of its own: changing or destroying the
// source afterwards leaves it alone.
using CopyMaker = std::function<std::unique_ptr<CKSTCurveWndSettings>(const CKSTCurveWndSettings&)>;

void ExpectIndependentCopy(const CopyMaker& makeCopy, uint16_t expectedMinGroupHeight)
{
    auto source = std::make_unique<CKSTCurveWndSettings>(FilledRecord());
    source->m_MinGroupHeight = 44;
    const std::unique_ptr<CKSTCurveWndSettings> made = makeCopy(*source);
    CKSTCurveWndSettings& copy = *made;

    EXPECT_EQ(expectedMinGroupHeight, copy.m_MinGroupHeight);
    copy.m_MinGroupHeight = source->m_MinGroupHeight;
    EXPECT_EQ(Dump(*source), Dump(copy));
    copy.m_MinGroupHeight = expectedMinGroupHeight;

    const std::vector<const void*> sourceElements = Elements(*source);
    for (const void* element : Elements(copy)) {
        EXPECT_EQ(sourceElements.end(),
                  std::find(sourceElements.begin(), sourceElements.end(), element));
    }

    const std::string before = Dump(copy);
    source->m_Fonts[0]->m_faceName = "Changed";
    source->m_Images[0]->GetPixels()[0] = 0xDEAD;
    source->m_Groups[1]->m_RelativeHeight = 9.0;
    source->m_Axes[0]->m_Unit = "mV";
    source->m_Curves[0]->m_Name = "renamed";
    source->m_Curves[0]->m_Limits[0]->m_Value = -1.0;
    source->m_Curves[1]->m_Markers[0]->m_Text = "moved";
    source->m_Curves[1]->AddLimit(nullptr);
    source->m_Templates[0]->m_Color = 0x123456;
    source->m_BackgroundImage.GetPixels()[0] = 0xBEEF;
    source->m_AxesFontDesc.m_weight = 900;
    source->m_XAxisSettings.m_Unit = "h";
    source->m_WindowStyleSettings.m_WindowXPlotName = "X";
    EXPECT_EQ(before, Dump(copy));

    source->RemoveAll();
    EXPECT_EQ(before, Dump(copy));
    source.reset();
    EXPECT_EQ(before, Dump(copy));
}

TEST(CurveWndSettings, CopyConstructionIsDeepAndKeepsTheDefaultMinGroupHeight)
{
    ExpectIndependentCopy(
        [](const CKSTCurveWndSettings& s) { return std::make_unique<CKSTCurveWndSettings>(s); },
        30);
}

TEST(CurveWndSettings, AssignmentReplacesEveryTableAndKeepsTheTargetsMinGroupHeight)
{
    // Targets with more and with fewer elements than the source in every table.
    const std::function<CKSTCurveWndSettings()> targets[] = {
        [] { return CKSTCurveWndSettings(); },
        [] {
            CKSTCurveWndSettings t = FilledRecord();
            for (int i = 0; i < 3; ++i) {
                t.InternFont(Font("Extra", -20 - i));
                t.InternImage(Picture(1, 1, 7 + i));
                t.AddGroupSettings(nullptr);
                t.CreateAxis(5, "extra");
                t.AddCurveSettings(nullptr, 2);
                t.m_Curves[0]->AddLimit(nullptr);
                t.m_Curves[0]->AddMarker(nullptr, -1);
                t.InternTemplate(Marker("extra", i, -1));
            }
            return t;
        },
    };
    for (const auto& makeTarget : targets) {
        ExpectIndependentCopy(
            [&makeTarget](const CKSTCurveWndSettings& s) {
                auto target = std::make_unique<CKSTCurveWndSettings>(makeTarget());
                target->m_MinGroupHeight = 77;
                *target = s;
                return target;
            },
            77);
    }
}

TEST(CurveWndSettings, SelfAssignmentLeavesTheRecordUnchanged)
{
    CKSTCurveWndSettings s = FilledRecord();
    const std::string before = Dump(s);
    const std::vector<const void*> elements = Elements(s);
    CKSTCurveWndSettings& alias = s;
    s = alias;
    EXPECT_EQ(before, Dump(s));
    EXPECT_EQ(elements, Elements(s));
}

TEST(CurveWndSettings, CopiesOfAnEmptyRecord)
{
    CKSTCurveWndSettings empty;
    empty.m_BackgroundColor = 0x010203;  // independent of the platform's menu colour
    const CKSTCurveWndSettings constructed(empty);
    EXPECT_EQ(Dump(empty), Dump(constructed));

    CKSTCurveWndSettings assigned = FilledRecord();
    assigned.m_MinGroupHeight = 30;
    assigned = empty;
    EXPECT_EQ(Dump(empty), Dump(assigned));

    CKSTCurveWndSettings cleared = FilledRecord();
    cleared.RemoveAll();
    const CKSTCurveWndSettings copyOfCleared(cleared);
    EXPECT_TRUE(Elements(copyOfCleared).empty());
}

TEST(CurveSettings, CopiesAreDeepAndReplaceTheTargetsLists)
{
    CKSTCurveSettings source;
    source.m_Name = "U1";
    source.AddLimit(nullptr);
    const CKSTMarkerSettings marker = Marker("m", 2.0, 3);
    source.AddMarker(&marker, 4);
    ASSERT_EQ(4, source.m_Markers[0]->m_Font);  // the given font index wins

    CKSTCurveSettings target;
    for (int i = 0; i < 3; ++i) {
        target.AddLimit(nullptr);
        target.AddMarker(nullptr, -1);
    }
    target = source;
    ASSERT_EQ(1u, target.m_Limits.size());
    ASSERT_EQ(1u, target.m_Markers.size());
    EXPECT_NE(source.m_Markers[0].get(), target.m_Markers[0].get());
    EXPECT_TRUE(source.m_Markers[0]->IsEqual(*target.m_Markers[0]));

    CKSTCurveSettings& alias = target;
    target = alias;
    EXPECT_EQ(1u, target.m_Markers.size());

    target.ClearLists();
    EXPECT_TRUE(target.m_Limits.empty());
    EXPECT_TRUE(target.m_Markers.empty());
    EXPECT_EQ(1u, source.m_Markers.size());
}

struct LookChange {
    const char* name;
    std::function<void(CKSTCurveWndSettings&)> change;
};

// ---------------------------------------------------------------------------------------------
// The field list

// One change in each part of a record, the parts the look comparison leaves out included: the
// field list sees every one, and a copy (MinGroupHeight aside) none.
TEST(SettingsFields, EveryPartOfARecordTakesPart)
{
    const CKSTCurveWndSettings original = FilledRecord();
    CKSTCurveWndSettings copy = original;
    EXPECT_FALSE(KstSameFields(original, copy));  // the copy's MinGroupHeight is the default
    copy.m_MinGroupHeight = original.m_MinGroupHeight;
    EXPECT_TRUE(KstSameFields(original, copy));

    const LookChange changes[] = {
        {"window field", [](CKSTCurveWndSettings& s) { s.m_LegendGroup = 0; }},
        {"live font", [](CKSTCurveWndSettings& s) { s.m_AxesFontDesc.m_weight = 900; }},
        {"background picture",
         [](CKSTCurveWndSettings& s) { s.m_BackgroundImage.GetPixels()[0] = 1; }},
        {"window style", [](CKSTCurveWndSettings& s) { s.m_WindowStyleSettings.m_XPlotIndex = 0; }},
        {"X axis", [](CKSTCurveWndSettings& s) { s.m_XAxisSettings.m_Unit = "h"; }},
        {"font table", [](CKSTCurveWndSettings& s) { s.m_Fonts[1]->m_height = -10; }},
        {"image table", [](CKSTCurveWndSettings& s) { s.m_Images[0]->GetPixels()[1] = 1; }},
        {"group", [](CKSTCurveWndSettings& s) { s.m_Groups[1]->m_RelativeHeight = 0.5; }},
        {"axis", [](CKSTCurveWndSettings& s) { s.m_Axes[1]->m_Expanded = 1; }},
        {"curve", [](CKSTCurveWndSettings& s) { s.m_Curves[0]->m_Unit = "mV"; }},
        {"level line", [](CKSTCurveWndSettings& s) { s.m_Curves[0]->m_Limits[1]->m_Value = 1; }},
        {"event", [](CKSTCurveWndSettings& s) { s.m_Curves[1]->m_Markers[0]->m_Text = "go"; }},
        {"template", [](CKSTCurveWndSettings& s) { s.m_Templates[0]->m_Font = -1; }},
        {"one more entry", [](CKSTCurveWndSettings& s) { s.m_Curves[1]->AddLimit(nullptr); }},
    };
    for (const LookChange& c : changes) {
        SCOPED_TRACE(c.name);
        CKSTCurveWndSettings changed = original;
        changed.m_MinGroupHeight = original.m_MinGroupHeight;
        c.change(changed);
        EXPECT_FALSE(KstSameFields(original, changed));
        EXPECT_FALSE(KstSameFields(changed, original));
    }

    // The tests' comparer names the field.
    CKSTCurveWndSettings changed = copy;
    changed.m_MinGroupHeight = copy.m_MinGroupHeight;
    changed.m_Curves[1]->m_Markers[0]->m_Text = "go";
    EXPECT_NONFATAL_FAILURE(kst_test::ExpectSameFields(copy, changed),
                            "Curves[1].Markers[0].Text: \"stop\" vs \"go\"");
}

// ---------------------------------------------------------------------------------------------
// Comparison

TEST(CurveWndSettings, EqualityCoversTheLookOnly)
{
    EXPECT_TRUE(CKSTCurveWndSettings() == CKSTCurveWndSettings());

    const LookChange compared[] = {
        {"AutoTickDistX", [](CKSTCurveWndSettings& s) { s.m_AutoTickDistX = 1; }},
        {"AutoTickDistY", [](CKSTCurveWndSettings& s) { s.m_AutoTickDistY = 1; }},
        {"PlotBackgroundColor", [](CKSTCurveWndSettings& s) { s.m_PlotBackgroundColor = 1; }},
        {"BackgroundColor", [](CKSTCurveWndSettings& s) { s.m_BackgroundColor ^= 1; }},
        {"BColorGradient", [](CKSTCurveWndSettings& s) { s.m_BColorGradient = 0; }},
        {"BackgroundImage size",
         [](CKSTCurveWndSettings& s) { s.m_BackgroundImage = Picture(1, 1, 0); }},
        {"BorderWidth", [](CKSTCurveWndSettings& s) { s.m_BorderWidth = 1; }},
        {"GridColor", [](CKSTCurveWndSettings& s) { s.m_GridColor = 1; }},
        {"XTextColor", [](CKSTCurveWndSettings& s) { s.m_XTextColor = 1; }},
        {"YTextColor", [](CKSTCurveWndSettings& s) { s.m_YTextColor = 1; }},
        {"LegendTextColor", [](CKSTCurveWndSettings& s) { s.m_LegendTextColor = 1; }},
        {"AxesFontDesc", [](CKSTCurveWndSettings& s) { s.m_AxesFontDesc.m_faceName = "arial"; }},
        {"LegendFontDesc", [](CKSTCurveWndSettings& s) { s.m_LegendFontDesc.m_pointSize = 90; }},
        {"GridVisible", [](CKSTCurveWndSettings& s) { s.m_GridVisible = 0; }},
        {"MainTickLength", [](CKSTCurveWndSettings& s) { s.m_MainTickLength = 1; }},
        {"SubTickLength", [](CKSTCurveWndSettings& s) { s.m_SubTickLength = 1; }},
        {"LegendStyle", [](CKSTCurveWndSettings& s) { s.m_LegendStyle = 0; }},
        {"LegendAlign", [](CKSTCurveWndSettings& s) { s.m_LegendAlign = 0; }},
        {"CursorCross", [](CKSTCurveWndSettings& s) { s.m_CursorCross = 1; }},
        {"CursorTextName", [](CKSTCurveWndSettings& s) { s.m_CursorTextName = 0; }},
        {"ImagePlacement", [](CKSTCurveWndSettings& s) { s.m_ImagePlacement = 5; }},
    };
    const LookChange ignored[] = {
        {"LegendGroup", [](CKSTCurveWndSettings& s) { s.m_LegendGroup = 1; }},
        {"MinGroupHeight", [](CKSTCurveWndSettings& s) { s.m_MinGroupHeight = 1; }},
        {"window style",
         [](CKSTCurveWndSettings& s) { s.m_WindowStyleSettings.m_WindowStyle = 2; }},
        {"X axis", [](CKSTCurveWndSettings& s) { s.m_XAxisSettings.m_MaxValue = 1.0; }},
        {"tables",
         [](CKSTCurveWndSettings& s) {
             s.InternFont(CKSTFontDesc());
             s.CreateAxisForUnit("V");
             s.AddCurveForChannel("U", "", "V");
         }},
    };
    const CKSTCurveWndSettings reference;
    for (const LookChange& c : compared) {
        SCOPED_TRACE(c.name);
        CKSTCurveWndSettings changed;
        c.change(changed);
        EXPECT_FALSE(changed == reference);
        EXPECT_TRUE(changed != reference);
    }
    for (const LookChange& c : ignored) {
        SCOPED_TRACE(c.name);
        CKSTCurveWndSettings changed;
        c.change(changed);
        EXPECT_TRUE(changed == reference);
        EXPECT_FALSE(changed != reference);
    }

    // Pictures of one size compare by their pixels.
    CKSTCurveWndSettings a;
    CKSTCurveWndSettings b;
    a.m_BackgroundImage = Picture(2, 2, 1);
    b.m_BackgroundImage = Picture(2, 2, 1);
    EXPECT_TRUE(a == b);
    b.m_BackgroundImage.GetPixels()[3] = 0;
    EXPECT_TRUE(a != b);
}

// ---------------------------------------------------------------------------------------------
// Tables

TEST(CurveWndSettings, InterningReusesEqualEntries)
{
    CKSTCurveWndSettings s;
    EXPECT_EQ(0, s.InternFont(Font("Arial", -11)));
    EXPECT_EQ(1, s.InternFont(Font("Arial", -12)));
    EXPECT_EQ(0, s.InternFont(Font("Arial", -11)));
    EXPECT_EQ(2, s.InternFont(Font("arial", -11)));
    EXPECT_EQ(3u, s.m_Fonts.size());

    EXPECT_EQ(-1, s.InternImage(CKSTRasterImage()));
    CKSTRasterImage released = Picture(2, 2, 0);
    released.Free();
    EXPECT_EQ(-1, s.InternImage(released));
    EXPECT_TRUE(s.m_Images.empty());
    EXPECT_EQ(0, s.InternImage(Picture(2, 1, 5)));
    EXPECT_EQ(1, s.InternImage(Picture(1, 2, 5)));
    EXPECT_EQ(0, s.InternImage(Picture(2, 1, 5)));
    EXPECT_EQ(2u, s.m_Images.size());

    const CKSTMarkerSettings base = Marker("t", 1.5, 0);
    EXPECT_EQ(0, s.InternTemplate(base));
    EXPECT_EQ(0, s.InternTemplate(base));
    const std::function<void(CKSTMarkerSettings&)> changes[] = {
        [](CKSTMarkerSettings& m) { m.m_Text = "T"; },
        [](CKSTMarkerSettings& m) { m.m_Type = 2; },
        [](CKSTMarkerSettings& m) { m.m_Value = 1.5000000001; },
        [](CKSTMarkerSettings& m) { m.m_AtPoint = 0; },
        [](CKSTMarkerSettings& m) { m.m_Color = 1; },
        [](CKSTMarkerSettings& m) { m.m_Frame = 0; },
        [](CKSTMarkerSettings& m) { m.m_Pointer = 0; },
        [](CKSTMarkerSettings& m) { m.m_BackgroundColor = 1; },
        [](CKSTMarkerSettings& m) { m.m_Rotation = 90; },
        [](CKSTMarkerSettings& m) { m.m_Font = 1; },
    };
    int expected = 1;
    for (const auto& change : changes) {
        SCOPED_TRACE(expected);
        CKSTMarkerSettings other = base;
        change(other);
        EXPECT_EQ(expected, s.InternTemplate(other));
        EXPECT_EQ(expected, s.InternTemplate(other));
        ++expected;
    }
}

TEST(CurveWndSettings, AddingRecordsSetsTheirReferences)
{
    CKSTCurveWndSettings s;
    CKSTAxisSettings axis;
    axis.m_Unit = "V";
    axis.m_SubIndex = 9;
    EXPECT_EQ(0, s.AddAxisSettings(&axis, 2));
    EXPECT_EQ(2, s.m_Axes[0]->m_SubIndex);
    EXPECT_EQ(CKSTString("V"), s.m_Axes[0]->m_Unit);
    EXPECT_EQ(1, s.CreateAxis(4, "A"));
    EXPECT_EQ(4, s.m_Axes[1]->m_SubIndex);
    EXPECT_EQ(1.0, s.m_Axes[1]->m_TickWidth);
    EXPECT_EQ(2, s.CreateAxisForUnit("Hz"));
    EXPECT_EQ(5, s.m_Axes[2]->m_SubIndex);

    CKSTCurveSettings curve;
    curve.m_Name = "c";
    curve.m_YIndex = 7;
    EXPECT_EQ(0, s.AddCurveSettings(&curve, 1));
    EXPECT_EQ(1, s.m_Curves[0]->m_YIndex);
    EXPECT_EQ(1, s.AddCurveSettings(nullptr, 2));
    EXPECT_EQ(1, s.FindCurveOfAxis(2));
    EXPECT_EQ(-1, s.FindCurveOfAxis(0));
    EXPECT_EQ(1, s.FindAxisOfGroup(4));
    EXPECT_EQ(-1, s.FindAxisOfGroup(3));
}

TEST(CurveWndSettings, NextGroupNumber)
{
    struct Case {
        std::vector<int32_t> groups;
        int32_t next;
    };
    const Case cases[] = {
        {{}, 0},
        {{0, 4, 2}, 5},
        {{-1}, 0},
        {{2147483647}, 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.groups));
        CKSTCurveWndSettings s;
        for (int32_t g : c.groups) {
            s.CreateAxis(g, "");
        }
        EXPECT_EQ(c.next, s.GetNextGroupNumber());
    }
}

TEST(CurveWndSettings, CurvesForChannelsShareTheAxisOfTheirUnit)
{
    CKSTCurveWndSettings s;
    EXPECT_EQ(0, s.AddCurveForChannel("U1", "Motor", "V"));
    EXPECT_EQ(1, s.AddCurveForChannel("I1", "", "A"));
    EXPECT_EQ(2, s.AddCurveForChannel("U2", "Pump", "V"));
    ASSERT_EQ(2u, s.m_Axes.size());
    EXPECT_EQ(0, s.m_Axes[0]->m_SubIndex);
    EXPECT_EQ(CKSTString("V"), s.m_Axes[0]->m_Unit);
    EXPECT_EQ(1, s.m_Axes[1]->m_SubIndex);
    EXPECT_EQ(CKSTString("A"), s.m_Axes[1]->m_Unit);
    ASSERT_EQ(3u, s.m_Curves.size());
    const int16_t axes[] = {0, 1, 0};
    const char* names[] = {"U1", "I1", "U2"};
    const char* groups[] = {"Motor", "", "Pump"};
    const char* units[] = {"V", "A", "V"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(axes[i], s.m_Curves[i]->m_YIndex);
        EXPECT_EQ(CKSTString(names[i]), s.m_Curves[i]->m_Name);
        EXPECT_EQ(CKSTString(groups[i]), s.m_Curves[i]->m_Group);
        EXPECT_EQ(CKSTString(units[i]), s.m_Curves[i]->m_Unit);
    }
}

TEST(CurveWndSettings, ReplacingGroupsAndAxes)
{
    CKSTCurveWndSettings s;
    s.CreateAxis(1, "");
    s.CreateAxis(2, "");
    s.CreateAxis(1, "");
    s.ReplaceAxisGroup(1, 3);
    EXPECT_EQ(3, s.m_Axes[0]->m_SubIndex);
    EXPECT_EQ(2, s.m_Axes[1]->m_SubIndex);
    EXPECT_EQ(3, s.m_Axes[2]->m_SubIndex);

    s.AddCurveSettings(nullptr, 0);
    s.AddCurveSettings(nullptr, -1);
    s.AddCurveSettings(nullptr, 0);
    s.ReplaceCurveAxis(0, 2);
    EXPECT_EQ(2, s.m_Curves[0]->m_YIndex);
    EXPECT_EQ(-1, s.m_Curves[1]->m_YIndex);
    EXPECT_EQ(2, s.m_Curves[2]->m_YIndex);
    // Indices are 16-bit: 65535 names the same curves as -1.
    s.ReplaceCurveAxis(65535, 1);
    EXPECT_EQ(1, s.m_Curves[1]->m_YIndex);
}

TEST(CurveWndSettings, SortAxesKeepsEveryCurveOnItsAxis)
{
    CKSTCurveWndSettings s;
    const int32_t groups[] = {2, 0, 1, 0};
    for (int32_t g : groups) {
        const int axis = s.CreateAxis(g, CKSTString::FormatInt(g));
        CKSTCurveSettings curve;
        curve.m_Name = CKSTString("on group ") + CKSTString::FormatInt(g);
        s.AddCurveSettings(&curve, static_cast<int16_t>(axis));
    }
    s.m_Axes[3]->m_Unit = "second of 0";
    s.m_Curves[3]->m_Name = "second on group 0";
    CKSTCurveSettings orphan;
    orphan.m_Name = "no axis";
    s.AddCurveSettings(&orphan, -1);
    s.AddCurveSettings(&orphan, 40);
    // The out-of-range one comes first.
    std::rotate(s.m_Curves.begin(), s.m_Curves.end() - 1, s.m_Curves.end());

    s.SortAxes();

    const char* axisUnits[] = {"0", "second of 0", "1", "2"};
    ASSERT_EQ(4u, s.m_Axes.size());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(CKSTString(axisUnits[i]), s.m_Axes[i]->m_Unit) << i;
    }
    struct Expected {
        const char* name;
        int16_t axis;
    };
    const Expected curves[] = {
        {"on group 0", 0}, {"second on group 0", 1}, {"on group 1", 2},
        {"on group 2", 3}, {"no axis", 40},          {"no axis", -1},
    };
    ASSERT_EQ(6u, s.m_Curves.size());
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CKSTString(curves[i].name), s.m_Curves[i]->m_Name);
        EXPECT_EQ(curves[i].axis, s.m_Curves[i]->m_YIndex);
    }
}

TEST(CurveWndSettings, CompactGroupsClosesGaps)
{
    struct Case {
        std::vector<int32_t> before;
        std::vector<int32_t> after;
    };
    const Case cases[] = {
        {{3, 7}, {0, 1}},
        {{0, 1, 2}, {0, 1, 2}},
        {{7, 3, 7, 0}, {2, 1, 2, 0}},
        {{5, 32000, 32005}, {0, 32000, 32005}},
        {{-1, 4}, {-1, 0}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.before));
        CKSTCurveWndSettings s;
        for (int32_t g : c.before) {
            s.CreateAxis(g, "");
        }
        s.CompactGroups();
        std::vector<int32_t> after;
        for (const auto& axis : s.m_Axes) {
            after.push_back(axis->m_SubIndex);
        }
        EXPECT_EQ(c.after, after);
    }
}

TEST(CurveWndSettings, RemoveUnusedFontsRenumbersTheReferences)
{
    {
        SCOPED_TRACE("only the last of three fonts is used");
        CKSTCurveWndSettings s;
        s.InternFont(Font("F0", -10));
        s.InternFont(Font("F1", -10));
        s.InternFont(Font("F2", -10));
        s.InternTemplate(Marker("t", 0.0, 2));
        s.RemoveUnusedFonts();
        ASSERT_EQ(1u, s.m_Fonts.size());
        EXPECT_EQ(CKSTString("F2"), s.m_Fonts[0]->m_faceName);
        EXPECT_EQ(0, s.m_Templates[0]->m_Font);
    }
    {
        SCOPED_TRACE("every kind of reference");
        CKSTCurveWndSettings s;
        for (int i = 0; i < 6; ++i) {
            s.InternFont(Font("F", -10 - i));
        }
        s.m_WindowStyleSettings.m_AxesFont = 5;
        s.m_WindowStyleSettings.m_LegendFont = 3;
        s.AddCurveSettings(nullptr, -1);
        s.m_Curves[0]->AddMarker(nullptr, 4);
        s.m_Curves[0]->AddMarker(nullptr, -1);
        s.CompactGroups();  // drops the unused fonts too
        ASSERT_EQ(3u, s.m_Fonts.size());
        const CKSTFontDesc& axes = *s.m_Fonts[s.m_WindowStyleSettings.m_AxesFont];
        const CKSTFontDesc& legend = *s.m_Fonts[s.m_WindowStyleSettings.m_LegendFont];
        const CKSTFontDesc& marker = *s.m_Fonts[s.m_Curves[0]->m_Markers[0]->m_Font];
        EXPECT_EQ(-15, axes.m_height);
        EXPECT_EQ(-13, legend.m_height);
        EXPECT_EQ(-14, marker.m_height);
        EXPECT_EQ(-1, s.m_Curves[0]->m_Markers[1]->m_Font);
    }
}

TEST(CurveWndSettings, MergeCurveItemsTakesTheEventsOfTheSameChannel)
{
    CKSTCurveWndSettings target;
    target.InternFont(Font("Existing", -10));
    target.AddCurveForChannel("U1", "", "V");
    target.AddCurveForChannel("U2", "", "V");
    target.AddCurveForChannel("U1", "other group", "V");

    CKSTCurveWndSettings source;
    source.InternFont(Font("Unused", -20));
    source.InternFont(Font("Existing", -10));
    source.InternFont(Font("New", -12));
    source.AddCurveForChannel("U1", "", "V");
    const CKSTMarkerSettings markers[] = {
        Marker("existing font", 1.0, 1),
        Marker("new font", 2.0, 2),
        Marker("default font", 3.0, -1),
        Marker("font beyond the table", 4.0, 9),
    };
    for (const CKSTMarkerSettings& m : markers) {
        source.m_Curves[0]->AddMarker(&m, m.m_Font);
    }
    source.AddCurveForChannel("U1", "", "V");
    source.m_Curves[1]->AddMarker(nullptr, -1);  // only the first curve of a name counts

    target.MergeCurveItems(source);

    ASSERT_EQ(2u, target.m_Fonts.size());
    EXPECT_EQ(CKSTString("New"), target.m_Fonts[1]->m_faceName);
    const int16_t fonts[] = {0, 1, -1, -1};
    for (int curve : {0, 2}) {
        SCOPED_TRACE(curve);
        ASSERT_EQ(4u, target.m_Curves[curve]->m_Markers.size());
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(markers[i].m_Text, target.m_Curves[curve]->m_Markers[i]->m_Text);
            EXPECT_EQ(fonts[i], target.m_Curves[curve]->m_Markers[i]->m_Font);
        }
    }
    EXPECT_TRUE(target.m_Curves[1]->m_Markers.empty());

    // Merging a record with itself doubles each curve's events.
    source.MergeCurveItems(source);
    EXPECT_EQ(8u, source.m_Curves[0]->m_Markers.size());
    EXPECT_EQ(5u, source.m_Curves[1]->m_Markers.size());
}

TEST(CurveWndSettings, RemovingTables)
{
    CKSTCurveWndSettings s = FilledRecord();
    s.RemoveAllAxes();
    EXPECT_TRUE(s.m_Axes.empty());
    EXPECT_EQ(2u, s.m_Curves.size());
    EXPECT_EQ(2u, s.m_Fonts.size());
    s.RemoveAll();
    EXPECT_TRUE(Elements(s).empty());
    EXPECT_EQ(CKSTString("Courier New"), s.m_AxesFontDesc.m_faceName);
}

}  // namespace
