// Conversions between the time-base kinds after an import, the XY pairing of two channels and
// the search for a dominant step.

#include "data/Channel.h"
#include "data/ChannelStorage.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

using kst_channel::AllocateZeroed;

namespace {

// Steps within this fraction of each other count as equal.
const double kRegularTolerance = 0.001;
// A largest step at least this many smallest steps apart marks a grid with gaps.
const double kGapRatio = 1.9;
const size_t kStepClasses = 10;

// A time that is NaN or infinite places its sample nowhere on a grid.
bool AllFinite(const double* times, uint32_t n)
{
    return std::all_of(times, times + n, [](double t) { return std::isfinite(t); });
}

// Up to ten classes of steps; the value of the most populated one and whether it holds more
// than half of `samples`.
template <typename Step>
bool DominantStep(uint32_t steps, Step step, double relTol, uint32_t samples, double& result)
{
    double value[kStepClasses] = {};
    uint32_t members[kStepClasses] = {};
    size_t used = 0;
    for (uint32_t i = 0; i < steps; ++i) {
        const double d = step(i);
        size_t c = 0;
        while (c < used && !(std::fabs(value[c] - d) <= std::fabs(d * relTol))) {
            ++c;
        }
        if (c < used) {
            ++members[c];
        } else if (used < kStepClasses && std::fabs(d) > 1e-15) {
            value[used] = d;
            members[used] = 1;
            ++used;
        }
    }
    size_t best = 0;
    for (size_t c = 1; c < used; ++c) {
        if (members[c] > members[best]) {
            best = c;
        }
    }
    result = used > 0 ? value[best] : 0.0;
    return used > 0 && members[best] > samples / 2;
}

}  // namespace

bool CKSTChannel::ConvertToEquidistant(bool resampleIfIrregular, bool noInterpolation)
{
    if (m_timeBaseType == kEquidistant) {
        return true;
    }
    if (m_timeBaseType != kTimeVector || !m_timesAscending || !AllFinite(m_times.get(), m_count)) {
        return false;
    }
    auto regular = [this] {
        if (m_count < 2) {
            return true;
        }
        const double first = m_times[1] - m_times[0];
        if (!(first > 0.0)) {
            return false;
        }
        for (uint32_t i = 2; i < m_count; ++i) {
            const double d = m_times[i] - m_times[i - 1];
            if (d < (1.0 - kRegularTolerance) * first || d > (1.0 + kRegularTolerance) * first) {
                return false;
            }
        }
        return true;
    };
    if (!regular()) {
        if (!resampleIfIrregular) {
            return false;
        }
        Resample(GetSampleInterval(), noInterpolation);
        if (m_timeBaseType != kTimeVector || !regular()) {
            return false;
        }
    }
    if (m_count > 0) {
        m_t0 = m_times[0];
    }
    if (m_count >= 2) {
        m_dt = (m_times[m_count - 1] - m_times[0]) / (m_count - 1);
    }
    m_timeBaseType = kEquidistant;
    m_times.reset();
    RescanMissing();
    return true;
}

void CKSTChannel::MakeEquidistantIfRegular()
{
    if (m_timeBaseType != kTimeVector || !m_timesAscending) {
        return;
    }
    if (m_count < 2) {
        if (!AllFinite(m_times.get(), m_count)) {
            return;
        }
        m_t0 = m_count == 1 ? m_times[0] : 0.0;
        m_dt = 1.0;
        m_timeBaseType = kEquidistant;
        m_times.reset();
        RescanMissing();
        return;
    }
    double minStep = 0.0;
    double maxStep = 0.0;
    double nonFinite = m_times[0] - m_times[0];  // stays 0 while every time is finite
    for (uint32_t i = 1; i < m_count; ++i) {
        const double d = m_times[i] - m_times[i - 1];
        if (d > 0.0 && (minStep == 0.0 || d < minStep)) {
            minStep = d;
        }
        maxStep = std::max(maxStep, d);
        nonFinite += m_times[i] - m_times[i];
    }
    if (minStep == 0.0 || nonFinite != 0.0) {
        return;
    }
    const double ratio = maxStep / minStep;
    if (ratio < 1.0 + kRegularTolerance) {
        ConvertToEquidistant(false, false);
        return;
    }
    if (ratio < kGapRatio) {
        return;
    }

    // A regular grid with gaps: most steps are the grid step, the others whole multiples of it.
    const double span = m_times[m_count - 1] - m_times[0];
    const double k = std::round(span / minStep);
    const double step = span / k;
    if (!std::isfinite(step) || k > 2.0 * m_count) {
        return;
    }
    const uint32_t n = static_cast<uint32_t>(k);
    const uint32_t steps = m_count - 1;
    auto isGridStep = [&](uint32_t i) {
        return std::fabs(m_times[i + 1] - m_times[i] - minStep) < kRegularTolerance * minStep;
    };
    uint32_t onGrid = 0;
    if (n <= 100) {
        for (uint32_t i = 0; i < steps; ++i) {
            onGrid += isGridStep(i) ? 1 : 0;
        }
        if (onGrid < n / 2) {
            return;
        }
    } else {
        for (uint32_t i = 0; i < std::min<uint32_t>(steps, 99); ++i) {
            onGrid += isGridStep(i) ? 1 : 0;
        }
        if (onGrid < 50) {
            return;
        }
    }
    // Every step, the first included, must span a whole number (at least one) of grid steps.
    for (uint32_t i = 0; i < steps; ++i) {
        const double d = m_times[i + 1] - m_times[i];
        const double q = std::round(d / step);
        if (q < 1.0 || d < (q - kRegularTolerance) * step || d > (q + kRegularTolerance) * step) {
            return;
        }
    }

    const uint32_t slots = n + 1;
    auto values = AllocateZeroed<double>(slots);
    auto missing = AllocateZeroed<uint8_t>(slots);
    std::fill(missing.get(), missing.get() + slots, uint8_t{1});
    const double t0 = m_times[0];
    for (uint32_t i = 0; i < m_count; ++i) {
        const double slot = std::min<double>(std::round((m_times[i] - t0) / step), n);
        const uint32_t s = static_cast<uint32_t>(std::max(slot, 0.0));
        values[s] = m_values[i];
        missing[s] = m_missing[i];
    }
    m_timeBaseType = kEquidistant;
    m_dt = step;
    m_t0 = t0;
    AdoptArrays(nullptr, std::move(values), std::move(missing), slots);
    RescanMissing();
}

void CKSTChannel::MakeXYChannel(const CKSTChannel& x, const CKSTChannel& y)
{
    // Pairs (x index, y index).
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    if (x.m_timeBaseType == kTimeVector && y.m_timeBaseType == kTimeVector) {
        // Only samples at equal times belong together.
        if (x.m_timesAscending && y.m_timesAscending) {
            uint32_t j = 0;
            for (uint32_t i = 0; i < x.m_count; ++i) {
                while (j < y.m_count && y.m_times[j] < x.m_times[i]) {
                    ++j;
                }
                if (j < y.m_count && y.m_times[j] == x.m_times[i]) {
                    pairs.emplace_back(i, j++);
                }
            }
        } else {
            std::vector<uint32_t> order(y.m_count);
            std::iota(order.begin(), order.end(), 0u);
            std::stable_sort(order.begin(), order.end(),
                             [&y](uint32_t a, uint32_t b) { return y.m_times[a] < y.m_times[b]; });
            for (uint32_t i = 0; i < x.m_count; ++i) {
                auto at = std::lower_bound(order.begin(), order.end(), x.m_times[i],
                                           [&y](uint32_t a, double t) { return y.m_times[a] < t; });
                if (at != order.end() && y.m_times[*at] == x.m_times[i]) {
                    pairs.emplace_back(i, *at);
                }
            }
        }
    } else {
        const uint32_t n = std::min(x.m_count, y.m_count);
        pairs.reserve(n);
        for (uint32_t i = 0; i < n; ++i) {
            pairs.emplace_back(i, i);
        }
    }

    CKSTChannel result;
    result.CopyFrom(y);
    result.m_timeBaseType = kTimeVector;
    const uint32_t n = static_cast<uint32_t>(pairs.size());
    auto times = AllocateZeroed<double>(n);
    auto values = AllocateZeroed<double>(n);
    auto missing = AllocateZeroed<uint8_t>(n);
    for (uint32_t k = 0; k < n; ++k) {
        times[k] = x.m_values[pairs[k].first];
        values[k] = y.m_values[pairs[k].second];
        missing[k] = y.m_missing[pairs[k].second];
    }
    result.AdoptArrays(std::move(times), std::move(values), std::move(missing), n);
    result.RescanAscending();
    result.m_valueTexts = y.m_valueTexts;
    TakeOver(result);
}

void CKSTChannel::SplitTimesAndValues(CKSTChannel& timesOut, CKSTChannel& valuesOut) const
{
    CKSTChannel times;
    CKSTChannel values;
    for (CKSTChannel* out : {&times, &values}) {
        out->CopyFrom(*this);
        out->m_timeBaseType = kEquidistant;
        out->m_t0 = 0.0;
        out->m_dt = 1.0;
        out->SetCapacity(m_count);
        out->m_count = m_count;
        if (m_count > 0) {
            std::copy(m_missing.get(), m_missing.get() + m_count, out->m_missing.get());
        }
        out->RescanMissing();
    }
    for (uint32_t i = 0; i < m_count; ++i) {
        times.m_values[i] = GetTimeAt(i);
        values.m_values[i] = m_values[i];
    }
    timesOut.TakeOver(times);
    valuesOut.TakeOver(values);
}

bool CKSTChannel::GetDominantTimeStep(double& step, double relTol) const
{
    step = 0.0;
    if (m_timeBaseType == kEquidistant) {
        step = m_dt;
        return true;
    }
    if (m_timeBaseType != kTimeVector || m_count < 2) {
        return false;
    }
    const double* t = m_times.get();
    return DominantStep(
        m_count - 1, [t](uint32_t i) { return t[i + 1] - t[i]; }, relTol, m_count, step);
}

bool CKSTChannel::GetDominantValueStep(double& step, bool absolute, double relTol) const
{
    step = 0.0;
    if (m_count < 2) {
        return false;
    }
    const double* v = m_values.get();
    return DominantStep(
        m_count - 1,
        [v, absolute](uint32_t i) {
            const double d = v[i + 1] - v[i];
            return absolute ? std::fabs(d) : d;
        },
        relTol, m_count, step);
}
