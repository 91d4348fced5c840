// Reading FAMOS files: the position index, channels, single values, version 1 files and the
// text keys.

#include "formats/FamosFile.h"
#include "formats/FamosFileSamples.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "data/MeasurementFile.h"
#include "foundation/ErrorCodes.h"
#include "foundation/SystemMemory.h"

namespace {

using namespace kst_famos;

// Indexes and buffer references a file may use; anything else is refused before it sizes a list.
constexpr int64_t kMaxReference = 65535;
// Bytes between two values of one channel in a shared buffer; keeps the stride in 32 bits.
constexpr int64_t kMaxDistance = int64_t{1} << 30;
// A 16-bit digital word has no more bits to give channels.
constexpr size_t kMaxBitChannels = 16;
// A version 1 channel description takes at least this many bytes of its "CR" key.
constexpr int64_t kMinBytesPerChannelV1 = 16;

bool IsReference(int64_t value)
{
    return value >= 1 && value <= kMaxReference;
}

std::vector<CKSTString> SplitNames(const CKSTString& name)
{
    std::vector<CKSTString> parts;
    int start = 0;
    for (;;) {
        const int bar = name.Find('|', start);
        if (bar < 0) {
            parts.push_back(name.Mid(start));
            return parts;
        }
        parts.push_back(name.Mid(start, bar - start));
        start = bar + 1;
    }
}

}  // namespace

// --- The object ---

struct CKSTFamosFile::Component {
    bool hasFormat = false;
    int64_t bufferReference = 0;
    int64_t bytesPerValue = 0;
    int64_t numberFormat = 0;
    int64_t offset = 0;
    int64_t distance = 0;
    double factor = 1.0;
    double valueOffset = 0.0;
    CKSTString unit;
    // From the buffer key.
    int64_t sampleKey = 0;
    int64_t bufferOffset = 0;
    int64_t firstSampleOffset = 0;
    int64_t filledBytes = 0;
    double x0 = 0.0;
    double addTime = 0.0;
};

struct CKSTFamosFile::ChannelKeys {
    Component components[2];
    bool hasDx = false;
    double dx = 1.0;
    CKSTString timeUnit;
    bool hasTrigger = false;
    CKSTTimeStamp trigger;
    CKSTString name;
    bool hasName = false;
    CKSTString comment;
    int64_t group = 0;
    bool hasColor = false;
    int32_t color = -1;
};

CKSTFamosFile::CKSTFamosFile()
    : CKSTStreamFormatFile(KST_FILE_FAMOS),
      m_keys(m_stream),
      m_scanned(false),
      m_version(0),
      m_interleaved(false),
      m_writeFailed(false),
      m_channelCountV1(0)
{
}

void CKSTFamosFile::Reset()
{
    m_version = 0;
    m_key.Empty();
    m_scanned = false;
    m_interleaved = false;
    m_writeFailed = false;
    m_channelKeys.clear();
    m_secondComponent.clear();
    m_firstComponent.clear();
    m_bufferKeys.clear();
    m_dataKeys.clear();
    m_groupEnds.clear();
    m_groupNames.clear();
    m_dataRanges.clear();
    m_dataIndexed = false;
    m_channelCountV1 = 0;
    m_headerV1 = HeaderV1();
}

int CKSTFamosFile::SetMemory(const CKSTMemBuffer& buffer)
{
    const int result = CKSTStreamFormatFile::SetMemory(buffer);
    return buffer.GetSize() == 0 ? KST_ERR_NOT_FAMOS : result;
}

int CKSTFamosFile::GetMemory(CKSTMemBuffer& buffer)
{
    if (!m_stream.IsInMemory()) {
        return KST_ERR_UNKNOWN_FILE_TYPE;
    }
    return CKSTStreamFormatFile::GetMemory(buffer);
}

int CKSTFamosFile::ReadHead(const CKSTString&)
{
    static_cast<void>(ReadVersion());  // a head it refuses leaves m_version 0
    if (m_version != 1 && m_version != 2) {
        return KST_ERR_NOT_FAMOS;
    }
    m_key.Empty();
    return KST_OK;
}

int CKSTFamosFile::ReadVersion()
{
    m_version = 0;
    m_key.Empty();
    char head[5];
    if (m_keys.ReadBytes(head, sizeof head) != KST_OK || std::memcmp(head, "|CF,", 4) != 0 ||
        (head[4] != '1' && head[4] != '2')) {
        return KST_ERR_NOT_FAMOS;
    }
    m_version = head[4] == '1' ? 1 : 2;
    // A file of nothing but its start key has no channels; that is no error.
    if (m_keys.SkipToKey() == KST_OK && m_keys.ReadKeyName(m_key) != KST_OK) {
        m_key.Empty();
    }
    return KST_OK;
}

int CKSTFamosFile::NextKey(int64_t keyPosition)
{
    // Past the key by its length field when that ends at its ';': a '|' inside a text or a
    // binary value then cannot be taken for the next key. Otherwise by the next '|'.
    int result = m_keys.Seek(keyPosition + 3);
    int64_t length = -1;
    if (result == KST_OK && m_keys.SkipVersion() == KST_OK && m_keys.ReadInteger(length) == KST_OK &&
        length >= 0 && length < m_keys.Remaining()) {
        const int64_t fields = m_keys.Tell();
        char end = 0;
        if (m_keys.Seek(fields + length) != KST_OK || m_keys.ReadBytes(&end, 1) != KST_OK ||
            end != ';') {
            result = m_keys.Seek(keyPosition + 3);
        }
    } else {
        result = m_keys.Seek(keyPosition + 3);
    }
    if (result != KST_OK) {
        return result;
    }
    result = m_keys.SkipToKey();
    return result == KST_OK ? m_keys.ReadKeyName(m_key) : result;
}

int CKSTFamosFile::SearchKey(const char* name, const char* stopAt)
{
    for (;;) {
        int result = m_keys.SkipToKey();
        if (result == KST_OK) {
            result = m_keys.ReadKeyName(m_key);
        }
        if (result != KST_OK) {
            return result;
        }
        if (m_key == name || (stopAt != nullptr && m_key == stopAt)) {
            return KST_OK;
        }
    }
}

// --- Position index ---

int CKSTFamosFile::ScanKeys()
{
    m_channelKeys.clear();
    m_secondComponent.clear();
    m_firstComponent.clear();
    m_bufferKeys.clear();
    m_dataKeys.clear();
    m_groupEnds.clear();
    m_groupNames.clear();
    m_dataRanges.clear();
    m_dataIndexed = false;
    m_channelCountV1 = 0;
    m_headerV1 = HeaderV1();
    if (m_keys.Seek(0) != KST_OK || ReadVersion() != KST_OK) {
        return KST_ERR_NOT_FAMOS;
    }
    if (m_version == 1) {
        m_key.Empty();
        static_cast<void>(m_keys.Seek(0));  // it succeeded just above
        int64_t count = 0;
        if (SearchKey("CR") == KST_OK && m_keys.SkipVersion() == KST_OK &&
            m_keys.ReadInteger(count) == KST_OK) {
            if (count < 0 || count > kMaxReference ||
                count * kMinBytesPerChannelV1 > m_stream.GetSize()) {
                return KST_ERR_BAD_KEY;
            }
            m_channelCountV1 = static_cast<uint32_t>(count);
        }
        m_scanned = true;
        return KST_OK;
    }

    int64_t pendingChannel = -1;
    uint32_t channels = 0;
    int result = m_key.IsEmpty() ? KST_ERR_END_OF_DATA : KST_OK;
    while (result == KST_OK) {
        const int64_t keyPosition = m_keys.Tell() - 3;
        int64_t length = 0;
        if (m_key == "CG") {
            pendingChannel = keyPosition;
        } else if (m_key == "CC") {
            int64_t index = 0;
            result = m_keys.SkipVersion();
            if (result == KST_OK) result = m_keys.ReadInteger(length);
            if (result == KST_OK) result = m_keys.ReadInteger(index);
            if (result == KST_OK && index == 1) {
                m_firstComponent.push_back(keyPosition);
                m_secondComponent.push_back(-1);
                m_channelKeys.push_back(pendingChannel);
                ++channels;
            } else if (result == KST_OK && index == 2 && channels > 0 &&
                       m_secondComponent.back() == -1) {
                m_secondComponent.back() = keyPosition;
            }
        } else if (m_key == "CS") {
            m_dataKeys.push_back(keyPosition);
            m_groupEnds.push_back(channels);
            result = m_keys.SkipVersion();
            if (result == KST_OK) result = m_keys.ReadInteger(length);
            if (result == KST_OK && length < 0) {
                return KST_ERR_BAD_KEY;
            }
            // A file cut short inside its data: the index ends here, the samples present are
            // still read.
            if (result == KST_OK && length >= m_keys.Remaining()) {
                break;
            }
        } else if (m_key == "CB") {
            int64_t group = 0;
            int64_t nameLength = 0;
            CKSTString name;
            result = m_keys.SkipVersion();
            if (result == KST_OK) result = m_keys.ReadInteger(length);
            if (result == KST_OK) result = m_keys.ReadInteger(group);
            if (result == KST_OK) result = m_keys.ReadInteger(nameLength);
            if (result == KST_OK) result = m_keys.ReadText(nameLength, name);
            if (result == KST_OK) {
                if (!IsReference(group)) {
                    return KST_ERR_BAD_KEY;
                }
                if (m_groupNames.size() < static_cast<size_t>(group)) {
                    m_groupNames.resize(static_cast<size_t>(group));
                }
                m_groupNames[static_cast<size_t>(group - 1)] = name;
            }
        } else if (m_key == "Cb") {
            int64_t references = 0;
            int64_t userBytes = 0;
            int64_t reference = 0;
            result = m_keys.SkipVersion();
            if (result == KST_OK) result = m_keys.ReadInteger(length);
            if (result == KST_OK) result = m_keys.ReadInteger(references);
            if (result == KST_OK) result = m_keys.ReadInteger(userBytes);
            // A key of several buffers is not indexed: a component that refers to one of them
            // finds no buffer and is refused.
            if (result == KST_OK && references == 1) {
                result = m_keys.ReadInteger(reference);
                if (result == KST_OK) {
                    if (!IsReference(reference)) {
                        return KST_ERR_BAD_KEY;
                    }
                    if (m_bufferKeys.size() <= static_cast<size_t>(reference)) {
                        m_bufferKeys.resize(static_cast<size_t>(reference) + 1, -1);
                    }
                    m_bufferKeys[static_cast<size_t>(reference)] = keyPosition;
                }
            }
        } else if (m_key == "CI") {
            ++channels;
            m_firstComponent.push_back(keyPosition);
            m_secondComponent.push_back(-1);
            m_channelKeys.push_back(keyPosition);
            if (m_dataKeys.empty()) {
                m_dataKeys.push_back(keyPosition);
                m_groupEnds.push_back(channels);
            } else {
                m_groupEnds.front() = channels;
            }
        }
        if (result == KST_OK) {
            result = NextKey(keyPosition);
        }
    }
    if (result != KST_OK && result != KST_ERR_END_OF_DATA) {
        return result;
    }
    m_scanned = true;
    return KST_OK;
}

// --- Channels ---

int CKSTFamosFile::ReadChannels(CKSTChannelList& channels, bool append)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (!m_scanned) {
        const int result = ScanKeys();
        if (result != KST_OK) {
            return result;
        }
    }
    if (!append) {
        channels.DeleteAll();
    }
    StartBudget();
    if (m_version == 1) {
        return ReadChannelsV1(channels);
    }
    if (m_version == 2) {
        return ReadChannelsV2(channels);
    }
    return KST_ERR_FAMOS_VERSION;
}

int CKSTFamosFile::AppendChannel(CKSTChannelList& channels, uint32_t index)
{
    const int at = channels.AddNew();
    const int result = ReadOneChannel(*channels.GetAt(at), index);
    // A channel that failed before it got a sample is no channel of the file.
    if (result != KST_OK && channels.GetAt(at)->GetCount() == 0) {
        channels.RemoveAt(at);
    }
    return result;
}

int CKSTFamosFile::ReadChannelsV2(CKSTChannelList& channels)
{
    const int first = channels.GetCount();
    uint32_t next = 0;
    for (size_t k = 0; k < m_dataKeys.size(); ++k) {
        m_interleaved = false;
        // A single value may move the end of the first group; no channel is read twice.
        for (; next < m_groupEnds[k]; ++next) {
            const int result = AppendChannel(channels, next);
            if (result != KST_OK) {
                return result;
            }
        }
    }
    const int result = SplitBitChannels(channels, first);
    for (int i = first; i < channels.GetCount(); ++i) {
        channels.GetAt(i)->ConvertToEquidistant(false, true);
    }
    channels.MakeUniqueNames();
    return result;
}

int CKSTFamosFile::SplitBitChannels(CKSTChannelList& channels, int first)
{
    // Digital words named "a|b|c" become one channel per bit.
    for (int i = first; i < channels.GetCount();) {
        const CKSTChannel* word = channels.GetAt(i);
        if (word->GetSampleType() != 0 || word->GetName().Find('|') < 0) {
            ++i;
            continue;
        }
        std::vector<CKSTString> names = SplitNames(word->GetName());
        if (names.size() > kMaxBitChannels) {
            names.resize(kMaxBitChannels);
        }
        // The word's own samples were taken when it was read.
        if (!TakeFromBudget(uint64_t{word->GetCount()} * (names.size() - 1))) {
            return KST_ERR_TOO_LARGE;
        }
        std::vector<CKSTChannel> bits(names.size(), *word);
        for (size_t b = 0; b < bits.size(); ++b) {
            bits[b].SetName(names[b]);
            for (uint32_t s = 0; s < word->GetCount(); ++s) {
                const double v = word->GetValues()[s];
                const uint32_t bitsOfWord =
                    std::isnan(v) ? 0u
                                  : static_cast<uint32_t>(static_cast<int64_t>(
                                        std::clamp(v, -32768.0, 65535.0))) & 0xFFFFu;
                bits[b].SetValueAt(s, (bitsOfWord >> b) & 1u ? 1.0 : 0.0);
            }
        }
        channels.RemoveAt(i);
        for (size_t b = 0; b < bits.size(); ++b) {
            channels.InsertCopy(bits[b], i + static_cast<int>(b));
        }
        i += static_cast<int>(bits.size());
    }
    return KST_OK;
}

int CKSTFamosFile::ReadChannelsV1(CKSTChannelList& channels)
{
    const int first = channels.GetCount();
    const uint32_t n = m_channelCountV1;
    m_interleaved = false;
    for (uint32_t i = 0; i < n; ++i) {
        const int result = AppendChannel(channels, i);
        if (result != KST_OK) {
            return result;
        }
    }
    if (!m_interleaved || n < 2) {
        return KST_OK;
    }
    // The first channel holds the values of all, one after the other.
    CKSTChannel* head = channels.GetAt(first);
    const uint32_t total = head->GetCount();
    for (uint32_t d = 1; d < n; ++d) {
        CKSTChannel* channel = channels.GetAt(first + static_cast<int>(d));
        channel->SetSampleType(head->GetSampleType());
        channel->Reserve(total / n);
        for (uint32_t i = d; i < total; i += n) {
            channel->AppendValue(head->GetValues()[i], false);
        }
    }
    uint32_t kept = 0;
    for (uint32_t i = 0; i < total; i += n) {
        head->SetValueAt(kept++, head->GetValues()[i]);
    }
    head->CutIndexRange(0, kept);
    return KST_OK;
}

int CKSTFamosFile::ReadChannel(CKSTChannel& channel, uint32_t index)
{
    StartBudget();
    return ReadOneChannel(channel, index);
}

int CKSTFamosFile::ReadOneChannel(CKSTChannel& channel, uint32_t index)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (!m_scanned) {
        const int result = ScanKeys();
        if (result != KST_OK) {
            return result;
        }
    }
    if (m_keys.Seek(0) != KST_OK) {
        return KST_ERR_END_OF_DATA;
    }
    m_key.Empty();
    if (m_version == 1) {
        return ReadChannelV1(channel, index);
    }
    if (m_version == 2) {
        return ReadChannelV2(channel, index);
    }
    return KST_ERR_FAMOS_VERSION;
}

void CKSTFamosFile::StartBudget()
{
    m_samplesLeft = m_sampleBudget != 0 ? m_sampleBudget : KstFreeMemorySampleBudget();
}

bool CKSTFamosFile::TakeFromBudget(uint64_t samples)
{
    if (samples > m_samplesLeft) {
        return false;
    }
    m_samplesLeft -= samples;
    return true;
}

int CKSTFamosFile::ReadChannelV2(CKSTChannel& channel, uint32_t index)
{
    if (index >= m_channelKeys.size()) {
        return KST_ERR_INDEX_BEYOND;
    }
    const int64_t position = m_channelKeys[index];
    if (position < 0) {
        return KST_ERR_BAD_KEY;
    }
    int result = m_keys.Seek(position);
    if (result == KST_OK) result = m_keys.ReadKeyName(m_key);
    if (result != KST_OK) {
        return result;
    }
    if (m_key == "CI") {
        return ReadSingleValue(channel);
    }
    if (m_key != "CG") {
        return KST_ERR_BAD_KEY;
    }
    int64_t length = 0;
    int64_t components = 0;
    int64_t fieldType = 0;
    result = m_keys.SkipVersion();
    if (result == KST_OK) result = m_keys.ReadInteger(length);
    if (result == KST_OK) result = m_keys.ReadInteger(components);
    if (result == KST_OK) result = m_keys.ReadInteger(fieldType);
    if (result != KST_OK) {
        return result;
    }

    // The "CD" and "NT" keys that follow the group key stand before the first component.
    ChannelKeys keys;
    bool digital = false;
    int64_t keyPosition = position;
    while (NextKey(keyPosition) == KST_OK && (m_key == "CD" || m_key == "NT")) {
        keyPosition = m_keys.Tell() - 3;
        result = ReadKeyFields(keys, 0);
        if (result != KST_OK) {
            return result;
        }
    }

    channel.Reset();
    const bool timeVector = fieldType == 2 || fieldType == 3;
    channel.SetTimeBaseType(timeVector ? CKSTChannel::kTimeVector : CKSTChannel::kEquidistant);
    bool timesSet = false;
    for (int pass = 1; pass <= (timeVector ? 2 : 1); ++pass) {
        result = ReadComponent(channel, keys, index, pass, digital, timesSet);
        if (result != KST_OK) {
            // Values whose times were never set would reach the display with whatever the
            // memory held.
            if (timeVector && !timesSet) {
                channel.Reset();
            }
            return result;
        }
    }
    return KST_OK;
}

int CKSTFamosFile::ReadComponent(CKSTChannel& channel, ChannelKeys& keys, uint32_t index,
                                 int pass, bool& digital, bool& timesSet)
{
    const std::vector<int64_t>& list = pass == 1 ? m_firstComponent : m_secondComponent;
    if (index >= list.size() || list[index] < 0) {
        return KST_ERR_INDEX_BEYOND;
    }
    int slot = -1;
    int result = ReadComponentKeys(keys, list[index], slot, digital);
    if (result != KST_OK) {
        return result;
    }
    Component& component = keys.components[slot];
    if (!component.hasFormat) {
        return KST_ERR_BAD_KEY;
    }
    result = ReadBufferKey(component);
    if (result != KST_OK) {
        return result;
    }
    if (pass == 1) {
        ApplyChannelKeys(channel, keys, component, digital);
    } else {
        channel.SetTimeUnit(component.unit);
    }
    return ReadComponentSamples(channel, component, pass == 2, timesSet);
}

void CKSTFamosFile::ApplyChannelKeys(CKSTChannel& channel, const ChannelKeys& keys,
                                     const Component& component, bool digital)
{
    channel.SetName(keys.name);
    channel.SetComment(keys.comment);
    channel.SetSourceFile(m_stream.GetPath());
    if (keys.group > 0 && static_cast<uint64_t>(keys.group) <= m_groupNames.size()) {
        channel.SetGroup(m_groupNames[static_cast<size_t>(keys.group - 1)]);
    }
    CKSTTimeStamp start = keys.hasTrigger ? keys.trigger : CKSTTimeStamp();
    if (component.addTime != 0.0 && std::isfinite(component.addTime)) {
        start.AddSeconds(component.addTime);
    }
    channel.SetStartTimeStamp(start);
    if (keys.hasDx) {
        channel.SetTimeUnit(keys.timeUnit);
        channel.SetDt(keys.dx);
    }
    channel.SetUnit(component.unit);
    channel.SetT0(component.x0);
    if (keys.hasColor) {
        channel.SetColor(keys.color);
    }
    if (digital) {
        channel.SetStoredSampleType(0);
    }
}

int CKSTFamosFile::ReadComponentKeys(ChannelKeys& keys, int64_t position, int& slot,
                                     bool& digital)
{
    int result = m_keys.Seek(position);
    if (result == KST_OK) result = m_keys.ReadKeyName(m_key);
    if (result != KST_OK) {
        return result;
    }
    if (m_key != "CC") {
        return KST_ERR_BAD_KEY;
    }
    bool componentSeen = false;
    for (;;) {
        const int64_t keyPosition = m_keys.Tell() - 3;
        if (m_key == "CC") {
            if (componentSeen) {
                break;
            }
            componentSeen = true;
            int64_t length = 0;
            int64_t index = 0;
            int64_t analog = 0;
            result = m_keys.SkipVersion();
            if (result == KST_OK) result = m_keys.ReadInteger(length);
            if (result == KST_OK) result = m_keys.ReadInteger(index);
            if (result == KST_OK) result = m_keys.ReadInteger(analog);
            if (result != KST_OK) {
                return result;
            }
            if (index != 1 && index != 2) {
                return KST_ERR_BAD_KEY;
            }
            slot = static_cast<int>(index - 1);
            if (analog != 1) {
                digital = true;
            }
        } else if (m_key == "CD" || m_key == "NT" || m_key == "CZ" || m_key == "CP" ||
                   m_key == "Cb" || m_key == "CR" || m_key == "CN" || m_key == "ND") {
            result = ReadKeyFields(keys, slot);
            if (result != KST_OK) {
                return result;
            }
        } else {
            break;
        }
        result = NextKey(keyPosition);
        if (result == KST_ERR_END_OF_DATA) {
            break;
        }
        if (result != KST_OK) {
            return result;
        }
    }
    return KST_OK;
}

int CKSTFamosFile::ReadKeyFields(ChannelKeys& keys, int slot)
{
    Component& component = keys.components[slot];
    int64_t length = 0;
    int result = m_keys.SkipVersion();
    if (result == KST_OK) result = m_keys.ReadInteger(length);
    if (result != KST_OK) {
        return result;
    }
    if (m_key == "CD") {
        int64_t calibrated = 0;
        int64_t unitLength = 0;
        double dx = keys.dx;
        result = m_keys.ReadReal(dx);
        if (result == KST_OK) result = m_keys.ReadInteger(calibrated);
        if (result == KST_OK) result = m_keys.ReadInteger(unitLength);
        if (result == KST_OK) result = m_keys.ReadText(unitLength, keys.timeUnit);
        keys.dx = dx;
        keys.hasDx = true;
    } else if (m_key == "NT") {
        int64_t day = 0, month = 0, year = 0, hour = 0, minute = 0;
        double second = 0.0;
        result = m_keys.ReadInteger(day);
        if (result == KST_OK) result = m_keys.ReadInteger(month);
        if (result == KST_OK) result = m_keys.ReadInteger(year);
        if (result == KST_OK) result = m_keys.ReadInteger(hour);
        if (result == KST_OK) result = m_keys.ReadInteger(minute);
        if (result == KST_OK) result = m_keys.ReadReal(second);
        if (result == KST_OK) {
            // Whole seconds only; a leap second counts as the one before it.
            const int wholeSecond =
                std::isfinite(second) ? ClampField(static_cast<int64_t>(std::clamp(second, 0.0, 59.0)), 0, 59) : 0;
            keys.trigger = CKSTTimeStamp(ClampField(year, 1, 9999), ClampField(month, 1, 12),
                                         ClampField(day, 1, 31), ClampField(hour, 0, 23),
                                         ClampField(minute, 0, 59), wholeSecond);
            keys.hasTrigger = true;
        }
    } else if (m_key == "CP") {
        int64_t significantBits = 0, mask = 0, directSequence = 0;
        result = m_keys.ReadInteger(component.bufferReference);
        if (result == KST_OK) result = m_keys.ReadInteger(component.bytesPerValue);
        if (result == KST_OK) result = m_keys.ReadInteger(component.numberFormat);
        if (result == KST_OK) result = m_keys.ReadInteger(significantBits);
        if (result == KST_OK) result = m_keys.ReadInteger(mask);
        if (result == KST_OK) result = m_keys.ReadInteger(component.offset);
        if (result == KST_OK) result = m_keys.ReadInteger(directSequence);
        if (result == KST_OK) result = m_keys.ReadInteger(component.distance);
        component.hasFormat = result == KST_OK;
    } else if (m_key == "CR") {
        int64_t transformation = 0, calibrated = 0, unitLength = 0;
        double factor = 1.0;
        double offset = 0.0;
        result = m_keys.ReadInteger(transformation);
        if (result == KST_OK) result = m_keys.ReadReal(factor);
        if (result == KST_OK) result = m_keys.ReadReal(offset);
        if (result == KST_OK) result = m_keys.ReadInteger(calibrated);
        if (result == KST_OK) result = m_keys.ReadInteger(unitLength);
        if (result == KST_OK) result = m_keys.ReadText(unitLength, component.unit);
        component.factor = transformation != 0 ? factor : 1.0;
        component.valueOffset = transformation != 0 ? offset : 0.0;
    } else if (m_key == "CN") {
        int64_t group = 0, reserved = 0, indexBit = 0, nameLength = 0, commentLength = 0;
        CKSTString name;
        result = m_keys.ReadInteger(group);
        if (result == KST_OK) result = m_keys.ReadInteger(reserved);
        if (result == KST_OK) result = m_keys.ReadInteger(indexBit);
        if (result == KST_OK) result = m_keys.ReadInteger(nameLength);
        if (result == KST_OK) result = m_keys.ReadText(nameLength, name);
        if (result == KST_OK) result = m_keys.ReadInteger(commentLength);
        if (result == KST_OK) result = m_keys.ReadText(commentLength, keys.comment);
        if (keys.hasName) {
            keys.name += '|';
        }
        keys.name += name;
        keys.hasName = true;
        keys.group = group;
    } else if (m_key == "ND") {
        int64_t red = 0, green = 0, blue = 0;
        result = m_keys.ReadInteger(red);
        if (result == KST_OK) result = m_keys.ReadInteger(green);
        if (result == KST_OK) result = m_keys.ReadInteger(blue);
        if (result == KST_OK) {
            keys.color = ClampField(red, 0, 255) + ClampField(green, 0, 255) * 256 +
                         ClampField(blue, 0, 255) * 65536;
            keys.hasColor = true;
        }
    }
    return result;
}

int CKSTFamosFile::ReadBufferKey(Component& component)
{
    const int64_t reference = component.bufferReference;
    if (!IsReference(reference) || static_cast<uint64_t>(reference) >= m_bufferKeys.size() ||
        m_bufferKeys[static_cast<size_t>(reference)] < 0) {
        return KST_ERR_BAD_KEY;
    }
    int result = m_keys.Seek(m_bufferKeys[static_cast<size_t>(reference)]);
    if (result == KST_OK) result = m_keys.ReadKeyName(m_key);
    if (result != KST_OK) {
        return result;
    }
    if (m_key != "Cb") {
        return KST_ERR_BAD_KEY;
    }
    int64_t length = 0, references = 0, userBytes = 0, ownReference = 0, bufferLength = 0;
    int64_t spare = 0;
    result = m_keys.SkipVersion();
    if (result == KST_OK) result = m_keys.ReadInteger(length);
    if (result == KST_OK) result = m_keys.ReadInteger(references);
    if (result == KST_OK) result = m_keys.ReadInteger(userBytes);
    if (result == KST_OK && references != 1) {
        return KST_ERR_BAD_KEY;
    }
    if (result == KST_OK) result = m_keys.ReadInteger(ownReference);
    if (result == KST_OK && ownReference != reference) {
        return KST_ERR_BAD_KEY;
    }
    if (result == KST_OK) result = m_keys.ReadInteger(component.sampleKey);
    if (result == KST_OK) result = m_keys.ReadInteger(component.bufferOffset);
    if (result == KST_OK) result = m_keys.ReadInteger(bufferLength);
    if (result == KST_OK) result = m_keys.ReadInteger(component.firstSampleOffset);
    if (result == KST_OK) result = m_keys.ReadInteger(component.filledBytes);
    if (result == KST_OK) result = m_keys.ReadInteger(spare);
    if (result == KST_OK) result = m_keys.ReadReal(component.x0);
    if (result == KST_OK) result = m_keys.ReadReal(component.addTime);
    if (result == KST_OK) result = m_keys.ReadInteger(spare);
    return result;
}

void CKSTFamosFile::IndexDataKeys()
{
    m_dataIndexed = true;
    m_dataRanges.clear();
    m_dataIndexResult = KST_ERR_BAD_KEY;
    for (const int64_t position : m_dataKeys) {
        int result = m_keys.Seek(position);
        if (result == KST_OK) result = m_keys.ReadKeyName(m_key);
        // Single values share the list of data keys.
        if (result == KST_OK && m_key == "CI") {
            continue;
        }
        if (result == KST_OK && m_key != "CS") {
            result = KST_ERR_BAD_KEY;
        }
        int64_t length = 0;
        int64_t index = 0;
        if (result == KST_OK) result = m_keys.SkipVersion();
        if (result == KST_OK) result = m_keys.ReadInteger(length);
        const int64_t fields = m_keys.Tell();
        if (result == KST_OK) result = m_keys.ReadInteger(index);
        // A key that cannot be read hides every index not met before it.
        if (result != KST_OK) {
            m_dataIndexResult = result;
            return;
        }
        DataRange range;
        range.start = m_keys.Tell();
        if (length < range.start - fields ||
            length > std::numeric_limits<int64_t>::max() - fields) {
            range.result = KST_ERR_BAD_KEY;
        } else {
            range.end = fields + length;
        }
        // The first key of an index is the one its buffers refer to.
        m_dataRanges.emplace(index, range);
    }
}

int CKSTFamosFile::FindDataStart(int64_t sampleKey, int64_t& start, int64_t& end)
{
    if (!m_dataIndexed) {
        IndexDataKeys();
    }
    const auto found = m_dataRanges.find(sampleKey);
    if (found == m_dataRanges.end()) {
        return m_dataIndexResult;
    }
    if (found->second.result != KST_OK) {
        return found->second.result;
    }
    start = found->second.start;
    end = found->second.end;
    return KST_OK;
}

int CKSTFamosFile::ReadComponentSamples(CKSTChannel& channel, const Component& component,
                                        bool times, bool& timesSet)
{
    NumberFormat format;
    if (!LookUpNumberFormat(component.numberFormat, format) ||
        component.bytesPerValue != format.bytes) {
        return KST_ERR_BAD_KEY;
    }
    const int64_t firstOffset = std::max<int64_t>(component.firstSampleOffset, 0);
    if (component.offset < 0 || component.distance < 0 || component.bufferOffset < 0 ||
        component.filledBytes < 0 || component.distance > kMaxDistance ||
        firstOffset > std::numeric_limits<int64_t>::max() / 4 ||
        component.offset > std::numeric_limits<int64_t>::max() / 4) {
        return KST_ERR_BAD_KEY;
    }
    int64_t dataStart = 0;
    int64_t dataEnd = 0;
    int result = FindDataStart(component.sampleKey, dataStart, dataEnd);
    if (result != KST_OK) {
        return result;
    }
    // The buffer lies inside the data key; the samples inside the filled part of the buffer.
    if (component.bufferOffset > dataEnd - dataStart ||
        component.filledBytes > dataEnd - dataStart - component.bufferOffset) {
        return KST_ERR_BAD_KEY;
    }
    const int64_t valueOffset = component.offset + firstOffset;
    const uint32_t stride = format.bytes + static_cast<uint32_t>(component.distance);
    const int64_t span = component.filledBytes - valueOffset;
    const uint64_t count = span >= format.bytes
                               ? static_cast<uint64_t>(span - format.bytes) / stride + 1
                               : 0;
    if (count > kMaxChannelCount || !TakeFromBudget(count)) {
        return KST_ERR_TOO_LARGE;
    }
    if (count > 0) {
        // Inside the buffer, which lies inside the data key: the sum cannot overflow.
        result = m_keys.Seek(dataStart + component.bufferOffset + valueOffset);
        if (result != KST_OK) {
            return result;
        }
    }
    const double factor = format.scaled ? component.factor : 1.0;
    const double offset = format.scaled ? component.valueOffset : 0.0;
    const uint32_t n = static_cast<uint32_t>(count);
    if (!times) {
        channel.SetSampleType(format.sampleType);
        return AppendWidened(channel, m_stream, format.kind, n, stride, factor, offset);
    }
    if (channel.GetCount() == 0) {
        channel.Reserve(n);
    }
    channel.FillTimes(1e300);
    timesSet = true;
    std::vector<double> chunk;
    uint32_t at = 0;
    const uint32_t got =
        ReadRawBlocks(m_stream, format.kind, n, stride, [&](const uint8_t* raw, uint32_t k) {
            chunk.resize(k);
            Widen(format.kind, raw, stride, chunk.data(), k, factor, offset);
            for (uint32_t i = 0; i < k; ++i) {
                channel.SetTimeAt(at++, chunk[i]);
            }
        });
    if (got < n) {
        // The values past the times read would keep a time the file never gave.
        KstKeepSamples(channel, got);
        return KST_ERR_END_OF_DATA;
    }
    return KST_OK;
}

int CKSTFamosFile::ReadSingleValue(CKSTChannel& channel)
{
    channel.Reset();
    channel.SetTimeBaseType(CKSTChannel::kEquidistant);
    int64_t length = 0, group = 0, formatCode = 0, nameLength = 0, unitLength = 0,
            commentLength = 0;
    CKSTString name, unit, comment;
    int result = m_keys.SkipVersion();
    if (result == KST_OK) result = m_keys.ReadInteger(length);
    if (result == KST_OK) result = m_keys.ReadInteger(group);
    if (result == KST_OK) result = m_keys.ReadInteger(formatCode);
    if (result == KST_OK) result = m_keys.ReadInteger(nameLength);
    if (result == KST_OK) result = m_keys.ReadText(nameLength, name);
    if (result != KST_OK) {
        return result;
    }
    NumberFormat format;
    if (!LookUpNumberFormat(formatCode, format)) {
        return KST_ERR_BAD_KEY;
    }
    uint8_t raw[8];
    double value = 0.0;
    result = m_keys.ReadBytes(raw, format.bytes);
    if (result != KST_OK) {
        return result;
    }
    Widen(format.kind, raw, format.bytes, &value, 1, 1.0, 0.0);
    char comma = 0;
    double seconds = 0.0;
    result = m_keys.ReadBytes(&comma, 1);
    if (result == KST_OK) result = m_keys.ReadInteger(unitLength);
    if (result == KST_OK) result = m_keys.ReadText(unitLength, unit);
    if (result == KST_OK) result = m_keys.ReadInteger(commentLength);
    if (result == KST_OK) result = m_keys.ReadText(commentLength, comment);
    if (result == KST_OK) result = m_keys.ReadBytes(&seconds, sizeof seconds);
    if (result != KST_OK) {
        return result;
    }
    channel.AppendValue(value, false);
    channel.SetSampleType(format.sampleType);
    CKSTTimeStamp start(1980, 1, 1, 0, 0, 0.0);
    if (std::isfinite(seconds)) {
        start.AddSeconds(seconds);
    }
    channel.SetStartTimeStamp(start);
    channel.SetName(name);
    channel.SetUnit(unit);
    channel.SetComment(comment);
    channel.SetSourceFile(m_stream.GetPath());
    if (group > 0 && static_cast<uint64_t>(group) <= m_groupNames.size()) {
        channel.SetGroup(m_groupNames[static_cast<size_t>(group - 1)]);
    }
    channel.SetTimeUnit("");
    channel.SetDt(1.0);
    channel.SetT0(0.0);
    return KST_OK;
}

// --- Text keys and the whole file ---

int CKSTFamosFile::ReadComments(CKSTHeaderInfoList& header)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    header.Clear();
    if (m_version != 2) {
        return KST_OK;
    }
    if (m_keys.Seek(0) != KST_OK || ReadVersion() != KST_OK || m_key.IsEmpty()) {
        return KST_OK;
    }
    for (;;) {
        const int64_t keyPosition = m_keys.Tell() - 3;
        if (m_key == "CS") {
            int64_t length = 0;
            if (m_keys.SkipVersion() != KST_OK || m_keys.ReadInteger(length) != KST_OK ||
                length < 0 || length >= m_keys.Remaining()) {
                break;
            }
        } else if (m_key == "CT") {
            int64_t length = 0, group = 0, nameLength = 0, textLength = 0, commentLength = 0;
            CKSTString name, text, comment;
            int result = m_keys.SkipVersion();
            if (result == KST_OK) result = m_keys.ReadInteger(length);
            if (result == KST_OK) result = m_keys.ReadInteger(group);
            if (result == KST_OK) result = m_keys.ReadInteger(nameLength);
            if (result == KST_OK) result = m_keys.ReadText(nameLength, name);
            if (result == KST_OK) result = m_keys.ReadInteger(textLength);
            if (result == KST_OK) result = m_keys.ReadText(textLength, text);
            if (result == KST_OK) result = m_keys.ReadInteger(commentLength);
            if (result == KST_OK) result = m_keys.ReadText(commentLength, comment);
            if (result != KST_OK) {
                break;
            }
            if (name == "_Comment") {
                header.Add(CKSTHeaderInfoItem("Comment", text, true));
            } else {
                CKSTHeaderInfoItem item(name, text, comment == "AHV");
                // Only the value is stored in the hidden form; the key name is plain.
                item.Unscramble(KST_SCRAMBLE_RANMAR, true);
                header.Add(item);
            }
        }
        if (NextKey(keyPosition) != KST_OK) {
            break;
        }
    }
    return KST_OK;
}

int CKSTFamosFile::Read(CKSTDataSet& dataSet)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    dataSet.Clear(false);
    if (m_keys.Seek(0) != KST_OK) {
        return KST_ERR_END_OF_DATA;
    }
    if (ReadVersion() != KST_OK) {
        return KST_ERR_NOT_FAMOS;
    }
    m_key.Empty();
    int result = ReadComments(dataSet.GetHeader());
    if (result == KST_OK) {
        result = ReadChannels(dataSet.GetChannels(), false);
    }
    if (result == KST_OK) {
        dataSet.SetName(m_stream.GetPath());
    }
    return result;
}

int CKSTFamosFile::Read(CKSTDataSet& dataSet, const CKSTChannelList*, bool)
{
    return Read(dataSet);
}
