#include "data/settings/CurveSettings.h"

CKSTCurveSettings::CKSTCurveSettings(const CKSTCurveSettings& other)
    : m_YIndex(other.m_YIndex),
      m_Name(other.m_Name),
      m_Group(other.m_Group),
      m_PlotStyle(other.m_PlotStyle),
      m_Symbol(other.m_Symbol),
      m_ValueList(other.m_ValueList),
      m_Color(other.m_Color),
      m_Visible(other.m_Visible),
      m_ShowValue(other.m_ShowValue),
      m_ShowInLegend(other.m_ShowInLegend),
      m_ShowAtCursor(other.m_ShowAtCursor),
      m_MarkerVisible(other.m_MarkerVisible),
      m_Unit(other.m_Unit),
      m_GapInterpol(other.m_GapInterpol),
      m_Decimals(other.m_Decimals),
      m_EventTemplateIndex(other.m_EventTemplateIndex),
      m_Limits(CopyOwnedTable(other.m_Limits)),
      m_Markers(CopyOwnedTable(other.m_Markers))
{
}

CKSTCurveSettings& CKSTCurveSettings::operator=(const CKSTCurveSettings& other)
{
    if (this != &other) {
        // Copy first: a failed allocation leaves this record as it was.
        CKSTCurveSettings copy(other);
        *this = std::move(copy);
    }
    return *this;
}

int CKSTCurveSettings::AddLimit(const CKSTLimitSettings* limit)
{
    return AppendOwned(m_Limits, limit);
}

int CKSTCurveSettings::AddMarker(const CKSTMarkerSettings* marker, int16_t fontIndex)
{
    const int index = AppendOwned(m_Markers, marker);
    m_Markers[index]->m_Font = fontIndex;
    return index;
}

void CKSTCurveSettings::ClearLimits()
{
    m_Limits.clear();
}

void CKSTCurveSettings::ClearMarkers()
{
    m_Markers.clear();
}

void CKSTCurveSettings::ClearLists()
{
    ClearLimits();
    ClearMarkers();
}
