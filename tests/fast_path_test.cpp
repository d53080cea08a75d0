// The single-precision fast path at 8 bits writes exactly the double kernel's bytes: every
// 8-bit colour under a table of controls (the long run), random pixels in every channel order,
// and a margin of zero shown to fail.
#include "filter/fast_plan.h"
#include "float_control.h"
#include "kernel_comparison.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

// Defaults, each inversion, traditional format, the tilts' ends and middles on each axis, the
// smallest positive single-precision tilt, tilts just below 1 (where 1 - |t| keeps few bits),
// a compositor's set, and random sets. (Under some, such as tilts of 1, so many pixels fall
// back that a long row gives the fast path up: they test that choice too.)
std::vector<VectorControls> controlTable() {
    std::vector<VectorControls> table = {
        controls(0, 0, 0, 0, 0, 0, 0, 0), controls(0, 0, 0, 1, 0, 0, 0, 0), controls(0, 0, 0, 0, 1, 0, 0, 0),
        controls(0, 0, 0, 0, 0, 1, 0, 0), controls(0, 0, 0, 0, 0, 0, 1, 0), controls(0, 0, 0, 0, 0, 0, 0, 1),
        controls(0, 0, 0, 1, 1, 1, 1, 1), controls(f(0.25), f(-0.5), f(0.75), 1, 0, 0, 0, 0),
    };
    const double belowOne[] = {1.0 - 0x1p-24, 1.0 - 0x1p-30, std::nextafter(1.0, 0.0), f(0.99999)};
    for (double t : {1.0, -1.0, 0.5, -0.5, f(0.25), 0x1p-149, belowOne[0], -belowOne[1], belowOne[2], -belowOne[3]}) {
        table.push_back(controls(t, 0, 0, 0, 0, 0, 0, 0));
        table.push_back(controls(0, t, 0, 0, 0, 0, 0, 0));
        table.push_back(controls(0, 0, t, 1, 0, 0, 0, 0));
    }
    std::mt19937 random(24);
    std::uniform_real_distribution<float> tilt(-1.0f, 1.0f);
    // One draw after another: the draws inside one argument list would come in an order each
    // compiler chooses.
    const auto maybeTilt = [&](unsigned oneIn) { return random() % oneIn == 0 ? tilt(random) : 0.0; };
    const auto coin = [&] { return static_cast<int>(random() % 2); };
    for (int i = 0; i < 24; ++i) {
        const double forward = maybeTilt(2), sideways = maybeTilt(2), upwards = maybeTilt(4);
        const int x = coin(), y = coin(), z = coin(), all = coin();
        const int traditional = random() % 4 == 0;
        table.push_back(controls(forward, sideways, upwards, x, y, z, all, traditional));
    }
    return table;
}

// All 2^24 colours, 2^16 at a time (alpha varies too), through one check.
template <class Check> void forEveryColour(Check check) {
    std::vector<unsigned char> input(std::size_t{1} << 18);
    for (int blue = 0; blue < 256; ++blue) {
        for (int i = 0; i < 1 << 16; ++i) {
            const unsigned char pixel[4] = {static_cast<unsigned char>(i * 7), static_cast<unsigned char>(i & 0xFF),
                                            static_cast<unsigned char>(i >> 8), static_cast<unsigned char>(blue)};
            std::memcpy(&input[static_cast<std::size_t>(i) * 4], pixel, 4);
        }
        check(input);
    }
}

// The supported levels that take 8-bit rows through the single-precision lanes.
std::vector<VectorLevel> fastPathLevels() {
    std::vector<VectorLevel> fast;
    for (VectorLevel level : {VectorLevel::avx2, VectorLevel::avx512, VectorLevel::neon}) {
        if (vectorLevelSupported(level)) {
            fast.push_back(level);
        }
    }
    return fast;
}

// Restores the proven margin however the test ends.
struct MarginScale {
    explicit MarginScale(double scale) { setFastMarginScaleForTesting(scale); }
    ~MarginScale() { setFastMarginScaleForTesting(1.0); }
};

} // namespace

TEST(FastPath, RandomPixelsInEveryChannelOrderMatchTheDoubleKernel) {
    std::mt19937 random(88);
    std::vector<unsigned char> input(std::size_t{4} << 16);
    for (unsigned char &byte : input) {
        byte = static_cast<unsigned char>(random());
    }
    for (const VectorControls &c : controlTable()) {
        expectEveryLevelMatches<BgraPixel8>(c, input, "random Premiere BGRA pixels");
        expectEveryLevelMatches<RgbaPixel8>(c, input, "random OpenFX RGBA pixels, rendered in place", {3840, true});
        expectEveryLevelMatches<Pixel8>(c, input, "random ARGB pixels in rows of 1001", {1001, false});
        for (int32_t width : {1001, 17, 1}) {
            expectEveryLevelMatches<Pixel8>(c, input, "random ARGB pixels rendered in place in odd rows",
                                            {width, true});
        }
    }
}

// Colours whose components cancel exactly in traditional format, where only the minimum
// squared length keeps the fast path from deciding; each fills whole registers.
TEST(FastPath, ExactCancellationInTraditionalFormatMatchesTheDoubleKernel) {
    struct Case {
        unsigned char red, green, blue;
        VectorControls controls;
    };
    const Case cases[] = {{0, 0, 85, controls(f(-0.5), 0, 0, 0, 0, 0, 0, 1)},
                          {51, 0, 0, controls(0, f(-0.25), 0, 0, 0, 0, 0, 1)},
                          {0, 0, 85, controls(f(0.25), 0, 0, 0, 0, 1, 0, 1)}};
    for (const Case &test : cases) {
        std::vector<unsigned char> input;
        for (int i = 0; i < 64; ++i) {
            input.insert(input.end(), {255, test.red, test.green, test.blue}); // alpha first
        }
        fastPathTally = {};
        expectEveryLevelMatches<Pixel8>(test.controls, input, "an exactly cancelling colour");
        EXPECT_EQ(fastPathTally.fallbacks, fastPathTally.pixels) << "the fast path decided none of them";
        EXPECT_TRUE(fastPathTally.pixels > 0 || fastPathLevels().empty()) << "they met the fast path";
    }
}

// A host, or another plug-in in its process, may leave any rounding mode and denormal handling
// set: the 8-bit rows give the double kernel's bytes under the same state, whatever it is.
TEST(FastPath, EveryRoundingModeAndDenormalHandlingMatchesTheDoubleKernel) {
    std::mt19937 random(32);
    std::vector<unsigned char> input(std::size_t{4} << 14);
    for (unsigned char &byte : input) {
        byte = static_cast<unsigned char>(random());
    }
    using float_control::Rounding;
    const uint64_t hostControl = float_control::get();
    struct State {
        const char *name;
        uint64_t control;
    };
    const State states[] = {{"upward", float_control::withRounding(hostControl, Rounding::upward)},
                            {"downward", float_control::withRounding(hostControl, Rounding::downward)},
                            {"toward zero", float_control::withRounding(hostControl, Rounding::towardZero)},
                            {"denormals flushed", float_control::withDenormalsFlushed(hostControl)}};
    for (const State &state : states) {
        float_control::set(state.control);
        for (const VectorControls &c :
             {controls(0, 0, 0, 0, 0, 0, 0, 0), controls(0, 0, 0, 0, 1, 0, 0, 0), controls(f(0.25), f(-0.5), f(0.75), 1, 0, 0, 0, 0),
              controls(0, 0, f(0.5), 0, 0, 0, 0, 1)}) {
            expectEveryLevelMatches<Pixel8>(c, input, state.name, {1001, false});
        }
        float_control::set(hostControl);
    }
}

TEST(FastPath, WithoutItsMarginTheCheckFindsMismatches) {
    // The same comparison with the margin set to zero must fail somewhere, or it proves nothing.
    // (Without tilts, in the default format, the rows' evaluation is so close that every colour
    // comes out right even without the margin: these sets take the other one.)
    const MarginScale zero(0.0);
    for (const VectorControls &c : {controls(0, 0, 0, 0, 0, 0, 0, 1), controls(f(0.25), f(-0.5), f(0.75), 1, 0, 0, 0, 0)}) {
        const std::vector<VectorLevel> fast = fastPathLevels();
        if (fast.empty()) {
            GTEST_SKIP() << "this processor has no level with the fast path to run without its margin";
        }
        for (VectorLevel level : fast) {
            long differing = 0;
            forEveryColour([&](const std::vector<unsigned char> &input) { differing += mismatchesAt<Pixel8>(level, c, input); });
            std::printf("%s, tilts %g %g %g, traditional %d: without the margin %ld of the 2^24 colours differ\n",
                        vectorLevelName(level), c.tiltForward, c.tiltSideways, c.tiltUpwards, c.traditionalFormat, differing);
            EXPECT_GT(differing, 0);
        }
    }
}

// The long run (label "long"): every 8-bit colour under the whole table, in rows of 256
// pixels: a row gives the fast path up only after its first 256, so every colour meets it.
TEST(FastPathLong, Every8BitColourUnderTheControlTable) {
    for (const VectorControls &c : controlTable()) {
        forEveryColour([&](const std::vector<unsigned char> &input) {
            expectEveryLevelMatches<Pixel8>(c, input, "every 8-bit colour", {256, false});
        });
        if (HasFailure()) {
            return;
        }
    }
}
