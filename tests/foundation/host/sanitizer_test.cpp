// The host preset exists to run the parsers of untrusted files under the sanitizers; this
// proves that a heap over-read and a signed overflow really end the process there instead of
// passing silently. A host build without them fails here rather than losing the check.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

// GCC and clang announce AddressSanitizer differently.
#if defined(__SANITIZE_ADDRESS__)
#define KST_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KST_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef KST_ADDRESS_SANITIZER
#define KST_ADDRESS_SANITIZER 0
#endif

namespace {

int ReadPastEnd(int count)
{
    auto values = std::make_unique<int[]>(count);
    volatile int* p = values.get();
    return p[count];
}

int AddOne(int value)
{
    volatile int v = value;
    return v + 1;
}

TEST(SanitizerDeathTest, HeapOverReadAborts)
{
    ASSERT_TRUE(KST_ADDRESS_SANITIZER) << "this host build runs without AddressSanitizer";
    EXPECT_DEATH(ReadPastEnd(4), "heap-buffer-overflow");
}

TEST(SanitizerDeathTest, SignedOverflowAborts)
{
    // The sum is kept, so that the addition cannot be left out.
    volatile int sum = 0;
    EXPECT_DEATH(sum = AddOne(INT_MAX), "signed integer overflow");
    EXPECT_EQ(0, sum);
}

}  // namespace
