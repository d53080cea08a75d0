// An in-process host: owns the records a host hands to an effect, answers the effect's
// callbacks, and records what it saw. Tests, tools and benchmarks reach the plug-in only
// through it, by its entry point.
#pragma once

#include "api/effect_api.h"
#include "hostsim/parameter_array.h"
#include "hostsim/world.h"

#include <functional>
#include <string>
#include <vector>

namespace hostsim {

struct CheckoutCall {
    PF_ParamIndex index;
    A_long time;
    A_long timeStep;
    A_u_long timeScale;
};

// What the host saw the effect do.
struct Observations {
    std::vector<CheckoutCall> checkouts;
    std::vector<A_long> checkinIds; // the id of every record checked in, in order
    std::vector<PF_ParamDef> addedParameters;
    std::vector<PF_ParamIndex> addIndexes;
    int progressCalls = 0;
    int iterateGenericCalls = 0;
    std::vector<PF_RenderRequest> layerRequests; // smart pre-render checkouts of the source
    int layerPixelCheckouts = 0;
    int outputCheckouts = 0;
    int suitesAcquired = 0;
    int suitesReleased = 0;
    std::vector<std::pair<PF_ParamIndex, PF_ParamDef>> paramUIUpdates;
    std::vector<PrPixelFormat> declaredPixelFormats; // as the pixel format suite holds them now
    int pixelFormatQueries = 0;
    int hostCalls = 0;                   // calls of the callbacks fault injection counts
    const char *failedCallback = nullptr; // the callback made to fail, once it was called
    PF_Cmd failedDuring = -1;            // ... and the command that was running

    int checkoutBalance() const { return static_cast<int>(checkouts.size() - checkinIds.size()); }
};

// How the host answers; every field defaults to a host that grants everything.
struct Script {
    PF_Err checkoutError = PF_Err_NONE;  // returned by checkout_param ...
    PF_ParamIndex checkoutErrorIndex = -1; // ... for this index only (-1: every index)
    PF_Err addParamError = PF_Err_NONE;  // returned by add_param ...
    int addParamErrorFromCall = 1;       // ... from this call on (1 = the first)
    PF_Err progressAnswer = PF_Err_NONE; // returned by progress ...
    int progressAnswerFromCall = 1;      // ... from this call on
    // Called by progress before it answers, on the effect's thread: a host may take its time.
    std::function<void()> duringProgress;
    int processors;                      // iterate_generic calls back once per processor
    bool iterateConcurrently = false;    // ... each call on a thread of its own
    PF_Err iterateGenericError = PF_Err_NONE; // returned by iterate_generic without calling back
    bool offerBasicSuite = true;         // pica_basicP is set
    bool refuseSuites = false;           // AcquireSuite fails
    bool offerPixelFormatSuite = false;       // Premiere's "PF Pixel Format Suite" (playPremiere sets it)
    PF_Err addPixelFormatError = PF_Err_NONE; // answered by AddSupportedPixelFormat
    PF_Err getPixelFormatError = PF_Err_NONE; // answered by GetPixelFormat
    // Fault injection: the failCall-th call (from 1; 0 = none) of any of checkout_param,
    // checkin_param, add_param, checkout_layer, checkout_layer_pixels, checkout_output,
    // host_new_handle, host_lock_handle, AcquireSuite, iterate_generic and progress fails:
    // it answers failCode, or a null handle or pointer where the callback answers one.
    int failCall = 0;
    PF_Err failCode = PF_Err_INVALID_CALLBACK;
};

class HostSim {
public:
    explicit HostSim(PF_FilterProc entry);
    HostSim(const HostSim &) = delete;
    HostSim &operator=(const HostSim &) = delete;

    // Calls the entry point with this host's records.
    PF_Err send(PF_Cmd cmd, void *extra = nullptr);
    // The same with a parameter array of the caller's choice (null included).
    PF_Err send(PF_Cmd cmd, PF_ParamDef **params, void *extra);

    // The commands as a host sends them.
    PF_Err about() { return send(PF_Cmd_ABOUT); }
    PF_Err globalSetup() { return send(PF_Cmd_GLOBAL_SETUP); }
    // On success the parameter array becomes the layer and the registered controls, at their defaults.
    PF_Err paramsSetup();
    PF_Err sequenceSetup() { return send(PF_Cmd_SEQUENCE_SETUP); }
    PF_Err globalSetdown() { return send(PF_Cmd_GLOBAL_SETDOWN); }
    // Asks which part of the source the effect needs for `request` and what it will produce.
    PF_Err smartPreRender(const PF_LRect &request, PF_PreRenderOutput &answer);
    // Renders the source world into the output world at a bit depth (8, 16 or 32).
    PF_Err smartRender(A_short bitDepth);
    // The classic command: the source in parameter 0, the output world as the output.
    PF_Err render();
    // The classic command on one field of both worlds, as Premiere renders fielded footage.
    PF_Err renderField(PF_Field field);
    // about, global setup, params setup, sequence setup, smart pre-render of the whole source
    // and smart render at a depth, stopping at the first error.
    PF_Err runSmartSequence(A_short bitDepth);

    // The worlds the render commands use; the host does not own them.
    void setWorlds(World *source, World *output);

    PF_InData &inData() { return in_; }
    PF_OutData &outData() { return out_; }
    PF_LayerDef &output() { return output_; }
    ParameterArray &parameters() { return parameters_; }
    Script &script() { return script_; }
    const Observations &seen() const { return seen_; }
    // Empties what the host saw, keeping the lists' memory: the host then allocates nothing
    // of its own while the effect renders again.
    void forgetObservations();

    // Makes this the host whose script answers the callbacks that carry no effect reference
    // (iterate_generic, the basic suite), on the calling thread, while the scope lives.
    // send() does it.
    class Current {
    public:
        explicit Current(HostSim &host);
        ~Current();
        Current(const Current &) = delete;
        Current &operator=(const Current &) = delete;

    private:
        HostSim *previous_;
    };

    // Sets the effect-API version and the application the host claims to be.
    void claimVersion(A_short major, A_short minor);
    void claimApplication(A_long applicationId) { in_.appl_id = applicationId; }
    // Plays Premiere Pro: 'PrMr', its API version, and its pixel format suite offered.
    void playPremiere();
    // The commands Premiere sends (never smart render): applying the effect is global setup,
    // params setup and sequence setup; a frame is frame setup, render and frame setdown.
    PF_Err applyAsPremiereDoes();
    PF_Err renderFrameAsPremiereDoes();

private:
    static HostSim &from(PF_ProgPtr effectRef);
    static HostSim *current(); // the host that made the current thread's call, if any
    static PF_Err checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step, A_u_long scale,
                                PF_ParamDef *param);
    static PF_Err checkinParam(PF_ProgPtr ref, PF_ParamDef *param);
    static PF_Err addParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDef *def);
    static PF_Err progress(PF_ProgPtr ref, A_long current, A_long total);
    static PF_Err iterateGeneric(A_long iterations, void *refcon, PF_IterateGenericFunc function);
    static PF_Err checkoutLayer(PF_ProgPtr ref, PF_ParamIndex index, A_long checkoutId, const PF_RenderRequest *request,
                                A_long time, A_long step, A_u_long scale, PF_CheckoutResult *result);
    static PF_Err checkoutLayerPixels(PF_ProgPtr ref, A_long checkoutId, PF_EffectWorld **pixels);
    static PF_Err checkoutOutput(PF_ProgPtr ref, PF_EffectWorld **output);
    static SPErr acquireSuite(const char *name, int32_t version, const void **suite);
    // Premiere's pixel format suite (pixel_format_suite.cpp).
    static PF_Err addSupportedPixelFormat(PF_ProgPtr ref, PrPixelFormat format);
    static PF_Err clearSupportedPixelFormats(PF_ProgPtr ref);
    static PF_Err newWorldOfPixelFormat(PF_ProgPtr ref, A_u_long width, A_u_long height, PF_NewWorldFlags flags,
                                        PrPixelFormat format, PF_EffectWorld *world);
    static PF_Err disposeWorld(PF_ProgPtr ref, PF_EffectWorld *world);
    static PF_Err getPixelFormat(PF_EffectWorld *world, PrPixelFormat *format);
    static PF_Err blackFor(PrPixelFormat format, void *pixel);
    static PF_Err whiteFor(PrPixelFormat format, void *pixel);
    static PF_Err convertColor(PrPixelFormat format, float alpha, float red, float green, float blue, void *pixel);
    static SPErr releaseSuite(const char *name, int32_t version);
    static PF_Err updateParamUI(PF_ProgPtr ref, PF_ParamIndex index, const PF_ParamDef *def);
    static PF_Handle newHandleCallback(A_u_longlong size);
    static void *lockHandleCallback(PF_Handle handle);
    // Counts a call of a callback fault injection covers; true when this one is to fail.
    bool failsNow(const char *callback);

    PF_FilterProc entry_;
    PF_InData in_{};
    PF_OutData out_{};
    PF_UtilCallbacks utils_{};
    SPBasicSuite basic_{};
    PF_ParamUtilsSuite1 paramUtils_{};
    PF_PixelFormatSuite1 pixelFormats_{};
    PF_PreRenderCallbacks preRenderCallbacks_{};
    PF_SmartRenderCallbacks smartRenderCallbacks_{};
    PF_LayerDef output_{};
    World *sourceWorld_ = nullptr;
    World *outputWorld_ = nullptr;
    PF_LayerDef fieldOutput_{}; // the output's field during renderField
    PF_LayerDef *renderOutput_ = nullptr;
    ParameterArray parameters_;
    Script script_;
    Observations seen_;
    PF_Cmd command_ = -1; // the command being sent
};

} // namespace hostsim
