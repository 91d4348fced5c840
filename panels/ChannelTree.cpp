#include "panels/ChannelTree.h"

#include "curvewnd/AxisGroup.h"
#include "curvewnd/Curve.h"
#include "curvewnd/CurveWndCore.h"
#include "data/ChannelList.h"

namespace {

constexpr uint32_t kHiddenFromZero = 3;
constexpr uint32_t kHiddenFromOne = 4;

bool IsShownKind(uint32_t kind)
{
    return kind != kHiddenFromZero && kind != kHiddenFromOne;
}

// Hiding maps kind 0 to 3 and 1 to 4, showing the reverse; other kinds stay.
void SetCurveShown(CKSTCurve* curve, bool shown)
{
    if (!curve) {
        return;
    }
    const uint32_t kind = curve->GetCurveKind();
    if (shown && kind == kHiddenFromZero) {
        curve->SetCurveKind(0, false);
    } else if (shown && kind == kHiddenFromOne) {
        curve->SetCurveKind(1, false);
    } else if (!shown && kind == 0) {
        curve->SetCurveKind(kHiddenFromZero, false);
    } else if (!shown && kind == 1) {
        curve->SetCurveKind(kHiddenFromOne, false);
    }
}

// "[group: ]name" of a curve, the group only when the window shows groups in labels.
CKSTString CurveLabel(const CKSTCurveWndCore& window, const CKSTCurve& curve)
{
    CKSTString label;
    const CKSTString group = curve.GetChannelLabelPrefix();
    if (window.Settings().m_LegendGroup != 0 && !group.IsEmpty()) {
        label = group + ": ";
    }
    label += curve.GetChannelName();
    return label;
}

// Both curve windows stop updating while curves are shown or hidden, so each rebuilds once at
// the end instead of after every curve.
class CurveWindowsHidden {
public:
    CurveWindowsHidden(CKSTCurveWndCore* first, CKSTCurveWndCore* second)
        : m_first(first), m_second(second)
    {
        for (CKSTCurveWndCore* window : {m_first, m_second}) {
            if (window) {
                window->SetVisible(false, false);
            }
        }
    }
    ~CurveWindowsHidden()
    {
        for (CKSTCurveWndCore* window : {m_first, m_second}) {
            if (window) {
                window->SetVisible(true, true);
            }
        }
    }
    CurveWindowsHidden(const CurveWindowsHidden&) = delete;
    CurveWindowsHidden& operator=(const CurveWindowsHidden&) = delete;

private:
    CKSTCurveWndCore* m_first;
    CKSTCurveWndCore* m_second;
};

}  // namespace

void CKSTChannelTree::SetWindowList(CKSTChannelList* channels, CKSTCurveWndCore* curveWnd,
                                    CKSTCurveWndCore* secondCurveWnd)
{
    m_channels = channels;
    m_curveWnd = curveWnd;
    m_secondCurveWnd = secondCurveWnd;
    if (m_mode == kSelectionView) {
        m_mode = kFileView;
    }
    DropRecords();
}

void CKSTChannelTree::SetSelectionSource(CKSTChannelList* channels)
{
    m_mode = kSelectionView;
    m_channels = channels;
    m_curveWnd = nullptr;
    m_secondCurveWnd = nullptr;
    DropRecords();
}

void CKSTChannelTree::SetMode(int32_t mode)
{
    m_mode = mode;
    DropRecords();
}

void CKSTChannelTree::DropRecords()
{
    m_groups.clear();
    m_entries.clear();
}

std::vector<KstTreeRow> CKSTChannelTree::Build()
{
    std::vector<KstTreeRow> rows;
    if (!HasSource()) {
        DropRecords();
        return rows;
    }
    if (m_mode == kWindowView) {
        m_groups.clear();
    }
    m_entries.clear();
    if (m_mode == kWindowView) {
        BuildWindowGroups();
    } else {
        BuildChannelGroups();
    }
    for (size_t g = 0; g < m_groups.size(); ++g) {
        const KstTreeGroup& group = m_groups[g];
        rows.push_back({group.name, g, group.checked != 0, group.expanded != 0, false, true});
        if (m_mode == kWindowView) {
            CKSTAxisGroup* axisGroup = m_curveWnd ? m_curveWnd->GetGroup(static_cast<int>(g))
                                                  : nullptr;
            for (int c = 0; axisGroup && c < axisGroup->GetCurveCount(); ++c) {
                KstTreeEntry entry;
                entry.label = CurveLabel(*m_curveWnd, *axisGroup->GetCurve(c));
                entry.group = static_cast<int32_t>(g);
                entry.axisGroup = static_cast<int32_t>(g);
                entry.curve = c;
                m_entries.push_back(entry);
                rows.push_back({entry.label, kEntryData + m_entries.size() - 1,
                                EntryChecked(entry), false, true, false});
            }
            continue;
        }
        // A group named by the empty text would take the channels that stand at the root.
        if (!group.name.IsEmpty()) {
            AddChannelRows(group.name, static_cast<int32_t>(g), rows);
        }
    }
    // Channels without a group stand at the root after all groups.
    if (m_mode != kWindowView) {
        AddChannelRows(CKSTString(), kNoGroup, rows);
    }
    return rows;
}

void CKSTChannelTree::AddChannelRows(const CKSTString& groupName, int32_t group,
                                     std::vector<KstTreeRow>& rows)
{
    for (int i = 0; m_channels && i < m_channels->GetCount(); ++i) {
        const CKSTChannel* channel = m_channels->GetAt(i);
        if (!(channel->GetGroup() == groupName)) {
            continue;
        }
        KstTreeEntry entry;
        entry.label = channel->GetName();
        entry.group = group;
        entry.channel = i;
        if (m_mode != kSelectionView && m_curveWnd) {
            if (const CKSTCurve* curve = m_curveWnd->FindCurveByChannel(channel)) {
                entry.axisGroup = m_curveWnd->GetGroupIndexOfCurve(curve);
                entry.curve = m_curveWnd->GetCurveIndexInGroup(curve);
            }
        }
        m_entries.push_back(entry);
        rows.push_back({entry.label, kEntryData + m_entries.size() - 1, EntryChecked(entry),
                        false, group != kNoGroup, false});
    }
}

void CKSTChannelTree::BuildWindowGroups()
{
    if (!m_curveWnd || m_curveWnd->GetCurveCount() == 0) {
        return;
    }
    for (int g = 0; g < m_curveWnd->GetGroupCount(); ++g) {
        const CKSTAxisGroup* axisGroup = m_curveWnd->GetGroup(g);
        KstTreeGroup group;
        if (axisGroup->GetCurveCount() == 0) {
            group.name = m_emptyGroupText;
        } else {
            const CKSTCurve* first = axisGroup->GetFirstCurve();
            const CKSTCurve* last = axisGroup->GetLastCurve();
            group.name = CurveLabel(*m_curveWnd, *first);
            if (last != first) {
                group.name += " .. ";
                group.name += CurveLabel(*m_curveWnd, *last);
            }
        }
        for (int c = 0; c < axisGroup->GetCurveCount(); ++c) {
            if (IsShownKind(axisGroup->GetCurve(c)->GetCurveKind())) {
                group.checked = 1;
            }
        }
        m_groups.push_back(group);
    }
}

void CKSTChannelTree::BuildChannelGroups()
{
    if (!m_channels) {
        return;
    }
    for (int i = 0; i < m_channels->GetCount(); ++i) {
        const CKSTString name = m_channels->GetAt(i)->GetGroup();
        if (!name.IsEmpty() && FindGroup(name) < 0) {
            KstTreeGroup group;
            group.name = name;
            m_groups.push_back(group);
        }
    }
    for (size_t g = 0; g < m_groups.size(); ++g) {
        bool any = false;
        bool hasChannels = false;
        for (int i = 0; i < m_channels->GetCount(); ++i) {
            if (m_channels->GetAt(i)->GetGroup() == m_groups[g].name) {
                hasChannels = true;
                any = any || ChannelShown(i);
            }
        }
        if (hasChannels) {
            m_groups[g].checked = any ? 1 : 0;
        }
    }
}

int CKSTChannelTree::FindGroup(const CKSTString& name) const
{
    for (size_t g = 0; g < m_groups.size(); ++g) {
        if (m_groups[g].name == name) {
            return static_cast<int>(g);
        }
    }
    return -1;
}

bool CKSTChannelTree::ChannelShown(int channelIndex) const
{
    const CKSTChannel* channel = m_channels->GetAt(channelIndex);
    if (m_mode == kSelectionView) {
        return channel->IsSelected();
    }
    const CKSTCurve* curve = m_curveWnd ? m_curveWnd->FindCurveByChannel(channel) : nullptr;
    return !curve || IsShownKind(curve->GetCurveKind());
}

const KstTreeEntry* CKSTChannelTree::EntryOf(uintptr_t data) const
{
    if (!IsEntryData(data) || data - kEntryData >= m_entries.size()) {
        return nullptr;
    }
    return &m_entries[data - kEntryData];
}

const KstTreeGroup* CKSTChannelTree::GroupOf(uintptr_t data) const
{
    return IsEntryData(data) || data >= m_groups.size() ? nullptr : &m_groups[data];
}

CKSTChannel* CKSTChannelTree::ChannelOf(const KstTreeEntry& entry) const
{
    if (m_channels && entry.channel >= 0) {
        return m_channels->GetAt(entry.channel);
    }
    const CKSTCurve* curve = CurveOf(entry);
    return curve ? curve->GetChannel() : nullptr;
}

CKSTCurve* CKSTChannelTree::CurveOf(const KstTreeEntry& entry) const
{
    if (!m_curveWnd || entry.curve < 0) {
        return nullptr;
    }
    const CKSTAxisGroup* group = m_curveWnd->GetGroup(entry.axisGroup);
    return group ? group->GetCurve(entry.curve) : nullptr;
}

bool CKSTChannelTree::EntryChecked(const KstTreeEntry& entry) const
{
    if (m_mode == kSelectionView) {
        const CKSTChannel* channel = ChannelOf(entry);
        return channel && channel->IsSelected();
    }
    const CKSTCurve* curve = CurveOf(entry);
    return !curve || IsShownKind(curve->GetCurveKind());
}

bool CKSTChannelTree::IsChecked(uintptr_t data) const
{
    if (const KstTreeEntry* entry = EntryOf(data)) {
        return EntryChecked(*entry);
    }
    const KstTreeGroup* group = GroupOf(data);
    return group && group->checked != 0;
}

void CKSTChannelTree::SetGroupExpanded(uintptr_t data, bool expanded)
{
    if (!IsEntryData(data) && data < m_groups.size()) {
        m_groups[data].expanded = expanded ? 1 : 0;
    }
}

void CKSTChannelTree::SetEntryChecked(KstTreeEntry& entry, bool checked)
{
    if (m_mode == kSelectionView) {
        if (CKSTChannel* channel = ChannelOf(entry)) {
            channel->SetSelected(checked);
        }
        return;
    }
    CKSTCurve* curve = CurveOf(entry);
    SetCurveShown(curve, checked);
    if (m_secondCurveWnd) {
        const CKSTChannel* channel = ChannelOf(entry);
        if (channel) {
            SetCurveShown(m_secondCurveWnd->FindCurveByName(channel->GetName(),
                                                            channel->GetGroup()),
                          checked);
        }
    }
}

void CKSTChannelTree::UpdateGroupCheck(int group)
{
    if (group < 0 || group >= static_cast<int>(m_groups.size())) {
        return;
    }
    bool any = false;
    for (const KstTreeEntry& entry : m_entries) {
        any = any || (entry.group == group && EntryChecked(entry));
    }
    m_groups[group].checked = any ? 1 : 0;
}

void CKSTChannelTree::ToggleCheck(uintptr_t clicked, const std::vector<uintptr_t>& selected,
                                  bool remember)
{
    if (!EntryOf(clicked) && !GroupOf(clicked)) {
        return;
    }
    const bool checked = !IsChecked(clicked);
    std::vector<uintptr_t> items;
    if (selected.size() >= 2) {
        items = selected;
    } else {
        items.push_back(clicked);
    }
    CurveWindowsHidden hidden(m_mode == kSelectionView ? nullptr : m_curveWnd,
                              m_mode == kSelectionView ? nullptr : m_secondCurveWnd);
    for (uintptr_t data : items) {
        if (IsEntryData(data)) {
            if (!EntryOf(data)) {
                continue;
            }
            KstTreeEntry& entry = m_entries[data - kEntryData];
            SetEntryChecked(entry, checked);
            UpdateGroupCheck(entry.group);
            continue;
        }
        if (data >= m_groups.size()) {
            continue;
        }
        const int group = static_cast<int>(data);
        for (KstTreeEntry& entry : m_entries) {
            if (entry.group != group) {
                continue;
            }
            if (!checked && remember) {
                entry.rememberedUnchecked = EntryChecked(entry) ? 0 : 1;
            }
            const bool restore = checked && m_mode != kSelectionView && entry.rememberedUnchecked;
            SetEntryChecked(entry, checked && !restore);
        }
        m_groups[group].checked = checked ? 1 : 0;
    }
}

CKSTString CKSTChannelTree::FreeGroupName(const CKSTString& baseName) const
{
    if (FindGroup(baseName) < 0) {
        return baseName;
    }
    // A trailing number of one or two digits is what the counter replaces.
    CKSTString stem = baseName;
    for (int digits = 0; digits < 2 && !stem.IsEmpty() && stem.Last() >= '0' && stem.Last() <= '9';
         ++digits) {
        stem.RemoveLast();
    }
    CKSTString name;
    for (int n = 2; n <= kMaxGroupNumber; ++n) {
        name = stem;
        name.AppendLong(n);
        if (FindGroup(name) < 0) {
            break;
        }
    }
    return name;
}

int CKSTChannelTree::CreateGroup(const CKSTString& baseName)
{
    if (m_mode == kWindowView) {
        return m_curveWnd ? m_curveWnd->AddGroup() : -1;
    }
    KstTreeGroup group;
    group.name = FreeGroupName(baseName);
    group.expanded = 1;
    m_groups.push_back(group);
    return static_cast<int>(m_groups.size()) - 1;
}

void CKSTChannelTree::RenameGroup(int group, const CKSTString& name)
{
    if (m_mode == kWindowView || group < 0 || group >= static_cast<int>(m_groups.size()) ||
        m_groups[group].name == name) {
        return;
    }
    for (const KstTreeEntry& entry : m_entries) {
        if (entry.group == group) {
            if (CKSTChannel* channel = ChannelOf(entry)) {
                channel->SetGroup(name);
            }
        }
    }
    if (m_curveWnd) {
        m_curveWnd->SetModified(true);
    }
    m_groups[group].name = name;
}

void CKSTChannelTree::DeleteGroup(int group)
{
    if (m_mode == kWindowView || group < 0 || group >= static_cast<int>(m_groups.size())) {
        return;
    }
    for (const KstTreeEntry& entry : m_entries) {
        if (entry.group == group) {
            if (CKSTChannel* channel = ChannelOf(entry)) {
                channel->SetGroup(CKSTString());
            }
        }
    }
    if (m_curveWnd) {
        m_curveWnd->SetModified(true);
    }
    m_groups.erase(m_groups.begin() + group);
    // The entries point into the groups by index: the later groups moved up by one.
    for (KstTreeEntry& entry : m_entries) {
        if (entry.group == group) {
            entry.group = kNoGroup;
        } else if (entry.group != kNoGroup && entry.group > group) {
            --entry.group;
        }
    }
}

bool CKSTChannelTree::MoveToGroup(const std::vector<uintptr_t>& dragged, uintptr_t target)
{
    if (m_mode == kWindowView) {
        return false;
    }
    int32_t targetGroup = kNoGroup;
    if (const KstTreeEntry* entry = EntryOf(target)) {
        targetGroup = entry->group;
    } else if (GroupOf(target)) {
        targetGroup = static_cast<int32_t>(target);
    } else {
        return false;
    }
    const CKSTString targetName = targetGroup == kNoGroup ? CKSTString()
                                                          : m_groups[targetGroup].name;
    bool moved = false;
    for (uintptr_t data : dragged) {
        if (!EntryOf(data)) {
            continue;
        }
        KstTreeEntry& entry = m_entries[data - kEntryData];
        CKSTChannel* channel = ChannelOf(entry);
        if (!channel || channel->GetGroup() == targetName) {
            continue;
        }
        const int32_t oldGroup = entry.group;
        channel->SetGroup(targetName);
        entry.group = targetGroup;
        UpdateGroupCheck(oldGroup);
        UpdateGroupCheck(targetGroup);
        moved = true;
    }
    if (moved && m_curveWnd) {
        m_curveWnd->SetModified(true);
    }
    return moved;
}

CKSTString CKSTChannelTree::EntryChannelName(const KstTreeEntry& entry) const
{
    const CKSTChannel* channel = ChannelOf(entry);
    return channel ? channel->GetName() : entry.label;
}

CKSTString CKSTChannelTree::EntryChannelGroup(const KstTreeEntry& entry) const
{
    const CKSTChannel* channel = ChannelOf(entry);
    return channel ? channel->GetGroup() : CKSTString();
}

void CKSTChannelTree::GetSelectedChannels(CKSTChannelList& list) const
{
    list.DeleteAll();
    if (m_mode == kSelectionView || !m_channels) {
        return;
    }
    for (const KstTreeEntry& entry : m_entries) {
        CKSTChannel* channel = list.GetAt(list.AddNew());
        channel->SetName(EntryChannelName(entry));
        channel->SetGroup(EntryChannelGroup(entry));
        channel->SetSelected(EntryChecked(entry));
    }
}

void CKSTChannelTree::AppendPair(CKSTString& text, const CKSTString& group,
                                 const CKSTString& name) const
{
    text += '|';
    text += group.IsEmpty() ? CKSTString(" ") : group;
    text += '|';
    text += name;
}

CKSTString CKSTChannelTree::DragText(const std::vector<uintptr_t>& items) const
{
    CKSTString text(kDragTag);
    for (uintptr_t data : items) {
        if (const KstTreeEntry* entry = EntryOf(data)) {
            AppendPair(text, EntryChannelGroup(*entry), EntryChannelName(*entry));
            continue;
        }
        if (!GroupOf(data)) {
            continue;
        }
        for (const KstTreeEntry& entry : m_entries) {
            if (entry.group == static_cast<int32_t>(data)) {
                AppendPair(text, m_groups[data].name, EntryChannelName(entry));
            }
        }
    }
    return text;
}
