#pragma once
// Painting a curve into the window's off-screen picture, and the inverted cursor lines drawn over
// it. The geometry comes from the portable curve painter (curvewnd/CurvePainter.h).

#include <cstdint>

class CKSTCurve;
class CKSTDrawContext;

// The curve in its display style: pointer instrument, colour map of a matrix channel, bar
// display or lines, symbols and event texts.
void PaintCurve(CKSTCurve& curve, CKSTDrawContext& dc);
// The same for a stripe of the picture: what the whole paint puts into columns from .. to - 1
// (the caller clips to them). A curve not drawn by columns is drawn whole.
void PaintCurveColumns(CKSTCurve& curve, CKSTDrawContext& dc, int32_t from, int32_t to);

// Each inverts a 1-pixel line of the curve's band in the window's draw context and invalidates
// it in the window, so drawing it twice restores the picture.
// The column x (limited to left .. right).
void InvertCursorLine(CKSTCurve& curve, int32_t x);
// The row of the curve's value at column x.
void InvertValueLine(CKSTCurve& curve, int32_t x);
// The row y (limited to top .. bottom - 1).
void InvertRowLine(CKSTCurve& curve, int32_t y);
void InvertCursorPair(CKSTCurve& curve, int32_t x1, int32_t x2);
