// Threads with one start routine and one pointer argument, known by an opaque handle.
#pragma once

#include "platform/wait.h"

#include <cstdint>

namespace platform {

using ThreadRoutine = uint32_t (*)(void *argument);
using ThreadHandle = void *;

// Starts the thread at once with default security and stack size; null on failure.
ThreadHandle createThread(ThreadRoutine routine, void *argument);

// Waits for the thread to end. A null or closed handle fails.
WaitResult waitForThread(ThreadHandle thread, WaitTime time = WaitTime::forever);

// Gives up the handle; the thread itself runs on if it has not ended.
void closeThread(ThreadHandle thread);

} // namespace platform
