#pragma once
// Pixel access to whatever a device context draws into, for the anti-aliased primitives.
//
// - A memory context with a 32-bit DIB section, plain MM_TEXT mapping and a rectangular clip:
//   the primitives write straight into the section's bits (after GdiFlush).
// - Any other memory context with MM_TEXT mapping (a device-dependent bitmap, a complex clip
//   region): the area the primitive may touch is copied into a 32-bit DIB section, drawn there
//   and copied back, so the clip region is honoured by the copy back.
// - Everything else (metafiles, printers, scaled mappings): pixel by pixel through GetPixel and
//   SetPixelV, which is what these devices understand.

#include <windows.h>

#include <cstdint>
#include <optional>

#include "curvewnd/PixelSurface.h"

// A logical rectangle, half-open, corners in order.
struct KstPixelArea {
    int64_t left;
    int64_t top;
    int64_t right;
    int64_t bottom;
};

// The per-pixel surface of the last case; same interface as CKSTPixelSurface. Pixels and
// colours are COLORREF values; a pixel that cannot be read counts as white.
class CKSTDCPixelSurface {
public:
    static constexpr bool kDirect = false;

    CKSTDCPixelSurface(HDC dc, const KstPixelArea& clip) : m_dc(dc), m_clip(clip) {}

    int64_t ClipLeft() const { return m_clip.left; }
    int64_t ClipTop() const { return m_clip.top; }
    int64_t ClipRight() const { return m_clip.right; }
    int64_t ClipBottom() const { return m_clip.bottom; }
    bool Contains(int64_t x, int64_t y) const
    {
        return x >= m_clip.left && x < m_clip.right && y >= m_clip.top && y < m_clip.bottom;
    }
    static uint32_t Native(uint32_t colorRef) { return colorRef & 0xFFFFFF; }
    uint32_t Get(int64_t x, int64_t y) const
    {
        return GetPixel(m_dc, static_cast<int>(x), static_cast<int>(y));
    }
    void Put(int64_t x, int64_t y, uint32_t value)
    {
        SetPixelV(m_dc, static_cast<int>(x), static_cast<int>(y), value & 0xFFFFFF);
    }

private:
    HDC m_dc;
    KstPixelArea m_clip;
};

class CKSTDCPixels {
public:
    // area: what the drawing may touch, in logical coordinates.
    CKSTDCPixels(HDC dc, const KstPixelArea& area);
    // Copies a drawn copy back.
    ~CKSTDCPixels();
    CKSTDCPixels(const CKSTDCPixels&) = delete;
    CKSTDCPixels& operator=(const CKSTDCPixels&) = delete;

    // The bits to draw into, or null when drawing goes pixel by pixel or nothing is visible.
    CKSTPixelSurface* Direct() { return m_surface ? &*m_surface : nullptr; }
    // The per-pixel surface, or null.
    CKSTDCPixelSurface* PerPixel() { return m_perPixel ? &*m_perPixel : nullptr; }

private:
    bool OpenBits(HGDIOBJ bitmap, const DIBSECTION& section, const KstPixelArea& visible,
                  int clipKind, int64_t originX, int64_t originY);
    bool OpenCopy(const KstPixelArea& visible);

    HDC m_dc;
    std::optional<CKSTPixelSurface> m_surface;
    std::optional<CKSTDCPixelSurface> m_perPixel;
    // The copy of the visible area.
    HDC m_copyDC;
    HBITMAP m_copyBitmap;
    HGDIOBJ m_copyPrevious;
    KstPixelArea m_copyArea;
};

// Runs draw with the best surface the device context offers (see above); nothing without a
// device context or when the area is not visible.
template <class Draw>
void DrawOnPixels(HDC dc, const KstPixelArea& area, Draw&& draw)
{
    if (dc == nullptr) {
        return;
    }
    CKSTDCPixels pixels(dc, area);
    if (CKSTPixelSurface* surface = pixels.Direct()) {
        draw(*surface);
    } else if (CKSTDCPixelSurface* surface = pixels.PerPixel()) {
        draw(*surface);
    }
}
