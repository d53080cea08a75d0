// The operating-system layer, on whichever backend this build has.
#include "platform/event.h"
#include "platform/lock.h"
#include "platform/system.h"
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <optional>

#if defined(_WIN32)
#include <windows.h>
#endif

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

#if defined(_WIN32)
namespace {

// Both threads of the next test run on one processor, the waiter first in priority: when the
// event wakes the waiter, the thread that set it is often held right after setting it.
uint32_t pinThenEnd(void *processorMask) {
    SetThreadAffinityMask(GetCurrentThread(), *static_cast<DWORD_PTR *>(processorMask));
    return 0;
}

// Whether the suspended thread is running this executable's code, or will return into it;
// nothing when its context cannot be read (it has ended, and runs nothing of anyone's).
std::optional<bool> stackPassesThroughThisModule(HANDLE thread) {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&createThread), &self);
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(self);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(reinterpret_cast<const char *>(self) + dos->e_lfanew);
    const auto begin = reinterpret_cast<DWORD64>(self);
    const DWORD64 end = begin + nt->OptionalHeader.SizeOfImage;
    CONTEXT context{};
    context.ContextFlags = CONTEXT_FULL;
    if (!GetThreadContext(thread, &context)) {
        return std::nullopt;
    }
    for (int depth = 0; depth < 64 && context.Rip != 0; ++depth) {
        if (context.Rip >= begin && context.Rip < end) {
            return true;
        }
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (function == nullptr) {
            // A leaf function: the return address is on top of the stack.
            context.Rip = *reinterpret_cast<const DWORD64 *>(context.Rsp);
            context.Rsp += 8;
            continue;
        }
        void *handlerData = nullptr;
        DWORD64 establisherFrame = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData, &establisherFrame,
                         nullptr);
    }
    return false;
}

} // namespace

TEST(Thread, OnWindowsSettingTheEndedEventIsTheThreadsLastStepInThisModule) {
    // Whoever sees the event may unload the module at once (the pool at unload): were the
    // thread to return into the module after setting it, it would run unmapped memory.
    DWORD_PTR processMask = 0, systemMask = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask));
    DWORD_PTR oneProcessor = processMask & (~processMask + 1);
    const DWORD_PTR previousMask = SetThreadAffinityMask(GetCurrentThread(), oneProcessor);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    // Without the guarantee, some 4 to 16 rounds in 1000 caught the thread back in the module.
    // A round whose thread has already ended proves nothing either way and is not counted.
    int inspected = 0;
    for (int round = 0; round < 1000; ++round) {
        ManualResetEvent ended;
        ThreadHandle thread = createThread(pinThenEnd, &oneProcessor, &ended);
        ASSERT_NE(thread, nullptr);
        ASSERT_EQ(ended.wait(), WaitResult::signaled);
        if (SuspendThread(static_cast<HANDLE>(thread)) != static_cast<DWORD>(-1)) {
            const std::optional<bool> inModule = stackPassesThroughThisModule(static_cast<HANDLE>(thread));
            inspected += inModule.has_value() ? 1 : 0;
            EXPECT_FALSE(inModule.value_or(false)) << "round " << round;
            ResumeThread(static_cast<HANDLE>(thread));
        }
        EXPECT_EQ(waitForThread(thread), WaitResult::signaled);
        closeThread(thread);
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SetThreadAffinityMask(GetCurrentThread(), previousMask);
    EXPECT_GE(inspected, 100) << "too few threads were caught alive to tell";
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
