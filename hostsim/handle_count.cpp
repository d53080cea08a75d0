#include "hostsim/handle_count.h"

#include "embedhost/host_handles.h"

#include <atomic>

namespace hostsim {

namespace {

std::atomic<long> outstanding{0};

} // namespace

PF_Handle countedNewHandle(A_u_longlong size) {
    PF_Handle handle = embedhost::newHandle(size);
    if (handle != nullptr) {
        outstanding.fetch_add(1);
    }
    return handle;
}

void countedDisposeHandle(PF_Handle handle) {
    if (handle != nullptr) {
        outstanding.fetch_sub(1);
    }
    embedhost::disposeHandle(handle);
}

long outstandingHandles() { return outstanding.load(); }

} // namespace hostsim
