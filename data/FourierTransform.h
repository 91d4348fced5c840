#pragma once
// Fast Fourier transforms of power-of-two lengths on plain arrays of doubles, shared by the
// spectrum and by band-limited interpolation.

#include <cstddef>
#include <vector>

namespace kst_fft {

bool IsPowerOfTwo(size_t n);
// Smallest power of two >= n (1 for n = 0).
size_t NextPowerOfTwo(size_t n);

// exp(-2 pi i k / n) for 0 <= k <= n (any n) as the product of an entry of two tables of about
// sqrt(n) entries each: both stay in the cache, every entry comes from the platform's sine and
// cosine, so the product is accurate to a few units in the last place.
class Twiddles {
public:
    explicit Twiddles(size_t n);
    void At(size_t k, double& re, double& im) const
    {
        const double* c = &m_coarse[2 * (k >> m_fineBits)];
        const double* f = &m_fine[2 * (k & m_fineMask)];
        re = c[0] * f[0] - c[1] * f[1];
        im = c[0] * f[1] + c[1] * f[0];
    }

private:
    unsigned m_fineBits = 0;
    size_t m_fineMask = 0;
    std::vector<double> m_fine;    // (cos, -sin) of 2 pi k / n, k below 2^m_fineBits
    std::vector<double> m_coarse;  // the same at multiples of 2^m_fineBits
};

// The twiddle tables of one length, built once per process and shared by every plan of it.
struct PlanTables;

// A complex transform of a fixed power-of-two length: radix-4 stages (one radix-2 stage where
// the length is not a power of four), depth first, so that all but the last few stages run on
// data in the cache and the result comes out in order without a bit-reversal pass. Plans are
// cheap to make and may be used from several threads at once. A plan of a length that is no
// power of two transforms nothing: it leaves its input and outputs as they were.
class Plan {
public:
    explicit Plan(size_t n);
    size_t Size() const { return m_n; }
    // In place on n complex numbers stored (re, im) interleaved. Forward uses exp(-2 pi i jk/n);
    // the inverse uses exp(+2 pi i jk/n) and is not divided by n.
    void Forward(double* data) const { Transform(data, false); }
    void Inverse(double* data) const { Transform(data, true); }
    // The forward transform of n interleaved complex numbers into separate real and imaginary
    // arrays of n entries each; the input is left as it was.
    void Forward(const double* data, double* re, double* im) const;

private:
    friend void RealForward(const double* values, size_t n, double* re, double* im);

    void Transform(double* data, bool inverse) const;

    size_t m_n;
    const PlanTables* m_tables;
};

// Spectrum of n real values (n a power of two, else nothing is written): bins 0 .. n/2 into re
// and im (each n/2 + 1 entries), sum over j of x[j] exp(-2 pi i jk/n). The values are left as
// they were.
void RealForward(const double* values, size_t n, double* re, double* im);

}  // namespace kst_fft
