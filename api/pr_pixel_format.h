// Premiere Pro's pixel formats and its "PF Pixel Format Suite", version 1, as an effect of
// the host's effect API reaches them through the basic suite.
#pragma once

#include "api/ae_records.h"

#include <cstddef>
#include <cstdint>

using PrPixelFormat = int32_t;

// The characters in memory order of a little-endian integer: the first in the low byte. (A
// multi-character literal packs them the other way round, so 'bgra' is ARGB_4444_8u.)
constexpr PrPixelFormat makePixelFormatFourCC(char c0, char c1, char c2, char c3) {
    return static_cast<PrPixelFormat>(static_cast<uint32_t>(static_cast<unsigned char>(c0)) |
                                      static_cast<uint32_t>(static_cast<unsigned char>(c1)) << 8 |
                                      static_cast<uint32_t>(static_cast<unsigned char>(c2)) << 16 |
                                      static_cast<uint32_t>(static_cast<unsigned char>(c3)) << 24);
}

inline constexpr PrPixelFormat PrPixelFormat_BGRA_4444_8u = makePixelFormatFourCC('b', 'g', 'r', 'a');
inline constexpr PrPixelFormat PrPixelFormat_BGRA_4444_16u = makePixelFormatFourCC('B', 'g', 'r', 'a');
inline constexpr PrPixelFormat PrPixelFormat_BGRA_4444_32f = makePixelFormatFourCC('B', 'G', 'r', 'a');
inline constexpr PrPixelFormat PrPixelFormat_VUYA_4444_8u = makePixelFormatFourCC('v', 'u', 'y', 'a');
inline constexpr PrPixelFormat PrPixelFormat_ARGB_4444_8u = makePixelFormatFourCC('a', 'r', 'g', 'b');
inline constexpr PrPixelFormat PrPixelFormat_ARGB_4444_16u = makePixelFormatFourCC('A', 'r', 'g', 'b');
inline constexpr PrPixelFormat PrPixelFormat_ARGB_4444_32f = makePixelFormatFourCC('A', 'R', 'g', 'b');
inline constexpr PrPixelFormat PrPixelFormat_BGRA_4444_32f_Linear = makePixelFormatFourCC('B', 'G', 'a', 'L');
inline constexpr PrPixelFormat PrPixelFormat_Invalid = makePixelFormatFourCC('b', 'a', 'd', 'f');

static_assert(PrPixelFormat_BGRA_4444_8u == 0x61726762 && PrPixelFormat_BGRA_4444_16u == 0x61726742 &&
              PrPixelFormat_BGRA_4444_32f == 0x61724742 && PrPixelFormat_ARGB_4444_8u == 0x62677261 &&
              PrPixelFormat_ARGB_4444_16u == 0x62677241 && PrPixelFormat_ARGB_4444_32f == 0x62675241 &&
              PrPixelFormat_VUYA_4444_8u == 0x61797576 && PrPixelFormat_Invalid == 0x66646162);

inline constexpr const char *kPFPixelFormatSuite = "PF Pixel Format Suite";
inline constexpr int32_t kPFPixelFormatSuiteVersion1 = 1;

using PF_NewWorldFlags = int32_t;

// Version 1, Premiere's table: every function answers a PF_Err. The two world functions are
// marked not implemented by the host.
struct PF_PixelFormatSuite1 {
    PF_Err (*AddSupportedPixelFormat)(PF_ProgPtr effect_ref, PrPixelFormat pixelFormat);
    PF_Err (*ClearSupportedPixelFormats)(PF_ProgPtr effect_ref);
    PF_Err (*NewWorldOfPixelFormat)(PF_ProgPtr effect_ref, A_u_long width, A_u_long height, PF_NewWorldFlags flags,
                                    PrPixelFormat pixelFormat, PF_EffectWorld *world);
    PF_Err (*DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld *world);
    PF_Err (*GetPixelFormat)(PF_EffectWorld *inWorld, PrPixelFormat *pixelFormat); // no effect_ref
    PF_Err (*GetBlackForPixelFormat)(PrPixelFormat pixelFormat, void *pixelData);
    PF_Err (*GetWhiteForPixelFormat)(PrPixelFormat pixelFormat, void *pixelData);
    PF_Err (*ConvertColorToPixelFormattedData)(PrPixelFormat pixelFormat, float alpha, float red, float green,
                                               float blue, void *pixelData);
};

static_assert(sizeof(PF_PixelFormatSuite1) == 64 && offsetof(PF_PixelFormatSuite1, ClearSupportedPixelFormats) == 8 &&
              offsetof(PF_PixelFormatSuite1, GetPixelFormat) == 32 &&
              offsetof(PF_PixelFormatSuite1, ConvertColorToPixelFormattedData) == 56);
