#include <gtest/gtest.h>

#include "app/ReportLayout.h"
#include "data/DataSet.h"
#include "foundation/HeaderInfoList.h"

namespace {

TEST(ReportLayout, TokensInBothLanguagesExpandInOnePass)
{
    CKSTHeaderInfoList header;
    header.SetString("Operator", "Anna");
    header.SetString("Secret", "hidden value", true);
    header.SetString("Loop", "&[Operator] &[Loop]");
    header.SetString("Title", "the header's title");
    KstReportTokens tokens;
    tokens.page = 2;
    tokens.pages = 5;
    tokens.title = "Run 7";
    tokens.date = "24. December 2026";
    tokens.time = "13:45:10";
    tokens.header = &header;

    struct Case {
        const char* text;
        const char* expanded;
    };
    const Case cases[] = {
        {"Page &[Page] of &[Pages]", "Page 2 of 5"},
        {"Seite &[Seite] von &[Seiten]", "Seite 2 von 5"},
        {"&[Title];;&[Date] &[Time]", "Run 7;;24. December 2026 13:45:10"},
        {"&[Titel];;&[Datum] &[Zeit]", "Run 7;;24. December 2026 13:45:10"},
        {"plain text", "plain text"},
        {"", ""},
        {"by &[Operator]", "by Anna"},
        // Hidden and missing entries answer nothing and are removed.
        {"[&[Secret]]", "[]"},
        {"[&[Nobody]]", "[]"},
        {"[&[]]", "[]"},
        // Replaced text is not scanned again: this value names itself.
        {"&[Loop]!", "&[Operator] &[Loop]!"},
        // The fixed tokens come before header entries of the same name.
        {"&[Title]", "Run 7"},
        // An opening without its closing bracket is text.
        {"cost &[ 5", "cost &[ 5"},
        {"&[Page", "&[Page"},
        {"&[a&[Page]", "&[a2"},
        {"&[page]", ""},
        {"&[Page]&[Page]&[Pages]", "225"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(KstExpandHeaderTokens(c.text, tokens), c.expanded);
    }

    // A title holding a token stays as it is.
    tokens.title = "&[Page] &[Operator]";
    EXPECT_EQ(KstExpandHeaderTokens("&[Titel]", tokens), "&[Page] &[Operator]");
    // Without a header only the fixed tokens answer.
    tokens.header = nullptr;
    EXPECT_EQ(KstExpandHeaderTokens("&[Operator]&[Seite]", tokens), "2");
}

TEST(ReportLayout, LinesSplitAtSemicolonsIntoLeftCentreAndRight)
{
    struct Case {
        const char* text;
        const char* left;
        const char* centre;
        const char* right;
    };
    const Case cases[] = {
        {"a;b;c", "a", "b", "c"},
        {";Page 3;", "", "Page 3", ""},
        {"left only", "left only", "", ""},
        {"a;b", "a", "b", ""},
        {";;right", "", "", "right"},
        {"a;b;c;d", "a", "b", "c;d"},
        {"", "", "", ""},
        {";", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const KstHeaderLineParts parts = KstSplitHeaderLine(c.text);
        EXPECT_EQ(parts.left, c.left);
        EXPECT_EQ(parts.centre, c.centre);
        EXPECT_EQ(parts.right, c.right);
    }
}

TEST(ReportLayout, PageIntervalsRunForwardOrBackward)
{
    struct Case {
        double start, end, duration;
        int page;
        double from, to;
    };
    const Case cases[] = {
        {0, 100, 10, 1, 0, 10},
        {0, 100, 10, 3, 20, 30},
        {5, 5, 2.5, 2, 7.5, 10},
        {100, 0, 10, 1, 90, 100},
        {100, 0, 10, 2, 80, 90},
        {-20, -50, 15, 2, -50, -35},
        {1e3, 2e3, 0.5, 2001, 2e3, 2000.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << ".." << c.end << " page " << c.page);
        CKSTReportSettings settings;
        settings.m_nPageMode = KST_REPORT_TIME_PAGES;
        settings.m_dStart = c.start;
        settings.m_dEnd = c.end;
        settings.m_dPageDuration = c.duration;
        const KstPageInterval interval = KstReportPageInterval(settings, c.page);
        EXPECT_DOUBLE_EQ(interval.from, c.from);
        EXPECT_DOUBLE_EQ(interval.to, c.to);
    }
}

TEST(ReportLayout, PageRangeOfAJob)
{
    struct Case {
        int mode, count, last;
    };
    const Case cases[] = {
        {KST_REPORT_SINGLE_PAGE, 7, 1},         {KST_REPORT_TIME_PAGES, 4, 4},
        {KST_REPORT_TIME_PAGES, 0, 1},          {KST_REPORT_TIME_PAGES, -3, 1},
        {KST_REPORT_TIME_PAGES, 100000, 65535},
    };
    for (const Case& c : cases) {
        CKSTReportSettings settings;
        settings.m_nPageMode = c.mode;
        settings.m_nPageCount = c.count;
        int first = 0;
        int last = 0;
        KstReportPageRange(settings, first, last);
        EXPECT_EQ(first, 1);
        EXPECT_EQ(last, c.last) << c.mode << " " << c.count;
    }
    // A fresh record prints the display on one page with the remembered margins.
    const CKSTReportSettings fresh;
    EXPECT_EQ(fresh.m_nPageMode, KST_REPORT_SINGLE_PAGE);
    EXPECT_EQ(fresh.m_nPageCount, 1);
    EXPECT_DOUBLE_EQ(fresh.m_dPageDuration, 1000.0);
    EXPECT_DOUBLE_EQ(fresh.m_layout.m_dMarginLeft, 20.0);
    EXPECT_DOUBLE_EQ(fresh.m_layout.m_dMarginRight, 10.0);
    EXPECT_DOUBLE_EQ(fresh.m_layout.m_dMarginTop, 10.0);
    EXPECT_DOUBLE_EQ(fresh.m_layout.m_dMarginBottom, 10.0);
}

// An A4 page at 600 dpi: 4960 x 7014 pixels on 210 x 297 mm.
TEST(ReportLayout, MarginsToPixelsOnA600DpiPage)
{
    const RECT page{0, 0, 4960, 7014};
    struct Case {
        const char* what;
        KstReportDevice device;
        const char* top;
        const char* bottom;
        RECT lines;
        RECT picture;
    };
    const KstReportDevice a4{4960, 7014, 210, 297, 600, 600};
    // 23.619 px/mm across and 23.616 down: 20 mm -> 472, 10 mm -> 236 (truncated).
    const Case cases[] = {
        {"no templates", a4, "", "", {472, 236, 4724, 6778}, {472, 236, 4724, 6778}},
        {"footer", a4, "", "x", {472, 236, 4724, 6542}, {472, 236, 4724, 6542}},
        {"header", a4, "x", "", {472, 236, 4724, 6778}, {472, 472, 4724, 6778}},
        {"both", a4, "x", "y", {472, 236, 4724, 6542}, {472, 472, 4724, 6542}},
        // No physical size: 600 dpi give 23.622 px/mm.
        {"no size",
         {4960, 7014, 0, 0, 600, 600},
         "",
         "",
         {472, 236, 4724, 6778},
         {472, 236, 4724, 6778}},
        {"no size, 300 dpi",
         {2480, 3507, 0, 0, 300, 300},
         "x",
         "",
         {236, 118, 4842, 6896},
         {236, 236, 4842, 6896}},
        // Nothing to measure with: no margins rather than a division by zero.
        {"nothing known",
         {4960, 7014, 0, 0, 0, 0},
         "x",
         "y",
         {0, 0, 4960, 7014},
         {0, 0, 4960, 7014}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTPageLayout layout;
        layout.m_strTopLine = c.top;
        layout.m_strBottomLine = c.bottom;
        const KstCurvePageRects rects = KstLayoutCurvePage(page, layout, c.device);
        EXPECT_EQ(rects.lines.left, c.lines.left);
        EXPECT_EQ(rects.lines.top, c.lines.top);
        EXPECT_EQ(rects.lines.right, c.lines.right);
        EXPECT_EQ(rects.lines.bottom, c.lines.bottom);
        EXPECT_EQ(rects.picture.left, c.picture.left);
        EXPECT_EQ(rects.picture.top, c.picture.top);
        EXPECT_EQ(rects.picture.right, c.picture.right);
        EXPECT_EQ(rects.picture.bottom, c.picture.bottom);
    }

    // Margins wider than the paper leave an empty rectangle, never an inverted one.
    CKSTPageLayout wide;
    wide.m_dMarginLeft = 150;
    wide.m_dMarginRight = 150;
    wide.m_dMarginTop = 200;
    wide.m_dMarginBottom = 200;
    wide.m_strTopLine = "x";
    wide.m_strBottomLine = "y";
    const KstCurvePageRects squeezed = KstLayoutCurvePage(page, wide, a4);
    EXPECT_LE(squeezed.lines.left, squeezed.lines.right);
    EXPECT_LE(squeezed.lines.top, squeezed.lines.bottom);
    EXPECT_LE(squeezed.picture.top, squeezed.picture.bottom);
}

TEST(ReportLayout, FontOf14ScreenPixelsScaledToTheDevice)
{
    EXPECT_EQ(KstReportFontHeight(96, 96), 14);
    EXPECT_EQ(KstReportFontHeight(600, 96), 88);
    EXPECT_EQ(KstReportFontHeight(300, 120), 35);
    EXPECT_EQ(KstReportFontHeight(600, 0), 14);
}

TEST(ReportLayout, LinesOfTheSingleReportPage)
{
    CKSTDataSet data;
    data.SetStartTimeStamp(CKSTTimeStamp(2026, 12, 24, 13, 45, 10));
    const CKSTTimeStamp now(2026, 12, 11, 8, 5, 0);
    EXPECT_EQ(KstReportPrintLine("printed by ", "Talvenor - Vizuve", "at ", now, true),
              "printed by Talvenor - Vizuve at 11. December 2026 08:05:00");
    EXPECT_EQ(KstReportDateLine("Date/Time:", data, true), "Date/Time: 24. December 2026 13:45:10");
    data.GetHeader().SetString("Date", "24.12.2026");
    EXPECT_EQ(KstReportDateLine("Date/Time:", data, true), "Date/Time: 24.12.2026");
    data.GetHeader().SetString("Zeit", "13:45");
    EXPECT_EQ(KstReportDateLine("Date/Time:", data, true), "Date/Time: 24.12.2026 13:45");
    data.GetHeader().SetString("Datum", "1.1.2027");
    EXPECT_EQ(KstReportDateLine("Datum/Zeit:", data, false), "Datum/Zeit: 1.1.2027 13:45");

    const KstReportTokens tokens = KstReportTokensFor(data, true, 3, 4);
    EXPECT_EQ(tokens.date, "24. December 2026");
    EXPECT_EQ(tokens.time, "13:45:10");
    EXPECT_EQ(tokens.page, 3);
    EXPECT_EQ(tokens.pages, 4);
    EXPECT_EQ(tokens.header, &data.GetHeader());
}

TEST(ReportLayout, SingleReportPagePlacesTextAboveThePicture)
{
    const RECT draw{472, 236, 4724, 6778};
    const KstReportPageRects rects = KstLayoutReportPage(draw, 4960, 100, 300, 600);
    EXPECT_EQ(rects.printLineCentre.x, 3968);
    EXPECT_EQ(rects.printLineCentre.y, 236);
    EXPECT_EQ(rects.title.top, 436);
    EXPECT_EQ(rects.title.bottom, 536);
    EXPECT_EQ(rects.comment.top, 586);
    EXPECT_EQ(rects.comment.bottom, 886);
    EXPECT_EQ(rects.picture.top, 936);
    // The date line's top lies a tenth of an inch and one line above the bottom.
    EXPECT_EQ(rects.dateLineCentre.x, 2480);
    EXPECT_EQ(rects.dateLineCentre.y, 6778 - 60 - 100);
    EXPECT_EQ(rects.picture.bottom, 6618 - 50);

    // A page too small for the block keeps every rectangle inside it and upright.
    const KstReportPageRects tiny = KstLayoutReportPage({0, 0, 100, 50}, 100, 40, 500, 600);
    for (const RECT& r : {tiny.title, tiny.comment, tiny.picture}) {
        EXPECT_LE(r.top, r.bottom);
        EXPECT_LE(r.bottom, 50);
        EXPECT_GE(r.top, 0);
    }
}

}  // namespace
