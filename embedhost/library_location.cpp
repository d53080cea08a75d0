#include "embedhost/library_location.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <stdexcept>

namespace embedhost {

namespace {

// The folder of the file this code was loaded from, made absolute and free of symbolic links,
// so a later change of the working folder or a linked library still leads to the files
// installed beside it. (POSIX calls rather than std::filesystem: those would need a C++
// runtime newer than the oldest distribution the library serves.)
std::string libraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&libraryFolder), &info) == 0 || info.dli_fname == nullptr) {
        return ".";
    }
    char resolved[PATH_MAX];
    const std::string file = realpath(info.dli_fname, resolved) != nullptr ? resolved : info.dli_fname;
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

// Found while the library is loaded, before anything can change the working folder.
const std::string theLibraryFolder = libraryFolder();

} // namespace

std::vector<std::string> pluginCandidates() {
    if (const char *named = std::getenv(kPluginVariable); named != nullptr && *named != '\0') {
        return {named};
    }
    return {theLibraryFolder + "/zephyrine.so"};
}

std::string locatePlugin() {
    const std::vector<std::string> candidates = pluginCandidates();
    std::string tried;
    for (const std::string &candidate : candidates) {
        if (access(candidate.c_str(), R_OK) == 0) {
            return candidate;
        }
        tried += (tried.empty() ? "" : ", ") + candidate;
    }
    throw std::runtime_error("no Zephyrine plug-in module found (tried " + tried + "); set " + kPluginVariable +
                             " to the path of zephyrine.so");
}

} // namespace embedhost
