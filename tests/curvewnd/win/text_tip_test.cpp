#include "curvewnd/win/TextTipWnd.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/framework_test_support.h"

namespace {

// A curve window as its tips see it: a drawing window, a background colour and the mouse moves
// handed on.
class TipOwner : public IKSTTextTipOwner {
public:
    COLORREF GetWindowColor() const override { return windowColor; }
    CWnd* GetDrawingWindow() const override { return drawing; }
    void HandleMouseMove(UINT flags, CPoint point) override
    {
        moveFlags.push_back(flags);
        moves.push_back(point);
    }

    CWnd* drawing = nullptr;
    COLORREF windowColor = RGB(255, 255, 200);
    std::vector<UINT> moveFlags;
    std::vector<CPoint> moves;
};

class TextTipTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        const CKSTString name = KstRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(host.CreateEx(0, name.c_str(), "Curves",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 60, 60, 320, 200,
                                  nullptr, nullptr));
        owner.drawing = &host;
    }
    void TearDown() override
    {
        host.DestroyWindow();
        FrameworkTest::TearDown();
    }

    // The tip's rectangle in the drawing window's client coordinates.
    RECT PlacedRect(const CKSTTextTipWnd& tip) const
    {
        RECT rect{};
        GetWindowRect(tip.m_hWnd, &rect);
        MapWindowPoints(nullptr, host.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    // The tip's client pixels as 0x00BBGGRR, row by row.
    static std::vector<COLORREF> Pixels(const CKSTTextTipWnd& tip, int& width, int& height)
    {
        RECT client{};
        GetClientRect(tip.m_hWnd, &client);
        width = client.right;
        height = client.bottom;
        HDC windowDc = GetDC(tip.m_hWnd);
        HDC memory = CreateCompatibleDC(windowDc);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        std::vector<COLORREF> pixels(static_cast<size_t>(width) * height);
        const auto* source = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t rgb = source[i] & 0xFFFFFF;
            pixels[i] = RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(tip.m_hWnd, windowDc);
        return pixels;
    }

    CWnd host;
    TipOwner owner;
    CKSTFontDesc font;
};

void ExpectRect(const RECT& expected, const RECT& actual)
{
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

TEST_F(TextTipTest, PlacedAtTheNormalisedRectangleAsAVisibleChildOfTheDrawingWindow)
{
    struct Case {
        const char* name;
        RECT given;
    };
    const Case cases[] = {
        {"ordered", {10, 20, 110, 40}},
        {"right to left", {110, 20, 10, 40}},
        {"both swapped", {110, 40, 10, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTTextTipWnd tip;
        ASSERT_TRUE(tip.Create(&owner, c.given, font, RGB(0, 0, 255), "t = 1.5 s"));
        EXPECT_EQ(host.m_hWnd, GetParent(tip.m_hWnd));
        EXPECT_TRUE(tip.IsWindowVisible());
        EXPECT_TRUE(tip.GetStyle() & WS_CHILD);
        EXPECT_TRUE(tip.GetExStyle() & WS_EX_NOPARENTNOTIFY);
        EXPECT_TRUE(GetClassLongPtrA(tip.m_hWnd, GCL_STYLE) & CS_SAVEBITS);
        ExpectRect(RECT{10, 20, 110, 40}, PlacedRect(tip));

        tip.SetText(RECT{200, 90, 150, 60}, "t = 2 s");
        ExpectRect(RECT{150, 60, 200, 90}, PlacedRect(tip));

        tip.Destroy();
        EXPECT_EQ(nullptr, tip.m_hWnd);
    }
}

TEST_F(TextTipTest, PaintsTheOwnersBackgroundAFrameAndTheTextAfterAMoveWithSwappedCorners)
{
    CKSTTextTipWnd tip;
    const COLORREF textColor = RGB(0, 0, 255);
    ASSERT_TRUE(tip.Create(&owner, RECT{20, 30, 140, 52}, font, textColor, "Value: 1.25"));
    // Corners given right to left: the tip must still fill and frame its whole area.
    tip.SetText(RECT{170, 72, 40, 40}, "Value: 3.5");
    host.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    host.UpdateWindow();
    tip.UpdateWindow();

    int width = 0;
    int height = 0;
    const std::vector<COLORREF> pixels = Pixels(tip, width, height);
    ASSERT_EQ(130, width);
    ASSERT_EQ(32, height);
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; };

    int frameGaps = 0;  // frame pixels that are not black
    for (int x = 0; x < width; ++x) {
        frameGaps += (at(x, 0) != 0) + (at(x, height - 1) != 0);
    }
    for (int y = 0; y < height; ++y) {
        frameGaps += (at(0, y) != 0) + (at(width - 1, y) != 0);
    }
    EXPECT_EQ(0, frameGaps);
    int textPixels = 0;
    int backgroundPixels = 0;
    for (int y = 1; y < height - 1; ++y) {
        for (int x = 1; x < width - 1; ++x) {
            textPixels += at(x, y) == textColor;
            backgroundPixels += at(x, y) == owner.windowColor;
        }
    }
    EXPECT_GT(textPixels, 0);
    EXPECT_GT(backgroundPixels, (width - 2) * (height - 2) / 2);
    // The text starts at (2, 1); the far right of a short text is background.
    EXPECT_EQ(owner.windowColor, at(width - 3, height / 2));
    tip.Destroy();
}

TEST_F(TextTipTest, MouseMovesReachTheOwnerInDrawingWindowCoordinates)
{
    CKSTTextTipWnd tip;
    ASSERT_TRUE(tip.Create(&owner, RECT{40, 50, 90, 70}, font, 0, "x"));
    tip.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 6));
    ASSERT_EQ(1u, owner.moves.size());
    EXPECT_EQ(45, owner.moves[0].x);
    EXPECT_EQ(56, owner.moves[0].y);
    EXPECT_EQ(static_cast<UINT>(MK_LBUTTON), owner.moveFlags[0]);
    tip.Destroy();
}

TEST_F(TextTipTest, CreationFailsWithoutADrawingWindow)
{
    CKSTTextTipWnd tip;
    EXPECT_FALSE(tip.Create(nullptr, RECT{0, 0, 10, 10}, font, 0, "x"));
    owner.drawing = nullptr;
    EXPECT_FALSE(tip.Create(&owner, RECT{0, 0, 10, 10}, font, 0, "x"));
    CWnd gone;
    owner.drawing = &gone;
    EXPECT_FALSE(tip.Create(&owner, RECT{0, 0, 10, 10}, font, 0, "x"));
    EXPECT_EQ(nullptr, tip.m_hWnd);
}

}  // namespace
