#include "foundation/TimeStamp.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "foundation/PreciseClock.h"
#include "support/ScopedTimeZone.h"

namespace {

// Independent proleptic Gregorian day count (days since 1970-01-01), used to check the calendar.
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int DaysInMonth(int y, int m)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

struct DateTime {
    int16_t year, month, day, hour, minute, second;
};

DateTime Fields(double days)
{
    DateTime f{};
    SerialToDateTime(days, f.year, f.month, f.day, f.hour, f.minute, f.second);
    return f;
}

void ExpectFields(const DateTime& expected, double days)
{
    const DateTime f = Fields(days);
    EXPECT_EQ(expected.year, f.year);
    EXPECT_EQ(expected.month, f.month);
    EXPECT_EQ(expected.day, f.day);
    EXPECT_EQ(expected.hour, f.hour);
    EXPECT_EQ(expected.minute, f.minute);
    EXPECT_EQ(expected.second, f.second);
}

TEST(Calendar, KnownDatesFromAnIndependentCalendar)
{
    // Day numbers and weekdays written by python3's datetime (days since 1899-12-30).
    struct Case {
        int year, month, day, hour, minute, second;
        int serial, secondOfDay, dayOfWeek;
    };
    const Case cases[] = {
        {100, 1, 1, 0, 0, 0, -657434, 0, 5},
        {100, 2, 28, 23, 59, 59, -657376, 86399, 0},
        {600, 3, 1, 12, 0, 0, -474754, 43200, 6},
        {1582, 10, 15, 6, 30, 0, -115858, 23400, 5},
        {1700, 2, 28, 0, 0, 1, -72988, 1, 0},
        {1700, 3, 1, 0, 0, 0, -72987, 0, 1},
        {1899, 12, 29, 12, 0, 0, -1, 43200, 5},
        {1899, 12, 30, 0, 0, 0, 0, 0, 6},
        {1899, 12, 30, 18, 0, 0, 0, 64800, 6},
        {1900, 1, 1, 0, 0, 0, 2, 0, 1},
        {1900, 2, 28, 0, 0, 0, 60, 0, 3},
        {1900, 3, 1, 0, 0, 0, 61, 0, 4},
        {2000, 2, 29, 13, 14, 15, 36585, 47655, 2},
        {2007, 3, 4, 5, 6, 7, 39145, 18367, 0},
        {2038, 1, 19, 3, 14, 8, 50424, 11648, 2},
        {2400, 2, 29, 23, 59, 59, 182682, 86399, 2},
        {9999, 12, 31, 23, 59, 59, 2958465, 86399, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day << " " << c.hour
                                        << ":" << c.minute << ":" << c.second);
        // The time of day counts away from zero before 1899-12-30.
        const double t = c.secondOfDay / 86400.0;
        const double expected = c.serial < 0 ? c.serial - t : c.serial + t;
        const double days = DateToSerial(c.year, c.month, c.day, c.hour, c.minute, c.second);
        EXPECT_NEAR(expected, days, 1e-9);
        ExpectFields({int16_t(c.year), int16_t(c.month), int16_t(c.day), int16_t(c.hour),
                      int16_t(c.minute), int16_t(c.second)},
                     days);
        int16_t y, m, d, w = -1;
        SerialToDate(days, y, m, d, &w);
        EXPECT_EQ(c.dayOfWeek, w);
        EXPECT_EQ(c.dayOfWeek, CKSTTimeStamp(days).GetDayOfWeek());
    }
}

TEST(Calendar, EveryDayFromYear100To9999RoundTrips)
{
    const int64_t origin = DaysFromCivil(1899, 12, 30);
    int failures = 0;
    for (int y = 100; y <= 9999 && failures < 5; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                const int64_t expected = DaysFromCivil(y, m, d) - origin;
                // Noon and one second before midnight exercise the time split on both sides.
                const double noon = DateToSerial(y, m, d, 12, 0, 0);
                const double late = DateToSerial(y, m, d, 23, 59, 59);
                const double half = expected < 0 ? -0.5 : 0.5;
                int16_t yy, mm, dd, w, h, mi, s;
                SerialToDate(late, yy, mm, dd, &w);
                SerialToTime(late, h, mi, s);
                const int64_t weekday = ((expected + 6) % 7 + 7) % 7;  // 1899-12-30: Saturday
                if (std::fabs(noon - (expected + half)) > 1e-9 || yy != y || mm != m || dd != d ||
                    w != weekday || h != 23 || mi != 59 || s != 59) {
                    ADD_FAILURE() << y << "-" << m << "-" << d << ": serial " << noon << " back "
                                  << yy << "-" << mm << "-" << dd << " " << h << ":" << mi << ":"
                                  << s << " weekday " << w;
                    ++failures;
                }
            }
        }
    }
}

TEST(Calendar, FieldsOutOfRangeRollOver)
{
    struct Case {
        int year, month, day, hour, minute, second;
        DateTime expected;
    };
    const Case cases[] = {
        {2007, 1, 32, 0, 0, 0, {2007, 2, 1, 0, 0, 0}},
        {2007, 3, 4, 24, 0, 0, {2007, 3, 5, 0, 0, 0}},
        {2007, 3, 4, 23, 59, 60, {2007, 3, 5, 0, 0, 0}},
        {2007, 12, 31, 0, 0, 18000, {2007, 12, 31, 5, 0, 0}},
        {2007, 13, 5, 0, 0, 0, {2007, 1, 5, 0, 0, 0}},  // outside 2..12 counts as January
        {2007, 0, 5, 0, 0, 0, {2007, 1, 5, 0, 0, 0}},
        {2008, 2, 30, 0, 0, 0, {2008, 3, 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day << " " << c.hour
                                        << ":" << c.minute << ":" << c.second);
        ExpectFields(c.expected, DateToSerial(c.year, c.month, c.day, c.hour, c.minute, c.second));
    }
}

TEST(Calendar, TimeThatRoundsToMidnightBelongsToTheNextDay)
{
    ExpectFields({1899, 12, 31, 0, 0, 0}, 0.9999999);
    ExpectFields({1899, 12, 30, 0, 0, 0}, -1.9999999);
    ExpectFields({2007, 3, 5, 0, 0, 0}, 39145.99999999);
}

TEST(Calendar, AbsurdDayValuesStayDefined)
{
    for (double days : {1e300, -1e300, std::nan("")}) {
        SCOPED_TRACE(days);
        const DateTime f = Fields(days);
        EXPECT_GE(f.year, 0);
        EXPECT_GE(f.month, 1);
        EXPECT_LE(f.month, 12);
    }
}

TEST(Calendar, RoundDaysToSecondRoundsHalfAwayFromZero)
{
    const double second = KST_ONE_SECOND_DAYS;
    struct Case {
        double days, expected;
    };
    const Case cases[] = {
        {0.5 + 0.4 * second, 0.5},
        {0.5 + 0.6 * second, 0.5 + second},
        {0.5 + 0.5 * second, 0.5 + second},
        {-0.5 - 0.5 * second, -0.5 - second},
        {-0.5 - 0.4 * second, -0.5},
        {39145.0 + 0.49 * second, 39145.0},
        {-3.0 - 0.75 * second, -3.0 - second},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.days);
        EXPECT_NEAR(c.expected, RoundDaysToSecond(c.days), 1e-12);
    }
}

TEST(Calendar, ValidDatesAndLeapYears)
{
    struct Case {
        int year, month, day, hour, minute, second;
        bool valid;
    };
    const Case cases[] = {
        {2007, 3, 4, 5, 6, 7, true},   {100, 1, 1, 0, 0, 0, true},
        {99, 12, 31, 0, 0, 0, false},  {9999, 12, 31, 23, 59, 59, true},
        {10000, 1, 1, 0, 0, 0, false}, {2007, 0, 1, 0, 0, 0, false},
        {2007, 13, 1, 0, 0, 0, false}, {2007, 4, 31, 0, 0, 0, false},
        {2007, 2, 29, 0, 0, 0, false}, {2008, 2, 29, 0, 0, 0, true},
        {1900, 2, 29, 0, 0, 0, false}, {2000, 2, 29, 0, 0, 0, true},
        {2007, 1, 0, 0, 0, 0, false},  {2007, 1, 1, 24, 0, 0, false},
        {2007, 1, 1, 0, 60, 0, false}, {2007, 1, 1, 0, 0, 60, false},
        {2007, 1, 1, -1, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day << " " << c.hour
                                        << ":" << c.minute << ":" << c.second);
        EXPECT_EQ(c.valid, IsValidDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second));
    }
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2008));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2007));
}

TEST(TimeStamp, ConstructionKeepsDaysAtWholeSecondsAndTheFractionApart)
{
    const CKSTTimeStamp fromFields(2007, 3, 4, 5, 6, 7.25);
    EXPECT_NEAR(DateToSerial(2007, 3, 4, 5, 6, 7), fromFields.GetSerialDays(), 1e-12);
    EXPECT_DOUBLE_EQ(0.25, fromFields.GetFraction());
    EXPECT_EQ(7, fromFields.GetSecond());
    EXPECT_DOUBLE_EQ(5 * 3600 + 6 * 60 + 7.25, fromFields.GetSecondsOfDay());

    const double raw = 39145.5 + 0.3 * KST_ONE_SECOND_DAYS;
    EXPECT_DOUBLE_EQ(39145.5, CKSTTimeStamp(raw).GetSerialDays());
    EXPECT_DOUBLE_EQ(39145.5, CKSTTimeStamp(raw, 0.75).GetSerialDays());
    EXPECT_DOUBLE_EQ(0.75, CKSTTimeStamp(raw, 0.75).GetFraction());
    EXPECT_DOUBLE_EQ(raw, CKSTTimeStamp::FromOleDate(raw).GetSerialDays());
}

TEST(TimeStamp, SetFromDaysKeepsTenMicroseconds)
{
    const double second = KST_ONE_SECOND_DAYS;
    struct Case {
        double days;
        DateTime expected;
        double fraction;
    };
    const Case cases[] = {
        {39145.5 + 0.25 * second, {2007, 3, 4, 12, 0, 0}, 0.25},
        {39145.5 + 7.123456 * second, {2007, 3, 4, 12, 0, 7}, 0.12346},
        {39145.5 + 59.999996 * second, {2007, 3, 4, 12, 1, 0}, 0.0},  // rest rounds to 1.0
        {39145.0, {2007, 3, 4, 0, 0, 0}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.days);
        CKSTTimeStamp stamp;
        stamp.SetFromDays(c.days);
        ExpectFields(c.expected, stamp.GetSerialDays());
        EXPECT_NEAR(c.fraction, stamp.GetFraction(), 1e-9);
    }
}

TEST(TimeStamp, ArithmeticCarriesTheFractionIntoTheSeconds)
{
    struct Case {
        const char* what;
        CKSTTimeStamp start;
        double seconds;
        DateTime expected;
        double fraction;
    };
    const Case cases[] = {
        {"carry up", {2007, 3, 4, 10, 0, 0.75}, 0.5, {2007, 3, 4, 10, 0, 1}, 0.25},
        {"over midnight", {2007, 3, 4, 23, 59, 59.5}, 0.75, {2007, 3, 5, 0, 0, 0}, 0.25},
        {"borrow", {2007, 3, 4, 10, 0, 0.25}, -0.5, {2007, 3, 4, 9, 59, 59}, 0.75},
        {"whole day back", {2007, 3, 1, 0, 0, 0.5}, -86400.0, {2007, 2, 28, 0, 0, 0}, 0.5},
        {"hours and fraction", {2007, 3, 4, 10, 0, 0.0}, 3600.125, {2007, 3, 4, 11, 0, 0}, 0.125},
        {"into a leap day", {2008, 2, 28, 12, 0, 0.0}, 86400.0, {2008, 2, 29, 12, 0, 0}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTTimeStamp added = c.start;
        added.AddSeconds(c.seconds);
        ExpectFields(c.expected, added.GetSerialDays());
        EXPECT_DOUBLE_EQ(c.fraction, added.GetFraction());

        const CKSTTimeStamp viaOperator = c.start + c.seconds;
        EXPECT_TRUE(viaOperator == added);
        CKSTTimeStamp viaSpan = c.start;
        viaSpan += CKSTTimeSpan(c.seconds);
        EXPECT_TRUE(viaSpan == added);

        // And back again, by both subtraction paths.
        EXPECT_TRUE(added - c.seconds == c.start);
        CKSTTimeStamp back = added;
        back -= CKSTTimeSpan(c.seconds);
        EXPECT_TRUE(back == c.start);
        EXPECT_DOUBLE_EQ(c.seconds, (added - c.start).GetSeconds());
    }
}

TEST(TimeStamp, DifferenceIsASpanInWholeSecondsAndFraction)
{
    const CKSTTimeStamp a(2007, 3, 4, 10, 0, 1.25);
    const CKSTTimeStamp b(2007, 3, 4, 10, 0, 0.75);
    EXPECT_DOUBLE_EQ(0.5, (a - b).GetSeconds());
    EXPECT_DOUBLE_EQ(-0.5, (b - a).GetSeconds());

    const CKSTTimeSpan span =
        CKSTTimeStamp(2007, 3, 6, 13, 4, 5.5) - CKSTTimeStamp(2007, 3, 4, 12, 3, 4.0);
    int32_t days;
    int16_t hours, minutes;
    double seconds;
    span.GetParts(days, hours, minutes, seconds, true);
    EXPECT_EQ(2, days);
    EXPECT_EQ(1, hours);
    EXPECT_EQ(1, minutes);
    EXPECT_DOUBLE_EQ(1.5, seconds);
    EXPECT_EQ(2, span.GetDays());
}

TEST(TimeStamp, ComparisonIgnoresDayNoiseBelowTheTolerance)
{
    struct Case {
        double daysA, fractionA, daysB, fractionB;
        bool less, lessEqual, greater, equal;
    };
    const double base = 39145.5;
    const Case cases[] = {
        // 5e-7 day apart counts as the same second: the fractions decide.
        {base + 5e-7, 0.1, base, 0.2, true, true, false, false},
        {base + 5e-7, 0.2, base, 0.2, false, true, false, true},
        {base, 0.3, base + 5e-7, 0.2, false, false, true, false},
        // One second apart never compares equal, whatever the fractions say.
        {base + KST_ONE_SECOND_DAYS, 0.0, base, 0.9, false, false, true, false},
        {base, 0.9, base + KST_ONE_SECOND_DAYS, 0.0, true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.daysA - base << " " << c.fractionA << " vs "
                                        << c.daysB - base << " " << c.fractionB);
        const CKSTTimeStamp a = CKSTTimeStamp::FromOleDate(c.daysA) + c.fractionA;
        const CKSTTimeStamp b = CKSTTimeStamp::FromOleDate(c.daysB) + c.fractionB;
        EXPECT_EQ(c.less, a < b);
        EXPECT_EQ(c.lessEqual, a <= b);
        EXPECT_EQ(c.greater, a > b);
        EXPECT_EQ(c.equal, a == b);
        EXPECT_EQ(!c.equal, a != b);
    }
}

TEST(TimeStamp, RoundingToSecondsAndOfTheFraction)
{
    struct Case {
        double fraction;
        int roundToSecond;    // seconds after RoundToSecond
        int roundFraction;    // seconds after RoundFraction
        double fractionLeft;  // fraction after RoundFraction
    };
    const Case cases[] = {
        {0.0, 7, 7, 0.0},       {0.4999, 7, 7, 0.4999},
        {0.5, 8, 7, 0.5},       {0.9999994, 8, 7, 0.9999994},
        {0.9999996, 8, 8, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fraction);
        CKSTTimeStamp rounded(2007, 3, 4, 23, 59, 7 + c.fraction);
        rounded.RoundToSecond();
        EXPECT_EQ(c.roundToSecond % 60, rounded.GetSecond());
        EXPECT_EQ(0.0, rounded.GetFraction());
        CKSTTimeStamp fraction(2007, 3, 4, 23, 59, 7);
        fraction += CKSTTimeSpan::FromFields(0.0, c.fraction);
        fraction.RoundFraction();
        EXPECT_EQ(c.roundFraction, fraction.GetSecond());
        EXPECT_DOUBLE_EQ(c.fractionLeft, fraction.GetFraction());
    }
    CKSTTimeStamp lastSecond(2007, 12, 31, 23, 59, 59.5);
    lastSecond.RoundToSecond();
    EXPECT_EQ(2008, lastSecond.GetYear());
}

TEST(TimeStamp, FieldSettersRollOverAndKeepTheFraction)
{
    struct Case {
        const char* what;
        void (CKSTTimeStamp::*setter)(int);
        int value;
        DateTime expected;
    };
    const Case cases[] = {
        {"year", &CKSTTimeStamp::SetYear, 2008, {2008, 3, 4, 5, 6, 7}},
        {"month", &CKSTTimeStamp::SetMonth, 11, {2007, 11, 4, 5, 6, 7}},
        {"month 13", &CKSTTimeStamp::SetMonth, 13, {2007, 1, 4, 5, 6, 7}},
        {"day 32", &CKSTTimeStamp::SetDay, 32, {2007, 4, 1, 5, 6, 7}},
        {"hour 25", &CKSTTimeStamp::SetHour, 25, {2007, 3, 5, 1, 6, 7}},
        {"minute 61", &CKSTTimeStamp::SetMinute, 61, {2007, 3, 4, 6, 1, 7}},
        {"second 75", &CKSTTimeStamp::SetSecond, 75, {2007, 3, 4, 5, 7, 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTTimeStamp stamp(2007, 3, 4, 5, 6, 7.5);
        (stamp.*c.setter)(c.value);
        ExpectFields(c.expected, stamp.GetSerialDays());
        EXPECT_DOUBLE_EQ(0.5, stamp.GetFraction());
    }
}

TEST(TimeSpan, SplitsSecondsAndCarriesNearlyFullSeconds)
{
    struct Case {
        double seconds;
        double whole, fraction;
    };
    const Case cases[] = {
        {2.99999999999999, 3.0, 0.0},
        {2.5, 2.0, 0.5},
        {90061.5, 90061.0, 0.5},
        {-1.25, -1.0, -0.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        const CKSTTimeSpan span(c.seconds);
        EXPECT_DOUBLE_EQ(c.whole * KST_ONE_SECOND_DAYS, span.GetSerialDays());
        EXPECT_DOUBLE_EQ(c.fraction, span.GetFraction());
        EXPECT_DOUBLE_EQ(c.whole + c.fraction, span.GetSeconds());
    }
}

TEST(TimeSpan, PartsOfSpansBuiltFromParts)
{
    struct Case {
        int32_t days;
        int16_t hours, minutes;
        double seconds;
        int32_t outDays;
        int16_t outHours, outMinutes, outSeconds;
        double fraction;
    };
    const Case cases[] = {
        {1, 1, 1, 1.5, 1, 1, 1, 1, 0.5},
        {0, 25, 0, 0.0, 1, 1, 0, 0, 0.0},
        {0, 0, 0, 86399.25, 0, 23, 59, 59, 0.25},
        {0, 23, 59, 59.99999999999999, 1, 0, 0, 0, 0.0},  // carried, not a 24th hour
        {3, 0, 0, 0.0, 3, 0, 0, 0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.days << "d " << c.hours << "h " << c.minutes << "m " << c.seconds << "s");
        const CKSTTimeSpan span(c.days, c.hours, c.minutes, c.seconds);
        int32_t days;
        int16_t hours, minutes, seconds;
        span.GetPartsInt(days, hours, minutes, seconds);
        EXPECT_EQ(c.outDays, days);
        EXPECT_EQ(c.outHours, hours);
        EXPECT_EQ(c.outMinutes, minutes);
        EXPECT_EQ(c.outSeconds, seconds);
        EXPECT_EQ(c.outDays, span.GetDays());
        double withFraction;
        span.GetParts(days, hours, minutes, withFraction, true);
        EXPECT_DOUBLE_EQ(c.outSeconds + c.fraction, withFraction);
    }
}

TEST(TimeSpan, AddCarriesAndRounds)
{
    CKSTTimeSpan span(1.75);
    span.Add(CKSTTimeSpan(2.5));
    EXPECT_DOUBLE_EQ(4.25, span.GetSeconds());
    EXPECT_DOUBLE_EQ(0.25, span.GetFraction());
    EXPECT_NEAR(4 * KST_ONE_SECOND_DAYS, span.GetSerialDays(), 1e-15);
}

TEST(TimeStamp, SecondsToTimeval)
{
    struct Timeval {
        int32_t tv_sec;
        int32_t tv_usec;
    };
    struct Case {
        double seconds;
        int result;
        int32_t sec, usec;
    };
    const Case cases[] = {
        {1.25, KST_OK, 1, 250000},
        {0.0, KST_OK, 0, 0},
        {60.000001, KST_OK, 60, 0},  // truncated
        {-0.5, KST_ERR_NEGATIVE_DURATION, 0, 0},
        {std::nan(""), KST_ERR_NEGATIVE_DURATION, 0, 0},
        {1e12, KST_OK, 2147483647, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        Timeval tv{7, 7};
        EXPECT_EQ(c.result, SecondsToTimeval(c.seconds, tv));
        EXPECT_EQ(c.sec, tv.tv_sec);
        EXPECT_EQ(c.usec, tv.tv_usec);
    }
}

TEST(TimeStamp, LocaleIndependentTexts)
{
    struct Case {
        CKSTTimeStamp stamp;
        const char* compact;
        const char* numeric;
        const char* numericUs;
        const char* withMs;
    };
    const Case cases[] = {
        {{2007, 3, 4, 5, 6, 7.0},
         "2007-03-04_05-06-07",
         "4.3.2007",
         "3/4/2007",
         "2007-03-04 05:06:07.000"},
        {{2007, 12, 31, 23, 59, 59.25},
         "2007-12-31_23-59-59",
         "31.12.2007",
         "12/31/2007",
         "2007-12-31 23:59:59.250"},
        // The millisecond text must not show 59.000 for 59.9996: the rounding is carried.
        {{2007, 12, 31, 23, 59, 59.9996},
         "2007-12-31_23-59-59",
         "31.12.2007",
         "12/31/2007",
         "2008-01-01 00:00:00.000"},
        {{812, 1, 2, 3, 4, 5.0},
         "812-01-02_03-04-05",
         "2.1.812",
         "1/2/812",
         "812-01-02 03:04:05.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.compact);
        EXPECT_STREQ(c.compact, c.stamp.FormatCompact().c_str());
        EXPECT_STREQ(c.numeric, c.stamp.FormatDateNumeric(false).c_str());
        EXPECT_STREQ(c.numericUs, c.stamp.FormatDateNumeric(true).c_str());
        EXPECT_STREQ(c.withMs, c.stamp.FormatDateTimeMs().c_str());
    }
}

TEST(TimeStamp, FormatStrftimeFillsTheWeekday)
{
    const CKSTTimeStamp stamp(2007, 3, 4, 5, 6, 7.0);
    CKSTTimeFormatLock lock;
    const std::string saved = std::setlocale(LC_TIME, nullptr);
    std::setlocale(LC_TIME, "C");
    EXPECT_STREQ("Sunday 2007-03-04 05:06:07 063",
                 stamp.FormatStrftime("%A %Y-%m-%d %H:%M:%S %j").c_str());
    std::setlocale(LC_TIME, saved.c_str());
}

// The locale-dependent texts under the user's default locale; the expectations are built from
// the same stamp's own texts, so they hold whatever that locale is.
TEST(TimeStamp, TimeTextsCarryTheRoundedFractionIntoTheSeconds)
{
    const CKSTTimeStamp tenOClock(2007, 3, 4, 10, 0, 0.0);
    const CKSTTimeStamp nextSecond(2007, 3, 4, 10, 0, 1.0);
    struct Case {
        double fraction;
        int decimals;
        bool noRounding;
        const CKSTTimeStamp* shown;
        const char* digits;
    };
    const Case cases[] = {
        {0.25, 2, false, &tenOClock, ".25"},    {0.996, 2, false, &nextSecond, ".00"},
        {0.996, 2, true, &nextSecond, ".00"},   {0.994, 2, false, &tenOClock, ".99"},
        {0.9999996, 0, false, &nextSecond, ""},  // six-decimal rounding of the stamp
        {0.9999996, 0, true, &tenOClock, ""},   {0.9999996, 7, true, &tenOClock, ".9999996"},
        {0.5, 0, false, &tenOClock, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fraction << " at " << c.decimals << " decimals"
                                        << (c.noRounding ? ", no rounding" : ""));
        const CKSTTimeStamp stamp = tenOClock + CKSTTimeSpan::FromFields(0.0, c.fraction);
        const std::string expected = std::string(c.shown->FormatTime(0).c_str()) + c.digits;
        EXPECT_EQ(expected, stamp.FormatTime(c.decimals, c.noRounding).c_str());
    }

    EXPECT_STREQ(nextSecond.Format(false).c_str(),
                 (tenOClock + CKSTTimeSpan::FromFields(0.0, 0.9999999)).Format(true).c_str());
    const CKSTTimeStamp quarter = tenOClock + CKSTTimeSpan::FromFields(0.0, 0.25);
    EXPECT_EQ(std::string(tenOClock.Format(false).c_str()) + ".250000",
              quarter.Format(true).c_str());
    EXPECT_STREQ(tenOClock.Format(false).c_str(), tenOClock.Format(true).c_str());
}

TEST(TimeStamp, TimeTConversionsTakeSummerTimeAsStandardTime)
{
    // Central European time with summer time from the last Sunday of March.
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    struct Case {
        time_t value;
        DateTime expected;
    };
    const Case cases[] = {
        {1168862400, {2007, 1, 15, 13, 0, 0}},  // 12:00 UTC in winter: 13:00 local
        {1183291200, {2007, 7, 1, 13, 0, 0}},   // 12:00 UTC in summer: 14:00 local, stored 13:00
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const CKSTTimeStamp stamp(c.value);
        ExpectFields(c.expected, stamp.GetSerialDays());
        EXPECT_EQ(0.0, stamp.GetFraction());
        EXPECT_EQ(c.value, stamp.ToTimeT());
    }
}

TEST(TimeStamp, NowFollowsTheLocalWallClock)
{
    ScopedTimeZone zone("UTC");
    const CKSTTimeStamp before(std::time(nullptr));
    const CKSTTimeStamp now = CKSTTimeStamp::Now();
    const CKSTTimeStamp after(std::time(nullptr));
    EXPECT_LE((now - before).GetSeconds(), 1.0 + (after - before).GetSeconds());
    EXPECT_GE((now - before).GetSeconds(), 0.0);
    EXPECT_GE(now.GetFraction(), 0.0);
    EXPECT_LT(now.GetFraction(), 1.0);
}

}  // namespace
