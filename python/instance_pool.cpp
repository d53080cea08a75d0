#include "python/instance_pool.h"

#include "python/module_location.h"

#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace zephyrine_python {

InstancePool &InstancePool::process() {
    static std::mutex loading;
    // Never destroyed: the module stays loaded until the process ends, so no render still
    // running on another thread at interpreter exit can find it unloaded.
    static InstancePool *pool = nullptr;
    const std::lock_guard<std::mutex> guard(loading);
    if (pool == nullptr) {
        pool = new InstancePool(locatePlugin());
    }
    return *pool;
}

InstancePool::Lease InstancePool::borrow(int width, int height, int depth) {
    pid_t user = 0;
    if (!user_.compare_exchange_strong(user, getpid()) && user != getpid()) {
        throw std::runtime_error("this process was forked from process " + std::to_string(user) +
                                 " after that one used the Zephyrine plug-in module, whose worker threads "
                                 "do not survive a fork: fork before the first render, or start workers "
                                 "with multiprocessing's \"spawn\" or \"forkserver\" method");
    }
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (!idle_.empty()) {
            auto fitting = std::find_if(idle_.begin(), idle_.end(), [&](const auto &instance) {
                return instance->keepsWorldsFor(width, height, depth);
            });
            if (fitting == idle_.end()) {
                fitting = idle_.end() - 1;
            }
            std::unique_ptr<embedhost::EffectInstance> instance = std::move(*fitting);
            idle_.erase(fitting);
            return Lease(*this, std::move(instance));
        }
    }
    // Outside the lock: the setup commands of one new instance need not hold up the others.
    return Lease(*this, std::make_unique<embedhost::EffectInstance>(module_, embedhost::Controls{}));
}

void InstancePool::giveBack(std::unique_ptr<embedhost::EffectInstance> instance) {
    const std::lock_guard<std::mutex> guard(lock_);
    idle_.push_back(std::move(instance));
}

} // namespace zephyrine_python
