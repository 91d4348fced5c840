#pragma once
// Stored form of an event of a curve and of an event-text template: one record type serves
// both.

#include <cstdint>

#include "data/settings/SettingsColors.h"
#include "foundation/String.h"

struct CKSTMarkerSettings {
    CKSTString m_Text;
    uint32_t m_Type = 1;
    double m_Value = 0.0;  // the event's X position
    uint8_t m_AtPoint = 1;
    uint32_t m_Color = KST_COLOR_AUTOMATIC;
    uint8_t m_Frame = 1;
    uint8_t m_Pointer = 1;
    uint32_t m_BackgroundColor = KST_COLOR_AUTOMATIC;
    uint16_t m_Rotation = 0;
    int16_t m_Font = -1;  // index into the font table of the owning record; -1 = default font

    // All ten fields; `Value` compared as a double.
    bool IsEqual(const CKSTMarkerSettings& other) const;
};
