#pragma once
// The anti-aliased primitives on a draw context: pointer-instrument scales, ticks, needles and
// hubs, and round lamps. Pixels are blended with what the context's bitmap already holds (see
// curvewnd/AntiAlias.h for the rule); a 32-bit DIB section is written directly, other surfaces
// as curvewnd/win/DCPixels.h describes. Fills use the platform's regions and ellipses. A draw
// context without a device context draws nothing.

#include <windows.h>

class CKSTDrawContext;

void DrawAALine(CKSTDrawContext& dc, int x1, int y1, int x2, int y2, COLORREF colour);
// Width below 1 draws nothing, width 1 is DrawAALine; wider bands reach width pixels to each
// side of the line.
void DrawThickLineAA(CKSTDrawContext& dc, int x1, int y1, int x2, int y2, COLORREF colour,
                     int width);
void DrawAAPolyline(CKSTDrawContext& dc, const POINT* points, int count, COLORREF colour,
                    int width);
// With fill, the inside (alternate filling) is filled with the colour first; then the closed
// outline is drawn width wide.
void DrawAAPolygon(CKSTDrawContext& dc, const POINT* points, int count, COLORREF colour, int width,
                   bool fill);
// A thick line as a filled quadrilateral width pixels wide with anti-aliased sides.
void DrawAAPolygonFilled(CKSTDrawContext& dc, int x1, int y1, int x2, int y2, COLORREF colour,
                         int width);
// With fill, the platform ellipse filled with the colour (outlined with the selected pen) and
// its border smoothed; then borderWidth blended edges, each one pixel further in.
void DrawAAEllipse(CKSTDrawContext& dc, int left, int top, int right, int bottom, COLORREF colour,
                   int borderWidth, bool fill);
// A one-pixel platform ellipse in the colour around (left, top, right + 1, bottom + 1), filled
// with the selected brush, with its edge blended.
void DrawAAEllipseOutline(CKSTDrawContext& dc, int left, int top, int right, int bottom,
                          COLORREF colour);
void DrawAAEllipseEdge(CKSTDrawContext& dc, int left, int top, int right, int bottom,
                       COLORREF colour);
void DrawAAEllipseEdgeDC(HDC dc, int left, int top, int right, int bottom, COLORREF colour);
void DrawAAArc(CKSTDrawContext& dc, int left, int top, int right, int bottom, double start,
               double end, COLORREF colour);
void DrawArcSolid(CKSTDrawContext& dc, int left, int top, int right, int bottom, double start,
                  double end, COLORREF colour);
void DrawAAFigure(CKSTDrawContext& dc, int left, int top, int right, int bottom, double start,
                  double end, COLORREF colour, int width);
