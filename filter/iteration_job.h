// A job for the worker threads: a context and a function called once per iteration.
#pragma once

#include <cstdint>

// Called with (context, iteration, iterationCount, threadIndex); 0 means carry on.
using IterationFunction = int32_t (*)(void *context, int32_t iteration, int32_t iterationCount, int32_t threadIndex);

struct IterationJob {
    void *context;
    IterationFunction function;
};

// Runs the job's iterations one after another on the calling thread, stopping at the first
// result other than `success`; returns the last result.
inline int32_t runSerially(int32_t iterationCount, const IterationJob &job, int32_t threadIndex, int32_t success) {
    int32_t result = success;
    for (int32_t i = 0; i < iterationCount && result == success; ++i) {
        result = job.function(job.context, i, iterationCount, threadIndex);
    }
    return result;
}
