#include "cli/synthetic_map.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cli {

namespace {

struct Vec {
    double x, y, z;
};

Vec normalised(Vec v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

// Unit normals of a few shapes on a flat ground: domes, a pyramid, a ring and ripples.
Vec surfaceNormal(double u, double v) {
    struct Dome {
        double cx, cy, r;
    };
    for (const Dome d : {Dome{0.28, 0.30, 0.17}, Dome{0.72, 0.68, 0.20}, Dome{0.25, 0.78, 0.09}}) {
        const double dx = (u - d.cx) / d.r, dy = (v - d.cy) / d.r;
        if (dx * dx + dy * dy < 1.0) {
            return {dx, -dy, std::sqrt(1.0 - dx * dx - dy * dy)};
        }
    }
    const double px = u - 0.72, py = v - 0.25;
    if (std::fabs(px) < 0.15 && std::fabs(py) < 0.15) { // a pyramid: four flat faces
        return std::fabs(px) > std::fabs(py) ? normalised({px > 0 ? 0.6 : -0.6, 0.0, 0.8})
                                             : normalised({0.0, py > 0 ? -0.6 : 0.6, 0.8});
    }
    const double ring = std::hypot(u - 0.5, v - 0.5);
    if (ring > 0.40 && ring < 0.46) {
        const double slope = std::sin((ring - 0.40) / 0.06 * 3.14159265358979) * 0.7;
        return normalised({slope * (u - 0.5) / ring, -slope * (v - 0.5) / ring, 1.0});
    }
    return normalised({0.15 * std::sin(u * 40.0), 0.15 * std::sin(v * 33.0), 1.0});
}

// Scales every vector by a smoothly varying length from 0.7 to 1.3: an unnormalised map.
double lengthFactor(double u, double v) { return 1.0 + 0.3 * std::sin(u * 7.0 + 1.0) * std::cos(v * 5.0); }

void setUnit(Picture &picture, std::size_t pixel, int channel, double unit) {
    const std::size_t at = (pixel * 4 + static_cast<std::size_t>(channel)) * picture.channelBytes();
    const double clamped = std::clamp(unit, 0.0, 1.0);
    if (picture.depth == 8) {
        picture.rgba[at] = static_cast<unsigned char>(std::lround(clamped * 255.0));
    } else if (picture.depth == 16) {
        const auto value = static_cast<uint16_t>(std::lround(clamped * 65535.0));
        std::memcpy(&picture.rgba[at], &value, sizeof value);
    } else {
        const auto value = static_cast<float>(unit);
        std::memcpy(&picture.rgba[at], &value, sizeof value);
    }
}

} // namespace

Picture blankPicture(int width, int height, int depth, int channels) {
    Picture picture;
    picture.spec = OIIO::ImageSpec(width, height, channels,
                                   depth == 8 ? OIIO::TypeDesc::UINT8 : OIIO::TypeDesc::UINT16);
    picture.depth = depth;
    picture.rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4 * picture.channelBytes(),
                        0);
    return picture;
}

Picture syntheticMap(int depth, MapStorage storage) {
    Picture picture = blankPicture(kSyntheticSide, kSyntheticSide, depth, 4);
    const auto encode = [storage](double component) {
        return storage == MapStorage::standard ? (component + 1.0) * 0.5 : std::max(component, 0.0);
    };
    for (int y = 0; y < kSyntheticSide; ++y) {
        for (int x = 0; x < kSyntheticSide; ++x) {
            const double u = (x + 0.5) / kSyntheticSide, v = (y + 0.5) / kSyntheticSide;
            const Vec n = surfaceNormal(u, v);
            const double f = lengthFactor(u, v);
            const std::size_t p = static_cast<std::size_t>(y) * kSyntheticSide + static_cast<std::size_t>(x);
            setUnit(picture, p, 0, encode(n.x * f));
            setUnit(picture, p, 1, encode(n.y * f));
            setUnit(picture, p, 2, encode(n.z * f));
            setUnit(picture, p, 3, 1.0);
        }
    }
    return picture;
}

} // namespace cli
