// Rendering on the pool gives the same bytes whatever the number of threads, and two host
// threads may render at once.
#include "render_support.h"

#include <gtest/gtest.h>

#include "threads/threaded_run.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace {

// Fills a world with a varied pattern of channel bytes (floats kept finite).
void fillPattern(hostsim::World &world, unsigned seed) {
    const hostsim::WorldShape &shape = world.shape();
    for (int32_t y = 0; y < shape.height; ++y) {
        for (int32_t x = 0; x < shape.width; ++x) {
            if (shape.bitDepth == 32) {
                const auto f = [&](unsigned k) { return static_cast<float>((x * 31 + y * 17 + k * seed) % 1200) / 1000.0f; };
                world.set<float>(x, y, f(1), f(2), f(3), f(4));
            } else {
                unsigned char *p = world.channels<unsigned char>(x, y);
                for (int b = 0; b < world.bytesPerPixel(); ++b) {
                    p[b] = static_cast<unsigned char>(x * 13 + y * 7 + b * 29 + seed);
                }
            }
        }
    }
}

std::vector<unsigned char> renderWith(int processors, int depth, int32_t width, int32_t height, unsigned seed) {
    RenderHarness harness;
    harness.sim.script().processors = processors;
    harness.parameters.setFloat(kTiltUpwards, -0.375);
    harness.parameters.setCheckbox(kInvertY, 1);
    hostsim::World source({width, height, depth}), output({width, height, depth});
    fillPattern(source, seed);
    EXPECT_EQ(harness.render(source, output), PF_Err_NONE);
    EXPECT_TRUE(output.guardsIntact());
    return output.contents();
}

} // namespace

TEST(ThreadedRender, SameBytesWithOneTwoAndSixtyFourThreads) {
    for (int depth : {8, 16, 32}) {
        for (int32_t height : {1, 3, 4000}) {
            SCOPED_TRACE(std::to_string(depth) + " bits, " + std::to_string(height) + " rows");
            const std::vector<unsigned char> one = renderWith(1, depth, 7, height, 3);
            EXPECT_EQ(renderWith(2, depth, 7, height, 3), one);
            EXPECT_EQ(renderWith(64, depth, 7, height, 3), one);
        }
    }
}

TEST(ThreadedRender, TwoHostThreadsRenderAtOnce) {
    const std::vector<unsigned char> expectedA = renderWith(1, 16, 33, 300, 5);
    const std::vector<unsigned char> expectedB = renderWith(1, 32, 21, 250, 9);
    for (int round = 0; round < 10; ++round) {
        std::vector<unsigned char> a, b;
        std::thread first([&] { a = renderWith(2, 16, 33, 300, 5); });
        std::thread second([&] { b = renderWith(2, 32, 21, 250, 9); });
        first.join();
        second.join();
        ASSERT_EQ(a, expectedA);
        ASSERT_EQ(b, expectedB);
    }
}

TEST(ThreadedRender, AFrameThatFindsThePoolBusyStillAsksItsHostAndCanBeCancelled) {
    // Another instance holds the pool until this frame is done.
    RenderHarness holder;
    std::atomic<bool> release{false};
    auto hold = [](void *context, int32_t, int32_t, int32_t) {
        while (!static_cast<std::atomic<bool> *>(context)->load()) {
            std::this_thread::yield();
        }
        return 0;
    };
    std::thread other([&] {
        const hostsim::HostSim::Current current(holder.sim);
        holder.adapter.runIterations(1, IterationJob{&release, hold}, -1);
    });
    while (!ThreadedRunClaim::held()) {
        std::this_thread::yield();
    }

    RenderHarness busy;
    busy.sim.script().processors = 4;
    hostsim::World source({6, 5, 8}), output({6, 5, 8});
    EXPECT_EQ(busy.render(source, output), PF_Err_NONE);
    EXPECT_EQ(busy.sim.seen().progressCalls, 5) << "the host is asked after every row";
    busy.sim.script().progressAnswer = PF_Interrupt_CANCEL;
    busy.sim.script().progressAnswerFromCall = 7;
    EXPECT_EQ(busy.render(source, output), PF_Interrupt_CANCEL);

    release = true;
    other.join();
}

TEST(ThreadCount, NeverMoreThanThePoolsSlots) {
    RenderHarness harness;
    const hostsim::HostSim::Current current(harness.sim);
    int32_t count = 0;
    harness.sim.script().processors = 100;
    EXPECT_EQ(harness.adapter.getThreadCount(count, -1), PF_Err_NONE);
    EXPECT_EQ(count, 64);
    EXPECT_EQ(harness.adapter.getThreadCount(count, 3), PF_Err_NONE);
    EXPECT_EQ(count, 3) << "bounded by the rows";
    harness.adapter.threadLimit = 500;
    EXPECT_EQ(harness.adapter.getThreadCount(count, 0), PF_Err_NONE);
    EXPECT_EQ(count, 64);
    harness.adapter.threadLimit = 0;
    harness.sim.script().processors = 6;
    harness.sim.script().iterateConcurrently = true; // the host counts on six threads at once
    EXPECT_EQ(harness.adapter.getThreadCount(count, -1), PF_Err_NONE);
    EXPECT_EQ(count, 6);
    harness.sim.script().iterateGenericError = 1234;
    EXPECT_EQ(harness.adapter.getThreadCount(count, 10), 1234) << "the host's error is passed on";
    EXPECT_EQ(count, 1);
}
