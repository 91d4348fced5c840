// Accessors of matrix channels for colour maps and value labels. Every index is kept inside the
// whole rows of the grid, so no lookup leaves the value array whatever times, positions or
// bounds are asked for.
#include <algorithm>
#include <cmath>

#include "data/Channel.h"

namespace {

constexpr double kBlockStart = 1e300;

// Items i with floor(x1) < i <= floor(x2), x = (a - origin) / step, among n items.
bool IndexRange(double a, double b, double origin, double step, uint32_t n, uint32_t& first,
                uint32_t& last)
{
    first = 0;
    last = 0;
    const double x1 = (a - origin) / step;
    const double x2 = (b - origin) / step;
    if (std::isnan(x1) || std::isnan(x2)) {
        return false;
    }
    const double lastIndex = static_cast<double>(n) - 1.0;
    int64_t from = 0;
    if (x1 >= 0.0) {
        if (x1 > lastIndex) {
            return false;
        }
        from = static_cast<int64_t>(x1) + 1;
    }
    if (x2 < 0.0) {
        return false;
    }
    const int64_t to = x2 <= lastIndex ? static_cast<int64_t>(x2) : int64_t(n) - 1;
    if (to < from) {
        return false;
    }
    first = static_cast<uint32_t>(from);
    last = static_cast<uint32_t>(to);
    return true;
}

// The cell index of a position and the fraction of the way to the next cell, both kept inside
// the n cells (the fraction in 0 .. 1, so nothing is extrapolated).
void Locate(double position, double origin, double step, uint32_t n, uint32_t& index,
            double& fraction)
{
    index = 0;
    fraction = 0.0;
    if (step == 0.0 || n == 0) {
        return;
    }
    const double x = (position - origin) / step;
    if (!(x > 0.0)) {
        return;  // before the first cell, or not a number
    }
    const double whole = std::min(std::trunc(x), static_cast<double>(n) - 1.0);
    index = static_cast<uint32_t>(whole);
    fraction = std::clamp((position - (whole * step + origin)) / step, 0.0, 1.0);
}

uint32_t ToColour(double value)
{
    if (!(value > 0.0)) {
        return 0;
    }
    return value >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

// At either end exactly the end value, also next to an infinite one.
double Blend(double a, double b, double fraction)
{
    if (a == b || fraction == 0.0) {
        return a;
    }
    return fraction == 1.0 ? b : a + (b - a) * fraction;
}

}  // namespace

uint32_t CKSTChannel::GetMatrixRowCount() const
{
    if (m_timeBaseType != kMatrix || m_matrixRowLength == 0) {
        return 0;
    }
    return m_count / m_matrixRowLength;
}

bool CKSTChannel::GetColumnRange(double t1, double t2, uint32_t& first, uint32_t& last) const
{
    first = 0;
    last = 0;
    if (m_timeBaseType != kMatrix) {
        return false;
    }
    return IndexRange(t1, t2, m_t0, m_dt, m_matrixRowLength, first, last);
}

bool CKSTChannel::GetRowRange(double y1, double y2, uint32_t& first, uint32_t& last) const
{
    first = 0;
    last = 0;
    if (m_timeBaseType != kMatrix) {
        return false;
    }
    return IndexRange(y1, y2, m_secondAxisOrigin, m_secondAxisStep, GetMatrixRowCount(), first,
                      last);
}

double CKSTChannel::GetFirstRowPosition() const
{
    return m_timeBaseType == kMatrix ? m_secondAxisOrigin : 0.0;
}

double CKSTChannel::GetLastRowPosition() const
{
    if (m_timeBaseType != kMatrix) {
        return 0.0;
    }
    const uint32_t rows = GetMatrixRowCount();
    return rows > 0 ? (rows - 1) * m_secondAxisStep + m_secondAxisOrigin : m_secondAxisOrigin;
}

double CKSTChannel::MatrixBlock(uint32_t c1, uint32_t c2, uint32_t r1, uint32_t r2,
                                bool maximum) const
{
    const uint32_t columns = m_matrixRowLength;
    const uint32_t rows = GetMatrixRowCount();
    if (rows == 0) {
        return 0.0;
    }
    if (c1 == kWholeChannel && c2 == kWholeChannel) {
        c1 = 0;
    }
    c2 = std::min(c2, columns - 1);
    if (c1 >= columns || c1 > c2) {
        return 0.0;
    }
    if (r1 == kWholeChannel && r2 == kWholeChannel) {
        r1 = 0;
    }
    r2 = std::min(r2, rows - 1);
    if (r1 >= rows || r1 > r2) {
        return 0.0;
    }
    double result = maximum ? -kBlockStart : kBlockStart;
    for (uint32_t r = r1; r <= r2; ++r) {
        const double* row = m_values.get() + uint64_t(r) * columns;
        for (uint32_t c = c1; c <= c2; ++c) {
            if (maximum ? row[c] > result : row[c] < result) {
                result = row[c];
            }
        }
    }
    return result;
}

double CKSTChannel::GetMatrixMin(uint32_t c1, uint32_t c2, uint32_t r1, uint32_t r2) const
{
    return MatrixBlock(c1, c2, r1, r2, false);
}

double CKSTChannel::GetMatrixMax(uint32_t c1, uint32_t c2, uint32_t r1, uint32_t r2) const
{
    return MatrixBlock(c1, c2, r1, r2, true);
}

double CKSTChannel::GetRowCutMax(uint32_t c1, uint32_t c2, double y) const
{
    const uint32_t columns = m_matrixRowLength;
    if (GetMatrixRowCount() == 0) {
        return 0.0;
    }
    c2 = std::min(c2, columns - 1);
    if (c1 >= columns || c1 > c2) {
        return 0.0;
    }
    double result = -kBlockStart;
    for (uint32_t c = c1; c <= c2; ++c) {
        const double v = GetMatrixValueAt(c * m_dt + m_t0, y);
        if (v > result) {
            result = v;
        }
    }
    return result;
}

double CKSTChannel::GetColumnCutMax(double t, uint32_t r1, uint32_t r2) const
{
    const uint32_t rows = GetMatrixRowCount();
    if (rows == 0) {
        return 0.0;
    }
    r2 = std::min(r2, rows - 1);
    if (r1 >= rows || r1 > r2) {
        return 0.0;
    }
    double result = -kBlockStart;
    for (uint32_t r = r1; r <= r2; ++r) {
        const double v = GetMatrixValueAt(t, r * m_secondAxisStep + m_secondAxisOrigin);
        if (v > result) {
            result = v;
        }
    }
    return result;
}

double CKSTChannel::GetMatrixValueAt(double t, double y) const
{
    const uint32_t columns = m_matrixRowLength;
    const uint32_t rows = GetMatrixRowCount();
    if (rows == 0) {
        return 0.0;
    }
    uint32_t ix = 0, iy = 0;
    double fx = 0.0, fy = 0.0;
    Locate(t, m_t0, m_dt, columns, ix, fx);
    Locate(y, m_secondAxisOrigin, m_secondAxisStep, rows, iy, fy);
    const uint32_t ix2 = ix + 1 < columns ? ix + 1 : ix;
    const uint32_t iy2 = iy + 1 < rows ? iy + 1 : iy;
    const double* row = m_values.get() + uint64_t(iy) * columns;
    const double* next = m_values.get() + uint64_t(iy2) * columns;
    const double a = row[ix], b = row[ix2], c = next[ix], d = next[ix2];
    if (!m_matrixFlag) {
        return Blend(Blend(a, b, fx), Blend(c, d, fx), fy);
    }
    const uint32_t ca = ToColour(a), cb = ToColour(b), cc = ToColour(c), cd = ToColour(d);
    uint32_t colour = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        auto byte = [shift](uint32_t value) {
            return static_cast<double>((value >> shift) & 0xFF);
        };
        const double top = Blend(byte(ca), byte(cb), fx);
        const double bottom = Blend(byte(cc), byte(cd), fx);
        const double blended = std::clamp(Blend(top, bottom, fy), 0.0, 255.0);
        colour |= static_cast<uint32_t>(blended) << shift;
    }
    return colour;
}
