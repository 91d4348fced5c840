#pragma once
// Raw FAMOS samples widened to doubles: the number formats the reader decodes and the chunked
// reads shared by the channel reader and the raw sample readers.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/Channel.h"
#include "foundation/DataFile.h"

namespace kst_famos {

// Raw bytes widened per step: small enough to stay in the cache.
constexpr uint32_t kChunkBytes = 32 * 1024;
constexpr uint32_t kMaxChannelCount = 0xFFFFFFFFu;

enum class RawKind { kU8, kI8, kU16, kI16, kU32, kI32, kF32, kF64 };

struct NumberFormat {
    uint32_t bytes;
    RawKind kind;
    uint16_t sampleType;
    bool scaled;
};

// The number formats of the "CP" key that carry samples; others are refused.
bool LookUpNumberFormat(int64_t code, NumberFormat& format);
uint32_t KindBytes(RawKind kind);
// n samples `stride` bytes apart, each raw x factor + offset (the raw value for 1 and 0).
void Widen(RawKind kind, const uint8_t* in, uint32_t stride, double* out, uint32_t n,
           double factor, double offset);
// Bytes between the stream's position and its end.
int64_t StreamRemaining(CKSTDataFile& stream);
// Appends up to n samples to the channel; KST_ERR_END_OF_DATA when fewer were there.
int AppendWidened(CKSTChannel& channel, CKSTDataFile& stream, RawKind kind, uint32_t n,
                  uint32_t stride, double factor, double offset);

// Reads up to n raw samples of the kind, one every `stride` bytes from the stream's position,
// and hands them on in blocks: consume(raw, count) gets `count` samples `stride` bytes apart.
// A memory stream hands out its own bytes; a file goes through a scratch buffer small enough to
// stay in the cache. Never asks for more than the stream holds. Returns the samples read.
template <class Consume>
uint32_t ReadRawBlocks(CKSTDataFile& stream, RawKind kind, uint32_t n, uint32_t stride,
                       Consume&& consume)
{
    const uint32_t bytes = KindBytes(kind);
    const int64_t left = StreamRemaining(stream);
    const uint64_t fit = left >= bytes ? static_cast<uint64_t>(left - bytes) / stride + 1 : 0;
    const uint32_t total = static_cast<uint32_t>(std::min<uint64_t>(n, fit));
    const uint32_t perChunk = std::max<uint32_t>(1, std::min<uint32_t>(kChunkBytes / stride, 65536));
    if (stream.IsInMemory()) {
        const int64_t position = stream.Tell();
        const uint8_t* raw = stream.GetMemoryBuffer().GetData() + position;
        for (uint32_t done = 0; done < total;) {
            const uint32_t want = std::min(perChunk, total - done);
            consume(raw + static_cast<size_t>(done) * stride, want);
            done += want;
        }
        // Past the last sample, as the reads through a file leave the stream.
        const uint64_t used = total == 0 ? 0 : static_cast<uint64_t>(total - 1) * stride + bytes;
        stream.Seek(position + static_cast<int64_t>(used), SEEK_SET);
        return total;
    }
    std::vector<uint8_t> scratch(static_cast<size_t>(perChunk - 1) * stride + bytes);
    uint32_t done = 0;
    while (done < total) {
        const uint32_t want = std::min(perChunk, total - done);
        const uint32_t wantBytes = (want - 1) * stride + bytes;
        const uint32_t got = stream.Read(scratch.data(), wantBytes);
        const uint32_t whole = got >= bytes ? std::min(want, (got - bytes) / stride + 1) : 0;
        if (whole > 0) {
            consume(scratch.data(), whole);
        }
        done += whole;
        if (whole < want) {
            break;
        }
        if (done < total && stride > bytes && stream.Seek(stride - bytes, SEEK_CUR) < 0) {
            break;
        }
    }
    return done;
}

}  // namespace kst_famos
