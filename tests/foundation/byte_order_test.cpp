#include "foundation/ByteOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

static_assert(KstByteSwap(uint16_t{0x1234}) == 0x3412, "16-bit swap at compile time");
static_assert(KstByteSwap(uint32_t{0x12345678}) == 0x78563412u, "32-bit swap at compile time");
static_assert(KstByteSwap(uint64_t{0x0102030405060708}) == 0x0807060504030201u,
              "64-bit swap at compile time");

namespace {

// A value with its little-endian bytes; its big-endian bytes are their reverse.
template <typename T>
struct Encoded {
    const char* what;
    T value;
    std::vector<uint8_t> little;
};

// The bit pattern, so that NaN payloads and signed zeros compare exactly.
template <typename T>
uint64_t BitsOf(T value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    return bits;
}

float FloatWithBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double DoubleWithBits(uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

template <typename T>
void ExpectRow(const Encoded<T>& c)
{
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.little.size(), sizeof(T));
    const std::vector<uint8_t> big(c.little.rbegin(), c.little.rend());
    const uint8_t kFill = 0xA5;
    // Every offset within a word: no load or store may rely on alignment, nor touch a neighbour.
    for (size_t offset = 1; offset <= 8; ++offset) {
        SCOPED_TRACE("at offset " + std::to_string(offset));
        uint8_t bytes[24];
        uint8_t* at = bytes + offset;

        std::copy(c.little.begin(), c.little.end(), at);
        EXPECT_EQ(BitsOf(KstLoadLE<T>(at)), BitsOf(c.value));
        std::copy(big.begin(), big.end(), at);
        EXPECT_EQ(BitsOf(KstLoadBE<T>(at)), BitsOf(c.value));

        std::fill(std::begin(bytes), std::end(bytes), kFill);
        KstStoreLE(at, c.value);
        EXPECT_EQ(std::vector<uint8_t>(at, at + sizeof(T)), c.little);
        EXPECT_EQ(at[-1], kFill);
        EXPECT_EQ(at[sizeof(T)], kFill);
        std::fill(std::begin(bytes), std::end(bytes), kFill);
        KstStoreBE(at, c.value);
        EXPECT_EQ(std::vector<uint8_t>(at, at + sizeof(T)), big);
        EXPECT_EQ(at[-1], kFill);
        EXPECT_EQ(at[sizeof(T)], kFill);
    }
}

template <typename T, size_t kRows>
void ExpectBothOrders(const Encoded<T> (&table)[kRows])
{
    for (const Encoded<T>& c : table) {
        ExpectRow(c);
    }
}

TEST(ByteOrder, IntegersInBothOrders)
{
    const Encoded<uint8_t> u8[] = {{"byte", 0xC3, {0xC3}}};
    const Encoded<int8_t> i8[] = {{"negative byte", -2, {0xFE}}};
    const Encoded<uint16_t> u16[] = {
        {"u16", 0x1234, {0x34, 0x12}},
        {"u16 high bit", 0x80FF, {0xFF, 0x80}},
    };
    const Encoded<int16_t> i16[] = {
        {"i16 minus two", -2, {0xFE, 0xFF}},
        {"i16 lowest", std::numeric_limits<int16_t>::min(), {0x00, 0x80}},
    };
    const Encoded<uint32_t> u32[] = {
        {"u32", 0x12345678u, {0x78, 0x56, 0x34, 0x12}},
        {"u32 highest", 0xFFFFFFFFu, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    const Encoded<int32_t> i32[] = {
        {"i32 negative", -123456789, {0xEB, 0x32, 0xA4, 0xF8}},
        {"i32 lowest", std::numeric_limits<int32_t>::min(), {0x00, 0x00, 0x00, 0x80}},
    };
    const Encoded<uint64_t> u64[] = {
        {"u64", 0x0102030405060708u, {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}},
    };
    const Encoded<int64_t> i64[] = {
        {"i64 negative", -1234567890123456789, {0xEB, 0x7E, 0x16, 0x82, 0x0B, 0xEF, 0xDD, 0xEE}},
        {"i64 lowest",
         std::numeric_limits<int64_t>::min(),
         {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80}},
    };
    ExpectBothOrders(u8);
    ExpectBothOrders(i8);
    ExpectBothOrders(u16);
    ExpectBothOrders(i16);
    ExpectBothOrders(u32);
    ExpectBothOrders(i32);
    ExpectBothOrders(u64);
    ExpectBothOrders(i64);
}

TEST(ByteOrder, FloatsInBothOrdersKeepEveryBit)
{
    const Encoded<float> f32[] = {
        {"f32 negative", -1.5f, {0x00, 0x00, 0xC0, 0xBF}},
        {"f32 negative zero", -0.0f, {0x00, 0x00, 0x00, 0x80}},
        {"f32 quiet NaN with payload", FloatWithBits(0x7FC12345u), {0x45, 0x23, 0xC1, 0x7F}},
        {"f32 signalling NaN", FloatWithBits(0xFF800001u), {0x01, 0x00, 0x80, 0xFF}},
    };
    const Encoded<double> f64[] = {
        {"f64 negative", -2.5, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0}},
        {"f64 infinity",
         std::numeric_limits<double>::infinity(),
         {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x7F}},
        {"f64 quiet NaN with payload",
         DoubleWithBits(0x7FF8DEADBEEF0001u),
         {0x01, 0x00, 0xEF, 0xBE, 0xAD, 0xDE, 0xF8, 0x7F}},
        {"f64 signalling NaN",
         DoubleWithBits(0x7FF0000000000001u),
         {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x7F}},
    };
    ExpectBothOrders(f32);
    ExpectBothOrders(f64);
}

}  // namespace
