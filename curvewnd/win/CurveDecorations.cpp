// Grid, level lines and events of a curve.
#include "curvewnd/win/CurveDecorations.h"

#include <algorithm>
#include <cmath>

#include "curvewnd/Curve.h"
#include "curvewnd/EventLayout.h"
#include "curvewnd/GridLines.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "curvewnd/win/DrawContext.h"
#include "curvewnd/win/GdiScope.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"

namespace {

// XY display (the X channel's values give the X positions).
constexpr uint32_t kDisplayXY = 1;
// Rows an anchor far off the band is held at: the line towards it still leaves the band in its
// direction, and no coordinate grows beyond what the platform draws reliably.
constexpr int32_t kAnchorMargin = 1000;

const CKSTCurveWndSettings& SettingsOf(const CKSTCurve& curve)
{
    return curve.GetOwner() != nullptr ? curve.GetOwner()->GetWindowSettings()
                                       : KstDefaultWindowSettings();
}

bool HasXTicks(const CKSTCurve& curve)
{
    return curve.GetXAxis() != nullptr && curve.GetXAxis()->GetTickSpacing() > 0.0;
}

int PenStyleOf(uint32_t lineStyle)
{
    static const int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    return lineStyle < 5 ? kStyles[lineStyle] : PS_SOLID;
}

std::vector<CKSTString> SplitLines(const CKSTString& text)
{
    std::vector<CKSTString> lines;
    int start = 0;
    while (true) {
        const int end = text.Find(CKSTString("\r\n"), start);
        if (end < 0) {
            lines.push_back(text.Mid(start));
            return lines;
        }
        lines.push_back(text.Mid(start, end - start));
        start = end + 2;
    }
}

// The fill of an event box: the window's plot background for an automatic fill (white when the
// plot has none), nothing for a transparent one.
uint32_t FillOf(const CKSTPlotMarker& style, const CKSTCurveWndSettings& settings)
{
    const uint32_t fill = style.GetBackgroundColour();
    if (fill == KST_COLOR_AUTOMATIC) {
        return settings.m_PlotBackgroundColor == KST_COLOR_NONE
                   ? 0xFFFFFF
                   : settings.m_PlotBackgroundColor & 0xFFFFFF;
    }
    return fill == KST_COLOR_NONE ? KST_COLOR_NONE : fill & 0xFFFFFF;
}

// Lines of text in the selected font: the widest line and the line height.
struct TextBlock {
    std::vector<CKSTString> lines;
    int32_t width = 0;
    int32_t lineHeight = 0;
    int32_t Height() const { return lineHeight * static_cast<int32_t>(lines.size()); }
};

TextBlock MeasureBlock(HDC dc, const CKSTString& text)
{
    TextBlock block;
    block.lines = SplitLines(text);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    block.lineHeight = metrics.tmHeight;
    for (const CKSTString& line : block.lines) {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, line.c_str(), line.GetLength(), &size);
        block.width = std::max<int32_t>(block.width, size.cx);
    }
    return block;
}

// The event's font, turned by the angle (tenths of a degree), while the object lives.
class EventFont {
public:
    EventFont(CKSTDrawContext& dc, const CKSTFontDesc& font, int angle) : m_dc(dc), m_font(font)
    {
        m_font.m_escapement = angle * 10;
        m_font.m_orientation = angle * 10;
        m_dc.SelectFont(m_font, true);
    }
    ~EventFont() { m_dc.RestoreFont(); }
    EventFont(const EventFont&) = delete;
    EventFont& operator=(const EventFont&) = delete;

private:
    CKSTDrawContext& m_dc;
    CKSTFontDesc m_font;
};

void DrawBox(HDC dc, const RECT& box, COLORREF colour, bool frame, uint32_t fill)
{
    KstGdiScope gdi(dc);
    gdi.Pen(frame ? CreatePen(PS_SOLID, 1, colour) : nullptr);
    gdi.Brush(fill == KST_COLOR_NONE ? nullptr : CreateSolidBrush(fill));
    RoundRect(dc, box.left, box.top, box.right, box.bottom, 5, 5);
}

void DrawLines(HDC dc, const TextBlock& block, int32_t x, int32_t y, int angle, COLORREF colour)
{
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < block.lines.size(); ++i) {
        const int32_t step = static_cast<int32_t>(i) * block.lineHeight;
        const CKSTString& line = block.lines[i];
        if (angle == 90) {
            TextOutA(dc, x + step, y, line.c_str(), line.GetLength());
        } else if (angle == 270) {
            TextOutA(dc, x - step, y, line.c_str(), line.GetLength());
        } else {
            TextOutA(dc, x, y + step, line.c_str(), line.GetLength());
        }
    }
}

POINT ClampToBand(const POINT& p, const RECT& band)
{
    return {std::clamp<int32_t>(p.x, band.left, band.right - 1),
            std::clamp<int32_t>(p.y, band.top, band.bottom - 1)};
}

// The thick-point symbol: a filled disc 7 pixels across.
void DrawThickPoint(HDC dc, const POINT& p, const RECT& band, COLORREF colour)
{
    static const POINT kShape[] = {{-1, -3}, {1, -3}, {2, -2}, {-2, -2}, {-3, -1},
                                   {3, -1},  {3, 0},  {-3, 0}, {-3, 1},  {3, 1},
                                   {2, 2},   {-2, 2}, {-1, 3}, {1, 3},   {0, 0}};
    POINT points[15];
    for (int i = 0; i < 15; ++i) {
        points[i] = ClampToBand({p.x + kShape[i].x, p.y + kShape[i].y}, band);
    }
    KstGdiScope gdi(dc);
    gdi.Pen(CreatePen(PS_SOLID, 1, colour));
    Polyline(dc, points, 15);
}

COLORREF ColourOf(const CKSTCurve& curve, const CKSTPlotMarker& style)
{
    const uint32_t colour = style.GetTextColour();
    return colour == KST_COLOR_AUTOMATIC ? curve.GetColor() & 0xFFFFFF : colour & 0xFFFFFF;
}

int RotationOf(const CKSTPlotMarker& style)
{
    const int angle = style.GetAngle();
    return angle == 90 ? 90 : angle == 270 || angle == -90 ? 270 : 0;
}

RECT DrawMarker(const CKSTCurve& curve, CKSTDrawContext& dc, const CKSTPlotMarker& style,
                int32_t column, const CKSTString& text)
{
    HDC hdc = dc.GetHdc();
    const RECT band = curve.GetRect();
    const COLORREF colour = ColourOf(curve, style);
    const int angle = RotationOf(style);
    EventFont font(dc, style.GetFont(), angle);
    const TextBlock block = MeasureBlock(hdc, text);
    const bool arrow = style.HasPointer();
    const RECT box =
        angle == 0 ? KstEventMarkerBox(column, band.bottom, block.width, block.Height(), arrow)
                   : KstEventMarkerBox(column, band.bottom, block.Height(), block.width, arrow);
    DrawBox(hdc, box, colour, style.HasFrame(), FillOf(style, SettingsOf(curve)));
    if (arrow) {
        KstGdiScope gdi(hdc);
        gdi.Pen(CreatePen(PS_SOLID, 1, colour));
        // The head fills the rows above the band's last row, which the frame of the clip keeps.
        const int32_t headTop = band.bottom - 1 - kArrowHeadRows;
        MoveToEx(hdc, column, box.bottom, nullptr);
        LineTo(hdc, column, headTop);
        for (int32_t row = 0; row < kArrowHeadRows; ++row) {
            const int32_t half = kArrowHeadRows - 1 - row;
            MoveToEx(hdc, column - half, headTop + row, nullptr);
            LineTo(hdc, column + half + 1, headTop + row);
        }
    }
    const int32_t m = kEventTextMargin;
    if (angle == 90) {
        DrawLines(hdc, block, box.left + m, box.bottom - m, angle, colour);
    } else if (angle == 270) {
        DrawLines(hdc, block, box.right - m, box.top + m, angle, colour);
    } else {
        DrawLines(hdc, block, box.left + m, box.top + m, angle, colour);
    }
    return box;
}

RECT DrawValueBox(const CKSTCurve& curve, CKSTDrawContext& dc, const CKSTPlotMarker& style,
                  const POINT& anchor, const CKSTString& text, const std::vector<RECT>& earlier)
{
    HDC hdc = dc.GetHdc();
    const RECT band = curve.GetRect();
    const COLORREF colour = ColourOf(curve, style);
    EventFont font(dc, style.GetFont(), 0);
    const TextBlock block = MeasureBlock(hdc, text);
    RECT candidates[kValueBoxCandidates];
    KstValueBoxCandidates(anchor, block.width, block.Height(), candidates);
    const int chosen = KstChooseValueBox(candidates, band, earlier);
    const RECT box = candidates[chosen];

    DrawThickPoint(hdc, anchor, band, colour);
    {
        KstGdiScope gdi(hdc);
        gdi.Pen(CreatePen(PS_SOLID, 1, colour));
        const POINT join = KstValueBoxJoin(chosen, box);
        MoveToEx(hdc, anchor.x, anchor.y, nullptr);
        LineTo(hdc, join.x, join.y);
    }
    DrawBox(hdc, box, colour, style.HasFrame(), FillOf(style, SettingsOf(curve)));
    DrawLines(hdc, block, box.left + kEventTextMargin, box.top + kEventTextMargin, 0, colour);
    return box;
}

// The row of the anchor of a value box of type 2: four fifths up the Y axis' band.
int32_t UpperAnchorRow(const CKSTYAxis& axis)
{
    const RECT r = NormalizeRect(axis.GetRect());
    return r.bottom - (r.bottom - r.top - 3) * 4 / 5;
}

// The X position of an event as a pixel column; false when the event lies outside the visible
// range or far beside the band.
bool EventColumn(const CKSTCurve& curve, double time, const RECT& band, int32_t& column)
{
    const CKSTXAxis* xAxis = curve.GetXAxis();
    double x = time + curve.GetDateOffset();
    const IKSTCurveHost* owner = curve.GetOwner();
    if (owner != nullptr && owner->GetDisplayKind() == kDisplayXY &&
        owner->GetXChannel() != nullptr) {
        x = owner->GetXChannel()->GetValueAtTime(time);
    }
    const double minimum = xAxis->GetMinimum();
    const double maximum = xAxis->GetMaximum();
    const double half = (maximum - minimum) / 2;
    if (!(x >= minimum - half && x <= maximum + half)) {
        return false;
    }
    column = xAxis->ValueToPixel(x);
    return int64_t(column) >= int64_t(band.left) - 500 &&
           int64_t(column) <= int64_t(band.right) + 500;
}

}  // namespace

void PaintGrid(CKSTCurve& curve, CKSTDrawContext& dc)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || !HasXTicks(curve) || curve.GetYAxis() == nullptr) {
        return;
    }
    const RECT band = curve.GetRect();
    const CKSTCurveWndSettings& settings = SettingsOf(curve);
    std::vector<int32_t> columns;
    std::vector<int32_t> rows;
    KstGridColumns(*curve.GetXAxis(), band, columns);
    KstGridRows(*curve.GetYAxis(), band, rows);
    KstGdiScope gdi(hdc);
    gdi.Pen(CreatePen(PS_SOLID, 1, settings.m_GridColor & 0xFFFFFF));
    gdi.Brush(settings.m_PlotBackgroundColor == KST_COLOR_NONE
                  ? nullptr
                  : CreateSolidBrush(settings.m_PlotBackgroundColor & 0xFFFFFF));
    for (const int32_t x : columns) {
        dc.Line(x, band.top, x, band.bottom);
    }
    for (const int32_t y : rows) {
        dc.Line(band.left, y, band.right, y);
    }
}

void PaintLevelLines(CKSTCurve& curve, CKSTDrawContext& dc)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || !HasXTicks(curve) || curve.GetYAxis() == nullptr) {
        return;
    }
    const RECT band = curve.GetRect();
    for (int i = 0; i < curve.GetLevelLineCount(); ++i) {
        const CKSTLimitLine* line = curve.GetLevelLine(i);
        int32_t row = 0;
        if (!KstLevelLineRow(*curve.GetYAxis(), band, line->GetValue(), row)) {
            continue;
        }
        const uint32_t colour =
            line->GetColour() == KST_COLOR_AUTOMATIC ? curve.GetColor() : line->GetColour();
        KstGdiScope gdi(hdc);
        gdi.Pen(CreatePen(PenStyleOf(line->GetLineStyle()), 1, colour & 0xFFFFFF));
        dc.Line(band.left, row, band.right, row);
    }
}

RECT DrawEventText(CKSTCurve& curve, CKSTDrawContext& dc, const CKSTPlotMarker& style,
                   const POINT& point, const CKSTString& text, std::vector<RECT>& earlier)
{
    HDC hdc = dc.GetHdc();
    RECT box = {0, 0, 0, 0};
    const RECT band = curve.GetRect();
    if (hdc == nullptr || band.right - band.left < 2 || band.bottom - band.top < 2) {
        return box;
    }
    KstClipScope clip(hdc, {band.left + 1, band.top + 1, band.right - 1, band.bottom - 1});
    switch (style.GetType()) {
        case CKSTPlotMarker::kOnWindow:
        case CKSTPlotMarker::kOnTrack:
            box = DrawMarker(curve, dc, style, point.x, text);
            break;
        case CKSTPlotMarker::kOnCurve: {
            const POINT anchor = {point.x, std::clamp<int32_t>(point.y, band.top - kAnchorMargin,
                                                               band.bottom + kAnchorMargin)};
            box = DrawValueBox(curve, dc, style, anchor, text, earlier);
            break;
        }
        case CKSTPlotMarker::kVerticalLine: {
            if (curve.GetYAxis() == nullptr) {
                return box;
            }
            const POINT anchor = {point.x, UpperAnchorRow(*curve.GetYAxis())};
            {
                KstGdiScope gdi(hdc);
                gdi.Pen(CreatePen(PS_SOLID, 1, ColourOf(curve, style)));
                dc.Line(point.x, band.top, point.x, band.bottom);
            }
            box = DrawValueBox(curve, dc, style, anchor, text, earlier);
            break;
        }
        default:
            return box;
    }
    earlier.push_back(box);
    return box;
}

void PaintValueBoxes(CKSTCurve& curve, CKSTDrawContext& dc)
{
    const CKSTChannel* channel = curve.GetChannel();
    const CKSTYAxis* yAxis = curve.GetYAxis();
    if (dc.GetHdc() == nullptr || !HasXTicks(curve) || channel == nullptr || yAxis == nullptr ||
        curve.GetEventCount() == 0) {
        return;
    }
    // Snapping may reorder the list: walk a snapshot.
    std::vector<CKSTPlotMarker*> events;
    for (int i = 0; i < curve.GetEventCount(); ++i) {
        events.push_back(curve.GetEvent(i));
    }
    const double halfInterval = channel->GetSampleInterval() / 2;
    for (CKSTPlotMarker* event : events) {
        double time = event->GetTime();
        if (event->IsAtDataPoint() && KstSnapEventTime(*channel, halfInterval, time) &&
            time != event->GetTime()) {
            event->SetPosition(time);
        }
    }
    const uint32_t mode = curve.GetEventDisplayMode();
    if (mode == CKSTCurve::kEventsHidden) {
        return;
    }
    const RECT band = curve.GetRect();
    std::vector<RECT> drawn;
    for (int i = 0; i < curve.GetEventCount(); ++i) {
        CKSTPlotMarker* event = curve.GetEvent(i);
        const uint32_t type = event->GetType();
        if (type > CKSTPlotMarker::kOnTrack) {
            continue;
        }
        int32_t column = 0;
        if (!EventColumn(curve, event->GetTime(), band, column)) {
            continue;
        }
        POINT point = {column, 0};
        if (type == CKSTPlotMarker::kOnCurve) {
            const double value = yAxis->Transform(channel->GetValueAtTime(event->GetTime()));
            if (std::isnan(value)) {
                continue;
            }
            point.y = yAxis->ValueToPixel(value);
        }
        CKSTString text = event->GetText();
        if (mode == CKSTCurve::kEventsAsIcons) {
            text = "!";
        } else if (text.IsEmpty()) {
            text = " ";
        }
        event->SetBox(DrawEventText(curve, dc, *event, point, text, drawn));
    }
}
