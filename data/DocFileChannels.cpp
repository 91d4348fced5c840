// Channel records, value texts, single values, sample blocks and missing runs of the native
// container, and the writer's choice of encoding.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "data/DocFile.h"
#include "data/DocFileEncoding.h"
#include "data/IntegerScaling.h"
#include "foundation/ByteOrder.h"
#include "foundation/ErrorCodes.h"
#include "foundation/ParallelFor.h"

namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr double kUnixEpochDays = 25569.0;
// Old value-text keys far beyond the table would make it allocate a slot for every key between.
constexpr uint32_t kMaxValueTextKey = 1u << 24;

double StampToDays(const CKSTTimeStamp& stamp)
{
    return stamp.GetSerialDays() + stamp.GetFraction() / 86400.0;
}

// Calls decode(first, end) over [0, n), long runs split over several threads: the channel's
// arrays are fresh, and the first touches of their pages are what the threads share.
template <class Decode>
void DecodeSplit(uint32_t n, Decode decode)
{
    KstParallelFor(n, KstDecodeGrain(true, n),
                   [&](size_t first, size_t end) { decode(first, end); });
}

template <class Code>
bool DecodeCodes(CKSTDocReader& block, CKSTChannel& channel, uint32_t n, double scale,
                 double offset)
{
    if (static_cast<uint64_t>(n) * sizeof(Code) > block.GetRemaining()) {
        return false;
    }
    const uint8_t* in = block.GetCurrent();
    channel.AppendDecoded(n, [&](double* out) {
        DecodeSplit(n, [&](size_t first, size_t end) {
            for (size_t i = first; i < end; ++i) {
                const Code code = KstLoadLE<Code>(in + i * sizeof(Code));
                // At most 32 bits: through int64_t the conversion is one instruction.
                out[i] = static_cast<double>(static_cast<int64_t>(code)) * scale + offset;
            }
        });
    });
    block.Skip(static_cast<size_t>(n) * sizeof(Code));
    return true;
}

template <class Code>
void EncodeCodes(const double* values, uint32_t n, const KstGridQuantiser& quantise, uint8_t* out)
{
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t code = static_cast<uint32_t>(quantise(values[i]));
        KstStoreLE(out + static_cast<size_t>(i) * sizeof(Code), static_cast<Code>(code));
    }
}

// PackSamples over entry(0) .. entry(n - 1).
template <class Entry>
void PackEntries(uint8_t* out, size_t byteCount, uint32_t n, uint32_t bitWidth, double offset,
                 double scale, Entry entry)
{
    if (bitWidth == 0) {
        std::memset(out, 0, byteCount);
        return;
    }
    const uint64_t mask = bitWidth >= 32 ? 0xFFFFFFFFu : (uint64_t{1} << bitWidth) - 1;
    const KstGridQuantiser quantise(scale, offset);
    uint64_t bits = 0;  // pending bits, right-aligned
    uint32_t pending = 0;
    size_t pos = 0;
    for (uint32_t i = 0; i < n && pos < byteCount; ++i) {
        const uint64_t code = static_cast<uint64_t>(quantise(entry(i))) & mask;
        bits = (bits << bitWidth) | code;
        pending += bitWidth;
        while (pending >= 8 && pos < byteCount) {
            pending -= 8;
            out[pos++] = static_cast<uint8_t>(bits >> pending);
        }
        bits &= (uint64_t{1} << pending) - 1;
    }
    if (pending > 0 && pos < byteCount) {
        out[pos++] = static_cast<uint8_t>(bits << (8 - pending));
    }
    // Only the bytes that no code reached are cleared.
    std::memset(out + pos, 0, byteCount - pos);
}

template <class Float>
bool DecodeFloats(CKSTDocReader& block, CKSTChannel& channel, uint32_t n)
{
    if (static_cast<uint64_t>(n) * sizeof(Float) > block.GetRemaining()) {
        return false;
    }
    const uint8_t* in = block.GetCurrent();
    channel.AppendDecoded(n, [&](double* out) {
        DecodeSplit(n, [&](size_t first, size_t end) {
            if (sizeof(Float) == sizeof(double) && kKstMachineOrder == KstByteOrder::Little) {
                std::memcpy(out + first, in + first * sizeof(double),
                            (end - first) * sizeof(double));
                return;
            }
            for (size_t i = first; i < end; ++i) {
                out[i] = KstLoadLE<Float>(in + i * sizeof(Float));
            }
        });
    });
    block.Skip(static_cast<size_t>(n) * sizeof(Float));
    return true;
}

}  // namespace

// --- Writing ---

int CKSTDocFile::WriteChannelRecord(const CKSTChannel& channel, uint32_t index,
                                    uint32_t timeBaseIndex)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    const uint32_t kind = channel.GetTimeBaseType();
    if (kind != CKSTChannel::kEquidistant && kind != CKSTChannel::kTimeVector) {
        return KST_ERR_NEGATIVE_DURATION;
    }
    if (index > kMaxChannelIndex || timeBaseIndex > kMaxChannelIndex) {
        return KST_ERR_TOO_LARGE;
    }
    CKSTDocRecord record;
    record.PutU16(static_cast<uint16_t>(index));
    record.PutU16(static_cast<uint16_t>(timeBaseIndex));
    record.PutShortString(channel.GetName());
    record.PutShortString(channel.GetGroup());
    record.PutShortString(channel.GetComment());
    record.PutShortString(channel.GetTimeUnit());
    record.PutShortString(channel.GetUnit());
    record.PutI32(channel.GetSourceAttribute());
    record.PutU8(static_cast<uint8_t>(kind));
    record.PutU8(static_cast<uint8_t>(channel.GetSampleType()));
    record.PutF64(StampToDays(channel.GetStartTimeStamp()));
    if (kind == CKSTChannel::kEquidistant) {
        record.PutF64(channel.GetDt());
        record.PutF64(channel.GetT0());
    }
    int result = WriteFramedRecord(KST_TAG_CHANNEL, record);
    for (int32_t k = 1; result == KST_OK && k < channel.GetValueTextCount(); ++k) {
        // Keys are explicit: a slot without text needs no record, however high the table goes.
        if (channel.GetValueText(k).IsEmpty()) {
            continue;
        }
        CKSTDocRecord entry;
        entry.PutU16(static_cast<uint16_t>(index));
        entry.PutU32(static_cast<uint32_t>(k));
        entry.PutShortString(channel.GetValueText(k));
        result = WriteFramedRecord(KST_TAG_VALUE_TEXT, entry);
    }
    return result;
}

int CKSTDocFile::WriteMissingRun(uint32_t index, uint32_t count)
{
    CKSTDocRecord payload;
    payload.PutU32(count);
    return WriteIndexedBlock(KST_TAG_MISSING, index, payload, nullptr, 0);
}

int CKSTDocFile::WriteSampleBlock(uint32_t index, uint16_t sampleType, const double* values,
                                  uint32_t n, bool time, double scale, double offset,
                                  uint64_t levels, bool packed, bool difference)
{
    const int check = CheckWritable();
    if (check != KST_OK) {
        return check;
    }
    const uint8_t odd = time ? 1 : 0;
    CKSTDocRecord head;
    if (packed && levels > 0) {
        const uint32_t width = kst_doc::PackedWidth(levels, difference);
        head.PutU32(n);
        head.PutF64(width == 0 ? 0.0 : scale);
        head.PutF64(offset);
        if (difference) {
            head.PutF64(values[0]);
        }
        head.PutU8(static_cast<uint8_t>(width));
        const uint8_t tag = difference ? KST_TAG_VALUE_DIFF_PACKED : KST_TAG_VALUE_PACKED;
        return WriteFilledBlock(static_cast<uint8_t>(tag - odd), index, head, n, width,
                                [&](uint8_t* out, size_t first, size_t count) {
                                    const size_t bytes = (count * width + 7) / 8;
                                    if (difference) {
                                        PackDifferences(out, bytes, static_cast<uint32_t>(count),
                                                        width, offset, scale, values + first);
                                    } else {
                                        PackSamples(out, bytes, static_cast<uint32_t>(count), width,
                                                    offset, scale, values + first);
                                    }
                                });
    }
    if (!packed && levels > 0 && levels < (uint64_t{1} << 31)) {
        const uint32_t codeSize = levels < 257 ? 1 : levels <= 65536 ? 2 : 4;
        const uint8_t tag = codeSize == 1   ? KST_TAG_VALUE_U8
                            : codeSize == 2 ? KST_TAG_VALUE_U16
                                            : KST_TAG_VALUE_U32;
        head.PutF64(scale);
        head.PutF64(offset);
        const KstGridQuantiser quantise(scale, offset);
        return WriteFilledBlock(static_cast<uint8_t>(tag - odd), index, head, n, 8 * codeSize,
                                [&](uint8_t* out, size_t first, size_t count) {
                                    const double* from = values + first;
                                    const auto k = static_cast<uint32_t>(count);
                                    if (codeSize == 1) {
                                        EncodeCodes<uint8_t>(from, k, quantise, out);
                                    } else if (codeSize == 2) {
                                        EncodeCodes<uint16_t>(from, k, quantise, out);
                                    } else {
                                        EncodeCodes<uint32_t>(from, k, quantise, out);
                                    }
                                });
    }
    // Raw. A narrower float is used only where it holds every value exactly, and never for
    // times; any other sample type is stored as f64 rather than dropped.
    const bool asFloat = !time && sampleType == 4 && kst_doc::AllExactAsFloat(values, n);
    if (asFloat) {
        return WriteFilledBlock(static_cast<uint8_t>(KST_TAG_VALUE_F32 - odd), index, head, n, 32,
                                [&](uint8_t* out, size_t first, size_t count) {
                                    for (size_t i = 0; i < count; ++i) {
                                        KstStoreLE(out + i * 4,
                                                   static_cast<float>(values[first + i]));
                                    }
                                });
    }
    return WriteIndexedBlock(static_cast<uint8_t>(KST_TAG_VALUE_F64 - odd), index, head,
                             reinterpret_cast<const uint8_t*>(values), static_cast<size_t>(n) * 8);
}

int CKSTDocFile::WriteTimeVector(const CKSTChannel& channel, uint32_t index)
{
    const uint32_t n = channel.GetCount();
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (n == 0 || channel.GetTimes() == nullptr) {
        return KST_OK;
    }
    const double* times = channel.GetTimes();
    for (uint32_t from = 0; from < n;) {
        const uint32_t count = std::min(n - from, kMaxBlockValues);
        const kst_doc::BlockChoice choice = kst_doc::ChooseWholeRange(times + from, count);
        int result;
        if (choice.kind == kst_doc::BlockChoice::kDirect) {
            result = WriteSampleBlock(index, 5, times + from, count, true, choice.direct.scale,
                                      choice.direct.offset, choice.direct.levels, true, false);
        } else if (choice.kind == kst_doc::BlockChoice::kDifference) {
            result =
                WriteSampleBlock(index, 5, times + from, count - 1, true, choice.difference.scale,
                                 choice.difference.offset, choice.difference.levels, true, true);
        } else {
            result =
                WriteSampleBlock(index, 5, times + from, count, true, 0.0, 0.0, 0, false, false);
        }
        if (result != KST_OK) {
            return result;
        }
        from += count;
    }
    return KST_OK;
}

int CKSTDocFile::WriteValueRange(const CKSTChannel& channel, uint32_t index, uint32_t from,
                                 uint32_t to)
{
    const double* values = channel.GetValues() + from;
    const uint32_t n = to - from;
    const uint16_t sampleType = channel.GetSampleType();
    const kst_doc::RangeChoice choice = kst_doc::ChooseRange(values, n);
    if (!choice.segments.empty()) {
        for (const kst_doc::Segment& segment : choice.segments) {
            const int result = WriteSampleBlock(
                index, sampleType, values + segment.first, segment.count, false, segment.fit.scale,
                segment.fit.offset, segment.fit.levels, true, false);
            if (result != KST_OK) {
                return result;
            }
        }
        return KST_OK;
    }
    const kst_doc::BlockChoice& whole = choice.whole;
    if (whole.kind == kst_doc::BlockChoice::kDirect) {
        return WriteSampleBlock(index, sampleType, values, n, false, whole.direct.scale,
                                whole.direct.offset, whole.direct.levels, true, false);
    }
    if (whole.kind == kst_doc::BlockChoice::kDifference) {
        return WriteSampleBlock(index, sampleType, values, n - 1, false, whole.difference.scale,
                                whole.difference.offset, whole.difference.levels, true, true);
    }
    return WriteSampleBlock(index, sampleType, values, n, false, 0.0, 0.0, 0, false, false);
}

int CKSTDocFile::WriteSamples(const CKSTChannel& channel, uint32_t index, uint32_t from,
                              uint32_t to)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    to = std::min(to, channel.GetCount());
    while (from < to) {
        const uint32_t end = to - from > kMaxBlockValues ? from + kMaxBlockValues : to;
        const int result = WriteValueRange(channel, index, from, end);
        if (result != KST_OK) {
            return result;
        }
        from = end;
    }
    return KST_OK;
}

int CKSTDocFile::WriteSamplesWithMissing(const CKSTChannel& channel, uint32_t index)
{
    const uint32_t n = channel.GetCount();
    uint32_t p = 0;
    while (p < n) {
        const uint32_t q = channel.FindNextPresent(p);
        if (q > p) {
            const int result = WriteMissingRun(index, q - p);
            if (result != KST_OK) {
                return result;
            }
        }
        if (q >= n) {
            break;
        }
        const uint32_t r = channel.FindNextMissing(q);
        const int result = WriteSamples(channel, index, q, r);
        if (result != KST_OK) {
            return result;
        }
        p = r;
    }
    return KST_OK;
}

int CKSTDocFile::WriteSingleTime(uint32_t index, uint16_t /*sampleType*/, double time)
{
    // Times are positions on the time axis: an f32 would move them.
    CKSTDocRecord value;
    value.PutF64(time);
    return WriteIndexedValue(KST_TAG_SINGLE_TIME_F64, index, value);
}

int CKSTDocFile::WriteSingleValue(uint32_t index, uint16_t sampleType, double value)
{
    CKSTDocRecord bytes;
    if (sampleType == 4 && kst_doc::AllExactAsFloat(&value, 1)) {
        bytes.PutF32(static_cast<float>(value));
        return WriteIndexedValue(KST_TAG_SINGLE_VALUE_F32, index, bytes);
    }
    bytes.PutF64(value);
    return WriteIndexedValue(KST_TAG_SINGLE_VALUE_F64, index, bytes);
}

void PackSamples(uint8_t* out, size_t byteCount, uint32_t n, uint32_t bitWidth, double offset,
                 double scale, const double* values)
{
    PackEntries(out, byteCount, n, bitWidth, offset, scale,
                [values](uint32_t i) { return values[i]; });
}

void PackDifferences(uint8_t* out, size_t byteCount, uint32_t n, uint32_t bitWidth, double offset,
                     double scale, const double* values)
{
    PackEntries(out, byteCount, n, bitWidth, offset, scale,
                [values](uint32_t i) { return values[i + 1] - values[i]; });
}

// --- Reading ---

int CKSTDocFile::ReadChannelRecord(CKSTDocReader& record, CKSTChannel& channel, uint8_t tag,
                                   uint32_t& timeBaseIndex)
{
    uint16_t index;
    uint16_t timeBase;
    CKSTString name, group, comment, timeUnit, unit;
    int32_t sourceAttribute;
    uint8_t kind;
    uint8_t sampleType;
    CKSTTimeStamp start;
    bool ok = record.ReadU16(index) && record.ReadU16(timeBase) && record.ReadShortString(name) &&
              record.ReadShortString(group) && record.ReadShortString(comment) &&
              record.ReadShortString(timeUnit) && record.ReadShortString(unit) &&
              record.ReadI32(sourceAttribute) && record.ReadU8(kind) && record.ReadU8(sampleType);
    if (ok && tag == KST_TAG_CHANNEL_OLD) {
        uint32_t seconds;
        ok = record.ReadU32(seconds);
        // Seconds since 1970 in UTC, shown as the calendar time they name there.
        start.SetFromDays(kUnixEpochDays + seconds / 86400.0);
    } else if (ok) {
        double days;
        ok = record.ReadF64(days);
        start.SetFromDays(days);
    }
    double dt = 1.0;
    double t0 = 0.0;
    if (ok && kind != CKSTChannel::kTimeVector) {
        ok = record.ReadF64(dt) && record.ReadF64(t0);
    }
    if (!ok) {
        return KST_ERR_BAD_RECORD;
    }

    channel.Reset();
    channel.SetTimeBaseType(kind);
    channel.SetName(name);
    channel.SetGroup(group);
    channel.SetComment(comment);
    channel.SetTimeUnit(timeUnit);
    channel.SetUnit(unit);
    channel.SetSourceAttribute(sourceAttribute);
    channel.SetSampleType(sampleType);
    channel.SetStoredSampleType(sampleType);
    channel.SetStartTimeStamp(start);
    channel.SetSourceFile(GetPath());
    if (kind != CKSTChannel::kTimeVector) {
        channel.SetDt(dt);
        channel.SetT0(t0);
    }
    if (kind == CKSTChannel::kMatrix) {
        // The matrix fields are taken as far as the record holds them.
        CKSTString secondUnit;
        uint32_t rowLength;
        double step, origin;
        uint8_t flag;
        if (record.ReadShortString(secondUnit)) {
            channel.SetSecondAxisUnit(secondUnit);
            if (record.ReadU32(rowLength)) {
                channel.SetMatrixRowLength(rowLength);
                if (record.ReadF64(step)) {
                    channel.SetSecondAxisStep(step);
                    if (record.ReadF64(origin)) {
                        channel.SetSecondAxisOrigin(origin);
                        if (record.ReadU8(flag)) {
                            channel.SetColorMatrix(flag == 1);
                        }
                    }
                }
            }
        }
    }
    timeBaseIndex = timeBase;
    return KST_OK;
}

int CKSTDocFile::ReadValueText(CKSTDocReader& record, CKSTChannel* channel, uint8_t tag)
{
    uint16_t index;
    uint32_t key;
    bool ok = record.ReadU16(index);
    if (ok && tag == KST_TAG_VALUE_TEXT_OLD) {
        uint16_t shortKey;
        ok = record.ReadU16(shortKey);
        key = shortKey;
    } else if (ok) {
        ok = record.ReadU32(key);
    }
    CKSTString text;
    if (!ok || !record.ReadShortString(text)) {
        return KST_ERR_BAD_RECORD;
    }
    if (channel == nullptr || key == 0) {
        return KST_OK;
    }
    const uint32_t size = static_cast<uint32_t>(channel->GetValueTextCount());
    if (key >= kMaxValueTextKey || (key > size && !TakeFromBudget(key - size))) {
        return KST_ERR_TOO_LARGE;
    }
    channel->SetValueText(static_cast<int32_t>(key), text);
    return KST_OK;
}

int CKSTDocFile::ReadSingleTime(CKSTDocReader& value, CKSTChannel& channel, uint8_t tag)
{
    return ReadSingleValue(value, channel, static_cast<uint8_t>(tag + 1));
}

int CKSTDocFile::ReadSingleValue(CKSTDocReader& value, CKSTChannel& channel, uint8_t tag)
{
    double v;
    if (tag == KST_TAG_SINGLE_VALUE_F32) {
        float f;
        if (!value.ReadF32(f)) {
            return KST_ERR_BAD_RECORD;
        }
        v = f;
    } else if (tag == KST_TAG_SINGLE_VALUE_F64) {
        if (!value.ReadF64(v)) {
            return KST_ERR_BAD_RECORD;
        }
    } else {
        return KST_OK;  // the other single-value tags carry nothing for this program
    }
    if (!TakeFromBudget(1)) {
        return KST_ERR_TOO_LARGE;
    }
    channel.AppendValues(v, false, 1);
    return KST_OK;
}

int CKSTDocFile::ReadTimeBlock(CKSTDocReader& block, CKSTChannel& channel, uint8_t tag)
{
    if (!IsTimeBlockTag(tag)) {
        return KST_OK;
    }
    // Times are decoded as the values of a helper channel; the value decoder does both.
    return ReadValueBlock(block, channel, static_cast<uint8_t>(tag + 1));
}

int CKSTDocFile::ReadValueBlock(CKSTDocReader& block, CKSTChannel& channel, uint8_t tag)
{
    const size_t length = block.GetRemaining();
    double scale = 1.0;
    double offset = 0.0;
    switch (tag) {
        case KST_TAG_VALUE_U8:
        case KST_TAG_VALUE_U16:
        case KST_TAG_VALUE_U32: {
            if (!block.ReadF64(scale) || !block.ReadF64(offset)) {
                return KST_ERR_INVALID_PACKED_BLOCK;
            }
            const size_t codeSize = tag == KST_TAG_VALUE_U8 ? 1 : tag == KST_TAG_VALUE_U16 ? 2 : 4;
            const uint64_t n = block.GetRemaining() / codeSize;
            if (n > UINT32_MAX || !TakeFromBudget(n)) {
                return KST_ERR_TOO_LARGE;
            }
            const uint32_t count = static_cast<uint32_t>(n);
            const bool ok =
                codeSize == 1   ? DecodeCodes<uint8_t>(block, channel, count, scale, offset)
                : codeSize == 2 ? DecodeCodes<uint16_t>(block, channel, count, scale, offset)
                                : DecodeCodes<uint32_t>(block, channel, count, scale, offset);
            return ok ? KST_OK : KST_ERR_BAD_RECORD;
        }
        case KST_TAG_VALUE_F32:
        case KST_TAG_VALUE_F64: {
            const size_t size = tag == KST_TAG_VALUE_F32 ? 4 : 8;
            const uint64_t n = length / size;
            if (n > UINT32_MAX || !TakeFromBudget(n)) {
                return KST_ERR_TOO_LARGE;
            }
            const bool ok = size == 4
                                ? DecodeFloats<float>(block, channel, static_cast<uint32_t>(n))
                                : DecodeFloats<double>(block, channel, static_cast<uint32_t>(n));
            return ok ? KST_OK : KST_ERR_BAD_RECORD;
        }
        case KST_TAG_VALUE_PACKED:
        case KST_TAG_VALUE_DIFF_PACKED: {
            const bool difference = tag == KST_TAG_VALUE_DIFF_PACKED;
            uint32_t n;
            double first = 0.0;
            uint8_t width;
            if (!block.ReadU32(n) || !block.ReadF64(scale) || !block.ReadF64(offset) ||
                (difference && !block.ReadF64(first)) || !block.ReadU8(width)) {
                return KST_ERR_BAD_RECORD;
            }
            if (width > 32) {
                return KST_ERR_INVALID_PACKED_BLOCK;
            }
            const uint64_t byteCount = (static_cast<uint64_t>(n) * width + 7) / 8;
            if (byteCount > block.GetRemaining()) {
                return KST_ERR_BAD_RECORD;
            }
            const uint64_t total = static_cast<uint64_t>(n) + (difference ? 1 : 0);
            if (total > UINT32_MAX || !TakeFromBudget(total)) {
                return KST_ERR_TOO_LARGE;
            }
            if (width == 0 && !difference) {
                channel.AppendDecoded(n, [&](double* out) {
                    DecodeSplit(n, [&](size_t first, size_t end) {
                        std::fill(out + first, out + end, offset);
                    });
                });
                return KST_OK;
            }
            return channel.ReadPackedValues(block.GetCurrent(), block.GetRemaining(), n, width,
                                            scale, offset, difference, first);
        }
        case KST_TAG_VALUE_PACKED_OLD: {
            uint8_t width;
            if (!block.ReadF64(scale) || !block.ReadF64(offset) || !block.ReadU8(width)) {
                return KST_ERR_BAD_RECORD;
            }
            if (width == 0 || width > 32) {
                return KST_ERR_INVALID_PACKED_BLOCK;
            }
            const uint64_t n = (8 * static_cast<uint64_t>(length) - 136) / width;
            if (n > UINT32_MAX || !TakeFromBudget(n)) {
                return KST_ERR_TOO_LARGE;
            }
            return channel.ReadPackedValues(block.GetCurrent(), block.GetRemaining(),
                                            static_cast<uint32_t>(n), width, scale, offset, false,
                                            0.0);
        }
        case KST_TAG_MISSING:
            return ReadMissingRun(block, channel);
        default:
            return KST_OK;  // skipped by its length
    }
}

int CKSTDocFile::ReadMissingRun(CKSTDocReader& block, CKSTChannel& channel)
{
    uint32_t count;
    if (!block.ReadU32(count)) {
        return KST_ERR_BAD_RECORD;
    }
    if (!TakeFromBudget(count)) {
        return KST_ERR_TOO_LARGE;
    }
    channel.AppendMissing(count);
    return KST_OK;
}
