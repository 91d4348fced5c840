#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/ParallelFor.h"

namespace {

class ParallelFor : public ::testing::Test {
protected:
    void TearDown() override { KstSetParallelLimits(0, 0); }
};

TEST_F(ParallelFor, RangesCoverEveryItemOnce)
{
    const struct {
        size_t count;
        size_t grain;
        unsigned maxThreads;
        unsigned expectedThreads;
    } cases[] = {
        {0, 1, 4, 1},   {1, 1, 4, 1},     {7, 1, 4, 4},    {7, 2, 4, 3},
        {8, 100, 4, 1}, {1000, 10, 3, 3}, {1001, 1, 8, 8}, {5, 1, 8, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "count " << c.count << " grain " << c.grain);
        KstSetParallelLimits(c.maxThreads, 0);
        EXPECT_EQ(c.expectedThreads, KstParallelThreadsFor(c.count, c.grain));
        std::vector<std::atomic<int>> hits(c.count);
        std::mutex lock;
        std::vector<std::pair<size_t, size_t>> ranges;
        KstParallelFor(c.count, c.grain, [&](size_t begin, size_t end) {
            for (size_t i = begin; i < end; ++i) {
                ++hits[i];
            }
            std::lock_guard<std::mutex> guard(lock);
            ranges.emplace_back(begin, end);
        });
        for (size_t i = 0; i < c.count; ++i) {
            EXPECT_EQ(1, hits[i].load()) << "item " << i;
        }
        EXPECT_EQ(c.count == 0 ? 0u : c.expectedThreads, ranges.size());
        for (const auto& range : ranges) {
            EXPECT_LT(range.first, range.second);
        }
    }
}

TEST_F(ParallelFor, SmallJobsStayOnTheCallingThread)
{
    KstSetParallelLimits(4, 0);
    const std::thread::id caller = std::this_thread::get_id();
    bool elsewhere = false;
    KstParallelFor(10, 100,
                   [&](size_t, size_t) { elsewhere = std::this_thread::get_id() != caller; });
    EXPECT_FALSE(elsewhere);
}

TEST_F(ParallelFor, ForcedGrainSplitsSmallInputs)
{
    KstSetParallelLimits(4, 1);
    EXPECT_EQ(4u, KstParallelThreadsFor(10, 1000000));
}

TEST_F(ParallelFor, ExceptionOfARangeReachesTheCallerAfterAllEnded)
{
    KstSetParallelLimits(4, 0);
    std::atomic<int> finished{0};
    EXPECT_THROW(KstParallelFor(4, 1,
                                [&](size_t begin, size_t) {
                                    if (begin == 2) {
                                        throw std::runtime_error("range failed");
                                    }
                                    ++finished;
                                }),
                 std::runtime_error);
    EXPECT_EQ(3, finished.load());
}

}  // namespace
