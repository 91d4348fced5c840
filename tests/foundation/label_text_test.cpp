#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "foundation/LabelText.h"

namespace {

TEST(LabelText, CountDecimalPlaces)
{
    struct Case {
        const char* text;
        bool countTrailingZeros;
        int places;
    };
    const Case cases[] = {
        {"12", true, 0},     {"12", false, 0},     {"1.0", false, 0},   {"1.0", true, 1},
        {"2.500", false, 1}, {"2.500", true, 3},   {"2.000", false, 0}, {"-0.125", false, 3},
        {"1.", true, 0},     {"1.2.30", false, 3}, {"", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.countTrailingZeros ? " with zeros" : ""));
        EXPECT_EQ(c.places, CountDecimalPlaces(c.text, c.countTrailingZeros));
    }
}

TEST(LabelText, TrimDurationLength)
{
    struct Case {
        const char* text;
        int length;
    };
    const Case cases[] = {
        {"01:30:00", 5},    {"01:00:00", 2},   {"3T 00:00:00", 2}, {"00:00:05", 8},
        {"00:00:10", 8},    {"00:10:00", 5},   {"00:00:00", 2},    {" 1d 00:00:00", 3},
        {"12:30:45.5", 10}, {"12:30:45.0", 8}, {"0", 1},           {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.length, TrimDurationLength(c.text));
    }
}

TEST(LabelText, ExponentSuffix)
{
    struct Case {
        const char* unit;
        int16_t exponent;
        int16_t mode;
        const char* suffix;
    };
    const Case cases[] = {
        {"V", -6, 2, "\xB5V"},   {"V", 3, 2, "10^3 V"},   {"V", 3, 3, "kV"},
        {"", -3, 1, "10^-3"},    {"V", -3, 0, "V"},       {"V", 3, 0, "V"},
        {"", -3, 0, ""},         {"", 0, 1, ""},          {"", 6, 3, "10^6"},
        {"V", 0, 1, "V"},        {"V", -3, 1, "10^-3 V"}, {"V", -12, 3, "pV"},
        {"V", -9, 2, "nV"},      {"V", 0, 3, "V"},        {"V", 6, 3, "MV"},
        {"V", 9, 3, "GV"},       {"V", 9, 2, "10^9 V"},   {"V", -15, 3, "10^-15 V"},
        {"V", -2, 3, "10^-2 V"}, {"V", -3, 7, ""},        {"V", 0, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "'" << c.unit << "' " << c.exponent << " mode " << c.mode);
        CKSTString suffix("old");
        FormatExponentSuffix(c.unit, c.exponent, c.mode, suffix);
        EXPECT_STREQ(c.suffix, suffix.c_str());
    }
}

TEST(LabelText, ScaledNumber)
{
    struct Case {
        double value;
        int16_t decimals;
        bool widen;
        const char* unit;
        int16_t exponent;
        int16_t mode;
        const char* number;
        const char* suffix;
    };
    const Case cases[] = {
        {0.0015, 2, false, "V", -3, 2, "1.50", "mV"},
        // A unit that carries a prefix already is shown unscaled.
        {0.0015, 2, false, "mV", -3, 2, "0.00", "mV"},
        {0.0015, 2, true, "mV", -3, 2, "0.00150", "mV"},
        {2500, 0, false, "kHz", 3, 3, "2500", "kHz"},
        {2500, 0, false, "MHz", 3, 3, "2500", "MHz"},
        {0.0025, 1, false, "m/s", -3, 2, "2.5", "mm/s"},
        {1234.5, 1, false, "%", 3, 3, "1234.5", "%"},
        {12340, 2, false, "V", 3, 3, "12.34", "kV"},
        {2500, 1, false, "V", 3, 1, "2.5", "10^3 V"},
        {-0.0042, 1, false, "A", -3, 3, "-4.2", "mA"},
        {0.0042, 1, true, "A", -3, 0, "0.0042", "A"},
        {0.0042, 1, false, "A", -3, 0, "0.0", "A"},
        {1.25, -1, false, "s", 0, 3, "1", "s"},
        {4.2e-6, 1, false, "", -6, 1, "4.2", "10^-6"},
        {7, 1, false, "m", 3, 3, "0.0", "km"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.value << " '" << c.unit << "' " << c.exponent << " mode " << c.mode);
        CKSTString number, suffix;
        FormatScaledNumber(c.value, c.decimals, c.widen, c.unit, c.exponent, c.mode, number,
                           suffix);
        EXPECT_STREQ(c.number, number.c_str());
        EXPECT_STREQ(c.suffix, suffix.c_str());
    }
}

// The date part and the cut after the hour, from fixed time-of-day texts.
TEST(LabelText, TimeAxisLabelFromTimeText)
{
    const CKSTTimeStamp may3(2008, 5, 3, 8, 0, 0);
    const CKSTTimeStamp dec31(2008, 12, 31, 8, 0, 0);
    struct Case {
        const char* name;
        const CKSTTimeStamp& day;
        const char* time;
        int16_t decimals;
        int maxLength;
        double range;
        bool english;
        const char* label;
        int dateLength;
    };
    const Case cases[] = {
        {"12 hours", may3, "08:00:00", 0, 100, 43200, false, "08:00:00", 0},
        {"just over 12 hours", may3, "08:00:00", 0, 100, 43201, false, " 3. 5. 08:00:00", 5},
        {"just over 12 hours", may3, "08:00:00", 0, 100, 43201, true, " 5/ 3, 08:00:00", 5},
        {"1.5e7 s", may3, "08:00:00", 0, 100, 1.5e7, true, " 5/ 3, 08:00:00", 5},
        {"over 1.5e7 s", may3, "08:00:00", 0, 100, 1.5e7 + 1, true, " 5/ 3/2008, 08:00:00", 10},
        {"over 1.5e7 s", may3, "08:00:00", 0, 100, 1.5e7 + 1, false, " 3. 5.2008, 08:00:00", 10},
        {"two-digit fields", dec31, "08:00:00", 0, 100, 1.6e7, false, "31.12.2008, 08:00:00", 10},
        {"negative decimals", may3, "08:00:00", -3, 100, 0, false, "08:00:00", 0},
        {"cut after the hour", may3, "08:00:00", 0, 9, 43201, false, " 3. 5. 8h", 5},
        {"cut after hour 12", may3, "12:00:00", 0, 9, 43201, true, " 5/ 3, 12h", 5},
        {"cut after hour 20", may3, "20:00:00", 0, 2, 0, true, "20h", 0},
        {"time alone cut after the hour", may3, "08:00:00", 0, 2, 0, true, "8h", 0},
        {"cut after the hour, decimals", may3, "08:00:00.000000", 6, 9, 43201, false, " 3. 5. 8h",
         5},
        {"cut after the minutes", may3, "08:00:00", 0, 12, 43201, false, " 3. 5. 08:00", 5},
        // With decimals the hour ends (decimals + 7) before the end, not 6.
        {"cut 6 before the end, decimals", may3, "08:00:00.000000", 6, 16, 43201, false,
         " 3. 5. 08:00:00.", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << (c.english ? ", English" : ", German"));
        CKSTString label("old");
        EXPECT_EQ(c.dateLength, ComposeTimeAxisLabel(c.day, c.time, c.decimals, c.maxLength,
                                                     c.range, c.english, label));
        EXPECT_STREQ(c.label, label.c_str());
    }
}

TEST(LabelText, TimeAxisLabelTakesTheTimeOfDayFromTheStamp)
{
    const CKSTTimeStamp stamp =
        CKSTTimeStamp(2008, 5, 3, 8, 0, 0) + CKSTTimeSpan::FromFields(0.0, 0.25);
    CKSTString label;
    EXPECT_EQ(10, FormatTimeAxisLabel(stamp, 2, 100, 1.6e7, true, label));
    EXPECT_EQ(std::string(" 5/ 3/2008, ") + stamp.FormatTime(2).c_str(), label.c_str());
}

TEST(LabelText, TimeAxisLabelCarriesARoundedFractionIntoTheDate)
{
    const CKSTTimeStamp stamp =
        CKSTTimeStamp(2008, 5, 3, 23, 59, 59) + CKSTTimeSpan::FromFields(0.0, 0.96);
    const CKSTTimeStamp midnight(2008, 5, 4, 0, 0, 0);
    CKSTString label;
    EXPECT_EQ(5, FormatTimeAxisLabel(stamp, 1, 100, 86400, false, label));
    EXPECT_EQ(std::string(" 4. 5. ") + midnight.FormatTime(1).c_str(), label.c_str());
    // Without decimals the fraction is dropped, as time texts drop it.
    EXPECT_EQ(5, FormatTimeAxisLabel(stamp, 0, 100, 86400, false, label));
    EXPECT_EQ(std::string(" 3. 5. ") + stamp.FormatTime(0).c_str(), label.c_str());
}

TEST(LabelText, RemoveLabelBlanks)
{
    struct Case {
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {" 5/ 3, ", "5/3, "},
        {" 3. 5. ", "3.5. "},
        {"12/31, ", "12/31, "},
        {" 5/12, ", "5/12, "},
        {"12/ 3, ", "12/3, "},
        {"a b", "a b"},
        {" ", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CKSTString text(c.text);
        RemoveLabelBlanks(text);
        EXPECT_STREQ(c.result, text.c_str());
    }
}

TEST(LabelText, Duration)
{
    const double bigRange = 400000;
    struct Case {
        const char* name;
        double seconds;
        int16_t decimals;
        int maxLength;
        double rangeStart, rangeEnd;
        bool english;
        const char* text;
    };
    const Case cases[] = {
        {"days, English", 90061.5, 1, 100, 0, 100000, true, " 1d 01:01:01.5"},
        {"negative", -30, 0, 100, 0, 60, false, "-00:00:30"},
        {"days, German", 302400, 0, 100, 0, bigRange, false, " 3T 12:00:00"},
        {"days from the range start", 30, 0, 100, -90000, 0, true, " 0d 00:00:30"},
        {"below one day", 86399, 0, 100, 0, 86399.9, true, " 23:59:59"},
        {"fraction", 0.25, 3, 100, 0, 60, true, " 00:00:00.250"},
        {"negative decimals", 0.75, -2, 100, 0, 60, true, " 00:00:00"},
        {"fraction rounds up", 59.96, 1, 100, 0, 60, true, " 00:01:00.0"},
        {"fraction rounds down", 59.94, 1, 100, 0, 60, true, " 00:00:59.9"},
        {"carry into the hour", 3599.96, 1, 100, 0, 3600, true, " 01:00:00.0"},
        {"carry into the day", 86399.96, 1, 100, 0, bigRange, false, " 1T 00:00:00.0"},
        {"negative carry", -59.996, 2, 100, 0, 60, true, "-00:01:00.00"},
        {"no decimals drop the fraction", 59.96, 0, 100, 0, 60, true, " 00:00:59"},
        {"floating-point noise carries", 59.9999999, 0, 100, 0, 60, true, " 00:01:00"},
        {"cut after the hour", 28800, 0, 3, 0, 60, true, " 8h"},
        {"cut after the colon", 28800, 0, 4, 0, 60, true, " 8h"},
        {"cut after hour 12", -43200, 0, 3, 0, 60, true, "-12h"},
        {"cut after the hour, days", 302400, 0, 6, 0, bigRange, false, " 3T 12h"},
        {"cut after the hour, decimals", 28800, 3, 3, 0, 60, true, " 8h"},
        {"cut after the minutes", 28800, 0, 6, 0, 60, true, " 08:00"},
        {"cut before the hour", 28800, 0, 2, 0, 60, true, " 0"},
        {"infinite", HUGE_VAL, 1, 100, 0, 60, true, "inf"},
        {"negative infinite", -HUGE_VAL, 1, 100, 0, 60, true, "-inf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTString text("old");
        FormatDuration(c.seconds, c.decimals, c.maxLength, c.rangeStart, c.rangeEnd, c.english,
                       text);
        EXPECT_STREQ(c.text, text.c_str());
    }
}

TEST(LabelText, RotatedTextExtent)
{
    struct Case {
        int32_t width, height;
        int16_t angle;
        int32_t boxWidth, boxHeight, x, y;
    };
    const Case cases[] = {
        {100, 20, 0, 100, 20, -50, 10},   {101, 21, 0, 101, 21, -50, 10},
        {100, 20, 180, 100, 20, 50, -10}, {100, 20, 90, 20, 100, -10, -50},
        {100, 20, 270, 20, 100, 10, 50},  {100, 20, -90, 20, 100, 10, 50},
        {100, 20, -450, 20, 100, 10, 50}, {100, 20, -180, 100, 20, 50, -10},
        {100, 20, 30, 96, 67, -48, -16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        int32_t w = c.width, h = c.height, x = 0, y = 0;
        RotatedTextExtent(w, h, x, y, c.angle);
        EXPECT_EQ(c.boxWidth, w);
        EXPECT_EQ(c.boxHeight, h);
        EXPECT_EQ(c.x, x);
        EXPECT_EQ(c.y, y);
    }
}

}  // namespace
