#include "platform/thread.h"
#include "platform/win32/wait_result.h"

#include <windows.h>

namespace platform {

namespace {

struct StartRecord {
    ThreadRoutine routine;
    void *argument;
    ManualResetEvent *ended;
};

} // namespace

// Runs the routine and returns the system event the thread must set on its way out, or null.
extern "C" void *zephyrineRunThread(void *record) {
    const StartRecord start = *static_cast<StartRecord *>(record);
    delete static_cast<StartRecord *>(record);
    start.routine(start.argument);
    return start.ended != nullptr ? start.ended->markSet() : nullptr;
}

// The thread's start routine. Its end jumps to SetEvent instead of calling it, so SetEvent
// returns straight to the system's thread start-up code with the thread's exit code (TRUE): once
// the event is set, no instruction of this module runs on the thread again. Code after a call
// would run after the event was set, and a waiter may unload the module at that moment (the pool
// at unload), so that code could run in memory that is no longer mapped.
extern "C" DWORD WINAPI zephyrineThreadStart(void *record);
asm(R"(
    .text
    .p2align 4
    .def zephyrineThreadStart; .scl 2; .type 32; .endef
    .seh_proc zephyrineThreadStart
zephyrineThreadStart:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    call zephyrineRunThread
    testq %rax, %rax
    jz 1f
    movq %rax, %rcx
    addq $40, %rsp
    rex.W jmp *__imp_SetEvent(%rip)
1:
    addq $40, %rsp
    ret
    .seh_endproc
)");

ThreadHandle createThread(ThreadRoutine routine, void *argument, ManualResetEvent *ended) {
    if (!applyThreadCreationSetting(routine, argument, ended)) {
        return nullptr;
    }
    // ThreadRoutine and LPTHREAD_START_ROUTINE differ in type only on paper; a small record keeps
    // the call well defined without a cast between function types.
    auto *record = new StartRecord{routine, argument, ended};
    HANDLE thread = CreateThread(nullptr, 0, zephyrineThreadStart, record, 0, nullptr);
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
