#include "data/IntegerScaling.h"

#include "data/Channel.h"

#include <algorithm>
#include <cmath>
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

// Fits entry(0) .. entry(n-1) to a grid through their minimum; with throughZero the grid must
// also pass through 0 (the minimum a whole multiple of the step). `constantScale` gives the
// scale reported when all entries are equal.
template <typename Entry, typename ConstantScale>
bool FitGrid(size_t n, Entry entry, bool throughZero, ConstantScale constantScale, GridFit& fit)
{
    if (n == 0) {
        return false;
    }
    double min = std::numeric_limits<double>::infinity();
    double max = -min;
    double minStep = std::numeric_limits<double>::infinity();
    double previous = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double e = entry(i);
        if (!std::isfinite(e)) {
            return false;
        }
        min = std::min(min, e);
        max = std::max(max, e);
        if (i > 0) {
            const double d = std::fabs(e - previous);
            if (d > kStepFloor * std::max(std::fabs(e), std::fabs(previous)) && d < minStep) {
                minStep = d;
            }
        }
        previous = e;
    }
    if (max == min) {
        fit.scale = constantScale(min);
        fit.offset = min;
        fit.levels = 1;
        return true;
    }
    const double span = max - min;
    if (!std::isfinite(span)) {
        return false;
    }
    // Entries that differ only by rounding noise from their neighbours: start from the span.
    minStep = std::min(minStep, span);

    for (int m = 1; m <= kMaxRefinement; ++m) {
        const double quotient = span / (minStep / m);
        if (!(quotient <= kKstMaxGridCode)) {
            return false;
        }
        const double step = span / std::round(quotient);
        const double intervals = std::round(span / step);
        const double scale = span / intervals;
        const double tolerance = scale * kGridTolerance;
        auto onGrid = [&](double e) {
            const double code = static_cast<double>(KstGridCode(e, scale, min));
            return std::fabs(code * scale + min - e) <= tolerance;
        };
        bool fits = !throughZero || std::fabs(min - std::round(min / scale) * scale) <= tolerance;
        for (size_t i = 0; fits && i < n; ++i) {
            fits = onGrid(entry(i));
        }
        if (fits) {
            fit.scale = scale;
            fit.offset = min;
            fit.levels = static_cast<uint32_t>(intervals) + 1;
            return true;
        }
    }
    return false;
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

bool KstFitIntegerGrid(const double* entries, size_t n, double& scale, double& offset,
                       uint32_t& levels)
{
    scale = 0.0;
    offset = 0.0;
    levels = 0;
    GridFit fit;
    if (entries == nullptr || !FitGrid(
                                  n, [entries](size_t i) { return entries[i]; }, false,
                                  [](double) { return 1.0; }, fit)) {
        return false;
    }
    scale = fit.scale;
    offset = fit.offset;
    levels = fit.levels;
    return true;
}

bool KstFitIntegerGridOfDifferences(const double* entries, size_t n, double& scale, double& offset,
                                    uint32_t& levels)
{
    scale = 0.0;
    offset = 0.0;
    levels = 0;
    if (entries == nullptr || n < 2 || !std::isfinite(entries[0])) {
        return false;
    }
    GridFit fit;
    const auto difference = [entries](size_t i) { return entries[i + 1] - entries[i]; };
    const auto constantScale = [](double d) { return d != 0.0 ? std::fabs(d) : 1.0; };
    if (!FitGrid(n - 1, difference, true, constantScale, fit)) {
        return false;
    }
    // Each difference may miss its grid point by the tolerance; make sure the running sum the
    // readers form does not drift away from the entries.
    const double bias = std::round(-fit.offset / fit.scale);
    const double tolerance = fit.scale * kGridTolerance;
    double sum = 0.0;
    for (size_t i = 0; i + 1 < n; ++i) {
        sum += static_cast<double>(KstGridCode(difference(i), fit.scale, fit.offset)) - bias;
        if (!(std::fabs(sum * fit.scale + entries[0] - entries[i + 1]) <= tolerance)) {
            return false;
        }
    }
    scale = fit.scale;
    offset = fit.offset;
    levels = fit.levels;
    return true;
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
