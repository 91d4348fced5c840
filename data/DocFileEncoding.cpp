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

namespace {

GridFit CheckedDirect(const double* values, size_t n, const KstGridScan& scan)
{
    GridFit fit;
    uint32_t levels = 0;
    bool exact = false;
    fit.ok = KstFitScannedGrid(values, n, scan, fit.scale, fit.offset, levels, &exact);
    fit.levels = levels;
    // Codes of a fit never pass its levels, so bit-exact decoding is all that DecodesExactly
    // adds.
    fit.ok = fit.ok && exact;
    return fit;
}

GridFit CheckedDifference(const double* values, size_t n, const KstGridScan& scan)
{
    GridFit fit;
    uint32_t levels = 0;
    bool exact = false;
    fit.ok = KstFitScannedGridOfDifferences(values, n, scan, fit.scale, fit.offset, levels, &exact);
    fit.levels = levels;
    fit.ok = fit.ok && exact;
    return fit;
}

// Size estimate of one packed block over n values.
uint64_t EstimatedSize(uint32_t n, uint64_t levels, uint64_t header)
{
    return static_cast<uint64_t>(n) * EstimatedWidth(levels) / 8 + header;
}

// The two whole-range fits of a run, each checked only when a choice depends on it: the fewest
// levels a fit can have, known from its scan, often settles a choice already.
class WholeFits {
public:
    WholeFits(const double* values, uint32_t n, const KstGridScan& scan)
        : m_values(values),
          m_n(n),
          m_scan(scan),
          m_differenceScan(KstScanGridOfDifferences(values, n)),
          m_fewestDirect(KstFewestGridLevels(m_scan)),
          m_fewestDifference(n >= 2 ? KstFewestGridLevels(m_differenceScan) : 0)
    {
    }

    const GridFit& Direct()
    {
        if (!m_directDone) {
            m_direct = m_fewestDirect != 0 ? CheckedDirect(m_values, m_n, m_scan) : GridFit();
            m_directDone = true;
        }
        return m_direct;
    }
    const GridFit& Difference()
    {
        if (!m_differenceDone) {
            m_difference = m_fewestDifference != 0
                               ? CheckedDifference(m_values, m_n, m_differenceScan)
                               : GridFit();
            m_differenceDone = true;
        }
        return m_difference;
    }

    // Whether a block of `size` bytes is smaller than the whole-range block of that form, or
    // that form does not fit.
    bool Beats(uint64_t size, bool direct)
    {
        const uint32_t fewest = direct ? m_fewestDirect : m_fewestDifference;
        const uint64_t header = direct ? kDirectHeader : kDifferenceHeader;
        if (fewest == 0 || size < EstimatedSize(m_n, fewest, header)) {
            return true;
        }
        const GridFit& fit = direct ? Direct() : Difference();
        return !fit.ok || size < EstimatedSize(m_n, fit.levels, header);
    }

    // Direct packed unless the differences are narrower, else difference packed, else raw.
    BlockChoice Choose()
    {
        BlockChoice choice;
        choice.direct = Direct();
        if (choice.direct.ok &&
            EstimatedWidth(choice.direct.levels) <= EstimatedWidth(m_fewestDifference)) {
            choice.kind = BlockChoice::kDirect;
            return choice;
        }
        choice.difference = Difference();
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

private:
    const double* m_values;
    uint32_t m_n;
    KstGridScan m_scan;
    KstGridScan m_differenceScan;
    uint32_t m_fewestDirect;
    uint32_t m_fewestDifference;
    bool m_directDone = false;
    bool m_differenceDone = false;
    GridFit m_direct;
    GridFit m_difference;
};

}  // namespace

BlockChoice ChooseWholeRange(const double* values, uint32_t n)
{
    return WholeFits(values, n, KstScanGrid(values, n)).Choose();
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
    if (k < 2) {
        choice.whole = ChooseWholeRange(values, n);
        return choice;
    }
    // One scan per segment; joined they are the scan of the whole run.
    std::vector<Segment> segments(k);
    std::vector<KstGridScan> scans(k);
    KstGridScan whole;
    uint64_t fewestSize = 0;
    bool possible = true;
    for (uint32_t j = 0; j < k; ++j) {
        Segment& segment = segments[j];
        segment.first = j * s;
        segment.count = j + 1 == k ? n - segment.first : s;
        scans[j] = KstScanGrid(values + segment.first, segment.count);
        whole = j == 0 ? scans[0]
                       : KstJoinGridScans(whole, scans[j], values[segment.first - 1],
                                          values[segment.first]);
        const uint32_t fewest = KstFewestGridLevels(scans[j]);
        possible = possible && fewest != 0;
        fewestSize += EstimatedSize(segment.count, fewest, kDirectHeader);
    }
    // Segments are taken when they are smaller than either whole-range block. A bound that
    // already loses spares checking them.
    WholeFits fits(values, n, whole);
    if (possible && fits.Beats(fewestSize, true) && fits.Beats(fewestSize, false)) {
        uint64_t segmentedSize = 0;
        for (uint32_t j = 0; j < k && possible; ++j) {
            Segment& segment = segments[j];
            segment.fit = CheckedDirect(values + segment.first, segment.count, scans[j]);
            possible = segment.fit.ok;
            segmentedSize += EstimatedSize(segment.count, segment.fit.levels, kDirectHeader);
        }
        if (possible && fits.Beats(segmentedSize, true) && fits.Beats(segmentedSize, false)) {
            choice.segments = std::move(segments);
            return choice;
        }
    }
    choice.whole = fits.Choose();
    return choice;
}

}  // namespace kst_doc
