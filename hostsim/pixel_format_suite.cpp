// The tests' view of Premiere Pro's "PF Pixel Format Suite": the declared formats are
// recorded, and the host's answers can be scripted to fail.
#include "hostsim/host_sim.h"

namespace hostsim {

PF_Err HostSim::addSupportedPixelFormat(PrPixelFormat format) {
    if (script_.addPixelFormatError != PF_Err_NONE) {
        return script_.addPixelFormatError;
    }
    seen_.declaredPixelFormats.push_back(format);
    return EffectHost::addSupportedPixelFormat(format);
}

PF_Err HostSim::clearSupportedPixelFormats() {
    seen_.declaredPixelFormats.clear();
    return EffectHost::clearSupportedPixelFormats();
}

PF_Err HostSim::getPixelFormat(PF_EffectWorld *world, PrPixelFormat *format) {
    ++seen_.pixelFormatQueries;
    if (script_.getPixelFormatError != PF_Err_NONE) {
        return script_.getPixelFormatError;
    }
    return EffectHost::getPixelFormat(world, format);
}

} // namespace hostsim
