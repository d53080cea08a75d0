// The effect's eight controls as a host holds them once registered, for callers that drive the
// adapter directly without params setup: three tilts at 0 and five checkboxes off.
#pragma once

#include "hostsim/host_sim.h"

namespace hostsim {

// Appends them after whatever the array holds (the input layer) and tells the effect the count.
inline void appendTheControls(HostSim &sim) {
    for (int i = 0; i < 3; ++i) {
        sim.parameters().append(floatSliderRecord(0.0));
    }
    for (int i = 0; i < 5; ++i) {
        sim.parameters().append(checkboxRecord(0));
    }
    sim.inData().num_params = sim.parameters().size();
}

} // namespace hostsim
