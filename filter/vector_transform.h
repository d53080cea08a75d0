// The effect's arithmetic on one vector, in double precision: decode the colour, invert,
// tilt, rescale to unit length, encode. The order of every operation is part of the result:
// nothing may be reordered or contracted into fused multiply-adds.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

// The controls as the kernel sees them. Any non-zero flag counts as set.
struct VectorControls {
    double tiltForward = 0.0;  // towards +z (blue)
    double tiltSideways = 0.0; // towards +x (red)
    double tiltUpwards = 0.0;  // towards +y (green)
    int32_t invertX = 0;
    int32_t invertY = 0;
    int32_t invertZ = 0;
    int32_t invertAll = 0;
    int32_t traditionalFormat = 0;
};

struct Vector3 {
    double x, y, z;
};

// Whether a component is negated: its own inversion and Invert All cancel each other.
inline bool componentFlipped(const VectorControls &c, int component) {
    const int32_t inverts[3] = {c.invertX, c.invertY, c.invertZ};
    return (inverts[component] != 0) != (c.invertAll != 0);
}

// The tilts in the order they apply: the control, the component it tilts toward and the two it
// shrinks (0 x, 1 y, 2 z). Every kernel and every bound on them walks this table.
struct TiltStep {
    double VectorControls::*control;
    int toward, other1, other2;
};
inline constexpr std::array<TiltStep, 3> kTiltOrder{{
    {&VectorControls::tiltForward, 2, 0, 1},
    {&VectorControls::tiltSideways, 0, 1, 2},
    {&VectorControls::tiltUpwards, 1, 0, 2},
}};

namespace vector_detail {

inline bool tiltApplies(double t) { return t != 0.0 && !std::isnan(t); }

// Blends `toward` to its axis with weight t and shrinks the other two by 1 - |t|.
inline void tilt(double t, double &toward, double &other1, double &other2) {
    const double k = 1.0 - std::fabs(t);
    other1 = other1 * k;
    other2 = other2 * k;
    toward = toward + (1.0 - toward) * t;
}

} // namespace vector_detail

// Turns unit-scale red, green and blue into the encoded unit-length vector, (v + 1) * 0.5 each.
// Inlined always: the tilt loop below hides from the inliner how little it becomes once unrolled.
[[gnu::always_inline]] inline Vector3 transformVector(const VectorControls &c, double red, double green, double blue) {
    double v[3];
    double &x = v[0], &y = v[1], &z = v[2];
    if (c.traditionalFormat == 0) {
        if (c.invertX != 0) {
            red = 1.0 - red;
        }
        if (c.invertY != 0) {
            green = 1.0 - green;
        }
        if (c.invertZ != 0) {
            blue = 1.0 - blue;
        }
        if (c.invertAll != 0) {
            red = 1.0 - red;
            green = 1.0 - green;
            blue = 1.0 - blue;
        }
        x = red * 2.0 - 1.0;
        y = green * 2.0 - 1.0;
        z = blue * 2.0 - 1.0;
    } else {
        x = c.invertX != 0 ? -red : red;
        y = c.invertY != 0 ? -green : green;
        z = c.invertZ != 0 ? -blue : blue;
        if (c.invertAll != 0) {
            x = -x;
            y = -y;
            z = -z;
        }
    }

    // Unrolled, the table folds away: each tilt names its components as constants.
#pragma GCC unroll 3
    for (const TiltStep &step : kTiltOrder) {
        const double t = c.*step.control;
        if (vector_detail::tiltApplies(t)) {
            vector_detail::tilt(t, v[step.toward], v[step.other1], v[step.other2]);
        }
    }

    // A zero (or NaN) length is left as it is: a zero vector encodes as the mid value.
    const double s = (y * y + x * x) + z * z;
    if (s != 0.0 && !std::isnan(s)) {
        const double r = 1.0 / std::sqrt(s);
        x = x * r;
        y = y * r;
        z = z * r;
    }
    return {(x + 1.0) * 0.5, (y + 1.0) * 0.5, (z + 1.0) * 0.5};
}
