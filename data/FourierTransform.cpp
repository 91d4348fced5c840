#include "data/FourierTransform.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "foundation/Numeric.h"

namespace kst_fft {

namespace {

// Complex numbers per block of the early stages: 512 KiB of data.
const size_t kCacheBlock = size_t{1} << 15;

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

Plan::Plan(size_t n) : m_n(n)
{
    // exp(-2 pi i k / n) = coarse[k / fine size] x fine[k % fine size]: two tables of about
    // sqrt(n) entries each that stay in the cache, every entry from the platform's sine and
    // cosine, so the product is accurate to a few units in the last place.
    m_fineBits = 0;
    while ((size_t{1} << (2 * m_fineBits)) < n) {
        ++m_fineBits;
    }
    const size_t fine = size_t{1} << m_fineBits;
    const size_t coarse = std::max<size_t>(n / fine, 1);
    const auto fill = [n](std::vector<double>& table, size_t count, size_t step) {
        table.resize(2 * count);
        for (size_t k = 0; k < count; ++k) {
            const double angle = 2.0 * kPi * static_cast<double>(k * step) / static_cast<double>(n);
            table[2 * k] = std::cos(angle);
            table[2 * k + 1] = std::sin(angle);
        }
    };
    fill(m_fine, fine, 1);
    fill(m_coarse, coarse, fine);
}

void Plan::Transform(double* data, bool inverse) const
{
    const size_t n = m_n;
    if (n < 2) {
        return;
    }
    // Bit-reversal permutation.
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(data[2 * i], data[2 * j]);
            std::swap(data[2 * i + 1], data[2 * j + 1]);
        }
    }
    // The early stages work on short spans: run all of them block by block while a block still
    // fits the cache, then the remaining stages over the whole array.
    const size_t block = std::min(n, kCacheBlock);
    for (size_t first = 0; first < n; first += block) {
        Stages(data + 2 * first, block, 2, block, inverse);
    }
    Stages(data, n, 2 * block, n, inverse);
}

// Radix-2 butterflies of the spans len = lenFirst, 2 lenFirst, .. lenLast over `count` complex
// numbers at data (count a multiple of lenLast).
void Plan::Stages(double* data, size_t count, size_t lenFirst, size_t lenLast, bool inverse) const
{
    const double sign = inverse ? 1.0 : -1.0;
    const size_t fineMask = (size_t{1} << m_fineBits) - 1;
    for (size_t len = lenFirst; len <= lenLast; len <<= 1) {
        const size_t half = len >> 1;
        const size_t stride = m_n / len;
        // One twiddle per position in the span, applied to every span: the spans of one pass
        // are few when they are long, so the data they touch stays in the cache meanwhile.
        for (size_t j = 0; j < half; ++j) {
            const size_t k = j * stride;
            const double* c = &m_coarse[2 * (k >> m_fineBits)];
            const double* f = &m_fine[2 * (k & fineMask)];
            const double wr = c[0] * f[0] - c[1] * f[1];
            const double wi = sign * (c[0] * f[1] + c[1] * f[0]);
            for (size_t start = j; start < count; start += len) {
                double* a = data + 2 * start;
                double* b = a + 2 * half;
                const double tr = wr * b[0] - wi * b[1];
                const double ti = wr * b[1] + wi * b[0];
                b[0] = a[0] - tr;
                b[1] = a[1] - ti;
                a[0] += tr;
                a[1] += ti;
            }
        }
    }
}

void RealForward(double* values, size_t n, double* re, double* im)
{
    // Even and odd samples as one complex sequence of half the length, transformed once, then
    // separated by conjugate symmetry and joined by a last radix-2 stage.
    const size_t m = n / 2;
    Plan(m).Forward(values);
    for (size_t k = 0; k <= m / 2; ++k) {
        const size_t kk = k == 0 ? 0 : m - k;
        const double zr = values[2 * k];
        const double zi = values[2 * k + 1];
        const double cr = values[2 * kk];
        const double ci = values[2 * kk + 1];
        // E = (Z[k] + conj Z[m-k]) / 2, O = (Z[k] - conj Z[m-k]) / 2i, and the same for m - k.
        const double er = 0.5 * (zr + cr);
        const double ei = 0.5 * (zi - ci);
        const double orr = 0.5 * (zi + ci);
        const double oi = -0.5 * (zr - cr);
        const double angle = -kPi * static_cast<double>(k) / static_cast<double>(m);
        const double wr = std::cos(angle);
        const double wi = std::sin(angle);
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
