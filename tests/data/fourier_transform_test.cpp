#include "data/FourierTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <random>
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
