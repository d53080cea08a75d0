// The process-wide pool and the progress protocol as a render uses them, read back from the log.
// The cases run in order: the first one is the process's first threaded render.
#include "render_support.h"
#include "test_home.h"

#include "filter/iteration_job.h"
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <set>
#include <string>
#include <vector>

namespace {

// Splits off the lines the pool threads write at their own pace.
std::vector<std::string> withoutStartedLines(const std::vector<std::string> &lines, std::set<std::string> &started) {
    std::vector<std::string> rest;
    for (const std::string &line : lines) {
        if (line.find(" started") != std::string::npos && line.find("thread ") != std::string::npos) {
            started.insert(line);
        } else {
            rest.push_back(line);
        }
    }
    return rest;
}

PF_Err renderFrame(RenderHarness &harness, int32_t width, int32_t height, hostsim::World &output) {
    hostsim::World source({width, height, 8});
    source.fill(0x80);
    output.fill(0x11);
    return harness.render(source, output);
}

// Renders a width × height 8-bit frame as a host with `processors` threads; the log lines it wrote.
std::vector<std::string> renderAndReadLog(RenderHarness &harness, int processors, hostsim::World &output,
                                          PF_Err expected = PF_Err_NONE) {
    harness.sim.script().processors = processors;
    const std::size_t mark = test_home::logLines().size();
    EXPECT_EQ(renderFrame(harness, output.shape().width, output.shape().height, output), expected);
    return test_home::logLinesFrom(mark);
}

int unwrittenRows(hostsim::World &output) {
    int rows = 0;
    for (int32_t y = 0; y < output.shape().height; ++y) {
        rows += output.get<uint8_t>(0, y) == std::vector<uint8_t>(4, 0x11) ? 1 : 0;
    }
    return rows;
}

const std::vector<std::string> kIterateBlock = {"ThreadPool::iterate (iterations(4))", "    waiting for thread 1 to finish",
                                                "    waiting for thread 2 to finish", "    waiting for thread 3 to finish",
                                                "    all threads finished"};
const std::set<std::string> kStarted = {"    thread 1 started", "    thread 2 started", "    thread 3 started"};

} // namespace

TEST(PoolLog, FirstRenderOnFourProcessors) {
    test_home::switchLogOn();
    RenderHarness harness;
    harness.sim.script().processors = 4;
    hostsim::World output({3, 8, 8});
    ASSERT_EQ(renderFrame(harness, 3, 8, output), PF_Err_NONE);
    std::set<std::string> started;
    const std::vector<std::string> lines = withoutStartedLines(test_home::logLinesFrom(0), started);
    std::vector<std::string> expected = {"ThreadPool::ThreadPool()", "ThreadPool::init ()",
                                         "    threads successfully initiated"};
    expected.insert(expected.end(), kIterateBlock.begin(), kIterateBlock.end());
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(started, kStarted);
}

TEST(PoolLog, LaterRenderWritesInitAndTheSameIterateBlock) {
    RenderHarness harness;
    hostsim::World output({3, 8, 8});
    std::set<std::string> started;
    const std::vector<std::string> lines = withoutStartedLines(renderAndReadLog(harness, 4, output), started);
    std::vector<std::string> expected = {"ThreadPool::init ()"};
    expected.insert(expected.end(), kIterateBlock.begin(), kIterateBlock.end());
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(started, kStarted);
}

TEST(PoolLog, CancelOnTheFirstRowOfThreadZero) {
    // Bands go first come, first served: when the pool threads happen to take every band before
    // the calling thread draws, the host is never asked. Render again until thread 0 got one.
    std::size_t mark = 0;
    for (int attempt = 0; attempt < 50; ++attempt) {
        RenderHarness harness;
        harness.sim.script().processors = 4;
        harness.sim.script().progressAnswer = 1234;
        mark = test_home::logLines().size();
        hostsim::World output({64, 4000, 8});
        const PF_Err result = renderFrame(harness, 64, 4000, output);
        if (harness.sim.seen().progressCalls == 0) {
            EXPECT_EQ(result, PF_Err_NONE);
            continue;
        }
        EXPECT_EQ(result, 1234) << "the host's own code, not 517";
        EXPECT_EQ(harness.sim.seen().progressCalls, 1) << "only thread 0 asks, and it stops at once";
        EXPECT_GT(unwrittenRows(output), 0);
        break;
    }

    const std::vector<std::string> lines = test_home::logLinesFrom(mark);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "    PROGRESS Interrupt. Thread ID: 0"), 1);
    std::set<std::string> pickUps;
    for (const std::string &line : lines) {
        if (line.find("Picking up progress interruption.") != std::string::npos) {
            EXPECT_TRUE(pickUps.insert(line).second) << "one pick-up line per thread: " << line;
        }
    }
    for (const std::string &line : pickUps) {
        EXPECT_TRUE(line == "    Picking up progress interruption. Thread ID: 1" ||
                    line == "    Picking up progress interruption. Thread ID: 2" ||
                    line == "    Picking up progress interruption. Thread ID: 3")
            << line;
    }
}

TEST(PoolLog, AHostThatNeverCancelsSeesEveryRowAndNoProgressLine) {
    RenderHarness harness;
    hostsim::World output({4, 400, 8});
    const std::vector<std::string> lines = renderAndReadLog(harness, 4, output);
    EXPECT_EQ(unwrittenRows(output), 0);
    for (const std::string &line : lines) {
        EXPECT_EQ(line.find("PROGRESS"), std::string::npos);
        EXPECT_EQ(line.find("Picking up"), std::string::npos);
    }
    EXPECT_LE(harness.sim.seen().progressCalls, 400) << "only thread 0 asks, once per row of its bands";
}

TEST(PoolLog, OneProcessorRunsOnTheCallingThreadAlone) {
    RenderHarness harness;
    hostsim::World output({3, 8, 8});
    const std::vector<std::string> lines = renderAndReadLog(harness, 1, output);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "ThreadPool::init ()");
    EXPECT_EQ(lines[1], "    ThreadPool::free ()") << "the old threads are stopped one level deeper";
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"    threads successfully initiated", "ThreadPool::iterate (iterations(1))",
                                         "    all threads finished"}));
    EXPECT_EQ(harness.sim.seen().progressCalls, 8) << "every row on thread 0";
}

TEST(PoolLog, FailedThreadStartRendersTheFrameOnTheCallingThread) {
    RenderHarness reference;
    reference.sim.script().processors = 1;
    hostsim::World expected({5, 30, 16});
    hostsim::World source({5, 30, 16});
    for (int32_t y = 0; y < 30; ++y) {
        source.set<uint16_t>(0, y, 32768, static_cast<uint16_t>(y * 1000), 16384, 30000);
    }
    ASSERT_EQ(reference.render(source, expected), PF_Err_NONE);

    RenderHarness harness;
    harness.sim.script().processors = 5;
    platform::setThreadCreationForTesting(platform::ThreadCreation::fails);
    hostsim::World output({5, 30, 16});
    const PF_Err result = harness.render(source, output);
    platform::setThreadCreationForTesting(platform::ThreadCreation::normal);
    EXPECT_EQ(result, PF_Err_NONE);
    EXPECT_EQ(output.contents(), expected.contents()) << "the frame is rendered, not reported as done";
    EXPECT_EQ(harness.sim.seen().progressCalls, 30) << "as thread 0, the calling thread still asks the host";

    hostsim::World again({5, 30, 16});
    ASSERT_EQ(harness.render(source, again), PF_Err_NONE) << "the pool starts again once threads can be made";
    EXPECT_EQ(again.contents(), expected.contents());
}

TEST(PoolLog, AFrameOfThreeRowsRunsThreeIterationsOnEightProcessors) {
    RenderHarness harness;
    hostsim::World output({5, 3, 8});
    const std::vector<std::string> lines = renderAndReadLog(harness, 8, output);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ThreadPool::iterate (iterations(3))"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "    waiting for thread 7 to finish"), 1)
        << "the pool holds every thread the host uses";
    EXPECT_EQ(unwrittenRows(output), 0);
}

namespace {

// A job of two iterations that, once both run at once (one on the calling thread, one on a
// pool thread), asks a second adapter for a threaded run of its own from each.
struct NestedRun {
    explicit NestedRun(ZephyrineAEHost *second) : second(second) {}
    ZephyrineAEHost *second;
    std::mutex lock;
    std::vector<int32_t> innerThreadIndexes;
    std::atomic<int> started{0};

    static int32_t inner(void *context, int32_t, int32_t, int32_t threadIndex) {
        auto *run = static_cast<NestedRun *>(context);
        const std::lock_guard<std::mutex> guard(run->lock);
        run->innerThreadIndexes.push_back(threadIndex);
        return 0;
    }
    static int32_t outer(void *context, int32_t, int32_t, int32_t) {
        auto *run = static_cast<NestedRun *>(context);
        ++run->started;
        while (run->started.load() < 2) {
            std::this_thread::yield();
        }
        return run->second->runIterations(3, IterationJob{run, inner}, -1);
    }
};

} // namespace

TEST(PoolLog, ARunAskedForWhileAnotherIsUnderWayRunsSerially) {
    RenderHarness first, second;
    first.sim.script().processors = 2;
    second.sim.script().processors = 2;
    NestedRun run(&second.adapter);
    const hostsim::HostSim::Current current(first.sim);
    EXPECT_EQ(first.adapter.runIterations(2, IterationJob{&run, NestedRun::outer}, -1), PF_Err_NONE);
    // The calling thread's nested run is thread 0 (it may ask its host); the pool thread's is
    // -1 (it never calls the host).
    std::sort(run.innerThreadIndexes.begin(), run.innerThreadIndexes.end());
    EXPECT_EQ(run.innerThreadIndexes, (std::vector<int32_t>{-1, -1, -1, 0, 0, 0}));
}
