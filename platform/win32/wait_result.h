// Turns a WaitForSingleObject answer into a WaitResult.
#pragma once

#include "platform/wait.h"

#include <windows.h>

namespace platform {

inline WaitResult waitOn(HANDLE handle, WaitTime time) {
    if (handle == nullptr) {
        return WaitResult::failed;
    }
    const DWORD answer = WaitForSingleObject(handle, time == WaitTime::forever ? INFINITE : 1);
    if (answer == WAIT_OBJECT_0) {
        return WaitResult::signaled;
    }
    return answer == WAIT_TIMEOUT ? WaitResult::timedOut : WaitResult::failed;
}

} // namespace platform
