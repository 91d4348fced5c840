#pragma once
// Plain raster of 32-bit pixels, row by row from the top: background pictures of curve windows
// and process elements. A raster whose columns x rows is 0 counts as no picture.

#include <cstdint>

class CKSTRasterImage {
public:
    // Largest pixel count accepted (16384 x 16384, 1 GiB of pixels): dimensions come from
    // stored files, and a corrupt pair must not turn into a huge allocation.
    static constexpr uint64_t kMaxPixels = uint64_t(1) << 28;

    CKSTRasterImage();
    // Copies throw std::bad_alloc when memory runs out.
    CKSTRasterImage(const CKSTRasterImage& other);
    CKSTRasterImage& operator=(const CKSTRasterImage& other);
    ~CKSTRasterImage();

    // Releases the pixels and keeps the dimensions.
    void Free();
    // Releases the pixels and sets the dimensions to 0.
    void Clear();
    // columns x rows pixels, contents undefined. False, leaving an empty 0 x 0 image, when the
    // product exceeds kMaxPixels or memory runs out.
    bool Create(uint32_t columns, uint32_t rows);

    bool IsEqual(const CKSTRasterImage& other) const;
    // 0 without pixels; otherwise the pixel at (x, y) with both clamped into the raster.
    uint32_t GetPixelClamped(int32_t x, int32_t y) const;
    void SetPixel(uint32_t x, uint32_t y, uint32_t value);
    // Every pixel as 4 bytes (columns x rows x 4 in all); swap exchanges the first and third
    // byte of each pixel (red and blue between the two common channel orders).
    void CopyToBytes(uint8_t* destination, bool swap) const;
    // Fills the existing pixels from 4 bytes each, with the same exchange.
    void SetFromBytes(const uint8_t* source, bool swap);
    // Nearest-neighbour resampling to the new size; false, leaving the image unchanged, under
    // the same limits as Create.
    bool Resize(uint32_t columns, uint32_t rows);

    uint32_t GetColumns() const { return m_columns; }
    uint32_t GetRows() const { return m_rows; }
    uint64_t GetPixelCount() const { return static_cast<uint64_t>(m_columns) * m_rows; }
    const uint32_t* GetPixels() const { return m_pixels; }
    uint32_t* GetPixels() { return m_pixels; }

private:
    uint32_t m_columns;
    uint32_t m_rows;
    uint32_t* m_pixels;
};
