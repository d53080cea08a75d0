#include "embedhost/length_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace embedhost {

double unitChannel(const ImagePixels &pixels, std::size_t pixel, int channel) {
    const std::size_t row = pixels.rowPixels == 0 ? 0 : pixel / pixels.rowPixels;
    const std::size_t column = pixels.rowPixels == 0 ? pixel : pixel % pixels.rowPixels;
    const std::size_t at =
        row * pixels.rowBytes + (column * static_cast<std::size_t>(pixels.layout.stride) + static_cast<std::size_t>(channel)) *
                                    static_cast<std::size_t>(pixels.depth / 8);
    if (pixels.depth == 8) {
        return pixels.data[at] / 255.0;
    }
    if (pixels.depth == 16) {
        uint16_t value;
        std::memcpy(&value, pixels.data + at, sizeof value);
        return value / 65535.0;
    }
    float value;
    std::memcpy(&value, pixels.data + at, sizeof value);
    return value;
}

Decoded decodeVector(double red, double green, double blue, bool traditional) {
    if (traditional) {
        return {red, green, blue};
    }
    return {red * 2.0 - 1.0, green * 2.0 - 1.0, blue * 2.0 - 1.0};
}

double channelTolerance(ChannelStorage storage) {
    if (storage.floating) {
        // Rendered at 32 bits: the double result rounded to float (2^-25 below 1, taken as 2^-24),
        // then half's own rounding (2^-12 below 1) where the file holds half.
        return storage.bits <= 16 ? 0x1p-24 + 0x1p-12 : 0x1p-24;
    }
    if (storage.bits <= 8) {
        return 1.0 / 255.0; // rendered at 8 bits: truncated, less than one step
    }
    // Rendered at 16 bits: truncated at the effect's 32768, rounded to the file's 65535; a file
    // of fewer bits adds a step of its own depth for its conversion and one 65535th for the
    // conversion back when it is read.
    const double sixteen = 1.0 / 32768.0 + 0.5 / 65535.0;
    return storage.bits >= 16 ? sixteen : sixteen + 1.0 / 65535.0 + 1.0 / ((1 << storage.bits) - 1);
}

double offLengthLimit(double channelTolerance, bool traditional) {
    // The length itself is computed in double: a relative 2^-40 covers its rounding many times.
    return (traditional ? 1.0 : 2.0) * std::sqrt(3.0) * channelTolerance * (1.0 + 0x1p-40);
}

LengthStats measureLengths(const ImagePixels &pixels, double channelTolerance, bool traditional) {
    const double limit = offLengthLimit(channelTolerance, traditional);
    LengthStats stats;
    stats.pixels = pixels.count;
    if (stats.pixels == 0) {
        return stats;
    }
    stats.minimum = std::numeric_limits<double>::infinity();
    double sum = 0.0;
    std::size_t off = 0;
    for (std::size_t p = 0; p < stats.pixels; ++p) {
        const double channels[3] = {unitChannel(pixels, p, 0), unitChannel(pixels, p, 1), unitChannel(pixels, p, 2)};
        const Decoded v = decodeVector(channels[0], channels[1], channels[2], traditional);
        const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        stats.minimum = std::min(stats.minimum, length);
        stats.maximum = std::max(stats.maximum, length);
        sum += length;
        if (!(std::fabs(length - 1.0) <= limit)) {
            ++off;
        }
    }
    stats.mean = sum / static_cast<double>(stats.pixels);
    stats.offShare = static_cast<double>(off) / static_cast<double>(stats.pixels);
    return stats;
}

} // namespace embedhost
