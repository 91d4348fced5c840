#include "curvewnd/CurvePainter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "curvewnd/AxisScale.h"
#include "curvewnd/Curve.h"
#include "curvewnd/CurveColumns.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/Channel.h"

namespace {

// The column list holds the last point of the previous column and at most four new ones.
constexpr int kListSize = 8;
// How many columns a symbol reaches beside its sample.
constexpr int32_t kSymbolReach = 3;

bool SamePoint(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}

int32_t ClampTo(double v, int32_t lo, int32_t hi)
{
    if (!(v >= lo)) {
        return lo;
    }
    return v > hi ? hi : static_cast<int32_t>(v);
}

// Each colour byte times the factor, truncated.
uint32_t Shade(uint32_t colour, double factor)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t byte = (colour >> shift) & 0xFF;
        result |= static_cast<uint32_t>(byte * factor) << shift;
    }
    return result;
}

bool IsStepStyle(uint32_t style)
{
    return style == CKSTCurve::kStyleSteps ||
           (style >= CKSTCurve::kStyleThickSteps && style <= CKSTCurve::kStyleDashDotDotSteps);
}

bool IsBarStyle(uint32_t style)
{
    return style == CKSTCurve::kStyleBars || style == CKSTCurve::kStyle3DBars;
}

}  // namespace

CKSTCurvePainter::CKSTCurvePainter(CKSTCurve& curve, IKSTCurveCanvas& canvas)
    : m_curve(curve),
      m_canvas(canvas),
      m_channel(curve.GetChannel()),
      m_xAxis(curve.GetXAxis()),
      m_yAxis(curve.GetYAxis()),
      m_xChannel(nullptr),
      m_drawable(false),
      m_xyMode(false),
      m_linearY(true),
      m_style(curve.GetDisplayKind()),
      m_colour(0),
      m_band(curve.GetRect()),
      m_scale(1.0),
      m_xMinimum(0.0),
      m_offset(0.0),
      m_first(0),
      m_end(0),
      m_rightTime(0.0),
      m_startTime(0.0),
      m_endTime(0.0),
      m_count(0),
      m_values(nullptr),
      m_missing(nullptr),
      m_times(nullptr),
      m_t0(0.0),
      m_dt(0.0),
      m_rowFlip(false),
      m_rowZero(0.0),
      m_rowScale(1.0),
      m_rowBase(0),
      m_gapDetection(false),
      m_gapThreshold(0.0),
      m_pen{-1, -1}
{
    const IKSTCurveHost* owner = curve.GetOwner();
    if (owner == nullptr || m_channel == nullptr || m_xAxis == nullptr || m_yAxis == nullptr ||
        m_channel->GetCount() == 0 || int64_t(m_band.right) - m_band.left < 2 ||
        int64_t(m_band.bottom) - m_band.top < 2) {
        return;
    }
    m_drawable = true;
    m_xChannel = owner->GetXChannel();
    m_xyMode = owner->GetDisplayKind() == 1 && m_xChannel != nullptr && m_xChannel->GetCount() > 0;
    m_linearY = m_yAxis->GetScaleType() == CKSTYAxis::kScaleLinear;
    m_colour = curve.GetColor();
    m_scale = curve.GetPixelScale();
    m_xMinimum = m_xAxis->GetMinimum();
    m_offset = curve.GetDateOffset();
    m_count = m_channel->GetCount();
    m_values = m_channel->GetValues();
    m_missing = m_channel->GetMissingFlags();
    m_times =
        m_channel->GetTimeBaseType() == CKSTChannel::kTimeVector ? m_channel->GetTimes() : nullptr;
    m_t0 = m_channel->GetT0();
    m_dt = m_channel->GetDt();
    // The Y axis' own mapping (CKSTYAxis::ValueToPixel), taken apart once for the passes that
    // map every sample.
    const RECT axisRect = m_yAxis->GetRect();
    m_rowFlip = m_yAxis->IsLowestOnTop();
    m_rowZero = m_rowFlip ? m_yAxis->GetDisplayMaximum() : m_yAxis->GetMinimum();
    m_rowScale =
        AxisScale(m_yAxis->GetPixelLength(), m_yAxis->GetDisplayMaximum() - m_yAxis->GetMinimum());
    m_rowBase = int64_t(std::max(axisRect.top, axisRect.bottom)) - 2;
    if (!m_linearY) {
        m_startTime = m_channel->GetStartTime();
        m_endTime = m_channel->GetEndTime();
    }
    FindVisibleRange();
}

bool CKSTCurvePainter::IsColumnPass() const
{
    if (m_xyMode) {
        return false;
    }
    if (m_channel->GetTimeBaseType() == CKSTChannel::kEquidistant) {
        // Without a usable step every sample sits at t0: drawn one by one.
        const double dt = m_channel->GetDt();
        return dt > 0.0 && std::isfinite(dt);
    }
    return m_channel->GetTimeBaseType() == CKSTChannel::kTimeVector &&
           m_channel->AreTimesAscending();
}

void CKSTCurvePainter::FindVisibleRange()
{
    const uint32_t count = m_channel->GetCount();
    m_first = 0;
    m_end = count;
    if (!IsColumnPass()) {
        return;
    }
    const double leftTime = m_xMinimum - m_offset;
    m_rightTime = (m_band.right + 1.0 - m_band.left) / m_scale + m_xMinimum - m_offset;
    m_first = m_channel->GetIndexAtTime(leftTime);
    m_end = std::min<uint64_t>(uint64_t(m_channel->GetIndexAtTime(m_rightTime)) + 1, count);
}

int32_t CKSTCurvePainter::RowOfTransformed(double transformed) const
{
    return m_yAxis->ValueToPixel(transformed);
}

int32_t CKSTCurvePainter::RowOf(double value) const
{
    const double v = m_linearY ? value : m_yAxis->Transform(value);
    return AddPixels(m_rowBase, RoundAxisPixel(m_rowFlip ? (v - m_rowZero) * m_rowScale
                                                         : (m_rowZero - v) * m_rowScale));
}

int32_t CKSTCurvePainter::GetZeroRow() const
{
    return RowOf(0.0);
}

int32_t CKSTCurvePainter::ColumnOf(double xValue) const
{
    return AddPixels(m_band.left, RoundAxisPixel((xValue - m_xMinimum) * m_scale));
}

int32_t CKSTCurvePainter::ColumnOfTime(double time) const
{
    return ColumnOf(time + m_offset);
}

void CKSTCurvePainter::ColumnTimes(int32_t x, double& ta, double& tb) const
{
    const double base = m_xMinimum - m_offset;
    ta = (x - 0.5 - KST_AXIS_PIXEL_TIE_SLACK - m_band.left) / m_scale + base;
    tb = (x + 0.5 + KST_AXIS_PIXEL_TIE_SLACK - m_band.left) / m_scale + base;
}

bool CKSTCurvePainter::SetColumnWindow(int32_t from, int32_t to)
{
    if (!m_drawable || !IsColumnPass()) {
        return false;
    }
    m_windowed = true;
    m_windowFrom = std::max<int32_t>(from, m_band.left);
    m_windowTo = std::min<int32_t>(to, m_band.right);
    return true;
}

bool CKSTCurvePainter::GetSamplePoint(uint32_t i, POINT& point) const
{
    if (i >= m_count) {
        return false;
    }
    const double value = m_values[i];
    if (m_missing[i] != 0 || std::isnan(value)) {
        return false;
    }
    // The channel's own time of sample i, to the last bit.
    double x = (m_times != nullptr ? m_times[i] : m_t0 + double(int64_t(i)) * m_dt) + m_offset;
    if (m_xyMode) {
        x = m_xChannel->GetValueAtTime(x);
        if (std::isnan(x)) {
            return false;
        }
    }
    point = POINT{ColumnOf(x), RowOf(value)};
    return true;
}

// ---------------------------------------------------------------------------------------------
// Segments

void CKSTCurvePainter::MoveTo(const POINT& point)
{
    if (!SamePoint(point, m_pen)) {
        m_canvas.MoveTo(point.x, point.y);
        m_pen = point;
    }
}

void CKSTCurvePainter::DrawSegment(POINT p, POINT q)
{
    const int64_t left = m_band.left;
    const int64_t right = m_band.right;
    const int64_t top = m_band.top;
    const int64_t bottom = m_band.bottom;
    if (!IsBarStyle(m_style)) {
        const bool beyond = (p.x < left && q.x < left) || (p.x >= right && q.x >= right) ||
                            (p.y < top && q.y < top) || (p.y >= bottom && q.y >= bottom);
        if (beyond) {
            return;
        }
    }
    switch (m_style) {
        case CKSTCurve::kStyleEventTexts:
        case CKSTCurve::kStyleNeedle:
            return;
        case CKSTCurve::kStyleSymbols:
            m_pen = q;
            return;
        case CKSTCurve::kStyleBars:
        case CKSTCurve::kStyle3DBars:
            DrawBar(p, q);
            if (int64_t(q.x) < int64_t(p.x) + 2) {
                DrawLine(POINT{q.x, p.y}, q);
            }
            return;
        default:
            break;
    }
    if (IsStepStyle(m_style)) {
        DrawLine(p, POINT{q.x, p.y});
        DrawLine(POINT{q.x, p.y}, q);
        return;
    }
    DrawLine(p, q);
}

void CKSTCurvePainter::DrawLine(POINT p, POINT q)
{
    DrawClipped(p.x, p.y, q.x, q.y);
}

void CKSTCurvePainter::DrawClipped(int64_t px, int64_t py, int64_t qx, int64_t qy)
{
    const KstBox box{double(m_band.left), double(m_band.top), double(m_band.right),
                     double(m_band.bottom)};
    const KstSegment segment{{double(px), double(py)}, {double(qx), double(qy)}};
    const bool startIn = PtInBox(box, segment.start);
    const bool endIn = PtInBox(box, segment.end);
    KstPointD a = segment.start;
    KstPointD b = segment.end;
    if (!startIn || !endIn) {
        KstPointD crossing{};
        if (startIn) {
            if (!SegmentCrossesBoxEdge(box, segment, crossing)) {
                return;
            }
            b = crossing;
        } else if (endIn) {
            if (!SegmentCrossesBoxEdge(box, segment, crossing)) {
                return;
            }
            a = crossing;
        } else {
            KstPointD second{};
            if (!GetSegmentBoxCrossing(box, segment, crossing, second)) {
                return;
            }
            // The crossings come in edge order; the line runs from the one nearer the start.
            const double d1 = std::hypot(crossing.x - px, crossing.y - py);
            const double d2 = std::hypot(second.x - px, second.y - py);
            a = d1 <= d2 ? crossing : second;
            b = d1 <= d2 ? second : crossing;
        }
    }
    // Crossings are rounded half away from zero; the rounding must not step out of the band.
    const POINT from{ClampTo(std::round(a.x), m_band.left, m_band.right - 1),
                     ClampTo(std::round(a.y), m_band.top, m_band.bottom - 1)};
    const POINT to{ClampTo(std::round(b.x), m_band.left, m_band.right - 1),
                   ClampTo(std::round(b.y), m_band.top, m_band.bottom - 1)};
    if (SamePoint(from, to)) {
        m_canvas.SetPixel(to.x, to.y);
        MoveTo(to);
        return;
    }
    MoveTo(from);
    m_canvas.LineTo(to.x, to.y);
    m_canvas.SetPixel(to.x, to.y);
    m_pen = to;
}

void CKSTCurvePainter::DrawBar(POINT p, POINT q)
{
    int64_t x1 = std::max<int64_t>(std::min<int64_t>(p.x, q.x), m_band.left);
    int64_t x2 = std::min<int64_t>(std::max<int64_t>(p.x, q.x), int64_t(m_band.right) - 1);
    if (x2 - x1 > 3) {
        // Neighbouring bars keep a gap.
        x2 -= 2;
    }
    if (x2 <= x1) {
        return;
    }
    const int32_t zero = GetZeroRow();
    const int64_t barTop = std::max<int64_t>(std::min<int64_t>(zero, p.y), m_band.top);
    const int64_t barBottom = std::min<int64_t>(std::max<int64_t>(zero, p.y) + 1, m_band.bottom);
    if (barTop >= barBottom) {
        return;
    }
    const RECT bar{int32_t(x1), int32_t(barTop), int32_t(x2), int32_t(barBottom)};
    if (m_style == CKSTCurve::kStyle3DBars) {
        Draw3DBar(bar, p.y <= zero);
    } else {
        m_canvas.FillBar(bar);
    }
    m_curve.SetLastBarTop(bar.top);
}

void CKSTCurvePainter::Draw3DBar(const RECT& bar, bool rising)
{
    const int32_t width = bar.right - bar.left;
    const int32_t d = width / 5;
    const int32_t last = bar.bottom - 1;
    auto clamp = [this](int64_t x, int64_t y) {
        return POINT{int32_t(std::clamp<int64_t>(x, m_band.left, int64_t(m_band.right) - 1)),
                     int32_t(std::clamp<int64_t>(y, m_band.top, int64_t(m_band.bottom) - 1))};
    };
    if (d > 0) {
        // The side face takes the last d columns of the bar, the cap the bar's end row.
        const int32_t back = bar.right - 1;
        const POINT side[4] = {clamp(bar.right - d, bar.top), clamp(back, bar.top - d - 1),
                               clamp(back, last - d - 1), clamp(bar.right - d, last)};
        m_canvas.FillPolygon(side, 4, Shade(m_colour, 0.6));
        const int32_t end = rising ? bar.top : last;
        const POINT cap[4] = {clamp(bar.left, end), clamp(bar.right - d, end),
                              clamp(back, end - d - 1), clamp(bar.left + d, end - d - 1)};
        m_canvas.FillPolygon(cap, 4, Shade(m_colour, rising ? 0.8 : 0.4));
    }
    m_canvas.FillBar(RECT{bar.left, bar.top, bar.right - d, bar.bottom});
}

// ---------------------------------------------------------------------------------------------
// Line pass

void CKSTCurvePainter::SetupGapDetection()
{
    m_gapDetection = false;
    double step = 0.0;
    if (!m_curve.GetInterpolateGaps() && m_curve.GetDominantTimeStep(step) && step > 0.0 &&
        std::isfinite(step)) {
        m_gapDetection = true;
        m_gapThreshold = 1.5 * step;
    }
}

bool CKSTCurvePainter::IsGap(const KstTracePoint& a, const KstTracePoint& b) const
{
    return m_gapDetection && std::llabs(int64_t(b.x) - a.x) >= 2 &&
           std::fabs(b.time - a.time) >= m_gapThreshold;
}

bool CKSTCurvePainter::ReduceOneColumn(int32_t x, double ta, double tb, KstTracePoint* list,
                                       int& count) const
{
    uint32_t i0 = 0;
    uint32_t i1 = 0;
    if (m_channel->GetIndexRange(ta, tb, i0, i1)) {
        const double* values = m_channel->GetValues();
        const uint8_t* missing = m_channel->HasMissing() ? m_channel->GetMissingFlags() : nullptr;
        KstColumnExtent extent;
        if (!ReduceColumn(values, missing, i0, i1, extent)) {
            return false;
        }
        double first = extent.first;
        double minimum = extent.minimum;
        double maximum = extent.maximum;
        double last = extent.last;
        if (!m_linearY) {
            first = m_yAxis->Transform(first);
            last = m_yAxis->Transform(last);
            TransformColumnExtremes(
                values, missing, extent.firstIndex, extent.lastIndex, extent.minimum,
                extent.maximum, m_yAxis->Transform(0.0),
                [this](double v) { return m_yAxis->Transform(v); }, minimum, maximum);
        }
        const double time = m_channel->GetTimeAt(extent.firstIndex);
        list[count++] = KstTracePoint{x, RowOfTransformed(first), time};
        for (double v : {minimum, maximum, last}) {
            const int32_t row = RowOfTransformed(v);
            if (row != list[count - 1].y) {
                list[count++] = KstTracePoint{x, row, time};
            }
        }
        return true;
    }
    if (m_linearY) {
        // The line runs straight on to the next column that holds samples.
        return false;
    }
    // A straight line between two samples is not straight on a logarithmic axis: columns
    // between them take the interpolated value, within the channel's time span only.
    if (m_endTime < ta || m_startTime > tb) {
        return false;
    }
    const double middle = 0.5 * (ta + tb);
    if (m_gapDetection) {
        const uint32_t before = m_channel->GetIndexAtTime(middle);
        uint32_t after = before + 1;
        if (m_channel->GetTimeBaseType() == CKSTChannel::kEquidistant) {
            after = m_channel->FindNextPresent(after);
        }
        if (after < m_channel->GetCount() &&
            m_channel->GetTimeAt(after) - m_channel->GetTimeAt(before) >= m_gapThreshold) {
            return false;
        }
    }
    const double value = m_channel->GetValueAtTime(middle);
    if (std::isnan(value)) {
        return false;
    }
    list[count++] = KstTracePoint{x, RowOf(value), middle};
    return true;
}

bool CKSTCurvePainter::SeedBefore(int32_t x, KstTracePoint& point) const
{
    KstTracePoint column[kListSize];
    for (int32_t c = x - 1; c >= m_band.left; --c) {
        double ta = 0.0;
        double tb = 0.0;
        ColumnTimes(c, ta, tb);
        int count = 0;
        if (ReduceOneColumn(c, ta, tb, column, count) && count > 0) {
            point = column[count - 1];
            return true;
        }
    }
    return false;
}

void CKSTCurvePainter::PaintColumns()
{
    SetupGapDetection();
    KstTracePoint list[kListSize];
    int count = 0;
    POINT start;
    if (GetSamplePoint(m_first, start)) {
        list[count++] = KstTracePoint{start.x, start.y, m_channel->GetTimeAt(m_first)};
    }
    int32_t firstColumn = m_band.left;
    if (m_windowed && m_windowFrom > m_band.left) {
        firstColumn = m_windowFrom;
        if (SeedBefore(firstColumn, list[0])) {
            count = 1;
        }
    }
    for (int32_t x = firstColumn; x < m_band.right; ++x) {
        double ta = 0.0;
        double tb = 0.0;
        ColumnTimes(x, ta, tb);
        const int before = count;
        if (!ReduceOneColumn(x, ta, tb, list, count) || count == before) {
            continue;
        }
        if (count == 1) {
            // The very first point of a line without a start point.
            const POINT only{list[0].x, list[0].y};
            DrawSegment(only, only);
        }
        for (int i = 1; i < count; ++i) {
            const POINT to{list[i].x, list[i].y};
            const POINT from =
                IsGap(list[i - 1], list[i]) ? to : POINT{list[i - 1].x, list[i - 1].y};
            DrawSegment(from, to);
        }
        list[0] = list[count - 1];
        count = 1;
        if (m_windowed && x >= m_windowTo) {
            // The line has reached the first column with samples after the window.
            return;
        }
    }

    // The line leaves the band towards the first sample beyond its right edge.
    const uint32_t samples = m_channel->GetCount();
    const uint32_t atRight = m_channel->GetIndexAtTime(m_rightTime);
    uint32_t k = std::min(atRight + 1, samples - 1);
    if (m_channel->GetTimeBaseType() == CKSTChannel::kEquidistant) {
        k = m_channel->FindNextPresent(k);
        if (k >= samples) {
            k = atRight;
        }
    }
    POINT end;
    if (!GetSamplePoint(k, end)) {
        return;
    }
    const KstTracePoint final{end.x, end.y, m_channel->GetTimeAt(k)};
    if (count > 0 && !IsGap(list[0], final)) {
        DrawSegment(POINT{list[0].x, list[0].y}, end);
    }
    if (IsStepStyle(m_style) || IsBarStyle(m_style)) {
        // The last step or bar gets its full width.
        double dt = m_channel->GetDt();
        if (m_channel->GetTimeBaseType() == CKSTChannel::kTimeVector) {
            dt = k > 0 ? m_channel->GetTimeAt(k) - m_channel->GetTimeAt(k - 1) : 0.0;
        }
        const double width = RoundAxisPixel(dt * m_scale);
        const POINT widthEnd{AddPixels(end.x, int64_t(width)), end.y};
        DrawSegment(end, widthEnd);
    }
}

void CKSTCurvePainter::PaintEverySample()
{
    const bool joinGaps = m_curve.GetInterpolateGaps();
    POINT previous{};
    int run = 0;
    auto endRun = [&] {
        if (run == 1) {
            DrawSegment(previous, previous);
        }
        run = 0;
    };
    for (uint32_t i = m_first; i < m_end; ++i) {
        POINT point;
        if (!GetSamplePoint(i, point)) {
            // A missing sample breaks the line unless gaps are to be joined.
            if (!joinGaps) {
                endRun();
            }
            continue;
        }
        if (run == 0) {
            previous = point;
            run = 1;
            continue;
        }
        if (!SamePoint(point, previous)) {
            DrawSegment(previous, point);
            previous = point;
            ++run;
        }
    }
    endRun();
}

void CKSTCurvePainter::PaintLines()
{
    if (!m_drawable || m_style == CKSTCurve::kStyleSymbols ||
        m_style == CKSTCurve::kStyleEventTexts || m_style == CKSTCurve::kStyleNeedle) {
        return;
    }
    m_canvas.SelectPen(IKSTCurveCanvas::Pen::Line);
    m_pen = POINT{-1, -1};
    if (IsColumnPass()) {
        PaintColumns();
    } else {
        PaintEverySample();
    }
    if (!m_windowed || m_windowTo >= m_band.right) {
        m_curve.SetLastDrawnPoint(m_pen);
    }
}

bool CKSTCurvePainter::FindLastValue(double& value) const
{
    if (m_channel == nullptr) {
        return false;
    }
    // A missing sample holds no value to show.
    for (uint32_t i = m_channel->GetCount(); i > 0; --i) {
        const double v = m_channel->GetValues()[i - 1];
        if (!m_channel->IsMissing(i - 1) && !std::isnan(v)) {
            value = v;
            return true;
        }
    }
    return false;
}

void CKSTCurvePainter::PaintBarDisplay()
{
    double value = 0.0;
    if (!m_drawable || !FindLastValue(value)) {
        return;
    }
    m_canvas.SelectPen(IKSTCurveCanvas::Pen::Line);
    m_pen = POINT{-1, -1};
    const int32_t row = RowOf(value);
    DrawSegment(POINT{m_band.left, row}, POINT{m_band.right, row});
    m_curve.SetLastDrawnPoint(m_pen);
}

// ---------------------------------------------------------------------------------------------
// Symbols

void CKSTCurvePainter::DrawSymbol(const POINT& at)
{
    auto clamp = [this](int64_t x, int64_t y) {
        return POINT{int32_t(std::clamp<int64_t>(x, m_band.left, int64_t(m_band.right) - 1)),
                     int32_t(std::clamp<int64_t>(y, m_band.top, int64_t(m_band.bottom) - 1))};
    };
    const int64_t x = at.x;
    const int64_t y = at.y;
    auto polyline = [&](std::initializer_list<POINT> points) {
        auto it = points.begin();
        m_canvas.MoveTo(it->x, it->y);
        for (++it; it != points.end(); ++it) {
            m_canvas.LineTo(it->x, it->y);
        }
    };
    auto stroke = [&](POINT a, POINT b) {
        m_canvas.MoveTo(a.x, a.y);
        m_canvas.LineTo(b.x, b.y);
        m_canvas.SetPixel(b.x, b.y);
    };
    switch (m_curve.GetSymbol()) {
        case CKSTCurve::kSymbolThickPoint:
            polyline({clamp(x - 1, y - 3), clamp(x + 1, y - 3), clamp(x + 2, y - 2),
                      clamp(x - 2, y - 2), clamp(x - 3, y - 1), clamp(x + 3, y - 1),
                      clamp(x + 3, y), clamp(x - 3, y), clamp(x - 3, y + 1), clamp(x + 3, y + 1),
                      clamp(x + 2, y + 2), clamp(x - 2, y + 2), clamp(x - 1, y + 3),
                      clamp(x + 1, y + 3), at});
            break;
        case CKSTCurve::kSymbolRing:
            polyline({clamp(x - 1, y - 3), clamp(x + 1, y - 3), clamp(x + 3, y - 1),
                      clamp(x + 3, y + 1), clamp(x + 1, y + 3), clamp(x - 1, y + 3),
                      clamp(x - 3, y + 1), clamp(x - 3, y - 1), clamp(x - 1, y - 3)});
            break;
        case CKSTCurve::kSymbolSquare:
            polyline({clamp(x - 3, y - 3), clamp(x + 3, y - 3), clamp(x + 3, y + 3),
                      clamp(x - 3, y + 3), clamp(x - 3, y - 3)});
            break;
        case CKSTCurve::kSymbolTriangle:
            polyline({clamp(x, y - 3), clamp(x + 3, y + 2), clamp(x - 3, y + 2), clamp(x, y - 3)});
            break;
        case CKSTCurve::kSymbolDiamond:
            polyline({clamp(x, y - 3), clamp(x + 3, y), clamp(x, y + 3), clamp(x - 3, y),
                      clamp(x, y - 3)});
            break;
        case CKSTCurve::kSymbolX:
        case CKSTCurve::kSymbolPlus:
        case CKSTCurve::kSymbolStar:
            if (m_curve.GetSymbol() != CKSTCurve::kSymbolPlus) {
                stroke(clamp(x - 3, y - 3), clamp(x + 3, y + 3));
                stroke(clamp(x + 3, y - 3), clamp(x - 3, y + 3));
            }
            if (m_curve.GetSymbol() != CKSTCurve::kSymbolX) {
                stroke(clamp(x - 3, y), clamp(x + 3, y));
                stroke(clamp(x, y - 3), clamp(x, y + 3));
            }
            break;
        default:
            m_canvas.SetPixel(at.x, at.y);
            break;
    }
    m_canvas.MoveTo(at.x, at.y);
}

void CKSTCurvePainter::PaintSymbols()
{
    if (!m_drawable) {
        return;
    }
    const uint32_t symbol = m_curve.GetSymbol();
    const bool wanted =
        (symbol != CKSTCurve::kSymbolPoint && m_style != CKSTCurve::kStyleEventTexts) ||
        m_style == CKSTCurve::kStyleSymbols;
    if (!wanted) {
        return;
    }
    m_canvas.SelectPen(IKSTCurveCanvas::Pen::Symbol);
    m_pen = POINT{-1, -1};
    auto inside = [this](const POINT& p) {
        return p.x >= m_band.left && p.x < m_band.right && p.y >= m_band.top && p.y < m_band.bottom;
    };
    if (!IsColumnPass()) {
        for (uint32_t i = m_first; i < m_end; ++i) {
            POINT point;
            if (GetSamplePoint(i, point) && !SamePoint(point, m_pen) && inside(point)) {
                DrawSymbol(point);
                m_pen = point;
            }
        }
        m_curve.SetLastDrawnPoint(m_pen);
        return;
    }
    // Samples in time order reach the columns from left to right. The same symbol drawn twice
    // gives the same pixels, so each column draws a row's symbol once however many samples
    // fall on it: a zoomed-out paint draws at most one symbol per pixel of the band.
    uint32_t first = m_first;
    uint32_t end = m_end;
    // A symbol reaches kSymbolReach columns to either side of its sample.
    const int32_t from = m_windowed ? m_windowFrom - kSymbolReach : INT32_MIN;
    const int32_t to = m_windowed ? m_windowTo + kSymbolReach : INT32_MAX;
    if (m_windowed) {
        double ta = 0.0;
        double tb = 0.0;
        ColumnTimes(from - 1, ta, tb);
        first = std::max(first, m_channel->GetIndexAtTime(ta));
        ColumnTimes(to + 1, ta, tb);
        end = std::min<uint64_t>(end, uint64_t(m_channel->GetIndexAtTime(tb)) + 2);
    }
    std::vector<uint8_t> rowDrawn(size_t(int64_t(m_band.bottom) - m_band.top), 0);
    std::vector<int32_t> rowsOfColumn;
    int64_t column = INT64_MIN;
    for (uint32_t i = first; i < end; ++i) {
        POINT point;
        if (!GetSamplePoint(i, point) || !inside(point) || point.x < from || point.x >= to) {
            continue;
        }
        if (point.x != column) {
            for (int32_t row : rowsOfColumn) {
                rowDrawn[row] = 0;
            }
            rowsOfColumn.clear();
            column = point.x;
        }
        m_pen = point;
        const int32_t row = point.y - m_band.top;
        if (rowDrawn[row] == 0) {
            rowDrawn[row] = 1;
            rowsOfColumn.push_back(row);
            DrawSymbol(point);
        }
    }
    if (!m_windowed || m_windowTo >= m_band.right) {
        m_curve.SetLastDrawnPoint(m_pen);
    }
}
