// Resampling, band-limited interpolation, smoothing and data reduction. Every operation here
// runs in linear or N log N time so that channels of millions of samples stay workable.

#include "data/Channel.h"
#include "data/ChannelStorage.h"
#include "data/FourierTransform.h"
#include "foundation/Numeric.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using kst_channel::AllocateZeroed;
using kst_channel::RoundClamped;

namespace {

// Below this many kernel products band-limited interpolation sums directly.
const double kDirectSincProducts = 4194304.0;

double Interpolate(double ta, double va, double tb, double vb, double t)
{
    return va + (vb - va) * (t - ta) / (tb - ta);
}

// GetValueAtTime of an equidistant channel (interpolating, values outside the channel held)
// for many times at constant cost each: start, end and the nearest usable neighbours of every
// sample are worked out once instead of being searched for on every call.
class EquidistantSampler {
public:
    explicit EquidistantSampler(const CKSTChannel& c)
        : m_values(c.GetValues()),
          m_last(c.GetCount() - 1),
          m_t0(c.GetT0()),
          m_dt(c.GetDt()),
          m_start(c.GetStartTime()),
          m_end(c.GetEndTime())
    {
        if (!c.HasMissing()) {
            return;
        }
        const uint8_t* missing = c.GetMissingFlags();
        m_down.resize(m_last + 1);
        m_up.resize(m_last + 1);
        for (uint32_t k = 0; k <= m_last; ++k) {
            m_down[k] = k == 0 || !missing[k] ? k : m_down[k - 1];
        }
        for (uint32_t k = m_last + 1; k-- > 0;) {
            m_up[k] = k == m_last || !missing[k] ? k : m_up[k + 1];
        }
    }

    double At(double time, bool noInterpolation) const
    {
        if (time < m_start) {
            return m_values[0];
        }
        if (time >= m_end) {
            return m_values[m_last];
        }
        const double x = (time - m_t0) / m_dt;
        uint32_t i0 = 0;
        if (x >= 0.0) {
            i0 = Down(x <= m_last ? static_cast<uint32_t>(x) : m_last);
        }
        const double next = std::floor(x) + 1.0;
        const uint32_t i1 =
            Up(next <= 0.0 ? 0 : (next >= m_last ? m_last : static_cast<uint32_t>(next)));
        if (noInterpolation || i1 == i0) {
            return m_values[i0];
        }
        return Interpolate(m_t0 + i0 * m_dt, m_values[i0], m_t0 + i1 * m_dt, m_values[i1], time);
    }

private:
    uint32_t Down(uint32_t k) const { return m_down.empty() ? k : m_down[k]; }
    uint32_t Up(uint32_t k) const { return m_up.empty() ? k : m_up[k]; }

    const double* m_values;
    uint32_t m_last;
    double m_t0;
    double m_dt;
    double m_start;
    double m_end;
    std::vector<uint32_t> m_down;  // last usable sample at or before k (0 at the latest)
    std::vector<uint32_t> m_up;    // first usable sample at or after k (the last at the latest)
};

// Band-limited interpolation kernel: sin(pi x / dt) / (pi x / dt).
double Sinc(double x, double dt)
{
    const double a = kPi * x / dt;
    return std::fabs(a) < 1e-20 ? 1.0 : std::sin(a) / a;
}

// y[k] = sum over i of x[i] K(k + offset - i r), k = 0 .. n-1, with K(j) = Sinc(j newDt, dt).
// Split by the phase p = (k + offset) mod r, each phase is a plain convolution of x with the
// kernel taken at every r-th point, done by fast transforms on a zero-padded circular buffer.
void SincByTransform(const std::vector<double>& x, uint32_t r, uint64_t offset, uint32_t n,
                     double newDt, double dt, double* y)
{
    const int64_t c = static_cast<int64_t>(x.size());
    const int64_t first = static_cast<int64_t>(offset);
    const int64_t last = first + n - 1;
    const int64_t rr = r;
    const auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    // Output positions q of phase p: q r + p in [first, last].
    const auto qRange = [&](int64_t p, int64_t& lo, int64_t& hi) {
        lo = floorDiv(first - p + rr - 1, rr);
        hi = floorDiv(last - p, rr);
    };
    int64_t longest = 0;
    for (int64_t p = 0; p < rr; ++p) {
        int64_t lo = 0;
        int64_t hi = 0;
        qRange(p, lo, hi);
        longest = std::max(longest, hi - lo + c);
    }
    const size_t m = kst_fft::NextPowerOfTwo(static_cast<size_t>(longest));
    const kst_fft::Plan plan(m);

    std::vector<double> input(2 * m, 0.0);
    for (int64_t i = 0; i < c; ++i) {
        input[2 * i] = x[i];
    }
    plan.Forward(input.data());

    // Two phases at a time: one as the real and one as the imaginary part of the kernel; both
    // convolutions are real, so they come back as the real and imaginary parts.
    std::vector<double> work(2 * m);
    for (int64_t p = 0; p < rr; p += 2) {
        int64_t lo[2] = {0, 0};
        int64_t hi[2] = {-1, -1};
        std::fill(work.begin(), work.end(), 0.0);
        for (int64_t part = 0; part < 2 && p + part < rr; ++part) {
            qRange(p + part, lo[part], hi[part]);
            const int64_t dMin = lo[part] - c + 1;
            for (int64_t e = 0; e < hi[part] - lo[part] + c; ++e) {
                const double j = static_cast<double>((dMin + e) * rr + p + part);
                work[2 * e + part] = Sinc(j * newDt, dt);
            }
        }
        plan.Forward(work.data());
        for (size_t k = 0; k < m; ++k) {
            const double ar = input[2 * k];
            const double ai = input[2 * k + 1];
            const double br = work[2 * k];
            const double bi = work[2 * k + 1];
            work[2 * k] = ar * br - ai * bi;
            work[2 * k + 1] = ar * bi + ai * br;
        }
        plan.Inverse(work.data());
        const double scale = 1.0 / static_cast<double>(m);
        for (int64_t part = 0; part < 2; ++part) {
            for (int64_t q = lo[part]; q <= hi[part]; ++q) {
                const int64_t t = q - lo[part] + c - 1;
                y[q * rr + p + part - first] = work[2 * t + part] * scale;
            }
        }
    }
}

void SincDirect(const std::vector<double>& x, uint32_t r, uint64_t offset, uint32_t n, double newDt,
                double dt, double* y)
{
    const int64_t jMin = static_cast<int64_t>(offset) - static_cast<int64_t>(x.size() - 1) * r;
    const int64_t jMax = static_cast<int64_t>(offset) + n - 1;
    std::vector<double> kernel(static_cast<size_t>(jMax - jMin + 1));
    for (int64_t j = jMin; j <= jMax; ++j) {
        kernel[j - jMin] = Sinc(static_cast<double>(j) * newDt, dt);
    }
    const int64_t c = static_cast<int64_t>(x.size());
    for (int64_t k = 0; k < n; ++k) {
        const double* at = kernel.data() + (k + static_cast<int64_t>(offset) - jMin);
        double sum = 0.0;
        for (int64_t i = 0; i < c; ++i) {
            sum += x[i] * at[-i * static_cast<int64_t>(r)];
        }
        y[k] = sum;
    }
}

// Sum with Neumaier's compensation: sliding sums over millions of samples add and remove every
// value once and would otherwise collect rounding drift.
class CompensatedSum {
public:
    void Add(double v)
    {
        const double t = m_sum + v;
        m_carry += std::fabs(m_sum) >= std::fabs(v) ? (m_sum - t) + v : (v - t) + m_sum;
        m_sum = t;
    }
    double Value() const { return m_sum + m_carry; }

private:
    double m_sum = 0.0;
    double m_carry = 0.0;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Resampling

void CKSTChannel::Resample(double newDt, bool noInterpolation)
{
    if (m_count == 0 || m_timeBaseType == kMatrix || !(newDt > 0.0) || !std::isfinite(newDt)) {
        return;
    }
    const double start = GetStartTime();
    const double span = (GetEndTime() - start) / newDt;
    if (!(span >= 0.0)) {
        return;
    }
    const uint32_t n = static_cast<uint32_t>(RoundClamped(span)) + 1;
    CKSTChannel result;
    result.CopyFrom(*this);
    auto values = AllocateZeroed<double>(n);
    auto missing = AllocateZeroed<uint8_t>(n);
    if (m_timeBaseType == kEquidistant) {
        const EquidistantSampler sampler(*this);
        for (uint32_t k = 0; k < n; ++k) {
            values[k] = sampler.At(start + k * newDt, noInterpolation);
        }
        result.m_dt = newDt;
        result.m_t0 = start;
        result.AdoptArrays(nullptr, std::move(values), std::move(missing), n);
    } else {
        auto times = AllocateZeroed<double>(n);
        for (uint32_t k = 0; k < n; ++k) {
            times[k] = start + k * newDt;
            values[k] = GetValueAtTime(times[k], noInterpolation, false);
        }
        result.AdoptArrays(std::move(times), std::move(values), std::move(missing), n);
        result.RescanAscending();
    }
    TakeOver(result);
}

void CKSTChannel::ResampleToPowerOfTwo(bool noInterpolation)
{
    if (m_count < 2 || m_timeBaseType == kMatrix) {
        return;
    }
    uint64_t p = 1;
    while (p * 2 <= m_count) {
        p *= 2;
    }
    const double dt =
        m_timeBaseType == kEquidistant ? m_dt : (GetEndTime() - GetStartTime()) / (m_count - 1);
    const double r = static_cast<double>(m_count - 1) / static_cast<double>(p - 1);
    const double newDt =
        r < 1.1 ? r * dt : static_cast<double>(m_count - 1) / static_cast<double>(2 * p - 1) * dt;
    Resample(newDt, noInterpolation);
}

void CKSTChannel::InterpolateSteps()
{
    if (m_timeBaseType != kEquidistant || m_count < 3) {
        return;
    }
    uint32_t j = 0;
    for (uint32_t i = 1; i < m_count; ++i) {
        if (m_values[i] == m_values[j]) {
            continue;
        }
        const double tj = m_t0 + j * m_dt;
        const double ti = m_t0 + i * m_dt;
        for (uint32_t k = j + 1; k < i; ++k) {
            m_values[k] = Interpolate(tj, m_values[j], ti, m_values[i], m_t0 + k * m_dt);
        }
        j = i;
    }
}

void CKSTChannel::InterpolateSinc(double newDt)
{
    if (m_timeBaseType != kEquidistant || m_count == 0 || !(newDt > 0.0) || !(newDt <= m_dt)) {
        return;
    }
    const double start = GetStartTime();
    const double span = (GetEndTime() - start) / newDt;
    if (!(span >= 0.0)) {
        return;
    }
    const uint32_t n = static_cast<uint32_t>(RoundClamped(span)) + 1;
    const uint32_t r = static_cast<uint32_t>(std::max(1.0, RoundClamped(m_dt / newDt)));
    // The kernel depends only on the distance between output and input sample; the output
    // starts at the first usable sample, which sits `offset` output steps after sample 0.
    const uint32_t firstUsable = FindNextPresent(0);
    const uint64_t offset = static_cast<uint64_t>(firstUsable) * r;
    std::vector<double> x(m_count);
    for (uint32_t i = 0; i < m_count; ++i) {
        x[i] = m_missing[i] ? 0.0 : m_values[i];
    }
    auto values = AllocateZeroed<double>(n);
    auto missing = AllocateZeroed<uint8_t>(n);
    if (static_cast<double>(n) * m_count <= kDirectSincProducts) {
        SincDirect(x, r, offset, n, newDt, m_dt, values.get());
    } else {
        SincByTransform(x, r, offset, n, newDt, m_dt, values.get());
    }
    CKSTChannel result;
    result.CopyFrom(*this);
    result.m_dt = newDt;
    result.m_t0 = start;
    result.AdoptArrays(nullptr, std::move(values), std::move(missing), n);
    TakeOver(result);
}

// ---------------------------------------------------------------------------------------------
// Smoothing

void CKSTChannel::SmoothTriangular(uint32_t points)
{
    if (m_count < 2 || points < 2) {
        return;
    }
    uint64_t n = std::max<uint64_t>(points, 3);
    if (n % 2 == 0) {
        ++n;
    }
    // Weights 1, 2, .., h, .., 2, 1 are two boxes of h samples applied one after the other. On
    // the edge-extended signal P(t) = value[clamp(t - half)], box sums B[m] = P(m) + .. +
    // P(m + h - 1), and sample i becomes (B[i] + .. + B[i + h - 1]) / h^2. Sliding sums make
    // that linear in the count whatever the width.
    const int64_t h = static_cast<int64_t>((n + 1) / 2);
    const int64_t half = h - 1;
    const int64_t last = m_count - 1;
    const double* v = m_values.get();
    const auto sample = [v, last, half](int64_t t) {
        return v[std::clamp<int64_t>(t - half, 0, last)];
    };
    // Box sums at the front (m = i + h) and at the back (m = i) of the running window.
    CompensatedSum front;
    for (int64_t t = 0; t < h; ++t) {
        front.Add(sample(t));
    }
    CompensatedSum back = front;
    CompensatedSum window;
    for (int64_t m = 0; m < h; ++m) {
        window.Add(front.Value());
        front.Add(sample(m + h));
        front.Add(-sample(m));
    }
    auto smoothed = AllocateZeroed<double>(m_capacity);
    const double weight = 1.0 / (static_cast<double>(h) * static_cast<double>(h));
    for (int64_t i = 0; i <= last; ++i) {
        smoothed[i] = window.Value() * weight;
        window.Add(front.Value());
        window.Add(-back.Value());
        front.Add(sample(i + 2 * h));
        front.Add(-sample(i + h));
        back.Add(sample(i + h));
        back.Add(-sample(i));
    }
    m_values = std::move(smoothed);
}

void CKSTChannel::SmoothTriangularWidth(double width)
{
    if (!(width > 0.0)) {
        return;
    }
    const double points = std::floor(width / m_dt);
    SmoothTriangular(points >= 4294967295.0 ? 0xFFFFFFFFu
                                            : static_cast<uint32_t>(std::max(points, 0.0)));
}

// ---------------------------------------------------------------------------------------------
// Data reduction

void CKSTChannel::Decimate(uint32_t n)
{
    if (n <= 1 || m_count == 0 || m_timeBaseType == kMatrix) {
        return;
    }
    uint32_t kept = 0;
    for (uint64_t i = n - 1; i < m_count; i += n) {
        m_values[kept] = m_values[i];
        m_missing[kept] = m_missing[i];
        if (m_times) {
            m_times[kept] = m_times[i];
        }
        ++kept;
    }
    if (m_timeBaseType == kEquidistant) {
        m_t0 += (n - 1) * m_dt;
        m_dt *= n;
    }
    if (kept == 0) {
        FreeData(true, false);
        return;
    }
    SetCapacity(kept);
    RescanMissing();
    RescanAscending();
}

namespace {

enum ReduceMode { kReduceAverage, kReduceMinimum, kReduceMaximum };

}  // namespace

void CKSTChannel::ReduceBlocks(uint32_t n, int mode)
{
    if (n < 2 || m_timeBaseType == kMatrix) {
        return;
    }
    const uint32_t blocks = m_count / n;
    if (blocks == 0) {
        FreeData(true, false);
        return;
    }
    for (uint32_t b = 0; b < blocks; ++b) {
        const uint64_t begin = static_cast<uint64_t>(b) * n;
        const uint64_t end = begin + n;
        uint32_t present = 0;
        double result = 0.0;
        for (uint64_t i = begin; i < end; ++i) {
            if (m_missing[i]) {
                continue;
            }
            const double v = m_values[i];
            if (present == 0) {
                result = v;
            } else if (mode == kReduceAverage) {
                result += v;
            } else if (mode == kReduceMinimum) {
                result = std::min(result, v);
            } else {
                result = std::max(result, v);
            }
            ++present;
        }
        if (mode == kReduceAverage && present > 0) {
            result /= present;
        }
        m_values[b] = result;
        m_missing[b] = present == 0 ? 1 : 0;
        if (m_times) {
            m_times[b] = m_times[end - 1];
        }
    }
    if (m_timeBaseType == kEquidistant) {
        m_t0 += (n - 1) * m_dt;
        m_dt *= n;
    }
    SetCapacity(blocks);
    RescanMissing();
    RescanAscending();
}

void CKSTChannel::ReduceByAverage(uint32_t n)
{
    ReduceBlocks(n, kReduceAverage);
}

void CKSTChannel::ReduceByAverageToBinary(uint32_t n)
{
    if (n < 2) {
        return;
    }
    ReduceBlocks(n, kReduceAverage);
    for (uint32_t i = 0; i < m_count; ++i) {
        m_values[i] = m_values[i] >= 0.5 ? 1.0 : 0.0;
    }
}

void CKSTChannel::ReduceByMinimum(uint32_t n)
{
    ReduceBlocks(n, kReduceMinimum);
}

void CKSTChannel::ReduceByMaximum(uint32_t n)
{
    ReduceBlocks(n, kReduceMaximum);
}
