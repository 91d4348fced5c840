#include "data/Channel.h"

#include "support/ChannelBuilders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

using kst_test::Equidistant;
using kst_test::MissingIndexes;
using kst_test::Times;
using kst_test::TimeVector;
using kst_test::Values;

namespace {

std::vector<double> Ramp(uint32_t n)
{
    std::vector<double> v;
    for (uint32_t i = 0; i < n; ++i) {
        v.push_back(i);
    }
    return v;
}

TEST(ChannelConversion, MakeEquidistantIfRegular)
{
    std::vector<double> longTimes = Ramp(200);
    longTimes.erase(longTimes.begin() + 150);
    struct Case {
        const char* name;
        std::vector<double> times;
        bool becomesEquidistant;
        double t0;
        double dt;
        uint32_t count;
        std::vector<uint32_t> missing;
    };
    const Case cases[] = {
        {"empty", {}, true, 0.0, 1.0, 0, {}},
        {"one sample", {2.5}, true, 2.5, 1.0, 1, {}},
        {"regular", {1, 1.5, 2, 2.5}, true, 1.0, 0.5, 4, {}},
        {"one grid point missing", {0, 1, 2, 4, 5}, true, 0.0, 1.0, 6, {3}},
        {"a longer gap", {0, 0.1, 0.2, 0.5, 0.6}, true, 0.0, 0.1, 7, {3, 4}},
        {"long channel, one gap", longTimes, true, 0.0, 1.0, 200, {150}},
        {"steps 1 and 1.5 are no grid", {0, 1, 2.5}, false, 0, 0, 3, {}},
        {"a gap off the grid", {0, 1, 2, 3, 5.5, 6.5}, false, 0, 0, 6, {}},
        {"too sparse for a grid", {0, 1, 100}, false, 0, 0, 3, {}},
        {"out of order", {0, 2, 1, 3}, false, 0, 0, 4, {}},
        {"all at one time", {4, 4, 4}, false, 0, 0, 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> values;
        for (size_t i = 0; i < c.times.size(); ++i) {
            values.push_back(10.0 + i);
        }
        CKSTChannel channel = TimeVector(c.times, values);
        channel.MakeEquidistantIfRegular();
        ASSERT_EQ(channel.GetTimeBaseType(),
                  c.becomesEquidistant ? CKSTChannel::kEquidistant : CKSTChannel::kTimeVector);
        ASSERT_EQ(channel.GetCount(), c.count);
        if (!c.becomesEquidistant) {
            EXPECT_EQ(Times(channel), c.times);
            continue;
        }
        EXPECT_EQ(channel.GetTimes(), nullptr);
        EXPECT_DOUBLE_EQ(channel.GetT0(), c.t0);
        EXPECT_DOUBLE_EQ(channel.GetDt(), c.dt);
        EXPECT_EQ(MissingIndexes(channel), c.missing);
        EXPECT_EQ(channel.HasMissing(), !c.missing.empty());
        // Every sample lands at its own time.
        for (size_t i = 0; i < c.times.size(); ++i) {
            uint32_t at = 0;
            ASSERT_TRUE(channel.FindSampleAtTime(c.times[i], at));
            EXPECT_EQ(channel.GetValues()[at], values[i]);
        }
    }
}

TEST(ChannelConversion, ConvertToEquidistant)
{
    CKSTChannel regular = TimeVector({1, 1.5, 2.0004}, {1, 2, 3});
    EXPECT_TRUE(regular.ConvertToEquidistant(false, false));
    EXPECT_EQ(regular.GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_EQ(regular.GetT0(), 1.0);
    EXPECT_DOUBLE_EQ(regular.GetDt(), 0.5002);
    EXPECT_EQ(Values(regular), (std::vector<double>{1, 2, 3}));

    CKSTChannel irregular = TimeVector({0, 1, 3}, {0, 10, 30});
    EXPECT_FALSE(irregular.ConvertToEquidistant(false, false));
    EXPECT_EQ(irregular.GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_TRUE(irregular.ConvertToEquidistant(true, false));
    EXPECT_EQ(irregular.GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_EQ(irregular.GetDt(), 1.0);
    EXPECT_EQ(Values(irregular), (std::vector<double>{0, 10, 20, 30}));

    CKSTChannel unordered = TimeVector({0, 2, 1}, {1, 2, 3});
    EXPECT_FALSE(unordered.ConvertToEquidistant(true, false));
    CKSTChannel equidistant = Equidistant(0, 1, {1});
    EXPECT_TRUE(equidistant.ConvertToEquidistant(false, false));
}

// A time that is NaN or infinite has no place on a grid: the channel stays a time vector with its
// times as they were, and a conversion that was asked for fails.
TEST(ChannelConversion, TimesThatAreNotFiniteAreNeverMadeEquidistant)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        std::vector<double> times;
    } cases[] = {
        // Without the NaN this is a grid with a gap; with it each step still "fits" the grid.
        {"NaN in a grid with a gap", {0, 1, 2, nan, 4, 5, 7}},
        {"NaN in a regular grid", {0, 1, nan, 3}},
        {"NaN first", {nan, 1, 2, 3}},
        {"NaN last", {0, 1, 2, nan}},
        {"NaN alone", {nan}},
        {"infinity last", {0, 1, 2, inf}},
        {"minus infinity first", {-inf, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> values(c.times.size(), 1.0);
        for (bool resample : {false, true}) {
            CKSTChannel converted = TimeVector(c.times, values);
            EXPECT_FALSE(converted.ConvertToEquidistant(resample, false));
            EXPECT_EQ(converted.GetTimeBaseType(), CKSTChannel::kTimeVector);
        }
        CKSTChannel imported = TimeVector(c.times, values);
        imported.MakeEquidistantIfRegular();
        ASSERT_EQ(imported.GetTimeBaseType(), CKSTChannel::kTimeVector);
        ASSERT_EQ(imported.GetCount(), c.times.size());
        for (size_t i = 0; i < c.times.size(); ++i) {
            const double t = imported.GetTimes()[i];
            EXPECT_TRUE(t == c.times[i] || (std::isnan(t) && std::isnan(c.times[i]))) << i;
        }
    }
}

TEST(ChannelConversion, MakeXYChannelPairsSamples)
{
    CKSTChannel y = Equidistant(0, 1, {10, 20, 30, 40});
    y.SetName("Y");
    CKSTChannel xy;
    xy.MakeXYChannel(Equidistant(0, 1, {3, 1, 2}), y);
    EXPECT_EQ(xy.GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_TRUE(xy.GetName() == "Y");
    EXPECT_EQ(Times(xy), (std::vector<double>{3, 1, 2}));
    EXPECT_EQ(Values(xy), (std::vector<double>{10, 20, 30}));
    EXPECT_FALSE(xy.AreTimesAscending());

    // Two time vectors pair only the samples taken at equal times, in either order.
    const CKSTChannel x = TimeVector({0, 1, 2, 3}, {5, 6, 7, 8});
    xy.MakeXYChannel(x, TimeVector({1, 3, 4}, {-1, -3, -4}));
    EXPECT_EQ(Times(xy), (std::vector<double>{6, 8}));
    EXPECT_EQ(Values(xy), (std::vector<double>{-1, -3}));
    xy.MakeXYChannel(x, TimeVector({4, 3, 1}, {-4, -3, -1}));
    EXPECT_EQ(Times(xy), (std::vector<double>{6, 8}));
    EXPECT_EQ(Values(xy), (std::vector<double>{-1, -3}));

    // A reader joins its time block into the channel itself.
    CKSTChannel self = Equidistant(0, 1, {7, 8}, {1});
    self.MakeXYChannel(Equidistant(0, 1, {0.5, 0.75, 1.0}), self);
    EXPECT_EQ(Times(self), (std::vector<double>{0.5, 0.75}));
    EXPECT_EQ(Values(self), (std::vector<double>{7, 8}));
    EXPECT_EQ(MissingIndexes(self), (std::vector<uint32_t>{1}));
}

TEST(ChannelConversion, SplitTimesAndValues)
{
    const CKSTChannel source = TimeVector({0.5, 1.5}, {3, 4});
    CKSTChannel times;
    CKSTChannel values;
    source.SplitTimesAndValues(times, values);
    EXPECT_EQ(Values(times), (std::vector<double>{0.5, 1.5}));
    EXPECT_EQ(Values(values), (std::vector<double>{3, 4}));
    EXPECT_EQ(times.GetTimeBaseType(), CKSTChannel::kEquidistant);

    CKSTChannel equidistant = Equidistant(2, 0.5, {1, 2, 3});
    equidistant.SplitTimesAndValues(times, equidistant);
    EXPECT_EQ(Values(times), (std::vector<double>{2, 2.5, 3}));
    EXPECT_EQ(Values(equidistant), (std::vector<double>{1, 2, 3}));
}

TEST(ChannelConversion, DominantSteps)
{
    struct Case {
        const char* name;
        CKSTChannel channel;
        bool values;
        bool absolute;
        bool found;
        double step;
    };
    const Case cases[] = {
        {"equidistant", Equidistant(0, 0.25, {1, 2}), false, false, true, 0.25},
        {"most steps equal", TimeVector({0, 1, 2, 3, 3.5, 4.5}, {0, 0, 0, 0, 0, 0}), false, false,
         true, 1.0},
        {"within the tolerance", TimeVector({0, 1, 2.0005, 3.0005}, {0, 0, 0, 0}), false, false,
         true, 1.0},
        {"no majority", TimeVector({0, 1, 2, 2.5, 3, 3.5}, {0, 0, 0, 0, 0, 0}), false, false, false,
         0.5},
        {"one sample", TimeVector({1}, {1}), false, false, false, 0.0},
        {"absolute value steps", Equidistant(0, 1, {0, 1, 0, 1, 0}), true, true, true, 1.0},
        {"signed value steps tie", Equidistant(0, 1, {0, 1, 0, 1, 0}), true, false, false, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double step = -1.0;
        const bool found = c.values ? c.channel.GetDominantValueStep(step, c.absolute, 0.001)
                                    : c.channel.GetDominantTimeStep(step, 0.001);
        EXPECT_EQ(found, c.found);
        EXPECT_DOUBLE_EQ(step, c.step);
    }
}

}  // namespace
