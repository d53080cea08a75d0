#include "platform/system.h"

#include <cstdlib>

namespace platform {

std::optional<std::string> environmentVariable(const char *name) {
    // The runtime's own lookup on both systems, so tests can point HOME elsewhere with setenv/_putenv.
    const char *value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

} // namespace platform
