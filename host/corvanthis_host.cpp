#include "host/corvanthis_host.h"

#include "identity/identity.h"
#include "diag/debug_log.h"
#include "platform/system.h"
#include "threads/thread_pool.h"

#include <algorithm>

CorvanthisHost::CorvanthisHost(std::string name, std::string category, std::string description)
    : effectName(std::move(name)), category(std::move(category)), versionMajor(identity::kVersionMajor),
      versionMinor(identity::kVersionMinor), versionBugfix(identity::kVersionBugfix),
      description(std::move(description)) {}

CorvanthisHost::~CorvanthisHost() = default;

PF_Err CorvanthisHost::progress(int32_t, int32_t, int32_t) { return noError(); }

void *CorvanthisHost::allocate(std::size_t bytes) { return new char[bytes]; }

void CorvanthisHost::deallocate(void *pointer) { delete[] static_cast<char *>(pointer); }

PF_Err CorvanthisHost::getThreadCount(int32_t &count, int32_t limit) {
    count = platform::processorCount();
    if (limit > 0) {
        count = std::min(count, limit);
    }
    count = std::clamp(count, 1, 64);
    return noError();
}

PF_Err CorvanthisHost::runIterations(int32_t iterationCount, const IterationJob &job, int32_t threadIndex) {
    noError();
    if (threadIndex >= 0) {
        return runSerially(iterationCount, job, threadIndex, noError());
    }
    // The pool is sized to every thread the host uses; the iterations are bounded by the caller.
    int32_t poolSize = 1;
    const PF_Err counted = getThreadCount(poolSize, -1);
    if (counted != noError()) {
        return counted; // as every host error: returned, and nothing is run
    }
    debugLog();
    ThreadPool &pool = threadPool();
    if (!pool.init(poolSize)) {
        // No threads could be started: the frame still renders, on the calling thread, which
        // as thread 0 still asks the host for progress.
        return runSerially(iterationCount, job, 0, noError());
    }
    return pool.iterate(iterationCount, job);
}

double CorvanthisHost::currentFrame() { return 0.0; }
double CorvanthisHost::framesPerSecond() { return 1.0; }
void CorvanthisHost::frameRange(double &, double &) {}
std::string CorvanthisHost::sourceName() { return "Source"; }
std::string CorvanthisHost::outputName() { return "Output"; }
bool CorvanthisHost::hostFlag() { return false; }
xParameterList &CorvanthisHost::parameterList() { return ownParameters; }
void CorvanthisHost::onUpdateParamsUI(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *) {}
void CorvanthisHost::onParamChanged(std::string) {}
double CorvanthisHost::frameOf(const std::string &) { return 0.0; }
void CorvanthisHost::mapRegion(const std::string &, PF_LRect &) {}
PF_Err CorvanthisHost::noError() { return PF_Err_NONE; }
int32_t CorvanthisHost::hostCode() { return 1; }
void CorvanthisHost::setMessage(const std::string &) {}
