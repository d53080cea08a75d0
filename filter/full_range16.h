// 16-bit images outside After Effects (files, OpenFX hosts) have their white at 65535; the
// effect's 16-bit arithmetic has it at 32768. Both ways round to nearest, and the effect's
// values above its white (up to 65535) come back as the full range's white.
#pragma once

#include <cstdint>

constexpr uint16_t fullRangeToEffect16(uint32_t value) {
    return static_cast<uint16_t>((value * 32768u + 32767u) / 65535u);
}

constexpr uint16_t effectToFullRange16(uint32_t value) {
    const uint32_t scaled = (value * 65535u + 16384u) >> 15;
    return static_cast<uint16_t>(scaled < 65535u ? scaled : 65535u);
}
