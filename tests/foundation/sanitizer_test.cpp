// The host preset exists to run the parsers of untrusted files under the sanitizers; this
// proves that a heap over-read really ends the process there instead of passing silently.
#include <gtest/gtest.h>

#include <memory>

namespace {

#if defined(__SANITIZE_ADDRESS__)
int ReadPastEnd(int count)
{
    auto values = std::make_unique<int[]>(count);
    volatile int* p = values.get();
    return p[count];
}

TEST(SanitizerDeathTest, HeapOverReadAborts)
{
    EXPECT_DEATH(ReadPastEnd(4), "heap-buffer-overflow");
}
#endif

}  // namespace
