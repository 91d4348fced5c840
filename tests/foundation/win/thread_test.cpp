#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>

#include "foundation/ErrorCodes.h"
#include "foundation/win/Sync.h"
#include "foundation/win/Thread.h"
#include "thread_support.h"

namespace {

using kst_test::EndsWithinGuard;
using kst_test::IsOpenHandle;
using kst_test::StartFunctor;

// A worker that runs until its owner releases it; the owner can look at the thread through a
// duplicate handle after the record's own handle has been closed.
class BlockedWorker : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(KST_OK, CreateEventHandle(m_running));
        ASSERT_EQ(KST_OK, CreateEventHandle(m_release));
        ASSERT_EQ(KST_OK, StartFunctor(m_record, m_body));
        // A thread killed while it is still starting up can leave process-wide locks held.
        ASSERT_EQ(KST_OK, WaitEvent(m_running));
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), m_record.handle, GetCurrentProcess(),
                                    &m_observer, 0, FALSE, DUPLICATE_SAME_ACCESS));
    }
    void TearDown() override
    {
        if (m_record.handle) {
            SignalEvent(m_release);
            EXPECT_TRUE(WaitThreadEnd(m_record, 0));
        }
        CloseHandle(m_observer);
        CloseSyncHandle(m_release);
        CloseSyncHandle(m_running);
    }
    bool StillRunning() const { return WaitForSingleObject(m_observer, 0) == WAIT_TIMEOUT; }
    DWORD ExitCodeAfterEnd() const
    {
        DWORD code = 0;
        EXPECT_TRUE(EndsWithinGuard(m_observer));
        EXPECT_TRUE(GetExitCodeThread(m_observer, &code));
        return code;
    }

    HANDLE m_running = nullptr;
    HANDLE m_release = nullptr;
    HANDLE m_observer = nullptr;
    CKSTThreadRecord m_record;
    std::function<unsigned()> m_body = [this] {
        SignalEvent(m_running);
        WaitEvent(m_release);
        return 5u;
    };
};

TEST(ThreadStart, RunsProcedureWithArgumentAndFillsRecord)
{
    struct Seen {
        void* argument = nullptr;
        DWORD threadId = 0;
    } seen;
    auto body = [&seen] {
        seen.argument = &seen;
        seen.threadId = GetCurrentThreadId();
        return 0u;
    };
    CKSTThreadRecord record;
    record.state = CKSTThreadRecord::kStartFailed;
    ASSERT_EQ(KST_OK, StartFunctor(record, body));
    EXPECT_EQ(CKSTThreadRecord::kStarted, record.state);
    ASSERT_NE(nullptr, record.handle);
    const unsigned id = record.threadId;

    ASSERT_TRUE(WaitThreadEnd(record, 0));
    EXPECT_EQ(nullptr, record.handle);
    EXPECT_EQ(&seen, seen.argument);
    EXPECT_EQ(id, seen.threadId);
}

TEST(ThreadStart, FailureMarksRecordAndReturnsStartError)
{
    CKSTThreadRecord record;
    record.handle = reinterpret_cast<HANDLE>(0x1234);
    EXPECT_EQ(KST_ERR_THREAD_START, StartThread(record, nullptr, nullptr));
    EXPECT_EQ(CKSTThreadRecord::kStartFailed, record.state);
    EXPECT_EQ(nullptr, record.handle);
}

TEST(ThreadEnd, EndThreadEndsCallerWithCode)
{
    bool pastEnd = false;
    auto body = [&pastEnd]() -> unsigned {
        EndThread(7);
        pastEnd = true;
        return 0;
    };
    CKSTThreadRecord record;
    ASSERT_EQ(KST_OK, StartFunctor(record, body));
    ASSERT_TRUE(EndsWithinGuard(record.handle));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(record.handle, &code));
    EXPECT_EQ(7u, code);
    EXPECT_FALSE(pastEnd);
    EXPECT_TRUE(WaitThreadEnd(record, 10));
}

TEST(ThreadEnd, EndedThreadIsSeenAtFirstPollAndHandleClosed)
{
    // 259 is the value the platform also uses for "still running"; such a thread has ended
    // all the same.
    for (const unsigned exitCode : {0u, static_cast<unsigned>(STILL_ACTIVE)}) {
        SCOPED_TRACE(exitCode);
        auto body = [exitCode] { return exitCode; };
        CKSTThreadRecord record;
        ASSERT_EQ(KST_OK, StartFunctor(record, body));
        ASSERT_TRUE(EndsWithinGuard(record.handle));
        const HANDLE handle = record.handle;

        // A limit of 10 allows exactly one poll.
        EXPECT_TRUE(WaitThreadEnd(record, 10));
        EXPECT_EQ(nullptr, record.handle);
        EXPECT_FALSE(IsOpenHandle(handle));
    }
}

TEST(ThreadEnd, EmptyRecordIsNotReportedAsEnded)
{
    CKSTThreadRecord record;
    EXPECT_FALSE(WaitThreadEnd(record, 100));
}

TEST_F(BlockedWorker, WaitThatRunsOutLeavesThreadAndHandleAlone)
{
    // Limits below 10 allow no poll at all; negative ones likewise.
    for (const int limit : {5, 9, -1, 30}) {
        SCOPED_TRACE(limit);
        EXPECT_FALSE(WaitThreadEnd(m_record, limit));
        EXPECT_TRUE(IsOpenHandle(m_record.handle));
        EXPECT_TRUE(StillRunning());
    }
    ASSERT_EQ(KST_OK, SignalEvent(m_release));
    EXPECT_TRUE(WaitThreadEnd(m_record, 0));
    EXPECT_EQ(nullptr, m_record.handle);
    EXPECT_EQ(5u, ExitCodeAfterEnd());
}

TEST_F(BlockedWorker, KillEndsThreadWithKillCodeAndClosesHandle)
{
    const HANDLE handle = m_record.handle;
    EXPECT_TRUE(KillThread(m_record));
    EXPECT_EQ(nullptr, m_record.handle);
    EXPECT_FALSE(IsOpenHandle(handle));
    EXPECT_EQ(static_cast<DWORD>(KST_ERR_THREAD_KILLED), ExitCodeAfterEnd());
}

TEST(ThreadKill, EmptyRecordReportsFailure)
{
    CKSTThreadRecord record;
    EXPECT_FALSE(KillThread(record));
    EXPECT_EQ(nullptr, record.handle);
}

// The owner's side of the stop rule: raise the stop flag, wait, terminate when the wait runs
// out, then treat the worker as not running.
struct StopRuleCase {
    const char* name;
    bool workerHonoursFlag;
    bool expectKill;
};

TEST(ThreadStopRule, CooperativeWorkerEndsAndStubbornOneIsKilled)
{
    const StopRuleCase cases[] = {
        {"worker polls the stop flag", true, false},
        {"worker ignores the stop flag", false, true},
    };
    for (const StopRuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<bool> stop{false};
        std::atomic<int> rounds{0};
        auto body = [&] {
            while (!(c.workerHonoursFlag && stop)) {
                ++rounds;
                SleepMs(5);
            }
            return 0u;
        };
        CKSTThreadRecord record;
        ASSERT_EQ(KST_OK, StartFunctor(record, body));
        HANDLE observer = nullptr;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), record.handle, GetCurrentProcess(),
                                    &observer, 0, FALSE, DUPLICATE_SAME_ACCESS));
        while (rounds == 0) {
            SleepMs(1);
        }

        stop = true;
        // The cooperative worker must end well within the owners' usual limit; the stubborn
        // one is given a short limit to keep the test quick.
        const bool ended = WaitThreadEnd(record, c.workerHonoursFlag ? 10000 : 100);
        bool killed = false;
        if (!ended) {
            killed = KillThread(record);
        }
        EXPECT_EQ(c.expectKill, killed);
        EXPECT_EQ(nullptr, record.handle);

        ASSERT_TRUE(EndsWithinGuard(observer));
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeThread(observer, &code));
        EXPECT_EQ(c.expectKill ? static_cast<DWORD>(KST_ERR_THREAD_KILLED) : 0u, code);
        CloseHandle(observer);
    }
}

}  // namespace
