#include "data/RawFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/ErrorCodes.h"

namespace {

constexpr uint32_t kChunkSamples = 8192;

// Stored sample types of the channel record.
constexpr uint16_t kSampleTypeFloat32 = 4;
constexpr uint16_t kSampleTypeFloat64 = 5;

double DecodeSample(const uint8_t* bytes, uint32_t size)
{
    uint64_t bits = 0;
    for (uint32_t i = 0; i < size; ++i) {
        bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    }
    if (size == 8) {
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const uint32_t narrow = static_cast<uint32_t>(bits);
    float value;
    std::memcpy(&value, &narrow, sizeof value);
    return value;
}

}  // namespace

int CKSTRawFile::Read(CKSTDataSet& dataSet)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    dataSet.Clear(false);
    dataSet.SetName(GetPath());
    CKSTChannelList& channels = dataSet.GetChannels();
    const int result = ReadChannel(*channels.GetAt(channels.AddNew()));
    channels.MakeUniqueNames();
    return result;
}

int CKSTRawFile::ReadChannel(CKSTChannel& channel)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    channel.Reset();
    channel.InitDefaults();
    channel.SetStoredSampleType(m_format == kFloat64 ? kSampleTypeFloat64 : kSampleTypeFloat32);
    channel.SetStartTimeStamp(GetWriteTime());
    channel.SetName(GetPath().FileName().StripExtension());

    const int64_t size = GetSize();
    if (size < 0) {
        return static_cast<int>(size);
    }
    const uint32_t sampleSize = GetSampleSize();
    const uint64_t total = static_cast<uint64_t>(size) / sampleSize;
    if (total > UINT32_MAX) {
        return KST_ERR_TOO_LARGE;
    }
    if (Seek(0, SEEK_SET) < 0) {
        return KST_ERR_END_OF_DATA;
    }
    channel.SetCapacity(static_cast<uint32_t>(total));

    std::vector<uint8_t> chunk(static_cast<size_t>(kChunkSamples) * sampleSize);
    uint64_t left = total;
    while (left > 0) {
        const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(left, kChunkSamples));
        const uint32_t got = CKSTDataFile::Read(chunk.data(), sampleSize, wanted);
        for (uint32_t i = 0; i < got; ++i) {
            channel.AppendValue(
                DecodeSample(&chunk[static_cast<size_t>(i) * sampleSize], sampleSize), false);
        }
        if (got < wanted) {
            return KST_ERR_END_OF_DATA;
        }
        left -= got;
    }
    return KST_OK;
}
