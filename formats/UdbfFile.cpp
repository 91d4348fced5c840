// Opening and decoding UniversalDataBinFile images: name pairing, header and records.

#include "formats/UdbfFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "data/MeasurementFile.h"
#include "formats/ByteStream.h"
#include "foundation/ByteOrder.h"
#include "foundation/ErrorCodes.h"
#include "foundation/TimeStamp.h"

namespace {

constexpr int16_t kNoVersion = 170;
constexpr double kTwoPow32 = 4294967296.0;

template <class T>
T Load(const uint8_t* p, bool bigEndian)
{
    return bigEndian ? KstLoadBE<T>(p) : KstLoadLE<T>(p);
}

// use(T()) with the C type that holds values of a data type.
template <class Use>
void WithValueType(uint16_t type, Use&& use)
{
    switch (type) {
        case 1:
        case 3:
        case 9:
            use(uint8_t());
            break;
        case 2:
            use(int8_t());
            break;
        case 4:
            use(int16_t());
            break;
        case 5:
        case 10:
            use(uint16_t());
            break;
        case 6:
            use(int32_t());
            break;
        case 7:
        case 11:
            use(uint32_t());
            break;
        case 8:
            use(float());
            break;
        case 12:
            use(double());
            break;
        case 14:
            use(uint64_t());
            break;
        default:
            use(int64_t());
            break;
    }
}

double DecodeValue(const uint8_t* p, uint16_t type, bool bigEndian)
{
    double value = 0.0;
    WithValueType(
        type, [&](auto kind) { value = static_cast<double>(Load<decltype(kind)>(p, bigEndian)); });
    return value;
}

// n values of one type, `stride` bytes apart, widened into out.
void DecodeColumn(const uint8_t* p, uint32_t stride, uint16_t type, bool bigEndian, double* out,
                  uint32_t n)
{
    WithValueType(type,
                  [&](auto kind) { KstWidenRun<decltype(kind)>(p, stride, bigEndian, out, n); });
}

bool IsCounter32(uint16_t type)
{
    return type == 6 || type == 7 || type == 11;
}

uint16_t SampleClassOf(uint16_t type)
{
    switch (type) {
        case 1:
        case 2:
        case 3:
        case 9:
            return 1;
        case 4:
        case 5:
        case 10:
            return 2;
        case 6:
        case 7:
        case 11:
            return 3;
        case 8:
            return 4;
        case 12:
            return 5;
        default:
            return 6;
    }
}

// A day count as a stamp with its full sub-second part (not rounded to 10 us).
CKSTTimeStamp DaysToStamp(double days)
{
    if (!std::isfinite(days)) {
        return CKSTTimeStamp();
    }
    const double whole = std::floor(days);
    const double seconds = (days - whole) * KST_SECONDS_PER_DAY;
    const double wholeSeconds = std::floor(seconds);
    return CKSTTimeStamp(whole + wholeSeconds * KST_ONE_SECOND_DAYS, seconds - wholeSeconds);
}

int64_t StreamRemaining(CKSTDataFile& stream)
{
    const int64_t size = stream.GetSize();
    const int64_t position = stream.Tell();
    return size >= 0 && position >= 0 && size > position ? size - position : 0;
}

// The first of the syllables found in name replaced by its counterpart; empty when none is.
CKSTString ReplaceSyllable(const CKSTString& name, const char* const from[3],
                           const char* const to[3])
{
    for (int i = 0; i < 3; ++i) {
        const int at = name.Find(from[i]);
        if (at >= 0) {
            CKSTString result = name.Left(at);
            result += to[i];
            result += name.Mid(at + static_cast<int>(std::strlen(from[i])));
            return result;
        }
    }
    return CKSTString();
}

// Times of consecutive records: the stamp against the first record's or a reference, with the
// wraps of a 32-bit counter, or the record's index; snapped to the sample grid when within a
// tenth of a sample of it.
class RecordClock {
public:
    struct Scale {
        bool stamps;
        bool counter;
        bool referenced;
        double step;       // seconds per stamp unit, or per record without stamps
        double interval;   // of the sample grid, 0 without one
        double tolerance;  // of the snap to the grid
    };

    explicit RecordClock(const Scale& scale) : m_scale(scale) {}

    uint64_t GetIndex() const { return m_index; }
    double GetOrigin() const { return m_origin; }

    // The first record's time, its stamp (or the reference) becoming the origin.
    double First(double raw, double origin)
    {
        m_origin = origin;
        m_firstAbsolute = Absolute(raw);
        m_gridOffset = m_scale.referenced && m_scale.interval > 0.0
                           ? std::round(m_firstAbsolute / m_scale.interval) * m_scale.interval
                           : 0.0;
        return Time(m_firstAbsolute);
    }
    double Next(double raw) { return Time(Absolute(raw)); }

private:
    double Absolute(double raw)
    {
        if (!m_scale.stamps) {
            return static_cast<double>(m_index) * m_scale.step;
        }
        if (m_scale.counter) {
            if (m_index > 0 && m_previousCount > 0xE6666661u && raw < 0x19999999u) {
                m_wraps += kTwoPow32;
            }
            m_previousCount = raw;
        }
        return (raw + m_wraps - m_origin) * m_scale.step;
    }
    double Time(double absolute)
    {
        double time = m_scale.referenced ? absolute : absolute - m_firstAbsolute;
        if (m_scale.stamps && m_scale.interval > 0.0) {
            const double expected = static_cast<double>(m_index) * m_scale.interval + m_gridOffset;
            if (std::fabs(time - expected) <= m_scale.tolerance) {
                time = expected;
            }
        }
        ++m_index;
        return time;
    }

    const Scale m_scale;
    uint64_t m_index = 0;
    double m_origin = 0.0;
    double m_firstAbsolute = 0.0;
    double m_gridOffset = 0.0;
    double m_wraps = 0.0;
    double m_previousCount = 0.0;
};

}  // namespace

class CKSTUdbfFile::HeaderReader {
public:
    explicit HeaderReader(CKSTDataFile& stream) : m_stream(stream) {}

    bool bigEndian = true;

    int Bytes(void* destination, uint32_t n)
    {
        return n == 0 || m_stream.Read(destination, n) == n ? KST_OK : KST_ERR_SHORT_HEADER;
    }
    int U8(uint8_t& value) { return Bytes(&value, 1); }
    int U16(uint16_t& value)
    {
        uint8_t raw[2];
        const int result = Bytes(raw, 2);
        value = Load<uint16_t>(raw, bigEndian);
        return result;
    }
    int F64(double& value)
    {
        uint8_t raw[8];
        const int result = Bytes(raw, 8);
        value = Load<double>(raw, bigEndian);
        return result;
    }
    int Skip(uint16_t n)
    {
        if (n > StreamRemaining(m_stream)) {
            return KST_ERR_SHORT_HEADER;
        }
        return m_stream.Seek(n, SEEK_CUR) < 0 ? KST_ERR_SHORT_HEADER : KST_OK;
    }
    // A u16 length and that many bytes, the last a terminating zero.
    int String(CKSTString& text)
    {
        text.Empty();
        uint16_t length = 0;
        int result = U16(length);
        if (result != KST_OK || length == 0) {
            return result;
        }
        if (length > StreamRemaining(m_stream)) {
            return KST_ERR_SHORT_HEADER;
        }
        std::vector<char> bytes(length);
        result = Bytes(bytes.data(), length);
        if (result != KST_OK) {
            return result;
        }
        int n = length;
        if (bytes[static_cast<size_t>(n - 1)] == '\0') {
            --n;
        }
        CKSTString raw;
        raw.Assign(bytes.data(), n);
        text = raw.Utf8ToAnsi();
        return KST_OK;
    }

private:
    CKSTDataFile& m_stream;
};

uint32_t CKSTUdbfFile::UdbfTypeSize(uint16_t type)
{
    static const uint8_t kSizes[16] = {0, 1, 1, 1, 2, 2, 4, 4, 4, 1, 2, 4, 8, 8, 8, 8};
    return type < 16 ? kSizes[type] : 0;
}

CKSTUdbfFile::CKSTUdbfFile(bool writeBigEndian)
    : IKSTMeasurementFile(writeBigEndian ? KST_FILE_UDBF_BIG : KST_FILE_UDBF_LITTLE),
      m_writeBigEndian(writeBigEndian)
{
    Reset();
}

CKSTUdbfFile::~CKSTUdbfFile()
{
    static_cast<void>(Close());
}

void CKSTUdbfFile::Reset()
{
    m_paired = false;
    m_version = kNoVersion;
    m_bigEndian = true;
    m_checksum = 0;
    m_dayFactor = 1.0;
    m_secondFactor = 86400.0;
    m_timeType = 7;
    m_startTime = 0.0;
    m_sampleRate = 0.0;
    m_variableCount = 0;
    m_recordSize = 0;
    m_dataStart = 0;
    m_names.clear();
    m_types.clear();
    m_directions.clear();
    m_units.clear();
    m_factors.clear();
    m_precisions.clear();
    m_wanted.clear();
}

CKSTFormatStream& CKSTUdbfFile::Description()
{
    return m_description != nullptr ? *m_description : m_data;
}

const CKSTFormatStream& CKSTUdbfFile::Description() const
{
    return m_description != nullptr ? *m_description : m_data;
}

bool CKSTUdbfFile::IsOpen() const
{
    return m_data.IsOpen() || (m_description != nullptr && m_description->IsOpen());
}

int CKSTUdbfFile::Close()
{
    int result = m_data.Close();
    if (m_description != nullptr) {
        const int description = m_description->Close();
        if (result == KST_OK) {
            result = description;
        }
        m_description.reset();
    }
    Reset();
    return result;
}

int CKSTUdbfFile::Open(const CKSTString& path)
{
    static_cast<void>(Close());
    const CKSTString native = path.SlashesToBackslashes();
    const int slash = native.ReverseFind('\\');
    const CKSTString folder = slash >= 0 ? native.Left(slash) : CKSTString();
    CKSTString name = native.Mid(slash + 1);
    name.MakeLower();

    static const char* const kData[3] = {"buffer", "buffe", "buff"};
    static const char* const kDescription[3] = {"bufdes", "bufde", "bufd"};
    CKSTString partner;
    bool partnerIsDescription = false;
    if (name.Find("buff") >= 0) {
        partner = ReplaceSyllable(name, kData, kDescription);
        partnerIsDescription = true;
    } else if (name.Find("bufd") >= 0) {
        partner = ReplaceSyllable(name, kDescription, kData);
    }
    if (!partner.IsEmpty() && partner != name) {
        CKSTString partnerPath = folder;
        if (slash >= 0) {
            partnerPath += '\\';
        }
        partnerPath += partner;
        m_description = std::make_unique<CKSTFormatStream>();
        const CKSTString& descriptionPath = partnerIsDescription ? partnerPath : native;
        const CKSTString& dataPath = partnerIsDescription ? native : partnerPath;
        if (m_description->Open(descriptionPath, KST_OPEN_READ) == KST_OK &&
            m_data.Open(dataPath, KST_OPEN_READ) == KST_OK) {
            m_paired = true;
        } else {
            m_description.reset();
            static_cast<void>(m_data.Close());
        }
    }
    if (!m_paired) {
        const int result = m_data.Open(native, KST_OPEN_READ);
        if (result != KST_OK) {
            static_cast<void>(Close());
            return result;
        }
    }
    const int result = ReadStart();
    if (result != KST_OK) {
        static_cast<void>(Close());
        return result;
    }
    SetType(m_bigEndian ? KST_FILE_UDBF_BIG : KST_FILE_UDBF_LITTLE);
    return KST_OK;
}

int CKSTUdbfFile::SetMemory(const CKSTMemBuffer& buffer)
{
    if (m_paired) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    m_description.reset();
    KstCopyMemoryImage(m_data, buffer);
    if (m_data.OpenMemoryRead() != KST_OK) {
        Reset();
        return KST_ERR_SHORT_HEADER;
    }
    const int result = ReadStart();
    if (result != KST_OK) {
        static_cast<void>(m_data.Close());
        Reset();
        return result;
    }
    SetType(m_bigEndian ? KST_FILE_UDBF_BIG : KST_FILE_UDBF_LITTLE);
    return KST_OK;
}

int CKSTUdbfFile::SetDescriptionMemory(const CKSTMemBuffer& buffer)
{
    if (m_description == nullptr) {
        m_description = std::make_unique<CKSTFormatStream>();
    }
    KstCopyMemoryImage(*m_description, buffer);
    m_paired = true;
    if (m_data.IsOpen()) {
        m_data.Seek(0, SEEK_SET);
    }
    if (m_description->OpenMemoryRead() != KST_OK) {
        return KST_ERR_SHORT_HEADER;
    }
    const int result = ReadStart();
    m_paired = true;
    return result;
}

int CKSTUdbfFile::SetDataMemory(const CKSTMemBuffer& buffer)
{
    KstCopyMemoryImage(m_data, buffer);
    if (m_description != nullptr && m_description->IsOpen()) {
        m_description->Seek(0, SEEK_SET);
    }
    // An empty block simply holds no records.
    if (buffer.GetSize() == 0) {
        static_cast<void>(m_data.Close());
        return KST_OK;
    }
    return m_data.OpenMemoryRead();
}

int CKSTUdbfFile::ReadStart()
{
    const bool paired = m_paired;
    std::unique_ptr<CKSTFormatStream> description = std::move(m_description);
    Reset();
    m_description = std::move(description);
    m_paired = paired;

    CKSTDataFile& stream = Description();
    if (stream.Seek(0, SEEK_SET) < 0) {
        return KST_ERR_SHORT_HEADER;
    }
    HeaderReader reader(stream);
    uint8_t order = 0;
    uint16_t version = 0;
    int result = reader.U8(order);
    reader.bigEndian = order != 0;
    if (result == KST_OK)
        result = reader.U16(version);
    if (result != KST_OK) {
        return result;
    }
    if (version < 102 || version > 107) {
        return KST_ERR_BAD_VERSION;
    }
    m_bigEndian = order != 0;
    m_version = static_cast<int16_t>(version);
    return ReadHeader(reader);
}

int CKSTUdbfFile::ReadHeader(HeaderReader& reader)
{
    CKSTString vendor;
    uint16_t moduleBytes = 0;
    uint16_t count = 0;
    int result = m_version >= 106 ? reader.String(vendor) : KST_OK;
    if (result == KST_OK)
        result = reader.U8(m_checksum);
    if (result == KST_OK)
        result = reader.U16(moduleBytes);
    if (result == KST_OK)
        result = reader.Skip(moduleBytes);
    if (result == KST_OK)
        result = reader.F64(m_dayFactor);
    if (result == KST_OK && m_version >= 107)
        result = reader.U16(m_timeType);
    if (result == KST_OK)
        result = reader.F64(m_secondFactor);
    if (result == KST_OK)
        result = reader.F64(m_startTime);
    if (result == KST_OK)
        result = reader.F64(m_sampleRate);
    if (result == KST_OK)
        result = reader.U16(count);
    if (result != KST_OK) {
        return result;
    }
    uint32_t recordSize = 0;
    if (HasTimeStamps()) {
        recordSize = UdbfTypeSize(m_timeType);
        if (recordSize == 0) {
            return KST_ERR_BAD_DATA_TYPE;
        }
    }
    // Lists grow one variable at a time: a count the header cannot back allocates nothing.
    for (uint32_t v = 0; v < count; ++v) {
        CKSTString name;
        CKSTString unit;
        uint16_t direction = 0, type = 0, fieldLength = 0, precision = 0, extraBytes = 0;
        result = reader.String(name);
        if (result == KST_OK)
            result = reader.U16(direction);
        if (result == KST_OK)
            result = reader.U16(type);
        if (result == KST_OK)
            result = reader.U16(fieldLength);
        if (result == KST_OK)
            result = reader.U16(precision);
        if (result == KST_OK && m_version >= 105)
            result = reader.String(unit);
        if (result == KST_OK)
            result = reader.U16(extraBytes);
        if (result == KST_OK)
            result = reader.Skip(extraBytes);
        if (result != KST_OK) {
            return result;
        }
        if (direction == kInput || direction == kInputOutput) {
            const uint32_t size = UdbfTypeSize(type);
            if (size == 0) {
                return KST_ERR_BAD_DATA_TYPE;
            }
            recordSize += size;
        }
        m_names.push_back(name);
        m_directions.push_back(direction);
        m_types.push_back(type);
        m_precisions.push_back(precision);
        m_units.push_back(unit);
        m_factors.push_back(std::pow(10.0, -static_cast<double>(precision)));
        m_wanted.push_back(1);
    }
    m_variableCount = count;
    m_recordSize = recordSize;
    if (m_paired) {
        m_dataStart = 0;
        return KST_OK;
    }
    // Records begin at the first multiple of 16 at least 8 bytes past the header, whatever the
    // padding holds.
    CKSTDataFile& stream = Description();
    const int64_t headerEnd = stream.Tell();
    const int64_t start = (headerEnd + 8 + 15) / 16 * 16;
    if (headerEnd < 0 || start > stream.GetSize()) {
        return KST_ERR_BAD_HEADER;
    }
    m_dataStart = start;
    return KST_OK;
}

// --- Variables and channel descriptions ---

int CKSTUdbfFile::GetVariableCount(int& count) const
{
    if (!Description().IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    count = static_cast<int>(m_variableCount);
    return KST_OK;
}

int CKSTUdbfFile::GetVariableInfo(int index, CKSTString& name, CKSTString& unit,
                                  uint16_t& direction, uint16_t& dataType,
                                  uint16_t& precision) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_names.size()) {
        return KST_ERR_VARIABLE_INDEX;
    }
    const size_t i = static_cast<size_t>(index);
    name = m_names[i];
    unit = m_units[i];
    direction = m_directions[i];
    dataType = m_types[i];
    precision = m_precisions[i];
    return KST_OK;
}

bool CKSTUdbfFile::IsChannelWanted(const CKSTChannelList* selection, const CKSTString& name)
{
    if (selection == nullptr || selection->GetCount() == 0) {
        return true;
    }
    for (int i = 0; i < selection->GetCount(); ++i) {
        const CKSTChannel* channel = selection->GetAt(i);
        if (channel != nullptr && channel->GetName() == name) {
            return channel->IsSelected();
        }
    }
    return false;
}

int CKSTUdbfFile::ReadChannelInfo(CKSTChannelList& channels)
{
    if (!Description().IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (m_variableCount == 0) {
        return KST_ERR_BAD_HEADER;
    }
    const double interval = HasTimeStamps()      ? m_secondFactor
                            : m_sampleRate > 0.0 ? 1.0 / m_sampleRate
                                                 : 1.0;
    int used = 0;
    for (uint32_t v = 0; v < m_variableCount; ++v) {
        if (m_directions[v] != kInput && m_directions[v] != kInputOutput) {
            continue;
        }
        CKSTChannel* channel = channels.GetAt(used);
        if (channel == nullptr) {
            channel = channels.GetAt(channels.AddNew());
        } else {
            channel->Reset();
        }
        ++used;
        channel->SetName(m_names[v]);
        channel->SetUnit(m_units[v]);
        channel->SetTimeUnit("s");
        channel->SetStartTimeStamp(DaysToStamp(m_startTime * m_dayFactor));
        channel->SetDt(interval);
        channel->SetSampleType(SampleClassOf(m_types[v]));
    }
    return KST_OK;
}

// --- Records ---

int CKSTUdbfFile::Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool)
{
    dataSet.Clear(false);
    const int result =
        ReadData(dataSet.GetChannels(), selection, 0, nullptr, nullptr, false, -1.0, 0);
    if (result == KST_OK) {
        dataSet.SetName(m_data.GetPath());
    }
    return result;
}

int CKSTUdbfFile::ReadDataSet(CKSTDataSet& dataSet, const CKSTChannelList* selection,
                              bool textFlag, const CKSTTextFormat*)
{
    return Read(dataSet, selection, textFlag);
}

int CKSTUdbfFile::ReadChannelList(CKSTChannelList& list, const CKSTTextFormat*)
{
    CKSTChannelList channels;
    const int result = ReadChannelInfo(channels);
    if (result == KST_OK) {
        list.CopyDeep(channels);
    }
    return result;
}

double CKSTUdbfFile::GetInterval() const
{
    return m_sampleRate > 0.0 ? 1.0 / m_sampleRate : 0.0;
}

double CKSTUdbfFile::BaseDays(double startReference, int64_t rawReference) const
{
    const bool referenced = startReference >= 0.0 || rawReference != 0;
    const double days =
        referenced && startReference >= 0.0 ? startReference : m_startTime * m_dayFactor;
    return std::isfinite(days) ? days : 0.0;
}

int CKSTUdbfFile::ReadData(CKSTChannelList& channels, const CKSTChannelList* selection,
                           uint32_t capacityHint, double* firstTime, int64_t* rawOrigin,
                           bool keepTimeVectors, double startReference, int64_t rawReference)
{
    if (!Description().IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (m_variableCount == 0 || m_recordSize == 0) {
        return KST_ERR_BAD_HEADER;
    }
    std::fill(m_wanted.begin(), m_wanted.end(), 1);
    const double interval = GetInterval();
    const bool onGrid = !keepTimeVectors && interval > 0.0;
    const int first = channels.GetCount();
    std::vector<CKSTChannel*> targets;
    for (uint32_t v = 0; v < m_variableCount; ++v) {
        if (m_directions[v] != kInput && m_directions[v] != kInputOutput) {
            continue;
        }
        CKSTChannel* channel = nullptr;
        if (IsChannelWanted(selection, m_names[v])) {
            channel = channels.GetAt(channels.AddNew());
            // Channels that are to end equidistant start so: a sample off the grid still turns
            // one into a time vector, and no time array is filled only to be dropped.
            channel->SetTimeBaseType(onGrid ? CKSTChannel::kEquidistant : CKSTChannel::kTimeVector);
            channel->SetGrowthStep(capacityHint);
            channel->SetTimeUnit("s");
            channel->SetStartTimeStamp(DaysToStamp(BaseDays(startReference, rawReference)));
            channel->SetName(m_names[v]);
            channel->SetUnit(m_units[v]);
            if (interval > 0.0) {
                channel->SetDt(interval);
            }
            channel->SetSampleType(SampleClassOf(m_types[v]));
        } else {
            m_wanted[v] = 0;
        }
        targets.push_back(channel);
    }
    const int result = AppendRecords(targets, firstTime, rawOrigin, startReference, rawReference);
    if (result != KST_OK) {
        return result;
    }
    for (int i = first; i < channels.GetCount(); ++i) {
        if (!keepTimeVectors) {
            channels.GetAt(i)->ConvertToEquidistant(false, true);
        }
    }
    channels.MakeUniqueNames();
    return KST_OK;
}

// One call of AppendRecords: where the channels' values lie in a record, the times of the
// records, and how many records from the first lie on the channels' grid.
class CKSTUdbfFile::RecordAppender {
public:
    RecordAppender(CKSTUdbfFile& file, const std::vector<CKSTChannel*>& channels,
                   double* firstTime, int64_t* rawOrigin, double startReference,
                   int64_t rawReference);
    void Run();

private:
    struct Slot {
        uint32_t offset;
        uint16_t type;
        CKSTChannel* channel;
        uint32_t before;
    };

    RecordClock::Scale ClockScale() const;
    void PlanSlots(const std::vector<CKSTChannel*>& channels);
    void ReserveRoom();
    double StampOf(const uint8_t* record) const
    {
        return m_stamps ? DecodeValue(record, m_stampType, m_file.m_bigEndian) : 0.0;
    }
    double PlaceFirst(double raw);
    double NextTime(double raw) { return m_clock.GetIndex() == 0 ? PlaceFirst(raw) : m_clock.Next(raw); }
    bool OnLeadGrid(const double* raw, uint32_t n);
    void CountOnGrid();
    bool DecodeOnGrid();
    void AppendRest();

    CKSTUdbfFile& m_file;
    CKSTFormatStream& m_data;
    const uint32_t m_recordSize;
    double* const m_firstTime;
    int64_t* const m_rawOrigin;
    const int64_t m_rawReference;
    const bool m_stamps;
    const bool m_dayCounts;
    const double m_interval;
    const bool m_referenced;
    const double m_baseDays;
    // Counters of 32 bits wrap; wider ones and floats do not. A counter's stamp is read unsigned.
    const bool m_counter;
    const uint16_t m_stampType;
    const uint64_t m_start;
    RecordClock m_clock;
    std::vector<Slot> m_slots;
    uint64_t m_records = 0;
    bool m_fresh = false;
    // Records from the first on that lie on the lead channel's grid, and the time of the first
    // that does not.
    uint64_t m_onGrid = 0;
    bool m_offGrid = false;
    double m_offGridTime = 0.0;
};

CKSTUdbfFile::RecordAppender::RecordAppender(CKSTUdbfFile& file,
                                             const std::vector<CKSTChannel*>& channels,
                                             double* firstTime, int64_t* rawOrigin,
                                             double startReference, int64_t rawReference)
    : m_file(file),
      m_data(file.m_data),
      m_recordSize(file.m_recordSize),
      m_firstTime(firstTime),
      m_rawOrigin(rawOrigin),
      m_rawReference(rawReference),
      m_stamps(file.HasTimeStamps()),
      m_dayCounts(m_stamps && std::fabs(file.m_secondFactor - KST_SECONDS_PER_DAY) < 0.001),
      m_interval(file.GetInterval()),
      m_referenced(startReference >= 0.0 || rawReference != 0),
      m_baseDays(file.BaseDays(startReference, rawReference)),
      m_counter(IsCounter32(file.m_timeType)),
      m_stampType(m_counter ? uint16_t{7} : file.m_timeType),
      m_start(static_cast<uint64_t>(file.m_dataStart)),
      m_clock(ClockScale())
{
    PlanSlots(channels);
    ReserveRoom();
}

RecordClock::Scale CKSTUdbfFile::RecordAppender::ClockScale() const
{
    const double step = m_stamps ? m_file.m_secondFactor : m_interval > 0.0 ? m_interval : 1.0;
    const double tolerance = std::max(m_interval * 0.1, 2e-6);
    return {m_stamps, m_counter, m_referenced, step, m_interval, tolerance};
}

void CKSTUdbfFile::RecordAppender::PlanSlots(const std::vector<CKSTChannel*>& channels)
{
    uint32_t offset = m_stamps ? UdbfTypeSize(m_file.m_timeType) : 0;
    size_t input = 0;
    for (uint32_t v = 0; v < m_file.m_variableCount; ++v) {
        if (m_file.m_directions[v] != kInput && m_file.m_directions[v] != kInputOutput) {
            continue;
        }
        CKSTChannel* channel = input < channels.size() ? channels[input] : nullptr;
        ++input;
        if (channel != nullptr) {
            m_slots.push_back({offset, m_file.m_types[v], channel, channel->GetCount()});
        }
        offset += UdbfTypeSize(m_file.m_types[v]);
    }
}

void CKSTUdbfFile::RecordAppender::ReserveRoom()
{
    if (m_data.IsOpen() && m_data.Seek(m_file.m_dataStart, SEEK_SET) >= 0) {
        m_records = static_cast<uint64_t>(StreamRemaining(m_data)) / m_recordSize;
    }
    // Every sample the data can describe, and no more.
    m_records = std::min<uint64_t>(m_records, 0xFFFFFFFEu);
    for (const Slot& slot : m_slots) {
        const uint64_t needed = std::min<uint64_t>(slot.before + m_records, 0xFFFFFFFFu);
        if (m_records > 0 && slot.channel->GetCapacity() < needed) {
            m_fresh = true;
            slot.channel->Reserve(static_cast<uint32_t>(needed));
        }
    }
}

// The first record also places the channels that are still empty.
double CKSTUdbfFile::RecordAppender::PlaceFirst(double raw)
{
    if (m_stamps) {
        if (m_firstTime != nullptr) {
            *m_firstTime = raw;
        }
        if (m_rawOrigin != nullptr) {
            *m_rawOrigin =
                std::isfinite(raw) ? static_cast<int64_t>(std::clamp(raw, -9.2e18, 9.2e18)) : 0;
        }
    }
    const double origin = m_stamps && m_rawReference == 0 ? raw : static_cast<double>(m_rawReference);
    const double time = m_clock.First(raw, origin);
    for (const Slot& slot : m_slots) {
        CKSTChannel& channel = *slot.channel;
        if (channel.GetCount() != 0) {
            continue;
        }
        if (m_stamps && !m_referenced) {
            // Day-count stamps carry the date themselves.
            channel.SetStartTimeStamp(DaysToStamp(m_dayCounts ? m_baseDays + origin : m_baseDays));
        }
        if (m_interval > 0.0 && channel.GetTimeBaseType() == CKSTChannel::kEquidistant) {
            channel.SetT0(time);
        }
    }
    return time;
}

// The next n records' times from their stamps, counted while they lie on the grid.
bool CKSTUdbfFile::RecordAppender::OnLeadGrid(const double* raw, uint32_t n)
{
    if (n == 0) {
        return true;
    }
    const CKSTChannel* lead = m_slots.front().channel;
    double time = NextTime(raw[0]);
    const uint32_t before = m_slots.front().before;
    for (uint32_t r = 1;; ++r) {
        if (!lead->IsOnGrid(static_cast<uint32_t>(before + m_onGrid), time)) {
            m_offGridTime = time;
            return false;
        }
        ++m_onGrid;
        if (r == n) {
            return true;
        }
        time = m_clock.Next(raw[r]);
    }
}

// Every channel has the same time base, so the lead channel tells how many records from the
// first on lie on all their grids.
void CKSTUdbfFile::RecordAppender::CountOnGrid()
{
    if (m_slots.empty() || m_slots.front().channel->GetTimeBaseType() != CKSTChannel::kEquidistant) {
        return;
    }
    std::vector<double> block;
    if (m_stamps) {
        KstDecodeRun(m_data, m_start, m_records, UdbfTypeSize(m_file.m_timeType), m_recordSize,
                     kKstInOrder, [&](const uint8_t* raw, uint64_t, uint32_t n) {
                         if (!m_offGrid) {
                             block.resize(n);
                             DecodeColumn(raw, m_recordSize, m_stampType, m_file.m_bigEndian,
                                          block.data(), n);
                             m_offGrid = !OnLeadGrid(block.data(), n);
                         }
                     });
        return;
    }
    // Without stamps the times need no bytes of the records.
    block.resize(static_cast<size_t>(std::min<uint64_t>(m_records, 1 << 16)));
    for (uint64_t done = 0; done < m_records && !m_offGrid;) {
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(block.size(), m_records - done));
        m_offGrid = !OnLeadGrid(block.data(), n);
        done += n;
    }
}

// The records on the grid go into the channels column by column, split over threads for a long
// run into fresh arrays. False when the data ended before them.
bool CKSTUdbfFile::RecordAppender::DecodeOnGrid()
{
    if (m_onGrid == 0) {
        return true;
    }
    std::vector<double*> outs;
    for (const Slot& slot : m_slots) {
        outs.push_back(KstAppendRoom(*slot.channel, static_cast<uint32_t>(m_onGrid)));
    }
    const size_t grain = KstDecodeGrain(m_fresh, m_onGrid, m_slots.size());
    const uint64_t got =
        KstDecodeRun(m_data, m_start, m_onGrid, m_recordSize, m_recordSize, grain,
                     [&](const uint8_t* raw, uint64_t first, uint32_t n) {
                         for (size_t s = 0; s < m_slots.size(); ++s) {
                             DecodeColumn(raw + m_slots[s].offset, m_recordSize, m_slots[s].type,
                                          m_file.m_bigEndian, outs[s] + first, n);
                         }
                     });
    if (got < m_onGrid) {
        for (const Slot& slot : m_slots) {
            KstKeepSamples(*slot.channel, slot.before + static_cast<uint32_t>(got));
        }
        return false;
    }
    return true;
}

// The records from the first one off the grid on take their samples one by one.
void CKSTUdbfFile::RecordAppender::AppendRest()
{
    // Without channels only the first record matters, for its time.
    const uint64_t rest = m_slots.empty() ? std::min<uint64_t>(m_records, 1) : m_records - m_onGrid;
    KstDecodeRun(m_data, m_start + m_onGrid * m_recordSize, rest, m_recordSize, m_recordSize,
                 kKstInOrder, [&](const uint8_t* raw, uint64_t first, uint32_t n) {
                     for (uint32_t r = 0; r < n; ++r) {
                         const uint8_t* record = raw + static_cast<size_t>(r) * m_recordSize;
                         const double time = m_offGrid && first + r == 0
                                                 ? m_offGridTime
                                                 : NextTime(StampOf(record));
                         for (const Slot& slot : m_slots) {
                             slot.channel->AppendTimeValue(
                                 time, DecodeValue(record + slot.offset, slot.type,
                                                   m_file.m_bigEndian));
                         }
                     }
                 });
}

void CKSTUdbfFile::RecordAppender::Run()
{
    CountOnGrid();
    if (DecodeOnGrid()) {
        AppendRest();
    }
}

int CKSTUdbfFile::AppendRecords(const std::vector<CKSTChannel*>& channels, double* firstTime,
                                int64_t* rawOrigin, double startReference, int64_t rawReference)
{
    if (!Description().IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (m_variableCount == 0 || m_recordSize == 0) {
        return KST_ERR_BAD_HEADER;
    }
    RecordAppender appender(*this, channels, firstTime, rawOrigin, startReference, rawReference);
    appender.Run();
    return KST_OK;
}
