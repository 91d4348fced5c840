#include <gtest/gtest.h>

#include "foundation/win/Memory.h"

namespace {

TEST(Memory, PhysicalMemoryFigures)
{
    const uint64_t total = GetTotalPhysicalMemory();
    const uint64_t free = GetFreeMemory();
    EXPECT_GT(total, 0u);
    EXPECT_GT(free, 0u);
    EXPECT_LE(free, total);
}

}  // namespace
