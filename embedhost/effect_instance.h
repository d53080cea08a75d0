// One instance of the effect on a loaded module, driven through its entry point as a host
// drives it: about, global, params and sequence setup once, its controls set, then one smart
// render per frame into worlds it keeps from one frame to the next of the same shape. Several
// instances on one loaded module are several instances, as a host with several layers has;
// each is used by one thread at a time.
#pragma once

#include "embedhost/controls.h"
#include "embedhost/effect_host.h"
#include "embedhost/plugin_module.h"
#include "embedhost/world.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace embedhost {

// A command the plug-in refused, with the host error code it returned.
struct RenderError : std::runtime_error {
    explicit RenderError(int code)
        : std::runtime_error("the effect returned error " + std::to_string(code)), code(code) {}
    int code;
};

class EffectInstance {
public:
    // Runs about, global and parameter setup on the loaded module (throws RenderError).
    EffectInstance(const PluginModule &module, const Controls &controls);

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
    EffectHost host_;
    std::string about_;
    std::unique_ptr<World> source_, output_;
    double effectSeconds_ = 0.0;
};

} // namespace embedhost
