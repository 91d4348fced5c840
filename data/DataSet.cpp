#include "data/DataSet.h"

#include <algorithm>
#include <memory>

namespace {

bool ShowsChannel(const CKSTCurveSettings& curve, const CKSTString& name, const CKSTString& group)
{
    return curve.m_Name == name && curve.m_Group == group;
}

// Events are stored in seconds from the start of their channel; when the channel's data move
// within it, the events move with them.
void ShiftEvents(CKSTCurveWndSettings& settings, const CKSTString& name, const CKSTString& group,
                 double seconds)
{
    for (const std::unique_ptr<CKSTCurveSettings>& curve : settings.m_Curves) {
        if (!ShowsChannel(*curve, name, group)) {
            continue;
        }
        for (const std::unique_ptr<CKSTMarkerSettings>& marker : curve->m_Markers) {
            marker->m_Value += seconds;
        }
    }
}

// The events of the first curve record of `from` that shows the channel are appended to every
// curve record of `to` that shows it, their fonts interned into `to`; `from` loses them.
void MoveEvents(CKSTCurveWndSettings& to, CKSTCurveWndSettings& from, const CKSTString& name,
                const CKSTString& group)
{
    CKSTCurveSettings* source = nullptr;
    for (const std::unique_ptr<CKSTCurveSettings>& curve : from.m_Curves) {
        if (ShowsChannel(*curve, name, group)) {
            source = curve.get();
            break;
        }
    }
    if (source == nullptr) {
        return;
    }
    for (const std::unique_ptr<CKSTCurveSettings>& curve : to.m_Curves) {
        if (!ShowsChannel(*curve, name, group)) {
            continue;
        }
        for (const std::unique_ptr<CKSTMarkerSettings>& marker : source->m_Markers) {
            int16_t font = -1;
            if (marker->m_Font >= 0 && static_cast<size_t>(marker->m_Font) < from.m_Fonts.size()) {
                font = to.InternFont(*from.m_Fonts[marker->m_Font]);
            }
            curve->AddMarker(marker.get(), font);
        }
    }
    for (const std::unique_ptr<CKSTCurveSettings>& curve : from.m_Curves) {
        if (ShowsChannel(*curve, name, group)) {
            curve->ClearMarkers();
        }
    }
}

bool ListHasChannel(const CKSTChannelList& list, const CKSTString& name, const CKSTString& group)
{
    return list.FindByGroupAndName(group, name) != nullptr;
}

}  // namespace

CKSTDataSet::CKSTDataSet() = default;

CKSTDataSet::~CKSTDataSet() = default;

CKSTDataSet& CKSTDataSet::operator=(const CKSTDataSet& other)
{
    if (&other == this) {
        return *this;
    }
    if (other.m_windowSettings == nullptr) {
        m_windowSettings.reset();
    } else if (m_windowSettings == nullptr) {
        m_windowSettings = std::make_unique<CKSTCurveWndSettings>(*other.m_windowSettings);
    } else {
        *m_windowSettings = *other.m_windowSettings;
    }
    m_header.Copy(other.m_header);
    m_channels.CopyFrom(other.m_channels);
    return *this;
}

void CKSTDataSet::Clear(bool keepWindowSettings)
{
    m_name.Empty();
    m_startTimeStamp = CKSTTimeStamp();
    m_header.Clear();
    m_channels.DeleteAll();
    if (!keepWindowSettings) {
        m_windowSettings.reset();
    }
}

void CKSTDataSet::CopyTimeWindow(const CKSTDataSet& other, const CKSTTimeStamp& stamp1,
                                 const CKSTTimeStamp& stamp2, bool keepStamp)
{
    m_channels.CopyTimeWindow(other.m_channels, stamp1, stamp2, keepStamp);
}

void CKSTDataSet::CutBetweenTimeStamps(const CKSTTimeStamp& stamp1, const CKSTTimeStamp& stamp2,
                                       bool keepStamp)
{
    for (int i = 0; i < m_channels.GetCount(); ++i) {
        m_channels.GetAt(i)->CutBetweenTimeStamps(stamp1, stamp2, keepStamp);
    }
}

CKSTTimeStamp CKSTDataSet::GetEarliestStartTimeStamp() const
{
    return m_channels.GetCount() > 0 ? m_channels.GetEarliestStartTimeStamp() : m_startTimeStamp;
}

void CKSTDataSet::SetStartTimeStamp(const CKSTTimeStamp& stamp)
{
    m_startTimeStamp = stamp;
    m_channels.SetStartTimeStamp(stamp);
}

CKSTTimeStamp CKSTDataSet::GetStartTimeStamp() const
{
    return m_channels.GetFirstSampleTimeStamp();
}

CKSTTimeStamp CKSTDataSet::GetEndTimeStamp() const
{
    return m_channels.GetLastSampleTimeStamp();
}

CKSTTimeStamp CKSTDataSet::GetNextSampleTimeStamp(const CKSTTimeStamp& stamp) const
{
    CKSTTimeStamp next = CKSTChannel::FarFutureTimeStamp();
    for (int i = 0; i < m_channels.GetCount(); ++i) {
        const CKSTChannel* channel = m_channels.GetAt(i);
        if (channel->GetCount() == 0) {
            continue;
        }
        const CKSTTimeStamp candidate = channel->GetNextSampleTimeStamp(stamp);
        if (candidate < next) {
            next = candidate;
        }
    }
    return next;
}

int CKSTDataSet::FindDateColumn() const
{
    const int index = m_header.IndexOf("Datum");
    return index >= 0 ? index : std::max(m_header.IndexOf("Date"), -1);
}

int CKSTDataSet::FindTimeColumn() const
{
    const int index = m_header.IndexOf("Zeit");
    return index >= 0 ? index : std::max(m_header.IndexOf("Time"), -1);
}

CKSTString CKSTDataSet::GetTitle(bool hiddenOnly) const
{
    CKSTString title;
    if (m_header.GetTitle(title, hiddenOnly)) {
        return title;
    }
    return m_name.SlashesToBackslashes().FileName().StripExtension();
}

int CKSTDataSet::SetTitle(const CKSTString& text)
{
    return m_header.SetTitle(text);
}

bool CKSTDataSet::IsTitleHidden() const
{
    return m_header.HasTitle();
}

CKSTString CKSTDataSet::GetComment() const
{
    CKSTString comment;
    // A comment stored visible (SetComment with hidden false) is still the set's comment.
    if (m_header.GetComment(comment) || m_header.GetString("Comment", comment, false) >= 0) {
        return comment;
    }
    return CKSTString();
}

int CKSTDataSet::SetComment(const CKSTString& text, bool hidden)
{
    return m_header.SetComment(text, hidden);
}

bool CKSTDataSet::IsCommentHidden() const
{
    return m_header.HasComment();
}

CKSTCurveWndSettings CKSTDataSet::GetWindowSettings() const
{
    return m_windowSettings != nullptr ? CKSTCurveWndSettings(*m_windowSettings)
                                       : CKSTCurveWndSettings();
}

void CKSTDataSet::SetWindowSettings(const CKSTCurveWndSettings& settings)
{
    if (m_windowSettings == nullptr) {
        m_windowSettings = std::make_unique<CKSTCurveWndSettings>(settings);
    } else if (m_windowSettings.get() != &settings) {
        *m_windowSettings = settings;
    }
}

// Only the first `limit` channels are searched, so that channels taken in from the other set
// during one merge are never merged with each other.
CKSTChannel* CKSTDataSet::FindChannel(const CKSTChannel& like, int limit, bool sameUnit) const
{
    for (int i = 0; i < limit && i < m_channels.GetCount(); ++i) {
        CKSTChannel* channel = m_channels.GetAt(i);
        if (channel->GetName() == like.GetName() && channel->GetGroup() == like.GetGroup() &&
            (!sameUnit || channel->GetUnit() == like.GetUnit())) {
            return channel;
        }
    }
    return nullptr;
}

bool CKSTDataSet::HasChannelNamed(const CKSTString& name, const CKSTString& group) const
{
    return ListHasChannel(m_channels, name, group);
}

void CKSTDataSet::MergeChannels(const CKSTDataSet& other, bool continueAfterEnd)
{
    if (&other == this) {
        CKSTDataSet snapshot;
        snapshot = *this;
        MergeChannels(snapshot, continueAfterEnd);
        return;
    }
    // The other set's events are shifted on a copy: the caller's set stays as it was.
    std::unique_ptr<CKSTCurveWndSettings> otherSettings;
    if (other.m_windowSettings != nullptr) {
        otherSettings = std::make_unique<CKSTCurveWndSettings>(*other.m_windowSettings);
    }
    const int existing = m_channels.GetCount();
    for (int i = 0; i < other.m_channels.GetCount(); ++i) {
        const CKSTChannel& source = *other.m_channels.GetAt(i);
        CKSTChannel* target = FindChannel(source, existing, true);
        if (target == nullptr) {
            m_channels.AddCopy(source);
            if (m_windowSettings != nullptr) {
                m_windowSettings->AddCurveForChannel(source.GetName(), source.GetGroup(),
                                                     source.GetUnit());
            }
            continue;
        }
        const double offset = target->Append(source, continueAfterEnd);
        if (offset >= 0.0) {
            if (otherSettings != nullptr) {
                ShiftEvents(*otherSettings, source.GetName(), source.GetGroup(), offset);
            }
        } else if (m_windowSettings != nullptr) {
            // The merged channel now starts where the other one did.
            ShiftEvents(*m_windowSettings, target->GetName(), target->GetGroup(), -offset);
        }
    }
    if (m_windowSettings != nullptr && otherSettings != nullptr) {
        m_windowSettings->MergeCurveItems(*otherSettings);
    }
    m_channels.FinishAll();
}

void CKSTDataSet::AppendDataSet(CKSTDataSet& other, bool continueAfterEnd)
{
    if (&other == this) {
        CKSTDataSet snapshot;
        snapshot = *this;
        AppendDataSet(snapshot, continueAfterEnd);
        return;
    }
    const int existing = m_channels.GetCount();
    bool appended = false;
    int i = 0;
    while (i < other.m_channels.GetCount()) {
        CKSTChannel& source = *other.m_channels.GetAt(i);
        CKSTChannel* target = FindChannel(source, existing, false);
        if (target == nullptr) {
            ++i;
            continue;
        }
        const double offset = target->Append(source, continueAfterEnd);
        if (offset >= 0.0) {
            if (other.m_windowSettings != nullptr) {
                ShiftEvents(*other.m_windowSettings, source.GetName(), source.GetGroup(), offset);
            }
        } else if (m_windowSettings != nullptr) {
            ShiftEvents(*m_windowSettings, target->GetName(), target->GetGroup(), -offset);
        }
        if (m_windowSettings != nullptr && other.m_windowSettings != nullptr) {
            MoveEvents(*m_windowSettings, *other.m_windowSettings, source.GetName(),
                       source.GetGroup());
        }
        other.m_channels.RemoveAt(i);
        appended = true;
    }
    if (appended) {
        m_channels.FinishAll();
    }
}

bool CKSTDataSet::HasCommonChannelNames(const CKSTDataSet& other) const
{
    for (int i = 0; i < other.m_channels.GetCount(); ++i) {
        const CKSTChannel& channel = *other.m_channels.GetAt(i);
        if (HasChannelNamed(channel.GetName(), channel.GetGroup())) {
            return true;
        }
    }
    return false;
}

void CKSTDataSet::RenameClashingChannels(CKSTDataSet& other) const
{
    if (&other == this) {
        return;
    }
    for (int i = 0; i < other.m_channels.GetCount(); ++i) {
        CKSTChannel& channel = *other.m_channels.GetAt(i);
        const CKSTString oldName = channel.GetName();
        const CKSTString group = channel.GetGroup();
        if (!HasChannelNamed(oldName, group)) {
            continue;
        }
        // The new name must be free in the other set too, or two of its channels would end up
        // with one name.
        CKSTString newName;
        for (int32_t k = 2;; ++k) {
            newName = oldName + "_";
            newName.AppendLong(k);
            if (!HasChannelNamed(newName, group) &&
                !ListHasChannel(other.m_channels, newName, group)) {
                break;
            }
        }
        channel.SetName(newName);
        if (other.m_windowSettings == nullptr) {
            continue;
        }
        for (const std::unique_ptr<CKSTCurveSettings>& curve : other.m_windowSettings->m_Curves) {
            if (ShowsChannel(*curve, oldName, group)) {
                curve->m_Name = newName;
            }
        }
    }
}
