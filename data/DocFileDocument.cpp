// Which records make up each kind of container and in which order: documents, the recording
// file and its appends, and the section scans that read channels back.

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "data/DataSet.h"
#include "data/DocFile.h"
#include "data/DocFileJoin.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/ErrorCodes.h"

namespace {

bool IsChannelTag(uint8_t tag)
{
    return tag == KST_TAG_CHANNEL || tag == KST_TAG_CHANNEL_C || tag == KST_TAG_CHANNEL_OLD;
}

bool IsValueTextTag(uint8_t tag)
{
    return tag == KST_TAG_VALUE_TEXT || tag == KST_TAG_VALUE_TEXT_OLD;
}

bool PeekIndex(const CKSTDocReader& record, uint32_t& index)
{
    CKSTDocReader peek = record;
    uint16_t k;
    if (!peek.ReadU16(k)) {
        return false;
    }
    index = k;
    return true;
}

bool SelectedByFilter(const CKSTChannel& channel, const CKSTChannelList* filter)
{
    if (filter == nullptr || filter->GetCount() == 0) {
        return true;
    }
    for (int i = 0; i < filter->GetCount(); ++i) {
        const CKSTChannel* f = filter->GetAt(i);
        if (f != nullptr && f->GetName() == channel.GetName() &&
            f->GetGroup() == channel.GetGroup()) {
            return f->IsSelected();
        }
    }
    return false;
}

// What the channel scan knows of one channel index of the file.
struct ChannelSlot {
    CKSTChannel* channel = nullptr;  // set by the channel record
    uint32_t timeBase = 0;
    bool selected = false;
    std::unique_ptr<CKSTChannel> times;  // times stored under this index, as values
    bool timesNeeded = false;            // some selected channel takes its times from here
};

// The next indexed data record: its index and its bytes (single values included). False when
// the data end inside it.
bool TakeIndexed(CKSTDocReader& records, uint8_t tag, uint32_t& index, CKSTDocReader& payload)
{
    const size_t start = records.GetPosition();
    bool ok = records.ReadCount8(index);
    if (ok) {
        ok = IsFixedSizeTag(tag) ? records.TakeRecord(GetFixedTagSize(tag), payload)
                                 : records.TakeFramedRecord(payload);
    }
    if (!ok) {
        records.SetPosition(start);
    }
    return ok;
}

}  // namespace

// --- Writing ---

int CKSTDocFile::WriteDataSet(const CKSTDataSet& dataSet, bool shareTimeBases)
{
    int result = CheckWritable();
    if (result == KST_OK && dataSet.HasWindowSettings()) {
        result = WriteCurveWndSettings(dataSet.GetWindowSettings(), false);
    }
    if (result == KST_OK) {
        result = WriteKxdPropertyList(*this, dataSet.GetHeader());
    }
    if (result == KST_OK) {
        result = WriteChannels(dataSet.GetChannels(), shareTimeBases);
    }
    return result;
}

int CKSTDocFile::WriteChannels(const CKSTChannelList& channels, bool shareTimeBases)
{
    const int check = CheckWritable();
    if (check != KST_OK) {
        return check;
    }
    const int n = channels.GetCount();
    if (n > 0 && static_cast<uint32_t>(n - 1) > kMaxChannelIndex) {
        return KST_ERR_TOO_LARGE;
    }
    // With sharing, a run of adjacent time vectors over the same times stores them once.
    std::vector<uint32_t> timeBase(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const CKSTChannel* channel = channels.GetAt(i);
        const uint32_t index = static_cast<uint32_t>(i);
        timeBase[i] = index;
        if (shareTimeBases && i > 0 && channel->GetTimeBaseType() == CKSTChannel::kTimeVector &&
            channel->HasSameTimeBase(*channels.GetAt(i - 1))) {
            timeBase[i] = timeBase[i - 1];
        }
        const int result = WriteChannelRecord(*channel, index, timeBase[i]);
        if (result != KST_OK) {
            return result;
        }
    }
    for (int i = 0; i < n; ++i) {
        const CKSTChannel* channel = channels.GetAt(i);
        const uint32_t index = static_cast<uint32_t>(i);
        int result = KST_OK;
        if (channel->GetTimeBaseType() == CKSTChannel::kTimeVector && timeBase[i] == index) {
            result = WriteTimeVector(*channel, index);
        }
        if (result == KST_OK) {
            result = channel->HasMissing() ? WriteSamplesWithMissing(*channel, index)
                                           : WriteSamples(*channel, index, 0, channel->GetCount());
        }
        if (result != KST_OK) {
            return result;
        }
    }
    return KST_OK;
}

int CKSTDocFile::AppendNewSamples(const CKSTChannelList& channels)
{
    const int check = CheckWritable();
    if (check != KST_OK) {
        return check;
    }
    if (channels.GetCount() > 0 &&
        static_cast<uint32_t>(channels.GetCount() - 1) > kMaxChannelIndex) {
        return KST_ERR_TOO_LARGE;
    }
    for (int i = 0; i < channels.GetCount(); ++i) {
        const int result = AppendChannelSamples(*channels.GetAt(i), static_cast<uint32_t>(i));
        if (result != KST_OK) {
            return result;
        }
    }
    return KST_OK;
}

int CKSTDocFile::AppendChannelSamples(const CKSTChannel& channel, uint32_t index)
{
    const uint32_t n = channel.GetCount();
    if (n == 0) {
        return KST_OK;
    }
    const bool timeVector = channel.GetTimeBaseType() == CKSTChannel::kTimeVector;
    if (n == 1) {
        int result = KST_OK;
        if (timeVector) {
            result = WriteSingleTime(index, channel.GetSampleType(), channel.GetTimes()[0]);
        }
        if (result == KST_OK) {
            // A missing sample stays missing rather than turning into a value.
            result = channel.IsMissing(0)
                         ? WriteMissingRun(index, 1)
                         : WriteSingleValue(index, channel.GetSampleType(), channel.GetValues()[0]);
        }
        return result;
    }
    int result = KST_OK;
    if (timeVector) {
        result = WriteTimeVector(channel, index);
    }
    if (result == KST_OK) {
        result = channel.HasMissing() ? WriteSamplesWithMissing(channel, index)
                                      : WriteSamples(channel, index, 0, n);
    }
    return result;
}

// --- Reading ---

int CKSTDocFile::ReadDataSet(CKSTDataSet& dataSet, const CKSTChannelList* filter,
                             uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    dataSet.Clear(false);
    // One image serves the three section scans.
    CKSTDocImage image;
    const int loaded = LoadImage(image);
    if (loaded != KST_OK) {
        return loaded;
    }
    uint8_t settingsNewer = 0;
    uint8_t headerNewer = 0;
    uint8_t channelsNewer = 0;
    CKSTCurveWndSettings settings;
    CKSTDocReader settingsRecords = image.GetRecords();
    const int settingsResult =
        ReadSettingsRecords(settingsRecords, settings, false, &settingsNewer, false);
    if (settingsResult == KST_OK) {
        dataSet.SetWindowSettings(settings);
    }
    const int headerResult =
        ReadKxdPropertyList(*this, image.GetRecords(), dataSet.GetHeader(), &headerNewer);
    const int channelResult =
        ReadChannels(image.GetRecords(), dataSet.GetChannels(), filter, false, &channelsNewer);
    if (channelResult == KST_OK || channelResult == KST_ERR_BAD_HEADER ||
        channelResult == KST_ERR_END_OF_DATA) {
        dataSet.SetName(GetPath());
        if (channelResult == KST_ERR_BAD_HEADER) {
            dataSet.SetStartTimeStamp(GetWriteTime());
        }
    }
    if (newerKinds != nullptr) {
        *newerKinds = (settingsNewer | headerNewer | channelsNewer) != 0 ? 1 : 0;
    }
    if (headerResult != KST_OK) {
        return headerResult;
    }
    if (channelResult != KST_OK) {
        return channelResult;
    }
    // KST_ERR_NO_SETTINGS, or the error of a settings set that could not be read.
    return settingsResult;
}

// --- Reading channels ---

int CKSTDocFile::ReadChannels(CKSTChannelList& channels, const CKSTChannelList* filter, bool append,
                              uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    CKSTDocImage image;
    const int result = LoadImage(image);
    if (result != KST_OK) {
        return result;
    }
    return ReadChannels(image.GetRecords(), channels, filter, append, newerKinds);
}

int CKSTDocFile::ReadChannels(const CKSTDocReader& recordsIn, CKSTChannelList& channels,
                              const CKSTChannelList* filter, bool append, uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (!append) {
        channels.DeleteAll();
    }
    const int base = channels.GetCount();
    std::vector<ChannelSlot> slots;
    auto slotAt = [&slots](uint32_t k) -> ChannelSlot& {
        if (k >= slots.size()) {
            slots.resize(static_cast<size_t>(k) + 1);
        }
        return slots[k];
    };

    CKSTDocReader records = recordsIn;
    // Counted first, so that each channel is allocated once at the size the file gives it.
    const kst_doc::SampleCounts counts = kst_doc::CountSamples(recordsIn);
    const uint64_t bits = 8 * static_cast<uint64_t>(recordsIn.GetSize());
    int result = KST_OK;
    try {
        uint8_t tag;
        while (result == KST_OK && records.ReadTag(tag) == KST_OK) {
            if (IsChannelTag(tag) || IsValueTextTag(tag)) {
                CKSTDocReader record;
                uint32_t k;
                if (!records.TakeFramedRecord(record)) {
                    result = KST_ERR_END_OF_DATA;
                    break;
                }
                if (!PeekIndex(record, k)) {
                    result = KST_ERR_BAD_RECORD;
                    break;
                }
                if (IsValueTextTag(tag)) {
                    const ChannelSlot* slot = k < slots.size() ? &slots[k] : nullptr;
                    CKSTChannel* target =
                        slot != nullptr && slot->channel != nullptr && slot->selected
                            ? slot->channel
                            : nullptr;
                    result = ReadValueText(record, target, tag);
                    continue;
                }
                if (!GrowList(channels, base + static_cast<int>(k))) {
                    result = KST_ERR_TOO_LARGE;
                    break;
                }
                ChannelSlot& slot = slotAt(k);
                slot.channel = channels.GetAt(base + static_cast<int>(k));
                result = ReadChannelRecord(record, *slot.channel, tag, slot.timeBase);
                if (result != KST_OK) {
                    break;
                }
                slot.selected = SelectedByFilter(*slot.channel, filter);
                slot.channel->SetSelected(slot.selected);
                if (slot.selected) {
                    slot.channel->Reserve(counts.ForValues(k, bits, m_samplesLeft));
                    slot.channel->TouchRoom();
                }
                if (slot.selected && slot.channel->GetTimeBaseType() == CKSTChannel::kTimeVector) {
                    slotAt(slot.timeBase).timesNeeded = true;
                }
                continue;
            }
            if (IsFixedSizeTag(tag) || IsLengthPrefixedTag(tag)) {
                uint32_t k;
                CKSTDocReader payload;
                if (!TakeIndexed(records, tag, k, payload)) {
                    result = KST_ERR_END_OF_DATA;
                    break;
                }
                if (k >= slots.size()) {
                    continue;  // no channel record for this index (yet)
                }
                ChannelSlot& slot = slots[k];
                const bool timeTag = IsFixedSizeTag(tag) ? (tag & 1) != 0 : IsTimeBlockTag(tag);
                if (timeTag) {
                    if (!slot.timesNeeded) {
                        continue;
                    }
                    if (!slot.times) {
                        slot.times = std::make_unique<CKSTChannel>();
                        slot.times->Reserve(counts.ForTimes(k, bits, m_samplesLeft));
                        slot.times->TouchRoom();
                    }
                    result = IsFixedSizeTag(tag) ? ReadSingleTime(payload, *slot.times, tag)
                                                 : ReadTimeBlock(payload, *slot.times, tag);
                } else if (slot.channel != nullptr && slot.selected) {
                    result = IsFixedSizeTag(tag) ? ReadSingleValue(payload, *slot.channel, tag)
                                                 : ReadValueBlock(payload, *slot.channel, tag);
                }
                continue;
            }
            result = records.SkipByClass(tag, newerKinds);
        }
    } catch (const std::bad_alloc&) {
        result = KST_ERR_TOO_LARGE;
    }

    // Time vectors join their times even after an error, so that what was read stays usable.
    // The last channel to use a run of times takes it over instead of copying it.
    std::vector<uint32_t> users(slots.size(), 0);
    for (const ChannelSlot& slot : slots) {
        if (slot.channel != nullptr &&
            slot.channel->GetTimeBaseType() == CKSTChannel::kTimeVector &&
            slot.timeBase < slots.size()) {
            ++users[slot.timeBase];
        }
    }
    for (ChannelSlot& slot : slots) {
        CKSTChannel* channel = slot.channel;
        if (channel == nullptr || channel->GetTimeBaseType() != CKSTChannel::kTimeVector) {
            continue;
        }
        ChannelSlot* source = slot.timeBase < slots.size() ? &slots[slot.timeBase] : nullptr;
        CKSTChannel* times = source != nullptr ? source->times.get() : nullptr;
        kst_doc::JoinTimes(*channel, times, source != nullptr && --users[slot.timeBase] == 0);
        channel->MakeEquidistantIfRegular();
    }
    if (filter != nullptr && filter->GetCount() > 0) {
        for (int i = channels.GetCount() - 1; i >= base; --i) {
            if (!channels.GetAt(i)->IsSelected()) {
                channels.RemoveAt(i);
            }
        }
    }
    if (result == KST_OK && channels.GetCount() == 0) {
        result = KST_ERR_BAD_HEADER;
    }
    return result;
}

int CKSTDocFile::ReadChannelRecords(CKSTChannelList& channels, bool append, uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    CKSTDocImage image;
    int result = LoadImage(image);
    if (result != KST_OK) {
        return result;
    }
    if (!append) {
        channels.DeleteAll();
    }
    const int base = channels.GetCount();
    CKSTDocReader records = image.GetRecords();
    uint8_t tag;
    while (result == KST_OK && records.ReadTag(tag) == KST_OK) {
        if (IsChannelTag(tag)) {
            CKSTDocReader record;
            uint32_t k;
            if (!records.TakeFramedRecord(record)) {
                break;
            }
            if (!PeekIndex(record, k)) {
                result = KST_ERR_BAD_RECORD;
                break;
            }
            if (!GrowList(channels, base + static_cast<int>(k))) {
                result = KST_ERR_TOO_LARGE;
                break;
            }
            uint32_t timeBase;
            result = ReadChannelRecord(record, *channels.GetAt(base + static_cast<int>(k)), tag,
                                       timeBase);
        } else if (records.SkipByClass(tag, newerKinds) != KST_OK) {
            break;
        }
    }
    if (result == KST_OK && channels.GetCount() == 0) {
        result = KST_ERR_BAD_HEADER;
    }
    return result;
}

int CKSTDocFile::ReadChannelData(CKSTChannel& channel, uint32_t index, uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    CKSTDocImage image;
    const int result = LoadImage(image);
    if (result != KST_OK) {
        return result;
    }
    return ReadChannelData(image.GetRecords(), channel, index, newerKinds);
}

int CKSTDocFile::ReadChannelData(const CKSTDocReader& recordsIn, CKSTChannel& channel,
                                 uint32_t index, uint8_t* newerKinds)
{
    if (newerKinds != nullptr) {
        *newerKinds = 0;
    }
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    CKSTDocReader records = recordsIn;
    const kst_doc::SampleCounts counts = kst_doc::CountSamples(recordsIn);
    const uint64_t bits = 8 * static_cast<uint64_t>(recordsIn.GetSize());
    bool found = false;
    uint32_t timeBase = 0;
    CKSTChannel times;
    int result = KST_OK;
    try {
        uint8_t tag;
        while (result == KST_OK && records.ReadTag(tag) == KST_OK) {
            if (IsChannelTag(tag)) {
                CKSTDocReader record;
                uint32_t k;
                if (!records.TakeFramedRecord(record)) {
                    break;
                }
                if (PeekIndex(record, k) && k == index) {
                    result = ReadChannelRecord(record, channel, tag, timeBase);
                    found = result == KST_OK;
                    if (found) {
                        channel.Reserve(counts.ForValues(k, bits, m_samplesLeft));
                        channel.TouchRoom();
                        times.Reserve(counts.ForTimes(timeBase, bits, m_samplesLeft));
                        times.TouchRoom();
                    }
                }
                continue;
            }
            if (IsFixedSizeTag(tag) || IsLengthPrefixedTag(tag)) {
                uint32_t k;
                CKSTDocReader payload;
                if (!TakeIndexed(records, tag, k, payload)) {
                    break;
                }
                if (!found) {
                    continue;
                }
                const bool timeTag = IsFixedSizeTag(tag) ? (tag & 1) != 0 : IsTimeBlockTag(tag);
                if (timeTag && k == timeBase &&
                    channel.GetTimeBaseType() == CKSTChannel::kTimeVector) {
                    result = IsFixedSizeTag(tag) ? ReadSingleTime(payload, times, tag)
                                                 : ReadTimeBlock(payload, times, tag);
                } else if (!timeTag && k == index) {
                    result = IsFixedSizeTag(tag) ? ReadSingleValue(payload, channel, tag)
                                                 : ReadValueBlock(payload, channel, tag);
                }
                continue;
            }
            if (records.SkipByClass(tag, newerKinds) != KST_OK) {
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        result = KST_ERR_TOO_LARGE;
    }
    if (found && channel.GetTimeBaseType() == CKSTChannel::kTimeVector) {
        kst_doc::JoinTimes(channel, &times, true);
        channel.MakeEquidistantIfRegular();
    }
    if (result == KST_OK && !found) {
        result = KST_ERR_BAD_HEADER;
    }
    return result;
}

// --- Node-protocol messages ---

int CKSTDocFile::WritePropertyListToMemory(const CKSTHeaderInfoList& list, CKSTMemBuffer& buffer,
                                           bool append)
{
    if (append && (buffer.GetSize() < kDocMagicSize ||
                   std::memcmp(buffer.GetData(), kDocMagic, kDocMagicSize) != 0)) {
        // Entries behind anything but the magic would make a message no reader accepts.
        return KST_ERR_NOT_CONTAINER;
    }
    int result = OpenMemoryWrite();
    if (result != KST_OK) {
        return result;
    }
    if (append) {
        SetMemory(buffer);
    }
    result = WriteKxdPropertyList(*this, list);
    if (result == KST_OK) {
        GetMemory(buffer);
    }
    static_cast<void>(Close());
    return result;
}

int CKSTDocFile::ReadPropertyListFromMemory(CKSTHeaderInfoList& list, const CKSTMemBuffer& buffer)
{
    SetMemory(buffer);
    int result = OpenMemoryRead();
    if (result != KST_OK) {
        return result;
    }
    result = ReadKxdPropertyList(*this, list, nullptr);
    static_cast<void>(Close());
    return result;
}

int CKSTDocFile::ReadSamplesFromMemory(CKSTChannel& channel, uint32_t index,
                                       const CKSTMemBuffer& buffer)
{
    SetMemory(buffer);
    int result = OpenMemoryRead();
    if (result != KST_OK) {
        return result;
    }
    result = ReadChannelData(channel, index, nullptr);
    static_cast<void>(Close());
    return result;
}
