// Throughput of the integer grid fit (as the container writer runs it over whole channels) and
// of the spectrum, on 10^6 and 10^7 samples.

#include "BenchReport.h"
#include "data/Channel.h"
#include "data/FFTSettings.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace {

// A 16-bit converter: the grid fits and every sample is checked.
CKSTChannel ConverterChannel(uint32_t n)
{
    std::mt19937 random(1);
    CKSTChannel c;
    c.SetCapacity(n);
    for (uint32_t i = 0; i < n; ++i) {
        c.AppendValue(static_cast<double>(random() % 65536) * (20.0 / 65536.0) - 10.0, false);
    }
    return c;
}

// Doubles on no grid: the fit gives up after one pass for the range and a short check.
CKSTChannel NoiseChannel(uint32_t n)
{
    std::mt19937 random(2);
    CKSTChannel c;
    c.SetCapacity(n);
    for (uint32_t i = 0; i < n; ++i) {
        c.AppendValue(static_cast<double>(random()) / 4294967296.0 * 3.7, false);
    }
    return c;
}

template <typename Work>
void Measure(const std::string& name, uint32_t samples, Work work)
{
    // Repeat short runs so that each figure covers at least a quarter of a second.
    int runs = 0;
    kst::bench::Stopwatch watch;
    do {
        work();
        ++runs;
    } while (watch.Seconds() < 0.25);
    kst::bench::Report(name.c_str(), static_cast<double>(samples) * runs / watch.Seconds(),
                       "samples/s");
}

}  // namespace

int main()
{
    for (uint32_t n : {1000000u, 10000000u}) {
        const std::string size = n == 1000000u ? "1e6" : "1e7";
        double scale = 0.0;
        double offset = 0.0;
        uint32_t levels = 0;
        bool fits = false;

        const CKSTChannel converter = ConverterChannel(n);
        Measure("grid_fit_converter_" + size, n,
                [&] { fits = converter.GetIntegerScaling(scale, offset, levels, 0, n); });
        if (!fits) {
            std::fprintf(stderr, "converter data did not fit a grid\n");
            return 1;
        }
        Measure("grid_fit_differences_converter_" + size, n,
                [&] { converter.GetDifferenceIntegerScaling(scale, offset, levels, 0, n); });

        const CKSTChannel noise = NoiseChannel(n);
        Measure("grid_fit_noise_" + size, n,
                [&] { fits = noise.GetIntegerScaling(scale, offset, levels, 0, n); });

        // Automatic length: both sizes are padded with the mean to the next power of two.
        CKSTFFTSettings settings;
        CKSTChannel spectrum;
        bool computed = false;
        Measure("fft_" + size, n, [&] { computed = noise.ComputeSpectrum(spectrum, settings); });
        if (!computed) {
            std::fprintf(stderr, "spectrum failed\n");
            return 1;
        }
        settings.m_Window = CKSTFFTSettings::kWindowHann;
        settings.m_SmoothingPoints = 5;
        Measure("fft_hann_smoothed_" + size, n, [&] { noise.ComputeSpectrum(spectrum, settings); });
    }
    return 0;
}
