#pragma once
// The geometry of painting one curve as a y(t), XY or bar-display curve: which samples are
// visible, the column reduction of the line pass, gap detection, the clipping of every segment
// to the band and the shapes of steps, bars, 3D bars and symbols. What it decides goes to a
// canvas; the window's canvas draws with the platform's pens (curvewnd/win/), tests record.
//
// Nothing reaches the canvas outside the curve's band: segments are clipped, bars, faces and
// symbol vertices are limited to it, and values that are far off-scale, infinite or NaN cannot
// move a coordinate out of it.

#include <cstdint>

#include "foundation/Geometry.h"

class CKSTChannel;
class CKSTCurve;
class CKSTXAxis;
class CKSTYAxis;

// Receives the drawing of one curve. Coordinates are client pixels inside the band.
class IKSTCurveCanvas {
public:
    enum class Pen { Line, Symbol };

    virtual void SelectPen(Pen pen) = 0;
    // The current position becomes (x, y).
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    // A line with the selected pen from the current position to (x, y), that pixel itself not
    // drawn; (x, y) becomes the current position.
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // One pixel in the curve colour.
    virtual void SetPixel(int32_t x, int32_t y) = 0;
    // [left, right) x [top, bottom) filled with the bar brush (the curve colour).
    virtual void FillBar(const RECT& rect) = 0;
    // A polygon filled and outlined in one colour (faces of 3D bars).
    virtual void FillPolygon(const POINT* points, int count, uint32_t colour) = 0;

protected:
    ~IKSTCurveCanvas() = default;
};

// One point of the column list: pixel and sample time.
struct KstTracePoint {
    int32_t x;
    int32_t y;
    double time;
};

class CKSTCurvePainter {
public:
    // The curve's pen point (last drawn point) is kept up to date as drawing goes on.
    CKSTCurvePainter(CKSTCurve& curve, IKSTCurveCanvas& canvas);

    // False when nothing can be drawn: no channel, axes or window, no samples, or a band less
    // than 2 pixels wide or high.
    bool IsDrawable() const { return m_drawable; }

    // The single bar of the bar display: the channel's last value across the band.
    void PaintBarDisplay();
    // The line pass of the curve's style: column reduction for equidistant and ascending
    // time-vector channels, every sample in XY mode and for unordered times.
    void PaintLines();
    // The curve's symbol at every visible sample (also for the symbols-only style).
    void PaintSymbols();

    // Limits the line and symbol passes to what reaches columns from .. to - 1, for drawing a
    // stripe of a picture again: the line is picked up at the last column before the stripe that
    // holds samples and followed to the first such column after it. Only a column pass can be
    // limited; false otherwise (the curve is then drawn whole).
    bool SetColumnWindow(int32_t from, int32_t to);
    // True when the line pass reduces samples column by column (equidistant and ascending
    // time-vector channels outside XY mode).
    bool IsColumnPass() const;
    // The column of a channel time (before the date offset), as the passes place samples.
    int32_t ColumnOfTime(double time) const;

    // Samples first .. end - 1 are visible.
    uint32_t GetFirstVisible() const { return m_first; }
    uint32_t GetEndVisible() const { return m_end; }
    // The pixel of sample i (XY mode: at the X channel's value); false for a missing sample.
    bool GetSamplePoint(uint32_t i, POINT& point) const;
    bool IsXYMode() const { return m_xyMode; }
    // The channel's last present value; false when no sample is present.
    bool FindLastValue(double& value) const;
    const RECT& GetBand() const { return m_band; }
    int32_t GetZeroRow() const;
    // The row of a channel value, as the Y axis maps it.
    int32_t RowOf(double value) const;

    // The stretch of line from p to q in the curve's style: a straight line, a step (across, then
    // up or down), a bar or nothing (symbols only, event texts, needle), clipped to the band.
    // Exposed for the bar display and tests.
    void DrawSegment(POINT p, POINT q);

private:
    // The times that column x covers, each widened by the tie slack of the pixel rounding so
    // that a sample on a border falls into the same columns however the X range was reached.
    void ColumnTimes(int32_t x, double& ta, double& tb) const;
    // The last point of the last column before x that holds samples, as the pass leaves it.
    bool SeedBefore(int32_t x, KstTracePoint& point) const;
    int32_t RowOfTransformed(double transformed) const;
    int32_t ColumnOf(double xValue) const;
    void FindVisibleRange();
    void SetupGapDetection();
    bool IsGap(const KstTracePoint& a, const KstTracePoint& b) const;
    // Points of one column appended to the list; false when the column adds none.
    bool ReduceOneColumn(int32_t x, double ta, double tb, KstTracePoint* list, int& count) const;
    void PaintColumns();
    void PaintEverySample();
    void DrawLine(POINT p, POINT q);
    void DrawClipped(int64_t px, int64_t py, int64_t qx, int64_t qy);
    void DrawBar(POINT p, POINT q);
    void Draw3DBar(const RECT& bar, bool rising);
    void DrawSymbol(const POINT& at);
    void MoveTo(const POINT& point);

    CKSTCurve& m_curve;
    IKSTCurveCanvas& m_canvas;
    const CKSTChannel* m_channel;
    const CKSTXAxis* m_xAxis;
    const CKSTYAxis* m_yAxis;
    const CKSTChannel* m_xChannel;
    bool m_drawable;
    bool m_xyMode;
    bool m_linearY;
    uint32_t m_style;
    uint32_t m_colour;
    RECT m_band;
    double m_scale;
    double m_xMinimum;
    double m_offset;
    uint32_t m_first;
    uint32_t m_end;
    double m_rightTime;
    // The channel's time span, for the interpolated columns of logarithmic axes.
    double m_startTime;
    double m_endTime;
    // The channel's arrays, read directly in the passes over every sample.
    uint32_t m_count;
    const double* m_values;
    const uint8_t* m_missing;
    const double* m_times;
    double m_t0;
    double m_dt;
    // Row = base + round((zero - v) x scale), or (v - zero) x scale with the lowest value on
    // top, v in the axis' units.
    bool m_rowFlip;
    double m_rowZero;
    double m_rowScale;
    int64_t m_rowBase;
    bool m_gapDetection;
    double m_gapThreshold;
    // Where drawing continues without a move; mirrors the curve's last drawn point.
    POINT m_pen;
    // The column window of SetColumnWindow; the whole band otherwise.
    bool m_windowed = false;
    int32_t m_windowFrom = 0;
    int32_t m_windowTo = 0;
};
