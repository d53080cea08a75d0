// What a render does to alpha: it passes through as stored, bit for bit, at every depth: all
// 256 8-bit values, all of 0..65535 at 16 bits (above the effect's white of 32768 too), and
// every float bit pattern (infinities, denormals, -0, NaNs quiet and signalling with their
// sign and payload).
#pragma once

#include "hostsim/world.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <vector>

namespace alpha_rule {

// Where alpha lies in a pixel: last in Premiere's BGRA formats, first in ARGB.
inline std::size_t alphaOffset(const hostsim::World &world) {
    const PrPixelFormat format = world.pixelFormat();
    const bool last = format == PrPixelFormat_BGRA_4444_8u || format == PrPixelFormat_BGRA_4444_16u ||
                      format == PrPixelFormat_BGRA_4444_32f;
    return last ? 3 * static_cast<std::size_t>(world.shape().bitDepth / 8) : 0;
}

// Every pixel's alpha in `output` is the same pixel's alpha in `source`, compared as stored bits.
inline testing::AssertionResult holdsFor(hostsim::World &source, hostsim::World &output) {
    const int depth = source.shape().bitDepth;
    const std::size_t bytes = static_cast<std::size_t>(depth / 8);
    const std::size_t offset = alphaOffset(source);
    long mismatches = 0;
    testing::AssertionResult result = testing::AssertionFailure();
    for (int32_t y = 0; y < source.shape().height; ++y) {
        for (int32_t x = 0; x < source.shape().width; ++x) {
            unsigned char expected[4] = {}, actual[4] = {};
            std::memcpy(expected, source.channels<unsigned char>(x, y) + offset, bytes);
            std::memcpy(actual, output.channels<unsigned char>(x, y) + offset, bytes);
            if (std::memcmp(expected, actual, bytes) != 0 && ++mismatches <= 3) {
                uint32_t in = 0, out = 0;
                std::memcpy(&in, expected, bytes);
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
