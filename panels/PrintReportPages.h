#pragma once
// What the print report dialog computes and keeps: the page layout the program remembers between
// reports, the default header and footer templates, and the number of pages a data range fills.
#include "foundation/String.h"

// Header and footer templates and the four page margins in millimetres.
struct CKSTPageLayout {
    CKSTString m_strTopLine;
    CKSTString m_strBottomLine;
    double m_dMarginLeft = 20.0;
    double m_dMarginRight = 10.0;
    double m_dMarginTop = 10.0;
    double m_dMarginBottom = 10.0;
};

// The data ranges the dialog offers.
enum KstReportRangeMode : int {
    KST_REPORT_RANGE_FILE = 0,
    KST_REPORT_RANGE_WINDOW = 1,
    KST_REPORT_RANGE_CURSORS = 2,
    KST_REPORT_RANGE_X = 3,
};

// What the dialog reads of the record and of the main curve window: the data set's time range,
// the window's visible range, cursors, display kind and its X channel. The view implements it
// over its document and main curve window.
class IKSTReportRangeSource {
public:
    virtual ~IKSTReportRangeSource() = default;
    // Start and end time over the data set's channels, seconds.
    virtual double GetDataStartTime() const = 0;
    virtual double GetDataEndTime() const = 0;
    // The X axis' visible range and the two cursors, in X-axis values.
    virtual double GetVisibleXMin() const = 0;
    virtual double GetVisibleXMax() const = 0;
    virtual double GetLeftCursorValue() const = 0;
    virtual double GetRightCursorValue() const = 0;
    // The window's display kind (1: an XY-type display) and whether it shows an XY display
    // with an X channel.
    virtual int GetDisplayKind() const = 0;
    virtual bool IsXYDisplay() const = 0;
    // The X channel's value at a time (interpolated) and the time of its sample whose value is
    // nearest to x; only asked while IsXYDisplay holds.
    virtual double GetXValueAtTime(double time) const = 0;
    virtual double GetTimeOfNearestXValue(double x) const = 0;
    // The X channel's dominant value step (over absolute steps, relative tolerance 0.001) and
    // its sample count; false when it has no dominant step.
    virtual bool GetXChannelStep(double& step, int& sampleCount) const = 0;
    // The unit of the X range: the time unit of the first curve's channel for y(t), else the X
    // channel's unit; empty when there is none.
    virtual CKSTString GetXUnitText() const = 0;
};

// The dialog's inputs to the page count.
struct KstReportPageQuery {
    int rangeMode = -1;
    double xMin = 0.0;
    double xMax = 0.0;
    double rangePerPage = 0.0;
    double scaleFactor = 0.0;  // X units per second; 0 for none
};

// Pages the chosen range fills at the range per page: 0 for no range per page and for negative
// results, otherwise the width divided by the range per page rounded up.
int KstReportPageCount(const KstReportPageQuery& query, const IKSTReportRangeSource& source);

// The templates a dialog shows while the page layout holds none.
CKSTString KstDefaultTopLine(bool english);
CKSTString KstDefaultBottomLine(bool english);

// A number as the dialog's edits show it ("%.16lG", '.' as decimal point), and an edit's text
// as a number (',' taken as decimal point; text that is no finite number reads as 0).
CKSTString KstReportNumberText(double value);
double KstReportParseNumber(const CKSTString& text);
