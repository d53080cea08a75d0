// A manual-reset event: stays set until reset, releases every waiter while set.
#pragma once

#include "platform/wait.h"

#include <atomic>

namespace platform {

class ManualResetEvent {
public:
    ManualResetEvent(); // unnamed, initially not set
    ~ManualResetEvent();
    ManualResetEvent(const ManualResetEvent &) = delete;
    ManualResetEvent &operator=(const ManualResetEvent &) = delete;

    bool valid() const { return handle_ != nullptr; }
    void set();
    void reset();
    WaitResult wait(WaitTime time = WaitTime::forever);
    // Waits forever, but first watches the state for a few tens of microseconds without
    // sleeping: the pool's hand-offs follow each other far quicker than a sleeping thread wakes.
    WaitResult waitSpinningFirst();
    bool isSet() const { return signaled_.load(std::memory_order_acquire); }
    // The first half of `set`, for a caller that must make the system call itself (a thread
    // whose last step in this module is setting the event): records the state for spinning
    // waiters and returns the system object to set.
    void *markSet();

private:
    void setSystemEvent();
    void resetSystemEvent();

    void *handle_;
    // Mirrors the system object's state, so a spinning waiter reads it without a system call.
    std::atomic<bool> signaled_{false};
};

} // namespace platform
