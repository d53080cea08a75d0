// Host times from doubles: truncation toward zero, defined for every double.
#pragma once

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
