#include "platform/module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

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
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    std::string full(path, static_cast<std::size_t>(length));
    return full.substr(0, full.find_last_of('/'));
}

std::string moduleFileName(const std::string &stem) { return stem + ".so"; }

} // namespace platform
