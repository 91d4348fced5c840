#include "data/Channel.h"

#include "foundation/ErrorCodes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

CKSTChannel Equidistant(double t0, double dt, const std::vector<double>& values,
                        const std::vector<uint32_t>& missing = {})
{
    CKSTChannel c;
    c.SetT0(t0);
    c.SetDt(dt);
    for (size_t i = 0; i < values.size(); ++i) {
        bool isMissing = false;
        for (uint32_t m : missing) {
            isMissing = isMissing || m == i;
        }
        c.AppendValue(values[i], isMissing);
    }
    return c;
}

CKSTChannel TimeVector(const std::vector<double>& times, const std::vector<double>& values)
{
    CKSTChannel c;
    for (size_t i = 0; i < times.size(); ++i) {
        c.AppendTimeValue(times[i], values[i]);
    }
    return c;
}

std::vector<double> Times(const CKSTChannel& c)
{
    return std::vector<double>(c.GetTimes(), c.GetTimes() + c.GetCount());
}

std::vector<double> Values(const CKSTChannel& c)
{
    return std::vector<double>(c.GetValues(), c.GetValues() + c.GetCount());
}

class RecordingObserver : public IKSTChannelObserver {
public:
    void OnChannelDestroyed(CKSTChannel* channel) override
    {
        told.push_back(channel->GetName().c_str());
        if (alsoRemove != nullptr) {
            channel->RemoveObserver(alsoRemove);
        }
    }
    std::vector<std::string> told;  // names of the channels that reported their end
    IKSTChannelObserver* alsoRemove = nullptr;
};

TEST(Channel, NewChannelHasItsDefaults)
{
    const CKSTChannel c;
    EXPECT_EQ(c.GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_EQ(c.GetDt(), 1.0);
    EXPECT_EQ(c.GetT0(), 0.0);
    EXPECT_TRUE(c.GetTimeUnit() == "s");
    EXPECT_EQ(c.GetGrowthStep(), 1000u);
    EXPECT_EQ(c.GetNumber(), -1);
    EXPECT_EQ(c.GetSourceAttribute(), -1);
    EXPECT_EQ(c.GetColor(), -1);
    EXPECT_EQ(c.GetSampleType(), 5);
    EXPECT_EQ(c.GetEndTime(), 0.0);
    EXPECT_EQ(c.GetValueAtTime(3.0), 0.0);
    EXPECT_EQ(c.GetValues(), nullptr);
}

// --- Time-base accessors -----------------------------------------------------------------------

enum class Op {
    TimeAt,
    Value,
    FindIndex,
    IndexAtTime,
    ValueAtTime,
    ValueAtTimeNoInterpolation,
    ValueAtTimeZeroOutside,
    StartTime,
    EndTime,
    SampleInterval,
    IsMissing,
};

double Evaluate(const CKSTChannel& c, Op op, double arg)
{
    switch (op) {
        case Op::TimeAt:
            return c.GetTimeAt(static_cast<int64_t>(arg));
        case Op::Value:
            return c.GetValue(static_cast<int64_t>(arg));
        case Op::FindIndex:
            return c.FindIndex(arg);
        case Op::IndexAtTime:
            return c.GetIndexAtTime(arg);
        case Op::ValueAtTime:
            return c.GetValueAtTime(arg);
        case Op::ValueAtTimeNoInterpolation:
            return c.GetValueAtTime(arg, true, false);
        case Op::ValueAtTimeZeroOutside:
            return c.GetValueAtTime(arg, false, true);
        case Op::StartTime:
            return c.GetStartTime();
        case Op::EndTime:
            return c.GetEndTime();
        case Op::SampleInterval:
            return c.GetSampleInterval();
        case Op::IsMissing:
            return c.IsMissing(static_cast<int64_t>(arg)) ? 1.0 : 0.0;
    }
    return -1.0;
}

TEST(ChannelTimeBase, AccessorTable)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    // 0..5 s, sample 4 missing; its stored value lies off the line through its neighbours.
    const CKSTChannel grid = Equidistant(0.0, 1.0, {5, 10, 20, 30, 99, 50}, {4});
    // 10..16 s in steps of 2, samples 0 and 3 missing.
    const CKSTChannel gappedEnds = Equidistant(10.0, 2.0, {1, 2, 3, 4}, {0, 3});
    const CKSTChannel ascending = TimeVector({0, 1, 2, 4, 5}, {1, 10, 20, 40, 50});
    const CKSTChannel unordered = TimeVector({0, 2, 1, 3}, {5, 20, 10, 30});
    const CKSTChannel repeated = TimeVector({0, 1, 1, 1, 3}, {0, 10, 11, 12, 30});
    const CKSTChannel constant = TimeVector({1, 1, 1, 1}, {1, 2, 3, 4});
    const CKSTChannel empty;
    CKSTChannel matrix;
    matrix.SetTimeBaseType(CKSTChannel::kMatrix);
    matrix.SetMatrixRowLength(3);
    matrix.SetDt(0.5);
    for (int i = 0; i < 6; ++i) {
        matrix.AppendValues(i, false, 1);
    }

    const struct {
        const char* what;
        const CKSTChannel& channel;
        Op op;
        double arg;
        double expected;
    } cases[] = {
        {"grid: index below 0 clamps", grid, Op::TimeAt, -1, 0.0},
        {"grid", grid, Op::TimeAt, 2, 2.0},
        {"grid: index beyond clamps", grid, Op::TimeAt, 99, 5.0},
        {"grid: missing sample reads 0", grid, Op::Value, 4, 0.0},
        {"grid: value clamps low", grid, Op::Value, -3, 5.0},
        {"grid: value clamps high", grid, Op::Value, 99, 50.0},
        {"grid: missing flag", grid, Op::IsMissing, 4, 1.0},
        {"grid: missing flag clamps", grid, Op::IsMissing, 99, 0.0},
        {"grid: half a step rounds up", grid, Op::FindIndex, 2.5, 3.0},
        {"grid: below half rounds down", grid, Op::FindIndex, 2.4, 2.0},
        {"grid: nearest before start", grid, Op::FindIndex, -7, 0.0},
        {"grid: nearest far beyond", grid, Op::FindIndex, 1e12, 5.0},
        {"grid: index at time truncates", grid, Op::IndexAtTime, 2.9, 2.0},
        {"grid: index steps back over missing", grid, Op::IndexAtTime, 4.5, 3.0},
        {"grid: index before start", grid, Op::IndexAtTime, -1, 0.0},
        {"grid: index after end", grid, Op::IndexAtTime, 100, 5.0},
        {"grid: interpolated", grid, Op::ValueAtTime, 2.5, 25.0},
        {"grid: not interpolated", grid, Op::ValueAtTimeNoInterpolation, 2.5, 20.0},
        {"grid: interpolates across a missing sample", grid, Op::ValueAtTime, 3.5, 35.0},
        {"grid: from the missing slot", grid, Op::ValueAtTime, 4.5, 45.0},
        {"grid: last present at or before", grid, Op::ValueAtTimeNoInterpolation, 4.5, 30.0},
        {"grid: at the first time", grid, Op::ValueAtTime, 0.0, 5.0},
        {"grid: exactly the end", grid, Op::ValueAtTime, 5.0, 50.0},
        {"grid: exactly the end, zero outside", grid, Op::ValueAtTimeZeroOutside, 5.0, 0.0},
        {"grid: before the start", grid, Op::ValueAtTime, -0.5, 5.0},
        {"grid: before the start, zero outside", grid, Op::ValueAtTimeZeroOutside, -0.5, 0.0},
        {"grid", grid, Op::StartTime, 0, 0.0},
        {"grid", grid, Op::EndTime, 0, 5.0},
        {"grid", grid, Op::SampleInterval, 0, 1.0},

        {"gapped ends: first present sample", gappedEnds, Op::StartTime, 0, 12.0},
        {"gapped ends: last present sample", gappedEnds, Op::EndTime, 0, 14.0},
        {"gapped ends: before start takes the stored first value", gappedEnds, Op::ValueAtTime, 11,
         1.0},
        {"gapped ends: between present samples", gappedEnds, Op::ValueAtTime, 13, 2.5},
        {"gapped ends: beyond the last present", gappedEnds, Op::ValueAtTime, 15, 4.0},

        {"ascending: time clamps low", ascending, Op::TimeAt, -1, 0.0},
        {"ascending", ascending, Op::TimeAt, 3, 4.0},
        {"ascending: time clamps high", ascending, Op::TimeAt, 10, 5.0},
        {"ascending: tie goes to the later sample", ascending, Op::FindIndex, 3.0, 3.0},
        {"ascending: nearer the earlier", ascending, Op::FindIndex, 2.9, 2.0},
        {"ascending: exact hit", ascending, Op::FindIndex, 4.0, 3.0},
        {"ascending: before start", ascending, Op::FindIndex, -1, 0.0},
        {"ascending: nearest after the end", ascending, Op::FindIndex, 9.0, 4.0},
        {"ascending: index before start", ascending, Op::IndexAtTime, -1, 0.0},
        {"ascending: index of last earlier", ascending, Op::IndexAtTime, 3.9, 2.0},
        {"ascending: exact index", ascending, Op::IndexAtTime, 4.0, 3.0},
        {"ascending: index after end", ascending, Op::IndexAtTime, 6.0, 4.0},
        {"ascending: interpolated", ascending, Op::ValueAtTime, 3.0, 30.0},
        {"ascending: not interpolated", ascending, Op::ValueAtTimeNoInterpolation, 3.0, 20.0},
        {"ascending: exact sample", ascending, Op::ValueAtTime, 4.0, 40.0},
        {"ascending: exactly the first time", ascending, Op::ValueAtTime, 0.0, 1.0},
        {"ascending: exactly the first time, zero outside", ascending, Op::ValueAtTimeZeroOutside,
         0.0, 0.0},
        {"ascending: exactly the end, zero outside", ascending, Op::ValueAtTimeZeroOutside, 5.0,
         0.0},
        {"ascending: after the end", ascending, Op::ValueAtTime, 9.0, 50.0},
        {"ascending: before the start, not interpolated", ascending, Op::ValueAtTimeNoInterpolation,
         -1.0, 1.0},
        {"ascending: before the start, zero outside", ascending, Op::ValueAtTimeZeroOutside, -1.0,
         0.0},
        {"ascending", ascending, Op::SampleInterval, 0, 1.0},
        {"ascending", ascending, Op::EndTime, 0, 5.0},

        // Equal times: an exact hit is the first of them the halving meets; between samples the
        // pair around the time counts.
        {"repeated: exact hit among equal times", repeated, Op::FindIndex, 1.0, 2.0},
        {"repeated: exact index among equal times", repeated, Op::IndexAtTime, 1.0, 2.0},
        {"repeated: exact value among equal times", repeated, Op::ValueAtTime, 1.0, 11.0},
        {"repeated: tie behind equal times goes later", repeated, Op::FindIndex, 2.0, 4.0},
        {"repeated: index of the last equal time", repeated, Op::IndexAtTime, 2.0, 3.0},
        {"repeated: from the last equal time", repeated, Op::ValueAtTime, 2.0, 21.0},
        {"repeated: last equal time, not interpolated", repeated, Op::ValueAtTimeNoInterpolation,
         2.0, 12.0},
        {"repeated: tie before equal times goes later", repeated, Op::FindIndex, 0.5, 1.0},
        {"repeated: index before equal times", repeated, Op::IndexAtTime, 0.5, 0.0},
        {"repeated: towards the first equal time", repeated, Op::ValueAtTime, 0.5, 5.0},
        {"constant: the first sample", constant, Op::FindIndex, 1.0, 0.0},
        {"constant: index of the first sample", constant, Op::IndexAtTime, 1.0, 0.0},
        {"constant: value of the first sample", constant, Op::ValueAtTime, 1.0, 1.0},
        {"constant: nearest after the end", constant, Op::FindIndex, 2.0, 3.0},
        // A time that is no number never reads beyond the samples.
        {"ascending: NaN finds the last sample", ascending, Op::FindIndex, kNaN, 4.0},
        {"ascending: NaN index is the last", ascending, Op::IndexAtTime, kNaN, 4.0},
        {"ascending: NaN reads the last value", ascending, Op::ValueAtTime, kNaN, 50.0},
        {"grid: NaN index is the last", grid, Op::IndexAtTime, kNaN, 5.0},

        {"unordered: smallest time", unordered, Op::StartTime, 0, 0.0},
        {"unordered: largest time", unordered, Op::EndTime, 0, 3.0},
        {"unordered: exact time", unordered, Op::ValueAtTime, 1.0, 10.0},
        // Samples at 2 and 1 are equally near; the first found (t = 2) pairs with t = 0.
        {"unordered: nearest enclosing pair", unordered, Op::ValueAtTime, 1.5, 16.25},
        {"unordered: outside every pair", unordered, Op::ValueAtTime, 7.0, 5.0},
        {"unordered: smallest step", unordered, Op::SampleInterval, 0, 1.0},

        {"empty", empty, Op::TimeAt, 3, 0.0},
        {"empty", empty, Op::Value, 0, 0.0},
        {"empty", empty, Op::FindIndex, 4, 0.0},
        {"empty", empty, Op::IndexAtTime, 4, 0.0},
        {"empty", empty, Op::IsMissing, 0, 0.0},
        {"empty", empty, Op::StartTime, 0, 0.0},

        {"matrix: end of a row", matrix, Op::EndTime, 0, 1.0},
        {"matrix: no values by time", matrix, Op::ValueAtTime, 0.5, 0.0},
        {"matrix: no index by time", matrix, Op::IndexAtTime, 0.5, 0.0},
        {"matrix: column nearest a time", matrix, Op::FindIndex, 0.6, 1.0},
        {"matrix: column clamps to the row", matrix, Op::FindIndex, 9.0, 2.0},
        {"matrix: grid spacing", matrix, Op::SampleInterval, 0, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " at " + std::to_string(c.arg));
        EXPECT_DOUBLE_EQ(Evaluate(c.channel, c.op, c.arg), c.expected);
    }
}

TEST(ChannelTimeBase, SampleIntervalOfTimeVectorEdges)
{
    EXPECT_EQ(TimeVector({3.0}, {1.0}).GetSampleInterval(), 0.0);
    EXPECT_EQ(TimeVector({3.0, 3.0, 3.0}, {1, 2, 3}).GetSampleInterval(), 1e300);
}

TEST(ChannelTimeBase, MinMaxOverInclusiveRanges)
{
    const CKSTChannel c = Equidistant(0.0, 1.0, {5, 10, 20, 30, 99, 50}, {4});
    const uint32_t all = CKSTChannel::kWholeChannel;
    const struct {
        uint32_t first;
        uint32_t last;
        double min;
        double max;
    } cases[] = {
        {all, all, 5, 99},  // the missing sample counts
        {3, 4, 30, 99},    {0, 3, 5, 30}, {2, 99, 20, 99},
        {4, 2, 0, 0},      {6, 7, 0, 0},  {all, 2, 0, 0},
    };
    for (const auto& r : cases) {
        SCOPED_TRACE(std::to_string(r.first) + ".." + std::to_string(r.last));
        EXPECT_EQ(c.GetMinValue(r.first, r.last), r.min);
        EXPECT_EQ(c.GetMaxValue(r.first, r.last), r.max);
    }
    EXPECT_EQ(CKSTChannel().GetMinValue(), 0.0);
    EXPECT_EQ(CKSTChannel().GetMaxValue(), 0.0);
}

TEST(ChannelTimeBase, ValueRangeOverPresentSamples)
{
    const CKSTChannel grid = Equidistant(0.0, 1.0, {5, 10, 20, 30, 99, 50}, {4});
    const CKSTChannel signs = Equidistant(0.0, 1.0, {-3, 0, 2, 8});
    const CKSTChannel nonPositive = Equidistant(0.0, 1.0, {-3, 0});
    const CKSTChannel empty;
    CKSTChannel matrix;
    matrix.SetTimeBaseType(CKSTChannel::kMatrix);
    matrix.SetMatrixRowLength(3);
    matrix.SetSecondAxisOrigin(100.0);
    matrix.SetSecondAxisStep(10.0);
    matrix.AppendValues(7.0, false, 7);  // two whole rows

    const uint32_t all = CKSTChannel::kWholeChannel;
    const struct {
        const char* what;
        const CKSTChannel& channel;
        bool positiveOnly;
        uint32_t first;
        uint32_t end;
        double min;
        double max;
    } cases[] = {
        {"whole channel skips the missing sample", grid, false, all, all, 5, 50},
        {"range holding only a missing sample and one more", grid, false, 3, 5, 30, 30},
        {"end clamps", grid, false, 5, 99, 50, 50},
        {"first past the count leaves zeros", grid, false, 7, 9, 0, 0},
        {"empty range", grid, false, 6, 6, 1e300, -1e300},
        {"positive only", signs, true, all, all, 2, 8},
        {"without positive only", signs, false, all, all, -3, 8},
        {"no positive value gives 1", nonPositive, true, all, all, 1, 1},
        {"empty channel", empty, true, all, all, 0, 0},
        {"matrix: second axis of whole rows", matrix, false, all, all, 100, 110},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        double min = -1.0;
        double max = -1.0;
        c.channel.GetValueRange(min, max, c.positiveOnly, c.first, c.end);
        EXPECT_EQ(min, c.min);
        EXPECT_EQ(max, c.max);
    }
}

TEST(ChannelTimeBase, FindSampleAtTime)
{
    const CKSTChannel grid = Equidistant(1.0, 0.5, {1, 2, 3, 4}, {2});
    const CKSTChannel ascending = TimeVector({0.0, 1.0, 2.5}, {1, 2, 3});
    const CKSTChannel unordered = TimeVector({2.0, 1.0, 3.0}, {1, 2, 3});
    const CKSTChannel repeated = TimeVector({0, 1, 1, 1, 3}, {0, 10, 11, 12, 30});
    const CKSTChannel constant = TimeVector({1, 1, 1, 1}, {1, 2, 3, 4});
    const struct {
        const char* what;
        const CKSTChannel& channel;
        double time;
        bool found;
        uint32_t index;
    } cases[] = {
        {"grid: on a sample", grid, 1.5, true, 1},
        {"grid: within a microsecond", grid, 2.5 + 5e-7, true, 3},
        {"grid: between samples", grid, 1.7, false, 1},
        {"grid: missing sample", grid, 2.0, false, 0},
        {"grid: before the first", grid, 0.0, false, 0},
        {"ascending: exact", ascending, 1.0, true, 1},
        {"ascending: just before a sample", ascending, 2.5 - 5e-7, true, 2},
        {"ascending: just after a sample", ascending, 1.0 + 5e-7, true, 1},
        {"ascending: just beyond the last", ascending, 2.5 + 5e-7, true, 2},
        {"ascending: between", ascending, 1.5, false, 0},
        {"ascending: just before the first", ascending, -5e-7, true, 0},
        {"ascending: before the first", ascending, -1.0, false, 0},
        {"ascending: beyond the last", ascending, 3.0, false, 0},
        {"repeated: exact among equal times", repeated, 1.0, true, 2},
        {"repeated: just before equal times", repeated, 1.0 - 5e-7, true, 1},
        {"repeated: just after equal times", repeated, 1.0 + 5e-7, true, 3},
        {"constant: every time equal", constant, 1.0, true, 1},
        {"unordered: linear search", unordered, 1.0 + 5e-7, true, 1},
        {"unordered: none", unordered, 1.5, false, 0},
        {"grid: NaN", grid, std::numeric_limits<double>::quiet_NaN(), false, 0},
        {"ascending: NaN", ascending, std::numeric_limits<double>::quiet_NaN(), false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        uint32_t index = 77;
        EXPECT_EQ(c.channel.FindSampleAtTime(c.time, index), c.found);
        EXPECT_EQ(index, c.index);
    }
}

TEST(ChannelTimeBase, AbsoluteTimeStamps)
{
    const CKSTTimeStamp start(2007, 3, 4, 5, 6, 7.0);
    CKSTChannel grid = Equidistant(2.0, 0.5, {1, 2, 3, 4});  // 2.0 .. 3.5 s
    grid.SetStartTimeStamp(start);
    CKSTChannel unordered = TimeVector({4.0, 1.0, 3.0}, {1, 2, 3});
    unordered.SetStartTimeStamp(start);

    EXPECT_NEAR(grid.GetSecondsFromStart(start + 2.75), 2.75, 1e-9);
    EXPECT_NEAR(grid.GetValueAtTimeStamp(start + 2.75), 2.5, 1e-9);
    EXPECT_EQ(grid.GetIndexAtTimeStamp(start + 2.75), 1u);
    EXPECT_TRUE(grid.GetFirstSampleTimeStamp() == start + 2.0);
    EXPECT_TRUE(grid.GetLastSampleTimeStamp() == start + 3.5);
    uint32_t index = 0;
    EXPECT_TRUE(grid.FindSampleAtTimeStamp(start + 3.0, index));
    EXPECT_EQ(index, 2u);

    const struct {
        const char* what;
        const CKSTChannel& channel;
        double after;  // seconds from the start stamp
        double next;   // seconds from the start stamp, or -1 for none
    } cases[] = {
        {"grid: before every sample", grid, 0.0, 2.0},
        {"grid: on a sample takes the next", grid, 2.5, 3.0},
        {"grid: between samples", grid, 2.7, 3.0},
        {"grid: on the last", grid, 3.5, -1},
        {"unordered: earliest later sample", unordered, 1.0, 3.0},
        {"unordered: before all", unordered, -5.0, 1.0},
        {"unordered: after all", unordered, 4.0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CKSTTimeStamp next = c.channel.GetNextSampleTimeStamp(start + c.after);
        if (c.next < 0) {
            EXPECT_TRUE(next == CKSTChannel::FarFutureTimeStamp());
        } else {
            EXPECT_TRUE(next == start + c.next);
        }
    }
    EXPECT_EQ(CKSTChannel::FarFutureTimeStamp().GetYear(), 9999);
    EXPECT_TRUE(CKSTChannel().GetNextSampleTimeStamp(start) == CKSTChannel::FarFutureTimeStamp());
}

// --- Appending ---------------------------------------------------------------------------------

TEST(ChannelAppend, TimeValueOnFreshChannelMakesTimeVector)
{
    CKSTChannel c;
    c.AppendTimeValue(0.25, 1.0);
    EXPECT_EQ(c.GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_EQ(Times(c), std::vector<double>({0.25}));
    EXPECT_EQ(Values(c), std::vector<double>({1.0}));
}

TEST(ChannelAppend, OnGridStaysEquidistantOffGridConverts)
{
    const struct {
        const char* what;
        double time;  // the grid expects 1.3
        bool staysEquidistant;
    } cases[] = {
        {"exactly on the grid", 1.3, true},
        {"within a thousandth of dt", 1.3 + 0.00009, true},
        {"before by less than a thousandth", 1.3 - 0.00009, true},
        {"off by more than a thousandth", 1.3 + 0.00011, false},
        {"a step too far", 1.4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTChannel channel = Equidistant(1.0, 0.1, {1, 2, 3}, {1});
        channel.AppendTimeValue(c.time, 9.0);
        if (c.staysEquidistant) {
            EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kEquidistant);
            EXPECT_EQ(channel.GetCount(), 4u);
            EXPECT_EQ(channel.GetT0(), 1.0);
            EXPECT_EQ(channel.GetValue(3), 9.0);
            EXPECT_TRUE(channel.HasMissing());
        } else {
            // The missing sample is dropped and the grid becomes explicit times.
            EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kTimeVector);
            ASSERT_EQ(channel.GetCount(), 3u);
            EXPECT_DOUBLE_EQ(channel.GetTimeAt(0), 1.0);
            EXPECT_DOUBLE_EQ(channel.GetTimeAt(1), 1.2);
            EXPECT_DOUBLE_EQ(channel.GetTimeAt(2), c.time);
            EXPECT_EQ(Values(channel), std::vector<double>({1, 3, 9}));
            EXPECT_EQ(channel.GetT0(), 0.0);
            EXPECT_FALSE(channel.HasMissing());
            EXPECT_TRUE(channel.AreTimesAscending());
        }
    }
}

TEST(ChannelAppend, ReservedEmptyChannelTakesFirstSampleOnItsGrid)
{
    CKSTChannel c;
    c.SetT0(5.0);
    c.Reserve(10);
    c.AppendTimeValue(5.0, 1.0);
    EXPECT_EQ(c.GetTimeBaseType(), CKSTChannel::kEquidistant);
    c.AppendTimeValue(6.0, 2.0);
    EXPECT_EQ(c.GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_EQ(c.GetEndTime(), 6.0);
}

TEST(ChannelAppend, AscendingFlagFollowsTheTimes)
{
    const struct {
        const char* what;
        std::vector<double> times;
        bool ascending;
    } cases[] = {
        {"single", {1}, true},
        {"rising", {1, 2, 3}, true},
        {"equal times keep the order", {1, 2, 2}, true},
        {"a smaller time", {1, 3, 2}, false},
        {"falling back to the start", {1, 2, 3, 1}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CKSTChannel channel = TimeVector(c.times, std::vector<double>(c.times.size(), 0));
        EXPECT_EQ(channel.AreTimesAscending(), c.ascending);
    }
}

TEST(ChannelAppend, SetTimeAtAndFillTimesKeepTheOrderFlag)
{
    CKSTChannel c = TimeVector({0, 1, 2, 3}, {0, 0, 0, 0});
    c.SetTimeAt(1, 0.5);
    EXPECT_TRUE(c.AreTimesAscending());
    c.SetTimeAt(9, -7.0);  // beyond the count: ignored
    EXPECT_TRUE(c.AreTimesAscending());
    c.SetTimeAt(2, 3.5);  // later than its successor
    EXPECT_FALSE(c.AreTimesAscending());
    c.SetTimeAt(2, 2.0);  // the flag is not restored by itself
    EXPECT_FALSE(c.AreTimesAscending());
    c.RescanAscending();
    EXPECT_TRUE(c.AreTimesAscending());
    c.SetTimeAt(0, 0.7);  // later than its successor 0.5
    EXPECT_FALSE(c.AreTimesAscending());
    c.FillTimes(4.0);
    EXPECT_TRUE(c.AreTimesAscending());
    EXPECT_EQ(Times(c), std::vector<double>({4, 4, 4, 4}));
}

TEST(ChannelAppend, KindsIgnoreAppendsThatDoNotFitThem)
{
    CKSTChannel timeVector = TimeVector({0, 1}, {1, 2});
    timeVector.AppendValue(3.0, false);
    EXPECT_EQ(timeVector.GetCount(), 2u);

    CKSTChannel matrix;
    matrix.SetTimeBaseType(CKSTChannel::kMatrix);
    matrix.AppendValues(1.0, false, 3);
    matrix.AppendTimeValue(4.0, 2.0);
    EXPECT_EQ(matrix.GetTimeBaseType(), CKSTChannel::kMatrix);
    EXPECT_EQ(matrix.GetCount(), 3u);

    // A matrix channel without arrays is turned into a time vector by its first timed sample.
    CKSTChannel bare;
    bare.SetTimeBaseType(CKSTChannel::kMatrix);
    bare.AppendTimeValue(4.0, 2.0);
    EXPECT_EQ(bare.GetTimeBaseType(), CKSTChannel::kTimeVector);
}

TEST(ChannelAppend, MissingRunsAndRescans)
{
    CKSTChannel c = Equidistant(0.0, 1.0, {0, 0, 0});
    c.AppendValues(0.0, true, 2);
    c.AppendValues(7.0, false, 2);  // samples 0-2 present, 3-4 missing, 5-6 present
    EXPECT_TRUE(c.HasMissing());
    const struct {
        uint32_t from;
        uint32_t nextMissing;
        uint32_t nextPresent;
    } cases[] = {{0, 3, 0}, {3, 3, 5}, {4, 4, 5}, {5, 7, 5}, {9, 7, 7}};
    for (const auto& r : cases) {
        SCOPED_TRACE(r.from);
        EXPECT_EQ(c.FindNextMissing(r.from), r.nextMissing);
        EXPECT_EQ(c.FindNextPresent(r.from), r.nextPresent);
    }
    EXPECT_EQ(c.RescanMissing(), 3u);
    EXPECT_TRUE(c.HasMissing());

    // Without missing samples the present run starts where the search starts.
    const CKSTChannel full = Equidistant(0.0, 1.0, {1, 2, 3});
    EXPECT_EQ(full.FindNextMissing(1), 3u);
    EXPECT_EQ(full.FindNextPresent(2), 2u);
    EXPECT_EQ(full.FindNextPresent(8), 3u);
}

// --- Storage -----------------------------------------------------------------------------------

TEST(ChannelStorage, GrowthByStepAndByATenth)
{
    CKSTChannel c;
    c.AppendValue(1.0, false);
    EXPECT_EQ(c.GetCapacity(), 1000u);
    for (int i = 1; i < 1001; ++i) {
        c.AppendValue(i, false);
    }
    EXPECT_EQ(c.GetCapacity(), 2000u);
    EXPECT_EQ(c.GetGrowthStep(), 1000u);

    c.SetCapacity(50000);
    EXPECT_EQ(c.GetGrowthStep(), 5000u);
    EXPECT_EQ(c.GetCount(), 1001u);
    EXPECT_EQ(c.GetValue(1000), 1000.0);
    c.Reserve(50001);  // within one step: one step more
    EXPECT_EQ(c.GetCapacity(), 55000u);
    c.Reserve(90000);  // beyond one step: exactly what was asked
    EXPECT_EQ(c.GetCapacity(), 90000u);
    c.Reserve(10);
    EXPECT_EQ(c.GetCapacity(), 90000u);
    c.SetCapacity(2000);  // a smaller step is never taken back
    EXPECT_EQ(c.GetGrowthStep(), 9000u);

    c.SetGrowthStep(1);
    EXPECT_EQ(c.GetGrowthStep(), 9000u);
}

TEST(ChannelStorage, BlocksOfEqualSamplesGrowExactlyWhenLarge)
{
    CKSTChannel c;
    c.AppendValues(2.0, false, 10);
    EXPECT_EQ(c.GetCapacity(), 1000u);
    c.AppendValues(3.0, false, 1500);
    EXPECT_EQ(c.GetCapacity(), 1510u);
    EXPECT_EQ(c.GetCount(), 1510u);
    EXPECT_EQ(c.GetValue(9), 2.0);
    EXPECT_EQ(c.GetValue(10), 3.0);
    EXPECT_FALSE(c.HasMissing());
}

TEST(ChannelStorage, ShrinkingKeepsTheFirstSamples)
{
    CKSTChannel grid = Equidistant(0.0, 1.0, {1, 2, 3, 4, 5}, {4});
    grid.SetCapacity(3);
    EXPECT_EQ(grid.GetCount(), 3u);
    EXPECT_EQ(Values(grid), std::vector<double>({1, 2, 3}));
    EXPECT_FALSE(grid.HasMissing());  // the only missing sample went with the cut
    grid.AppendValue(9.0, false);
    EXPECT_EQ(grid.GetValue(3), 9.0);

    CKSTChannel times = TimeVector({0, 1, 2, 0.5}, {1, 2, 3, 4});
    EXPECT_FALSE(times.AreTimesAscending());
    times.SetCapacity(3);
    EXPECT_EQ(Times(times), std::vector<double>({0, 1, 2}));
    EXPECT_TRUE(times.AreTimesAscending());

    times.SetCapacity(0);
    EXPECT_EQ(times.GetCount(), 0u);
    EXPECT_EQ(times.GetTimes(), nullptr);
}

TEST(ChannelStorage, KindIsChosenBeforeTheFirstAllocation)
{
    CKSTChannel c;
    c.SetTimeBaseType(CKSTChannel::kTimeVector);
    c.SetTimeBaseType(7);
    EXPECT_EQ(c.GetTimeBaseType(), CKSTChannel::kTimeVector);
    c.Reserve(5);
    ASSERT_NE(c.GetTimes(), nullptr);
    c.SetTimeBaseType(CKSTChannel::kEquidistant);
    EXPECT_EQ(c.GetTimeBaseType(), CKSTChannel::kTimeVector);
    c.Reset();
    c.SetTimeBaseType(CKSTChannel::kEquidistant);
    EXPECT_EQ(c.GetTimeBaseType(), CKSTChannel::kEquidistant);
}

TEST(ChannelStorage, FreeDataByParts)
{
    CKSTChannel c = Equidistant(0.0, 1.0, {1, 2}, {0});
    c.AddValueText("on", false);
    c.SetCapacity(20000);
    c.FreeData(false, true);
    EXPECT_EQ(c.GetCount(), 0u);
    EXPECT_EQ(c.GetCapacity(), 20000u);
    EXPECT_EQ(c.GetValueTextCount(), 0);
    EXPECT_FALSE(c.HasMissing());
    c.FreeData(true, false);
    EXPECT_EQ(c.GetCapacity(), 0u);
    EXPECT_EQ(c.GetGrowthStep(), 1000u);
    EXPECT_EQ(c.GetValues(), nullptr);
}

TEST(ChannelStorage, CountBeyond32BitsIsRefusedBeforeAllocating)
{
    CKSTChannel c = Equidistant(0.0, 1.0, {1, 2});
    EXPECT_THROW(c.AppendValues(0.0, false, std::numeric_limits<uint32_t>::max()), CKSTBadAlloc);
    EXPECT_EQ(c.GetCount(), 2u);
    try {
        c.AppendValues(0.0, false, std::numeric_limits<uint32_t>::max());
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
}

TEST(ChannelStorage, PackedValues)
{
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        uint32_t n;
        uint32_t bits;
        double scale;
        double offset;
        bool delta;
        double first;
        std::vector<double> expected;
    } cases[] = {
        {"two-bit codes, first in the top bits", {0x1B}, 4, 2, 1.0, 0.0, false, 0, {0, 1, 2, 3}},
        {"three-bit codes across a byte", {0xBB, 0x80}, 3, 3, 1.0, 0.0, false, 0, {5, 6, 7}},
        {"twelve-bit codes", {0xAB, 0xC1, 0x23}, 2, 12, 1.0, 0.0, false, 0, {0xABC, 0x123}},
        {"scaled", {0x1B}, 4, 2, 0.5, 10.0, false, 0, {10, 10.5, 11, 11.5}},
        {"zero width is n copies of the offset", {}, 3, 0, 0.0, 4.0, false, 0, {4, 4, 4}},
        {"32-bit code", {0xFF, 0xFF, 0xFF, 0xFF}, 1, 32, 1.0, 0.0, false, 0, {4294967295.0}},
        // bias = -offset / scale = 2: codes 2, 3, 1 are steps 0, +1, -1
        {"differences", {0xB4}, 3, 2, 0.5, -1.0, true, 10.0, {10, 10, 10.5, 10}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CKSTChannel channel = Equidistant(0.0, 1.0, {-1}, {0});
        EXPECT_EQ(channel.ReadPackedValues(c.bytes.data(), c.bytes.size(), c.n, c.bits, c.scale,
                                           c.offset, c.delta, c.first),
                  KST_OK);
        std::vector<double> expected = {-1};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(Values(channel), expected);
        EXPECT_EQ(channel.RescanMissing(), 0u);  // only the first sample is missing
        EXPECT_FALSE(channel.IsMissing(1));
    }
}

TEST(ChannelStorage, PackedValuesRefuseShortOrWideBlocks)
{
    const uint8_t bytes[] = {0xFF, 0xFF};
    CKSTChannel c;
    EXPECT_EQ(c.ReadPackedValues(bytes, 2, 3, 6, 1.0, 0.0, false, 0.0), KST_ERR_END_OF_DATA);
    // A count read from a file cannot make the channel allocate what the bytes cannot hold.
    EXPECT_EQ(c.ReadPackedValues(bytes, 2, 4000000000u, 8, 1.0, 0.0, false, 0.0),
              KST_ERR_END_OF_DATA);
    EXPECT_EQ(c.ReadPackedValues(bytes, 2, 1, 33, 1.0, 0.0, false, 0.0),
              KST_ERR_INVALID_PACKED_BLOCK);
    EXPECT_EQ(c.GetCount(), 0u);
    EXPECT_EQ(c.GetCapacity(), 0u);
}

// --- Copies ------------------------------------------------------------------------------------

CKSTChannel FilledChannel()
{
    CKSTChannel c = TimeVector({0.0, 1.0, 0.5}, {1, 2, 3});
    c.SetName("U1");
    c.SetGroup("Motor");
    c.SetUnit("V");
    c.SetComment("type:time");
    c.SetNumber(4);
    c.SetColor(0x00FF00);
    c.SetStoredDisplayFlags(0x12);
    c.SetDisplayFlags(0x34);
    c.SetSelected(true);
    c.SetStartTimeStamp(CKSTTimeStamp(2020, 1, 2, 3, 4, 5.5));
    c.AddValueText("low", false);
    return c;
}

TEST(ChannelCopy, DeepCopyIsIndependent)
{
    RecordingObserver window;
    CKSTChannel original = FilledChannel();
    original.AddObserver(&window);

    CKSTChannel copy(original);
    original.SetValueAt(0, 100.0);
    original.SetTimeAt(1, 7.0);
    original.AppendTimeValue(9.0, 9.0);
    original.SetName("changed");
    original.SetValueText(1, "changed");

    EXPECT_EQ(Values(copy), std::vector<double>({1, 2, 3}));
    EXPECT_EQ(Times(copy), std::vector<double>({0.0, 1.0, 0.5}));
    EXPECT_EQ(copy.GetCapacity(), 1000u);
    EXPECT_FALSE(copy.AreTimesAscending());
    EXPECT_TRUE(copy.GetName() == "U1");
    EXPECT_TRUE(copy.GetValueText(1) == "low");
    EXPECT_EQ(copy.GetColor(), 0x00FF00);
    EXPECT_EQ(copy.GetStoredDisplayFlags(), 0x12);
    EXPECT_EQ(copy.GetDisplayFlags(), 0x34);
    EXPECT_TRUE(copy.IsSelected());
    EXPECT_TRUE(copy.GetStartTimeStamp() == CKSTTimeStamp(2020, 1, 2, 3, 4, 5.5));

    // Assignment over a channel with data of another kind replaces all of it.
    CKSTChannel target = Equidistant(0.0, 2.0, {5, 6, 7, 8, 9}, {2});
    target = copy;
    EXPECT_EQ(target.GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_EQ(Times(target), Times(copy));
    EXPECT_FALSE(target.HasMissing());
    EXPECT_EQ(target.GetGrowthStep(), copy.GetGrowthStep());
    EXPECT_TRUE(window.told.empty());
}

TEST(ChannelCopy, SelfAssignmentKeepsTheData)
{
    CKSTChannel c = FilledChannel();
    CKSTChannel& alias = c;
    c = alias;
    EXPECT_EQ(Values(c), std::vector<double>({1, 2, 3}));
    EXPECT_TRUE(c.GetValueText(1) == "low");
}

TEST(ChannelCopy, CopyFromTakesTheDescriptionOnly)
{
    RecordingObserver window;
    const CKSTChannel source = FilledChannel();
    CKSTChannel c = Equidistant(0.0, 1.0, {1, 2, 3}, {1});
    c.SetCapacity(30000);
    c.AddValueText("x", false);
    c.AddObserver(&window);

    c.CopyFrom(source);
    EXPECT_EQ(c.GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_TRUE(c.GetName() == "U1");
    EXPECT_TRUE(c.GetGroup() == "Motor");
    EXPECT_EQ(c.GetNumber(), 4);
    EXPECT_EQ(c.GetColor(), 0x00FF00);
    EXPECT_EQ(c.GetCount(), 0u);
    EXPECT_EQ(c.GetCapacity(), 0u);
    EXPECT_EQ(c.GetGrowthStep(), 1000u);
    EXPECT_FALSE(c.HasMissing());
    EXPECT_EQ(c.GetValueTextCount(), 0);
    EXPECT_EQ(c.GetTimes(), nullptr);

    // The window still shows this object and must still hear of its end.
    {
        CKSTChannel shown;
        shown.AddObserver(&window);
        shown.CopyFrom(source);
    }
    EXPECT_EQ(window.told.size(), 1u);
}

// --- Value texts -------------------------------------------------------------------------------

TEST(ChannelValueTexts, FirstTextIsEntryOne)
{
    CKSTChannel c;
    EXPECT_EQ(c.AddValueText("off", true), 1);
    EXPECT_EQ(c.AddValueText("on", true), 2);
    EXPECT_EQ(c.AddValueText("off", true), 1);
    EXPECT_EQ(c.AddValueText("off", false), 3);
    EXPECT_EQ(c.AddValueText("", true), 4);  // entry 0 is not reused
    EXPECT_TRUE(c.GetValueText(0) == "");
    EXPECT_TRUE(c.GetValueText(2) == "on");
    EXPECT_TRUE(c.GetValueText(5) == "");
    EXPECT_TRUE(c.GetValueText(-1) == "");
}

TEST(ChannelValueTexts, ReuseStopsAtAHundredEntries)
{
    CKSTChannel c;
    for (int i = 1; i < 99; ++i) {
        c.AddValueText(CKSTString::FormatInt(i), false);
    }
    EXPECT_EQ(c.GetValueTextCount(), 99);
    EXPECT_EQ(c.AddValueText("5", true), 5);
    EXPECT_EQ(c.AddValueText("new", true), 99);
    EXPECT_EQ(c.GetValueTextCount(), 100);
    EXPECT_EQ(c.AddValueText("5", true), 100);
    EXPECT_EQ(c.AddValueText("new", true), 101);
}

TEST(ChannelValueTexts, SetEntryGrowsTheTable)
{
    CKSTChannel c;
    c.SetValueText(3, "three");
    EXPECT_EQ(c.GetValueTextCount(), 4);
    EXPECT_TRUE(c.GetValueText(3) == "three");
    EXPECT_TRUE(c.GetValueText(2) == "");
    c.SetValueText(0, "zero");  // entry 0 stays the empty text
    EXPECT_TRUE(c.FormatValue(0.0) == "");
    c.SetValueText(-2, "negative");
    EXPECT_EQ(c.GetValueTextCount(), 4);
}

TEST(ChannelValueTexts, FormatValueTable)
{
    CKSTChannel texts;
    texts.AddValueText("off", false);
    texts.AddValueText("on", false);
    const CKSTChannel plain;
    const struct {
        const char* what;
        const CKSTChannel& channel;
        double value;
        bool hasText;
        const char* text;
    } cases[] = {
        {"entry", texts, 2.0, true, "on"},
        {"rounded to the entry", texts, 1.5, true, "on"},
        {"rounded down", texts, 1.49, true, "off"},
        {"entry 0", texts, 0.2, true, ""},
        {"past the table", texts, 2.5, false, "2.500"},
        {"negative", texts, -0.6, false, "-0.600"},
        {"huge", texts, 1e20, false, "100000000000000000000.000"},
        {"no table", plain, 1.0, false, "1.000"},
        {"no table, rounding of the number", plain, 3.14159, false, "3.142"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.channel.HasValueText(c.value), c.hasText);
        EXPECT_STREQ(c.channel.FormatValue(c.value).c_str(), c.text);
    }
}

TEST(ChannelValueTexts, ConvertToValueTexts)
{
    CKSTChannel c = Equidistant(10.0, 0.5, {1.5, 2.0, 1.5, 7.25});
    c.ConvertToValueTexts();
    EXPECT_EQ(c.GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_EQ(Times(c), std::vector<double>({10.0, 10.5, 11.0, 11.5}));
    EXPECT_EQ(Values(c), std::vector<double>({1, 2, 1, 3}));
    EXPECT_TRUE(c.FormatValue(1) == "1.500");
    EXPECT_TRUE(c.FormatValue(3) == "7.250");
    EXPECT_EQ(c.GetValueTextCount(), 4);
}

// --- Windows and files -------------------------------------------------------------------------

TEST(ChannelLifetime, DestructionTellsEveryWindowOnce)
{
    RecordingObserver a;
    RecordingObserver b;
    RecordingObserver gone;
    {
        CKSTChannel c;
        c.SetName("watched");
        c.AddObserver(&a);
        c.AddObserver(&a);
        c.AddObserver(&gone);
        c.AddObserver(&b);
        c.AddObserver(nullptr);
        c.RemoveObserver(&gone);
    }
    EXPECT_EQ(a.told, std::vector<std::string>({"watched"}));
    EXPECT_EQ(b.told, std::vector<std::string>({"watched"}));
    EXPECT_TRUE(gone.told.empty());
}

TEST(ChannelLifetime, AWindowMayDropAnotherWhileBeingTold)
{
    RecordingObserver first;
    RecordingObserver second;
    first.alsoRemove = &second;
    {
        CKSTChannel c;
        c.AddObserver(&first);
        c.AddObserver(&second);
    }
    EXPECT_EQ(first.told.size(), 1u);
    EXPECT_TRUE(second.told.empty());
}

TEST(ChannelLifetime, TheWindowsSeeTheSamplesStillThere)
{
    struct Checker : IKSTChannelObserver {
        void OnChannelDestroyed(CKSTChannel* channel) override { count = channel->GetCount(); }
        uint32_t count = 0;
    } checker;
    {
        CKSTChannel c = Equidistant(0.0, 1.0, {1, 2, 3});
        c.AddObserver(&checker);
    }
    EXPECT_EQ(checker.count, 3u);
}

bool FileExists(const char* path)
{
    std::FILE* f = std::fopen(path, "rb");
    if (f != nullptr) {
        std::fclose(f);
    }
    return f != nullptr;
}

TEST(ChannelLifetime, OnlyTheOwnerDeletesTheBackingFile)
{
    const char* path = "channel_test_backing.tmp";
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    {
        CKSTChannel owner;
        owner.SetBackingFile(path);
        {
            CKSTChannel copy(owner);
            CKSTChannel assigned;
            assigned = owner;
            CKSTChannel described;
            described.CopyFrom(owner);
            EXPECT_TRUE(copy.GetBackingFile().IsEmpty());
            EXPECT_TRUE(assigned.GetBackingFile().IsEmpty());
            EXPECT_TRUE(described.GetBackingFile().IsEmpty());
        }
        EXPECT_TRUE(FileExists(path));
    }
    EXPECT_FALSE(FileExists(path));
}

// --- Time bases compared -------------------------------------------------------------------------

TEST(ChannelTimeBase, SameTimeBase)
{
    const CKSTChannel grid = Equidistant(1.0, 0.5, {1, 2, 3});
    const CKSTChannel sameGrid = Equidistant(1.0, 0.5, {7, 8, 9});
    const CKSTChannel otherDt = Equidistant(1.0, 0.25, {1, 2, 3});
    const CKSTChannel otherT0 = Equidistant(1.5, 0.5, {1, 2, 3});
    const CKSTChannel shorter = Equidistant(1.0, 0.5, {1, 2});
    CKSTChannel otherStamp = Equidistant(1.0, 0.5, {4, 5, 6});
    otherStamp.SetStartTimeStamp(CKSTTimeStamp(2000, 1, 1, 0, 0, 0.0));
    const CKSTChannel times = TimeVector({0, 1, 3}, {1, 2, 3});
    const CKSTChannel sameTimes = TimeVector({0, 1, 3}, {0, 0, 0});
    const CKSTChannel otherTimes = TimeVector({0, 1, 4}, {1, 2, 3});
    CKSTChannel matrix;
    matrix.SetTimeBaseType(CKSTChannel::kMatrix);
    const struct {
        const char* what;
        const CKSTChannel& a;
        const CKSTChannel& b;
        bool same;
    } cases[] = {
        {"same grid, other values", grid, sameGrid, true},
        {"other dt", grid, otherDt, false},
        {"other t0", grid, otherT0, false},
        {"other count", grid, shorter, false},
        {"other start stamp", grid, otherStamp, false},
        {"same times", times, sameTimes, true},
        {"other times", times, otherTimes, false},
        {"mixed kinds", grid, times, false},
        {"matrix", matrix, matrix, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.a.HasSameTimeBase(c.b), c.same);
    }
}

}  // namespace
