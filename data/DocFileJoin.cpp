#include "data/DocFileJoin.h"

#include <algorithm>
#include <cstring>

namespace kst_doc {

void JoinTimes(CKSTChannel& channel, CKSTChannel* times, bool takeOver)
{
    const uint32_t available = times != nullptr ? times->GetCount() : 0;
    const uint32_t n = std::min(channel.GetCount(), available);
    if (n < channel.GetCount()) {
        channel.SetCapacity(n);
    }
    if (n == 0) {
        return;
    }
    if (takeOver) {
        channel.TakeTimes(*times);
        return;
    }
    // The arrays are the channel's own; SetTimeAt would judge the order against the zeros
    // still standing in the later slots.
    std::memcpy(const_cast<double*>(channel.GetTimes()), times->GetValues(), sizeof(double) * n);
    channel.RescanAscending();
}

uint64_t RecordSampleCount(uint8_t tag, const CKSTDocReader& payload)
{
    if (IsFixedSizeTag(tag)) {
        const bool one = tag == KST_TAG_SINGLE_VALUE_F32 || tag == KST_TAG_SINGLE_VALUE_F64 ||
                         tag == KST_TAG_SINGLE_TIME_F32 || tag == KST_TAG_SINGLE_TIME_F64;
        return one ? 1 : 0;
    }
    if (IsTimeBlockTag(tag)) {
        tag = static_cast<uint8_t>(tag + 1);
    }
    CKSTDocReader block = payload;
    const size_t size = block.GetSize();
    switch (tag) {
        case KST_TAG_VALUE_U8:
            return size >= 16 ? size - 16 : 0;
        case KST_TAG_VALUE_U16:
            return size >= 16 ? (size - 16) / 2 : 0;
        case KST_TAG_VALUE_U32:
            return size >= 16 ? (size - 16) / 4 : 0;
        case KST_TAG_VALUE_F32:
            return size / 4;
        case KST_TAG_VALUE_F64:
            return size / 8;
        case KST_TAG_VALUE_PACKED:
        case KST_TAG_VALUE_DIFF_PACKED: {
            uint32_t n = 0;
            return block.ReadU32(n) ? uint64_t{n} + (tag == KST_TAG_VALUE_DIFF_PACKED ? 1 : 0) : 0;
        }
        case KST_TAG_VALUE_PACKED_OLD: {
            uint8_t width = 0;
            if (!block.Skip(16) || !block.ReadU8(width) || width == 0) {
                return 0;
            }
            return (8 * static_cast<uint64_t>(size) - 136) / width;
        }
        case KST_TAG_MISSING: {
            uint32_t n = 0;
            return block.ReadU32(n) ? n : 0;
        }
        default:
            return 0;
    }
}

namespace {

uint32_t Capped(const std::vector<uint64_t>& counts, uint32_t k, uint64_t bits, uint64_t limit)
{
    const uint64_t n = k < counts.size() ? counts[k] : 0;
    return static_cast<uint32_t>(std::min({n, bits, limit, uint64_t{0xFFFFFFFFu}}));
}

}  // namespace

uint32_t SampleCounts::ForValues(uint32_t k, uint64_t bits, uint64_t limit) const
{
    return Capped(values, k, bits, limit);
}

uint32_t SampleCounts::ForTimes(uint32_t k, uint64_t bits, uint64_t limit) const
{
    return Capped(times, k, bits, limit);
}

SampleCounts CountSamples(const CKSTDocReader& recordsIn)
{
    SampleCounts counts;
    CKSTDocReader records = recordsIn;
    uint8_t tag;
    while (records.ReadTag(tag) == KST_OK) {
        if (IsFixedSizeTag(tag) || IsLengthPrefixedTag(tag)) {
            uint32_t k;
            CKSTDocReader payload;
            if (!records.ReadCount8(k) ||
                !(IsFixedSizeTag(tag) ? records.TakeRecord(GetFixedTagSize(tag), payload)
                                      : records.TakeFramedRecord(payload))) {
                break;
            }
            const bool timeTag = IsFixedSizeTag(tag) ? (tag & 1) != 0 : IsTimeBlockTag(tag);
            std::vector<uint64_t>& perIndex = timeTag ? counts.times : counts.values;
            if (k >= perIndex.size()) {
                perIndex.resize(static_cast<size_t>(k) + 1, 0);  // k is at most 0xFFFF
            }
            perIndex[k] += RecordSampleCount(tag, payload);
            continue;
        }
        if (records.SkipByClass(tag, nullptr) != KST_OK) {
            break;
        }
    }
    return counts;
}

}  // namespace kst_doc
