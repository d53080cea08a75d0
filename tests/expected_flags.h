// The second global flags word and the effect-API version each build must report, written
// out rather than taken from the identity constants: with multi-frame rendering (the default)
// bit 27 set over 0x1480 and API 13.25, the level from which hosts honour that bit; the
// original design's build 0x1480 and 13.0.
#pragma once

#include <cstdint>

#if defined(ZEPHYRINE_MULTI_FRAME_RENDERING)
inline constexpr uint32_t kExpectedOutFlags2 = 0x08001480;
inline constexpr uint8_t kExpectedSpecMinor = 25;
#else
inline constexpr uint32_t kExpectedOutFlags2 = 0x00001480;
inline constexpr uint8_t kExpectedSpecMinor = 0;
#endif
