// Premiere Pro's "PF Pixel Format Suite", version 1, as the simulated host offers it in its
// Premiere mode: the declared formats are recorded, and a world's format is the one its test
// gave it.
#include "hostsim/host_sim.h"

#include <algorithm>
#include <cstring>

namespace hostsim {

namespace {

// One pixel of a format from unit values in A, R, G, B order; false for a format not known here.
bool writePixel(PrPixelFormat format, const float argb[4], void *pixel) {
    const int bgra[4] = {3, 2, 1, 0}; // where B, G, R, A take their values from argb
    if (format == PrPixelFormat_BGRA_4444_32f) {
        float channels[4];
        for (int i = 0; i < 4; ++i) {
            channels[i] = argb[bgra[i]];
        }
        std::memcpy(pixel, channels, sizeof channels);
    } else if (format == PrPixelFormat_BGRA_4444_16u) {
        uint16_t channels[4];
        for (int i = 0; i < 4; ++i) {
            channels[i] = static_cast<uint16_t>(std::clamp(argb[bgra[i]], 0.0f, 1.0f) * 32768.0f);
        }
        std::memcpy(pixel, channels, sizeof channels);
    } else if (format == PrPixelFormat_BGRA_4444_8u || format == PrPixelFormat_ARGB_4444_8u) {
        uint8_t channels[4];
        for (int i = 0; i < 4; ++i) {
            const int from = format == PrPixelFormat_BGRA_4444_8u ? bgra[i] : i;
            channels[i] = static_cast<uint8_t>(std::clamp(argb[from], 0.0f, 1.0f) * 255.0f + 0.5f);
        }
        std::memcpy(pixel, channels, sizeof channels);
    } else {
        return false;
    }
    return true;
}

} // namespace

PF_Err HostSim::addSupportedPixelFormat(PF_ProgPtr ref, PrPixelFormat format) {
    HostSim &host = from(ref);
    if (host.script_.addPixelFormatError != PF_Err_NONE) {
        return host.script_.addPixelFormatError;
    }
    host.seen_.declaredPixelFormats.push_back(format);
    return PF_Err_NONE;
}

PF_Err HostSim::clearSupportedPixelFormats(PF_ProgPtr ref) {
    from(ref).seen_.declaredPixelFormats.clear();
    return PF_Err_NONE;
}

// Marked not implemented by the host.
PF_Err HostSim::newWorldOfPixelFormat(PF_ProgPtr, A_u_long, A_u_long, PF_NewWorldFlags, PrPixelFormat,
                                      PF_EffectWorld *) {
    return PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

PF_Err HostSim::disposeWorld(PF_ProgPtr, PF_EffectWorld *) { return PF_Err_UNRECOGNIZED_PARAM_TYPE; }

// No effect reference: the host that is calling the effect on this thread answers, from the
// world whose buffer the record points into (a field's record too).
PF_Err HostSim::getPixelFormat(PF_EffectWorld *world, PrPixelFormat *format) {
    HostSim *host = current();
    if (host == nullptr || world == nullptr || format == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    ++host->seen_.pixelFormatQueries;
    if (host->script_.getPixelFormatError != PF_Err_NONE) {
        return host->script_.getPixelFormatError;
    }
    for (const World *known : {host->outputWorld_, host->sourceWorld_}) {
        if (known != nullptr && known->holds(world->data)) {
            *format = known->pixelFormat();
            return PF_Err_NONE;
        }
    }
    return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err HostSim::blackFor(PrPixelFormat format, void *pixel) {
    const float black[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    return writePixel(format, black, pixel) ? PF_Err_NONE : PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

PF_Err HostSim::whiteFor(PrPixelFormat format, void *pixel) {
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    return writePixel(format, white, pixel) ? PF_Err_NONE : PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

PF_Err HostSim::convertColor(PrPixelFormat format, float alpha, float red, float green, float blue, void *pixel) {
    const float argb[4] = {alpha, red, green, blue};
    return writePixel(format, argb, pixel) ? PF_Err_NONE : PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

} // namespace hostsim
