// Threads with one start routine and one pointer argument, known by an opaque handle.
#pragma once

#include "platform/event.h"
#include "platform/wait.h"

#include <cstdint>

namespace platform {

using ThreadRoutine = uint32_t (*)(void *argument);
using ThreadHandle = void *;

// Starts the thread at once with default security and stack size; null on failure. `ended`, when
// given, is set once the routine has returned, as the thread's very last step in this module's
// code: whoever sees it set may unload the module at once, even while the system still holds
// the thread (at unload it waits for the loader lock, which the unloading thread holds).
ThreadHandle createThread(ThreadRoutine routine, void *argument, ManualResetEvent *ended = nullptr);

// Waits for the thread to end. A null or closed handle fails.
WaitResult waitForThread(ThreadHandle thread, WaitTime time = WaitTime::forever);

// Gives up the handle of a thread that has ended or has been told to end. On POSIX it waits
// until the thread has left the module's code, which may be unloaded next; on Windows the
// system holds an exiting thread at the loader lock instead.
void closeThread(ThreadHandle thread);

// For tests: makes createThread fail, or start threads that end at once without running their
// routine or setting `ended` (as when the system has ended a process's threads). Nothing else
// changes it.
enum class ThreadCreation { normal, fails, endsAtOnce };
void setThreadCreationForTesting(ThreadCreation creation);

// Applies the test setting to one creation; false when the creation must fail.
bool applyThreadCreationSetting(ThreadRoutine &routine, void *&argument, ManualResetEvent *&ended);

} // namespace platform
