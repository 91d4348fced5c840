#include "foundation/DateText.h"

#include <gtest/gtest.h>

#include "foundation/TimeStamp.h"

namespace {

TEST(DateText, ParseNormalisesInPlace)
{
    struct Case {
        const char* text;
        bool digitsOnly;
        const char* expected;
    };
    // \xE4 and \xC4 are the code-page-1252 umlauts.
    const Case cases[] = {
        {"", false, ""},
        {" -- ", false, ""},
        {"12. M\xE4rz 2007 -", false, "12. 03 2007"},
        {"3. J\xE4nner 2007", false, "3. 01 2007"},
        {"3. J\xC4N 2007", false, "3. 01 2007"},
        {"January 5, 2007", false, "01Y 5, 2007"},  // JANUAR is replaced before JANUARY
        {"Dec 24 2007 10:20", false, "12 24 2007 10:20"},
        {"24. Oktober 2007", false, "24. 10 2007"},
        {"mai 2007", false, "05 2007"},
        {"  2007-03-04  ", false, "2007.03.04"},
        {"x12.03.2007y", false, "X12.03.2007Y"},
        {"x12.03.2007y", true, "12.03.2007"},
        {"(12.03.2007)", true, "12.03.2007"},
        // A date written with colons: three fields, one of them a year.
        {"12:05:2007", false, "12.05.2007"},
        {"12:05:07", false, "12:05:07"},
        {"12:05:1899", false, "12:05:1899"},
        // A fraction of a second written as a fourth time field.
        {"10:20:30:5", false, "10:20:30.5"},
        // A time before its date.
        {"10:20:30 01.02.2003", false, "01.02.2003 10:20:30"},
        {"10:20:30.5 01.02.2003", false, "10:20:30.5 01.02.2003"},
        {"01.02.2003 10:20:30", false, "01.02.2003 10:20:30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "'" << (c.digitsOnly ? " digits" : ""));
        CKSTString text(c.text);
        ParseDateText(text, c.digitsOnly);
        EXPECT_STREQ(c.expected, text.c_str());
    }
}

TEST(DateText, Classifiers)
{
    struct Case {
        const char* text;
        bool date, time, dateTime, noSeconds;
    };
    const Case cases[] = {
        {"", false, false, false, false},
        {"31.12.2007", true, false, false, true},
        {"2007/12/31", true, false, false, true},
        {"2007-12-31", true, false, false, true},
        {"32.33.2007", false, false, false, false},  // three fields above 12
        {"40.2.2007", false, false, false, false},   // two fields above 31
        {"1.2.3.4", false, false, false, false},
        {"12. M\xE4rz 2007", false, false, false, true},
        {"23:59:59,5", false, true, false, true},
        {"23:59:59.5", false, true, false, true},
        {"24:00:00", false, true, false, true},
        {"12:60:00", false, false, false, false},
        {"99:99:99", false, false, false, false},
        {"10:20", false, false, false, true},
        {"10:60", false, false, false, false},
        {"10.20", false, false, false, false},
        {"01.02.2003 10:20:30", false, false, true, true},
        {"10:20:30 01.02.2003", false, false, true, true},
        {"01.02.2003 10:20:30,25", false, false, true, true},
        {"2003-02-01 10:20:61", false, false, false, false},  // two fields at 60 or more
        {"01.02.2003 10:20", false, false, false, true},
        {"01.02.2003 10:20:30 5", false, false, false, true},  // beyond six fields: not counted
        {"01.02.2003 10:20:30 xyz", false, false, false, false},
        {"31.12.2007 x", false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "'");
        const CKSTString text(c.text);
        EXPECT_EQ(c.date, IsDateText(text));
        EXPECT_EQ(c.time, IsTimeText(text));
        EXPECT_EQ(c.dateTime, IsDateTimeText(text));
        EXPECT_EQ(c.noSeconds, IsDateTimeTextNoSeconds(text));
        EXPECT_STREQ(c.text, text.c_str());  // the caller's text is not touched
    }
}

TEST(DateText, FixedPositionDateTimeTexts)
{
    struct Case {
        const char* text;
        bool valid;
        int year, month, day, hour, minute, second;
    };
    const Case cases[] = {
        {"2007-03-04_05-06-07", true, 2007, 3, 4, 5, 6, 7},
        {"2007-03-04 05:06:07.qld", true, 2007, 3, 4, 5, 6, 7},
        {"2008/02/29T23.59.59", true, 2008, 2, 29, 23, 59, 59},
        {"2007-02-29_00-00-00", false, 0, 0, 0, 0, 0, 0},
        {"2007-03-04_24-00-00", false, 0, 0, 0, 0, 0, 0},
        {"2007-03-04_05-06-0", false, 0, 0, 0, 0, 0, 0},
        {"20x7-03-04_05-06-07", false, 0, 0, 0, 0, 0, 0},
        {"0099-03-04_05-06-07", false, 0, 0, 0, 0, 0, 0},
        {"M2007-03-04_05-06-07", false, 0, 0, 0, 0, 0,
         0},  // positions are fixed, a prefix shifts them
        {"", false, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CKSTString text(c.text);
        EXPECT_EQ(c.valid, IsFixedDateTimeText(text));
        if (c.valid) {
            CKSTTimeStamp stamp(1.0, 0.5);
            stamp.SetFromFixedText(text);
            EXPECT_TRUE(stamp == CKSTTimeStamp(c.year, c.month, c.day, c.hour, c.minute,
                                               static_cast<double>(c.second)));
        }
    }
}

TEST(DateText, SetFromFixedTextReadsShortTextsWithoutThrowing)
{
    CKSTTimeStamp stamp;
    stamp.SetFromFixedText(CKSTString("2007-03"));
    EXPECT_EQ(2007, stamp.GetYear());
    stamp.SetFromFixedText(CKSTString());
    EXPECT_EQ(0.0, stamp.GetFraction());
}

TEST(DateText, TimeTextToSeconds)
{
    struct Case {
        const char* text;
        int32_t seconds;
    };
    const Case cases[] = {
        {"01:02:03", 3723}, {"10:20", 37200}, {"5", 18000},        {"", 0},
        {"1:2:3.9", 3723},  {"::7", 7},       {"-1:30:00", -1800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.seconds, TimeTextToSeconds(CKSTString(c.text)));
    }
}

}  // namespace
