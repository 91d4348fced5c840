#include "foundation/RasterImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

uint32_t Pixel(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    const uint8_t bytes[4] = {b0, b1, b2, b3};
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

CKSTRasterImage Numbered(uint32_t columns, uint32_t rows)
{
    CKSTRasterImage image;
    EXPECT_TRUE(image.Create(columns, rows));
    for (uint32_t y = 0; y < rows; ++y) {
        for (uint32_t x = 0; x < columns; ++x) {
            image.SetPixel(x, y, y * 100 + x);
        }
    }
    return image;
}

TEST(RasterImage, DimensionsAreCheckedBeforeAllocating)
{
    struct Case {
        const char* name;
        uint32_t columns;
        uint32_t rows;
        bool ok;
    };
    const Case cases[] = {
        {"product wraps to 1 in 32 bits", 0xFFFFFFFF, 0xFFFFFFFF, false},
        {"product wraps to 0 in 32 bits", 0x10000, 0x10000, false},
        {"one row over the limit", 16384, 16385, false},
        {"long thin beyond the limit", 0x10000001, 1, false},
        {"zero width", 0, 1000, true},
        {"small", 3, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTRasterImage image = Numbered(2, 2);
        EXPECT_EQ(c.ok, image.Create(c.columns, c.rows));
        if (!c.ok) {
            EXPECT_EQ(0u, image.GetColumns());
            EXPECT_EQ(0u, image.GetRows());
            EXPECT_EQ(nullptr, image.GetPixels());
        }

        CKSTRasterImage resized = Numbered(2, 2);
        EXPECT_EQ(c.ok, resized.Resize(c.columns, c.rows));
        if (!c.ok) {
            EXPECT_TRUE(resized.IsEqual(Numbered(2, 2)));
        }
    }
}

TEST(RasterImage, ClampedPixelsAndResampling)
{
    const CKSTRasterImage image = Numbered(4, 3);
    EXPECT_EQ(200u, image.GetPixelClamped(-5, 1000));
    EXPECT_EQ(3u, image.GetPixelClamped(INT32_MAX, INT32_MIN));
    EXPECT_EQ(0u, CKSTRasterImage().GetPixelClamped(0, 0));

    CKSTRasterImage resized = Numbered(2, 2);
    ASSERT_TRUE(resized.Resize(4, 4));
    const uint32_t from[4] = {0, 1, 1, 1};  // 0.5 rounds to 1, 1.5 to 2 (clamped to 1)
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(from[y] * 100 + from[x], resized.GetPixelClamped(x, y)) << x << "," << y;
        }
    }
    ASSERT_TRUE(resized.Resize(3, 0));
    EXPECT_EQ(3u, resized.GetColumns());
    EXPECT_EQ(0u, resized.GetRows());
    EXPECT_EQ(nullptr, resized.GetPixels());
}

TEST(RasterImage, BytesWithAndWithoutSwap)
{
    CKSTRasterImage image;
    ASSERT_TRUE(image.Create(2, 1));
    image.SetPixel(0, 0, Pixel(1, 2, 3, 4));
    image.SetPixel(1, 0, Pixel(5, 6, 7, 8));
    image.SetPixel(2, 0, 0xFFFFFFFF);  // outside: ignored
    image.SetPixel(0, 1, 0xFFFFFFFF);

    uint8_t bytes[8];
    image.CopyToBytes(bytes, true);
    const uint8_t swapped[8] = {3, 2, 1, 4, 7, 6, 5, 8};
    EXPECT_EQ(0, std::memcmp(swapped, bytes, 8));
    image.CopyToBytes(bytes, false);
    const uint8_t plain[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(0, std::memcmp(plain, bytes, 8));

    CKSTRasterImage back;
    ASSERT_TRUE(back.Create(2, 1));
    back.SetFromBytes(swapped, true);
    EXPECT_TRUE(back.IsEqual(image));
}

TEST(RasterImage, CopiesAndEquality)
{
    const CKSTRasterImage image = Numbered(3, 2);
    CKSTRasterImage copy(image);
    EXPECT_TRUE(copy.IsEqual(image));
    copy.SetPixel(2, 1, 7);
    EXPECT_FALSE(copy.IsEqual(image));
    copy = image;
    EXPECT_TRUE(copy.IsEqual(image));
    EXPECT_FALSE(copy.IsEqual(Numbered(2, 3)));
    EXPECT_TRUE(CKSTRasterImage().IsEqual(CKSTRasterImage()));

    // Released pixels keep the dimensions; copying such an image must not read them.
    CKSTRasterImage released = Numbered(3, 2);
    released.Free();
    CKSTRasterImage fromReleased(released);
    EXPECT_EQ(3u, fromReleased.GetColumns());
    EXPECT_EQ(nullptr, fromReleased.GetPixels());
    EXPECT_EQ(0u, fromReleased.GetPixelClamped(1, 1));
    EXPECT_FALSE(fromReleased.IsEqual(image));
}

}  // namespace
