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

// Gives up the handle of a thread that has ended or has been told to end. On POSIX it waits
// until the thread has left the module's code, which may be unloaded next; on Windows the
// system holds an exiting thread at the loader lock instead.
void closeThread(ThreadHandle thread);

// For tests: makes createThread fail, or start threads that end at once without running their
// routine (as when the system has ended a process's threads). Nothing else changes it.
enum class ThreadCreation { normal, fails, endsAtOnce };
void setThreadCreationForTesting(ThreadCreation creation);

// Applies the test setting to one creation; false when the creation must fail.
bool applyThreadCreationSetting(ThreadRoutine &routine, void *&argument);

} // namespace platform
