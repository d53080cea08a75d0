// What a render does to alpha, restated from the pixel rules rather than taken from the code
// under test: alpha passes through, and a channel read and written back keeps its value at 16
// bits (all of 0..65535, above the effect's white of 32768 too) and in float (every bit
// pattern: infinities, denormals, -0, NaNs quiet and signalling with their sign and payload);
// at 8 bits it keeps it too, except for 24 values whose reading by the reciprocal of 255 falls
// a hair below the whole number, so that they come back one lower.
#pragma once

#include "hostsim/world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <vector>

namespace alpha_rule {

inline const std::vector<int> &eightBitValuesThatComeBackOneLower() {
    static const std::vector<int> values = {33,  37,  41,  45,  49,  53,  57,  61,  66,  74,  82,  90,
                                            98,  106, 114, 122, 132, 148, 164, 180, 196, 212, 228, 244};
    return values;
}

inline uint8_t afterRender(uint8_t value) {
    const std::vector<int> &lower = eightBitValuesThatComeBackOneLower();
    return std::find(lower.begin(), lower.end(), value) != lower.end() ? static_cast<uint8_t>(value - 1) : value;
}

// Every pixel's alpha in `output` is the rule applied to the same pixel's alpha in `source`,
// compared as stored bits.
inline testing::AssertionResult holdsFor(hostsim::World &source, hostsim::World &output) {
    const int depth = source.shape().bitDepth;
    const std::size_t bytes = static_cast<std::size_t>(depth / 8);
    long mismatches = 0;
    testing::AssertionResult result = testing::AssertionFailure();
    for (int32_t y = 0; y < source.shape().height; ++y) {
        for (int32_t x = 0; x < source.shape().width; ++x) {
            unsigned char expected[4] = {}, actual[4] = {};
            std::memcpy(expected, source.channels<unsigned char>(x, y), bytes);
            std::memcpy(actual, output.channels<unsigned char>(x, y), bytes);
            if (depth == 8) {
                expected[0] = afterRender(expected[0]);
            }
            if (std::memcmp(expected, actual, bytes) != 0 && ++mismatches <= 3) {
                uint32_t in = 0, out = 0;
                std::memcpy(&in, source.channels<unsigned char>(x, y), bytes);
                std::memcpy(&out, actual, bytes);
                std::ostringstream text;
                text << "alpha at (" << x << ", " << y << ") stored 0x" << std::hex << in << " and came back 0x" << out
                     << "; ";
                result << text.str();
            }
        }
    }
    if (mismatches == 0) {
        return testing::AssertionSuccess();
    }
    return result << mismatches << " pixels in all (" << depth << "-bit)";
}

} // namespace alpha_rule
