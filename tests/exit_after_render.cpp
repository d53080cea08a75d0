// Renders through the pool and ends the process without unloading the module, as a host that
// quits does. On Windows the system ends the pool threads before the module's teardown runs;
// the process must still end (CTest's time-out catches a hang).
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"

#include <cstdio>

// Still reachable at exit, so the module stays loaded and no leak is reported.
embedhost::PluginModule *module = nullptr;
hostsim::HostSim *host = nullptr;

int main() {
    module = new embedhost::PluginModule(embedhost::PluginModule::besideExecutable());
    host = new hostsim::HostSim(module->entryPoint());
    host->script().processors = 4;
    static hostsim::World source({16, 64, 8}), output({16, 64, 8});
    host->setWorlds(&source, &output);
    const PF_Err err = host->runSmartSequence(8);
    std::printf("rendered with result %d; exiting with the module loaded\n", err);
    return err == PF_Err_NONE ? 0 : 1;
}
