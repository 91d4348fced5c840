// The exchange between a curve window's live groups, axes and curves and its settings record.
// Records come from files: every index they hold is checked against its table, and an index
// outside it counts as none.
#include <algorithm>
#include <cmath>
#include <map>

#include "curvewnd/CurveWndCore.h"
#include "data/Channel.h"
#include "data/ChannelList.h"

namespace {

const CKSTFontDesc& TableFont(const CKSTCurveWndSettings& settings, int16_t index)
{
    static const CKSTFontDesc defaultFont;
    return index >= 0 && index < static_cast<int>(settings.m_Fonts.size())
               ? *settings.m_Fonts[index]
               : defaultFont;
}

bool IsUnitRangeMode(uint32_t mode)
{
    return mode == CKSTXAxis::kRangeSpanFixed || mode == CKSTXAxis::kRangePointsFixed;
}

// Each live curve can be matched once: the record at position k takes the curve at running
// index k when it fits, else the first unmatched curve that fits.
class CurveMatcher {
public:
    CurveMatcher(std::vector<CKSTCurve*> curves, bool byGroup)
        : m_curves(std::move(curves)), m_matched(m_curves.size(), false), m_byGroup(byGroup)
    {
    }

    CKSTCurve* Match(size_t k, const CKSTCurveSettings& record)
    {
        if (k < m_curves.size() && !m_matched[k] && Fits(*m_curves[k], record)) {
            m_matched[k] = true;
            return m_curves[k];
        }
        for (size_t i = 0; i < m_curves.size(); ++i) {
            if (!m_matched[i] && Fits(*m_curves[i], record)) {
                m_matched[i] = true;
                return m_curves[i];
            }
        }
        return nullptr;
    }

    bool IsMatched(size_t i) const { return m_matched[i]; }
    size_t GetCount() const { return m_curves.size(); }
    CKSTCurve* GetCurve(size_t i) const { return m_curves[i]; }

private:
    bool Fits(const CKSTCurve& curve, const CKSTCurveSettings& record) const
    {
        return curve.GetChannel() != nullptr && curve.GetChannelName() == record.m_Name &&
               (!m_byGroup || curve.GetChannelLabelPrefix() == record.m_Group);
    }

    std::vector<CKSTCurve*> m_curves;
    std::vector<bool> m_matched;
    bool m_byGroup;
};

std::vector<CKSTCurve*> AllCurves(const CKSTCurveWndCore& window)
{
    std::vector<CKSTCurve*> curves;
    for (int i = 0; CKSTCurve* curve = window.GetCurve(i, true); ++i) {
        curves.push_back(curve);
    }
    return curves;
}

void ApplyEvents(CKSTCurve& curve, const CKSTCurveSettings& record,
                 const CKSTCurveWndSettings& settings)
{
    for (const auto& marker : record.m_Markers) {
        curve.AddEvent(*marker, TableFont(settings, marker->m_Font));
    }
}

// The display attributes of the record; with items also its template, level lines and events
// (which replace the curve's).
void ApplyCurveRecord(CKSTCurve& curve, const CKSTCurveSettings& record,
                      const CKSTCurveWndSettings& settings, bool items)
{
    curve.SetDisplayKind(record.m_PlotStyle, false);
    curve.SetSymbol(record.m_Symbol, false);
    curve.SetValueListMode(record.m_ValueList, false);
    curve.SetColor(record.m_Color, false);
    curve.SetInterpolateGaps(record.m_GapInterpol != 0, false);
    curve.SetCurveKind(record.m_Visible, false);
    curve.SetEventDisplayMode(record.m_MarkerVisible, false);
    curve.SetShowInLegend(record.m_ShowInLegend != 0, false);
    curve.SetShowAtCursor(record.m_ShowAtCursor != 0, false);
    curve.SetShowBarValue(record.m_ShowValue != 0, false);
    curve.SetDecimals(record.m_Decimals, false);
    if (!items) {
        return;
    }
    const int16_t templateIndex = record.m_EventTemplateIndex;
    if (templateIndex >= 0 && templateIndex < static_cast<int>(settings.m_Templates.size())) {
        const CKSTMarkerSettings& description = *settings.m_Templates[templateIndex];
        curve.SetEventTemplate(description, TableFont(settings, description.m_Font));
    }
    // The record holds every level line of the curve: those the curve had go first, so a
    // record applied to the window it came from does not double them.
    const CKSTCurve none(nullptr);
    curve.CopyLevelLines(none);
    for (const auto& limit : record.m_Limits) {
        curve.AddLevelLineFrom(*limit);
    }
    curve.RemoveEventsInSpan(0.0, 0.0);
    ApplyEvents(curve, record, settings);
}

}  // namespace

void CKSTCurveWndCore::MakeMarkerRecord(const CKSTPlotMarker* event, CKSTMarkerSettings& record)
{
    if (event == nullptr) {
        return;
    }
    record.m_Text = event->GetText();
    record.m_Type = event->GetType();
    record.m_Value = event->GetTime();
    record.m_AtPoint = event->IsAtDataPoint() ? 1 : 0;
    record.m_Color = event->GetTextColour();
    record.m_Frame = event->HasFrame() ? 1 : 0;
    record.m_Pointer = event->HasPointer() ? 1 : 0;
    record.m_BackgroundColor = event->GetBackgroundColour();
    record.m_Rotation = static_cast<uint16_t>(event->GetAngle());
    record.m_Font = m_settings.InternFont(event->GetFont());
}

void CKSTCurveWndCore::GetSettings(CKSTCurveWndSettings& settings, bool lookOnly)
{
    CKSTCurveWndSettings& own = m_settings;
    own.RemoveAll();
    own.m_WindowStyleSettings.m_WindowStyle = m_displayKind;
    own.m_WindowStyleSettings.m_WindowStructure = m_arrangeMode;
    own.m_WindowStyleSettings.m_WindowXPlotName = m_xCurveName;
    own.m_WindowStyleSettings.m_XPlotIndex = -1;
    own.m_WindowStyleSettings.m_AxesFont = own.InternFont(own.m_AxesFontDesc);
    own.m_WindowStyleSettings.m_LegendFont = own.InternFont(own.m_LegendFontDesc);
    own.m_WindowStyleSettings.m_ImageIndex = own.InternImage(own.m_BackgroundImage);

    CKSTXAxisSettings& x = own.m_XAxisSettings;
    x.m_Type = m_xAxis->GetType();
    x.m_Unit = m_xAxis->GetUnitText();
    x.m_MinValue = m_xAxis->GetRootMinimum();
    x.m_MaxValue = m_xAxis->GetRootMaximum();
    x.m_TickWidth = m_xAxis->GetTickSpacing();
    x.m_TickAuto = m_xAxis->IsAutoTicks() ? 1 : 0;
    x.m_TicksAtPoints = m_xAxis->IsTicksAtDataPoints() ? 1 : 0;
    x.m_AxisAuto = m_xAxis->GetRootRangeMode();
    x.m_UnitType = m_xAxis->GetUnitPrefixMode();
    x.m_Rotation = static_cast<uint16_t>(m_xAxis->GetLabelRotation());

    if (!lookOnly) {
        for (int g = 0; g < GetGroupCount(); ++g) {
            const CKSTAxisGroup& group = *m_groups[g];
            CKSTGroupSettings groupRecord;
            groupRecord.m_RelativeHeight = group.GetWeight();
            own.AddGroupSettings(&groupRecord);
            for (int a = 0; a < group.GetAxisCount(); ++a) {
                const CKSTYAxis& axis = *group.GetAxis(a);
                CKSTAxisSettings axisRecord;
                axisRecord.m_Type = axis.GetScaleType();
                axisRecord.m_Unit = axis.GetUnit();
                axisRecord.m_MinValue = axis.GetRangeMin();
                axisRecord.m_MaxValue = axis.GetRangeMax();
                axisRecord.m_TickWidth = axis.GetTickSpacing();
                axisRecord.m_TickAuto = axis.IsAutoTicks() ? 1 : 0;
                axisRecord.m_AxisAuto = axis.IsAutoRange() ? 1 : 0;
                axisRecord.m_UnitType = axis.GetUnitPrefixMode();
                axisRecord.m_Color = axis.GetColour();
                axisRecord.m_Reversed = axis.IsLowestOnTop() ? 1 : 0;
                axisRecord.m_Hidden = group.IsAxisHidden(&axis) ? 1 : 0;
                axisRecord.m_MeterAngle = axis.GetDialAngle();
                const int axisIndex = own.AddAxisSettings(&axisRecord, g);
                for (int c = 0; c < group.GetCurveCount(); ++c) {
                    const CKSTCurve& curve = *group.GetCurve(c);
                    if (curve.GetYAxis() != &axis) {
                        continue;
                    }
                    CKSTCurveSettings record;
                    if (const CKSTChannel* channel = curve.GetChannel()) {
                        record.m_Name = channel->GetName();
                        record.m_Group = channel->GetGroup();
                        record.m_Unit = channel->GetUnit();
                    }
                    record.m_PlotStyle = curve.GetDisplayKind();
                    record.m_Symbol = curve.GetSymbol();
                    record.m_ValueList = curve.GetValueListMode();
                    record.m_Color = curve.GetOwnColor();
                    record.m_Visible = curve.GetCurveKind();
                    record.m_ShowValue = curve.GetShowBarValue() ? 1 : 0;
                    record.m_ShowInLegend = curve.GetShowInLegend() ? 1 : 0;
                    record.m_ShowAtCursor = curve.GetShowAtCursor() ? 1 : 0;
                    record.m_MarkerVisible = curve.GetEventDisplayMode();
                    record.m_GapInterpol = curve.GetInterpolateGaps() ? 1 : 0;
                    record.m_Decimals = curve.GetDecimals();
                    CKSTMarkerSettings eventTemplate;
                    MakeMarkerRecord(&curve.GetEventTemplate(), eventTemplate);
                    record.m_EventTemplateIndex = own.InternTemplate(eventTemplate);
                    for (int l = 0; l < curve.GetLevelLineCount(); ++l) {
                        const CKSTLimitLine& line = *curve.GetLevelLine(l);
                        CKSTLimitSettings limit;
                        limit.m_Value = line.GetValue();
                        limit.m_LineStyle = static_cast<uint16_t>(line.GetLineStyle());
                        limit.m_Color = line.GetColour();
                        record.AddLimit(&limit);
                    }
                    for (int e = 0; e < curve.GetEventCount(); ++e) {
                        CKSTMarkerSettings marker;
                        MakeMarkerRecord(curve.GetEvent(e), marker);
                        record.AddMarker(&marker, marker.m_Font);
                    }
                    own.AddCurveSettings(&record, static_cast<int16_t>(axisIndex));
                }
            }
        }
    }
    settings = own;
}

void CKSTCurveWndCore::ApplySettings(const CKSTCurveWndSettings& record, bool arrange,
                                     bool keepXAxis)
{
    m_settings = record;
    const CKSTWindowStyleSettings& style = m_settings.m_WindowStyleSettings;
    SetDisplayKind(style.m_WindowStyle, style.m_XPlotIndex, style.m_WindowXPlotName);
    if (GetCurveCount() == 0) {
        return;
    }
    const uint8_t updates = m_updatesEnabled;
    m_updatesEnabled = 0;

    ResetZoom();
    const auto& fonts = m_settings.m_Fonts;
    if (style.m_AxesFont >= 0 && style.m_AxesFont < static_cast<int>(fonts.size())) {
        m_settings.m_AxesFontDesc = *fonts[style.m_AxesFont];
    }
    if (style.m_LegendFont >= 0 && style.m_LegendFont < static_cast<int>(fonts.size())) {
        m_settings.m_LegendFontDesc = *fonts[style.m_LegendFont];
    }
    const auto& images = m_settings.m_Images;
    if (style.m_ImageIndex >= 0 && style.m_ImageIndex < static_cast<int>(images.size())) {
        m_settings.m_BackgroundImage = *images[style.m_ImageIndex];
    }

    if (arrange) {
        if (style.m_WindowStructure != 0) {
            ArrangeCurves(style.m_WindowStructure, true, false);
        }
        ApplyCurveKindsByName(m_settings);
    } else {
        RebuildFromRecord();
    }

    if (!keepXAxis) {
        SetDisplayKind(style.m_WindowStyle, style.m_XPlotIndex, style.m_WindowXPlotName);
        const CKSTXAxisSettings& x = m_settings.m_XAxisSettings;
        m_xAxis->SetType(x.m_Type);
        m_xAxis->SetUnitText(x.m_Unit);
        const uint32_t mode = x.m_AxisAuto <= CKSTXAxis::kRangePointsFixed
                                  ? x.m_AxisAuto
                                  : CKSTXAxis::kRangeAutomatic;
        if (IsUnitRangeMode(mode)) {
            double span = x.m_RangeValue;
            if (mode == CKSTXAxis::kRangePointsFixed) {
                span *= GetFirstSampleInterval();
            }
            if (m_xAxis->SetSpan(span, mode, false)) {
                m_xAxis->SetRange(x.m_MinValue, x.m_MinValue + span, mode, false);
            }
        } else {
            m_xAxis->SetRange(x.m_MinValue, x.m_MaxValue, mode, false);
        }
        m_xAxis->SetTicks(x.m_TickWidth, x.m_TicksAtPoints != 0, x.m_TickAuto != 0);
        m_xAxis->SetUnitPrefixMode(x.m_UnitType);
        m_xAxis->SetNumericOnly(x.m_OnlyStandard != 0);
        m_xAxis->SetLabelRotation(static_cast<int16_t>(x.m_Rotation));
        if (updates != 0) {
            m_xAxis->RecalcTicks();
        }
        SetXAxisForGroups();
    }

    const size_t weights = std::min(m_groups.size(), m_settings.m_Groups.size());
    for (size_t g = 0; g < weights; ++g) {
        m_groups[g]->SetWeight(m_settings.m_Groups[g]->m_RelativeHeight);
    }

    for (size_t g = m_groups.size(); g-- > 0;) {
        CKSTAxisGroup& group = *m_groups[g];
        for (int a = group.GetAxisCount(); a-- > 0;) {
            CKSTYAxis* axis = group.GetAxis(a);
            if (group.CountCurvesOnAxis(axis) == 0) {
                group.RemoveAxis(axis);
            }
        }
        if (group.GetAxisCount() == 0 && group.GetCurveCount() == 0 && m_groups.size() > 1) {
            DeleteGroup(static_cast<int>(g));
        }
    }

    m_updatesEnabled = updates;
    if (m_updatesEnabled != 0) {
        for (const auto& group : m_groups) {
            group->InvalidateLayout();
        }
        BringUpToDate();
    }
}

void CKSTCurveWndCore::ResetZoom()
{
    if (m_xAxis->GetPreviousState() != nullptr) {
        const double minimum = m_xAxis->GetRootMinimum();
        const double maximum = m_xAxis->GetRootMaximum();
        const uint32_t mode = m_xAxis->GetRootRangeMode();
        m_xAxis->TruncateZoom(0);
        m_xAxis->SetRange(minimum, maximum, mode, false);
    }
    for (const auto& group : m_groups) {
        group->RestoreZoomLevel(0);
    }
    m_interaction.zoomDepth = 0;
}

void CKSTCurveWndCore::RebuildFromRecord()
{
    // Copies of the curves, each taken at most once by a record.
    std::vector<std::unique_ptr<CKSTCurve>> copies;
    for (CKSTCurve* curve : AllCurves(*this)) {
        copies.push_back(std::make_unique<CKSTCurve>(this));
        copies.back()->CopyFrom(*curve);
        copies.back()->SetSources(curve->GetChannel(), m_xAxis.get(), nullptr);
    }
    m_groupLegends.clear();
    m_groups.clear();
    std::vector<CKSTCurve*> pointers;
    for (const auto& copy : copies) {
        pointers.push_back(copy.get());
    }
    CurveMatcher matcher(pointers, true);

    // Group numbers from a file may be anything: the distinct non-negative ones become
    // consecutive groups in ascending order, so no record can ask for more groups than it has
    // axis records.
    std::map<int32_t, int> groupOf;
    for (const auto& axis : m_settings.m_Axes) {
        if (axis->m_SubIndex >= 0) {
            groupOf.emplace(axis->m_SubIndex, 0);
        }
    }
    int next = 0;
    for (auto& entry : groupOf) {
        entry.second = next++;
    }

    const auto& axes = m_settings.m_Axes;
    const auto& curves = m_settings.m_Curves;
    for (size_t a = 0; a < axes.size(); ++a) {
        const CKSTAxisSettings& axisRecord = *axes[a];
        if (axisRecord.m_SubIndex < 0) {
            continue;
        }
        const int g = groupOf[axisRecord.m_SubIndex];
        while (GetGroupCount() <= g) {
            m_groups.push_back(std::make_unique<CKSTAxisGroup>(this));
        }
        CKSTAxisGroup& group = *m_groups[g];
        CKSTYAxis axis(this, m_displayKind == kDisplayPointer);
        axis.SetScaleType(axisRecord.m_Type);
        axis.SetUnit(axisRecord.m_Unit);
        axis.SetRange(axisRecord.m_MinValue, axisRecord.m_MaxValue, axisRecord.m_AxisAuto != 0);
        axis.SetTickSpacing(axisRecord.m_TickWidth, axisRecord.m_TickAuto != 0);
        axis.SetUnitPrefixMode(axisRecord.m_UnitType);
        axis.SetColour(axisRecord.m_Color);
        axis.SetLowestOnTop(axisRecord.m_Reversed != 0);
        axis.SetDialAngle(axisRecord.m_MeterAngle);
        bool first = true;
        for (size_t c = 0; c < curves.size(); ++c) {
            const CKSTCurveSettings& curveRecord = *curves[c];
            if (curveRecord.m_YIndex < 0 || static_cast<size_t>(curveRecord.m_YIndex) != a) {
                continue;
            }
            CKSTCurve* copy = matcher.Match(c, curveRecord);
            if (copy == nullptr) {
                continue;
            }
            ApplyCurveRecord(*copy, curveRecord, m_settings, true);
            group.AddCurve(*copy, axis,
                           first ? CKSTAxisGroup::kAxisNew : CKSTAxisGroup::kAxisLast);
            if (first && axisRecord.m_Hidden != 0) {
                group.SetAxisHidden(group.GetAxis(group.GetAxisCount() - 1), true);
            }
            first = false;
        }
    }
    for (size_t i = 0; i < matcher.GetCount(); ++i) {
        if (!matcher.IsMatched(i)) {
            AddChannel(matcher.GetCurve(i)->GetChannel(), 2, CKSTAxisGroup::kAxisOfUnit);
        }
    }
    if (m_groups.empty()) {
        m_groups.push_back(std::make_unique<CKSTAxisGroup>(this));
    }
}

bool CKSTCurveWndCore::CurvesMatchSettings(const CKSTCurveWndSettings& settings) const
{
    for (const CKSTCurve* curve : AllCurves(*this)) {
        const CKSTString name = curve->GetChannelName();
        const bool found = std::any_of(settings.m_Curves.begin(), settings.m_Curves.end(),
                                       [&](const auto& record) { return record->m_Name == name; });
        if (!found) {
            return false;
        }
    }
    return true;
}

void CKSTCurveWndCore::ApplyCurveKindsByName(const CKSTCurveWndSettings& settings)
{
    CurveMatcher matcher(AllCurves(*this), false);
    for (size_t k = 0; k < settings.m_Curves.size(); ++k) {
        if (CKSTCurve* curve = matcher.Match(k, *settings.m_Curves[k])) {
            curve->SetCurveKind(settings.m_Curves[k]->m_Visible, m_updatesEnabled != 0);
        }
    }
}

void CKSTCurveWndCore::ApplyEventsByName(const CKSTCurveWndSettings& settings, bool keepEvents)
{
    const std::vector<CKSTCurve*> curves = AllCurves(*this);
    if (!keepEvents) {
        for (CKSTCurve* curve : curves) {
            curve->RemoveEventsInSpan(0.0, 0.0);
        }
    }
    CurveMatcher matcher(curves, false);
    for (size_t k = 0; k < settings.m_Curves.size(); ++k) {
        if (CKSTCurve* curve = matcher.Match(k, *settings.m_Curves[k])) {
            ApplyEvents(*curve, *settings.m_Curves[k], settings);
        }
    }
    InvalidateClient();
}

void CKSTCurveWndCore::ApplyCurveSettingsByName(const CKSTCurveWndSettings& settings,
                                                bool withItems)
{
    CurveMatcher matcher(AllCurves(*this), false);
    for (size_t k = 0; k < settings.m_Curves.size(); ++k) {
        if (CKSTCurve* curve = matcher.Match(k, *settings.m_Curves[k])) {
            ApplyCurveRecord(*curve, *settings.m_Curves[k], settings, withItems);
        }
    }
    BringUpToDate();
}

void CKSTCurveWndCore::ApplyChannelVisibility(const CKSTChannelList& channels)
{
    for (CKSTCurve* curve : AllCurves(*this)) {
        const uint32_t kind = curve->GetCurveKind();
        if (curve->GetChannel() == nullptr ||
            (kind != CKSTCurve::kKindHidden && kind != CKSTCurve::kKindShown)) {
            continue;
        }
        const bool listed = channels.FindByGroupAndName(curve->GetChannelLabelPrefix(),
                                                        curve->GetChannelName()) != nullptr;
        curve->SetCurveKind(listed ? CKSTCurve::kKindShown : CKSTCurve::kKindHidden, false);
    }
    BringUpToDate();
}
