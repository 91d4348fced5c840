#include "foundation/Colors.h"

#include <algorithm>

namespace {

constexpr uint32_t kCurveColors[16] = {
    KstRgb(0, 0, 255),   KstRgb(255, 0, 0),   KstRgb(0, 192, 0),     KstRgb(255, 224, 0),
    KstRgb(128, 0, 128), KstRgb(255, 128, 0), KstRgb(255, 0, 255),   KstRgb(0, 255, 255),
    KstRgb(192, 0, 0),   KstRgb(192, 192, 0), KstRgb(0, 128, 255),   KstRgb(0, 255, 0),
    KstRgb(192, 0, 192), KstRgb(255, 0, 128), KstRgb(255, 255, 128), KstRgb(128, 255, 128),
};

struct NamedColor {
    const char* name;
    uint32_t color;
};

// "MAGENTA" is purple in stored settings files, not (255, 0, 255).
constexpr NamedColor kNamedColors[] = {
    {"WHITE", KstRgb(255, 255, 255)}, {"GREY", KstRgb(128, 128, 128)},  {"BLACK", KstRgb(0, 0, 0)},
    {"GREEN", KstRgb(0, 255, 0)},     {"RED", KstRgb(255, 0, 0)},       {"BLUE", KstRgb(0, 0, 255)},
    {"YELLOW", KstRgb(255, 255, 0)},  {"MAGENTA", KstRgb(128, 0, 128)},
};

double HueToChannel(double p, double q, double x)
{
    if (x < 0.0) {
        x += 1.0;
    } else if (x > 1.0) {
        x -= 1.0;
    }
    if (6.0 * x < 1.0) {
        return p + (q - p) * 6.0 * x;
    }
    if (2.0 * x < 1.0) {
        return q;
    }
    if (3.0 * x < 2.0) {
        return p + (q - p) * (2.0 / 3.0 - x) * 6.0;
    }
    return p;
}

uint8_t ChannelByte(double value)
{
    // Truncated, not rounded; clamped so that rounding noise and NaN stay in range.
    const double v = value * 255.0;
    if (!(v > 0.0)) {
        return 0;
    }
    return v >= 255.0 ? 255 : static_cast<uint8_t>(v);
}

}  // namespace

uint32_t DefaultCurveColor(int16_t index)
{
    if (index >= 0 && index <= 15) {
        return kCurveColors[index];
    }
    int r = 48, g = 32, b = 16;
    if (index > 15) {
        for (int i = 0; i <= index; ++i) {
            r += 32;
            g += 64;
            b += 96;
            if (r >= 255) {
                r = 0;
            }
            if (g >= 255) {
                g = 0;
            }
            if (b >= 255) {
                b = 0;
            }
        }
    }
    return KstRgb(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
}

uint32_t ColorFromName(const CKSTString& name)
{
    for (const NamedColor& entry : kNamedColors) {
        if (name == entry.name) {
            return entry.color;
        }
    }
    return KstRgb(0, 0, 0);
}

uint32_t InvertColor(uint32_t color)
{
    return ~color & 0x00FFFFFFu;
}

void RgbToHsl(uint32_t color, double& hue, double& saturation, double& lightness)
{
    const double r = (color & 0xFF) / 255.0;
    const double g = ((color >> 8) & 0xFF) / 255.0;
    const double b = ((color >> 16) & 0xFF) / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    const double l = (max + min) / 2.0;
    const double d = max - min;
    double h = 0.0, s = 0.0;
    if (d > 0.0) {
        s = l <= 0.5 ? d / (2.0 * l) : d / (2.0 - 2.0 * l);
        const double dr = ((max - r) / 6.0 + d / 2.0) / d;
        const double dg = ((max - g) / 6.0 + d / 2.0) / d;
        const double db = ((max - b) / 6.0 + d / 2.0) / d;
        if (r == max) {
            h = db - dg;
        } else if (g == max) {
            h = 1.0 / 3.0 + dr - db;
        } else {
            h = 2.0 / 3.0 + dg - dr;
        }
    }
    hue = h * 360.0;
    saturation = s * 240.0;
    lightness = l * 240.0;
}

void HslToRgb(uint32_t& color, double hue, double saturation, double lightness)
{
    const double h = hue / 360.0;
    const double s = saturation / 240.0;
    const double l = lightness / 240.0;
    double r = l, g = l, b = l;
    if (s != 0.0) {
        const double q = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
        const double p = 2.0 * l - q;
        r = HueToChannel(p, q, h + 1.0 / 3.0);
        g = HueToChannel(p, q, h);
        b = HueToChannel(p, q, h - 1.0 / 3.0);
    }
    color = KstRgb(ChannelByte(r), ChannelByte(g), ChannelByte(b));
}

uint32_t HslToRgb(double hue, double saturation, double lightness)
{
    uint32_t color = 0;
    HslToRgb(color, hue, saturation, lightness);
    return color;
}
