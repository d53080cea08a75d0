#include "platform/event.h"
#include "platform/posix/signal_state.h"

#include <new>

namespace platform {

static SignalState *state(void *handle) { return static_cast<SignalState *>(handle); }

ManualResetEvent::ManualResetEvent() : handle_(new (std::nothrow) SignalState) {}
ManualResetEvent::~ManualResetEvent() { delete state(handle_); }
void ManualResetEvent::setSystemEvent() { state(handle_)->set(); }
void ManualResetEvent::resetSystemEvent() { state(handle_)->reset(); }

WaitResult ManualResetEvent::wait(WaitTime time) {
    return handle_ == nullptr ? WaitResult::failed : state(handle_)->wait(time);
}

} // namespace platform
