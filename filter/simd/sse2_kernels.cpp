// Two pixels per register: the baseline every x86-64 processor has.
#include "filter/simd/isa_kernels.h"

#include <emmintrin.h>

#define KERNEL_TARGET __attribute__((target("sse2")))
#include "filter/simd/vector_rows.h"

namespace {

struct Sse2 {
    static constexpr int32_t lanes = 2;
    using D = __m128d;
    using Mask = __m128d;

    KERNEL_TARGET static D set1(double v) { return _mm_set1_pd(v); }
    KERNEL_TARGET static D add(D a, D b) { return _mm_add_pd(a, b); }
    KERNEL_TARGET static D sub(D a, D b) { return _mm_sub_pd(a, b); }
    KERNEL_TARGET static D mul(D a, D b) { return _mm_mul_pd(a, b); }
    KERNEL_TARGET static D div(D a, D b) { return _mm_div_pd(a, b); }
    KERNEL_TARGET static D min(D a, D b) { return _mm_min_pd(a, b); }
    KERNEL_TARGET static D negate(D a) { return _mm_xor_pd(a, _mm_set1_pd(-0.0)); }
    KERNEL_TARGET static Mask hasLength(D s) {
        return _mm_and_pd(_mm_cmpneq_pd(s, _mm_setzero_pd()), _mm_cmpord_pd(s, s));
    }
    KERNEL_TARGET static D select(Mask m, D a, D b) { return _mm_or_pd(_mm_and_pd(m, a), _mm_andnot_pd(m, b)); }
    KERNEL_TARGET static D sqrtWhere(Mask m, D a, D b) { return select(m, _mm_sqrt_pd(a), b); }

    // 8 bits: each pixel is one 32-bit word, channel i in bits 8i (vector_rows.h reads and
    // writes them with these).
    using Words = __m128i;
    KERNEL_TARGET static Words loadWords(const unsigned char *from) { return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(from)); }
    KERNEL_TARGET static void storeWords(unsigned char *to, Words words) { _mm_storel_epi64(reinterpret_cast<__m128i *>(to), words); }
    template <int Shift> KERNEL_TARGET static D byteAt(Words words) {
        const Words shifted = Shift == 0 ? words : _mm_srli_epi32(words, Shift);
        return _mm_cvtepi32_pd(Shift == 24 ? shifted : _mm_and_si128(shifted, _mm_set1_epi32(0xFF)));
    }
    template <int Shift> KERNEL_TARGET static Words placed(Words into, Words bytes) {
        return _mm_or_si128(into, _mm_slli_epi32(bytes, Shift));
    }
    // Truncated as they are: alpha, which is always in range.
    KERNEL_TARGET static Words converted(D channel) { return _mm_cvttpd_epi32(channel); }
    // max answers its second operand for NaN, so NaN and values below zero become 0.
    KERNEL_TARGET static __m128i truncated(D channel) {
        return _mm_cvttpd_epi32(_mm_max_pd(channel, _mm_setzero_pd()));
    }

    // 16 bits: each pixel is one 64-bit word, channel i in bits 16i.
    KERNEL_TARGET static D channel16(__m128i pixels, int shift) {
        const __m128i value = _mm_and_si128(_mm_srli_epi64(pixels, shift), _mm_set1_epi64x(0xFFFF));
        return _mm_cvtepi32_pd(_mm_shuffle_epi32(value, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    template <int Alpha> KERNEL_TARGET static void load16(const unsigned char *from, D channels[4]) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        channels[c[0]] = channel16(pixels, 16 * c[0]);
        channels[c[1]] = channel16(pixels, 16 * c[1]);
        channels[c[2]] = channel16(pixels, 16 * c[2]);
    }
    KERNEL_TARGET static __m128i wide16(D channel, int shift) {
        return _mm_slli_epi64(_mm_unpacklo_epi32(truncated(channel), _mm_setzero_si128()), shift);
    }
    template <int Alpha>
    KERNEL_TARGET static void store16(unsigned char *to, const D channels[4], const unsigned char *alphaFrom) {
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        const __m128i alpha = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(alphaFrom)),
                                            _mm_set1_epi64x(static_cast<long long>(0xFFFFull << (16 * Alpha))));
        const __m128i pixels =
            _mm_or_si128(_mm_or_si128(alpha, wide16(channels[c[0]], 16 * c[0])),
                         _mm_or_si128(wide16(channels[c[1]], 16 * c[1]), wide16(channels[c[2]], 16 * c[2])));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to), pixels);
    }

    // Float: each pixel is four floats.
    KERNEL_TARGET static __m128 floats(const unsigned char *from) {
        return _mm_loadu_ps(reinterpret_cast<const float *>(from));
    }
    template <int> KERNEL_TARGET static void load32(const unsigned char *from, D channels[4]) {
        const __m128 first = floats(from);
        const __m128 second = floats(from + 16);
        const __m128 low = _mm_unpacklo_ps(first, second);  // c0 c0' c1 c1'
        const __m128 high = _mm_unpackhi_ps(first, second); // c2 c2' c3 c3'
        channels[0] = _mm_cvtps_pd(low);
        channels[1] = _mm_cvtps_pd(_mm_movehl_ps(low, low));
        channels[2] = _mm_cvtps_pd(high);
        channels[3] = _mm_cvtps_pd(_mm_movehl_ps(high, high));
    }
    // Alpha as stored at `alphaFrom`, bit for bit: only moved, never converted.
    template <int Alpha>
    KERNEL_TARGET static void store32(unsigned char *to, const D channels[4], const unsigned char *alphaFrom) {
        if constexpr (Alpha == 0) {
            const float *alpha = reinterpret_cast<const float *>(alphaFrom);
            const __m128 low = _mm_unpacklo_ps(_mm_setzero_ps(), _mm_cvtpd_ps(channels[1]));           // 0 c1 0 c1'
            const __m128 high = _mm_unpacklo_ps(_mm_cvtpd_ps(channels[2]), _mm_cvtpd_ps(channels[3])); // c2 c3 c2' c3'
            _mm_storeu_ps(reinterpret_cast<float *>(to), _mm_move_ss(_mm_movelh_ps(low, high), _mm_load_ss(alpha)));
            _mm_storeu_ps(reinterpret_cast<float *>(to + 16),
                          _mm_move_ss(_mm_movehl_ps(high, low), _mm_load_ss(alpha + 4)));
        } else {
            const __m128 stored = _mm_unpackhi_ps(floats(alphaFrom), floats(alphaFrom + 16));         // c2 c2' a a'
            const __m128 low = _mm_unpacklo_ps(_mm_cvtpd_ps(channels[0]), _mm_cvtpd_ps(channels[1])); // c0 c1 c0' c1'
            const __m128 high =
                _mm_unpacklo_ps(_mm_cvtpd_ps(channels[2]), _mm_movehl_ps(stored, stored)); // c2 a c2' a'
            _mm_storeu_ps(reinterpret_cast<float *>(to), _mm_movelh_ps(low, high));
            _mm_storeu_ps(reinterpret_cast<float *>(to + 16), _mm_movehl_ps(high, low));
        }
    }
};

} // namespace

RowKernels sse2RowKernels() { return vectorRowKernels<Sse2>(); }
