// 8-bit rows evaluated in single precision where that provably decides the integer the
// double kernel writes, and by the double kernel everywhere else. Included after
// vector_rows.h by an instruction set's file, which supplies beside its double lanes V a struct
// F of single-precision lanes with set1, add, sub, mul, div, sqrt, max, abs, the 8-bit word
// primitives of vector_rows.h, and:
//   mulAdd(a, b, c): a b + c, fused or not (the bound allows two roundings);
//   kept(words, mask) and flipped(words, mask): the words and-ed, xor-ed with a mask;
//   added<Shift>(into, integers): the integers added in at a bit position;
//   floorParts(q, integer): q - floor(q), exactly, and floor(q) as 32-bit integers in `integer`;
//   undecided(fraction[3], e, s, sMin): the bit mask of the lanes where a channel's fraction
//   is within e of 0 or of 1, or whose squared length s is below sMin (NaN included);
//   pack(lanes, from, first, pixels, places): the 8-bit pixels (words) of the register at
//   `from` whose lanes are set, and their places first + lane, stored one after another
//   (anything may be written after them, up to a register's worth); returns their count.
// The undecided pixels are packed and run, a register at a time, through the double vector
// kernel, whose bytes are the scalar reference's; the last few of a row through the scalar one.
// filter/fast_plan.h says what the lanes evaluate; docs/exact-fast-path.md gives the bound.
#pragma once

#include "filter/fast_plan.h"

// The fast path's target: an instruction set's file may add to its KERNEL_TARGET (AVX2 adds
// FMA, which processors with AVX2 need not have: that file checks before it uses these rows).
#ifndef FAST_TARGET
#define FAST_TARGET KERNEL_TARGET
#endif
#define FAST_INLINE FAST_TARGET inline __attribute__((always_inline))

#include <cstring>

namespace {

// The undecided pixels of a row, packed: each as its source word (an 8-bit pixel is one
// 32-bit word) and its place in the row, until there are enough for a register of the double
// kernel. Nothing here calls a function: a call would make the compiler give up the constants
// the loop keeps in vector registers.
template <class V, class F> struct PackedFallback {
    // Room for a whole register of single-precision lanes beyond the fewer than V::lanes kept.
    static constexpr int32_t capacity = V::lanes + F::lanes;
    // Zeroed: the moves after each register copy a whole register's worth, set or not.
    alignas(64) uint32_t pixels[capacity]{};
    int32_t places[capacity]{};
    int32_t count = 0;
};

// A register of packed pixels through the double kernel, each written back to its place.
template <class V, class F, class Pixel>
FAST_INLINE void renderPacked(const VectorControls &c, PackedFallback<V, F> &packed, unsigned char *row) {
    using Layout = typename Pixel::ChannelLayout;
    alignas(64) uint32_t rendered[V::lanes];
    const auto *source = reinterpret_cast<const unsigned char *>(packed.pixels);
    typename V::D wide[4];
    loadPixels<V, Pixel>(source, wide);
    transformLanes<V, Pixel>(c, wide[Layout::red], wide[Layout::green], wide[Layout::blue]);
    storePixels<V, Pixel>(source, reinterpret_cast<unsigned char *>(rendered), wide);
    for (int32_t i = 0; i < V::lanes; ++i) {
        std::memcpy(row + static_cast<std::size_t>(packed.places[i]) * sizeof(Pixel), &rendered[i], sizeof(Pixel));
    }
    packed.count -= V::lanes;
    for (int32_t i = 0; i < F::lanes; ++i) {
        packed.pixels[i] = packed.pixels[i + V::lanes];
        packed.places[i] = packed.places[i + V::lanes];
    }
}

// The fast path gives a row up once more than one pixel in kFallbackLimit has fallen back,
// judged from kFallbackTrialPixels on: a share above 1/12, about 8 %. A tilt of 1 or -1 can
// make every pixel fall back, and such a row costs about a tenth more than the double kernel
// alone until it is given up (docs/exact-fast-path.md).
inline constexpr unsigned long long kFallbackLimit = 12;
inline constexpr int32_t kFallbackTrialPixels = 256;

// A row's plan as registers.
template <class F> struct FastConstants {
    typename F::D scale[3], offset[3], half, bias, a, b, one, oneHalf, unitSquare;
    float sMin;
    uint32_t flips;
    FAST_INLINE explicit FastConstants(const FastPlan &plan)
        : scale{F::set1(plan.scale[0]), F::set1(plan.scale[1]), F::set1(plan.scale[2])},
          offset{F::set1(plan.offset[0]), F::set1(plan.offset[1]), F::set1(plan.offset[2])}, half(F::set1(plan.half)),
          bias(F::set1(plan.bias)), a(F::set1(plan.a)), b(F::set1(plan.b)), one(F::set1(1.0)), oneHalf(F::set1(0.5)),
          unitSquare(F::set1(static_cast<double>(plan.half) * plan.half)), sMin(plan.sMin), flips(plan.flips) {}
};

// The write truncates toward zero, so -1 < q < 1 all write 0: max(q, (q + 1)/2) maps that
// interval onto 0..1 and leaves q >= 1 as it is, so that its floor is the integer written and
// its distance from an integer is never more than q's (a value just above 0 is decided too).
// Only rows whose q often come near 0 (FastPlan::cells) pay for it; elsewhere such a lane falls back.
template <class F, bool Cells> FAST_INLINE typename F::D cells(const FastConstants<F> &k, typename F::D q) {
    if constexpr (Cells) {
        return F::max(q, F::mulAdd(q, k.oneHalf, k.oneHalf));
    } else {
        return q;
    }
}

// A register's three components, c scale + offset from red, green and blue, and the sum of
// their squares.
template <class F, class Pixel>
FAST_INLINE typename F::D componentsOf(const FastConstants<F> &k, typename F::Words words, typename F::D &x,
                                       typename F::D &y, typename F::D &z) {
    using Layout = typename Pixel::ChannelLayout;
    x = F::mulAdd(F::template byteAt<8 * Layout::red>(words), k.scale[0], k.offset[0]);
    y = F::mulAdd(F::template byteAt<8 * Layout::green>(words), k.scale[1], k.offset[1]);
    z = F::mulAdd(F::template byteAt<8 * Layout::blue>(words), k.scale[2], k.offset[2]);
    return F::mulAdd(z, z, F::mulAdd(x, x, F::mul(y, y)));
}

// A register of 8-bit pixels in single precision: each lane's output word (alpha as loaded),
// and the mask of the lanes it does not decide, whose words are to be replaced.
template <class F, class Pixel, bool Cells>
FAST_INLINE uint32_t affineLanes(const FastConstants<F> &k, typename F::Words words, typename F::Words &out) {
    using Layout = typename Pixel::ChannelLayout;
    using D = typename F::D;
    D x, y, z;
    const D s = componentsOf<F, Pixel>(k, words, x, y, z);
    const D r = F::div(k.one, F::sqrt(s));
    const D w = F::mul(r, k.half);
    typename F::Words red, green, blue;
    const D fraction[3] = {F::floorParts(cells<F, Cells>(k, F::mulAdd(x, w, k.bias)), red),
                           F::floorParts(cells<F, Cells>(k, F::mulAdd(y, w, k.bias)), green),
                           F::floorParts(cells<F, Cells>(k, F::mulAdd(z, w, k.bias)), blue)};
    out = F::kept(words, 0xFFu << (8 * Layout::alpha));
    out = F::template placed<8 * Layout::red>(out, red);
    out = F::template placed<8 * Layout::green>(out, green);
    out = F::template placed<8 * Layout::blue>(out, blue);
    return F::undecided(fraction, F::mulAdd(r, k.b, k.a), s, k.sMin);
}

// Without tilts, in the default format, a channel read as c' (c, or 255 - c when inverted) has
// h = c' - 127.5 = 127.5 x, and q = c' + d with d = h t, t = (127.5^2 - S) / (rho (127.5 + rho)),
// S = the sum of the three h^2, rho = sqrt(S). Every step up to S is exact (quarter-integers
// below 2^16), so d carries only the last roundings, relative to d itself: d is tiny for the
// near-unit vectors of a normal map, whose q lie that close to integers. The output is c' plus
// floor(d), added to the byte in place (it stays within 0..254 in every decided lane).
template <class F, class Pixel>
FAST_INLINE uint32_t nearIdentityLanes(const FastConstants<F> &k, typename F::Words words, typename F::Words &out) {
    using Layout = typename Pixel::ChannelLayout;
    using D = typename F::D;
    D x, y, z;
    const D s = componentsOf<F, Pixel>(k, words, x, y, z);
    const D root = F::sqrt(s);
    const D t = F::div(F::sub(k.unitSquare, s), F::mul(root, F::add(root, k.half)));
    typename F::Words red, green, blue;
    const D fraction[3] = {F::floorParts(F::mul(x, t), red), F::floorParts(F::mul(y, t), green),
                           F::floorParts(F::mul(z, t), blue)};
    out = F::flipped(words, k.flips);
    out = F::template added<8 * Layout::red>(out, red);
    out = F::template added<8 * Layout::green>(out, green);
    out = F::template added<8 * Layout::blue>(out, blue);
    return F::undecided(fraction, F::mulAdd(F::abs(t), k.b, k.a), s, k.sMin);
}

// The fast path over a row from its start; returns where it stopped: at the last whole
// register, or where the row gave it up.
enum class FastLanes { nearIdentity, affine, affineWithCells };

template <class V, class F, class Pixel, FastLanes Lanes>
FAST_INLINE int32_t fastRun(const VectorControls &c, const FastConstants<F> &constants, const unsigned char *from,
                              unsigned char *to, int32_t count) {
    constexpr int32_t step = F::lanes;
    constexpr std::size_t stepBytes = F::lanes * sizeof(Pixel);
    static_assert(sizeof(Pixel) == sizeof(uint32_t), "an 8-bit pixel packs as one word");
    PackedFallback<V, F> packed;
    unsigned long long fallbacks = 0;
    unsigned char *const row = to;
    int32_t x = 0;
    while (x + step <= count) {
        typename F::Words out;
        const typename F::Words words = F::loadWords(from);
        const uint32_t undecided = Lanes == FastLanes::nearIdentity
                                       ? nearIdentityLanes<F, Pixel>(constants, words, out)
                                       : affineLanes<F, Pixel, Lanes == FastLanes::affineWithCells>(constants, words, out);
        // A branch, not a pack of nothing: few registers have an undecided lane, so it is
        // well predicted, and it saves the pack's dozen operations on all the others.
        if (undecided != 0) {
            // Packed before the store: the row may be rendered in place.
            const int32_t packedNow =
                F::pack(undecided, from, x, packed.pixels + packed.count, packed.places + packed.count);
            packed.count += packedNow;
            fallbacks += static_cast<unsigned long long>(packedNow);
        }
        F::storeWords(to, out);
        if (packed.count >= V::lanes) {
            renderPacked<V, F, Pixel>(c, packed, row);
            if (packed.count >= V::lanes) {
                renderPacked<V, F, Pixel>(c, packed, row);
            }
        }
        x += step;
        from += stepBytes;
        to += stepBytes;
        // Some controls put many results on an integer (a tilt of 1 or -1 can put every
        // one there): past this share of fallbacks the double kernel alone is faster, and
        // the rest of the row is its.
        if (x >= kFallbackTrialPixels && fallbacks * kFallbackLimit > static_cast<unsigned long long>(x)) {
            break;
        }
    }
    // Fewer than a register's worth left: each through the scalar reference.
    for (int32_t i = 0; i < packed.count; ++i) {
        transformRowScalar<Pixel>(c, reinterpret_cast<const unsigned char *>(&packed.pixels[i]),
                                  row + static_cast<std::size_t>(packed.places[i]) * sizeof(Pixel), 1);
    }
#if defined(ZEPHYRINE_FAST_PATH_INSTRUMENTS)
    fastPathTally.pixels += static_cast<unsigned long long>(x);
    fastPathTally.fallbacks += fallbacks;
#endif
    return x;
}

template <class V, class F, class Pixel>
FAST_TARGET void transformRowFast(const VectorControls &controls, const unsigned char *from, unsigned char *to,
                                    int32_t count) {
    // A copy whose address nothing else takes, so the compiler keeps it in registers.
    const VectorControls c = controls;
    const FastPlan plan = fastPlanFor<Pixel>(c);
    int32_t x = 0;
    if (plan.applies) {
        const FastConstants<F> constants(plan);
        if (plan.nearIdentity) {
            x = fastRun<V, F, Pixel, FastLanes::nearIdentity>(c, constants, from, to, count);
        } else if (plan.cells) {
            x = fastRun<V, F, Pixel, FastLanes::affineWithCells>(c, constants, from, to, count);
        } else {
            x = fastRun<V, F, Pixel, FastLanes::affine>(c, constants, from, to, count);
        }
    }
    const std::size_t done = static_cast<std::size_t>(x) * sizeof(Pixel);
    transformRowVector<V, Pixel>(controls, from + done, to + done, count - x);
}

// Only 8-bit rows: float output is a rounded float, not a truncated integer, and at 16 bits
// the margin is so wide that 29 % of the pixels would fall back (docs/exact-fast-path.md).
template <class V, class F> struct FastRow {
    template <class Pixel> static constexpr RowFunction choose() {
        if constexpr (sizeof(typename Pixel::Channel) == 1) {
            return transformRowFast<V, F, Pixel>;
        } else {
            return transformRowVector<V, Pixel>;
        }
    }
    template <class Pixel> struct Of { static constexpr RowFunction function = choose<Pixel>(); };
};

template <class V, class F> RowKernels fastRowKernels() {
    return rowKernelTable<FastRow<V, F>::template Of>(KernelPixelFormats{});
}

} // namespace
