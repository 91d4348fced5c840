#include "foundation/SystemMemory.h"

#include <cstdio>
#include <cstring>

namespace {

uint64_t SystemAvailableMemory()
{
    FILE* info = std::fopen("/proc/meminfo", "r");
    if (info == nullptr) {
        return 0;
    }
    char line[256];
    unsigned long long kilobytes = 0;
    while (std::fgets(line, sizeof line, info) != nullptr) {
        if (std::sscanf(line, "MemAvailable: %llu kB", &kilobytes) == 1) {
            break;
        }
    }
    std::fclose(info);
    return static_cast<uint64_t>(kilobytes) * 1024;
}

}  // namespace

uint64_t (*KstAvailableMemory)() = SystemAvailableMemory;
