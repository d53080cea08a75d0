// The process-wide pool of worker threads. Threads are made by `init`, sleep on an event
// between runs and are replaced only when a different number is asked for. A run hands the
// workers (the calling thread as worker 0, up to 63 threads) iteration numbers from a shared
// counter, first come first served.
#pragma once

#include "filter/iteration_job.h"
#include "platform/event.h"
#include "platform/lock.h"
#include "platform/thread.h"

#include <cstdint>

class ThreadPool;

class WorkerSlot {
public:
    // Draws iterations and runs the job until the counter is exhausted or the job fails.
    void work();

    ThreadPool *pool = nullptr;
    int32_t index = 0;
    int32_t result = 0; // written only by this slot's worker during a run
    // Declared in creation order; destroyed in reverse (exit, done, start).
    platform::ManualResetEvent startEvent;
    platform::ManualResetEvent doneEvent;
    platform::ManualResetEvent exitEvent;
};

class ThreadPool {
public:
    static constexpr int32_t kCapacity = 64;

    ThreadPool();
    ~ThreadPool();
    ThreadPool(const ThreadPool &) = delete;
    ThreadPool &operator=(const ThreadPool &) = delete;

    // Makes the pool have `count` workers (the caller included); false when a thread could not
    // be started, in which case the pool is left with no threads.
    bool init(int32_t count);
    // Runs the job over iterations 0..iterationCount-1 on every worker; worker 0's result.
    int32_t iterate(int32_t iterationCount, const IterationJob &job);
    // Stops every worker thread, waits for each and closes its handle.
    void free();

    int32_t workers() const { return workerCount; }

private:
    friend class WorkerSlot;
    static uint32_t threadMain(void *slot);

    int32_t workerCount = 0;
    int32_t iterationCount = 0;
    int32_t nextIteration = 0;
    void *jobContext = nullptr;
    IterationFunction jobFunction = nullptr;
    bool stopping = false;
    platform::Lock counterLock;
    platform::Lock poolLock;
    platform::ThreadHandle threads[kCapacity] = {};
    WorkerSlot slots[kCapacity];
};

// The one pool of the process, made on first use (after the log) and destroyed at unload.
ThreadPool &threadPool();

// Whether the calling thread is one of the pool's own threads (not a host thread).
bool onPoolThread();
