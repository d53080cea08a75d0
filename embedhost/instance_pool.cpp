#include "embedhost/instance_pool.h"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace embedhost {

void InstancePool::refuseForkedChild() {
    const pid_t self = getpid();
    pid_t first = 0;
    if (!firstUser_.compare_exchange_strong(first, self) && first != self) {
        throw ForkedProcessError("this process was forked from process " + std::to_string(first) +
                                 " after that one used the Zephyrine plug-in module, whose worker threads "
                                 "do not survive a fork: fork before the first render, or start workers "
                                 "with multiprocessing's \"spawn\" or \"forkserver\" method");
    }
}

InstancePool::Lease InstancePool::borrow(int width, int height, int depth) {
    refuseForkedChild();
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (!idle_.empty()) {
            auto fitting = std::find_if(idle_.begin(), idle_.end(), [&](const auto &instance) {
                return instance->keepsWorldsFor(width, height, depth);
            });
            if (fitting == idle_.end()) {
                fitting = idle_.end() - 1;
            }
            std::unique_ptr<EffectInstance> instance = std::move(*fitting);
            idle_.erase(fitting);
            return Lease(*this, std::move(instance));
        }
    }
    // Outside the lock: the setup commands of one new instance need not hold up the others.
    return Lease(*this, std::make_unique<EffectInstance>(module_, Controls{}));
}

void InstancePool::releaseBuffers() {
    // Before the first render there is nothing to give back, and nothing to claim: the process
    // may still fork and render in the child.
    if (firstUser_.load() == 0) {
        return;
    }
    refuseForkedChild();
    const std::lock_guard<std::mutex> guard(lock_);
    for (const auto &instance : idle_) {
        instance->dropWorlds();
    }
}

void InstancePool::giveBack(std::unique_ptr<EffectInstance> instance) {
    const std::lock_guard<std::mutex> guard(lock_);
    idle_.push_back(std::move(instance));
}

} // namespace embedhost
