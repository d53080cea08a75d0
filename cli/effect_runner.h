// The plug-in module driven through its entry point, as a host drives it: loaded once, its
// controls registered and set, then one smart render per picture.
#pragma once

#include "cli/controls.h"
#include "cli/picture.h"
#include "hostsim/host_sim.h"
#include "hostsim/plugin_module.h"

#include <string>

namespace cli {

// A render the plug-in refused, with the host error code it returned.
struct RenderError : std::runtime_error {
    explicit RenderError(int code) : std::runtime_error("the effect returned error " + std::to_string(code)) {}
};

class EffectRunner {
public:
    // Loads the module (throws std::runtime_error) and runs about, global and parameter setup.
    EffectRunner(const std::string &modulePath, const Controls &controls);

    // The controls of the renders from now on.
    void setControls(const Controls &controls);

    // Renders the picture in place; its alpha is kept as the file had it. Throws RenderError.
    void render(Picture &picture);

    const std::string &aboutText() const { return about_; }

private:
    hostsim::PluginModule module_;
    hostsim::HostSim host_;
    std::string about_;
};

} // namespace cli
