// The vector kernels held to the scalar reference: the levels this processor has, control
// sets written out, and the comparison of one input through every level.
#pragma once

#include "filter/pixel_transform.h"
#include "filter/row_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<VectorLevel> vectorLevels() {
    std::vector<VectorLevel> levels;
    for (VectorLevel level : {VectorLevel::sse2, VectorLevel::avx2, VectorLevel::avx512, VectorLevel::neon}) {
        if (vectorLevelSupported(level)) {
            levels.push_back(level);
        }
    }
    return levels;
}

VectorControls controls(double forward, double sideways, double upwards, int x, int y, int z, int all, int traditional) {
    return {forward, sideways, upwards, x, y, z, all, traditional};
}

// Tilts as the driver hands them over: through single precision.
double f(double value) { return static_cast<double>(static_cast<float>(value)); }

template <class Pixel> std::string describePixel(const std::vector<unsigned char> &bytes, std::size_t pixel) {
    typename Pixel::Channel channels[4];
    std::memcpy(channels, bytes.data() + pixel * sizeof(Pixel), sizeof channels);
    std::ostringstream text;
    text << "pixel " << pixel << " (";
    for (auto channel : channels) {
        text << " " << +channel;
    }
    text << " )";
    return text.str();
}

// How a level's rows are run: as one row or rows of `rowPixels`, into a buffer of their own or
// over a copy of the input (a render in place).
struct RowRun {
    int32_t rowPixels = 0; // 0: the whole input is one row
    bool inPlace = false;
};

// Runs `input` through the scalar reference and through every level; the first difference fails.
template <class Pixel>
void expectEveryLevelMatches(const VectorControls &c, const std::vector<unsigned char> &input, const char *what,
                             RowRun run = {}) {
    const auto count = static_cast<int32_t>(input.size() / sizeof(Pixel));
    const int32_t rowPixels = run.rowPixels > 0 ? run.rowPixels : count;
    std::vector<unsigned char> expected(input.size()), actual(input.size());
    transformRowScalar<Pixel>(c, input.data(), expected.data(), count);
    for (VectorLevel level : vectorLevels()) {
        if (run.inPlace) {
            actual = input;
        }
        const unsigned char *from = run.inPlace ? actual.data() : input.data();
        for (int32_t first = 0; first < count; first += rowPixels) {
            const std::size_t at = static_cast<std::size_t>(first) * sizeof(Pixel);
            rowKernelsOf(level).template rowFor<Pixel>()(c, from + at, actual.data() + at,
                                                         std::min(rowPixels, count - first));
        }
        if (actual != expected) {
            std::size_t pixel = 0;
            while (std::memcmp(&actual[pixel * sizeof(Pixel)], &expected[pixel * sizeof(Pixel)], sizeof(Pixel)) == 0) {
                ++pixel;
            }
            ADD_FAILURE() << vectorLevelName(level) << " differs from the scalar kernel on " << what << " at "
                          << describePixel<Pixel>(input, pixel) << ": " << describePixel<Pixel>(actual, pixel)
                          << " instead of " << describePixel<Pixel>(expected, pixel) << "; controls "
                          << c.tiltForward << " " << c.tiltSideways << " " << c.tiltUpwards << " " << c.invertX
                          << c.invertY << c.invertZ << c.invertAll << c.traditionalFormat;
            return;
        }
    }
}

// The pixels where one level's row differs from the scalar reference's.
template <class Pixel> long mismatchesAt(VectorLevel level, const VectorControls &c, const std::vector<unsigned char> &input) {
    const auto count = static_cast<int32_t>(input.size() / sizeof(Pixel));
    std::vector<unsigned char> expected(input.size()), actual(input.size());
    transformRowScalar<Pixel>(c, input.data(), expected.data(), count);
    rowKernelsOf(level).template rowFor<Pixel>()(c, input.data(), actual.data(), count);
    long differing = 0;
    for (int32_t i = 0; i < count; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * sizeof(Pixel);
        differing += std::memcmp(&actual[at], &expected[at], sizeof(Pixel)) != 0 ? 1 : 0;
    }
    return differing;
}

} // namespace
