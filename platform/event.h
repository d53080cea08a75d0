// A manual-reset event: stays set until reset, releases every waiter while set.
#pragma once

#include "platform/wait.h"

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

private:
    void *handle_;
};

} // namespace platform
