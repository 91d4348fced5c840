// Cutting to a time window, moving the time origin, appending and merging channels, and the
// arithmetic on the values.

#include "data/Channel.h"
#include "data/ChannelStorage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using kst_channel::AllocateZeroed;
using kst_channel::CopyArray;

namespace {

// Relative margin within which two times of merged channels count as one.
const double kMergeMargin = 1e-10;
// Relative tolerance of dt within which two equidistant channels join without merging.
const double kGridTolerance = 0.001;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Time window and origin

double CKSTChannel::ShiftTimeOrigin(double shift, bool keepStamp)
{
    const double s = shift + m_t0;
    double result = 0.0;
    if (keepStamp) {
        m_t0 = s;
    } else {
        m_startTimeStamp.AddSeconds(s);
        m_t0 = 0.0;
        if (m_timeBaseType == kTimeVector && shift != 0.0) {
            for (uint32_t i = 0; i < m_count; ++i) {
                m_times[i] -= shift;
            }
            m_timeOffset = 0.0;
        }
        result = shift;
    }
    if (!m_timesAscending) {
        RescanAscending();
    }
    if (m_timeBaseType == kEquidistant && m_hasMissing) {
        RescanMissing();
    }
    return result;
}

double CKSTChannel::CutIndexRange(uint32_t first, uint32_t end, bool keepStamp)
{
    end = std::min(end, m_count);
    if (first >= end) {
        return 0.0;
    }
    const double shift =
        m_timeBaseType == kTimeVector ? m_times[first] - m_times[0] + m_timeOffset : first * m_dt;
    if (first > 0 || end < m_count) {
        const uint32_t n = end - first;
        const double* times = m_times ? m_times.get() + first : nullptr;
        auto keptTimes = CopyArray(times, n, n);
        auto keptValues = CopyArray(m_values.get() + first, n, n);
        auto keptMissing = CopyArray(m_missing.get() + first, n, n);
        AdoptArrays(std::move(keptTimes), std::move(keptValues), std::move(keptMissing), n);
    }
    return ShiftTimeOrigin(shift, keepStamp);
}

uint32_t CKSTChannel::FirstIndexAtOrAfter(double time) const
{
    uint32_t i = GetIndexAtTime(time);
    if (GetTimeAt(i) < time) {
        ++i;
    }
    return std::min(i, m_count - 1);
}

double CKSTChannel::CutTimeRange(double t1, double t2, bool keepStamp)
{
    // Matrix rows have no time per sample; their samples are not dropped for want of one.
    if (m_timeBaseType == kMatrix) {
        return 0.0;
    }
    if (m_count == 0 || !HasSamplesBetween(t1, t2)) {
        FreeData(true, false);
        return ShiftTimeOrigin(t1, keepStamp);
    }
    uint32_t i1 = FirstIndexAtOrAfter(t1);
    uint32_t i2 = t2 <= GetEndTime() ? FirstIndexAtOrAfter(t2) : m_count;
    if (m_timeBaseType == kEquidistant && m_hasMissing) {
        i1 = FindNextPresent(i1);
        while (i2 > i1 && m_missing[i2 - 1]) {
            --i2;
        }
    }
    if (i1 >= i2) {
        FreeData(true, false);
        return ShiftTimeOrigin(t1, keepStamp);
    }
    // A window that opens before the first kept sample becomes the new origin.
    if (m_timeBaseType == kTimeVector) {
        if (m_times[i1] > 0.0 && t1 < m_times[i1]) {
            for (uint32_t i = 0; i < m_count; ++i) {
                m_times[i] -= t1;
            }
            m_startTimeStamp.AddSeconds(t1);
        }
    } else if (m_t0 > 0.0 && t1 > 0.0 && t1 < m_t0) {
        m_t0 -= t1;
        m_startTimeStamp.AddSeconds(t1);
    }
    return CutIndexRange(i1, i2, keepStamp);
}

double CKSTChannel::CutBetweenTimeStamps(const CKSTTimeStamp& stamp1, const CKSTTimeStamp& stamp2,
                                         bool keepStamp)
{
    return CutTimeRange(GetSecondsFromStart(stamp1), GetSecondsFromStart(stamp2), keepStamp);
}

void CKSTChannel::CopyTimeWindow(const CKSTChannel& source, double t1, double t2, bool keepStamp)
{
    if (&source == this) {
        const CKSTChannel copy(source);
        CopyTimeWindow(copy, t1, t2, keepStamp);
        return;
    }
    if (source.m_timeBaseType == kMatrix) {
        *this = source;
        return;
    }
    uint32_t i1 = 0;
    uint32_t i2 = 0;
    if (source.m_count > 0 && source.HasSamplesBetween(t1, t2)) {
        i1 = source.FindIndex(t1);
        i2 = t2 > source.GetEndTime() ? source.m_count : source.FindIndex(t2);
    }
    CKSTChannel window;
    window.CopyFrom(source);
    if (i1 < i2) {
        const uint32_t n = i2 - i1;
        const double* times = source.m_times ? source.m_times.get() + i1 : nullptr;
        window.AdoptArrays(CopyArray(times, n, n), CopyArray(source.m_values.get() + i1, n, n),
                           CopyArray(source.m_missing.get() + i1, n, n), n);
        window.m_timesAscending = source.m_timesAscending;
        window.m_hasMissing = source.m_hasMissing;
        // A text channel's values index its texts.
        window.m_valueTexts = source.m_valueTexts;
        const double shift = source.m_timeBaseType == kTimeVector
                                 ? source.m_times[i1] - source.m_times[0] + source.m_timeOffset
                                 : i1 * source.m_dt;
        window.ShiftTimeOrigin(shift, keepStamp);
        if (window.m_hasMissing) {
            window.RescanMissing();
        }
    }
    TakeOver(window);
}

void CKSTChannel::CopyTimeWindow(const CKSTChannel& source, const CKSTTimeStamp& stamp1,
                                 const CKSTTimeStamp& stamp2, bool keepStamp)
{
    CopyTimeWindow(source, source.GetSecondsFromStart(stamp1), source.GetSecondsFromStart(stamp2),
                   keepStamp);
}

// ---------------------------------------------------------------------------------------------
// Appending and merging

void CKSTChannel::AppendDirect(const CKSTChannel& other)
{
    if (&other == this) {
        const CKSTChannel copy(other);
        AppendDirect(copy);
        return;
    }
    const uint32_t n = other.m_count;
    if (m_count == 0) {
        m_dt = other.m_dt;
    }
    if (n > 0) {
        const uint64_t needed = static_cast<uint64_t>(m_count) + n;
        if (needed > 0xFFFFFFFFu) {
            throw CKSTBadAlloc();
        }
        if (needed > m_capacity) {
            SetCapacity(static_cast<uint32_t>(needed));
        }
        std::memcpy(m_values.get() + m_count, other.m_values.get(), sizeof(double) * n);
        std::memcpy(m_missing.get() + m_count, other.m_missing.get(), n);
        if (m_times) {
            for (uint32_t i = 0; i < n; ++i) {
                m_times[m_count + i] = other.GetTimeAt(i);
            }
            if (m_count > 0 && m_times[m_count - 1] > m_times[m_count]) {
                m_timesAscending = 0;
            }
        }
        m_count += n;
        // Missing samples must stay known, or writers would store them as values.
        if (other.m_hasMissing && m_timeBaseType == kEquidistant) {
            m_hasMissing = 1;
        }
    }
    for (int32_t k = 1; k < other.GetValueTextCount(); ++k) {
        SetValueText(k, other.m_valueTexts[k]);
    }
    if (other.m_timeBaseType == kTimeVector && !other.m_timesAscending) {
        m_timesAscending = 0;
    }
}

double CKSTChannel::Append(const CKSTChannel& other, bool continueAfterEnd)
{
    if (other.m_count == 0) {
        return 0.0;
    }
    if (&other == this) {
        const CKSTChannel copy(other);
        return Append(copy, continueAfterEnd);
    }
    // Matrix rows have no time per sample to join on.
    if (m_timeBaseType == kMatrix || other.m_timeBaseType == kMatrix) {
        return 0.0;
    }
    double offset = 0.0;
    if (m_count == 0 && m_timeBaseType == kEquidistant && other.m_timeBaseType == kEquidistant) {
        m_startTimeStamp = other.m_startTimeStamp;
        m_dt = other.m_dt;
        m_t0 = other.m_t0;
    } else if (continueAfterEnd) {
        offset = GetEndTime() + GetSampleInterval();
    } else {
        offset = GetSecondsFromStart(other.m_startTimeStamp);
    }

    if (m_timeBaseType == kEquidistant && other.m_timeBaseType == kEquidistant && !m_hasMissing &&
        !other.m_hasMissing && std::fabs(m_dt - other.m_dt) < kGridTolerance * m_dt &&
        offset >= 0.0 &&
        std::fabs(m_count * m_dt + m_t0 - offset - other.m_t0) < kGridTolerance * m_dt) {
        AppendDirect(other);
        return offset;
    }

    // Merge by time on the axis of whichever channel starts earlier (by origin).
    const double thisShift = offset < 0.0 ? -offset : 0.0;
    const double otherShift = offset < 0.0 ? 0.0 : offset;
    const uint64_t total = static_cast<uint64_t>(m_count) + other.m_count;
    if (total > 0xFFFFFFFFu) {
        throw CKSTBadAlloc();
    }
    const uint32_t capacity = static_cast<uint32_t>(total);
    auto times = AllocateZeroed<double>(capacity);
    auto values = AllocateZeroed<double>(capacity);
    auto missing = AllocateZeroed<uint8_t>(capacity);
    uint32_t i = 0;
    uint32_t j = 0;
    uint32_t k = 0;
    auto take = [&](double time, double value) {
        times[k] = time;
        values[k] = value;
        ++k;
    };
    while (true) {
        while (i < m_count && m_missing[i]) {
            ++i;
        }
        while (j < other.m_count && other.m_missing[j]) {
            ++j;
        }
        if (i == m_count && j == other.m_count) {
            break;
        }
        if (j == other.m_count) {
            take(GetTimeAt(i) + thisShift, m_values[i]);
            ++i;
            continue;
        }
        const double b = other.GetTimeAt(j) + otherShift;
        if (i == m_count) {
            take(b, other.m_values[j]);
            ++j;
            continue;
        }
        const double a = GetTimeAt(i) + thisShift;
        const double margin = kMergeMargin * std::fabs(a);
        if (b <= a + margin) {
            // At equal times the appended sample wins.
            if (b >= a - margin) {
                ++i;
            }
            take(b, other.m_values[j]);
            ++j;
        } else {
            take(a, m_values[i]);
            ++i;
        }
    }
    if (offset < 0.0) {
        m_startTimeStamp = other.m_startTimeStamp;
    }
    m_timeBaseType = kTimeVector;
    m_t0 = 0.0;
    m_times = std::move(times);
    m_values = std::move(values);
    m_missing = std::move(missing);
    m_capacity = capacity;
    m_count = k;
    m_hasMissing = 0;
    RescanAscending();
    return offset;
}

void CKSTChannel::MergeSortedValues(const CKSTChannel& other, double tolerance)
{
    if (&other == this) {
        const CKSTChannel copy(other);
        MergeSortedValues(copy, tolerance);
        return;
    }
    const uint64_t total = static_cast<uint64_t>(m_count) + other.m_count;
    if (total > 0xFFFFFFFFu) {
        throw CKSTBadAlloc();
    }
    const uint32_t capacity = static_cast<uint32_t>(total);
    const bool withTimes = m_timeBaseType == kTimeVector;
    auto times = withTimes ? AllocateZeroed<double>(capacity) : nullptr;
    auto values = AllocateZeroed<double>(capacity);
    auto missing = AllocateZeroed<uint8_t>(capacity);
    uint32_t i = 0;
    uint32_t j = 0;
    uint32_t k = 0;
    auto take = [&](const CKSTChannel& from, uint32_t index) {
        const double v = from.m_values[index];
        if (k > 0 && std::fabs(v - values[k - 1]) < tolerance) {
            return;
        }
        values[k] = v;
        if (withTimes) {
            times[k] = from.GetTimeAt(index);
        }
        ++k;
    };
    while (true) {
        while (i < m_count && m_missing[i]) {
            ++i;
        }
        while (j < other.m_count && other.m_missing[j]) {
            ++j;
        }
        if (i == m_count && j == other.m_count) {
            break;
        }
        if (j == other.m_count || (i < m_count && m_values[i] <= other.m_values[j])) {
            take(*this, i++);
        } else {
            take(other, j++);
        }
    }
    m_times = std::move(times);
    m_values = std::move(values);
    m_missing = std::move(missing);
    m_capacity = capacity;
    m_count = k;
    m_hasMissing = 0;
    RescanAscending();
}

// ---------------------------------------------------------------------------------------------
// Value arithmetic

void CKSTChannel::AddToValues(double c)
{
    for (uint32_t i = 0; i < m_count; ++i) {
        m_values[i] += c;
    }
}

void CKSTChannel::SubtractFromValues(double c)
{
    for (uint32_t i = 0; i < m_count; ++i) {
        m_values[i] -= c;
    }
}

void CKSTChannel::MultiplyValues(double c)
{
    for (uint32_t i = 0; i < m_count; ++i) {
        m_values[i] *= c;
    }
}

void CKSTChannel::SquareValues()
{
    for (uint32_t i = 0; i < m_count; ++i) {
        m_values[i] *= m_values[i];
    }
}

void CKSTChannel::ReverseValues()
{
    if (m_count == 0) {
        return;
    }
    std::reverse(m_values.get(), m_values.get() + m_count);
    std::reverse(m_missing.get(), m_missing.get() + m_count);
}

void CKSTChannel::Difference(const CKSTChannel& other)
{
    if (other.m_count == 0) {
        return;
    }
    CKSTChannel result(other);
    const uint32_t n = other.m_count - 1;
    for (uint32_t i = 0; i < n; ++i) {
        result.m_values[i] = other.m_values[i + 1] - other.m_values[i];
        result.m_missing[i] = other.m_missing[i] | other.m_missing[i + 1];
        if (result.m_times) {
            result.m_times[i] = other.m_times[i + 1];
        }
    }
    // The flag of the dropped last sample must not stay behind the count.
    result.m_missing[n] = 0;
    result.m_count = n;
    if (result.m_timeBaseType != kTimeVector) {
        result.m_t0 += result.m_dt;
    }
    result.RescanMissing();
    result.RescanAscending();
    TakeOver(result);
}

void CKSTChannel::CumulativeSum(const CKSTChannel& other)
{
    CKSTChannel result(other);
    if (result.m_count == 0) {
        TakeOver(result);
        return;
    }
    double sum = 0.0;
    for (uint32_t i = 0; i < result.m_count; ++i) {
        const double v = result.m_values[i];
        result.m_values[i] = sum;
        if (!result.m_missing[i]) {
            sum += v;
        }
    }
    if (result.m_timeBaseType == kTimeVector) {
        result.AppendTimeValue(result.GetEndTime() + result.GetSampleInterval(), sum);
    } else {
        result.AppendValues(sum, false, 1);
    }
    TakeOver(result);
}

void CKSTChannel::SetTimeOffset(double offset)
{
    if (m_timeBaseType != kTimeVector) {
        return;
    }
    const double delta = offset - m_timeOffset;
    for (uint32_t i = 0; i < m_count; ++i) {
        m_times[i] += delta;
    }
    m_timeOffset = offset;
}

void CKSTChannel::SetValueOffset(double offset)
{
    AddToValues(offset - m_valueOffset);
    m_valueOffset = offset;
}
