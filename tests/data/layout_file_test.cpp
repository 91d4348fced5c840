#include "data/LayoutFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/ErrorCodes.h"
#include "support/SettingsCompare.h"
#include "support/TempFolder.h"

namespace {

std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

CKSTMarkerSettings Marker(const char* text, uint32_t type, double value, int16_t font)
{
    CKSTMarkerSettings m;
    m.m_Text = text;
    m.m_Type = type;
    m.m_Value = value;
    m.m_AtPoint = 0;
    m.m_Color = 0x123456;
    m.m_Frame = 0;
    m.m_Pointer = 0;
    m.m_BackgroundColor = KST_COLOR_NONE;
    m.m_Rotation = 90;
    m.m_Font = font;
    return m;
}

// Every field the layout file stores differs from its default; the fields it does not store
// are changed too, to show that they do not travel.
CKSTCurveWndSettings FullRecord()
{
    CKSTCurveWndSettings s;
    s.m_BackgroundColor = 0x010203;
    s.m_PlotBackgroundColor = KST_COLOR_NONE;
    s.m_XTextColor = 0x0000FF;
    s.m_YTextColor = 0x00FF00;
    s.m_LegendTextColor = 0xFF0000;
    s.m_GridColor = KST_COLOR_AUTOMATIC;
    s.m_BorderWidth = 7;
    s.m_MinGroupHeight = 55;
    s.m_MainTickLength = 6;
    s.m_SubTickLength = 3;
    s.m_AutoTickDistX = 120;
    s.m_AutoTickDistY = 40;
    s.m_GridVisible = 0;
    s.m_LegendGroup = 3;
    s.m_BColorGradient = 0;
    s.m_ImagePlacement = 7;
    s.m_CursorCross = 1;
    s.m_CursorTextName = 0;
    s.m_LegendStyle = 2;
    s.m_LegendAlign = 6;
    s.m_WindowStyleSettings.m_WindowStyle = 3;
    s.m_WindowStyleSettings.m_WindowStructure = 2;
    s.m_WindowStyleSettings.m_XPlotIndex = 4;
    s.m_WindowStyleSettings.m_WindowXPlotName = " X # channel ";
    s.m_WindowStyleSettings.m_AxesFont = 1;
    s.m_WindowStyleSettings.m_LegendFont = 0;
    s.m_WindowStyleSettings.m_ImageIndex = 0;

    CKSTXAxisSettings& x = s.m_XAxisSettings;
    x.m_Type = 2;
    x.m_Unit = "ms // time";
    x.m_MinValue = 0.1 + 0.2;  // needs 17 digits to come back exactly
    x.m_MaxValue = 1.0 / 3.0;
    x.m_RangeValue = -2.5e12;
    x.m_TickWidth = 1e-300;
    x.m_TickAuto = 0;
    x.m_TicksAtPoints = 1;
    x.m_AxisAuto = 2;
    x.m_UnitType = 1;
    x.m_Rotation = 45;
    x.m_OnlyStandard = 1;

    CKSTFontDesc font;
    font.m_faceName = "Courier New";
    font.m_charSet = 238;
    font.m_clipPrecision = 1;
    font.m_escapement = 900;
    font.m_height = -20;
    font.m_italic = 1;
    font.m_orientation = 450;
    font.m_outPrecision = 7;
    font.m_pitchAndFamily = 0x31;
    font.m_quality = 5;
    font.m_strikeOut = 1;
    font.m_underline = 1;
    font.m_weight = 700;
    font.m_width = 8;
    font.m_pointSize = 120;
    s.m_Fonts.push_back(std::make_unique<CKSTFontDesc>(font));
    s.m_Fonts.push_back(std::make_unique<CKSTFontDesc>());

    s.m_Images.push_back(std::make_unique<CKSTRasterImage>());

    CKSTGroupSettings group;
    group.m_RelativeHeight = 0.7;
    s.AddGroupSettings(&group);
    group.m_RelativeHeight = 0.3;
    s.AddGroupSettings(&group);

    CKSTAxisSettings axis;
    axis.m_Type = 1;
    axis.m_Unit = "V";
    axis.m_MinValue = -5.5;
    axis.m_MaxValue = 5.25;
    axis.m_TickWidth = 0.5;
    axis.m_TickAuto = 0;
    axis.m_AxisAuto = 0;
    axis.m_UnitType = 2;
    axis.m_Color = 0x00AA00;
    axis.m_Reversed = 1;
    axis.m_Hidden = 1;
    axis.m_MeterAngle = 270.0;
    axis.m_Expanded = 1;
    s.AddAxisSettings(&axis, 0);
    axis.m_Unit = "\"A\"";
    s.AddAxisSettings(&axis, 1);

    CKSTCurveSettings curve;
    curve.m_Name = "C:\\log\\U1";
    curve.m_Group = "Group #1";
    curve.m_PlotStyle = 2;
    curve.m_Symbol = 5;
    curve.m_ValueList = 1;
    curve.m_Color = 0xABCDEF;
    curve.m_Visible = 3;
    curve.m_ShowValue = 1;
    curve.m_ShowInLegend = 0;
    curve.m_ShowAtCursor = 0;
    curve.m_MarkerVisible = 2;
    curve.m_Unit = "V";
    curve.m_GapInterpol = 1;
    curve.m_Decimals = 3;
    curve.m_EventTemplateIndex = 0;
    CKSTLimitSettings limit;
    limit.m_Value = 4.75;
    limit.m_LineStyle = 2;
    limit.m_Color = 0x0000AA;
    curve.AddLimit(&limit);
    limit.m_Value = -1e-7;
    curve.AddLimit(&limit);
    const CKSTMarkerSettings start = Marker("Start\r\nof run", 2, 12.5, 1);
    curve.AddMarker(&start, 1);
    s.AddCurveSettings(&curve, 0);
    curve.ClearLists();
    curve.m_Name = "U2";
    curve.m_EventTemplateIndex = -1;
    s.AddCurveSettings(&curve, 1);

    s.InternTemplate(Marker("Template \"t\"", 3, 0.25, -1));
    return s;
}

// What a record read back from a layout file holds of the saved one: the fields the file does
// not store keep the defaults of a fresh record.
CKSTCurveWndSettings StoredInLayout(const CKSTCurveWndSettings& saved)
{
    CKSTCurveWndSettings stored = saved;  // MinGroupHeight: the copy's default
    const CKSTCurveWndSettings fresh;
    stored.m_AxesFontDesc = fresh.m_AxesFontDesc;
    stored.m_LegendFontDesc = fresh.m_LegendFontDesc;
    stored.m_BackgroundImage = fresh.m_BackgroundImage;
    stored.m_ImagePlacement = fresh.m_ImagePlacement;
    stored.m_WindowStyleSettings.m_XPlotIndex = fresh.m_WindowStyleSettings.m_XPlotIndex;
    stored.m_WindowStyleSettings.m_ImageIndex = fresh.m_WindowStyleSettings.m_ImageIndex;
    stored.m_Images.clear();
    const CKSTAxisSettings freshAxis;
    for (const auto& axis : stored.m_Axes) {
        axis->m_Expanded = freshAxis.m_Expanded;
    }
    const CKSTCurveSettings freshCurve;
    for (const auto& curve : stored.m_Curves) {
        curve->m_Unit = freshCurve.m_Unit;
        curve->m_ShowInLegend = freshCurve.m_ShowInLegend;
        curve->m_ShowAtCursor = freshCurve.m_ShowAtCursor;
        curve->m_Decimals = freshCurve.m_Decimals;
    }
    return stored;
}

// Every field the layout file stores; the window's IsEqual leaves most of them out.
void ExpectStoredFieldsEqual(const CKSTCurveWndSettings& saved, const CKSTCurveWndSettings& loaded)
{
    kst_test::ExpectSameFields(StoredInLayout(saved), loaded);
}

class LayoutFileTest : public ::testing::Test {
protected:
    int Save(const CKSTCurveWndSettings& settings, bool leaveOutMarkers)
    {
        CKSTKeyFile file;
        EXPECT_EQ(KST_OK, file.Open(m_path, KST_OPEN_WRITE));
        const int result = SaveCurveWndLayout(file, settings, leaveOutMarkers);
        EXPECT_EQ(KST_OK, file.Close());
        return result;
    }

    int Load(CKSTCurveWndSettings& settings, bool leaveOutMarkers)
    {
        CKSTKeyFile file;
        EXPECT_EQ(KST_OK, file.Open(m_path, KST_OPEN_READ));
        return LoadCurveWndLayout(file, settings, leaveOutMarkers);
    }

    int LoadText(const std::string& text, CKSTCurveWndSettings& settings,
                 bool leaveOutMarkers = false)
    {
        m_folder.WriteFile("layout.ini", text);
        return Load(settings, leaveOutMarkers);
    }

    // Section headers of the saved file, in file order.
    std::vector<std::string> SavedSections()
    {
        CKSTKeyFile file;
        EXPECT_EQ(KST_OK, file.Open(m_path, KST_OPEN_READ));
        std::vector<std::string> sections;
        CKSTString line;
        while (file.ReadLine(line) == KST_OK) {
            if (line.GetLength() > 0 && line.First() == '[') {
                sections.push_back(Text(line));
            }
        }
        return sections;
    }

    TempFolder m_folder;
    CKSTString m_path = m_folder.Path("layout.ini");
};

TEST_F(LayoutFileTest, SavedRecordReloadsWithEveryStoredField)
{
    const CKSTCurveWndSettings saved = FullRecord();
    ASSERT_EQ(KST_OK, Save(saved, false));
    CKSTCurveWndSettings loaded;
    ASSERT_EQ(KST_OK, Load(loaded, false));
    ExpectStoredFieldsEqual(saved, loaded);

    // What the file does not hold keeps the defaults of a fresh record.
    const CKSTCurveWndSettings fresh;
    EXPECT_EQ(fresh.m_ImagePlacement, loaded.m_ImagePlacement);
    EXPECT_EQ(fresh.m_MinGroupHeight, loaded.m_MinGroupHeight);
    EXPECT_EQ(-1, loaded.m_WindowStyleSettings.m_XPlotIndex);
    EXPECT_EQ(-1, loaded.m_WindowStyleSettings.m_ImageIndex);
    EXPECT_TRUE(loaded.m_Images.empty());
    const CKSTCurveSettings& curve = *loaded.m_Curves[0];
    EXPECT_EQ("", Text(curve.m_Unit));
    EXPECT_EQ(1, curve.m_ShowInLegend);
    EXPECT_EQ(1, curve.m_ShowAtCursor);
    EXPECT_EQ(-1, curve.m_Decimals);
    EXPECT_EQ(0, loaded.m_Axes[0]->m_Expanded);
}

TEST_F(LayoutFileTest, SectionsAreWrittenInRecordOrder)
{
    const CKSTCurveWndSettings saved = FullRecord();
    struct Case {
        bool leaveOutMarkers;
        std::vector<std::string> sections;
    };
    const Case cases[] = {
        {false,
         {"[WINDOW]", "[XAXIS]", "[FONT_000]", "[FONT_001]", "[SUBWINDOW_000]", "[SUBWINDOW_001]",
          "[YAXIS_000]", "[YAXIS_001]", "[PLOT_000]", "[PLOT_000|LIMIT_000]",
          "[PLOT_000|LIMIT_001]", "[PLOT_000|MARKER_000]", "[PLOT_001]", "[ETEMPLATE_000]"}},
        {true,
         {"[WINDOW]", "[XAXIS]", "[FONT_000]", "[FONT_001]", "[SUBWINDOW_000]", "[SUBWINDOW_001]",
          "[YAXIS_000]", "[YAXIS_001]", "[PLOT_000]", "[PLOT_000|LIMIT_000]",
          "[PLOT_000|LIMIT_001]", "[PLOT_001]", "[ETEMPLATE_000]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.leaveOutMarkers ? "markers left out" : "with markers");
        ASSERT_EQ(KST_OK, Save(saved, c.leaveOutMarkers));
        EXPECT_EQ(c.sections, SavedSections());
    }
}

TEST_F(LayoutFileTest, PartialFilesFillWhatTheyHold)
{
    const CKSTCurveWndSettings fresh;
    {
        SCOPED_TRACE("window section only");
        CKSTCurveWndSettings loaded;
        ASSERT_EQ(KST_OK, LoadText("[WINDOW]\nBorderWidth=9\nGridColor=255\n", loaded));
        EXPECT_EQ(9, loaded.m_BorderWidth);
        EXPECT_EQ(255u, loaded.m_GridColor);
        CKSTCurveWndSettings expected;
        expected.m_BorderWidth = 9;
        expected.m_GridColor = 255;
        ExpectStoredFieldsEqual(expected, loaded);
    }
    {
        SCOPED_TRACE("numbering ends at the first gap");
        CKSTCurveWndSettings loaded;
        ASSERT_EQ(KST_OK, LoadText("[FONT_000]\nFaceName=A\n[FONT_001]\nFaceName=B\n"
                                   "[FONT_003]\nFaceName=D\n",
                                   loaded));
        ASSERT_EQ(2u, loaded.m_Fonts.size());
        EXPECT_EQ("B", Text(loaded.m_Fonts[1]->m_faceName));
        EXPECT_EQ(CKSTFontDesc().m_height, loaded.m_Fonts[1]->m_height);
    }
    {
        SCOPED_TRACE("marker with type and text only");
        CKSTCurveWndSettings loaded;
        ASSERT_EQ(KST_OK, LoadText("[PLOT_000]\nName=U\n[PLOT_000|MARKER_000]\nType=4\n"
                                   "Text=peak\n",
                                   loaded));
        ASSERT_EQ(1u, loaded.m_Curves.size());
        ASSERT_EQ(1u, loaded.m_Curves[0]->m_Markers.size());
        CKSTMarkerSettings expected;
        expected.m_Type = 4;
        expected.m_Text = "peak";
        kst_test::ExpectSameFields(expected, *loaded.m_Curves[0]->m_Markers[0]);
    }
    {
        SCOPED_TRACE("markers left out");
        CKSTCurveWndSettings loaded;
        ASSERT_EQ(KST_OK, LoadText("[PLOT_000]\nName=U\n[PLOT_000|LIMIT_000]\nLineStyle=1\n"
                                   "[PLOT_000|MARKER_000]\nType=4\n",
                                   loaded, true));
        ASSERT_EQ(1u, loaded.m_Curves.size());
        EXPECT_EQ(1u, loaded.m_Curves[0]->m_Limits.size());
        EXPECT_TRUE(loaded.m_Curves[0]->m_Markers.empty());
    }
    {
        SCOPED_TRACE("values cut to the field");
        CKSTCurveWndSettings loaded;
        ASSERT_EQ(KST_OK, LoadText("[WINDOW]\nGridVisible=258\nLegendGroup=-1\n"
                                   "[FONT_000]\nFaceName=A\nItalic=257\n",
                                   loaded));
        EXPECT_EQ(2, loaded.m_GridVisible);
        EXPECT_EQ(255, loaded.m_LegendGroup);
        EXPECT_EQ(1, loaded.m_Fonts[0]->m_italic);
    }
}

TEST_F(LayoutFileTest, AwkwardTextValuesSurviveSaveAndReload)
{
    const char* const values[] = {
        "C:\\data\\",
        "\\\\server\\share",
        "ends with \\",
        "a\\nb",
        " leading",
        "trailing ",
        "\tboth\t",
        "a # b",
        "#",
        "x // y",
        "http://host/",
        "line1\nline2",
        "cr\r\nlf\n",
        "\r",
        "\"quoted\"",
        "\"",
        "\"\"",
        "say \"hi\" # x",
        "half\"",
        "",
        "a=b",
        "[S]",
        "\\\"\\\"",
        "\"\\n\"",
        "trailing backslash \\ ",
    };
    for (const char* value : values) {
        SCOPED_TRACE(value);
        CKSTCurveWndSettings saved;
        saved.m_WindowStyleSettings.m_WindowXPlotName = value;
        saved.m_XAxisSettings.m_Unit = value;
        CKSTCurveSettings curve;
        curve.m_Name = "U";
        curve.m_Group = value;
        saved.AddCurveSettings(&curve, 0);
        ASSERT_EQ(KST_OK, Save(saved, false));
        CKSTCurveWndSettings loaded;
        ASSERT_EQ(KST_OK, Load(loaded, false));
        EXPECT_EQ(value, Text(loaded.m_WindowStyleSettings.m_WindowXPlotName));
        EXPECT_EQ(value, Text(loaded.m_XAxisSettings.m_Unit));
        ASSERT_EQ(1u, loaded.m_Curves.size());
        EXPECT_EQ(value, Text(loaded.m_Curves[0]->m_Group));
    }
}

TEST_F(LayoutFileTest, TextKeysAreQuotedInTheFileAndUnquotedWhenRead)
{
    CKSTCurveWndSettings saved;
    saved.m_XAxisSettings.m_Unit = "a#b";
    ASSERT_EQ(KST_OK, Save(saved, false));
    std::ifstream in(m_folder.Native("layout.ini"), std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, written.find("\nUnit=\"a#b\"\n")) << written;

    CKSTCurveWndSettings loaded;
    ASSERT_EQ(KST_OK, LoadText("[XAXIS]\nUnit=\"a#b\"\n[PLOT_000]\nName=\"U\"\n"
                               "Group=\"a\" and \"b\"\n",
                               loaded));
    EXPECT_EQ("a#b", Text(loaded.m_XAxisSettings.m_Unit));
    ASSERT_EQ(1u, loaded.m_Curves.size());
    EXPECT_EQ("U", Text(loaded.m_Curves[0]->m_Name));
    // Not a quoted text: taken as it stands.
    EXPECT_EQ("\"a\" and \"b\"", Text(loaded.m_Curves[0]->m_Group));
}

TEST_F(LayoutFileTest, LoadReplacesTheTablesOfTheRecord)
{
    CKSTCurveWndSettings loaded = FullRecord();
    ASSERT_EQ(KST_OK, LoadText("[FONT_000]\nFaceName=Only\n[PLOT_000]\nName=U\n", loaded));
    ASSERT_EQ(1u, loaded.m_Fonts.size());
    EXPECT_EQ("Only", Text(loaded.m_Fonts[0]->m_faceName));
    ASSERT_EQ(1u, loaded.m_Curves.size());
    EXPECT_EQ("U", Text(loaded.m_Curves[0]->m_Name));
    EXPECT_TRUE(loaded.m_Groups.empty());
    EXPECT_TRUE(loaded.m_Axes.empty());
    EXPECT_TRUE(loaded.m_Templates.empty());
    EXPECT_EQ(1u, loaded.m_Images.size());
}

TEST_F(LayoutFileTest, FailedLoadsReportTheirError)
{
    CKSTCurveWndSettings loaded;
    EXPECT_EQ(KST_ERR_MALFORMED_LINE,
              LoadText("[WINDOW]\nBorderWidth=9\nno equals sign\nMainTickLength=7\n", loaded));
    EXPECT_EQ(9, loaded.m_BorderWidth);
    EXPECT_EQ(CKSTCurveWndSettings().m_MainTickLength, loaded.m_MainTickLength);

    CKSTKeyFile missing;
    EXPECT_EQ(KST_ERR_OPEN_FAILED, missing.Open(m_folder.Path("none.ini"), KST_OPEN_READ));
    CKSTCurveWndSettings untouched;
    EXPECT_EQ(KST_ERR_FILE_NOT_OPEN, LoadCurveWndLayout(missing, untouched, false));
    ExpectStoredFieldsEqual(CKSTCurveWndSettings(), untouched);
}

TEST_F(LayoutFileTest, SaveNeedsAFileOpenForWriting)
{
    CKSTKeyFile file;
    EXPECT_EQ(KST_ERR_FILE_NOT_OPEN, SaveCurveWndLayout(file, FullRecord(), false));
}

}  // namespace
