#include "embedhost/length_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace embedhost {

double unitChannel(const ImagePixels &pixels, std::size_t pixel, int channel) {
    const std::size_t at = (pixel * static_cast<std::size_t>(pixels.layout.stride) + static_cast<std::size_t>(channel)) *
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

double codeValueAt(int storedDepth) {
    if (storedDepth == 8) {
        return 1.0 / 255.0;
    }
    return storedDepth == 16 ? 1.0 / 32768.0 + 0.5 / 65535.0 : 1.0 / 1024.0;
}

LengthStats measureLengths(const ImagePixels &pixels, double codeValue, bool traditional) {
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
        if (!(length > 0.0) || !std::isfinite(length)) {
            ++off;
            continue;
        }
        const double unit[3] = {v.x / length, v.y / length, v.z / length};
        for (int c = 0; c < 3; ++c) {
            const double ideal = traditional ? unit[c] : (unit[c] + 1.0) * 0.5;
            if (std::fabs(channels[c] - ideal) > codeValue) {
                ++off;
                break;
            }
        }
    }
    stats.mean = sum / static_cast<double>(stats.pixels);
    stats.offShare = static_cast<double>(off) / static_cast<double>(stats.pixels);
    return stats;
}

} // namespace embedhost
