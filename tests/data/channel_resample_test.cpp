#include "data/Channel.h"

#include "foundation/Numeric.h"
#include "support/ChannelBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

using kst_test::Equidistant;
using kst_test::MissingIndexes;
using kst_test::Times;
using kst_test::TimeVector;
using kst_test::Values;

namespace {

double Uniform(std::mt19937& random)
{
    return static_cast<double>(random()) / 4294967296.0 * 2.0 - 1.0;
}

CKSTChannel RandomEquidistant(uint32_t n, double t0, double dt, uint32_t seed,
                              const std::vector<uint32_t>& missing = {})
{
    std::mt19937 random(seed);
    std::vector<double> values(n);
    for (double& v : values) {
        v = Uniform(random);
    }
    return Equidistant(t0, dt, values, missing);
}

std::vector<uint32_t> IndexRun(uint32_t from, uint32_t to)
{
    std::vector<uint32_t> run;
    for (uint32_t i = from; i < to; ++i) {
        run.push_back(i);
    }
    return run;
}

double Sinc(double x, double dt)
{
    const double a = kPi * x / dt;
    return std::fabs(a) < 1e-20 ? 1.0 : std::sin(a) / a;
}

// The band-limited interpolation summed term by term over all input samples.
std::vector<double> NaiveSinc(const CKSTChannel& c, double newDt)
{
    const double start = c.GetStartTime();
    const uint32_t n = static_cast<uint32_t>(std::round((c.GetEndTime() - start) / newDt)) + 1;
    const int64_t r = std::llround(c.GetDt() / newDt);
    const int64_t offset = std::llround((start - c.GetT0()) / c.GetDt()) * r;
    std::vector<double> y(n, 0.0);
    for (uint32_t k = 0; k < n; ++k) {
        for (uint32_t i = 0; i < c.GetCount(); ++i) {
            if (!c.IsMissing(i)) {
                const double j = static_cast<double>(k + offset - i * r);
                y[k] += c.GetValues()[i] * Sinc(j * newDt, c.GetDt());
            }
        }
    }
    return y;
}

// Triangular smoothing written out weight by weight.
std::vector<double> NaiveTriangle(const std::vector<double>& x, uint32_t points)
{
    uint32_t n = std::max<uint32_t>(points, 3);
    n += n % 2 == 0 ? 1 : 0;
    const int64_t h = (n + 1) / 2;
    const int64_t last = static_cast<int64_t>(x.size()) - 1;
    std::vector<double> y(x.size(), 0.0);
    for (int64_t i = 0; i <= last; ++i) {
        for (int64_t d = -(h - 1); d <= h - 1; ++d) {
            y[i] += static_cast<double>(h - std::llabs(d)) * x[std::clamp<int64_t>(i + d, 0, last)];
        }
        y[i] /= static_cast<double>(h * h);
    }
    return y;
}

TEST(ChannelResample, ResampleMatchesValueAtTime)
{
    struct Case {
        const char* name;
        CKSTChannel channel;
        double newDt;
        bool noInterpolation;
    };
    std::vector<uint32_t> gaps = IndexRun(0, 3);
    for (uint32_t i : IndexRun(40, 90)) {
        gaps.push_back(i);
    }
    gaps.push_back(120);
    gaps.push_back(199);
    const Case cases[] = {
        {"finer", RandomEquidistant(200, 1.5, 0.5, 1), 0.37, false},
        {"coarser", RandomEquidistant(200, 1.5, 0.5, 2), 2.5, false},
        {"gaps, interpolated", RandomEquidistant(200, -3.0, 0.5, 3, gaps), 0.13, false},
        {"gaps, held", RandomEquidistant(200, -3.0, 0.5, 4, gaps), 0.13, true},
        {"time vector", TimeVector({0, 0.1, 0.5, 2.0, 2.2, 7.0}, {1, -1, 3, 0, 5, 2}), 0.07, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannel resampled = c.channel;
        resampled.Resample(c.newDt, c.noInterpolation);
        const double start = c.channel.GetStartTime();
        const uint32_t n =
            static_cast<uint32_t>(std::round((c.channel.GetEndTime() - start) / c.newDt)) + 1;
        ASSERT_EQ(resampled.GetCount(), n);
        EXPECT_EQ(resampled.GetTimeBaseType(), c.channel.GetTimeBaseType());
        EXPECT_FALSE(resampled.HasMissing());
        for (uint32_t k = 0; k < n; ++k) {
            const double t = start + k * c.newDt;
            EXPECT_NEAR(resampled.GetTimeAt(k), t, 1e-9);
            ASSERT_DOUBLE_EQ(resampled.GetValues()[k],
                             c.channel.GetValueAtTime(t, c.noInterpolation, false))
                << "sample " << k;
        }
    }
}

TEST(ChannelResample, ResampleAtTheSameIntervalKeepsTheSamples)
{
    const CKSTChannel original = RandomEquidistant(100, 0.25, 0.1, 5);
    CKSTChannel same = original;
    same.Resample(0.1, false);
    ASSERT_EQ(same.GetCount(), 100u);
    for (uint32_t i = 0; i < 100; ++i) {
        EXPECT_NEAR(same.GetValues()[i], original.GetValues()[i], 1e-12);
    }
    EXPECT_EQ(same.GetT0(), 0.25);

    CKSTChannel unchanged = original;
    unchanged.Resample(0.0, false);
    unchanged.Resample(-1.0, false);
    EXPECT_EQ(Values(unchanged), Values(original));
}

TEST(ChannelResample, PowerOfTwoRule)
{
    struct Case {
        uint32_t count;
        uint32_t resampled;
    };
    // 1000 samples lie 96 % above 512 and become 1024; 540 lie within 10 % and become 512.
    const Case cases[] = {{1024, 1024}, {1000, 1024}, {540, 512}, {3, 4}, {2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const CKSTChannel original = RandomEquidistant(c.count, 2.0, 0.01, c.count);
        CKSTChannel channel = original;
        channel.ResampleToPowerOfTwo(false);
        ASSERT_EQ(channel.GetCount(), c.resampled);
        EXPECT_NEAR(channel.GetStartTime(), original.GetStartTime(), 1e-12);
        EXPECT_NEAR(channel.GetEndTime(), original.GetEndTime(), 1e-9);
        EXPECT_NEAR(channel.GetValues()[0], original.GetValues()[0], 1e-12);
        EXPECT_NEAR(channel.GetLastValue(), original.GetLastValue(), 1e-9);
    }
}

TEST(ChannelResample, InterpolateSteps)
{
    CKSTChannel steps = Equidistant(0, 1, {0, 0, 0, 3, 3, 6, 6, 6});
    steps.InterpolateSteps();
    EXPECT_EQ(Values(steps), (std::vector<double>{0, 1, 2, 3, 4.5, 6, 6, 6}));
    CKSTChannel two = Equidistant(0, 1, {0, 4});
    two.InterpolateSteps();
    EXPECT_EQ(Values(two), (std::vector<double>{0, 4}));
}

TEST(ChannelResample, SincReproducesABandLimitedSineAtAnyStart)
{
    // A channel that starts at 7.3 s: the kernel must depend on sample distances only.
    const double f = 0.05;
    std::vector<double> values;
    for (int i = 0; i < 400; ++i) {
        values.push_back(std::sin(2.0 * kPi * f * i));
    }
    CKSTChannel channel = Equidistant(7.3, 1.0, values);
    channel.InterpolateSinc(0.25);
    ASSERT_EQ(channel.GetCount(), 1597u);
    EXPECT_EQ(channel.GetT0(), 7.3);
    EXPECT_EQ(channel.GetDt(), 0.25);
    for (uint32_t i = 0; i < 400; ++i) {
        EXPECT_NEAR(channel.GetValues()[4 * i], values[i], 1e-9) << "input sample " << i;
    }
    // Between the input samples, away from the edges where the sum is cut short.
    for (uint32_t k = 600; k <= 1000; ++k) {
        EXPECT_NEAR(channel.GetValues()[k], std::sin(2.0 * kPi * f * k * 0.25), 0.01)
            << "output sample " << k;
    }
}

TEST(ChannelResample, SincMatchesTheTermByTermSum)
{
    struct Case {
        const char* name;
        CKSTChannel channel;
        double newDt;
    };
    // The first two sizes are summed directly, the others through fast transforms.
    const Case cases[] = {
        {"small, factor 2", RandomEquidistant(60, 0.0, 1.0, 11), 0.5},
        {"small, leading gap", RandomEquidistant(60, 2.0, 0.5, 12, IndexRun(0, 5)), 0.5 / 3.0},
        {"large, odd factor with gaps", RandomEquidistant(1500, 0.0, 1.0, 13, IndexRun(0, 5)),
         1.0 / 3.0},
        {"large, even factor", RandomEquidistant(1500, -4.0, 2.0, 14, {700, 701}), 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> expected = NaiveSinc(c.channel, c.newDt);
        CKSTChannel channel = c.channel;
        channel.InterpolateSinc(c.newDt);
        ASSERT_EQ(channel.GetCount(), expected.size());
        EXPECT_NEAR(channel.GetT0(), c.channel.GetStartTime(), 1e-12);
        for (size_t k = 0; k < expected.size(); ++k) {
            ASSERT_NEAR(channel.GetValues()[k], expected[k], 1e-9) << "output sample " << k;
        }
    }

    // Only equidistant channels and only towards a finer interval.
    CKSTChannel coarser = RandomEquidistant(10, 0.0, 1.0, 15);
    coarser.InterpolateSinc(2.0);
    EXPECT_EQ(coarser.GetCount(), 10u);
    CKSTChannel times = TimeVector({0, 1, 2}, {1, 2, 3});
    times.InterpolateSinc(0.5);
    EXPECT_EQ(times.GetCount(), 3u);
}

TEST(ChannelResample, TriangularSmoothing)
{
    const CKSTChannel original = RandomEquidistant(500, 0.0, 0.1, 21);
    struct Case {
        const char* name;
        uint32_t points;
        double width;  // used when points is 0
        uint32_t effectivePoints;
    };
    const Case cases[] = {
        {"three", 3, 0.0, 3},         {"two raised to three", 2, 0.0, 3},
        {"even made odd", 4, 0.0, 5}, {"seven", 7, 0.0, 7},
        {"wide", 101, 0.0, 101},      {"wider than the channel", 2001, 0.0, 2001},
        {"by width", 0, 0.75, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannel channel = original;
        if (c.points > 0) {
            channel.SmoothTriangular(c.points);
        } else {
            channel.SmoothTriangularWidth(c.width);
        }
        const std::vector<double> expected = NaiveTriangle(Values(original), c.effectivePoints);
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_NEAR(channel.GetValues()[i], expected[i], 1e-12) << "sample " << i;
        }
    }

    CKSTChannel unchanged = original;
    unchanged.SmoothTriangular(1);
    unchanged.SmoothTriangularWidth(0.0);
    EXPECT_EQ(Values(unchanged), Values(original));
    CKSTChannel single = Equidistant(0, 1, {5});
    single.SmoothTriangular(3);
    EXPECT_EQ(Values(single), (std::vector<double>{5}));
}

TEST(ChannelResample, Decimate)
{
    CKSTChannel channel = Equidistant(1.0, 0.5, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {5});
    channel.Decimate(3);
    EXPECT_EQ(Values(channel), (std::vector<double>{2, 5, 8}));
    EXPECT_EQ(MissingIndexes(channel), (std::vector<uint32_t>{1}));
    EXPECT_EQ(channel.GetT0(), 2.0);
    EXPECT_EQ(channel.GetDt(), 1.5);

    CKSTChannel times = TimeVector({0, 1, 3, 6, 10}, {0, 1, 2, 3, 4});
    times.Decimate(2);
    EXPECT_EQ(Times(times), (std::vector<double>{1, 6}));
    EXPECT_EQ(Values(times), (std::vector<double>{1, 3}));

    CKSTChannel tooShort = Equidistant(0, 1, {1, 2});
    tooShort.Decimate(3);
    EXPECT_EQ(tooShort.GetCount(), 0u);
    CKSTChannel same = Equidistant(0, 1, {1, 2});
    same.Decimate(1);
    EXPECT_EQ(Values(same), (std::vector<double>{1, 2}));
}

TEST(ChannelResample, ReductionsOverBlocksWithMissingSamples)
{
    enum Mode { kAverage, kMinimum, kMaximum, kBinary };
    struct Case {
        const char* name;
        CKSTChannel channel;
        Mode mode;
        uint32_t n;
        std::vector<double> values;
        std::vector<uint32_t> missing;
    };
    const Case cases[] = {
        // A block with one missing sample averages the two present ones.
        {"average", Equidistant(0, 1, {1, 2, 3, 4, 5, 6, 7}, {1}), kAverage, 3, {2, 5}, {}},
        {"minimum", Equidistant(0, 1, {1, 2, 3, 4, 5, 6, 7}, {0}), kMinimum, 3, {2, 4}, {}},
        {"maximum", Equidistant(0, 1, {1, 2, 3, 4, 5, 6, 7}, {2}), kMaximum, 3, {2, 6}, {}},
        {"all missing block", Equidistant(0, 1, {1, 2, 3, 4}, {2, 3}), kAverage, 2, {1.5, 0}, {1}},
        {"all missing minimum", Equidistant(0, 1, {1, 2, 3, 4}, {0, 1}), kMinimum, 2, {0, 3}, {0}},
        {"binary", Equidistant(0, 1, {0, 0, 1, 1, 1, 0}), kBinary, 3, {0, 1}, {}},
        {"no full block", Equidistant(0, 1, {1, 2}), kAverage, 3, {}, {}},
        {"factor 1 does nothing", Equidistant(0, 1, {1, 2}), kAverage, 1, {1, 2}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannel channel = c.channel;
        switch (c.mode) {
            case kAverage:
                channel.ReduceByAverage(c.n);
                break;
            case kMinimum:
                channel.ReduceByMinimum(c.n);
                break;
            case kMaximum:
                channel.ReduceByMaximum(c.n);
                break;
            case kBinary:
                channel.ReduceByAverageToBinary(c.n);
                break;
        }
        EXPECT_EQ(Values(channel), c.values);
        EXPECT_EQ(MissingIndexes(channel), c.missing);
        EXPECT_EQ(channel.HasMissing(), !c.missing.empty());
        if (c.n >= 2 && !c.values.empty()) {
            EXPECT_EQ(channel.GetT0(), c.n - 1.0);
            EXPECT_EQ(channel.GetDt(), static_cast<double>(c.n));
        }
    }

    CKSTChannel times = TimeVector({0, 1, 3, 6, 10}, {0, 1, 2, 3, 4});
    times.ReduceByMaximum(2);
    EXPECT_EQ(Times(times), (std::vector<double>{1, 6}));
    EXPECT_EQ(Values(times), (std::vector<double>{1, 3}));
}

}  // namespace
