#include <gtest/gtest.h>

#include <climits>

#include "panels/PrintReportPages.h"
#include "support/FakeReportRange.h"

namespace {

using kst_test::FakeReportRange;

TEST(PrintReportPages, PageCountByRangeModeAndDisplay)
{
    struct Case {
        const char* what;
        int displayKind;
        bool xy;
        KstReportPageQuery query;
        int pages;
    };
    const Case cases[] = {
        {"typed range, 1000 per page", 0, false, {KST_REPORT_RANGE_X, 0, 2500, 1000, 0}, 3},
        {"typed range, 2000 per page", 0, false, {KST_REPORT_RANGE_X, 0, 2500, 2000, 0}, 2},
        {"typed range backwards", 0, false, {KST_REPORT_RANGE_X, 2500, 0, 1000, 0}, 3},
        {"exact multiple", 0, false, {KST_REPORT_RANGE_X, 0, 2000, 1000, 0}, 2},
        {"nothing per page", 0, false, {KST_REPORT_RANGE_X, 0, 2500, 0, 0}, 0},
        {"negative per page", 0, false, {KST_REPORT_RANGE_X, 0, 2500, -1000, 0}, 0},
        {"whole file", 0, false, {KST_REPORT_RANGE_FILE, 0, 0, 25, 0}, 4},
        {"current window", 0, false, {KST_REPORT_RANGE_WINDOW, 0, 0, 20, 0}, 3},
        {"cursor range", 0, false, {KST_REPORT_RANGE_CURSORS, 0, 0, 0.5, 0}, 2},
        {"no mode chosen", 0, false, {-1, 0, 2500, 1000, 0}, 0},
        {"XY: X channel values over the file", 0, true, {KST_REPORT_RANGE_FILE, 0, 0, 50, 0}, 4},
        {"XY: scaled file range", 0, true, {KST_REPORT_RANGE_FILE, 0, 0, 50, 3}, 6},
        {"XY: typed X values become times", 0, true, {KST_REPORT_RANGE_X, 4, 16, 2, 0}, 3},
        {"XY: typed times scaled", 0, true, {KST_REPORT_RANGE_X, 4, 16, 2, 3}, 9},
        {"XY kind without X channel keeps the width",
         1,
         false,
         {KST_REPORT_RANGE_X, 0, 10, 5, 3},
         2},
        {"XY kind without X channel, file", 1, false, {KST_REPORT_RANGE_FILE, 0, 0, 25, 3}, 4},
        {"huge count saturates", 0, false, {KST_REPORT_RANGE_X, 0, 1e300, 1e-300, 0}, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeReportRange range;
        range.displayKind = c.displayKind;
        range.xy = c.xy;
        EXPECT_EQ(KstReportPageCount(c.query, range), c.pages);
    }
}

TEST(PrintReportPages, NumbersAsTheEditsShowAndReadThem)
{
    EXPECT_EQ(KstReportNumberText(2500), "2500");
    EXPECT_EQ(KstReportNumberText(0.1), "0.1");
    EXPECT_EQ(KstReportNumberText(12.5), "12.5");
    EXPECT_EQ(KstReportNumberText(1e20), "1E+20");
    EXPECT_EQ(KstReportNumberText(1.0 / 3.0), "0.3333333333333333");

    EXPECT_DOUBLE_EQ(KstReportParseNumber("12,5"), 12.5);
    EXPECT_DOUBLE_EQ(KstReportParseNumber(" 7.25"), 7.25);
    EXPECT_DOUBLE_EQ(KstReportParseNumber("-3"), -3.0);
    EXPECT_DOUBLE_EQ(KstReportParseNumber("abc"), 0.0);
    EXPECT_DOUBLE_EQ(KstReportParseNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(KstReportParseNumber("1e999"), 0.0) << "no infinite margin or range";
}

TEST(PrintReportPages, DefaultTemplatesFollowTheLanguage)
{
    EXPECT_EQ(KstDefaultTopLine(true), "&[Title];;&[Date] &[Time]");
    EXPECT_EQ(KstDefaultTopLine(false), "&[Titel];;&[Datum] &[Zeit]");
    EXPECT_EQ(KstDefaultBottomLine(true), "Page &[Page] of &[Pages]");
    EXPECT_EQ(KstDefaultBottomLine(false), "Seite &[Seite] von &[Seiten]");
}

}  // namespace
