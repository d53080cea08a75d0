// How an 8-bit row is evaluated in single precision, and when that evaluation decides the
// integer the double kernel writes. docs/exact-fast-path.md derives every bound; the names
// here are the ones it uses. Two evaluations, both ending in a fraction per channel that must
// lie farther than a margin e from 0 and from 1:
// - without tilts, in the default format, q as the channel read plus a difference d computed
//   relative to itself (fast_rows.h), with e = a + b |t|;
// - otherwise the decode, the inversions and the tilts, each an affine map of one component,
//   composed: x = c scale + offset for each component, c its channel's count; then the squared
//   length s, r = 1/sqrt(s), and for each channel q = v w + bias with w = r half, with
//   e = a + b r, and s at least sMin.
#pragma once

#include "filter/pixel_formats.h"
#include "filter/vector_transform.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#else
#include <cfenv>
#endif

struct FastPlan {
    bool applies = false; // false: the controls (a tilt out of range) leave the row to the double kernel
    // No tilt, default format: the lanes evaluate q as the channel read plus a small difference
    // (see fast_rows.h), with e = a + b |t|; `flips` marks the bytes of the inverted channels.
    bool nearIdentity = false;
    uint32_t flips = 0;
    // Otherwise: a tilt near -1 pulls a component toward -1, and its q toward 0, where the
    // lanes must treat -1 < q < 1 as one interval (fast_rows.h); a choice of speed only.
    bool cells = false;
    float scale[3]{}, offset[3]{}; // x, y, z from red, green, blue (near identity: 127.5 x)
    float half = 0.0f, bias = 0.0f;
    float a = 0.0f, b = 0.0f, sMin = 0.0f;
};

#if defined(ZEPHYRINE_FAST_PATH_INSTRUMENTS)
// Only in the kernels built for the fast path's test and the benchmark (the shipped binaries
// carry no instruments): the pixels the fast path saw and those of them that took the double
// kernel, on this thread.
struct FastPathTally {
    unsigned long long pixels = 0, fallbacks = 0;
};
inline thread_local FastPathTally fastPathTally;
#endif

namespace fast_plan_detail {

inline constexpr double kFloatRoundoff = 0x1p-24;
inline constexpr double kDoubleRoundoff = 0x1p-53;
// More than any result that underflows, or that a host's flush-to-zero mode flushes, can
// lose (2^-126 at most, times a channel count below 2^16).
inline constexpr double kUnderflow = 0x1p-100;

#if defined(ZEPHYRINE_FAST_PATH_INSTRUMENTS)
// The margin is multiplied by this: 0 shows the check can fail, infinity leaves every row to
// the double kernel.
inline std::atomic<double> &marginScale() {
    static std::atomic<double> scale{1.0};
    return scale;
}
inline double currentMarginScale() { return marginScale().load(std::memory_order_relaxed); }
#else
inline constexpr double currentMarginScale() { return 1.0; }
#endif

// The double kernel: a bound on the components' absolute error before the rescale, and on
// their size, carried through its decode and tilts, in its order, with unit roundoff u and
// constants within a relative kappa.
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
    unit += 2.0 * u * (1.0 + unit) * (1.0 + u); // up to two reflections 1 - unit, each rounded
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

inline double doubleKernelError(const VectorControls &c) {
    Carried carried = decodeBound(c, kDoubleRoundoff, kDoubleRoundoff);
    for (const TiltStep &step : kTiltOrder) {
        const double t = c.*step.control;
        if (vector_detail::tiltApplies(t)) {
            carried = tiltBound(carried, t, kDoubleRoundoff, kDoubleRoundoff);
        }
    }
    return carried.error;
}

// A double and a bound on its distance from the exact real it stands for; each operation
// adds its own rounding, at most u_d of its result.
struct Tracked {
    double value, error;
};
inline Tracked times(Tracked p, Tracked q) {
    const double v = p.value * q.value;
    return {v, std::fabs(p.value) * q.error + std::fabs(q.value) * p.error + p.error * q.error +
                   kDoubleRoundoff * std::fabs(v)};
}
inline Tracked plus(Tracked p, Tracked q) {
    const double v = p.value + q.value;
    return {v, p.error + q.error + kDoubleRoundoff * std::fabs(v)};
}

// One component's coefficients, composed in double as the controls' steps in real numbers.
struct Affine {
    Tracked scale, offset;
};

inline std::array<Affine, 3> affineComponents(const VectorControls &c, double readFactor) {
    const Tracked factor{readFactor, kDoubleRoundoff * readFactor}; // the double nearest 1/MAX
    const Tracked one{1.0, 0.0};
    std::array<Affine, 3> v{};
    for (int i = 0; i < 3; ++i) {
        const double sign = componentFlipped(c, i) ? -1.0 : 1.0;
        if (c.traditionalFormat != 0) {
            v[i] = {{sign * factor.value, factor.error}, {0.0, 0.0}}; // x = +-c f
        } else {
            // 2 (1 - c f) - 1 = 1 - 2 c f when inverted once; twice is no inversion.
            v[i] = {{sign * 2.0 * factor.value, 2.0 * factor.error}, {-sign, 0.0}};
        }
    }
    // Tilting toward a: a + (1 - a) t = a (1 - t) + t; the other two times k = 1 - |t|.
    for (const TiltStep &step : kTiltOrder) {
        const double t = c.*step.control;
        if (!vector_detail::tiltApplies(t)) {
            continue;
        }
        const Tracked keep = plus(one, {-t, 0.0});
        const Tracked k = plus(one, {-std::fabs(t), 0.0});
        Affine &toward = v[step.toward];
        toward = {times(toward.scale, keep), plus(times(toward.offset, keep), {t, 0.0})};
        for (int other : {step.other1, step.other2}) {
            v[other] = {times(v[other].scale, k), times(v[other].offset, k)};
        }
    }
    return v;
}

// The single-precision lanes' error on x = c scale + offset (c from 0 to cMax), with the
// coefficients rounded to single precision and two roundings (a fused multiply-add has one).
inline double laneError(const Affine &v, double cMax, float scale, float offset) {
    const double uf = kFloatRoundoff;
    const double scaleError = v.scale.error + std::fabs(static_cast<double>(scale) - v.scale.value);
    const double offsetError = v.offset.error + std::fabs(static_cast<double>(offset) - v.offset.value);
    const double product = cMax * std::fabs(static_cast<double>(scale));
    return cMax * scaleError + offsetError + uf * product + uf * (product * (1.0 + uf) + std::fabs(offset)) +
           kUnderflow;
}

// The double kernel's q is within H (|n~ - n| (1 + u)^2 + 4u (1 + u)) of the exact value, with
// |n~ - n| <= 2 sqrt(3) e / |v| + 5u: the part that does not grow with 1/|v|, and its factor.
inline double doubleKernelConstant(double h) {
    const double ud = kDoubleRoundoff;
    return h * (5.0 * ud * (1.0 + ud) * (1.0 + ud) + 4.0 * ud * (1.0 + ud));
}
inline double doubleKernelPerReciprocal(double h, const VectorControls &c) {
    return h * 2.0 * std::sqrt(3.0) * doubleKernelError(c) * (1.0 + kDoubleRoundoff) * (1.0 + kDoubleRoundoff);
}

// Near identity: d = h t carries five roundings relative to itself (the square root, 127.5 + its
// value, their product, the quotient, the product with h), the square root's entering twice: six
// factors, (1 + u)^2/(1 - u)^4 - 1 <= 6u (1 + 6u); with |t| <= |t~| (1 + 6u),
// |d~ - d| <= 7u (1 + 7u) H |t~|.
// The double kernel's 1/|v| = 255/sqrt(N) is at most 255/sqrt(3): N, a sum of three odd squares,
// is at least 3.
template <class Pixel> void planNearIdentity(const VectorControls &c, FastPlan &plan, double &aTerm, double &bTerm) {
    using Layout = typename Pixel::ChannelLayout;
    const double uf = kFloatRoundoff, h = 0.5 * static_cast<double>(Pixel::maximum);
    const int positions[3] = {Layout::red, Layout::green, Layout::blue};
    plan.nearIdentity = true;
    for (int i = 0; i < 3; ++i) {
        const bool flipped = componentFlipped(c, i);
        plan.scale[i] = flipped ? -1.0f : 1.0f; // h = c - 127.5, or 127.5 - c when inverted
        plan.offset[i] = static_cast<float>(flipped ? h : -h);
        plan.flips |= flipped ? 0xFFu << (8 * positions[i]) : 0u;
    }
    bTerm = h * 7.0 * uf * (1.0 + 7.0 * uf);
    // 2 uf: d - floor(d) rounds when -1/2 < d < 0, and 1 - e rounds in the test.
    aTerm = doubleKernelConstant(h) + doubleKernelPerReciprocal(h, c) * (2.0 * h / std::sqrt(3.0)) + 2.0 * uf +
            kUnderflow;
}

// Otherwise the affine evaluation (the header comment).
template <class Pixel> void planAffine(const VectorControls &c, FastPlan &plan, double &aTerm, double &bTerm) {
    const double uf = kFloatRoundoff;
    const std::array<Affine, 3> components = affineComponents(c, Pixel::readFactor);
    double errorF = 0.0;
    for (int i = 0; i < 3; ++i) {
        plan.scale[i] = static_cast<float>(components[i].scale.value);
        plan.offset[i] = static_cast<float>(components[i].offset.value);
        errorF = std::max(errorF, laneError(components[i], Pixel::maximum, plan.scale[i], plan.offset[i]));
    }
    const double h = 0.5 * static_cast<double>(Pixel::maximum);
    // The rescale: the lanes' q - bias = H v~/|v~| (1 + eta), |eta| <= 6 u (sum of squares,
    // square root, division, w, product; plus what an underflow in s can add), and
    // |v~/|v~| - v/|v|| <= 2 sqrt(3) e / |v| with 1/|v| <= (4/3)(1 + 4u) r once s >= 48 e^2 (1 + 4u).
    // Adding the bias rounds once more, at most 2 H u (1 + eta).
    const double eta = 6.0 * uf + 0x1p-60;
    const double perReciprocal = (4.0 / 3.0) * (1.0 + 4.0 * uf);
    bTerm = perReciprocal * (h * 2.0 * std::sqrt(3.0) * errorF * (1.0 + eta) + doubleKernelPerReciprocal(h, c));
    // 2 uf: the roundings of (q + 1)/2 and of 1 - e in the test.
    aTerm = h * (eta + 2.0 * uf * (1.0 + eta)) + doubleKernelConstant(h) + 2.0 * uf + kUnderflow;
    plan.sMin = static_cast<float>(std::fmax(48.0 * errorF * errorF * (1.0 + 4.0 * uf), 0x1p-60) * (1.0 + 0x1p-20));
}

} // namespace fast_plan_detail

// Whether arithmetic rounds to nearest, as every bound assumes. A host, or another plug-in in
// its process, may leave another mode set; flushing denormals to zero is covered by kUnderflow.
// On x86-64 the vector units follow MXCSR alone, which a host can set apart from the x87
// control word that fegetround reads.
inline bool roundsToNearest() {
#if defined(__x86_64__) || defined(_M_X64)
    return (_mm_getcsr() & _MM_ROUND_MASK) == _MM_ROUND_NEAREST;
#else
    return std::fegetround() == FE_TONEAREST;
#endif
}

// The plan for a row of 8-bit `Pixel` under `controls`.
template <class Pixel> FastPlan fastPlanFor(const VectorControls &controls) {
    using namespace fast_plan_detail;
    static_assert(sizeof(typename Pixel::Channel) == 1, "the fast path decides 8-bit channels only");
    if (!roundsToNearest()) {
        return {}; // the double kernel, which follows any mode, decides every pixel
    }
    bool tilted = false;
    for (double t : {controls.tiltForward, controls.tiltSideways, controls.tiltUpwards}) {
        if (!(std::isnan(t) || std::fabs(t) <= 1.0)) {
            return {}; // outside the controls' range: the bound does not hold
        }
        tilted = tilted || vector_detail::tiltApplies(t);
    }
    FastPlan plan;
    plan.cells = controls.tiltForward < -0.75 || controls.tiltSideways < -0.75 || controls.tiltUpwards < -0.75;
    plan.half = static_cast<float>(0.5 * static_cast<double>(Pixel::maximum));
    plan.bias = plan.half;
    double aTerm = 0.0, bTerm = 0.0;
    if (!tilted && controls.traditionalFormat == 0) {
        planNearIdentity<Pixel>(controls, plan, aTerm, bTerm);
    } else {
        planAffine<Pixel>(controls, plan, aTerm, bTerm);
    }
    const double safety = 2.0 * currentMarginScale();
    plan.applies = std::isfinite(safety);
    // Rounded up on their way to single precision, with room for the rounding of a + b r (and
    // of these bounds' own double arithmetic, far smaller).
    plan.a = static_cast<float>(safety * aTerm * (1.0 + 0x1p-20));
    plan.b = static_cast<float>(safety * bTerm * (1.0 + 0x1p-20));
    return plan;
}

#if defined(ZEPHYRINE_FAST_PATH_INSTRUMENTS)
// Scales every margin made from now on (1 restores the proven one; infinity turns the fast
// path off).
inline void setFastMarginScaleForTesting(double scale) {
    fast_plan_detail::marginScale().store(scale, std::memory_order_relaxed);
}
#endif
