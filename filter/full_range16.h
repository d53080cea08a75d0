// 16-bit images outside After Effects (files, OpenFX hosts) have their white at 65535; the
// effect's 16-bit arithmetic has it at 32768. Both ways round to nearest, and the effect's
// values above its white (up to 65535) come back as the full range's white.
#pragma once

#include <cstdint>

// (value * 32768 + 32767) / 65535, with the division as x / 65535 = (x + 1 + (x >> 16)) >> 16,
// which holds for every x this forms (checked for all 65536 values) and which vector code
// can do: there is no vector integer division.
constexpr uint16_t fullRangeToEffect16(uint32_t value) {
    const uint32_t x = value * 32768u + 32767u;
    return static_cast<uint16_t>((x + 1u + (x >> 16)) >> 16);
}

constexpr uint16_t effectToFullRange16(uint32_t value) {
    const uint32_t scaled = (value * 65535u + 16384u) >> 15;
    return static_cast<uint16_t>(scaled < 65535u ? scaled : 65535u);
}
