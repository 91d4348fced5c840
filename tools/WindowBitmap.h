#pragma once
// Saves what a window shows on the screen as a .png file, for the tools that take pictures of
// program windows for people to look at.
#include <windows.h>

#include <cstdint>
#include <cstdio>

// False when the window has no area or the file could not be written.
bool SaveWindowPng(HWND window, const char* path);

// Writes 32-bit pixels, rows from the top, as a .bmp file; false when it could not be written.
inline bool SavePixelsBitmap(const char* path, const uint32_t* topDown, int width, int height)
{
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows, as every viewer reads them
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const DWORD imageSize = static_cast<DWORD>(width) * height * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageSize;

    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        return false;
    }
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info, sizeof info, 1, out) == 1;
    for (int y = height - 1; ok && y >= 0; --y) {
        ok = std::fwrite(topDown + static_cast<size_t>(y) * width, 4, width, out) ==
             static_cast<size_t>(width);
    }
    return std::fclose(out) == 0 && ok;
}
