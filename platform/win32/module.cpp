#include "platform/module.h"

#include <windows.h>

namespace platform {

ModuleHandle loadModule(const std::string &path, std::string &error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    }
    return module;
}

void *moduleSymbol(ModuleHandle module, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

bool unloadModule(ModuleHandle module) { return FreeLibrary(static_cast<HMODULE>(module)) != 0; }

bool moduleIsLoaded(const std::string &path) { return GetModuleHandleA(path.c_str()) != nullptr; }

std::string executableDirectory() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    const auto slash = full.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : full.substr(0, slash);
}

std::string moduleFileName(const std::string &stem) { return stem + ".dll"; }

} // namespace platform
