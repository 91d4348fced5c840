// Writing FAMOS files (version 2): the head, a group key per channel group, the keys of each
// channel, one data key with all samples, and text keys for the header entries.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "data/IntegerScaling.h"
#include "formats/FamosFile.h"
#include "foundation/ErrorCodes.h"

namespace {

constexpr size_t kWriteChunk = 64 * 1024;

// The fields of a key joined by commas.
class FieldText {
public:
    FieldText& Add(int64_t value)
    {
        Separate();
        m_text.AppendInt64(value);
        return *this;
    }
    // The shortest text that reads back as the same double: "%.6G" loses an offset of
    // 100000.5 and milliseconds of a t0 like 1234.5678 s.
    FieldText& Add(double value)
    {
        Separate();
        char digits[64];
        const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits - 1, value);
        *r.ptr = '\0';
        m_text += digits;
        return *this;
    }
    FieldText& Add(const CKSTString& text)
    {
        Separate();
        m_text += text;
        return *this;
    }
    // A length field and its text.
    FieldText& AddText(const CKSTString& text)
    {
        return Add(static_cast<int64_t>(text.GetLength())).Add(text);
    }
    FieldText& AddEmpty()
    {
        Separate();
        return *this;
    }
    const CKSTString& Text() const { return m_text; }

private:
    void Separate()
    {
        if (m_fields++ > 0) {
            m_text += ',';
        }
    }

    CKSTString m_text;
    int m_fields = 0;
};

struct StorageLayout {
    uint16_t storageType;
    const char* componentKey;
    const char* packing;
    uint32_t bytes;
};

const StorageLayout& LayoutOf(uint16_t storageType)
{
    static const StorageLayout kLayouts[] = {
        {0, "|CC,1,3,1,2;\r\n", ",2,11,16,0,0,1,0", 2},
        {2, "|CC,1,3,1,1;\r\n", ",2,3,16,0,0,1,0", 2},
        {3, "|CC,1,3,1,1;\r\n", ",4,5,32,0,0,1,0", 4},
        {4, "|CC,1,3,1,1;\r\n", ",4,7,32,0,0,1,0", 4},
        {5, "|CC,1,3,1,1;\r\n", ",8,8,64,0,0,1,0", 8},
    };
    for (const StorageLayout& layout : kLayouts) {
        if (layout.storageType == storageType) {
            return layout;
        }
    }
    return kLayouts[4];
}

uint16_t ChooseStorage(const CKSTChannel& channel, double& factor, double& offset)
{
    factor = 1.0;
    offset = 0.0;
    const uint16_t requested = channel.GetStoredSampleType();
    if (requested == 0) {
        return 0;
    }
    double scale = 1.0;
    double origin = 0.0;
    uint32_t levels = 0;
    if (!channel.GetIntegerScaling(scale, origin, levels, 0, channel.GetCount())) {
        return requested == 4 ? 4 : 5;
    }
    factor = scale;
    if (std::fabs(origin) < 1e-34) {
        origin = 0.0;
    }
    offset = std::clamp(origin, -1e34, 1e34);
    return levels - 1 > 65535 ? 3 : 2;
}

template <class T>
void Put(std::vector<uint8_t>& out, T value)
{
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));  // both targets are little-endian, as the file is
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

float ToFloat(double v)
{
    if (std::isnan(v)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return static_cast<float>(std::clamp<double>(v, -std::numeric_limits<float>::max(),
                                                 std::numeric_limits<float>::max()));
}

// Codes outside what the number format can hold are clamped into it.
void PutValue(std::vector<uint8_t>& out, uint16_t storageType, double factor, double offset,
              double v)
{
    switch (storageType) {
        case 0:
            Put<uint16_t>(out, std::isnan(v) ? 0 : static_cast<uint16_t>(std::clamp(std::trunc(v), 0.0, 65535.0)));
            break;
        case 2:
            Put<uint16_t>(out, static_cast<uint16_t>(
                                   std::clamp<int64_t>(KstGridCode(v, factor, offset), 0, 65535)));
            break;
        case 3:
            Put<uint32_t>(out, static_cast<uint32_t>(std::clamp<int64_t>(
                                   KstGridCode(v, factor, offset), 0, 0xFFFFFFFF)));
            break;
        case 4:
            Put<float>(out, ToFloat(v));
            break;
        default:
            Put<double>(out, v);
            break;
    }
}

int64_t GroupIndex(const std::vector<CKSTString>& groups, const CKSTString& group)
{
    const auto at = std::find(groups.begin(), groups.end(), group);
    return at == groups.end() ? 0 : (at - groups.begin()) + 1;
}

}  // namespace

struct CKSTFamosFile::ChannelPlan {
    const CKSTChannel* channel;
    uint16_t storageType;
    double factor;
    double offset;
    bool timeVector;
};

CKSTString CKSTFamosFile::MakeKeyName(const CKSTString& text)
{
    CKSTString name = text;
    if (!name.IsEmpty() && name.First() >= '0' && name.First() <= '9') {
        name.Insert(0, '_');
    }
    for (const char c : " ,;:\"+-()*/^={}[]<>|") {
        if (c != '\0') {
            name.Replace(c, '_');
        }
    }
    return name;
}

void CKSTFamosFile::StartWrite(const CKSTString&)
{
    m_version = 2;
}

int CKSTFamosFile::WriteBytes(const void* data, size_t n)
{
    while (n > 0) {
        const uint32_t part = static_cast<uint32_t>(std::min<size_t>(n, 1u << 30));
        if (m_stream.Write(data, part) != part) {
            m_writeFailed = true;
            return KST_ERR_SHORT_TRANSFER;
        }
        data = static_cast<const uint8_t*>(data) + part;
        n -= part;
    }
    return KST_OK;
}

int CKSTFamosFile::WriteText(const CKSTString& text)
{
    return WriteBytes(text.c_str(), static_cast<size_t>(text.GetLength()));
}

int CKSTFamosFile::WriteKey(const char* prefix, const CKSTString& fields)
{
    CKSTString key(prefix);
    key.AppendInt64(fields.GetLength());
    key += ',';
    key += fields;
    key += ";\r\n";
    return WriteText(key);
}

int CKSTFamosFile::Write(const CKSTDataSet& dataSet, const CKSTTextFormat*)
{
    int result = WriteChannels(dataSet.GetChannels());
    if (result == KST_OK) {
        result = WriteComments(dataSet.GetHeader());
    }
    return result;
}

int CKSTFamosFile::WriteChannels(const CKSTChannelList& channels, bool)
{
    return WriteChannels(channels);
}

int CKSTFamosFile::WriteChannels(const CKSTChannelList& channels)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (m_stream.GetMode() != KST_OPEN_WRITE) {
        return KST_ERR_NOT_OPEN_FOR_WRITING;
    }
    m_writeFailed = false;
    WriteText("|CF,2,1,1;|CK,1,3,1,1;\r\n");
    WriteText("|NO,1,13,1,6,Kestro,0,;\r\n");
    const std::vector<CKSTString> groups = WriteGroupKeys(channels);

    std::vector<ChannelPlan> plans;
    int64_t reference = 1;
    uint64_t offset = 0;
    for (int i = 0; i < channels.GetCount(); ++i) {
        const CKSTChannel& channel = *channels.GetAt(i);
        if (channel.GetCount() == 0) {
            continue;
        }
        ChannelPlan plan{&channel, 0, 1.0, 0.0,
                         channel.GetTimeBaseType() == CKSTChannel::kTimeVector};
        plan.storageType = ChooseStorage(channel, plan.factor, plan.offset);
        plans.push_back(plan);
        WriteChannelKeys(plan, GroupIndex(groups, MakeKeyName(channel.GetGroup())), reference,
                         offset);
    }

    CKSTString dataKey("|CS,1,");
    dataKey.AppendInt64(static_cast<int64_t>(offset + 2));
    dataKey += ",1,";
    WriteText(dataKey);
    WriteSamples(plans);
    WriteText(";\r\n");
    if (m_stream.Flush() != KST_OK) {
        m_writeFailed = true;
    }
    return m_writeFailed ? KST_ERR_SHORT_TRANSFER : KST_OK;
}

std::vector<CKSTString> CKSTFamosFile::WriteGroupKeys(const CKSTChannelList& channels)
{
    std::vector<CKSTString> groups;
    for (int i = 0; i < channels.GetCount(); ++i) {
        const CKSTString group = MakeKeyName(channels.GetAt(i)->GetGroup());
        if (!group.IsEmpty() && GroupIndex(groups, group) == 0) {
            groups.push_back(group);
            WriteKey("|CB,1,", FieldText()
                                   .Add(static_cast<int64_t>(groups.size()))
                                   .AddText(group)
                                   .Add(int64_t{0})
                                   .AddEmpty()
                                   .Text());
        }
    }
    return groups;
}

void CKSTFamosFile::WriteBufferKey(int64_t reference, uint64_t offset, uint64_t size, double x0)
{
    WriteKey("|Cb,1,", FieldText()
                           .Add(int64_t{1})
                           .Add(int64_t{0})
                           .Add(reference)
                           .Add(int64_t{1})
                           .Add(static_cast<int64_t>(offset))
                           .Add(static_cast<int64_t>(size))
                           .Add(int64_t{0})
                           .Add(static_cast<int64_t>(size))
                           .Add(int64_t{1})
                           .Add(x0)
                           .Add(int64_t{0})
                           .AddEmpty()
                           .Text());
}

void CKSTFamosFile::WriteChannelKeys(const ChannelPlan& plan, int64_t group, int64_t& reference,
                                     uint64_t& offset)
{
    const CKSTChannel& channel = *plan.channel;
    const uint64_t count = channel.GetCount();
    if (plan.timeVector) {
        WriteText("|CG,1,5,2,3,2;\r\n");
    } else {
        WriteText("|CG,1,5,1,1,1;\r\n");
        WriteKey("|CD,1,", FieldText()
                               .Add(channel.GetSampleInterval())
                               .Add(int64_t{1})
                               .AddText(channel.GetTimeUnit())
                               .Add(int64_t{0})
                               .Add(int64_t{0})
                               .Add(int64_t{0})
                               .Text());
    }
    const CKSTTimeStamp start = channel.GetStartTimeStamp();
    WriteKey("|NT,1,", FieldText()
                           .Add(int64_t{start.GetDay()})
                           .Add(int64_t{start.GetMonth()})
                           .Add(int64_t{start.GetYear()})
                           .Add(int64_t{start.GetHour()})
                           .Add(int64_t{start.GetMinute()})
                           .Add(int64_t{start.GetSecond()})
                           .Text());

    const StorageLayout& layout = LayoutOf(plan.storageType);
    const uint64_t bytes = count * layout.bytes;
    WriteText(layout.componentKey);
    CKSTString packing;
    packing.AppendInt64(reference);
    packing += layout.packing;
    WriteKey("|CP,1,", packing);
    WriteBufferKey(reference, offset, bytes, channel.GetT0());
    if (plan.storageType == 4 || plan.storageType == 5) {
        WriteKey("|CR,1,", FieldText()
                               .Add(int64_t{0})
                               .Add(int64_t{0})
                               .Add(int64_t{0})
                               .Add(int64_t{1})
                               .AddText(channel.GetUnit())
                               .Text());
    } else if (plan.storageType != 0) {
        WriteKey("|CR,1,", FieldText()
                               .Add(int64_t{1})
                               .Add(plan.factor)
                               .Add(plan.offset)
                               .Add(int64_t{1})
                               .AddText(channel.GetUnit())
                               .Text());
    }
    if (channel.GetColor() != -1) {
        const uint32_t color = static_cast<uint32_t>(channel.GetColor());
        WriteKey("|ND,1,", FieldText()
                               .Add(int64_t{color & 0xFF})
                               .Add(int64_t{(color >> 8) & 0xFF})
                               .Add(int64_t{(color >> 16) & 0xFF})
                               .Add(int64_t{0})
                               .Add(int64_t{0})
                               .Text());
    }
    WriteKey("|CN,1,", FieldText()
                           .Add(group)
                           .Add(int64_t{0})
                           .Add(int64_t{plan.storageType == 0 ? 1 : 0})
                           .AddText(MakeKeyName(channel.GetName()))
                           .AddText(channel.GetComment())
                           .Text());
    offset += bytes;
    ++reference;
    if (!plan.timeVector) {
        return;
    }
    const bool single = plan.storageType == 4;
    const uint64_t timeBytes = count * (single ? 4 : 8);
    WriteText("|CC,1,3,2,1;\r\n");
    CKSTString timePacking;
    timePacking.AppendInt64(reference);
    timePacking += single ? ",4,7,32,0,0,1,0" : ",8,8,64,0,0,1,0";
    WriteKey("|CP,1,", timePacking);
    WriteBufferKey(reference, offset, timeBytes, 0.0);
    WriteKey("|CR,1,", FieldText()
                           .Add(int64_t{0})
                           .Add(int64_t{0})
                           .Add(int64_t{0})
                           .Add(int64_t{1})
                           .AddText(channel.GetTimeUnit())
                           .Text());
    offset += timeBytes;
    ++reference;
}

void CKSTFamosFile::WriteSamples(const std::vector<ChannelPlan>& plans)
{
    std::vector<uint8_t> chunk;
    chunk.reserve(kWriteChunk + 8);
    auto flush = [&](bool always) {
        if (always || chunk.size() >= kWriteChunk) {
            WriteBytes(chunk.data(), chunk.size());
            chunk.clear();
        }
    };
    for (const ChannelPlan& plan : plans) {
        const CKSTChannel& channel = *plan.channel;
        const double* values = channel.GetValues();
        for (uint32_t s = 0; s < channel.GetCount(); ++s) {
            PutValue(chunk, plan.storageType, plan.factor, plan.offset, values[s]);
            flush(false);
        }
        if (plan.timeVector) {
            for (uint32_t s = 0; s < channel.GetCount(); ++s) {
                if (plan.storageType == 4) {
                    Put<float>(chunk, ToFloat(channel.GetTimeAt(s)));
                } else {
                    Put<double>(chunk, channel.GetTimeAt(s));
                }
                flush(false);
            }
        }
    }
    flush(true);
}

int CKSTFamosFile::WriteComments(const CKSTHeaderInfoList& header)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    int result = KST_OK;
    for (int i = 0; i < header.GetCount(true); ++i) {
        const CKSTHeaderInfoItem& item = header.GetItem(i);
        if (item.m_type != KST_HIT_STRING) {
            continue;
        }
        const CKSTString name = MakeKeyName(item.m_name);
        int written = KST_OK;
        if (!item.m_hidden) {
            written = WriteTextKey(0, name, item.GetValueText(), "");
        } else if (name == "Comment") {
            written = WriteTextKey(0, "_Comment", item.GetValueText(), "");
        }
        if (result == KST_OK) {
            result = written;
        }
    }
    return result;
}

int CKSTFamosFile::WriteTextKey(int32_t group, const CKSTString& name, const CKSTString& text,
                                const CKSTString& comment)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    m_stream.Seek(0, SEEK_END);
    const int result = WriteKey("|CT,1,", FieldText()
                                              .Add(int64_t{group})
                                              .AddText(name)
                                              .AddText(text)
                                              .AddText(comment)
                                              .Text());
    return result == KST_OK ? m_stream.Flush() : result;
}
