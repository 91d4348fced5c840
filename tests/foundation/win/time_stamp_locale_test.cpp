// Date texts under the C runtime's locales, which exist here by the names the program sets.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <string>
#include <thread>
#include <vector>

#include "foundation/TimeStamp.h"

namespace {

std::string CurrentTimeLocale()
{
    const char* name = std::setlocale(LC_TIME, nullptr);
    return name ? name : "";
}

// Puts the LC_TIME setting back after a test that changes it.
class TimeLocale : public testing::Test {
protected:
    void SetUp() override { m_saved = CurrentTimeLocale(); }
    void TearDown() override { std::setlocale(LC_TIME, m_saved.c_str()); }

private:
    std::string m_saved;
};

const CKSTTimeStamp kSunday(2007, 3, 4, 15, 6, 7.0);

TEST_F(TimeLocale, MonthAndDayNamesInBothLanguages)
{
    struct Case {
        const char* locale;
        const char* format;
        const char* expected;
    };
    // \xE4 is the code-page-1252 a umlaut.
    const Case cases[] = {
        {"german-austrian", "%d. %B %Y %H:%M:%S", "04. M\xE4rz 2007 15:06:07"},
        {"enu", "%d. %B %Y %H:%M:%S", "04. March 2007 15:06:07"},
        {"german-austrian", "%A, %d %b", "Sonntag, 04 M\xE4r"},
        {"enu", "%A, %d %b", "Sunday, 04 Mar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.locale << " " << c.format);
        // The way callers do it: set the locale, format, put the locale back.
        ASSERT_NE(nullptr, std::setlocale(LC_TIME, c.locale));
        EXPECT_STREQ(c.expected, kSunday.FormatStrftime(c.format).c_str());
        std::setlocale(LC_TIME, "C");
        // And in one step under the lock.
        EXPECT_STREQ(c.expected, kSunday.FormatStrftime(c.format, c.locale).c_str());
        EXPECT_EQ("C", CurrentTimeLocale());
    }
}

TEST_F(TimeLocale, LocaleTextsPutTheEntrySettingBack)
{
    struct Case {
        const char* what;
        CKSTString (*format)();
    };
    const Case cases[] = {
        {"FormatDateLocale", [] { return kSunday.FormatDateLocale(); }},
        {"FormatTime", [] { return kSunday.FormatTime(3); }},
        {"Format", [] { return kSunday.Format(true); }},
        {"FormatStrftime with a locale", [] { return kSunday.FormatStrftime("%B", "enu"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(nullptr, std::setlocale(LC_TIME, "german-austrian"));
        const std::string before = CurrentTimeLocale();
        EXPECT_FALSE(c.format().IsEmpty());
        EXPECT_EQ(before, CurrentTimeLocale());
        EXPECT_STREQ("M\xE4rz", kSunday.FormatStrftime("%B").c_str());
    }
}

TEST_F(TimeLocale, TimeTextReplacesCommasByPoints)
{
    // Whatever the user's locale writes for %X, the fraction follows with a point.
    const CKSTTimeStamp stamp = kSunday + 0.5;
    const std::string text = stamp.FormatTime(2).c_str();
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(".50", text.substr(text.size() - 3));
    EXPECT_EQ(std::string::npos, text.find(','));
}

// Threads that format under different locales at the same time must each get their own
// language: the locale is set and put back inside the lock.
TEST_F(TimeLocale, ConcurrentFormattingUnderDifferentLocales)
{
    struct Worker {
        const char* locale;
        const char* month;
    };
    const Worker workers[] = {
        {"german-austrian", "M\xE4rz"},
        {"enu", "March"},
        {"german-austrian", "M\xE4rz"},
        {"enu", "March"},
    };
    std::atomic<int> wrong{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (const Worker& w : workers) {
        threads.emplace_back([&wrong, w] {
            for (int i = 0; i < 300; ++i) {
                if (kSunday.FormatStrftime("%B", w.locale) != w.month) {
                    ++wrong;
                }
            }
        });
    }
    // A thread using the user's locale meanwhile must not disturb them either.
    std::thread userLocale([&stop] {
        while (!stop) {
            kSunday.FormatDateLocale();
            kSunday.FormatTime(1);
        }
    });
    for (std::thread& t : threads) {
        t.join();
    }
    stop = true;
    userLocale.join();
    EXPECT_EQ(0, wrong.load());
}

TEST(TimeStampWin, FileTimeFieldsWithoutMilliseconds)
{
    SYSTEMTIME st{};
    st.wYear = 2007;
    st.wMonth = 3;
    st.wDay = 4;
    st.wHour = 5;
    st.wMinute = 6;
    st.wSecond = 7;
    st.wMilliseconds = 890;
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    const CKSTTimeStamp stamp(ft);
    EXPECT_STREQ("2007-03-04 05:06:07.000", stamp.FormatDateTimeMs().c_str());
}

TEST(TimeStampWin, TimeTOutsideTheCRuntimeRangeIsZero)
{
    EXPECT_EQ(0, CKSTTimeStamp(1800, 1, 1, 0, 0, 0.0).ToTimeT());
    EXPECT_NE(0, CKSTTimeStamp(2007, 3, 4, 5, 6, 7.0).ToTimeT());
}

}  // namespace
