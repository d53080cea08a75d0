#include "platform/system.h"

#include <unistd.h>

namespace platform {

int32_t processorCount() {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<int32_t>(count) : 1;
}

bool fileExists(const char *path) { return access(path, F_OK) == 0; }

} // namespace platform
