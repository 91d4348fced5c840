#pragma once
// Value helpers of drawing and hit testing: double-precision boxes and segments (clipping curve
// lines to the plot area) and integer rectangles whose corners may come in either order (mouse
// drags, layouts, stored settings). Every containment test is half-open: the lower bound is in,
// the upper bound is out, so a box whose corners coincide on an axis contains nothing.

#include <cstdint>

#ifdef _WIN32
#include <windef.h>
#else
// The platform's rectangle and point, for the host build.
struct RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
struct POINT {
    int32_t x;
    int32_t y;
};
#endif

// Two opposite corners in either order.
struct KstBox {
    double x1;
    double y1;
    double x2;
    double y2;
};

struct KstPointD {
    double x;
    double y;
};

struct KstSegment {
    KstPointD start;
    KstPointD end;
};

bool PtInBox(const KstBox& box, const KstPointD& point);
KstPointD& GetSegmentStart(const KstSegment& segment, KstPointD& out);
KstPointD& GetSegmentEnd(const KstSegment& segment, KstPointD& out);

// Crossing of the segment with one edge: the end points lie on different sides of the edge line
// (one >= it, the other below) and the crossing lies within the edge's half-open extent. The
// bottom and right crossings are placed on the last row or column inside the box (bottom - 1,
// right - 1), so that a clipped line never leaves the half-open box. The out point is written
// only on success.
bool CrossTopEdge(const KstBox& box, const KstSegment& segment, KstPointD& out);
bool CrossBottomEdge(const KstBox& box, const KstSegment& segment, KstPointD& out);
bool CrossLeftEdge(const KstBox& box, const KstSegment& segment, KstPointD& out);
bool CrossRightEdge(const KstBox& box, const KstSegment& segment, KstPointD& out);

// The first edge crossed in the order top, bottom, left, right.
bool SegmentCrossesBoxEdge(const KstBox& box, const KstSegment& segment, KstPointD& out);
// An end point lies in the box or the segment crosses an edge.
bool BoxIntersectsSegment(const KstBox& box, const KstSegment& segment);
// Tests all four edges (top, bottom, left, right): the first crossing goes to `first`, every
// later one to `second`. True only when exactly two edges were crossed: the part of the segment
// inside the box then runs from `first` to `second`. A segment through a corner counts as
// crossing both edges there.
bool GetSegmentBoxCrossing(const KstBox& box, const KstSegment& segment, KstPointD& first,
                           KstPointD& second);

RECT NormalizeRect(const RECT& rect);
// Same area whatever the corner order.
bool IsSameRect(const RECT& a, const RECT& b);
bool PtInRectEx(const RECT& rect, const POINT& point);
// Intersection of the normalised rectangles. False, with out set to (0, 0, 0, 0), when it is
// empty; rectangles that only share an edge do not intersect.
bool IntersectRectEx(RECT& out, const RECT& a, const RECT& b);
int32_t GetRectLeft(const RECT& rect);
int32_t GetRectRight(const RECT& rect);
int32_t GetRectTop(const RECT& rect);
int32_t GetRectBottom(const RECT& rect);

POINT& CopyPoint(POINT& target, const POINT& point);
POINT& GetPoint(const POINT& source, POINT& out);
void ZeroRect(RECT& rect);
void InitRectCopy(RECT& rect, const RECT& source);
void AssignRect(RECT& rect, const RECT& source);

// Orders the corners, moves the top-left corner to the nearest grid point and rounds width and
// height to whole steps, at least one step each. A step below 1 counts as 1: grid steps come
// from stored settings, and a zero must not divide.
void SnapRectToGrid(RECT& rect, int32_t stepX, int32_t stepY);
