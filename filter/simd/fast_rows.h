// 8-bit rows evaluated in single precision where that provably decides the integer the
// double kernel writes, and by the double kernel everywhere else. Included after
// vector_rows.h by an instruction set's file, which supplies beside its double lanes V a struct
// F of single-precision lanes with the same operations (set1 rounds its double argument to
// single precision) and one more:
//   undecided(q[3], r, s, margin): the bit mask of the lanes where an integer lies within
//   margin.a + margin.b r of a scaled channel value q, or whose squared length s is below
//   margin.sMin (NaN included).
// A register with an undecided lane is run whole through the double vector kernel, whose
// bytes are the scalar reference's.
// docs/exact-fast-path.md gives the error bound behind the margin.
#pragma once

#include "filter/fast_margin.h"

namespace {

template <class V, class F, class Pixel>
KERNEL_TARGET void transformRowFast(const VectorControls &controls, const unsigned char *from, unsigned char *to,
                                    int32_t count) {
    using Layout = typename Pixel::ChannelLayout;
    // A copy whose address nothing else takes, so the compiler keeps it in registers.
    const VectorControls c = controls;
    const FastMargin margin = fastMarginFor<Pixel>(c);
    constexpr int32_t step = F::lanes;
    constexpr std::size_t stepBytes = F::lanes * sizeof(Pixel);
    constexpr std::size_t doubleBytes = V::lanes * sizeof(Pixel);
    int32_t x = 0;
    if (margin.applies) {
        unsigned long long fallbacks = 0;
        for (; x + step <= count; x += step, from += stepBytes, to += stepBytes) {
            typename F::D channels[4];
            loadPixels<F, Pixel>(from, channels);
            LengthTerms<F> length;
            transformLanes<F, Pixel>(c, channels[Layout::red], channels[Layout::green], channels[Layout::blue],
                                     &length);
            const typename F::D scaled[3] = {channels[Layout::red], channels[Layout::green], channels[Layout::blue]};
            if (F::undecided(scaled, length.r, length.s, margin) == 0) {
                storePixels<F, Pixel>(from, to, channels);
                continue;
            }
            // A register with an undecided lane is the double kernel's, whole and inline (a call
            // would make the compiler give up the constants it keeps in vector registers).
            for (std::size_t at = 0; at < stepBytes; at += doubleBytes) {
                typename V::D wide[4];
                loadPixels<V, Pixel>(from + at, wide);
                transformLanes<V, Pixel>(c, wide[Layout::red], wide[Layout::green], wide[Layout::blue]);
                storePixels<V, Pixel>(from + at, to + at, wide);
            }
            fallbacks += static_cast<unsigned long long>(step);
        }
        fastPathTally.pixels += static_cast<unsigned long long>(x);
        fastPathTally.fallbacks += fallbacks;
    }
    transformRowVector<V, Pixel>(controls, from, to, count - x);
}

// Only 8-bit rows: float output is a rounded float, not a truncated integer, and at 16 bits
// the margin is too wide to pay.
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
