#include "platform/thread.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<ThreadCreation> creation{ThreadCreation::normal};

uint32_t endAtOnce(void *) { return 0; }

} // namespace

void setThreadCreationForTesting(ThreadCreation value) { creation.store(value); }

bool applyThreadCreationSetting(ThreadRoutine &routine, void *&argument, ManualResetEvent *&ended) {
    switch (creation.load()) {
    case ThreadCreation::fails:
        return false;
    case ThreadCreation::endsAtOnce:
        routine = endAtOnce;
        argument = nullptr;
        ended = nullptr;
        return true;
    case ThreadCreation::normal:
        break;
    }
    return true;
}

} // namespace platform
