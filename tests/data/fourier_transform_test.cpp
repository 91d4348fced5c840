#include "data/FourierTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

// Bin k of the transform of n interleaved complex numbers, summed directly (sign -1 forward).
void DirectBin(const std::vector<double>& x, size_t n, size_t k, double sign, double& re,
               double& im)
{
    re = 0.0;
    im = 0.0;
    for (size_t j = 0; j < n; ++j) {
        const double angle = sign * 2.0 * kPi * static_cast<double>((j * k) % n) / n;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        re += x[2 * j] * c - x[2 * j + 1] * s;
        im += x[2 * j] * s + x[2 * j + 1] * c;
    }
}

std::vector<size_t> BinsToCheck(size_t n)
{
    std::vector<size_t> bins = {0, 1, n / 2, n - 1, n / 3, n / 4 + 1, (3 * n) / 4, n / 7};
    std::mt19937_64 random(n);
    for (int i = 0; i < 8; ++i) {
        bins.push_back(random());
    }
    for (size_t& k : bins) {
        k %= n;
    }
    return bins;
}

// Lengths with and without a radix-2 stage, and ones long enough for the stages whose twiddles
// are formed on the fly.
TEST(FourierTransform, ComplexTransformsMatchDirectSumsBothWays)
{
    for (size_t n : {1u, 2u, 4u, 8u, 16u, 32u, 128u, 1024u, 32768u, 65536u}) {
        SCOPED_TRACE(n);
        std::mt19937_64 random(n + 1);
        std::uniform_real_distribution<double> uniform(-1.0, 1.0);
        std::vector<double> x(2 * n);
        for (double& v : x) {
            v = uniform(random);
        }
        const kst_fft::Plan plan(n);
        std::vector<double> forward = x;
        plan.Forward(forward.data());
        std::vector<double> re(n);
        std::vector<double> im(n);
        plan.Forward(x.data(), re.data(), im.data());
        std::vector<double> inverse = x;
        plan.Inverse(inverse.data());
        const double tolerance = 1e-12 * std::sqrt(static_cast<double>(n)) * n;
        for (size_t k : BinsToCheck(n)) {
            double expectedRe = 0.0;
            double expectedIm = 0.0;
            DirectBin(x, n, k, -1.0, expectedRe, expectedIm);
            EXPECT_NEAR(forward[2 * k], expectedRe, tolerance) << "bin " << k;
            EXPECT_NEAR(forward[2 * k + 1], expectedIm, tolerance) << "bin " << k;
            EXPECT_EQ(re[k], forward[2 * k]) << "bin " << k;
            EXPECT_EQ(im[k], forward[2 * k + 1]) << "bin " << k;
            DirectBin(x, n, k, 1.0, expectedRe, expectedIm);
            EXPECT_NEAR(inverse[2 * k], expectedRe, tolerance) << "bin " << k;
            EXPECT_NEAR(inverse[2 * k + 1], expectedIm, tolerance) << "bin " << k;
        }
        // Forwards and back gives n times the input.
        plan.Inverse(forward.data());
        for (size_t j = 0; j < 2 * n; ++j) {
            ASSERT_NEAR(forward[j] / n, x[j], 1e-12) << j;
        }
    }
}

TEST(FourierTransform, RealTransformMatchesTheComplexOneAndKeepsItsInput)
{
    for (size_t n : {4u, 8u, 64u, 2048u, 131072u}) {
        SCOPED_TRACE(n);
        std::mt19937_64 random(n);
        std::uniform_real_distribution<double> uniform(-1.0, 1.0);
        std::vector<double> values(n);
        std::vector<double> complex(2 * n, 0.0);
        for (size_t j = 0; j < n; ++j) {
            values[j] = uniform(random);
            complex[2 * j] = values[j];
        }
        const std::vector<double> input = values;
        std::vector<double> re(n / 2 + 1);
        std::vector<double> im(n / 2 + 1);
        kst_fft::RealForward(values.data(), n, re.data(), im.data());
        EXPECT_EQ(values, input);
        kst_fft::Plan(n).Forward(complex.data());
        for (size_t k = 0; k <= n / 2; ++k) {
            ASSERT_NEAR(re[k], complex[2 * k], 1e-9) << "bin " << k;
            ASSERT_NEAR(im[k], complex[2 * k + 1], 1e-9) << "bin " << k;
        }
    }
}

// Uniform in [-1, 1) from integers alone, so that every platform transforms the same values.
std::vector<double> Signal(size_t count, uint64_t seed)
{
    std::mt19937_64 random(seed);
    std::vector<double> x(count);
    for (double& v : x) {
        v = static_cast<double>(random() >> 11) * 0x1.0p-52 - 1.0;
    }
    return x;
}

// Every power of two up to 2^20: every bin against the direct sum while that is cheap, chosen
// bins after, and always forwards and back to n times the input.
TEST(FourierTransform, EveryLengthMatchesTheDirectSumBothWays)
{
    for (unsigned bits = 0; bits <= 20; ++bits) {
        const size_t n = size_t{1} << bits;
        SCOPED_TRACE(n);
        const std::vector<double> x = Signal(2 * n, n + 5);
        const kst_fft::Plan plan(n);
        std::vector<double> forward = x;
        plan.Forward(forward.data());
        std::vector<double> inverse = x;
        plan.Inverse(inverse.data());
        std::vector<size_t> bins;
        if (n <= 512) {
            for (size_t k = 0; k < n; ++k) {
                bins.push_back(k);
            }
        } else if (n <= 65536) {
            bins = BinsToCheck(n);
        }
        const double tolerance = 1e-13 * std::sqrt(static_cast<double>(n)) * (bits + 1);
        for (size_t k : bins) {
            double expectedRe = 0.0;
            double expectedIm = 0.0;
            DirectBin(x, n, k, -1.0, expectedRe, expectedIm);
            ASSERT_NEAR(forward[2 * k], expectedRe, tolerance) << "bin " << k;
            ASSERT_NEAR(forward[2 * k + 1], expectedIm, tolerance) << "bin " << k;
            DirectBin(x, n, k, 1.0, expectedRe, expectedIm);
            ASSERT_NEAR(inverse[2 * k], expectedRe, tolerance) << "bin " << k;
            ASSERT_NEAR(inverse[2 * k + 1], expectedIm, tolerance) << "bin " << k;
        }
        plan.Inverse(forward.data());
        for (size_t j = 0; j < 2 * n; ++j) {
            ASSERT_NEAR(forward[j] / n, x[j], 1e-13 * (bits + 1)) << j;
        }
    }
}

// The real transform of every power-of-two length, one and two values included, bin by bin
// against the complex transform of the same values, and against the direct sum while cheap.
TEST(FourierTransform, RealTransformOfEveryLength)
{
    for (unsigned bits = 0; bits <= 20; ++bits) {
        const size_t n = size_t{1} << bits;
        SCOPED_TRACE(n);
        const std::vector<double> values = Signal(n, n + 7);
        std::vector<double> complex(2 * n, 0.0);
        for (size_t j = 0; j < n; ++j) {
            complex[2 * j] = values[j];
        }
        std::vector<double> re(n / 2 + 1, 99.0);
        std::vector<double> im(n / 2 + 1, 99.0);
        kst_fft::RealForward(values.data(), n, re.data(), im.data());
        const std::vector<double> direct = complex;
        kst_fft::Plan(n).Forward(complex.data());
        const double tolerance = 1e-13 * std::sqrt(static_cast<double>(n)) * (bits + 1);
        for (size_t k = 0; k <= n / 2; ++k) {
            ASSERT_NEAR(re[k], complex[2 * k], tolerance) << "bin " << k;
            ASSERT_NEAR(im[k], complex[2 * k + 1], tolerance) << "bin " << k;
            if (n <= 512) {
                double expectedRe = 0.0;
                double expectedIm = 0.0;
                DirectBin(direct, n, k, -1.0, expectedRe, expectedIm);
                ASSERT_NEAR(re[k], expectedRe, tolerance) << "bin " << k;
                ASSERT_NEAR(im[k], expectedIm, tolerance) << "bin " << k;
            }
        }
    }
}

enum Kind { kReal, kForward, kInverse };

struct PreviousResult {
    unsigned bits;
    Kind kind;
    size_t bin;
    double re;
    double im;
};

// Bins of long transforms of Signal() as the plain radix-4 transform that came before the
// vectorised one gave them: the real one of Signal(n, n), the complex ones of
// Signal(2n, n) forwards and Signal(2n, n + 1) backwards.
const PreviousResult kPreviousResults[] = {
    {17, kReal, 0, 33.232490054791626, 0},
    {17, kReal, 1, -31.58380197499401, 365.07553630155411},
    {17, kReal, 16384, 67.428579689131681, 71.021199510012039},
    {17, kReal, 32767, -157.28807730871816, -95.979214315196813},
    {17, kReal, 32768, 166.89824834633563, -278.68790030173415},
    {17, kReal, 65536, -60.615744107449999, -0},
    {17, kReal, 29993, -148.39621364617466, 40.738988847981176},
    {17, kReal, 22726, 257.73626146179333, -174.14031960077008},
    {17, kReal, 29965, 38.77991038075794, 33.765512747590392},
    {17, kReal, 13874, 208.7049773025939, -11.868948889184651},
    {18, kReal, 0, 195.40210314292398, 0},
    {18, kReal, 1, 172.66977362650752, -6.6302486358061827},
    {18, kReal, 32768, -264.24229103823723, -372.98561888102336},
    {18, kReal, 65535, -263.44028821585283, 118.31400500191434},
    {18, kReal, 65536, 96.05781533768365, 64.175504624775087},
    {18, kReal, 131072, -122.85281163863948, -0},
    {18, kReal, 47958, 171.26065505291785, -276.79097402322378},
    {18, kReal, 125728, 9.6800635592232656, -0.31442369870686093},
    {18, kReal, 92960, 361.97691323210739, -19.33508142395894},
    {18, kReal, 111409, 279.46753701506987, 244.73174651677357},
    {19, kReal, 0, 766.97762942167083, 0},
    {19, kReal, 1, -515.79700656118393, 214.97789603191535},
    {19, kReal, 65536, 513.0635221462195, -169.37370525280789},
    {19, kReal, 131071, 112.34188010730762, 240.3412462648395},
    {19, kReal, 131072, -157.96572584779952, 281.68270642308073},
    {19, kReal, 262144, -165.17593010107265, -0},
    {19, kReal, 77422, -142.170114743379, 137.85001132397468},
    {19, kReal, 23650, -181.98647990367351, 84.345889245715469},
    {19, kReal, 254479, -79.549174384288989, 414.2692001295751},
    {19, kReal, 250415, -2.5573994864412271, -76.860973592196956},
    {20, kReal, 0, 1108.1992647345073, 0},
    {20, kReal, 1, 130.50896350984311, 32.113889670300551},
    {20, kReal, 131072, 183.95727684709539, -310.46133897036202},
    {20, kReal, 262143, -119.62771065479494, -446.40291883381417},
    {20, kReal, 262144, -722.01234398412601, 442.61149700290611},
    {20, kReal, 524288, 339.05327352561579, -0},
    {20, kReal, 359749, -386.36457340899744, -426.7657598507493},
    {20, kReal, 308691, -258.81751229314904, -655.43779376797409},
    {20, kReal, 80667, -91.659266096529734, 238.50295358995928},
    {20, kReal, 125627, 130.913691273593, 186.70558793601936},
    {16, kForward, 0, 51.755979988348223, -11.617563204658147},
    {16, kForward, 1, -17.573996726134212, 85.947809942739539},
    {16, kForward, 16384, 124.70247705366458, 253.33409275334108},
    {16, kForward, 32767, -172.22614181469453, -181.37644634908995},
    {16, kForward, 32768, 136.37196445874045, 22.466815792131733},
    {16, kForward, 65535, -72.734571773271725, -111.15289519225345},
    {16, kForward, 7898, -94.549584339548943, 8.5744438622910621},
    {16, kForward, 53215, 67.853928552380097, 1.0110294626719067},
    {16, kForward, 64606, -16.973346039362696, -135.06060731211383},
    {16, kForward, 29839, -57.107959782085615, 174.85394003750781},
    {16, kInverse, 0, 52.958486909561174, 79.794836172427424},
    {16, kInverse, 1, 31.663069953429989, 29.028479200843258},
    {16, kInverse, 16384, -165.29647128373347, -11.99472164057018},
    {16, kInverse, 32767, 77.103579912550686, 179.66332598860853},
    {16, kInverse, 32768, 37.107428073982547, -137.47855421821981},
    {16, kInverse, 65535, 107.34608609675814, -39.230696472652113},
    {16, kInverse, 7898, 88.549073577631731, -326.31852991830465},
    {16, kInverse, 53215, -186.02012536241165, -97.107306951927683},
    {16, kInverse, 64606, 230.18834515486756, 20.796481789161561},
    {16, kInverse, 29839, 166.45612070482375, 121.04299415462668},
    {20, kForward, 0, 899.74737679888722, 762.26699138892354},
    {20, kForward, 1, -321.96617388088725, -245.7803657161281},
    {20, kForward, 262144, -271.03827823215011, -913.28920170856804},
    {20, kForward, 524287, 742.67741339489953, -684.01303570768937},
    {20, kForward, 524288, -1110.0703060154146, -571.60884067660481},
    {20, kForward, 1048575, -298.67884102516604, 762.23646920099486},
    {20, kForward, 414924, -219.18537706340493, -508.47520959854961},
    {20, kForward, 237054, 374.39481959842396, 634.78120321106712},
    {20, kForward, 772932, 189.91996142480929, -219.95036044078506},
    {20, kForward, 437978, -3.0131118698299701, -110.00470038358327},
    {20, kInverse, 0, 621.4576421935601, -1155.6084945547457},
    {20, kInverse, 1, -275.20732282187606, -462.68312246036453},
    {20, kInverse, 262144, 595.80188569960842, 135.55206469476593},
    {20, kInverse, 524287, -755.23442921455398, -945.25607129048421},
    {20, kInverse, 524288, 213.16509269091364, -248.86513219080962},
    {20, kInverse, 1048575, 435.67397232238977, -1738.4711657996972},
    {20, kInverse, 414924, -683.41386562962452, 588.60673511806476},
    {20, kInverse, 237054, -217.8154532551923, 1251.4053125374639},
    {20, kInverse, 772932, -408.18508918114202, -300.50572154789143},
    {20, kInverse, 437978, 398.38799495691524, 608.74001317942918},
};

// The transform of one length and kind, as the table's rows give them.
void Transform(unsigned bits, Kind kind, std::vector<double>& re, std::vector<double>& im)
{
    const size_t n = size_t{1} << bits;
    if (kind == kReal) {
        const std::vector<double> values = Signal(n, n);
        re.assign(n / 2 + 1, 0.0);
        im.assign(n / 2 + 1, 0.0);
        kst_fft::RealForward(values.data(), n, re.data(), im.data());
        return;
    }
    std::vector<double> x = Signal(2 * n, kind == kForward ? n : n + 1);
    const kst_fft::Plan plan(n);
    if (kind == kForward) {
        plan.Forward(x.data());
    } else {
        plan.Inverse(x.data());
    }
    re.resize(n);
    im.resize(n);
    for (size_t k = 0; k < n; ++k) {
        re[k] = x[2 * k];
        im[k] = x[2 * k + 1];
    }
}

TEST(FourierTransform, LongTransformsKeepThePreviousResults)
{
    std::vector<double> re;
    std::vector<double> im;
    const PreviousResult* computed = nullptr;
    for (const PreviousResult& expected : kPreviousResults) {
        if (computed == nullptr || computed->bits != expected.bits ||
            computed->kind != expected.kind) {
            Transform(expected.bits, expected.kind, re, im);
            computed = &expected;
        }
        SCOPED_TRACE(testing::Message() << "2^" << expected.bits << " kind " << expected.kind);
        EXPECT_NEAR(re[expected.bin], expected.re, 1e-9) << "bin " << expected.bin;
        EXPECT_NEAR(im[expected.bin], expected.im, 1e-9) << "bin " << expected.bin;
    }
}

// Plans of one length share their tables, which the first of several threads builds: threads
// starting at once, on 2^21 too, which no other test uses, get what one thread alone gets.
TEST(FourierTransform, ThreadsSharingPlansGetTheSameResults)
{
    const std::vector<size_t> lengths = {size_t{1} << 21, size_t{1} << 11, 16};
    // results[t][i]: thread t's transform of length i; each thread takes them in its own order.
    std::vector<std::vector<std::vector<double>>> results(
        4, std::vector<std::vector<double>>(lengths.size()));
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] {
            for (size_t j = 0; j < lengths.size(); ++j) {
                const size_t i = (j + t) % lengths.size();
                std::vector<double> x = Signal(2 * lengths[i], lengths[i]);
                kst_fft::Plan(lengths[i]).Forward(x.data());
                results[t][i] = std::move(x);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (size_t i = 0; i < lengths.size(); ++i) {
        std::vector<double> alone = Signal(2 * lengths[i], lengths[i]);
        kst_fft::Plan(lengths[i]).Forward(alone.data());
        for (size_t t = 0; t < results.size(); ++t) {
            ASSERT_EQ(results[t][i], alone) << "thread " << t << " length " << lengths[i];
        }
    }
}

// The transform has no way of its own for other lengths; it must neither write past the arrays
// of such a length nor leave partial results in them.
TEST(FourierTransform, LengthsThatAreNoPowerOfTwoAreLeftAlone)
{
    for (size_t n : {0u, 3u, 6u, 12u, 24u, 1000u, 1023u}) {
        SCOPED_TRACE(n);
        const std::vector<double> x = Signal(2 * n, n);
        const kst_fft::Plan plan(n);
        std::vector<double> data = x;
        plan.Forward(data.data());
        EXPECT_EQ(data, x);
        plan.Inverse(data.data());
        EXPECT_EQ(data, x);
        std::vector<double> re(n, 7.0);
        std::vector<double> im(n, 7.0);
        plan.Forward(x.data(), re.data(), im.data());
        EXPECT_EQ(re, std::vector<double>(n, 7.0));
        EXPECT_EQ(im, std::vector<double>(n, 7.0));
        std::vector<double> realRe(n / 2 + 1, 7.0);
        std::vector<double> realIm(n / 2 + 1, 7.0);
        kst_fft::RealForward(x.data(), n, realRe.data(), realIm.data());
        EXPECT_EQ(realRe, std::vector<double>(n / 2 + 1, 7.0));
        EXPECT_EQ(realIm, std::vector<double>(n / 2 + 1, 7.0));
    }
}

TEST(FourierTransform, TwiddlesForAnyLength)
{
    for (size_t n : {1u, 3u, 1000u, 1023u, 4096u}) {
        const kst_fft::Twiddles twiddles(n);
        for (size_t k = 0; k <= n; ++k) {
            double re = 0.0;
            double im = 0.0;
            twiddles.At(k, re, im);
            ASSERT_NEAR(re, std::cos(2.0 * kPi * k / n), 4e-15) << n << " " << k;
            ASSERT_NEAR(im, -std::sin(2.0 * kPi * k / n), 4e-15) << n << " " << k;
        }
    }
}

}  // namespace
