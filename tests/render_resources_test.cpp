// What a render leaves behind in the host's process: no heap allocation once the first frame
// has set everything up, and the floating-point control state exactly as the host had it.
#include "float_control.h"
#include "render_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfenv>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

void *allocate(std::size_t bytes) {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void *block = std::malloc(bytes == 0 ? 1 : bytes)) {
        return block;
    }
    throw std::bad_alloc();
}

} // namespace

// Every allocation of this process goes through these while a test counts.
void *operator new(std::size_t bytes) { return allocate(bytes); }
void *operator new[](std::size_t bytes) { return allocate(bytes); }
void *operator new(std::size_t bytes, const std::nothrow_t &) noexcept {
    try {
        return allocate(bytes);
    } catch (...) {
        return nullptr;
    }
}
void *operator new[](std::size_t bytes, const std::nothrow_t &tag) noexcept { return operator new(bytes, tag); }
void operator delete(void *block) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }
void operator delete[](void *block, std::size_t) noexcept { std::free(block); }

TEST(RenderResources, AFrameAfterTheFirstAllocatesNothing) {
    // The driver's whole run: thread count, the pool and its log lines (the log is off), every
    // band of the filter and the progress calls. The first frame starts the pool's threads.
    RenderHarness harness;
    for (int depth : {8, 16, 32}) {
        SCOPED_TRACE(depth);
        hostsim::World source({64, 48, depth}), output({64, 48, depth});
        source.fill(0x5A);
        ASSERT_EQ(harness.render(source, output), PF_Err_NONE);
        allocations = 0;
        counting = true;
        const PF_Err err = harness.render(source, output);
        counting = false;
        EXPECT_EQ(err, PF_Err_NONE);
        EXPECT_EQ(allocations.load(), 0);
    }
}

TEST(RenderResources, TheHostsFloatingPointStateIsLeftAsItWas) {
    RenderHarness harness;
    const int hostRounding = std::fegetround();
    const uint64_t hostControl = float_control::get();
    // A host that rounds toward zero and flushes denormals: nothing may put its own state back.
    const uint64_t unusual = float_control::withDenormalsFlushed(
        float_control::withRounding(hostControl, float_control::Rounding::towardZero));
    float_control::set(unusual);
    for (int depth : {8, 16, 32}) {
        hostsim::World source({64, 48, depth}), output({64, 48, depth});
        EXPECT_EQ(harness.render(source, output), PF_Err_NONE);
        // The exception flags are the arithmetic's to set; the rest is control.
        EXPECT_EQ(float_control::settings(float_control::get()), float_control::settings(unusual)) << depth;
    }
    float_control::set(hostControl);
    EXPECT_EQ(std::fegetround(), hostRounding);
}
