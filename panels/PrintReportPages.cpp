#include "panels/PrintReportPages.h"

#include <climits>
#include <cmath>

#include "foundation/Numeric.h"

int KstReportPageCount(const KstReportPageQuery& query, const IKSTReportRangeSource& source)
{
    double a = 0.0;
    double b = 0.0;
    switch (query.rangeMode) {
        case KST_REPORT_RANGE_FILE:
            a = source.GetDataStartTime();
            b = source.GetDataEndTime();
            break;
        case KST_REPORT_RANGE_WINDOW:
            a = source.GetVisibleXMin();
            b = source.GetVisibleXMax();
            break;
        case KST_REPORT_RANGE_CURSORS:
            a = source.GetLeftCursorValue();
            b = source.GetRightCursorValue();
            break;
        case KST_REPORT_RANGE_X:
            a = query.xMin;
            b = query.xMax;
            break;
        default:
            break;
    }
    double width = std::fabs(b - a);
    const bool xy = source.IsXYDisplay();
    if (xy || source.GetDisplayKind() == 1) {
        const bool scaled = xy && query.scaleFactor != 0.0;
        if (query.rangeMode == KST_REPORT_RANGE_X) {
            // Typed values are X-channel values; a display without X channel has none to map.
            if (xy) {
                width =
                    std::fabs(source.GetTimeOfNearestXValue(b) - source.GetTimeOfNearestXValue(a));
            }
            if (scaled) {
                width *= query.scaleFactor;
            }
        } else if (xy) {
            width = scaled ? width * query.scaleFactor
                           : std::fabs(source.GetXValueAtTime(b) - source.GetXValueAtTime(a));
        }
    }
    if (query.rangePerPage == 0.0) {
        return 0;
    }
    const double pages = RoundUpToStep(width / query.rangePerPage, 0, 1);
    if (!(pages > 0.0)) {
        return 0;  // negative, or no number at all
    }
    return pages >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(pages);
}

CKSTString KstDefaultTopLine(bool english)
{
    return english ? "&[Title];;&[Date] &[Time]" : "&[Titel];;&[Datum] &[Zeit]";
}

CKSTString KstDefaultBottomLine(bool english)
{
    return english ? "Page &[Page] of &[Pages]" : "Seite &[Seite] von &[Seiten]";
}

CKSTString KstReportNumberText(double value)
{
    CKSTString text;
    text.AppendDouble(value);
    return text;
}

double KstReportParseNumber(const CKSTString& text)
{
    const double value = text.ToDouble(true);
    return std::isfinite(value) ? value : 0.0;
}
