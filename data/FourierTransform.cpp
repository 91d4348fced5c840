#include "data/FourierTransform.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/Numeric.h"

namespace kst_fft {

namespace {

// Stages up to this length read their twiddles from tables (about 256 KiB in all); the few
// longer ones form them from the two small tables, which costs less than streaming a table
// as long as the data.
const size_t kTabledStage = size_t{1} << 14;

// Two doubles handled as one: GCC's and Clang's vector extension gives SSE2 code on both targets.
typedef double Pair __attribute__((vector_size(16)));

inline Pair Load(const double* p)
{
    Pair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store(double* p, Pair v)
{
    std::memcpy(p, &v, sizeof v);
}

unsigned Log2(size_t n)
{
    unsigned bits = 0;
    while ((size_t{1} << bits) < n) {
        ++bits;
    }
    return bits;
}

// The radix-2 and radix-4 transforms of the last stages, straight from the strided input.
inline void Leaf2(const double* x, size_t stride, double* re, double* im)
{
    const double* b = x + 2 * stride;
    re[0] = x[0] + b[0];
    im[0] = x[1] + b[1];
    re[1] = x[0] - b[0];
    im[1] = x[1] - b[1];
}

template <bool Inverse>
inline void Leaf4(const double* x, size_t stride, double* re, double* im)
{
    const double* b = x + 2 * stride;
    const double* c = x + 4 * stride;
    const double* d = x + 6 * stride;
    const double s0r = x[0] + c[0];
    const double s0i = x[1] + c[1];
    const double s1r = x[0] - c[0];
    const double s1i = x[1] - c[1];
    const double s2r = b[0] + d[0];
    const double s2i = b[1] + d[1];
    const double s3r = b[0] - d[0];
    const double s3i = b[1] - d[1];
    re[0] = s0r + s2r;
    im[0] = s0i + s2i;
    re[2] = s0r - s2r;
    im[2] = s0i - s2i;
    if (Inverse) {
        re[1] = s1r - s3i;
        im[1] = s1i + s3r;
        re[3] = s1r + s3i;
        im[3] = s1i - s3r;
    } else {
        re[1] = s1r + s3i;
        im[1] = s1i - s3r;
        re[3] = s1r - s3i;
        im[3] = s1i + s3r;
    }
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

Plan::Plan(size_t n) : m_n(n), m_twiddles(n), m_stageStart(64, 0)
{
    size_t total = 0;
    for (size_t len = n; len >= 8; len /= 4) {
        if (len <= kTabledStage) {
            total += 6 * (len / 4);
        }
    }
    m_stageTables.resize(total);
    size_t at = 0;
    for (size_t len = n; len >= 8; len /= 4) {
        if (len > kTabledStage) {
            continue;
        }
        const size_t q = len / 4;
        const size_t step = n / len;
        m_stageStart[Log2(len)] = at;
        double* t = m_stageTables.data() + at;
        for (size_t k = 0; k < q; ++k) {
            m_twiddles.At(k * step, t[k], t[q + k]);
            m_twiddles.At(2 * k * step, t[2 * q + k], t[3 * q + k]);
            m_twiddles.At(3 * k * step, t[4 * q + k], t[5 * q + k]);
        }
        at += 6 * q;
    }
}

// The radix-4 butterflies that join the four transforms of length n / 4 lying one after the
// other in re and im into the transform of length n, in place, two positions at a time.
template <bool Inverse>
void Plan::Combine(size_t n, double* re, double* im) const
{
    const size_t q = n / 4;  // even: n is at least 8
    const double* table = n <= kTabledStage ? m_stageTables.data() + m_stageStart[Log2(n)] : nullptr;
    const size_t step = m_n / n;
    alignas(16) double w[6][2];
    for (size_t k = 0; k < q; k += 2) {
        if (table != nullptr) {
            for (int j = 0; j < 6; ++j) {
                w[j][0] = table[j * q + k];
                w[j][1] = table[j * q + k + 1];
            }
        } else {
            for (size_t e = 0; e < 2; ++e) {
                m_twiddles.At((k + e) * step, w[0][e], w[1][e]);
                m_twiddles.At(2 * (k + e) * step, w[2][e], w[3][e]);
                m_twiddles.At(3 * (k + e) * step, w[4][e], w[5][e]);
            }
        }
        const Pair w1r = Load(w[0]);
        const Pair w2r = Load(w[2]);
        const Pair w3r = Load(w[4]);
        // Backwards the twiddles are conjugated.
        const Pair w1i = Inverse ? -Load(w[1]) : Load(w[1]);
        const Pair w2i = Inverse ? -Load(w[3]) : Load(w[3]);
        const Pair w3i = Inverse ? -Load(w[5]) : Load(w[5]);
        const Pair ar = Load(re + k);
        const Pair ai = Load(im + k);
        const Pair x1r = Load(re + q + k);
        const Pair x1i = Load(im + q + k);
        const Pair x2r = Load(re + 2 * q + k);
        const Pair x2i = Load(im + 2 * q + k);
        const Pair x3r = Load(re + 3 * q + k);
        const Pair x3i = Load(im + 3 * q + k);
        const Pair br = w1r * x1r - w1i * x1i;
        const Pair bi = w1r * x1i + w1i * x1r;
        const Pair cr = w2r * x2r - w2i * x2i;
        const Pair ci = w2r * x2i + w2i * x2r;
        const Pair dr = w3r * x3r - w3i * x3i;
        const Pair di = w3r * x3i + w3i * x3r;
        const Pair s0r = ar + cr;
        const Pair s0i = ai + ci;
        const Pair s1r = ar - cr;
        const Pair s1i = ai - ci;
        const Pair s2r = br + dr;
        const Pair s2i = bi + di;
        const Pair s3r = br - dr;
        const Pair s3i = bi - di;
        Store(re + k, s0r + s2r);
        Store(im + k, s0i + s2i);
        Store(re + 2 * q + k, s0r - s2r);
        Store(im + 2 * q + k, s0i - s2i);
        // The quarter turns: -i forwards, +i backwards.
        if (Inverse) {
            Store(re + q + k, s1r - s3i);
            Store(im + q + k, s1i + s3r);
            Store(re + 3 * q + k, s1r + s3i);
            Store(im + 3 * q + k, s1i - s3r);
        } else {
            Store(re + q + k, s1r + s3i);
            Store(im + q + k, s1i - s3r);
            Store(re + 3 * q + k, s1r - s3i);
            Store(im + 3 * q + k, s1i + s3r);
        }
    }
}

// Decimation in time: the transform of the n numbers x[0], x[stride], .. (interleaved) is
// joined from the transforms of its four subsequences of every fourth number, each computed
// whole before the next, so that short transforms finish while their data are in the cache.
template <bool Inverse>
void Plan::Recurse(const double* x, size_t stride, size_t n, double* re, double* im) const
{
    if (n <= 4) {
        if (n == 4) {
            Leaf4<Inverse>(x, stride, re, im);
        } else if (n == 2) {
            Leaf2(x, stride, re, im);
        } else {
            re[0] = x[0];
            im[0] = x[1];
        }
        return;
    }
    const size_t q = n / 4;
    for (size_t r = 0; r < 4; ++r) {
        const double* sub = x + 2 * r * stride;
        if (q == 2) {
            Leaf2(sub, 4 * stride, re + r * q, im + r * q);
        } else if (q == 4) {
            Leaf4<Inverse>(sub, 4 * stride, re + r * q, im + r * q);
        } else {
            Recurse<Inverse>(sub, 4 * stride, q, re + r * q, im + r * q);
        }
    }
    Combine<Inverse>(n, re, im);
}

void Plan::Forward(const double* data, double* re, double* im) const
{
    if (m_n > 0) {
        Recurse<false>(data, 1, m_n, re, im);
    }
}

void Plan::Transform(double* data, bool inverse) const
{
    if (m_n < 2) {
        return;
    }
    std::vector<double> re(m_n);
    std::vector<double> im(m_n);
    if (inverse) {
        Recurse<true>(data, 1, m_n, re.data(), im.data());
    } else {
        Recurse<false>(data, 1, m_n, re.data(), im.data());
    }
    for (size_t k = 0; k < m_n; ++k) {
        data[2 * k] = re[k];
        data[2 * k + 1] = im[k];
    }
}

void RealForward(const double* values, size_t n, double* re, double* im)
{
    // Even and odd samples as one complex sequence of half the length, transformed once, then
    // separated by conjugate symmetry and joined by a last radix-2 stage, in place.
    const size_t m = n / 2;
    Plan(m).Forward(values, re, im);
    const Twiddles twiddles(n);
    for (size_t k = 0; k <= m / 2; ++k) {
        const size_t kk = k == 0 ? 0 : m - k;
        const double zr = re[k];
        const double zi = im[k];
        const double cr = re[kk];
        const double ci = im[kk];
        // E = (Z[k] + conj Z[m-k]) / 2, O = (Z[k] - conj Z[m-k]) / 2i, and the same for m - k.
        const double er = 0.5 * (zr + cr);
        const double ei = 0.5 * (zi - ci);
        const double orr = 0.5 * (zi + ci);
        const double oi = -0.5 * (zr - cr);
        double wr = 0.0;
        double wi = 0.0;
        twiddles.At(k, wr, wi);
        // X[k] = E + W^k O; X[m-k] = conj(E - W^k O) since E[m-k] = conj E[k], O likewise.
        const double tr = wr * orr - wi * oi;
        const double ti = wr * oi + wi * orr;
        re[k] = er + tr;
        im[k] = ei + ti;
        re[m - k] = er - tr;
        im[m - k] = -(ei - ti);
    }
}

}  // namespace kst_fft
