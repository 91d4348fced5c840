#pragma once
// Anti-aliased lines, thick lines, ellipse edges, arcs and ring segments drawn straight into a
// 32-bit pixel buffer. Edge pixels are blended with what is already there: for a true position
// p between the pixels k = floor(p) and k + 1 with f = p - k, pixel k becomes old x f + colour
// x (1 - f) and pixel k + 1 old x (1 - f) + colour x f, byte by byte, each product truncated
// (f taken in steps of 1/32768).
// Colours are COLORREF values (red in the lowest byte); angles are degrees growing clockwise
// on the screen (0 right, 90 down). The device-context forms of the same primitives, and those
// that need the platform's region fills, are in curvewnd/win/AntiAliasDC.h.

#include <cstdint>

#include "curvewnd/PixelSurface.h"
#include "foundation/Geometry.h"

// Layout-compatible with the platform's POINT.
struct KstPoint {
    int32_t x;
    int32_t y;
};

// Wu's line with two pixels per step; both end points are set to the colour.
void DrawAALine(CKSTPixelSurface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                uint32_t colour);

// A band reaching width pixels to each side of the line: anti-aliased outline, solid inside.
// Width below 1 and a zero-length line draw nothing; width 1 is DrawAALine.
void DrawThickLineAA(CKSTPixelSurface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     uint32_t colour, int32_t width);

// Crossing test of (x, y) against the closed quadrilateral quad[0..4] (quad[4] == quad[0]).
// An edge counts for the rows from its lower end up to, not including, its upper end, so a row
// through a corner is counted once.
bool PtInQuad(int32_t x, int32_t y, const KstPointD quad[5]);

// DrawThickLineAA from every point to the next.
void DrawAAPolyline(CKSTPixelSurface& surface, const KstPoint* points, int32_t count,
                    uint32_t colour, int32_t width);

// The blended edge of the ellipse in the rectangle (integer centre and semi-axes).
void DrawAAEllipseEdge(CKSTPixelSurface& surface, int32_t left, int32_t top, int32_t right,
                       int32_t bottom, uint32_t colour);

// The part of the rectangle's ellipse from start to end degrees as a two-pixel edge, blended
// (DrawAAArc) or in the full colour (DrawArcSolid). At most one full turn is drawn.
void DrawAAArc(CKSTPixelSurface& surface, int32_t left, int32_t top, int32_t right, int32_t bottom,
               double start, double end, uint32_t colour);
void DrawArcSolid(CKSTPixelSurface& surface, int32_t left, int32_t top, int32_t right,
                  int32_t bottom, double start, double end, uint32_t colour);

// A ring segment width pixels wide inside the rectangle's circle, with its two radial ends:
// the scale of a pointer instrument.
void DrawAAFigure(CKSTPixelSurface& surface, int32_t left, int32_t top, int32_t right,
                  int32_t bottom, double start, double end, uint32_t colour, int32_t width);
