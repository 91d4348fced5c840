#include "curvewnd/win/AntiAliasDC.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "curvewnd/AntiAliasImpl.h"
#include "curvewnd/win/DCPixels.h"
#include "curvewnd/win/DrawContext.h"

namespace {

// What a figure between two corners may touch, with margin pixels around it.
KstPixelArea Around(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t margin)
{
    return KstPixelArea{std::min(x1, x2) - margin, std::min(y1, y2) - margin,
                        std::max(x1, x2) + margin + 1, std::max(y1, y2) + margin + 1};
}

KstPixelArea Around(const POINT* points, int count, int64_t margin)
{
    KstPixelArea area = Around(points[0].x, points[0].y, points[0].x, points[0].y, margin);
    for (int i = 1; i < count; ++i) {
        area.left = std::min<int64_t>(area.left, points[i].x - margin);
        area.top = std::min<int64_t>(area.top, points[i].y - margin);
        area.right = std::max<int64_t>(area.right, points[i].x + margin + 1);
        area.bottom = std::max<int64_t>(area.bottom, points[i].y + margin + 1);
    }
    return area;
}

// A thick band reaches width pixels to each side, its blended edge one further.
int64_t BandMargin(int width)
{
    return std::abs(static_cast<int64_t>(width)) + 2;
}

LONG Clamp32(double v)
{
    return static_cast<LONG>(std::min(std::max(v, double(INT32_MIN)), double(INT32_MAX)));
}

LONG Clamp32(int64_t v)
{
    return static_cast<LONG>(std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX));
}

void FillPolygon(HDC dc, const POINT* points, int count, COLORREF colour)
{
    HRGN region = CreatePolygonRgn(points, count, ALTERNATE);
    if (region == nullptr) {
        return;
    }
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush != nullptr) {
        FillRgn(dc, region, brush);
        DeleteObject(brush);
    }
    DeleteObject(region);
}

}  // namespace

void DrawAALine(CKSTDrawContext& dc, int x1, int y1, int x2, int y2, COLORREF colour)
{
    DrawOnPixels(dc.GetHdc(), Around(x1, y1, x2, y2, 1),
                 [&](auto& s) { kst::aa::Line(s, x1, y1, x2, y2, s.Native(colour)); });
}

void DrawThickLineAA(CKSTDrawContext& dc, int x1, int y1, int x2, int y2, COLORREF colour,
                     int width)
{
    DrawOnPixels(dc.GetHdc(), Around(x1, y1, x2, y2, BandMargin(width)),
                 [&](auto& s) { kst::aa::ThickLine(s, x1, y1, x2, y2, s.Native(colour), width); });
}

void DrawAAPolyline(CKSTDrawContext& dc, const POINT* points, int count, COLORREF colour, int width)
{
    if (points == nullptr || count < 2) {
        return;
    }
    DrawOnPixels(dc.GetHdc(), Around(points, count, BandMargin(width)),
                 [&](auto& s) { kst::aa::Polyline(s, points, count, s.Native(colour), width); });
}

void DrawAAPolygon(CKSTDrawContext& dc, const POINT* points, int count, COLORREF colour, int width,
                   bool fill)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr || points == nullptr || count <= 0) {
        return;
    }
    if (fill) {
        FillPolygon(hdc, points, count, colour);
    }
    DrawOnPixels(hdc, Around(points, count, BandMargin(width)), [&](auto& s) {
        const uint32_t c = s.Native(colour);
        kst::aa::Polyline(s, points, count, c, width);
        kst::aa::ThickLine(s, points[0].x, points[0].y, points[count - 1].x, points[count - 1].y, c,
                           width);
    });
}

void DrawAAPolygonFilled(CKSTDrawContext& dc, int x1, int y1, int x2, int y2, COLORREF colour,
                         int width)
{
    if (width == 1) {
        DrawAALine(dc, x1, y1, x2, y2, colour);
        return;
    }
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr) {
        return;
    }
    // Ordered so that the line runs along its main direction: x grows on a shallow line, y on
    // a steep one.
    int64_t ax = x1, ay = y1, bx = x2, by = y2;
    const bool shallow = std::llabs(bx - ax) > std::llabs(by - ay);
    if ((shallow && bx < ax) || (!shallow && by < ay)) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    const int64_t dx = bx - ax;
    const int64_t dy = by - ay;
    const int64_t half = (static_cast<int64_t>(width) + 1) / 2;
    POINT corners[4];
    if (dx == 0) {
        corners[0] = {Clamp32(ax - half), Clamp32(ay)};
        corners[1] = {Clamp32(ax + half), Clamp32(ay)};
        corners[2] = {Clamp32(bx + half), Clamp32(by)};
        corners[3] = {Clamp32(bx - half), Clamp32(by)};
    } else if (dy == 0) {
        corners[0] = {Clamp32(ax), Clamp32(ay - half)};
        corners[1] = {Clamp32(ax), Clamp32(ay + half)};
        corners[2] = {Clamp32(bx), Clamp32(by + half)};
        corners[3] = {Clamp32(bx), Clamp32(by - half)};
    } else {
        const double d = width / 2.0;
        const double length = std::sqrt(double(dx) * double(dx) + double(dy) * double(dy));
        const double nx = -double(dy) / length * d;
        const double ny = double(dx) / length * d;
        corners[0] = {Clamp32(ax + nx), Clamp32(ay + ny)};
        corners[1] = {Clamp32(ax - nx), Clamp32(ay - ny)};
        corners[2] = {Clamp32(bx - nx), Clamp32(by - ny)};
        corners[3] = {Clamp32(bx + nx), Clamp32(by + ny)};
    }

    KstPixelArea area = Around(corners, 4, 1);
    area.left = std::min<int64_t>(area.left, std::min(x1, x2));
    area.top = std::min<int64_t>(area.top, std::min(y1, y2));
    area.right = std::max<int64_t>(area.right, std::max(x1, x2) + 1);
    area.bottom = std::max<int64_t>(area.bottom, std::max(y1, y2) + 1);
    DrawOnPixels(hdc, area, [&](auto& s) {
        const uint32_t c = s.Native(colour);
        kst::aa::PutAt(s, x1, y1, c);
        // Start cap, one long side, end cap, the other long side.
        for (int i = 0; i < 4; ++i) {
            const POINT& from = corners[i];
            const POINT& to = corners[(i + 1) % 4];
            kst::aa::Line(s, from.x, from.y, to.x, to.y, c);
        }
    });
    FillPolygon(hdc, corners, 4, colour);
    DrawOnPixels(hdc, Around(bx, by, bx, by, 0),
                 [&](auto& s) { kst::aa::PutAt(s, bx, by, s.Native(colour)); });
}

void DrawAAEllipse(CKSTDrawContext& dc, int left, int top, int right, int bottom, COLORREF colour,
                   int borderWidth, bool fill)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr) {
        return;
    }
    if (fill) {
        HBRUSH brush = CreateSolidBrush(colour);
        if (brush != nullptr) {
            const HGDIOBJ previous = SelectObject(hdc, brush);
            Ellipse(hdc, left, top, right, bottom);
            SelectObject(hdc, previous);
            DeleteObject(brush);
        }
    }
    DrawOnPixels(hdc, Around(left, top, right, bottom, 3), [&](auto& s) {
        const uint32_t c = s.Native(colour);
        if (fill) {
            // The platform ellipse's staircase is smoothed from four positions one pixel apart.
            if (left > 0) {
                kst::aa::EllipseEdge(s, int64_t(left) - 1, top, right, bottom, c);
            }
            if (top > 0) {
                kst::aa::EllipseEdge(s, left, int64_t(top) - 1, right, bottom, c);
            }
            if (right > 0) {
                kst::aa::EllipseEdge(s, left, top, int64_t(right) - 1, bottom, c);
            }
            if (bottom > 0) {
                kst::aa::EllipseEdge(s, left, top, right, int64_t(bottom) - 1, c);
            }
        }
        // Passes beyond half the larger side would only turn the rectangle inside out.
        int64_t l = left, t = top, r = right, b = bottom;
        const int64_t passes =
            std::min<int64_t>(borderWidth, std::max(std::llabs(r - l), std::llabs(b - t)) / 2 + 1);
        for (int64_t i = 0; i < passes; ++i) {
            kst::aa::EllipseEdge(s, l, t, r, b, c);
            ++l, ++t, --r, --b;
        }
    });
}

void DrawAAEllipseOutline(CKSTDrawContext& dc, int left, int top, int right, int bottom,
                          COLORREF colour)
{
    HDC hdc = dc.GetHdc();
    if (hdc == nullptr) {
        return;
    }
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    if (pen == nullptr) {
        return;
    }
    const HGDIOBJ previous = SelectObject(hdc, pen);
    Ellipse(hdc, left, top, right + 1, bottom + 1);
    DrawAAEllipseEdgeDC(hdc, left, top, right + 1, bottom + 1, colour);
    SelectObject(hdc, previous);
    DeleteObject(pen);
}

void DrawAAEllipseEdge(CKSTDrawContext& dc, int left, int top, int right, int bottom,
                       COLORREF colour)
{
    DrawAAEllipseEdgeDC(dc.GetHdc(), left, top, right, bottom, colour);
}

void DrawAAEllipseEdgeDC(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    DrawOnPixels(dc, Around(left, top, right, bottom, 2), [&](auto& s) {
        kst::aa::EllipseEdge(s, left, top, right, bottom, s.Native(colour));
    });
}

void DrawAAArc(CKSTDrawContext& dc, int left, int top, int right, int bottom, double start,
               double end, COLORREF colour)
{
    DrawOnPixels(dc.GetHdc(), Around(left, top, right, bottom, 2), [&](auto& s) {
        kst::aa::Arc(s, left, top, right, bottom, start, end, s.Native(colour), true);
    });
}

void DrawArcSolid(CKSTDrawContext& dc, int left, int top, int right, int bottom, double start,
                  double end, COLORREF colour)
{
    DrawOnPixels(dc.GetHdc(), Around(left, top, right, bottom, 2), [&](auto& s) {
        kst::aa::Arc(s, left, top, right, bottom, start, end, s.Native(colour), false);
    });
}

void DrawAAFigure(CKSTDrawContext& dc, int left, int top, int right, int bottom, double start,
                  double end, COLORREF colour, int width)
{
    DrawOnPixels(dc.GetHdc(), Around(left, top, right, bottom, 3), [&](auto& s) {
        kst::aa::Figure(s, left, top, right, bottom, start, end, s.Native(colour), width);
    });
}
