// Axes painted on a 32-bit bitmap with the real axes font: label extents come from the device,
// tick marks stand at the laid-out pixels, the band is filled (or left alone for a window
// without background).
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "curvewnd/fake_curve_owner.h"
#include "curvewnd/win/AxisDraw.h"
#include "curvewnd/win/DCTextMeasure.h"
#include "curvewnd/win/DrawContext.h"
#include "curvewnd/win/draw_target.h"

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBand = 0xE0E0E0;
constexpr COLORREF kInk = 0x0000C0;  // dark red

// DrawTarget pixels are 0x00RRGGBB.
uint32_t Pixel(COLORREF colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

SIZE ExtentOf(HDC dc, const CKSTFontDesc& font, const char* text)
{
    KstFontHandle handle = nullptr;
    font.CreateFont(handle);
    HGDIOBJ old = SelectObject(dc, handle);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    DeleteObject(handle);
    return size;
}

class AxisDrawTest : public ::testing::Test {
protected:
    AxisDrawTest() : target(240, 120, kWhite), measure(target.Hdc())
    {
        owner.measure = &measure;
        owner.settings.m_BackgroundColor = kBand;
        owner.settings.m_XTextColor = kInk;
        owner.settings.m_YTextColor = kInk;
    }

    // Pixels other than the band's colour: text, whatever smoothing the font gets.
    int CountMarked(int left, int top, int right, int bottom)
    {
        const std::vector<uint32_t> pixels = target.Pixels();
        int n = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                n += pixels[static_cast<size_t>(y) * target.Width() + x] != Pixel(kBand) ? 1 : 0;
            }
        }
        return n;
    }

    DrawTarget target;
    CKSTDCTextMeasure measure;
    FakeCurveOwner owner;
};

TEST_F(AxisDrawTest, MeasureMatchesTheDeviceAndRestoresItsFont)
{
    const HGDIOBJ before = GetCurrentObject(target.Hdc(), OBJ_FONT);
    CKSTFontDesc bold;
    bold.m_weight = FW_BOLD;
    {
        CKSTDCTextMeasure scoped(target.Hdc());
        for (const CKSTFontDesc& font : {CKSTFontDesc(), bold}) {
            int32_t width = 0, height = 0;
            ASSERT_TRUE(scoped.MeasureText(font, "12:30:45", width, height));
            const SIZE expected = ExtentOf(target.Hdc(), font, "12:30:45");
            EXPECT_EQ(expected.cx, width);
            EXPECT_EQ(expected.cy, height);
        }
    }
    EXPECT_EQ(before, GetCurrentObject(target.Hdc(), OBJ_FONT));

    CKSTDCTextMeasure none(nullptr);
    int32_t width = 1, height = 1;
    EXPECT_FALSE(none.MeasureText(CKSTFontDesc(), "x", width, height));
}

TEST_F(AxisDrawTest, XAxisPaintsTicksAndLabelsWhereItLaidThemOut)
{
    CKSTXAxis axis(&owner);
    axis.SetRect(RECT{10, 40, 230, 80});
    axis.SetRange(0.0, 100.0, CKSTXAxis::kRangeMinMaxFixed, true);
    axis.SetTicks(25.0, false, false);

    DrawAxis(axis, target.Context(), true);
    const SIZE label = ExtentOf(target.Hdc(), owner.settings.m_AxesFontDesc, "100");
    EXPECT_EQ(4 + 2 + label.cy, axis.GetAxisHeight());
    EXPECT_EQ(Pixel(kWhite), target.At(20, 50)) << "layout alone paints nothing";

    DrawAxis(axis, target.Context(), false);
    const std::vector<int32_t>& ticks = axis.GetTickPixels();
    ASSERT_EQ(5u, ticks.size());
    for (int32_t x : ticks) {
        SCOPED_TRACE(x);
        if (x > 10) {
            for (int y = 40; y < 44; ++y) {
                EXPECT_EQ(Pixel(kInk), target.At(x, y)) << y;
            }
        }
        EXPECT_NE(Pixel(kInk), target.At(x, 44));
    }
    EXPECT_EQ(Pixel(kBand), target.At(12, 78)) << "the band is filled";
    EXPECT_EQ(Pixel(kWhite), target.At(5, 60));
    const POINT last = axis.GetLabelPosition(4);
    EXPECT_GT(CountMarked(last.x, last.y, last.x + label.cx, last.y + label.cy), 0);
}

TEST_F(AxisDrawTest, WindowWithoutBackgroundKeepsWhatLiesUnderTheBand)
{
    owner.settings.m_BackgroundColor = KST_COLOR_NONE;
    CKSTXAxis axis(&owner);
    axis.SetRect(RECT{10, 40, 230, 80});
    DrawAxis(axis, target.Context(), false);
    EXPECT_EQ(Pixel(kWhite), target.At(12, 78));
}

TEST_F(AxisDrawTest, YAxisDrawsItsEdgeLineTicksAndWidth)
{
    CKSTYAxis axis(&owner);
    axis.SetRect(RECT{20, 10, 70, 113});
    axis.SetNoEdgeLine(false);
    DrawAxis(axis, target.Context(), true);
    const int32_t width = axis.GetAxisWidth();
    EXPECT_EQ(width, axis.LayoutLabels(&measure, owner.settings.m_AxesFontDesc));
    EXPECT_GT(width, 4 + 2);

    DrawAxis(axis, target.Context(), false);
    for (int y = 10; y < 113; y += 17) {
        EXPECT_EQ(Pixel(kInk), target.At(69, y)) << "edge line at row " << y;
    }
    std::vector<int32_t> rows;
    axis.GetTickPixels(rows);
    ASSERT_FALSE(rows.empty());
    for (int32_t y : rows) {
        SCOPED_TRACE(y);
        EXPECT_EQ(Pixel(kInk), target.At(69 - 4, y));
        EXPECT_EQ(Pixel(kBand), target.At(69 - 5, y));
    }
}

}  // namespace
