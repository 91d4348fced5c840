#pragma once
// Fitting a run of numbers to an integer grid, entry = code x scale + offset with codes
// 0 .. levels-1, so that packed sample blocks and integer file types can store small unsigned
// codes instead of doubles. A fit is only reported when the codes, decoded the way the readers
// decode them, give back every entry within a hundred-millionth of the grid step; anything else
// (non-finite entries, spans beyond 31-bit codes, entries off every grid tried) is stored raw.

#include <cmath>
#include <cstddef>
#include <cstdint>

// Codes never exceed this: the container writer clamps its codes to [-2147483647, 2147483646].
constexpr double kKstMaxGridCode = 2147483646.0;

// The code the writers store for x: round((x - offset) / scale), half away from zero, clamped to
// [-2147483647, 2147483646]; 0 for a zero scale or a NaN quotient.
int64_t KstGridCode(double x, double scale, double offset);

// Direct form: offset = the smallest entry, levels = number of grid points up to the largest,
// scale = span / (levels - 1); all equal entries give scale 1.0, the value as offset, levels 1.
// False (outputs 0) for n = 0 or when no grid fits.
bool KstFitIntegerGrid(const double* entries, size_t n, double& scale, double& offset,
                       uint32_t& levels);

// Difference form: fits the n - 1 differences entries[i+1] - entries[i]. The fit holds only when
// the readers' running sum (entries[0], then S += code - round(-offset / scale) and
// entries[0] + S x scale) gives back every entry, so the smallest difference must itself lie on
// the grid. Equal differences d give scale |d| (1.0 for d = 0), offset d, levels 1. False with
// fewer than two entries or when no grid fits.
bool KstFitIntegerGridOfDifferences(const double* entries, size_t n, double& scale, double& offset,
                                    uint32_t& levels);

// KstGridCode for many entries of one grid: a multiplication by the reciprocal of the scale,
// with the division only where the product lies so close to a half that its rounding could
// differ. The codes are the same as KstGridCode's.
class KstGridQuantiser {
public:
    KstGridQuantiser(double scale, double offset)
        : m_scale(scale), m_offset(offset), m_inverse(1.0 / scale)
    {
    }
    int64_t operator()(double x) const
    {
        // The product misses the quotient by at most 3 units in the last place: below 2^31
        // that is far less than kMargin.
        const double q = (x - m_offset) * m_inverse;
        if (std::fabs(q) < kFastLimit) {
            const int64_t whole = static_cast<int64_t>(q);
            const double fraction = std::fabs(q - static_cast<double>(whole));
            if (std::fabs(fraction - 0.5) > kMargin) {
                return fraction > 0.5 ? whole + (q < 0.0 ? -1 : 1) : whole;
            }
        }
        return KstGridCode(x, m_scale, m_offset);
    }

private:
    static constexpr double kFastLimit = 2147483600.0;
    static constexpr double kMargin = 1e-5;
    double m_scale;
    double m_offset;
    double m_inverse;
};

// The one pass over the entries that every fit starts with: their range (the first of equal
// extremes, so a zero keeps its sign), the smallest step between successive entries that is
// more than rounding noise, and whether all are finite.
struct KstGridScan {
    double min = HUGE_VAL;
    double max = -HUGE_VAL;
    double minStep = HUGE_VAL;
    bool finite = true;
};
KstGridScan KstScanGrid(const double* entries, size_t n);
// The scan of the n - 1 differences entries[i+1] - entries[i].
KstGridScan KstScanGridOfDifferences(const double* entries, size_t n);
// The scan of two runs a and b that follow each other, `last` ending a and `next` starting b.
KstGridScan KstJoinGridScans(const KstGridScan& a, const KstGridScan& b, double last, double next);
// The fewest levels a fit with this scan can have; 0 when none can fit. The scan must not be
// empty.
uint32_t KstFewestGridLevels(const KstGridScan& scan);
// KstFitIntegerGrid and KstFitIntegerGridOfDifferences for entries already scanned. With a
// fit, *exact (when given) tells whether the codes give back every entry bit for bit, decoded
// as code x scale + offset or by the readers' running sum.
bool KstFitScannedGrid(const double* entries, size_t n, const KstGridScan& scan, double& scale,
                       double& offset, uint32_t& levels, bool* exact = nullptr);
bool KstFitScannedGridOfDifferences(const double* entries, size_t n, const KstGridScan& scan,
                                    double& scale, double& offset, uint32_t& levels,
                                    bool* exact = nullptr);
