#pragma once
// Fitting a run of numbers to an integer grid, entry = code x scale + offset with codes
// 0 .. levels-1, so that packed sample blocks and integer file types can store small unsigned
// codes instead of doubles. A fit is only reported when the codes, decoded the way the readers
// decode them, give back every entry within a hundred-millionth of the grid step; anything else
// (non-finite entries, spans beyond 31-bit codes, entries off every grid tried) is stored raw.

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
