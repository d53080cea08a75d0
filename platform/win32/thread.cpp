#include "platform/thread.h"
#include "platform/win32/wait_result.h"

#include <windows.h>

namespace platform {

namespace {

struct StartRecord {
    ThreadRoutine routine;
    void *argument;
};

DWORD WINAPI startThread(void *record) {
    const StartRecord start = *static_cast<StartRecord *>(record);
    delete static_cast<StartRecord *>(record);
    return start.routine(start.argument);
}

} // namespace

ThreadHandle createThread(ThreadRoutine routine, void *argument) {
    if (!applyThreadCreationSetting(routine, argument)) {
        return nullptr;
    }
    // ThreadRoutine and LPTHREAD_START_ROUTINE differ in type only on paper; a small record keeps
    // the call well defined without a cast between function types.
    auto *record = new StartRecord{routine, argument};
    HANDLE thread = CreateThread(nullptr, 0, startThread, record, 0, nullptr);
    if (thread == nullptr) {
        delete record;
    }
    return thread;
}

WaitResult waitForThread(ThreadHandle thread, WaitTime time) { return waitOn(static_cast<HANDLE>(thread), time); }

void closeThread(ThreadHandle thread) {
    if (thread != nullptr) {
        CloseHandle(static_cast<HANDLE>(thread));
    }
}

} // namespace platform
