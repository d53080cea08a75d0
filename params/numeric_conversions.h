// Conversions of doubles into the host's narrower numbers, defined for every double (a plain
// conversion of a value outside the target's range is undefined behaviour).
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

// Truncates toward zero into int32; NaN gives 0 and out-of-range values saturate, where a
// plain conversion would be undefined.
inline int32_t truncateToInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

// Rounds to single precision as the hardware does; beyond the float range that is infinity.
inline float narrowToFloat(double value) {
    constexpr double kOverflow = static_cast<double>(FLT_MAX) + 0x1p103; // halfway to the next power of two
    if (std::fabs(value) >= kOverflow) {
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}
