#pragma once
// A 32-bit pixel buffer that the anti-aliased primitives write into directly: the bits of a DIB
// section, a copy of part of a bitmap, or a plain array in tests. Drawing coordinates are
// logical; the origin maps them onto the buffer and the clip rectangle bounds every write, so
// a primitive never touches memory outside the buffer whatever coordinates it is given.

#include <algorithm>
#include <cstddef>
#include <cstdint>

class CKSTPixelSurface {
public:
    // Pixels are memory the primitives may address directly (see Pixel and Stride).
    static constexpr bool kDirect = true;

    // firstRow points at the top row; stride is the distance in pixels from one row to the next
    // below it (negative for bottom-up DIBs). The clip starts as the whole buffer.
    CKSTPixelSurface(uint32_t* firstRow, int32_t width, int32_t height, ptrdiff_t stride)
        : m_firstRow(firstRow),
          m_width(std::max(width, 0)),
          m_height(std::max(height, 0)),
          m_stride(stride),
          m_originX(0),
          m_originY(0)
    {
        SetClip(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    }

    // Logical coordinates of the buffer's top-left pixel. Resets the clip to the whole buffer.
    void SetOrigin(int32_t x, int32_t y)
    {
        m_originX = x;
        m_originY = y;
        SetClip(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    }

    // Restricts writes to [left, right) x [top, bottom) in logical coordinates, within the
    // buffer.
    void SetClip(int64_t left, int64_t top, int64_t right, int64_t bottom)
    {
        m_clipLeft = Clamp(std::max<int64_t>(left, m_originX));
        m_clipTop = Clamp(std::max<int64_t>(top, m_originY));
        m_clipRight = Clamp(std::min<int64_t>(right, int64_t(m_originX) + m_width));
        m_clipBottom = Clamp(std::min<int64_t>(bottom, int64_t(m_originY) + m_height));
        if (m_clipRight < m_clipLeft) {
            m_clipRight = m_clipLeft;
        }
        if (m_clipBottom < m_clipTop) {
            m_clipBottom = m_clipTop;
        }
    }

    int64_t ClipLeft() const { return m_clipLeft; }
    int64_t ClipTop() const { return m_clipTop; }
    int64_t ClipRight() const { return m_clipRight; }
    int64_t ClipBottom() const { return m_clipBottom; }

    bool Contains(int64_t x, int64_t y) const
    {
        return x >= m_clipLeft && x < m_clipRight && y >= m_clipTop && y < m_clipBottom;
    }

    // Pixels hold 0x00RRGGBB as in a DIB section; colours arrive as COLORREF (0x00BBGGRR).
    static uint32_t Native(uint32_t colorRef)
    {
        return ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
    }

    // Get, Put and Pixel take points inside the clip only.
    uint32_t Get(int64_t x, int64_t y) const { return *Pixel(x, y); }
    void Put(int64_t x, int64_t y, uint32_t value) { *Pixel(x, y) = value; }
    uint32_t* Pixel(int64_t x, int64_t y) const
    {
        return m_firstRow + (y - m_originY) * m_stride + (x - m_originX);
    }
    // Pixels from one row to the next below it.
    ptrdiff_t Stride() const { return m_stride; }

private:
    static int64_t Clamp(int64_t v)
    {
        return std::min<int64_t>(std::max<int64_t>(v, INT32_MIN), INT32_MAX);
    }

    uint32_t* m_firstRow;
    int32_t m_width;
    int32_t m_height;
    ptrdiff_t m_stride;
    int32_t m_originX;
    int32_t m_originY;
    int64_t m_clipLeft;
    int64_t m_clipTop;
    int64_t m_clipRight;
    int64_t m_clipBottom;
};
