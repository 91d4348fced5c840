#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "foundation/ErrorCodes.h"
#include "foundation/win/Sync.h"
#include "foundation/win/Thread.h"
#include "thread_support.h"

namespace {

using kst_test::EndsWithinGuard;
using kst_test::IsOpenHandle;
using kst_test::ReturnsWithinGuard;
using kst_test::StartFunctor;

std::string UniqueName(const char* what)
{
    return std::string("KstSyncTest.") + what + "." + std::to_string(GetCurrentProcessId());
}

// A handle value that was valid and has been closed again; the next handle created may reuse
// the value, so use it before creating any other object.
HANDLE ClosedHandle()
{
    HANDLE slot = nullptr;
    EXPECT_EQ(KST_OK, CreateMutexHandle(slot));
    const HANDLE stale = slot;
    EXPECT_EQ(KST_OK, CloseSyncHandle(slot));
    return stale;
}

TEST(SyncEvent, EachSignalReleasesExactlyOneWaiter)
{
    constexpr int kWaiters = 3;
    HANDLE event = nullptr;
    ASSERT_EQ(KST_OK, CreateEventHandle(event));
    std::atomic<int> woken{0};
    auto body = [&] {
        const int result = WaitEvent(event);
        ++woken;
        return static_cast<unsigned>(result);
    };
    CKSTThreadRecord records[kWaiters];
    for (CKSTThreadRecord& record : records) {
        ASSERT_EQ(KST_OK, StartFunctor(record, body));
    }

    for (int signal = 1; signal <= kWaiters; ++signal) {
        SCOPED_TRACE(signal);
        ASSERT_EQ(KST_OK, SignalEvent(event));
        for (DWORD waited = 0; woken < signal && waited < kst_test::kGuardMs; ++waited) {
            SleepMs(1);
        }
        ASSERT_EQ(signal, woken.load());
        // The remaining waiters stay blocked: the signal was used up by one of them.
        SleepMs(200);
        EXPECT_EQ(signal, woken.load());
    }
    for (CKSTThreadRecord& record : records) {
        ASSERT_TRUE(EndsWithinGuard(record.handle));
        DWORD code = 1;
        GetExitCodeThread(record.handle, &code);
        EXPECT_EQ(static_cast<DWORD>(KST_OK), code);
        EXPECT_TRUE(WaitThreadEnd(record, 10));
    }
    EXPECT_EQ(KST_OK, CloseSyncHandle(event));
}

TEST(SyncEvent, SignalWithoutWaiterIsKeptForOneWait)
{
    HANDLE event = nullptr;
    ASSERT_EQ(KST_OK, CreateEventHandle(event));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));  // created not signalled
    ASSERT_EQ(KST_OK, SignalEvent(event));
    auto wait = [&] { return static_cast<unsigned>(WaitEvent(event)); };
    EXPECT_TRUE(ReturnsWithinGuard(wait));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));  // the wait reset it
    EXPECT_EQ(KST_OK, CloseSyncHandle(event));
}

TEST(SyncEvent, NamedEventIsSharedBetweenSlots)
{
    const std::string name = UniqueName("event");
    HANDLE first = nullptr, second = nullptr;
    ASSERT_EQ(KST_OK, CreateEventHandle(first, name.c_str()));
    ASSERT_EQ(KST_OK, CreateEventHandle(second, name.c_str()));
    ASSERT_EQ(KST_OK, SignalEvent(first));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 0));
    EXPECT_EQ(KST_OK, CloseSyncHandle(first));
    EXPECT_EQ(KST_OK, CloseSyncHandle(second));
}

TEST(SyncCreate, NameHeldByOtherKindOfObjectFails)
{
    const std::string name = UniqueName("taken");
    HANDLE mutex = nullptr, event = nullptr;
    ASSERT_EQ(KST_OK, CreateMutexHandle(mutex, name.c_str()));
    event = reinterpret_cast<HANDLE>(0x1234);
    EXPECT_EQ(KST_ERR_EVENT, CreateEventHandle(event, name.c_str()));
    EXPECT_EQ(nullptr, event);
    EXPECT_EQ(KST_OK, CloseSyncHandle(mutex));

    ASSERT_EQ(KST_OK, CreateEventHandle(event, name.c_str()));
    mutex = reinterpret_cast<HANDLE>(0x1234);
    EXPECT_EQ(KST_ERR_MUTEX, CreateMutexHandle(mutex, name.c_str()));
    EXPECT_EQ(nullptr, mutex);
    EXPECT_EQ(KST_OK, CloseSyncHandle(event));
}

TEST(SyncClose, ClearsSlotAndReportsFailedClose)
{
    HANDLE slot = nullptr;
    EXPECT_EQ(KST_OK, CloseSyncHandle(slot));
    EXPECT_EQ(nullptr, slot);

    ASSERT_EQ(KST_OK, CreateEventHandle(slot));
    const HANDLE handle = slot;
    EXPECT_EQ(KST_OK, CloseSyncHandle(slot));
    EXPECT_EQ(nullptr, slot);
    EXPECT_FALSE(IsOpenHandle(handle));

    slot = handle;  // already closed
    EXPECT_EQ(KST_ERR_MUTEX, CloseSyncHandle(slot));
    EXPECT_EQ(nullptr, slot);
}

// A mutex held by a helper thread until the test lets it go.
class HeldMutex : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(KST_OK, CreateMutexHandle(m_mutex));
        ASSERT_EQ(KST_OK, CreateEventHandle(m_held));
        ASSERT_EQ(KST_OK, CreateEventHandle(m_release));
        ASSERT_EQ(KST_OK, StartFunctor(m_holder, m_holderBody));
        ASSERT_EQ(KST_OK, WaitEvent(m_held));
    }
    void TearDown() override
    {
        if (m_holder.handle) {
            SignalEvent(m_release);
            EXPECT_TRUE(WaitThreadEnd(m_holder, 0));
        }
        CloseSyncHandle(m_release);
        CloseSyncHandle(m_held);
        CloseSyncHandle(m_mutex);
    }

    HANDLE m_mutex = nullptr;
    HANDLE m_held = nullptr;
    HANDLE m_release = nullptr;
    bool m_unlockOnRelease = true;
    CKSTThreadRecord m_holder;
    std::function<unsigned()> m_holderBody = [this] {
        if (!WaitMutex(m_mutex, -1)) {
            return 1u;
        }
        SignalEvent(m_held);
        WaitEvent(m_release);
        if (m_unlockOnRelease) {
            UnlockMutex(m_mutex);
        }
        return 0u;
    };
};

TEST_F(HeldMutex, OthersTimeOutUntilOwnerReleases)
{
    for (const int limit : {0, 50}) {
        SCOPED_TRACE(limit);
        EXPECT_EQ(0, WaitMutex(m_mutex, limit));
    }
    EXPECT_FALSE(UnlockMutex(m_mutex));  // not the owner

    ASSERT_EQ(KST_OK, SignalEvent(m_release));
    EXPECT_NE(0, WaitMutex(m_mutex, -1));
    EXPECT_TRUE(UnlockMutex(m_mutex));
}

// A thread that ends while owning the mutex must not lock everyone else out: the next waiter,
// already blocked or coming later, owns it.
struct AbandonCase {
    const char* name;
    bool ownerKilled;
};

TEST_F(HeldMutex, AbandonedMutexGoesToNextWaiter)
{
    m_unlockOnRelease = false;
    const AbandonCase cases[] = {{"owner returns", false}, {"owner killed", true}};
    for (const AbandonCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (!m_holder.handle) {
            ASSERT_EQ(KST_OK, StartFunctor(m_holder, m_holderBody));
            ASSERT_EQ(KST_OK, WaitEvent(m_held));
        }
        std::atomic<int> waiterGot{-1};
        auto waiter = [&] {
            waiterGot = WaitMutex(m_mutex, -1);
            const bool released = UnlockMutex(m_mutex);
            return released ? 0u : 1u;
        };
        CKSTThreadRecord waiterRecord;
        ASSERT_EQ(KST_OK, StartFunctor(waiterRecord, waiter));

        if (c.ownerKilled) {
            EXPECT_TRUE(KillThread(m_holder));
        } else {
            ASSERT_EQ(KST_OK, SignalEvent(m_release));
            EXPECT_TRUE(WaitThreadEnd(m_holder, 0));
        }
        ASSERT_TRUE(EndsWithinGuard(waiterRecord.handle));
        DWORD code = 1;
        GetExitCodeThread(waiterRecord.handle, &code);
        EXPECT_NE(0, waiterGot.load());
        EXPECT_EQ(0u, code) << "the waiter could not release the mutex it obtained";
        EXPECT_TRUE(WaitThreadEnd(waiterRecord, 10));

        EXPECT_NE(0, WaitMutex(m_mutex, 0));
        EXPECT_TRUE(UnlockMutex(m_mutex));
    }
}

TEST(SyncAbandoned, LaterWaiterOwnsMutexOfEndedThread)
{
    HANDLE mutex = nullptr;
    ASSERT_EQ(KST_OK, CreateMutexHandle(mutex));
    auto owner = [&] { return static_cast<unsigned>(WaitMutex(mutex, -1)); };
    CKSTThreadRecord record;
    ASSERT_EQ(KST_OK, StartFunctor(record, owner));
    ASSERT_TRUE(WaitThreadEnd(record, 0));

    EXPECT_NE(0, WaitMutex(mutex, 0));
    EXPECT_TRUE(UnlockMutex(mutex));
    EXPECT_EQ(KST_OK, LockMutex(mutex));
    EXPECT_TRUE(UnlockMutex(mutex));
    EXPECT_EQ(KST_OK, CloseSyncHandle(mutex));
}

// Waits on a handle that is not there fail at once instead of blocking or spinning.
TEST(SyncFailedWait, ReturnsPromptlyWithFailure)
{
    for (const bool closed : {false, true}) {
        SCOPED_TRACE(closed ? "closed handle" : "empty slot");
        int waited = 1, locked = KST_OK, eventWaited = KST_OK, signalled = KST_OK;
        bool unlocked = true;
        auto waits = [&] {
            const HANDLE handle = closed ? ClosedHandle() : nullptr;
            waited = WaitMutex(handle, -1);
            locked = LockMutex(handle);
            eventWaited = WaitEvent(handle);
            signalled = SignalEvent(handle);
            unlocked = UnlockMutex(handle);
            return 0u;
        };
        ASSERT_TRUE(ReturnsWithinGuard(waits));
        EXPECT_EQ(0, waited);
        EXPECT_EQ(KST_ERR_MUTEX, locked);
        EXPECT_EQ(KST_ERR_EVENT, eventWaited);
        EXPECT_EQ(KST_ERR_EVENT, signalled);
        EXPECT_FALSE(unlocked);
    }
}

}  // namespace
