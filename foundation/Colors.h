#pragma once
// Colour helpers shared by curve windows, display elements and the process-window editor.
// Colours are COLORREF words: red in the lowest byte, then green, then blue, top byte 0.

#include <cstdint>

#include "foundation/String.h"

constexpr uint32_t KstRgb(uint8_t r, uint8_t g, uint8_t b)
{
    return r | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

// The n-th curve's default colour: a fixed table for 0..15, generated beyond it.
uint32_t DefaultCurveColor(int16_t index);
// Colour names of settings files, matched exactly; any other name gives black.
uint32_t ColorFromName(const CKSTString& name);
// Each colour byte replaced by 255 minus it; the top byte is cleared.
uint32_t InvertColor(uint32_t color);

// Hue in degrees, saturation and lightness on the 0..240 scale of the platform's colour dialog.
// The hue is not wrapped: reds with more blue than green get a negative hue, down to -60.
void RgbToHsl(uint32_t color, double& hue, double& saturation, double& lightness);
// Accepts hues in [-60, 300) as RgbToHsl gives them; channels are truncated, so a round trip
// may lose 1 per channel.
void HslToRgb(uint32_t& color, double hue, double saturation, double lightness);
uint32_t HslToRgb(double hue, double saturation, double lightness);
