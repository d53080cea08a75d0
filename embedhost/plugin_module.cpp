#include "embedhost/plugin_module.h"

#include <stdexcept>

namespace embedhost {

PluginModule::PluginModule(const std::string &path) : path_(path), module_(nullptr), entry_(nullptr) {
    std::string error;
    module_ = platform::loadModule(path, error);
    if (module_ == nullptr) {
        throw std::runtime_error("cannot load " + path + ": " + error);
    }
    entry_ = reinterpret_cast<PF_FilterProc>(platform::moduleSymbol(module_, kEntryPointName));
    if (entry_ == nullptr) {
        platform::unloadModule(module_);
        throw std::runtime_error(path + " has no " + kEntryPointName);
    }
}

PluginModule::~PluginModule() { platform::unloadModule(module_); }

std::string PluginModule::besideExecutable() {
    return platform::executableDirectory() + "/" + platform::moduleFileName("zephyrine");
}

} // namespace embedhost
