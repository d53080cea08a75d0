// The operating-system layer, on whichever backend this build has.
#include "platform/event.h"
#include "platform/lock.h"
#include "platform/system.h"
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

using namespace platform;

namespace {

struct Counter {
    Lock lock;
    long value = 0;
};

uint32_t addManyTimes(void *argument) {
    auto *counter = static_cast<Counter *>(argument);
    for (int i = 0; i < 20000; ++i) {
        LockGuard guard(counter->lock);
        counter->value = counter->value + 1;
    }
    return 0;
}

uint32_t waitForEventThenFlag(void *argument) {
    auto *pair = static_cast<std::pair<ManualResetEvent *, std::atomic<bool> *> *>(argument);
    pair->first->wait();
    pair->second->store(true);
    return 0;
}

} // namespace

TEST(Lock, SerialisesThreads) {
    Counter counter;
    ThreadHandle threads[4];
    for (ThreadHandle &thread : threads) {
        thread = createThread(addManyTimes, &counter);
        ASSERT_NE(thread, nullptr);
    }
    for (ThreadHandle thread : threads) {
        EXPECT_EQ(waitForThread(thread), WaitResult::signaled);
        closeThread(thread);
    }
    EXPECT_EQ(counter.value, 4 * 20000);
}

TEST(Lock, OwnerMayEnterAgain) {
    Lock lock;
    lock.enter();
    lock.enter();
    lock.leave();
    lock.leave();
    SUCCEED();
}

TEST(ManualResetEvent, ProbeTellsTimeOutFromSet) {
    ManualResetEvent event;
    ASSERT_TRUE(event.valid());
    EXPECT_EQ(event.wait(WaitTime::oneMillisecond), WaitResult::timedOut);
    event.set();
    // Manual reset: it stays set for every later wait.
    EXPECT_EQ(event.wait(WaitTime::oneMillisecond), WaitResult::signaled);
    EXPECT_EQ(event.wait(), WaitResult::signaled);
    event.reset();
    EXPECT_EQ(event.wait(WaitTime::oneMillisecond), WaitResult::timedOut);
}

TEST(ManualResetEvent, ReleasesAWaitingThread) {
    ManualResetEvent event;
    std::atomic<bool> released{false};
    std::pair<ManualResetEvent *, std::atomic<bool> *> pair{&event, &released};
    ThreadHandle thread = createThread(waitForEventThenFlag, &pair);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(waitForThread(thread, WaitTime::oneMillisecond), WaitResult::timedOut);
    EXPECT_FALSE(released.load());
    event.set();
    EXPECT_EQ(waitForThread(thread), WaitResult::signaled);
    EXPECT_TRUE(released.load());
    closeThread(thread);
}

TEST(Thread, WaitOnNoThreadFails) {
    EXPECT_EQ(waitForThread(nullptr, WaitTime::oneMillisecond), WaitResult::failed);
    EXPECT_EQ(waitForThread(nullptr), WaitResult::failed);
}

#if !defined(_WIN32)
TEST(Thread, ClosingOnPosixWaitsForAThreadOnItsWayOut) {
    // The module may be unloaded right after: its code must no longer run on that thread.
    ManualResetEvent event;
    std::atomic<bool> released{false};
    std::pair<ManualResetEvent *, std::atomic<bool> *> pair{&event, &released};
    ThreadHandle thread = createThread(waitForEventThenFlag, &pair);
    ASSERT_NE(thread, nullptr);
    event.set();
    closeThread(thread);
    EXPECT_TRUE(released.load());
}
#endif

TEST(Thread, CreationSeamFailsOrEndsThreadsAtOnce) {
    std::atomic<bool> ran{false};
    const auto mark = [](void *flag) -> uint32_t {
        static_cast<std::atomic<bool> *>(flag)->store(true);
        return 0;
    };
    setThreadCreationForTesting(ThreadCreation::fails);
    EXPECT_EQ(createThread(mark, &ran), nullptr);
    setThreadCreationForTesting(ThreadCreation::endsAtOnce);
    ThreadHandle ended = createThread(mark, &ran);
    ASSERT_NE(ended, nullptr);
    EXPECT_EQ(waitForThread(ended), WaitResult::signaled);
    closeThread(ended);
    EXPECT_FALSE(ran.load()) << "the routine never ran";
    setThreadCreationForTesting(ThreadCreation::normal);
    ThreadHandle normal = createThread(mark, &ran);
    EXPECT_EQ(waitForThread(normal), WaitResult::signaled);
    closeThread(normal);
    EXPECT_TRUE(ran.load());
}

TEST(System, ProcessorCountIsPositive) { EXPECT_GE(processorCount(), 1); }

TEST(System, EnvironmentLookup) {
#if defined(_WIN32)
    _putenv("ZEPHYRINE_PLATFORM_TEST=present");
#else
    setenv("ZEPHYRINE_PLATFORM_TEST", "present", 1);
#endif
    EXPECT_EQ(environmentVariable("ZEPHYRINE_PLATFORM_TEST"), std::optional<std::string>("present"));
    EXPECT_EQ(environmentVariable("ZEPHYRINE_PLATFORM_TEST_UNSET"), std::nullopt);
}
