#pragma once
// A draw context on a memory device context with a 32-bit DIB section (top-down or bottom-up)
// or a device-dependent bitmap, filled with one colour, whose pixels the tests read back as
// 0x00RRGGBB values.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "curvewnd/win/DrawContext.h"

enum class KstTargetKind { TopDownDib, BottomUpDib, DeviceBitmap };

class DrawTarget {
public:
    DrawTarget(int width, int height, COLORREF background,
               KstTargetKind kind = KstTargetKind::TopDownDib)
        : m_width(width), m_height(height)
    {
        HDC screen = GetDC(nullptr);
        m_context.Attach(CreateCompatibleDC(screen));
        if (kind == KstTargetKind::DeviceBitmap) {
            m_bitmap = CreateCompatibleBitmap(screen, width, height);
        } else {
            BITMAPINFO info = Info(kind == KstTargetKind::TopDownDib ? -height : height);
            void* bits = nullptr;
            m_bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        }
        ReleaseDC(nullptr, screen);
        m_previous = m_context.SelectObject(m_bitmap);
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = {0, 0, width, height};
        FillRect(Hdc(), &all, brush);
        DeleteObject(brush);
    }

    ~DrawTarget()
    {
        m_context.SelectObject(m_previous);
        m_context.DeleteDC();
        DeleteObject(m_bitmap);
    }

    CKSTDrawContext& Context() { return m_context; }
    HDC Hdc() const { return m_context.GetHdc(); }
    HBITMAP Bitmap() const { return m_bitmap; }

    // Every pixel, row by row from the top, as 0x00RRGGBB.
    std::vector<uint32_t> Pixels() const
    {
        GdiFlush();
        std::vector<uint32_t> pixels(static_cast<size_t>(m_width) * m_height);
        BITMAPINFO info = Info(-m_height);
        // GetDIBits wants the bitmap deselected on some systems: read through a copy.
        HDC copyDC = CreateCompatibleDC(Hdc());
        void* bits = nullptr;
        HBITMAP copy = CreateDIBSection(copyDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(copyDC, copy);
        BitBlt(copyDC, 0, 0, m_width, m_height, Hdc(), 0, 0, SRCCOPY);
        GdiFlush();
        const uint32_t* source = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = source[i] & 0xFFFFFF;
        }
        SelectObject(copyDC, old);
        DeleteObject(copy);
        DeleteDC(copyDC);
        return pixels;
    }

    uint32_t At(int x, int y) const { return Pixels()[static_cast<size_t>(y) * m_width + x]; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    BITMAPINFO Info(int height) const
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        return info;
    }

    int m_width;
    int m_height;
    CKSTDrawContext m_context;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
};
