#include "foundation/RasterImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Source index for a scaled target index: rounded half away from zero, kept in 32 bits.
int32_t ScaledIndex(uint32_t target, double scale)
{
    const double v = std::round(static_cast<double>(target) * scale);
    if (!(v > -2147483648.0)) {
        return INT32_MIN;
    }
    if (v > 2147483647.0) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(v);
}

uint32_t* AllocatePixels(uint64_t count)
{
    return count == 0 ? nullptr : new (std::nothrow) uint32_t[count];
}

}  // namespace

CKSTRasterImage::CKSTRasterImage() : m_columns(0), m_rows(0), m_pixels(nullptr) {}

CKSTRasterImage::CKSTRasterImage(const CKSTRasterImage& other) : CKSTRasterImage()
{
    *this = other;
}

CKSTRasterImage& CKSTRasterImage::operator=(const CKSTRasterImage& other)
{
    if (this == &other) {
        return *this;
    }
    uint32_t* pixels = nullptr;
    // An image whose pixels were released keeps its dimensions; its copy has none either.
    if (other.m_pixels != nullptr) {
        pixels = AllocatePixels(other.GetPixelCount());
        if (pixels == nullptr) {
            throw std::bad_alloc();
        }
        std::memcpy(pixels, other.m_pixels, other.GetPixelCount() * sizeof(uint32_t));
    }
    delete[] m_pixels;
    m_pixels = pixels;
    m_columns = other.m_columns;
    m_rows = other.m_rows;
    return *this;
}

CKSTRasterImage::~CKSTRasterImage()
{
    delete[] m_pixels;
}

void CKSTRasterImage::Free()
{
    delete[] m_pixels;
    m_pixels = nullptr;
}

void CKSTRasterImage::Clear()
{
    Free();
    m_columns = 0;
    m_rows = 0;
}

bool CKSTRasterImage::Create(uint32_t columns, uint32_t rows)
{
    Clear();
    const uint64_t count = static_cast<uint64_t>(columns) * rows;
    if (count > kMaxPixels) {
        return false;
    }
    uint32_t* pixels = AllocatePixels(count);
    if (count > 0 && pixels == nullptr) {
        return false;
    }
    m_pixels = pixels;
    m_columns = columns;
    m_rows = rows;
    return true;
}

bool CKSTRasterImage::IsEqual(const CKSTRasterImage& other) const
{
    if (m_columns != other.m_columns || m_rows != other.m_rows) {
        return false;
    }
    if (m_pixels == nullptr || other.m_pixels == nullptr) {
        return m_pixels == other.m_pixels;
    }
    return std::memcmp(m_pixels, other.m_pixels, GetPixelCount() * sizeof(uint32_t)) == 0;
}

uint32_t CKSTRasterImage::GetPixelClamped(int32_t x, int32_t y) const
{
    if (m_pixels == nullptr) {
        return 0;
    }
    const int64_t cx = std::clamp<int64_t>(x, 0, static_cast<int64_t>(m_columns) - 1);
    const int64_t cy = std::clamp<int64_t>(y, 0, static_cast<int64_t>(m_rows) - 1);
    return m_pixels[cy * m_columns + cx];
}

void CKSTRasterImage::SetPixel(uint32_t x, uint32_t y, uint32_t value)
{
    if (m_pixels != nullptr && x < m_columns && y < m_rows) {
        m_pixels[static_cast<uint64_t>(y) * m_columns + x] = value;
    }
}

void CKSTRasterImage::CopyToBytes(uint8_t* destination, bool swap) const
{
    if (m_pixels == nullptr) {
        return;
    }
    const uint64_t count = GetPixelCount();
    std::memcpy(destination, m_pixels, count * 4);
    if (swap) {
        for (uint64_t i = 0; i < count; ++i) {
            std::swap(destination[i * 4], destination[i * 4 + 2]);
        }
    }
}

void CKSTRasterImage::SetFromBytes(const uint8_t* source, bool swap)
{
    if (m_pixels == nullptr) {
        return;
    }
    const uint64_t count = GetPixelCount();
    auto* bytes = reinterpret_cast<uint8_t*>(m_pixels);
    std::memcpy(bytes, source, count * 4);
    if (swap) {
        for (uint64_t i = 0; i < count; ++i) {
            std::swap(bytes[i * 4], bytes[i * 4 + 2]);
        }
    }
}

bool CKSTRasterImage::Resize(uint32_t columns, uint32_t rows)
{
    const uint64_t count = static_cast<uint64_t>(columns) * rows;
    if (count > kMaxPixels) {
        return false;
    }
    uint32_t* pixels = AllocatePixels(count);
    if (count > 0 && pixels == nullptr) {
        return false;
    }
    // Without target pixels (count 0) neither scale is needed, nor defined.
    const double sx = count > 0 ? static_cast<double>(m_columns) / columns : 0.0;
    const double sy = count > 0 ? static_cast<double>(m_rows) / rows : 0.0;
    for (uint32_t y = 0; y < rows && count > 0; ++y) {
        const int32_t sourceRow = ScaledIndex(y, sy);
        uint32_t* target = pixels + static_cast<uint64_t>(y) * columns;
        for (uint32_t x = 0; x < columns; ++x) {
            target[x] = GetPixelClamped(ScaledIndex(x, sx), sourceRow);
        }
    }
    delete[] m_pixels;
    m_pixels = pixels;
    m_columns = columns;
    m_rows = rows;
    return true;
}
