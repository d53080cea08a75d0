// A host for the effect, made to embed the plug-in module in a product: it owns the records a
// host hands to an effect (in_data, out_data, the parameter array, the worlds), answers the
// effect's callbacks and suites as After Effects does (or as Premiere Pro does, once asked to
// play it), and sends the commands. It reaches the plug-in only through its entry point.
//
// Every answer is a virtual member, so a host built on this one (the tests' host) can change
// or watch an answer without a second copy of the records.
#pragma once

#include "api/effect_api.h"
#include "embedhost/parameter_array.h"
#include "embedhost/world.h"

#include <vector>

namespace embedhost {

class EffectHost {
public:
    explicit EffectHost(PF_FilterProc entry);
    virtual ~EffectHost() = default;
    EffectHost(const EffectHost &) = delete;
    EffectHost &operator=(const EffectHost &) = delete;

    // Calls the entry point with this host's records.
    PF_Err send(PF_Cmd cmd, void *extra = nullptr);
    // The same with a parameter array of the caller's choice (null included).
    virtual PF_Err send(PF_Cmd cmd, PF_ParamDef **params, void *extra);

    // The commands as a host sends them.
    PF_Err about() { return send(PF_Cmd_ABOUT); }
    PF_Err globalSetup() { return send(PF_Cmd_GLOBAL_SETUP); }
    // On success the parameter array becomes the layer and the registered controls, at their defaults.
    PF_Err paramsSetup();
    PF_Err sequenceSetup() { return send(PF_Cmd_SEQUENCE_SETUP); }
    PF_Err sequenceSetdown() { return send(PF_Cmd_SEQUENCE_SETDOWN); }
    PF_Err globalSetdown() { return send(PF_Cmd_GLOBAL_SETDOWN); }
    // Asks which part of the source the effect needs for `request` and what it will produce.
    PF_Err smartPreRender(const PF_LRect &request, PF_PreRenderOutput &answer);
    // Renders the source world into the output world at a bit depth (8, 16 or 32).
    PF_Err smartRender(A_short bitDepth);
    // The classic command: the source in parameter 0, the output world as the output.
    PF_Err render();
    // about, global setup, params setup, sequence setup, smart pre-render of the whole source
    // and smart render at a depth, stopping at the first error.
    PF_Err runSmartSequence(A_short bitDepth);

    // The worlds the render commands use; the host does not own them.
    void setWorlds(World *source, World *output);

    PF_InData &inData() { return in_; }
    PF_OutData &outData() { return out_; }
    PF_LayerDef &output() { return output_; }
    ParameterArray &parameters() { return parameters_; }

    // Makes this the host that answers the callbacks that carry no effect reference
    // (iterate_generic, the handle callbacks, the basic suite, the pixel format of a world) on
    // the calling thread, while the scope lives. send() does it.
    class Current {
    public:
        explicit Current(EffectHost &host);
        ~Current();
        Current(const Current &) = delete;
        Current &operator=(const Current &) = delete;

    private:
        EffectHost *previous_;
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

protected:
    // The answers to the effect's callbacks.
    virtual PF_Err checkoutParam(PF_ParamIndex index, A_long time, A_long step, A_u_long scale, PF_ParamDef *param);
    virtual PF_Err checkinParam(PF_ParamDef *param);
    virtual PF_Err addParam(PF_ParamIndex index, PF_ParamDef *def);
    virtual PF_Err progress(A_long current, A_long total);
    // Calls back once per processor, in turn on the calling thread.
    virtual PF_Err iterateGeneric(A_long iterations, void *refcon, PF_IterateGenericFunc function);
    virtual PF_Err checkoutLayer(PF_ParamIndex index, const PF_RenderRequest *request, PF_CheckoutResult *result);
    virtual PF_Err checkoutLayerPixels(PF_EffectWorld **pixels);
    virtual PF_Err checkoutOutput(PF_EffectWorld **output);
    virtual PF_Handle newHandle(A_u_longlong size);
    virtual void disposeHandle(PF_Handle handle);
    virtual void *lockHandle(PF_Handle handle);
    virtual SPErr acquireSuite(const char *name, int32_t version, const void **suite);
    virtual SPErr releaseSuite(const char *name, int32_t version);
    virtual PF_Err updateParamUI(PF_ParamIndex index, const PF_ParamDef *def);
    virtual PF_Err addSupportedPixelFormat(PrPixelFormat format);
    virtual PF_Err clearSupportedPixelFormats();
    virtual PF_Err getPixelFormat(PF_EffectWorld *world, PrPixelFormat *format);

    // The callback once per iteration, in turn on the calling thread, until one fails.
    static PF_Err iterateInTurn(A_long count, void *refcon, PF_IterateGenericFunc function);
    // Sends the classic render of one source layer into one output layer (the worlds' own, or
    // views into them).
    PF_Err renderLayers(const PF_LayerDef &source, PF_LayerDef *output);

    PF_Cmd command() const { return command_; }
    World *sourceWorld() const { return sourceWorld_; }
    World *outputWorld() const { return outputWorld_; }

private:
    struct Callbacks; // the functions the effect calls, handing each call to its host

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
    PF_LayerDef *renderOutput_ = nullptr; // the output of the classic render being sent
    World *sourceWorld_ = nullptr;
    World *outputWorld_ = nullptr;
    ParameterArray parameters_;
    std::vector<PF_ParamDef> registered_; // by add_param, in the running params setup
    bool offerPixelFormats_ = false;
    PF_Cmd command_ = -1; // the command being sent
};

} // namespace embedhost
