// Host records as the adapter sees them, for tests and benchmarks that call the adapter
// directly: a world as an ImageDesc, and a parameter array holding the effect's eight controls.
#pragma once

#include "filter/image_desc.h"
#include "hostsim/host_sim.h"
#include "hostsim/world.h"

inline ImageDesc describe(hostsim::World &world) {
    PF_LayerDef &layer = world.layer();
    ImageDesc desc;
    desc.data = layer.data;
    desc.width = layer.width;
    desc.height = layer.height;
    desc.rowBytes = layer.rowbytes;
    desc.bitDepth = world.shape().bitDepth;
    desc.layerWidth = layer.width;
    desc.layerHeight = layer.height;
    desc.valid = true;
    return desc;
}

// Three tilts at 0 and five checkboxes off, after whatever the array holds (the input layer).
inline void appendTheControls(hostsim::HostSim &sim) {
    for (int i = 0; i < 3; ++i) {
        sim.parameters().append(hostsim::floatSliderRecord(0.0));
    }
    for (int i = 0; i < 5; ++i) {
        sim.parameters().append(hostsim::checkboxRecord(0));
    }
    sim.inData().num_params = sim.parameters().size();
}
