#include "platform/module.h"
#include "platform/posix/executable_path.h"

#include <dlfcn.h>

namespace platform {

ModuleHandle loadModule(const std::string &path, std::string &error) {
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char *reason = dlerror();
        error = reason != nullptr ? reason : "dlopen failed";
    }
    return module;
}

void *moduleSymbol(ModuleHandle module, const char *name) { return dlsym(module, name); }

bool unloadModule(ModuleHandle module) { return dlclose(module) == 0; }

bool moduleIsLoaded(const std::string &path) {
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (module == nullptr) {
        return false;
    }
    dlclose(module); // gives back the reference the probe took
    return true;
}

std::string executableDirectory() {
    const std::string full = executablePath();
    if (full.empty()) {
        return ".";
    }
    return full.substr(0, full.find_last_of('/'));
}

std::string moduleFileName(const std::string &stem) { return stem + ".so"; }

} // namespace platform
