// The plug-in module driven through its entry point, as a host drives it: one instance of the
// effect (its controls registered and set), then one smart render per picture. Several
// runners on one loaded module are several instances, as a host with several layers has;
// each is used by one thread at a time.
#pragma once

#include "cli/controls.h"
#include "cli/picture.h"
#include "hostsim/host_sim.h"
#include "hostsim/plugin_module.h"
#include "hostsim/world.h"

#include <memory>
#include <string>

namespace cli {

// A render the plug-in refused, with the host error code it returned.
struct RenderError : std::runtime_error {
    explicit RenderError(int code) : std::runtime_error("the effect returned error " + std::to_string(code)) {}
};

class EffectRunner {
public:
    // Runs about, global and parameter setup on the loaded module (throws RenderError).
    EffectRunner(const hostsim::PluginModule &module, const Controls &controls);

    // The controls of the renders from now on.
    void setControls(const Controls &controls);

    // The host's source world for a frame: kept, with the output world, from one frame to
    // the next of the same shape.
    hostsim::World &sourceFor(int width, int height, int depth);
    hostsim::World &output() { return *output_; }
    // Renders the source world into the output world through the entry point. Throws RenderError.
    void renderWorlds();

    // Renders an in-memory picture in place; its alpha is kept. Throws RenderError.
    void render(Picture &picture);
    // How long the last render spent in the effect: pre-render and render through the entry point.
    double lastEffectSeconds() const { return effectSeconds_; }

    bool keepsWorldsFor(int width, int height, int depth) const;
    void dropWorlds();
    // The memory the two worlds of a frame take.
    static std::size_t worldBytes(int width, int height, int depth);

    const std::string &aboutText() const { return about_; }

private:
    hostsim::HostSim host_;
    std::string about_;
    std::unique_ptr<hostsim::World> source_, output_;
    double effectSeconds_ = 0.0;
};

} // namespace cli
