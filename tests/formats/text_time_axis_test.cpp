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

TEST(TextTimeAxisTest, TwoDigitYears)
{
    struct Case {
        std::vector<double> years;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {{98, 99, 0, 1}, {1998, 1999, 2000, 2001}},
        {{1, 0, 99, 98}, {2001, 2000, 1999, 1998}},
        {{20, 21}, {2020, 2021}},
        {{70, 71}, {1970, 1971}},
        {{2020, 2021}, {2020, 2021}},
    };
    for (const Case& c : cases) {
        CKSTDateTimeParts parts;
        for (size_t i = 0; i < c.years.size(); ++i) {
            const std::string text = std::to_string(static_cast<int>(c.years[i]));
            parts.AddText(static_cast<uint32_t>(i), text.c_str(), text.size());
        }
        parts.FixTwoDigitYears(0);
        for (size_t i = 0; i < c.years.size(); ++i) {
            EXPECT_EQ(parts.Get(static_cast<uint32_t>(i), 0), c.expected[i]) << i;
        }
    }
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
