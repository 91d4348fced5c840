#pragma once
// Allocation helpers shared by the sources that implement CKSTChannel: a failed allocation raises
// CKSTBadAlloc, leaving the caller's arrays alone.

#include "data/Channel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace kst_channel {

// Largest magnitude a rounded index may take before it is clamped.
constexpr double kIndexLimit = 2147483646.0;

// calloc: large arrays come from the system already zeroed, so only the pages that are
// written later are ever touched.
template <typename T>
CKSTChannel::Array<T> AllocateZeroed(uint32_t n)
{
    if (n == 0) {
        return nullptr;
    }
    T* p = static_cast<T*>(std::calloc(n, sizeof(T)));
    if (p == nullptr) {
        throw CKSTBadAlloc();
    }
    return CKSTChannel::Array<T>(p);
}

// The array of `size` entries resized to n entries, the first min(old, n) kept and the rest left undefined (null
// for n = 0). A failed growth raises CKSTBadAlloc with the array untouched; a failed shrink
// keeps the larger block.
template <typename T>
void Resize(CKSTChannel::Array<T>& array, uint32_t size, uint32_t n)
{
    if (n == 0) {
        array.reset();
        return;
    }
    void* p = std::realloc(array.get(), static_cast<size_t>(n) * sizeof(T));
    if (p == nullptr) {
        if (n > size) {
            throw CKSTBadAlloc();
        }
        return;
    }
    array.release();
    array.reset(static_cast<T*>(p));
}

// A zeroed array of `capacity` entries holding the first `count` entries of source (null for a
// null source).
template <typename T>
CKSTChannel::Array<T> CopyArray(const T* source, uint32_t capacity, uint32_t count)
{
    if (source == nullptr) {
        return nullptr;
    }
    CKSTChannel::Array<T> copy = AllocateZeroed<T>(capacity);
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
