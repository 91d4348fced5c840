#include "curvewnd/AntiAlias.h"

#include "curvewnd/AntiAliasImpl.h"

bool PtInQuad(int32_t x, int32_t y, const KstPointD quad[5])
{
    // Each edge is counted over the half-open row range between its ends. Counting both ends
    // (as a closed range) makes a row through a corner cross the outline twice there, which
    // flips that whole row of the figure to the wrong side.
    const double px = x;
    const double py = y;
    bool inside = false;
    for (int i = 0; i < 4; ++i) {
        const KstPointD& a = quad[i];
        const KstPointD& b = quad[i + 1];
        if ((a.y <= py) != (b.y <= py)) {
            const double edgeX = (a.x - b.x) * (py - b.y) / (a.y - b.y) + b.x;
            if (px < edgeX) {
                inside = !inside;
            }
        }
    }
    return inside;
}

void DrawAALine(CKSTPixelSurface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                uint32_t colour)
{
    kst::aa::Line(surface, x1, y1, x2, y2, CKSTPixelSurface::Native(colour));
}

void DrawThickLineAA(CKSTPixelSurface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     uint32_t colour, int32_t width)
{
    kst::aa::ThickLine(surface, x1, y1, x2, y2, CKSTPixelSurface::Native(colour), width);
}

void DrawAAPolyline(CKSTPixelSurface& surface, const KstPoint* points, int32_t count,
                    uint32_t colour, int32_t width)
{
    if (points == nullptr) {
        return;
    }
    kst::aa::Polyline(surface, points, count, CKSTPixelSurface::Native(colour), width);
}

void DrawAAEllipseEdge(CKSTPixelSurface& surface, int32_t left, int32_t top, int32_t right,
                       int32_t bottom, uint32_t colour)
{
    kst::aa::EllipseEdge(surface, left, top, right, bottom, CKSTPixelSurface::Native(colour));
}

void DrawAAArc(CKSTPixelSurface& surface, int32_t left, int32_t top, int32_t right, int32_t bottom,
               double start, double end, uint32_t colour)
{
    kst::aa::Arc(surface, left, top, right, bottom, start, end, CKSTPixelSurface::Native(colour),
                 true);
}

void DrawArcSolid(CKSTPixelSurface& surface, int32_t left, int32_t top, int32_t right,
                  int32_t bottom, double start, double end, uint32_t colour)
{
    kst::aa::Arc(surface, left, top, right, bottom, start, end, CKSTPixelSurface::Native(colour),
                 false);
}

void DrawAAFigure(CKSTPixelSurface& surface, int32_t left, int32_t top, int32_t right,
                  int32_t bottom, double start, double end, uint32_t colour, int32_t width)
{
    kst::aa::Figure(surface, left, top, right, bottom, start, end, CKSTPixelSurface::Native(colour),
                    width);
}
