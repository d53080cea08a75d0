// The effect instances a renderer renders with, on one loaded plug-in module. Each render
// borrows an instance of its own (several threads render at once, each through its own
// instance, as a host renders several layers) and gives it back for the next render: an
// instance's setup commands then run once, not per frame, and it keeps its two worlds for the
// next frame of the same size.
#pragma once

#include "embedhost/effect_instance.h"
#include "embedhost/plugin_module.h"

#include <sys/types.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace embedhost {

// A pool used in a process forked from the one that rendered with it.
struct ForkedProcessError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class InstancePool {
public:
    // An instance lent to one render. Given back to the pool only by giveBack(), after a
    // render that succeeded; one that threw is dropped, so no pooled instance holds the
    // state of a failed command.
    class Lease {
    public:
        Lease(InstancePool &pool, std::unique_ptr<EffectInstance> instance)
            : pool_(&pool), instance_(std::move(instance)) {}
        EffectInstance &operator*() { return *instance_; }
        EffectInstance *operator->() { return instance_.get(); }
        void giveBack() { pool_->giveBack(std::move(instance_)); }

    private:
        InstancePool *pool_;
        std::unique_ptr<EffectInstance> instance_;
    };

    // Loads the plug-in module (throws std::runtime_error when it does not load).
    explicit InstancePool(const std::string &path) : module_(std::make_shared<const PluginModule>(path)) {}

    // An idle instance, one that keeps worlds of this size if there is one, else a new one
    // (whose setup commands may throw RenderError). Throws ForkedProcessError, before it takes
    // any lock, in a process forked from one that borrowed from this pool: the effect's worker
    // threads, or a lock held by another thread, stayed behind in the parent, and a render
    // would wait for them for ever.
    Lease borrow(int width, int height, int depth);

    // Frees the host buffers the idle instances keep for their next frame. Throws
    // ForkedProcessError as borrow() does.
    void releaseBuffers();

    const std::string &pluginPath() const { return module_->path(); }

private:
    // Throws ForkedProcessError in a process forked from the pool's first user.
    void refuseForkedChild();
    void giveBack(std::unique_ptr<EffectInstance> instance);

    std::shared_ptr<const PluginModule> module_;
    // The process that first borrowed (and so may have started the effect's threads); 0 for
    // none. An atomic, read before any lock.
    std::atomic<pid_t> firstUser_{0};
    std::mutex lock_;
    std::vector<std::unique_ptr<EffectInstance>> idle_;
};

} // namespace embedhost
