#include "host/after_effects_host.h"

#include "host/identity.h"
#include "params/parameter_objects.h"

#include <algorithm>
#include <cstring>

AfterEffectsHost::AfterEffectsHost(std::string name, std::string category, std::string description)
    : CorvanthisHost(std::move(name), std::move(category), std::move(description)) {}

AfterEffectsHost::~AfterEffectsHost() = default;

PF_Err AfterEffectsHost::progress(int32_t current, int32_t total, int32_t threadIndex) {
    const PF_Err success = noError();
    if (threadIndex != 0) {
        // Only the host's own thread may call the host; the others pick up what it recorded.
        return interruptCode.load(std::memory_order_relaxed) == success ? success : PF_Interrupt_CANCEL;
    }
    if (inData == nullptr || inData->inter.progress == nullptr) {
        return success;
    }
    const PF_Err answer = inData->inter.progress(inData->effect_ref, current, total);
    if (answer != success) {
        interruptCode.store(answer, std::memory_order_relaxed);
    }
    return answer;
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
    // The host's array holds num_params entries; never read past it.
    const bool inArray = index >= 0 && (inData == nullptr || index < inData->num_params);
    return params != nullptr && inArray ? params[index] : nullptr;
}

int32_t AfterEffectsHost::parameterCount() { return parameterCount_; }

int32_t AfterEffectsHost::layerInput(int32_t, std::string &) { return -1; }
