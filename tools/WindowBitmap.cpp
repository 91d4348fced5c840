#include "WindowBitmap.h"

#include <cstdint>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

// The screen's pixels under the rectangle as RGB rows from the top.
bool CaptureRgb(const RECT& rect, int width, int height, std::vector<uint8_t>& rgb)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top, as PNG stores them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const bool captured = bitmap && bits;
    if (captured) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        SelectObject(memory, old);
        GdiFlush();
        const auto* bgrx = static_cast<const uint8_t*>(bits);
        const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
        rgb.resize(pixels * 3);
        for (size_t i = 0; i < pixels; ++i) {
            rgb[i * 3] = bgrx[i * 4 + 2];
            rgb[i * 3 + 1] = bgrx[i * 4 + 1];
            rgb[i * 3 + 2] = bgrx[i * 4];
        }
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return captured;
}

}  // namespace

bool SaveWindowPng(HWND window, const char* path)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::vector<uint8_t> rgb;
    if (width <= 0 || height <= 0 || !CaptureRgb(rect, width, height, rgb)) {
        return false;
    }
    return stbi_write_png(path, width, height, 3, rgb.data(), width * 3) != 0;
}
