#include "data/Channel.h"

#include "support/ChannelBuilders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using kst_test::AbsoluteTimes;
using kst_test::Equidistant;
using kst_test::MissingIndexes;
using kst_test::Times;
using kst_test::TimeVector;
using kst_test::Values;

namespace {

const CKSTTimeStamp kStamp(2024, 3, 1, 12, 0, 0.0);

CKSTChannel Stamped(CKSTChannel c, double secondsAfterStamp = 0.0)
{
    c.SetStartTimeStamp(kStamp + secondsAfterStamp);
    return c;
}

void ExpectNear(const std::vector<double>& got, const std::vector<double>& want, double tol = 1e-9)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i], want[i], tol) << "at " << i;
    }
}

TEST(ChannelEdit, ShiftTimeOriginMovesTheOrigin)
{
    // An equidistant channel's samples move on by the shift (its first samples are about to be
    // cut away); a time vector's times are moved back so that its samples stay where they were.
    struct Case {
        const char* name;
        CKSTChannel channel;
        double shift;
        bool keepStamp;
        double result;
        double t0;
        double stampAdvance;
        double samplesMove;
    };
    const Case cases[] = {
        {"equidistant", Equidistant(2.0, 0.5, {1, 2, 3}), 3.0, false, 3.0, 0.0, 5.0, 3.0},
        {"equidistant keeping the stamp", Equidistant(2.0, 0.5, {1, 2, 3}), 3.0, true, 0.0, 5.0,
         0.0, 3.0},
        {"time vector", TimeVector({1, 2, 4}, {1, 2, 3}), 1.0, false, 1.0, 0.0, 1.0, 0.0},
        {"time vector keeping the stamp", TimeVector({1, 2, 4}, {1, 2, 3}), 1.0, true, 0.0, 1.0,
         0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannel channel = Stamped(c.channel);
        std::vector<double> expected = AbsoluteTimes(channel, kStamp);
        for (double& t : expected) {
            t += c.samplesMove;
        }
        EXPECT_EQ(channel.ShiftTimeOrigin(c.shift, c.keepStamp), c.result);
        EXPECT_EQ(channel.GetT0(), c.t0);
        EXPECT_NEAR((channel.GetStartTimeStamp() - kStamp).GetSeconds(), c.stampAdvance, 1e-6);
        ExpectNear(AbsoluteTimes(channel, kStamp), expected, 1e-6);
    }
}

TEST(ChannelEdit, CutIndexRangeOverKinds)
{
    struct Case {
        const char* name;
        CKSTChannel channel;
        uint32_t first;
        uint32_t end;
        bool keepStamp;
        std::vector<double> values;
        double result;
    };
    const Case cases[] = {
        {"middle", Equidistant(1.0, 0.5, {0, 1, 2, 3, 4, 5}), 2, 5, false, {2, 3, 4}, 1.0},
        {"keeping the stamp",
         Equidistant(1.0, 0.5, {0, 1, 2, 3, 4, 5}),
         2,
         5,
         true,
         {2, 3, 4},
         0.0},
        {"end beyond the count", Equidistant(0.0, 1.0, {0, 1, 2, 3}), 2, 100, false, {2, 3}, 2.0},
        {"whole channel", Equidistant(1.0, 1.0, {0, 1, 2}), 0, 3, false, {0, 1, 2}, 0.0},
        {"empty range", Equidistant(0.0, 1.0, {0, 1, 2}), 2, 2, false, {0, 1, 2}, 0.0},
        {"time vector", TimeVector({0, 1, 3, 6, 10}, {0, 1, 2, 3, 4}), 1, 4, false, {1, 2, 3}, 1.0},
        {"missing samples cut away",
         Equidistant(0.0, 1.0, {0, 1, 2, 3, 4}, {1}),
         2,
         5,
         false,
         {2, 3, 4},
         2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannel channel = Stamped(c.channel);
        const std::vector<double> before = AbsoluteTimes(channel, kStamp);
        EXPECT_EQ(channel.CutIndexRange(c.first, c.end, c.keepStamp), c.result);
        EXPECT_EQ(Values(channel), c.values);
        EXPECT_FALSE(channel.HasMissing());
        const size_t first = c.first < c.end ? c.first : 0;
        ExpectNear(AbsoluteTimes(channel, kStamp),
                   std::vector<double>(before.begin() + first,
                                       before.begin() + first + channel.GetCount()),
                   1e-6);
    }
}

TEST(ChannelEdit, CutTimeRangeKeepsTheWindowAndAbsoluteTimes)
{
    const std::vector<double> ramp{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    struct Case {
        const char* name;
        CKSTChannel channel;
        double t1;
        double t2;
        bool keepStamp;
        std::vector<double> values;
        std::vector<double> absolute;  // seconds after kStamp
    };
    const Case cases[] = {
        {"inner window", Equidistant(0.0, 1.0, ramp), 2.5, 6.0, false, {3, 4, 5}, {3, 4, 5}},
        {"to beyond the end",
         Equidistant(0.0, 1.0, ramp),
         2.0,
         20.0,
         false,
         {2, 3, 4, 5, 6, 7, 8, 9},
         {2, 3, 4, 5, 6, 7, 8, 9}},
        {"from before the start", Equidistant(0.0, 1.0, ramp), -5.0, 1.5, false, {0, 1}, {0, 1}},
        {"skips missing samples",
         Equidistant(0.0, 1.0, ramp, {3, 4}),
         2.5,
         7.0,
         false,
         {5, 6},
         {5, 6}},
        {"window in a gap", Equidistant(0.0, 1.0, ramp, {3, 4}), 3.0, 4.5, false, {}, {}},
        {"beyond the channel", Equidistant(0.0, 1.0, ramp), 20.0, 30.0, false, {}, {}},
        {"time vector",
         TimeVector({0, 1, 3, 6, 10}, {0, 1, 2, 3, 4}),
         2.0,
         7.0,
         false,
         {2, 3},
         {3, 6}},
        {"late start keeping the stamp",
         Equidistant(5.0, 1.0, ramp),
         2.0,
         8.0,
         true,
         {0, 1, 2},
         {5, 6, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannel channel = Stamped(c.channel);
        channel.CutTimeRange(c.t1, c.t2, c.keepStamp);
        EXPECT_EQ(Values(channel), c.values);
        ExpectNear(AbsoluteTimes(channel, kStamp), c.absolute, 1e-6);
    }

    // A matrix has no time per sample to cut by.
    CKSTChannel matrix;
    matrix.SetTimeBaseType(CKSTChannel::kMatrix);
    matrix.SetMatrixRowLength(2);
    matrix.AppendValues(1.0, false, 6);
    matrix.CutTimeRange(5.0, 6.0);
    EXPECT_EQ(matrix.GetCount(), 6u);
    CKSTChannel matrixWindow;
    matrixWindow.CopyTimeWindow(matrix, 5.0, 6.0, false);
    EXPECT_EQ(matrixWindow.GetCount(), 6u);

    // Keeping the stamp makes the window start the new time 0.
    CKSTChannel late = Stamped(Equidistant(5.0, 1.0, ramp));
    EXPECT_EQ(late.CutTimeRange(2.0, 8.0, true), 0.0);
    EXPECT_EQ(late.GetT0(), 3.0);
    // An empty window still moves the origin to its start.
    CKSTChannel empty = Stamped(Equidistant(0.0, 1.0, ramp));
    EXPECT_EQ(empty.CutTimeRange(20.0, 30.0), 20.0);
    EXPECT_NEAR((empty.GetStartTimeStamp() - kStamp).GetSeconds(), 20.0, 1e-6);
}

TEST(ChannelEdit, CutBetweenTimeStamps)
{
    CKSTChannel c = Stamped(Equidistant(0.0, 1.0, {0, 1, 2, 3, 4, 5}), 10.0);
    c.CutBetweenTimeStamps(kStamp + 12.0, kStamp + 14.5);
    EXPECT_EQ(Values(c), (std::vector<double>{2, 3, 4}));
    ExpectNear(AbsoluteTimes(c, kStamp), {12, 13, 14}, 1e-6);
}

TEST(ChannelEdit, CopyTimeWindow)
{
    CKSTChannel source = Stamped(Equidistant(0.0, 1.0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {4}));
    source.SetName("U1");
    source.AddValueText("on", false);

    CKSTChannel window;
    window.CopyTimeWindow(source, 2.4, 6.6, false);
    EXPECT_TRUE(window.GetName() == "U1");
    EXPECT_EQ(Values(window), (std::vector<double>{2, 3, 4, 5, 6}));
    EXPECT_EQ(MissingIndexes(window), (std::vector<uint32_t>{2}));
    EXPECT_TRUE(window.HasMissing());
    EXPECT_TRUE(window.GetValueText(1) == "on");
    ExpectNear(AbsoluteTimes(window, kStamp), {2, 3, 4, 5, 6}, 1e-6);
    EXPECT_EQ(source.GetCount(), 10u);

    window.CopyTimeWindow(source, kStamp + 7.0, kStamp + 100.0, false);
    EXPECT_EQ(Values(window), (std::vector<double>{7, 8, 9}));
    EXPECT_FALSE(window.HasMissing());

    window.CopyTimeWindow(source, 20.0, 30.0, false);
    EXPECT_EQ(window.GetCount(), 0u);
    EXPECT_TRUE(window.GetName() == "U1");

    source.CopyTimeWindow(source, 1.0, 3.0, false);
    EXPECT_EQ(Values(source), (std::vector<double>{1, 2}));
}

TEST(ChannelEdit, AppendJoinsOrMergesByTime)
{
    struct Case {
        const char* name;
        CKSTChannel first;
        double firstStart;
        CKSTChannel second;
        double secondStart;
        bool continueAfterEnd;
        double offset;
        uint32_t kind;
        std::vector<double> values;
        std::vector<double> absolute;  // seconds after kStamp
    };
    const Case cases[] = {
        {"contiguous",
         Equidistant(0, 1, {1, 2, 3}),
         0.0,
         Equidistant(0, 1, {4, 5}),
         3.0,
         false,
         3.0,
         CKSTChannel::kEquidistant,
         {1, 2, 3, 4, 5},
         {0, 1, 2, 3, 4}},
        {"continued after the end",
         Equidistant(0, 1, {1, 2, 3}),
         0.0,
         Equidistant(0, 1, {4, 5}),
         50.0,
         true,
         3.0,
         CKSTChannel::kEquidistant,
         {1, 2, 3, 4, 5},
         {0, 1, 2, 3, 4}},
        {"within a thousandth of dt",
         Equidistant(0, 1, {1, 2, 3}),
         0.0,
         Equidistant(0, 1, {4}),
         3.0005,
         false,
         3.0005,
         CKSTChannel::kEquidistant,
         {1, 2, 3, 4},
         {0, 1, 2, 3}},
        {"gap",
         Equidistant(0, 1, {1, 2, 3}),
         0.0,
         Equidistant(0, 1, {4, 5}),
         3.5,
         false,
         3.5,
         CKSTChannel::kTimeVector,
         {1, 2, 3, 4, 5},
         {0, 1, 2, 3.5, 4.5}},
        {"overlap, equal time kept from the appended channel",
         TimeVector({0, 1, 2}, {10, 11, 12}),
         0.0,
         TimeVector({1, 3}, {21, 23}),
         0.0,
         false,
         0.0,
         CKSTChannel::kTimeVector,
         {10, 21, 12, 23},
         {0, 1, 2, 3}},
        {"negative offset",
         Equidistant(0, 1, {1, 2}),
         10.0,
         Equidistant(0, 1, {7, 8}),
         0.0,
         false,
         -10.0,
         CKSTChannel::kTimeVector,
         {7, 8, 1, 2},
         {0, 1, 10, 11}},
        // The later origin whose samples come first: every sample keeps its absolute time.
        {"later origin, earlier samples",
         Equidistant(10, 1, {1, 2}),
         0.0,
         Equidistant(0, 1, {7, 8}),
         5.0,
         false,
         5.0,
         CKSTChannel::kTimeVector,
         {7, 8, 1, 2},
         {5, 6, 10, 11}},
        {"missing samples dropped",
         Equidistant(0, 1, {1, 2, 3}, {1}),
         0.0,
         Equidistant(0, 1, {4}),
         3.0,
         false,
         3.0,
         CKSTChannel::kTimeVector,
         {1, 3, 4},
         {0, 2, 3}},
        {"into an empty channel",
         Equidistant(0, 1, {}),
         0.0,
         Equidistant(0.5, 0.25, {4, 5}),
         7.0,
         false,
         0.0,
         CKSTChannel::kEquidistant,
         {4, 5},
         {7.5, 7.75}},
        {"nothing to append",
         Equidistant(0, 1, {1}),
         0.0,
         Equidistant(0, 1, {}),
         9.0,
         false,
         0.0,
         CKSTChannel::kEquidistant,
         {1},
         {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannel target = Stamped(c.first, c.firstStart);
        const CKSTChannel other = Stamped(c.second, c.secondStart);
        EXPECT_NEAR(target.Append(other, c.continueAfterEnd), c.offset, 1e-6);
        EXPECT_EQ(target.GetTimeBaseType(), c.kind);
        EXPECT_EQ(Values(target), c.values);
        ExpectNear(AbsoluteTimes(target, kStamp), c.absolute, 1e-6);
        EXPECT_TRUE(target.AreTimesAscending());
    }
}

TEST(ChannelEdit, AppendDirectTakesSamplesTextsAndMissingFlags)
{
    CKSTChannel target = Equidistant(0, 1, {1, 2});
    CKSTChannel other = Equidistant(0, 2, {3, 4, 5}, {1});
    other.AddValueText("low", false);
    target.AppendDirect(other);
    EXPECT_EQ(Values(target), (std::vector<double>{1, 2, 3, 4, 5}));
    EXPECT_EQ(MissingIndexes(target), (std::vector<uint32_t>{3}));
    // Writers skip missing runs only when the flag says there are some.
    EXPECT_TRUE(target.HasMissing());
    EXPECT_TRUE(target.GetValueText(1) == "low");
    EXPECT_EQ(target.GetDt(), 1.0);

    CKSTChannel empty;
    empty.AppendDirect(other);
    EXPECT_EQ(empty.GetDt(), 2.0);

    CKSTChannel times = TimeVector({0, 1}, {1, 2});
    times.AppendDirect(TimeVector({0.5}, {3}));
    EXPECT_EQ(Times(times), (std::vector<double>{0, 1, 0.5}));
    EXPECT_FALSE(times.AreTimesAscending());
}

TEST(ChannelEdit, MergeSortedValues)
{
    CKSTChannel rows = Equidistant(0, 1, {0, 1, 2, 5});
    rows.MergeSortedValues(Equidistant(0, 1, {1.0000001, 3, 5, 8}), 1e-3);
    EXPECT_EQ(Values(rows), (std::vector<double>{0, 1, 2, 3, 5, 8}));
    rows.MergeSortedValues(Equidistant(0, 1, {}), 1e-3);
    EXPECT_EQ(rows.GetCount(), 6u);
}

TEST(ChannelEdit, ValueArithmetic)
{
    CKSTChannel squares = Equidistant(0, 1, {1, 4, 9, 16});
    CKSTChannel d;
    d.Difference(squares);
    EXPECT_EQ(Values(d), (std::vector<double>{3, 5, 7}));
    EXPECT_EQ(d.GetT0(), 1.0);
    d.Difference(TimeVector({0, 1, 3}, {0, 2, 3}));
    EXPECT_EQ(Times(d), (std::vector<double>{1, 3}));
    EXPECT_EQ(Values(d), (std::vector<double>{2, 1}));

    CKSTChannel sum;
    sum.CumulativeSum(Equidistant(0, 1, {1, 2, 3}));
    EXPECT_EQ(Values(sum), (std::vector<double>{0, 1, 3, 6}));

    CKSTChannel reversed = Equidistant(0, 1, {1, 2, 3}, {0});
    reversed.ReverseValues();
    EXPECT_EQ(Values(reversed), (std::vector<double>{3, 2, 1}));
    EXPECT_EQ(MissingIndexes(reversed), (std::vector<uint32_t>{2}));

    CKSTChannel shifted = TimeVector({0, 1}, {1, 2});
    shifted.SetTimeOffset(5.0);
    EXPECT_EQ(Times(shifted), (std::vector<double>{5, 6}));
    shifted.SetTimeOffset(2.0);
    EXPECT_EQ(Times(shifted), (std::vector<double>{2, 3}));
    shifted.SetValueOffset(10.0);
    EXPECT_EQ(Values(shifted), (std::vector<double>{11, 12}));
    shifted.SetValueOffset(0.0);
    EXPECT_EQ(Values(shifted), (std::vector<double>{1, 2}));
    shifted.MultiplyValues(3.0);
    shifted.SubtractFromValues(1.0);
    shifted.SquareValues();
    EXPECT_EQ(Values(shifted), (std::vector<double>{4, 25}));

    CKSTChannel equidistant = Equidistant(0, 1, {1});
    equidistant.SetTimeOffset(5.0);
    EXPECT_EQ(equidistant.GetTimeOffset(), 0.0);
}

}  // namespace
