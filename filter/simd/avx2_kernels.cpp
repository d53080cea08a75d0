// Four pixels per register, on processors with AVX2.
#include "filter/simd/contraction_probe.h"
#include "filter/simd/isa_kernels.h"
#include "filter/simd/x86_features.h"

#include <immintrin.h>

#define KERNEL_TARGET __attribute__((target("avx2")))
#include "filter/simd/vector_rows.h"
#define FAST_TARGET __attribute__((target("avx2,fma")))
#include "filter/simd/fast_rows.h"

namespace {

struct Avx2 {
    static constexpr int32_t lanes = 4;
    using D = __m256d;
    using Mask = __m256d;

    KERNEL_TARGET static D set1(double v) { return _mm256_set1_pd(v); }
    KERNEL_TARGET static D add(D a, D b) { return _mm256_add_pd(a, b); }
    KERNEL_TARGET static D sub(D a, D b) { return _mm256_sub_pd(a, b); }
    KERNEL_TARGET static D mul(D a, D b) { return _mm256_mul_pd(a, b); }
    KERNEL_TARGET static D div(D a, D b) { return _mm256_div_pd(a, b); }
    KERNEL_TARGET static D min(D a, D b) { return _mm256_min_pd(a, b); }
    KERNEL_TARGET static D negate(D a) { return _mm256_xor_pd(a, _mm256_set1_pd(-0.0)); }
    KERNEL_TARGET static Mask hasLength(D s) { return _mm256_cmp_pd(s, _mm256_setzero_pd(), _CMP_NEQ_OQ); }
    KERNEL_TARGET static D sqrtWhere(Mask m, D a, D b) { return select(m, _mm256_sqrt_pd(a), b); }
    KERNEL_TARGET static D select(Mask m, D a, D b) { return _mm256_blendv_pd(b, a, m); }

    // 8 bits: each pixel is one 32-bit word, channel i in bits 8i (vector_rows.h reads and
    // writes them with these).
    using Words = __m128i;
    KERNEL_TARGET static Words loadWords(const unsigned char *from) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(from)); }
    KERNEL_TARGET static void storeWords(unsigned char *to, Words words) { _mm_storeu_si128(reinterpret_cast<__m128i *>(to), words); }
    template <int Shift> KERNEL_TARGET static D byteAt(Words words) {
        const Words shifted = Shift == 0 ? words : _mm_srli_epi32(words, Shift);
        return _mm256_cvtepi32_pd(Shift == 24 ? shifted : _mm_and_si128(shifted, _mm_set1_epi32(0xFF)));
    }
    template <int Shift> KERNEL_TARGET static Words placed(Words into, Words bytes) {
        return _mm_or_si128(into, _mm_slli_epi32(bytes, Shift));
    }
    // Truncated as they are: alpha, which is always in range.
    KERNEL_TARGET static Words converted(D channel) { return _mm256_cvttpd_epi32(channel); }
    // Truncated to 32-bit integers: NaN and values out of range give the smallest integer, so
    // NaN and values below zero become 0.
    KERNEL_TARGET static __m128i truncated(D channel) {
        return _mm_max_epi32(_mm256_cvttpd_epi32(channel), _mm_setzero_si128());
    }

    // 16 bits: each pixel is one 64-bit word, channel i in bits 16i.
    KERNEL_TARGET static D channel16(__m256i pixels, int shift) {
        const __m256i value = _mm256_and_si256(_mm256_srli_epi64(pixels, shift), _mm256_set1_epi64x(0xFFFF));
        const __m256i packed = _mm256_permutevar8x32_epi32(value, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
        return _mm256_cvtepi32_pd(_mm256_castsi256_si128(packed));
    }
    template <int Alpha> KERNEL_TARGET static void load16(const unsigned char *from, D channels[4]) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from));
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        channels[c[0]] = channel16(pixels, 16 * c[0]);
        channels[c[1]] = channel16(pixels, 16 * c[1]);
        channels[c[2]] = channel16(pixels, 16 * c[2]);
    }
    KERNEL_TARGET static __m256i wide16(D channel, int shift) {
        return _mm256_slli_epi64(_mm256_cvtepu32_epi64(truncated(channel)), shift);
    }
    template <int Alpha>
    KERNEL_TARGET static void store16(unsigned char *to, const D channels[4], const unsigned char *alphaFrom) {
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        const __m256i alpha = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(alphaFrom)),
                                               _mm256_set1_epi64x(static_cast<long long>(0xFFFFull << (16 * Alpha))));
        const __m256i pixels =
            _mm256_or_si256(_mm256_or_si256(alpha, wide16(channels[c[0]], 16 * c[0])),
                            _mm256_or_si256(wide16(channels[c[1]], 16 * c[1]), wide16(channels[c[2]], 16 * c[2])));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(to), pixels);
    }

    // Float: each pixel is four floats, four pixels two registers. Interleaving the two and
    // one permutation gather each channel; alpha is not read.
    KERNEL_TARGET static __m256 floats(const unsigned char *from) {
        return _mm256_loadu_ps(reinterpret_cast<const float *>(from));
    }
    template <int Alpha> KERNEL_TARGET static void load32(const unsigned char *from, D channels[4]) {
        const __m256 first = floats(from), second = floats(from + 32);
        // Per half: channel 0 of pixels 0 and 2, channel 1 of the same | the same of pixels 1
        // and 3; and likewise channels 2 and 3.
        const __m256 channels01 = _mm256_unpacklo_ps(first, second);
        const __m256 channels23 = _mm256_unpackhi_ps(first, second);
        if constexpr (Alpha == 0) {
            const __m256 reds = _mm256_permutevar8x32_ps(channels01, _mm256_setr_epi32(2, 6, 3, 7, 2, 6, 3, 7));
            const __m256 gb = _mm256_permutevar8x32_ps(channels23, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
            channels[1] = _mm256_cvtps_pd(_mm256_castps256_ps128(reds));
            channels[2] = _mm256_cvtps_pd(_mm256_castps256_ps128(gb));
            channels[3] = _mm256_cvtps_pd(_mm256_extractf128_ps(gb, 1));
        } else {
            const __m256 firstTwo = _mm256_permutevar8x32_ps(channels01, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
            const __m256 third = _mm256_permutevar8x32_ps(channels23, _mm256_setr_epi32(0, 4, 1, 5, 0, 4, 1, 5));
            channels[0] = _mm256_cvtps_pd(_mm256_castps256_ps128(firstTwo));
            channels[1] = _mm256_cvtps_pd(_mm256_extractf128_ps(firstTwo, 1));
            channels[2] = _mm256_cvtps_pd(_mm256_castps256_ps128(third));
        }
    }
    // The colours narrowed and put in place; alpha kept as stored at `alphaFrom`, bit for bit
    // (a blend converts nothing).
    template <int Alpha>
    KERNEL_TARGET static void store32(unsigned char *to, const D channels[4], const unsigned char *alphaFrom) {
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        constexpr int firstTwoMask = ((1 << c[0]) | (1 << c[1])) * 0x11;
        constexpr int thirdMask = (1 << c[2]) * 0x11;
        const __m256 two = _mm256_set_m128(_mm256_cvtpd_ps(channels[c[1]]), _mm256_cvtpd_ps(channels[c[0]]));
        const __m256 third = _mm256_castps128_ps256(_mm256_cvtpd_ps(channels[c[2]]));
        for (int half = 0; half < 2; ++half) {
            // Pixels i and i + 1 (lanes 0-3 and 4-7): the first colour from lane i of `two`,
            // the second from lane 4 + i, the third from lane i of `third`.
            const int i = 2 * half;
            const auto fromTwo = [&](int lane) {
                const int pixel = i + lane / 4, channel = lane % 4;
                return channel == c[0] ? pixel : channel == c[1] ? 4 + pixel : 0;
            };
            const auto fromThird = [&](int lane) { return lane % 4 == c[2] ? i + lane / 4 : 0; };
            const __m256 firstTwo =
                _mm256_permutevar8x32_ps(two, _mm256_setr_epi32(fromTwo(0), fromTwo(1), fromTwo(2), fromTwo(3),
                                                                fromTwo(4), fromTwo(5), fromTwo(6), fromTwo(7)));
            const __m256 thirds = _mm256_permutevar8x32_ps(
                third, _mm256_setr_epi32(fromThird(0), fromThird(1), fromThird(2), fromThird(3), fromThird(4),
                                         fromThird(5), fromThird(6), fromThird(7)));
            const __m256 pixels = _mm256_blend_ps(
                _mm256_blend_ps(floats(alphaFrom + 32 * half), firstTwo, firstTwoMask), thirds, thirdMask);
            _mm256_storeu_ps(reinterpret_cast<float *>(to + 32 * half), pixels);
        }
    }
};

// Eight pixels per register in single precision, for the 8-bit fast path.
struct Avx2Float {
    // Whether this target's double arithmetic rounds every product (contraction_probe.h).
    FAST_TARGET static bool roundsEachProduct() { return productsRounded(); }

    static constexpr int32_t lanes = 8;
    using D = __m256;

    FAST_TARGET static D set1(double v) { return _mm256_set1_ps(static_cast<float>(v)); }
    FAST_TARGET static D mul(D a, D b) { return _mm256_mul_ps(a, b); }
    FAST_TARGET static D div(D a, D b) { return _mm256_div_ps(a, b); }
    FAST_TARGET static D max(D a, D b) { return _mm256_max_ps(a, b); }
    FAST_TARGET static D sub(D a, D b) { return _mm256_sub_ps(a, b); }
    FAST_TARGET static D add(D a, D b) { return _mm256_add_ps(a, b); }
    FAST_TARGET static D abs(D a) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), a); }
    FAST_TARGET static D sqrt(D a) { return _mm256_sqrt_ps(a); }
    FAST_TARGET static D mulAdd(D a, D b, D c) { return _mm256_fmadd_ps(a, b, c); }

    // 8 bits: each pixel is one 32-bit word, channel i in bits 8i.
    using Words = __m256i;
    FAST_TARGET static Words loadWords(const unsigned char *from) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from)); }
    FAST_TARGET static void storeWords(unsigned char *to, Words words) { _mm256_storeu_si256(reinterpret_cast<__m256i *>(to), words); }
    template <int Shift> FAST_TARGET static D byteAt(Words words) {
        const Words shifted = Shift == 0 ? words : _mm256_srli_epi32(words, Shift);
        return _mm256_cvtepi32_ps(Shift == 24 ? shifted : _mm256_and_si256(shifted, _mm256_set1_epi32(0xFF)));
    }
    template <int Shift> FAST_TARGET static Words placed(Words into, Words bytes) {
        return _mm256_or_si256(into, _mm256_slli_epi32(bytes, Shift));
    }
    FAST_TARGET static Words kept(Words words, uint32_t mask) {
        return _mm256_and_si256(words, _mm256_set1_epi32(static_cast<int32_t>(mask)));
    }
    FAST_TARGET static Words flipped(Words words, uint32_t mask) {
        return _mm256_xor_si256(words, _mm256_set1_epi32(static_cast<int32_t>(mask)));
    }
    template <int Shift> FAST_TARGET static Words added(Words into, Words integers) {
        return _mm256_add_epi32(into, _mm256_slli_epi32(integers, Shift));
    }
    FAST_TARGET static D floorParts(D q, Words &integer) {
        const D whole = _mm256_floor_ps(q);
        integer = _mm256_cvttps_epi32(whole);
        return _mm256_sub_ps(q, whole);
    }
    // The nearest any channel comes to an integer, min(f, 1 - f), against e.
    FAST_INLINE static uint32_t undecided(const D fraction[3], D e, D s, float sMin) {
        const D one = _mm256_set1_ps(1.0f);
        D nearest = _mm256_min_ps(fraction[0], _mm256_sub_ps(one, fraction[0]));
        nearest = _mm256_min_ps(nearest, _mm256_min_ps(fraction[1], _mm256_sub_ps(one, fraction[1])));
        nearest = _mm256_min_ps(nearest, _mm256_min_ps(fraction[2], _mm256_sub_ps(one, fraction[2])));
        const D decided = _mm256_and_ps(_mm256_cmp_ps(nearest, e, _CMP_GT_OQ),
                                        _mm256_cmp_ps(s, _mm256_set1_ps(sMin), _CMP_GE_OQ));
        return static_cast<uint32_t>(_mm256_movemask_ps(decided)) ^ 0xFFu;
    }

    // For each 8-lane mask, the set lanes in order, one byte each: AVX2 has no compress, so the
    // packing is a permutation from this table.
    static constexpr std::array<uint64_t, 256> packOrder() {
        std::array<uint64_t, 256> order{};
        for (int mask = 0; mask < 256; ++mask) {
            int next = 0;
            for (int lane = 0; lane < 8; ++lane) {
                if ((mask >> lane) & 1) {
                    order[static_cast<std::size_t>(mask)] |= static_cast<uint64_t>(lane) << (8 * next++);
                }
            }
        }
        return order;
    }
    FAST_INLINE static int32_t pack(uint32_t lanes, const unsigned char *from, int32_t first, uint32_t *pixels,
                                      int32_t *places) {
        static constexpr std::array<uint64_t, 256> order = packOrder();
        const __m256i permutation = _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(static_cast<long long>(order[lanes])));
        const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from));
        const __m256i at = _mm256_add_epi32(_mm256_set1_epi32(first), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(pixels), _mm256_permutevar8x32_epi32(words, permutation));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(places), _mm256_permutevar8x32_epi32(at, permutation));
        return __builtin_popcount(lanes);
    }
};

} // namespace

// The fast rows use FMA, which some processors with AVX2 lack.
RowKernels avx2RowKernels() {
    return x86Features().fma ? fastRowKernels<Avx2, Avx2Float>() : vectorRowKernels<Avx2>();
}

// Not inlined here, so the probe runs as the kernels' own target compiles it (and only the
// kernels' code holds their instructions).
bool avx2RoundsEachProduct() { return Avx2Float::roundsEachProduct(); }
