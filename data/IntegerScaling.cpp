#include "data/IntegerScaling.h"

#include "data/Channel.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Successive entries closer than this fraction of their magnitude count as equal when the
// smallest step is sought, so rounding noise does not shrink the grid.
const double kStepFloor = 1e-12;
// A decoded entry may miss the original by this fraction of the grid step.
const double kGridTolerance = 1e-8;
// The smallest step is divided by 2, 3, ... up to this before the fit gives up.
const int kMaxRefinement = 100;

struct GridFit {
    double scale = 0.0;
    double offset = 0.0;
    uint32_t levels = 0;
};

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A step between successive entries that counts, else infinity.
inline double Step(double e, double previous)
{
    const double d = std::fabs(e - previous);
    return d > kStepFloor * std::max(std::fabs(e), std::fabs(previous)) ? d : HUGE_VAL;
}

// One step of the scan for two entries e after their predecessors p, in the lanes of SSE2
// registers: Step, min and max as the scalar code gives them, and e - e summed (0 while every
// entry is finite).
struct ScanLanes {
    __m128d lo = _mm_set1_pd(HUGE_VAL);
    __m128d hi = _mm_set1_pd(-HUGE_VAL);
    __m128d step = _mm_set1_pd(HUGE_VAL);
    __m128d nonFinite = _mm_setzero_pd();

    void Take(__m128d e, __m128d p)
    {
        const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
        lo = _mm_min_pd(lo, e);
        hi = _mm_max_pd(hi, e);
        nonFinite = _mm_add_pd(nonFinite, _mm_sub_pd(e, e));
        const __m128d d = _mm_and_pd(_mm_sub_pd(e, p), magnitude);
        const __m128d larger = _mm_max_pd(_mm_and_pd(e, magnitude), _mm_and_pd(p, magnitude));
        const __m128d counts = _mm_cmpgt_pd(d, _mm_mul_pd(_mm_set1_pd(kStepFloor), larger));
        const __m128d taken =
            _mm_or_pd(_mm_and_pd(counts, d), _mm_andnot_pd(counts, _mm_set1_pd(HUGE_VAL)));
        step = _mm_min_pd(step, taken);
    }
};

double LowLane(__m128d v)
{
    return _mm_cvtsd_f64(v);
}

double HighLane(__m128d v)
{
    return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
}

// The scan of entry(0) .. entry(n-1); pair(i) loads entry(i) and entry(i + 1) into one register.
// Two sets of lanes keep the comparisons independent. Equal extremes differ at most in a zero's
// sign, which the earliest zero settles at the end, as a single run from the start would.
template <typename Entry, typename Pair>
KstGridScan Scan(size_t n, Entry entry, Pair pair)
{
    KstGridScan scan;
    if (n == 0) {
        return scan;
    }
    ScanLanes a;
    ScanLanes b;
    a.lo = a.hi = _mm_set1_pd(entry(0));
    a.nonFinite = _mm_set1_pd(entry(0) - entry(0));
    size_t i = 1;
    for (; i + 4 <= n; i += 4) {
        a.Take(pair(i), pair(i - 1));
        b.Take(pair(i + 2), pair(i + 1));
    }
    for (; i + 2 <= n; i += 2) {
        a.Take(pair(i), pair(i - 1));
    }
    double lo =
        std::min(std::min(LowLane(a.lo), HighLane(a.lo)), std::min(LowLane(b.lo), HighLane(b.lo)));
    double hi =
        std::max(std::max(LowLane(a.hi), HighLane(a.hi)), std::max(LowLane(b.hi), HighLane(b.hi)));
    double step = std::min(std::min(LowLane(a.step), HighLane(a.step)),
                           std::min(LowLane(b.step), HighLane(b.step)));
    const __m128d sums = _mm_add_pd(a.nonFinite, b.nonFinite);
    double nonFinite = LowLane(sums) + HighLane(sums);
    for (; i < n; ++i) {
        const double e = entry(i);
        lo = std::min(lo, e);
        hi = std::max(hi, e);
        nonFinite += e - e;
        step = std::min(step, Step(e, entry(i - 1)));
    }
    scan.finite = nonFinite == 0.0;
    if (!scan.finite) {
        return scan;
    }
    scan.minStep = step;
    scan.min = lo;
    scan.max = hi;
    if (scan.min == 0.0 || scan.max == 0.0) {
        size_t first = 0;
        while (entry(first) != 0.0) {
            ++first;
        }
        const double zero = entry(first);
        scan.min = scan.min == 0.0 ? zero : scan.min;
        scan.max = scan.max == 0.0 ? zero : scan.max;
    }
    return scan;
}

// The grid intervals over the span when the smallest step is divided by m; false when the codes
// would grow too wide, which they then do for every larger m as well.
bool Intervals(double span, double minStep, int m, double& intervals)
{
    const double quotient = span / (minStep / m);
    if (!(quotient <= kKstMaxGridCode)) {
        return false;
    }
    const double step = span / std::round(quotient);
    intervals = std::round(span / step);
    return true;
}

// Fits entry(0) .. entry(n-1), scanned before, to a grid through their minimum; with
// throughZero the grid must also pass through 0 (the minimum a whole multiple of the step).
// `constantScale` gives the scale reported when all entries are equal. With a fit, *exact (when
// given) tells whether code x scale + offset gives back every entry bit for bit.
template <typename Entry, typename ConstantScale>
bool FitGrid(size_t n, Entry entry, const KstGridScan& scan, bool throughZero,
             ConstantScale constantScale, GridFit& fit, bool* exact)
{
    if (n == 0 || !scan.finite) {
        return false;
    }
    const double min = scan.min;
    const double max = scan.max;
    if (max == min) {
        fit.scale = constantScale(min);
        fit.offset = min;
        fit.levels = 1;
        if (exact != nullptr) {
            // Equal entries differ at most in a zero's sign.
            *exact = true;
            for (size_t i = 0; *exact && i < n; ++i) {
                *exact = SameBits(entry(i), min);
            }
        }
        return true;
    }
    const double span = max - min;
    if (!std::isfinite(span)) {
        return false;
    }
    // Entries that differ only by rounding noise from their neighbours: start from the span.
    const double minStep = std::min(scan.minStep, span);

    for (int m = 1; m <= kMaxRefinement; ++m) {
        double intervals = 0.0;
        if (!Intervals(span, minStep, m, intervals)) {
            return false;
        }
        const double scale = span / intervals;
        const double tolerance = scale * kGridTolerance;
        const KstGridQuantiser quantise(scale, min);
        bool same = true;
        auto onGrid = [&](double e) {
            const double decoded = static_cast<double>(quantise(e)) * scale + min;
            same = same && SameBits(decoded, e);
            return std::fabs(decoded - e) <= tolerance;
        };
        bool fits = !throughZero || std::fabs(min - std::round(min / scale) * scale) <= tolerance;
        for (size_t i = 0; fits && i < n; ++i) {
            fits = onGrid(entry(i));
        }
        if (fits) {
            // Codes lie in 0 .. intervals, as the entries lie in min .. max.
            if (exact != nullptr) {
                *exact = same;
            }
            fit.scale = scale;
            fit.offset = min;
            fit.levels = static_cast<uint32_t>(intervals) + 1;
            return true;
        }
    }
    return false;
}

bool FitDifferences(const double* entries, size_t n, const KstGridScan& scan, GridFit& fit,
                    bool* exact)
{
    if (entries == nullptr || n < 2 || !std::isfinite(entries[0])) {
        return false;
    }
    const auto difference = [entries](size_t i) { return entries[i + 1] - entries[i]; };
    const auto constantScale = [](double d) { return d != 0.0 ? std::fabs(d) : 1.0; };
    if (!FitGrid(n - 1, difference, scan, true, constantScale, fit, nullptr)) {
        return false;
    }
    // Each difference may miss its grid point by the tolerance; make sure the running sum the
    // readers form does not drift away from the entries.
    const double bias = std::round(-fit.offset / fit.scale);
    const double tolerance = fit.scale * kGridTolerance;
    const KstGridQuantiser quantise(fit.scale, fit.offset);
    double sum = 0.0;
    bool same = true;
    for (size_t i = 0; i + 1 < n; ++i) {
        sum += static_cast<double>(quantise(difference(i))) - bias;
        const double decoded = sum * fit.scale + entries[0];
        same = same && SameBits(decoded, entries[i + 1]);
        if (!(std::fabs(decoded - entries[i + 1]) <= tolerance)) {
            return false;
        }
    }
    if (exact != nullptr) {
        *exact = same;
    }
    return true;
}

bool Report(bool ok, const GridFit& fit, double& scale, double& offset, uint32_t& levels)
{
    scale = ok ? fit.scale : 0.0;
    offset = ok ? fit.offset : 0.0;
    levels = ok ? fit.levels : 0;
    return ok;
}

}  // namespace

int64_t KstGridCode(double x, double scale, double offset)
{
    if (scale == 0.0) {
        return 0;
    }
    const double q = (x - offset) / scale;
    if (std::isnan(q)) {
        return 0;
    }
    return static_cast<int64_t>(std::clamp(std::round(q), -2147483647.0, kKstMaxGridCode));
}

KstGridScan KstScanGrid(const double* entries, size_t n)
{
    return Scan(
        n, [entries](size_t i) { return entries[i]; },
        [entries](size_t i) { return _mm_loadu_pd(entries + i); });
}

KstGridScan KstScanGridOfDifferences(const double* entries, size_t n)
{
    if (n < 2) {
        return KstGridScan();
    }
    return Scan(
        n - 1, [entries](size_t i) { return entries[i + 1] - entries[i]; },
        [entries](size_t i) {
            return _mm_sub_pd(_mm_loadu_pd(entries + i + 1), _mm_loadu_pd(entries + i));
        });
}

KstGridScan KstJoinGridScans(const KstGridScan& a, const KstGridScan& b, double last, double next)
{
    KstGridScan joined;
    joined.finite = a.finite && b.finite;
    joined.min = b.min < a.min ? b.min : a.min;
    joined.max = b.max > a.max ? b.max : a.max;
    joined.minStep = std::min(std::min(a.minStep, b.minStep), Step(next, last));
    return joined;
}

uint32_t KstFewestGridLevels(const KstGridScan& scan)
{
    if (!scan.finite) {
        return 0;
    }
    if (scan.max == scan.min) {
        return 1;
    }
    const double span = scan.max - scan.min;
    double intervals = 0.0;
    // The intervals only grow with the refinement.
    if (!std::isfinite(span) || !Intervals(span, std::min(scan.minStep, span), 1, intervals)) {
        return 0;
    }
    return static_cast<uint32_t>(intervals) + 1;
}

bool KstFitScannedGrid(const double* entries, size_t n, const KstGridScan& scan, double& scale,
                       double& offset, uint32_t& levels, bool* exact)
{
    GridFit fit;
    const bool ok = entries != nullptr &&
                    FitGrid(
                        n, [entries](size_t i) { return entries[i]; }, scan, false,
                        [](double) { return 1.0; }, fit, exact);
    return Report(ok, fit, scale, offset, levels);
}

bool KstFitScannedGridOfDifferences(const double* entries, size_t n, const KstGridScan& scan,
                                    double& scale, double& offset, uint32_t& levels, bool* exact)
{
    GridFit fit;
    return Report(FitDifferences(entries, n, scan, fit, exact), fit, scale, offset, levels);
}

bool KstFitIntegerGrid(const double* entries, size_t n, double& scale, double& offset,
                       uint32_t& levels)
{
    const KstGridScan scan = entries != nullptr ? KstScanGrid(entries, n) : KstGridScan();
    return KstFitScannedGrid(entries, n, scan, scale, offset, levels);
}

bool KstFitIntegerGridOfDifferences(const double* entries, size_t n, double& scale, double& offset,
                                    uint32_t& levels)
{
    const KstGridScan scan =
        entries != nullptr ? KstScanGridOfDifferences(entries, n) : KstGridScan();
    return KstFitScannedGridOfDifferences(entries, n, scan, scale, offset, levels);
}

// ---------------------------------------------------------------------------------------------
// Channel members

namespace {

// Clamps [first, end) into the channel; false when nothing remains of it.
bool ClampRange(uint32_t count, uint32_t& first, uint32_t& end)
{
    end = std::min(end, count);
    return first < end;
}

}  // namespace

bool CKSTChannel::GetIntegerScaling(double& scale, double& offset, uint32_t& levels, uint32_t first,
                                    uint32_t end) const
{
    scale = 0.0;
    offset = 0.0;
    levels = 0;
    if (!ClampRange(m_count, first, end)) {
        return false;
    }
    return KstFitIntegerGrid(m_values.get() + first, end - first, scale, offset, levels);
}

bool CKSTChannel::GetTimeIntegerScaling(double& scale, double& offset, uint32_t& levels,
                                        uint32_t first, uint32_t end) const
{
    scale = 0.0;
    offset = 0.0;
    levels = 0;
    if (!m_times || !ClampRange(m_count, first, end)) {
        return false;
    }
    return KstFitIntegerGrid(m_times.get() + first, end - first, scale, offset, levels);
}

bool CKSTChannel::GetDifferenceIntegerScaling(double& scale, double& offset, uint32_t& levels,
                                              uint32_t first, uint32_t end) const
{
    scale = 0.0;
    offset = 0.0;
    levels = 0;
    if (!ClampRange(m_count, first, end)) {
        return false;
    }
    return KstFitIntegerGridOfDifferences(m_values.get() + first, end - first, scale, offset,
                                          levels);
}

bool CKSTChannel::GetTimeDifferenceIntegerScaling(double& scale, double& offset, uint32_t& levels,
                                                  uint32_t first, uint32_t end) const
{
    scale = 0.0;
    offset = 0.0;
    levels = 0;
    if (!m_times || !ClampRange(m_count, first, end)) {
        return false;
    }
    return KstFitIntegerGridOfDifferences(m_times.get() + first, end - first, scale, offset,
                                          levels);
}
