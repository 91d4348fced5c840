#include "foundation/PreciseClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// A scripted clock: the counter and the millisecond timer advance only when told to, or by a
// fixed step on every reading.
std::atomic<int64_t> g_frequency{1000000};
std::atomic<uint64_t> g_counter{0};
std::atomic<uint64_t> g_counterStep{0};
std::atomic<uint32_t> g_milliseconds{0};
std::atomic<uint32_t> g_millisecondStep{0};
KstLocalTime g_wallClock;

const KstClockSource kScriptedSource{
    [] { return g_frequency.load(); },
    [] { return g_counter.fetch_add(g_counterStep.load()); },
    [] { return g_milliseconds.fetch_add(g_millisecondStep.load()); },
    [](KstLocalTime& now) { now = g_wallClock; },
};

class PreciseClock : public testing::Test {
protected:
    void SetUp() override
    {
        g_frequency = 1000000;
        g_counter = 0;
        g_counterStep = 0;
        g_milliseconds = 0;
        g_millisecondStep = 0;
        g_wallClock = KstLocalTime{2007, 3, 4, 5, 6, 7, 250};
    }
};

TEST_F(PreciseClock, ImplausibleFrequenciesFallBackToTheMillisecondTimer)
{
    struct Case {
        int64_t frequency;
        bool usesCounter;
        double wrapPeriod;
    };
    const Case cases[] = {
        {500, false, 4294967.296},
        {999, false, 4294967.296},
        {1000, true, 18446744073709551616.0 / 1000},
        {3579545, true, 18446744073709551616.0 / 3579545},
        {1000000000, true, 18446744073709551616.0 / 1e9},
        {1000000001, false, 4294967.296},
        {0, false, 4294967.296},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frequency);
        g_frequency = c.frequency;
        g_counter = static_cast<uint64_t>(c.frequency) * 3;  // three seconds
        g_milliseconds = 1500;
        CKSTPreciseClock clock(kScriptedSource);
        EXPECT_EQ(c.usesCounter, clock.UsesCounter());
        EXPECT_DOUBLE_EQ(c.wrapPeriod, clock.WrapPeriod());
        EXPECT_DOUBLE_EQ(c.usesCounter ? 3.0 : 1.5, clock.ReadRawClock());
    }
}

TEST_F(PreciseClock, UnwrapsTheMillisecondTimer)
{
    g_frequency = 500;
    CKSTPreciseClock clock(kScriptedSource);
    g_milliseconds = 0xFFFFFF00u;
    const double beforeWrap = clock.PreciseSeconds();
    g_milliseconds = 0x100u;
    EXPECT_NEAR(0.512, clock.PreciseSeconds() - beforeWrap, 1e-9);
    g_milliseconds = 0x200u;
    EXPECT_NEAR(0.768, clock.PreciseSeconds() - beforeWrap, 1e-9);
}

TEST_F(PreciseClock, UnwrapsTheCounterButNotSmallStepsBack)
{
    g_frequency = 1000000;
    CKSTPreciseClock clock(kScriptedSource);
    g_counter = 0ull - 1000000ull;  // one second before the wrap
    const double beforeWrap = clock.PreciseSeconds();
    g_counter = 500000;
    EXPECT_NEAR(1.5, clock.PreciseSeconds() - beforeWrap, 0.01);

    // A reading up to 1,000 s lower is not a wrap.
    g_counter = 500000ull + 2000000000ull;
    const double later = clock.PreciseSeconds();
    g_counter = 500000ull + 1000000000ull;
    EXPECT_NEAR(-1000.0, clock.PreciseSeconds() - later, 0.01);
}

TEST_F(PreciseClock, AnchoredOnceToTheWallClock)
{
    g_frequency = 1000000;
    g_counter = 100000000;  // 100 s since the counter started
    CKSTPreciseClock clock(kScriptedSource);
    const CKSTTimeStamp first = clock.Now();
    EXPECT_STREQ("2007-03-04 05:06:07.250", first.FormatDateTimeMs().c_str());

    g_counter += 2500000;                                // 2.5 s later
    g_wallClock = KstLocalTime{2010, 1, 1, 0, 0, 0, 0};  // the wall clock is set meanwhile
    const CKSTTimeStamp second = clock.Now();
    EXPECT_STREQ("2007-03-04 05:06:09.750", second.FormatDateTimeMs().c_str());
    EXPECT_NEAR(2.5, (second - first).GetSeconds(), 1e-6);
}

// Many threads read a millisecond timer that crosses its wrap while they run: every reading
// must lie between the first and the last raw value, unwrapped exactly once.
TEST_F(PreciseClock, ConcurrentReadersSeeOneUnwrappedMonotonicClock)
{
    constexpr int kThreads = 8;
    constexpr int kReads = 20000;
    g_frequency = 500;
    g_millisecondStep = 1;
    g_milliseconds = 0xFFFFFFFFu - kThreads * kReads / 2;
    CKSTPreciseClock clock(kScriptedSource);
    const double start = g_milliseconds.load() * 0.001;
    const double end = start + kThreads * kReads * 0.001;

    std::vector<std::vector<double>> readings(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&clock, &readings, t] {
            readings[t].reserve(kReads);
            for (int i = 0; i < kReads; ++i) {
                readings[t].push_back(clock.PreciseSeconds());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE(t);
        int failures = 0;
        for (int i = 0; i < kReads && failures < 3; ++i) {
            const double v = readings[t][i];
            const bool ordered = i == 0 || v > readings[t][i - 1];
            if (!ordered || v < start - 1e-6 || v > end + 1e-6) {
                ADD_FAILURE() << "reading " << i << ": " << v << " after "
                              << (i ? readings[t][i - 1] : 0.0) << ", range " << start << ".."
                              << end;
                ++failures;
            }
        }
    }
}

TEST(PreciseClockProcess, StampsNeverGoBackWithinAThread)
{
    constexpr int kThreads = 4;
    constexpr int kReads = 5000;
    std::atomic<int> backwards{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&backwards] {
            CKSTTimeStamp previous = CKSTTimeStamp::NowPrecise();
            for (int i = 0; i < kReads; ++i) {
                CKSTTimeStamp now;
                now.SetNowPrecise();
                if (now < previous) {
                    ++backwards;
                }
                previous = now;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(0, backwards.load());
    // Anchored to the wall clock: within a few seconds of Now.
    EXPECT_NEAR(0.0, (CKSTTimeStamp::NowPrecise() - CKSTTimeStamp::Now()).GetSeconds(), 5.0);
}

}  // namespace
