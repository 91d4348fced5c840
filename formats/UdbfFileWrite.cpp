// Writing UniversalDataBinFile images: the header of version 107 and one record per sample,
// stamped with its day count.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <vector>

#include "formats/UdbfFile.h"
#include "foundation/ByteOrder.h"
#include "foundation/ErrorCodes.h"

namespace {

constexpr char kVendor[] = "UniversalDataBinFile - Kestro measurements";
constexpr size_t kRecordChunkBytes = 256 * 1024;

class OrderedBytes {
public:
    explicit OrderedBytes(bool bigEndian) : m_bigEndian(bigEndian) {}

    template <class T>
    void Put(T value)
    {
        uint8_t bytes[sizeof(T)];
        if (m_bigEndian) {
            KstStoreBE(bytes, value);
        } else {
            KstStoreLE(bytes, value);
        }
        m_bytes.insert(m_bytes.end(), bytes, bytes + sizeof(T));
    }
    // A u16 length, the text and its terminating zero; texts beyond what the length can count
    // are cut.
    void PutString(const CKSTString& text)
    {
        const size_t n = std::min<size_t>(static_cast<size_t>(text.GetLength()), 0xFFFE);
        Put<uint16_t>(static_cast<uint16_t>(n + 1));
        m_bytes.insert(m_bytes.end(), text.c_str(), text.c_str() + n);
        m_bytes.push_back(0);
    }
    void PutFill(uint8_t byte, size_t n) { m_bytes.insert(m_bytes.end(), n, byte); }
    std::vector<uint8_t>& Bytes() { return m_bytes; }

private:
    bool m_bigEndian;
    std::vector<uint8_t> m_bytes;
};

float ToFloat(double v)
{
    if (std::isnan(v)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return static_cast<float>(std::clamp<double>(v, -std::numeric_limits<float>::max(),
                                                 std::numeric_limits<float>::max()));
}

int WriteAll(CKSTDataFile& stream, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const uint32_t part = static_cast<uint32_t>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (stream.Write(bytes.data() + done, part) != part) {
            return KST_ERR_SHORT_TRANSFER;
        }
        done += part;
    }
    return KST_OK;
}

}  // namespace

int CKSTUdbfFile::OpenWrite(const CKSTString& path)
{
    static_cast<void>(Close());
    const int result = m_data.Open(path, KST_OPEN_WRITE);
    if (result != KST_OK) {
        static_cast<void>(Close());
    }
    return result;
}

int CKSTUdbfFile::OpenMemoryWrite(bool paired)
{
    static_cast<void>(Close());
    int result = m_data.OpenMemoryWrite();
    if (result == KST_OK && paired) {
        m_description = std::make_unique<CKSTFormatStream>();
        result = m_description->OpenMemoryWrite();
        m_paired = true;
    }
    return result;
}

int CKSTUdbfFile::GetMemory(CKSTMemBuffer& buffer)
{
    if (!m_data.IsInMemory()) {
        return KST_ERR_UNKNOWN_FILE_TYPE;
    }
    m_data.GetMemory(buffer);
    return KST_OK;
}

void CKSTUdbfFile::GetDescriptionMemory(CKSTMemBuffer& buffer) const
{
    Description().GetMemory(buffer);
}

int CKSTUdbfFile::Write(const CKSTDataSet& dataSet, const CKSTTextFormat*)
{
    return WriteChannels(dataSet.GetChannels());
}

int CKSTUdbfFile::WriteChannels(const CKSTChannelList& channels, bool)
{
    return WriteChannels(channels);
}

int CKSTUdbfFile::WriteChannels(const CKSTChannelList& channels)
{
    if (!m_data.IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (m_data.GetMode() != KST_OPEN_WRITE) {
        return KST_ERR_NOT_OPEN_FOR_WRITING;
    }
    if (channels.GetCount() == 0) {
        return KST_OK;
    }
    if (channels.GetCount() > 0xFFFF) {
        return KST_ERR_TOO_LARGE;
    }
    // Time vectors are written from equidistant copies; the caller's channels stay.
    std::deque<CKSTChannel> converted;
    std::vector<const CKSTChannel*> columns;
    for (int i = 0; i < channels.GetCount(); ++i) {
        const CKSTChannel* channel = channels.GetAt(i);
        if (channel->GetTimeBaseType() != CKSTChannel::kEquidistant) {
            converted.emplace_back(*channel);
            if (!converted.back().ConvertToEquidistant(false, true)) {
                return KST_ERR_CHANNEL_KIND;
            }
            channel = &converted.back();
        }
        columns.push_back(channel);
    }
    // One record holds one sample of every channel: they must share their time base.
    const CKSTChannel& lead = *columns.front();
    for (const CKSTChannel* column : columns) {
        if (!column->HasSameTimeBase(lead)) {
            return KST_ERR_CHANNEL_KIND;
        }
    }

    const double interval = lead.GetSampleInterval();
    OrderedBytes header(m_writeBigEndian);
    header.Put<uint8_t>(m_writeBigEndian ? 1 : 0);
    header.Put<uint16_t>(107);
    header.PutString(kVendor);
    header.Put<uint8_t>(0);
    header.Put<uint16_t>(0);
    header.Put<double>(1.0);
    header.Put<uint16_t>(12);
    header.Put<double>(86400.0);
    header.Put<double>(0.0);
    header.Put<double>(interval != 0.0 ? 1.0 / interval : 1.0);
    header.Put<uint16_t>(static_cast<uint16_t>(columns.size()));
    for (const CKSTChannel* column : columns) {
        header.PutString(column->GetName());
        header.Put<uint16_t>(kInput);
        header.Put<uint16_t>(column->GetSampleType() == 4 ? 8 : 12);
        header.Put<uint16_t>(8);
        header.Put<uint16_t>(3);
        header.PutString(column->GetUnit());
        header.Put<uint16_t>(0);
    }
    if (!m_paired) {
        const size_t size = header.Bytes().size();
        header.PutFill('*', (16 - ((size + 8) % 16)) % 16 + 8);
    }
    int result = WriteAll(Description(), header.Bytes());

    // Day counts keep the start's sub-second part and the channel's own origin.
    const CKSTTimeStamp start = lead.GetStartTimeStamp();
    const uint32_t count = lead.GetCount();
    OrderedBytes records(m_writeBigEndian);
    for (uint32_t i = 0; i < count && result == KST_OK; ++i) {
        records.Put<double>(start.GetSerialDays() +
                            (start.GetFraction() + lead.GetTimeAt(i)) / KST_SECONDS_PER_DAY);
        for (const CKSTChannel* column : columns) {
            const double value = column->GetValues()[i];
            if (column->GetSampleType() == 4) {
                records.Put<float>(ToFloat(value));
            } else {
                records.Put<double>(value);
            }
        }
        if (records.Bytes().size() >= kRecordChunkBytes || i + 1 == count) {
            result = WriteAll(m_data, records.Bytes());
            records.Bytes().clear();
        }
    }
    for (CKSTFormatStream* stream : {&m_data, &Description()}) {
        if (result == KST_OK) {
            result = stream->Flush();
        }
    }
    return result;
}
