#include "platform/posix/executable_path.h"

#include <mach-o/dyld.h>

#include <cstdint>
#include <vector>

namespace platform {

// macOS has no /proc; dyld tells the path the executable was started by, asking for a larger
// buffer when the first is too small.
std::string executablePath() {
    uint32_t size = 1024;
    std::vector<char> path(size);
    if (_NSGetExecutablePath(path.data(), &size) != 0) {
        path.resize(size);
        if (_NSGetExecutablePath(path.data(), &size) != 0) {
            return {};
        }
    }
    return path.data();
}

} // namespace platform
