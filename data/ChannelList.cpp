#include "data/ChannelList.h"

#include <algorithm>
#include <map>
#include <memory>

namespace {

const double kHuge = 1e300;

}  // namespace

CKSTChannelList::~CKSTChannelList()
{
    DeleteAll();
}

CKSTChannel* CKSTChannelList::GetAt(int i) const
{
    return i >= 0 && i < GetCount() ? m_channels[i] : nullptr;
}

bool CKSTChannelList::IsOwned(int i) const
{
    return i >= 0 && i < GetCount() && m_owned[i] != 0;
}

int CKSTChannelList::AddPointer(CKSTChannel* channel, bool owned)
{
    return InsertPointer(channel, owned, GetCount());
}

int CKSTChannelList::InsertPointer(CKSTChannel* channel, bool owned, int position)
{
    // Both vectors grow before either changes, so a failed allocation leaves them paired;
    // geometrically, so that building a long list stays linear.
    if (m_channels.size() == m_channels.capacity() || m_owned.size() == m_owned.capacity()) {
        const size_t capacity = std::max<size_t>(8, 2 * m_channels.size());
        m_channels.reserve(capacity);
        m_owned.reserve(capacity);
    }
    position = std::clamp(position, 0, GetCount());
    m_channels.insert(m_channels.begin() + position, channel);
    m_owned.insert(m_owned.begin() + position, owned ? 1 : 0);
    return position;
}

int CKSTChannelList::AddCopy(const CKSTChannel& channel)
{
    auto copy = std::make_unique<CKSTChannel>(channel);
    const int index = InsertPointer(copy.get(), true, GetCount());
    copy.release();
    return index;
}

int CKSTChannelList::AddNew()
{
    auto channel = std::make_unique<CKSTChannel>();
    const int index = InsertPointer(channel.get(), true, GetCount());
    channel.release();
    return index;
}

int CKSTChannelList::InsertCopy(const CKSTChannel& channel, int position)
{
    auto copy = std::make_unique<CKSTChannel>(channel);
    InsertPointer(copy.get(), true, position);
    copy.release();
    return GetCount() - 1;
}

void CKSTChannelList::RemoveAt(int i)
{
    if (i < 0 || i >= GetCount()) {
        return;
    }
    CKSTChannel* channel = m_channels[i];
    const bool owned = m_owned[i] != 0;
    m_channels.erase(m_channels.begin() + i);
    m_owned.erase(m_owned.begin() + i);
    if (owned) {
        delete channel;
    }
}

void CKSTChannelList::RemoveEmpty()
{
    for (int i = GetCount() - 1; i >= 0; --i) {
        if (m_channels[i]->GetCount() == 0) {
            RemoveAt(i);
        }
    }
}

void CKSTChannelList::DeleteAll()
{
    // Taken out first: a channel's windows, told as it is destroyed, may call back into the list.
    std::vector<CKSTChannel*> channels;
    std::vector<uint8_t> owned;
    channels.swap(m_channels);
    owned.swap(m_owned);
    for (size_t i = 0; i < channels.size(); ++i) {
        if (owned[i]) {
            delete channels[i];
        }
    }
}

void CKSTChannelList::CopyFrom(const CKSTChannelList& other)
{
    if (this == &other) {
        return;
    }
    DeleteAll();
    for (const CKSTChannel* channel : other.m_channels) {
        AddCopy(*channel);
    }
}

void CKSTChannelList::CopyDeep(const CKSTChannelList& other)
{
    if (this == &other) {
        return;
    }
    DeleteAll();
    for (const CKSTChannel* channel : other.m_channels) {
        m_channels[AddNew()]->CopyFrom(*channel);
    }
}

void CKSTChannelList::CopyTimeWindow(const CKSTChannelList& other, const CKSTTimeStamp& stamp1,
                                     const CKSTTimeStamp& stamp2, bool keepStamp)
{
    if (this == &other) {
        return;
    }
    DeleteAll();
    for (const CKSTChannel* channel : other.m_channels) {
        m_channels[AddNew()]->CopyTimeWindow(*channel, stamp1, stamp2, keepStamp);
    }
}

CKSTChannel* CKSTChannelList::FindByNumber(int32_t number) const
{
    for (CKSTChannel* channel : m_channels) {
        if (channel->GetNumber() == number) {
            return channel;
        }
    }
    return nullptr;
}

CKSTChannel* CKSTChannelList::FindByGroupAndName(const CKSTString& group,
                                                 const CKSTString& name) const
{
    for (CKSTChannel* channel : m_channels) {
        if (channel->GetGroup() == group && channel->GetName() == name) {
            return channel;
        }
    }
    return nullptr;
}

uint32_t CKSTChannelList::GetMaxSampleCount() const
{
    uint32_t most = 0;
    for (const CKSTChannel* channel : m_channels) {
        most = std::max(most, channel->GetCount());
    }
    return most;
}

bool CKSTChannelList::HasCommonTimeBase() const
{
    for (size_t i = 1; i < m_channels.size(); ++i) {
        if (!m_channels[i]->HasSameTimeBase(*m_channels[0])) {
            return false;
        }
    }
    return true;
}

bool CKSTChannelList::AnyHasSamples() const
{
    return std::any_of(m_channels.begin(), m_channels.end(),
                       [](const CKSTChannel* c) { return c->GetCount() > 0; });
}

double CKSTChannelList::GetStartTime() const
{
    if (m_channels.empty()) {
        return 0.0;
    }
    if (!AnyHasSamples()) {
        return m_channels[0]->GetStartTime();
    }
    double earliest = m_channels[0]->GetStartTime();
    for (const CKSTChannel* channel : m_channels) {
        earliest = std::min(earliest, channel->GetStartTime());
    }
    return earliest;
}

double CKSTChannelList::GetEndTime() const
{
    if (m_channels.empty()) {
        return 0.0;
    }
    if (!AnyHasSamples()) {
        return m_channels[0]->GetEndTime();
    }
    double latest = m_channels[0]->GetEndTime();
    for (const CKSTChannel* channel : m_channels) {
        latest = std::max(latest, channel->GetEndTime());
    }
    return latest;
}

double CKSTChannelList::GetSampleInterval() const
{
    if (m_channels.empty()) {
        return 0.0;
    }
    double smallest = kHuge;
    for (const CKSTChannel* channel : m_channels) {
        if (channel->GetCount() > 0) {
            smallest = std::min(smallest, channel->GetSampleInterval());
        }
    }
    return smallest;
}

double CKSTChannelList::GetMaxSampleInterval() const
{
    if (m_channels.empty()) {
        return 0.0;
    }
    double largest = m_channels[0]->GetSampleInterval();
    for (const CKSTChannel* channel : m_channels) {
        largest = std::max(largest, channel->GetSampleInterval());
    }
    return largest;
}

CKSTTimeStamp CKSTChannelList::GetEarliestStartTimeStamp() const
{
    if (m_channels.empty()) {
        return CKSTTimeStamp();
    }
    CKSTTimeStamp earliest = m_channels[0]->GetStartTimeStamp();
    for (const CKSTChannel* channel : m_channels) {
        const CKSTTimeStamp stamp = channel->GetStartTimeStamp();
        if (stamp < earliest) {
            earliest = stamp;
        }
    }
    return earliest;
}

CKSTTimeStamp CKSTChannelList::GetFirstSampleTimeStamp() const
{
    if (m_channels.empty()) {
        return CKSTTimeStamp();
    }
    bool found = false;
    CKSTTimeStamp earliest;
    for (const CKSTChannel* channel : m_channels) {
        if (channel->GetCount() == 0) {
            continue;
        }
        const CKSTTimeStamp stamp = channel->GetFirstSampleTimeStamp();
        if (!found || stamp < earliest) {
            earliest = stamp;
            found = true;
        }
    }
    return found ? earliest : m_channels[0]->GetFirstSampleTimeStamp();
}

CKSTTimeStamp CKSTChannelList::GetLastSampleTimeStamp() const
{
    if (m_channels.empty()) {
        return CKSTTimeStamp();
    }
    bool found = false;
    CKSTTimeStamp latest;
    for (const CKSTChannel* channel : m_channels) {
        if (channel->GetCount() == 0) {
            continue;
        }
        const CKSTTimeStamp stamp = channel->GetLastSampleTimeStamp();
        if (!found || stamp > latest) {
            latest = stamp;
            found = true;
        }
    }
    return found ? latest : m_channels[0]->GetLastSampleTimeStamp();
}

CKSTString CKSTChannelList::GetTimeUnit() const
{
    if (m_channels.empty()) {
        return CKSTString("s");
    }
    for (const CKSTChannel* channel : m_channels) {
        if (channel->GetTimeBaseType() == CKSTChannel::kTimeVector) {
            return channel->GetTimeUnit();
        }
    }
    return m_channels[0]->GetTimeUnit();
}

bool CKSTChannelList::HasMissingSamples() const
{
    return std::any_of(m_channels.begin(), m_channels.end(),
                       [](const CKSTChannel* c) { return c->HasMissing(); });
}

uint64_t CKSTChannelList::GetMemorySize() const
{
    uint64_t bytes = sizeof(CKSTChannelList) + static_cast<uint64_t>(m_text.GetLength());
    for (const CKSTChannel* channel : m_channels) {
        bytes += channel->GetMemorySize();
    }
    return bytes;
}

double CKSTChannelList::GetMemorySizeMB() const
{
    return static_cast<double>(GetMemorySize()) / (1024.0 * 1024.0);
}

void CKSTChannelList::SelectAll(bool selected)
{
    for (CKSTChannel* channel : m_channels) {
        channel->SetSelected(selected);
    }
}

void CKSTChannelList::FreeAllData()
{
    for (CKSTChannel* channel : m_channels) {
        channel->FreeData(true, true);
    }
}

void CKSTChannelList::SetStartTimeStamp(const CKSTTimeStamp& stamp)
{
    for (CKSTChannel* channel : m_channels) {
        channel->SetStartTimeStamp(stamp);
    }
}

void CKSTChannelList::FinishAll()
{
    for (CKSTChannel* channel : m_channels) {
        channel->MakeEquidistantIfRegular();
    }
}

void CKSTChannelList::Decimate(uint32_t n)
{
    for (CKSTChannel* channel : m_channels) {
        channel->Decimate(n);
    }
}

void CKSTChannelList::ReduceByAverage(uint32_t n)
{
    for (CKSTChannel* channel : m_channels) {
        channel->ReduceByAverage(n);
    }
}

void CKSTChannelList::ReduceByMinimum(uint32_t n)
{
    for (CKSTChannel* channel : m_channels) {
        channel->ReduceByMinimum(n);
    }
}

void CKSTChannelList::ReduceByMaximum(uint32_t n)
{
    for (CKSTChannel* channel : m_channels) {
        channel->ReduceByMaximum(n);
    }
}

void CKSTChannelList::MakeUniqueNames()
{
    std::map<CKSTString, int32_t> seen;
    for (CKSTChannel* channel : m_channels) {
        const CKSTString name = channel->GetName();
        const int32_t earlier = seen[name]++;
        if (earlier == 0) {
            channel->SetUniqueName(name);
        } else {
            CKSTString unique = name;
            unique += '@';
            unique.AppendLong(earlier);
            channel->SetUniqueName(unique);
        }
    }
}
