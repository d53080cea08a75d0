#include "platform/event.h"
#include "platform/win32/wait_result.h"

#include <windows.h>

namespace platform {

ManualResetEvent::ManualResetEvent() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

ManualResetEvent::~ManualResetEvent() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
    }
}

void ManualResetEvent::setSystemEvent() { SetEvent(handle_); }
void ManualResetEvent::resetSystemEvent() { ResetEvent(handle_); }
WaitResult ManualResetEvent::wait(WaitTime time) { return waitOn(handle_, time); }

} // namespace platform
