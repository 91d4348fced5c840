#include "data/Channel.h"

#include "data/ChannelStorage.h"
#include "foundation/ByteOrder.h"
#include "foundation/ErrorCodes.h"
#include "foundation/ParallelFor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

using kst_channel::AllocateZeroed;
using kst_channel::CopyArray;
using kst_channel::RoundClamped;

namespace {

const double kHuge = 1e300;
const uint32_t kMaxCount = std::numeric_limits<uint32_t>::max();
const size_t kValueTextReuseLimit = 100;
const double kFarFutureDays = 2958464.0;  // 9999-12-30

uint32_t SaturatingAdd(uint32_t a, uint32_t b)
{
    return b > kMaxCount - a ? kMaxCount : a + b;
}

bool StrictlyBetween(double a, double b, double t)
{
    return (a < t && t < b) || (b < t && t < a);
}

double Interpolate(double ta, double va, double tb, double vb, double t)
{
    return va + (vb - va) * (t - ta) / (tb - ta);
}

// Where a halving search puts a time among ascending times. A sample at exactly the time gives
// before == after (the first such sample the halving meets); otherwise times[before] < time <
// times[after] with after == before + 1, where before may be -1 and after the count.
struct TimeBracket {
    int64_t before;
    int64_t after;
    bool IsExact() const { return before == after; }
};

TimeBracket BracketTime(const double* times, uint32_t count, double time)
{
    int64_t lo = 0;
    int64_t hi = static_cast<int64_t>(count) - 1;
    while (lo <= hi) {
        const int64_t mid = (lo + hi) / 2;
        if (times[mid] == time) {
            return {mid, mid};
        }
        if (time < times[mid]) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return {hi, lo};
}

// Hands n codes of `width` bits (at most 32), packed most significant bit first, to
// put(k, code) in order; byteCount bytes hold them all.
template <typename Put>
void UnpackCodes(const uint8_t* bytes, size_t byteCount, uint32_t n, uint32_t width, Put put)
{
    if (width == 0) {
        for (uint32_t k = 0; k < n; ++k) {
            put(k, 0);
        }
        return;
    }
    // Unread bits sit left-aligned in `bits`. A refill ORs in the next eight bytes and counts
    // the whole ones that fitted (the bits of a byte taken in part are ORed in again later at
    // the same place); the at least 56 bits it leaves give several codes without a check.
    const uint32_t perRefill = 56 / width;  // a division per refill would cost as much as the codes
    uint64_t bits = 0;
    uint32_t held = 0;
    size_t pos = 0;
    uint32_t k = 0;
    while (k < n) {
        uint32_t ready = perRefill;
        if (byteCount - pos >= 8) {
            bits |= KstLoadBE<uint64_t>(bytes + pos) >> held;
            const uint32_t taken = (63 - held) >> 3;
            pos += taken;
            held += 8 * taken;
        } else {
            while (held <= 56 && pos < byteCount) {
                bits |= static_cast<uint64_t>(bytes[pos++]) << (56 - held);
                held += 8;
            }
            ready = held / width;
        }
        ready = std::min(ready, n - k);
        for (uint32_t j = 0; j < ready; ++j) {
            // Codes have at most 32 bits: through int64_t the conversion is one instruction.
            put(k + j, static_cast<int64_t>(bits >> (64 - width)));
            bits <<= width;
        }
        held -= ready * width;
        k += ready;
    }
}
// Ranges a decode of n fresh samples is split into: the first touches of the channel's new pages
// are what several threads share.
uint32_t SplitParts(uint32_t n)
{
    return KstParallelThreadsFor(n, KstDecodeGrain(true, n));
}

// A packed block whose codes are unpacked in ranges of whole groups of eight, each starting on
// a byte.
struct PackedCodes {
    const uint8_t* bytes;
    size_t byteCount;
    uint32_t n;
    uint32_t width;

    // Hands codes first .. end - 1 to put(k, code); first is a multiple of 8.
    template <typename Put>
    void Unpack(size_t first, size_t end, Put put) const
    {
        const size_t from = first * width / 8;
        UnpackCodes(bytes + from, byteCount - from, static_cast<uint32_t>(end - first), width,
                    [&](uint32_t k, int64_t code) { put(first + k, code); });
    }

    // work(part, first, end) for `parts` ranges covering the codes, on as many threads.
    template <typename Work>
    void Split(uint32_t parts, Work work) const
    {
        const size_t groups = (static_cast<size_t>(n) + 7) / 8;
        const size_t perPart = (groups + parts - 1) / std::max<uint32_t>(parts, 1);
        KstParallelFor(parts, 1, [&](size_t p0, size_t p1) {
            for (size_t p = p0; p < p1; ++p) {
                const size_t first = std::min<size_t>(p * perPart * 8, n);
                const size_t end = std::min<size_t>((p + 1) * perPart * 8, n);
                if (first < end) {
                    work(static_cast<uint32_t>(p), first, end);
                }
            }
        });
    }
};

// The values of a difference block: firstValue, then the running sum of the codes less the
// bias. Where every partial sum is an integer a double holds exactly, the sums of the ranges are
// taken first and the ranges then decoded on several threads, giving the same bits as one pass.
void DecodeRunningSum(const PackedCodes& codes, double bias, double scale, double firstValue,
                      double* out)
{
    const double bound =
        static_cast<double>(codes.n) * (std::ldexp(1.0, codes.width) + std::fabs(bias));
    const uint32_t parts = bound < 0x1p53 ? SplitParts(codes.n) : 1;
    std::vector<int64_t> starts(parts, 0);
    if (parts > 1) {
        const auto whole = static_cast<int64_t>(bias);
        codes.Split(parts, [&](uint32_t part, size_t first, size_t end) {
            int64_t sum = 0;
            codes.Unpack(first, end, [&](size_t, int64_t code) { sum += code - whole; });
            starts[part] = sum;
        });
        int64_t running = 0;
        for (int64_t& start : starts) {
            std::swap(start, running);
            running += start;
        }
    }
    codes.Split(parts, [&](uint32_t part, size_t first, size_t end) {
        double sum = static_cast<double>(starts[part]);
        codes.Unpack(first, end, [&](size_t k, int64_t code) {
            sum += static_cast<double>(code) - bias;
            out[k] = sum * scale + firstValue;
        });
    });
}

}  // namespace

CKSTChannel::CKSTChannel()
{
    InitDefaults();
}

CKSTChannel::CKSTChannel(const CKSTChannel& other) : CKSTChannel()
{
    *this = other;
}

CKSTChannel& CKSTChannel::operator=(const CKSTChannel& other)
{
    if (this == &other) {
        return *this;
    }
    // Everything that can fail first, so that a failed copy leaves this channel as it was.
    Array<double> times = CopyArray(other.m_times.get(), other.m_capacity, other.m_count);
    Array<double> values = CopyArray(other.m_values.get(), other.m_capacity, other.m_count);
    Array<uint8_t> missing = CopyArray(other.m_missing.get(), other.m_capacity, other.m_count);
    std::vector<CKSTString> texts = other.m_valueTexts;

    FreeData(true, true);
    CopyHeader(other);
    m_count = other.m_count;
    m_capacity = other.m_capacity;
    m_growthStep = other.m_growthStep;
    m_timesAscending = other.m_timesAscending;
    m_hasMissing = other.m_hasMissing;
    m_times = std::move(times);
    m_values = std::move(values);
    m_missing = std::move(missing);
    m_valueTexts.swap(texts);
    return *this;
}

CKSTChannel::~CKSTChannel()
{
    // A window told first may drop other windows' registrations; only those still registered
    // are told.
    const std::vector<IKSTChannelObserver*> observers = m_observers;
    for (IKSTChannelObserver* observer : observers) {
        if (std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end()) {
            observer->OnChannelDestroyed(this);
        }
    }
    m_observers.clear();
    Reset();
    if (!m_backingFile.IsEmpty()) {
        std::remove(m_backingFile.c_str());
    }
}

void CKSTChannel::CopyHeader(const CKSTChannel& other)
{
    m_timeBaseType = other.m_timeBaseType;
    m_sampleType = other.m_sampleType;
    m_storedSampleType = other.m_storedSampleType;
    m_number = other.m_number;
    m_name = other.m_name;
    m_group = other.m_group;
    m_comment = other.m_comment;
    m_uniqueName = other.m_uniqueName;
    m_sourceFile = other.m_sourceFile;
    m_timeUnit = other.m_timeUnit;
    m_unit = other.m_unit;
    m_secondAxisUnit = other.m_secondAxisUnit;
    m_startTimeStamp = other.m_startTimeStamp;
    m_dt = other.m_dt;
    m_t0 = other.m_t0;
    m_sourceAttribute = other.m_sourceAttribute;
    m_timeOffset = other.m_timeOffset;
    m_valueOffset = other.m_valueOffset;
    m_selected = other.m_selected;
    m_color = other.m_color;
    m_storedDisplayFlags = other.m_storedDisplayFlags;
    m_displayFlags = other.m_displayFlags;
    m_matrixRowLength = other.m_matrixRowLength;
    m_secondAxisOrigin = other.m_secondAxisOrigin;
    m_secondAxisStep = other.m_secondAxisStep;
    m_matrixFlag = other.m_matrixFlag;
}

void CKSTChannel::InitDefaults()
{
    m_timeBaseType = kEquidistant;
    m_sampleType = 5;
    m_storedSampleType = 5;
    m_name.Empty();
    m_group.Empty();
    m_comment.Empty();
    m_uniqueName.Empty();
    m_sourceFile.Empty();
    m_backingFile.Empty();
    m_number = -1;
    m_timeUnit = "s";
    m_unit.Empty();
    m_secondAxisUnit.Empty();
    m_startTimeStamp.SetZero();
    m_dt = 1.0;
    m_t0 = 0.0;
    m_sourceAttribute = -1;
    m_timeOffset = 0.0;
    m_valueOffset = 0.0;
    m_selected = 0;
    m_color = -1;
    m_storedDisplayFlags = 0;
    m_displayFlags = 0;
    m_matrixRowLength = 0;
    m_secondAxisOrigin = 0.0;
    m_secondAxisStep = 1.0;
    m_matrixFlag = 0;
    FreeData(true, true);
}

void CKSTChannel::CopyFrom(const CKSTChannel& other)
{
    if (this != &other) {
        CopyHeader(other);
    }
    FreeData(true, true);
}

void CKSTChannel::TakeOver(CKSTChannel& source)
{
    if (this == &source) {
        return;
    }
    CopyHeader(source);
    m_count = source.m_count;
    m_capacity = source.m_capacity;
    m_growthStep = source.m_growthStep;
    m_timesAscending = source.m_timesAscending;
    m_hasMissing = source.m_hasMissing;
    m_times = std::move(source.m_times);
    m_values = std::move(source.m_values);
    m_missing = std::move(source.m_missing);
    m_valueTexts.swap(source.m_valueTexts);
    source.FreeData(true, true);
}

void CKSTChannel::AdoptArrays(Array<double> times, Array<double> values, Array<uint8_t> missing,
                              uint32_t count)
{
    m_times = std::move(times);
    m_values = std::move(values);
    m_missing = std::move(missing);
    m_count = count;
    m_capacity = count;
}

// ---------------------------------------------------------------------------------------------
// Storage

void CKSTChannel::SetTimeBaseType(uint32_t kind)
{
    if (m_capacity == 0 && kind <= kMatrix) {
        m_timeBaseType = kind;
    }
}

void CKSTChannel::SetGrowthStep(uint32_t n)
{
    if (n > 1) {
        m_growthStep = n;
    }
}

void CKSTChannel::Reserve(uint32_t n)
{
    if (n <= m_capacity) {
        return;
    }
    const uint32_t stepped = SaturatingAdd(m_capacity, m_growthStep);
    SetCapacity(n > stepped ? n : stepped);
}

void CKSTChannel::TouchRoom()
{
    constexpr uint32_t kPerPage = 4096 / sizeof(double);
    if (!m_values || m_capacity <= m_count) {
        return;
    }
    double* room = m_values.get() + m_count;
    const uint32_t n = m_capacity - m_count;
    KstParallelFor(n, KstDecodeGrain(true, n), [room](size_t first, size_t end) {
        for (size_t i = first; i < end; i += kPerPage) {
            room[i] = 0.0;
        }
    });
}

void CKSTChannel::SetCapacity(uint32_t n)
{
    if (n == m_capacity) {
        return;
    }
    const uint32_t keep = std::min(m_count, n);
    // A fresh zeroed flag array keeps the flags beyond the count 0; only a channel that can hold
    // flags has any to carry over, so one without missing samples never touches its flags.
    Array<uint8_t> missing = AllocateZeroed<uint8_t>(n);
    const bool mayHoldFlags = m_hasMissing != 0 || m_timeBaseType != kEquidistant;
    if (keep > 0 && mayHoldFlags && m_missing) {
        std::memcpy(missing.get(), m_missing.get(), keep);
    }
    if (m_timeBaseType == kTimeVector) {
        const bool hadTimes = m_times != nullptr;
        kst_channel::Resize(m_times, hadTimes ? m_capacity : 0, n);
        if (!hadTimes && keep > 0) {
            std::fill(m_times.get(), m_times.get() + keep, 0.0);
        }
    } else {
        m_times.reset();
    }
    kst_channel::Resize(m_values, m_values ? m_capacity : 0, n);
    const bool truncated = keep < m_count;
    m_missing = std::move(missing);
    m_capacity = n;
    m_count = keep;
    if (n / 10 > m_growthStep) {
        m_growthStep = n / 10;
    }
    if (truncated) {
        // Dropped samples may have been the only missing ones or the only ones out of order.
        m_hasMissing = std::any_of(m_missing.get(), m_missing.get() + m_count,
                                   [](uint8_t f) { return f != 0; })
                           ? 1
                           : 0;
        RescanAscending();
    }
}

void CKSTChannel::GrowByStep()
{
    if (m_capacity == kMaxCount) {
        throw CKSTBadAlloc();
    }
    SetCapacity(SaturatingAdd(m_capacity, m_growthStep));
}

double* CKSTChannel::MakeRoom(uint32_t n)
{
    const uint64_t needed = static_cast<uint64_t>(m_count) + n;
    if (needed > kMaxCount) {
        throw CKSTBadAlloc();
    }
    if (needed > m_capacity) {
        // Half as much again: a channel read block by block is copied a bounded number of times.
        const uint64_t grown =
            m_capacity == 0 ? needed
                            : static_cast<uint64_t>(m_capacity) +
                                  std::max<uint64_t>(m_capacity / 2, m_growthStep);
        SetCapacity(static_cast<uint32_t>(std::clamp<uint64_t>(grown, needed, kMaxCount)));
    }
    return m_values.get() + m_count;
}

void CKSTChannel::AppendMissing(uint32_t n)
{
    if (n == 0) {
        return;
    }
    double* values = MakeRoom(n);
    std::fill(values, values + n, 0.0);
    std::fill(m_missing.get() + m_count, m_missing.get() + m_count + n, uint8_t{1});
    if (m_times) {
        std::fill(m_times.get() + m_count, m_times.get() + m_count + n, 0.0);
    }
    m_count += n;
    m_hasMissing = 1;
}

void CKSTChannel::AppendValue(double value, bool missing)
{
    if (m_timeBaseType != kEquidistant) {
        return;
    }
    if (m_count == m_capacity) {
        GrowByStep();
    }
    m_values[m_count] = value;
    if (missing) {
        m_missing[m_count] = 1;
        m_hasMissing = 1;
    }
    ++m_count;
}

void CKSTChannel::AppendValues(double value, bool missing, uint32_t n)
{
    if (n == 0) {
        return;
    }
    const uint64_t needed = static_cast<uint64_t>(m_count) + n;
    if (needed > kMaxCount) {
        throw CKSTBadAlloc();
    }
    if (needed > m_capacity) {
        const uint64_t target =
            n > m_growthStep ? needed : static_cast<uint64_t>(m_capacity) + m_growthStep;
        SetCapacity(static_cast<uint32_t>(std::clamp<uint64_t>(target, needed, kMaxCount)));
    }
    std::fill(m_values.get() + m_count, m_values.get() + needed, value);
    if (missing) {
        std::fill(m_missing.get() + m_count, m_missing.get() + needed, uint8_t{1});
    }
    if (m_times) {
        std::fill(m_times.get() + m_count, m_times.get() + needed, 0.0);
    }
    m_count = static_cast<uint32_t>(needed);
    if (missing) {
        m_hasMissing = 1;
    }
}

void CKSTChannel::AppendTimeValue(double time, double value)
{
    if (m_timeBaseType != kTimeVector && !m_times && !m_values) {
        m_timeBaseType = kTimeVector;
    } else if (m_timeBaseType == kMatrix) {
        return;
    }
    if (m_timeBaseType == kEquidistant) {
        if (IsOnGrid(m_count, time)) {
            AppendValue(value, false);
            return;
        }
        ConvertToTimeVector(0.0);
    }
    if (m_count == m_capacity) {
        GrowByStep();
    }
    if (m_count > 0 && m_timesAscending && m_times[m_count - 1] > time) {
        m_timesAscending = 0;
    }
    m_times[m_count] = time;
    m_values[m_count] = value;
    ++m_count;
}

int CKSTChannel::ReadPackedValues(const uint8_t* bytes, size_t available, uint32_t n,
                                  uint32_t bitsPerCode, double scale, double offset, bool delta,
                                  double firstValue)
{
    if (bitsPerCode > 32) {
        return KST_ERR_INVALID_PACKED_BLOCK;
    }
    const uint64_t byteCount = (static_cast<uint64_t>(n) * bitsPerCode + 7) / 8;
    if (available < byteCount) {
        return KST_ERR_END_OF_DATA;
    }
    const uint64_t total = static_cast<uint64_t>(n) + (delta ? 1 : 0);
    if (static_cast<uint64_t>(m_count) + total > kMaxCount) {
        throw CKSTBadAlloc();
    }
    // Zero width would make the bias meaningless, and a zero scale would divide by zero.
    const double bias = scale != 0.0 ? std::round(-offset / scale) : 0.0;
    AppendDecoded(static_cast<uint32_t>(total), [&](double* out) {
        const PackedCodes codes{bytes, static_cast<size_t>(byteCount), n, bitsPerCode};
        if (delta) {
            *out = firstValue;
            DecodeRunningSum(codes, bias, scale, firstValue, out + 1);
            return;
        }
        codes.Split(SplitParts(n), [&](uint32_t, size_t first, size_t end) {
            codes.Unpack(first, end, [&](size_t k, int64_t code) {
                out[k] = static_cast<double>(code) * scale + offset;
            });
        });
    });
    return KST_OK;
}

void CKSTChannel::TakeTimes(CKSTChannel& times)
{
    if (m_timeBaseType != kTimeVector || times.m_count < m_count || &times == this) {
        return;
    }
    kst_channel::Resize(times.m_values, times.m_capacity, m_capacity);
    m_times = std::move(times.m_values);
    times.FreeData(true, true);
    RescanAscending();
}

void CKSTChannel::SetTimeAt(uint32_t i, double time)
{
    if (m_timeBaseType != kTimeVector || i >= m_count) {
        return;
    }
    if (m_timesAscending &&
        ((i > 0 && time < m_times[i - 1]) || (i + 1 < m_count && time > m_times[i + 1]))) {
        m_timesAscending = 0;
    }
    m_times[i] = time;
}

void CKSTChannel::FillTimes(double time)
{
    if (!m_times) {
        return;
    }
    std::fill(m_times.get(), m_times.get() + m_count, time);
    m_timesAscending = 1;
}

void CKSTChannel::SetValueAt(uint32_t i, double value)
{
    if (i < m_count) {
        m_values[i] = value;
    }
}

bool CKSTChannel::IsMissing(int64_t i) const
{
    if (m_count == 0) {
        return false;
    }
    return m_missing[std::clamp<int64_t>(i, 0, m_count - 1)] != 0;
}

uint32_t CKSTChannel::FindNextMissing(uint32_t i) const
{
    if (m_timeBaseType == kTimeVector || !m_hasMissing) {
        return m_count;
    }
    for (uint32_t j = i; j < m_count; ++j) {
        if (m_missing[j]) {
            return j;
        }
    }
    return m_count;
}

uint32_t CKSTChannel::FindNextPresent(uint32_t i) const
{
    if (m_timeBaseType == kTimeVector || !m_hasMissing) {
        return std::min(i, m_count);
    }
    for (uint32_t j = i; j < m_count; ++j) {
        if (!m_missing[j]) {
            return j;
        }
    }
    return m_count;
}

uint32_t CKSTChannel::RescanMissing()
{
    m_hasMissing = 0;
    for (uint32_t j = 0; j < m_count; ++j) {
        if (m_missing[j]) {
            if (m_timeBaseType == kEquidistant) {
                m_hasMissing = 1;
            }
            return j;
        }
    }
    return m_count;
}

void CKSTChannel::RescanAscending()
{
    m_timesAscending = 1;
    if (m_timeBaseType != kTimeVector) {
        return;
    }
    for (uint32_t j = 1; j < m_count; ++j) {
        if (m_times[j] < m_times[j - 1]) {
            m_timesAscending = 0;
            return;
        }
    }
}

void CKSTChannel::FreeData(bool arrays, bool texts)
{
    if (arrays) {
        m_times.reset();
        m_values.reset();
        m_missing.reset();
        m_capacity = 0;
        m_growthStep = kDefaultGrowthStep;
    } else if (m_missing) {
        std::fill(m_missing.get(), m_missing.get() + m_count, uint8_t{0});
    }
    if (texts) {
        m_valueTexts.clear();
    }
    m_count = 0;
    m_timesAscending = 1;
    m_hasMissing = 0;
}

void CKSTChannel::ConvertToTimeVector(double offset)
{
    if (m_timeBaseType != kEquidistant) {
        return;
    }
    Array<double> times = AllocateZeroed<double>(m_capacity);
    uint32_t kept = 0;
    for (uint32_t i = 0; i < m_count; ++i) {
        if (m_missing[i]) {
            continue;
        }
        times[kept] = i * m_dt + m_t0 + offset;
        m_values[kept] = m_values[i];
        ++kept;
    }
    if (m_missing) {
        std::fill(m_missing.get(), m_missing.get() + m_count, 0);
    }
    m_times = std::move(times);
    m_count = kept;
    m_timeBaseType = kTimeVector;
    m_t0 = 0.0;
    m_hasMissing = 0;
    RescanAscending();
}

bool CKSTChannel::HasSameTimeBase(const CKSTChannel& other) const
{
    if (m_timeBaseType != other.m_timeBaseType || m_count != other.m_count || m_t0 != other.m_t0 ||
        !(m_startTimeStamp == other.m_startTimeStamp)) {
        return false;
    }
    if (m_timeBaseType == kEquidistant) {
        return m_dt == other.m_dt;
    }
    if (m_timeBaseType == kTimeVector) {
        return m_timesAscending == other.m_timesAscending &&
               std::equal(m_times.get(), m_times.get() + m_count, other.m_times.get());
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Time base

double CKSTChannel::GetTimeAt(int64_t i) const
{
    if (m_count == 0) {
        return 0.0;
    }
    const int64_t k = std::clamp<int64_t>(i, 0, m_count - 1);
    if (m_timeBaseType == kTimeVector) {
        return m_times[k];
    }
    return m_t0 + k * m_dt;
}

double CKSTChannel::GetValue(int64_t i) const
{
    if (m_count == 0) {
        return 0.0;
    }
    const int64_t k = std::clamp<int64_t>(i, 0, m_count - 1);
    return m_missing[k] ? 0.0 : m_values[k];
}

double CKSTChannel::GetLastValue() const
{
    return m_count == 0 ? 0.0 : m_values[m_count - 1];
}

double CKSTChannel::GetStartTime() const
{
    if (m_timeBaseType == kTimeVector) {
        if (m_count == 0) {
            return 0.0;
        }
        if (m_timesAscending) {
            return m_times[0];
        }
        return *std::min_element(m_times.get(), m_times.get() + m_count);
    }
    uint32_t k = 0;
    while (k < m_count && m_missing[k]) {
        ++k;
    }
    return m_t0 + k * m_dt;
}

double CKSTChannel::GetEndTime() const
{
    if (m_timeBaseType == kTimeVector) {
        if (m_count == 0) {
            return 0.0;
        }
        if (m_timesAscending) {
            return m_times[m_count - 1];
        }
        return *std::max_element(m_times.get(), m_times.get() + m_count);
    }
    if (m_count == 0) {
        return m_t0;
    }
    if (m_timeBaseType == kMatrix) {
        return m_t0 + (std::max<uint32_t>(m_matrixRowLength, 1) - 1) * m_dt;
    }
    uint32_t k = m_count - 1;
    while (k > 0 && m_missing[k]) {
        --k;
    }
    return m_t0 + k * m_dt;
}

double CKSTChannel::GetSampleInterval() const
{
    if (m_timeBaseType != kTimeVector) {
        return m_dt;
    }
    if (m_count < 2) {
        return 0.0;
    }
    double smallest = kHuge;
    for (uint32_t i = 1; i < m_count; ++i) {
        const double d = std::fabs(m_times[i] - m_times[i - 1]);
        if (d != 0.0 && d < smallest) {
            smallest = d;
        }
    }
    return smallest;
}

double CKSTChannel::GetMinValue(uint32_t first, uint32_t last) const
{
    if (m_count == 0) {
        return 0.0;
    }
    if (first == kWholeChannel && last == kWholeChannel) {
        first = 0;
    }
    last = std::min(last, m_count - 1);
    if (first >= m_count || first > last) {
        return 0.0;
    }
    double result = kHuge;
    for (uint32_t i = first; i <= last; ++i) {
        result = std::min(result, m_values[i]);
    }
    return result;
}

double CKSTChannel::GetMaxValue(uint32_t first, uint32_t last) const
{
    if (m_count == 0) {
        return 0.0;
    }
    if (first == kWholeChannel && last == kWholeChannel) {
        first = 0;
    }
    last = std::min(last, m_count - 1);
    if (first >= m_count || first > last) {
        return 0.0;
    }
    double result = -kHuge;
    for (uint32_t i = first; i <= last; ++i) {
        result = std::max(result, m_values[i]);
    }
    return result;
}

void CKSTChannel::GetValueRange(double& min, double& max, bool positiveOnly, uint32_t first,
                                uint32_t end) const
{
    min = 0.0;
    max = 0.0;
    if (m_count == 0) {
        return;
    }
    if (m_timeBaseType == kMatrix) {
        const uint32_t rows = m_matrixRowLength != 0 ? m_count / m_matrixRowLength : 0;
        min = m_secondAxisOrigin;
        max = rows > 0 ? (rows - 1) * m_secondAxisStep + m_secondAxisOrigin : m_secondAxisOrigin;
        return;
    }
    if (first == kWholeChannel && end == kWholeChannel) {
        first = 0;
        end = m_count;
    }
    if (first > m_count) {
        return;
    }
    end = std::min(end, m_count);
    double lo = kHuge;
    double hi = positiveOnly ? 0.0 : -kHuge;
    for (uint32_t i = first; i < end; ++i) {
        if (m_missing[i]) {
            continue;
        }
        const double v = m_values[i];
        if (!positiveOnly || v > 0.0) {
            lo = std::min(lo, v);
        }
        hi = std::max(hi, v);
    }
    if (positiveOnly) {
        if (hi == 0.0) {
            hi = 1.0;
        }
        if (lo > hi) {
            lo = hi;
        }
    }
    min = lo;
    max = hi;
}

uint32_t CKSTChannel::FindIndex(double time) const
{
    if (m_count == 0) {
        return 0;
    }
    if (m_timeBaseType != kTimeVector) {
        // A matrix channel has no time per sample: its times run along a row.
        const uint32_t last =
            m_timeBaseType == kMatrix
                ? (m_matrixRowLength != 0 ? std::min(m_matrixRowLength, m_count) - 1 : 0)
                : m_count - 1;
        const double x = RoundClamped((time - m_t0) / m_dt);
        if (x <= 0.0) {
            return 0;
        }
        return x >= last ? last : static_cast<uint32_t>(x);
    }
    if (time <= m_times[0]) {
        return 0;
    }
    // A NaN time fails every comparison: it takes the last sample rather than a search.
    if (!(time < m_times[m_count - 1])) {
        return m_count - 1;
    }
    // An exact hit is its own nearest; between two samples a tie goes to the later one.
    const TimeBracket at = BracketTime(m_times.get(), m_count, time);
    const bool laterIsNearer = m_times[at.after] - time <= time - m_times[at.before];
    return static_cast<uint32_t>(laterIsNearer ? at.after : at.before);
}

uint32_t CKSTChannel::GetIndexAtTime(double time) const
{
    if (m_count == 0 || m_timeBaseType == kMatrix) {
        return 0;
    }
    if (m_timeBaseType == kEquidistant) {
        const double x = (time - m_t0) / m_dt;
        if (x < 0.0) {
            return 0;
        }
        uint32_t k = x <= m_count - 1 ? static_cast<uint32_t>(x) : m_count - 1;
        while (k > 0 && m_missing[k]) {
            --k;
        }
        return k;
    }
    if (time <= m_times[0]) {
        return 0;
    }
    if (!(time < m_times[m_count - 1])) {
        return m_count - 1;
    }
    return static_cast<uint32_t>(BracketTime(m_times.get(), m_count, time).before);
}

double CKSTChannel::GetValueAtTime(double time, bool noInterpolation, bool zeroOutside) const
{
    if (m_count == 0 || m_timeBaseType == kMatrix) {
        return 0.0;
    }
    const uint32_t last = m_count - 1;
    if (m_timeBaseType == kEquidistant) {
        if (time < GetStartTime()) {
            return zeroOutside ? 0.0 : m_values[0];
        }
        if (time >= GetEndTime()) {
            return zeroOutside ? 0.0 : m_values[last];
        }
        const uint32_t i0 = GetIndexAtTime(time);
        const double next = std::floor((time - m_t0) / m_dt) + 1.0;
        uint32_t i1 = next <= 0.0 ? 0 : (next >= last ? last : static_cast<uint32_t>(next));
        while (i1 < last && m_missing[i1]) {
            ++i1;
        }
        if (noInterpolation || i1 == i0) {
            return m_values[i0];
        }
        return Interpolate(m_t0 + i0 * m_dt, m_values[i0], m_t0 + i1 * m_dt, m_values[i1], time);
    }
    if (!m_timesAscending) {
        return ValueAtTimeUnordered(time);
    }
    if (time <= m_times[0]) {
        return zeroOutside ? 0.0 : m_values[0];
    }
    if (!(time < m_times[last])) {
        return zeroOutside ? 0.0 : m_values[last];
    }
    const TimeBracket at = BracketTime(m_times.get(), m_count, time);
    if (at.IsExact() || noInterpolation) {
        return m_values[at.before];
    }
    return Interpolate(m_times[at.before], m_values[at.before], m_times[at.after],
                       m_values[at.after], time);
}

// A time vector out of order: the nearest sample among those that enclose the time together with
// a neighbour, interpolated towards that neighbour.
double CKSTChannel::ValueAtTimeUnordered(double time) const
{
    int64_t best = -1;
    double bestDistance = 0.0;
    for (uint32_t i = 0; i < m_count; ++i) {
        if (m_times[i] == time) {
            return m_values[i];
        }
        const bool encloses =
            (i > 0 && StrictlyBetween(m_times[i - 1], m_times[i], time)) ||
            (i + 1 < m_count && StrictlyBetween(m_times[i], m_times[i + 1], time));
        const double distance = std::fabs(m_times[i] - time);
        if (encloses && (best < 0 || distance < bestDistance)) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best < 0) {
        return m_values[0];
    }
    const int64_t other =
        best > 0 && StrictlyBetween(m_times[best - 1], m_times[best], time) ? best - 1 : best + 1;
    return Interpolate(m_times[best], m_values[best], m_times[other], m_values[other], time);
}

bool CKSTChannel::FindSampleAtTime(double time, uint32_t& index) const
{
    index = 0;
    if (m_count == 0 || m_timeBaseType == kMatrix) {
        return false;
    }
    const double tolerance = 1e-6;
    if (m_timeBaseType == kEquidistant) {
        const double x = (time - m_t0) / m_dt;
        if (!std::isfinite(x)) {
            return false;
        }
        const double k = std::round(x);
        if (k < 0.0 || k > m_count - 1 || m_missing[static_cast<uint32_t>(k)]) {
            return false;
        }
        index = static_cast<uint32_t>(k);
        return std::fabs(m_t0 + k * m_dt - time) < tolerance;
    }
    if (!m_timesAscending) {
        for (uint32_t i = 0; i < m_count; ++i) {
            if (std::fabs(m_times[i] - time) < tolerance) {
                index = i;
                return true;
            }
        }
        return false;
    }
    const TimeBracket at = BracketTime(m_times.get(), m_count, time);
    if (at.IsExact()) {
        index = static_cast<uint32_t>(at.before);
        return true;
    }
    for (int64_t candidate : {at.before, at.after}) {
        if (candidate >= 0 && candidate < m_count &&
            std::fabs(m_times[candidate] - time) < tolerance) {
            index = static_cast<uint32_t>(candidate);
            return true;
        }
    }
    return false;
}

double CKSTChannel::GetSecondsFromStart(const CKSTTimeStamp& stamp) const
{
    return (stamp - m_startTimeStamp).GetSeconds();
}

double CKSTChannel::GetValueAtTimeStamp(const CKSTTimeStamp& stamp, bool noInterpolation,
                                        bool zeroOutside) const
{
    return GetValueAtTime(GetSecondsFromStart(stamp), noInterpolation, zeroOutside);
}

uint32_t CKSTChannel::GetIndexAtTimeStamp(const CKSTTimeStamp& stamp) const
{
    return GetIndexAtTime(GetSecondsFromStart(stamp));
}

bool CKSTChannel::FindSampleAtTimeStamp(const CKSTTimeStamp& stamp, uint32_t& index) const
{
    return FindSampleAtTime(GetSecondsFromStart(stamp), index);
}

CKSTTimeStamp CKSTChannel::GetFirstSampleTimeStamp() const
{
    return m_startTimeStamp + GetStartTime();
}

CKSTTimeStamp CKSTChannel::GetLastSampleTimeStamp() const
{
    return m_startTimeStamp + GetEndTime();
}

CKSTTimeStamp CKSTChannel::FarFutureTimeStamp()
{
    return CKSTTimeStamp(kFarFutureDays);
}

CKSTTimeStamp CKSTChannel::GetNextSampleTimeStamp(const CKSTTimeStamp& stamp) const
{
    const uint32_t i = NextSampleIndexAfter(stamp);
    return i < m_count ? m_startTimeStamp + GetTimeAt(i) : FarFutureTimeStamp();
}

// Index of the earliest sample whose time stamp is later than the stamp, or the count.
uint32_t CKSTChannel::NextSampleIndexAfter(const CKSTTimeStamp& stamp) const
{
    const bool ordered = m_timeBaseType == kTimeVector ? m_timesAscending != 0 : m_dt > 0.0;
    if (ordered) {
        uint32_t lo = 0;
        uint32_t hi = m_count;
        while (lo < hi) {
            const uint32_t mid = lo + (hi - lo) / 2;
            if (m_startTimeStamp + GetTimeAt(mid) > stamp) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        return lo;
    }
    uint32_t best = m_count;
    CKSTTimeStamp bestStamp;
    for (uint32_t i = 0; i < m_count; ++i) {
        const CKSTTimeStamp at = m_startTimeStamp + GetTimeAt(i);
        if (at > stamp && (best == m_count || at < bestStamp)) {
            best = i;
            bestStamp = at;
        }
    }
    return best;
}

// ---------------------------------------------------------------------------------------------
// Value texts

int32_t CKSTChannel::AddValueText(const CKSTString& text, bool reuse)
{
    if (reuse && m_valueTexts.size() < kValueTextReuseLimit) {
        for (size_t i = 1; i < m_valueTexts.size(); ++i) {
            if (m_valueTexts[i] == text) {
                return static_cast<int32_t>(i);
            }
        }
    }
    // Indexes are 32-bit values throughout (channel values, stored keys).
    if (m_valueTexts.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        return -1;
    }
    if (m_valueTexts.empty()) {
        m_valueTexts.emplace_back();
    }
    m_valueTexts.push_back(text);
    return static_cast<int32_t>(m_valueTexts.size() - 1);
}

void CKSTChannel::SetValueText(int32_t i, const CKSTString& text)
{
    if (i < 0) {
        return;
    }
    if (m_valueTexts.size() <= static_cast<size_t>(i)) {
        m_valueTexts.resize(static_cast<size_t>(i) + 1);
    }
    if (i > 0) {
        m_valueTexts[i] = text;
    }
}

bool CKSTChannel::HasValueText(double value) const
{
    const double k = RoundClamped(value);
    return k >= 0.0 && k < static_cast<double>(m_valueTexts.size());
}

CKSTString CKSTChannel::GetValueText(int32_t i) const
{
    if (i <= 0 || static_cast<size_t>(i) >= m_valueTexts.size()) {
        return CKSTString();
    }
    return m_valueTexts[i];
}

CKSTString CKSTChannel::FormatValue(double value) const
{
    if (HasValueText(value)) {
        return m_valueTexts[static_cast<size_t>(RoundClamped(value))];
    }
    return CKSTString::FormatFixed(value, 3, '.');
}

void CKSTChannel::ConvertToValueTexts()
{
    const CKSTChannel source(*this);
    // Without arrays the first AppendTimeValue makes this a time vector.
    FreeData(true, true);
    for (uint32_t i = 0; i < source.m_count; ++i) {
        const int32_t k = AddValueText(source.FormatValue(source.m_values[i]), true);
        AppendTimeValue(source.GetTimeAt(i), k);
    }
}

// ---------------------------------------------------------------------------------------------
// Windows and bookkeeping

void CKSTChannel::AddObserver(IKSTChannelObserver* observer)
{
    if (observer != nullptr &&
        std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) {
        m_observers.push_back(observer);
    }
}

void CKSTChannel::RemoveObserver(IKSTChannelObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

uint64_t CKSTChannel::GetMemorySize() const
{
    uint64_t bytes = sizeof(CKSTChannel);
    for (const CKSTString* text :
         {&m_name, &m_group, &m_comment, &m_sourceFile, &m_timeUnit, &m_unit, &m_secondAxisUnit}) {
        bytes += static_cast<uint64_t>(text->GetLength());
    }
    if (m_times) {
        bytes += uint64_t{8} * m_capacity;
    }
    if (m_values) {
        bytes += uint64_t{8} * m_capacity;
    }
    if (m_missing) {
        bytes += m_capacity;
    }
    for (const CKSTString& text : m_valueTexts) {
        bytes += static_cast<uint64_t>(text.GetLength());
    }
    return bytes;
}
