// Painting a curve into the window's off-screen picture with the platform's pens and brushes,
// and the inverted cursor lines drawn over it.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "curvewnd/Curve.h"
#include "curvewnd/CurveLabels.h"
#include "curvewnd/CurvePainter.h"
#include "curvewnd/YAxis.h"
#include "curvewnd/win/CurveDecorations.h"
#include "curvewnd/win/CurvePaint.h"
#include "curvewnd/win/DrawContext.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"

namespace {

int PenStyleOf(uint32_t displayStyle)
{
    switch (displayStyle) {
        case CKSTCurve::kStyleDashLines:
        case CKSTCurve::kStyleDashSteps:
            return PS_DASH;
        case CKSTCurve::kStyleDotLines:
        case CKSTCurve::kStyleDotSteps:
            return PS_DOT;
        case CKSTCurve::kStyleDashDotLines:
        case CKSTCurve::kStyleDashDotSteps:
            return PS_DASHDOT;
        case CKSTCurve::kStyleDashDotDotLines:
        case CKSTCurve::kStyleDashDotDotSteps:
            return PS_DASHDOTDOT;
        default:
            return PS_SOLID;
    }
}

bool IsThick(uint32_t displayStyle)
{
    return displayStyle == CKSTCurve::kStyleThickLines ||
           displayStyle == CKSTCurve::kStyleThickSteps;
}

// Draws on a device context. Consecutive lines are gathered into one polyline, so a styled pen
// keeps its pattern from segment to segment and the end pixel of a run is set once.
class CKSTGdiCurveCanvas : public IKSTCurveCanvas {
public:
    CKSTGdiCurveCanvas(HDC dc, uint32_t displayStyle, COLORREF colour, COLORREF brushColour,
                       bool brushTransparent)
        : m_dc(dc), m_colour(colour)
    {
        m_linePen = CreatePen(PenStyleOf(displayStyle), IsThick(displayStyle) ? 3 : 1, colour);
        m_symbolPen = CreatePen(PS_SOLID, IsThick(displayStyle) ? 3 : 1, colour);
        m_brush = brushTransparent ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                   : CreateSolidBrush(brushColour);
        m_ownsBrush = !brushTransparent;
        m_previousPen = ::SelectObject(dc, m_linePen);
        m_previousBrush = ::SelectObject(dc, m_brush);
    }

    ~CKSTGdiCurveCanvas()
    {
        Flush();
        ::SelectObject(m_dc, m_previousPen);
        ::SelectObject(m_dc, m_previousBrush);
        DeleteObject(m_linePen);
        DeleteObject(m_symbolPen);
        if (m_ownsBrush) {
            DeleteObject(m_brush);
        }
    }

    CKSTGdiCurveCanvas(const CKSTGdiCurveCanvas&) = delete;
    CKSTGdiCurveCanvas& operator=(const CKSTGdiCurveCanvas&) = delete;

    void SelectPen(Pen pen) override
    {
        Flush();
        ::SelectObject(m_dc, pen == Pen::Symbol ? m_symbolPen : m_linePen);
    }

    void MoveTo(int32_t x, int32_t y) override
    {
        if (x == m_position.x && y == m_position.y) {
            return;
        }
        Flush();
        m_position = POINT{x, y};
    }

    void LineTo(int32_t x, int32_t y) override
    {
        if (m_run.empty()) {
            m_run.push_back(m_position);
        }
        m_run.push_back(POINT{x, y});
        m_position = POINT{x, y};
        m_endPixel = false;
    }

    void SetPixel(int32_t x, int32_t y) override
    {
        if (!m_run.empty() && x == m_position.x && y == m_position.y) {
            m_endPixel = true;
            return;
        }
        SetPixelV(m_dc, x, y, m_colour);
    }

    void FillBar(const RECT& rect) override
    {
        Flush();
        PatBlt(m_dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
    }

    // Draws the gathered polyline.
    void Flush()
    {
        if (m_run.size() >= 2) {
            Polyline(m_dc, m_run.data(), static_cast<int>(m_run.size()));
        }
        if (m_endPixel) {
            SetPixelV(m_dc, m_position.x, m_position.y, m_colour);
            m_endPixel = false;
        }
        m_run.clear();
    }

    void FillPolygon(const POINT* points, int count, uint32_t colour) override
    {
        Flush();
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        HBRUSH brush = CreateSolidBrush(colour);
        const HGDIOBJ oldPen = ::SelectObject(m_dc, pen);
        const HGDIOBJ oldBrush = ::SelectObject(m_dc, brush);
        Polygon(m_dc, points, count);
        ::SelectObject(m_dc, oldPen);
        ::SelectObject(m_dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
    }

private:
    HDC m_dc;
    COLORREF m_colour;
    HPEN m_linePen;
    HPEN m_symbolPen;
    HBRUSH m_brush;
    bool m_ownsBrush;
    HGDIOBJ m_previousPen;
    HGDIOBJ m_previousBrush;
    POINT m_position{-1, -1};
    std::vector<POINT> m_run;
    bool m_endPixel = false;
};

// The value of every visible sample as a text in the style of the curve's event-text template;
// the boxes become the curve's cells.
void PaintEventTexts(CKSTCurve& curve, CKSTDrawContext& dc, const CKSTCurvePainter& painter)
{
    curve.ClearCells();
    const CKSTChannel& channel = *curve.GetChannel();
    const RECT band = painter.GetBand();
    std::vector<RECT> drawn;
    POINT pen{-1, -1};
    for (uint32_t i = painter.GetFirstVisible(); i < painter.GetEndVisible(); ++i) {
        POINT point;
        if (!painter.GetSamplePoint(i, point) || (point.x == pen.x && point.y == pen.y) ||
            point.x < band.left || point.x >= band.right) {
            continue;
        }
        CKSTString text;
        CKSTString unit;
        FormatValue(curve, curve.GetYAxis()->Transform(channel.GetValues()[i]), text, unit);
        if (!unit.IsEmpty()) {
            text += " ";
            text += unit;
        }
        curve.AddCell(DrawEventText(curve, dc, curve.GetEventTemplate(), point, text, drawn));
        pen = point;
    }
    curve.SetLastDrawnPoint(pen);
}

// The value of the bar display as a text over its bar, or inside the bar's top when there is no
// room above it.
void PaintBarValue(CKSTCurve& curve, HDC dc, const CKSTCurvePainter& painter, COLORREF colour)
{
    double value = 0.0;
    if (!painter.FindLastValue(value)) {
        return;
    }
    CKSTString text;
    CKSTString unit;
    FormatValue(curve, curve.GetYAxis()->Transform(value), text, unit);
    const RECT band = painter.GetBand();
    const bool bars = curve.GetDisplayKind() == CKSTCurve::kStyleBars ||
                      curve.GetDisplayKind() == CKSTCurve::kStyle3DBars;
    const int32_t top =
        bars ? curve.GetLastBarTop()
             : std::clamp<int32_t>(
                   curve.GetYAxis()->ValueToPixel(curve.GetYAxis()->Transform(value)), band.top,
                   band.bottom - 1);
    CKSTFontDesc font = curve.GetOwner()->GetWindowSettings().m_LegendFontDesc;
    const HGDIOBJ previousFont = ::SelectObject(dc, font.CreateOwnFont());
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), text.GetLength(), &size);
    int32_t y = top - 4 - size.cy;
    if (y < band.top) {
        y = top + 4;
        if (bars) {
            // The bar is filled in the curve colour: the text inside takes the plot's colour.
            const uint32_t plot = curve.GetOwner()->GetWindowSettings().m_PlotBackgroundColor;
            colour = plot == KST_COLOR_NONE ? 0xFFFFFF : plot & 0xFFFFFF;
        }
    }
    const int32_t x = band.left + (band.right - band.left - size.cx) / 2;
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, x, y, text.c_str(), text.GetLength());
    ::SelectObject(dc, previousFont);
}

// Inverts [left, right) x [top, bottom) in the window's draw context and invalidates it.
void InvertArea(CKSTCurve& curve, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    IKSTCurveHost* owner = curve.GetOwner();
    if (owner == nullptr || right <= left || bottom <= top) {
        return;
    }
    CKSTDrawContext* dc = owner->GetDrawContext();
    if (dc != nullptr && dc->GetHdc() != nullptr) {
        PatBlt(dc->GetHdc(), left, top, right - left, bottom - top, DSTINVERT);
    }
    if (owner->HasDrawingWindow()) {
        owner->InvalidateRect(left, top, right, bottom, false);
    }
}

}  // namespace

namespace {

void PaintCurveIn(CKSTCurve& curve, CKSTDrawContext& dc, const int32_t* columns)
{
    HDC hdc = dc.GetHdc();
    IKSTCurveHost* owner = curve.GetOwner();
    if (hdc == nullptr || owner == nullptr) {
        return;
    }
    if (owner->GetDisplayKind() == 4) {
        PaintPointer(curve, dc);
        return;
    }
    if (curve.IsMatrixCurve()) {
        PaintMatrix(curve, dc);
        return;
    }
    const uint32_t colour = curve.GetColor() & 0xFFFFFF;
    const uint32_t style = curve.GetDisplayKind();
    const bool bars = style == CKSTCurve::kStyleBars || style == CKSTCurve::kStyle3DBars;
    const uint32_t plotColour = owner->GetWindowSettings().m_PlotBackgroundColor;
    const int saved = SaveDC(hdc);
    {
        CKSTGdiCurveCanvas canvas(hdc, style, colour, bars ? colour : plotColour,
                                  !bars && plotColour == KST_COLOR_NONE);
        CKSTCurvePainter painter(curve, canvas);
        if (columns != nullptr) {
            painter.SetColumnWindow(columns[0], columns[1]);
        }
        if (painter.IsDrawable()) {
            // Wide pens and slanted faces reach beyond the points given: the band clips them.
            const RECT band = painter.GetBand();
            IntersectClipRect(hdc, band.left, band.top, band.right, band.bottom);
            SetBkMode(hdc, TRANSPARENT);
            if (owner->GetDisplayKind() == 2) {
                painter.PaintBarDisplay();
                canvas.Flush();
                if (curve.GetShowBarValue()) {
                    PaintBarValue(curve, hdc, painter, colour);
                }
            } else {
                painter.PaintLines();
                painter.PaintSymbols();
                canvas.Flush();
                if (style == CKSTCurve::kStyleEventTexts) {
                    PaintEventTexts(curve, dc, painter);
                }
            }
        }
    }
    // Also gives back the background mode, the clip and the selected objects.
    RestoreDC(hdc, saved);
}

}  // namespace

void PaintCurve(CKSTCurve& curve, CKSTDrawContext& dc)
{
    PaintCurveIn(curve, dc, nullptr);
}

void PaintCurveColumns(CKSTCurve& curve, CKSTDrawContext& dc, int32_t from, int32_t to)
{
    const int32_t columns[2] = {from, to};
    PaintCurveIn(curve, dc, columns);
}

// ---------------------------------------------------------------------------------------------
// Inverted cursor lines

void InvertCursorLine(CKSTCurve& curve, int32_t x)
{
    const RECT band = curve.GetRect();
    if (band.right <= band.left) {
        return;
    }
    x = std::clamp<int32_t>(x, band.left, band.right);
    InvertArea(curve, x, band.top, x + 1, band.bottom);
}

void InvertValueLine(CKSTCurve& curve, int32_t x)
{
    double time = 0.0;
    double value = 0.0;
    const CKSTYAxis* yAxis = curve.GetYAxis();
    if (yAxis == nullptr || !curve.GetValueAtPixel(x, time, value)) {
        return;
    }
    const RECT band = curve.GetRect();
    if (band.bottom <= band.top) {
        return;
    }
    const int32_t row = std::clamp<int32_t>(yAxis->ValueToPixel(value), band.top, band.bottom - 1);
    InvertArea(curve, band.left, row, band.right, row + 1);
}

void InvertRowLine(CKSTCurve& curve, int32_t y)
{
    const RECT band = curve.GetRect();
    if (band.bottom <= band.top) {
        return;
    }
    y = std::clamp<int32_t>(y, band.top, band.bottom - 1);
    InvertArea(curve, band.left, y, band.right, y + 1);
}

void InvertCursorPair(CKSTCurve& curve, int32_t x1, int32_t x2)
{
    InvertCursorLine(curve, x1);
    InvertCursorLine(curve, x2);
}
