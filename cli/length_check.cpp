#include "cli/length_check.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace cli {

namespace {

// One code value at unit scale. A 16-bit file holds 65535 steps but the effect works in 32768,
// so its step there is the effect's, plus the file's own rounding.
double codeValue(const Picture &picture) {
    const OIIO::TypeDesc format = picture.spec.format;
    if (format == OIIO::TypeDesc::UINT8) {
        return 1.0 / 255.0;
    }
    return format == OIIO::TypeDesc::UINT16 ? 1.0 / 32768.0 + 0.5 / 65535.0 : 1.0 / 1024.0;
}

} // namespace

Decoded decodeVector(double red, double green, double blue, bool traditional) {
    if (traditional) {
        return {red, green, blue};
    }
    return {red * 2.0 - 1.0, green * 2.0 - 1.0, blue * 2.0 - 1.0};
}

double unitChannel(const Picture &picture, std::size_t pixel, int channel) {
    const std::size_t at = (pixel * 4 + static_cast<std::size_t>(channel)) * picture.channelBytes();
    if (picture.depth == 8) {
        return picture.rgba[at] / 255.0;
    }
    if (picture.depth == 16) {
        uint16_t value;
        std::memcpy(&value, &picture.rgba[at], sizeof value);
        return value / 65535.0;
    }
    float value;
    std::memcpy(&value, &picture.rgba[at], sizeof value);
    return value;
}

LengthStats measureLengths(const Picture &picture, bool traditional) {
    LengthStats stats;
    stats.pixels = static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height());
    if (stats.pixels == 0) {
        return stats;
    }
    const double tolerance = codeValue(picture);
    stats.minimum = std::numeric_limits<double>::infinity();
    double sum = 0.0;
    std::size_t off = 0;
    for (std::size_t p = 0; p < stats.pixels; ++p) {
        const double channels[3] = {unitChannel(picture, p, 0), unitChannel(picture, p, 1), unitChannel(picture, p, 2)};
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
            if (std::fabs(channels[c] - ideal) > tolerance) {
                ++off;
                break;
            }
        }
    }
    stats.mean = sum / static_cast<double>(stats.pixels);
    stats.offShare = static_cast<double>(off) / static_cast<double>(stats.pixels);
    return stats;
}

} // namespace cli
