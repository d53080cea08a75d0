// The effect's arithmetic on a register of pixels at once, written once for every instruction
// set. Included only by one source file per instruction set, which first defines KERNEL_TARGET
// (the compiler target of that set) and then supplies a struct of lane operations:
//   lanes, D (a register of doubles), set1, add, sub, mul, div, min, max, negate,
//   hasLength (s != 0 and not NaN, per lane), sqrtWhere (mask ? sqrt(a) : b),
//   mulWhere (mask ? a * b : a),
//   load8/16/32 and store8/16/32 (four channel registers in memory order, from and to
//   `lanes` packed pixels; store32 takes alpha as stored at the pixels it is given instead,
//   as the scalar reference does).
// Every operation is the IEEE operation the scalar reference performs, in the same order, so
// each lane gives the scalar bits; nothing may be fused or reordered here either.
#pragma once

#ifndef KERNEL_TARGET
#error "define KERNEL_TARGET before including this file"
#endif

#include "filter/pixel_transform.h"

#include <cmath>
#include <cstdint>

// Everything here is private to the including file: each file compiles it for its own target.
namespace {

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

// Unit-scale red, green, blue in; the encoded unit vector out, in the same registers.
template <class V>
KERNEL_INLINE void transformLanes(const VectorControls &c, typename V::D &red, typename V::D &green,
                                         typename V::D &blue) {
    using D = typename V::D;
    const D one = V::set1(1.0);
    const D two = V::set1(2.0);
    D x, y, z;
    if (c.traditionalFormat == 0) {
        if (c.invertX != 0) {
            red = V::sub(one, red);
        }
        if (c.invertY != 0) {
            green = V::sub(one, green);
        }
        if (c.invertZ != 0) {
            blue = V::sub(one, blue);
        }
        if (c.invertAll != 0) {
            red = V::sub(one, red);
            green = V::sub(one, green);
            blue = V::sub(one, blue);
        }
        x = V::sub(V::mul(red, two), one);
        y = V::sub(V::mul(green, two), one);
        z = V::sub(V::mul(blue, two), one);
    } else {
        x = c.invertX != 0 ? V::negate(red) : red;
        y = c.invertY != 0 ? V::negate(green) : green;
        z = c.invertZ != 0 ? V::negate(blue) : blue;
        if (c.invertAll != 0) {
            x = V::negate(x);
            y = V::negate(y);
            z = V::negate(z);
        }
    }

    if (vector_detail::tiltApplies(c.tiltForward)) {
        tiltLanes<V>(c.tiltForward, z, x, y);
    }
    if (vector_detail::tiltApplies(c.tiltSideways)) {
        tiltLanes<V>(c.tiltSideways, x, y, z);
    }
    if (vector_detail::tiltApplies(c.tiltUpwards)) {
        tiltLanes<V>(c.tiltUpwards, y, x, z);
    }

    const D s = V::add(V::add(V::mul(y, y), V::mul(x, x)), V::mul(z, z));
    const auto scaled = V::hasLength(s);
    // Lanes left as they are take the square root of 1, so no lane divides by zero.
    const D r = V::div(one, V::sqrtWhere(scaled, s, one));
    x = V::mulWhere(scaled, x, r);
    y = V::mulWhere(scaled, y, r);
    z = V::mulWhere(scaled, z, r);
    const D half = V::set1(0.5);
    red = V::mul(V::add(x, one), half);
    green = V::mul(V::add(y, one), half);
    blue = V::mul(V::add(z, one), half);
}

template <class V, class Pixel>
KERNEL_INLINE void loadPixels(const unsigned char *from, typename V::D channels[4]) {
    if constexpr (sizeof(typename Pixel::Channel) == 1) {
        V::load8(from, channels);
    } else if constexpr (sizeof(typename Pixel::Channel) == 2) {
        V::load16(from, channels);
    } else {
        V::load32(from, channels);
    }
    if constexpr (!Pixel::isFloat) {
        // Written out rather than looped, so the registers never round-trip through memory.
        const typename V::D factor = V::set1(Pixel::readFactor);
        channels[0] = V::mul(channels[0], factor);
        channels[1] = V::mul(channels[1], factor);
        channels[2] = V::mul(channels[2], factor);
        channels[3] = V::mul(channels[3], factor);
    }
}

template <class V, class Pixel>
KERNEL_INLINE void storePixels(const unsigned char *from, unsigned char *to, typename V::D channels[4]) {
    if constexpr (Pixel::isFloat) {
        V::store32(to, channels, from);
    } else {
        // The scalar write: scale by MAX; NaN and below zero give 0, above the channel type's
        // largest value gives that value (max and min answer their second operand for NaN),
        // then truncate.
        const typename V::D maximum = V::set1(static_cast<double>(Pixel::maximum));
        const typename V::D limit = V::set1(Pixel::storeLimit);
        const typename V::D zero = V::set1(0.0);
        channels[0] = V::min(V::max(V::mul(channels[0], maximum), zero), limit);
        channels[1] = V::min(V::max(V::mul(channels[1], maximum), zero), limit);
        channels[2] = V::min(V::max(V::mul(channels[2], maximum), zero), limit);
        channels[3] = V::min(V::max(V::mul(channels[3], maximum), zero), limit);
        if constexpr (sizeof(typename Pixel::Channel) == 1) {
            V::store8(to, channels);
        } else {
            V::store16(to, channels);
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
        transformLanes<V>(c, channels[Layout::red], channels[Layout::green], channels[Layout::blue]);
        storePixels<V, Pixel>(from, to, channels);
    }
    transformRowScalar<Pixel>(c, from, to, count - x);
}

template <class V> RowKernels vectorRowKernels() {
    return {transformRowVector<V, Pixel8>, transformRowVector<V, Pixel16>, transformRowVector<V, Pixel32>};
}

} // namespace
