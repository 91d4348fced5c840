#pragma once
// Radix-2 fast Fourier transforms on plain arrays of doubles, shared by the spectrum and by
// band-limited interpolation.

#include <cstddef>
#include <vector>

namespace kst_fft {

bool IsPowerOfTwo(size_t n);
// Smallest power of two >= n (1 for n = 0).
size_t NextPowerOfTwo(size_t n);

// A complex transform of a fixed power-of-two length with its twiddle tables.
class Plan {
public:
    explicit Plan(size_t n);
    size_t Size() const { return m_n; }
    // In place on n complex numbers stored (re, im) interleaved. Forward uses exp(-2 pi i jk/n);
    // the inverse uses exp(+2 pi i jk/n) and is not divided by n.
    void Forward(double* data) const { Transform(data, false); }
    void Inverse(double* data) const { Transform(data, true); }

private:
    void Transform(double* data, bool inverse) const;
    void Stages(double* data, size_t count, size_t lenFirst, size_t lenLast, bool inverse) const;

    size_t m_n;
    unsigned m_fineBits = 0;
    std::vector<double> m_fine;    // (cos, sin) of 2 pi k / n, k below 2^m_fineBits
    std::vector<double> m_coarse;  // the same at multiples of 2^m_fineBits
};

// Spectrum of n real values (n a power of two, at least 4): bins 0 .. n/2 into re and im (each
// n/2 + 1 entries), sum over j of x[j] exp(-2 pi i jk/n). The values are overwritten.
void RealForward(double* values, size_t n, double* re, double* im);

}  // namespace kst_fft
