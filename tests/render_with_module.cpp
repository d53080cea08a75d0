// Loads the module at a path, as a host loads it from its plug-in folder, and renders the
// worked example of a flat normal through it: exits 0 when the pixel comes out as the rules
// say. The installer test runs it on the module where the installer put it.
//   render_with_module PATH
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"

#include <cstdio>
#include <exception>
#include <vector>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_with_module PATH\n");
        return 2;
    }
    try {
        embedhost::PluginModule module(argv[1]);
        hostsim::HostSim host(module.entryPoint());
        hostsim::World source({3, 2, 8}), output({3, 2, 8});
        for (int32_t y = 0; y < 2; ++y) {
            for (int32_t x = 0; x < 3; ++x) {
                source.set<uint8_t>(x, y, 255, 128, 128, 255);
            }
        }
        host.setWorlds(&source, &output);
        const PF_Err err = host.runSmartSequence(8);
        const std::vector<uint8_t> pixel = output.get<uint8_t>(2, 1);
        std::printf("%s: result %d, (255, 128, 128, 255) became (%d, %d, %d, %d)\n", argv[1], err, pixel[0], pixel[1],
                    pixel[2], pixel[3]);
        return err == PF_Err_NONE && pixel == std::vector<uint8_t>{255, 127, 127, 254} ? 0 : 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
