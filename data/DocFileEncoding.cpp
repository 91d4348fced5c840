#include "data/DocFileEncoding.h"

#include "data/IntegerScaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace kst_doc {

namespace {

constexpr uint32_t kSegmentsMax = 16;
constexpr uint32_t kSegmentMinValues = 256;
constexpr uint64_t kDirectHeader = 21;
constexpr uint64_t kDifferenceHeader = 29;

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

int64_t Quantise(double x, double offset, double scale)
{
    return KstGridCode(x, scale, offset);
}

uint32_t PackedWidth(uint64_t levels, bool difference)
{
    if (levels == 1 && !difference) {
        return 0;
    }
    uint32_t width = 1;
    while (width < 64 && (uint64_t{1} << width) < levels) {
        ++width;
    }
    return width;
}

uint32_t EstimatedWidth(uint64_t levels)
{
    uint32_t width = 0;
    while (levels != 0) {
        ++width;
        levels >>= 1;
    }
    return width;
}

bool AllExactAsFloat(const double* values, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const double back = static_cast<double>(static_cast<float>(values[i]));
        if (!SameBits(back, values[i]) && !(std::isnan(back) && std::isnan(values[i]))) {
            return false;
        }
    }
    return true;
}

std::vector<double> Differences(const double* values, uint32_t n)
{
    std::vector<double> d(n > 0 ? n - 1 : 0);
    for (uint32_t i = 0; i + 1 < n; ++i) {
        d[i] = values[i + 1] - values[i];
    }
    return d;
}

GridFit FitGrid(const double* entries, size_t n)
{
    GridFit fit;
    uint32_t levels = 0;
    fit.ok = KstFitIntegerGrid(entries, n, fit.scale, fit.offset, levels);
    fit.levels = levels;
    return fit;
}

GridFit FitDifferences(const double* entries, size_t n)
{
    GridFit fit;
    uint32_t levels = 0;
    fit.ok = KstFitIntegerGridOfDifferences(entries, n, fit.scale, fit.offset, levels);
    fit.levels = levels;
    return fit;
}

bool DecodesExactly(const double* values, size_t n, const GridFit& fit)
{
    if (!fit.ok || fit.levels == 0) {
        return false;
    }
    const uint32_t width = PackedWidth(fit.levels, false);
    if (width > 32) {
        return false;
    }
    if (width == 0) {
        return std::all_of(values, values + n, [&](double v) { return SameBits(v, fit.offset); });
    }
    const int64_t limit = int64_t{1} << width;
    for (size_t i = 0; i < n; ++i) {
        const int64_t code = Quantise(values[i], fit.offset, fit.scale);
        if (code < 0 || code >= limit ||
            !SameBits(static_cast<double>(code) * fit.scale + fit.offset, values[i])) {
            return false;
        }
    }
    return true;
}

bool DifferencesDecodeExactly(const double* values, size_t n, const GridFit& fit)
{
    if (!fit.ok || fit.levels == 0 || n < 2) {
        return false;
    }
    const uint32_t width = PackedWidth(fit.levels, true);
    if (width > 32) {
        return false;
    }
    const int64_t limit = int64_t{1} << width;
    // The reader's arithmetic, step for step: a bias from the stored offset and a running sum.
    const double bias = fit.scale != 0.0 ? std::round(-fit.offset / fit.scale) : 0.0;
    const double first = values[0];
    double sum = 0.0;
    for (size_t i = 1; i < n; ++i) {
        const int64_t code = Quantise(values[i] - values[i - 1], fit.offset, fit.scale);
        if (code < 0 || code >= limit) {
            return false;
        }
        sum += static_cast<double>(code) - bias;
        if (!SameBits(sum * fit.scale + first, values[i])) {
            return false;
        }
    }
    return true;
}

namespace {

GridFit CheckedDirect(const double* values, size_t n)
{
    GridFit fit = FitGrid(values, n);
    if (fit.ok && !DecodesExactly(values, n, fit)) {
        fit.ok = false;
    }
    return fit;
}

GridFit CheckedDifference(const double* values, size_t n)
{
    GridFit fit = FitDifferences(values, n);
    if (fit.ok && !DifferencesDecodeExactly(values, n, fit)) {
        fit.ok = false;
    }
    return fit;
}

}  // namespace

BlockChoice ChooseWholeRange(const double* values, uint32_t n)
{
    BlockChoice choice;
    choice.direct = CheckedDirect(values, n);
    choice.difference = CheckedDifference(values, n);
    const bool okD = choice.direct.ok;
    const bool okDelta = choice.difference.ok;
    const uint32_t wD = okD ? EstimatedWidth(choice.direct.levels) : 0;
    const uint32_t wDelta = okDelta ? EstimatedWidth(choice.difference.levels) : 0;
    if (okD && !(okDelta && wD > wDelta)) {
        choice.kind = BlockChoice::kDirect;
    } else if (okDelta) {
        choice.kind = BlockChoice::kDifference;
    }
    return choice;
}

RangeChoice ChooseRange(const double* values, uint32_t n)
{
    RangeChoice choice;
    if (n == 0) {
        return choice;
    }
    uint32_t k = kSegmentsMax;
    uint32_t s = n / k;
    while (s < kSegmentMinValues) {
        --k;
        if (k < 2) {
            break;
        }
        s = n / k;
    }
    std::vector<Segment> segments;
    uint64_t segmentedSize = 0;
    if (k >= 2) {
        for (uint32_t j = 0; j < k; ++j) {
            Segment segment;
            segment.first = j * s;
            segment.count = j + 1 == k ? n - segment.first : s;
            segment.fit = CheckedDirect(values + segment.first, segment.count);
            if (!segment.fit.ok) {
                segments.clear();
                break;
            }
            segmentedSize +=
                static_cast<uint64_t>(segment.count) * EstimatedWidth(segment.fit.levels) / 8 +
                kDirectHeader;
            segments.push_back(segment);
        }
    }
    choice.whole = ChooseWholeRange(values, n);
    const GridFit& direct = choice.whole.direct;
    const GridFit& difference = choice.whole.difference;
    if (!segments.empty() &&
        (!direct.ok ||
         segmentedSize <
             static_cast<uint64_t>(n) * EstimatedWidth(direct.levels) / 8 + kDirectHeader) &&
        (!difference.ok ||
         segmentedSize < static_cast<uint64_t>(n) * EstimatedWidth(difference.levels) / 8 +
                             kDifferenceHeader)) {
        choice.segments = std::move(segments);
    }
    return choice;
}

}  // namespace kst_doc
