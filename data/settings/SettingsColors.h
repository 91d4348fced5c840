#pragma once
// Colour words of the settings records: plain COLORREF values 0x00BBGGRR, or one of the two
// special words below.

#include <cstdint>

// Automatic: the curve's colour, then the channel's, then the window's automatic colour.
constexpr uint32_t KST_COLOR_AUTOMATIC = 0xFFFFFFFFu;
// No fill or transparent; a window background of this word paints no background.
constexpr uint32_t KST_COLOR_NONE = 0xFFFFFFFEu;

// The platform's system colours at the time of the call, the defaults of new records; a fixed
// light grey on the host, which has no system colours.
uint32_t KstSystemMenuColor();        // COLOR_MENU, the background of a curve window
uint32_t KstSystemButtonFaceColor();  // COLOR_BTNFACE, the background of a text element
