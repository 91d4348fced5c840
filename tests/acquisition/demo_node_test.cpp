// The demonstration node's three signals at known times of day, and the samples of a pass.
#include "acquisition/DemoNode.h"

#include <gtest/gtest.h>

#include "acquisition/NodeProtocol.h"
#include "data/Channel.h"

namespace {

using namespace kst_node;

struct ValueCase {
    double secondsOfDay;
    double sine;
    double rectangle;
    double triangle;
};

TEST(DemoNodeTest, ValuesAtKnownTimes)
{
    const ValueCase cases[] = {
        {0.0, 0.0, 10.0, 0.0},
        {1.25, 7.0710678118654755, 10.0, 5.0},
        {2.5, 10.0, 10.0, 10.0},
        {5.0, 0.0, -10.0, 0.0},
        {6.25, -7.0710678118654755, -10.0, -5.0},
        {7.5, -10.0, -10.0, -10.0},
        {9.9, -0.6279051952931337, -10.0, -0.4},
        {36002.5, 10.0, 10.0, 10.0},
        {86399.9, -0.6279051952931337, -10.0, -0.4},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.secondsOfDay);
        // The sine's argument grows to 5e4 within a day: a few ulps of it are 1e-11.
        EXPECT_NEAR(DemoNodeValue(0, c.secondsOfDay), c.sine, 1e-9);
        EXPECT_EQ(DemoNodeValue(1, c.secondsOfDay), c.rectangle);
        EXPECT_NEAR(DemoNodeValue(2, c.secondsOfDay), c.triangle, 1e-9);
        EXPECT_EQ(DemoNodeValue(3, c.secondsOfDay), 0.0);
        EXPECT_EQ(DemoNodeValue(-1, c.secondsOfDay), 0.0);
    }
}

TEST(DemoNodeTest, SamplesOfAPassUseTheFractionOfTheSecond)
{
    const CKSTTimeStamp origin(2026, 5, 6, 10, 0, 1.25);  // triangle at 1.25 s of its period
    int64_t counter = 0;
    CKSTChannel samples;
    ReadDemoSamples(2, origin, kDemoSampleInterval, origin + 0.35, counter, samples);
    ASSERT_EQ(samples.GetCount(), 4u);  // 1.25, 1.35, 1.45, 1.55: all before now
    EXPECT_EQ(counter, 4);
    EXPECT_NEAR(samples.GetValue(0), 5.0, 1e-9);
    EXPECT_NEAR(samples.GetValue(3), 6.2, 1e-9);
    EXPECT_TRUE(samples.GetStartTimeStamp() == origin);
    EXPECT_DOUBLE_EQ(samples.GetDt(), kDemoSampleInterval);

    // The next pass starts where this one ended, on the same grid.
    ReadDemoSamples(2, origin, kDemoSampleInterval, origin + 1.0, counter, samples);
    ASSERT_EQ(samples.GetCount(), 6u);
    EXPECT_EQ(counter, 10);
    EXPECT_NEAR((samples.GetStartTimeStamp() - origin).GetSeconds(), 0.4, 1e-9);
    EXPECT_NEAR(samples.GetValue(0), DemoNodeValue(2, 36001.65), 1e-9);
}

TEST(DemoNodeTest, NothingBeforeTheNextSampleTime)
{
    const CKSTTimeStamp origin(2026, 5, 6, 10, 0, 0.0);
    int64_t counter = 3;
    CKSTChannel samples;
    ReadDemoSamples(0, origin, kDemoSampleInterval, origin + 0.3, counter, samples);
    EXPECT_EQ(samples.GetCount(), 0u);
    EXPECT_EQ(counter, 3);
}

TEST(DemoNodeTest, APassHoldsAtMostTheBufferSize)
{
    const CKSTTimeStamp origin(2026, 5, 6, 10, 0, 0.0);
    int64_t counter = 0;
    CKSTChannel samples;
    ReadDemoSamples(1, origin, kDemoSampleInterval, origin + 3600.0, counter, samples);
    EXPECT_EQ(samples.GetCount(), static_cast<uint32_t>(kFifoBufferSize));
    EXPECT_EQ(counter, kFifoBufferSize);
}

}  // namespace
