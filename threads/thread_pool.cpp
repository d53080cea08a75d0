#include "threads/thread_pool.h"

#include "diag/debug_log.h"

#include <algorithm>

namespace {
thread_local bool poolThread = false;
} // namespace

bool onPoolThread() { return poolThread; }

ThreadPool &threadPool() {
    // The log is made first, so it is destroyed after the pool and takes the pool's last lines.
    debugLog();
    static ThreadPool pool;
    return pool;
}

ThreadPool::ThreadPool() {
    for (int32_t i = 0; i < kCapacity; ++i) {
        slots[i].pool = this;
        slots[i].index = i;
    }
    logLine("ThreadPool::ThreadPool()");
}

ThreadPool::~ThreadPool() {
    logLine("ThreadPool::~ThreadPool()");
    LogIndent indent;
    free();
}

bool ThreadPool::init(int32_t count) {
    logLine("ThreadPool::init ()");
    LogIndent indent;
    platform::LockGuard guard(poolLock);
    count = std::clamp(count, 1, kCapacity);
    if (count == workerCount) {
        return true;
    }
    if (workerCount > 0) {
        free();
    }
    for (int32_t i = 1; i < count; ++i) {
        WorkerSlot &slot = slots[i];
        slot.startEvent.reset();
        slot.doneEvent.reset();
        // The previous thread of this slot set it on its way out; the new one must set it again.
        slot.exitEvent.reset();
        // The exit event is set as the thread's last step in the module's code: once free sees
        // it, the module may be unloaded.
        threads[i] = platform::createThread(threadMain, &slot, &slot.exitEvent);
        if (threads[i] == nullptr) {
            // Stop the threads made so far and keep no worker that has no thread, so no later
            // run can wait for one.
            workerCount = i;
            free();
            workerCount = 0;
            return false;
        }
    }
    logLine("threads successfully initiated");
    workerCount = count;
    return true;
}

int32_t ThreadPool::iterate(int32_t iterations, const IterationJob &job) {
    logLine("ThreadPool::iterate (iterations(", iterations, "))");
    LogIndent indent;
    platform::LockGuard guard(poolLock);
    iterationCount = iterations;
    nextIteration = 0;
    jobFunction = job.function;
    jobContext = job.context;
    stopping = false;
    // Worker 0, the calling thread, works even when no thread could be started.
    for (int32_t i = 0; i < std::max(workerCount, 1); ++i) {
        slots[i].index = i;
        slots[i].result = 0;
    }
    for (int32_t i = 1; i < workerCount; ++i) {
        slots[i].doneEvent.reset();
        slots[i].startEvent.set();
    }
    slots[0].work();
    for (int32_t i = 1; i < workerCount; ++i) {
        logLine("waiting for thread ", i, " to finish");
        slots[i].doneEvent.waitSpinningFirst();
    }
    logLine("all threads finished");
    return slots[0].result;
}

void ThreadPool::free() {
    logLine("ThreadPool::free ()");
    LogIndent indent;
    stopping = true;
    for (int32_t i = 1; i < workerCount; ++i) {
        slots[i].startEvent.set();
    }
    for (int32_t i = 1; i < workerCount; ++i) {
        // A thread still on its way out times out here. One that has already ended (the
        // system ends them at process exit) or has no handle never sets its exit event:
        // set it on its behalf, so the wait below cannot hang.
        if (platform::waitForThread(threads[i], platform::WaitTime::oneMillisecond) !=
            platform::WaitResult::timedOut) {
            logLine("wait for thread ", i, " timed out");
            slots[i].exitEvent.set();
        }
    }
    for (int32_t i = 1; i < workerCount; ++i) {
        // The exit event, or the thread's end: at process exit the system may still be ending
        // a worker when the probe above ran (Wine ends them asynchronously), and a thread it
        // ends never sets its event.
        while (slots[i].exitEvent.wait(platform::WaitTime::oneMillisecond) == platform::WaitResult::timedOut &&
               platform::waitForThread(threads[i], platform::WaitTime::oneMillisecond) ==
                   platform::WaitResult::timedOut) {
        }
    }
    for (int32_t i = 1; i < workerCount; ++i) {
        if (threads[i] != nullptr) {
            platform::closeThread(threads[i]);
            threads[i] = nullptr;
        }
    }
}

uint32_t ThreadPool::threadMain(void *argument) {
    auto &slot = *static_cast<WorkerSlot *>(argument);
    ThreadPool &pool = *slot.pool;
    poolThread = true;
    for (;;) {
        slot.startEvent.waitSpinningFirst();
        logLine("thread ", slot.index, " started");
        if (pool.stopping) {
            break;
        }
        slot.work();
        slot.startEvent.reset();
        slot.doneEvent.set();
    }
    // The last line comes before the exit event, which the thread's own end sets (createThread):
    // once it is set the pool, and at unload the log and the module, may be gone.
    logLine("closing down thread ", slot.index);
    return 0;
}

void WorkerSlot::work() {
    for (;;) {
        int32_t k;
        {
            platform::LockGuard guard(pool->counterLock);
            k = pool->nextIteration++;
        }
        if (k >= pool->iterationCount || result != 0) {
            return;
        }
        result = pool->jobFunction(pool->jobContext, k, pool->iterationCount, index);
    }
}
