// Test support for rendering: an adapter built as the entry point builds it, over the records
// of a simulated host with a parameter array of the effect's eight controls.
#pragma once

#include "effect_records.h"
#include "host/zephyrine_ae_host.h"
#include "hostsim/host_sim.h"
#include "hostsim/world.h"

#include <gtest/gtest.h>

// Host indexes of the controls.
enum Control : PF_ParamIndex {
    kTiltForward = 1,
    kTiltSideways,
    kTiltUpwards,
    kInvertX,
    kInvertY,
    kInvertZ,
    kInvertAll,
    kTraditional
};

class RenderHarness {
public:
    RenderHarness() {
        appendTheControls(sim);
        // Numbers the controls and stores the call's records, as every entry call does.
        adapter.dispatch(PF_Cmd_EVENT, &sim.inData(), &sim.outData(), parameters.pointers(), nullptr, nullptr);
    }

    PF_Err render(const ImageDesc &source, const ImageDesc &output, int bitDepth) {
        const hostsim::HostSim::Current current(sim);
        switch (bitDepth) {
        case 8:
            return adapter.render8(source, output, {});
        case 16:
            return adapter.render16(source, output, {});
        default:
            return adapter.render32(source, output, {});
        }
    }
    PF_Err render(hostsim::World &source, hostsim::World &output) {
        return render(describe(source), describe(output), source.shape().bitDepth);
    }

    hostsim::HostSim sim{nullptr};
    embedhost::ParameterArray &parameters = sim.parameters();
    ZephyrineAEHost adapter{"Zephyrine", "Mirovanth", "text"};
};
