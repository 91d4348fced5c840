// Widening raw FAMOS samples, and the raw sample readers built on it.

#include "formats/FamosFileSamples.h"

#include <cstring>

#include "formats/FamosFile.h"
#include "foundation/ErrorCodes.h"

namespace {

template <class Raw, size_t kStride>
void WidenPacked(const uint8_t* in, double* out, uint32_t n, double factor, double offset)
{
    // A stride known at compile time lets the loop be vectorised.
    if (factor == 1.0 && offset == 0.0) {
        for (uint32_t i = 0; i < n; ++i) {
            Raw raw;
            std::memcpy(&raw, in + static_cast<size_t>(i) * kStride, sizeof raw);
            out[i] = static_cast<double>(raw);
        }
    } else {
        for (uint32_t i = 0; i < n; ++i) {
            Raw raw;
            std::memcpy(&raw, in + static_cast<size_t>(i) * kStride, sizeof raw);
            out[i] = static_cast<double>(raw) * factor + offset;
        }
    }
}

template <class Raw>
void WidenTyped(const uint8_t* in, uint32_t stride, double* out, uint32_t n, double factor,
                double offset)
{
    if (stride == sizeof(Raw)) {
        WidenPacked<Raw, sizeof(Raw)>(in, out, n, factor, offset);
        return;
    }
    // Loads through memcpy: raw samples sit at any byte offset.
    if (factor == 1.0 && offset == 0.0) {
        for (uint32_t i = 0; i < n; ++i) {
            Raw raw;
            std::memcpy(&raw, in + static_cast<size_t>(i) * stride, sizeof raw);
            out[i] = static_cast<double>(raw);
        }
    } else {
        for (uint32_t i = 0; i < n; ++i) {
            Raw raw;
            std::memcpy(&raw, in + static_cast<size_t>(i) * stride, sizeof raw);
            out[i] = static_cast<double>(raw) * factor + offset;
        }
    }
}

}  // namespace

namespace kst_famos {

bool LookUpNumberFormat(int64_t code, NumberFormat& format)
{
    switch (code) {
        case 1: format = {1, RawKind::kU8, 1, true}; return true;
        case 2: format = {1, RawKind::kI8, 1, true}; return true;
        case 3: format = {2, RawKind::kU16, 2, true}; return true;
        case 4: format = {2, RawKind::kI16, 2, true}; return true;
        case 5: format = {4, RawKind::kU32, 3, true}; return true;
        case 6: format = {4, RawKind::kI32, 3, true}; return true;
        case 7: format = {4, RawKind::kF32, 4, true}; return true;
        case 8: format = {8, RawKind::kF64, 5, true}; return true;
        case 11: format = {2, RawKind::kU16, 0, false}; return true;
        default: return false;
    }
}

void Widen(RawKind kind, const uint8_t* in, uint32_t stride, double* out, uint32_t n,
           double factor, double offset)
{
    switch (kind) {
        case RawKind::kU8: WidenTyped<uint8_t>(in, stride, out, n, factor, offset); break;
        case RawKind::kI8: WidenTyped<int8_t>(in, stride, out, n, factor, offset); break;
        case RawKind::kU16: WidenTyped<uint16_t>(in, stride, out, n, factor, offset); break;
        case RawKind::kI16: WidenTyped<int16_t>(in, stride, out, n, factor, offset); break;
        case RawKind::kU32: WidenTyped<uint32_t>(in, stride, out, n, factor, offset); break;
        case RawKind::kI32: WidenTyped<int32_t>(in, stride, out, n, factor, offset); break;
        case RawKind::kF32: WidenTyped<float>(in, stride, out, n, factor, offset); break;
        case RawKind::kF64: WidenTyped<double>(in, stride, out, n, factor, offset); break;
    }
}

uint32_t KindBytes(RawKind kind)
{
    switch (kind) {
        case RawKind::kU8:
        case RawKind::kI8: return 1;
        case RawKind::kU16:
        case RawKind::kI16: return 2;
        case RawKind::kU32:
        case RawKind::kI32:
        case RawKind::kF32: return 4;
        case RawKind::kF64: return 8;
    }
    return 1;
}

int64_t StreamRemaining(CKSTDataFile& stream)
{
    const int64_t size = stream.GetSize();
    const int64_t position = stream.Tell();
    return size >= 0 && position >= 0 && size > position ? size - position : 0;
}

int AppendWidened(CKSTChannel& channel, CKSTDataFile& stream, RawKind kind, uint32_t n,
                  uint32_t stride, double factor, double offset)
{
    if (n == 0) {
        return KST_OK;
    }
    const int64_t position = stream.Tell();
    const int64_t left = StreamRemaining(stream);
    const uint32_t bytes = KindBytes(kind);
    const uint64_t fit = left >= bytes ? static_cast<uint64_t>(left - bytes) / stride + 1 : 0;
    const uint32_t room = static_cast<uint32_t>(std::min<uint64_t>(n, fit));
    if (room == 0) {
        return KST_ERR_END_OF_DATA;
    }
    const uint32_t before = channel.GetCount();
    if (static_cast<uint64_t>(before) + room > kMaxChannelCount) {
        return KST_ERR_TOO_LARGE;
    }
    const bool fresh = channel.GetCapacity() < before + room;
    channel.Reserve(before + room);
    // Straight into the channel's room: no value is written twice.
    double* out = KstAppendRoom(channel, room);
    const uint64_t got = KstDecodeRun(
        stream, static_cast<uint64_t>(position), room, bytes, stride, KstDecodeGrain(fresh, room),
        [&](const uint8_t* raw, uint64_t first, uint32_t count) {
            Widen(kind, raw, stride, out + first, count, factor, offset);
        });
    KstKeepSamples(channel, before + static_cast<uint32_t>(got));
    const uint64_t used = got == 0 ? 0 : (got - 1) * stride + bytes;
    stream.Seek(position + static_cast<int64_t>(used), SEEK_SET);
    return got < n ? KST_ERR_END_OF_DATA : KST_OK;
}

}  // namespace kst_famos

using kst_famos::AppendWidened;
using kst_famos::RawKind;

// --- Raw sample readers ---

int CKSTFamosFile::AppendRawSamplesU16(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                       double factor, double offset)
{
    return AppendWidened(channel, stream, RawKind::kU16, n, 2, factor, offset);
}

int CKSTFamosFile::AppendRawSamplesI16(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                       double factor, double offset)
{
    return AppendWidened(channel, stream, RawKind::kI16, n, 2, factor, offset);
}

int CKSTFamosFile::AppendRawSamplesU32(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                       double factor, double offset)
{
    return AppendWidened(channel, stream, RawKind::kU32, n, 4, factor, offset);
}

int CKSTFamosFile::AppendRawSamplesI32(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                       double factor, double offset)
{
    return AppendWidened(channel, stream, RawKind::kI32, n, 4, factor, offset);
}

int CKSTFamosFile::AppendRawSamplesF32(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                       double factor, double offset)
{
    return AppendWidened(channel, stream, RawKind::kF32, n, 4, factor, offset);
}

int CKSTFamosFile::AppendRawSamplesF64(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                       double factor, double offset)
{
    return AppendWidened(channel, stream, RawKind::kF64, n, 8, factor, offset);
}
