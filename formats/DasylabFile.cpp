#include "formats/DasylabFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "formats/ByteStream.h"
#include "foundation/ErrorCodes.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/ParallelFor.h"

namespace {

constexpr uint8_t kEndOfText = 0x1A;
constexpr uint32_t kRecordValues = 512;
// The general block after "IN": seven 16-bit words, the channel count, a double and a time.
constexpr uint32_t kGeneralBlockSize = 8 * 2 + 8 + 4;
constexpr uint16_t kSecondBlockSize = 38;
// A channel block without its name: fixed fields, the empty unit text and the name's zero.
constexpr uint32_t kChannelBlockFixed = 2 + 2 + 2 + 8 + 2 + 2 + 8 + 8 + 1 + 1;
constexpr uint16_t kDataHeadSize = 18;
// Raw sample type of the channel record: 32-bit float.
constexpr uint16_t kSampleFloat32 = 4;
// Records read ahead before their values are decoded.
constexpr size_t kBatchRecords = 1 << 16;

// A C time value as the file stores it; times before 1970 or beyond 2106 store 0.
uint32_t FileTime(const CKSTTimeStamp& stamp)
{
    const long long t = static_cast<long long>(stamp.ToTimeT());
    return t > 0 && t <= 0xFFFFFFFFLL ? static_cast<uint32_t>(t) : 0;
}

std::string FixedText(double value, int decimals)
{
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0");
}

// n samples of a record, the first at time t and dt apart, all on the channel's grid after
// `count` samples.
bool OnChannelGrid(const CKSTChannel& channel, uint32_t count, double t, double dt, uint32_t n)
{
    for (uint32_t k = 0; k < n; ++k) {
        if (!channel.IsOnGrid(count + k, k * dt + t)) {
            return false;
        }
    }
    return true;
}

// A zero-terminated text within the block; false when the block ends first.
bool ReadZeroText(CKSTByteReader& in, uint64_t end, std::string& text)
{
    text.clear();
    uint8_t c = 0;
    while (in.GetPosition() < end && in.ReadU8(c)) {
        if (c == 0) {
            return true;
        }
        text += static_cast<char>(c);
    }
    return false;
}

// Records whose samples all lie on their channel's grid go into the channels' room at once, a
// batch of them split over threads. From a channel's first record off the grid on, its records
// take their samples one by one, behind its batch.
class RecordBatches {
public:
    RecordBatches(CKSTDataFile& stream, CKSTChannelList& channels, int first, uint16_t count,
                  bool fresh)
        : m_shared(stream),
          m_channels(channels),
          m_first(first),
          m_count(count),
          m_fresh(fresh),
          m_pending(count),
          m_onGrid(count)
    {
        for (uint16_t i = 0; i < count; ++i) {
            m_onGrid[i] = channels.GetAt(first + i)->GetTimeBaseType() == CKSTChannel::kEquidistant;
        }
    }

    // The `n` values at `data` of a record of channel `index`; true when the batch is full.
    bool Add(uint16_t index, uint64_t data, double t, double dt, uint32_t n)
    {
        const CKSTChannel& channel = *m_channels.GetAt(m_first + index);
        const Record record{data, t, dt, n, index, m_pending[index]};
        if (m_onGrid[index] &&
            OnChannelGrid(channel, channel.GetCount() + m_pending[index], t, dt, n)) {
            m_pending[index] += n;
            m_batch.push_back(record);
        } else {
            m_onGrid[index] = 0;
            m_oneByOne.push_back(record);
        }
        return m_batch.size() + m_oneByOne.size() >= kBatchRecords;
    }

    void Flush()
    {
        StoreBatch();
        AppendOneByOne();
        m_batch.clear();
        m_oneByOne.clear();
        std::fill(m_pending.begin(), m_pending.end(), 0);
    }

    // The stream holds every value the walk over the records counted, unless it shrank since.
    bool Shrank() const { return m_shrank; }

private:
    struct Record {
        uint64_t data;
        double t;
        double dt;
        uint32_t n;
        uint16_t channel;
        uint32_t at;  // in the channel's room of the batch
    };

    void StoreBatch()
    {
        std::vector<double*> rooms(m_count);
        uint64_t samples = 0;
        for (uint16_t i = 0; i < m_count; ++i) {
            rooms[i] = KstAppendRoom(*m_channels.GetAt(m_first + i), m_pending[i]);
            samples += m_pending[i];
        }
        std::mutex failureLock;
        size_t firstMissing = m_batch.size();
        const size_t grain = KstDecodeGrain(
            m_fresh, m_batch.size(),
            static_cast<size_t>(samples / std::max<size_t>(m_batch.size(), 1)));
        KstParallelFor(m_batch.size(), grain, [&](size_t begin, size_t end) {
            CKSTSharedReader::View view(m_shared);
            for (size_t r = begin; r < end; ++r) {
                const Record& record = m_batch[r];
                size_t got = 0;
                const uint8_t* raw = view.Get(record.data, size_t{record.n} * 4, got);
                if (got < size_t{record.n} * 4) {
                    std::lock_guard<std::mutex> lock(failureLock);
                    firstMissing = std::min(firstMissing, r);
                    return;
                }
                KstWidenRun<float, false>(raw, 4, rooms[record.channel] + record.at, record.n);
            }
        });
        if (firstMissing < m_batch.size()) {
            KeepBefore(firstMissing);
        }
    }

    // Only the records before the first one missing count, as if read one by one.
    void KeepBefore(size_t firstMissing)
    {
        m_shrank = true;
        for (uint16_t i = 0; i < m_count; ++i) {
            CKSTChannel& channel = *m_channels.GetAt(m_first + i);
            uint32_t kept = m_pending[i];
            for (size_t r = firstMissing; r < m_batch.size(); ++r) {
                if (m_batch[r].channel == i) {
                    kept = m_batch[r].at;
                    break;
                }
            }
            KstKeepSamples(channel, channel.GetCount() - m_pending[i] + kept);
        }
        const uint64_t missing = m_batch[firstMissing].data;
        m_oneByOne.erase(std::remove_if(m_oneByOne.begin(), m_oneByOne.end(),
                                        [&](const Record& r) { return r.data > missing; }),
                         m_oneByOne.end());
    }

    void AppendOneByOne()
    {
        CKSTSharedReader::View view(m_shared);
        for (const Record& record : m_oneByOne) {
            size_t got = 0;
            const uint8_t* raw = view.Get(record.data, size_t{record.n} * 4, got);
            CKSTChannel& channel = *m_channels.GetAt(m_first + record.channel);
            for (uint32_t k = 0; k < got / 4; ++k) {
                channel.AppendTimeValue(k * record.dt + record.t,
                                        KstLoadNumber<float, false>(raw + 4 * k));
            }
            if (got < size_t{record.n} * 4) {
                m_shrank = true;
                break;
            }
        }
    }

    CKSTSharedReader m_shared;
    CKSTChannelList& m_channels;
    const int m_first;
    const uint16_t m_count;
    const bool m_fresh;
    std::vector<Record> m_batch;
    std::vector<Record> m_oneByOne;
    std::vector<uint32_t> m_pending;
    std::vector<uint8_t> m_onGrid;
    bool m_shrank = false;
};

}  // namespace

CKSTDasylabFile::CKSTDasylabFile() : CKSTStreamFormatFile(5) {}

CKSTString CKSTDasylabFile::CompanionPath(const CKSTString& path, bool toDataFile)
{
    const int n = path.GetLength();
    if (n < 4 || path[n - 4] != '.') {
        return path;
    }
    const CKSTString extension = path.Right(3);
    const char* from = toDataFile ? "ddf" : "ddb";
    const char* fromUpper = toDataFile ? "DDF" : "DDB";
    if (extension == from) {
        return path.Left(n - 3) + (toDataFile ? "ddb" : "ddf");
    }
    if (extension == fromUpper) {
        return path.Left(n - 3) + (toDataFile ? "DDB" : "DDF");
    }
    return path;
}

void CKSTDasylabFile::Reset()
{
    m_twoFiles = false;
    m_headerText.Empty();
}

int CKSTDasylabFile::OpenStream(const CKSTString& path, KstOpenMode mode)
{
    if (mode != KST_OPEN_READ) {
        return CKSTStreamFormatFile::OpenStream(path, mode);
    }
    return m_stream.Open(CompanionPath(path, false), mode) == KST_OK ? KST_OK
                                                                     : KST_ERR_OPEN_FAILED;
}

int CKSTDasylabFile::Close()
{
    int result = CKSTStreamFormatFile::Close();
    if (m_companion.IsOpen()) {
        const int companion = m_companion.Close();
        result = result != KST_OK ? result : companion;
    }
    return result;
}

int CKSTDasylabFile::CheckOpen() const
{
    return IsOpen() ? KST_OK : KST_ERR_FILE_NOT_OPEN;
}

int CKSTDasylabFile::ReadHead(const CKSTString&)
{
    m_headerText.Empty();
    CKSTByteReader in(m_stream);
    char magic[5];
    if (!in.Read(magic, 5) || std::memcmp(magic, "DTDF\r", 5) != 0) {
        return KST_ERR_NOT_DASYLAB;
    }
    std::string text;
    uint8_t c = 0;
    for (;;) {
        if (!in.ReadU8(c)) {
            return KST_ERR_NOT_DASYLAB;
        }
        if (c == kEndOfText) {
            break;
        }
        text += static_cast<char>(c);
    }
    // Written texts end in a zero byte, which is no part of the text.
    text.resize(std::strlen(text.c_str()));
    m_headerText = text.c_str();
    // The reader ran ahead; the stream continues right after the end-of-text byte.
    return m_stream.Seek(static_cast<int64_t>(in.GetPosition()), SEEK_SET) >= 0
               ? KST_OK
               : KST_ERR_NOT_DASYLAB;
}

// --- Reading ---

int CKSTDasylabFile::Read(CKSTDataSet& dataSet, const CKSTChannelList*, bool)
{
    dataSet.Clear(false);
    const int result = ReadChannels(dataSet.GetChannels());
    const int header = ReadHeaderEntries(dataSet.GetHeader());
    dataSet.SetName(m_stream.GetPath());
    return result != KST_OK ? result : header;
}

int CKSTDasylabFile::ReadChannels(CKSTChannelList& channels)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    CKSTByteReader in(m_stream);
    char tag[4];
    if (!in.Read(tag, 2) || std::memcmp(tag, "IN", 2) != 0) {
        return KST_ERR_NOT_DASYLAB;
    }
    channels.DeleteAll();

    uint16_t words[8] = {};
    double firstDt = 0.0;
    uint32_t startTime = 0;
    for (uint16_t& w : words) {
        if (!in.ReadU16(w)) {
            return KST_ERR_DASYLAB_UNSUPPORTED;
        }
    }
    if (!in.ReadF64(firstDt) || !in.ReadU32(startTime) || words[1] != 1) {
        return KST_ERR_DASYLAB_UNSUPPORTED;
    }
    const uint16_t separateData = words[6];
    const uint16_t count = words[7];

    // Every block is passed over by its own size field.
    uint64_t blockStart = in.GetPosition();
    uint16_t blockSize = 0;
    if (!in.ReadU16(blockSize) || blockSize < 2 || !in.SeekTo(blockStart + blockSize)) {
        return KST_ERR_DASYLAB_UNSUPPORTED;
    }
    const int first = channels.GetCount();
    for (uint16_t c = 0; c < count; ++c) {
        blockStart = in.GetPosition();
        uint16_t fields[3] = {};
        double dt = 0.0;
        uint16_t check = 1;
        uint16_t unused = 0;
        double unusedValues[2];
        if (!in.ReadU16(blockSize) || blockSize < kChannelBlockFixed ||
            blockStart + blockSize > in.GetSize() || !in.ReadU16(fields[1]) ||
            !in.ReadU16(fields[2]) || !in.ReadF64(dt) || !in.ReadU16(check) || check != 0 ||
            !in.ReadU16(unused) || !in.ReadF64(unusedValues[0]) || !in.ReadF64(unusedValues[1])) {
            return KST_ERR_DASYLAB_UNSUPPORTED;
        }
        const uint64_t blockEnd = blockStart + blockSize;
        std::string unit;
        std::string name;
        if (!ReadZeroText(in, blockEnd, unit) || !ReadZeroText(in, blockEnd, name)) {
            return KST_ERR_DASYLAB_UNSUPPORTED;
        }
        CKSTChannel& channel = *channels.GetAt(channels.AddNew());
        channel.SetName(name.c_str());
        channel.SetTimeBaseType(CKSTChannel::kTimeVector);
        channel.SetSampleType(kSampleFloat32);
        in.SeekTo(blockEnd);
    }

    int result = KST_OK;
    if (separateData != 0) {
        const CKSTString dataPath = CompanionPath(m_stream.GetPath(), true);
        if (m_companion.Open(dataPath, KST_OPEN_READ) != KST_OK) {
            return KST_ERR_FILE_NOT_OPEN;
        }
        m_twoFiles = true;
        CKSTByteReader data(m_companion);
        result = ReadRecords(data, m_companion, channels, first, count);
    } else {
        result = ReadRecords(in, m_stream, channels, first, count);
    }
    ReadUnits(channels, first);
    for (int i = first; i < channels.GetCount(); ++i) {
        channels.GetAt(i)->ConvertToEquidistant(false, false);
    }
    channels.MakeUniqueNames();
    return result;
}

std::vector<CKSTDasylabFile::RecordTotals> CKSTDasylabFile::CountRecordValues(CKSTByteReader& in,
                                                                              uint16_t count)
{
    std::vector<RecordTotals> totals(count);
    const uint64_t start = in.GetPosition();
    uint16_t index = 0;
    double t = 0.0;
    double dt = 0.0;
    uint16_t n = 0;
    // The same walk as the reading, over the record heads only; values cut off by the end of
    // the file are not counted.
    while (in.ReadU16(index) && index < count && in.ReadF64(t) && in.ReadF64(dt) && in.ReadU16(n)) {
        const uint64_t whole = std::min<uint64_t>(n, in.Remaining() / 4);
        RecordTotals& total = totals[index];
        if (total.values == 0 && whole > 0) {
            total.firstTime = t;
            total.firstDt = dt;
        }
        total.values += whole;
        if (whole < n || !in.Skip(whole * 4)) {
            break;
        }
    }
    in.SeekTo(start);
    return totals;
}

int CKSTDasylabFile::ReadRecords(CKSTByteReader& in, CKSTDataFile& stream,
                                 CKSTChannelList& channels, int first, uint16_t count)
{
    char tag[4];
    uint16_t headSize = 0;
    uint32_t startTime = 0;
    uint32_t unused[2];
    if (!in.Read(tag, 4) || std::memcmp(tag, "DATA", 4) != 0 || !in.ReadU16(headSize) ||
        !in.ReadU32(startTime) || !in.ReadU32(unused[0]) || !in.ReadU32(unused[1])) {
        return KST_ERR_DASYLAB_UNSUPPORTED;
    }
    const CKSTTimeStamp start(static_cast<time_t>(startTime));
    for (int i = first; i < channels.GetCount(); ++i) {
        channels.GetAt(i)->SetStartTimeStamp(start);
    }
    // Each channel's arrays are made once for all its records: growing them record by record
    // moves every sample again and again. A channel starts on the grid of its first record and
    // keeps no times while its samples stay on it; one sample off the grid makes it a time
    // vector, as if it had been one from the start.
    const std::vector<RecordTotals> totals = CountRecordValues(in, count);
    bool fresh = false;
    for (uint16_t i = 0; i < count; ++i) {
        CKSTChannel& channel = *channels.GetAt(first + i);
        const RecordTotals& total = totals[i];
        if (total.values == 0) {
            continue;
        }
        if (channel.GetCapacity() == 0 && total.firstDt > 0.0 && std::isfinite(total.firstDt) &&
            std::isfinite(total.firstTime)) {
            channel.SetTimeBaseType(CKSTChannel::kEquidistant);
            channel.SetT0(total.firstTime);
            channel.SetDt(total.firstDt);
        }
        const uint32_t needed = static_cast<uint32_t>(
            std::min<uint64_t>(channel.GetCount() + total.values, 0xFFFFFFFFu));
        fresh = fresh || channel.GetCapacity() < needed;
        channel.Reserve(needed);
    }

    RecordBatches batches(stream, channels, first, count, fresh);
    int result = KST_OK;
    for (;;) {
        uint16_t index = 0;
        if (!in.ReadU16(index)) {
            break;
        }
        if (index >= count) {
            in.SeekTo(in.GetPosition() - 2);
            if (!in.Read(tag, 4) || std::memcmp(tag, "DTDF", 4) != 0) {
                result = KST_ERR_DASYLAB_UNSUPPORTED;
            }
            break;
        }
        double t = 0.0;
        double dt = 0.0;
        uint16_t n = 0;
        if (!in.ReadF64(t) || !in.ReadF64(dt) || !in.ReadU16(n)) {
            break;
        }
        // A record cut short by the end of the file keeps the values that are whole.
        const uint32_t whole = static_cast<uint32_t>(std::min<uint64_t>(n, in.Remaining() / 4));
        if (whole > 0 && batches.Add(index, in.GetPosition(), t, dt, whole)) {
            batches.Flush();
            if (batches.Shrank()) {
                return KST_OK;
            }
            in.Resume();
        }
        if (whole < n || !in.Skip(size_t{whole} * 4)) {
            break;
        }
    }
    batches.Flush();
    return batches.Shrank() ? KST_OK : result;
}

void CKSTDasylabFile::ReadUnits(CKSTChannelList& channels, int first) const
{
    const std::string text(m_headerText.c_str(), static_cast<size_t>(m_headerText.GetLength()));
    size_t at = text.find("UNIT:");
    if (at == std::string::npos) {
        return;
    }
    at += 5;
    while (at < text.size() && (text[at] == '\r' || text[at] == '\n')) {
        ++at;
    }
    for (int i = first; i < channels.GetCount(); ++i) {
        const size_t tab = text.find('\t', at);
        if (tab == std::string::npos) {
            return;
        }
        const size_t lineEnd = std::min(text.find('\r', tab), text.find('\n', tab));
        std::string unit = text.substr(tab + 1, lineEnd == std::string::npos ? std::string::npos
                                                                               : lineEnd - tab - 1);
        while (!unit.empty() && (unit.back() == ' ' || unit.back() == '\t')) {
            unit.pop_back();
        }
        channels.GetAt(i)->SetUnit(unit.c_str());
        if (lineEnd == std::string::npos) {
            return;
        }
        at = lineEnd;
    }
}

int CKSTDasylabFile::ReadHeaderEntries(CKSTHeaderInfoList& header) const
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    header.Clear();
    const std::string text(m_headerText.c_str(), static_cast<size_t>(m_headerText.GetLength()));
    size_t at = text.find('\n');
    std::string comment;
    while (at != std::string::npos && at < text.size()) {
        const size_t next = text.find('\n', at + 1);
        CKSTString line(text.substr(at + 1, next == std::string::npos ? std::string::npos
                                                                        : next - at - 1)
                            .c_str());
        line.Trim();
        if (line.IsEmpty()) {
            break;
        }
        const int equals = line.Find('=');
        if (equals >= 1) {
            CKSTString name = line.Left(equals);
            CKSTString value = line.Mid(equals + 1);
            name.Trim();
            value.Trim();
            if (!value.IsEmpty()) {
                header.Add(CKSTHeaderInfoItem(name, value));
            }
        } else {
            comment += line.c_str();
            comment += "\r\n";
        }
        at = next;
    }
    if (!comment.empty()) {
        header.SetComment(comment.c_str(), false);
    }
    return KST_OK;
}

// --- Writing ---

int CKSTDasylabFile::Write(const CKSTDataSet& dataSet, const CKSTTextFormat*)
{
    return WriteChannels(dataSet.GetChannels(), false);
}

int CKSTDasylabFile::WriteChannels(const CKSTChannelList& source, bool)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (source.GetCount() == 0) {
        return KST_OK;
    }
    if (source.GetCount() > 0xFFFF) {
        return KST_ERR_TOO_LARGE;
    }
    // Time vectors are made equidistant on copies: the caller's channels stay as they are.
    CKSTChannelList copies;
    const CKSTChannelList* list = &source;
    for (int i = 0; i < source.GetCount(); ++i) {
        if (source.GetAt(i)->GetTimeBaseType() == CKSTChannel::kTimeVector) {
            copies.CopyFrom(source);
            for (int k = 0; k < copies.GetCount(); ++k) {
                copies.GetAt(k)->ConvertToEquidistant(true, false);
            }
            list = &copies;
            break;
        }
    }
    const CKSTChannelList& channels = *list;
    const int count = channels.GetCount();
    const double firstDt = channels.GetAt(0)->GetSampleInterval();
    const CKSTTimeStamp start = channels.GetEarliestStartTimeStamp();

    std::string text = "\r\nDASYLab [Feb 11 2004]\r\nWORKSHEET\t= \r\nAUTHOR\t\t= \r\nCOMPANY  \t= "
                       "\r\nDIVISON\t\t= \r\nTITLE\t\t= ";
    text += channels.GetText().c_str();
    text += "\r\nSAMPLE RATE\t= ";
    text += firstDt > 0.0 && std::isfinite(1.0 / firstDt) ? FixedText(1.0 / firstDt, 6)
                                                          : FixedText(0.0, 6);
    text += "\r\nDATA FORMAT\t= 1\r\nDATA CHANNELS\t= " + std::to_string(count);
    const std::string startText = start.Format(true).c_str();
    text += "\r\nSTART TIME\t= " + startText + "\r\nFILE START TIME\t= " + startText;
    text += "\r\n\r\n\r\n CHANNEL\tUNIT:\r\n";
    for (int i = 0; i < count; ++i) {
        const CKSTChannel& channel = *channels.GetAt(i);
        text += "  ";
        text += channel.GetName().c_str();
        text += "\t";
        text += channel.GetUnit().c_str();
        text += " \r\n";
    }
    // The first field holds the end of the general block less 4 in 16 bits; a header that
    // pushes the block further cannot be described.
    const uint64_t generalEnd = 4 + 1 + text.size() + 1 + 1 + 2 + kGeneralBlockSize;
    if (generalEnd - 4 > 0xFFFF) {
        return KST_ERR_TOO_LARGE;
    }
    for (int i = 0; i < count; ++i) {
        if (kChannelBlockFixed + channels.GetAt(i)->GetName().GetLength() > 0xFFFF) {
            return KST_ERR_TOO_LARGE;
        }
    }

    CKSTByteWriter out(m_stream);
    const uint32_t fileTime = FileTime(start);
    out.Text("DTDF");
    out.U8('\r');
    out.Bytes(text.data(), text.size());
    out.U8(0);
    out.U8(kEndOfText);
    out.Text("IN");
    out.U16(static_cast<uint16_t>(generalEnd - 4));
    const uint16_t general[] = {1, 1, 38, 35, 20, 0, static_cast<uint16_t>(count)};
    for (uint16_t w : general) {
        out.U16(w);
    }
    out.F64(firstDt);
    out.U32(fileTime);
    out.U16(kSecondBlockSize);
    out.U16(static_cast<uint16_t>(count));
    out.Zeros(2 + 16 * 2);
    for (int i = 0; i < count; ++i) {
        const CKSTChannel& channel = *channels.GetAt(i);
        const CKSTString name = channel.GetName();
        out.U16(static_cast<uint16_t>(kChannelBlockFixed + name.GetLength()));
        out.U16(static_cast<uint16_t>(i));
        out.U16(512);
        out.F64(channel.GetSampleInterval());
        out.U16(0);
        out.U16(4096);
        out.F64(0.0);
        out.F64(0.0);
        out.U8(0);
        out.Bytes(name.c_str(), static_cast<size_t>(name.GetLength()));
        out.U8(0);
    }
    out.Text("DATA");
    out.U16(kDataHeadSize);
    out.U32(fileTime);
    out.U32(0);
    out.U32(0);

    const uint32_t samples = channels.GetMaxSampleCount();
    uint32_t base = 0;
    while (base < samples) {
        uint32_t largest = 0;
        for (int i = 0; i < count; ++i) {
            const CKSTChannel& channel = *channels.GetAt(i);
            const uint32_t have = channel.GetCount();
            const uint32_t n =
                base < have ? std::min(have - base, kRecordValues - base % kRecordValues) : 0;
            out.U16(static_cast<uint16_t>(i));
            out.F64(channel.GetTimeAt(base));
            out.F64(channel.GetSampleInterval());
            out.U16(static_cast<uint16_t>(n));
            for (uint32_t k = 0; k < n; ++k) {
                out.F32(static_cast<float>(channel.GetValue(base + k)));
            }
            largest = std::max(largest, n);
        }
        base += largest;
    }
    out.Text("DTDF");
    return out.Finish();
}
