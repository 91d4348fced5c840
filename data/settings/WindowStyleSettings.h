#pragma once
// Display kind of a curve window and the references its record stores into its own tables.

#include <cstdint>

#include "foundation/String.h"

struct CKSTWindowStyleSettings {
    // 0 y(t), 1 and 3 XY, 2 bar, 4 pointer instrument.
    uint32_t m_WindowStyle = 0;
    // Arrangement mode used when a record is applied with arrangement; 0 keeps the stored
    // structure.
    uint32_t m_WindowStructure = 0;
    // Running curve index of the X channel of an XY display; -1 finds it by name.
    int16_t m_XPlotIndex = -1;
    CKSTString m_WindowXPlotName;
    // Indices into the font table and the image table; -1 = none stored.
    int16_t m_AxesFont = -1;
    int16_t m_LegendFont = -1;
    int16_t m_ImageIndex = -1;
};
