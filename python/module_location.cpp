#include "python/module_location.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zephyrine_python {

namespace {

// The folder of the file this code was loaded from: the extension module, wherever the
// interpreter found it. Made absolute and free of symbolic links, so a later change of
// the working folder or a linked extension still leads to the files installed beside it.
fs::path extensionFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&extensionFolder), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    std::error_code error;
    const fs::path file = fs::canonical(info.dli_fname, error);
    return error ? fs::absolute(info.dli_fname).parent_path() : file.parent_path();
}

// Found while the interpreter loads the extension, before anything can change the working folder.
const fs::path theExtensionFolder = extensionFolder();

} // namespace

std::vector<std::string> pluginCandidates() {
    if (const char *named = std::getenv(kPluginVariable); named != nullptr && *named != '\0') {
        return {named};
    }
    return {(theExtensionFolder / "../../zephyrine/zephyrine.so").lexically_normal().string(),
            (theExtensionFolder / "../bin/zephyrine.so").lexically_normal().string()};
}

std::string locatePlugin() {
    const std::vector<std::string> candidates = pluginCandidates();
    std::string tried;
    for (const std::string &candidate : candidates) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) {
            return candidate;
        }
        tried += (tried.empty() ? "" : ", ") + candidate;
    }
    throw std::runtime_error("no Zephyrine plug-in module found (tried " + tried + "); set " + kPluginVariable +
                             " to the path of zephyrine.so");
}

} // namespace zephyrine_python
