#include "platform/system.h"

#include <unistd.h>

namespace platform {

int32_t processorCount() {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<int32_t>(count) : 1;
}

} // namespace platform
