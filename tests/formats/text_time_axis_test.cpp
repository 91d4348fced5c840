#include "formats/TextTimeAxis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/TextFormat.h"
#include "foundation/DateText.h"
#include "foundation/ErrorCodes.h"

namespace {

CKSTDateTimeParts PartsOf(const std::vector<std::string>& texts)
{
    CKSTDateTimeParts parts;
    for (size_t i = 0; i < texts.size(); ++i) {
        CKSTString text(texts[i].c_str());
        ParseDateText(text, false);
        parts.AddText(static_cast<uint32_t>(i), text.c_str(), static_cast<size_t>(text.GetLength()));
    }
    return parts;
}

// Positions of year, month, day, hour, minute, second; -1 for none.
struct RoleCase {
    std::vector<std::string> texts;
    int32_t dateFormat;
    int roles[KST_ROLE_COUNT];
};

TEST(TextTimeAxisTest, DateRoleTable)
{
    const RoleCase cases[] = {
        {{"31.12.2023 23:59:59", "01.01.2024 00:00:00"}, 0, {2, 1, 0, 3, 4, 5}},
        {{"2024-03-01 12:00:00", "2024-03-02 13:30:00"}, 0, {0, 1, 2, 3, 4, 5}},
        {{"03/01/2024 12:00", "03/02/2024 12:01"}, 0, {2, 0, 1, 3, 4, -1}},
        {{"01.02.2023", "02.02.2023"}, 0, {2, 1, 0, -1, -1, -1}},
        {{"01.02.2023", "02.02.2023"}, KST_TEXT_DATE_MMDDYY, {2, 0, 1, -1, -1, -1}},
        {{"12:00:01", "12:00:02"}, 0, {-1, -1, -1, 0, 1, 2}},
        {{"31.12.99", "01.01.00"}, 0, {2, 1, 0, -1, -1, -1}},
        {{"12:00:01 31.12.2023"}, 0, {2, 1, 0, 3, 4, 5}},
    };
    for (const RoleCase& c : cases) {
        SCOPED_TRACE(c.texts[0]);
        const CKSTDateTimeParts parts = PartsOf(c.texts);
        int roles[KST_ROLE_COUNT];
        KstAssignDateRoles(parts, c.dateFormat, roles);
        for (int r = 0; r < KST_ROLE_COUNT; ++r) {
            EXPECT_EQ(roles[r], c.roles[r]) << "role " << r;
        }
    }
}

// Two-digit years in line order; -1 is a line without a date, which keeps no year.
void ExpectYears(const std::vector<int>& years, const std::vector<int>& expected)
{
    CKSTDateTimeParts parts;
    for (size_t i = 0; i < years.size(); ++i) {
        if (years[i] >= 0) {
            const std::string text = std::to_string(years[i]);
            parts.AddText(static_cast<uint32_t>(i), text.c_str(), text.size());
        }
    }
    parts.Resize(static_cast<uint32_t>(years.size()));
    parts.FixTwoDigitYears(0);
    for (size_t i = 0; i < years.size(); ++i) {
        const uint32_t line = static_cast<uint32_t>(i);
        if (years[i] < 0) {
            EXPECT_EQ(parts.GetCount(line), 0) << i;
            continue;
        }
        EXPECT_EQ(parts.Get(line, 0), expected[i]) << i;
    }
}

TEST(TextTimeAxisTest, TwoDigitYears)
{
    struct Case {
        const char* what;
        std::vector<int> years;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"rising across 2000", {98, 99, 0, 1}, {1998, 1999, 2000, 2001}},
        {"falling across 2000", {1, 0, 99, 98}, {2001, 2000, 1999, 1998}},
        {"below 50 without a change", {20, 21}, {2020, 2021}},
        {"from 50 without a change", {70, 71}, {1970, 1971}},
        {"four digits stay", {2020, 2021}, {2020, 2021}},
        {"one two-digit year among four-digit ones", {2020, 21}, {2020, 21}},
        {"rising across two centuries", {98, 99, 0, 1, 99, 0}, {1998, 1999, 2000, 2001, 2099, 2100}},
        {"a step back inside the rise", {98, 99, 0, 99, 1, 2, 3},
         {1998, 1999, 2000, 2099, 2101, 2102, 2103}},
        {"repeated years do not roll over", {99, 99, 0, 0, 1, 1, 2},
         {1999, 1999, 2000, 2000, 2001, 2001, 2002}},
        {"falling across two centuries", {2, 1, 0, 99, 50, 0, 99},
         {2002, 2001, 2000, 1999, 1950, 1900, 1899}},
        {"as many rises as falls", {99, 99, 0, 0, 1}, {1999, 1999, 1900, 1900, 1901}},
        {"lines without a date in between", {98, -1, 99, -1, -1, 0, 1},
         {1998, 0, 1999, 0, 0, 2000, 2001}},
        {"a single year", {5}, {2005}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectYears(c.years, c.expected);
    }

    // Five centuries of years counted up one per line, as a long logger file has them.
    std::vector<int> years;
    std::vector<int> expected;
    for (int i = 0; i < 500; ++i) {
        years.push_back(i % 100);
        expected.push_back(1900 + i);
    }
    SCOPED_TRACE("five centuries");
    ExpectYears(years, expected);
}

TEST(TextTimeAxisTest, TimesOfLinesAndUnusableDates)
{
    CKSTDateTimeParts parts = PartsOf({"31.12.2023 23:59:59,5", "01.01.2024 00:00:00,25"});
    std::vector<double> times;
    std::vector<uint8_t> valid;
    CKSTTimeStamp start;
    ASSERT_EQ(KstBuildTimeAxis(parts, 0, CKSTTimeStamp(), times, valid, start), KST_OK);
    ASSERT_EQ(times.size(), 2u);
    EXPECT_NEAR(times[1], 0.75, 1e-9);
    EXPECT_EQ(start.GetYear(), 2023);
    EXPECT_NEAR(start.GetFraction(), 0.5, 1e-9);

    CKSTDateTimeParts bad = PartsOf({"45.45.45", "46.46.46"});
    EXPECT_EQ(KstBuildTimeAxis(bad, 0, CKSTTimeStamp(), times, valid, start), KST_ERR_BAD_HEADER);
}

}  // namespace
