// The drag rule of the element protocol, without a window: moves and releases in, offsets and
// the moment a drag starts moving out.
#include <gtest/gtest.h>

#include <vector>

#include "elements/ElementDrag.h"

namespace {

struct Step {
    char kind;  // 'm' move, 'u' release
    int32_t x;
    int32_t y;
};

struct Expected {
    bool report;
    bool started;
    int32_t dx;
    int32_t dy;
};

struct DragCase {
    const char* name;
    bool reportZero;
    std::vector<Step> steps;
    std::vector<Expected> results;  // one per step; for a release: report = moved
};

TEST(ElementDragTest, MovesAndReleasesGiveTheirOffsets)
{
    const DragCase cases[] = {
        {"release without move", false, {{'u', 9, 9}}, {{false, false, 0, 0}}},
        {"first move is the start point",
         false,
         {{'m', 5, 5}, {'m', 7, 4}, {'m', 1, 10}, {'u', 2, 2}},
         {{false, false, 0, 0}, {true, true, 2, -1}, {true, false, -4, 5}, {true, false, -3, -3}}},
        {"zero offsets reported only when asked",
         true,
         {{'m', 5, 5}, {'m', 5, 5}, {'m', 6, 5}, {'m', 5, 5}, {'u', 5, 5}},
         {{false, false, 0, 0},
          {true, false, 0, 0},
          {true, true, 1, 0},
          {true, false, 0, 0},
          {true, false, 0, 0}}},
        {"zero offsets silent by default",
         false,
         {{'m', 5, 5}, {'m', 5, 5}, {'u', 5, 5}},
         {{false, false, 0, 0}, {false, false, 0, 0}, {false, false, 0, 0}}},
        {"a start at the client origin is a start",
         false,
         {{'m', 0, 0}, {'m', 3, 4}, {'u', 3, 4}},
         {{false, false, 0, 0}, {true, true, 3, 4}, {true, false, 3, 4}}},
    };
    for (const DragCase& c : cases) {
        CKSTElementDrag drag;
        drag.Press();
        ASSERT_EQ(c.steps.size(), c.results.size()) << c.name;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            const Expected& expected = c.results[i];
            if (step.kind == 'm') {
                const auto move = drag.OnMove(step.x, step.y, c.reportZero);
                EXPECT_EQ(move.report, expected.report) << c.name << " step " << i;
                EXPECT_EQ(move.startedMoving, expected.started) << c.name << " step " << i;
                EXPECT_EQ(move.dx, expected.dx) << c.name << " step " << i;
                EXPECT_EQ(move.dy, expected.dy) << c.name << " step " << i;
            } else {
                const auto release = drag.OnRelease(step.x, step.y);
                EXPECT_EQ(release.moved, expected.report) << c.name << " step " << i;
                EXPECT_EQ(release.dx, expected.dx) << c.name << " step " << i;
                EXPECT_EQ(release.dy, expected.dy) << c.name << " step " << i;
                EXPECT_FALSE(drag.IsDown());
                EXPECT_FALSE(drag.IsMoved());
            }
        }
    }
}

TEST(ElementDragTest, ADragAfterAReleaseTakesANewStartPoint)
{
    CKSTElementDrag drag;
    drag.Press();
    drag.OnMove(10, 10, false);
    drag.OnMove(20, 10, false);
    drag.OnRelease(20, 10);
    drag.Press();
    EXPECT_FALSE(drag.OnMove(50, 50, false).report);
    const auto move = drag.OnMove(51, 50, false);
    EXPECT_TRUE(move.startedMoving);
    EXPECT_EQ(move.dx, 1);
}

TEST(ElementDragTest, PackedPointsKeepSixteenBitsOfEachCoordinate)
{
    EXPECT_EQ(KstPackPoint(3, 4), 0x00040003);
    EXPECT_EQ(KstPackPoint(-1, 0), 0x0000FFFF);
    EXPECT_EQ(KstPackPoint(0, -2), static_cast<intptr_t>(0xFFFE0000u));
    EXPECT_EQ(KstPackPoint(0x12345, 0x10001), 0x00012345);
}

}  // namespace
