// The second global flags word each build must report, written out rather than taken from
// the identity constants: the default build's 0x1480, and with the multi-frame rendering
// option also bit 27 (the host may render several frames at once).
#pragma once

#include <cstdint>

#if defined(ZEPHYRINE_MULTI_FRAME_RENDERING)
inline constexpr uint32_t kExpectedOutFlags2 = 0x08001480;
#else
inline constexpr uint32_t kExpectedOutFlags2 = 0x00001480;
#endif
