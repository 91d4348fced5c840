#pragma once
// Numbers kept in a stated byte order at any byte address: 8- to 64-bit integers, floats and
// doubles loaded from and stored to little- or big-endian bytes. Header-only, so that in a
// decode loop a load is one move, followed by one byte swap when the order is not the machine's.

#include <cstdint>
#include <cstring>
#include <type_traits>

enum class KstByteOrder { Little, Big };

constexpr KstByteOrder kKstMachineOrder =
    __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? KstByteOrder::Big : KstByteOrder::Little;

constexpr uint8_t KstByteSwap(uint8_t v)
{
    return v;
}
constexpr uint16_t KstByteSwap(uint16_t v)
{
    return __builtin_bswap16(v);
}
constexpr uint32_t KstByteSwap(uint32_t v)
{
    return __builtin_bswap32(v);
}
constexpr uint64_t KstByteSwap(uint64_t v)
{
    return __builtin_bswap64(v);
}

namespace kst_byte_order {

template <typename T>
using Bits =
    std::conditional_t<sizeof(T) == 1, uint8_t,
                       std::conditional_t<sizeof(T) == 2, uint16_t,
                                          std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;

template <typename T>
constexpr void CheckNumber()
{
    static_assert(std::is_arithmetic<T>::value, "numbers only");
    static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8,
                  "1, 2, 4 or 8 bytes");
}

}  // namespace kst_byte_order

// The number of type T held in the sizeof(T) bytes at p, in the given order.
template <typename T, KstByteOrder kOrder>
inline T KstLoad(const void* p)
{
    kst_byte_order::CheckNumber<T>();
    kst_byte_order::Bits<T> bits;
    std::memcpy(&bits, p, sizeof bits);
    if (kOrder != kKstMachineOrder) {
        bits = KstByteSwap(bits);
    }
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The value into the sizeof(T) bytes at p, in the given order.
template <KstByteOrder kOrder, typename T>
inline void KstStore(void* p, T value)
{
    kst_byte_order::CheckNumber<T>();
    kst_byte_order::Bits<T> bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (kOrder != kKstMachineOrder) {
        bits = KstByteSwap(bits);
    }
    std::memcpy(p, &bits, sizeof bits);
}

template <typename T>
inline T KstLoadLE(const void* p)
{
    return KstLoad<T, KstByteOrder::Little>(p);
}
template <typename T>
inline T KstLoadBE(const void* p)
{
    return KstLoad<T, KstByteOrder::Big>(p);
}
template <typename T>
inline void KstStoreLE(void* p, T value)
{
    KstStore<KstByteOrder::Little>(p, value);
}
template <typename T>
inline void KstStoreBE(void* p, T value)
{
    KstStore<KstByteOrder::Big>(p, value);
}
