// The real transform and the spectrum against FFTW (estimate mode) on the same data, host only:
// FFTW is the yardstick here and is never linked into the program.

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "BenchReport.h"
#include "data/Channel.h"
#include "data/FFTSettings.h"
#include "data/FourierTransform.h"

namespace {

constexpr int kRuns = 15;

std::vector<double> Noise(size_t n)
{
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) {
        v = noise(random);
    }
    return x;
}

}  // namespace

int main()
{
    const size_t n = size_t{1} << 20;
    const std::vector<double> input = Noise(n);

    double* in = fftw_alloc_real(n);
    fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
    const fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), in, out, FFTW_ESTIMATE);
    std::memcpy(in, input.data(), n * sizeof(double));
    const double fftwSeconds = kst::bench::BestSeconds(kRuns, [&] {
        fftw_execute(plan);
        return -1.0;
    });

    std::vector<double> work(n);
    std::vector<double> re(n / 2 + 1);
    std::vector<double> im(n / 2 + 1);
    const double ownSeconds = kst::bench::BestSeconds(kRuns, [&] {
        std::memcpy(work.data(), input.data(), n * sizeof(double));  // the transform overwrites it
        kst::bench::Stopwatch watch;
        kst_fft::RealForward(work.data(), n, re.data(), im.data());
        return watch.Seconds();
    });
    double worst = 0.0;
    for (size_t k = 0; k <= n / 2; ++k) {
        worst = std::max({worst, std::fabs(re[k] - out[k][0]), std::fabs(im[k] - out[k][1])});
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
    if (worst > 1e-6) {
        std::fprintf(stderr, "the transform differs from FFTW by %g\n", worst);
        return 1;
    }

    kst::bench::Report("fftw_real_2^20", fftwSeconds * 1e3, "ms");
    kst::bench::Report("real_transform_2^20", ownSeconds * 1e3, "ms");
    kst::bench::Report("real_transform_2^20_vs_fftw", ownSeconds / fftwSeconds, "ratio");

    // 10^6 samples are padded with their mean to 2^20 and give 2^19 + 1 amplitudes.
    CKSTChannel channel;
    channel.SetCapacity(1000000);
    for (uint32_t i = 0; i < 1000000; ++i) {
        channel.AppendValue(input[i], false);
    }
    CKSTFFTSettings settings;
    CKSTChannel spectrum;
    bool ok = true;
    const double spectrumSeconds = kst::bench::BestSeconds(kRuns, [&] {
        ok = ok && channel.ComputeSpectrum(spectrum, settings);
        return -1.0;
    });
    if (!ok || spectrum.GetCount() != n / 2 + 1) {
        std::fprintf(stderr, "the spectrum failed\n");
        return 1;
    }
    kst::bench::Report("spectrum_1e6", spectrumSeconds * 1e3, "ms");
    kst::bench::Report("spectrum_1e6_vs_transform", spectrumSeconds / ownSeconds, "ratio");
    kst::bench::Report("spectrum_1e6_vs_fftw", spectrumSeconds / fftwSeconds, "ratio");
    return 0;
}
