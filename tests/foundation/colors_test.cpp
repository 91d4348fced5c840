#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "foundation/Colors.h"

namespace {

TEST(Colors, DefaultCurveColors)
{
    struct Case {
        int16_t index;
        uint32_t color;
    };
    const Case cases[] = {
        {0, KstRgb(0, 0, 255)},      {1, KstRgb(255, 0, 0)},    {3, KstRgb(255, 224, 0)},
        {4, KstRgb(128, 0, 128)},    {10, KstRgb(0, 128, 255)}, {14, KstRgb(255, 255, 128)},
        {15, KstRgb(128, 255, 128)}, {16, KstRgb(64, 64, 192)}, {17, KstRgb(96, 128, 0)},
        {18, KstRgb(128, 192, 96)},  {-1, KstRgb(48, 32, 16)},  {-32768, KstRgb(48, 32, 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(c.color, DefaultCurveColor(c.index));
    }
    // Generated colours wrap each channel to 0 once it reaches 255.
    for (int16_t i = 16; i < 400; ++i) {
        EXPECT_EQ(0u, DefaultCurveColor(i) >> 24) << i;
    }
}

TEST(Colors, Names)
{
    struct Case {
        const char* name;
        uint32_t color;
    };
    const Case cases[] = {
        {"WHITE", KstRgb(255, 255, 255)},
        {"GREY", KstRgb(128, 128, 128)},
        {"BLACK", KstRgb(0, 0, 0)},
        {"GREEN", KstRgb(0, 255, 0)},
        {"RED", KstRgb(255, 0, 0)},
        {"BLUE", KstRgb(0, 0, 255)},
        {"YELLOW", KstRgb(255, 255, 0)},
        {"MAGENTA", KstRgb(128, 0, 128)},
        {"magenta", 0},
        {"RED ", 0},
        {"", 0},
        {"ORANGE", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.color, ColorFromName(c.name));
    }
}

TEST(Colors, Invert)
{
    EXPECT_EQ(KstRgb(0, 255, 239), InvertColor(KstRgb(255, 0, 16)));
    EXPECT_EQ(KstRgb(255, 255, 255), InvertColor(0));
    EXPECT_EQ(KstRgb(0, 0, 0), InvertColor(0x00FFFFFFu));
}

TEST(Colors, RgbToHsl)
{
    struct Case {
        uint32_t color;
        double hue, saturation, lightness;
    };
    const Case cases[] = {
        {KstRgb(255, 0, 0), 0, 240, 120},
        {KstRgb(0, 255, 0), 120, 240, 120},
        {KstRgb(0, 0, 255), 240, 240, 120},
        {KstRgb(255, 255, 255), 0, 0, 240},
        {KstRgb(0, 0, 0), 0, 0, 0},
        {KstRgb(128, 128, 128), 0, 0, 128.0 * 240 / 255},
        {KstRgb(255, 200, 100), 38.709677, 240, 167.058824},
        {KstRgb(64, 0, 0), 0, 240, 64.0 * 120 / 255},
        // Red with more blue than green: the hue is not wrapped.
        {KstRgb(255, 0, 128), -30.117647, 240, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.color);
        double h = -1, s = -1, l = -1;
        RgbToHsl(c.color, h, s, l);
        EXPECT_NEAR(c.hue, h, 1e-5);
        EXPECT_NEAR(c.saturation, s, 1e-5);
        EXPECT_NEAR(c.lightness, l, 1e-5);
    }
}

TEST(Colors, HslToRgb)
{
    EXPECT_EQ(KstRgb(255, 0, 0), HslToRgb(0, 240, 120));
    EXPECT_EQ(KstRgb(0, 0, 255), HslToRgb(240, 240, 120));
    EXPECT_EQ(KstRgb(255, 255, 255), HslToRgb(77, 0, 240));
    EXPECT_EQ(KstRgb(0, 0, 0), HslToRgb(77, 240, 0));
    // Grey of lightness 60 of 240: 63.75, truncated.
    EXPECT_EQ(KstRgb(63, 63, 63), HslToRgb(0, 0, 60));
    uint32_t out = 1;
    HslToRgb(out, 120, 240, 120);
    EXPECT_EQ(KstRgb(0, 255, 0), out);
}

TEST(Colors, HslRoundTripLosesAtMostOnePerChannel)
{
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 15) {
            for (int b = 0; b < 256; b += 15) {
                const uint32_t color = KstRgb(r, g, b);
                double h, s, l;
                RgbToHsl(color, h, s, l);
                ASSERT_GE(h, -60.0 - 1e-9);
                ASSERT_LT(h, 300.0);
                const uint32_t back = HslToRgb(h, s, l);
                for (int shift = 0; shift < 24; shift += 8) {
                    const int a = (color >> shift) & 0xFF;
                    const int z = (back >> shift) & 0xFF;
                    ASSERT_LE(std::abs(a - z), 1) << r << " " << g << " " << b;
                }
                ASSERT_EQ(0u, back >> 24);
            }
        }
    }
}

}  // namespace
