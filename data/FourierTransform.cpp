#include "data/FourierTransform.h"

#include <cmath>
#include <utility>

namespace kst_fft {

namespace {

const double kPi = 3.14159265358979323846;

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

Plan::Plan(size_t n) : m_n(n), m_cos(n / 2), m_sin(n / 2)
{
    for (size_t j = 0; j < n / 2; ++j) {
        const double angle = 2.0 * kPi * static_cast<double>(j) / static_cast<double>(n);
        m_cos[j] = std::cos(angle);
        m_sin[j] = std::sin(angle);
    }
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
    const double sign = inverse ? 1.0 : -1.0;
    for (size_t len = 2; len <= n; len <<= 1) {
        const size_t half = len >> 1;
        const size_t stride = n / len;
        for (size_t start = 0; start < n; start += len) {
            for (size_t j = 0; j < half; ++j) {
                const double wr = m_cos[j * stride];
                const double wi = sign * m_sin[j * stride];
                double* a = data + 2 * (start + j);
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
