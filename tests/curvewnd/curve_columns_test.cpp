// The reduction of one pixel column to its first, minimum, maximum and last present sample.
#include "curvewnd/CurveColumns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct ColumnCase {
    const char* name;
    std::vector<double> values;
    std::vector<uint8_t> missing;  // empty: no flags
    bool present;
    uint32_t firstIndex;
    uint32_t lastIndex;
    double first;
    double minimum;
    double maximum;
    double last;
};

TEST(CurveColumnsTest, ReducesAColumnToItsFirstMinimumMaximumAndLastPresentSample)
{
    const ColumnCase cases[] = {
        {"one sample", {4.0}, {}, true, 0, 0, 4.0, 4.0, 4.0, 4.0},
        {"rising then falling", {2, 9, -3, 5}, {}, true, 0, 3, 2, -3, 9, 5},
        {"flagged ends are skipped", {100, 2, 7, -100}, {1, 0, 0, 1}, true, 1, 2, 2, 2, 7, 7},
        {"flagged extreme in the middle", {1, 50, 3}, {0, 1, 0}, true, 0, 2, 1, 1, 3, 3},
        {"NaN counts as missing", {kNaN, 3, kNaN, 1, kNaN}, {}, true, 1, 3, 3, 1, 3, 1},
        {"infinities are values", {0, kInf, -kInf, 2}, {}, true, 0, 3, 0, -kInf, kInf, 2},
        {"only +inf", {kInf, kInf}, {}, true, 0, 1, kInf, kInf, kInf, kInf},
        {"only -inf", {-kInf}, {}, true, 0, 0, -kInf, -kInf, -kInf, -kInf},
        {"every sample flagged", {1, 2, 3}, {1, 1, 1}, false, 0, 0, 0, 0, 0, 0},
        {"every sample NaN", {kNaN, kNaN, kNaN, kNaN, kNaN}, {}, false, 0, 0, 0, 0, 0, 0},
    };
    for (const ColumnCase& c : cases) {
        SCOPED_TRACE(c.name);
        const uint8_t* missing = c.missing.empty() ? nullptr : c.missing.data();
        KstColumnExtent extent{};
        const uint32_t last = static_cast<uint32_t>(c.values.size() - 1);
        ASSERT_EQ(c.present, ReduceColumn(c.values.data(), missing, 0, last, extent));
        if (!c.present) {
            continue;
        }
        EXPECT_EQ(c.firstIndex, extent.firstIndex);
        EXPECT_EQ(c.lastIndex, extent.lastIndex);
        EXPECT_EQ(c.first, extent.first);
        EXPECT_EQ(c.minimum, extent.minimum);
        EXPECT_EQ(c.maximum, extent.maximum);
        EXPECT_EQ(c.last, extent.last);
    }
}

// The extremes are found wherever they stand and whatever the length of the run, also between
// NaNs and flagged samples.
TEST(CurveColumnsTest, FindsTheExtremesAtEveryPositionOfRunsOfAnyLength)
{
    for (uint32_t n = 1; n <= 19; ++n) {
        for (uint32_t at = 0; at < n; ++at) {
            SCOPED_TRACE(testing::Message() << "length " << n << ", extreme at " << at);
            std::vector<double> values(n + 4, 1000.0);  // outside the range read
            std::vector<uint8_t> missing(n + 4, 0);
            for (uint32_t i = 0; i < n; ++i) {
                values[2 + i] = (i % 3 == 1) ? kNaN : double(i % 5);
                missing[2 + i] = (i % 7 == 6) ? 1 : 0;
            }
            values[2 + at] = 77.0;
            missing[2 + at] = 0;
            double lo = 0.0;
            double hi = 0.0;
            ASSERT_TRUE(ColumnMinMax(values.data(), nullptr, 2, 2 + n - 1, lo, hi));
            EXPECT_EQ(77.0, hi);
            ASSERT_TRUE(ColumnMinMax(values.data(), missing.data(), 2, 2 + n - 1, lo, hi));
            EXPECT_EQ(77.0, hi);

            values[2 + at] = -77.0;
            ASSERT_TRUE(ColumnMinMax(values.data(), nullptr, 2, 2 + n - 1, lo, hi));
            EXPECT_EQ(-77.0, lo);
            ASSERT_TRUE(ColumnMinMax(values.data(), missing.data(), 2, 2 + n - 1, lo, hi));
            EXPECT_EQ(-77.0, lo);
        }
    }
}

TEST(CurveColumnsTest, ReversedRangeHoldsNothing)
{
    const double values[] = {1.0, 2.0};
    KstColumnExtent extent{};
    double lo = 0.0;
    double hi = 0.0;
    EXPECT_FALSE(ReduceColumn(values, nullptr, 1, 0, extent));
    EXPECT_FALSE(ColumnMinMax(values, nullptr, 1, 0, lo, hi));
}

// A logarithmic axis sends every value <= 0 to one floor far below; within a column that holds
// values on both sides of 0 the smallest positive value decides the lower end.
TEST(CurveColumnsTest, LogarithmicExtremesFollowTheFloorAndTheSmallestPositiveValue)
{
    const double kFloor = -1000.0;
    auto log10OrFloor = [kFloor](double v) { return v > 0.0 ? std::log10(v) : kFloor; };
    struct Case {
        const char* name;
        std::vector<double> values;
        std::vector<uint8_t> missing;
        double minimum;
        double maximum;
    };
    const Case cases[] = {
        {"all positive", {10, 1000, 100}, {}, 1.0, 3.0},
        {"all non-positive", {0, -5, -1}, {}, kFloor, kFloor},
        {"both sides", {-5, 100, 0.01, 10}, {}, kFloor, 2.0},
        {"both sides, smallest positive flagged", {-5, 0.01, 10}, {0, 1, 0}, kFloor, 1.0},
        {"a tiny positive value above the floor", {1e-300, 0.0, 1e5}, {}, kFloor, 5.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint8_t* missing = c.missing.empty() ? nullptr : c.missing.data();
        const uint32_t last = static_cast<uint32_t>(c.values.size() - 1);
        double rawMin = 0.0;
        double rawMax = 0.0;
        ASSERT_TRUE(ColumnMinMax(c.values.data(), missing, 0, last, rawMin, rawMax));
        double minimum = 0.0;
        double maximum = 0.0;
        TransformColumnExtremes(c.values.data(), missing, 0, last, rawMin, rawMax, kFloor,
                                log10OrFloor, minimum, maximum);
        EXPECT_DOUBLE_EQ(c.minimum, minimum);
        EXPECT_DOUBLE_EQ(c.maximum, maximum);
    }

    // With a floor above the logarithm of a tiny positive value, that value is the minimum.
    const double tiny[] = {-1.0, 1e-300, 10.0};
    double minimum = 0.0;
    double maximum = 0.0;
    TransformColumnExtremes(tiny, nullptr, 0, 2, -1.0, 10.0, -50.0, log10OrFloor, minimum, maximum);
    EXPECT_DOUBLE_EQ(-300.0, minimum);
    EXPECT_DOUBLE_EQ(1.0, maximum);
}

}  // namespace
