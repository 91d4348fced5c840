#pragma once
// Stored form of the X axis, of one group and of one Y axis of a curve window. The codes are
// those of the live axes, which interpret them; the records only keep them.

#include <cstdint>

#include "data/settings/SettingsColors.h"
#include "foundation/String.h"

struct CKSTXAxisSettings {
    uint32_t m_Type = 1;
    CKSTString m_Unit;
    double m_MinValue = 0.0;
    double m_MaxValue = 10.0;
    double m_RangeValue = 10.0;
    double m_TickWidth = 1.0;
    uint8_t m_TickAuto = 1;
    uint8_t m_TicksAtPoints = 0;
    uint32_t m_AxisAuto = 0;  // the axis' range mode
    uint32_t m_UnitType = 3;
    uint16_t m_Rotation = 0;
    uint8_t m_OnlyStandard = 0;
};

struct CKSTGroupSettings {
    double m_RelativeHeight = 1.0;  // the group's share of the window height
};

struct CKSTAxisSettings {
    // Group number of the axis: groups are numbered from 0 in display order.
    int32_t m_SubIndex = -1;
    uint32_t m_Type = 0;
    // Also the key by which the curves of a unit find their axis.
    CKSTString m_Unit;
    double m_MinValue = 0.0;
    double m_MaxValue = 10.0;
    double m_TickWidth = 1.0;
    uint8_t m_TickAuto = 1;
    uint8_t m_AxisAuto = 1;
    uint32_t m_UnitType = 3;
    uint32_t m_Color = KST_COLOR_AUTOMATIC;
    uint8_t m_Reversed = 0;
    uint8_t m_Hidden = 0;
    double m_MeterAngle = 0.0;  // angle of the pointer-instrument scale
    // Whether the structure page shows the axis' tree item expanded; never stored in files.
    uint8_t m_Expanded = 0;
};
