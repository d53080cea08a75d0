// When a single-precision evaluation of the effect's arithmetic decides the integer the double
// kernel writes, at 8 bits. docs/exact-fast-path.md derives every term; the names here
// are the ones it uses. A lane is decided when no integer lies within `a + b r` of its scaled
// channel value q (r: the lane's single-precision reciprocal length) and its single-precision
// squared length is at least `sMin`; every other lane takes the double kernel.
#pragma once

#include "filter/pixel_formats.h"
#include "filter/vector_transform.h"

#include <atomic>
#include <cmath>

struct FastMargin {
    bool applies = false; // false: the controls (a tilt out of range) leave the row to the double kernel
    float a = 0.0f, b = 0.0f, sMin = 0.0f;
};

// Pixels the fast path saw and those of them that took the double kernel, on this thread (the
// benchmark reads them; a render never does).
struct FastPathTally {
    unsigned long long pixels = 0, fallbacks = 0;
};
inline thread_local FastPathTally fastPathTally;

namespace fast_margin_detail {

inline constexpr double kFloatRoundoff = 0x1p-24;
inline constexpr double kDoubleRoundoff = 0x1p-53;

// For tests: the margin is multiplied by this (1 in every render); 0 shows the check can fail,
// infinity leaves every row to the double kernel.
inline std::atomic<double> &marginScale() {
    static std::atomic<double> scale{1.0};
    return scale;
}

// A bound on the components' absolute error before the rescale, and on their size, carried
// through the decode and the tilts of one precision with unit roundoff u; `kappa` bounds the
// relative error of every constant the precision holds (tilts, k = 1 - |t|, read factors).
struct Carried {
    double error, size;
};

inline Carried decodeBound(const VectorControls &c, double u, double kappa) {
    if (c.traditionalFormat != 0) {
        return {kappa + u * (1.0 + kappa), 1.0}; // c f, one rounded product of a rounded factor
    }
    if (c.invertX == 0 && c.invertY == 0 && c.invertZ == 0 && c.invertAll == 0) {
        const double product = 2.0 * kappa + 2.0 * u * (1.0 + kappa); // c (2 f), at most 2
        return {product + u * (1.0 + product), 1.0};                // minus 1
    }
    double unit = kappa + u * (1.0 + kappa); // c f, at most 1
    unit += 2.0 * u * (1.0 + unit);          // up to two reflections 1 - unit, each rounded
    const double doubled = 2.0 * unit;       // times 2: exact
    return {doubled + u * (1.0 + doubled), 1.0};
}

// One tilt with |t| <= 1: the axis it tilts toward, and the two it shrinks.
inline Carried tiltBound(Carried in, double t, double u, double kappa) {
    const double e = in.error, m = in.size, at = std::fabs(t);
    // Shrunk: a k, k within kappa k of 1 - |t| <= 1.
    const double shrunk = e * (1.0 + kappa) * (1.0 + u) + m * (kappa + u * (1.0 + kappa));
    // Toward: a + (1 - a) t.
    const double d = e + u * (1.0 + m + e);                                     // 1 - a
    const double p = d * (1.0 + kappa) * at + (1.0 + m) * kappa * at;           // (1 - a) t
    const double pr = p + u * ((1.0 + m + d) * (1.0 + kappa) * at);             // ... rounded
    const double toward = e + pr + u * (m + (1.0 + m) * at + e + pr);          // a + ..., rounded
    return {std::fmax(shrunk, toward), m + (1.0 + m) * at};
}

inline Carried carriedBound(const VectorControls &c, double u, double kappa) {
    Carried carried = decodeBound(c, u, kappa);
    for (double t : {c.tiltForward, c.tiltSideways, c.tiltUpwards}) {
        if (vector_detail::tiltApplies(t)) {
            carried = tiltBound(carried, t, u, kappa);
        }
    }
    return carried;
}

} // namespace fast_margin_detail

// The margin for a row of 8-bit `Pixel` under `controls`. (At 16 bits the scale is 128 times
// larger and the margin never falls below the threshold: docs/exact-fast-path.md.)
template <class Pixel> FastMargin fastMarginFor(const VectorControls &controls) {
    using namespace fast_margin_detail;
    static_assert(sizeof(typename Pixel::Channel) == 1, "the fast path decides 8-bit channels only");
    for (double t : {controls.tiltForward, controls.tiltSideways, controls.tiltUpwards}) {
        if (!(std::isnan(t) || std::fabs(t) <= 1.0)) {
            return {}; // outside the controls' range: the bound does not hold
        }
    }
    const double uf = kFloatRoundoff, ud = kDoubleRoundoff;
    const Carried single = carriedBound(controls, uf, uf + 2.0 * ud);
    const Carried twice = carriedBound(controls, ud, ud);
    const double h = 0.5 * static_cast<double>(Pixel::maximum);
    // The rescale: |n~ - n| <= 2 sqrt(3) e / |v| + 5 u, and 1/|v| <= (4/3)(1 + 3u) r~ once
    // s~ >= 48 e^2 (1 + 4u). The encode: H (|n~ - n| (1 + 2u) + 4u (1 + u)).
    const double perReciprocal = 2.0 * std::sqrt(3.0) * (4.0 / 3.0) * (1.0 + 3.0 * uf);
    const double bTerm = h * perReciprocal * (single.error + twice.error) * (1.0 + 2.0 * uf);
    const double aTerm = h * (5.0 * uf * (1.0 + 2.0 * uf) + 4.0 * uf * (1.0 + uf) + 9.0 * ud) +
                         3.0 * uf * (4.0 * h + 2.0); // the test's own two roundings
    const double safety = 2.0 * marginScale().load(std::memory_order_relaxed);
    FastMargin margin;
    margin.applies = std::isfinite(safety);
    // Rounded up on their way to single precision, with room for the rounding of a + b r.
    margin.a = static_cast<float>(safety * aTerm * (1.0 + 0x1p-20));
    margin.b = static_cast<float>(safety * bTerm * (1.0 + 0x1p-20));
    margin.sMin = static_cast<float>(std::fmax(48.0 * single.error * single.error * (1.0 + 4.0 * uf), 0x1p-60) *
                                     (1.0 + 0x1p-20));
    return margin;
}

// For tests and measurements only: scales every margin made from now on (1 restores the
// proven one; infinity turns the fast path off).
inline void setFastMarginScaleForTesting(double scale) {
    fast_margin_detail::marginScale().store(scale, std::memory_order_relaxed);
}
