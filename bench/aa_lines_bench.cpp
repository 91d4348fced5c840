// Anti-aliased lines into a 1920 x 1080 DIB section: 10^6 segments of noisy curves, drawn one
// segment per call, as polylines of one curve each, straight into a pixel buffer, and with the
// platform's pen for comparison.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "BenchReport.h"
#include "curvewnd/AntiAlias.h"
#include "curvewnd/win/AntiAliasDC.h"
#include "curvewnd/win/DrawContext.h"
#include "tools/DibTarget.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kSegments = 1000000;
constexpr int kPointsPerCurve = kWidth;  // one point per column
constexpr COLORREF kInk = 0x2080E0;

// Curves of one point per column: a sine with noise, so segments run from flat to steep.
std::vector<POINT> MakeCurves()
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> noise(-25, 25);
    const int curves = (kSegments + kPointsPerCurve - 2) / (kPointsPerCurve - 1);
    std::vector<POINT> points;
    points.reserve(static_cast<size_t>(curves) * kPointsPerCurve);
    for (int c = 0; c < curves; ++c) {
        for (int x = 0; x < kPointsPerCurve; ++x) {
            const double y = kHeight / 2 + 380.0 * std::sin(x / 97.0 + c * 0.37) + noise(random);
            points.push_back(POINT{x, static_cast<LONG>(y)});
        }
    }
    return points;
}

// Calls draw(first point of a segment) for exactly kSegments segments, curve by curve.
template <class Fn>
void ForEachSegment(const std::vector<POINT>& points, Fn&& draw)
{
    int done = 0;
    for (size_t start = 0; done < kSegments; start += kPointsPerCurve) {
        for (int i = 0; i + 1 < kPointsPerCurve && done < kSegments; ++i, ++done) {
            draw(&points[start + i]);
        }
    }
}

template <class Fn>
void Measure(const char* name, Fn&& run)
{
    const kst::bench::Stopwatch watch;
    run();
    kst::bench::Report(name, kSegments / watch.Seconds(), "segments/s");
}

}  // namespace

int main()
{
    const std::vector<POINT> points = MakeCurves();

    kst::DibTarget target(kWidth, kHeight);
    if (!target.IsValid()) {
        std::fprintf(stderr, "no DIB section\n");
        return 1;
    }
    CKSTDrawContext& context = target.Context();

    Measure("aa_line_draw_context", [&] {
        ForEachSegment(points, [&](const POINT* p) {
            DrawAALine(context, p[0].x, p[0].y, p[1].x, p[1].y, kInk);
        });
    });

    Measure("aa_polyline_draw_context", [&] {
        int done = 0;
        for (size_t start = 0; done < kSegments; start += kPointsPerCurve) {
            const int count = std::min(kPointsPerCurve, kSegments - done + 1);
            DrawAAPolyline(context, &points[start], count, kInk, 1);
            done += count - 1;
        }
    });

    CKSTPixelSurface surface(target.Bits(), kWidth, kHeight, kWidth);
    GdiFlush();
    Measure("aa_line_pixel_buffer", [&] {
        ForEachSegment(points, [&](const POINT* p) {
            DrawAALine(surface, p[0].x, p[0].y, p[1].x, p[1].y, kInk);
        });
    });

    HPEN pen = CreatePen(PS_SOLID, 1, kInk);
    const HGDIOBJ previousPen = context.SelectObject(pen);
    Measure("gdi_line_draw_context", [&] {
        ForEachSegment(points,
                       [&](const POINT* p) { context.Line(p[0].x, p[0].y, p[1].x, p[1].y); });
    });
    context.SelectObject(previousPen);
    DeleteObject(pen);

    return 0;
}
