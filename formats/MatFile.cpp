#include "formats/MatFile.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "formats/ByteStream.h"
#include "foundation/MappedFile.h"
#include "foundation/ErrorCodes.h"

namespace {

// Element data types.
constexpr uint32_t miINT8 = 1;
constexpr uint32_t miUINT8 = 2;
constexpr uint32_t miINT16 = 3;
constexpr uint32_t miUINT16 = 4;
constexpr uint32_t miINT32 = 5;
constexpr uint32_t miUINT32 = 6;
constexpr uint32_t miSINGLE = 7;
constexpr uint32_t miDOUBLE = 9;
constexpr uint32_t miINT64 = 12;
constexpr uint32_t miUINT64 = 13;
constexpr uint32_t miMATRIX = 14;

// Array classes.
constexpr uint8_t mxCELL = 1;
constexpr uint8_t mxSTRUCT = 2;
constexpr uint8_t mxOBJECT = 3;
constexpr uint8_t mxCHAR = 4;
constexpr uint8_t mxSPARSE = 5;
constexpr uint8_t mxDOUBLE = 6;
constexpr uint8_t mxUINT32 = 13;

constexpr size_t kHeaderTextSize = 116;
constexpr size_t kHeaderSize = 128;
// Cells and structures inside each other deeper than this are not followed.
constexpr int kMaxDepth = 32;
// Separates a field name from the name of its structure in the names passed down.
constexpr char kFieldSeparator = 29;
constexpr size_t kMaxVariableName = 63;

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

uint64_t Pad8(uint64_t n)
{
    return (n + 7) & ~uint64_t{7};
}

uint32_t DataTypeSize(uint32_t type)
{
    switch (type) {
        case miINT8:
        case miUINT8:
            return 1;
        case miINT16:
        case miUINT16:
            return 2;
        case miINT32:
        case miUINT32:
        case miSINGLE:
            return 4;
        case miDOUBLE:
        case miINT64:
        case miUINT64:
            return 8;
        default:
            return 0;
    }
}

// n stored elements of one numeric type, `stride` bytes apart, widened into out; true when one
// of them is NaN.
bool WidenElements(const uint8_t* p, uint32_t type, bool swap, size_t stride, double* out,
                   uint32_t n)
{
    switch (type) {
        case miINT8:
            KstWidenRun<int8_t>(p, stride, swap, out, n);
            return false;
        case miUINT8:
            KstWidenRun<uint8_t>(p, stride, swap, out, n);
            return false;
        case miINT16:
            KstWidenRun<int16_t>(p, stride, swap, out, n);
            return false;
        case miUINT16:
            KstWidenRun<uint16_t>(p, stride, swap, out, n);
            return false;
        case miINT32:
            KstWidenRun<int32_t>(p, stride, swap, out, n);
            return false;
        case miUINT32:
            KstWidenRun<uint32_t>(p, stride, swap, out, n);
            return false;
        case miINT64:
            KstWidenRun<int64_t>(p, stride, swap, out, n);
            return false;
        case miUINT64:
            KstWidenRun<uint64_t>(p, stride, swap, out, n);
            return false;
        case miSINGLE:
            KstWidenRun<float>(p, stride, swap, out, n);
            break;
        default:
            KstWidenRun<double>(p, stride, swap, out, n);
            break;
    }
    bool nan = false;
    for (uint32_t i = 0; i < n; ++i) {
        nan |= std::isnan(out[i]);
    }
    return nan;
}

// The channel's samples from index `from` on again, each NaN among them a missing sample of value
// 0.
void MarkNaNMissing(CKSTChannel& channel, uint32_t from)
{
    const double* values = channel.GetValues();
    const std::vector<double> run(values + from, values + channel.GetCount());
    KstKeepSamples(channel, from);
    channel.SetCapacity(from + static_cast<uint32_t>(run.size()));
    for (size_t i = 0; i < run.size();) {
        size_t end = i;
        while (end < run.size() && std::isnan(run[end]) == std::isnan(run[i])) {
            ++end;
        }
        const uint32_t n = static_cast<uint32_t>(end - i);
        if (std::isnan(run[i])) {
            channel.AppendMissing(n);
        } else {
            channel.AppendDecoded(n, [&](double* out) {
                std::memcpy(out, run.data() + i, size_t{n} * sizeof(double));
            });
        }
        i = end;
    }
}

bool ParseInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

std::vector<std::string> SplitBlanks(const std::string& text)
{
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
            ++i;
        }
        size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t' && text[j] != '\0') {
            ++j;
        }
        if (j > i) {
            tokens.emplace_back(text, i, j - i);
        }
        if (j < text.size() && text[j] == '\0') {
            break;
        }
        i = j;
    }
    return tokens;
}

// The smallest r with r x r >= n.
uint64_t CeilSqrt(uint64_t n)
{
    uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(n)));
    while (r * r < n) {
        ++r;
    }
    while (r > 0 && (r - 1) * (r - 1) >= n) {
        --r;
    }
    return r;
}

CKSTString BaseName(const CKSTString& name)
{
    const int at = name.Find(kFieldSeparator);
    return at < 0 ? name : name.Left(at);
}

CKSTString ParentName(const CKSTString& name)
{
    const int at = name.Find(kFieldSeparator);
    return at < 0 ? name : name.Mid(at + 1);
}

}  // namespace

// A data element's tag: type and byte count; a small element holds its data in the tag's
// second word, which `small` marks.
struct CKSTMatFile::Tag {
    uint32_t type = 0;
    uint32_t count = 0;
    bool small = false;
    uint64_t dataStart = 0;

    // False when the tag does not fit before end.
    bool Read(CKSTByteReader& in, uint64_t end)
    {
        uint32_t first = 0;
        if (in.GetPosition() + 4 > end || !in.ReadU32(first)) {
            return false;
        }
        if ((first >> 16) != 0) {
            small = true;
            type = first & 0xFFFF;
            count = first >> 16;
            dataStart = in.GetPosition();
            return count <= 4 && dataStart + 4 <= end;
        }
        small = false;
        type = first;
        if (in.GetPosition() + 4 > end || !in.ReadU32(count)) {
            return false;
        }
        dataStart = in.GetPosition();
        return true;
    }
    // Where the data and its padding end, clamped to end.
    uint64_t DataEnd(uint64_t end) const
    {
        return std::min(dataStart + (small ? 4 : Pad8(count)), end);
    }
};

CKSTMatFile::CKSTMatFile() : CKSTStreamFormatFile(6) {}

void CKSTMatFile::Reset()
{
    m_headerText.Empty();
    m_subsystem.Empty();
    m_version = 0;
    m_swap = false;
}

int CKSTMatFile::ReadHead(const CKSTString& path)
{
    CKSTString lower = path;
    lower.MakeLower();
    m_figure = lower.GetLength() >= 3 && lower.Right(3) == "fig";
    char head[kHeaderSize];
    const uint32_t got = m_stream.Read(head, kHeaderSize);
    if (got < 6 || std::memcmp(head, "MATLAB", 6) != 0) {
        return KST_ERR_NOT_MAT;
    }
    if (got < kHeaderSize) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    m_headerText.Assign(head, static_cast<int>(kHeaderTextSize));
    m_subsystem.Assign(head + kHeaderTextSize, 8);
    m_fileTime = m_stream.GetWriteTime();
    CKSTTimeStamp created;
    if (ParseHeaderDate(m_headerText, created)) {
        m_fileTime = created;
    }
    if (head[126] == 'I' && head[127] == 'M') {
        m_swap = false;
    } else if (head[126] == 'M' && head[127] == 'I') {
        m_swap = true;
    } else {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    uint16_t version;
    std::memcpy(&version, head + 124, 2);
    m_version = m_swap ? static_cast<uint16_t>(version << 8 | version >> 8) : version;
    return KST_OK;
}

bool CKSTMatFile::ParseHeaderDate(const CKSTString& header, CKSTTimeStamp& stamp)
{
    const std::string text(header.c_str(), static_cast<size_t>(header.GetLength()));
    static const char kCreated[] = "Created on: ";
    const size_t at = text.find(kCreated);
    if (at == std::string::npos) {
        return false;
    }
    const std::vector<std::string> tokens = SplitBlanks(text.substr(at + sizeof kCreated - 1));
    if (tokens.size() < 5) {
        return false;
    }
    int month = 0;
    for (int m = 0; m < 12; ++m) {
        if (tokens[1] == kMonths[m]) {
            month = m + 1;
        }
    }
    int day, hour, minute, second, year;
    const std::string& time = tokens[3];
    const size_t c1 = time.find(':');
    const size_t c2 = c1 == std::string::npos ? c1 : time.find(':', c1 + 1);
    if (month == 0 || c2 == std::string::npos || !ParseInt(tokens[2], day) ||
        !ParseInt(time.substr(0, c1), hour) ||
        !ParseInt(time.substr(c1 + 1, c2 - c1 - 1), minute) ||
        !ParseInt(time.substr(c2 + 1), second) || !ParseInt(tokens[4], year) ||
        !IsValidDateTime(year, month, day, hour, minute, second)) {
        return false;
    }
    stamp.SetDateTime(year, month, day, hour, minute, second);
    return true;
}

CKSTString CKSTMatFile::FormatHeaderDate(const CKSTTimeStamp& stamp)
{
    std::string text = kWeekdays[std::clamp<int>(stamp.GetDayOfWeek(), 0, 6)];
    text += ' ';
    text += kMonths[std::clamp<int>(stamp.GetMonth(), 1, 12) - 1];
    const int numbers[] = {stamp.GetDay(), stamp.GetHour(), stamp.GetMinute(), stamp.GetSecond(),
                           stamp.GetYear()};
    const char separators[] = {' ', ' ', ':', ':', ' '};
    for (int i = 0; i < 5; ++i) {
        char digits[16];
        const auto result = std::to_chars(digits, digits + sizeof digits, numbers[i]);
        text += separators[i];
        text.append(digits, result.ptr);
    }
    return CKSTString(text.c_str());
}

CKSTString CKSTMatFile::MakeVariableName(const CKSTString& name, std::set<std::string>& used)
{
    std::string base;
    for (int i = 0; i < name.GetLength(); ++i) {
        const char c = name[i];
        const bool valid =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        base += valid ? c : '_';
    }
    if (base.empty() ||
        !((base[0] >= 'a' && base[0] <= 'z') || (base[0] >= 'A' && base[0] <= 'Z'))) {
        base.insert(0, "x");
    }
    base.resize(std::min(base.size(), kMaxVariableName));
    std::string candidate = base;
    for (int k = 2; used.count(candidate) != 0; ++k) {
        const std::string suffix = "_" + std::to_string(k);
        candidate = base.substr(0, kMaxVariableName - suffix.size()) + suffix;
    }
    used.insert(candidate);
    return CKSTString(candidate.c_str());
}

// --- Reading ---

int CKSTMatFile::Read(CKSTDataSet& dataSet, const CKSTChannelList*, bool)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    dataSet.Clear(false);
    const int result = ReadChannels(dataSet.GetChannels());
    dataSet.GetHeader().Clear();
    dataSet.SetName(m_stream.GetPath());
    return result;
}

int CKSTMatFile::ReadChannels(CKSTChannelList& channels)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    channels.DeleteAll();
    if (m_stream.Seek(kHeaderSize, SEEK_SET) < 0) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    // The elements are parsed where their bytes lie, in the image's own buffer or a view of the
    // file, instead of being copied into a buffer element by element first.
    CKSTMappedFile mapped;
    const uint8_t* view = nullptr;
    const int64_t size = m_stream.GetSize();
    if (m_stream.IsInMemory()) {
        view = m_stream.GetMemoryBuffer().GetData();
    } else if (size > 0 && mapped.Map(m_stream.GetFile(), static_cast<size_t>(size))) {
        view = reinterpret_cast<const uint8_t*>(mapped.GetData());
    }
    CKSTByteReader in(m_stream, view);
    in.SetSwap(m_swap);
    int result = KST_OK;
    // Writers leave out the padding after the last element, so a tail shorter than a tag ends
    // the walk.
    while (in.Remaining() >= 8) {
        Tag tag;
        if (!tag.Read(in, in.GetSize()) || tag.small || tag.type != miMATRIX) {
            // Compressed elements (type 15) among them.
            result = KST_ERR_MAT_UNSUPPORTED;
            break;
        }
        const uint64_t end = std::min(in.GetPosition() + tag.count, in.GetSize());
        m_matrixCounter = 0;
        m_lastX = XDataChannel();
        result = ReadMatrix(in, end, CKSTString(), 0, channels);
        if (result != KST_OK) {
            break;
        }
        in.SeekTo(Pad8(end - kHeaderSize) + kHeaderSize);
    }
    channels.MakeUniqueNames();
    return result;
}

int CKSTMatFile::ReadMatrix(CKSTByteReader& in, uint64_t end, const CKSTString& name, int depth,
                            CKSTChannelList& channels)
{
    if (depth > kMaxDepth) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    // An empty matrix element (count 0) is an empty array.
    if (in.GetPosition() >= end) {
        return KST_OK;
    }
    Tag tag;
    uint32_t flags = 0;
    if (!tag.Read(in, end) || tag.count < 8 || !in.ReadU32(flags)) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    const uint8_t arrayClass = static_cast<uint8_t>(flags & 0xFF);
    in.SeekTo(tag.DataEnd(end));

    // Dimensions: exactly two.
    Tag dims;
    uint32_t rows = 0;
    uint32_t columns = 0;
    if (!dims.Read(in, end) || dims.count != 8 || !in.ReadU32(rows) || !in.ReadU32(columns)) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    if (in.GetPosition() > end) {
        return KST_ERR_MAT_UNSUPPORTED;
    }

    // Array name; an empty one takes the parent's.
    Tag nameTag;
    if (!nameTag.Read(in, end)) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    const uint64_t nameEnd = nameTag.DataEnd(end);
    const uint32_t nameLength =
        static_cast<uint32_t>(std::min<uint64_t>(nameTag.count, nameEnd - in.GetPosition()));
    std::string text(nameLength, '\0');
    if (nameLength > 0 && !in.Read(&text[0], nameLength)) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    text.resize(std::strlen(text.c_str()));
    const CKSTString matrixName = text.empty() ? name : CKSTString(text.c_str());
    in.SeekTo(nameEnd);

    int result = KST_OK;
    const uint64_t elements = static_cast<uint64_t>(rows) * columns;
    switch (arrayClass) {
        case mxCELL:
            for (uint64_t i = 0; i < elements && end - in.GetPosition() >= 8; ++i) {
                Tag cell;
                if (!cell.Read(in, end) || cell.small || cell.type != miMATRIX) {
                    return KST_ERR_MAT_UNSUPPORTED;
                }
                const uint64_t cellEnd = std::min(in.GetPosition() + cell.count, end);
                result = ReadMatrix(in, cellEnd, matrixName, depth + 1, channels);
                if (result != KST_OK) {
                    return result;
                }
                in.SeekTo(cellEnd);
            }
            break;
        case mxOBJECT: {
            Tag className;
            if (!className.Read(in, end)) {
                return KST_ERR_MAT_UNSUPPORTED;
            }
            in.SeekTo(className.DataEnd(end));
            result = ReadFields(in, end, matrixName, elements, depth, channels);
            break;
        }
        case mxSTRUCT:
            result = ReadFields(in, end, matrixName, elements, depth, channels);
            break;
        case mxCHAR:
        case mxSPARSE:
            break;
        default:
            if (arrayClass < mxDOUBLE || arrayClass > mxUINT32) {
                return KST_ERR_MAT_UNSUPPORTED;
            }
            result = ReadNumeric(in, end, matrixName, rows, columns, channels);
            break;
    }
    in.SeekTo(end);
    return result;
}

int CKSTMatFile::ReadFields(CKSTByteReader& in, uint64_t end, const CKSTString& name,
                            uint64_t elements, int depth, CKSTChannelList& channels)
{
    Tag lengthTag;
    uint32_t fieldLength = 0;
    if (!lengthTag.Read(in, end) || lengthTag.count < 4 || !in.ReadU32(fieldLength)) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    in.SeekTo(lengthTag.DataEnd(end));
    Tag namesTag;
    if (!namesTag.Read(in, end)) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    const uint64_t namesEnd = namesTag.DataEnd(end);
    std::vector<CKSTString> fields;
    if (fieldLength > 0) {
        const uint64_t available = std::min<uint64_t>(namesTag.count, namesEnd - in.GetPosition());
        std::vector<char> names(static_cast<size_t>(available) + 1, '\0');
        if (available > 0 && !in.Read(names.data(), static_cast<size_t>(available))) {
            return KST_ERR_MAT_UNSUPPORTED;
        }
        for (uint64_t at = 0; at + fieldLength <= available; at += fieldLength) {
            std::string field(names.data() + at, fieldLength);
            field.resize(std::strlen(field.c_str()));
            fields.emplace_back(field.c_str());
        }
    }
    in.SeekTo(namesEnd);
    if (fields.empty()) {
        return KST_OK;
    }
    // A structure array stores its fields element by element.
    for (uint64_t e = 0; e < elements; ++e) {
        for (const CKSTString& field : fields) {
            if (end - in.GetPosition() < 8) {
                return KST_OK;
            }
            Tag value;
            if (!value.Read(in, end) || value.small || value.type != miMATRIX) {
                return KST_ERR_MAT_UNSUPPORTED;
            }
            const uint64_t valueEnd = std::min(in.GetPosition() + value.count, end);
            if (value.count > 0) {
                CKSTString fieldName = field;
                fieldName.AppendChar(kFieldSeparator);
                fieldName += name;
                const int result = ReadMatrix(in, valueEnd, fieldName, depth + 1, channels);
                if (result != KST_OK) {
                    return result;
                }
            }
            in.SeekTo(valueEnd);
        }
    }
    return KST_OK;
}

int CKSTMatFile::ReadNumeric(CKSTByteReader& in, uint64_t end, const CKSTString& name,
                             uint32_t rows, uint32_t columns, CKSTChannelList& channels)
{
    const CKSTString baseName = BaseName(name);
    if (m_figure && baseName != "XData" && baseName != "YData") {
        return KST_OK;
    }
    Tag real;
    if (!real.Read(in, end)) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    const uint32_t size = DataTypeSize(real.type);
    if (size == 0) {
        return KST_ERR_MAT_UNSUPPORTED;
    }
    // Only what the element holds within its parent is read.
    const uint64_t held = std::min<uint64_t>(real.count, end - in.GetPosition()) / size;
    const uint64_t total = std::min<uint64_t>(held, static_cast<uint64_t>(rows) * columns);
    if (total == 0) {
        return KST_OK;
    }
    // The channels run along the longer dimension; elements are stored column by column.
    const bool byColumns = rows >= columns;
    const uint32_t length = std::max(rows, columns);
    const uint32_t count = std::min(rows, columns);
    if (length > 0xFFFFFFF0u) {
        return KST_ERR_TOO_LARGE;
    }
    const int first = channels.GetCount();
    // A real part shorter than the matrix fills only the channels it reaches.
    uint64_t made = byColumns ? (total + length - 1) / length : std::min<uint64_t>(count, total);
    // A whole matrix stored across its channels has fewer channels than samples in each. Cut
    // short, it could make a channel per stored element: it keeps that shape instead, and the
    // elements of the rows it leaves out end the read with an error.
    const uint64_t shape = CeilSqrt(total);
    const bool cut = !byColumns && made > shape;
    if (cut) {
        made = shape;
    }
    for (uint32_t c = 0; c < made; ++c) {
        ++m_matrixCounter;
        CKSTChannel& channel = *channels.GetAt(channels.AddNew());
        channel.SetTimeBaseType(CKSTChannel::kEquidistant);
        channel.SetTimeUnit("s");
        channel.SetDt(1.0);
        channel.SetT0(0.0);
        channel.SetStartTimeStamp(m_fileTime);
        CKSTString channelName = baseName.IsEmpty() ? CKSTString("Channel") : baseName;
        if (count > 1) {
            channelName.AppendLong(static_cast<int32_t>(m_matrixCounter));
        }
        channel.SetName(channelName);
    }
    std::vector<CKSTChannel*> targets;
    for (int i = first; i < channels.GetCount(); ++i) {
        targets.push_back(channels.GetAt(i));
    }
    AppendMatrix(in, real.type, rows, columns, total, targets);
    if (targets.size() == 1) {
        PairXY(baseName, ParentName(name), channels);
    }
    return cut ? KST_ERR_END_OF_DATA : KST_OK;
}

uint64_t CKSTMatFile::AppendMatrix(CKSTByteReader& in, uint32_t type, uint32_t rows,
                                   uint32_t columns, uint64_t total,
                                   const std::vector<CKSTChannel*>& channels)
{
    const uint32_t size = DataTypeSize(type);
    const bool byColumns = rows >= columns;
    const uint32_t length = std::max(rows, columns);
    const uint32_t count = std::min(rows, columns);
    total = std::min(total, static_cast<uint64_t>(rows) * columns);
    if (size == 0 || total == 0 || channels.empty()) {
        return 0;
    }
    // Elements of channel c among the first n.
    auto share = [&](size_t c, uint64_t n) {
        if (byColumns) {
            return static_cast<uint32_t>(c * length < n ? std::min<uint64_t>(length, n - c * length)
                                                        : 0);
        }
        return static_cast<uint32_t>(c < n ? (n - c + count - 1) / count : 0);
    };
    const size_t made =
        std::min<size_t>(channels.size(), byColumns ? (total + length - 1) / length
                                                    : std::min<uint64_t>(count, total));
    total = std::min(total, byColumns ? uint64_t{length} * made : total);
    std::vector<uint32_t> shares(made);
    for (size_t c = 0; c < made; ++c) {
        shares[c] = share(c, total);
    }
    std::vector<uint32_t> before;
    std::vector<double*> outs;
    const bool fresh = KstAppendRooms(channels, shares, before, outs);
    std::vector<std::atomic<bool>> nan(made);
    const bool swap = in.IsSwapped();
    const uint64_t got = in.DecodeRun(
        total, size, size, KstDecodeGrain(fresh, total),
        [&](const uint8_t* raw, uint64_t first, uint32_t n) {
            // The block falls into runs of one channel each: stretches of a column, or every
            // count-th element of a matrix stored across its channels.
            if (byColumns) {
                for (uint32_t i = 0; i < n;) {
                    const uint64_t element = first + i;
                    const size_t c = static_cast<size_t>(element / length);
                    const uint32_t at = static_cast<uint32_t>(element % length);
                    const uint32_t run = std::min(n - i, length - at);
                    if (WidenElements(raw + size_t{i} * size, type, swap, size, outs[c] + at,
                                      run)) {
                        nan[c] = true;
                    }
                    i += run;
                }
                return;
            }
            for (uint32_t k = 0; k < count && k < n; ++k) {
                const uint64_t element = first + k;
                const size_t c = static_cast<size_t>(element % count);
                if (c < made &&
                    WidenElements(raw + size_t{k} * size, type, swap, size_t{count} * size,
                                  outs[c] + element / count, (n - k + count - 1) / count)) {
                    nan[c] = true;
                }
            }
        });
    for (size_t c = 0; c < made; ++c) {
        KstKeepSamples(*channels[c], before[c] + share(c, got));
        if (nan[c]) {
            MarkNaNMissing(*channels[c], before[c]);
        }
    }
    return got;
}

void CKSTMatFile::PairXY(const CKSTString& baseName, const CKSTString& parent,
                         CKSTChannelList& channels)
{
    const int last = channels.GetCount() - 1;
    if (baseName == "XData") {
        m_lastX.index = last;
        m_lastX.parent = parent;
        m_lastX.count = channels.GetAt(last)->GetCount();
        return;
    }
    if (baseName != "YData" || m_lastX.index < 0 || m_lastX.index >= last ||
        m_lastX.parent != parent || m_lastX.count != channels.GetAt(last)->GetCount()) {
        return;
    }
    const int xIndex = m_lastX.index;
    m_lastX = XDataChannel();
    CKSTChannel& y = *channels.GetAt(last);
    if (y.HasMissing()) {
        CKSTChannel& xy = *channels.GetAt(channels.AddNew());
        xy.MakeXYChannel(*channels.GetAt(xIndex), y);
        channels.RemoveAt(last);
    } else {
        // The same channel without a copy: the values of XData become the times of YData.
        y.ConvertToTimeVector(0.0);
        y.TakeTimes(*channels.GetAt(xIndex));
    }
    channels.RemoveAt(xIndex);
    CKSTChannel& xy = *channels.GetAt(last - 1);
    xy.SetName(parent);
    xy.SetStartTimeStamp(m_fileTime);
    xy.ConvertToEquidistant(false, false);
}

// --- Writing ---

int CKSTMatFile::Write(const CKSTDataSet& dataSet, const CKSTTextFormat*)
{
    return WriteChannels(dataSet.GetChannels(), false);
}

int CKSTMatFile::WriteChannels(const CKSTChannelList& channels, bool)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (channels.GetCount() == 0) {
        return KST_OK;
    }
    // The earliest start of the channels that are written.
    CKSTTimeStamp created;
    bool haveStart = false;
    for (int i = 0; i < channels.GetCount(); ++i) {
        const CKSTChannel& channel = *channels.GetAt(i);
        if (channel.GetCount() > 0 && (!haveStart || channel.GetStartTimeStamp() < created)) {
            created = channel.GetStartTimeStamp();
            haveStart = true;
        }
    }
    CKSTByteWriter out(m_stream);
    std::string header = "MATLAB 5.0 MAT-file, Platform: PCWIN, Created on: ";
    header += FormatHeaderDate(created).c_str();
    header.resize(124, ' ');
    out.Bytes(header.data(), header.size());
    out.U16(0x0100);
    out.Text("IM");

    std::set<std::string> used;
    for (int i = 0; i < channels.GetCount(); ++i) {
        const CKSTChannel& channel = *channels.GetAt(i);
        const uint32_t n = channel.GetCount();
        if (n == 0) {
            continue;
        }
        const CKSTString name = MakeVariableName(channel.GetName(), used);
        const uint64_t nameBytes = static_cast<uint64_t>(name.GetLength());
        // Tag, array flags, dimensions, empty name and the real part's tag, then the doubles.
        const uint64_t numericContent = 16 + 16 + 8 + 8 + uint64_t{n} * 8;
        const uint64_t structContent =
            16 + 16 + 8 + Pad8(nameBytes) + 8 + 8 + 16 + 2 * (8 + numericContent);
        if (structContent > UINT32_MAX) {
            return KST_ERR_TOO_LARGE;
        }
        out.U32(miMATRIX);
        out.U32(static_cast<uint32_t>(structContent));
        out.U32(miUINT32);
        out.U32(8);
        out.U32(mxSTRUCT);
        out.U32(0);
        out.U32(miINT32);
        out.U32(8);
        out.I32(1);
        out.I32(1);
        out.U32(miINT8);
        out.U32(static_cast<uint32_t>(nameBytes));
        out.Bytes(name.c_str(), static_cast<size_t>(nameBytes));
        out.Zeros(static_cast<size_t>(Pad8(nameBytes) - nameBytes));
        // Field name length as a small element, then the names.
        out.U16(miINT32);
        out.U16(4);
        out.U32(6);
        out.U32(miINT8);
        out.U32(12);
        out.Bytes("XData\0YData\0\0\0\0\0", 16);
        for (int field = 0; field < 2; ++field) {
            out.U32(miMATRIX);
            out.U32(static_cast<uint32_t>(numericContent));
            out.U32(miUINT32);
            out.U32(8);
            out.U32(mxDOUBLE);
            out.U32(0);
            out.U32(miINT32);
            out.U32(8);
            out.U32(n);
            out.I32(1);
            out.U32(miINT8);
            out.U32(0);
            out.U32(miDOUBLE);
            out.U32(n * 8u);
            if (field == 0) {
                for (uint32_t k = 0; k < n; ++k) {
                    out.F64(channel.GetTimeAt(k));
                }
            } else {
                out.Bytes(channel.GetValues(), size_t{n} * 8);
            }
        }
    }
    return out.Finish();
}
