// Eight pixels per register, on processors with AVX-512 (the foundation instructions).
#include "filter/simd/contraction_probe.h"
#include "filter/simd/isa_kernels.h"

#include "filter/simd/avx512_intrinsics.h"

#define KERNEL_TARGET __attribute__((target("avx512f,avx2")))
#include "filter/simd/vector_rows.h"
#include "filter/simd/fast_rows.h"

namespace {

struct Avx512 {
    static constexpr int32_t lanes = 8;
    using D = __m512d;
    using Mask = __mmask8;

    KERNEL_TARGET static D set1(double v) { return _mm512_set1_pd(v); }
    KERNEL_TARGET static D add(D a, D b) { return _mm512_add_pd(a, b); }
    KERNEL_TARGET static D sub(D a, D b) { return _mm512_sub_pd(a, b); }
    KERNEL_TARGET static D mul(D a, D b) { return _mm512_mul_pd(a, b); }
    KERNEL_TARGET static D div(D a, D b) { return _mm512_div_pd(a, b); }
    KERNEL_TARGET static D min(D a, D b) { return _mm512_min_pd(a, b); }
    KERNEL_TARGET static D negate(D a) {
        const __m512i sign = _mm512_set1_epi64(static_cast<long long>(0x8000000000000000ULL));
        return _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(a), sign));
    }
    KERNEL_TARGET static Mask hasLength(D s) { return _mm512_cmp_pd_mask(s, _mm512_setzero_pd(), _CMP_NEQ_OQ); }
    KERNEL_TARGET static D sqrtWhere(Mask m, D a, D b) { return _mm512_mask_sqrt_pd(b, m, a); }

    // 8 bits: each pixel is one 32-bit word, channel i in bits 8i (vector_rows.h reads and
    // writes them with these).
    using Words = __m256i;
    KERNEL_TARGET static Words loadWords(const unsigned char *from) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from)); }
    KERNEL_TARGET static void storeWords(unsigned char *to, Words words) { _mm256_storeu_si256(reinterpret_cast<__m256i *>(to), words); }
    template <int Shift> KERNEL_TARGET static D byteAt(Words words) {
        const Words shifted = Shift == 0 ? words : _mm256_srli_epi32(words, Shift);
        return _mm512_cvtepi32_pd(Shift == 24 ? shifted : _mm256_and_si256(shifted, _mm256_set1_epi32(0xFF)));
    }
    template <int Shift> KERNEL_TARGET static Words placed(Words into, Words bytes) {
        return _mm256_or_si256(into, _mm256_slli_epi32(bytes, Shift));
    }
    // Truncated as they are: alpha, which is always in range.
    KERNEL_TARGET static Words converted(D channel) { return _mm512_cvttpd_epi32(channel); }
    // Truncated to 32-bit integers: NaN and values out of range give the smallest integer, so
    // NaN and values below zero become 0.
    KERNEL_TARGET static __m256i truncated(D channel) {
        return _mm256_max_epi32(_mm512_cvttpd_epi32(channel), _mm256_setzero_si256());
    }

    // 16 bits: each pixel is one 64-bit word, channel i in bits 16i.
    KERNEL_TARGET static D channel16(__m512i pixels, unsigned shift) {
        const __m512i value = _mm512_and_si512(_mm512_srli_epi64(pixels, shift), _mm512_set1_epi64(0xFFFF));
        return _mm512_cvtepi32_pd(_mm512_cvtepi64_epi32(value));
    }
    template <int Alpha> KERNEL_TARGET static void load16(const unsigned char *from, D channels[4]) {
        const __m512i pixels = _mm512_loadu_si512(from);
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        channels[c[0]] = channel16(pixels, 16 * c[0]);
        channels[c[1]] = channel16(pixels, 16 * c[1]);
        channels[c[2]] = channel16(pixels, 16 * c[2]);
    }
    KERNEL_TARGET static __m512i wide16(D channel, unsigned shift) {
        return _mm512_slli_epi64(_mm512_cvtepu32_epi64(truncated(channel)), shift);
    }
    template <int Alpha>
    KERNEL_TARGET static void store16(unsigned char *to, const D channels[4], const unsigned char *alphaFrom) {
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        const __m512i alpha = _mm512_and_si512(_mm512_loadu_si512(alphaFrom),
                                               _mm512_set1_epi64(static_cast<long long>(0xFFFFull << (16 * Alpha))));
        const __m512i pixels =
            _mm512_or_si512(_mm512_or_si512(alpha, wide16(channels[c[0]], 16 * c[0])),
                            _mm512_or_si512(wide16(channels[c[1]], 16 * c[1]), wide16(channels[c[2]], 16 * c[2])));
        _mm512_storeu_si512(to, pixels);
    }

    // Float: each pixel is four floats, eight pixels two registers. One permutation of the two
    // gathers the first two colours, another the third; alpha is not read.
    KERNEL_TARGET static __m512 floats(const unsigned char *from) { return _mm512_loadu_ps(from); }
    KERNEL_TARGET static __m512i indexVector(const std::array<int32_t, 16> &indexes) {
        return _mm512_loadu_si512(indexes.data());
    }
    // Lane 8i + j of the first (j < 8) takes channel `first` of pixel j, lane 8 + j channel
    // `second`: indexes into the two registers of eight pixels.
    static constexpr std::array<int32_t, 16> gathering(int first, int second) {
        std::array<int32_t, 16> indexes{};
        for (int j = 0; j < 8; ++j) {
            indexes[j] = 4 * j + first;
            indexes[8 + j] = 4 * j + second;
        }
        return indexes;
    }
    template <int Alpha> KERNEL_TARGET static void load32(const unsigned char *from, D channels[4]) {
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        const __m512 first = floats(from), second = floats(from + 64);
        const __m512 two = _mm512_permutex2var_ps(first, indexVector(gathering(c[0], c[1])), second);
        const __m512 third = _mm512_permutex2var_ps(first, indexVector(gathering(c[2], c[2])), second);
        channels[c[0]] = _mm512_cvtps_pd(_mm512_castps512_ps256(two));
        channels[c[1]] = _mm512_cvtps_pd(_mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(two), 1)));
        channels[c[2]] = _mm512_cvtps_pd(_mm512_castps512_ps256(third));
    }
    // Pixel j of four (from pixel `firstPixel` on) takes its first colour from lane j of the
    // register of the first two, its second from lane 8 + j, its third from lane 16 + j (the
    // second register); its alpha lane is masked.
    static constexpr std::array<int32_t, 16> scattering(int alpha, int firstPixel) {
        const std::array<int, 3> c = colourPositions(alpha);
        std::array<int32_t, 16> indexes{};
        for (int j = 0; j < 4; ++j) {
            indexes[4 * j + c[0]] = firstPixel + j;
            indexes[4 * j + c[1]] = 8 + firstPixel + j;
            indexes[4 * j + c[2]] = 16 + firstPixel + j;
        }
        return indexes;
    }
    // The colours narrowed and put in place; alpha kept as stored at `alphaFrom`, bit for bit
    // (a masked move converts nothing).
    template <int Alpha>
    KERNEL_TARGET static void store32(unsigned char *to, const D channels[4], const unsigned char *alphaFrom) {
        constexpr std::array<int, 3> c = colourPositions(Alpha);
        const __m512 two = _mm512_castpd_ps(
            _mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_castps_pd(_mm512_cvtpd_ps(channels[c[0]]))),
                               _mm256_castps_pd(_mm512_cvtpd_ps(channels[c[1]])), 1));
        const __m512 third = _mm512_castps256_ps512(_mm512_cvtpd_ps(channels[c[2]]));
        constexpr __mmask16 alpha = static_cast<__mmask16>(0x1111 << Alpha);
        _mm512_storeu_ps(to, _mm512_mask_mov_ps(_mm512_permutex2var_ps(two, indexVector(scattering(Alpha, 0)), third),
                                                alpha, floats(alphaFrom)));
        _mm512_storeu_ps(to + 64,
                         _mm512_mask_mov_ps(_mm512_permutex2var_ps(two, indexVector(scattering(Alpha, 4)), third),
                                            alpha, floats(alphaFrom + 64)));
    }
};

// Sixteen pixels per register in single precision, for the 8-bit fast path.
struct Avx512Float {
    // Whether this target's double arithmetic rounds every product (contraction_probe.h).
    FAST_TARGET static bool roundsEachProduct() { return productsRounded(); }

    static constexpr int32_t lanes = 16;
    using D = __m512;
    using Mask = __mmask16;

    KERNEL_TARGET static D set1(double v) { return _mm512_set1_ps(static_cast<float>(v)); }
    KERNEL_TARGET static D mul(D a, D b) { return _mm512_mul_ps(a, b); }
    KERNEL_TARGET static D div(D a, D b) { return _mm512_div_ps(a, b); }
    KERNEL_TARGET static D max(D a, D b) { return _mm512_max_ps(a, b); }
    KERNEL_TARGET static D sub(D a, D b) { return _mm512_sub_ps(a, b); }
    KERNEL_TARGET static D add(D a, D b) { return _mm512_add_ps(a, b); }
    KERNEL_TARGET static D abs(D a) { return _mm512_abs_ps(a); }
    KERNEL_TARGET static D sqrt(D a) { return _mm512_sqrt_ps(a); }
    KERNEL_TARGET static D mulAdd(D a, D b, D c) { return _mm512_fmadd_ps(a, b, c); }

    // 8 bits: each pixel is one 32-bit word, channel i in bits 8i.
    using Words = __m512i;
    KERNEL_TARGET static Words loadWords(const unsigned char *from) { return _mm512_loadu_si512(from); }
    KERNEL_TARGET static void storeWords(unsigned char *to, Words words) { _mm512_storeu_si512(to, words); }
    template <int Shift> KERNEL_TARGET static D byteAt(Words words) {
        const Words shifted = Shift == 0 ? words : _mm512_srli_epi32(words, Shift);
        return _mm512_cvtepi32_ps(Shift == 24 ? shifted : _mm512_and_si512(shifted, _mm512_set1_epi32(0xFF)));
    }
    template <int Shift> KERNEL_TARGET static Words placed(Words into, Words bytes) {
        return _mm512_or_si512(into, _mm512_slli_epi32(bytes, Shift));
    }
    KERNEL_TARGET static Words kept(Words words, uint32_t mask) {
        return _mm512_and_si512(words, _mm512_set1_epi32(static_cast<int32_t>(mask)));
    }
    KERNEL_TARGET static Words flipped(Words words, uint32_t mask) {
        return _mm512_xor_si512(words, _mm512_set1_epi32(static_cast<int32_t>(mask)));
    }
    template <int Shift> KERNEL_TARGET static Words added(Words into, Words integers) {
        return _mm512_add_epi32(into, _mm512_slli_epi32(integers, Shift));
    }
    // The floor twice, independently: as an integer (the conversion rounds down itself) and
    // as a float for the fraction.
    KERNEL_TARGET static D floorParts(D q, Words &integer) {
        integer = _mm512_cvt_roundps_epi32(q, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
        return _mm512_sub_ps(q, _mm512_roundscale_ps(q, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC));
    }
    // Each compare under the mask of the ones before: no lane survives a failed test.
    KERNEL_INLINE static uint32_t undecided(const D fraction[3], D e, D s, float sMin) {
        const D oneMinusE = _mm512_sub_ps(_mm512_set1_ps(1.0f), e);
        Mask decided = _mm512_cmp_ps_mask(s, _mm512_set1_ps(sMin), _CMP_GE_OQ);
        for (int i = 0; i < 3; ++i) {
            decided = _mm512_mask_cmp_ps_mask(decided, fraction[i], e, _CMP_GT_OQ);
            decided = _mm512_mask_cmp_ps_mask(decided, fraction[i], oneMinusE, _CMP_LT_OQ);
        }
        return static_cast<uint32_t>(static_cast<Mask>(~decided));
    }
    // Compressed in registers and stored whole: a compressing store to memory is microcoded
    // and slow on some processors.
    KERNEL_INLINE static int32_t pack(uint32_t lanes, const unsigned char *from, int32_t first, uint32_t *pixels,
                                      int32_t *places) {
        const Mask m = static_cast<Mask>(lanes);
        const __m512i at = _mm512_add_epi32(_mm512_set1_epi32(first),
                                            _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
        _mm512_storeu_si512(pixels, _mm512_maskz_compress_epi32(m, _mm512_loadu_si512(from)));
        _mm512_storeu_si512(places, _mm512_maskz_compress_epi32(m, at));
        return __builtin_popcount(lanes);
    }
};

} // namespace

RowKernels avx512RowKernels() { return fastRowKernels<Avx512, Avx512Float>(); }

// Not inlined here, so the probe runs as the kernels' own target compiles it (and only the
// kernels' code holds their instructions).
bool avx512RoundsEachProduct() { return Avx512Float::roundsEachProduct(); }
