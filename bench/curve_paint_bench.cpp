// One curve of 10^7 samples painted into a 1920-pixel-wide band of a DIB section: the whole
// range (every sample read once, each column reduced to at most four points), the same as steps,
// and zoomed in to 1 % of the range, beside a plain minimum/maximum pass over the same array as
// the ceiling of any paint that reads every sample.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "BenchReport.h"
#include "curvewnd/Curve.h"
#include "curvewnd/CurveHost.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/settings/CurveWndSettings.h"
#include "curvewnd/win/CurvePaint.h"
#include "curvewnd/win/DrawContext.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "tools/DibTarget.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 400;
constexpr uint32_t kSamples = 10000000;
constexpr int kRepeats = 10;

// The little of a window the painting asks for.
class BenchHost : public CKSTInertCurveOwner<IKSTCurveHost> {
public:
    uint32_t GetAutoCurveColor(const CKSTCurve&) const override { return 0x2060C0; }
    void RecalcLayout() override {}
    void UpdateNow() override {}
    void UpdateLegend() override {}
    void RecalcGroupRanges() override {}
    bool IsSubscribed(uint32_t) const override { return false; }
    int32_t PostEvent(uint32_t, const CKSTCurve*) override { return 0; }
    CKSTDrawContext* GetDrawContext() override { return nullptr; }
    bool GetPlotPixel(int32_t, int32_t, uint32_t&) const override { return false; }
    uint32_t GetNearestScreenColor(uint32_t colour) const override { return colour; }
};

template <class Fn>
double MillisecondsPerRun(Fn&& run)
{
    run();  // warm the caches and the GDI objects
    const kst::bench::Stopwatch watch;
    for (int i = 0; i < kRepeats; ++i) {
        run();
    }
    return watch.Seconds() * 1000.0 / kRepeats;
}

void ReportPaint(const char* name, double milliseconds, double samples)
{
    char label[96];
    std::snprintf(label, sizeof label, "%s_ms_per_paint", name);
    kst::bench::Report(label, milliseconds, "ms");
    std::snprintf(label, sizeof label, "%s_samples_per_second", name);
    kst::bench::Report(label, samples / (milliseconds / 1000.0), "samples/s");
}

}  // namespace

int main()
{
    // A noisy sine with rare spikes, equidistant with dt = 1.
    CKSTChannel channel;
    channel.SetDt(1.0);
    channel.SetCapacity(kSamples);
    std::mt19937 random(99);
    std::normal_distribution<double> noise(0.0, 0.05);
    for (uint32_t i = 0; i < kSamples; ++i) {
        double v = std::sin(i * 2e-6) + noise(random);
        if (i % 1000003 == 0) {
            v += 3.0;
        }
        channel.AppendValue(v, false);
    }

    kst::DibTarget target(kWidth, kHeight);
    if (!target.IsValid()) {
        std::fprintf(stderr, "no DIB section\n");
        return 1;
    }
    CKSTDrawContext& context = target.Context();

    BenchHost host;
    CKSTXAxis xAxis(nullptr);
    xAxis.SetRect(RECT{-1, 0, kWidth + 1, 20});
    CKSTYAxis yAxis(nullptr);
    yAxis.SetRect(RECT{0, 0, 40, kHeight});
    yAxis.SetRange(-2.0, 5.0, false);
    CKSTCurve curve(&host);
    curve.SetSources(&channel, &xAxis, &yAxis);
    curve.SetRect(RECT{0, 0, kWidth, kHeight});
    auto paint = [&] {
        PatBlt(context.GetHdc(), 0, 0, kWidth, kHeight, WHITENESS);
        PaintCurve(curve, context);
    };

    const double* values = channel.GetValues();
    volatile double sink = 0.0;
    const double ceiling = MillisecondsPerRun([&] {
        double lo = values[0];
        double hi = values[0];
        for (uint32_t i = 1; i < kSamples; ++i) {
            lo = std::min(lo, values[i]);
            hi = std::max(hi, values[i]);
        }
        sink = lo + hi;
    });
    ReportPaint("min_max_pass", ceiling, kSamples);

    xAxis.SetRange(0.0, kSamples - 1.0, CKSTXAxis::kRangeMinMaxFixed, true);
    ReportPaint("line_full_range", MillisecondsPerRun(paint), kSamples);
    curve.SetDisplayKind(CKSTCurve::kStyleSteps, false);
    ReportPaint("steps_full_range", MillisecondsPerRun(paint), kSamples);
    curve.SetDisplayKind(CKSTCurve::kStyleLines, false);
    curve.SetSymbol(CKSTCurve::kSymbolPlus, false);
    ReportPaint("line_and_symbols_full_range", MillisecondsPerRun(paint), kSamples);
    curve.SetSymbol(CKSTCurve::kSymbolPoint, false);

    // Zoomed to 1 % in the middle: only the visible samples are read.
    const double start = kSamples * 0.5;
    xAxis.SetRange(start, start + kSamples / 100.0, CKSTXAxis::kRangeMinMaxFixed, true);
    ReportPaint("line_zoomed_1_percent", MillisecondsPerRun(paint), kSamples / 100.0);
    // Zoomed to 1,000 samples: fewer samples than pixel columns.
    xAxis.SetRange(start, start + 1000.0, CKSTXAxis::kRangeMinMaxFixed, true);
    ReportPaint("line_zoomed_1000_samples", MillisecondsPerRun(paint), 1000.0);

    // The same samples with a time each: the visible ones are found by binary search, and the
    // dominant step of the gap detection is read once and then remembered.
    CKSTChannel times;
    times.SetTimeBaseType(CKSTChannel::kTimeVector);
    times.SetCapacity(kSamples);
    for (uint32_t i = 0; i < kSamples; ++i) {
        times.AppendTimeValue(i, values[i]);
    }
    curve.SetSources(&times, &xAxis, &yAxis);
    xAxis.SetRange(0.0, kSamples - 1.0, CKSTXAxis::kRangeMinMaxFixed, true);
    ReportPaint("time_vector_full_range", MillisecondsPerRun(paint), kSamples);
    xAxis.SetRange(start, start + kSamples / 100.0, CKSTXAxis::kRangeMinMaxFixed, true);
    ReportPaint("time_vector_zoomed_1_percent", MillisecondsPerRun(paint), kSamples / 100.0);

    return 0;
}
