#include "ofx/host_threads.h"

#include <algorithm>

int32_t HostThreads::progress(int32_t, int32_t, int32_t) {
    if (aborted()) {
        return kOfxStatFailed;
    }
    if (suites_.imageEffect->abort != nullptr && suites_.imageEffect->abort(instance_) != 0) {
        aborted_.store(true, std::memory_order_relaxed);
        return kOfxStatFailed;
    }
    return kOfxStatOK;
}

int32_t HostThreads::getThreadCount(int32_t &count, int32_t limit) {
    const OfxMultiThreadSuiteV1 *threads = suites_.multiThread;
    unsigned int processors = 1;
    if (threads == nullptr || threads->multiThread == nullptr || threads->multiThreadNumCPUs == nullptr ||
        threads->multiThreadNumCPUs(&processors) != kOfxStatOK) {
        processors = 1;
    }
    count = static_cast<int32_t>(std::clamp(processors, 1u, 1024u));
    if (limit > 0) {
        count = std::min(count, limit);
    }
    return kOfxStatOK;
}

int32_t HostThreads::runIterations(int32_t iterationCount, const IterationJob &job, int32_t threadIndex) {
    const OfxMultiThreadSuiteV1 *threads = suites_.multiThread;
    if (threadIndex < 0 && iterationCount > 1 && threads != nullptr && threads->multiThread != nullptr) {
        Run run{&job};
        if (threads->multiThread(runBand, static_cast<unsigned int>(iterationCount), &run) == kOfxStatOK) {
            return run.result.load();
        }
        // Refused (a nested call, say): every band again on this thread. Rendering a band
        // twice gives the same pixels, since the source is never the output.
    }
    return runSerially(iterationCount, job, std::max(threadIndex, 0), kOfxStatOK);
}

void HostThreads::runBand(unsigned int threadIndex, unsigned int threadMax, void *argument) {
    Run &run = *static_cast<Run *>(argument);
    const auto index = static_cast<int32_t>(threadIndex);
    const int32_t result = run.job->function(run.job->context, index, static_cast<int32_t>(threadMax), index);
    if (result != kOfxStatOK) {
        int32_t expected = kOfxStatOK;
        run.result.compare_exchange_strong(expected, result);
    }
}
