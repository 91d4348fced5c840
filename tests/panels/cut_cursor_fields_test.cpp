// The relative form of the cut dialog and its mode numbers.
#include <gtest/gtest.h>

#include "panels/CutCursorFields.h"

namespace {

TEST(CutCursorFieldsTest, SpanSplitsIntoDaysHoursMinutesAndSeconds)
{
    struct Case {
        double seconds;
        const char* days;
        const char* hours;
        const char* minutes;
        const char* rest;
    };
    const Case cases[] = {
        {90061.25, "1", "1", "1", "1.25"},
        {0.0, "0", "0", "0", "0"},
        {59.5, "0", "0", "0", "59.5"},
        {3 * 86400.0 + 7200.0, "3", "2", "0", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        const KstSpanTexts texts = KstSpanToTexts(c.seconds);
        EXPECT_STREQ(texts.days.c_str(), c.days);
        EXPECT_STREQ(texts.hours.c_str(), c.hours);
        EXPECT_STREQ(texts.minutes.c_str(), c.minutes);
        EXPECT_STREQ(texts.seconds.c_str(), c.rest);
    }
}

TEST(CutCursorFieldsTest, TypedFieldsCountWholeUnitsAndAddUp)
{
    struct Case {
        KstSpanTexts texts;
        double seconds;
    };
    const Case cases[] = {
        {{"0", "0", "0", "12.9"}, 12.0},  // fractions of a second are dropped
        {{"1", "25", "61", "0"}, 86400.0 + 25 * 3600.0 + 61 * 60.0},
        {{"", "x", " 2", "3s"}, 123.0},  // leading digits only; none is 0
        {{"-1", "0", "0", "0"}, -86400.0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(KstSpanFromTexts(c.texts).GetSeconds(), c.seconds);
    }
}

TEST(CutCursorFieldsTest, AxisModesAndResultModesNumberTheFormsDifferently)
{
    EXPECT_EQ(KstCutFormOfAxisMode(1), KstCutForm::Standard);
    EXPECT_EQ(KstCutFormOfAxisMode(2), KstCutForm::Absolute);
    EXPECT_EQ(KstCutFormOfAxisMode(3), KstCutForm::Relative);
    EXPECT_EQ(KstCutFormOfAxisMode(0), KstCutForm::None);
    EXPECT_EQ(KstCutResultMode(KstCutForm::Standard), 1);
    EXPECT_EQ(KstCutResultMode(KstCutForm::Absolute), 3);
    EXPECT_EQ(KstCutResultMode(KstCutForm::Relative), 2);
    EXPECT_EQ(KstCutResultMode(KstCutForm::None), 0);
}

}  // namespace
