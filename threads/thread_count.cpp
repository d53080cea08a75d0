#include "threads/thread_count.h"

#include "platform/lock.h"

namespace {

// Made when the module loads, before any host thread can call back.
platform::Lock threadCountLock;

} // namespace

PF_Err countThreadsCallback(void *refcon, A_long, A_long, A_long) {
    platform::LockGuard guard(threadCountLock);
    ++*static_cast<int32_t *>(refcon);
    return PF_Err_NONE;
}
