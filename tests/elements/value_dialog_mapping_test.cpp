// The numeric value and lamp dialogs' fields: the index tables, the numbers typed as text with
// their bounds, and which settings each dialog writes.
#include "elements/ValueDialogMapping.h"

#include <gtest/gtest.h>

namespace {

TEST(ValueDialogMappingTest, AlignmentCodesAndIndices)
{
    const int indexOfCode[] = {0, 2, 1, 1, 1, 0, 0, 0, 2, 2, 2, 1, 1, 1};
    for (uint32_t code = 0; code < 14; ++code) {
        EXPECT_EQ(KstAlignmentIndexOfCode(code), indexOfCode[code]) << code;
    }
    EXPECT_EQ(KstAlignmentIndexOfCode(0xFFFFFFFF), 1);
    const struct {
        int index;
        uint32_t code;
    } codes[] = {{0, 6}, {1, 12}, {2, 9}, {-1, 6}, {3, 6}};
    for (const auto& c : codes) {
        EXPECT_EQ(KstAlignmentCodeOfIndex(c.index), c.code) << c.index;
    }
}

TEST(ValueDialogMappingTest, TitleSidesAndOperatorsAndTheirIndices)
{
    const struct {
        int index;
        uint32_t side;
    } sides[] = {{0, 0}, {1, 3}, {2, 1}, {3, 2}};
    for (const auto& s : sides) {
        EXPECT_EQ(KstTitleSideOfIndex(s.index), s.side);
        EXPECT_EQ(KstTitlePositionIndexOfSide(s.side), s.index);
    }
    EXPECT_EQ(KstTitleSideOfIndex(-1), 0u);
    EXPECT_EQ(KstTitleSideOfIndex(4), 0u);
    EXPECT_EQ(KstTitlePositionIndexOfSide(7), 0);

    for (uint32_t code = 0; code < 5; ++code) {
        EXPECT_EQ(KstOperatorIndexOfCode(code), static_cast<int>(code));
        EXPECT_EQ(KstOperatorCodeOfIndex(static_cast<int>(code)), code);
    }
    EXPECT_EQ(KstOperatorIndexOfCode(5), 0);
    EXPECT_EQ(KstOperatorIndexOfCode(0xFFFFFFFF), 0);
    EXPECT_EQ(KstOperatorCodeOfIndex(-1), 0u);
    EXPECT_EQ(KstOperatorCodeOfIndex(5), 0u);
}

TEST(ValueDialogMappingTest, FieldsShowTheSettingsAsTheDialogsPrintThem)
{
    CKSTValueElementSettings s;
    s.m_Precision = 4;
    s.m_FrameWidth = 12;
    s.m_SplitRatio = 0.3;
    s.m_Threshold1 = 1000.0;
    s.m_Threshold2 = -0.125;
    s.m_TitleAlignment = 4;
    s.m_ValueAlignment = 8;
    s.m_TitleSide = 1;
    s.m_Operator1 = 4;
    s.m_Operator2 = 9;
    s.m_ChannelName = "u1";
    const KstValueDialogFields f = KstValueFieldsFromSettings(s);
    EXPECT_EQ(f.precision, "4");
    EXPECT_EQ(f.frameWidth, "12");
    EXPECT_EQ(f.splitRatio, "0.30");
    EXPECT_EQ(f.threshold1, "1000");
    EXPECT_EQ(f.threshold2, "-0.125");
    EXPECT_EQ(f.titleAlignment, 1);
    EXPECT_EQ(f.valueAlignment, 2);
    EXPECT_EQ(f.titlePosition, 2);
    EXPECT_EQ(f.operator1, 4);
    EXPECT_EQ(f.operator2, 0);
    EXPECT_EQ(f.channel, "u1");
}

// What a typed text makes of each number; "keep" leaves the value it had (precision 3, frame
// width 1, split ratio 0.5, threshold 7).
constexpr double kKeep = -12345.0;

struct NumberCase {
    const char* text;
    double precision;
    double frameWidth;
    double splitRatio;
    double threshold;
};

const NumberCase kNumberCases[] = {
    {"0,5", kKeep, kKeep, kKeep, kKeep},
    {"0.25", kKeep, kKeep, 0.25, 0.25},
    {"-1", kKeep, kKeep, kKeep, -1.0},
    {"2.5", kKeep, kKeep, kKeep, 2.5},
    {"1e3", kKeep, kKeep, kKeep, kKeep},
    {"1000", kKeep, kKeep, kKeep, 1000.0},
    {"", kKeep, kKeep, kKeep, kKeep},
    {"0", 0, 0, 0.0, 0.0},
    {"1", 1, 1, 1.0, 1.0},
    {"20", 20, 20, kKeep, 20.0},
    {"21", kKeep, 21, kKeep, 21.0},
    {"100", kKeep, 100, kKeep, 100.0},
    {"101", kKeep, kKeep, kKeep, 101.0},
    {"1.01", kKeep, kKeep, kKeep, 1.01},
    {"99999999999", kKeep, kKeep, kKeep, 99999999999.0},
    {"-", kKeep, kKeep, kKeep, kKeep},
};

double Expected(double value, double kept)
{
    return value == kKeep ? kept : value;
}

TEST(ValueDialogMappingTest, TypedNumbersWithinTheirBoundsAreTakenOthersKeepTheOldValue)
{
    CKSTValueElementSettings before;
    before.m_Threshold1 = 7.0;
    before.m_Threshold2 = 7.0;
    for (const NumberCase& c : kNumberCases) {
        CKSTValueElementSettings value = before;
        KstValueDialogFields f = KstValueFieldsFromSettings(value);
        f.precision = c.text;
        f.frameWidth = c.text;
        f.splitRatio = c.text;
        f.threshold1 = c.text;
        f.threshold2 = c.text;
        KstApplyValueFields(f, value);
        EXPECT_EQ(value.m_Precision, Expected(c.precision, 3)) << c.text;
        EXPECT_EQ(value.m_FrameWidth, Expected(c.frameWidth, 1)) << c.text;
        EXPECT_DOUBLE_EQ(value.m_SplitRatio, Expected(c.splitRatio, 0.5)) << c.text;
        EXPECT_DOUBLE_EQ(value.m_Threshold1, 7.0) << "numeric value dialog: " << c.text;

        CKSTValueElementSettings lamp = before;
        KstApplyLampFields(f, lamp);
        EXPECT_EQ(lamp.m_Precision, Expected(c.precision, 3)) << c.text;
        EXPECT_EQ(lamp.m_FrameWidth, 1) << "lamp dialog: " << c.text;
        EXPECT_DOUBLE_EQ(lamp.m_SplitRatio, Expected(c.splitRatio, 0.5)) << c.text;
        EXPECT_DOUBLE_EQ(lamp.m_Threshold1, Expected(c.threshold, 7.0)) << c.text;
        EXPECT_DOUBLE_EQ(lamp.m_Threshold2, Expected(c.threshold, 7.0)) << c.text;
    }
}

// The split ratio is shown with two decimals and a threshold with 16 digits: OK without an
// edit must not round what the element had.
TEST(ValueDialogMappingTest, NumbersLeftAsShownKeepTheirExactValue)
{
    CKSTValueElementSettings s;
    s.m_SplitRatio = 0.125;
    s.m_Threshold1 = 0.1 + 0.2;
    s.m_Threshold2 = 1.0 / 3.0;
    const KstValueDialogFields f = KstValueFieldsFromSettings(s);
    EXPECT_EQ(f.splitRatio, "0.12");
    KstApplyLampFields(f, s);
    EXPECT_EQ(s.m_SplitRatio, 0.125);
    EXPECT_EQ(s.m_Threshold1, 0.1 + 0.2);
    EXPECT_EQ(s.m_Threshold2, 1.0 / 3.0);
}

// Every field lands in its own member; the numeric value dialog leaves the lamp's members alone
// and the lamp dialog the numeric value's.
TEST(ValueDialogMappingTest, EachDialogWritesItsOwnMembers)
{
    CKSTValueElementSettings before;
    before.m_TitleFontIndex = 2;
    before.m_ValueFontIndex = 3;
    KstValueDialogFields f = KstValueFieldsFromSettings(before);
    f.title = "Druck";
    f.titleFont.m_height = -20;
    f.titleTextColour = 0x01;
    f.titleBackColour = 0x02;
    f.titleTransparent = 1;
    f.titlePosition = 3;
    f.titleAlignment = 2;
    f.showGroup = 0;
    f.valueFont.m_weight = 700;
    f.valueTextColour = 0x03;
    f.valueBackColour = 0x04;
    f.valueTransparent = 1;
    f.valueAlignment = 0;
    f.showUnit = 0;
    f.frame = 1;
    f.frameColour = 0x05;
    f.activeColour1 = 0x06;
    f.activeColour2 = 0x07;
    f.passiveColour = 0x08;
    f.operator1 = 2;
    f.operator2 = 4;

    CKSTValueElementSettings value = before;
    KstApplyValueFields(f, value);
    EXPECT_EQ(value.m_Title, "Druck");
    EXPECT_EQ(value.m_TitleFont.m_height, -20);
    EXPECT_EQ(value.m_TitleFontIndex, -1);
    EXPECT_EQ(value.m_TitleTextColor, 0x01u);
    EXPECT_EQ(value.m_TitleBackColor, 0x02u);
    EXPECT_EQ(value.m_TitleTransparent, 1u);
    EXPECT_EQ(value.m_TitleSide, 2u);
    EXPECT_EQ(value.m_TitleAlignment, 9u);
    EXPECT_EQ(value.m_ShowGroup, 0);
    EXPECT_EQ(value.m_ValueFont.m_weight, 700);
    EXPECT_EQ(value.m_ValueFontIndex, -1);
    EXPECT_EQ(value.m_ValueTextColor, 0x03u);
    EXPECT_EQ(value.m_ValueBackColor, 0x04u);
    EXPECT_EQ(value.m_ValueTransparent, 1u);
    EXPECT_EQ(value.m_ValueAlignment, 6u);
    EXPECT_EQ(value.m_ShowUnit, 0);
    EXPECT_EQ(value.m_Frame, 1u);
    EXPECT_EQ(value.m_FrameColor, 0x05u);
    EXPECT_EQ(value.m_LampActiveColor1, before.m_LampActiveColor1);
    EXPECT_EQ(value.m_LampActiveColor2, before.m_LampActiveColor2);
    EXPECT_EQ(value.m_LampPassiveColor, before.m_LampPassiveColor);
    EXPECT_EQ(value.m_Operator1, before.m_Operator1);

    CKSTValueElementSettings lamp = before;
    KstApplyLampFields(f, lamp);
    EXPECT_EQ(lamp.m_Title, "Druck");
    EXPECT_EQ(lamp.m_TitleFontIndex, -1);
    EXPECT_EQ(lamp.m_TitleSide, 2u);
    EXPECT_EQ(lamp.m_TitleAlignment, 9u);
    EXPECT_EQ(lamp.m_TitleTransparent, 1u);
    EXPECT_EQ(lamp.m_ValueTransparent, 1u);
    EXPECT_EQ(lamp.m_ValueBackColor, 0x04u);
    EXPECT_EQ(lamp.m_Frame, 1u);
    EXPECT_EQ(lamp.m_LampActiveColor1, 0x06u);
    EXPECT_EQ(lamp.m_LampActiveColor2, 0x07u);
    EXPECT_EQ(lamp.m_LampPassiveColor, 0x08u);
    EXPECT_EQ(lamp.m_Operator1, 2u);
    EXPECT_EQ(lamp.m_Operator2, 4u);
    EXPECT_TRUE(lamp.m_ValueFont == before.m_ValueFont);
    EXPECT_EQ(lamp.m_ValueFontIndex, 3);
    EXPECT_EQ(lamp.m_ValueTextColor, before.m_ValueTextColor);
    EXPECT_EQ(lamp.m_FrameColor, before.m_FrameColor);
    EXPECT_EQ(lamp.m_ShowGroup, before.m_ShowGroup);
    EXPECT_EQ(lamp.m_ShowUnit, before.m_ShowUnit);
}

// An unchanged font still is the layout's pooled one; only the exact 1 of a check box sets show
// unit and frame.
TEST(ValueDialogMappingTest, UnchangedFontsKeepTheirIndexAndChecksOtherThanOneClear)
{
    CKSTValueElementSettings s;
    s.m_TitleFontIndex = 2;
    s.m_ValueFontIndex = 3;
    KstValueDialogFields f = KstValueFieldsFromSettings(s);
    f.showUnit = 2;
    f.frame = 2;
    f.showGroup = 2;
    KstApplyValueFields(f, s);
    EXPECT_EQ(s.m_TitleFontIndex, 2);
    EXPECT_EQ(s.m_ValueFontIndex, 3);
    EXPECT_EQ(s.m_ShowUnit, 0);
    EXPECT_EQ(s.m_Frame, 0u);
    EXPECT_EQ(s.m_ShowGroup, 1);
}

}  // namespace
