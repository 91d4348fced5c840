#include "foundation/win/Memory.h"

#include <windows.h>

namespace {

MEMORYSTATUSEX MemoryStatus()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) {
        return MEMORYSTATUSEX{};
    }
    return status;
}

}  // namespace

uint64_t GetTotalPhysicalMemory()
{
    return MemoryStatus().ullTotalPhys;
}

uint64_t GetFreeMemory()
{
    return MemoryStatus().ullAvailPhys;
}
