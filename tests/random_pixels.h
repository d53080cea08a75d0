// Random controls and random channels for the tests that compare one front-end's pixels with
// another's: every control in its range (a quarter of the tilts at 0, which skips their step),
// and channels of every kind.
#pragma once

#include "embedhost/parameter_array.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>

namespace random_pixels {

struct Controls {
    double tilts[3] = {0, 0, 0};       // forward, sideways, upwards
    int switches[5] = {0, 0, 0, 0, 0}; // invert x, y, z, all, traditional format
};

inline Controls controls(std::mt19937 &random) {
    Controls c;
    std::uniform_real_distribution<double> tilt(-1.0, 1.0);
    for (double &t : c.tilts) {
        t = random() % 4 == 0 ? 0.0 : tilt(random);
    }
    for (int &s : c.switches) {
        s = static_cast<int>(random() % 2);
    }
    return c;
}

// The controls in the module's parameter array: the tilts at indexes 1 to 3, the checkboxes
// at 4 to 8.
inline void applyTo(embedhost::ParameterArray &parameters, const Controls &c) {
    for (int i = 0; i < 3; ++i) {
        parameters.setFloat(1 + i, c.tilts[i]);
    }
    for (int i = 0; i < 5; ++i) {
        parameters.setCheckbox(4 + i, c.switches[i]);
    }
}

// `count` channels of `channelBytes` bytes at `at` (no alignment needed): any integer, or
// floats of every kind (out of range, infinities, NaN, denormals, -0) among ordinary ones.
inline void fillChannels(unsigned char *at, int count, int channelBytes, std::mt19937 &random) {
    const float special[] = {std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::denorm_min(),
                             -0.0f,
                             2.5f,
                             -1.0f,
                             1e6f};
    std::uniform_real_distribution<float> ordinary(-0.5f, 1.5f);
    for (int c = 0; c < count; ++c, at += channelBytes) {
        if (channelBytes == 4) {
            const float value = random() % 8 == 0 ? special[random() % std::size(special)] : ordinary(random);
            std::memcpy(at, &value, sizeof value);
        } else {
            const auto bits = static_cast<uint32_t>(random());
            std::memcpy(at, &bits, static_cast<std::size_t>(channelBytes));
        }
    }
}

} // namespace random_pixels
