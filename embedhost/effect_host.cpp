#include "embedhost/effect_host.h"

#include "embedhost/host_handles.h"
#include "embedhost/premiere_pixels.h"
#include "platform/system.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace embedhost {

namespace {

constexpr SPErr kSuiteNotFound = 0x53214664; // 'S!Fd'

thread_local EffectHost *currentHost = nullptr;

int ansiSprintf(A_char *destination, const A_char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsprintf(destination, format, arguments);
    va_end(arguments);
    return written;
}

A_char *ansiStrcpy(A_char *destination, const A_char *source) { return std::strcpy(destination, source); }

} // namespace

// Each callback finds its host: by the effect reference where the call carries one, otherwise
// the host sending the command on this thread.
struct EffectHost::Callbacks {
    static EffectHost &from(PF_ProgPtr ref) { return *reinterpret_cast<EffectHost *>(ref); }

    static PF_Err checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step, A_u_long scale,
                                PF_ParamDef *param) {
        return from(ref).checkoutParam(index, time, step, scale, param);
    }
    static PF_Err checkinParam(PF_ProgPtr ref, PF_ParamDef *param) { return from(ref).checkinParam(param); }
    static PF_Err addParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDef *def) {
        return from(ref).addParam(index, def);
    }
    static PF_Err progress(PF_ProgPtr ref, A_long current, A_long total) { return from(ref).progress(current, total); }
    static PF_Err iterateGeneric(A_long iterations, void *refcon, PF_IterateGenericFunc function) {
        return currentHost != nullptr ? currentHost->iterateGeneric(iterations, refcon, function)
                                      : PF_Err_BAD_CALLBACK_PARAM;
    }
    static PF_Err checkoutLayer(PF_ProgPtr ref, PF_ParamIndex index, A_long, const PF_RenderRequest *request, A_long,
                                A_long, A_u_long, PF_CheckoutResult *result) {
        return from(ref).checkoutLayer(index, request, result);
    }
    static PF_Err checkoutLayerPixels(PF_ProgPtr ref, A_long, PF_EffectWorld **pixels) {
        return from(ref).checkoutLayerPixels(pixels);
    }
    static PF_Err checkoutOutput(PF_ProgPtr ref, PF_EffectWorld **output) { return from(ref).checkoutOutput(output); }
    static PF_Handle newHandle(A_u_longlong size) {
        return currentHost != nullptr ? currentHost->newHandle(size) : embedhost::newHandle(size);
    }
    static void disposeHandle(PF_Handle handle) {
        if (currentHost != nullptr) {
            currentHost->disposeHandle(handle);
        } else {
            embedhost::disposeHandle(handle);
        }
    }
    static void *lockHandle(PF_Handle handle) {
        return currentHost != nullptr ? currentHost->lockHandle(handle) : embedhost::lockHandle(handle);
    }
    static SPErr acquireSuite(const char *name, int32_t version, const void **suite) {
        return currentHost != nullptr ? currentHost->acquireSuite(name, version, suite) : kSuiteNotFound;
    }
    static SPErr releaseSuite(const char *name, int32_t version) {
        return currentHost != nullptr ? currentHost->releaseSuite(name, version) : 0;
    }
    static PF_Err updateParamUI(PF_ProgPtr ref, PF_ParamIndex index, const PF_ParamDef *def) {
        return from(ref).updateParamUI(index, def);
    }
    static PF_Err addSupportedPixelFormat(PF_ProgPtr ref, PrPixelFormat format) {
        return from(ref).addSupportedPixelFormat(format);
    }
    static PF_Err clearSupportedPixelFormats(PF_ProgPtr ref) { return from(ref).clearSupportedPixelFormats(); }
    static PF_Err getPixelFormat(PF_EffectWorld *world, PrPixelFormat *format) {
        return currentHost != nullptr ? currentHost->getPixelFormat(world, format) : PF_Err_BAD_CALLBACK_PARAM;
    }
    // Premiere answers these; this host makes no worlds for the effect.
    static PF_Err newWorldOfPixelFormat(PF_ProgPtr, A_u_long, A_u_long, PF_NewWorldFlags, PrPixelFormat,
                                        PF_EffectWorld *) {
        return PF_Err_UNRECOGNIZED_PARAM_TYPE;
    }
    static PF_Err disposeWorld(PF_ProgPtr, PF_EffectWorld *) { return PF_Err_UNRECOGNIZED_PARAM_TYPE; }
};

EffectHost::Current::Current(EffectHost &host) : previous_(currentHost) { currentHost = &host; }
EffectHost::Current::~Current() { currentHost = previous_; }

EffectHost::EffectHost(PF_FilterProc entry) : entry_(entry) {
    in_.inter.checkout_param = Callbacks::checkoutParam;
    in_.inter.checkin_param = Callbacks::checkinParam;
    in_.inter.add_param = Callbacks::addParam;
    in_.inter.progress = Callbacks::progress;

    utils_.host_new_handle = Callbacks::newHandle;
    utils_.host_lock_handle = Callbacks::lockHandle;
    utils_.host_unlock_handle = unlockHandle;
    utils_.host_dispose_handle = Callbacks::disposeHandle;
    utils_.host_get_handle_size = handleSize;
    utils_.ansi.sprintf = ansiSprintf;
    utils_.ansi.strcpy = ansiStrcpy;
    utils_.iterate_generic = Callbacks::iterateGeneric;
    in_.utils = &utils_;

    in_.pica_basicP = &basic_;
    basic_.AcquireSuite = Callbacks::acquireSuite;
    basic_.ReleaseSuite = Callbacks::releaseSuite;
    paramUtils_.PF_UpdateParamUI = Callbacks::updateParamUI;
    pixelFormats_ = {Callbacks::addSupportedPixelFormat,
                     Callbacks::clearSupportedPixelFormats,
                     Callbacks::newWorldOfPixelFormat,
                     Callbacks::disposeWorld,
                     Callbacks::getPixelFormat,
                     blackPixel,
                     whitePixel,
                     convertColorToPixel};
    preRenderCallbacks_.checkout_layer = Callbacks::checkoutLayer;
    smartRenderCallbacks_.checkout_layer_pixels = Callbacks::checkoutLayerPixels;
    smartRenderCallbacks_.checkout_output = Callbacks::checkoutOutput;

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

void EffectHost::claimVersion(A_short major, A_short minor) {
    in_.version.major = major;
    in_.version.minor = minor;
}

void EffectHost::setWorlds(World *source, World *output) {
    sourceWorld_ = source;
    outputWorld_ = output;
    if (source != nullptr) {
        in_.width = source->layer().width;
        in_.height = source->layer().height;
        in_.extent_hint = source->layer().extent_hint;
    }
}

PF_Err EffectHost::send(PF_Cmd cmd, void *extra) { return send(cmd, parameters_.pointers(), extra); }

PF_Err EffectHost::send(PF_Cmd cmd, PF_ParamDef **params, void *extra) {
    in_.num_params = parameters_.size();
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

PF_Err EffectHost::paramsSetup() {
    registered_.clear();
    const PF_Err err = send(PF_Cmd_PARAMS_SETUP);
    if (err == PF_Err_NONE) {
        parameters_.reset();
        for (const PF_ParamDef &record : registered_) {
            parameters_.append(record);
        }
    }
    return err;
}

PF_Err EffectHost::smartPreRender(const PF_LRect &request, PF_PreRenderOutput &answer) {
    PF_PreRenderInput input{};
    input.output_request.rect = request;
    input.output_request.channel_mask = PF_ChannelMask_ARGB;
    input.bitdepth = 8;
    PF_PreRenderExtra extra{&input, &answer, &preRenderCallbacks_};
    return send(PF_Cmd_SMART_PRE_RENDER, &extra);
}

PF_Err EffectHost::smartRender(A_short bitDepth) {
    PF_SmartRenderInput input{};
    input.bitdepth = bitDepth;
    if (outputWorld_ != nullptr) {
        input.output_request.rect = outputWorld_->layer().extent_hint;
    }
    PF_SmartRenderExtra extra{&input, &smartRenderCallbacks_};
    return send(PF_Cmd_SMART_RENDER, &extra);
}

PF_Err EffectHost::render() {
    if (sourceWorld_ != nullptr) {
        parameters_.at(0).u.ld = sourceWorld_->layer();
    }
    return send(PF_Cmd_RENDER);
}

PF_Err EffectHost::renderLayers(const PF_LayerDef &source, PF_LayerDef *output) {
    parameters_.at(0).u.ld = source;
    renderOutput_ = output;
    const PF_Err err = send(PF_Cmd_RENDER);
    renderOutput_ = nullptr;
    return err;
}

PF_Err EffectHost::runSmartSequence(A_short bitDepth) {
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

void EffectHost::playPremiere() {
    claimApplication(PF_APPL_ID_PREMIERE);
    claimVersion(13, 4);
    offerPixelFormats_ = true;
}

PF_Err EffectHost::applyAsPremiereDoes() {
    PF_Err err = globalSetup();
    err = err != PF_Err_NONE ? err : paramsSetup();
    return err != PF_Err_NONE ? err : sequenceSetup();
}

PF_Err EffectHost::renderFrameAsPremiereDoes() {
    PF_Err err = send(PF_Cmd_FRAME_SETUP);
    err = err != PF_Err_NONE ? err : render();
    return err != PF_Err_NONE ? err : send(PF_Cmd_FRAME_SETDOWN);
}

PF_Err EffectHost::checkoutParam(PF_ParamIndex index, A_long, A_long, A_u_long, PF_ParamDef *param) {
    if (!parameters_.contains(index) || param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    *param = parameters_.at(index);
    return PF_Err_NONE;
}

PF_Err EffectHost::checkinParam(PF_ParamDef *param) { return param == nullptr ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_NONE; }

PF_Err EffectHost::addParam(PF_ParamIndex, PF_ParamDef *def) {
    if (def == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    registered_.push_back(*def);
    return PF_Err_NONE;
}

PF_Err EffectHost::progress(A_long, A_long) { return PF_Err_NONE; }

PF_Err EffectHost::iterateGeneric(A_long iterations, void *refcon, PF_IterateGenericFunc function) {
    const A_long count = iterations == PF_Iterations_ONCE_PER_PROCESSOR ? platform::processorCount() : iterations;
    return iterateInTurn(count, refcon, function);
}

PF_Err EffectHost::iterateInTurn(A_long count, void *refcon, PF_IterateGenericFunc function) {
    if (function == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    PF_Err result = PF_Err_NONE;
    for (A_long i = 0; i < count && result == PF_Err_NONE; ++i) {
        result = function(refcon, 0, i, count);
    }
    return result;
}

PF_Err EffectHost::checkoutLayer(PF_ParamIndex index, const PF_RenderRequest *request, PF_CheckoutResult *result) {
    if (index != 0 || request == nullptr || result == nullptr || sourceWorld_ == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const PF_LayerDef &layer = sourceWorld_->layer();
    *result = PF_CheckoutResult{};
    result->max_result_rect = {0, 0, layer.width, layer.height};
    result->result_rect = {std::max(request->rect.left, 0), std::max(request->rect.top, 0),
                           std::min(request->rect.right, layer.width), std::min(request->rect.bottom, layer.height)};
    result->par = {1, 1};
    result->ref_width = layer.width;
    result->ref_height = layer.height;
    return PF_Err_NONE;
}

PF_Err EffectHost::checkoutLayerPixels(PF_EffectWorld **pixels) {
    *pixels = sourceWorld_ != nullptr ? &sourceWorld_->layer() : nullptr;
    return PF_Err_NONE;
}

PF_Err EffectHost::checkoutOutput(PF_EffectWorld **output) {
    *output = outputWorld_ != nullptr ? &outputWorld_->layer() : nullptr;
    return PF_Err_NONE;
}

PF_Handle EffectHost::newHandle(A_u_longlong size) { return embedhost::newHandle(size); }

void EffectHost::disposeHandle(PF_Handle handle) { embedhost::disposeHandle(handle); }

void *EffectHost::lockHandle(PF_Handle handle) { return embedhost::lockHandle(handle); }

SPErr EffectHost::acquireSuite(const char *name, int32_t version, const void **suite) {
    if (std::strcmp(name, kPFParamUtilsSuite) == 0 && version == kPFParamUtilsSuiteVersion1) {
        *suite = &paramUtils_;
    } else if (offerPixelFormats_ && std::strcmp(name, kPFPixelFormatSuite) == 0 &&
               version == kPFPixelFormatSuiteVersion1) {
        *suite = &pixelFormats_;
    } else {
        return kSuiteNotFound;
    }
    return 0;
}

SPErr EffectHost::releaseSuite(const char *, int32_t) { return 0; }

PF_Err EffectHost::updateParamUI(PF_ParamIndex, const PF_ParamDef *) { return PF_Err_NONE; }

// The worlds this host hands over are of the formats it made them in, whatever the effect
// declared; it keeps no list.
PF_Err EffectHost::addSupportedPixelFormat(PrPixelFormat) { return PF_Err_NONE; }

PF_Err EffectHost::clearSupportedPixelFormats() { return PF_Err_NONE; }

// From the world whose buffer the record points into (a field's record too).
PF_Err EffectHost::getPixelFormat(PF_EffectWorld *world, PrPixelFormat *format) {
    if (world == nullptr || format == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    for (const World *known : {outputWorld_, sourceWorld_}) {
        if (known != nullptr && known->holds(world->data)) {
            *format = known->pixelFormat();
            return PF_Err_NONE;
        }
    }
    return PF_Err_BAD_CALLBACK_PARAM;
}

} // namespace embedhost
