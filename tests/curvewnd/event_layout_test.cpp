#include "curvewnd/EventLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "data/Channel.h"

namespace {

void ExpectRect(const RECT& r, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(EventSnapTest, EventsMoveToTheSampleAtOrBeforeThemWithinHalfAnInterval)
{
    CKSTChannel channel;
    channel.GenerateRamp(10, 1.0);  // samples at 0, 1, .., 9
    struct Case {
        double time;
        bool snapped;
        double expected;
    };
    const Case cases[] = {
        {3.7, true, 3.0},  // between two samples: the earlier one
        {3.0, true, 3.0},    {-0.4, true, 0.0}, {9.4, true, 9.0},
        {-0.6, false, -0.6}, {9.6, false, 9.6}, {NAN, false, NAN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        double time = c.time;
        EXPECT_EQ(KstSnapEventTime(channel, 0.5, time), c.snapped);
        if (std::isnan(c.expected)) {
            EXPECT_TRUE(std::isnan(time));
        } else {
            EXPECT_DOUBLE_EQ(time, c.expected);
        }
    }
    CKSTChannel empty;
    double time = 1.0;
    EXPECT_FALSE(KstSnapEventTime(empty, 0.5, time));
}

TEST(EventSnapTest, TimeVectorsSnapToTheirOwnTimes)
{
    CKSTChannel channel;
    channel.AppendTimeValue(0.0, 1.0);
    channel.AppendTimeValue(1.0, 2.0);
    channel.AppendTimeValue(5.0, 3.0);
    double time = 4.9;
    EXPECT_TRUE(KstSnapEventTime(channel, channel.GetSampleInterval() / 2, time));
    EXPECT_DOUBLE_EQ(time, 1.0);
}

TEST(EventMarkerTest, BoxStandsCentredAtTheFootOfTheBand)
{
    ExpectRect(KstEventMarkerBox(100, 200, 30, 14, false), 82, 176, 118, 196);
    ExpectRect(KstEventMarkerBox(100, 200, 30, 14, true), 82, 172, 118, 192);
}

TEST(ValueBoxTest, CandidatesSurroundTheAnchorInOrder)
{
    RECT boxes[kValueBoxCandidates];
    KstValueBoxCandidates({200, 100}, 40, 14, boxes);
    const RECT expected[kValueBoxCandidates] = {
        {137, 75, 183, 95},   {137, 105, 183, 125}, {137, 90, 183, 110},  {177, 63, 223, 83},
        {177, 117, 223, 137}, {217, 75, 263, 95},   {217, 105, 263, 125}, {217, 90, 263, 110},
    };
    for (int i = 0; i < kValueBoxCandidates; ++i) {
        SCOPED_TRACE(i);
        ExpectRect(boxes[i], expected[i].left, expected[i].top, expected[i].right,
                   expected[i].bottom);
    }
}

TEST(ValueBoxTest, FirstFreeCandidateInsideTheBandWinsElseTheLargestVisibleArea)
{
    RECT boxes[kValueBoxCandidates];
    KstValueBoxCandidates({200, 100}, 40, 14, boxes);
    struct Case {
        const char* name;
        RECT band;
        std::vector<RECT> earlier;
        int expected;
    };
    const Case cases[] = {
        {"free band", {0, 0, 400, 200}, {}, 0},
        {"first taken by an earlier box", {0, 0, 400, 200}, {{150, 80, 160, 90}}, 1},
        {"left side cut off", {150, 0, 400, 200}, {}, 3},
        {"all inside taken", {150, 0, 400, 200}, {{0, 0, 400, 200}}, 3},
        {"none inside", {160, 80, 240, 120}, {}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KstChooseValueBox(boxes, c.band, c.earlier), c.expected);
    }
}

TEST(ValueBoxTest, JoinMeetsTheSideFacingTheAnchor)
{
    const RECT box = {100, 50, 140, 70};
    struct Case {
        int candidate;
        int32_t x, y;
    };
    const Case cases[] = {{0, 139, 60}, {2, 139, 60}, {3, 120, 69}, {4, 120, 50}, {7, 100, 60}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.candidate);
        const POINT p = KstValueBoxJoin(c.candidate, box);
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
    }
}

TEST(LabelPlacementTest, LabelsStepAroundTheValueUntilFree)
{
    const RECT band = {0, 0, 200, 100};
    RECT r;
    ASSERT_TRUE(KstPlaceLabelRect(50, 50, 27, 12, band, nullptr, r));
    ExpectRect(r, 53, 36, 83, 50);

    struct Case {
        const char* name;
        int32_t valueRow;
        std::function<bool(const RECT&)> overlaps;
        RECT expected;
    };
    const Case cases[] = {
        {"right side taken", 50, [](const RECT& c) { return c.left == 53; }, {17, 36, 47, 50}},
        {"value row taken", 50, [](const RECT& c) { return c.bottom == 50; }, {53, 37, 83, 51}},
        {"everything taken", 50, [](const RECT&) { return true; }, {53, 36, 83, 50}},
        {"value above the band", -20, nullptr, {53, 0, 83, 14}},
        {"value below the band", 150, nullptr, {53, 86, 83, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(KstPlaceLabelRect(50, c.valueRow, 27, 12, band, c.overlaps, r));
        ExpectRect(r, c.expected.left, c.expected.top, c.expected.right, c.expected.bottom);
    }
}

TEST(LabelPlacementTest, TwoLabelsOfOneGroupDoNotOverlap)
{
    const RECT band = {0, 0, 200, 100};
    RECT first;
    ASSERT_TRUE(KstPlaceLabelRect(80, 40, 40, 12, band, nullptr, first));
    RECT second;
    ASSERT_TRUE(KstPlaceLabelRect(
        80, 42, 40, 12, band,
        [&](const RECT& c) {
            RECT common;
            return IntersectRectEx(common, c, first);
        },
        second));
    RECT common;
    EXPECT_FALSE(IntersectRectEx(common, first, second));
}

TEST(LabelPlacementTest, LabelLargerThanTheBandHasNoPlace)
{
    RECT r = {1, 2, 3, 4};
    EXPECT_FALSE(KstPlaceLabelRect(5, 5, 27, 12, {0, 0, 20, 10}, nullptr, r));
    ExpectRect(r, 0, 0, 0, 0);
}

}  // namespace
