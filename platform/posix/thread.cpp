#include "platform/thread.h"
#include "platform/posix/signal_state.h"

#include <atomic>
#include <new>
#include <pthread.h>

namespace platform {

namespace {

// Shared by the thread and its handle; whichever lets go last frees it, so closing the
// handle of a running thread is as safe as CloseHandle is on Windows.
struct PosixThread {
    PosixThread(ThreadRoutine routine, void *argument) : routine(routine), argument(argument) {}

    ThreadRoutine routine;
    void *argument;
    pthread_t id{};
    SignalState ended;
    std::atomic<int> owners{2};
};

void release(PosixThread *thread) {
    if (thread->owners.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete thread;
    }
}

void *runThread(void *record) {
    auto *thread = static_cast<PosixThread *>(record);
    thread->routine(thread->argument);
    thread->ended.set();
    release(thread);
    return nullptr;
}

} // namespace

ThreadHandle createThread(ThreadRoutine routine, void *argument) {
    auto *thread = new (std::nothrow) PosixThread(routine, argument);
    if (thread == nullptr) {
        return nullptr;
    }
    if (pthread_create(&thread->id, nullptr, runThread, thread) != 0) {
        delete thread;
        return nullptr;
    }
    pthread_detach(thread->id);
    return thread;
}

WaitResult waitForThread(ThreadHandle thread, WaitTime time) {
    if (thread == nullptr) {
        return WaitResult::failed;
    }
    return static_cast<PosixThread *>(thread)->ended.wait(time);
}

void closeThread(ThreadHandle thread) {
    if (thread != nullptr) {
        release(static_cast<PosixThread *>(thread));
    }
}

} // namespace platform
