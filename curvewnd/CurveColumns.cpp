#include "curvewnd/CurveColumns.h"

#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

bool IsPresent(const double* values, const uint8_t* missing, uint32_t i)
{
    return (missing == nullptr || missing[i] == 0) && !std::isnan(values[i]);
}

// v < m ? v : m keeps m when v is NaN, so NaN samples drop out without a test of their own.
inline double Lower(double v, double m)
{
    return v < m ? v : m;
}
inline double Higher(double v, double m)
{
    return v > m ? v : m;
}

// Extremes of values[i0..i1] ignoring NaN; +inf / -inf when every value is NaN.
void MinMaxAll(const double* values, uint32_t i0, uint32_t i1, double& minimum, double& maximum)
{
    const double* p = values + i0;
    const uint64_t n = uint64_t(i1) - i0 + 1;
    uint64_t i = 0;
#if defined(__SSE2__)
    // minpd(v, m) is v < m ? v : m lane by lane: the same NaN rule as Lower.
    __m128d lo0 = _mm_set1_pd(kInf);
    __m128d lo1 = lo0;
    __m128d hi0 = _mm_set1_pd(-kInf);
    __m128d hi1 = hi0;
    for (; i + 4 <= n; i += 4) {
        const __m128d a = _mm_loadu_pd(p + i);
        const __m128d b = _mm_loadu_pd(p + i + 2);
        lo0 = _mm_min_pd(a, lo0);
        lo1 = _mm_min_pd(b, lo1);
        hi0 = _mm_max_pd(a, hi0);
        hi1 = _mm_max_pd(b, hi1);
    }
    double lanes[2];
    _mm_storeu_pd(lanes, _mm_min_pd(lo0, lo1));
    double lo = Lower(lanes[0], lanes[1]);
    _mm_storeu_pd(lanes, _mm_max_pd(hi0, hi1));
    double hi = Higher(lanes[0], lanes[1]);
#else
    double lo = kInf;
    double hi = -kInf;
#endif
    for (; i < n; ++i) {
        lo = Lower(p[i], lo);
        hi = Higher(p[i], hi);
    }
    minimum = lo;
    maximum = hi;
}

void MinMaxFlagged(const double* values, const uint8_t* missing, uint32_t i0, uint32_t i1,
                   double& minimum, double& maximum)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    double lo = kInf;
    double hi = -kInf;
    for (uint64_t i = i0; i <= i1; ++i) {
        const double v = missing[i] ? nan : values[i];
        lo = Lower(v, lo);
        hi = Higher(v, hi);
    }
    minimum = lo;
    maximum = hi;
}

}  // namespace

bool ColumnMinMax(const double* values, const uint8_t* missing, uint32_t i0, uint32_t i1,
                  double& minimum, double& maximum)
{
    if (i1 < i0) {
        return false;
    }
    double lo = 0.0;
    double hi = 0.0;
    if (missing == nullptr) {
        MinMaxAll(values, i0, i1, lo, hi);
    } else {
        MinMaxFlagged(values, missing, i0, i1, lo, hi);
    }
    // Only a column without any present sample keeps the starting values, with lo > hi.
    if (!(lo <= hi)) {
        return false;
    }
    minimum = lo;
    maximum = hi;
    return true;
}

bool ColumnMinPositive(const double* values, const uint8_t* missing, uint32_t i0, uint32_t i1,
                       double& minimum)
{
    bool found = false;
    double lo = kInf;
    for (uint64_t i = i0; i <= i1; ++i) {
        const double v = values[i];
        if (v > 0.0 && (missing == nullptr || missing[i] == 0)) {
            found = true;
            lo = Lower(v, lo);
        }
    }
    if (found) {
        minimum = lo;
    }
    return found;
}

bool ReduceColumn(const double* values, const uint8_t* missing, uint32_t i0, uint32_t i1,
                  KstColumnExtent& out)
{
    if (i1 < i0) {
        return false;
    }
    uint32_t first = i0;
    while (!IsPresent(values, missing, first)) {
        if (first == i1) {
            return false;
        }
        ++first;
    }
    uint32_t last = i1;
    while (!IsPresent(values, missing, last)) {
        --last;
    }
    double lo = 0.0;
    double hi = 0.0;
    ColumnMinMax(values, missing, first, last, lo, hi);
    out.firstIndex = first;
    out.lastIndex = last;
    out.first = values[first];
    out.minimum = lo;
    out.maximum = hi;
    out.last = values[last];
    return true;
}
