#pragma once
// Helpers of the channel scans: the samples a record will add, counted before the scan so that
// each channel is allocated once, and the joining of a time vector with its times afterwards.

#include "data/Channel.h"
#include "data/DocFile.h"

#include <cstdint>
#include <vector>

namespace kst_doc {

// The channel's times become the values of the times channel (none: no times); the count is
// the smaller of both. With takeOver the channel takes the times channel's array, which is
// left empty.
void JoinTimes(CKSTChannel& channel, CKSTChannel* times, bool takeOver);

// The samples (or, for the odd tags, times) a sample block or single-value record adds to its
// channel, read from the payload's header; 0 where it adds none or the header is short.
uint64_t RecordSampleCount(uint8_t tag, const CKSTDocReader& payload);

// Per channel index, the values and the times the records of a scan will add.
struct SampleCounts {
    std::vector<uint64_t> values;
    std::vector<uint64_t> times;
    // What to reserve for index k: the counted samples, but never more than one per bit of the
    // file (a missing run describes many samples in four bytes) nor past `limit`.
    uint32_t ForValues(uint32_t k, uint64_t bits, uint64_t limit) const;
    uint32_t ForTimes(uint32_t k, uint64_t bits, uint64_t limit) const;
};
SampleCounts CountSamples(const CKSTDocReader& records);

}  // namespace kst_doc
