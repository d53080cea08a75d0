#include "host/after_effects_host.h"

#include "diag/debug_log.h"
#include "identity/identity.h"
#include "params/parameter_objects.h"
#include "threads/thread_count.h"
#include "threads/thread_pool.h"
#include "threads/threaded_run.h"

#include <algorithm>
#include <cstring>

AfterEffectsHost::AfterEffectsHost(std::string name, std::string category, std::string description)
    : CorvanthisHost(std::move(name), std::move(category), std::move(description)) {}

AfterEffectsHost::~AfterEffectsHost() = default;

PF_Err AfterEffectsHost::progress(int32_t current, int32_t total, int32_t threadIndex) {
    const PF_Err success = noError();
    if (threadIndex != 0) {
        // Only the host's own thread may call the host; the others pick up what it recorded.
        if (interruptCode.load(std::memory_order_relaxed) == success) {
            return success;
        }
        logLine("Picking up progress interruption. Thread ID: ", threadIndex);
        return PF_Interrupt_CANCEL;
    }
    if (inData == nullptr || inData->inter.progress == nullptr) {
        return success;
    }
    const PF_Err answer = inData->inter.progress(inData->effect_ref, current, total);
    if (answer != success) {
        interruptCode.store(answer, std::memory_order_relaxed);
        logLine("PROGRESS Interrupt. Thread ID: ", 0);
    }
    return answer;
}

PF_Err AfterEffectsHost::getThreadCount(int32_t &count, int32_t limit) {
    PF_Err result = noError();
    count = 0;
    const PF_UtilCallbacks *utils = inData != nullptr ? inData->utils : nullptr;
    if (threadLimit > 0) {
        count = threadLimit;
    } else if (utils != nullptr && utils->iterate_generic != nullptr) {
        // The host calls back once per processor it uses.
        result = utils->iterate_generic(PF_Iterations_ONCE_PER_PROCESSOR, &count, countThreadsCallback);
        // Premiere does not document the callback: one that fails there leaves the frame to
        // the calling thread rather than failing it.
        if (result != noError() && inData->appl_id == PF_APPL_ID_PREMIERE) {
            count = 1;
            result = noError();
        }
    } else {
        return CorvanthisHost::getThreadCount(count, limit);
    }
    if (limit > 0) {
        count = std::min(count, limit);
    }
    // Never more workers than the pool has slots, never fewer than one.
    count = std::clamp(count, 1, 64);
    return result;
}

PF_Err AfterEffectsHost::runIterations(int32_t iterationCount, const IterationJob &job, int32_t threadIndex) {
    if (threadIndex < 0) {
        const ThreadedRunClaim claim;
        if (claim.owned()) {
            interruptCode.store(noError(), std::memory_order_relaxed);
            return CorvanthisHost::runIterations(iterationCount, job, -1);
        }
    }
    // Another run owns the pool, or the caller is a worker itself: run here, one after another.
    // A host thread whose run found the pool busy (another instance renders) runs as thread 0,
    // so it still asks its host for progress and can be cancelled; a pool thread never calls
    // the host.
    const int32_t index = threadIndex < 0 && !onPoolThread() ? 0 : threadIndex;
    return runSerially(iterationCount, job, index, noError());
}

void *AfterEffectsHost::allocate(std::size_t bytes) {
    // The handle is kept in the eight bytes in front of the block, so deallocate can find it.
    platform::LockGuard guard(memoryLock);
    if (!hostHandlesAvailable()) {
        return nullptr;
    }
    PF_Handle handle = inData->utils->host_new_handle(bytes + sizeof(PF_Handle));
    if (handle == nullptr) {
        return nullptr;
    }
    auto *block = static_cast<unsigned char *>(inData->utils->host_lock_handle(handle));
    if (block == nullptr) {
        inData->utils->host_dispose_handle(handle); // nobody else could ever give it back
        return nullptr;
    }
    std::memcpy(block, &handle, sizeof handle);
    return block + sizeof handle;
}

void AfterEffectsHost::deallocate(void *pointer) {
    platform::LockGuard guard(memoryLock);
    if (pointer == nullptr || !hostHandlesAvailable()) {
        return;
    }
    PF_Handle handle;
    std::memcpy(&handle, static_cast<unsigned char *>(pointer) - sizeof handle, sizeof handle);
    inData->utils->host_unlock_handle(handle);
    inData->utils->host_dispose_handle(handle);
}

bool AfterEffectsHost::hostHandlesAvailable() const {
    const PF_UtilCallbacks *utils = inData != nullptr ? inData->utils : nullptr;
    return utils != nullptr && utils->host_new_handle != nullptr && utils->host_lock_handle != nullptr &&
           utils->host_unlock_handle != nullptr && utils->host_dispose_handle != nullptr;
}

double AfterEffectsHost::currentFrame() {
    return static_cast<double>(inData->current_time) / static_cast<double>(inData->local_time_step);
}

double AfterEffectsHost::framesPerSecond() {
    return static_cast<double>(inData->time_scale) / static_cast<double>(inData->local_time_step);
}

void AfterEffectsHost::frameRange(double &first, double &last) {
    first = 0.0;
    last = static_cast<double>(inData->total_time) / static_cast<double>(inData->local_time_step) - 1.0;
}

bool AfterEffectsHost::hostFlag() { return true; }
double AfterEffectsHost::frameOf(const std::string &) { return currentFrame(); }
int32_t AfterEffectsHost::hostCode() { return 4; }

void AfterEffectsHost::setMessage(const std::string &text) {
    if (text.empty()) {
        return;
    }
    const std::size_t length = std::min(text.size(), PF_MAX_EFFECT_MSG_LEN);
    std::memcpy(outData->return_msg, text.data(), length);
    outData->return_msg[length] = '\0';
}

PF_ParamDef *AfterEffectsHost::parameterRecord(int32_t index) const {
    // Never read past the array the host (or a smart command) handed over.
    return params != nullptr && index >= 0 && index < paramsLength ? params[index] : nullptr;
}

void AfterEffectsHost::useParameterTable(PF_ParamDef **table, int32_t length) {
    params = table;
    paramsLength = length;
}

int32_t AfterEffectsHost::parameterCount() { return parameterCount_; }
