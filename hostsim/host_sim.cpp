#include "hostsim/host_sim.h"

#include "hostsim/host_handles.h"
#include "platform/system.h"

#include <algorithm>
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

constexpr SPErr kSuiteNotFound = 0x53214664; // 'S!Fd'

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

    utils_.host_new_handle = newHandleCallback;
    utils_.host_lock_handle = lockHandleCallback;
    utils_.host_unlock_handle = unlockHandle;
    utils_.host_dispose_handle = disposeHandle;
    utils_.host_get_handle_size = handleSize;
    utils_.ansi.sprintf = ansiSprintf;
    utils_.ansi.strcpy = ansiStrcpy;
    utils_.iterate_generic = iterateGeneric;
    in_.utils = &utils_;

    in_.pica_basicP = &basic_;
    basic_.AcquireSuite = acquireSuite;
    basic_.ReleaseSuite = releaseSuite;
    paramUtils_.PF_UpdateParamUI = updateParamUI;
    pixelFormats_ = {addSupportedPixelFormat,
                     clearSupportedPixelFormats,
                     newWorldOfPixelFormat,
                     disposeWorld,
                     getPixelFormat,
                     blackFor,
                     whiteFor,
                     convertColor};
    preRenderCallbacks_.checkout_layer = checkoutLayer;
    smartRenderCallbacks_.checkout_layer_pixels = checkoutLayerPixels;
    smartRenderCallbacks_.checkout_output = checkoutOutput;

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

void HostSim::setWorlds(World *source, World *output) {
    sourceWorld_ = source;
    outputWorld_ = output;
    if (source != nullptr) {
        in_.width = source->layer().width;
        in_.height = source->layer().height;
        in_.extent_hint = source->layer().extent_hint;
    }
}

PF_Err HostSim::send(PF_Cmd cmd, void *extra) { return send(cmd, parameters_.pointers(), extra); }

PF_Err HostSim::send(PF_Cmd cmd, PF_ParamDef **params, void *extra) {
    in_.num_params = parameters_.size();
    in_.pica_basicP = script_.offerBasicSuite ? &basic_ : nullptr;
    const Current current(*this);
    PF_LayerDef *output = &output_;
    if (cmd == PF_Cmd_RENDER && outputWorld_ != nullptr) {
        output = renderOutput_ != nullptr ? renderOutput_ : &outputWorld_->layer();
    }
    command_ = cmd;
    const PF_Err err = entry_(cmd, &in_, &out_, params, output, extra);
    command_ = -1;
    return err;
}

bool HostSim::failsNow(const char *callback) {
    if (++seen_.hostCalls != script_.failCall) {
        return false;
    }
    seen_.failedCallback = callback;
    seen_.failedDuring = command_;
    return true;
}

PF_Handle HostSim::newHandleCallback(A_u_longlong size) {
    if (currentHost != nullptr && currentHost->failsNow("host_new_handle")) {
        return nullptr;
    }
    return newHandle(size);
}

void *HostSim::lockHandleCallback(PF_Handle handle) {
    if (currentHost != nullptr && currentHost->failsNow("host_lock_handle")) {
        return nullptr;
    }
    return lockHandle(handle);
}

PF_Err HostSim::paramsSetup() {
    const std::size_t before = seen_.addedParameters.size();
    const PF_Err err = send(PF_Cmd_PARAMS_SETUP);
    if (err == PF_Err_NONE) {
        parameters_.reset();
        for (std::size_t i = before; i < seen_.addedParameters.size(); ++i) {
            parameters_.append(seen_.addedParameters[i]);
        }
    }
    return err;
}

PF_Err HostSim::smartPreRender(const PF_LRect &request, PF_PreRenderOutput &answer) {
    PF_PreRenderInput input{};
    input.output_request.rect = request;
    input.output_request.channel_mask = PF_ChannelMask_ARGB;
    input.bitdepth = 8;
    PF_PreRenderExtra extra{&input, &answer, &preRenderCallbacks_};
    return send(PF_Cmd_SMART_PRE_RENDER, &extra);
}

PF_Err HostSim::smartRender(A_short bitDepth) {
    PF_SmartRenderInput input{};
    input.bitdepth = bitDepth;
    if (outputWorld_ != nullptr) {
        input.output_request.rect = outputWorld_->layer().extent_hint;
    }
    PF_SmartRenderExtra extra{&input, &smartRenderCallbacks_};
    return send(PF_Cmd_SMART_RENDER, &extra);
}

PF_Err HostSim::render() {
    if (sourceWorld_ != nullptr) {
        parameters_.at(0).u.ld = sourceWorld_->layer();
    }
    return send(PF_Cmd_RENDER);
}

PF_Err HostSim::renderField(PF_Field field) {
    if (sourceWorld_ == nullptr || outputWorld_ == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    parameters_.at(0).u.ld = sourceWorld_->fieldLayer(field);
    fieldOutput_ = outputWorld_->fieldLayer(field);
    renderOutput_ = &fieldOutput_;
    in_.field = field;
    const PF_Err err = send(PF_Cmd_RENDER);
    in_.field = PF_Field_FRAME;
    renderOutput_ = nullptr;
    return err;
}

void HostSim::playPremiere() {
    claimApplication(PF_APPL_ID_PREMIERE);
    claimVersion(13, 4);
    script_.offerPixelFormatSuite = true;
}

PF_Err HostSim::applyAsPremiereDoes() {
    PF_Err err = globalSetup();
    err = err != PF_Err_NONE ? err : paramsSetup();
    return err != PF_Err_NONE ? err : sequenceSetup();
}

PF_Err HostSim::renderFrameAsPremiereDoes() {
    PF_Err err = send(PF_Cmd_FRAME_SETUP);
    err = err != PF_Err_NONE ? err : render();
    return err != PF_Err_NONE ? err : send(PF_Cmd_FRAME_SETDOWN);
}

void HostSim::forgetObservations() {
    seen_.checkouts.clear();
    seen_.checkinIds.clear();
    seen_.addedParameters.clear();
    seen_.addIndexes.clear();
    seen_.layerRequests.clear();
    seen_.paramUIUpdates.clear();
}

PF_Err HostSim::runSmartSequence(A_short bitDepth) {
    PF_Err err = about();
    err = err != PF_Err_NONE ? err : globalSetup();
    err = err != PF_Err_NONE ? err : paramsSetup();
    err = err != PF_Err_NONE ? err : sequenceSetup();
    if (err == PF_Err_NONE && sourceWorld_ != nullptr) {
        PF_PreRenderOutput answer{};
        err = smartPreRender(sourceWorld_->layer().extent_hint, answer);
    }
    return err != PF_Err_NONE ? err : smartRender(bitDepth);
}

HostSim &HostSim::from(PF_ProgPtr effectRef) { return *reinterpret_cast<HostSim *>(effectRef); }

HostSim *HostSim::current() { return currentHost; }

PF_Err HostSim::checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step, A_u_long scale,
                              PF_ParamDef *param) {
    HostSim &host = from(ref);
    const Script &script = host.script_;
    if (host.failsNow("checkout_param")) {
        return script.failCode;
    }
    if (script.checkoutError != PF_Err_NONE && (script.checkoutErrorIndex < 0 || script.checkoutErrorIndex == index)) {
        return script.checkoutError;
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
    HostSim &host = from(ref);
    // A check-in the host fails still counts as given back by the effect.
    host.seen_.checkinIds.push_back(param->uu.id);
    return host.failsNow("checkin_param") ? host.script_.failCode : PF_Err_NONE;
}

PF_Err HostSim::addParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDef *def) {
    HostSim &host = from(ref);
    if (host.failsNow("add_param")) {
        return host.script_.failCode;
    }
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
    if (host.script_.duringProgress) {
        host.script_.duringProgress();
    }
    if (host.failsNow("progress")) {
        return host.script_.failCode;
    }
    return call >= host.script_.progressAnswerFromCall ? host.script_.progressAnswer : PF_Err_NONE;
}

PF_Err HostSim::iterateGeneric(A_long iterations, void *refcon, PF_IterateGenericFunc function) {
    HostSim *host = currentHost;
    if (host == nullptr || function == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    ++host->seen_.iterateGenericCalls;
    if (host->failsNow("iterate_generic")) {
        return host->script_.failCode;
    }
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

PF_Err HostSim::checkoutLayer(PF_ProgPtr ref, PF_ParamIndex index, A_long, const PF_RenderRequest *request, A_long,
                              A_long, A_u_long, PF_CheckoutResult *result) {
    HostSim &host = from(ref);
    if (host.failsNow("checkout_layer")) {
        return host.script_.failCode;
    }
    if (index != 0 || request == nullptr || result == nullptr || host.sourceWorld_ == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    host.seen_.layerRequests.push_back(*request);
    const PF_LayerDef &layer = host.sourceWorld_->layer();
    *result = PF_CheckoutResult{};
    result->max_result_rect = {0, 0, layer.width, layer.height};
    result->result_rect = {std::max(request->rect.left, 0), std::max(request->rect.top, 0),
                           std::min(request->rect.right, layer.width), std::min(request->rect.bottom, layer.height)};
    result->par = {1, 1};
    result->ref_width = layer.width;
    result->ref_height = layer.height;
    return PF_Err_NONE;
}

PF_Err HostSim::checkoutLayerPixels(PF_ProgPtr ref, A_long, PF_EffectWorld **pixels) {
    HostSim &host = from(ref);
    if (host.failsNow("checkout_layer_pixels")) {
        *pixels = nullptr;
        return host.script_.failCode;
    }
    ++host.seen_.layerPixelCheckouts;
    *pixels = host.sourceWorld_ != nullptr ? &host.sourceWorld_->layer() : nullptr;
    return PF_Err_NONE;
}

PF_Err HostSim::checkoutOutput(PF_ProgPtr ref, PF_EffectWorld **output) {
    HostSim &host = from(ref);
    if (host.failsNow("checkout_output")) {
        *output = nullptr;
        return host.script_.failCode;
    }
    ++host.seen_.outputCheckouts;
    *output = host.outputWorld_ != nullptr ? &host.outputWorld_->layer() : nullptr;
    return PF_Err_NONE;
}

SPErr HostSim::acquireSuite(const char *name, int32_t version, const void **suite) {
    HostSim *host = currentHost;
    if (host != nullptr && host->failsNow("AcquireSuite")) {
        return host->script_.failCode;
    }
    if (host == nullptr || host->script_.refuseSuites) {
        return kSuiteNotFound;
    }
    if (std::strcmp(name, kPFParamUtilsSuite) == 0 && version == kPFParamUtilsSuiteVersion1) {
        *suite = &host->paramUtils_;
    } else if (host->script_.offerPixelFormatSuite && std::strcmp(name, kPFPixelFormatSuite) == 0 &&
               version == kPFPixelFormatSuiteVersion1) {
        *suite = &host->pixelFormats_;
    } else {
        return kSuiteNotFound;
    }
    ++host->seen_.suitesAcquired;
    return 0;
}

SPErr HostSim::releaseSuite(const char *, int32_t) {
    if (currentHost != nullptr) {
        ++currentHost->seen_.suitesReleased;
    }
    return 0;
}

PF_Err HostSim::updateParamUI(PF_ProgPtr ref, PF_ParamIndex index, const PF_ParamDef *def) {
    from(ref).seen_.paramUIUpdates.emplace_back(index, *def);
    return PF_Err_NONE;
}

} // namespace hostsim
