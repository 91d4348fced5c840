#pragma once
// Allocation helpers shared by the sources that implement CKSTChannel: every sample array is
// allocated zeroed and a failed allocation raises CKSTBadAlloc, leaving the caller's arrays alone.

#include "data/Channel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace kst_channel {

// Largest magnitude a rounded index may take before it is clamped.
constexpr double kIndexLimit = 2147483646.0;

template <typename T>
std::unique_ptr<T[]> AllocateZeroed(uint32_t n)
{
    if (n == 0) {
        return nullptr;
    }
    T* p = new (std::nothrow) T[n]();
    if (p == nullptr) {
        throw CKSTBadAlloc();
    }
    return std::unique_ptr<T[]>(p);
}

// A zeroed array of `capacity` entries holding the first `count` entries of source (null for a
// null source).
template <typename T>
std::unique_ptr<T[]> CopyArray(const T* source, uint32_t capacity, uint32_t count)
{
    if (source == nullptr) {
        return nullptr;
    }
    std::unique_ptr<T[]> copy = AllocateZeroed<T>(capacity);
    if (count > 0) {
        std::memcpy(copy.get(), source, sizeof(T) * count);
    }
    return copy;
}

// Half away from zero after clamping into the range an index may take; NaN gives 0.
inline double RoundClamped(double x)
{
    if (std::isnan(x)) {
        return 0.0;
    }
    return std::round(std::clamp(x, -kIndexLimit, kIndexLimit));
}

}  // namespace kst_channel
