// A flag guarded by a mutex and a condition variable: the POSIX stand-in for a waitable
// kernel object (an event, or a thread that signals when it ends).
#pragma once

#include "platform/wait.h"

#include <cerrno>
#include <ctime>
#include <pthread.h>

namespace platform {

class SignalState {
public:
    SignalState() {
        pthread_condattr_t attributes;
        pthread_condattr_init(&attributes);
#if !defined(__APPLE__)
        pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
#endif
        pthread_cond_init(&changed_, &attributes);
        pthread_condattr_destroy(&attributes);
        pthread_mutex_init(&mutex_, nullptr);
    }
    ~SignalState() {
        pthread_cond_destroy(&changed_);
        pthread_mutex_destroy(&mutex_);
    }
    SignalState(const SignalState &) = delete;
    SignalState &operator=(const SignalState &) = delete;

    void set() {
        pthread_mutex_lock(&mutex_);
        signaled_ = true;
        pthread_cond_broadcast(&changed_);
        pthread_mutex_unlock(&mutex_);
    }

    void reset() {
        pthread_mutex_lock(&mutex_);
        signaled_ = false;
        pthread_mutex_unlock(&mutex_);
    }

    WaitResult wait(WaitTime time) {
        const timespec deadline = aMillisecondFromNow();
        pthread_mutex_lock(&mutex_);
        int status = 0;
        while (!signaled_ && status == 0) {
            status = time == WaitTime::forever ? pthread_cond_wait(&changed_, &mutex_) : waitUntil(deadline);
        }
        const bool signaled = signaled_;
        pthread_mutex_unlock(&mutex_);
        if (signaled) {
            return WaitResult::signaled;
        }
        return status == ETIMEDOUT ? WaitResult::timedOut : WaitResult::failed;
    }

private:
    // The short wait is timed on a clock that changes of the wall clock do not move: the
    // monotonic clock where condition variables can use it; macOS, where they cannot, waits a
    // relative millisecond instead (a spurious wake-up starts it again).
#if defined(__APPLE__)
    static timespec aMillisecondFromNow() { return {0, 1000000}; }
    int waitUntil(const timespec &interval) { return pthread_cond_timedwait_relative_np(&changed_, &mutex_, &interval); }
#else
    static timespec aMillisecondFromNow() {
        timespec deadline{};
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_nsec += 1000000;
        if (deadline.tv_nsec >= 1000000000) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000;
        }
        return deadline;
    }
    int waitUntil(const timespec &deadline) { return pthread_cond_timedwait(&changed_, &mutex_, &deadline); }
#endif

    pthread_mutex_t mutex_;
    pthread_cond_t changed_;
    bool signaled_ = false;
};

} // namespace platform
