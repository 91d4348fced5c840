// Paints every display element kind in its states into a 32-bit .bmp file for people to look
// at: element_gallery [output.bmp]. Numeric values with the title on each side, the three lamp
// states, the three button styles on and off, and transparent elements over a pattern.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "data/settings/ProcessLayout.h"
#include "elements/win/ButtonWnd.h"
#include "elements/win/LCDWnd.h"
#include "elements/win/StaticWnd.h"
#include "tools/DibTarget.h"
#include "tools/WindowBitmap.h"

namespace {

constexpr int kWidth = 760;
constexpr int kHeight = 560;

void Caption(HDC dc, int x, int y, const char* text)
{
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, x, y, text, lstrlenA(text));
}

CKSTValueElementSettings ValueSettings(uint32_t side, const char* title)
{
    CKSTValueElementSettings s;
    s.m_TitleSide = side;
    s.m_SplitRatio = 0.4;
    s.m_TitleAlignment = 12;
    s.m_Title = title;
    s.m_Frame = 1;
    s.m_FrameWidth = 2;
    s.m_ValueFont.m_height = -16;
    s.m_ValueFont.m_weight = 700;
    return s;
}

void DrawValues(HDC dc)
{
    const char* titles[] = {"Title left", "Title top", "Title bottom", "Title right"};
    for (uint32_t side = 0; side < 4; ++side) {
        const int left = 10 + static_cast<int>(side) * 185;
        Caption(dc, left, 10, titles[side]);
        CKSTLCDWnd element;
        element.ApplySettings(ValueSettings(side, "Pressure"));
        element.SetLampValue(12.345);
        element.Draw(dc, RECT{left, 30, left + 170, 100});
    }
}

void DrawLamps(HDC dc)
{
    const struct {
        double value;
        const char* caption;
    } lamps[] = {{12, "12 > 10: active colour 1"}, {7, "7 > 5: active colour 2"},
                 {3, "3: passive colour"}};
    for (int i = 0; i < 3; ++i) {
        const int left = 10 + i * 245;
        Caption(dc, left, 115, lamps[i].caption);
        CKSTValueElementSettings s = ValueSettings(0, "Lamp");
        s.m_DisplayType = 1;
        s.m_Operator1 = 2;
        s.m_Threshold1 = 10;
        s.m_Operator2 = 2;
        s.m_Threshold2 = 5;
        s.m_ValueBackColor = RGB(40, 40, 40);
        CKSTLCDWnd element;
        element.ApplySettings(s);
        element.SetLampValue(lamps[i].value);
        element.Draw(dc, RECT{left, 135, left + 200, 215});
    }
}

void DrawButtons(HDC dc)
{
    const char* styles[] = {"Ellipse", "Cylinder", "Rectangle"};
    for (uint32_t style = 0; style < 3; ++style) {
        for (int on = 0; on < 2; ++on) {
            const int left = 10 + static_cast<int>(style) * 245 + on * 115;
            char caption[64];
            std::snprintf(caption, sizeof caption, "%s, %s", styles[style], on ? "on" : "off");
            Caption(dc, left, 230, caption);
            CKSTButtonWnd button;
            button.SetStyle(style);
            button.SetTitle(on ? "Pump on" : "Pump off");
            button.SetState(on != 0);
            button.Draw(dc, RECT{left, 250, left + 105, 300});
        }
    }
    Caption(dc, 10, 310, "Under 10 pixels: no frame ring");
    CKSTButtonWnd small;
    small.SetStyle(2);
    small.SetTitle("");
    small.Draw(dc, RECT{10, 330, 130, 338});
}

void DrawPattern(HDC dc, const RECT& area)
{
    for (int x = area.left; x < area.right; x += 12) {
        for (int y = area.top; y < area.bottom; y += 12) {
            const bool dark = ((x - area.left) / 12 + (y - area.top) / 12) % 2 == 0;
            HBRUSH brush = CreateSolidBrush(dark ? RGB(180, 200, 230) : RGB(250, 240, 200));
            RECT cell{x, y, std::min<LONG>(x + 12, area.right), std::min<LONG>(y + 12, area.bottom)};
            FillRect(dc, &cell, brush);
            DeleteObject(brush);
        }
    }
}

void DrawTransparent(HDC dc)
{
    Caption(dc, 10, 355, "Transparent text, numeric value and button over a pattern");
    const RECT pattern{10, 375, 750, 545};
    DrawPattern(dc, pattern);
    CKSTTextElementSettings text;
    text.m_Text = "Transparent text, framed";
    text.m_Frame = 1;
    text.m_Transparent = 1;
    text.m_Alignment = 4;
    text.m_Font.m_height = -18;
    CKSTStaticWnd element;
    element.ApplySettings(text);
    element.Draw(dc, RECT{30, 390, 330, 440});
    text.m_Transparent = 0;
    text.m_Text = "The same, opaque";
    element.ApplySettings(text);
    element.Draw(dc, RECT{30, 460, 330, 510});

    CKSTValueElementSettings value = ValueSettings(1, "Level");
    value.m_TitleTransparent = 1;
    value.m_ValueTransparent = 1;
    value.m_ValueTextColor = RGB(0, 0, 160);
    CKSTLCDWnd lcd;
    lcd.ApplySettings(value);
    lcd.SetLampValue(3.5);
    lcd.Draw(dc, RECT{380, 390, 560, 470});

    CKSTButtonElementSettings button;
    button.m_Style = 0;
    button.m_Transparent = 1;
    button.m_ChannelName = "Valve";
    CKSTButtonWnd round;
    round.ApplySettings(button);
    round.Draw(dc, RECT{590, 390, 730, 470});
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "element_gallery.bmp";
    kst::DibTarget target(kWidth, kHeight);
    if (!target.IsValid()) {
        std::fprintf(stderr, "element_gallery: no bitmap could be made\n");
        return 1;
    }
    HDC dc = target.Context().GetHdc();
    RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawValues(dc);
    DrawLamps(dc);
    DrawButtons(dc);
    DrawTransparent(dc);
    GdiFlush();
    const bool written = SavePixelsBitmap(path, target.Bits(), kWidth, kHeight);
    if (!written) {
        std::fprintf(stderr, "element_gallery: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
