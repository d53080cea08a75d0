// The plug-in module, loaded as a host loads it, and its entry point.
#pragma once

#include "api/effect_api.h"
#include "platform/module.h"

#include <string>

namespace embedhost {

class PluginModule {
public:
    // Loads the module and finds its entry point; throws std::runtime_error naming the reason.
    explicit PluginModule(const std::string &path);
    ~PluginModule();
    PluginModule(const PluginModule &) = delete;
    PluginModule &operator=(const PluginModule &) = delete;

    PF_FilterProc entryPoint() const { return entry_; }
    const std::string &path() const { return path_; }

    // The module built beside the running executable.
    static std::string besideExecutable();

private:
    std::string path_;
    platform::ModuleHandle module_;
    PF_FilterProc entry_;
};

} // namespace embedhost
