#include "curvewnd/win/DCPixels.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>

namespace {

KstPixelArea Intersect(const KstPixelArea& a, const KstPixelArea& b)
{
    return KstPixelArea{std::max(a.left, b.left), std::max(a.top, b.top),
                        std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const KstPixelArea& a)
{
    return a.left >= a.right || a.top >= a.bottom;
}

// Logical coordinates equal device coordinates up to an offset.
bool HasPlainMapping(HDC dc)
{
    if (GetMapMode(dc) != MM_TEXT) {
        return false;
    }
    if (GetGraphicsMode(dc) != GM_ADVANCED) {
        return true;
    }
    XFORM xf = {};
    return GetWorldTransform(dc, &xf) && xf.eM11 == 1.0f && xf.eM12 == 0.0f && xf.eM21 == 0.0f &&
           xf.eM22 == 1.0f && xf.eDx == 0.0f && xf.eDy == 0.0f;
}

bool IsPlainRgbSection(const DIBSECTION& section)
{
    if (section.dsBm.bmBits == nullptr || section.dsBm.bmBitsPixel != 32) {
        return false;
    }
    if (section.dsBmih.biCompression == BI_RGB) {
        return true;
    }
    return section.dsBmih.biCompression == BI_BITFIELDS && section.dsBitfields[0] == 0xFF0000 &&
           section.dsBitfields[1] == 0xFF00 && section.dsBitfields[2] == 0xFF;
}

// Whether the section's rows run from the top. The platform does not say (GetObject reports a
// positive height for either orientation), so the first and the last row of the bits are
// marked and the device's top-left pixel is copied out to see which mark it shows. Copies read
// their source unclipped. The answer is kept per bitmap, so the probe runs once for each.
bool IsTopDown(HDC dc, HGDIOBJ bitmap, const DIBSECTION& section, int originX, int originY)
{
    const int height = std::abs(section.dsBm.bmHeight);
    if (height <= 1) {
        return true;
    }
    struct Known {
        HGDIOBJ bitmap;
        void* bits;
        LONG width;
        LONG height;
        bool topDown;
    };
    // Thread-local values must be trivially destructible (see framework/Wnd.cpp).
    thread_local Known known[4] = {};
    thread_local int nextSlot = 0;
    static_assert(std::is_trivially_destructible_v<Known>);
    for (const Known& k : known) {
        if (k.bitmap == bitmap && k.bits == section.dsBm.bmBits &&
            k.width == section.dsBm.bmWidth && k.height == height) {
            return k.topDown;
        }
    }

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* probeBits = nullptr;
    HDC probe = CreateCompatibleDC(dc);
    HBITMAP probeBitmap =
        probe != nullptr ? CreateDIBSection(probe, &info, DIB_RGB_COLORS, &probeBits, nullptr, 0)
                         : nullptr;
    bool topDown = true;
    bool probed = false;
    if (probeBitmap != nullptr && probeBits != nullptr) {
        const HGDIOBJ previous = SelectObject(probe, probeBitmap);
        uint32_t* first = static_cast<uint32_t*>(section.dsBm.bmBits);
        uint32_t* last =
            first + static_cast<ptrdiff_t>(height - 1) * (section.dsBm.bmWidthBytes / 4);
        const uint32_t savedFirst = *first;
        const uint32_t savedLast = *last;
        *first = 0x000001;
        *last = 0x000002;
        *static_cast<uint32_t*>(probeBits) = 0;
        if (BitBlt(probe, 0, 0, 1, 1, dc, originX, originY, SRCCOPY)) {
            GdiFlush();
            const uint32_t seen = *static_cast<uint32_t*>(probeBits) & 0xFFFFFF;
            probed = seen == 0x000001 || seen == 0x000002;
            topDown = seen == 0x000001;
        }
        *first = savedFirst;
        *last = savedLast;
        SelectObject(probe, previous);
    }
    if (probeBitmap != nullptr) {
        DeleteObject(probeBitmap);
    }
    if (probe != nullptr) {
        DeleteDC(probe);
    }
    if (probed) {
        known[nextSlot] = Known{bitmap, section.dsBm.bmBits, section.dsBm.bmWidth, height, topDown};
        nextSlot = (nextSlot + 1) % 4;
    }
    return topDown;
}

}  // namespace

CKSTDCPixels::CKSTDCPixels(HDC dc, const KstPixelArea& area)
    : m_dc(dc),
      m_copyDC(nullptr),
      m_copyBitmap(nullptr),
      m_copyPrevious(nullptr),
      m_copyArea{0, 0, 0, 0}
{
    RECT clipBox = {};
    const int clipKind = GetClipBox(dc, &clipBox);
    if (clipKind == NULLREGION) {
        return;
    }
    KstPixelArea visible = area;
    if (clipKind != ERROR) {
        visible = Intersect(visible, {clipBox.left, clipBox.top, clipBox.right, clipBox.bottom});
    }
    if (IsEmpty(visible)) {
        return;
    }

    if (GetObjectType(dc) == OBJ_MEMDC && HasPlainMapping(dc)) {
        POINT viewport = {};
        POINT window = {};
        GetViewportOrgEx(dc, &viewport);
        GetWindowOrgEx(dc, &window);
        // Logical coordinates of the bitmap's top-left pixel.
        const int64_t originX = int64_t(window.x) - viewport.x;
        const int64_t originY = int64_t(window.y) - viewport.y;
        // One query serves both kinds of bitmap: a device-dependent one fills only the
        // BITMAP part.
        DIBSECTION section = {};
        const HGDIOBJ selected = GetCurrentObject(dc, OBJ_BITMAP);
        const int filled = selected != nullptr ? GetObjectW(selected, sizeof section, &section) : 0;
        if (filled != 0) {
            visible = Intersect(visible, {originX, originY, originX + section.dsBm.bmWidth,
                                          originY + std::abs(section.dsBm.bmHeight)});
            if (IsEmpty(visible)) {
                return;
            }
            if ((filled == sizeof section &&
                 OpenBits(selected, section, visible, clipKind, originX, originY)) ||
                OpenCopy(visible)) {
                return;
            }
        }
    }
    m_perPixel.emplace(dc, visible);
}

bool CKSTDCPixels::OpenBits(HGDIOBJ bitmap, const DIBSECTION& section, const KstPixelArea& visible,
                            int clipKind, int64_t originX, int64_t originY)
{
    if (clipKind != SIMPLEREGION || !IsPlainRgbSection(section) || originX < INT32_MIN ||
        originX > INT32_MAX || originY < INT32_MIN || originY > INT32_MAX) {
        return false;
    }
    // Drawing calls may still be queued for the bitmap; they must land before its bits change.
    GdiFlush();
    const int32_t width = section.dsBm.bmWidth;
    const int32_t height = std::abs(section.dsBm.bmHeight);
    const ptrdiff_t stride = section.dsBm.bmWidthBytes / 4;
    uint32_t* bits = static_cast<uint32_t*>(section.dsBm.bmBits);
    const bool topDown =
        IsTopDown(m_dc, bitmap, section, static_cast<int>(originX), static_cast<int>(originY));
    uint32_t* firstRow = topDown ? bits : bits + (height - 1) * stride;
    m_surface.emplace(firstRow, width, height, topDown ? stride : -stride);
    m_surface->SetOrigin(static_cast<int32_t>(originX), static_cast<int32_t>(originY));
    m_surface->SetClip(visible.left, visible.top, visible.right, visible.bottom);
    return true;
}

bool CKSTDCPixels::OpenCopy(const KstPixelArea& visible)
{
    const int64_t width = visible.right - visible.left;
    const int64_t height = visible.bottom - visible.top;
    if (width > INT32_MAX || height > INT32_MAX || visible.left < INT32_MIN ||
        visible.top < INT32_MIN || visible.right > INT32_MAX || visible.bottom > INT32_MAX) {
        return false;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_copyDC = CreateCompatibleDC(m_dc);
    if (m_copyDC == nullptr) {
        return false;
    }
    m_copyBitmap = CreateDIBSection(m_copyDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (m_copyBitmap == nullptr || bits == nullptr) {
        if (m_copyBitmap != nullptr) {
            DeleteObject(m_copyBitmap);
            m_copyBitmap = nullptr;
        }
        DeleteDC(m_copyDC);
        m_copyDC = nullptr;
        return false;
    }
    m_copyPrevious = SelectObject(m_copyDC, m_copyBitmap);
    m_copyArea = visible;
    const int x = static_cast<int>(visible.left);
    const int y = static_cast<int>(visible.top);
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    BitBlt(m_copyDC, 0, 0, w, h, m_dc, x, y, SRCCOPY);
    GdiFlush();
    m_surface.emplace(static_cast<uint32_t*>(bits), w, h, w);
    m_surface->SetOrigin(x, y);
    return true;
}

CKSTDCPixels::~CKSTDCPixels()
{
    if (m_copyDC == nullptr) {
        return;
    }
    BitBlt(m_dc, static_cast<int>(m_copyArea.left), static_cast<int>(m_copyArea.top),
           static_cast<int>(m_copyArea.right - m_copyArea.left),
           static_cast<int>(m_copyArea.bottom - m_copyArea.top), m_copyDC, 0, 0, SRCCOPY);
    SelectObject(m_copyDC, m_copyPrevious);
    DeleteObject(m_copyBitmap);
    DeleteDC(m_copyDC);
}
