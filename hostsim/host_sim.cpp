#include "hostsim/host_sim.h"

#include "hostsim/handle_count.h"
#include "platform/system.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace hostsim {

namespace {

constexpr SPErr kSuiteNotFound = 0x53214664; // 'S!Fd'

} // namespace

HostSim::HostSim(PF_FilterProc entry) : EffectHost(entry), basicSuite_(inData().pica_basicP) {
    script_.processors = platform::processorCount();
}

PF_Err HostSim::send(PF_Cmd cmd, PF_ParamDef **params, void *extra) {
    inData().pica_basicP = script_.offerBasicSuite ? basicSuite_ : nullptr;
    return EffectHost::send(cmd, params, extra);
}

void HostSim::setWorlds(World *source, World *output) {
    sourceWorld_ = source;
    outputWorld_ = output;
    EffectHost::setWorlds(source, output);
}

PF_Err HostSim::renderField(PF_Field field) {
    if (sourceWorld_ == nullptr || outputWorld_ == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    PF_LayerDef output = outputWorld_->fieldLayer(field);
    inData().field = field;
    const PF_Err err = renderLayers(sourceWorld_->fieldLayer(field), &output);
    inData().field = PF_Field_FRAME;
    return err;
}

void HostSim::forgetObservations() {
    seen_.checkouts.clear();
    seen_.checkinIds.clear();
    seen_.addedParameters.clear();
    seen_.addIndexes.clear();
    seen_.layerRequests.clear();
    seen_.paramUIUpdates.clear();
}

bool HostSim::failsNow(const char *callback) {
    if (++seen_.hostCalls != script_.failCall) {
        return false;
    }
    seen_.failedCallback = callback;
    seen_.failedDuring = command();
    return true;
}

PF_Err HostSim::checkoutParam(PF_ParamIndex index, A_long time, A_long step, A_u_long scale, PF_ParamDef *param) {
    if (failsNow("checkout_param")) {
        return script_.failCode;
    }
    if (script_.checkoutError != PF_Err_NONE && (script_.checkoutErrorIndex < 0 || script_.checkoutErrorIndex == index)) {
        return script_.checkoutError;
    }
    const PF_Err err = EffectHost::checkoutParam(index, time, step, scale, param);
    if (err == PF_Err_NONE) {
        seen_.checkouts.push_back({index, time, step, scale});
    }
    return err;
}

PF_Err HostSim::checkinParam(PF_ParamDef *param) {
    if (param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    // A check-in the host fails still counts as given back by the effect.
    seen_.checkinIds.push_back(param->uu.id);
    return failsNow("checkin_param") ? script_.failCode : EffectHost::checkinParam(param);
}

PF_Err HostSim::addParam(PF_ParamIndex index, PF_ParamDef *def) {
    if (failsNow("add_param")) {
        return script_.failCode;
    }
    const int call = static_cast<int>(seen_.addedParameters.size()) + 1;
    if (script_.addParamError != PF_Err_NONE && call >= script_.addParamErrorFromCall) {
        return script_.addParamError;
    }
    const PF_Err err = EffectHost::addParam(index, def);
    if (err == PF_Err_NONE) {
        seen_.addedParameters.push_back(*def);
        seen_.addIndexes.push_back(index);
    }
    return err;
}

PF_Err HostSim::progress(A_long current, A_long total) {
    const int call = ++seen_.progressCalls;
    if (script_.duringProgress) {
        script_.duringProgress();
    }
    if (failsNow("progress")) {
        return script_.failCode;
    }
    return call >= script_.progressAnswerFromCall ? script_.progressAnswer : EffectHost::progress(current, total);
}

PF_Err HostSim::iterateGeneric(A_long iterations, void *refcon, PF_IterateGenericFunc function) {
    if (function == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    ++seen_.iterateGenericCalls;
    if (failsNow("iterate_generic")) {
        return script_.failCode;
    }
    if (script_.iterateGenericError != PF_Err_NONE) {
        return script_.iterateGenericError;
    }
    const A_long count = iterations == PF_Iterations_ONCE_PER_PROCESSOR ? script_.processors : iterations;
    if (!script_.iterateConcurrently) {
        return iterateInTurn(count, refcon, function);
    }
    std::vector<PF_Err> results(static_cast<std::size_t>(std::max<A_long>(count, 0)), PF_Err_NONE);
    std::vector<std::thread> threads;
    for (A_long i = 0; i < count; ++i) {
        threads.emplace_back([&, i] { results[static_cast<std::size_t>(i)] = function(refcon, i, i, count); });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    const auto failed = std::find_if(results.begin(), results.end(), [](PF_Err r) { return r != PF_Err_NONE; });
    return failed != results.end() ? *failed : PF_Err_NONE;
}

PF_Err HostSim::checkoutLayer(PF_ParamIndex index, const PF_RenderRequest *request, PF_CheckoutResult *result) {
    if (failsNow("checkout_layer")) {
        return script_.failCode;
    }
    const PF_Err err = EffectHost::checkoutLayer(index, request, result);
    if (err == PF_Err_NONE) {
        seen_.layerRequests.push_back(*request);
    }
    return err;
}

PF_Err HostSim::checkoutLayerPixels(PF_EffectWorld **pixels) {
    if (failsNow("checkout_layer_pixels")) {
        *pixels = nullptr;
        return script_.failCode;
    }
    ++seen_.layerPixelCheckouts;
    return EffectHost::checkoutLayerPixels(pixels);
}

PF_Err HostSim::checkoutOutput(PF_EffectWorld **output) {
    if (failsNow("checkout_output")) {
        *output = nullptr;
        return script_.failCode;
    }
    ++seen_.outputCheckouts;
    return EffectHost::checkoutOutput(output);
}

PF_Handle HostSim::newHandle(A_u_longlong size) {
    return failsNow("host_new_handle") ? nullptr : countedNewHandle(size);
}

void HostSim::disposeHandle(PF_Handle handle) { countedDisposeHandle(handle); }

void *HostSim::lockHandle(PF_Handle handle) {
    return failsNow("host_lock_handle") ? nullptr : EffectHost::lockHandle(handle);
}

SPErr HostSim::acquireSuite(const char *name, int32_t version, const void **suite) {
    if (failsNow("AcquireSuite")) {
        return script_.failCode;
    }
    if (script_.refuseSuites || (!script_.offerPixelFormatSuite && std::strcmp(name, kPFPixelFormatSuite) == 0)) {
        return kSuiteNotFound;
    }
    const SPErr err = EffectHost::acquireSuite(name, version, suite);
    if (err == 0) {
        ++seen_.suitesAcquired;
    }
    return err;
}

SPErr HostSim::releaseSuite(const char *name, int32_t version) {
    ++seen_.suitesReleased;
    return EffectHost::releaseSuite(name, version);
}

PF_Err HostSim::updateParamUI(PF_ParamIndex index, const PF_ParamDef *def) {
    seen_.paramUIUpdates.emplace_back(index, *def);
    return EffectHost::updateParamUI(index, def);
}

} // namespace hostsim
