#include "data/Channel.h"

#include "support/ChannelBuilders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

using kst_test::Equidistant;
using kst_test::TimeVector;
using kst_test::Values;

namespace {

TEST(ChannelMath, GeneratorsAtTheirPhasePoints)
{
    enum Kind { kSine, kSquare, kTriangle, kSawtooth };
    struct Case {
        const char* name;
        Kind kind;
        double amplitude;
        double phase;
        std::vector<double> values;  // at 0, 1/4, 1/2, 3/4 period; NaN where not checked
    };
    const double kSkip = NAN;
    const Case cases[] = {
        {"sine", kSine, 2.0, 0.0, {0, 2, 0, -2}},
        {"sine, 90 degrees", kSine, 2.0, 90.0, {2, 0, -2, 0}},
        // sin = 0 at sample 0 counts as not positive.
        {"square", kSquare, 2.0, 0.0, {-2, 2, kSkip, -2}},
        {"triangle", kTriangle, 1.0, 0.0, {0, 1, 0, -1}},
        {"triangle, negative phase", kTriangle, 1.0, -90.0, {-1, 0, 1, 0}},
        {"sawtooth", kSawtooth, 1.0, 0.0, {0, 0.5, 1, -0.5}},
        {"sawtooth, negative phase", kSawtooth, 1.0, -90.0, {-0.5, 0, 0.5, kSkip}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannel channel = TimeVector({5, 6}, {1, 2});
        channel.SetStartTimeStamp(CKSTTimeStamp(45000.0));
        const uint32_t n = 4;
        const double dt = 0.125;
        const double f = 2.0;  // period 0.5 s: four samples per period
        switch (c.kind) {
            case kSine:
                channel.GenerateSine(n, dt, c.amplitude, f, c.phase);
                break;
            case kSquare:
                channel.GenerateSquare(n, dt, c.amplitude, f, c.phase);
                break;
            case kTriangle:
                channel.GenerateTriangle(n, dt, c.amplitude, f, c.phase);
                break;
            case kSawtooth:
                channel.GenerateSawtooth(n, dt, c.amplitude, f, c.phase);
                break;
        }
        EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kEquidistant);
        EXPECT_EQ(channel.GetDt(), dt);
        EXPECT_EQ(channel.GetT0(), 0.0);
        EXPECT_EQ(channel.GetStartTimeStamp().GetSerialDays(), 0.0);
        EXPECT_FALSE(channel.HasMissing());
        ASSERT_EQ(channel.GetCount(), n);
        for (uint32_t i = 0; i < n; ++i) {
            if (!std::isnan(c.values[i])) {
                EXPECT_NEAR(channel.GetValues()[i], c.values[i], 1e-12) << "sample " << i;
            }
        }
    }

    CKSTChannel constant;
    constant.GenerateConstant(1.5, 3, 0.5);
    EXPECT_EQ(Values(constant), (std::vector<double>{1.5, 1.5, 1.5}));
    constant.GenerateRamp(4, 2.0);
    EXPECT_EQ(Values(constant), (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(constant.GetDt(), 2.0);
    constant.GenerateSine(0, 1.0, 1.0, 1.0, 0.0);
    EXPECT_EQ(constant.GetCount(), 4u);
}

TEST(ChannelMath, Statistics)
{
    const CKSTChannel c = Equidistant(10.0, 2.0, {3, 1, 4, 1, 5}, {2});
    struct Case {
        uint32_t first;
        uint32_t end;
        double min, max, mean, deviation, timeOfMin, timeOfMax;
    };
    const Case cases[] = {
        // Missing samples count; ties give the first sample.
        {0, 0, 1, 5, 2.8, std::sqrt(3.2), 12, 18},
        {2, 4, 1, 4, 2.5, std::sqrt(4.5), 16, 14},
        {3, 100, 1, 5, 3, std::sqrt(8.0), 16, 18},
        {4, 5, 5, 5, 5, 0, 18, 18},
        {3, 3, 0, 0, 0, 0, 0, 0},
        {6, 9, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.first << ".." << k.end);
        double min = -1, max = -1, mean = -1, deviation = -1, tMin = -1, tMax = -1;
        c.GetStatistics(min, max, mean, deviation, tMin, tMax, k.first, k.end);
        EXPECT_EQ(min, k.min);
        EXPECT_EQ(max, k.max);
        EXPECT_DOUBLE_EQ(mean, k.mean);
        EXPECT_DOUBLE_EQ(deviation, k.deviation);
        EXPECT_EQ(tMin, k.timeOfMin);
        EXPECT_EQ(tMax, k.timeOfMax);
    }
    EXPECT_DOUBLE_EQ(c.GetMeanValue(), 2.8);
    EXPECT_EQ(CKSTChannel().GetMeanValue(), 0.0);
    EXPECT_EQ(Equidistant(0, 1, {1, 7, 3, 7}).GetTimeOfMaxValue(), 1.0);
    EXPECT_EQ(Equidistant(0, 1, {0, 5, 3}).GetTimeOfNearestValue(3.9), 2.0);
}

TEST(ChannelMath, LevelCrossingTimes)
{
    const CKSTChannel peak = Equidistant(0, 1, {0, 2, 4, 2, 0});
    struct Case {
        const char* name;
        CKSTChannel channel;
        double level;
        double time;
    };
    const Case cases[] = {
        {"between samples", peak, 3.0, 1.5},
        {"at a sample", peak, 4.0, 2.0},
        {"never reached", peak, 5.0, 0.0},
        {"never reached, time vector", TimeVector({3, 4}, {0, 1}), 5.0, 3.0},
        // The crossing at 0.5 comes before the sample equal to the level at 2.
        {"earliest event wins", Equidistant(0, 1, {0, 2, 1, 1.5}), 1.0, 0.5},
        {"falling", Equidistant(0, 2, {4, 0}), 1.0, 1.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(c.channel.FindLevelCrossingTime(c.level), c.time);
    }
    EXPECT_DOUBLE_EQ(peak.FindLevelCrossingTimeInRange(3.0, 2, 4), 2.5);
    EXPECT_DOUBLE_EQ(peak.FindLevelCrossingTimeInRange(3.0, 0xFFFFFFFFu, 0xFFFFFFFFu), 1.5);
    EXPECT_DOUBLE_EQ(peak.FindLevelCrossingTimeAfter(2.0, 2.0), 3.0);
    EXPECT_DOUBLE_EQ(peak.FindLevelCrossingTimeAfter(3.0, 1.5), 2.5);
}

TEST(ChannelMath, FindNextCrossingIndex)
{
    const CKSTChannel c = Equidistant(0, 1, {0, 1, 2, 1, 0, 1, 2});
    struct Case {
        double level;
        uint32_t start;
        uint32_t mode;
        uint32_t index;
    };
    const Case cases[] = {
        {1.5, 0, CKSTChannel::kCrossRising, 2}, {1.5, 0, CKSTChannel::kCrossFalling, 3},
        {1.5, 3, CKSTChannel::kCrossEither, 3}, {1.5, 4, CKSTChannel::kCrossEither, 6},
        {2.0, 0, CKSTChannel::kCrossRising, 2}, {1.0, 0, CKSTChannel::kCrossFalling, 3},
        {5.0, 0, CKSTChannel::kCrossEither, 0}, {1.5, 7, CKSTChannel::kCrossEither, 0},
        {1.5, 3, CKSTChannel::kCrossRising, 6},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message()
                     << "level " << k.level << " from " << k.start << " mode " << k.mode);
        EXPECT_EQ(c.FindNextCrossingIndex(k.level, k.start, k.mode), k.index);
    }
}

TEST(ChannelMath, WindowQueries)
{
    const CKSTChannel c = Equidistant(0, 1, {0, 10, 0, -5, 0});
    double min = 0, max = 0;
    ASSERT_TRUE(c.GetMinMaxBetween(0.5, 2.5, min, max));
    EXPECT_EQ(min, -5.0);
    EXPECT_EQ(max, 10.0);
    // Between two neighbours only the interpolated ends count.
    ASSERT_TRUE(c.GetMinMaxBetween(0.2, 0.4, min, max));
    EXPECT_DOUBLE_EQ(min, 2.0);
    EXPECT_DOUBLE_EQ(max, 4.0);
    EXPECT_FALSE(c.GetMinMaxBetween(10.0, 20.0, min, max));

    ASSERT_TRUE(c.GetMinMaxInWindow(0.5, 2.5, min, max));
    EXPECT_EQ(min, 0.0);
    EXPECT_EQ(max, 10.0);
    EXPECT_FALSE(c.GetMinMaxInWindow(-3.0, -1.0, min, max));

    double low = 1, high = 1;
    ASSERT_TRUE(c.GetBarRangeInWindow(0.5, 2.5, low, high));
    EXPECT_EQ(low, 0.0);
    EXPECT_EQ(high, 10.0);
    ASSERT_TRUE(c.GetBarRangeInWindow(3.0, 3.5, low, high));
    EXPECT_EQ(low, -5.0);
    EXPECT_EQ(high, 0.0);
}

TEST(ChannelMath, IndexRangeOfATimeWindow)
{
    const CKSTChannel equidistant = Equidistant(0, 1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {5});
    const CKSTChannel times = TimeVector({0, 1, 3, 6}, {0, 0, 0, 0});
    struct Case {
        const char* name;
        const CKSTChannel* channel;
        double t1;
        double t2;
        bool found;
        uint32_t first;
        uint32_t last;
    };
    const Case cases[] = {
        // A sample exactly at t1 belongs to the window, as for time vectors.
        {"on samples", &equidistant, 2.0, 4.0, true, 2, 4},
        {"between samples", &equidistant, 2.5, 4.5, true, 3, 4},
        {"whole channel", &equidistant, -3.0, 100.0, true, 0, 9},
        {"only a missing sample", &equidistant, 4.5, 5.5, false, 6, 4},
        {"after the end", &equidistant, 20.0, 30.0, false, 0, 0},
        {"before the start", &equidistant, -5.0, -1.0, false, 0, 0},
        {"time vector", &times, 1.0, 5.0, true, 1, 2},
        {"time vector, one sample", &times, 3.0, 3.0, true, 2, 2},
        {"time vector, after the end", &times, 7.0, 9.0, false, 0, 0},
        {"time vector, gap", &times, 4.0, 5.0, false, 3, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t first = 99;
        uint32_t last = 99;
        EXPECT_EQ(c.channel->GetIndexRange(c.t1, c.t2, first, last), c.found);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(last, c.last);
    }
}

TEST(ChannelMath, SamplesBetweenAndSegmentHits)
{
    const CKSTChannel equidistant = Equidistant(0, 1, {0, 1, 2, 3, 4, 5, 6}, {5});
    EXPECT_FALSE(equidistant.HasSamplesBetween(5.0, 5.0));
    EXPECT_TRUE(equidistant.HasSamplesBetween(6.0, 4.5));
    EXPECT_TRUE(equidistant.HasSamplesBetween(-1.0, 0.0));
    EXPECT_FALSE(equidistant.HasSamplesBetween(0.2, 0.8));
    const CKSTChannel times = TimeVector({0, 1, 3}, {0, 0, 0});
    EXPECT_FALSE(times.HasSamplesBetween(1.5, 2.5));
    EXPECT_TRUE(times.HasSamplesBetween(2.5, 3.0));

    const CKSTChannel line = TimeVector({0, 10}, {0, 10});
    EXPECT_TRUE(line.IntersectsRect(4, 4, 6, 6));
    EXPECT_TRUE(line.IntersectsRect(6, 6, 4, 4));
    EXPECT_FALSE(line.IntersectsRect(6, 0, 8, 2));
    EXPECT_FALSE(line.IntersectsRect(11, 11, 12, 12));
    EXPECT_TRUE(TimeVector({1}, {1}).IntersectsRect(0, 0, 2, 2));
}

TEST(ChannelMath, ValueOrderAndBinary)
{
    struct Case {
        std::vector<double> values;
        bool ascending;
        bool strictly;
        bool binary;
    };
    const Case cases[] = {
        {{}, true, true, true},         {{1}, true, true, true},
        {{0, 1, 1}, true, false, true}, {{0, 0.5, 2}, true, true, false},
        {{1, 0}, false, false, true},   {{1e-21, 1}, true, true, true},
    };
    for (const Case& c : cases) {
        const CKSTChannel channel = Equidistant(0, 1, c.values);
        EXPECT_EQ(channel.AreValuesAscending(), c.ascending);
        EXPECT_EQ(channel.AreValuesStrictlyAscending(), c.strictly);
        EXPECT_EQ(channel.IsBinary(), c.binary);
    }
}

}  // namespace
