// Group backgrounds, frames, pictures and titles painted into a 32-bit DIB section and read back
// pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "curvewnd/AxisGroup.h"
#include "curvewnd/XAxis.h"
#include "curvewnd/fake_group_host.h"
#include "curvewnd/win/AxisGroupDraw.h"
#include "curvewnd/win/DCTextMeasure.h"
#include "curvewnd/win/GroupScrollBar.h"
#include "curvewnd/win/draw_target.h"

namespace {

constexpr COLORREF kCanvas = 0x563412;  // what was there before the group drew
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kWhite = 0xFFFFFF;

// DrawTarget pixels are 0x00RRGGBB.
uint32_t Pixel(COLORREF colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

class GroupDrawTest : public testing::Test {
protected:
    GroupDrawTest() : target(60, 70, kCanvas), group(&host)
    {
        host.settings.m_GridVisible = 0;
        host.settings.m_PlotBackgroundColor = 0xFFFFFF;
        host.settings.m_BColorGradient = 1;
        group.Layout(nullptr, {5, 5, 45, 57}, 0, 60, 0);  // inner 38 x 50
    }

    uint32_t At(int x, int y) { return target.At(x, y); }

    FakeGroupHost host;
    DrawTarget target;
    CKSTAxisGroup group;
};

TEST_F(GroupDrawTest, GradientDarkensTowardsTheBottomInsideASunkenFrame)
{
    DrawGroupBackground(group, target.Context(), false);
    const std::vector<uint32_t> pixels = target.Pixels();
    EXPECT_EQ(At(20, 6), 0xFFFFFFu);   // first inner row: the plot colour
    EXPECT_EQ(At(20, 55), 0xE1E1E1u);  // row 49 of 50: 255 - 255 x 49 x 0.12 / 50
    EXPECT_EQ(At(6, 30), At(43, 30));  // rows are even across
    // Frame: left and top grey, right and bottom white.
    EXPECT_EQ(At(5, 30), kGrey);
    EXPECT_EQ(At(20, 5), kGrey);
    EXPECT_EQ(At(44, 30), kWhite);
    EXPECT_EQ(At(20, 56), kWhite);
    // Nothing outside the group.
    for (int y = 0; y < target.Height(); ++y) {
        for (int x = 0; x < target.Width(); ++x) {
            if (x < 5 || x >= 45 || y < 5 || y >= 57) {
                ASSERT_EQ(pixels[static_cast<size_t>(y) * target.Width() + x], Pixel(kCanvas))
                    << x << ", " << y;
            }
        }
    }
}

TEST_F(GroupDrawTest, PlainAndTransparentBackgrounds)
{
    struct Case {
        const char* name;
        uint32_t plot;
        uint8_t gradient;
        uint32_t inside;
    };
    const Case cases[] = {
        {"plain colour", 0x00FF00, 0, 0x00FF00},
        {"transparent", KST_COLOR_NONE, 0, Pixel(kCanvas)},
        {"transparent ignores the gradient", KST_COLOR_NONE, 1, Pixel(kCanvas)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DrawTarget fresh(60, 70, kCanvas);
        host.settings.m_PlotBackgroundColor = c.plot;
        host.settings.m_BColorGradient = c.gradient;
        DrawGroupBackground(group, fresh.Context(), false);
        EXPECT_EQ(fresh.At(6, 6), c.inside);
        EXPECT_EQ(fresh.At(43, 55), c.inside);
        EXPECT_EQ(fresh.At(5, 30), kGrey);
    }
}

TEST_F(GroupDrawTest, PrintedFrameIsBlack)
{
    DrawGroupBackground(group, target.Context(), true);
    EXPECT_EQ(At(5, 30), 0u);
    EXPECT_EQ(At(20, 5), 0u);
    EXPECT_EQ(At(44, 30), 0u);
    EXPECT_EQ(At(20, 56), 0u);
}

TEST_F(GroupDrawTest, PictureStandsWhereItsPlacementCodeSays)
{
    // A 4 x 3 picture, bottom right over a stack 5..57: free space 40 - 4 = 36 across and
    // 52 - 2 - 3 = 47 down, so it covers columns 41..44 and rows 53..55.
    CKSTRasterImage& picture = host.settings.m_BackgroundImage;
    ASSERT_TRUE(picture.Create(4, 3));
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            picture.SetPixel(x, y, 0x0000FF);
        }
    }
    host.settings.m_ImagePlacement = 10;
    host.settings.m_PlotBackgroundColor = 0x00FF00;
    host.settings.m_BColorGradient = 0;
    host.stackTop = 5;
    host.stackBottom = 57;
    DrawGroupBackground(group, target.Context(), false);
    const uint32_t red = 0xFF0000;
    EXPECT_EQ(At(41, 53), red);
    EXPECT_EQ(At(43, 55), red);
    EXPECT_EQ(At(40, 53), 0x00FF00u);
    EXPECT_EQ(At(41, 52), 0x00FF00u);
    EXPECT_EQ(At(44, 54), kWhite);  // the frame is drawn over the picture's last column
}

TEST_F(GroupDrawTest, FlatGroupDrawsItsFrameButNoPicture)
{
    CKSTRasterImage& picture = host.settings.m_BackgroundImage;
    ASSERT_TRUE(picture.Create(2, 2));
    for (uint32_t i = 0; i < 4; ++i) {
        picture.SetPixel(i % 2, i / 2, 0x0000FF);
    }
    host.settings.m_ImagePlacement = 5;
    host.stackTop = 10;
    host.stackBottom = 13;
    CKSTAxisGroup flat(&host);
    flat.Layout(nullptr, {10, 10, 40, 13}, 0, 60, 0);  // inner rectangle one row high
    DrawGroupBackground(flat, target.Context(), false);
    EXPECT_EQ(At(20, 11), 0xFFFFFFu);  // background row
    EXPECT_EQ(At(11, 11), 0xFFFFFFu);  // no picture
    EXPECT_EQ(At(10, 10), kGrey);
    EXPECT_EQ(At(20, 12), kWhite);
}

TEST_F(GroupDrawTest, TitleStandsInAWhiteBoxAtTheTopLeft)
{
    host.settings.m_PlotBackgroundColor = 0x00FF00;
    host.settings.m_BColorGradient = 0;
    host.title = "T";
    host.titleValue = 0x0000FF;
    DrawTarget wide(200, 80, kCanvas);
    CKSTAxisGroup titled(&host);
    titled.Layout(nullptr, {0, 0, 200, 80}, 0, 200, 0);
    DrawGroupBackground(titled, wide.Context(), false);
    DrawGroupTitle(titled, wide.Context());

    CKSTFontDesc font = host.settings.m_AxesFontDesc;
    wide.Context().SelectFont(font, true);
    SIZE size = {};
    GetTextExtentPoint32A(wide.Hdc(), "T", 1, &size);
    wide.Context().RestoreFont();
    const int right = static_cast<int>(size.cx) + 20;  // box from 10 to text width + 20
    const std::vector<uint32_t> pixels = wide.Pixels();
    int red = 0;
    for (int y = 10; y < 30; ++y) {
        for (int x = 10; x < right; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * 200 + x];
            // White box, red text (smoothed text blends the two, keeping full red).
            ASSERT_EQ(p >> 16, 0xFFu) << x << ", " << y;
            red += (p & 0xFF00) < 0x8000 ? 1 : 0;
        }
    }
    EXPECT_GT(red, 0);
    EXPECT_EQ(wide.At(9, 20), 0x00FF00u);
    EXPECT_EQ(wide.At(right, 20), 0x00FF00u);
    EXPECT_EQ(wide.At(20, 30), 0x00FF00u);
}

TEST(GroupScrollBarTest, BarShowsTheVisibleShareOfTheFirstAxis)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr));
    FakeGroupHost host;
    host.makeScrollBar = [&](int id, const RECT& rect) {
        return CreateGroupScrollBar(&host, &parent, id, rect);
    };
    CKSTXAxis xAxis(&host);
    CKSTAxisGroup group(&host);
    auto channel = ConstantChannel("c", "V", 1.0);
    group.AddChannel(channel.get(), &xAxis, CKSTAxisGroup::kAxisLast, false);
    CKSTYAxis* axis = group.GetAxis(0);
    ASSERT_TRUE(axis->SetRange(0.0, 100.0, false));
    axis->PushZoom(1);
    ASSERT_TRUE(axis->SetRange(20.0, 30.0, false));
    group.Layout(nullptr, {50, 10, 300, 210}, 0, 400, 16);
    group.UpdateScrollBar(1000, 16);
    auto* control = dynamic_cast<CKSTGroupScrollBar*>(group.GetScrollBar());
    ASSERT_NE(control, nullptr);
    HWND bar = control->GetSafeHwnd();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetDlgCtrlID(bar), 1000);

    SCROLLINFO info = {};
    ASSERT_TRUE(control->GetScrollInfo(&info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 1000);
    EXPECT_EQ(info.nPage, 100u);
    EXPECT_EQ(info.nPos, 700);
    RECT placed;
    GetWindowRect(bar, &placed);
    MapWindowPoints(nullptr, parent.GetSafeHwnd(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 300);
    EXPECT_EQ(placed.right, 316);
    EXPECT_EQ(placed.top, 10);
    EXPECT_EQ(placed.bottom, 210);

    // Moving the group moves the bar and invalidates the strip it crossed.
    host.invalidated.clear();
    group.Layout(nullptr, {50, 10, 280, 210}, 0, 400, 16);
    host.invalidated.clear();
    group.UpdateScrollBar(1000, 16);
    GetWindowRect(bar, &placed);
    MapWindowPoints(nullptr, parent.GetSafeHwnd(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 280);
    ASSERT_EQ(host.invalidated.size(), 1u);
    EXPECT_EQ(host.invalidated[0].left, 280);
    EXPECT_EQ(host.invalidated[0].right, 316);

    group.DeleteScrollBar();
    EXPECT_FALSE(IsWindow(bar));
    parent.DestroyWindow();
}

}  // namespace
