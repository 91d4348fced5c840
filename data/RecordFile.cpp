#include "data/RecordFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/ByteOrder.h"
#include "foundation/ErrorCodes.h"
#include "foundation/Md5.h"
#include "foundation/MemBuffer.h"
#include "foundation/TimeStamp.h"

namespace {

const char kTextField[] = "123456789012345678901234567890";

CKSTTimeStamp Epoch1904()
{
    return CKSTTimeStamp(1904, 1, 1, 0, 0, 0.0);
}

class LittleEndianWriter {
public:
    explicit LittleEndianWriter(size_t size) { m_bytes.reserve(size); }

    void U8(uint8_t value) { m_bytes.push_back(value); }
    void U16(uint16_t value) { Put(value); }
    void U32(uint32_t value) { Put(value); }
    void F32(float value) { Put(value); }
    void F64(double value) { Put(value); }
    // Exactly width bytes: the text cut, or padded with zero bytes.
    void Fixed(const CKSTString& text, size_t width)
    {
        const size_t n = std::min(static_cast<size_t>(text.GetLength()), width);
        m_bytes.insert(m_bytes.end(), text.c_str(), text.c_str() + n);
        m_bytes.insert(m_bytes.end(), width - n, 0);
    }
    void Text(const CKSTString& text) { Fixed(text, static_cast<size_t>(text.GetLength())); }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    template <typename T>
    void Put(T value)
    {
        uint8_t bytes[sizeof(T)];
        KstStoreLE(bytes, value);
        m_bytes.insert(m_bytes.end(), bytes, bytes + sizeof(T));
    }

    std::vector<uint8_t> m_bytes;
};

// Characters of a zero-padded field up to its first zero byte.
CKSTString FieldText(const uint8_t* p, size_t width)
{
    const char* text = reinterpret_cast<const char*>(p);
    const size_t n = std::find(text, text + width, '\0') - text;
    CKSTString out;
    if (n > 0) {
        out.Assign(text, static_cast<int>(n));
    }
    return out;
}

// Samples that making an irregular time vector equidistant gives it: one per smallest step.
uint64_t ResampledCount(const CKSTChannel& channel)
{
    const double step = channel.GetSampleInterval();
    if (channel.GetCount() < 2 || !(step > 0.0)) {
        return channel.GetCount();
    }
    const double steps = std::round((channel.GetEndTime() - channel.GetStartTime()) / step);
    return steps < 1e18 ? static_cast<uint64_t>(steps) + 1 : UINT64_MAX;
}

}  // namespace

int CKSTRecordFile::Read(CKSTDataSet& dataSet)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    dataSet.Clear(false);
    if (Seek(0, SEEK_SET) < 0) {
        return KST_ERR_BAD_HEADER;
    }
    const int64_t expected = GetSize();
    CKSTMemBuffer content;
    const int read = ReadAll(
        content, static_cast<uint32_t>(std::clamp<int64_t>(expected, 0, CKSTMemBuffer::kMaxSize)));
    if (read != KST_OK) {
        return read;
    }

    const uint32_t size = content.GetSize();
    const uint8_t* data = content.GetData();
    if (size < kHeaderSize + kChecksumSize) {
        return KST_ERR_BAD_HEADER;
    }
    const uint32_t headerSize = KstLoadLE<uint32_t>(data);
    const double start = KstLoadLE<double>(data + 5);
    const double interval = KstLoadLE<double>(data + 13);
    const uint32_t n = KstLoadLE<uint16_t>(data + 21);
    const uint32_t dataSize = KstLoadLE<uint32_t>(data + 23);
    // A size field that disagrees with the file means a cut or damaged file, not an empty one.
    if (dataSize != size - kChecksumSize) {
        return KST_ERR_BAD_HEADER;
    }
    CKSTString digest;
    Md5Hex(digest, data, dataSize);
    if (std::memcmp(digest.c_str(), data + dataSize, kChecksumSize) != 0) {
        return KST_ERR_CHECKSUM;
    }
    const uint32_t recordSize = 8 + 4 * n;
    if (headerSize != kHeaderSize + kDescriptorSize * n || headerSize > dataSize ||
        (dataSize - headerSize) % recordSize != 0) {
        return KST_ERR_BAD_HEADER;
    }
    const uint32_t records = (dataSize - headerSize) / recordSize;
    const CKSTTimeStamp startStamp = Epoch1904() + start;

    CKSTChannelList& channels = dataSet.GetChannels();
    const int first = channels.GetCount();
    for (uint32_t k = 0; k < n; ++k) {
        const uint8_t* descriptor = data + kHeaderSize + kDescriptorSize * k;
        CKSTChannel& channel = *channels.GetAt(channels.AddNew());
        channel.SetName(FieldText(descriptor + 2, kNameSize));
        channel.SetUnit(FieldText(descriptor + 2 + kNameSize, kUnitSize));
        channel.SetGroup(FieldText(descriptor + 2 + kNameSize + kUnitSize, 1));
        channel.SetTimeBaseType(CKSTChannel::kTimeVector);
        channel.SetCapacity(records);
        channel.SetTimeUnit("s");
        channel.SetDt(interval);
        channel.SetT0(0.0);
        channel.SetStartTimeStamp(startStamp);
    }
    for (uint32_t r = 0; r < records; ++r) {
        const uint8_t* record = data + headerSize + static_cast<size_t>(r) * recordSize;
        const double time = KstLoadLE<double>(record) - start;
        for (uint32_t k = 0; k < n; ++k) {
            channels.GetAt(first + static_cast<int>(k))
                ->AppendTimeValue(time, KstLoadLE<float>(record + 8 + 4 * k));
        }
    }
    for (uint32_t k = 0; k < n; ++k) {
        CKSTChannel& channel = *channels.GetAt(first + static_cast<int>(k));
        if (channel.ConvertToEquidistant(false, false) && std::isfinite(interval) &&
            interval > 0.0) {
            channel.SetDt(interval);
        }
    }
    channels.MakeUniqueNames();
    dataSet.SetName(GetPath());
    return KST_OK;
}

int CKSTRecordFile::WriteBinaryRecordFile(CKSTChannelList& channels)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (GetMode() == KST_OPEN_READ) {
        return KST_ERR_NOT_OPEN_FOR_WRITING;
    }
    const int count = channels.GetCount();
    if (count == 0) {
        return KST_OK;
    }
    if (count > UINT16_MAX) {
        return KST_ERR_TOO_LARGE;
    }
    const uint32_t n = static_cast<uint32_t>(count);
    const uint64_t headerSize = kHeaderSize + static_cast<uint64_t>(kDescriptorSize) * n;
    const uint64_t recordSize = 8 + 4 * static_cast<uint64_t>(n);
    const uint64_t maxRecords = (CKSTMemBuffer::kMaxSize - headerSize - kChecksumSize) / recordSize;

    for (int k = 0; k < count; ++k) {
        CKSTChannel& channel = *channels.GetAt(k);
        if (channel.GetTimeBaseType() != CKSTChannel::kTimeVector) {
            continue;
        }
        // Resampling a channel with one tiny step would ask for more than a file can hold.
        if (ResampledCount(channel) > std::max<uint64_t>(maxRecords, channel.GetCount())) {
            return KST_ERR_TOO_LARGE;
        }
        channel.ConvertToEquidistant(true, false);
    }
    const CKSTChannel& first = *channels.GetAt(0);
    if (first.GetTimeBaseType() != CKSTChannel::kEquidistant) {
        return KST_ERR_CHANNEL_KIND;
    }
    const uint32_t records = first.GetCount();
    if (records > maxRecords) {
        return KST_ERR_TOO_LARGE;
    }
    const uint64_t dataSize = headerSize + records * recordSize;
    // The first record is the first channel's sample 0, which lies t0 after its start stamp.
    const double start = (first.GetStartTimeStamp() - Epoch1904()).GetSeconds() + first.GetT0();
    const double interval = first.GetSampleInterval();

    LittleEndianWriter out(static_cast<size_t>(dataSize + kChecksumSize));
    out.U32(static_cast<uint32_t>(headerSize));
    out.U8(kVersion);
    out.F64(start);
    out.F64(interval);
    out.U16(static_cast<uint16_t>(n));
    out.U32(static_cast<uint32_t>(dataSize));
    out.U32(0);
    out.Fixed(kTextField, 32);
    for (uint32_t k = 0; k < n; ++k) {
        const CKSTChannel& channel = *channels.GetAt(static_cast<int>(k));
        out.U16(static_cast<uint16_t>(k));
        out.Fixed(channel.GetName(), kNameSize);
        out.Fixed(channel.GetUnit(), kUnitSize);
        out.Fixed(channel.GetGroup(), 1);
    }
    for (uint32_t i = 0; i < records; ++i) {
        out.F64(start + i * interval);
        for (uint32_t k = 0; k < n; ++k) {
            out.F32(static_cast<float>(channels.GetAt(static_cast<int>(k))->GetValue(i)));
        }
    }
    CKSTString digest;
    Md5Hex(digest, out.Bytes().data(), out.Bytes().size());
    out.Text(digest);

    const uint32_t total = static_cast<uint32_t>(out.Bytes().size());
    return CKSTDataFile::Write(out.Bytes().data(), 1, total) == total ? KST_OK
                                                                      : KST_ERR_SHORT_TRANSFER;
}
