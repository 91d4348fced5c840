#include "foundation/win/DrawHelpers.h"

#include <new>
#include <vector>

#include "foundation/Geometry.h"
#include "foundation/RasterImage.h"

namespace {

// Draws with a one-pixel pen of the colour and deletes the pen once it is deselected.
class PenScope {
public:
    PenScope(HDC dc, COLORREF color) : m_dc(dc), m_pen(CreatePen(PS_SOLID, 1, color))
    {
        m_previous = SelectObject(dc, m_pen);
    }
    ~PenScope()
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_pen);
    }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;

private:
    HDC m_dc;
    HPEN m_pen;
    HGDIOBJ m_previous;
};

struct Alignment {
    int code;
    UINT flags;
    int dx;  // in margins
    int dy;
};

constexpr Alignment kAlignments[] = {
    {0, DT_LEFT | DT_TOP, 1, 0},
    {1, DT_RIGHT, -1, 0},
    {2, DT_LEFT | DT_TOP, 0, 1},
    {3, DT_BOTTOM, 0, -1},
    {4, DT_CENTER, 0, 0},
    {5, DT_LEFT | DT_TOP, 1, 1},
    {6, DT_VCENTER, 1, 0},
    {7, DT_BOTTOM, 1, -1},
    {8, DT_RIGHT, -1, 1},
    {10, DT_RIGHT | DT_BOTTOM, -1, -1},
    {11, DT_CENTER, 0, 1},
    {12, DT_CENTER | DT_VCENTER, 0, 0},
    {13, DT_CENTER | DT_BOTTOM, 0, -1},
};
constexpr Alignment kOtherAlignment = {9, DT_RIGHT | DT_VCENTER, -1, 0};

}  // namespace

void DrawSunkenFrame(HDC dc, const RECT& rect)
{
    const int l = GetRectLeft(rect);
    const int t = GetRectTop(rect);
    const int r = GetRectRight(rect);
    const int b = GetRectBottom(rect);
    // Line ends are not drawn, so the lower-left corner pixels are set on their own.
    {
        PenScope grey(dc, RGB(128, 128, 128));
        MoveToEx(dc, l, b - 2, nullptr);
        LineTo(dc, l, t);
        LineTo(dc, r - 1, t);
    }
    {
        PenScope white(dc, RGB(255, 255, 255));
        LineTo(dc, r - 1, b - 1);
        LineTo(dc, l, b - 1);
        SetPixel(dc, l, b - 1, RGB(255, 255, 255));
    }
    {
        PenScope black(dc, RGB(0, 0, 0));
        MoveToEx(dc, l + 1, b - 3, nullptr);
        LineTo(dc, l + 1, t + 1);
        LineTo(dc, r - 2, t + 1);
    }
    {
        const COLORREF menu = GetSysColor(COLOR_MENU);
        PenScope inner(dc, menu);
        LineTo(dc, r - 2, b - 2);
        LineTo(dc, l + 1, b - 2);
        SetPixel(dc, l + 1, b - 2, menu);
    }
}

void CreateBitmapFromBits(const CKSTRasterImage& image, HDC dc, int x, int y, int width, int height,
                          int sourceX, int sourceY)
{
    const uint32_t columns = image.GetColumns();
    const uint32_t rows = image.GetRows();
    if (!image.GetPixels() || columns == 0 || rows == 0) {
        return;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(image.GetPixelCount()) * 4);
    } catch (const std::bad_alloc&) {
        return;
    }
    // Colour words hold red in the lowest byte; device pixels hold blue there.
    image.CopyToBytes(bytes.data(), true);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(columns);
    info.bmiHeader.biHeight = -static_cast<LONG>(rows);  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HBITMAP bitmap = CreateCompatibleBitmap(dc, static_cast<int>(columns), static_cast<int>(rows));
    if (!bitmap) {
        return;
    }
    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
        if (SetDIBits(dc, bitmap, 0, rows, bytes.data(), &info, DIB_RGB_COLORS) > 0) {
            HGDIOBJ previous = SelectObject(memory, bitmap);
            BitBlt(dc, x, y, width, height, memory, sourceX, sourceY, SRCCOPY);
            SelectObject(memory, previous);
        }
        DeleteDC(memory);
    }
    DeleteObject(bitmap);
}

void AlignmentToDrawText(int code, UINT& flags, int& dx, int& dy, int margin)
{
    const Alignment* found = &kOtherAlignment;
    for (const Alignment& a : kAlignments) {
        if (a.code == code) {
            found = &a;
            break;
        }
    }
    flags = found->flags;
    dx = found->dx * margin;
    dy = found->dy * margin;
}
