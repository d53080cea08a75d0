#include "platform/posix/executable_path.h"

#include <unistd.h>

#include <climits>

namespace platform {

std::string executablePath() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

} // namespace platform
