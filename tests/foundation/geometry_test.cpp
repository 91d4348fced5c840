#include <gtest/gtest.h>

#include "foundation/Geometry.h"

namespace {

// The same 10 x 10 box with its corners in both orders.
const KstBox kBoxes[] = {{0, 0, 10, 10}, {10, 10, 0, 0}};

std::string BoxName(const KstBox& box)
{
    return box.x1 == 0 ? "ordered corners" : "swapped corners";
}

TEST(Box, ContainmentIsHalfOpen)
{
    struct Case {
        KstPointD point;
        bool inside;
    };
    const Case cases[] = {
        {{0, 0}, true},       {{0, 5}, true},      {{5, 0}, true},
        {{9.99, 9.99}, true}, {{10, 5}, false},    {{5, 10}, false},
        {{10, 10}, false},    {{-0.01, 5}, false}, {{5, -0.01}, false},
    };
    for (const KstBox& box : kBoxes) {
        for (const Case& c : cases) {
            SCOPED_TRACE(BoxName(box) + " at (" + std::to_string(c.point.x) + ", " +
                         std::to_string(c.point.y) + ")");
            EXPECT_EQ(c.inside, PtInBox(box, c.point));
        }
    }
    EXPECT_FALSE(PtInBox({3, 0, 3, 10}, {3, 5})) << "a box without width contains nothing";
}

TEST(Box, EdgeCrossings)
{
    using Edge = bool (*)(const KstBox&, const KstSegment&, KstPointD&);
    struct Case {
        const char* name;
        Edge edge;
        KstSegment segment;
        bool crosses;
        KstPointD at;
    };
    const Case cases[] = {
        {"top, vertical", CrossTopEdge, {{5, -5}, {5, 5}}, true, {5, 0}},
        {"top, diagonal", CrossTopEdge, {{0, -5}, {10, 5}}, true, {5, 0}},
        {"top, lower end on the line", CrossTopEdge, {{2, 0}, {8, -4}}, true, {2, 0}},
        {"top, lying on the line", CrossTopEdge, {{0, 0}, {10, 0}}, false, {}},
        {"top, at the right end", CrossTopEdge, {{10, -5}, {10, 5}}, false, {}},
        {"top, beside the box", CrossTopEdge, {{20, -5}, {20, 5}}, false, {}},
        {"bottom, vertical", CrossBottomEdge, {{5, 5}, {5, 15}}, true, {5, 9}},
        {"bottom, diagonal", CrossBottomEdge, {{0, 0}, {20, 20}}, true, {9, 9}},
        {"bottom, ending on the last row", CrossBottomEdge, {{5, 5}, {5, 9}}, false, {}},
        {"left, horizontal", CrossLeftEdge, {{-5, 5}, {5, 5}}, true, {0, 5}},
        {"left, diagonal", CrossLeftEdge, {{-2, 2}, {8, 12}}, true, {0, 4}},
        {"left, at the bottom end", CrossLeftEdge, {{-5, 10}, {5, 10}}, false, {}},
        {"right, horizontal", CrossRightEdge, {{5, 5}, {15, 5}}, true, {9, 5}},
        {"right, diagonal", CrossRightEdge, {{0, 0}, {20, 10}}, true, {9, 4.5}},
        {"right, reversed direction", CrossRightEdge, {{20, 10}, {0, 0}}, true, {9, 4.5}},
    };
    for (const KstBox& box : kBoxes) {
        for (const Case& c : cases) {
            SCOPED_TRACE(BoxName(box) + ", " + c.name);
            KstPointD out = {-99, -99};
            ASSERT_EQ(c.crosses, c.edge(box, c.segment, out));
            if (c.crosses) {
                EXPECT_DOUBLE_EQ(c.at.x, out.x);
                EXPECT_DOUBLE_EQ(c.at.y, out.y);
            } else {
                EXPECT_EQ(-99, out.x) << "the out point is left alone";
            }
        }
    }
}

TEST(Box, FirstCrossedEdgeInTheOrderTopBottomLeftRight)
{
    KstPointD out;
    // Crosses the left edge and the bottom edge: bottom is tested first.
    ASSERT_TRUE(SegmentCrossesBoxEdge(kBoxes[0], {{-2, 2}, {8, 12}}, out));
    EXPECT_DOUBLE_EQ(5, out.x);
    EXPECT_DOUBLE_EQ(9, out.y);
    EXPECT_FALSE(SegmentCrossesBoxEdge(kBoxes[0], {{2, 2}, {8, 8}}, out));
}

TEST(Box, SegmentIntersection)
{
    struct Case {
        const char* name;
        KstSegment segment;
        bool intersects;
    };
    const Case cases[] = {
        {"inside", {{2, 2}, {3, 3}}, true},
        {"starting inside", {{5, 5}, {50, 50}}, true},
        {"ending inside", {{-50, 5}, {5, 5}}, true},
        {"passing through", {{-5, 5}, {15, 5}}, true},
        {"passing by", {{-5, -5}, {15, -5}}, false},
        {"on the right line", {{10, -5}, {10, 15}}, false},
        {"on the bottom line", {{-5, 10}, {15, 10}}, false},
    };
    for (const KstBox& box : kBoxes) {
        for (const Case& c : cases) {
            SCOPED_TRACE(BoxName(box) + ", " + c.name);
            EXPECT_EQ(c.intersects, BoxIntersectsSegment(box, c.segment));
        }
    }
}

TEST(Box, ClippingToTwoCrossings)
{
    struct Case {
        const char* name;
        KstSegment segment;
        bool clipped;
        KstPointD first;
        KstPointD second;
    };
    const Case cases[] = {
        {"left to right", {{-5, 5}, {15, 5}}, true, {0, 5}, {9, 5}},
        {"top to bottom", {{5, -5}, {5, 15}}, true, {5, 0}, {5, 9}},
        {"left to bottom, bottom found first", {{-2, 2}, {8, 12}}, true, {5, 9}, {0, 4}},
        // Through the top-left corner counts as two crossings there; leaving through the
        // bottom-right makes more than two.
        {"through a corner", {{-5, -5}, {15, 15}}, false, {0, 0}, {9, 9}},
        {"one end inside", {{5, 5}, {15, 5}}, false, {9, 5}, {-99, -99}},
        {"inside", {{2, 2}, {8, 8}}, false, {-99, -99}, {-99, -99}},
    };
    for (const KstBox& box : kBoxes) {
        for (const Case& c : cases) {
            SCOPED_TRACE(BoxName(box) + ", " + c.name);
            KstPointD first = {-99, -99}, second = {-99, -99};
            EXPECT_EQ(c.clipped, GetSegmentBoxCrossing(box, c.segment, first, second));
            EXPECT_DOUBLE_EQ(c.first.x, first.x);
            EXPECT_DOUBLE_EQ(c.first.y, first.y);
            EXPECT_DOUBLE_EQ(c.second.x, second.x);
            EXPECT_DOUBLE_EQ(c.second.y, second.y);
        }
    }
}

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

void ExpectRect(const RECT& expected, const RECT& actual)
{
    EXPECT_EQ(Text(expected), Text(actual));
}

TEST(Rect, CornersInEitherOrder)
{
    const RECT ordered = {0, 5, 10, 20};
    const RECT swappedRects[] = {{10, 20, 0, 5}, {10, 5, 0, 20}, {0, 20, 10, 5}, ordered};
    for (const RECT& r : swappedRects) {
        SCOPED_TRACE(Text(r));
        ExpectRect(ordered, NormalizeRect(r));
        EXPECT_TRUE(IsSameRect(r, ordered));
        EXPECT_EQ(0, GetRectLeft(r));
        EXPECT_EQ(10, GetRectRight(r));
        EXPECT_EQ(5, GetRectTop(r));
        EXPECT_EQ(20, GetRectBottom(r));

        struct Probe {
            POINT p;
            bool inside;
        };
        const Probe probes[] = {{{0, 5}, true},   {{9, 19}, true},   {{10, 10}, false},
                                {{5, 20}, false}, {{-1, 10}, false}, {{5, 4}, false}};
        for (const Probe& probe : probes) {
            SCOPED_TRACE(std::to_string(probe.p.x) + ", " + std::to_string(probe.p.y));
            EXPECT_EQ(probe.inside, PtInRectEx(r, probe.p));
        }
    }
    EXPECT_FALSE(IsSameRect({0, 5, 10, 20}, {0, 5, 10, 21}));
    EXPECT_FALSE(IsSameRect({0, 5, 10, 20}, {5, 0, 20, 10}));
}

TEST(Rect, Intersection)
{
    struct Case {
        const char* name;
        RECT a;
        RECT b;
        bool intersects;
        RECT expected;
    };
    const Case cases[] = {
        {"overlapping", {0, 0, 10, 10}, {5, 5, 15, 15}, true, {5, 5, 10, 10}},
        {"overlapping, swapped corners", {10, 10, 0, 0}, {15, 15, 5, 5}, true, {5, 5, 10, 10}},
        {"one inside the other", {0, 0, 10, 10}, {8, 2, 3, 4}, true, {3, 2, 8, 4}},
        {"sharing an edge", {0, 0, 10, 10}, {10, 0, 20, 10}, false, {0, 0, 0, 0}},
        {"sharing an edge, swapped", {10, 10, 0, 0}, {0, 20, 10, 10}, false, {0, 0, 0, 0}},
        {"apart", {0, 0, 10, 10}, {20, 20, 30, 30}, false, {0, 0, 0, 0}},
        {"empty", {3, 3, 3, 8}, {0, 0, 10, 10}, false, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT out = {-1, -1, -1, -1};
        EXPECT_EQ(c.intersects, IntersectRectEx(out, c.a, c.b));
        ExpectRect(c.expected, out);
    }
}

TEST(Rect, SnapToGrid)
{
    struct Case {
        const char* name;
        RECT rect;
        int step;
        RECT expected;
    };
    const Case cases[] = {
        {"nearest grid points", {13, 7, 36, 29}, 10, {10, 10, 30, 30}},
        {"swapped corners", {36, 29, 13, 7}, 10, {10, 10, 30, 30}},
        {"halves round up", {15, 25, 30, 40}, 10, {20, 30, 40, 50}},
        {"narrower than half a step", {10, 10, 13, 12}, 10, {10, 10, 20, 20}},
        {"on the grid", {20, 40, 60, 80}, 20, {20, 40, 60, 80}},
        {"a zero step counts as one", {13, 7, 36, 29}, 0, {13, 7, 36, 29}},
        {"a negative step counts as one", {13, 7, 13, 29}, -5, {13, 7, 14, 29}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT r = c.rect;
        SnapRectToGrid(r, c.step, c.step);
        ExpectRect(c.expected, r);
    }
    RECT r = {13, 7, 36, 29};
    SnapRectToGrid(r, 10, 4);
    ExpectRect({10, 8, 30, 32}, r);
}

}  // namespace
