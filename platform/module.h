// Loading a dynamic library as a host does: dlopen on Linux, LoadLibrary on Windows.
#pragma once

#include <string>

namespace platform {

using ModuleHandle = void *;

// Null on failure, with the system's reason in error.
ModuleHandle loadModule(const std::string &path, std::string &error);
void *moduleSymbol(ModuleHandle module, const char *name);
bool unloadModule(ModuleHandle module);
// Whether the module at `path` is mapped into this process now (without loading it).
bool moduleIsLoaded(const std::string &path);

// The folder that holds the running executable, without a trailing separator.
std::string executableDirectory();

// The file name a module gets on this platform: "zephyrine" becomes "zephyrine.dll" or "zephyrine.so".
std::string moduleFileName(const std::string &stem);

} // namespace platform
