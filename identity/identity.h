// The effect's identity and capabilities, in one place: the run-time answers (about, global
// setup), the plug-in property list resource and the OpenFX descriptor are all built from
// these constants.
#pragma once

#include "api/ae_types.h"

#include <cstdint>
#include <string>

namespace identity {

inline constexpr char kEffectName[] = "Zephyrine";
inline constexpr char kCategory[] = "Mirovanth";
inline constexpr char kMatchName[] = "KVRT Zephyrine";
// One sentence of what the effect does, and the ownership notice.
inline constexpr char kSummary[] = "Rescales RGB values, read as xyz vectors, to unit length.";
inline constexpr char kNotice[] = "Copyright 2026 the Zephyrine developers. All rights reserved.";

// The about box's description: the summary, a blank line, the notice.
inline std::string description() { return std::string(kSummary) + "\r\r" + kNotice; }

// The OpenFX plug-in: its identifier (stable across versions, as the match name is) and the
// name of its bundle and binary, Zephyrine.ofx.bundle/Contents/<arch>/Zephyrine.ofx.
inline constexpr char kOfxIdentifier[] = "com.corvanthis.Zephyrine";
inline constexpr char kOfxBundleName[] = "Zephyrine";

inline constexpr int32_t kVersionMajor = 1;
inline constexpr int32_t kVersionMinor = 0;
inline constexpr int32_t kVersionBugfix = 0;

// What the Windows version resource says of the module.
inline constexpr char kCompanyName[] = "Corvanthis";
inline constexpr char kFileDescription[] = "Zephyrine: rescales normal maps to unit length (effect plug-in)";
inline constexpr char kCopyright[] = "Copyright (c) 2026 the Zephyrine authors";
inline constexpr char kShippedFileName[] = "Zephyrine.aex";

// Whether the module tells the host it may render several frames at once (the build option
// ZEPHYRINE_MULTI_FRAME_RENDERING, on by default). The effect keeps no per-sequence state and
// its shared state is race-free, so it qualifies; the option off builds the original flags.
#if defined(ZEPHYRINE_MULTI_FRAME_RENDERING)
inline constexpr bool kMultiFrameRendering = true;
#else
inline constexpr bool kMultiFrameRendering = false;
#endif

// The effect-API version the property list says the effect is written against. Hosts honour
// the multi-frame flag from effects that claim 13.25 or later (the API level that brought
// it); without the flag the property list keeps the original design's 13.0.
inline constexpr uint16_t kEffectSpecMajor = 13;
inline constexpr uint16_t kEffectSpecMinor = kMultiFrameRendering ? 25 : 0;

inline constexpr PF_OutFlags kOutFlags = PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
inline constexpr PF_OutFlags2 kOutFlags2 = PF_OutFlag2_REVEALS_ZERO_ALPHA | PF_OutFlag2_SUPPORTS_SMART_RENDER |
                                           PF_OutFlag2_FLOAT_COLOR_AWARE |
                                           (kMultiFrameRendering ? PF_OutFlag2_SUPPORTS_THREADED_RENDERING : 0);

// The host's version word: major in three bits, then minor and bug-fix in four each, the
// release stage (3) and build 0. A major of 8 or more wraps.
constexpr uint32_t versionWord(int32_t major, int32_t minor, int32_t bugfix) {
    return (static_cast<uint32_t>(major & 7) << 19) | (static_cast<uint32_t>(minor & 15) << 15) |
           (static_cast<uint32_t>(bugfix & 15) << 11) | 0x600u;
}

inline constexpr uint32_t kVersionWord = versionWord(kVersionMajor, kVersionMinor, kVersionBugfix);

static_assert(kOutFlags == 0x06000000 && kVersionWord == 0x00080600);
static_assert(kOutFlags2 == (kMultiFrameRendering ? 0x08001480 : 0x00001480));

} // namespace identity
