// The real transform and the spectrum against FFTW (estimate mode) on the same data, host only:
// FFTW is the yardstick here and is never linked into the program. The two are timed in turns,
// round by round, so that both see the same load of a shared machine; the figures are the median
// and the fastest round.

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "data/Channel.h"
#include "data/FFTSettings.h"
#include "data/FourierTransform.h"

namespace {

constexpr int kRounds = 15;

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

struct Times {
    double median;
    double min;
};

Times Summarise(std::vector<double> seconds)
{
    std::sort(seconds.begin(), seconds.end());
    return {seconds[seconds.size() / 2], seconds.front()};
}

// Seconds per call of own() and of reference(), each round timing `calls` calls of one, then
// of the other.
template <typename Own, typename Reference>
void TimeInTurns(int calls, Own own, Reference reference, Times& ownTimes, Times& referenceTimes)
{
    std::vector<double> ownSeconds;
    std::vector<double> referenceSeconds;
    for (int round = 0; round < kRounds; ++round) {
        kst::bench::Stopwatch referenceWatch;
        for (int i = 0; i < calls; ++i) {
            reference();
        }
        referenceSeconds.push_back(referenceWatch.Seconds() / calls);
        kst::bench::Stopwatch ownWatch;
        for (int i = 0; i < calls; ++i) {
            own();
        }
        ownSeconds.push_back(ownWatch.Seconds() / calls);
    }
    ownTimes = Summarise(ownSeconds);
    referenceTimes = Summarise(referenceSeconds);
}

void ReportTimes(const std::string& name, Times times, double scale, const char* unit)
{
    kst::bench::Report((name + "_median").c_str(), times.median * scale, unit);
    kst::bench::Report((name + "_min").c_str(), times.min * scale, unit);
}

// The real transform of the first n values of input against FFTW's; false if they differ.
bool CompareRealTransform(const std::vector<double>& input, size_t n, Times& ownTimes)
{
    double* in = fftw_alloc_real(n);
    fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
    const fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), in, out, FFTW_ESTIMATE);
    std::memcpy(in, input.data(), n * sizeof(double));
    std::vector<double> re(n / 2 + 1);
    std::vector<double> im(n / 2 + 1);
    // About 20 ms per round and side whatever the length.
    const int calls = static_cast<int>(std::max<size_t>(1, (size_t{1} << 21) / n));
    Times fftwTimes{};
    TimeInTurns(
        calls, [&] { kst_fft::RealForward(input.data(), n, re.data(), im.data()); },
        [&] { fftw_execute(plan); }, ownTimes, fftwTimes);
    double worst = 0.0;
    for (size_t k = 0; k <= n / 2; ++k) {
        worst = std::max({worst, std::fabs(re[k] - out[k][0]), std::fabs(im[k] - out[k][1])});
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
    if (worst > 1e-9 * std::sqrt(static_cast<double>(n))) {
        std::fprintf(stderr, "the transform of %zu values differs from FFTW by %g\n", n, worst);
        return false;
    }
    const bool large = n >= (size_t{1} << 16);
    const std::string size =
        "2^" + std::to_string(static_cast<int>(std::log2(static_cast<double>(n))));
    ReportTimes("fftw_real_" + size, fftwTimes, large ? 1e3 : 1e6, large ? "ms" : "us");
    ReportTimes("real_transform_" + size, ownTimes, large ? 1e3 : 1e6, large ? "ms" : "us");
    kst::bench::Report(("real_transform_" + size + "_vs_fftw_median").c_str(),
                       ownTimes.median / fftwTimes.median, "ratio");
    kst::bench::Report(("real_transform_" + size + "_vs_fftw_min").c_str(),
                       ownTimes.min / fftwTimes.min, "ratio");
    return true;
}

}  // namespace

int main()
{
    const size_t n = size_t{1} << 20;
    const std::vector<double> input = Noise(n);
    Times ownTimes{};
    for (size_t small : {16u, 256u, 4096u, 65536u}) {
        if (!CompareRealTransform(input, small, ownTimes)) {
            return 1;
        }
    }
    if (!CompareRealTransform(input, n, ownTimes)) {
        return 1;
    }

    // 10^6 samples are padded with their mean to 2^20 and give 2^19 + 1 amplitudes.
    CKSTChannel channel;
    channel.SetCapacity(1000000);
    for (uint32_t i = 0; i < 1000000; ++i) {
        channel.AppendValue(input[i], false);
    }
    CKSTFFTSettings settings;
    CKSTChannel spectrum;
    bool ok = true;
    std::vector<double> spectrumSeconds;
    for (int round = 0; round < kRounds; ++round) {
        kst::bench::Stopwatch watch;
        ok = ok && channel.ComputeSpectrum(spectrum, settings);
        spectrumSeconds.push_back(watch.Seconds());
    }
    if (!ok || spectrum.GetCount() != n / 2 + 1) {
        std::fprintf(stderr, "the spectrum failed\n");
        return 1;
    }
    const Times spectrumTimes = Summarise(spectrumSeconds);
    ReportTimes("spectrum_1e6", spectrumTimes, 1e3, "ms");
    kst::bench::Report("spectrum_1e6_vs_transform_median", spectrumTimes.median / ownTimes.median,
                       "ratio");
    return 0;
}
