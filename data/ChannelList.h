#pragma once
// The ordered channels of a data set, reader or dialog. Each entry is a channel pointer with an
// owned flag: owned channels are deleted by the list, others belong to somebody else.

#include "data/Channel.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

#include <cstdint>
#include <vector>

class CKSTChannelList {
public:
    CKSTChannelList() = default;
    // Copying would delete the owned channels twice; use CopyFrom or CopyDeep.
    CKSTChannelList(const CKSTChannelList&) = delete;
    CKSTChannelList& operator=(const CKSTChannelList&) = delete;
    ~CKSTChannelList();

    CKSTString GetText() const { return m_text; }
    void SetText(const CKSTString& text) { m_text = text; }

    int GetCount() const { return static_cast<int>(m_channels.size()); }
    // Null out of range.
    CKSTChannel* GetAt(int i) const;
    bool IsOwned(int i) const;

    // Each returns the index of the new entry.
    int AddCopy(const CKSTChannel& channel);
    int AddNew();
    // A channel that stays its caller's (owned = false) or is handed over to the list.
    int AddPointer(CKSTChannel* channel, bool owned);
    // Inserts at the position (clamped into the list); returns the last index.
    int InsertCopy(const CKSTChannel& channel, int position);

    // Out-of-range indexes are ignored.
    void RemoveAt(int i);
    void RemoveEmpty();
    void DeleteAll();
    void CopyFrom(const CKSTChannelList& other);
    // Every channel's description without samples.
    void CopyDeep(const CKSTChannelList& other);
    // Every channel of the other list with its samples between the two time stamps.
    void CopyTimeWindow(const CKSTChannelList& other, const CKSTTimeStamp& stamp1,
                        const CKSTTimeStamp& stamp2, bool keepStamp);

    CKSTChannel* FindByNumber(int32_t number) const;
    CKSTChannel* FindByGroupAndName(const CKSTString& group, const CKSTString& name) const;

    uint32_t GetMaxSampleCount() const;
    bool HasCommonTimeBase() const;
    double GetStartTime() const;
    double GetEndTime() const;
    double GetSampleInterval() const;
    double GetMaxSampleInterval() const;
    CKSTTimeStamp GetEarliestStartTimeStamp() const;
    CKSTTimeStamp GetFirstSampleTimeStamp() const;
    CKSTTimeStamp GetLastSampleTimeStamp() const;
    CKSTString GetTimeUnit() const;
    bool HasMissingSamples() const;
    uint64_t GetMemorySize() const;
    double GetMemorySizeMB() const;

    void SelectAll(bool selected);
    void FreeAllData();
    void SetStartTimeStamp(const CKSTTimeStamp& stamp);
    // After an import: regular time vectors become equidistant channels.
    void FinishAll();
    // The channel reduction of the same name on every channel.
    void Decimate(uint32_t n);
    void ReduceByAverage(uint32_t n);
    void ReduceByMinimum(uint32_t n);
    void ReduceByMaximum(uint32_t n);
    // Unique name = name, or name + "@" + k when k earlier channels carry the same name.
    void MakeUniqueNames();

private:
    int InsertPointer(CKSTChannel* channel, bool owned, int position);
    bool AnyHasSamples() const;

    CKSTString m_text;
    std::vector<CKSTChannel*> m_channels;
    std::vector<uint8_t> m_owned;
};
