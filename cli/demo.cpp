#include "cli/demo.h"

#include "cli/effect_runner.h"
#include "cli/length_check.h"
#include "cli/picture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iomanip>

namespace cli {

namespace {

constexpr int kSide = 1024;

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

// A black picture at a render depth; float pictures are described as 16-bit files, which is
// how the demo writes them (PNG holds 8 or 16 bits).
Picture blankPicture(int width, int height, int depth, int channels) {
    Picture picture;
    picture.spec = OIIO::ImageSpec(width, height, channels,
                                   depth == 8 ? OIIO::TypeDesc::UINT8 : OIIO::TypeDesc::UINT16);
    picture.depth = depth;
    picture.rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4 * picture.channelBytes(),
                        0);
    return picture;
}

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

Picture syntheticMap(int depth) {
    Picture picture = blankPicture(kSide, kSide, depth, 4);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const double u = (x + 0.5) / kSide, v = (y + 0.5) / kSide;
            const Vec n = surfaceNormal(u, v);
            const double f = lengthFactor(u, v);
            const std::size_t p = static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x);
            setUnit(picture, p, 0, (n.x * f + 1.0) * 0.5);
            setUnit(picture, p, 1, (n.y * f + 1.0) * 0.5);
            setUnit(picture, p, 2, (n.z * f + 1.0) * 0.5);
            setUnit(picture, p, 3, 1.0);
        }
    }
    return picture;
}

// |1 - |v|| as a heat colour: black (exact) through red to yellow (0.3 or more off).
void heat(double error, unsigned char rgb[3]) {
    const double t = std::clamp(error / 0.3, 0.0, 1.0);
    rgb[0] = static_cast<unsigned char>(std::lround(255.0 * std::min(1.0, t * 2.0)));
    rgb[1] = static_cast<unsigned char>(std::lround(255.0 * std::max(0.0, t * 2.0 - 1.0)));
    rgb[2] = 0;
}

// Input, output, and the length error before and after, each at half size, side by side.
Picture comparison(const Picture &input, const Picture &output) {
    const int half = kSide / 2;
    Picture picture = blankPicture(4 * half, half, 8, 3);
    for (int y = 0; y < half; ++y) {
        for (int x = 0; x < half; ++x) {
            const std::size_t source = static_cast<std::size_t>(2 * y) * kSide + static_cast<std::size_t>(2 * x);
            const Picture *panels[2] = {&input, &output};
            for (int panel = 0; panel < 4; ++panel) {
                const Picture &from = *panels[panel % 2];
                unsigned char rgb[3];
                if (panel < 2) {
                    for (int c = 0; c < 3; ++c) {
                        rgb[c] = static_cast<unsigned char>(std::lround(unitChannel(from, source, c) * 255.0));
                    }
                } else {
                    const Decoded v = decodeVector(unitChannel(from, source, 0), unitChannel(from, source, 1),
                                                   unitChannel(from, source, 2), false);
                    heat(std::fabs(1.0 - std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z)), rgb);
                }
                const std::size_t to = (static_cast<std::size_t>(y) * 4 * half + static_cast<std::size_t>(panel * half + x)) * 4;
                std::memcpy(&picture.rgba[to], rgb, 3);
                picture.rgba[to + 3] = 255;
            }
        }
    }
    return picture;
}

void printStats(std::ostream &out, const char *label, const LengthStats &stats) {
    out << "  " << std::left << std::setw(22) << label << std::fixed << std::setprecision(4) << "|v| min "
        << stats.minimum << "  mean " << stats.mean << "  max " << stats.maximum << "  off-length "
        << std::setprecision(2) << 100.0 * stats.offShare << "%\n";
}

} // namespace

int runDemo(const std::string &folder, const std::string &modulePath, std::ostream &out) {
    std::filesystem::create_directories(folder);
    EffectRunner runner(modulePath, Controls{});
    out << "Zephyrine demo: a synthetic " << kSide << "x" << kSide
        << " normal map with vectors from 0.7 to 1.3 long, through the plug-in\n";

    const Picture input8 = syntheticMap(8);
    writePicture(folder + "/input.png", input8);
    printStats(out, "input (8-bit)", measureLengths(input8, false));

    Picture shown;
    for (int depth : {8, 16, 32}) {
        Picture picture = syntheticMap(depth);
        const auto start = std::chrono::steady_clock::now();
        runner.render(picture);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::string label = "output (" + std::to_string(depth) + "-bit)";
        printStats(out, label.c_str(), measureLengths(picture, false));
        out << "  " << std::string(22, ' ') << std::setprecision(1) << kSide * kSide / seconds / 1e6
            << " megapixels per second\n";
        writePicture(folder + "/output-" + std::to_string(depth) + "bit.png", picture);
        if (depth == 8) {
            shown = picture;
        }
    }
    writePicture(folder + "/comparison.png", comparison(input8, shown));
    out << "Wrote input.png, output-8bit.png, output-16bit.png, output-32bit.png and comparison.png\n"
        << "(input | output | length error before | after; black is unit length) to " << folder << "/\n";
    return 0;
}

} // namespace cli
