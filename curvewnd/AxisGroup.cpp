#include "curvewnd/AxisGroup.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "curvewnd/GroupLayout.h"
#include "curvewnd/XAxis.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"

namespace {

constexpr double kHuge = 1e300;
// Legend style with one legend per group.
constexpr uint32_t kLegendPerGroup = 2;
// Window display kinds the group cares about.
constexpr uint32_t kDisplayBar = 2;
constexpr uint32_t kDisplayPointer = 4;

bool IsExcludedKind(uint32_t kind)
{
    return kind == CKSTCurve::kKindHiddenExcluded || kind == CKSTCurve::kKindShownExcluded;
}

// A range end that the axes can hold: infinities become +-1e300; NaN stays NaN.
double ClampToRange(double v)
{
    return v > kHuge ? kHuge : v < -kHuge ? -kHuge : v;
}

double SecondsBetween(const CKSTTimeStamp& later, const CKSTTimeStamp& earlier)
{
    return (later - earlier).GetSeconds();
}

}  // namespace

CKSTAxisGroup::CKSTAxisGroup(IKSTGroupHost* owner)
    : m_owner(owner), m_rect{0, 0, 0, 0}, m_weight(1.0), m_visible(1), m_legendHeight(0)
{
}

CKSTAxisGroup::~CKSTAxisGroup()
{
    // Curves point at the axes: they go first.
    m_curves.clear();
    m_axes.clear();
}

// --- Adding and removing ---

CKSTYAxis* CKSTAxisGroup::NewAxis()
{
    const bool pointer = m_owner != nullptr && m_owner->GetDisplayKind() == kDisplayPointer;
    m_axes.push_back(std::make_unique<CKSTYAxis>(m_owner, pointer));
    return m_axes.back().get();
}

int CKSTAxisGroup::AddChannel(CKSTChannel* channel, CKSTXAxis* xAxis, uint32_t mode, bool redraw)
{
    uint32_t index = 0;
    if (m_axes.empty()) {
        // The group's first axis serves the first curve whatever the mode: a second axis made for
        // it would leave the first one without a curve for good.
        NewAxis();
        if (mode == kAxisLast || mode == kAxisNew || mode == kAxisOfUnit) {
            return AddCurveOnAxis(channel, xAxis, 0, redraw);
        }
    }
    if (mode == kAxisLast) {
        index = static_cast<uint32_t>(m_axes.size() - 1);
    } else if (mode == kAxisNew) {
        NewAxis();
        index = static_cast<uint32_t>(m_axes.size() - 1);
    } else if (mode == kAxisOfUnit) {
        const CKSTString unit = channel != nullptr ? channel->GetUnit() : CKSTString();
        const auto found = std::find_if(m_axes.begin(), m_axes.end(),
                                        [&](const auto& axis) { return axis->GetUnit() == unit; });
        if (found == m_axes.end()) {
            NewAxis();
            index = static_cast<uint32_t>(m_axes.size() - 1);
        } else {
            index = static_cast<uint32_t>(found - m_axes.begin());
        }
    } else {
        index = mode;
    }
    return AddCurveOnAxis(channel, xAxis, index, redraw);
}

int CKSTAxisGroup::AddCurveOnAxis(CKSTChannel* channel, CKSTXAxis* xAxis, uint32_t axisIndex,
                                  bool redraw)
{
    while (m_axes.size() <= axisIndex) {
        NewAxis();
    }
    CKSTYAxis* axis = m_axes[axisIndex].get();
    auto curve = std::make_unique<CKSTCurve>(m_owner);
    curve->SetSources(channel, xAxis, axis);
    CKSTCurve* added = curve.get();
    m_curves.push_back(std::move(curve));
    AutoScaleAxis(axis);

    const uint32_t kind = m_owner != nullptr ? m_owner->GetDisplayKind() : 0;
    if (kind == kDisplayBar) {
        added->SetDisplayKind(CKSTCurve::kStyle3DBars, redraw);
    }
    if (kind == kDisplayPointer) {
        added->SetDisplayKind(kStylePointer, redraw);
    }
    if (channel != nullptr && channel->GetSampleType() == 0) {
        added->SetDisplayKind(CKSTCurve::kStyleSteps, redraw);
    }
    if (channel != nullptr && channel->GetValueTextCount() > 0) {
        added->SetDisplayKind(CKSTCurve::kStyleEventTexts, redraw);
    }
    return static_cast<int>(m_curves.size() - 1);
}

int CKSTAxisGroup::AddCurve(const CKSTCurve& curve, const CKSTYAxis& axis, uint32_t mode)
{
    CKSTYAxis* target = nullptr;
    if (mode == kAxisLast && !m_axes.empty()) {
        target = m_axes.back().get();
    } else if (mode == kAxisOfUnit) {
        const auto found = std::find_if(m_axes.begin(), m_axes.end(), [&](const auto& own) {
            return own->GetUnit() == axis.GetUnit();
        });
        if (found != m_axes.end()) {
            target = found->get();
        }
    }
    if (target == nullptr) {
        m_axes.push_back(std::make_unique<CKSTYAxis>(m_owner));
        target = m_axes.back().get();
        target->CopyFrom(axis);
    }
    auto copy = std::make_unique<CKSTCurve>(m_owner);
    copy->CopyFrom(curve);
    copy->SetSources(curve.GetChannel(), curve.GetXAxis(), target);
    m_curves.push_back(std::move(copy));
    return static_cast<int>(m_curves.size() - 1);
}

void CKSTAxisGroup::RemoveCurve(CKSTCurve* curve, bool releaseChannel)
{
    const int index = GetCurveIndex(curve);
    if (index < 0) {
        return;
    }
    m_rangeCache.erase(curve->GetChannel());
    if (releaseChannel && m_owner != nullptr && curve->GetChannel() != nullptr) {
        m_owner->ReleaseChannel(curve->GetChannel());
    }
    CKSTYAxis* axis = curve->GetYAxis();
    const bool alone = axis != nullptr && CountCurvesOnAxis(axis) == 1;
    m_curves.erase(m_curves.begin() + index);
    if (alone) {
        RemoveAxis(axis);
    }
}

void CKSTAxisGroup::RemoveAxis(CKSTYAxis* axis)
{
    const int index = GetAxisIndex(axis);
    if (index < 0) {
        return;
    }
    // A curve left on a deleted axis would point into freed memory; it draws nothing instead.
    for (const auto& curve : m_curves) {
        if (curve->GetYAxis() == axis) {
            curve->SetSources(curve->GetChannel(), curve->GetXAxis(), nullptr);
        }
    }
    SetAxisHidden(axis, false);
    m_axes.erase(m_axes.begin() + index);
}

// --- Lookups ---

CKSTCurve* CKSTAxisGroup::GetCurve(int index) const
{
    return index >= 0 && index < GetCurveCount() ? m_curves[index].get() : nullptr;
}

CKSTYAxis* CKSTAxisGroup::GetAxis(int index) const
{
    return index >= 0 && index < GetAxisCount() ? m_axes[index].get() : nullptr;
}

int CKSTAxisGroup::GetCurveIndex(const CKSTCurve* curve) const
{
    for (int i = 0; i < GetCurveCount(); ++i) {
        if (m_curves[i].get() == curve) {
            return i;
        }
    }
    return -1;
}

int CKSTAxisGroup::GetAxisIndex(const CKSTYAxis* axis) const
{
    for (int i = 0; i < GetAxisCount(); ++i) {
        if (m_axes[i].get() == axis) {
            return i;
        }
    }
    return -1;
}

CKSTCurve* CKSTAxisGroup::GetFirstCurve() const
{
    return m_curves.empty() ? nullptr : m_curves.front().get();
}

CKSTCurve* CKSTAxisGroup::GetLastCurve() const
{
    return m_curves.empty() ? nullptr : m_curves.back().get();
}

bool CKSTAxisGroup::ContainsCurve(const CKSTCurve* curve) const
{
    return curve != nullptr && GetCurveIndex(curve) >= 0;
}

CKSTCurve* CKSTAxisGroup::FindCurveByChannel(const CKSTChannel* channel) const
{
    for (const auto& curve : m_curves) {
        if (curve->GetChannel() == channel) {
            return curve.get();
        }
    }
    return nullptr;
}

CKSTCurve* CKSTAxisGroup::FindCurveByChannelName(const CKSTString& name) const
{
    for (const auto& curve : m_curves) {
        if (curve->GetChannel() != nullptr && curve->GetChannelName() == name) {
            return curve.get();
        }
    }
    return nullptr;
}

CKSTCurve* CKSTAxisGroup::FindCurveByName(const CKSTString& name, const CKSTString& group) const
{
    for (const auto& curve : m_curves) {
        if (curve->GetChannel() != nullptr && curve->GetChannelName() == name &&
            curve->GetChannelLabelPrefix() == group) {
            return curve.get();
        }
    }
    return nullptr;
}

CKSTCurve* CKSTAxisGroup::FindCurveByLabelText(const CKSTString& group,
                                               const CKSTString& name) const
{
    return FindCurveByName(name, group);
}

CKSTCurve* CKSTAxisGroup::FindCurveOnAxis(const CKSTYAxis* axis) const
{
    for (const auto& curve : m_curves) {
        if (curve->GetYAxis() == axis) {
            return curve.get();
        }
    }
    return nullptr;
}

int CKSTAxisGroup::CountCurvesOnAxis(const CKSTYAxis* axis) const
{
    return static_cast<int>(std::count_if(m_curves.begin(), m_curves.end(),
                                          [&](const auto& c) { return c->GetYAxis() == axis; }));
}

bool CKSTAxisGroup::IsShownCurve(const CKSTCurve& curve)
{
    return curve.GetCurveKind() == CKSTCurve::kKindShown && curve.GetValueListMode() != 2;
}

bool CKSTAxisGroup::IsFirstCurveOnAxis(int index) const
{
    const CKSTCurve* curve = GetCurve(index);
    if (curve == nullptr) {
        return false;
    }
    for (int i = 0; i < index; ++i) {
        if (IsShownCurve(*m_curves[i]) && m_curves[i]->GetYAxis() == curve->GetYAxis()) {
            return false;
        }
    }
    return true;
}

bool CKSTAxisGroup::AxisHasShownCurve(const CKSTYAxis* axis) const
{
    return std::any_of(m_curves.begin(), m_curves.end(),
                       [&](const auto& c) { return c->GetYAxis() == axis && IsShownCurve(*c); });
}

bool CKSTAxisGroup::AxisHasNoCurve(const CKSTYAxis* axis) const
{
    return std::none_of(m_curves.begin(), m_curves.end(), [&](const auto& c) {
        return c->GetYAxis() == axis && !IsExcludedKind(c->GetCurveKind());
    });
}

bool CKSTAxisGroup::HasShownCurve() const
{
    if (std::any_of(m_curves.begin(), m_curves.end(),
                    [](const auto& c) { return IsShownCurve(*c); })) {
        return true;
    }
    if (m_owner == nullptr || m_owner->GetWindowSettings().m_LegendStyle != kLegendPerGroup) {
        return false;
    }
    if (m_curves.size() == 1 && m_curves[0]->GetCurveKind() == CKSTCurve::kKindXChannel) {
        return false;
    }
    return std::any_of(m_curves.begin(), m_curves.end(),
                       [](const auto& c) { return c->GetCurveKind() == CKSTCurve::kKindHidden; });
}

bool CKSTAxisGroup::HasZoomedAxis() const
{
    return std::any_of(m_axes.begin(), m_axes.end(),
                       [](const auto& axis) { return axis->GetPreviousState() != nullptr; });
}

bool CKSTAxisGroup::AxisTakesPart(const CKSTYAxis* axis) const
{
    return axis != nullptr && !IsAxisHidden(axis) && AxisHasShownCurve(axis);
}

void CKSTAxisGroup::SetAxisHidden(const CKSTYAxis* axis, bool hidden)
{
    const auto found = std::find(m_hiddenAxes.begin(), m_hiddenAxes.end(), axis);
    if (hidden && found == m_hiddenAxes.end() && GetAxisIndex(axis) >= 0) {
        m_hiddenAxes.push_back(axis);
    } else if (!hidden && found != m_hiddenAxes.end()) {
        m_hiddenAxes.erase(found);
    }
}

bool CKSTAxisGroup::IsAxisHidden(const CKSTYAxis* axis) const
{
    return std::find(m_hiddenAxes.begin(), m_hiddenAxes.end(), axis) != m_hiddenAxes.end();
}

CKSTCurve* CKSTAxisGroup::FirstShownCurve() const
{
    for (const auto& curve : m_curves) {
        if (IsShownCurve(*curve)) {
            return curve.get();
        }
    }
    return nullptr;
}

// --- Hit tests ---

CKSTYAxis* CKSTAxisGroup::HitTestAxis(const POINT& point) const
{
    const bool pointer = m_owner != nullptr && m_owner->GetDisplayKind() == kDisplayPointer;
    for (const auto& axis : m_axes) {
        if (axis->HitTest(point)) {
            return axis.get();
        }
        if (pointer) {
            const CKSTCurve* curve = FindCurveOnAxis(axis.get());
            if (curve != nullptr && curve->HitTestDial(point)) {
                return axis.get();
            }
        }
    }
    return nullptr;
}

CKSTCurve* CKSTAxisGroup::HitTestCurve(const POINT& point) const
{
    for (auto it = m_curves.rbegin(); it != m_curves.rend(); ++it) {
        if (IsShownCurve(**it) && (*it)->HitTest(point)) {
            return it->get();
        }
    }
    return nullptr;
}

CKSTPlotMarker* CKSTAxisGroup::FindEventAt(const POINT& point) const
{
    for (auto it = m_curves.rbegin(); it != m_curves.rend(); ++it) {
        if (IsShownCurve(**it)) {
            if (CKSTPlotMarker* event = (*it)->FindEventAt(point)) {
                return event;
            }
        }
    }
    return nullptr;
}

CKSTLimitLine* CKSTAxisGroup::FindLevelLineAt(const POINT& point) const
{
    for (auto it = m_curves.rbegin(); it != m_curves.rend(); ++it) {
        if (IsShownCurve(**it)) {
            if (CKSTLimitLine* line = (*it)->FindLevelLineAt(point)) {
                return line;
            }
        }
    }
    return nullptr;
}

bool CKSTAxisGroup::HitTestBand(int32_t y1, int32_t y2) const
{
    const RECT r = NormalizeRect(m_rect);
    const int64_t low = std::min(y1, y2);
    const int64_t high = std::max(y1, y2);
    return low <= int64_t(r.bottom) + 5 && high >= int64_t(r.top) - 5;
}

// --- Ranges and scaling ---

double CKSTAxisGroup::GetDataStart(const CKSTTimeStamp* reference) const
{
    double start = kHuge;
    for (const auto& curve : m_curves) {
        const CKSTChannel* channel = curve->GetChannel();
        if (channel == nullptr) {
            continue;
        }
        double t = channel->GetStartTime();
        if (reference != nullptr) {
            t += SecondsBetween(channel->GetStartTimeStamp(), *reference);
        }
        start = std::min(start, t);
    }
    return start;
}

double CKSTAxisGroup::GetDataEnd(const CKSTTimeStamp* reference) const
{
    double end = -kHuge;
    for (const auto& curve : m_curves) {
        const CKSTChannel* channel = curve->GetChannel();
        if (channel == nullptr) {
            continue;
        }
        double t = channel->GetEndTime();
        const uint32_t style = curve->GetDisplayKind();
        if (style == CKSTCurve::kStyleBars || style == CKSTCurve::kStyleSteps ||
            style == CKSTCurve::kStyle3DBars) {
            t += channel->GetSampleInterval();
        }
        if (reference != nullptr) {
            t += SecondsBetween(channel->GetStartTimeStamp(), *reference);
        }
        end = std::max(end, t);
    }
    return end;
}

CKSTTimeStamp CKSTAxisGroup::GetStartTimeStamp() const
{
    bool found = false;
    CKSTTimeStamp earliest;
    for (const auto& curve : m_curves) {
        const CKSTChannel* channel = curve->GetChannel();
        if (channel != nullptr && (!found || channel->GetStartTimeStamp() < earliest)) {
            earliest = channel->GetStartTimeStamp();
            found = true;
        }
    }
    if (!found) {
        earliest = CKSTTimeStamp::Now();
        earliest = CKSTTimeStamp(earliest.GetSerialDays(), 0.0);
    }
    return earliest;
}

void CKSTAxisGroup::GetValueRange(const CKSTYAxis* axis, double& min, double& max) const
{
    if (m_curves.empty()) {
        min = 0.0;
        max = 0.0;
        return;
    }
    min = kHuge;
    max = -kHuge;
    const bool onlyShown = AxisHasShownCurve(axis);
    const bool positiveOnly =
        axis != nullptr && (axis->GetScaleType() == CKSTYAxis::kScaleLogarithmic ||
                            axis->GetScaleType() == CKSTYAxis::kScaleDecibel);
    for (const auto& curve : m_curves) {
        const CKSTChannel* channel = curve->GetChannel();
        if (curve->GetYAxis() != axis || channel == nullptr || channel->GetCount() == 0 ||
            (onlyShown && !IsShownCurve(*curve))) {
            continue;
        }
        double lo = 0.0;
        double hi = 0.0;
        if (positiveOnly || channel->GetTimeBaseType() == CKSTChannel::kMatrix) {
            channel->GetValueRange(lo, hi, positiveOnly);
        } else {
            ChannelValueRange(*channel, lo, hi);
        }
        // Samples that are not numbers give no range.
        if (!std::isnan(lo)) {
            min = std::min(min, lo);
        }
        if (!std::isnan(hi)) {
            max = std::max(max, hi);
        }
    }
}

void CKSTAxisGroup::ChannelValueRange(const CKSTChannel& channel, double& min,
                                      double& max) const
{
    const double* values = channel.GetValues();
    const uint32_t count = channel.GetCount();
    auto bits = [](double v) {
        uint64_t word = 0;
        std::memcpy(&word, &v, sizeof word);
        return word;
    };
    RangeCache& cache = m_rangeCache[&channel];
    // Only samples appended to the same array since the last read are new; anything else (an
    // edit in place, a trimmed or reallocated array) is read again in full.
    const bool grown = values != nullptr && cache.values == values && cache.count > 0 &&
                       count > cache.count && bits(values[0]) == cache.firstBits &&
                       bits(values[cache.count - 1]) == cache.lastBits;
    if (grown) {
        double lo = 0.0;
        double hi = 0.0;
        channel.GetValueRange(lo, hi, false, cache.count, count);
        cache.min = std::min(cache.min, lo);
        cache.max = std::max(cache.max, hi);
    } else {
        channel.GetValueRange(cache.min, cache.max, false);
    }
    cache.values = values;
    cache.count = count;
    cache.firstBits = count > 0 ? bits(values[0]) : 0;
    cache.lastBits = count > 0 ? bits(values[count - 1]) : 0;
    min = cache.min;
    max = cache.max;
}

void CKSTAxisGroup::AutoScaleAxis(CKSTYAxis* axis)
{
    if (axis == nullptr) {
        return;
    }
    const auto first = std::find_if(m_curves.begin(), m_curves.end(), [&](const auto& curve) {
        return curve->GetYAxis() == axis && curve->GetChannel() != nullptr;
    });
    if (first != m_curves.end() && (*first)->GetChannel()->GetUnit() != axis->GetUnit()) {
        axis->SetUnit((*first)->GetChannel()->GetUnit());
    }
    if (!axis->IsAutoRange()) {
        return;
    }
    double min = 0.0;
    double max = 0.0;
    GetValueRange(axis, min, max);
    // An axis without data (no curve, or only empty channels) is scaled as a flat zero.
    if (!(min <= max)) {
        min = 0.0;
        max = 0.0;
    }
    double lo = axis->Transform(ClampToRange(min));
    double hi = axis->Transform(ClampToRange(max));
    if (!std::isfinite(lo) || !std::isfinite(hi)) {
        lo = std::isfinite(lo) ? lo : hi;
        hi = std::isfinite(hi) ? hi : lo;
    }
    if (!std::isfinite(lo)) {
        lo = hi = 0.0;
    }
    KstWidenFlatRange(lo, hi, axis->GetScaleType());
    SetNiceRange(axis, lo, hi);
}

void CKSTAxisGroup::AutoScaleAll()
{
    for (const auto& axis : m_axes) {
        if (axis->GetPreviousState() == nullptr) {
            AutoScaleAxis(axis.get());
        }
    }
}

void CKSTAxisGroup::SetNiceRange(CKSTYAxis* axis, double lo, double hi)
{
    double niceLo = 0.0;
    double niceHi = 0.0;
    KstNiceRange(lo, hi, niceLo, niceHi);
    axis->SetRange(niceLo, niceHi, axis->IsAutoRange());
    AxisChanged(axis);
}

void CKSTAxisGroup::RestoreZoomLevel(uint16_t level)
{
    for (const auto& axis : m_axes) {
        if (axis->GetPreviousState() == nullptr) {
            continue;
        }
        const CKSTYAxis* state = axis->GetZoomState(level);
        if (state == nullptr || state == axis.get()) {
            continue;
        }
        const double minimum = state->GetMinimum();
        const double maximum = state->GetMaximum();
        const bool autoRange = state->IsAutoRange();
        const double spacing = state->GetTickSpacing();
        const bool autoTicks = state->IsAutoTicks();
        axis->TruncateZoom(level);
        axis->SetRange(minimum, maximum, autoRange);
        axis->SetTickSpacing(spacing, autoTicks);
        AxisChanged(axis.get());
    }
}

// --- Layout ---

void CKSTAxisGroup::SetRect(const RECT& rect)
{
    if (IsSameRect(rect, m_rect)) {
        return;
    }
    auto invalidate = [&] {
        if (m_owner != nullptr) {
            m_owner->InvalidateRect(m_rect.left, m_rect.top, m_rect.right, m_rect.bottom, false);
        }
    };
    invalidate();
    m_rect = NormalizeRect(rect);
    invalidate();
}

const CKSTFontDesc& CKSTAxisGroup::AxesFont() const
{
    return (m_owner != nullptr ? m_owner->GetWindowSettings() : KstDefaultWindowSettings())
        .m_AxesFontDesc;
}

int32_t CKSTAxisGroup::GetLegendHeight() const
{
    return m_legendHeight;
}

void CKSTAxisGroup::Layout(IKSTTextMeasure* measure, const RECT& rect, int32_t leftLimit,
                           int32_t rightLimit, int32_t rightOffset)
{
    SetRect(rect);
    const int32_t legend =
        m_owner != nullptr && m_owner->GetWindowSettings().m_LegendStyle == kLegendPerGroup
            ? m_legendHeight
            : 0;
    std::vector<KstAxisSlot> slots(m_axes.size());
    for (size_t i = 0; i < m_axes.size(); ++i) {
        slots[i].takesPart = AxisTakesPart(m_axes[i].get());
        if (slots[i].takesPart) {
            // The labels, and so the width, follow from the axis' height.
            m_axes[i]->SetRect({0, m_rect.top + legend, 1, m_rect.bottom});
            slots[i].width = m_axes[i]->LayoutLabels(measure, AxesFont());
        }
    }
    KstPlaceGroupAxes(slots, m_rect, legend, leftLimit, rightLimit, rightOffset);
    for (size_t i = 0; i < m_axes.size(); ++i) {
        m_axes[i]->SetRightSide(slots[i].rightSide);
        if (slots[i].takesPart) {
            m_axes[i]->SetNoEdgeLine(slots[i].inner);
            m_axes[i]->SetRect(slots[i].rect);
        }
    }
    const RECT plot = KstGroupPlotRect(m_rect, legend);
    for (const auto& curve : m_curves) {
        curve->SetRect(plot);
    }
}

int32_t CKSTAxisGroup::GetLeftAxesWidth(IKSTTextMeasure* measure)
{
    int32_t width = 0;
    for (size_t i = 0; i < m_axes.size(); i += 2) {
        if (AxisTakesPart(m_axes[i].get())) {
            width += m_axes[i]->LayoutLabels(measure, AxesFont());
        }
    }
    return width;
}

int32_t CKSTAxisGroup::GetRightAxesWidth(IKSTTextMeasure* measure)
{
    int32_t width = 0;
    for (size_t i = 1; i < m_axes.size(); i += 2) {
        if (AxisTakesPart(m_axes[i].get())) {
            width += m_axes[i]->LayoutLabels(measure, AxesFont());
        }
    }
    return width;
}

void CKSTAxisGroup::InvalidateLayout()
{
    if (m_owner != nullptr) {
        m_owner->InvalidateRect(m_rect.left, m_rect.top, m_rect.right, m_rect.bottom, false);
    }
    for (const auto& axis : m_axes) {
        axis->LayoutTicks();
    }
    InvalidateCurves();
}

void CKSTAxisGroup::SetXAxis(CKSTXAxis* xAxis)
{
    for (const auto& curve : m_curves) {
        curve->SetSources(curve->GetChannel(), xAxis, curve->GetYAxis());
    }
}

void CKSTAxisGroup::AxisChanged(const CKSTYAxis* axis)
{
    for (const auto& curve : m_curves) {
        curve->OnAxisChanged(axis);
    }
}

void CKSTAxisGroup::InvalidateCurves()
{
    for (const auto& curve : m_curves) {
        curve->Invalidate();
    }
}

// --- Scroll bar ---

void CKSTAxisGroup::UpdateScrollBar(int id, int32_t width)
{
    const RECT rect = {m_rect.right, m_rect.top, m_rect.right + width, m_rect.bottom};
    if (!m_scrollBar) {
        if (m_owner == nullptr) {
            return;
        }
        m_scrollBar = m_owner->CreateScrollBar(id, rect);
        if (!m_scrollBar) {
            return;
        }
    } else if (!IsSameRect(m_scrollBar->GetRect(), rect)) {
        const RECT old = m_scrollBar->GetRect();
        m_scrollBar->Move(rect);
        m_owner->InvalidateRect(std::min(old.left, rect.left), std::min(old.top, rect.top),
                                std::max(old.right, rect.right), std::max(old.bottom, rect.bottom),
                                false);
    }
    const CKSTYAxis* axis = GetAxis(0);
    if (axis == nullptr) {
        return;
    }
    int32_t page = 0;
    int32_t position = 0;
    KstAxisScrollInfo(axis->GetRangeMin(), axis->GetRangeMax(), axis->GetMinimum(),
                      axis->GetMaximum(), axis->IsLowestOnTop(), page, position);
    m_scrollBar->SetScrollPosition(page, position);
}
