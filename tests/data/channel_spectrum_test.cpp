#include "data/FFTSettings.h"

#include "data/Channel.h"
#include "foundation/Numeric.h"
#include "support/ChannelBuilders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

using kst_test::Equidistant;
using kst_test::TimeVector;
using kst_test::Values;

namespace {

CKSTChannel Sine(uint32_t n, double dt, double amplitude, double frequency, double phase)
{
    CKSTChannel c;
    c.GenerateSine(n, dt, amplitude, frequency, phase);
    return c;
}

struct Spectrum {
    bool ok = false;
    CKSTChannel amplitude;
    CKSTChannel phase;
};

Spectrum Transform(const CKSTChannel& source, uint32_t lengthMode, uint32_t window = 0,
                   int32_t maximumLength = -1, bool removeMean = false,
                   bool convertTimeVector = true)
{
    Spectrum s;
    s.ok = CKSTChannel::FFT(source, s.amplitude, s.phase, lengthMode, window, maximumLength,
                            removeMean, convertTimeVector);
    return s;
}

TEST(Spectrum, MatchesANaiveTransformOnRandomData)
{
    struct Case {
        uint32_t n;
        uint32_t window;
    };
    const Case cases[] = {{4, 0}, {8, 0}, {64, 0}, {1024, 0}, {64, 1}, {128, 2}, {256, 3}};
    std::mt19937 random(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " samples, window " << c.window);
        std::vector<double> x(c.n);
        for (double& v : x) {
            v = static_cast<double>(random()) / 4294967296.0 * 2.0 - 1.0;
        }
        const Spectrum s =
            Transform(Equidistant(0, 0.01, x), CKSTFFTSettings::kLengthCut, c.window);
        ASSERT_TRUE(s.ok);
        ASSERT_EQ(s.amplitude.GetCount(), c.n / 2 + 1);
        ASSERT_EQ(s.phase.GetCount(), c.n / 2 + 1);

        const double a = 2.0 * kPi / (c.n - 1);
        const double correction[] = {1.0, 2.0, 1.852612421875, 2.7708584375};
        for (uint32_t k = 0; k <= c.n / 2; ++k) {
            double re = 0.0;
            double im = 0.0;
            for (uint32_t j = 0; j < c.n; ++j) {
                double w = 1.0;
                switch (c.window) {
                    case 1:
                        w = 0.5 - 0.5 * std::cos(a * j);
                        break;
                    case 2:
                        w = 0.54 - 0.46 * std::cos(a * j);
                        break;
                    case 3:
                        w = 0.35875 - 0.48829 * std::cos(a * j) + 0.14128 * std::cos(2 * a * j) -
                            0.01168 * std::cos(3 * a * j);
                        break;
                }
                const double angle = 2.0 * kPi * j * k / c.n;
                re += w * x[j] * std::cos(angle);
                im -= w * x[j] * std::sin(angle);
            }
            re /= c.n / 2.0;
            im = -im / (c.n / 2.0);
            if (k == 0 || k == c.n / 2) {
                re *= 0.5;
            }
            const double amplitude = std::hypot(re, im);
            EXPECT_NEAR(s.amplitude.GetValues()[k], amplitude * correction[c.window], 1e-9)
                << "bin " << k;
            if (amplitude > 1e-6) {
                // -pi and pi are the same angle.
                EXPECT_NEAR(std::remainder(s.phase.GetValues()[k] - std::atan2(im, re), 2 * kPi),
                            0.0, 1e-7)
                    << "bin " << k;
            }
        }
    }
}

TEST(Spectrum, BinCentredSineAndTheFrequencyAxis)
{
    // 256 samples at 1 ms: bins are 1/0.256 s = 3.90625 Hz apart; bin 10 is 39.0625 Hz.
    CKSTChannel sine = Sine(256, 0.001, 3.0, 39.0625, 0.0);
    sine.SetName("U1");
    sine.SetUnit("V");
    sine.SetT0(5.0);
    const Spectrum s = Transform(sine, CKSTFFTSettings::kLengthAutomatic);
    ASSERT_TRUE(s.ok);
    ASSERT_EQ(s.amplitude.GetCount(), 129u);
    EXPECT_TRUE(s.amplitude.GetName() == "U1");
    EXPECT_TRUE(s.amplitude.GetUnit() == "V");
    for (const CKSTChannel* out : {&s.amplitude, &s.phase}) {
        EXPECT_TRUE(out->GetTimeUnit() == "Hz");
        EXPECT_DOUBLE_EQ(out->GetDt(), 3.90625);
        EXPECT_EQ(out->GetT0(), 0.0);
        EXPECT_EQ(out->GetTimeBaseType(), CKSTChannel::kEquidistant);
    }
    for (uint32_t k = 0; k < 129; ++k) {
        EXPECT_NEAR(s.amplitude.GetValues()[k], k == 10 ? 3.0 : 0.0, 1e-9) << "bin " << k;
    }
    // sin lags cos by a quarter period; the phase of a bin is atan2(im, re), not a special
    // case for a vanishing real part.
    EXPECT_NEAR(s.phase.GetValues()[10], kPi / 2.0, 1e-9);
    const Spectrum cosine = Transform(Sine(256, 0.001, 3.0, 39.0625, 90.0), 1);
    EXPECT_NEAR(cosine.phase.GetValues()[10], 0.0, 1e-9);

    // Windows keep the amplitude of a bin-centred sine close to its true value.
    for (uint32_t window = 1; window <= 3; ++window) {
        SCOPED_TRACE(window);
        const Spectrum w = Transform(sine, 1, window);
        EXPECT_NEAR(w.amplitude.GetValues()[10], 3.0, 0.03);
    }
}

TEST(Spectrum, MeanRemovalAndTheMeanBin)
{
    CKSTChannel constant;
    constant.GenerateConstant(5.0, 64, 0.5);
    const Spectrum removed = Transform(constant, 1, 0, -1, true);
    ASSERT_TRUE(removed.ok);
    for (double v : Values(removed.amplitude)) {
        EXPECT_NEAR(v, 0.0, 1e-12);
    }
    const Spectrum kept = Transform(constant, 1, 0, -1, false);
    EXPECT_NEAR(kept.amplitude.GetValues()[0], 5.0, 1e-12);
    EXPECT_NEAR(kept.amplitude.GetValues()[1], 0.0, 1e-12);
}

TEST(Spectrum, LengthModes)
{
    struct Case {
        const char* name;
        uint32_t count;
        uint32_t mode;
        int32_t maximumLength;
        uint32_t transformed;
    };
    const Case cases[] = {
        // 1000 / 512 > 1.1: padded with the mean; 540 / 512 <= 1.1: the first 512 samples.
        {"automatic pads", 1000, CKSTFFTSettings::kLengthAutomatic, -1, 1024},
        {"automatic cuts", 540, CKSTFFTSettings::kLengthAutomatic, -1, 512},
        {"cut", 1000, CKSTFFTSettings::kLengthCut, -1, 512},
        {"pad", 540, CKSTFFTSettings::kLengthPadWithMean, -1, 1024},
        {"resample up", 1000, CKSTFFTSettings::kLengthResample, -1, 1024},
        {"resample down", 540, CKSTFFTSettings::kLengthResample, -1, 512},
        {"power of two as it is", 256, CKSTFFTSettings::kLengthCut, -1, 256},
        {"last samples only", 1000, CKSTFFTSettings::kLengthCut, 300, 256},
        {"short maximum length ignored", 1000, CKSTFFTSettings::kLengthCut, 2, 512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannel ramp;
        ramp.GenerateRamp(c.count, 0.01);
        const Spectrum s = Transform(ramp, c.mode, 0, c.maximumLength);
        ASSERT_TRUE(s.ok);
        EXPECT_EQ(s.amplitude.GetCount(), c.transformed / 2 + 1);
        const double usedDt = c.mode == CKSTFFTSettings::kLengthResample
                                  ? 0.01 * (c.count - 1) / (c.transformed - 1)
                                  : 0.01;
        EXPECT_NEAR(s.amplitude.GetDt(), 1.0 / (usedDt * c.transformed), 1e-9);
    }

    // Padding uses the mean, so the mean bin still holds the mean of the ramp 0 .. 999.
    CKSTChannel ramp;
    ramp.GenerateRamp(1000, 0.01);
    EXPECT_NEAR(Transform(ramp, CKSTFFTSettings::kLengthPadWithMean).amplitude.GetValues()[0],
                499.5, 1e-9);
    // The last samples are used: a sine at the end of a silent channel.
    CKSTChannel tail;
    tail.GenerateConstant(0.0, 768, 0.001);
    const CKSTChannel sine = Sine(256, 0.001, 2.0, 39.0625, 0.0);
    tail.AppendDirect(sine);
    EXPECT_NEAR(Transform(tail, 1, 0, 256).amplitude.GetValues()[10], 2.0, 1e-9);
}

TEST(Spectrum, RefusedInputs)
{
    CKSTChannel previous = Equidistant(0, 1, {1, 2, 3});
    Spectrum s;
    s.amplitude = previous;
    const CKSTChannel three = Equidistant(0, 1, {1, 2, 3});
    EXPECT_FALSE(CKSTChannel::FFT(three, s.amplitude, s.phase, 0, 0, -1, false, true));
    EXPECT_EQ(Values(s.amplitude), Values(previous));

    // Three samples left after taking the last ones, cut to two: a two-point transform is
    // refused; padded to four it is computed.
    const CKSTChannel ten = Equidistant(0, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_FALSE(CKSTChannel::FFT(ten, s.amplitude, s.phase, 1, 0, 3, false, true));
    EXPECT_EQ(Values(s.amplitude), Values(previous));
    ASSERT_TRUE(CKSTChannel::FFT(ten, s.amplitude, s.phase, 0, 0, 3, false, true));
    EXPECT_EQ(s.amplitude.GetCount(), 3u);

    const CKSTChannel times = TimeVector({0, 0.5, 1.0, 1.5, 2.0}, {1, 0, 1, 0, 1});
    EXPECT_FALSE(CKSTChannel::FFT(times, s.amplitude, s.phase, 1, 0, -1, false, false));
    ASSERT_TRUE(CKSTChannel::FFT(times, s.amplitude, s.phase, 1, 0, -1, false, true));
    EXPECT_EQ(s.amplitude.GetCount(), 3u);
    EXPECT_DOUBLE_EQ(s.amplitude.GetDt(), 0.5);
    const CKSTChannel irregular = TimeVector({0, 1, 3, 4, 6}, {1, 0, 1, 0, 1});
    EXPECT_TRUE(CKSTChannel::FFT(irregular, s.amplitude, s.phase, 1, 0, -1, false, true));
}

TEST(Spectrum, ComputeSpectrumPowerAndSmoothing)
{
    const CKSTChannel sine = Sine(256, 0.001, 3.0, 39.0625, 0.0);
    CKSTFFTSettings settings;
    EXPECT_EQ(settings.m_RemoveMean, 1);
    EXPECT_EQ(settings.m_MaximumLength, -1);
    settings.m_Power = 1;
    CKSTChannel spectrum;
    ASSERT_TRUE(sine.ComputeSpectrum(spectrum, settings));
    EXPECT_NEAR(spectrum.GetValues()[10], 9.0, 1e-9);

    // Three points weigh 1, 2, 1.
    settings.m_Power = 0;
    settings.m_SmoothingPoints = 3;
    ASSERT_TRUE(sine.ComputeSpectrum(spectrum, settings));
    EXPECT_NEAR(spectrum.GetValues()[10], 1.5, 1e-9);
    EXPECT_NEAR(spectrum.GetValues()[11], 0.75, 1e-9);

    // The same by width in Hz: three bins of 3.90625 Hz.
    settings.m_SmoothingPoints = 0;
    settings.m_SmoothingWidth = 3 * 3.90625 + 0.1;
    ASSERT_TRUE(sine.ComputeSpectrum(spectrum, settings));
    EXPECT_NEAR(spectrum.GetValues()[9], 0.75, 1e-9);

    EXPECT_FALSE(Equidistant(0, 1, {1, 2}).ComputeSpectrum(spectrum, settings));
}

}  // namespace
