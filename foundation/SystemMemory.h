#pragma once
// How much memory the machine has free, for the limits that keep a file from exhausting it.

#include <cstdint>

// Bytes of physical memory free now, memory the system can reclaim from its caches counted as
// free; 0 when the platform cannot tell. Tests and fuzz targets replace it.
extern uint64_t (*KstAvailableMemory)();
