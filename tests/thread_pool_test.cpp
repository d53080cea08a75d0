// The worker pool on its own: iteration hand-out, worker indexes, failures, sizes and teardown.
#include "threads/thread_pool.h"

#include "diag/debug_log.h"
#include "test_home.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Call {
    int32_t iteration;
    int32_t count;
    int32_t threadIndex;
};

// Records every job call; fails on one thread index if asked.
struct Recorder {
    std::mutex mutex;
    std::vector<Call> calls;
    int32_t failOnThread = -2;

    static int32_t job(void *context, int32_t iteration, int32_t count, int32_t threadIndex) {
        auto *recorder = static_cast<Recorder *>(context);
        std::lock_guard<std::mutex> guard(recorder->mutex);
        recorder->calls.push_back({iteration, count, threadIndex});
        return threadIndex == recorder->failOnThread ? 99 : 0;
    }
    IterationJob asJob() { return IterationJob{this, job}; }
};

} // namespace

TEST(ThreadPool, OneWorkerRunsEveryIterationInOrder) {
    ThreadPool pool;
    ASSERT_TRUE(pool.init(1));
    Recorder recorder;
    EXPECT_EQ(pool.iterate(4, recorder.asJob()), 0);
    ASSERT_EQ(recorder.calls.size(), 4u);
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(recorder.calls[i].iteration, i);
        EXPECT_EQ(recorder.calls[i].count, 4);
        EXPECT_EQ(recorder.calls[i].threadIndex, 0);
    }
}

TEST(ThreadPool, EveryIterationRunsOnceAndEachWorkerSeesItsOwnIndexInOrder) {
    ThreadPool pool;
    ASSERT_TRUE(pool.init(4));
    for (int run = 0; run < 20; ++run) {
        Recorder recorder;
        ASSERT_EQ(pool.iterate(200, recorder.asJob()), 0);
        std::vector<int32_t> iterations;
        std::map<int32_t, int32_t> lastByWorker;
        for (const Call &call : recorder.calls) {
            iterations.push_back(call.iteration);
            ASSERT_GE(call.threadIndex, 0);
            ASSERT_LT(call.threadIndex, 4);
            auto last = lastByWorker.find(call.threadIndex);
            if (last != lastByWorker.end()) {
                ASSERT_LT(last->second, call.iteration) << "a worker sees its iterations in increasing order";
            }
            lastByWorker[call.threadIndex] = call.iteration;
        }
        std::sort(iterations.begin(), iterations.end());
        for (int32_t i = 0; i < 200; ++i) {
            ASSERT_EQ(iterations[static_cast<std::size_t>(i)], i);
        }
    }
}

TEST(ThreadPool, FewerIterationsThanWorkersAndNoIterationsAtAll) {
    ThreadPool pool;
    ASSERT_TRUE(pool.init(8));
    Recorder few;
    EXPECT_EQ(pool.iterate(3, few.asJob()), 0);
    EXPECT_EQ(few.calls.size(), 3u);
    Recorder none;
    EXPECT_EQ(pool.iterate(0, none.asJob()), 0);
    EXPECT_TRUE(none.calls.empty());
}

TEST(ThreadPool, AFailingWorkerStopsAloneAndTheRunReturnsWorkerZerosResult) {
    ThreadPool pool;
    ASSERT_TRUE(pool.init(4));
    Recorder recorder;
    recorder.failOnThread = 2;
    EXPECT_EQ(pool.iterate(400, recorder.asJob()), 0);
    const auto onTwo = std::count_if(recorder.calls.begin(), recorder.calls.end(),
                                     [](const Call &call) { return call.threadIndex == 2; });
    EXPECT_LE(onTwo, 1) << "worker 2 stops after its failing call";
    EXPECT_GE(recorder.calls.size(), 399u) << "the others go on until the counter is exhausted";

    // Worker 0 may find the counter exhausted by the others; alone it certainly draws.
    ASSERT_TRUE(pool.init(1));
    Recorder failsOnZero;
    failsOnZero.failOnThread = 0;
    EXPECT_EQ(pool.iterate(400, failsOnZero.asJob()), 99);
    EXPECT_EQ(failsOnZero.calls.size(), 1u);
}

TEST(ThreadPool, CountsAreClampedToTheSlots) {
    ThreadPool pool;
    EXPECT_TRUE(pool.init(1000));
    EXPECT_EQ(pool.workers(), 64);
    Recorder recorder;
    EXPECT_EQ(pool.iterate(64, recorder.asJob()), 0);
    EXPECT_EQ(recorder.calls.size(), 64u);
    EXPECT_TRUE(pool.init(-5));
    EXPECT_EQ(pool.workers(), 1);
}

TEST(ThreadPool, ReplacedThreadsRunAgain) {
    ThreadPool pool;
    for (int32_t count : {3, 5, 2, 5, 1, 4}) {
        ASSERT_TRUE(pool.init(count));
        Recorder recorder;
        ASSERT_EQ(pool.iterate(count * 3, recorder.asJob()), 0);
        EXPECT_EQ(recorder.calls.size(), static_cast<std::size_t>(count * 3));
    }
}

TEST(ThreadPool, SecondInitWithTheSameCountTouchesNoThread) {
    test_home::switchLogOn();
    ThreadPool pool;
    ASSERT_TRUE(pool.init(3));
    const std::size_t mark = test_home::logLines().size();
    ASSERT_TRUE(pool.init(3));
    EXPECT_EQ(test_home::logLinesFrom(mark), std::vector<std::string>{"ThreadPool::init ()"});
}

TEST(ThreadPool, FreeFromInitIsIndentedUnderIt) {
    test_home::switchLogOn();
    ThreadPool pool;
    ASSERT_TRUE(pool.init(2));
    const std::size_t mark = test_home::logLines().size();
    ASSERT_TRUE(pool.init(3));
    const std::vector<std::string> lines = test_home::logLinesFrom(mark);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "ThreadPool::init ()");
    EXPECT_EQ(lines[1], "    ThreadPool::free ()");
    EXPECT_EQ(lines.back(), "    threads successfully initiated");
}

TEST(ThreadPool, FailedThreadCreationLeavesNoWorkerWithoutAThread) {
    ThreadPool pool;
    platform::setThreadCreationForTesting(platform::ThreadCreation::fails);
    EXPECT_FALSE(pool.init(4));
    platform::setThreadCreationForTesting(platform::ThreadCreation::normal);
    EXPECT_EQ(pool.workers(), 0);
    Recorder recorder;
    EXPECT_EQ(pool.iterate(5, recorder.asJob()), 0) << "nothing to wait for: the run cannot hang";
    EXPECT_EQ(recorder.calls.size(), 5u) << "the calling thread does the work";
    ASSERT_TRUE(pool.init(4));
    Recorder again;
    EXPECT_EQ(pool.iterate(8, again.asJob()), 0);
    EXPECT_EQ(again.calls.size(), 8u);
}

TEST(ThreadPool, TeardownAfterTheSystemEndedTheThreadsDoesNotHang) {
    test_home::switchLogOn();
    std::size_t mark = 0;
    {
        platform::setThreadCreationForTesting(platform::ThreadCreation::endsAtOnce);
        ThreadPool pool;
        ASSERT_TRUE(pool.init(4));
        platform::setThreadCreationForTesting(platform::ThreadCreation::normal);
        // Let the threads end, as the system has ended them by the time a process unloads.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        mark = test_home::logLines().size();
    }
    const std::vector<std::string> lines = test_home::logLinesFrom(mark);
    EXPECT_EQ(lines, (std::vector<std::string>{"ThreadPool::~ThreadPool()", "    ThreadPool::free ()",
                                               "        wait for thread 1 timed out",
                                               "        wait for thread 2 timed out",
                                               "        wait for thread 3 timed out"}));
}
