#pragma once
// How much memory the machine has free, for the limits that keep a file from exhausting it.

#include <algorithm>
#include <cstdint>

// Bytes of physical memory free now, memory the system can reclaim from its caches counted as
// free; 0 when the platform cannot tell. Tests and fuzz targets replace it.
extern uint64_t (*KstAvailableMemory)();

// Samples (a value, a time and a missing flag each) that half the memory free now can hold: what
// one read of a file may create, where a few bytes of the file can make many samples. When the
// platform cannot tell, what a machine of today surely has.
inline uint64_t KstFreeMemorySampleBudget()
{
    constexpr uint64_t kBytesPerSample = 17;
    constexpr uint64_t kUnknown = uint64_t{1} << 28;
    const uint64_t available = KstAvailableMemory();
    return available == 0 ? kUnknown : std::max<uint64_t>(available / 2 / kBytesPerSample, 1);
}
