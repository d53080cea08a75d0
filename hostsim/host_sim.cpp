#include "hostsim/host_sim.h"

#include "hostsim/host_handles.h"

#include "platform/system.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace hostsim {

namespace {

int ansiSprintf(A_char *destination, const A_char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsprintf(destination, format, arguments);
    va_end(arguments);
    return written;
}

A_char *ansiStrcpy(A_char *destination, const A_char *source) { return std::strcpy(destination, source); }

thread_local HostSim *currentHost = nullptr;

} // namespace

HostSim::Current::Current(HostSim &host) : previous_(currentHost) { currentHost = &host; }
HostSim::Current::~Current() { currentHost = previous_; }

HostSim::HostSim(PF_FilterProc entry) : entry_(entry) {
    script_.processors = platform::processorCount();
    in_.inter.checkout_param = checkoutParam;
    in_.inter.checkin_param = checkinParam;
    in_.inter.add_param = addParam;
    in_.inter.progress = progress;

    utils_.host_new_handle = newHandle;
    utils_.host_lock_handle = lockHandle;
    utils_.host_unlock_handle = unlockHandle;
    utils_.host_dispose_handle = disposeHandle;
    utils_.host_get_handle_size = handleSize;
    utils_.ansi.sprintf = ansiSprintf;
    utils_.ansi.strcpy = ansiStrcpy;
    utils_.iterate_generic = iterateGeneric;
    in_.utils = &utils_;

    in_.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in_.quality = 1;
    in_.appl_id = PF_APPL_ID_AFTER_EFFECTS;
    claimVersion(13, 28);
    in_.time_step = 1;
    in_.local_time_step = 1;
    in_.total_time = 1;
    in_.time_scale = 24;
    in_.downsample_x = {1, 1};
    in_.downsample_y = {1, 1};
    in_.pixel_aspect_ratio = {1, 1};
}

void HostSim::claimVersion(A_short major, A_short minor) {
    in_.version.major = major;
    in_.version.minor = minor;
}

PF_Err HostSim::send(PF_Cmd cmd, void *extra) { return send(cmd, parameters_.pointers(), extra); }

PF_Err HostSim::send(PF_Cmd cmd, PF_ParamDef **params, void *extra) {
    in_.num_params = parameters_.size();
    const Current current(*this);
    return entry_(cmd, &in_, &out_, params, &output_, extra);
}

HostSim &HostSim::from(PF_ProgPtr effectRef) { return *reinterpret_cast<HostSim *>(effectRef); }

PF_Err HostSim::checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step, A_u_long scale,
                              PF_ParamDef *param) {
    HostSim &host = from(ref);
    if (host.script_.checkoutError != PF_Err_NONE) {
        return host.script_.checkoutError;
    }
    if (!host.parameters_.contains(index) || param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    host.seen_.checkouts.push_back({index, time, step, scale});
    *param = host.parameters_.at(index);
    return PF_Err_NONE;
}

PF_Err HostSim::checkinParam(PF_ProgPtr ref, PF_ParamDef *param) {
    if (param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    ++from(ref).seen_.checkins;
    return PF_Err_NONE;
}

PF_Err HostSim::addParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDef *def) {
    HostSim &host = from(ref);
    const int call = static_cast<int>(host.seen_.addedParameters.size()) + 1;
    if (host.script_.addParamError != PF_Err_NONE && call >= host.script_.addParamErrorFromCall) {
        return host.script_.addParamError;
    }
    host.seen_.addedParameters.push_back(*def);
    host.seen_.addIndexes.push_back(index);
    return PF_Err_NONE;
}

PF_Err HostSim::progress(PF_ProgPtr ref, A_long, A_long) {
    HostSim &host = from(ref);
    const int call = ++host.seen_.progressCalls;
    return call >= host.script_.progressAnswerFromCall ? host.script_.progressAnswer : PF_Err_NONE;
}

PF_Err HostSim::iterateGeneric(A_long iterations, void *refcon, PF_IterateGenericFunc function) {
    HostSim *host = currentHost;
    if (host == nullptr || function == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    ++host->seen_.iterateGenericCalls;
    if (host->script_.iterateGenericError != PF_Err_NONE) {
        return host->script_.iterateGenericError;
    }
    const A_long count = iterations == PF_Iterations_ONCE_PER_PROCESSOR ? host->script_.processors : iterations;
    if (!host->script_.iterateConcurrently) {
        PF_Err result = PF_Err_NONE;
        for (A_long i = 0; i < count && result == PF_Err_NONE; ++i) {
            result = function(refcon, 0, i, count);
        }
        return result;
    }
    std::vector<PF_Err> results(static_cast<std::size_t>(count > 0 ? count : 0), PF_Err_NONE);
    std::vector<std::thread> threads;
    for (A_long i = 0; i < count; ++i) {
        threads.emplace_back([&, i] { results[static_cast<std::size_t>(i)] = function(refcon, i, i, count); });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (PF_Err result : results) {
        if (result != PF_Err_NONE) {
            return result;
        }
    }
    return PF_Err_NONE;
}

} // namespace hostsim
