// Statistics, level crossings and the window queries of the curve painter and the dialogs.

#include "data/Channel.h"

#include <algorithm>
#include <cmath>

namespace {

const double kHuge = 1e300;
const double kBinaryTolerance = 1e-20;

bool StrictlyBetween(double a, double b, double t)
{
    return (a < t && t < b) || (b < t && t < a);
}

// Whether the segment from (x0, y0) to (x1, y1) touches the closed rectangle (Liang-Barsky).
bool SegmentTouchesRect(double x0, double y0, double x1, double y1, double left, double top,
                        double right, double bottom)
{
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double enter = 0.0;
    double leave = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0) {
                return false;
            }
            continue;
        }
        const double r = q[k] / p[k];
        if (p[k] < 0.0) {
            enter = std::max(enter, r);
        } else {
            leave = std::min(leave, r);
        }
        if (enter > leave) {
            return false;
        }
    }
    return true;
}

}  // namespace

double CKSTChannel::GetMeanValue() const
{
    if (m_count == 0) {
        return 0.0;
    }
    double sum = 0.0;
    for (uint32_t i = 0; i < m_count; ++i) {
        sum += m_values[i];
    }
    return sum / m_count;
}

void CKSTChannel::GetStatistics(double& min, double& max, double& mean, double& deviation,
                                double& timeOfMin, double& timeOfMax, uint32_t first,
                                uint32_t end) const
{
    min = max = mean = deviation = timeOfMin = timeOfMax = 0.0;
    if (first == 0 && end == 0) {
        end = m_count;
    }
    end = std::min(end, m_count);
    if (first >= end) {
        return;
    }
    double lo = kHuge;
    double hi = -kHuge;
    uint32_t iMin = first;
    uint32_t iMax = first;
    double sum = 0.0;
    for (uint32_t i = first; i < end; ++i) {
        const double v = m_values[i];
        if (v < lo) {
            lo = v;
            iMin = i;
        }
        if (v > hi) {
            hi = v;
            iMax = i;
        }
        sum += v;
    }
    const uint32_t n = end - first;
    mean = sum / n;
    if (n > 1) {
        double squares = 0.0;
        for (uint32_t i = first; i < end; ++i) {
            const double d = m_values[i] - mean;
            squares += d * d;
        }
        deviation = std::sqrt(squares / (n - 1));
    }
    min = lo;
    max = hi;
    timeOfMin = GetTimeAt(iMin);
    timeOfMax = GetTimeAt(iMax);
}

double CKSTChannel::GetTimeOfMaxValue() const
{
    if (m_count == 0) {
        return 0.0;
    }
    return GetTimeAt(std::max_element(m_values.get(), m_values.get() + m_count) - m_values.get());
}

// The earliest sample at the level or crossing of it between samples first .. last; the first
// time of a time vector (0.0 otherwise) when there is none.
double CKSTChannel::CrossingTime(double level, uint32_t first, uint32_t last) const
{
    for (uint32_t i = first; i <= last && i < m_count; ++i) {
        if (i > first && StrictlyBetween(m_values[i - 1], m_values[i], level)) {
            const double ta = GetTimeAt(i - 1);
            const double tb = GetTimeAt(i);
            return ta + (level - m_values[i - 1]) * (tb - ta) / (m_values[i] - m_values[i - 1]);
        }
        if (m_values[i] == level) {
            return GetTimeAt(i);
        }
    }
    return m_timeBaseType == kTimeVector && m_count > 0 ? m_times[0] : 0.0;
}

double CKSTChannel::FindLevelCrossingTime(double level) const
{
    return m_count == 0 ? CrossingTime(level, 1, 0) : CrossingTime(level, 0, m_count - 1);
}

double CKSTChannel::FindLevelCrossingTimeInRange(double level, uint32_t first, uint32_t last) const
{
    if (first == kWholeChannel && last == kWholeChannel) {
        first = 0;
    }
    return CrossingTime(level, first, last);
}

double CKSTChannel::FindLevelCrossingTimeAfter(double level, double time) const
{
    if (m_count == 0) {
        return CrossingTime(level, 1, 0);
    }
    return CrossingTime(level, FirstIndexAtOrAfter(time), m_count - 1);
}

double CKSTChannel::GetTimeOfNearestValue(double value) const
{
    if (m_count == 0) {
        return 0.0;
    }
    uint32_t best = 0;
    double bestDistance = std::fabs(m_values[0] - value);
    for (uint32_t i = 1; i < m_count; ++i) {
        const double d = std::fabs(m_values[i] - value);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return GetTimeAt(best);
}

uint32_t CKSTChannel::FindNextCrossingIndex(double level, uint32_t start, uint32_t mode) const
{
    const bool rising = mode == kCrossRising || mode == kCrossEither;
    const bool falling = mode == kCrossFalling || mode == kCrossEither;
    for (uint32_t i = std::max<uint32_t>(start, 1); i < m_count; ++i) {
        const double before = m_values[i - 1];
        const double v = m_values[i];
        if ((rising && before < level && level <= v) || (falling && v <= level && level < before)) {
            return i;
        }
    }
    return 0;
}

bool CKSTChannel::GetMinMaxBetween(double t1, double t2, double& min, double& max) const
{
    if (m_count == 0 || GetStartTime() > t2 || GetEndTime() < t1) {
        return false;
    }
    const double v1 = GetValueAtTime(t1);
    const double v2 = GetValueAtTime(t2);
    min = std::min(v1, v2);
    max = std::max(v1, v2);
    const uint32_t i1 = FindIndex(t1);
    const uint32_t i2 = FindIndex(t2);
    if (i1 < i2) {
        for (uint32_t i = i1; i <= i2; ++i) {
            min = std::min(min, m_values[i]);
            max = std::max(max, m_values[i]);
        }
    }
    return true;
}

bool CKSTChannel::GetMinMaxInWindow(double t1, double t2, double& min, double& max) const
{
    if (m_count == 0 || GetStartTime() > t2 || GetEndTime() < t1) {
        return false;
    }
    min = kHuge;
    max = -kHuge;
    const uint32_t i2 = GetIndexAtTime(t2);
    for (uint32_t i = GetIndexAtTime(t1); i <= i2; ++i) {
        min = std::min(min, m_values[i]);
        max = std::max(max, m_values[i]);
    }
    return true;
}

bool CKSTChannel::GetBarRangeInWindow(double t1, double t2, double& low, double& high) const
{
    double min = 0.0;
    double max = 0.0;
    if (!GetMinMaxInWindow(t1, t2, min, max)) {
        return false;
    }
    low = max >= 0.0 ? 0.0 : min;
    high = max >= 0.0 ? max : 0.0;
    return true;
}

bool CKSTChannel::GetIndexRange(double t1, double t2, uint32_t& first, uint32_t& last) const
{
    first = 0;
    last = 0;
    if (m_count == 0 || m_timeBaseType == kMatrix) {
        return false;
    }
    if (m_timeBaseType == kEquidistant) {
        const double start = GetStartTime();
        if (t2 < start) {
            return false;
        }
        if (t1 > start) {
            // The first sample at or after t1, like the time-vector form.
            const double x = std::ceil((t1 - m_t0) / m_dt);
            if (!(x <= m_count - 1)) {
                return false;
            }
            first = static_cast<uint32_t>(std::max(x, 0.0));
        }
        const double y = std::floor((t2 - m_t0) / m_dt);
        last = y >= m_count - 1 ? m_count - 1 : static_cast<uint32_t>(std::max(y, 0.0));
        first = FindNextPresent(first);
        while (last > 0 && m_missing[last]) {
            --last;
        }
        return first < m_count && last >= first && !m_missing[last];
    }
    if (t2 < m_times[0] || t1 > m_times[m_count - 1]) {
        return false;
    }
    const double* begin = m_times.get();
    const double* end = begin + m_count;
    first = static_cast<uint32_t>(std::lower_bound(begin, end, t1) - begin);
    const uint32_t after = static_cast<uint32_t>(std::upper_bound(begin, end, t2) - begin);
    if (after == 0) {
        return false;
    }
    last = after - 1;
    return last >= first;
}

bool CKSTChannel::HasSamplesBetween(double t1, double t2) const
{
    if (m_count == 0 || m_timeBaseType == kMatrix) {
        return false;
    }
    const double lo = std::min(t1, t2);
    const double hi = std::max(t1, t2);
    if (m_timeBaseType == kEquidistant && m_dt > 0.0) {
        const double a = std::max(std::ceil((lo - m_t0) / m_dt), 0.0);
        const double b = std::min(std::floor((hi - m_t0) / m_dt), m_count - 1.0);
        if (!(a <= b)) {
            return false;
        }
        return FindNextPresent(static_cast<uint32_t>(a)) <= static_cast<uint32_t>(b);
    }
    if (m_timeBaseType == kTimeVector && m_timesAscending) {
        const double* at = std::lower_bound(m_times.get(), m_times.get() + m_count, lo);
        return at != m_times.get() + m_count && *at <= hi;
    }
    for (uint32_t i = 0; i < m_count; ++i) {
        const double t = GetTimeAt(i);
        if (!m_missing[i] && lo <= t && t <= hi) {
            return true;
        }
    }
    return false;
}

bool CKSTChannel::IntersectsRect(double left, double top, double right, double bottom) const
{
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    if (m_count == 1) {
        const double t = GetTimeAt(0);
        return left <= t && t <= right && top <= m_values[0] && m_values[0] <= bottom;
    }
    for (uint32_t i = 1; i < m_count; ++i) {
        if (SegmentTouchesRect(GetTimeAt(i - 1), m_values[i - 1], GetTimeAt(i), m_values[i], left,
                               top, right, bottom)) {
            return true;
        }
    }
    return false;
}

bool CKSTChannel::AreValuesAscending() const
{
    for (uint32_t i = 1; i < m_count; ++i) {
        if (m_values[i] < m_values[i - 1]) {
            return false;
        }
    }
    return true;
}

bool CKSTChannel::AreValuesStrictlyAscending() const
{
    for (uint32_t i = 1; i < m_count; ++i) {
        if (!(m_values[i] > m_values[i - 1])) {
            return false;
        }
    }
    return true;
}

bool CKSTChannel::IsBinary() const
{
    for (uint32_t i = 0; i < m_count; ++i) {
        const double v = m_values[i];
        if (!(std::fabs(v) < kBinaryTolerance || std::fabs(v - 1.0) < kBinaryTolerance)) {
            return false;
        }
    }
    return true;
}
