// One instance of the effect on a loaded module, driven through its entry point as a host
// drives it: about, global, params and sequence setup once, its controls set, then one smart
// render per frame into worlds it keeps from one frame to the next of the same shape, and
// sequence and global setdown when it ends (or when its setup fails part of the way). Several
// instances on one loaded module are several instances, as a host with several layers has;
// each is used by one thread at a time, and each keeps the module loaded while it lives.
#pragma once

#include "embedhost/controls.h"
#include "embedhost/effect_host.h"
#include "embedhost/plugin_module.h"
#include "embedhost/world.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <string>

namespace embedhost {

// A command the plug-in refused: the host error code it returned, the code's name where the
// effect API names it, and the message the effect left for the user, if any.
struct RenderError : std::runtime_error {
    explicit RenderError(PF_Err code, const std::string &effectMessage = "");
    PF_Err code;
};

// The effect API's name of an error code ("PF_Err_OUT_OF_MEMORY"), or empty.
const char *errorName(PF_Err code);

class EffectInstance {
public:
    // Runs about, global, params and sequence setup on the loaded module (throws RenderError,
    // or std::runtime_error when the effect registers its controls other than as the eight it
    // documents; the setups that succeeded are set down first).
    EffectInstance(std::shared_ptr<const PluginModule> module, const Controls &controls);
    ~EffectInstance();
    EffectInstance(const EffectInstance &) = delete;
    EffectInstance &operator=(const EffectInstance &) = delete;

    // The controls of the renders from now on.
    void setControls(const Controls &controls);

    // The source world for a frame: kept, with the output world, from one frame to the next of
    // the same shape.
    World &sourceFor(int width, int height, int depth);
    World &output() { return *output_; }
    // Renders the source world into the output world through the entry point. Throws RenderError.
    void renderWorlds();
    // How long the last render spent in the effect: pre-render and render through the entry point.
    double lastEffectSeconds() const { return effectSeconds_; }

    bool keepsWorldsFor(int width, int height, int depth) const;
    void dropWorlds();
    // The memory the two worlds of a frame take.
    static std::size_t worldBytes(int width, int height, int depth);

    // What the effect answered to about.
    const std::string &aboutText() const { return about_; }

private:
    // Sends what undoes the setups that succeeded.
    void setDown();
    // Throws RenderError for a refused command, with the message the effect left.
    void check(PF_Err err);

    std::shared_ptr<const PluginModule> module_; // first: it outlives the host's last command
    EffectHost host_;
    bool globalSetUp_ = false, sequenceSetUp_ = false;
    std::string about_;
    // The parameter indexes of the controls, in the order of Controls' members.
    std::array<PF_ParamIndex, 8> controlIndexes_{};
    std::unique_ptr<World> source_, output_;
    double effectSeconds_ = 0.0;
};

} // namespace embedhost
