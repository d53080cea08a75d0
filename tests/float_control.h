// The floating-point control state a host may leave set, as each processor keeps it: on x86-64
// MXCSR (rounding mode; flush-to-zero and denormals-are-zero, two bits; exception flags in the
// low six bits), on AArch64 FPCR (rounding mode; one bit that flushes both; the flags live
// elsewhere). Tests set a host's unusual state and check it is left as it was.
#pragma once

#include <cstdint>

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace float_control {

enum class Rounding { nearest, upward, downward, towardZero };

#if defined(__x86_64__)
inline uint64_t get() { return _mm_getcsr(); }
inline void set(uint64_t control) { _mm_setcsr(static_cast<unsigned int>(control)); }
inline uint64_t withRounding(uint64_t control, Rounding mode) {
    const unsigned int bits[] = {_MM_ROUND_NEAREST, _MM_ROUND_UP, _MM_ROUND_DOWN, _MM_ROUND_TOWARD_ZERO};
    return (control & ~uint64_t{_MM_ROUND_MASK}) | bits[static_cast<int>(mode)];
}
inline uint64_t withDenormalsFlushed(uint64_t control) { return control | _MM_FLUSH_ZERO_ON | 0x0040; }
// The state without the exception flags, which the arithmetic sets as it goes.
inline uint64_t settings(uint64_t control) { return control & ~uint64_t{0x3F}; }
#elif defined(__aarch64__)
inline uint64_t get() { return __builtin_aarch64_get_fpcr(); }
inline void set(uint64_t control) { __builtin_aarch64_set_fpcr(static_cast<unsigned int>(control)); }
inline uint64_t withRounding(uint64_t control, Rounding mode) {
    // RMode, bits 22 and 23: nearest, towards plus infinity, towards minus infinity, towards zero.
    return (control & ~(uint64_t{3} << 22)) | (static_cast<uint64_t>(mode) << 22);
}
inline uint64_t withDenormalsFlushed(uint64_t control) { return control | (uint64_t{1} << 24); } // FZ
inline uint64_t settings(uint64_t control) { return control; }
#endif

} // namespace float_control
