#pragma once
// A draw context on a top-down 32-bit DIB section: what the painting benchmarks draw into and
// the galleries save as pictures.

#include <windows.h>

#include <cstdint>

#include "curvewnd/win/DrawContext.h"

namespace kst {

class DibTarget {
public:
    DibTarget(int32_t width, int32_t height)
    {
        HDC screen = GetDC(nullptr);
        m_context.Attach(CreateCompatibleDC(screen));
        ReleaseDC(nullptr, screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_bitmap = CreateDIBSection(m_context.GetHdc(), &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        if (m_bitmap != nullptr) {
            m_previous = m_context.SelectObject(m_bitmap);
        }
    }
    ~DibTarget()
    {
        if (m_bitmap != nullptr) {
            m_context.SelectObject(m_previous);
            DeleteObject(m_bitmap);
        }
        m_context.DeleteDC();
    }
    DibTarget(const DibTarget&) = delete;
    DibTarget& operator=(const DibTarget&) = delete;

    bool IsValid() const { return m_bitmap != nullptr && m_context.GetHdc() != nullptr; }
    CKSTDrawContext& Context() { return m_context; }
    uint32_t* Bits() const { return static_cast<uint32_t*>(m_bits); }

private:
    CKSTDrawContext m_context;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    void* m_bits = nullptr;
};

}  // namespace kst
