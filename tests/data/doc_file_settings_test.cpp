#include <gtest/gtest.h>

#include <string>

#include "data/DocFile.h"
#include "data/doc_bytes.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/ErrorCodes.h"
#include "support/SettingsCompare.h"

namespace {

CKSTFontDesc MakeFont(const char* face, int32_t height)
{
    CKSTFontDesc font;
    font.m_faceName = face;
    font.m_height = height;
    font.m_weight = 700;
    font.m_italic = 1;
    font.m_charSet = 2;
    font.m_escapement = 900;
    font.m_orientation = 450;
    font.m_width = 6;
    font.m_underline = 1;
    font.m_strikeOut = 1;
    font.m_outPrecision = 4;
    font.m_clipPrecision = 5;
    font.m_quality = 2;
    font.m_pitchAndFamily = 0x31;
    return font;
}

// A record whose every stored field differs from its default.
CKSTCurveWndSettings MakeFullSettings()
{
    CKSTCurveWndSettings s;
    s.m_BackgroundColor = 0x102030;
    s.m_PlotBackgroundColor = 0x405060;
    s.m_XTextColor = 0x708090;
    s.m_YTextColor = 0xA0B0C0;
    s.m_LegendTextColor = 0xD0E0F0;
    s.m_GridColor = 0x010203;
    s.m_BorderWidth = 7;
    s.m_MainTickLength = 8;
    s.m_SubTickLength = 9;
    s.m_AutoTickDistX = 91;
    s.m_AutoTickDistY = 26;
    s.m_LegendStyle = 3;
    s.m_LegendAlign = 6;
    s.m_LegendGroup = 1;
    s.m_GridVisible = 0;
    s.m_BColorGradient = 0;
    s.m_CursorCross = 1;
    s.m_CursorTextName = 0;
    s.m_ImagePlacement = 7;
    CKSTWindowStyleSettings& w = s.m_WindowStyleSettings;
    w.m_WindowStyle = 4;
    w.m_WindowStructure = 2;
    w.m_WindowXPlotName = "Speed";
    w.m_AxesFont = 1;
    w.m_LegendFont = 0;
    w.m_ImageIndex = 0;

    CKSTXAxisSettings& x = s.m_XAxisSettings;
    x.m_Type = 2;
    x.m_Unit = "ms";
    x.m_MinValue = -1.5;
    x.m_MaxValue = 99.25;
    x.m_RangeValue = 100.75;
    x.m_TickWidth = 0.125;
    x.m_TickAuto = 0;
    x.m_TicksAtPoints = 1;
    x.m_AxisAuto = 2;
    x.m_UnitType = 1;
    x.m_Rotation = 450;
    x.m_OnlyStandard = 1;

    s.m_Fonts.push_back(std::make_unique<CKSTFontDesc>(MakeFont("Courier New", -13)));
    s.m_Fonts.push_back(std::make_unique<CKSTFontDesc>(MakeFont("Tahoma", -20)));
    auto image = std::make_unique<CKSTRasterImage>();
    image->Create(3, 2);
    for (uint32_t i = 0; i < 6; ++i) {
        image->GetPixels()[i] = 0x00102030u * (i + 1) & 0x00FFFFFFu;
    }
    s.m_Images.push_back(std::move(image));

    for (double height : {0.25, 0.75}) {
        CKSTGroupSettings group;
        group.m_RelativeHeight = height;
        s.AddGroupSettings(&group);
    }
    for (int i = 0; i < 2; ++i) {
        CKSTAxisSettings axis;
        axis.m_Type = 1 + i;
        axis.m_Unit = i == 0 ? "V" : "A";
        axis.m_MinValue = -10.0 * (i + 1);
        axis.m_MaxValue = 10.0 * (i + 1);
        axis.m_TickWidth = 2.5;
        axis.m_TickAuto = 0;
        axis.m_AxisAuto = 0;
        axis.m_UnitType = 2;
        axis.m_Color = 0x00AA00 + i;
        axis.m_Reversed = 1;
        axis.m_Hidden = 1;
        axis.m_MeterAngle = 270.5;
        s.AddAxisSettings(&axis, i);
    }
    for (int i = 0; i < 2; ++i) {
        CKSTCurveSettings curve;
        curve.m_Name = i == 0 ? "Voltage" : "Current";
        curve.m_Group = "Bench 1";
        curve.m_PlotStyle = 3;
        curve.m_Symbol = 5;
        curve.m_ValueList = 2;
        curve.m_Color = 0x0000FF + i;
        curve.m_Visible = 4;
        curve.m_GapInterpol = 1;
        curve.m_ShowValue = 1;
        curve.m_EventTemplateIndex = 0;
        curve.m_ShowInLegend = 0;
        curve.m_ShowAtCursor = 0;
        curve.m_Decimals = 4;
        CKSTLimitSettings limit;
        limit.m_Value = 3.5 + i;
        limit.m_LineStyle = 2;
        limit.m_Color = 0x123456;
        curve.AddLimit(&limit);
        CKSTMarkerSettings marker;
        marker.m_Text = "Start";
        marker.m_Type = 3;
        marker.m_Value = 12.5;
        marker.m_AtPoint = 0;
        marker.m_Color = 0x654321;
        marker.m_Frame = 0;
        marker.m_Pointer = 0;
        marker.m_BackgroundColor = 0xFEDCBA;
        marker.m_Rotation = 90;
        curve.AddMarker(&marker, 1);
        s.AddCurveSettings(&curve, static_cast<int16_t>(i));
    }
    CKSTMarkerSettings tmpl;
    tmpl.m_Type = 2;
    tmpl.m_Color = 0x111111;
    tmpl.m_Frame = 0;
    tmpl.m_Pointer = 0;
    tmpl.m_BackgroundColor = 0x222222;
    tmpl.m_Rotation = 180;
    tmpl.m_Font = 0;
    s.m_Templates.push_back(std::make_unique<CKSTMarkerSettings>(tmpl));
    return s;
}

// What a settings set read back from the container holds of the original: the fields the
// container does not store keep the defaults of a fresh record.
CKSTCurveWndSettings StoredInContainer(const CKSTCurveWndSettings& original, bool withMarkers)
{
    CKSTCurveWndSettings stored = original;  // MinGroupHeight: the copy's default
    const CKSTCurveWndSettings fresh;
    stored.m_AxesFontDesc = fresh.m_AxesFontDesc;
    stored.m_LegendFontDesc = fresh.m_LegendFontDesc;
    stored.m_BackgroundImage = fresh.m_BackgroundImage;
    stored.m_WindowStyleSettings.m_XPlotIndex = fresh.m_WindowStyleSettings.m_XPlotIndex;
    const CKSTAxisSettings freshAxis;
    for (const auto& axis : stored.m_Axes) {
        axis->m_Expanded = freshAxis.m_Expanded;
    }
    const CKSTCurveSettings freshCurve;
    for (const auto& curve : stored.m_Curves) {
        curve->m_MarkerVisible = freshCurve.m_MarkerVisible;
        curve->m_Unit = freshCurve.m_Unit;
        if (!withMarkers) {
            curve->ClearMarkers();
        }
    }
    // Text, value and anchor of a template are not stored.
    const CKSTMarkerSettings freshMarker;
    for (const auto& t : stored.m_Templates) {
        t->m_Text = freshMarker.m_Text;
        t->m_Value = freshMarker.m_Value;
        t->m_AtPoint = freshMarker.m_AtPoint;
    }
    return stored;
}

// Every field a settings set stores, compared one by one.
void ExpectSameStoredFields(const CKSTCurveWndSettings& original, const CKSTCurveWndSettings& read,
                            bool withMarkers)
{
    kst_test::ExpectSameFields(StoredInContainer(original, withMarkers), read);
}

int ReadSet(const KstBytes& bytes, CKSTCurveWndSettings& settings, bool withoutMarkers,
            uint8_t* newer = nullptr, bool nested = false)
{
    CKSTDocFile file;
    CKSTDocReader records(bytes.data(), bytes.size());
    return file.ReadSettingsRecords(records, settings, withoutMarkers, newer, nested);
}

TEST(DocFileSettings, RoundTripKeepsEveryStoredField)
{
    const CKSTCurveWndSettings original = MakeFullSettings();
    struct Case {
        const char* name;
        bool writeWithoutMarkers;
        bool readAll;
        bool expectMarkers;
    } cases[] = {
        {"document", false, true, true},
        {"settings file", true, true, false},
        {"document read as settings", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const KstBytes bytes = WriteToMemory([&](CKSTDocFile& f) {
            return f.WriteCurveWndSettings(original, c.writeWithoutMarkers);
        });
        CKSTDocFile file;
        ASSERT_EQ(OpenMemory(file, bytes), KST_OK);
        CKSTCurveWndSettings read;
        uint8_t newer = 1;
        const int result = c.readAll ? file.ReadCurveWndSettingsAll(read, &newer)
                                     : file.ReadCurveWndSettings(read, &newer);
        ASSERT_EQ(result, KST_OK);
        EXPECT_EQ(newer, 0);
        ExpectSameStoredFields(original, read, c.expectMarkers);
    }
}

// Other programs read these bytes: a change to the current forms must be deliberate.
TEST(DocFileSettings, WrittenBytesStayTheSame)
{
    struct Case {
        bool withoutMarkers;
        size_t size;
        uint64_t fingerprint;
    } cases[] = {
        {false, 570, 0x8F805672E95531EFu},
        {true, 498, 0x8EE081B0699D0AD0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.withoutMarkers ? "without markers" : "with markers");
        const KstBytes bytes = WriteToMemory([&](CKSTDocFile& f) {
            return f.WriteCurveWndSettings(MakeFullSettings(), c.withoutMarkers);
        });
        EXPECT_EQ(bytes.size(), c.size);
        EXPECT_EQ(Fingerprint(bytes), c.fingerprint) << std::hex << Fingerprint(bytes);
    }
}

TEST(DocFileSettings, WriterFailsOnContainerNotOpenForWriting)
{
    CKSTDocFile closed;
    EXPECT_EQ(closed.WriteCurveWndSettings(CKSTCurveWndSettings()), KST_ERR_FILE_NOT_OPEN);
    CKSTCurveWndSettings settings;
    EXPECT_EQ(closed.ReadCurveWndSettings(settings, nullptr), KST_ERR_FILE_NOT_OPEN);

    CKSTDocFile reading;
    ASSERT_EQ(OpenMemory(reading, Container(ByteWriter())), KST_OK);
    EXPECT_EQ(reading.WriteCurveWndSettings(CKSTCurveWndSettings()), KST_ERR_NOT_OPEN_FOR_WRITING);
}

// Texts beyond a short string's 255 bytes are cut with the length byte and the record length
// agreeing, so the records after them still read.
TEST(DocFileSettings, OverlongTextsAreCutConsistently)
{
    CKSTCurveWndSettings original = MakeFullSettings();
    const std::string longText(300, 'u');
    original.m_XAxisSettings.m_Unit = longText.c_str();
    original.m_Curves[0]->m_Name = longText.c_str();
    original.m_Curves[0]->m_Markers[0]->m_Text = std::string(70000, 'm').c_str();
    const KstBytes bytes =
        WriteToMemory([&](CKSTDocFile& f) { return f.WriteCurveWndSettings(original, false); });

    CKSTCurveWndSettings read;
    ASSERT_EQ(ReadSet(bytes, read, false), KST_OK);
    EXPECT_EQ(read.m_XAxisSettings.m_Unit, std::string(255, 'u').c_str());
    EXPECT_EQ(read.m_Curves[0]->m_Name, std::string(255, 'u').c_str());
    EXPECT_EQ(read.m_Curves[0]->m_Markers[0]->m_Text, std::string(65535, 'm').c_str());
    original.m_XAxisSettings.m_Unit = read.m_XAxisSettings.m_Unit;
    original.m_Curves[0]->m_Name = read.m_Curves[0]->m_Name;
    original.m_Curves[0]->m_Markers[0]->m_Text = read.m_Curves[0]->m_Markers[0]->m_Text;
    ExpectSameStoredFields(original, read, true);
}

TEST(DocFileSettings, MarkerTextOf300BytesTakesAThreeByteCount)
{
    CKSTCurveWndSettings settings;
    settings.AddCurveSettings(nullptr, 0);
    CKSTMarkerSettings marker;
    marker.m_Text = std::string(300, 'x').c_str();
    settings.m_Curves[0]->AddMarker(&marker, -1);
    const KstBytes bytes =
        WriteToMemory([&](CKSTDocFile& f) { return f.WriteCurveWndSettings(settings, false); });
    // The marker record is the last one: tag 'U', u16 length, then the 3-byte count.
    const size_t markerSize = 1 + 2 + 28 + 300 + 2;
    ASSERT_GT(bytes.size(), markerSize);
    const size_t at = bytes.size() - markerSize;
    EXPECT_EQ(bytes[at], 85);
    EXPECT_EQ(bytes[at + 1] | (bytes[at + 2] << 8), 28 + 300 + 2);
    EXPECT_EQ(bytes[at + 3], 0xFF);
    EXPECT_EQ(bytes[at + 4] | (bytes[at + 5] << 8), 300);
}

// Fixtures of every older record form, each checked against the fields it carries.
TEST(DocFileSettings, ReadsEveryOlderForm)
{
    auto colors = [](ByteWriter& w) {
        w.U32(0x0A).U32(0x0B).U32(0x0C).U32(0x0D).U32(0x0E).U32(0x0F);
    };
    auto ticks = [](ByteWriter& w) { w.U16(1).U16(2).U16(3).U16(4).U16(5); };
    auto expectColorsTicks = [](const CKSTCurveWndSettings& s) {
        EXPECT_EQ(s.m_BackgroundColor, 0x0Au);
        EXPECT_EQ(s.m_GridColor, 0x0Fu);
        EXPECT_EQ(s.m_BorderWidth, 1);
        EXPECT_EQ(s.m_AutoTickDistY, 5);
    };
    struct Case {
        const char* name;
        uint8_t tag;
        std::function<void(ByteWriter&)> payload;
        std::function<void(const CKSTCurveWndSettings&)> check;
    };
    const Case cases[] = {
        {"window 2", 2,
         [&](ByteWriter& w) {
             colors(w);
             ticks(w);
             w.I16(3).U8(2).U8(4).U8(0).Font("Verdana", -15, 700).Font("Symbol", -9, 400);
         },
         [&](const CKSTCurveWndSettings& s) {
             expectColorsTicks(s);
             EXPECT_EQ(s.m_WindowStyleSettings.m_XPlotIndex, 3);
             EXPECT_EQ(s.m_LegendStyle, 2u);
             EXPECT_EQ(s.m_WindowStyleSettings.m_WindowStyle, 4u);
             EXPECT_EQ(s.m_GridVisible, 0);
             EXPECT_EQ(s.m_AxesFontDesc.m_faceName, "Verdana");
             EXPECT_EQ(s.m_AxesFontDesc.m_height, -15);
             EXPECT_EQ(s.m_AxesFontDesc.m_weight, 700);
             EXPECT_EQ(s.m_AxesFontDesc.m_width, 7);
             EXPECT_EQ(s.m_LegendFontDesc.m_faceName, "Symbol");
             EXPECT_EQ(s.m_LegendFontDesc.m_pitchAndFamily, 0x22);
         }},
        {"window >", 62,
         [&](ByteWriter& w) {
             colors(w);
             ticks(w);
             w.I16(2).U8(3).U8(1).U8(2).U8(0).I16(5).I16(6);
         },
         [&](const CKSTCurveWndSettings& s) {
             expectColorsTicks(s);
             EXPECT_EQ(s.m_WindowStyleSettings.m_XPlotIndex, 2);
             EXPECT_EQ(s.m_LegendStyle, 3u);
             EXPECT_EQ(s.m_LegendGroup, 1);
             EXPECT_EQ(s.m_WindowStyleSettings.m_WindowStyle, 2u);
             EXPECT_EQ(s.m_GridVisible, 0);
             EXPECT_EQ(s.m_WindowStyleSettings.m_AxesFont, 5);
             EXPECT_EQ(s.m_WindowStyleSettings.m_LegendFont, 6);
         }},
        {"window E", 69,
         [&](ByteWriter& w) {
             colors(w);
             ticks(w);
             w.I16(2).U8(3).U8(1).U8(2).U8(7).U8(0).I16(5).I16(6);
         },
         [&](const CKSTCurveWndSettings& s) {
             EXPECT_EQ(s.m_WindowStyleSettings.m_WindowStyle, 2u);
             EXPECT_EQ(s.m_WindowStyleSettings.m_WindowStructure, 7u);
             EXPECT_EQ(s.m_GridVisible, 0);
             EXPECT_EQ(s.m_WindowStyleSettings.m_LegendFont, 6);
         }},
        {"window L", 76,
         [&](ByteWriter& w) {
             colors(w);
             ticks(w);
             w.I16(2).U8(3).U8(8).U8(1).U8(2).U8(7).U8(0).U8(0).I16(5).I16(6);
         },
         [&](const CKSTCurveWndSettings& s) {
             EXPECT_EQ(s.m_LegendAlign, 8u);
             EXPECT_EQ(s.m_LegendGroup, 1);
             EXPECT_EQ(s.m_WindowStyleSettings.m_WindowStructure, 7u);
             EXPECT_EQ(s.m_BColorGradient, 0);
             EXPECT_EQ(s.m_WindowStyleSettings.m_AxesFont, 5);
         }},
        {"window M", 77,
         [&](ByteWriter& w) {
             colors(w);
             ticks(w);
             w.I16(2).U8(3).U8(8).U8(1).U8(2).U8(7).U8(0).U8(0).U8(1).U8(0).I16(5).I16(6);
         },
         [&](const CKSTCurveWndSettings& s) {
             EXPECT_EQ(s.m_BColorGradient, 0);
             EXPECT_EQ(s.m_CursorCross, 1);
             EXPECT_EQ(s.m_CursorTextName, 0);
             EXPECT_EQ(s.m_WindowStyleSettings.m_AxesFont, 5);
             EXPECT_EQ(s.m_WindowStyleSettings.m_LegendFont, 6);
         }},
        {"window W", 87,
         [&](ByteWriter& w) {
             colors(w);
             ticks(w);
             w.U8(3).U8(8).U8(1).U8(2).U8(7).U8(0).U8(0).U8(1).U8(0).I16(5).I16(6).Short("X");
         },
         [&](const CKSTCurveWndSettings& s) {
             expectColorsTicks(s);
             EXPECT_EQ(s.m_WindowStyleSettings.m_XPlotIndex, -1);
             EXPECT_EQ(s.m_LegendStyle, 3u);
             EXPECT_EQ(s.m_CursorCross, 1);
             EXPECT_EQ(s.m_WindowStyleSettings.m_LegendFont, 6);
             EXPECT_EQ(s.m_WindowStyleSettings.m_WindowXPlotName, "X");
             EXPECT_EQ(s.m_WindowStyleSettings.m_ImageIndex, -1);
             EXPECT_EQ(s.m_ImagePlacement, 12u);
         }},
        {"x axis 3, flags 0 and 1", 3,
         [](ByteWriter& w) {
             w.Short("s").U8(2).F64(1).F64(2).F64(3).F64(4).U8(0).U8(1).U8(0).U8(1);
         },
         [](const CKSTCurveWndSettings& s) {
             const CKSTXAxisSettings& x = s.m_XAxisSettings;
             EXPECT_EQ(x.m_Unit, "s");
             EXPECT_EQ(x.m_Type, 2u);
             EXPECT_EQ(x.m_MinValue, 1.0);
             EXPECT_EQ(x.m_TickWidth, 4.0);
             EXPECT_EQ(x.m_TickAuto, 0);
             EXPECT_EQ(x.m_AxisAuto, 1u);
             EXPECT_EQ(x.m_UnitType, 1u);
         }},
        {"x axis 3, first flag", 3,
         [](ByteWriter& w) {
             w.Short("s").U8(2).F64(1).F64(2).F64(3).F64(4).U8(0).U8(1).U8(1).U8(1);
         },
         [](const CKSTCurveWndSettings& s) { EXPECT_EQ(s.m_XAxisSettings.m_UnitType, 3u); }},
        {"x axis 3, no flag", 3,
         [](ByteWriter& w) {
             w.Short("s").U8(2).F64(1).F64(2).F64(3).F64(4).U8(0).U8(1).U8(0).U8(0);
         },
         [](const CKSTCurveWndSettings& s) { EXPECT_EQ(s.m_XAxisSettings.m_UnitType, 0u); }},
        {"x axis 6", 6,
         [](ByteWriter& w) { w.Short("h").U8(0).F64(1).F64(2).F64(3).F64(4).U8(1).U8(2).U8(2); },
         [](const CKSTCurveWndSettings& s) {
             EXPECT_EQ(s.m_XAxisSettings.m_AxisAuto, 2u);
             EXPECT_EQ(s.m_XAxisSettings.m_UnitType, 2u);
             EXPECT_EQ(s.m_XAxisSettings.m_RangeValue, 3.0);
         }},
        {"x axis ?", 63,
         [](ByteWriter& w) {
             w.Short("h").U8(0).F64(1).F64(2).F64(3).F64(4).U8(1).U8(2).U8(2).U16(900).U8(1);
         },
         [](const CKSTCurveWndSettings& s) {
             EXPECT_EQ(s.m_XAxisSettings.m_UnitType, 2u);
             EXPECT_EQ(s.m_XAxisSettings.m_Rotation, 900);
             EXPECT_EQ(s.m_XAxisSettings.m_OnlyStandard, 1);
             EXPECT_EQ(s.m_XAxisSettings.m_TicksAtPoints, 0);
         }},
        {"y axis 4", 4,
         [](ByteWriter& w) {
             w.Short("V").U16(1).U16(3).F64(-1).F64(1).F64(0.5).U8(0).U8(0).U8(0).U8(1).U32(0xAB);
         },
         [](const CKSTCurveWndSettings& s) {
             ASSERT_EQ(s.m_Axes.size(), 2u);
             const CKSTAxisSettings& a = *s.m_Axes[1];
             EXPECT_EQ(a.m_Unit, "V");
             EXPECT_EQ(a.m_SubIndex, 3);
             EXPECT_EQ(a.m_MinValue, -1.0);
             EXPECT_EQ(a.m_TickWidth, 0.5);
             EXPECT_EQ(a.m_AxisAuto, 0);
             EXPECT_EQ(a.m_UnitType, 1u);
             EXPECT_EQ(a.m_Color, 0xABu);
         }},
        {"y axis 7", 7,
         [](ByteWriter& w) {
             w.Short("V").U16(0).I16(-1).F64(-1).F64(1).F64(0.5).U8(0).U8(0).U8(2).U32(0xAB);
         },
         [](const CKSTCurveWndSettings& s) {
             ASSERT_EQ(s.m_Axes.size(), 1u);
             EXPECT_EQ(s.m_Axes[0]->m_SubIndex, -1);
             EXPECT_EQ(s.m_Axes[0]->m_UnitType, 2u);
             EXPECT_EQ(s.m_Axes[0]->m_Reversed, 0);
         }},
        {"y axis @", 64,
         [](ByteWriter& w) {
             w.Short("V").U16(0).U16(2).F64(-1).F64(1).F64(0.5).U8(0).U8(0).U8(2).U32(0xAB).U8(1);
         },
         [](const CKSTCurveWndSettings& s) {
             EXPECT_EQ(s.m_Axes[0]->m_Color, 0xABu);
             EXPECT_EQ(s.m_Axes[0]->m_Reversed, 1);
             EXPECT_EQ(s.m_Axes[0]->m_Type, 0u);
         }},
        {"y axis G", 71,
         [](ByteWriter& w) {
             w.Short("V").U16(0).U16(2).U8(3).F64(-1).F64(1).F64(0.5).U8(0).U8(0).U8(2);
             w.U32(0xAB).U8(1);
         },
         [](const CKSTCurveWndSettings& s) {
             EXPECT_EQ(s.m_Axes[0]->m_Type, 3u);
             EXPECT_EQ(s.m_Axes[0]->m_Reversed, 1);
             EXPECT_EQ(s.m_Axes[0]->m_Hidden, 0);
         }},
        {"plot 5", 5,
         [](ByteWriter& w) { w.Short("U1").U16(0).U16(4).I16(2).U8(1).U8(6).U32(0xFF).U8(0); },
         [](const CKSTCurveWndSettings& s) {
             ASSERT_EQ(s.m_Curves.size(), 1u);
             const CKSTCurveSettings& c = *s.m_Curves[0];
             EXPECT_EQ(c.m_Name, "U1");
             EXPECT_EQ(c.m_YIndex, 2);
             EXPECT_EQ(c.m_PlotStyle, 1u);
             EXPECT_EQ(c.m_Symbol, 6u);
             EXPECT_EQ(c.m_Color, 0xFFu);
             EXPECT_EQ(c.m_Visible, 0u);
         }},
        {"plot A", 65,
         [](ByteWriter& w) {
             w.Short("U1").U16(0).U16(4).I16(2).U8(1).U8(6).U32(0xFF).U8(0).U8(1);
         },
         [](const CKSTCurveWndSettings& s) { EXPECT_EQ(s.m_Curves[0]->m_GapInterpol, 1); }},
        {"plot F", 70,
         [](ByteWriter& w) {
             w.Short("U1").Short("G").U16(0).U16(4).I16(2).U8(1).U8(6).U32(0xFF).U8(3).U8(1);
         },
         [](const CKSTCurveWndSettings& s) {
             EXPECT_EQ(s.m_Curves[0]->m_Group, "G");
             EXPECT_EQ(s.m_Curves[0]->m_Visible, 3u);
             EXPECT_EQ(s.m_Curves[0]->m_GapInterpol, 1);
         }},
        {"plot T", 84,
         [](ByteWriter& w) {
             w.Short("U1").Short("G").U16(0).U16(4).I16(2).U8(1).U8(6).U32(0xFF).U8(3).U8(1);
             w.I16(4);
         },
         [](const CKSTCurveWndSettings& s) { EXPECT_EQ(s.m_Curves[0]->m_EventTemplateIndex, 4); }},
        {"plot ^", 94,
         [](ByteWriter& w) {
             w.Short("U1").Short("G").U16(0).U16(4).I16(2).U8(1).U8(6).U8(2).U32(0xFF).U8(3);
             w.U8(1).U8(1).I16(4);
         },
         [](const CKSTCurveWndSettings& s) {
             const CKSTCurveSettings& c = *s.m_Curves[0];
             EXPECT_EQ(c.m_ValueList, 2u);
             EXPECT_EQ(c.m_Color, 0xFFu);
             EXPECT_EQ(c.m_ShowValue, 1);
             EXPECT_EQ(c.m_EventTemplateIndex, 4);
             EXPECT_EQ(c.m_Decimals, -1);
         }},
        {"marker 10", 10,
         [](ByteWriter& w) {
             w.Prop("Ev").U16(1).U16(2).F64(7.5).U32(0x12).U8(0).U32(0x34).U16(45);
         },
         [](const CKSTCurveWndSettings& s) {
             ASSERT_EQ(s.m_Curves.size(), 2u);
             ASSERT_EQ(s.m_Curves[1]->m_Markers.size(), 1u);
             const CKSTMarkerSettings& m = *s.m_Curves[1]->m_Markers[0];
             EXPECT_EQ(m.m_Text, "Ev");
             EXPECT_EQ(m.m_Type, 2u);
             EXPECT_EQ(m.m_Value, 7.5);
             EXPECT_EQ(m.m_Color, 0x12u);
             EXPECT_EQ(m.m_Frame, 0);
             EXPECT_EQ(m.m_BackgroundColor, 0x34u);
             EXPECT_EQ(m.m_Rotation, 45);
             EXPECT_EQ(m.m_Font, -1);
         }},
        {"marker B", 66,
         [](ByteWriter& w) {
             w.Prop("Ev").U16(0).U16(2).F64(7.5).U32(0x12).U8(0).U32(0x34).U16(45).U8(0).I16(3);
         },
         [](const CKSTCurveWndSettings& s) {
             const CKSTMarkerSettings& m = *s.m_Curves[0]->m_Markers[0];
             EXPECT_EQ(m.m_AtPoint, 0);
             EXPECT_EQ(m.m_Font, 3);
             EXPECT_EQ(m.m_Pointer, 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteWriter payload;
        c.payload(payload);
        CKSTCurveWndSettings read;
        ASSERT_EQ(ReadSet(Container(ByteWriter().Framed(c.tag, payload)), read, false), KST_OK);
        c.check(read);
    }
}

TEST(DocFileSettings, IndexedRecordsGrowTheirTables)
{
    // A plot record with index 5, its level line before it and a marker of curve 7 after it.
    ByteWriter records;
    records.Framed(9, ByteWriter().U16(5).U8(1).U32(0x99).F64(2.0));
    records.Framed(99, ByteWriter()
                           .Short("P")
                           .Short("G")
                           .U16(5)
                           .U16(0)
                           .I16(0)
                           .U8(0)
                           .U8(0)
                           .U8(0)
                           .U32(1)
                           .U8(1)
                           .U8(0)
                           .U8(0)
                           .I16(-1)
                           .U8(1)
                           .U8(1)
                           .I16(-1));
    records.Framed(
        85,
        ByteWriter().Prop("E").U16(7).U16(1).F64(0).U32(0).U8(0).U32(0).U16(0).U8(0).I16(-1).U8(0));
    records.Framed(83, ByteWriter().U16(2).U16(1).U32(0).U8(0).U8(0).U32(0).U16(0).I16(-1));
    records.Framed(68, ByteWriter().U16(1).F64(0.5));
    CKSTCurveWndSettings read;
    ASSERT_EQ(ReadSet(Container(records), read, false), KST_OK);
    ASSERT_EQ(read.m_Curves.size(), 8u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(read.m_Curves[i]->m_Name, "");
        EXPECT_EQ(read.m_Curves[i]->m_Visible, 1u);
    }
    EXPECT_EQ(read.m_Curves[5]->m_Name, "P");
    ASSERT_EQ(read.m_Curves[5]->m_Limits.size(), 1u);
    EXPECT_EQ(read.m_Curves[5]->m_Limits[0]->m_Color, 0x99u);
    EXPECT_EQ(read.m_Curves[7]->m_Markers.size(), 1u);
    EXPECT_EQ(read.m_Templates.size(), 3u);
    ASSERT_EQ(read.m_Groups.size(), 2u);
    EXPECT_EQ(read.m_Groups[0]->m_RelativeHeight, 1.0);
    EXPECT_EQ(read.m_Groups[1]->m_RelativeHeight, 0.5);
}

TEST(DocFileSettings, ScanResults)
{
    const ByteWriter xAxis = ByteWriter().Framed(
        6, ByteWriter().Short("").U8(0).F64(0).F64(1).F64(1).F64(1).U8(0).U8(0).U8(0));
    struct Case {
        const char* name;
        ByteWriter records;
        bool nested;
        int expected;
        uint8_t expectedNewer;
    } cases[] = {
        {"empty container", ByteWriter(), false, KST_ERR_NO_SETTINGS, 0},
        {"only records of other sections",
         ByteWriter().Framed(8, ByteWriter().U16(0)).U8(34).U8(0).U16(0).U8(32).U8(0).U64(0), false,
         KST_ERR_NO_SETTINGS, 0},
        {"unknown framed tag", ByteWriter().Framed(40, ByteWriter().U8(1)).Raw(xAxis.Bytes()),
         false, KST_OK, 1},
        {"tag above the known range", ByteWriter().Framed(120, ByteWriter()).Raw(xAxis.Bytes()),
         false, KST_OK, 1},
        {"block end outside a block", ByteWriter().Raw(xAxis.Bytes()).U8(101).U8(0), false,
         KST_ERR_MISSING_RECORD, 0},
        {"nested set ends at the block end", ByteWriter().Raw(xAxis.Bytes()).U8(101), true, KST_OK,
         0},
        {"nested set without records", ByteWriter().U8(101), true, KST_ERR_NO_SETTINGS, 0},
        {"record shorter than its fields", ByteWriter().Framed(6, ByteWriter().Short("V")), false,
         KST_ERR_BAD_RECORD, 0},
        {"record cut off by the end of the data", ByteWriter().Raw(xAxis.Bytes()).U8(78).U16(40),
         false, KST_OK, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KstBytes bytes = Container(c.records);
        CKSTDocReader records(bytes.data(), bytes.size());
        if (c.nested) {
            records.SetPosition(kDocMagicSize);
        }
        CKSTDocFile file;
        CKSTCurveWndSettings read;
        uint8_t newer = 0;
        EXPECT_EQ(file.ReadSettingsRecords(records, read, false, &newer, c.nested), c.expected);
        EXPECT_EQ(newer, c.expectedNewer);
    }
}

TEST(DocFileSettings, ImageSizesAreCheckedBeforeAllocating)
{
    struct Case {
        const char* name;
        uint32_t columns;
        uint32_t rows;
        uint32_t pixelBytes;
        int expected;
    } cases[] = {
        {"both dimensions at their limit", 0xFFFFFFFFu, 0xFFFFFFFFu, 0, KST_ERR_BAD_RECORD},
        {"product beyond a raster", 0x10000, 0x10001, 0, KST_ERR_BAD_RECORD},
        {"fewer pixels than the size", 4, 4, 3 * 15, KST_ERR_BAD_RECORD},
        {"exact", 4, 4, 3 * 16, KST_OK},
        {"empty", 0, 7, 0, KST_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteWriter payload;
        payload.U16(0).U32(c.columns).U32(c.rows).Raw(std::string(c.pixelBytes, '\x7f'));
        CKSTCurveWndSettings read;
        const int result = ReadSet(Container(ByteWriter().Framed(93, payload)), read, false);
        EXPECT_EQ(result, c.expected);
        if (c.expected == KST_OK) {
            ASSERT_EQ(read.m_Images.size(), 1u);
            EXPECT_EQ(read.m_Images[0]->GetColumns(), c.columns);
            EXPECT_EQ(read.m_Images[0]->GetPixelClamped(3, 3), c.pixelBytes ? 0x7F7F7Fu : 0u);
        }
    }
}

TEST(DocFileSettings, ReadersSurviveTruncationAndMutation)
{
    const KstBytes bytes = WriteToMemory(
        [](CKSTDocFile& f) { return f.WriteCurveWndSettings(MakeFullSettings(), false); });
    ExpectRobustReads(bytes,
                      {KST_OK, KST_ERR_NO_SETTINGS, KST_ERR_BAD_RECORD, KST_ERR_MISSING_RECORD,
                       KST_ERR_TOO_LARGE},
                      [](const KstBytes& input) {
                          CKSTCurveWndSettings read;
                          return ReadSet(input, read, false);
                      });
}

}  // namespace
