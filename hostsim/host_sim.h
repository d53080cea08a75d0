// The tests' host: the host library's host, with scripted answers, fault injection and a
// record of what it saw the effect do, and Premiere's field renders. Tests and fuzzers reach
// the plug-in through it, by its entry point.
#pragma once

#include "embedhost/effect_host.h"
#include "embedhost/parameter_array.h"
#include "hostsim/world.h"

#include <functional>
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
    // false: Premiere's "PF Pixel Format Suite" is withheld even while the host plays Premiere.
    bool offerPixelFormatSuite = true;
    PF_Err addPixelFormatError = PF_Err_NONE; // answered by AddSupportedPixelFormat
    PF_Err getPixelFormatError = PF_Err_NONE; // answered by GetPixelFormat
    // Fault injection: the failCall-th call (from 1; 0 = none) of any of checkout_param,
    // checkin_param, add_param, checkout_layer, checkout_layer_pixels, checkout_output,
    // host_new_handle, host_lock_handle, AcquireSuite, iterate_generic and progress fails:
    // it answers failCode, or a null handle or pointer where the callback answers one.
    int failCall = 0;
    PF_Err failCode = PF_Err_INVALID_CALLBACK;
};

class HostSim : public embedhost::EffectHost {
public:
    explicit HostSim(PF_FilterProc entry);

    using EffectHost::send;
    PF_Err send(PF_Cmd cmd, PF_ParamDef **params, void *extra) override;

    // The worlds the render commands use; the host does not own them.
    void setWorlds(World *source, World *output);
    // The classic command on one field of both worlds, as Premiere renders fielded footage.
    PF_Err renderField(PF_Field field);

    Script &script() { return script_; }
    const Observations &seen() const { return seen_; }
    // Empties what the host saw, keeping the lists' memory: the host then allocates nothing
    // of its own while the effect renders again.
    void forgetObservations();

protected:
    PF_Err checkoutParam(PF_ParamIndex index, A_long time, A_long step, A_u_long scale, PF_ParamDef *param) override;
    PF_Err checkinParam(PF_ParamDef *param) override;
    PF_Err addParam(PF_ParamIndex index, PF_ParamDef *def) override;
    PF_Err progress(A_long current, A_long total) override;
    PF_Err iterateGeneric(A_long iterations, void *refcon, PF_IterateGenericFunc function) override;
    PF_Err checkoutLayer(PF_ParamIndex index, const PF_RenderRequest *request, PF_CheckoutResult *result) override;
    PF_Err checkoutLayerPixels(PF_EffectWorld **pixels) override;
    PF_Err checkoutOutput(PF_EffectWorld **output) override;
    PF_Handle newHandle(A_u_longlong size) override;
    void disposeHandle(PF_Handle handle) override;
    void *lockHandle(PF_Handle handle) override;
    SPErr acquireSuite(const char *name, int32_t version, const void **suite) override;
    SPErr releaseSuite(const char *name, int32_t version) override;
    PF_Err updateParamUI(PF_ParamIndex index, const PF_ParamDef *def) override;
    PF_Err addSupportedPixelFormat(PrPixelFormat format) override;
    PF_Err clearSupportedPixelFormats() override;
    PF_Err getPixelFormat(PF_EffectWorld *world, PrPixelFormat *format) override;

private:
    // Counts a call of a callback fault injection covers; true when this one is to fail.
    bool failsNow(const char *callback);

    SPBasicSuite *basicSuite_; // the host's, offered or withheld by the script
    World *sourceWorld_ = nullptr; // the worlds again, as the tests' worlds, for field renders
    World *outputWorld_ = nullptr;
    Script script_;
    Observations seen_;
};

} // namespace hostsim
