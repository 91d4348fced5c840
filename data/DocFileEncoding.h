#pragma once
// How the container's writer chooses the encoding of a run of samples: integer-grid fits of
// the values and of their differences, checked against what a reader will decode, and the
// split into segments. Every packed form chosen here decodes to exactly the values given;
// where none does, the caller writes raw floats.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kst_doc {

struct GridFit {
    bool ok = false;
    double scale = 0.0;
    double offset = 0.0;
    uint64_t levels = 0;  // codes 0 .. levels - 1
};

// Bit width of a packed block: 0 for one level of a direct block, else at least 1.
uint32_t PackedWidth(uint64_t levels, bool difference);
// floor(log2 levels) + 1, the width the size estimates use.
uint32_t EstimatedWidth(uint64_t levels);
bool AllExactAsFloat(const double* values, size_t n);

struct BlockChoice {
    enum Kind { kRaw, kDirect, kDifference };
    Kind kind = kRaw;
    // The fit of the chosen kind; a fit the choice did not depend on may be left unchecked.
    GridFit direct;
    GridFit difference;
};

// One block over n values: direct packed unless differences are narrower, else difference
// packed, else raw.
BlockChoice ChooseWholeRange(const double* values, uint32_t n);

struct Segment {
    uint32_t first = 0;
    uint32_t count = 0;
    GridFit fit;
};

struct RangeChoice {
    std::vector<Segment> segments;  // non-empty: one direct packed block per segment
    BlockChoice whole;
};

// The encoding of a run of values: segments from 512 values on when they are smaller.
RangeChoice ChooseRange(const double* values, uint32_t n);

}  // namespace kst_doc
