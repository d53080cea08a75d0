// The filter's services on an OpenFX host: a render polls the host's abort once per row and
// spreads its bands over the host's threads through the multithread suite, or runs them on
// the calling thread when the host offers none.
#pragma once

#include "filter/iteration_job.h"
#include "ofx/host_suites.h"

#include <atomic>
#include <cstdint>

class HostThreads {
public:
    HostThreads(const HostSuites &suites, OfxImageEffectHandle instance) : suites_(suites), instance_(instance) {}

    int32_t noError() const { return kOfxStatOK; }
    // Stops every band once the host asked for the render to be dropped.
    int32_t progress(int32_t current, int32_t total, int32_t threadIndex);
    // The host's allowance of threads (not the machine's), at most `limit`.
    int32_t getThreadCount(int32_t &count, int32_t limit);
    // The bands are as many as the host starts threads for, which may be fewer than asked.
    int32_t runIterations(int32_t iterationCount, const IterationJob &job, int32_t threadIndex);

    bool aborted() const { return aborted_.load(std::memory_order_relaxed); }

private:
    struct Run {
        const IterationJob *job;
        std::atomic<int32_t> result{kOfxStatOK};
    };
    static void runBand(unsigned int threadIndex, unsigned int threadMax, void *run);

    const HostSuites &suites_;
    OfxImageEffectHandle instance_;
    std::atomic<bool> aborted_{false};
};
