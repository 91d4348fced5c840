#include "curvewnd/CurveWndCore.h"

#include <algorithm>
#include <cmath>

#include "data/Channel.h"
#include "data/ChannelList.h"
#include "foundation/Colors.h"

namespace {

constexpr double kHuge = 1e300;
constexpr uint32_t kStyleBarDisplay = CKSTCurve::kStyle3DBars;

bool IsExcludedKind(uint32_t kind)
{
    return kind == CKSTCurve::kKindHiddenExcluded || kind == CKSTCurve::kKindShownExcluded;
}

double Clamp(double v)
{
    return v > kHuge ? kHuge : v < -kHuge ? -kHuge : v;
}

}  // namespace

CKSTCurveWndCore::CKSTCurveWndCore()
    : m_legend(std::make_unique<CKSTLegend>(this)),
      m_xAxis(std::make_unique<CKSTXAxis>(this)),
      m_ownChannels(std::make_unique<CKSTChannelList>())
{
    m_groups.push_back(std::make_unique<CKSTAxisGroup>(this));
}

CKSTCurveWndCore::~CKSTCurveWndCore()
{
    for (CKSTChannel* channel : m_observed) {
        channel->RemoveObserver(this);
    }
    m_observed.clear();
    m_groupLegends.clear();
    m_groups.clear();
}

// --- Groups ---

CKSTAxisGroup* CKSTCurveWndCore::GetGroup(int index) const
{
    return index >= 0 && index < GetGroupCount() ? m_groups[index].get() : nullptr;
}

int CKSTCurveWndCore::GetGroupIndex(const CKSTAxisGroup* group) const
{
    for (int g = 0; g < GetGroupCount(); ++g) {
        if (m_groups[g].get() == group) {
            return g;
        }
    }
    return -1;
}

int CKSTCurveWndCore::AddGroup()
{
    m_groups.push_back(std::make_unique<CKSTAxisGroup>(this));
    if (m_updatesEnabled != 0) {
        RecalcLayout();
    }
    return GetGroupCount() - 1;
}

void CKSTCurveWndCore::DeleteGroup(int index)
{
    if (index < 0 || index >= GetGroupCount()) {
        return;
    }
    m_groupLegends.erase(m_groups[index].get());
    m_groups.erase(m_groups.begin() + index);
}

CKSTLegend& CKSTCurveWndCore::GetGroupLegend(const CKSTAxisGroup* group)
{
    std::unique_ptr<CKSTLegend>& legend = m_groupLegends[group];
    if (!legend) {
        legend = std::make_unique<CKSTLegend>(this);
    }
    return *legend;
}

void CKSTCurveWndCore::ObserveChannel(CKSTChannel* channel)
{
    if (channel == nullptr ||
        std::find(m_observed.begin(), m_observed.end(), channel) != m_observed.end()) {
        return;
    }
    channel->AddObserver(this);
    m_observed.push_back(channel);
}

// --- Channels and curves ---

int CKSTCurveWndCore::AddChannel(CKSTChannel* channel, uint32_t mode, uint32_t addMode)
{
    if (channel == nullptr) {
        return -1;
    }
    if (m_groups.empty()) {
        m_groups.push_back(std::make_unique<CKSTAxisGroup>(this));
    }
    int target = -1;
    if (mode == 0) {
        target = GetGroupCount() - 1;
    } else if (mode == 2) {
        target = FindGroupWithUnit(channel->GetUnit(), 0);
    }
    if (target < 0) {
        if (m_groups.back()->GetCurveCount() == 0) {
            target = GetGroupCount() - 1;
        } else {
            m_groups.push_back(std::make_unique<CKSTAxisGroup>(this));
            target = GetGroupCount() - 1;
        }
    }
    const int index = m_groups[target]->AddChannel(channel, m_xAxis.get(), addMode, false);
    ObserveChannel(channel);
    BringUpToDate();
    return index;
}

int CKSTCurveWndCore::AddOwnedChannel(const CKSTChannel& channel, uint32_t mode, uint32_t addMode)
{
    const int i = m_ownChannels->AddCopy(channel);
    return AddChannel(m_ownChannels->GetAt(i), mode, addMode);
}

void CKSTCurveWndCore::AddChannels(const CKSTChannelList& channels)
{
    for (int i = 0; i < channels.GetCount(); ++i) {
        AddChannel(channels.GetAt(i), 2, CKSTAxisGroup::kAxisOfUnit);
    }
}

void CKSTCurveWndCore::RemoveChannel(CKSTChannel* channel, bool keepEmptyGroup, bool groupFlag,
                                     bool redraw)
{
    const CKSTCurve* curve = channel != nullptr ? FindCurveByChannel(channel) : nullptr;
    if (curve != nullptr) {
        RemoveCurve(GetCurveIndex(curve, true), keepEmptyGroup, groupFlag, redraw);
    }
}

void CKSTCurveWndCore::RemoveCurve(int index, bool keepEmptyGroup, bool groupFlag, bool redraw)
{
    CKSTCurve* curve = GetCurve(index, true);
    if (curve == nullptr) {
        return;
    }
    const int g = GetGroupIndexOfCurve(curve);
    CKSTAxisGroup* group = m_groups[g].get();
    CKSTChannel* channel = curve->GetChannel();
    const bool wasXChannel = channel != nullptr && channel == m_xChannel;
    group->RemoveCurve(curve, groupFlag);
    bool structural = false;
    if (wasXChannel && FindCurveByChannel(channel) == nullptr) {
        m_xChannel = nullptr;
        m_xCurveName.Empty();
        m_displayKind = kDisplayYT;
        structural = true;
    }
    if (group->GetCurveCount() == 0) {
        DeleteGroup(g);
        structural = true;
    }
    if (m_groups.empty() && !keepEmptyGroup) {
        m_groups.push_back(std::make_unique<CKSTAxisGroup>(this));
        if (m_xAxis->GetType() != CKSTXAxis::kTypeNone) {
            m_xAxis = std::make_unique<CKSTXAxis>(this);
        }
    }
    if (structural || redraw) {
        BringUpToDate();
    }
}

void CKSTCurveWndCore::OnChannelDestroyed(CKSTChannel* channel)
{
    m_observed.erase(std::remove(m_observed.begin(), m_observed.end(), channel),
                     m_observed.end());
    channel->RemoveObserver(this);
    // Every curve of the channel goes, not only the first: none may keep the freed samples.
    while (const CKSTCurve* curve = FindCurveByChannel(channel)) {
        RemoveCurve(GetCurveIndex(curve, true), false, false, false);
    }
    if (m_xChannel == channel) {
        m_xChannel = nullptr;
        m_xCurveName.Empty();
        m_displayKind = kDisplayYT;
    }
    BringUpToDate();
}

void CKSTCurveWndCore::ReleaseChannel(CKSTChannel* channel)
{
    for (int i = 0; i < m_ownChannels->GetCount(); ++i) {
        if (m_ownChannels->GetAt(i) != channel) {
            continue;
        }
        // Another curve still drawing the copy keeps it.
        int users = 0;
        for (const auto& group : m_groups) {
            for (int c = 0; c < group->GetCurveCount(); ++c) {
                users += group->GetCurve(c)->GetChannel() == channel ? 1 : 0;
            }
        }
        if (users > 1) {
            return;
        }
        // The window lets go before deleting, so the channel's farewell finds no curve to drop.
        m_observed.erase(std::remove(m_observed.begin(), m_observed.end(), channel),
                         m_observed.end());
        channel->RemoveObserver(this);
        m_ownChannels->RemoveAt(i);
        return;
    }
}

void CKSTCurveWndCore::RemoveAll(bool redraw)
{
    if (m_created != 0) {
        EndMeasure();
    }
    m_groupLegends.clear();
    m_groups.clear();
    for (int i = 0; i < m_ownChannels->GetCount(); ++i) {
        CKSTChannel* channel = m_ownChannels->GetAt(i);
        m_observed.erase(std::remove(m_observed.begin(), m_observed.end(), channel),
                         m_observed.end());
        channel->RemoveObserver(this);
    }
    m_ownChannels->DeleteAll();
    Reset();
    if (redraw) {
        RecalcGroupRanges();
        UpdateXRange();
        if (m_updatesEnabled != 0) {
            RecalcLayout();
            InvalidateClient();
            UpdateNow();
        }
    }
}

void CKSTCurveWndCore::Reset()
{
    m_groupLegends.clear();
    m_groups.clear();
    m_xAxis = std::make_unique<CKSTXAxis>(this);
    m_groups.push_back(std::make_unique<CKSTAxisGroup>(this));
    m_legend = std::make_unique<CKSTLegend>(this);
    m_xChannel = nullptr;
    m_displayKind = kDisplayYT;
    m_arrangeMode = 0;
    m_xCurveName.Empty();
    m_interaction = InteractionState();
    m_changed = 0;
    m_mouseDrag = 0;
    m_firstShownGroup = 0;
    m_lastShownGroup = 0;
}

void CKSTCurveWndCore::EndMeasure()
{
    const bool measuring = m_interaction.measureMode != kMeasureNone;
    m_interaction.measureMode = kMeasureNone;
    m_interaction.dragging1 = m_interaction.dragging2 = 0;
    m_interaction.cursorFrozen = 0;
    m_interaction.cursorsHidden = 0;
    if (measuring) {
        PostWindowEvent(kEventMeasureEnded);
    }
}

// --- Lookups ---

int CKSTCurveWndCore::GetCurveCount() const
{
    int count = 0;
    for (const auto& group : m_groups) {
        count += group->GetCurveCount();
    }
    return count;
}

CKSTCurve* CKSTCurveWndCore::GetCurve(int index, bool includeHidden) const
{
    if (index < 0) {
        return nullptr;
    }
    int k = 0;
    for (const auto& group : m_groups) {
        for (int i = 0; i < group->GetCurveCount(); ++i) {
            CKSTCurve* curve = group->GetCurve(i);
            if (!includeHidden && IsExcludedKind(curve->GetCurveKind())) {
                continue;
            }
            if (k++ == index) {
                return curve;
            }
        }
    }
    return nullptr;
}

int CKSTCurveWndCore::GetCurveIndex(const CKSTCurve* curve, bool includeHidden) const
{
    int k = 0;
    for (const auto& group : m_groups) {
        for (int i = 0; i < group->GetCurveCount(); ++i) {
            const CKSTCurve* c = group->GetCurve(i);
            if (c == curve) {
                return k;
            }
            if (includeHidden || !IsExcludedKind(c->GetCurveKind())) {
                ++k;
            }
        }
    }
    return 0;
}

int CKSTCurveWndCore::GetGroupIndexOfCurve(const CKSTCurve* curve) const
{
    for (int g = 0; g < GetGroupCount(); ++g) {
        if (m_groups[g]->ContainsCurve(curve)) {
            return g;
        }
    }
    return GetGroupCount();
}

int CKSTCurveWndCore::GetCurveIndexInGroup(const CKSTCurve* curve) const
{
    for (const auto& group : m_groups) {
        const int i = group->GetCurveIndex(curve);
        if (i >= 0) {
            return i;
        }
    }
    return 0;
}

CKSTCurve* CKSTCurveWndCore::FindCurveByChannel(const CKSTChannel* channel) const
{
    for (const auto& group : m_groups) {
        if (CKSTCurve* curve = group->FindCurveByChannel(channel)) {
            return curve;
        }
    }
    return nullptr;
}

CKSTCurve* CKSTCurveWndCore::FindCurveByChannelName(const CKSTString& name) const
{
    for (const auto& group : m_groups) {
        if (CKSTCurve* curve = group->FindCurveByChannelName(name)) {
            return curve;
        }
    }
    return nullptr;
}

CKSTCurve* CKSTCurveWndCore::FindCurveByName(const CKSTString& name, const CKSTString& group) const
{
    for (const auto& g : m_groups) {
        if (CKSTCurve* curve = g->FindCurveByName(name, group)) {
            return curve;
        }
    }
    return nullptr;
}

CKSTCurve* CKSTCurveWndCore::FindCurveByLabel(const CKSTString& group, const CKSTString& name,
                                              bool includeHidden) const
{
    for (const auto& g : m_groups) {
        for (int i = 0; i < g->GetCurveCount(); ++i) {
            CKSTCurve* curve = g->GetCurve(i);
            if (!includeHidden && IsExcludedKind(curve->GetCurveKind())) {
                continue;
            }
            if (curve->GetChannel() != nullptr && curve->GetChannelName() == name &&
                curve->GetChannelLabelPrefix() == group) {
                return curve;
            }
        }
    }
    return nullptr;
}

CKSTCurve* CKSTCurveWndCore::FindCurveByLabelText(const CKSTString& group,
                                                  const CKSTString& name) const
{
    return FindCurveByLabel(group, name, true);
}

CKSTCurve* CKSTCurveWndCore::GetNextCurve(const CKSTCurve* curve) const
{
    std::vector<CKSTCurve*> listed;
    for (int i = 0; CKSTCurve* c = GetCurve(i, false); ++i) {
        listed.push_back(c);
    }
    if (listed.empty()) {
        return nullptr;
    }
    const auto at = std::find(listed.begin(), listed.end(), curve);
    if (at == listed.end() || at + 1 == listed.end()) {
        return listed.front();
    }
    return *(at + 1);
}

CKSTCurve* CKSTCurveWndCore::GetPreviousCurve(const CKSTCurve* curve) const
{
    std::vector<CKSTCurve*> listed;
    for (int i = 0; CKSTCurve* c = GetCurve(i, false); ++i) {
        listed.push_back(c);
    }
    if (listed.empty()) {
        return nullptr;
    }
    const auto at = std::find(listed.begin(), listed.end(), curve);
    if (at == listed.end() || at == listed.begin()) {
        return listed.back();
    }
    return *(at - 1);
}

int CKSTCurveWndCore::GetAxisCount() const
{
    int count = 0;
    for (const auto& group : m_groups) {
        count += group->GetAxisCount();
    }
    return count;
}

CKSTYAxis* CKSTCurveWndCore::GetAxis(int index) const
{
    if (index < 0) {
        return nullptr;
    }
    for (const auto& group : m_groups) {
        if (index < group->GetAxisCount()) {
            return group->GetAxis(index);
        }
        index -= group->GetAxisCount();
    }
    return nullptr;
}

int CKSTCurveWndCore::GetAxisIndex(const CKSTYAxis* axis) const
{
    int k = 0;
    for (const auto& group : m_groups) {
        const int i = group->GetAxisIndex(axis);
        if (i >= 0) {
            return k + i;
        }
        k += group->GetAxisCount();
    }
    return 0;
}

CKSTYAxis* CKSTCurveWndCore::GetNextAxis(const CKSTYAxis* axis, bool any) const
{
    const int count = GetAxisCount();
    if (count == 0) {
        return nullptr;
    }
    const int start = GetAxisIndex(axis);
    for (int step = 1; step <= count; ++step) {
        const int i = (start + step) % count;
        CKSTYAxis* candidate = GetAxis(i);
        if (i == start || any) {
            return candidate;
        }
        const CKSTAxisGroup* group = GetGroup(GetGroupIndexOfCurve(FindCurveUsingAxis(candidate)));
        if (group != nullptr && !group->AxisHasNoCurve(candidate)) {
            return candidate;
        }
    }
    return GetAxis(start);
}

CKSTYAxis* CKSTCurveWndCore::GetPreviousAxis(const CKSTYAxis* axis, bool any) const
{
    const int count = GetAxisCount();
    if (count == 0) {
        return nullptr;
    }
    const int start = GetAxisIndex(axis);
    for (int step = 1; step <= count; ++step) {
        const int i = ((start - step) % count + count) % count;
        CKSTYAxis* candidate = GetAxis(i);
        if (i == start || any) {
            return candidate;
        }
        const CKSTAxisGroup* group = GetGroup(GetGroupIndexOfCurve(FindCurveUsingAxis(candidate)));
        if (group != nullptr && !group->AxisHasNoCurve(candidate)) {
            return candidate;
        }
    }
    return GetAxis(start);
}

CKSTAxisGroup* CKSTCurveWndCore::GetFirstVisibleGroup() const
{
    for (const auto& group : m_groups) {
        if (group->IsVisible()) {
            return group.get();
        }
    }
    return nullptr;
}

CKSTAxisGroup* CKSTCurveWndCore::GetLastVisibleGroup() const
{
    for (auto it = m_groups.rbegin(); it != m_groups.rend(); ++it) {
        if ((*it)->IsVisible()) {
            return it->get();
        }
    }
    return nullptr;
}

IKSTGroupScrollBar* CKSTCurveWndCore::GetFirstVisibleGroupScrollBar() const
{
    const CKSTAxisGroup* group = GetFirstVisibleGroup();
    return group != nullptr ? group->GetScrollBar() : nullptr;
}

CKSTCurve* CKSTCurveWndCore::FindCurveUsingAxis(const CKSTYAxis* axis) const
{
    for (const auto& group : m_groups) {
        if (CKSTCurve* curve = group->FindCurveOnAxis(axis)) {
            return curve;
        }
    }
    return nullptr;
}

int CKSTCurveWndCore::CountListedGroups() const
{
    return static_cast<int>(std::count_if(m_groups.begin(), m_groups.end(),
                                          [](const auto& g) { return g->HasShownCurve(); }));
}

bool CKSTCurveWndCore::IsEmpty() const
{
    if (m_displayKind == kDisplayXY && m_xChannel != nullptr) {
        return false;
    }
    return std::none_of(m_groups.begin(), m_groups.end(),
                        [](const auto& g) { return g->GetCurveCount() > 0; });
}

bool CKSTCurveWndCore::IsXYDisplay() const
{
    return m_displayKind == kDisplayXYChannel && m_xAxis->GetType() == CKSTXAxis::kTypeStandard &&
           m_xChannel != nullptr && m_xChannel->GetCount() > 0;
}

void CKSTCurveWndCore::GetTimeRange(double& first, double& last) const
{
    if (m_groups.empty()) {
        first = last = 0.0;
        return;
    }
    first = kHuge;
    last = -kHuge;
    for (const auto& group : m_groups) {
        first = std::min(first, group->GetDataStart(nullptr));
        last = std::max(last, group->GetDataEnd(nullptr));
    }
}

double CKSTCurveWndCore::GetFirstSampleInterval() const
{
    for (int i = 0; CKSTCurve* curve = GetCurve(i, true); ++i) {
        const CKSTChannel* channel = curve->GetChannel();
        if (channel != nullptr && channel->GetTimeBaseType() == CKSTChannel::kEquidistant) {
            return channel->GetDt();
        }
    }
    return 1.0;
}

int CKSTCurveWndCore::FindGroupWithUnit(const CKSTString& unit, int start) const
{
    for (int g = std::max(start, 0); g < GetGroupCount(); ++g) {
        for (int a = 0; a < m_groups[g]->GetAxisCount(); ++a) {
            if (m_groups[g]->GetAxis(a)->GetUnit() == unit) {
                return g;
            }
        }
    }
    return -1;
}

uint32_t CKSTCurveWndCore::GetAxisCurveColor(const CKSTYAxis& axis) const
{
    for (const auto& group : m_groups) {
        if (group->GetAxisIndex(&axis) < 0) {
            continue;
        }
        if (group->GetAxisCount() < 2) {
            return KST_COLOR_AUTOMATIC;
        }
        for (int i = 0; i < group->GetCurveCount(); ++i) {
            const CKSTCurve* curve = group->GetCurve(i);
            if (curve->GetYAxis() == &axis && CKSTAxisGroup::IsShownCurve(*curve) &&
                group->IsFirstCurveOnAxis(i)) {
                return curve->GetColor();
            }
        }
    }
    return KST_COLOR_AUTOMATIC;
}

bool CKSTCurveWndCore::GetCurveColorOfAxis(const CKSTYAxis& axis, uint32_t& colour) const
{
    colour = GetAxisCurveColor(axis);
    return colour != KST_COLOR_AUTOMATIC;
}

void CKSTCurveWndCore::GetChannelNamesOfAxis(const CKSTYAxis& axis,
                                             std::vector<CKSTString>& names) const
{
    names.clear();
    for (const auto& group : m_groups) {
        for (int i = 0; i < group->GetCurveCount(); ++i) {
            const CKSTCurve* curve = group->GetCurve(i);
            if (curve->GetYAxis() == &axis) {
                names.push_back(curve->GetChannelName());
            }
        }
    }
}

uint32_t CKSTCurveWndCore::GetAutoCurveColor(const CKSTCurve& curve) const
{
    int k = 0;
    for (const auto& group : m_groups) {
        for (int i = 0; i < group->GetCurveCount(); ++i) {
            const CKSTCurve* c = group->GetCurve(i);
            if (c == &curve) {
                if (curve.GetOwnColor() != KST_COLOR_AUTOMATIC) {
                    return KST_COLOR_AUTOMATIC;
                }
                if (k == 0 && m_displayKind == kDisplayPointer) {
                    return 0x0000FF;
                }
                return DefaultCurveColor(static_cast<int16_t>(std::min(k, 32767)));
            }
            ++k;
        }
    }
    return KST_COLOR_AUTOMATIC;
}

void CKSTCurveWndCore::GetShownGroupsExtent(int32_t& top, int32_t& bottom) const
{
    const CKSTAxisGroup* first = GetFirstVisibleGroup();
    const CKSTAxisGroup* last = GetLastVisibleGroup();
    if (first != nullptr && last != nullptr) {
        top = first->GetRect().top;
        bottom = last->GetRect().bottom;
    }
}

// --- Display kind and arrangement ---

void CKSTCurveWndCore::SetDisplayKind(uint32_t kind, int xIndex, const CKSTString& xName)
{
    const bool xyNow = m_displayKind == kDisplayXY || m_displayKind == kDisplayXYChannel;
    if (kind == m_displayKind && kind != kDisplayXY && kind != kDisplayXYChannel) {
        return;
    }
    for (int i = 0; CKSTCurve* curve = GetCurve(i, true); ++i) {
        if (curve->GetCurveKind() == CKSTCurve::kKindXChannel) {
            curve->SetCurveKind(m_rememberedKind, false);
        }
    }
    auto restoreXCurve = [&] {
        if (xyNow && !m_xCurveName.IsEmpty()) {
            if (CKSTCurve* old = FindCurveByChannelName(m_xCurveName)) {
                if (old->GetCurveKind() == CKSTCurve::kKindXChannel) {
                    old->SetCurveKind(m_rememberedKind, false);
                }
            }
        }
        m_xChannel = nullptr;
    };
    switch (kind) {
        case kDisplayYT:
            restoreXCurve();
            m_displayKind = kDisplayYT;
            m_xAxis->SetType(CKSTXAxis::kTypeStandard);
            m_xCurveName.Empty();
            break;
        case kDisplayXY:
        case kDisplayXYChannel: {
            if (xyNow) {
                restoreXCurve();
                m_xCurveName.Empty();
            }
            const int count = GetCurveCount();
            if (count <= 1) {
                break;
            }
            if (xIndex < 0) {
                m_xCurveName = !xName.IsEmpty() ? xName : GetCurve(count - 1, true)->GetChannelName();
                if (CKSTCurve* curve = FindCurveByChannelName(m_xCurveName)) {
                    m_displayKind = kind;
                    m_xChannel = curve->GetChannel();
                    m_rememberedKind = curve->GetCurveKind();
                    curve->SetCurveKind(CKSTCurve::kKindXChannel, false);
                    m_xAxis->SetType(CKSTXAxis::kTypeStandard);
                    m_xAxis->SetRange(0.0, 10.0, CKSTXAxis::kRangeAutomatic, false);
                }
            } else if (xIndex < count) {
                CKSTCurve* curve = GetCurve(xIndex, true);
                m_displayKind = kind;
                m_xChannel = curve->GetChannel();
                curve->SetCurveKind(CKSTCurve::kKindXChannel, false);
                m_xAxis->SetType(CKSTXAxis::kTypeStandard);
                m_xCurveName = curve->GetChannelName();
                m_xAxis->SetRange(0.0, 10.0, CKSTXAxis::kRangeAutomatic, true);
            }
            break;
        }
        case kDisplayBar:
        case kDisplayPointer:
            restoreXCurve();
            m_displayKind = kind;
            m_xCurveName.Empty();
            m_xAxis->SetRange(0.0, 1.0, CKSTXAxis::kRangeMinMaxFixed, false);
            m_xAxis->SetType(CKSTXAxis::kTypeNone);
            m_settings.m_GridVisible = 0;
            for (int i = 0; CKSTCurve* curve = GetCurve(i, true); ++i) {
                curve->SetDisplayKind(
                    kind == kDisplayBar ? kStyleBarDisplay : CKSTAxisGroup::kStylePointer, false);
            }
            break;
        default:
            break;
    }
    if (m_updatesEnabled != 0) {
        UpdateXRange();
        RecalcGroupRanges();
        UpdateLegend();
        RecalcLayout();
        InvalidateClient();
        UpdateNow();
        PostWindowEvent(kEventStructureChanged);
    }
}

void CKSTCurveWndCore::ArrangeCurves(uint32_t mode, bool redraw, bool force)
{
    if (mode == m_arrangeMode && !force) {
        return;
    }
    m_arrangeMode = mode;
    if (mode == 0) {
        if (!force) {
            return;
        }
        mode = m_arrangeMode = 1;
    }
    struct Copy {
        std::unique_ptr<CKSTCurve> curve;
        std::unique_ptr<CKSTYAxis> axis;
    };
    std::vector<Copy> copies;
    for (int i = 0; CKSTCurve* curve = GetCurve(i, true); ++i) {
        Copy copy{std::make_unique<CKSTCurve>(this), std::make_unique<CKSTYAxis>(this)};
        copy.curve->CopyFrom(*curve);
        if (curve->GetYAxis() != nullptr) {
            copy.axis->CopyFrom(*curve->GetYAxis());
        }
        if (curve->GetChannel() != nullptr) {
            copy.axis->SetUnit(curve->GetChannel()->GetUnit());
        }
        copies.push_back(std::move(copy));
    }
    const uint8_t updates = m_updatesEnabled;
    m_updatesEnabled = 0;
    m_groupLegends.clear();
    m_groups.clear();
    auto newGroup = [&]() -> CKSTAxisGroup& {
        m_groups.push_back(std::make_unique<CKSTAxisGroup>(this));
        return *m_groups.back();
    };
    for (size_t i = 0; i < copies.size(); ++i) {
        const CKSTCurve& curve = *copies[i].curve;
        const CKSTYAxis& axis = *copies[i].axis;
        switch (mode) {
            case 1: {
                const int g = i == 0 ? -1 : FindGroupWithUnit(axis.GetUnit(), 0);
                if (g >= 0) {
                    m_groups[g]->AddCurve(curve, axis, CKSTAxisGroup::kAxisOfUnit);
                } else {
                    newGroup().AddCurve(curve, axis, CKSTAxisGroup::kAxisNew);
                }
                break;
            }
            case 3:
                newGroup().AddCurve(curve, axis, CKSTAxisGroup::kAxisNew);
                break;
            default: {
                CKSTAxisGroup& group = m_groups.empty() ? newGroup() : *m_groups.front();
                group.AddCurve(curve, axis,
                               mode == 4 ? CKSTAxisGroup::kAxisOfUnit : CKSTAxisGroup::kAxisNew);
                break;
            }
        }
    }
    if (m_groups.empty()) {
        newGroup();
    }
    copies.clear();
    m_updatesEnabled = updates;
    RecalcGroupRanges();
    InvalidateClient();
    if (redraw && m_updatesEnabled != 0) {
        UpdateLegend();
        RecalcLayout();
        UpdateNow();
    }
}

void CKSTCurveWndCore::UpdateXRange()
{
    if (IsEmpty()) {
        return;
    }
    const bool follows = m_xAxis->NeedsScroll();
    if (!follows && m_xAxis->GetPreviousState() != nullptr) {
        m_followGrid.Reset();
        return;
    }
    const bool xyPlot = m_displayKind == kDisplayXY;
    if (!m_groups.empty()) {
        CKSTString unit;
        if (xyPlot) {
            unit = m_xChannel != nullptr ? m_xChannel->GetUnit() : CKSTString();
        } else if (const CKSTCurve* first = GetCurve(0, true)) {
            unit = first->GetChannel() != nullptr ? first->GetChannel()->GetTimeUnit() : CKSTString();
        }
        if (unit != m_xAxis->GetUnitText()) {
            m_xAxis->SetUnitText(unit);
        }
        bool any = false;
        CKSTTimeStamp earliest;
        for (const auto& group : m_groups) {
            if (group->GetCurveCount() == 0) {
                continue;
            }
            const CKSTTimeStamp start = group->GetStartTimeStamp();
            if (!any || start < earliest) {
                earliest = start;
                any = true;
            }
        }
        if (any && earliest != m_xAxis->GetReferenceTime()) {
            m_xAxis->SetReferenceTime(earliest);
        }
    }
    auto dataRange = [&](double& lo, double& hi) {
        if (xyPlot) {
            lo = 0.0;
            hi = 10.0;
            if (m_xChannel != nullptr && m_xChannel->GetCount() > 0) {
                lo = m_xChannel->GetMinValue();
                hi = m_xChannel->GetMaxValue();
            }
        } else {
            const CKSTTimeStamp reference = m_xAxis->GetReferenceTime();
            const CKSTTimeStamp* ref =
                m_xAxis->GetType() == CKSTXAxis::kTypeAbsoluteTime ? &reference : nullptr;
            lo = kHuge;
            hi = -kHuge;
            for (const auto& group : m_groups) {
                lo = std::min(lo, group->GetDataStart(ref));
                hi = std::max(hi, group->GetDataEnd(ref));
            }
        }
        lo = Clamp(lo);
        hi = Clamp(hi);
        if (!(lo < hi)) {
            hi = lo + 10.0;
        }
    };
    const uint32_t mode = m_xAxis->GetRangeMode();
    double lo = 0.0;
    double hi = 0.0;
    if (mode == CKSTXAxis::kRangeAutomatic) {
        dataRange(lo, hi);
        const uint32_t root = m_xAxis->GetRootRangeMode();
        if (follows && (root == CKSTXAxis::kRangeSpanFixed || root == CKSTXAxis::kRangePointsFixed)) {
            double span = m_settings.m_XAxisSettings.m_RangeValue;
            if (root == CKSTXAxis::kRangePointsFixed) {
                span *= GetFirstSampleInterval();
            }
            m_followGrid.Follow(*m_xAxis, hi, span, mode);
        } else {
            m_followGrid.Reset();
            m_xAxis->SetRange(lo, hi, mode, true);
        }
        m_dataEnd = hi;
    } else if (mode == CKSTXAxis::kRangeSpanFixed || mode == CKSTXAxis::kRangePointsFixed) {
        dataRange(lo, hi);
        double span = m_settings.m_XAxisSettings.m_RangeValue;
        if (mode == CKSTXAxis::kRangePointsFixed) {
            span *= GetFirstSampleInterval();
        }
        if (span > 0.0 && std::isfinite(span)) {
            m_xAxis->SetSpan(span, mode, false);
            if (m_online != 0) {
                // While the live stream runs, the window of fixed span ends at the newest data.
                m_followGrid.Follow(*m_xAxis, hi, span, mode);
            } else {
                m_followGrid.Reset();
                m_xAxis->SetRange(lo, lo + span, mode, true);
            }
        } else {
            m_followGrid.Reset();
        }
        m_dataEnd = hi;
    } else {
        m_followGrid.Reset();
    }
    SetXAxisForGroups();
}

void CKSTCurveWndCore::SetXAxisForGroups()
{
    for (const auto& group : m_groups) {
        group->SetXAxis(m_xAxis.get());
    }
}

void CKSTCurveWndCore::SetXAxisRange(double start, double endOrLength, uint32_t mode, bool redraw)
{
    if (mode == CKSTXAxis::kRangeSpanFixed || mode == CKSTXAxis::kRangePointsFixed) {
        // The length is kept as the record stores it: seconds, or samples in mode 3.
        m_settings.m_XAxisSettings.m_RangeValue = endOrLength;
        const double span =
            mode == CKSTXAxis::kRangePointsFixed ? endOrLength * GetFirstSampleInterval()
                                                 : endOrLength;
        if (m_xAxis->SetSpan(span, mode, false)) {
            m_xAxis->SetRange(start, start + span, mode, true);
        }
    } else {
        m_xAxis->SetRange(start, endOrLength, mode, true);
    }
    SetXAxisForGroups();
    if (redraw && m_updatesEnabled != 0) {
        HideCursors();
        RecalcLayout();
        UpdateNow();
        ShowCursors();
    }
}

void CKSTCurveWndCore::SetXAxisTicks(double width, bool atPoints, bool automatic, bool redraw)
{
    m_xAxis->SetTicks(width, atPoints, automatic);
    SetXAxisForGroups();
    if (redraw && m_updatesEnabled != 0) {
        RecalcLayout();
        UpdateNow();
    }
}

void CKSTCurveWndCore::SetXAxisType(uint32_t type, bool redraw)
{
    m_xAxis->SetType(type);
    SetXAxisForGroups();
    if (redraw && m_updatesEnabled != 0) {
        RecalcLayout();
        UpdateNow();
    }
}

void CKSTCurveWndCore::SetXAxisRotation(int16_t degrees, bool redraw)
{
    m_xAxis->SetLabelRotation(degrees);
    SetXAxisForGroups();
    if (redraw && m_updatesEnabled != 0) {
        RecalcLayout();
        UpdateNow();
    }
}

// --- Updates ---

void CKSTCurveWndCore::BringUpToDate()
{
    if (m_updatesEnabled == 0) {
        return;
    }
    UpdateLegend();
    UpdateXRange();
    RecalcGroupRanges();
    RecalcLayout();
    InvalidateClient();
    UpdateNow();
}

void CKSTCurveWndCore::SetUpdateEnabled(bool enable, bool cursors)
{
    if (!enable && cursors) {
        HideCursors();
    }
    m_updatesEnabled = enable ? 1 : 0;
    if (!enable) {
        return;
    }
    BringUpToDate();
    RefreshValueTable();
    if (cursors) {
        ShowCursors();
    }
}

void CKSTCurveWndCore::Refresh()
{
    if (m_mouseDrag != 0 || m_interaction.resizeGroup >= 0) {
        return;
    }
    if (m_xAxis->NeedsScroll() || m_xAxis->GetPreviousState() == nullptr) {
        RecalcGroupRanges();
        UpdateXRange();
    }
    HideCursors();
    RecalcLayoutForNewData();
    for (const auto& group : m_groups) {
        group->InvalidateCurves();
    }
    ShowCursors();
    UpdateNow();
    PostWindowEvent(kEventRefreshed);
}

void CKSTCurveWndCore::UpdateLegend()
{
    const uint32_t style = m_settings.m_LegendStyle;
    if (style == kLegendMain || style == kLegendTitle) {
        m_legend->DrawMain(GetTextMeasure(), nullptr, true);
    }
}

void CKSTCurveWndCore::InvalidateAll()
{
    for (const auto& group : m_groups) {
        group->InvalidateLayout();
    }
    m_legend->Invalidate();
    m_xAxis->Invalidate();
    UpdateNow();
}

void CKSTCurveWndCore::RecalcGroupRanges()
{
    for (const auto& group : m_groups) {
        group->AutoScaleAll();
    }
}

// --- Setters ---

void CKSTCurveWndCore::LookChanged(bool redraw)
{
    for (const auto& group : m_groups) {
        group->InvalidateLayout();
    }
    m_legend->Invalidate();
    m_xAxis->Invalidate();
    InvalidateClient();
    if (redraw && m_updatesEnabled != 0) {
        RecalcLayout();
        UpdateNow();
    }
}

namespace {

template <class T>
bool Store(T& field, const T& value)
{
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

}  // namespace

void CKSTCurveWndCore::SetBackColor(uint32_t colour, bool redraw)
{
    if (Store(m_settings.m_BackgroundColor, colour)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetPlotBackColor(uint32_t colour, bool redraw)
{
    if (Store(m_settings.m_PlotBackgroundColor, colour)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetXTextColor(uint32_t colour, bool redraw)
{
    if (Store(m_settings.m_XTextColor, colour)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetLegendTextColor(uint32_t colour, bool redraw)
{
    if (Store(m_settings.m_LegendTextColor, colour)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetGridColor(uint32_t colour, bool redraw)
{
    if (Store(m_settings.m_GridColor, colour)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetGridVisible(bool visible, bool redraw)
{
    if (Store<uint8_t>(m_settings.m_GridVisible, visible ? 1 : 0)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetColorGradient(bool on, bool redraw)
{
    if (Store<uint8_t>(m_settings.m_BColorGradient, on ? 1 : 0)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetLegendGroup(bool on, bool redraw)
{
    if (Store<uint8_t>(m_settings.m_LegendGroup, on ? 1 : 0)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetLegendStyle(uint32_t style, bool redraw)
{
    if (m_settings.m_LegendStyle == style) {
        return;
    }
    for (const auto& group : m_groups) {
        group->ResetLegend();
    }
    m_groupLegends.clear();
    m_settings.m_LegendStyle = style;
    LookChanged(redraw);
}

void CKSTCurveWndCore::SetLegendAlign(uint32_t align, bool redraw)
{
    if (Store(m_settings.m_LegendAlign, align)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetCursorTextName(bool on, bool redraw)
{
    if (Store<uint8_t>(m_settings.m_CursorTextName, on ? 1 : 0)) {
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetAxesFont(const CKSTFontDesc& font, bool redraw)
{
    if (m_settings.m_AxesFontDesc != font) {
        m_settings.m_AxesFontDesc = font;
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetLegendFont(const CKSTFontDesc& font, bool redraw)
{
    if (m_settings.m_LegendFontDesc != font) {
        m_settings.m_LegendFontDesc = font;
        LookChanged(redraw);
    }
}

void CKSTCurveWndCore::SetBackgroundImage(const CKSTRasterImage& image, uint32_t placement,
                                          bool redraw)
{
    if (m_settings.m_BackgroundImage.IsEqual(image) && m_settings.m_ImagePlacement == placement) {
        return;
    }
    m_settings.m_BackgroundImage = image;
    m_settings.m_ImagePlacement = placement;
    LookChanged(redraw);
}

void CKSTCurveWndCore::SetTitleText(const CKSTString& text, int32_t value, bool redraw)
{
    if (m_titleText == text && m_titleValue == value) {
        return;
    }
    m_titleText = text;
    m_titleValue = value;
    InvalidateClient();
    if (redraw && m_updatesEnabled != 0) {
        RecalcLayout();
        UpdateNow();
    }
}

void CKSTCurveWndCore::SetPaused(bool paused, bool redraw)
{
    if (Store<uint8_t>(m_paused, paused ? 1 : 0)) {
        InvalidateClient();
        if (redraw && m_updatesEnabled != 0) {
            RecalcLayout();
            UpdateNow();
        }
    }
}

void CKSTCurveWndCore::SetLanguage(uint32_t language, bool redraw)
{
    if (m_language == language) {
        return;
    }
    HideCursors();
    m_language = language;
    LookChanged(redraw);
    ShowCursors();
}

void CKSTCurveWndCore::SetClipboardSize(double widthCm, double heightCm)
{
    m_clipboardWidth = widthCm;
    m_clipboardHeight = heightCm;
}

void CKSTCurveWndCore::AddMenuCommand(const CKSTString& text, uint32_t id, void* target)
{
    RemoveMenuCommand(text, id);
    m_menuCommands.push_back(KstMenuCommand{text, id, target});
}

void CKSTCurveWndCore::RemoveMenuCommand(const CKSTString& text, uint32_t id)
{
    m_menuCommands.erase(std::remove_if(m_menuCommands.begin(), m_menuCommands.end(),
                                        [&](const KstMenuCommand& command) {
                                            return command.text == text || command.id == id;
                                        }),
                         m_menuCommands.end());
}
