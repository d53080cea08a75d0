#include "embedhost/premiere_pixels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace embedhost {

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

PF_Err blackPixel(PrPixelFormat format, void *pixel) {
    const float black[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    return writePixel(format, black, pixel) ? PF_Err_NONE : PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

PF_Err whitePixel(PrPixelFormat format, void *pixel) {
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    return writePixel(format, white, pixel) ? PF_Err_NONE : PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

PF_Err convertColorToPixel(PrPixelFormat format, float alpha, float red, float green, float blue, void *pixel) {
    const float argb[4] = {alpha, red, green, blue};
    return writePixel(format, argb, pixel) ? PF_Err_NONE : PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

} // namespace embedhost
