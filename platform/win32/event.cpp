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

void ManualResetEvent::set() { SetEvent(handle_); }
void ManualResetEvent::reset() { ResetEvent(handle_); }
WaitResult ManualResetEvent::wait(WaitTime time) { return waitOn(handle_, time); }

} // namespace platform
