// What a render leaves behind in the host's process: no heap allocation once the first frame
// has set everything up, and the floating-point control state exactly as the host had it.
#include "render_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfenv>
#include <cstdlib>
#include <new>
#include <xmmintrin.h>

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
    const unsigned int hostControl = _mm_getcsr();
    // A host that rounds toward zero and flushes denormals: nothing may put its own state back.
    const unsigned int unusual = (hostControl & ~_MM_ROUND_MASK) | _MM_ROUND_TOWARD_ZERO | _MM_FLUSH_ZERO_ON | 0x0040;
    _mm_setcsr(unusual);
    for (int depth : {8, 16, 32}) {
        hostsim::World source({64, 48, depth}), output({64, 48, depth});
        EXPECT_EQ(harness.render(source, output), PF_Err_NONE);
        // The exception flags (the low six bits) are the arithmetic's to set; the rest is control.
        EXPECT_EQ(_mm_getcsr() & ~0x3Fu, unusual & ~0x3Fu) << depth;
    }
    _mm_setcsr(hostControl);
    EXPECT_EQ(std::fegetround(), hostRounding);
}
