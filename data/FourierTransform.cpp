#include "data/FourierTransform.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

#include "foundation/Numeric.h"

namespace kst_fft {

namespace {

// Stages up to this length keep whole tables of their twiddles (about 256 KiB in all); longer
// ones keep two tables of about sqrt(L) entries whose products are the twiddles, which costs
// less than streaming a table as long as the data.
const size_t kTabledStage = size_t{1} << 14;

// From this length on, the transform starts as sixteen interleaved ones of a sixteenth of the
// length, computed side by side: the sixteen read the same cache lines of the input, which the
// scattered reads of one transform alone would fetch from memory four times.
const size_t kLanedLength = size_t{1} << 13;

unsigned Log2(size_t n)
{
    unsigned bits = 0;
    while ((size_t{1} << bits) < n) {
        ++bits;
    }
    return bits;
}

// Two complex numbers at once, one per SSE2 lane: the real parts in re, the imaginary in im.
struct Split {
    __m128d re;
    __m128d im;
};

inline Split LoadSplit(const double* re, const double* im)
{
    return {_mm_loadu_pd(re), _mm_loadu_pd(im)};
}

inline void StoreSplit(double* re, double* im, Split v)
{
    _mm_storeu_pd(re, v.re);
    _mm_storeu_pd(im, v.im);
}

// a w, or a conj(w) when Conjugate: the inverse turns the other way.
template <bool Conjugate>
inline Split Mul(Split a, Split w)
{
    if (Conjugate) {
        return {_mm_add_pd(_mm_mul_pd(a.re, w.re), _mm_mul_pd(a.im, w.im)),
                _mm_sub_pd(_mm_mul_pd(a.im, w.re), _mm_mul_pd(a.re, w.im))};
    }
    return {_mm_sub_pd(_mm_mul_pd(a.re, w.re), _mm_mul_pd(a.im, w.im)),
            _mm_add_pd(_mm_mul_pd(a.re, w.im), _mm_mul_pd(a.im, w.re))};
}

inline Split Add(Split a, Split b)
{
    return {_mm_add_pd(a.re, b.re), _mm_add_pd(a.im, b.im)};
}

inline Split Sub(Split a, Split b)
{
    return {_mm_sub_pd(a.re, b.re), _mm_sub_pd(a.im, b.im)};
}

// Both lanes of v swapped.
inline __m128d Swap(__m128d v)
{
    return _mm_shuffle_pd(v, v, 1);
}

}  // namespace

// Twiddles of one radix-4 stage of length L: exp(-2 pi i jk/L) for j = 1, 2, 3 and k < L/4 as
// fine(k mod F) times coarse(k / F), each table six runs (re 1, im 1, re 2, im 2, re 3, im 3).
// A short stage has F = L/4 and no coarse table.
struct StageTwiddles {
    size_t fineCount = 0;
    std::vector<double> fine;
    std::vector<double> coarse;
};

struct PlanTables {
    explicit PlanTables(size_t n);

    std::vector<StageTwiddles> stages;  // by log2 of the stage length
    // exp(-2 pi i k / 2n) for k <= n/2, for the real transform of 2n values: fine(k mod 2^realBits)
    // as a run of real and one of imaginary parts, times coarse(k >> realBits) as (re, im) pairs.
    unsigned realBits = 1;
    std::vector<double> realFine;
    std::vector<double> realCoarse;
};

namespace {

StageTwiddles MakeStage(const Twiddles& twiddles, size_t n, size_t length)
{
    const size_t q = length / 4;
    const size_t step = n / length;
    StageTwiddles stage;
    stage.fineCount = length <= kTabledStage ? q : size_t{1} << ((Log2(q) + 1) / 2);
    const size_t coarseCount = q / stage.fineCount;
    const auto fill = [&](std::vector<double>& table, size_t count, size_t stride) {
        table.resize(6 * count);
        for (size_t k = 0; k < count; ++k) {
            for (size_t j = 1; j <= 3; ++j) {
                twiddles.At(j * k * stride * step, table[(2 * j - 2) * count + k],
                            table[(2 * j - 1) * count + k]);
            }
        }
    };
    fill(stage.fine, stage.fineCount, 1);
    if (coarseCount > 1) {
        fill(stage.coarse, coarseCount, stage.fineCount);
    }
    return stage;
}

}  // namespace

PlanTables::PlanTables(size_t n) : stages(Log2(n) + 1)
{
    const Twiddles twiddles(n);
    for (size_t length = n; length >= 32; length /= 4) {
        stages[Log2(length)] = MakeStage(twiddles, n, length);
    }
    const Twiddles doubled(2 * n);
    realBits = std::max(1u, (Log2(n) + 1) / 2);
    const size_t fine = size_t{1} << realBits;
    realFine.resize(2 * fine);
    for (size_t k = 0; k < fine; ++k) {
        doubled.At(k, realFine[k], realFine[fine + k]);
    }
    realCoarse.resize(2 * ((n / 2 >> realBits) + 1));
    for (size_t h = 0; 2 * h < realCoarse.size(); ++h) {
        doubled.At(h * fine, realCoarse[2 * h], realCoarse[2 * h + 1]);
    }
}

namespace {

// Built once per length and never freed: plans are made on any thread, mostly for the same few
// lengths, and must not pay for their tables again. Readers find a finished table without a lock.
const PlanTables& TablesFor(size_t n)
{
    static std::atomic<const PlanTables*> slots[64];
    static std::mutex building;
    std::atomic<const PlanTables*>& slot = slots[Log2(n)];
    const PlanTables* tables = slot.load(std::memory_order_acquire);
    if (tables == nullptr) {
        const std::lock_guard<std::mutex> lock(building);
        tables = slot.load(std::memory_order_relaxed);
        if (tables == nullptr) {
            tables = new PlanTables(size_t{1} << Log2(n));
            slot.store(tables, std::memory_order_release);
        }
    }
    return *tables;
}

// Complex numbers u and v, each (re, im), into re[0], re[1] and im[0], im[1].
inline void StoreTwo(__m128d u, __m128d v, double* re, double* im)
{
    _mm_storeu_pd(re, _mm_unpacklo_pd(u, v));
    _mm_storeu_pd(im, _mm_unpackhi_pd(u, v));
}

// The quarter turn of a complex number (re, im): -i forwards (im, -re), +i backwards (-im, re).
template <bool Inverse>
inline __m128d QuarterTurn(__m128d v)
{
    return _mm_xor_pd(Swap(v), Inverse ? _mm_set_pd(0.0, -0.0) : _mm_set_pd(-0.0, 0.0));
}

// v times exp(-2 pi i e / 16), or its conjugate backwards.
template <bool Inverse>
inline __m128d Rotate16(__m128d v, unsigned e)
{
    constexpr double c8 = 0.92387953251128675613;  // cos(2 pi / 16)
    constexpr double r = 0.70710678118654752440;
    constexpr double s8 = 0.38268343236508977173;
    static constexpr double kCos[16] = {1.0,  c8,  r,  s8,  0.0, -s8, -r, -c8,
                                        -1.0, -c8, -r, -s8, 0.0, s8,  r,  c8};
    const double c = kCos[e % 16];
    const double s = kCos[(e + 12) % 16];  // sin(2 pi e / 16)
    const double wi = Inverse ? s : -s;
    return _mm_add_pd(_mm_mul_pd(v, _mm_set1_pd(c)), _mm_mul_pd(Swap(v), _mm_set_pd(wi, -wi)));
}

// The transform of length 4 of a, b, c, d in place.
template <bool Inverse>
inline void Dft4(__m128d& a, __m128d& b, __m128d& c, __m128d& d)
{
    const __m128d s0 = _mm_add_pd(a, c);
    const __m128d s1 = _mm_sub_pd(a, c);
    const __m128d s2 = _mm_add_pd(b, d);
    const __m128d t = QuarterTurn<Inverse>(_mm_sub_pd(b, d));
    a = _mm_add_pd(s0, s2);
    b = _mm_add_pd(s1, t);
    c = _mm_sub_pd(s0, s2);
    d = _mm_sub_pd(s1, t);
}

// Complex numbers v[0 .. n) into re[0 .. n) and im.
inline void StoreAll(const __m128d* v, size_t n, double* re, double* im)
{
#pragma GCC unroll 16
    for (size_t k = 0; k < n; k += 2) {
        StoreTwo(v[k], v[k + 1], re + k, im + k);
    }
}

// The transforms of length 8 and 16 of the last stages, straight from the strided input, whole
// in registers with constant inner twiddles; for that the loops must unroll.
template <bool Inverse>
inline void Leaf8(const double* x, size_t stride, double* re, double* im)
{
    __m128d v[8];
#pragma GCC unroll 16
    for (size_t j = 0; j < 8; ++j) {
        v[j] = _mm_loadu_pd(x + 2 * j * stride);
    }
    Dft4<Inverse>(v[0], v[2], v[4], v[6]);
    Dft4<Inverse>(v[1], v[3], v[5], v[7]);
    __m128d out[8];
#pragma GCC unroll 16
    for (unsigned k = 0; k < 4; ++k) {
        const __m128d odd = k == 0 ? v[1] : Rotate16<Inverse>(v[2 * k + 1], 2 * k);
        out[k] = _mm_add_pd(v[2 * k], odd);
        out[k + 4] = _mm_sub_pd(v[2 * k], odd);
    }
    StoreAll(out, 8, re, im);
}

template <bool Inverse>
inline void Leaf16(const double* x, size_t stride, double* re, double* im)
{
    // v[4 r + k]: bin k of the transform of x[r], x[r + 4], .., then bin k + 4 j of the whole.
    __m128d v[16];
#pragma GCC unroll 16
    for (size_t r = 0; r < 4; ++r) {
#pragma GCC unroll 16
        for (size_t j = 0; j < 4; ++j) {
            v[4 * r + j] = _mm_loadu_pd(x + 2 * (4 * j + r) * stride);
        }
        Dft4<Inverse>(v[4 * r], v[4 * r + 1], v[4 * r + 2], v[4 * r + 3]);
#pragma GCC unroll 16
        for (unsigned k = 1; r > 0 && k < 4; ++k) {
            v[4 * r + k] = Rotate16<Inverse>(v[4 * r + k], static_cast<unsigned>(r) * k);
        }
    }
#pragma GCC unroll 16
    for (size_t k = 0; k < 4; ++k) {
        Dft4<Inverse>(v[k], v[4 + k], v[8 + k], v[12 + k]);
    }
    StoreAll(v, 16, re, im);
}

// The transforms of length 1 to 16 straight from the strided input.
template <bool Inverse>
inline void Leaf(size_t n, const double* x, size_t stride, double* re, double* im)
{
    if (n == 1) {
        re[0] = x[0];
        im[0] = x[1];
        return;
    }
    if (n >= 8) {
        if (n == 8) {
            Leaf8<Inverse>(x, stride, re, im);
        } else {
            Leaf16<Inverse>(x, stride, re, im);
        }
        return;
    }
    __m128d v[4];
    for (size_t j = 0; j < n; ++j) {
        v[j] = _mm_loadu_pd(x + 2 * j * stride);
    }
    if (n == 2) {
        StoreTwo(_mm_add_pd(v[0], v[1]), _mm_sub_pd(v[0], v[1]), re, im);
        return;
    }
    Dft4<Inverse>(v[0], v[1], v[2], v[3]);
    StoreAll(v, 4, re, im);
}

// One radix-4 butterfly on a, b, c, d in place with the twiddles w of b, c and d.
template <bool Inverse>
inline void Radix4(Split& a, Split& b, Split& c, Split& d, const Split (&w)[3])
{
    const Split tb = Mul<Inverse>(b, w[0]);
    const Split tc = Mul<Inverse>(c, w[1]);
    const Split td = Mul<Inverse>(d, w[2]);
    const Split s0 = Add(a, tc);
    const Split s1 = Sub(a, tc);
    const Split s2 = Add(tb, td);
    const Split s3 = Sub(tb, td);
    // The quarter turns: -i forwards, +i backwards.
    const Split t = Inverse ? Split{_mm_sub_pd(_mm_setzero_pd(), s3.im), s3.re}
                            : Split{s3.im, _mm_sub_pd(_mm_setzero_pd(), s3.re)};
    a = Add(s0, s2);
    b = Add(s1, t);
    c = Sub(s0, s2);
    d = Sub(s1, t);
}

// One radix-4 butterfly at positions 0 and 1 of the four quarters re[0 .. 4q) and im.
template <bool Inverse>
inline void Butterfly(double* re, double* im, size_t q, const Split (&w)[3])
{
    Split v[4];
#pragma GCC unroll 4
    for (size_t j = 0; j < 4; ++j) {
        v[j] = LoadSplit(re + j * q, im + j * q);
    }
    Radix4<Inverse>(v[0], v[1], v[2], v[3], w);
#pragma GCC unroll 4
    for (size_t j = 0; j < 4; ++j) {
        StoreSplit(re + j * q, im + j * q, v[j]);
    }
}

inline void LoadTwiddles(const double* table, size_t run, size_t k, Split (&w)[3])
{
#pragma GCC unroll 3
    for (size_t j = 0; j < 3; ++j) {
        w[j] = LoadSplit(table + 2 * j * run + k, table + (2 * j + 1) * run + k);
    }
}

// The radix-4 butterflies that join the four transforms of length n / 4 lying one after the
// other in re and im into the transform of length n, in place, two positions at a time.
template <bool Inverse>
void Combine(const StageTwiddles& stage, size_t n, double* re, double* im)
{
    const size_t q = n / 4;  // even: n is at least 32
    const size_t fine = stage.fineCount;
    if (stage.coarse.empty()) {
        for (size_t k = 0; k < q; k += 2) {
            Split w[3];
            LoadTwiddles(stage.fine.data(), fine, k, w);
            Butterfly<Inverse>(re + k, im + k, q, w);
        }
        return;
    }
    const size_t coarseCount = q / fine;
    for (size_t h = 0; h < coarseCount; ++h) {
        Split c[3];
#pragma GCC unroll 3
        for (size_t j = 0; j < 3; ++j) {
            c[j] = {_mm_set1_pd(stage.coarse[2 * j * coarseCount + h]),
                    _mm_set1_pd(stage.coarse[(2 * j + 1) * coarseCount + h])};
        }
        double* r = re + h * fine;
        double* i = im + h * fine;
        for (size_t k = 0; k < fine; k += 2) {
            Split w[3];
            LoadTwiddles(stage.fine.data(), fine, k, w);
#pragma GCC unroll 3
            for (size_t j = 0; j < 3; ++j) {
                w[j] = Mul<false>(w[j], c[j]);
            }
            Butterfly<Inverse>(r + k, i + k, q, w);
        }
    }
}

// Transforms computed side by side: lane l reads its input from complex number l onwards and
// writes its result at offsets[l] of re and im.
struct Lanes {
    size_t count;
    const size_t* offsets;
};

// Decimation in time: the transform of the n numbers x[0], x[stride], .. (interleaved) is
// joined from the transforms of its four subsequences of every fourth number, each computed
// whole before the next, so that short transforms finish while their data are in the cache.
template <bool Inverse>
void Recurse(const PlanTables& tables, const double* x, size_t stride, size_t n, Lanes lanes,
             double* re, double* im)
{
    const size_t q = n / 4;
    for (size_t r = 0; r < 4; ++r) {
        const double* sub = x + 2 * r * stride;
        if (q > 16) {
            Recurse<Inverse>(tables, sub, 4 * stride, q, lanes, re + r * q, im + r * q);
            continue;
        }
        for (size_t l = 0; l < lanes.count; ++l) {
            const size_t at = lanes.offsets[l] + r * q;
            Leaf<Inverse>(q, sub + 2 * l, 4 * stride, re + at, im + at);
        }
    }
    const StageTwiddles& stage = tables.stages[Log2(n)];
    for (size_t l = 0; l < lanes.count; ++l) {
        Combine<Inverse>(stage, n, re + lanes.offsets[l], im + lanes.offsets[l]);
    }
}

template <bool Inverse>
void Run(const PlanTables& tables, const double* x, size_t n, double* re, double* im)
{
    if (n <= 16) {
        Leaf<Inverse>(n, x, 1, re, im);
        return;
    }
    if (n < kLanedLength) {
        const size_t zero = 0;
        Recurse<Inverse>(tables, x, 1, n, Lanes{1, &zero}, re, im);
        return;
    }
    // Lane l is the subsequence x[l], x[l + 16], ..; its transform belongs where the two
    // levels of the recursion it skips would have put it.
    size_t offsets[16];
    for (size_t l = 0; l < 16; ++l) {
        offsets[l] = (l % 4) * (n / 4) + (l / 4) * (n / 16);
    }
    Recurse<Inverse>(tables, x, 16, n / 16, Lanes{16, offsets}, re, im);
    for (size_t r = 0; r < 4; ++r) {
        Combine<Inverse>(tables.stages[Log2(n / 4)], n / 4, re + r * (n / 4), im + r * (n / 4));
    }
    Combine<Inverse>(tables.stages[Log2(n)], n, re, im);
}

// exp(-2 pi i k / 2m) for the real transform of 2m values.
inline void RealTwiddle(const PlanTables& tables, size_t k, double& re, double& im)
{
    const size_t fine = size_t{1} << tables.realBits;
    const size_t l = k & (fine - 1);
    const double fr = tables.realFine[l];
    const double fi = tables.realFine[fine + l];
    const double* c = &tables.realCoarse[2 * (k >> tables.realBits)];
    re = fr * c[0] - fi * c[1];
    im = fr * c[1] + fi * c[0];
}

// Bins k and m - k of the real transform of 2m values from bins k and m - k of the transform of
// its m even and odd pairs Z: E = (Z[k] + conj Z[m-k]) / 2 and O = (Z[k] - conj Z[m-k]) / 2i are
// the transforms of the even and the odd values; X[k] = E + W^k O, X[m-k] = conj(E - W^k O).
void RealBins(const PlanTables& tables, size_t m, size_t k, double* re, double* im)
{
    const size_t kk = k == 0 ? 0 : m - k;
    const double zr = re[k];
    const double zi = im[k];
    const double cr = re[kk];
    const double ci = im[kk];
    const double er = 0.5 * (zr + cr);
    const double ei = 0.5 * (zi - ci);
    const double orr = 0.5 * (zi + ci);
    const double oi = -0.5 * (zr - cr);
    double wr = 0.0;
    double wi = 0.0;
    RealTwiddle(tables, k, wr, wi);
    const double tr = wr * orr - wi * oi;
    const double ti = wr * oi + wi * orr;
    re[k] = er + tr;
    im[k] = ei + ti;
    re[m - k] = er - tr;
    im[m - k] = -(ei - ti);
}

// RealBins for k and k + 1 (k even, k + 1 < m - k - 1), the mirrored bins read backwards.
void RealBinPairs(const PlanTables& tables, size_t m, size_t k, double* re, double* im)
{
    const Split z = LoadSplit(re + k, im + k);
    const Split c = {Swap(_mm_loadu_pd(re + m - k - 1)), Swap(_mm_loadu_pd(im + m - k - 1))};
    const __m128d half = _mm_set1_pd(0.5);
    const Split e = {_mm_mul_pd(half, _mm_add_pd(z.re, c.re)),
                     _mm_mul_pd(half, _mm_sub_pd(z.im, c.im))};
    const Split o = {_mm_mul_pd(half, _mm_add_pd(z.im, c.im)),
                     _mm_mul_pd(half, _mm_sub_pd(c.re, z.re))};
    const size_t fine = size_t{1} << tables.realBits;
    const size_t l = k & (fine - 1);
    const double* coarse = &tables.realCoarse[2 * (k >> tables.realBits)];
    const Split w = Mul<false>(LoadSplit(&tables.realFine[l], &tables.realFine[fine + l]),
                               Split{_mm_set1_pd(coarse[0]), _mm_set1_pd(coarse[1])});
    const Split t = Mul<false>(w, o);
    StoreSplit(re + k, im + k, Add(e, t));
    _mm_storeu_pd(re + m - k - 1, Swap(_mm_sub_pd(e.re, t.re)));
    _mm_storeu_pd(im + m - k - 1, Swap(_mm_sub_pd(t.im, e.im)));
}

}  // namespace

bool IsPowerOfTwo(size_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

size_t NextPowerOfTwo(size_t n)
{
    size_t p = 1;
    while (p < n) {
        p <<= 1;
    }
    return p;
}

Twiddles::Twiddles(size_t n)
{
    n = std::max<size_t>(n, 1);
    m_fineBits = (Log2(n) + 1) / 2;
    const size_t fine = size_t{1} << m_fineBits;
    m_fineMask = fine - 1;
    // One coarse entry more than n needs when n is a power of two: any n, k up to n itself.
    const size_t coarse = (n >> m_fineBits) + 1;
    const auto fill = [n](std::vector<double>& table, size_t count, size_t step) {
        table.resize(2 * count);
        for (size_t k = 0; k < count; ++k) {
            const double angle = 2.0 * kPi * static_cast<double>(k * step) / static_cast<double>(n);
            table[2 * k] = std::cos(angle);
            table[2 * k + 1] = -std::sin(angle);
        }
    };
    fill(m_fine, fine, 1);
    fill(m_coarse, coarse, fine);
}

Plan::Plan(size_t n) : m_n(n), m_tables(IsPowerOfTwo(n) ? &TablesFor(n) : nullptr) {}

void Plan::Forward(const double* data, double* re, double* im) const
{
    if (m_tables != nullptr) {
        Run<false>(*m_tables, data, m_n, re, im);
    }
}

void Plan::Transform(double* data, bool inverse) const
{
    if (m_tables == nullptr || m_n < 2) {
        return;
    }
    std::vector<double> re(m_n);
    std::vector<double> im(m_n);
    if (inverse) {
        Run<true>(*m_tables, data, m_n, re.data(), im.data());
    } else {
        Run<false>(*m_tables, data, m_n, re.data(), im.data());
    }
    for (size_t k = 0; k < m_n; ++k) {
        data[2 * k] = re[k];
        data[2 * k + 1] = im[k];
    }
}

void RealForward(const double* values, size_t n, double* re, double* im)
{
    if (!IsPowerOfTwo(n) || n == 1) {
        if (n == 1) {
            re[0] = values[0];
            im[0] = 0.0;
        }
        return;
    }
    // Even and odd samples as one complex sequence of half the length, transformed once, then
    // separated by conjugate symmetry and joined by a last radix-2 stage, in place.
    const size_t m = n / 2;
    const Plan plan(m);
    plan.Forward(values, re, im);
    const PlanTables& tables = *plan.m_tables;
    size_t k = 0;
    for (; k < 2 && k <= m / 2; ++k) {
        RealBins(tables, m, k, re, im);
    }
    for (; 2 * k + 2 < m; k += 2) {
        RealBinPairs(tables, m, k, re, im);
    }
    for (; k <= m / 2; ++k) {
        RealBins(tables, m, k, re, im);
    }
}

}  // namespace kst_fft
