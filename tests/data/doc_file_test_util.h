#pragma once
// Helpers shared by the container tests: byte images assembled record by record, and a
// container written to or read from memory.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "data/Channel.h"
#include "data/ChannelList.h"
#include "data/DocFile.h"
#include "foundation/MemBuffer.h"

namespace doc_test {

using Bytes = std::vector<uint8_t>;

inline Bytes Magic()
{
    return Bytes(kDocMagic, kDocMagic + kDocMagicSize);
}

inline void Append(Bytes& out, const CKSTDocRecord& record)
{
    out.insert(out.end(), record.GetData(), record.GetData() + record.GetSize());
}

inline void AppendFramed(Bytes& out, uint8_t tag, const CKSTDocRecord& payload)
{
    CKSTDocRecord head;
    head.PutU8(tag);
    head.PutCount16(static_cast<uint32_t>(payload.GetSize()));
    Append(out, head);
    Append(out, payload);
}

inline void AppendBlock(Bytes& out, uint8_t tag, uint32_t index, const CKSTDocRecord& payload)
{
    CKSTDocRecord head;
    head.PutU8(tag);
    head.PutCount8(index);
    head.PutCount16(static_cast<uint32_t>(payload.GetSize()));
    Append(out, head);
    Append(out, payload);
}

// Channel record of the current form for an equidistant (kind 0) or time-vector (kind 1)
// channel.
inline CKSTDocRecord ChannelRecord(uint16_t index, uint16_t timeBase, const char* name,
                                   uint8_t kind, uint8_t sampleType, double dt = 0.5,
                                   double t0 = 0.0)
{
    CKSTDocRecord r;
    r.PutU16(index);
    r.PutU16(timeBase);
    r.PutShortString(name);
    r.PutShortString("grp");
    r.PutShortString("");
    r.PutShortString("s");
    r.PutShortString("V");
    r.PutI32(0);
    r.PutU8(kind);
    r.PutU8(sampleType);
    r.PutF64(45000.0);
    if (kind != 1) {
        r.PutF64(dt);
        r.PutF64(t0);
    }
    return r;
}

inline CKSTMemBuffer ToBuffer(const Bytes& bytes)
{
    CKSTMemBuffer buffer;
    buffer.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    buffer.SetPosition(0);
    return buffer;
}

inline Bytes FromBuffer(const CKSTMemBuffer& buffer)
{
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetSize());
}

// Reads the channels of a container image held in memory.
inline int ReadImage(const Bytes& bytes, CKSTChannelList& channels, uint8_t* newerKinds = nullptr,
                     uint64_t budget = UINT64_MAX)
{
    CKSTDocFile file;
    file.SetMemory(ToBuffer(bytes));
    const int open = file.OpenMemoryRead();
    if (open != 0) {
        return open;
    }
    file.SetSampleBudget(budget);
    return file.ReadChannels(channels, nullptr, false, newerKinds);
}

// Writes the channels as a document (or, without sharing, as a recording file starts).
inline Bytes WriteImage(const CKSTChannelList& channels, bool share, int* result = nullptr)
{
    CKSTDocFile file;
    EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
    const int r = file.WriteChannels(channels, share);
    if (result != nullptr) {
        *result = r;
    }
    CKSTMemBuffer out;
    file.GetMemory(out);
    return FromBuffer(out);
}

inline bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The records of an image written by this program, tag by tag (data records only carry their
// index, framed ones their payload length).
struct RecordInfo {
    uint8_t tag;
    uint32_t index;
    uint32_t length;
    size_t payloadOffset;
};

inline std::vector<RecordInfo> ListRecords(const Bytes& bytes)
{
    std::vector<RecordInfo> out;
    CKSTDocReader reader(bytes.data(), bytes.size());
    reader.SetPosition(kDocMagicSize);
    uint8_t tag;
    while (reader.ReadTag(tag) == 0) {
        RecordInfo info{tag, 0, 0, 0};
        if (IsFixedSizeTag(tag)) {
            EXPECT_TRUE(reader.ReadCount8(info.index));
            info.length = GetFixedTagSize(tag);
        } else {
            if (IsLengthPrefixedTag(tag)) {
                EXPECT_TRUE(reader.ReadCount8(info.index));
            }
            EXPECT_TRUE(reader.ReadCount16(info.length));
        }
        info.payloadOffset = reader.GetPosition();
        if (!reader.Skip(info.length)) {
            break;
        }
        out.push_back(info);
    }
    return out;
}

}  // namespace doc_test
