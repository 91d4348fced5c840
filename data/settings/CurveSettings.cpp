#include "data/settings/CurveSettings.h"

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
