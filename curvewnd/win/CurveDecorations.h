#pragma once
// What a curve draws besides its line, and its two special displays: the grid of its band, its
// level lines, its events (text markers at the foot of the band and value boxes beside the
// curve), the pointer instrument and the colour map of a matrix channel. Each takes the curve as
// its first argument and draws into the window's off-screen draw context; nothing reaches
// outside the curve's band, whatever the values.

#include <windows.h>

#include <vector>

#include "foundation/String.h"

class CKSTCurve;
class CKSTDrawContext;
class CKSTPlotMarker;

// Grid and level lines and events are drawn only once the X axis has ticks.
// The grid of the curve's band: the X axis' ticks and the Y axis' ticks, in GridColor.
void PaintGrid(CKSTCurve& curve, CKSTDrawContext& dc);
// Every level line whose value lies within the Y axis' range, across the band.
void PaintLevelLines(CKSTCurve& curve, CKSTDrawContext& dc);
// The curve's events: snapped onto samples where asked, then text markers (types 0 and 3) at the
// foot of the band and value boxes (types 1 and 2) beside the curve; each event's box is stored
// in it for the hit tests.
void PaintValueBoxes(CKSTCurve& curve, CKSTDrawContext& dc);
// One event text in the style of `style` (its type, colours, frame, arrow, font and angle) at
// point (the column, and for a value box of type 1 its anchor row), avoiding the boxes in
// earlier; the box drawn is appended to earlier and returned. The event-text display style
// draws its values through it.
RECT DrawEventText(CKSTCurve& curve, CKSTDrawContext& dc, const CKSTPlotMarker& style,
                   const POINT& point, const CKSTString& text, std::vector<RECT>& earlier);

// The pointer instrument of window display kind 4: dial ring, scale ticks and labels, unit and
// needle at the channel's last value (held at the ends of the scale). Stores the dial in the
// curve for the hit test.
void PaintPointer(CKSTCurve& curve, CKSTDrawContext& dc);
// The colour map of a matrix channel.
void PaintMatrix(CKSTCurve& curve, CKSTDrawContext& dc);
