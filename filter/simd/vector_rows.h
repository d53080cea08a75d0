// The effect's arithmetic on a register of pixels at once, written once for every instruction
// set. Included only by one source file per instruction set, which first defines KERNEL_TARGET
// (the compiler target of that set) and then supplies a struct of lane operations:
//   lanes, D (a register of doubles), set1, add, sub, mul, div, min, negate,
//   hasLength (s != 0 and not NaN, per lane), sqrtWhere (mask ? sqrt(a) : b),
//   load16/32 and store16/32, each a template over the alpha channel's position in memory
//   (0 or 3): channel registers in memory order, from and to `lanes` packed pixels, the
//   stored values, not yet scaled; load16/32 leave the alpha channel out, and store16/32 take
//   it as stored at the pixels they are given; store16 truncates the colours, storing 0 for
//   NaN and values below zero;
//   for 8 bits, a register of 32-bit words, one per pixel (Words): loadWords and storeWords,
//   byteAt<Shift> (the byte at a bit position, as lanes), placed<Shift>(into, bytes) (bytes
//   or-ed in at a bit position), converted (truncated) and truncated (also 0 for NaN and
//   values below zero).
// Every operation is the IEEE operation the scalar reference performs, in the same order, so
// each lane gives the scalar bits; nothing may be fused or reordered here either.
#pragma once

#ifndef KERNEL_TARGET
#error "define KERNEL_TARGET before including this file"
#endif

#include "filter/pixel_transform.h"

#include <array>
#include <cmath>
#include <cstdint>

// Everything here is private to the including file: each file compiles it for its own target.
namespace {

// The memory positions of red, green and blue (in increasing order) when alpha is at `alpha`.
constexpr std::array<int, 3> colourPositions(int alpha) {
    std::array<int, 3> positions{};
    int next = 0;
    for (int channel = 0; channel < 4; ++channel) {
        if (channel != alpha) {
            positions[next++] = channel;
        }
    }
    return positions;
}

// The per-register steps are small and must melt into the row loop.
#define KERNEL_INLINE KERNEL_TARGET inline __attribute__((always_inline))

// toward + (1 - toward) t, and the other two shrunk by 1 - |t|, as the scalar tilt does.
template <class V>
KERNEL_INLINE void tiltLanes(double t, typename V::D &toward, typename V::D &other1, typename V::D &other2) {
    const typename V::D k = V::set1(1.0 - std::fabs(t));
    const typename V::D one = V::set1(1.0);
    other1 = V::mul(other1, k);
    other2 = V::mul(other2, k);
    toward = V::add(toward, V::mul(V::sub(one, toward), V::set1(t)));
}

// One channel as stored (an integer count or a float) to the decoded component, x = 2u - 1 of
// its unit-scale value u, with the channel's inversions before. Without an inversion the
// reading and the doubling are one multiplication: (c f) 2 equals c (2 f) for every channel
// value c, since doubling is exact.
template <class V, class Pixel>
KERNEL_INLINE typename V::D decodeLanes(typename V::D channel, int32_t invert, int32_t invertAll) {
    const typename V::D one = V::set1(1.0);
    if (invert == 0 && invertAll == 0) {
        return V::sub(V::mul(channel, V::set1(2.0 * Pixel::readFactor)), one);
    }
    typename V::D unit = Pixel::isFloat ? channel : V::mul(channel, V::set1(Pixel::readFactor));
    if (invert != 0) {
        unit = V::sub(one, unit);
    }
    if (invertAll != 0) {
        unit = V::sub(one, unit);
    }
    return V::sub(V::mul(unit, V::set1(2.0)), one);
}

// Red, green and blue as stored in; out, the encoded unit vector, (v + 1) 0.5, scaled for the
// write: an integer channel's write multiplies by its maximum, and (v + 1) 0.5 MAX equals
// (v + 1) (0.5 MAX) because halving v + 1 is exact for every v the steps before can give.
template <class V, class Pixel>
KERNEL_INLINE void transformLanes(const VectorControls &c, typename V::D &red, typename V::D &green,
                                  typename V::D &blue) {
    using D = typename V::D;
    const D one = V::set1(1.0);
    D v[3];
    D &x = v[0], &y = v[1], &z = v[2];
    if (c.traditionalFormat == 0) {
        x = decodeLanes<V, Pixel>(red, c.invertX, c.invertAll);
        y = decodeLanes<V, Pixel>(green, c.invertY, c.invertAll);
        z = decodeLanes<V, Pixel>(blue, c.invertZ, c.invertAll);
    } else {
        if constexpr (!Pixel::isFloat) {
            const D factor = V::set1(Pixel::readFactor);
            red = V::mul(red, factor);
            green = V::mul(green, factor);
            blue = V::mul(blue, factor);
        }
        x = c.invertX != 0 ? V::negate(red) : red;
        y = c.invertY != 0 ? V::negate(green) : green;
        z = c.invertZ != 0 ? V::negate(blue) : blue;
        if (c.invertAll != 0) {
            x = V::negate(x);
            y = V::negate(y);
            z = V::negate(z);
        }
    }

    // Unrolled, the table folds away: each tilt names its components as constants.
#pragma GCC unroll 3
    for (const TiltStep &step : kTiltOrder) {
        const double t = c.*step.control;
        if (vector_detail::tiltApplies(t)) {
            tiltLanes<V>(t, v[step.toward], v[step.other1], v[step.other2]);
        }
    }

    const D s = V::add(V::add(V::mul(y, y), V::mul(x, x)), V::mul(z, z));
    const auto scaled = V::hasLength(s);
    // Lanes left as they are take the square root of 1, so no lane divides by zero and their
    // r is exactly 1: multiplying by it gives every value back bit for bit (none is a double
    // denormal, which a host's denormals-are-zero mode would flush: they come from channels
    // of at least 2^-149 through a few steps that shrink by at most 2^-53 each).
    const D r = V::div(one, V::sqrtWhere(scaled, s, one));
    x = V::mul(x, r);
    y = V::mul(y, r);
    z = V::mul(z, r);
    const D half = V::set1(Pixel::isFloat ? 0.5 : 0.5 * static_cast<double>(Pixel::maximum));
    red = V::mul(V::add(x, one), half);
    green = V::mul(V::add(y, one), half);
    blue = V::mul(V::add(z, one), half);
}

// 8 bits: the four channels in memory order, from and to `lanes` packed pixels. Alpha is stored
// back as the count it was loaded as; the colours are truncated, 0 for NaN and below zero.
template <class V> KERNEL_INLINE void load8(const unsigned char *from, typename V::D channels[4]) {
    const typename V::Words words = V::loadWords(from);
    channels[0] = V::template byteAt<0>(words);
    channels[1] = V::template byteAt<8>(words);
    channels[2] = V::template byteAt<16>(words);
    channels[3] = V::template byteAt<24>(words);
}
template <class V, int Alpha> KERNEL_INLINE void store8(unsigned char *to, const typename V::D channels[4]) {
    constexpr std::array<int, 3> c = colourPositions(Alpha);
    typename V::Words words = V::template placed<8 * Alpha>(typename V::Words{}, V::converted(channels[Alpha]));
    words = V::template placed<8 * c[0]>(words, V::truncated(channels[c[0]]));
    words = V::template placed<8 * c[1]>(words, V::truncated(channels[c[1]]));
    words = V::template placed<8 * c[2]>(words, V::truncated(channels[c[2]]));
    V::storeWords(to, words);
}

// The channels as stored, as doubles: four at 8 bits (alpha is stored back as the count it was
// loaded as); at 16 bits and in float only red, green and blue, alpha being copied from the source.
template <class V, class Pixel> KERNEL_INLINE void loadPixels(const unsigned char *from, typename V::D channels[4]) {
    constexpr int alpha = Pixel::ChannelLayout::alpha;
    static_assert(alpha == 0 || alpha == 3, "the lane loads and stores know alpha first or last");
    if constexpr (sizeof(typename Pixel::Channel) == 1) {
        load8<V>(from, channels);
    } else if constexpr (sizeof(typename Pixel::Channel) == 2) {
        V::template load16<alpha>(from, channels);
    } else {
        V::template load32<alpha>(from, channels);
    }
}

template <class V, class Pixel>
KERNEL_INLINE void storePixels(const unsigned char *from, unsigned char *to, typename V::D channels[4]) {
    using Layout = typename Pixel::ChannelLayout;
    if constexpr (Pixel::isFloat) {
        V::template store32<Layout::alpha>(to, channels, from);
    } else {
        // The scalar write, on values already scaled by MAX: above the channel type's largest
        // value gives that value (min answers its second operand, so NaN stays NaN); the
        // store truncates, and writes 0 for NaN and below zero.
        const typename V::D limit = V::set1(Pixel::storeLimit);
        channels[Layout::red] = V::min(limit, channels[Layout::red]);
        channels[Layout::green] = V::min(limit, channels[Layout::green]);
        channels[Layout::blue] = V::min(limit, channels[Layout::blue]);
        if constexpr (sizeof(typename Pixel::Channel) == 1) {
            // 8-bit alpha is still the count it was loaded as, so it is stored as it was.
            store8<V, Layout::alpha>(to, channels);
        } else {
            V::template store16<Layout::alpha>(to, channels, from);
        }
    }
}

template <class V, class Pixel>
KERNEL_TARGET void transformRowVector(const VectorControls &controls, const unsigned char *from, unsigned char *to,
                                      int32_t count) {
    using Layout = typename Pixel::ChannelLayout;
    // A copy the compiler can keep in registers: stores through `to` may alias the caller's.
    const VectorControls c = controls;
    constexpr int32_t step = V::lanes;
    constexpr int32_t stepBytes = V::lanes * static_cast<int32_t>(sizeof(Pixel));
    int32_t x = 0;
    for (; x + step <= count; x += step, from += stepBytes, to += stepBytes) {
        typename V::D channels[4];
        loadPixels<V, Pixel>(from, channels);
        transformLanes<V, Pixel>(c, channels[Layout::red], channels[Layout::green], channels[Layout::blue]);
        storePixels<V, Pixel>(from, to, channels);
    }
    transformRowScalar<Pixel>(c, from, to, count - x);
}

template <class V> struct VectorRow {
    template <class Pixel> struct Of { static constexpr RowFunction function = transformRowVector<V, Pixel>; };
};

template <class V> RowKernels vectorRowKernels() {
    return rowKernelTable<VectorRow<V>::template Of>(KernelPixelFormats{});
}

} // namespace
