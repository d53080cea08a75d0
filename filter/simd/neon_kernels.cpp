// Two pixels per register on AArch64, whose Advanced SIMD (NEON) every processor has. Each
// operation is the IEEE operation of the scalar reference; where x86 instructions answer one
// operand for NaN (min, max) the lanes compare and select, so NaN takes the same way here.
// 8-bit rows go first through four single-precision lanes where the bound decides them
// (fast_rows.h).
#include "filter/simd/isa_kernels.h"

#include "filter/simd/contraction_probe.h"

#include <arm_neon.h>

#include <cstring>

#define KERNEL_TARGET
#include "filter/simd/vector_rows.h"

#include "filter/simd/fast_rows.h"

namespace {

struct Neon {
    static constexpr int32_t lanes = 2;
    using D = float64x2_t;
    using Mask = uint64x2_t;

    static D set1(double v) { return vdupq_n_f64(v); }
    static D add(D a, D b) { return vaddq_f64(a, b); }
    static D sub(D a, D b) { return vsubq_f64(a, b); }
    static D mul(D a, D b) { return vmulq_f64(a, b); }
    static D div(D a, D b) { return vdivq_f64(a, b); }
    // a < b ? a : b: the second operand for NaN, as the scalar write's comparison takes it.
    static D min(D a, D b) { return vbslq_f64(vcltq_f64(a, b), a, b); }
    static D negate(D a) { return vnegq_f64(a); }
    static Mask hasLength(D s) { return vbicq_u64(vceqq_f64(s, s), vceqzq_f64(s)); }
    static D sqrtWhere(Mask m, D a, D b) { return vbslq_f64(m, vsqrtq_f64(a), b); }

    // Truncated toward zero; 0 for NaN and values below zero (a > 0 ? a : 0).
    static uint64x2_t truncated64(D channel) {
        const D zero = vdupq_n_f64(0.0);
        return vcvtq_u64_f64(vbslq_f64(vcgtq_f64(channel, zero), channel, zero));
    }

    // 8 bits: each pixel is one 32-bit word, channel i in bits 8i.
    using Words = uint32x2_t;
    static Words loadWords(const unsigned char *from) {
        uint64_t bits;
        std::memcpy(&bits, from, sizeof bits);
        return vcreate_u32(bits);
    }
    static void storeWords(unsigned char *to, Words words) {
        const uint64_t bits = vget_lane_u64(vreinterpret_u64_u32(words), 0);
        std::memcpy(to, &bits, sizeof bits);
    }
    template <int Shift> static D byteAt(Words words) {
        Words shifted = words;
        if constexpr (Shift != 0) {
            shifted = vshr_n_u32(words, Shift);
        }
        if constexpr (Shift != 24) {
            shifted = vand_u32(shifted, vdup_n_u32(0xFF));
        }
        return vcvtq_f64_u64(vmovl_u32(shifted));
    }
    template <int Shift> static Words placed(Words into, Words bytes) { return vorr_u32(into, vshl_n_u32(bytes, Shift)); }
    // Truncated as they are: alpha, which is always in range.
    static Words converted(D channel) { return vmovn_u64(vcvtq_u64_f64(channel)); }
    static Words truncated(D channel) { return vmovn_u64(truncated64(channel)); }

    // 16 bits: each pixel is one 64-bit word, channel i in bits 16i.
    static uint64x2_t pixels16(const unsigned char *from) {
        uint64_t words[2];
        std::memcpy(words, from, sizeof words);
        return vld1q_u64(words);
    }
    template <int Alpha> static void load16(const unsigned char *from, D channels[4]) {
        const uint64x2_t pixels = pixels16(from);
        const uint64x2_t mask = vdupq_n_u64(0xFFFF);
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        channels[c[0]] = vcvtq_f64_u64(vandq_u64(vshlq_u64(pixels, vdupq_n_s64(-16 * c[0])), mask));
        channels[c[1]] = vcvtq_f64_u64(vandq_u64(vshlq_u64(pixels, vdupq_n_s64(-16 * c[1])), mask));
        channels[c[2]] = vcvtq_f64_u64(vandq_u64(vshlq_u64(pixels, vdupq_n_s64(-16 * c[2])), mask));
    }
    template <int Alpha>
    static void store16(unsigned char *to, const D channels[4], const unsigned char *alphaFrom) {
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        uint64x2_t pixels = vandq_u64(pixels16(alphaFrom), vdupq_n_u64(0xFFFFull << (16 * Alpha)));
        for (int i : c) {
            pixels = vorrq_u64(pixels, vshlq_u64(truncated64(channels[i]), vdupq_n_s64(16 * i)));
        }
        uint64_t words[2];
        vst1q_u64(words, pixels);
        std::memcpy(to, words, sizeof words);
    }

    // Float: each pixel is four floats; the two pixels' channels come apart with one
    // de-interleaving load. Alpha is only moved, as bits, never converted.
    template <int> static void load32(const unsigned char *from, D channels[4]) {
        float values[8];
        std::memcpy(values, from, sizeof values);
        const float32x2x4_t split = vld4_f32(values);
        for (int i = 0; i < 4; ++i) {
            channels[i] = vcvt_f64_f32(split.val[i]);
        }
    }
    template <int Alpha>
    static void store32(unsigned char *to, const D channels[4], const unsigned char *alphaFrom) {
        uint32_t stored[8];
        std::memcpy(stored, alphaFrom, sizeof stored);
        uint32x2x4_t split = vld4_u32(stored);
        for (int i : colourPositions(Alpha)) {
            split.val[i] = vreinterpret_u32_f32(vcvt_f32_f64(channels[i]));
        }
        vst4_u32(stored, split);
        std::memcpy(to, stored, sizeof stored);
    }
};

// Four 8-bit pixels in single precision. Every operation is IEEE single precision, rounded as
// FPCR says (fastPlanFor leaves any mode but round-to-nearest to the double kernel), as on
// x86-64, so the bound is the x86 rows' own. A multiply-add stays two operations: the bound
// charges two roundings either way, and the binary then holds no fused instruction at all.
struct NeonFloat {
    static constexpr int32_t lanes = 4;
    using D = float32x4_t;

    static D set1(double v) { return vdupq_n_f32(static_cast<float>(v)); }
    static D mul(D a, D b) { return vmulq_f32(a, b); }
    static D div(D a, D b) { return vdivq_f32(a, b); }
    static D max(D a, D b) { return vmaxq_f32(a, b); }
    static D sub(D a, D b) { return vsubq_f32(a, b); }
    static D add(D a, D b) { return vaddq_f32(a, b); }
    static D abs(D a) { return vabsq_f32(a); }
    static D sqrt(D a) { return vsqrtq_f32(a); }
    static D mulAdd(D a, D b, D c) { return vaddq_f32(vmulq_f32(a, b), c); }

    // 8 bits: each pixel is one 32-bit word, channel i in bits 8i.
    using Words = uint32x4_t;
    static Words loadWords(const unsigned char *from) { return vreinterpretq_u32_u8(vld1q_u8(from)); }
    static void storeWords(unsigned char *to, Words words) { vst1q_u8(to, vreinterpretq_u8_u32(words)); }
    template <int Shift> static D byteAt(Words words) {
        Words shifted = words;
        if constexpr (Shift != 0) {
            shifted = vshrq_n_u32(words, Shift);
        }
        if constexpr (Shift != 24) {
            shifted = vandq_u32(shifted, vdupq_n_u32(0xFF));
        }
        return vcvtq_f32_u32(shifted);
    }
    template <int Shift> static Words placed(Words into, Words bytes) { return vorrq_u32(into, vshlq_n_u32(bytes, Shift)); }
    static Words kept(Words words, uint32_t mask) { return vandq_u32(words, vdupq_n_u32(mask)); }
    static Words flipped(Words words, uint32_t mask) { return veorq_u32(words, vdupq_n_u32(mask)); }
    template <int Shift> static Words added(Words into, Words integers) {
        return vaddq_u32(into, vshlq_n_u32(integers, Shift));
    }
    static D floorParts(D q, Words &integer) {
        const D whole = vrndmq_f32(q);
        integer = vreinterpretq_u32_s32(vcvtq_s32_f32(whole));
        return vsubq_f32(q, whole);
    }
    // The nearest any channel comes to an integer, min(f, 1 - f), against e. A NaN fraction or
    // length compares false, so its lane is undecided, as on x86.
    static uint32_t undecided(const D fraction[3], D e, D s, float sMin) {
        const D one = vdupq_n_f32(1.0f);
        D nearest = vminq_f32(fraction[0], vsubq_f32(one, fraction[0]));
        nearest = vminq_f32(nearest, vminq_f32(fraction[1], vsubq_f32(one, fraction[1])));
        nearest = vminq_f32(nearest, vminq_f32(fraction[2], vsubq_f32(one, fraction[2])));
        const uint32x4_t decided = vandq_u32(vcgtq_f32(nearest, e), vcgeq_f32(s, vdupq_n_f32(sMin)));
        static constexpr uint32_t laneBits[4] = {1, 2, 4, 8};
        return vaddvq_u32(vandq_u32(decided, vld1q_u32(laneBits))) ^ 0xFu;
    }
    // Four lanes: the set ones copied in order.
    static int32_t pack(uint32_t lanes, const unsigned char *from, int32_t first, uint32_t *pixels, int32_t *places) {
        int32_t count = 0;
        for (int32_t lane = 0; lane < NeonFloat::lanes; ++lane) {
            if ((lanes >> lane) & 1u) {
                std::memcpy(&pixels[count], from + 4 * lane, 4);
                places[count++] = first + lane;
            }
        }
        return count;
    }
};

} // namespace

RowKernels neonRowKernels() { return fastRowKernels<Neon, NeonFloat>(); }

bool neonRoundsEachProduct() { return productsRounded(); }
