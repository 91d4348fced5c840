#pragma once
// Raw FAMOS samples widened to doubles: the number formats the reader decodes and the chunked
// reads shared by the channel reader and the raw sample readers.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/Channel.h"
#include "formats/ByteStream.h"
#include "foundation/DataFile.h"

namespace kst_famos {

constexpr uint32_t kMaxChannelCount = 0xFFFFFFFFu;

enum class RawKind { kU8, kI8, kU16, kI16, kU32, kI32, kF32, kF64 };

struct NumberFormat {
    uint32_t bytes;
    RawKind kind;
    uint16_t sampleType;
    bool scaled;
};

// A field of a date or colour kept within its range.
inline int ClampField(int64_t value, int low, int high)
{
    return static_cast<int>(std::clamp<int64_t>(value, low, high));
}

// The number formats of the "CP" key that carry samples; others are refused.
bool LookUpNumberFormat(int64_t code, NumberFormat& format);
uint32_t KindBytes(RawKind kind);
// n samples `stride` bytes apart, each raw x factor + offset (the raw value for 1 and 0).
void Widen(RawKind kind, const uint8_t* in, uint32_t stride, double* out, uint32_t n,
           double factor, double offset);
// Bytes between the stream's position and its end.
int64_t StreamRemaining(CKSTDataFile& stream);
// Appends up to n samples to the channel; KST_ERR_END_OF_DATA when fewer were there. A long run
// is widened on several threads (see KstDecodeGrain).
[[nodiscard]] int AppendWidened(CKSTChannel& channel, CKSTDataFile& stream, RawKind kind, uint32_t n,
                  uint32_t stride, double factor, double offset);

// Reads up to n raw samples of the kind, one every `stride` bytes from the stream's position,
// and hands them on in blocks small enough to stay in the cache, in order: consume(raw, count)
// gets `count` samples `stride` bytes apart. Never asks for more than the stream holds and leaves
// the stream behind the last sample read. Returns the samples read.
template <class Consume>
uint32_t ReadRawBlocks(CKSTDataFile& stream, RawKind kind, uint32_t n, uint32_t stride,
                       Consume&& consume)
{
    const uint32_t bytes = KindBytes(kind);
    const int64_t position = stream.Tell();
    if (position < 0) {
        return 0;
    }
    const uint64_t got =
        KstDecodeRun(stream, static_cast<uint64_t>(position), n, bytes, stride, kKstInOrder,
                     [&](const uint8_t* raw, uint64_t, uint32_t count) { consume(raw, count); });
    const uint64_t used = got == 0 ? 0 : (got - 1) * stride + bytes;
    stream.Seek(position + static_cast<int64_t>(used), SEEK_SET);
    return static_cast<uint32_t>(got);
}

}  // namespace kst_famos
