#include "platform/thread.h"
#include "platform/posix/signal_state.h"

#include <new>
#include <pthread.h>

namespace platform {

namespace {

struct PosixThread {
    PosixThread(ThreadRoutine routine, void *argument, ManualResetEvent *ended)
        : routine(routine), argument(argument), endedEvent(ended) {}

    ThreadRoutine routine;
    void *argument;
    ManualResetEvent *endedEvent;
    pthread_t id{};
    SignalState ended;
};

void *runThread(void *record) {
    auto *thread = static_cast<PosixThread *>(record);
    thread->routine(thread->argument);
    // A waiter that sees this goes on to closeThread, which joins the thread: the module stays
    // mapped until the thread has left it.
    if (thread->endedEvent != nullptr) {
        thread->endedEvent->set();
    }
    thread->ended.set();
    return nullptr;
}

} // namespace

ThreadHandle createThread(ThreadRoutine routine, void *argument, ManualResetEvent *ended) {
    if (!applyThreadCreationSetting(routine, argument, ended)) {
        return nullptr;
    }
    auto *thread = new (std::nothrow) PosixThread(routine, argument, ended);
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
