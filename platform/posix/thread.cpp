#include "platform/thread.h"
#include "platform/posix/signal_state.h"

#include <new>
#include <pthread.h>

namespace platform {

namespace {

struct PosixThread {
    PosixThread(ThreadRoutine routine, void *argument) : routine(routine), argument(argument) {}

    ThreadRoutine routine;
    void *argument;
    pthread_t id{};
    SignalState ended;
};

void *runThread(void *record) {
    auto *thread = static_cast<PosixThread *>(record);
    thread->routine(thread->argument);
    thread->ended.set();
    return nullptr;
}

} // namespace

ThreadHandle createThread(ThreadRoutine routine, void *argument) {
    if (!applyThreadCreationSetting(routine, argument)) {
        return nullptr;
    }
    auto *thread = new (std::nothrow) PosixThread(routine, argument);
    if (thread == nullptr) {
        return nullptr;
    }
    if (pthread_create(&thread->id, nullptr, runThread, thread) != 0) {
        delete thread;
        return nullptr;
    }
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
        auto *posixThread = static_cast<PosixThread *>(thread);
        pthread_join(posixThread->id, nullptr);
        delete posixThread;
    }
}

} // namespace platform
