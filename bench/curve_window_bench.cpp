// The live display: a curve window with 8 curves of 10^6 samples each, 50 new samples appended
// to every channel before each refresh (1 kHz at 20 refreshes a second). Prints the time per
// refresh and the share of one core the refreshes take, beside the reference: painting the same
// curves once from scratch into a bitmap of the same size, as the paint benchmark does.
//
// Two X ranges: the whole data (every refresh reads every sample) and a window of 10 s that
// follows the newest data (only the visible samples are read).
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchDib.h"
#include "BenchReport.h"
#include "curvewnd/win/CurvePaint.h"
#include "curvewnd/win/CurveWnd.h"
#include "data/Channel.h"
#include "framework/Wnd.h"

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 800;
constexpr int kChannels = 8;
constexpr uint32_t kSamples = 1000000;
constexpr double kDt = 0.001;          // 1 kHz
constexpr uint32_t kPerRefresh = 50;   // 20 refreshes a second
constexpr double kRefreshRate = 20.0;
constexpr int kRefreshes = 20;
constexpr int kRuns = 3;

void Append(std::vector<std::unique_ptr<CKSTChannel>>& channels, uint32_t n)
{
    for (auto& channel : channels) {
        const uint32_t start = channel->GetCount();
        for (uint32_t i = 0; i < n; ++i) {
            channel->AppendValue(std::sin((start + i) * 0.002) + 0.1 * ((start + i) % 17), false);
        }
    }
}

// Seconds per refresh, best of the runs.
double TimeRefreshes(CKSTCurveWnd& window, std::vector<std::unique_ptr<CKSTChannel>>& channels)
{
    return kst::bench::BestSeconds(kRuns, [&] {
               kst::bench::Stopwatch watch;
               for (int r = 0; r < kRefreshes; ++r) {
                   Append(channels, kPerRefresh);
                   window.Refresh();
                   KstPumpPendingMessages();
               }
               return watch.Seconds();
           }) /
           kRefreshes;
}

// Seconds to paint every curve of the window once into a fresh bitmap.
double TimeScratchPaint(CKSTCurveWnd& window)
{
    kst::bench::DibTarget target(kWidth, kHeight);
    return kst::bench::BestSeconds(kRuns, [&] {
        kst::bench::Stopwatch watch;
        PatBlt(target.Context().GetHdc(), 0, 0, kWidth, kHeight, WHITENESS);
        for (int i = 0; i < window.GetCurveCount(); ++i) {
            PaintCurve(*window.GetCurve(i, true), target.Context());
        }
        return watch.Seconds();
    });
}

void ReportPair(const char* name, double refresh, double scratch)
{
    const std::string base = name;
    kst::bench::Report((base + "_ms_per_refresh").c_str(), refresh * 1000.0, "ms");
    kst::bench::Report((base + "_scratch_paint_ms").c_str(), scratch * 1000.0, "ms");
    kst::bench::Report((base + "_refresh_to_scratch_ratio").c_str(), refresh / scratch, "x");
    kst::bench::Report((base + "_core_share").c_str(), refresh * kRefreshRate * 100.0, "%");
}

}  // namespace

int main()
{
    std::vector<std::unique_ptr<CKSTChannel>> channels;
    for (int c = 0; c < kChannels; ++c) {
        auto channel = std::make_unique<CKSTChannel>();
        channel->SetName(("ch" + std::to_string(c)).c_str());
        channel->SetUnit(c % 2 == 0 ? "V" : "A");
        channel->SetDt(kDt);
        channel->SetCapacity(kSamples + kPerRefresh * kRefreshes * (kRuns + 1) * 2);
        channels.push_back(std::move(channel));
    }
    Append(channels, kSamples);

    CWnd host;
    const CKSTString hostClass = KstRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_WINDOW));
    if (!host.CreateEx(0, hostClass.c_str(), "Bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                       kHeight, nullptr, nullptr)) {
        std::fprintf(stderr, "no host window\n");
        return 1;
    }
    CKSTCurveWnd window;
    if (!window.Create("Curves", WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, &host)) {
        std::fprintf(stderr, "no curve window\n");
        return 1;
    }
    window.SetUpdateEnabled(false, false);
    for (auto& channel : channels) {
        window.AddChannel(channel.get(), 2, CKSTAxisGroup::kAxisOfUnit);
    }
    window.SetUpdateEnabled(true, false);
    window.SetOnline(true);

    const double wholeRefresh = TimeRefreshes(window, channels);
    const double wholeScratch = TimeScratchPaint(window);
    ReportPair("whole_range", wholeRefresh, wholeScratch);

    window.SetXAxisRange(0.0, 10.0, CKSTXAxis::kRangeSpanFixed, true);
    const double windowRefresh = TimeRefreshes(window, channels);
    const double windowScratch = TimeScratchPaint(window);
    ReportPair("ten_second_window", windowRefresh, windowScratch);

    window.ReleaseResources();
    host.DestroyWindow();
    return 0;
}
