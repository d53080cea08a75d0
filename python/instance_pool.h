// The effect instances the Python module renders with. The plug-in module is loaded once per
// process, on first use, and stays loaded until the process ends, as a host keeps it. Each
// render borrows an instance of its own (several Python threads render at once, each through
// its own instance, as a host renders several layers) and gives it back for the next render:
// an instance's setup commands then run once, not per frame, and it keeps its two worlds for
// the next frame of the same size.
#pragma once

#include "embedhost/effect_instance.h"
#include "embedhost/plugin_module.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zephyrine_python {

class InstancePool {
public:
    // An instance lent to one render. Given back to the pool only by giveBack(), after a
    // render that succeeded; one that threw is dropped, so no pooled instance holds the
    // state of a failed command.
    class Lease {
    public:
        Lease(InstancePool &pool, std::unique_ptr<embedhost::EffectInstance> instance)
            : pool_(&pool), instance_(std::move(instance)) {}
        embedhost::EffectInstance &operator*() { return *instance_; }
        embedhost::EffectInstance *operator->() { return instance_.get(); }
        void giveBack() { pool_->giveBack(std::move(instance_)); }

    private:
        InstancePool *pool_;
        std::unique_ptr<embedhost::EffectInstance> instance_;
    };

    // The process's pool, loading the plug-in module on the first call. Throws
    // std::runtime_error naming the files tried when there is none or it does not load;
    // the next call tries again. Throws std::runtime_error, before it takes any lock, in a
    // process forked from one that used the pool or was loading the module: the effect's
    // worker threads, or a lock held by another thread, stayed behind in the parent, and a
    // render would wait for them for ever.
    static InstancePool &process();

    // An idle instance, one that keeps worlds of this size if there is one, else a new one
    // (whose setup commands may throw embedhost::RenderError).
    Lease borrow(int width, int height, int depth);

    // Frees the host buffers the idle instances keep for their next frame.
    void releaseBuffers();

    const std::string &pluginPath() const { return module_->path(); }

private:
    explicit InstancePool(const std::string &path) : module_(std::make_shared<const embedhost::PluginModule>(path)) {}
    void giveBack(std::unique_ptr<embedhost::EffectInstance> instance);

    std::shared_ptr<const embedhost::PluginModule> module_;
    std::mutex lock_;
    std::vector<std::unique_ptr<embedhost::EffectInstance>> idle_;
};

} // namespace zephyrine_python
