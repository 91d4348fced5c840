#include "data/IntegerScaling.h"

#include "data/Channel.h"
#include "foundation/ErrorCodes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

uint32_t BitWidth(uint32_t levels)
{
    uint32_t b = 1;
    while (b < 32 && (uint64_t{1} << b) < levels) {
        ++b;
    }
    return b;
}

// Packs codes of `bits` bits most significant bit first, as the container stores them.
std::vector<uint8_t> Pack(const std::vector<int64_t>& codes, uint32_t bits)
{
    std::vector<uint8_t> bytes((codes.size() * bits + 7) / 8, 0);
    size_t bit = 0;
    for (int64_t code : codes) {
        for (uint32_t k = bits; k-- > 0; ++bit) {
            if ((static_cast<uint64_t>(code) >> k) & 1) {
                bytes[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
            }
        }
    }
    return bytes;
}

// Quantises the entries with a direct fit and decodes them through the channel's packed reader.
std::vector<double> RoundTripDirect(const std::vector<double>& e, double scale, double offset,
                                    uint32_t levels)
{
    std::vector<int64_t> codes;
    for (double x : e) {
        codes.push_back(KstGridCode(x, scale, offset));
        EXPECT_GE(codes.back(), 0);
        EXPECT_LT(codes.back(), static_cast<int64_t>(levels));
    }
    const uint32_t bits = BitWidth(levels);
    const std::vector<uint8_t> bytes = Pack(codes, bits);
    CKSTChannel c;
    EXPECT_EQ(c.ReadPackedValues(bytes.data(), bytes.size(), static_cast<uint32_t>(e.size()), bits,
                                 scale, offset, false, 0.0),
              KST_OK);
    return std::vector<double>(c.GetValues(), c.GetValues() + c.GetCount());
}

// The same for a difference fit: the differences are coded, the reader forms the running sum.
std::vector<double> RoundTripDifferences(const std::vector<double>& e, double scale, double offset,
                                         uint32_t levels)
{
    std::vector<int64_t> codes;
    for (size_t i = 0; i + 1 < e.size(); ++i) {
        codes.push_back(KstGridCode(e[i + 1] - e[i], scale, offset));
        EXPECT_GE(codes.back(), 0);
        EXPECT_LT(codes.back(), static_cast<int64_t>(levels));
    }
    const uint32_t bits = BitWidth(levels);
    const std::vector<uint8_t> bytes = Pack(codes, bits);
    CKSTChannel c;
    EXPECT_EQ(c.ReadPackedValues(bytes.data(), bytes.size(), static_cast<uint32_t>(codes.size()),
                                 bits, scale, offset, true, e[0]),
              KST_OK);
    return std::vector<double>(c.GetValues(), c.GetValues() + c.GetCount());
}

void ExpectClose(const std::vector<double>& got, const std::vector<double>& want, double tol)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i], want[i], tol) << "entry " << i;
    }
}

struct GridCase {
    const char* name;
    std::vector<double> entries;
    bool fits;
    double scale;
    double offset;
    uint32_t levels;
};

TEST(IntegerScaling, DirectFitOverConstantsStepsAndRefinements)
{
    const GridCase cases[] = {
        {"constant", {2.5, 2.5, 2.5}, true, 1.0, 2.5, 1},
        {"single entry", {-4.0}, true, 1.0, -4.0, 1},
        {"steps", {0.0, 0.0, 1.0, 1.0, 3.0}, true, 1.0, 0.0, 4},
        {"negative offset", {-2.0, -1.5, -1.0, 0.5}, true, 0.5, -2.0, 6},
        // Smallest step 0.4 gives 3 intervals of 1/3: 0.4 is off that grid, halving it fits.
        {"refined by 2", {0.0, 0.4, 1.0}, true, 0.2, 0.0, 6},
        {"refined, half rounds up", {0.0, 1.0, 2.5}, true, 0.5, 0.0, 6},
        {"largest code", {0.0, 1.0, 2147483646.0}, true, 1.0, 0.0, 2147483647u},
        // One more level would need code 2147483647, which the writer clamps away.
        {"code beyond the writer's clamp", {0.0, 1.0, 2147483647.0}, false, 0, 0, 0},
        {"span over minimum step too large", {0.0, 1e-10, 1.0}, false, 0, 0, 0},
        {"NaN", {0.0, kNaN, 1.0}, false, 0, 0, 0},
        {"infinity", {0.0, 1.0, kInf}, false, 0, 0, 0},
        {"only infinities", {-kInf, -kInf}, false, 0, 0, 0},
        {"span overflows", {-1e308, 1e308}, false, 0, 0, 0},
        {"no grid within 100 refinements",
         {0.0, 1.0, 1.0 + std::sqrt(2.0) / 1000.0},
         false,
         0,
         0,
         0},
        {"empty", {}, false, 0, 0, 0},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.name);
        double scale = -1.0;
        double offset = -1.0;
        uint32_t levels = 99;
        const bool fits =
            KstFitIntegerGrid(c.entries.data(), c.entries.size(), scale, offset, levels);
        ASSERT_EQ(fits, c.fits);
        EXPECT_DOUBLE_EQ(scale, c.scale);
        EXPECT_DOUBLE_EQ(offset, c.offset);
        EXPECT_EQ(levels, c.levels);
        if (fits && levels < 100000) {
            ExpectClose(RoundTripDirect(c.entries, scale, offset, levels), c.entries, scale * 1e-8);
        }
    }
}

TEST(IntegerScaling, DifferenceFitDecodesThroughTheRunningSum)
{
    const GridCase cases[] = {
        {"ramp", {0.0, 1.0, 2.0, 3.0, 4.0}, true, 1.0, 1.0, 1},
        {"constant entries", {7.0, 7.0, 7.0}, true, 1.0, 0.0, 1},
        // Equal differences that are not whole numbers: the scale is the difference itself so
        // that the reader's bias round(-offset / scale) is exact.
        {"fractional constant step", {0.0, 0.25, 0.5, 0.75}, true, 0.25, 0.25, 1},
        {"falling constant step", {10.0, 9.5, 9.0, 8.5}, true, 0.5, -0.5, 1},
        // Smallest difference 0.5 on a grid of 1.0 would decode as 1.0; the step is refined so
        // that the grid passes through zero.
        {"offset off the grid", {0.0, 0.5, 2.0, 2.5, 4.0}, true, 0.5, 0.5, 3},
        {"mixed signs", {0.0, 2.0, 1.0, 4.0, 3.0}, true, 1.0, -1.0, 5},
        {"single entry", {1.0}, false, 0, 0, 0},
        {"NaN", {0.0, 1.0, kNaN, 3.0}, false, 0, 0, 0},
        {"infinite first entry", {kInf, 1.0, 2.0}, false, 0, 0, 0},
        {"difference overflows", {-1e308, 1e308, 0.0}, false, 0, 0, 0},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.name);
        double scale = -1.0;
        double offset = -1.0;
        uint32_t levels = 99;
        const bool fits = KstFitIntegerGridOfDifferences(c.entries.data(), c.entries.size(), scale,
                                                         offset, levels);
        ASSERT_EQ(fits, c.fits);
        EXPECT_DOUBLE_EQ(scale, c.scale);
        EXPECT_DOUBLE_EQ(offset, c.offset);
        EXPECT_EQ(levels, c.levels);
        if (fits) {
            ExpectClose(RoundTripDifferences(c.entries, scale, offset, levels), c.entries,
                        scale * 1e-8);
        }
    }
}

TEST(IntegerScaling, RandomConverterDataFitsAndRandomDoublesDoNot)
{
    std::mt19937 random(12345);
    // A 12-bit converter: codes times a binary fraction plus an offset.
    std::vector<double> adc;
    for (int i = 0; i < 5000; ++i) {
        adc.push_back(static_cast<double>(random() % 4096) * (20.0 / 4096.0) - 10.0);
    }
    double scale = 0.0;
    double offset = 0.0;
    uint32_t levels = 0;
    ASSERT_TRUE(KstFitIntegerGrid(adc.data(), adc.size(), scale, offset, levels));
    EXPECT_LE(levels, 4096u);
    EXPECT_DOUBLE_EQ(scale, 20.0 / 4096.0);
    ExpectClose(RoundTripDirect(adc, scale, offset, levels), adc, 0.0);

    std::vector<double> walk{0.0};
    for (int i = 1; i < 5000; ++i) {
        walk.push_back(walk.back() +
                       static_cast<double>(static_cast<int>(random() % 7) - 3) * 0.125);
    }
    ASSERT_TRUE(KstFitIntegerGridOfDifferences(walk.data(), walk.size(), scale, offset, levels));
    EXPECT_EQ(levels, 7u);
    ExpectClose(RoundTripDifferences(walk, scale, offset, levels), walk, 0.0);

    std::vector<double> noise;
    for (int i = 0; i < 5000; ++i) {
        noise.push_back(static_cast<double>(random()) / 4294967296.0 * 3.7 + 1e-3 * i);
    }
    EXPECT_FALSE(KstFitIntegerGrid(noise.data(), noise.size(), scale, offset, levels));
    EXPECT_EQ(levels, 0u);
    EXPECT_FALSE(KstFitIntegerGridOfDifferences(noise.data(), noise.size(), scale, offset, levels));
}

TEST(IntegerScaling, ChannelRangesOfValuesAndTimes)
{
    CKSTChannel c;
    for (int i = 0; i < 10; ++i) {
        c.AppendTimeValue(0.5 * i, i < 5 ? 1.0 : 0.1 * i);
    }
    double scale = 0.0;
    double offset = 0.0;
    uint32_t levels = 0;
    // The first five values are equal; the range stops before the others.
    ASSERT_TRUE(c.GetIntegerScaling(scale, offset, levels, 0, 5));
    EXPECT_EQ(levels, 1u);
    EXPECT_EQ(offset, 1.0);
    // The end is clamped to the channel.
    ASSERT_TRUE(c.GetTimeIntegerScaling(scale, offset, levels, 2, 1000));
    EXPECT_EQ(offset, 1.0);
    EXPECT_DOUBLE_EQ(scale, 0.5);
    EXPECT_EQ(levels, 8u);
    ASSERT_TRUE(c.GetTimeDifferenceIntegerScaling(scale, offset, levels, 0, 10));
    EXPECT_EQ(offset, 0.5);
    EXPECT_EQ(levels, 1u);
    EXPECT_FALSE(c.GetDifferenceIntegerScaling(scale, offset, levels, 3, 4));
    EXPECT_FALSE(c.GetIntegerScaling(scale, offset, levels, 10, 12));

    CKSTChannel equidistant;
    equidistant.AppendValue(3.0, false);
    EXPECT_FALSE(equidistant.GetTimeIntegerScaling(scale, offset, levels, 0, 1));
    EXPECT_FALSE(CKSTChannel().GetIntegerScaling(scale, offset, levels, 0, 1));
}

}  // namespace

namespace {

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(IntegerScaling, QuantiserGivesTheCodesOfKstGridCode)
{
    const struct {
        double scale;
        double offset;
    } grids[] = {{0.25, 0.0}, {0.1, -3.0}, {3.0, 1.0}, {1e-9, 5.0}, {0.0, 1.0}, {-0.5, 0.0}};
    std::vector<double> xs = {0.0,  -0.0, 0.5,    -0.5,   1.5,   2.5, 0.49999999999999994,
                              1e12, -1e12, 3e9,   -3e9,   kNaN,  kInf, -kInf};
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> uniform(-1e4, 1e4);
    for (int i = 0; i < 2000; ++i) {
        xs.push_back(uniform(random));
    }
    for (const auto& g : grids) {
        const KstGridQuantiser quantise(g.scale, g.offset);
        std::vector<double> cases = xs;
        // Exact halves and their neighbours on this grid, where the rounding is decided.
        for (int k = -5; k <= 5; ++k) {
            const double half = (k + 0.5) * g.scale + g.offset;
            cases.insert(cases.end(), {half, std::nextafter(half, kInf), std::nextafter(half, -kInf)});
        }
        for (double x : cases) {
            EXPECT_EQ(quantise(x), KstGridCode(x, g.scale, g.offset))
                << "x " << x << " scale " << g.scale << " offset " << g.offset;
        }
    }
}

// A scan joined from the scans of consecutive runs is the scan of the whole, the sign of a zero
// extreme included (the first of equal extremes counts), and the fewest levels bound the fit.
TEST(IntegerScaling, ScansJoinAndBoundTheFit)
{
    std::mt19937_64 random(9);
    std::vector<std::vector<double>> runs = {
        {0.0, -0.0, 3.0, 1.0, 0.0, 2.0, 5.0, 4.0, -0.0},
        {-0.0, 0.0, -0.0, 0.0, 0.0},
        {2.0, 2.0, 2.0},
        {1.0, kNaN, 2.0, 3.0, 4.0, 5.0},
    };
    std::vector<double> codes;
    for (int i = 0; i < 1000; ++i) {
        codes.push_back(static_cast<double>(random() % 4096) * 0.25 - 10.0);
    }
    runs.push_back(codes);
    for (const std::vector<double>& run : runs) {
        const KstGridScan whole = KstScanGrid(run.data(), run.size());
        for (size_t cut = 1; cut < run.size(); ++cut) {
            const KstGridScan joined = KstJoinGridScans(
                KstScanGrid(run.data(), cut), KstScanGrid(run.data() + cut, run.size() - cut),
                run[cut - 1], run[cut]);
            ASSERT_EQ(joined.finite, whole.finite) << cut;
            if (whole.finite) {
                ASSERT_TRUE(SameBits(joined.min, whole.min)) << cut;
                ASSERT_TRUE(SameBits(joined.max, whole.max)) << cut;
                ASSERT_EQ(joined.minStep, whole.minStep) << cut;
            }
        }
        double scale = 0.0;
        double offset = 0.0;
        uint32_t levels = 0;
        const bool fits = KstFitIntegerGrid(run.data(), run.size(), scale, offset, levels);
        EXPECT_EQ(fits, whole.finite);
        if (fits) {
            // The sequential minimum: a leading +0 stays +0 despite the -0 after it.
            EXPECT_TRUE(SameBits(offset, whole.min));
            EXPECT_GE(levels, KstFewestGridLevels(whole));
            EXPECT_GT(KstFewestGridLevels(whole), 0u);
        } else {
            EXPECT_EQ(KstFewestGridLevels(whole), 0u);
        }
    }
    EXPECT_TRUE(SameBits(KstScanGrid(runs[0].data(), runs[0].size()).min, 0.0));
    EXPECT_TRUE(SameBits(KstScanGrid(runs[1].data(), runs[1].size()).max, -0.0));
}

// The scan one entry after another, as its declaration describes it, against the one the fits
// use, over every length around its unrolled loops and entries that test each of its parts.
KstGridScan PlainScan(const std::vector<double>& e)
{
    KstGridScan scan;
    for (size_t i = 0; i < e.size(); ++i) {
        scan.finite = scan.finite && std::isfinite(e[i]);
        scan.min = e[i] < scan.min ? e[i] : scan.min;
        scan.max = e[i] > scan.max ? e[i] : scan.max;
        if (i > 0) {
            const double d = std::fabs(e[i] - e[i - 1]);
            if (d > 1e-12 * std::max(std::fabs(e[i]), std::fabs(e[i - 1])) && d < scan.minStep) {
                scan.minStep = d;
            }
        }
    }
    return scan;
}

TEST(IntegerScaling, ScanMatchesTheEntryByEntryScan)
{
    std::mt19937_64 random(31);
    const double pool[] = {0.0,   -0.0,   1.0,    -1.0, 1.0 + 1e-15, 3.5, -7.25,
                           1e300, -1e300, 1e-300, kInf, -kInf,       kNaN};
    for (int round = 0; round < 400; ++round) {
        const size_t n = round % 41;
        std::vector<double> entries(n);
        const bool withSpecials = round % 3 == 0;
        for (double& e : entries) {
            e = pool[random() % (withSpecials ? std::size(pool) : std::size(pool) - 3)];
        }
        std::vector<double> differences;
        for (size_t i = 0; i + 1 < n; ++i) {
            differences.push_back(entries[i + 1] - entries[i]);
        }
        const KstGridScan scans[] = {KstScanGrid(entries.data(), n),
                                     KstScanGridOfDifferences(entries.data(), n)};
        const KstGridScan expected[] = {PlainScan(entries), PlainScan(differences)};
        for (int k = 0; k < 2; ++k) {
            SCOPED_TRACE(::testing::Message() << "round " << round << (k ? " differences" : ""));
            ASSERT_EQ(scans[k].finite, expected[k].finite);
            if (expected[k].finite) {
                EXPECT_TRUE(SameBits(scans[k].min, expected[k].min));
                EXPECT_TRUE(SameBits(scans[k].max, expected[k].max));
                EXPECT_TRUE(SameBits(scans[k].minStep, expected[k].minStep));
            }
        }
    }
}

// The exact flag: a grid within the tolerance that does not give back the bits is no exact fit.
TEST(IntegerScaling, ExactFlagTellsBitForBitDecoding)
{
    const struct {
        const char* name;
        std::vector<double> entries;
        bool exact;
        bool differencesExact;
    } cases[] = {
        {"quarter codes", {0.25, 1.0, 0.5, 2.75}, true, true},
        {"tenths drift off their bits", {0.1, 0.2, 0.30000000000000004, 0.7}, false, false},
        {"equal up to a zero's sign", {0.0, -0.0, 0.0}, false, false},
        {"constant", {4.0, 4.0, 4.0}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t n = c.entries.size();
        double scale = 0.0;
        double offset = 0.0;
        uint32_t levels = 0;
        bool exact = !c.exact;
        ASSERT_TRUE(KstFitScannedGrid(c.entries.data(), n, KstScanGrid(c.entries.data(), n),
                                      scale, offset, levels, &exact));
        EXPECT_EQ(exact, c.exact);
        exact = !c.differencesExact;
        ASSERT_TRUE(KstFitScannedGridOfDifferences(c.entries.data(), n,
                                                   KstScanGridOfDifferences(c.entries.data(), n),
                                                   scale, offset, levels, &exact));
        EXPECT_EQ(exact, c.differencesExact);
    }
}

}  // namespace
