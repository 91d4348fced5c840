// The live display: a curve window with 8 curves of 10^6 samples each, 50 new samples appended
// to every channel before each refresh (1 kHz at 20 refreshes a second). Prints the time per
// refresh and the share of one core the refreshes take, beside the reference: painting the same
// curves once from scratch into a bitmap of the same size, as the paint benchmark does. Also how
// much of the picture a refresh drew: the columns of the plot band and the pixels, beside the
// band's width and the client area, and the share of refreshes that drew only a part.
//
// X ranges: the whole data (the range grows with every refresh, so every refresh reads every
// sample), a fixed range the data grows into, a window of 10 s that follows the newest data (one
// refresh brings a fraction of a pixel; the range end goes to the next whole pixel), and a
// following window of about 10 s whose span makes one refresh a whole number of pixels.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "curvewnd/win/CurvePaint.h"
#include "curvewnd/win/CurveWnd.h"
#include "data/Channel.h"
#include "framework/Wnd.h"
#include "tools/DibTarget.h"

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
constexpr int kModes = 4;

void Append(std::vector<std::unique_ptr<CKSTChannel>>& channels, uint32_t n)
{
    for (auto& channel : channels) {
        const uint32_t start = channel->GetCount();
        for (uint32_t i = 0; i < n; ++i) {
            channel->AppendValue(std::sin((start + i) * 0.002) + 0.1 * ((start + i) % 17), false);
        }
    }
}

struct RefreshFigures {
    double seconds = 0.0;  // per refresh, best of the runs
    double columns = 0.0;  // per refresh, of the first band
    double pixels = 0.0;   // per refresh
    double partialShare = 0.0;
    int32_t plotWidth = 0;
    int64_t clientPixels = 0;
};

RefreshFigures TimeRefreshes(CKSTCurveWnd& window,
                             std::vector<std::unique_ptr<CKSTChannel>>& channels)
{
    RefreshFigures figures;
    int64_t columns = 0;
    int64_t pixels = 0;
    int partial = 0;
    int refreshes = 0;
    figures.seconds = kst::bench::BestSeconds(kRuns, [&] {
                          double seconds = 0.0;
                          for (int r = 0; r < kRefreshes; ++r) {
                              Append(channels, kPerRefresh);
                              kst::bench::Stopwatch watch;
                              window.Refresh();
                              KstPumpPendingMessages();
                              seconds += watch.Seconds();
                              const CKSTCurveWnd::PictureStats& stats = window.GetPictureStats();
                              columns += stats.columns;
                              pixels += stats.pixels;
                              partial += stats.partial ? 1 : 0;
                              ++refreshes;
                              figures.plotWidth = stats.plotWidth;
                              figures.clientPixels = stats.clientPixels;
                          }
                          return seconds;
                      }) /
                      kRefreshes;
    figures.columns = double(columns) / refreshes;
    figures.pixels = double(pixels) / refreshes;
    figures.partialShare = 100.0 * partial / refreshes;
    return figures;
}

// Seconds to paint every curve of the window once into a fresh bitmap.
double TimeScratchPaint(CKSTCurveWnd& window)
{
    kst::DibTarget target(kWidth, kHeight);
    return kst::bench::BestSeconds(kRuns, [&] {
        kst::bench::Stopwatch watch;
        PatBlt(target.Context().GetHdc(), 0, 0, kWidth, kHeight, WHITENESS);
        for (int i = 0; i < window.GetCurveCount(); ++i) {
            PaintCurve(*window.GetCurve(i, true), target.Context());
        }
        return watch.Seconds();
    });
}

void ReportMode(const char* name, const RefreshFigures& refresh, double scratch)
{
    const std::string base = name;
    auto report = [&](const char* figure, double value, const char* unit) {
        kst::bench::Report((base + figure).c_str(), value, unit);
    };
    report("_ms_per_refresh", refresh.seconds * 1000.0, "ms");
    report("_scratch_paint_ms", scratch * 1000.0, "ms");
    report("_refresh_to_scratch_ratio", refresh.seconds / scratch, "x");
    report("_core_share", refresh.seconds * kRefreshRate * 100.0, "%");
    report("_columns_per_refresh", refresh.columns, "columns");
    report("_plot_width", refresh.plotWidth, "columns");
    report("_pixels_per_refresh", refresh.pixels, "pixels");
    report("_client_pixels", double(refresh.clientPixels), "pixels");
    report("_partial_refreshes", refresh.partialShare, "%");
}

void Measure(const char* name, CKSTCurveWnd& window,
             std::vector<std::unique_ptr<CKSTChannel>>& channels)
{
    // One refresh first, so the timed ones start from a picture of this range.
    Append(channels, kPerRefresh);
    window.Refresh();
    KstPumpPendingMessages();
    const RefreshFigures refresh = TimeRefreshes(window, channels);
    ReportMode(name, refresh, TimeScratchPaint(window));
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
        channel->SetCapacity(kSamples + kPerRefresh * (kRefreshes * kRuns + 1) * kModes);
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

    Measure("whole_range", window, channels);

    // Room for every sample the following runs append.
    const double end = channels.front()->GetEndTime();
    window.SetXAxisRange(0.0, end + 100.0, CKSTXAxis::kRangeMinMaxFixed, true);
    Measure("fixed_range", window, channels);

    window.SetXAxisRange(0.0, 10.0, CKSTXAxis::kRangeSpanFixed, true);
    Measure("ten_second_window", window, channels);

    // About 10 s, chosen so that the 50 ms of one refresh are a whole number of pixels.
    const RECT band = window.GetCurve(0, true)->GetRect();
    const double pixelsPerSecond = (band.right - band.left - 1) / 10.0;
    const double shift = std::max(1.0, std::round(pixelsPerSecond * kPerRefresh * kDt));
    const double span = (band.right - band.left - 1) * kPerRefresh * kDt / shift;
    window.SetXAxisRange(0.0, span, CKSTXAxis::kRangeSpanFixed, true);
    Measure("following_window", window, channels);

    window.ReleaseResources();
    host.DestroyWindow();
    return 0;
}
