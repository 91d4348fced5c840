#include <gtest/gtest.h>

#include "panels/AsciiDialogMapping.h"

namespace {

TEST(AsciiDialogMapping, LoadSettingsToFieldsAndBack)
{
    struct Case {
        int32_t separator, xAxis, dateFormat;
        int16_t headerLines;
        int separatorIndex, xAxisIndex;
        const char* headerText;
    };
    const Case cases[] = {
        {KST_TEXT_SEPARATOR_AUTO, 1, 0, -1, 0, 0, "auto"},
        {KST_TEXT_SEPARATOR_SEMICOLON, 0, 1, 0, 1, 1, "0"},
        {KST_TEXT_SEPARATOR_COMMA, 1, 3, 12, 2, 0, "12"},
        {KST_TEXT_SEPARATOR_TAB, 0, 4, 10000, 3, 1, "10000"},
    };
    for (const Case& c : cases) {
        CKSTTextFormat settings;
        settings.readSeparator = c.separator;
        settings.xAxis = c.xAxis;
        settings.dateFormat = c.dateFormat;
        settings.headerLines = c.headerLines;
        settings.removeEmptyColumns = 0;
        settings.suppressGroupNames = 1;
        KstLoadAsciiFields fields;
        KstLoadAsciiFieldsFromSettings(settings, fields);
        EXPECT_EQ(fields.separatorIndex, c.separatorIndex);
        EXPECT_EQ(fields.xAxisIndex, c.xAxisIndex);
        EXPECT_EQ(fields.dateFormatIndex, c.dateFormat);
        EXPECT_STREQ(fields.headerLines.c_str(), c.headerText);
        EXPECT_EQ(fields.removeEmptyColumns, 0);
        EXPECT_EQ(fields.suppressGroupNames, 1);

        CKSTTextFormat back;
        back.readSeparator = -7;
        back.writeSeparator = KST_TEXT_SEPARATOR_TAB;  // not the load dialog's
        KstLoadAsciiSettingsFromFields(fields, back);
        EXPECT_EQ(back.readSeparator, c.separator);
        EXPECT_EQ(back.xAxis, c.xAxis);
        EXPECT_EQ(back.dateFormat, c.dateFormat);
        EXPECT_EQ(back.headerLines, c.headerLines);
        EXPECT_EQ(back.removeEmptyColumns, 0);
        EXPECT_EQ(back.suppressGroupNames, 1);
        EXPECT_EQ(back.writeSeparator, KST_TEXT_SEPARATOR_TAB);
    }
}

TEST(AsciiDialogMapping, LoadNothingSelectedAndHeaderTexts)
{
    CKSTTextFormat settings;
    settings.readSeparator = KST_TEXT_SEPARATOR_TAB;
    settings.xAxis = 0;
    settings.dateFormat = 2;
    settings.headerLines = 7;
    KstLoadAsciiFields fields;  // every index -1
    const struct {
        const char* text;
        int16_t headerLines;
    } texts[] = {
        {"auto", -1},
        {" 12", 12},
        {"+3", 3},
        {"5 lines", 5},
        {"-1", -1},
        // Not a number, or beyond 16 bits: the count stays.
        {"Auto", 7},
        {"", 7},
        {"lines", 7},
        {"70000", 7},
        {"-40000", 7},
    };
    for (const auto& t : texts) {
        fields.headerLines = t.text;
        CKSTTextFormat back = settings;
        KstLoadAsciiSettingsFromFields(fields, back);
        EXPECT_EQ(back.headerLines, t.headerLines) << t.text;
        EXPECT_EQ(back.readSeparator, KST_TEXT_SEPARATOR_TAB);
        EXPECT_EQ(back.xAxis, 0);
        EXPECT_EQ(back.dateFormat, 2);
    }
}

TEST(AsciiDialogMapping, SaveSettingsToFieldsAndBack)
{
    struct Case {
        int32_t format, separator, mark, average;
        int separatorIndex, markIndex, timeInfo;
        const char* countText;
        int32_t formatBack, averageBack;
    };
    const Case cases[] = {
        {KST_TEXT_CSV_TIME, 0, 1, 0, 1, 0, 0, "2", KST_TEXT_CSV_TIME, 0},
        {KST_TEXT_CSV_DATETIME, 1, 0, 5, 0, 1, 1, "5", KST_TEXT_CSV_DATETIME, 5},
        {KST_TEXT_CSV_SECONDS, 2, 0, 10, 2, 1, 2, "10", KST_TEXT_CSV_SECONDS, 10},
        // Any other layout shows as seconds; a count below 2 shows as 2.
        {KST_TEXT_BDATA, 2, 1, 1, 2, 0, 2, "2", KST_TEXT_CSV_SECONDS, 2},
    };
    for (const Case& c : cases) {
        CKSTTextFormat settings;
        settings.formatCode = c.format;
        settings.writeSeparator = c.separator;
        settings.decimalMark = c.mark;
        settings.averageCount = c.average;
        settings.valueDecimals = 4;
        settings.timeDecimals = 6;
        settings.interpolate = 1;
        KstSaveAsciiFields fields;
        KstSaveAsciiFieldsFromSettings(settings, fields);
        EXPECT_EQ(fields.separatorIndex, c.separatorIndex);
        EXPECT_EQ(fields.decimalMarkIndex, c.markIndex);
        EXPECT_EQ(fields.timeInfo, c.timeInfo);
        EXPECT_EQ(fields.average, c.average != 0 ? 1 : 0);
        EXPECT_STREQ(fields.averageCount.c_str(), c.countText);
        EXPECT_STREQ(fields.valueDecimals.c_str(), "4");
        EXPECT_STREQ(fields.timeDecimals.c_str(), "6");
        EXPECT_EQ(fields.interpolate, 1);

        CKSTTextFormat back;
        back.readSeparator = KST_TEXT_SEPARATOR_SEMICOLON;  // not the save dialog's
        KstSaveAsciiSettingsFromFields(fields, back);
        EXPECT_EQ(back.formatCode, c.formatBack);
        EXPECT_EQ(back.writeSeparator, c.separator);
        EXPECT_EQ(back.decimalMark, c.mark);
        EXPECT_EQ(back.averageCount, c.averageBack);
        EXPECT_EQ(back.valueDecimals, 4);
        EXPECT_EQ(back.timeDecimals, 6);
        EXPECT_EQ(back.interpolate, 1);
        EXPECT_EQ(back.readSeparator, KST_TEXT_SEPARATOR_SEMICOLON);
    }
}

TEST(AsciiDialogMapping, SaveUncheckedAverageStoresZeroAndBadDecimalsKeepTheRecord)
{
    KstSaveAsciiFields fields;
    fields.separatorIndex = -1;  // nothing selected: ","
    fields.decimalMarkIndex = -1;
    fields.timeInfo = -1;
    fields.average = 0;
    fields.averageCount = "9";
    fields.valueDecimals = "x";
    fields.timeDecimals = "99999";
    CKSTTextFormat back;
    back.averageCount = 4;
    back.valueDecimals = 2;
    back.timeDecimals = 1;
    KstSaveAsciiSettingsFromFields(fields, back);
    EXPECT_EQ(back.averageCount, 0);
    EXPECT_EQ(back.writeSeparator, KST_TEXT_SEPARATOR_COMMA);
    EXPECT_EQ(back.decimalMark, 1);
    EXPECT_EQ(back.formatCode, KST_TEXT_CSV_SECONDS);
    EXPECT_EQ(back.valueDecimals, 2);
    EXPECT_EQ(back.timeDecimals, 1);
}

TEST(AsciiDialogMapping, SeparatorDecidesTheDecimalMarkExceptTab)
{
    const struct {
        int separator, markBefore, markAfter;
        bool free;
    } cases[] = {
        {KstSaveAsciiFields::kSeparatorSemicolon, 0, 1, false},
        {KstSaveAsciiFields::kSeparatorComma, 1, 0, false},
        {KstSaveAsciiFields::kSeparatorTab, 1, 1, true},
        {KstSaveAsciiFields::kSeparatorTab, 0, 0, true},
    };
    for (const auto& c : cases) {
        KstSaveAsciiFields fields;
        fields.separatorIndex = c.separator;
        fields.decimalMarkIndex = c.markBefore;
        EXPECT_EQ(KstCoupleDecimalMark(fields), c.free);
        EXPECT_EQ(fields.decimalMarkIndex, c.markAfter);
    }
}

TEST(AsciiDialogMapping, AverageCountChecksAndSpinSteps)
{
    EXPECT_TRUE(KstAverageCountValid("2"));
    EXPECT_TRUE(KstAverageCountValid("32767"));
    EXPECT_FALSE(KstAverageCountValid("1"));
    EXPECT_FALSE(KstAverageCountValid("-5"));
    EXPECT_FALSE(KstAverageCountValid(""));
    EXPECT_FALSE(KstAverageCountValid("32768"));

    const struct {
        const char* text;
        int delta;
        const char* result;
    } steps[] = {
        {"2", -1, "3"},
        {"3", 1, "2"},
        // Never below 2, never beyond what the count can hold; no number stays as it is.
        {"2", 1, "2"},
        {"32767", -1, "32767"},
        {"abc", -1, "abc"},
        {"10", -5, "15"},
    };
    for (const auto& s : steps) {
        EXPECT_STREQ(KstStepAverageCount(s.text, s.delta).c_str(), s.result)
            << s.text << " " << s.delta;
    }
}

}  // namespace
