// The After Effects adapter's services: host memory, time, messages and progress.
#include "host/zephyrine_ae_host.h"

#include "embedhost/host_handles.h"
#include "hostsim/handle_count.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Adapter : ZephyrineAEHost {
    Adapter() : ZephyrineAEHost("Zephyrine", "Mirovanth", "text") {
        utils.host_new_handle = counted;
        utils.host_lock_handle = lockOrRefuse;
        utils.host_unlock_handle = embedhost::unlockHandle;
        utils.host_dispose_handle = hostsim::countedDisposeHandle;
        in.utils = &utils;
        in.inter.progress = answerProgress;
        inData = &in;
        outData = &out;
    }

    static PF_Handle counted(A_u_longlong size) {
        lastHandleSize = size;
        return refuseHandles ? nullptr : hostsim::countedNewHandle(size);
    }
    static void *lockOrRefuse(PF_Handle handle) { return refuseLocks ? nullptr : embedhost::lockHandle(handle); }
    static PF_Err answerProgress(PF_ProgPtr, A_long, A_long) { return progressAnswer; }

    static inline A_u_longlong lastHandleSize = 0;
    static inline bool refuseHandles = false;
    static inline bool refuseLocks = false;
    static inline PF_Err progressAnswer = PF_Err_NONE;

    PF_UtilCallbacks utils{};
    PF_InData in{};
    PF_OutData out{};
};

} // namespace

TEST(HostMemory, AllocateAsksForEightBytesMoreAndDeallocateGivesItBack) {
    Adapter adapter;
    const long before = hostsim::outstandingHandles();
    void *block = adapter.allocate(0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Adapter::lastHandleSize, 8u);
    void *larger = adapter.allocate(100);
    ASSERT_NE(larger, nullptr);
    std::memset(larger, 0xAB, 100);
    EXPECT_EQ(Adapter::lastHandleSize, 108u);
    EXPECT_EQ(hostsim::outstandingHandles(), before + 2);
    adapter.deallocate(block);
    adapter.deallocate(larger);
    adapter.deallocate(nullptr);
    EXPECT_EQ(hostsim::outstandingHandles(), before);
}

TEST(HostMemory, RefusedHandleGivesNull) {
    Adapter adapter;
    Adapter::refuseHandles = true;
    EXPECT_EQ(adapter.allocate(16), nullptr);
    Adapter::refuseHandles = false;
    const long before = hostsim::outstandingHandles();
    Adapter::refuseLocks = true;
    EXPECT_EQ(adapter.allocate(16), nullptr) << "a handle that cannot be locked";
    Adapter::refuseLocks = false;
    EXPECT_EQ(hostsim::outstandingHandles(), before) << "the handle that could not be locked is disposed of";
    adapter.in.utils = nullptr;
    EXPECT_EQ(adapter.allocate(16), nullptr) << "a host without utility callbacks";
}

TEST(HostTime, FramesFromHostTimes) {
    Adapter adapter;
    adapter.in.current_time = 250;
    adapter.in.local_time_step = 100;
    adapter.in.time_scale = 2400;
    adapter.in.total_time = 1000;
    EXPECT_EQ(adapter.currentFrame(), 2.5);
    EXPECT_EQ(adapter.frameOf("any name"), 2.5);
    EXPECT_EQ(adapter.framesPerSecond(), 24.0);
    double first = -1, last = -1;
    adapter.frameRange(first, last);
    EXPECT_EQ(first, 0.0);
    EXPECT_EQ(last, 9.0);
}

TEST(HostMessage, CopiesAtMost255CharactersAndLeavesOnEmpty) {
    Adapter adapter;
    adapter.setMessage("hello");
    EXPECT_STREQ(adapter.out.return_msg, "hello");
    adapter.setMessage("");
    EXPECT_STREQ(adapter.out.return_msg, "hello");
    adapter.setMessage(std::string(400, 'x'));
    EXPECT_EQ(std::strlen(adapter.out.return_msg), 255u);
}

TEST(Progress, OnlyThreadZeroAsksTheHostAndOthersPickUpTheInterruption) {
    Adapter adapter;
    EXPECT_EQ(adapter.progress(0, 1, 0), PF_Err_NONE);
    EXPECT_EQ(adapter.progress(0, 1, -1), PF_Err_NONE);

    Adapter::progressAnswer = 1234;
    EXPECT_EQ(adapter.progress(0, 1, 3), PF_Err_NONE) << "a pool thread never asks the host";
    EXPECT_EQ(adapter.progress(0, 1, 0), 1234) << "thread 0 returns the host's own code";
    EXPECT_EQ(adapter.progress(0, 1, 3), PF_Interrupt_CANCEL);
    EXPECT_EQ(adapter.progress(0, 1, -1), PF_Interrupt_CANCEL);
    Adapter::progressAnswer = PF_Err_NONE;
}
