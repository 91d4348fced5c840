#pragma once
// Stored form of one curve: the channel it shows (by name and group text, never by pointer),
// the index of its Y axis, its display attributes, its level lines and its events.

#include <cstdint>

#include "data/settings/MarkerSettings.h"
#include "data/settings/OwnedTable.h"
#include "data/settings/SettingsColors.h"
#include "foundation/String.h"

// One level line of a curve.
struct CKSTLimitSettings {
    double m_Value = 0.0;
    uint16_t m_LineStyle = 0;
    uint32_t m_Color = KST_COLOR_AUTOMATIC;
};

class CKSTCurveSettings {
public:
    CKSTCurveSettings() = default;
    CKSTCurveSettings(const CKSTCurveSettings&) = default;
    CKSTCurveSettings& operator=(const CKSTCurveSettings& other)
    {
        return KstAssignCopy(*this, other);
    }
    CKSTCurveSettings(CKSTCurveSettings&&) noexcept = default;
    CKSTCurveSettings& operator=(CKSTCurveSettings&&) noexcept = default;

    // Append copies (a default record for null) and return the new index; the marker copy
    // takes fontIndex as its font.
    int AddLimit(const CKSTLimitSettings* limit);
    int AddMarker(const CKSTMarkerSettings* marker, int16_t fontIndex);
    void ClearLimits();
    void ClearMarkers();
    void ClearLists();

    int16_t m_YIndex = -1;  // index of the curve's Y axis in the axes table
    CKSTString m_Name;      // name of the channel shown
    CKSTString m_Group;     // the channel's group text
    uint32_t m_PlotStyle = 0;
    uint32_t m_Symbol = 0;
    uint32_t m_ValueList = 0;  // value-list mode 0, 1 or 2
    uint32_t m_Color = KST_COLOR_AUTOMATIC;
    uint32_t m_Visible = 1;  // curve kind: 0 hidden, 1 shown, 3 and 4 excluded
    uint8_t m_ShowValue = 0;
    uint8_t m_ShowInLegend = 1;
    uint8_t m_ShowAtCursor = 1;
    uint32_t m_MarkerVisible = 1;  // events: 0 hidden, 1 shown, 2 as icons
    CKSTString m_Unit;             // the channel's unit
    uint8_t m_GapInterpol = 0;
    int16_t m_Decimals = -1;  // decimals of value texts; -1 automatic
    // Index of the curve's event-text template in the templates table; -1 = none.
    int16_t m_EventTemplateIndex = -1;
    KstOwnedTable<CKSTLimitSettings> m_Limits;
    KstOwnedTable<CKSTMarkerSettings> m_Markers;
};
