#include "foundation/SystemMemory.h"

#include <windows.h>

namespace {

uint64_t SystemAvailableMemory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) {
        return 0;
    }
    // A 64-bit process is bounded by the physical memory rather than its address space.
    return status.ullAvailPhys;
}

}  // namespace

uint64_t (*KstAvailableMemory)() = SystemAvailableMemory;
