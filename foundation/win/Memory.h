#pragma once
// Physical memory figures of the machine, in bytes. They come from the 64-bit memory status, so
// machines with 4 GiB or more report their real size.
#include <cstdint>

uint64_t GetTotalPhysicalMemory();
// Physical memory available now.
uint64_t GetFreeMemory();
