#include "filter/simd/x86_features.h"

#if defined(__x86_64__)

#include <cpuid.h>

#include <cstdint>

namespace {

// The XCR0 bits that say the system saves a register file: SSE and AVX (the 256-bit halves);
// then AVX-512's mask registers and the upper 256 bits of zmm0-15 and all of zmm16-31.
constexpr uint64_t kAvxState = 0x6;
[[maybe_unused]] constexpr uint64_t kAvx512State = 0xE0;

uint64_t savedStateMask() {
    uint32_t low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return static_cast<uint64_t>(high) << 32 | low;
}

// macOS turns on the AVX-512 state for a thread at its first AVX-512 instruction, so XCR0 shows
// it only afterwards; there the system's promise stands in for the bits.
bool avx512StateSaved([[maybe_unused]] uint64_t saved) {
#if defined(__APPLE__)
    return true;
#else
    return (saved & kAvx512State) == kAvx512State;
#endif
}

X86Features query() {
    X86Features features;
    unsigned int a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) {
        return features;
    }
    const bool osSaves = (c & bit_OSXSAVE) != 0;
    const bool hasAvx = (c & bit_AVX) != 0;
    const bool hasFma = (c & bit_FMA) != 0;
    if (!osSaves || !hasAvx) {
        return features;
    }
    const uint64_t saved = savedStateMask();
    if ((saved & kAvxState) != kAvxState) {
        return features;
    }
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
        return features;
    }
    features.avx2 = (b & bit_AVX2) != 0;
    features.fma = hasFma;
    features.avx512f = (b & bit_AVX512F) != 0 && avx512StateSaved(saved);
    return features;
}

} // namespace

const X86Features &x86Features() {
    static const X86Features features = query();
    return features;
}

#endif
