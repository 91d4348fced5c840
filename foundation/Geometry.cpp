#include "foundation/Geometry.h"

#include <algorithm>
#include <cstdint>

namespace {

double BoxLeft(const KstBox& box)
{
    return std::min(box.x1, box.x2);
}
double BoxRight(const KstBox& box)
{
    return std::max(box.x1, box.x2);
}
double BoxTop(const KstBox& box)
{
    return std::min(box.y1, box.y2);
}
double BoxBottom(const KstBox& box)
{
    return std::max(box.y1, box.y2);
}

// The two values lie on different sides of the line at e: one on or beyond it, one before it.
bool OnDifferentSides(double a, double b, double e)
{
    return (a >= e && b < e) || (b >= e && a < e);
}

int32_t ClampToInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

bool PtInBox(const KstBox& box, const KstPointD& point)
{
    return BoxLeft(box) <= point.x && point.x < BoxRight(box) && BoxTop(box) <= point.y &&
           point.y < BoxBottom(box);
}

KstPointD& GetSegmentStart(const KstSegment& segment, KstPointD& out)
{
    out = segment.start;
    return out;
}

KstPointD& GetSegmentEnd(const KstSegment& segment, KstPointD& out)
{
    out = segment.end;
    return out;
}

bool CrossTopEdge(const KstBox& box, const KstSegment& segment, KstPointD& out)
{
    const KstPointD& a = segment.start;
    const KstPointD& b = segment.end;
    const double e = BoxTop(box);
    if (!OnDifferentSides(a.y, b.y, e)) {
        return false;
    }
    const double x = a.x == b.x ? a.x : a.x + (a.y - e) * (b.x - a.x) / (a.y - b.y);
    if (!(BoxLeft(box) <= x && x < BoxRight(box))) {
        return false;
    }
    out = {x, e};
    return true;
}

bool CrossBottomEdge(const KstBox& box, const KstSegment& segment, KstPointD& out)
{
    const KstPointD& a = segment.start;
    const KstPointD& b = segment.end;
    const double bottom = BoxBottom(box);
    if (!OnDifferentSides(a.y, b.y, bottom)) {
        return false;
    }
    const double row = bottom - 1.0;
    const double x = a.x == b.x ? a.x : a.x + (row - a.y) * (b.x - a.x) / (b.y - a.y);
    if (!(BoxLeft(box) <= x && x < BoxRight(box))) {
        return false;
    }
    out = {x, row};
    return true;
}

bool CrossLeftEdge(const KstBox& box, const KstSegment& segment, KstPointD& out)
{
    const KstPointD& a = segment.start;
    const KstPointD& b = segment.end;
    const double e = BoxLeft(box);
    if (!OnDifferentSides(a.x, b.x, e)) {
        return false;
    }
    const double y = a.y == b.y ? a.y : a.y + (a.x - e) * (b.y - a.y) / (a.x - b.x);
    if (!(BoxTop(box) <= y && y < BoxBottom(box))) {
        return false;
    }
    out = {e, y};
    return true;
}

bool CrossRightEdge(const KstBox& box, const KstSegment& segment, KstPointD& out)
{
    const KstPointD& a = segment.start;
    const KstPointD& b = segment.end;
    const double right = BoxRight(box);
    if (!OnDifferentSides(a.x, b.x, right)) {
        return false;
    }
    const double column = right - 1.0;
    const double y = a.y == b.y ? a.y : a.y + (column - a.x) * (b.y - a.y) / (b.x - a.x);
    if (!(BoxTop(box) <= y && y < BoxBottom(box))) {
        return false;
    }
    out = {column, y};
    return true;
}

bool SegmentCrossesBoxEdge(const KstBox& box, const KstSegment& segment, KstPointD& out)
{
    return CrossTopEdge(box, segment, out) || CrossBottomEdge(box, segment, out) ||
           CrossLeftEdge(box, segment, out) || CrossRightEdge(box, segment, out);
}

bool BoxIntersectsSegment(const KstBox& box, const KstSegment& segment)
{
    KstPointD crossing;
    return PtInBox(box, segment.start) || PtInBox(box, segment.end) ||
           SegmentCrossesBoxEdge(box, segment, crossing);
}

bool GetSegmentBoxCrossing(const KstBox& box, const KstSegment& segment, KstPointD& first,
                           KstPointD& second)
{
    using Edge = bool (*)(const KstBox&, const KstSegment&, KstPointD&);
    static const Edge kEdges[] = {CrossTopEdge, CrossBottomEdge, CrossLeftEdge, CrossRightEdge};
    int crossings = 0;
    for (Edge edge : kEdges) {
        if (edge(box, segment, crossings == 0 ? first : second)) {
            ++crossings;
        }
    }
    return crossings == 2;
}

RECT NormalizeRect(const RECT& rect)
{
    RECT r = rect;
    r.left = std::min(rect.left, rect.right);
    r.right = std::max(rect.left, rect.right);
    r.top = std::min(rect.top, rect.bottom);
    r.bottom = std::max(rect.top, rect.bottom);
    return r;
}

bool IsSameRect(const RECT& a, const RECT& b)
{
    const RECT na = NormalizeRect(a);
    const RECT nb = NormalizeRect(b);
    return na.left == nb.left && na.right == nb.right && na.top == nb.top && na.bottom == nb.bottom;
}

bool PtInRectEx(const RECT& rect, const POINT& point)
{
    const RECT r = NormalizeRect(rect);
    return r.left <= point.x && point.x < r.right && r.top <= point.y && point.y < r.bottom;
}

bool IntersectRectEx(RECT& out, const RECT& a, const RECT& b)
{
    const RECT na = NormalizeRect(a);
    const RECT nb = NormalizeRect(b);
    RECT r = na;
    r.left = std::max(na.left, nb.left);
    r.top = std::max(na.top, nb.top);
    r.right = std::min(na.right, nb.right);
    r.bottom = std::min(na.bottom, nb.bottom);
    if (r.left >= r.right || r.top >= r.bottom) {
        ZeroRect(out);
        return false;
    }
    out = r;
    return true;
}

int32_t GetRectLeft(const RECT& rect)
{
    return std::min(rect.left, rect.right);
}

int32_t GetRectRight(const RECT& rect)
{
    return std::max(rect.left, rect.right);
}

int32_t GetRectTop(const RECT& rect)
{
    return std::min(rect.top, rect.bottom);
}

int32_t GetRectBottom(const RECT& rect)
{
    return std::max(rect.top, rect.bottom);
}

POINT& CopyPoint(POINT& target, const POINT& point)
{
    target.x = point.x;
    target.y = point.y;
    return target;
}

POINT& GetPoint(const POINT& source, POINT& out)
{
    out.x = source.x;
    out.y = source.y;
    return out;
}

void ZeroRect(RECT& rect)
{
    rect.left = rect.top = rect.right = rect.bottom = 0;
}

void InitRectCopy(RECT& rect, const RECT& source)
{
    ZeroRect(rect);
    AssignRect(rect, source);
}

void AssignRect(RECT& rect, const RECT& source)
{
    rect.left = source.left;
    rect.top = source.top;
    rect.right = source.right;
    rect.bottom = source.bottom;
}

void SnapRectToGrid(RECT& rect, int32_t stepX, int32_t stepY)
{
    // 64-bit arithmetic: coordinates near the 32-bit limits must not overflow.
    const int64_t gx = std::max<int32_t>(stepX, 1);
    const int64_t gy = std::max<int32_t>(stepY, 1);
    const int64_t l = GetRectLeft(rect);
    const int64_t t = GetRectTop(rect);
    const int64_t r = GetRectRight(rect);
    const int64_t b = GetRectBottom(rect);
    const int64_t left = (l + gx / 2) / gx * gx;
    const int64_t top = (t + gy / 2) / gy * gy;
    int64_t width = (r - l + gx / 2) / gx * gx;
    int64_t height = (b - t + gy / 2) / gy * gy;
    if (width == 0) {
        width = gx;
    }
    if (height == 0) {
        height = gy;
    }
    rect.left = ClampToInt32(left);
    rect.top = ClampToInt32(top);
    rect.right = ClampToInt32(left + width);
    rect.bottom = ClampToInt32(top + height);
}
