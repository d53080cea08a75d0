// Pixels between a picture (the file's RGBA; 16-bit white is 65535) and a host world (ARGB;
// 16-bit white is 32768), a whole row at a time. The loops hold no per-pixel branch or call,
// so the compiler turns them into vector code: the copies cost about what a memory copy does.
#pragma once

#include "cli/picture.h"
#include "hostsim/world.h"

#include <cstdint>

namespace cli {

// The effect's 16-bit white is 32768, a 16-bit file's 65535; both ways round to nearest.
constexpr uint16_t fileToEffect16(uint32_t value) { return static_cast<uint16_t>((value * 32768u + 32767u) / 65535u); }
constexpr uint16_t effectToFile16(uint32_t value) {
    const uint32_t scaled = (value * 65535u + 16384u) >> 15;
    return static_cast<uint16_t>(scaled < 65535u ? scaled : 65535u);
}

// The whole picture into a world of its size and depth.
void pictureToWorld(const Picture &picture, hostsim::World &world);

// Red, green and blue of a world back into the picture; the picture's alpha stays as the
// file had it.
void worldToPicture(hostsim::World &world, Picture &picture);

} // namespace cli
