#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/RasterImage.h"
#include "foundation/win/DrawHelpers.h"

namespace {

constexpr COLORREF kBackground = RGB(0x12, 0x34, 0x56);

// A 32-bit top-down DIB section selected into a memory context, filled with kBackground.
class DibSurface : public ::testing::Test {
protected:
    static constexpr int kWidth = 10;
    static constexpr int kHeight = 9;

    void SetUp() override
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_TRUE(m_bitmap);
        m_bits = static_cast<uint32_t*>(bits);
        m_dc = CreateCompatibleDC(nullptr);
        ASSERT_TRUE(m_dc);
        m_previous = SelectObject(m_dc, m_bitmap);
        Fill(kBackground);
    }
    void TearDown() override
    {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }

    void Fill(COLORREF color)
    {
        GdiFlush();
        for (int i = 0; i < kWidth * kHeight; ++i) {
            m_bits[i] = Device(color);
        }
    }
    static uint32_t Device(COLORREF c)
    {
        return GetBValue(c) | (GetGValue(c) << 8) | (GetRValue(c) << 16);
    }
    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        const uint32_t p = m_bits[y * kWidth + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // The surface as rows of characters, one per pixel, named by the legend.
    std::vector<std::string> Map(const std::vector<std::pair<char, COLORREF>>& legend) const
    {
        std::vector<std::string> rows;
        for (int y = 0; y < kHeight; ++y) {
            std::string row;
            for (int x = 0; x < kWidth; ++x) {
                char c = '?';
                for (const auto& [name, color] : legend) {
                    if (Pixel(x, y) == color) {
                        c = name;
                        break;
                    }
                }
                row += c;
            }
            rows.push_back(row);
        }
        return rows;
    }

    HBITMAP m_bitmap = nullptr;
    uint32_t* m_bits = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

TEST_F(DibSurface, SunkenFrame)
{
    const COLORREF menu = GetSysColor(COLOR_MENU);
    // The inner lower and right lines take the menu colour, which may equal white here.
    const char m = menu == RGB(255, 255, 255) ? 'W' : 'M';
    const std::vector<std::pair<char, COLORREF>> legend = {{'.', kBackground},
                                                           {'G', RGB(128, 128, 128)},
                                                           {'W', RGB(255, 255, 255)},
                                                           {'K', RGB(0, 0, 0)},
                                                           {'M', menu}};
    std::vector<std::string> expected = {
        "..........",  //
        ".GGGGGGGW.",  //
        ".GKKKKKmW.",  //
        ".GK....mW.",  //
        ".GK....mW.",  //
        ".GK....mW.",  //
        ".GmmmmmmW.",  //
        ".WWWWWWWW.",  //
        "..........",  //
    };
    for (std::string& row : expected) {
        for (char& c : row) {
            if (c == 'm') {
                c = m;
            }
        }
    }
    HPEN own = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    const RECT rects[] = {{1, 1, 9, 8}, {9, 8, 1, 1}, {1, 8, 9, 1}};
    for (const RECT& r : rects) {
        SCOPED_TRACE(testing::Message()
                     << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom);
        Fill(kBackground);
        HGDIOBJ before = SelectObject(m_dc, own);
        DrawSunkenFrame(m_dc, r);
        EXPECT_EQ(own, GetCurrentObject(m_dc, OBJ_PEN)) << "the caller's pen is selected again";
        SelectObject(m_dc, before);
        EXPECT_EQ(expected, Map(legend));
    }
    DeleteObject(own);
}

TEST_F(DibSurface, BitmapFromRasterPixels)
{
    // Colour words: red in the lowest byte.
    const COLORREF colors[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                   {RGB(10, 20, 30), RGB(40, 50, 60), RGB(70, 80, 90)}};
    CKSTRasterImage image;
    ASSERT_TRUE(image.Create(3, 2));
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 3; ++x) {
            image.SetPixel(x, y, colors[y][x]);
        }
    }
    // Columns 1 and 2 of the raster to (4, 5).
    CreateBitmapFromBits(image, m_dc, 4, 5, 2, 2, 1, 0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            SCOPED_TRACE(testing::Message() << x << ", " << y);
            const bool copied = x >= 4 && x < 6 && y >= 5 && y < 7;
            EXPECT_EQ(copied ? colors[y - 5][x - 3] : kBackground, Pixel(x, y));
        }
    }

    Fill(kBackground);
    CreateBitmapFromBits(CKSTRasterImage(), m_dc, 0, 0, 5, 5, 0, 0);
    EXPECT_EQ(kBackground, Pixel(0, 0));
    EXPECT_EQ(kBackground, Pixel(4, 4));
}

TEST(DrawHelpers, AlignmentToDrawText)
{
    struct Case {
        int code;
        UINT flags;
        int dx, dy;  // in margins
    };
    const Case cases[] = {
        {0, DT_LEFT | DT_TOP, 1, 0},
        {1, DT_RIGHT, -1, 0},
        {2, DT_LEFT | DT_TOP, 0, 1},
        {3, DT_BOTTOM, 0, -1},
        {4, DT_CENTER, 0, 0},
        {5, DT_LEFT | DT_TOP, 1, 1},
        {6, DT_VCENTER, 1, 0},
        {7, DT_BOTTOM, 1, -1},
        {8, DT_RIGHT, -1, 1},
        {9, DT_RIGHT | DT_VCENTER, -1, 0},
        {10, DT_RIGHT | DT_BOTTOM, -1, -1},
        {11, DT_CENTER, 0, 1},
        {12, DT_CENTER | DT_VCENTER, 0, 0},
        {13, DT_CENTER | DT_BOTTOM, 0, -1},
        {14, DT_RIGHT | DT_VCENTER, -1, 0},
        {-1, DT_RIGHT | DT_VCENTER, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        UINT flags = 0xFFFF;
        int dx = 99, dy = 99;
        AlignmentToDrawText(c.code, flags, dx, dy, 3);
        EXPECT_EQ(c.flags, flags);
        EXPECT_EQ(3 * c.dx, dx);
        EXPECT_EQ(3 * c.dy, dy);
    }
}

}  // namespace
