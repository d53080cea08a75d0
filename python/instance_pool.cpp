#include "python/instance_pool.h"

#include "python/module_location.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>

namespace zephyrine_python {

namespace {

// The process that first borrowed an instance (and so may have started the effect's threads),
// and the one loading the module while it does (and so holds the loading lock): 0 for none.
// Atomics, read before any lock, since a forked child inherits locks held by threads it lacks.
std::atomic<pid_t> firstUser{0};
std::atomic<pid_t> loader{0};

void refuseForkedChild() {
    const pid_t self = getpid();
    for (const pid_t parent : {firstUser.load(), loader.load()}) {
        if (parent != 0 && parent != self) {
            throw std::runtime_error("this process was forked from process " + std::to_string(parent) +
                                     " after that one used the Zephyrine plug-in module, whose worker threads "
                                     "do not survive a fork: fork before the first render, or start workers "
                                     "with multiprocessing's \"spawn\" or \"forkserver\" method");
        }
    }
}

} // namespace

InstancePool &InstancePool::process() {
    refuseForkedChild();
    static std::mutex loading;
    // Never destroyed: the module stays loaded until the process ends, so no render still
    // running on another thread at interpreter exit can find it unloaded.
    static InstancePool *pool = nullptr;
    const std::lock_guard<std::mutex> guard(loading);
    if (pool == nullptr) {
        loader = getpid();
        const struct Loaded {
            ~Loaded() { loader = 0; }
        } loaded;
        pool = new InstancePool(locatePlugin());
    }
    return *pool;
}

InstancePool::Lease InstancePool::borrow(int width, int height, int depth) {
    pid_t none = 0;
    firstUser.compare_exchange_strong(none, getpid());
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

void InstancePool::releaseBuffers() {
    const std::lock_guard<std::mutex> guard(lock_);
    for (const auto &instance : idle_) {
        instance->dropWorlds();
    }
}

void InstancePool::giveBack(std::unique_ptr<embedhost::EffectInstance> instance) {
    const std::lock_guard<std::mutex> guard(lock_);
    idle_.push_back(std::move(instance));
}

} // namespace zephyrine_python
