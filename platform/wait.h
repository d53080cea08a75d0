// What a wait on an event or a thread can come back with.
#pragma once

namespace platform {

enum class WaitTime {
    forever,
    oneMillisecond, // a probe: tells whether the object is already signalled
};

enum class WaitResult {
    signaled,
    timedOut,
    failed,
};

} // namespace platform
