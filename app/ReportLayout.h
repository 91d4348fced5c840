#pragma once
// The arithmetic of printed reports, free of the platform: the print-job record, which pages a
// job has and which time slice each shows, margins in device pixels, and the header and footer
// lines with their tokens expanded.
#include <cstdint>

#include "foundation/Geometry.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"
#include "panels/PrintReportPages.h"

class CKSTDataSet;
class CKSTHeaderInfoList;

enum KstReportPageMode : int32_t {
    KST_REPORT_TIME_PAGES = 0,   // a report: one time slice of the data per page
    KST_REPORT_SINGLE_PAGE = 1,  // the display as shown, on one page with a text block
};

// One print job; the main frame keeps the last one, the view prints it.
struct CKSTReportSettings {
    int32_t m_nPageMode = KST_REPORT_SINGLE_PAGE;
    int32_t m_nRangeMode = KST_REPORT_RANGE_FILE;  // the data range the pages were taken from
    double m_dPageDuration = 1000.0;               // seconds per page
    int32_t m_nPageCount = 1;
    double m_dStart = 0.0;  // where page 1 starts, seconds
    double m_dEnd = 0.0;    // where the pages advance to; below the start they run backwards
    CKSTPageLayout m_layout;
};

// The pages a job prints: 1..1 for a single page, 1..page count for time slices (at least one).
void KstReportPageRange(const CKSTReportSettings& settings, int& first, int& last);

// The time slice of a page (1-based) of a time-raster report.
struct KstPageInterval {
    double from;
    double to;
};
KstPageInterval KstReportPageInterval(const CKSTReportSettings& settings, int page);

// What a device reports of its size: pixels, millimetres (0 when it reports none) and pixels
// per logical inch.
struct KstReportDevice {
    int horzRes = 0;
    int vertRes = 0;
    int horzSizeMm = 0;
    int vertSizeMm = 0;
    int logPixelsX = 0;
    int logPixelsY = 0;
};
// Pixels per millimetre across and down; a device without a physical size is measured by its
// logical resolution instead of dividing by zero.
void KstReportPixelsPerMm(const KstReportDevice& device, double& perMmX, double& perMmY);

// Where a time-raster page draws: the header and footer lines inside the margins (the footer's
// row of 10 mm taken off the bottom when there is a footer), and the curve picture below the
// header's row of 10 mm. Rectangles never turn inside out: a margin beyond the page leaves an
// empty rectangle.
struct KstCurvePageRects {
    RECT lines;
    RECT picture;
};
KstCurvePageRects KstLayoutCurvePage(const RECT& draw, const CKSTPageLayout& layout,
                                     const KstReportDevice& device);

// Height of the header and footer font: 14 screen pixels scaled to the device.
int KstReportFontHeight(int deviceLogPixelsY, int screenLogPixelsY);

// The values of a page's header and footer tokens.
struct KstReportTokens {
    int page = 1;
    int pages = 1;
    CKSTString title;
    CKSTString date;
    CKSTString time;
    const CKSTHeaderInfoList* header = nullptr;  // its visible entries answer "&[name]"
};
// The data set's tokens: its title, and its earliest start formatted "%d. %B %Y" and "%H:%M:%S"
// with German or English month names.
KstReportTokens KstReportTokensFor(const CKSTDataSet& data, bool english, int page, int pages);

// Replaces every "&[name]" in one pass from left to right: page, pages, title, date and time in
// either language, else a visible header entry of that name. A name that answers nothing is
// removed, and replaced text is never scanned again. A "&[" without "]" stays as it is.
CKSTString KstExpandHeaderTokens(const CKSTString& text, const KstReportTokens& tokens);

// A line split at ";" into left, centre and right part; the right part keeps any further ";".
struct KstHeaderLineParts {
    CKSTString left;
    CKSTString centre;
    CKSTString right;
};
KstHeaderLineParts KstSplitHeaderLine(const CKSTString& text);

// The lines of the single report page: "printed by <program> at <now>" and the record's date,
// from its "Datum"/"Date" and "Zeit"/"Time" entries, else from its earliest start.
CKSTString KstReportPrintLine(const CKSTString& printedBy, const CKSTString& program,
                              const CKSTString& at, const CKSTTimeStamp& now, bool english);
CKSTString KstReportDateLine(const CKSTString& label, const CKSTDataSet& data, bool english);

// Where the single report page draws its text block and picture inside the margins: the print
// line centred at four fifths of the page width at the top, the title below it, the comment
// block of the given height below the title, the date line centred on the page a tenth of an
// inch above the bottom, and the picture between the comment and the date line.
struct KstReportPageRects {
    POINT printLineCentre;  // x of the centre, y of the top
    RECT title;
    RECT comment;
    POINT dateLineCentre;
    RECT picture;
};
KstReportPageRects KstLayoutReportPage(const RECT& draw, int pageWidth, int lineHeight,
                                       int commentHeight, int logPixelsY);
