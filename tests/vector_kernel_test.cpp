// The vector kernels against the scalar reference, bit for bit, at every instruction-set
// level this processor has: every 8-bit colour, 16-bit values over the whole range, floats
// of every kind, and rows of every length and alignment.
#include "filter/pixel_transform.h"
#include "filter/row_kernels.h"
#include "filter/simd/contraction_probe.h"
#include "kernel_comparison.h"
#include "float_control.h"
#include "render_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

const std::vector<VectorControls> &everyDaySettings() {
    static const std::vector<VectorControls> settings = {
        controls(0, 0, 0, 0, 0, 0, 0, 0),
        controls(f(0.25), f(-0.5), f(0.125), 1, 0, 1, 0, 0),
        controls(-1.0, f(0.75), 1.0, 0, 1, 0, 1, 1),
    };
    return settings;
}

// Every branch of the arithmetic: each tilt zero, positive, negative, +1 and -1 (and NaN,
// which means no tilt) on its own and all together, and every combination of the checkboxes.
std::vector<VectorControls> everyBranch() {
    std::vector<VectorControls> settings;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double t : {0.0, f(0.25), f(-0.25), 1.0, -1.0, nan}) {
        settings.push_back(controls(t, 0, 0, 0, 0, 0, 0, 0));
        settings.push_back(controls(0, t, 0, 0, 0, 0, 0, 0));
        settings.push_back(controls(0, 0, t, 0, 0, 0, 0, 0));
    }
    settings.push_back(controls(f(0.5), f(-0.25), f(0.75), 0, 0, 0, 0, 0));
    for (int flags = 0; flags < 32; ++flags) {
        settings.push_back(controls(f(0.25), f(-0.5), f(0.125), flags & 1, (flags >> 1) & 1, (flags >> 2) & 1,
                                    (flags >> 3) & 1, (flags >> 4) & 1));
    }
    return settings;
}

// The reference itself, held to the pixel rules rather than to itself: at 16 bits and in
// float a read followed by a write gives back the stored bits, so alpha passes unchanged.
template <class Pixel> void expectAlphaPassesThrough(const VectorControls &c, const std::vector<unsigned char> &input) {
    const auto count = static_cast<int32_t>(input.size() / sizeof(Pixel));
    std::vector<unsigned char> output(input.size());
    transformRowScalar<Pixel>(c, input.data(), output.data(), count);
    constexpr std::size_t alphaBytes = sizeof(typename Pixel::Channel);
    for (int32_t i = 0; i < count; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * sizeof(Pixel);
        if (std::memcmp(&input[at], &output[at], alphaBytes) != 0) {
            ADD_FAILURE() << "alpha of " << describePixel<Pixel>(input, static_cast<std::size_t>(i))
                          << " came back as in " << describePixel<Pixel>(output, static_cast<std::size_t>(i));
            return;
        }
    }
}

// All 2^24 colours, 2^16 at a time, with an alpha that varies too.
void expectEveryColourMatches(const VectorControls &c) {
    std::vector<unsigned char> input(std::size_t{1} << 18);
    for (int blue = 0; blue < 256; ++blue) {
        for (int i = 0; i < 1 << 16; ++i) {
            const int red = i & 0xFF, green = i >> 8;
            const unsigned char pixel[4] = {static_cast<unsigned char>(red ^ green ^ blue),
                                            static_cast<unsigned char>(red), static_cast<unsigned char>(green),
                                            static_cast<unsigned char>(blue)};
            std::memcpy(&input[static_cast<std::size_t>(i) * 4], pixel, 4);
        }
        expectEveryLevelMatches<Pixel8>(c, input, "every 8-bit colour");
        if (testing::Test::HasFailure()) {
            return;
        }
    }
}

template <class T> std::vector<unsigned char> bytesOf(const std::vector<T> &channels) {
    std::vector<unsigned char> bytes(channels.size() * sizeof(T));
    std::memcpy(bytes.data(), channels.data(), bytes.size());
    return bytes;
}

std::vector<unsigned char> random16BitPixels() {
    std::mt19937 random(16);
    std::vector<uint16_t> channels(std::size_t{1} << 20);
    for (uint16_t &channel : channels) {
        channel = static_cast<uint16_t>(random());
    }
    // The edges of the range, in every channel.
    const uint16_t edges[] = {0, 1, 32767, 32768, 32769, 65535};
    for (std::size_t i = 0; i < std::size(edges) * 4; ++i) {
        channels[i] = edges[i % std::size(edges)];
    }
    return bytesOf(channels);
}

std::vector<unsigned char> awkwardFloatPixels() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float signalling = std::numeric_limits<float>::signaling_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const float denormal = std::numeric_limits<float>::denorm_min();
    const float special[] = {nan,      -nan,   infinity, -infinity, denormal, -denormal, 3e-39f, FLT_MIN,
                             0.0f,     -0.0f,  1.0f,     -1.0f,     0.5f,     2.0f,      1e30f,  -1e30f,
                             1.0000001f, 0.99999994f, 3.4e38f, -3.4e38f, signalling, -signalling};
    std::mt19937 random(32);
    std::uniform_real_distribution<float> ordinary(-2.0f, 3.0f);
    std::vector<float> channels(std::size_t{1} << 20);
    for (float &channel : channels) {
        channel = random() % 2 == 0 ? special[random() % std::size(special)] : ordinary(random);
    }
    return bytesOf(channels);
}

} // namespace

TEST(VectorKernel, EveryLevelThisProcessorHasIsTested) {
    EXPECT_FALSE(vectorLevels().empty());
    EXPECT_TRUE(vectorLevelSupported(bestVectorLevel()));
    std::printf("vector levels: best %s\n", vectorLevelName(bestVectorLevel()));
}

TEST(VectorKernel, Every8BitColourMatchesTheScalarKernel) {
    for (const VectorControls &c : everyDaySettings()) {
        expectEveryColourMatches(c);
    }
}

TEST(VectorKernel, The16BitRangeMatchesTheScalarKernel) {
    const std::vector<unsigned char> input = random16BitPixels();
    for (const VectorControls &c : everyBranch()) {
        expectEveryLevelMatches<Pixel16>(c, input, "random 16-bit values");
        expectAlphaPassesThrough<Pixel16>(c, input);
    }
}

TEST(VectorKernel, FloatsOfEveryKindMatchTheScalarKernel) {
    const std::vector<unsigned char> input = awkwardFloatPixels();
    for (const VectorControls &c : everyBranch()) {
        expectEveryLevelMatches<Pixel32>(c, input, "special and ordinary floats");
        expectAlphaPassesThrough<Pixel32>(c, input);
    }
}

#if defined(__GNUC__) && !defined(__clang__)
// The probe in a function built to fuse, where the processor has FMA: it must see the fusion.
#if defined(__x86_64__)
__attribute__((target("avx2,fma"), optimize("fp-contract=fast"))) bool probeWhereProductsFuse() {
    return productsRounded();
}
bool processorFuses() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }
#elif defined(__aarch64__)
__attribute__((optimize("fp-contract=fast"))) bool probeWhereProductsFuse() { return productsRounded(); }
bool processorFuses() { return true; } // every AArch64 processor has fused multiply-adds
#endif
#endif

// No level's code fuses a product and a sum, which would change its bits; and the probe that
// checks it, built where they fuse, says so.
TEST(VectorKernel, NoLevelFusesMultiplyAddsAndTheProbeWouldSee) {
#if defined(__x86_64__)
    const std::pair<VectorLevel, bool> levels[] = {{VectorLevel::scalar, true},
                                                   {VectorLevel::sse2, true},
                                                   {VectorLevel::avx2, __builtin_cpu_supports("avx2") != 0},
                                                   {VectorLevel::avx512, __builtin_cpu_supports("avx512f") != 0}};
#else
    const std::pair<VectorLevel, bool> levels[] = {{VectorLevel::scalar, true}, {VectorLevel::neon, true}};
#endif
    for (const auto &[level, hasInstructions] : levels) {
        if (hasInstructions) {
            EXPECT_TRUE(levelRoundsEachProduct(level)) << vectorLevelName(level);
        }
    }
#if defined(__GNUC__) && !defined(__clang__)
    if (!processorFuses()) {
        GTEST_SKIP() << "this processor has no FMA: a fused build cannot be shown here";
    }
    EXPECT_FALSE(probeWhereProductsFuse());
#else
    GTEST_SKIP() << "only GCC's optimize attribute builds a function that fuses, to show the probe failing";
#endif
}

TEST(VectorKernel, FloatsMatchUnderTheHostsRoundingMode) {
    // Narrowing to float follows the host's rounding mode, in vector lanes as in scalar code.
    const std::vector<unsigned char> input = awkwardFloatPixels();
    const int saved = std::fegetround();
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        expectEveryLevelMatches<Pixel32>(everyDaySettings()[1], input, "floats in another rounding mode");
    }
    std::fesetround(saved);
}

TEST(VectorKernel, FloatAlphaSurvivesAHostThatTreatsDenormalsAsZero) {
    // Under flush-to-zero and denormals-are-zero a conversion would turn a denormal alpha into
    // zero; alpha is kept as stored at every level, the scalar one included.
    const std::vector<unsigned char> input = awkwardFloatPixels();
    const uint64_t hostControl = float_control::get();
    float_control::set(float_control::withDenormalsFlushed(hostControl));
    std::vector<unsigned char> output(input.size());
    const auto count = static_cast<int32_t>(input.size() / sizeof(Pixel32));
    std::vector<std::pair<VectorLevel, RowFunction>> rows = {{VectorLevel::scalar, transformRowScalar<Pixel32>}};
    for (VectorLevel level : vectorLevels()) {
        rows.emplace_back(level, rowKernelsOf(level).rowFor<Pixel32>());
    }
    for (const auto &[level, row] : rows) {
        row(everyDaySettings()[1], input.data(), output.data(), count);
        int32_t changed = 0;
        for (int32_t i = 0; i < count; ++i) {
            changed += std::memcmp(&input[i * sizeof(Pixel32)], &output[i * sizeof(Pixel32)], sizeof(float)) != 0;
        }
        EXPECT_EQ(changed, 0) << vectorLevelName(level);
    }
    float_control::set(hostControl);
}

// Premiere's BGRA and OpenFX's RGBA rows, at every level and every branch, on random
// channels (the every-colour run above covers the arithmetic; these cover the channel orders'
// loads and stores).
TEST(VectorKernel, EveryChannelOrderMatchesTheScalarKernel) {
    std::mt19937 random(8);
    std::vector<unsigned char> bytes8(std::size_t{1} << 16);
    for (unsigned char &byte : bytes8) {
        byte = static_cast<unsigned char>(random());
    }
    std::vector<unsigned char> bytes16 = random16BitPixels(), floats = awkwardFloatPixels();
    bytes16.resize(bytes8.size() * 2);
    floats.resize(bytes8.size() * 4);
    for (const VectorControls &c : everyBranch()) {
        expectEveryLevelMatches<BgraPixel8>(c, bytes8, "BGRA 8-bit");
        expectEveryLevelMatches<RgbaPixel8>(c, bytes8, "RGBA 8-bit");
        expectEveryLevelMatches<BgraPixel16>(c, bytes16, "BGRA 16-bit");
        expectEveryLevelMatches<RgbaPixel16>(c, bytes16, "RGBA 16-bit");
        expectEveryLevelMatches<BgraPixel32>(c, floats, "BGRA float");
        expectEveryLevelMatches<RgbaPixel32>(c, floats, "RGBA float");
    }
}

// The same pixel in another channel order gives the same colours: each order's reference
// against After Effects' ARGB one, channels moved by hand. Alpha follows the 8-bit rule in
// BGRA (Premiere's two 8-bit formats must agree) and comes back as stored in RGBA.
TEST(VectorKernel, ChannelOrdersGiveTheColoursOfTheArgbReference) {
    const VectorControls c = everyDaySettings()[1];
    for (int value = 0; value < 256; ++value) {
        const auto v = static_cast<uint8_t>(value);
        const uint8_t argb[4] = {v, static_cast<uint8_t>(255 - v), static_cast<uint8_t>(v / 2), 200};
        const uint8_t bgra[4] = {argb[3], argb[2], argb[1], argb[0]};
        const uint8_t rgba[4] = {argb[1], argb[2], argb[3], argb[0]};
        uint8_t fromArgb[4], fromBgra[4], fromRgba[4];
        transformRowScalar<Pixel8>(c, argb, fromArgb, 1);
        transformRowScalar<BgraPixel8>(c, bgra, fromBgra, 1);
        transformRowScalar<RgbaPixel8>(c, rgba, fromRgba, 1);
        const uint8_t expectedBgra[4] = {fromArgb[3], fromArgb[2], fromArgb[1], fromArgb[0]};
        const uint8_t expectedRgba[4] = {fromArgb[1], fromArgb[2], fromArgb[3], v};
        ASSERT_EQ(std::memcmp(fromBgra, expectedBgra, 4), 0) << "BGRA, value " << value;
        ASSERT_EQ(std::memcmp(fromRgba, expectedRgba, 4), 0) << "RGBA, value " << value;
    }
}

// Rows of every length up to 25 pixels, one to three bytes off any alignment, with guard bytes
// after: random bytes, so also NaNs and values above white.
template <class Pixel> void expectRowsTouchOnlyTheirPixels(VectorLevel level, std::mt19937 &random) {
    const VectorControls c = everyDaySettings()[1];
    constexpr int32_t bytes = sizeof(Pixel);
    for (int32_t width = 0; width <= 25; ++width) {
        for (int offset = 0; offset < 4; ++offset) {
            SCOPED_TRACE(testing::Message() << vectorLevelName(level) << ", " << bytes << "-byte pixels, " << width
                                            << " pixels, offset " << offset);
            std::vector<unsigned char> from(offset + width * bytes + 64), to(from.size(), 0xEE),
                expected(width * bytes);
            for (unsigned char &byte : from) {
                byte = static_cast<unsigned char>(random());
            }
            rowKernelsOf(level).rowFor<Pixel>()(c, from.data() + offset, to.data() + offset, width);
            transformRowScalar<Pixel>(c, from.data() + offset, expected.data(), width);
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), to.begin() + offset));
            for (std::size_t i = 0; i < to.size(); ++i) {
                if (i < static_cast<std::size_t>(offset) || i >= offset + expected.size()) {
                    ASSERT_EQ(to[i], 0xEE) << "byte " << i << " outside the row was written";
                }
            }
        }
    }
}

TEST(VectorKernel, RowsOfAnyLengthAndAlignmentTouchOnlyTheirPixels) {
    std::mt19937 random(7);
    for (VectorLevel level : vectorLevels()) {
        expectRowsTouchOnlyTheirPixels<Pixel8>(level, random);
        expectRowsTouchOnlyTheirPixels<RgbaPixel8>(level, random);
        expectRowsTouchOnlyTheirPixels<BgraPixel16>(level, random);
        expectRowsTouchOnlyTheirPixels<RgbaPixel32>(level, random);
    }
}

TEST(VectorKernel, FramesWithPaddedBottomUpRowsRenderTheSameAtEveryLevel) {
    RenderHarness harness;
    harness.parameters.at(kTiltSideways).u.fs_d.value = -0.3;
    harness.parameters.at(kInvertY).u.bd.value = 1;
    for (int depth : {8, 16, 32}) {
        // 19 pixels wide: no register width divides it.
        hostsim::World source({19, 7, depth, 3, true}), reference({19, 7, depth, 3, true});
        std::mt19937 random(static_cast<unsigned>(depth));
        for (int32_t y = 0; y < 7; ++y) {
            for (int32_t x = 0; x < 19; ++x) {
                // Three pad bytes leave the channels unaligned: set copies them in.
                if (depth == 32) {
                    auto channel = [&] { return static_cast<float>(random() % 1000) / 999.0f; };
                    source.set<float>(x, y, channel(), channel(), channel(), channel());
                } else if (depth == 16) {
                    auto channel = [&] { return static_cast<uint16_t>(random() % 32769); };
                    source.set<uint16_t>(x, y, channel(), channel(), channel(), channel());
                } else {
                    auto channel = [&] { return static_cast<uint8_t>(random()); };
                    source.set<uint8_t>(x, y, channel(), channel(), channel(), channel());
                }
            }
        }
        ASSERT_TRUE(forceVectorLevel(VectorLevel::scalar));
        ASSERT_EQ(harness.render(source, reference), PF_Err_NONE);
        for (VectorLevel level : vectorLevels()) {
            SCOPED_TRACE(testing::Message() << depth << "-bit, " << vectorLevelName(level));
            hostsim::World output({19, 7, depth, 3, true});
            ASSERT_TRUE(forceVectorLevel(level));
            ASSERT_EQ(harness.render(source, output), PF_Err_NONE);
            EXPECT_EQ(output.contents(), reference.contents());
            EXPECT_TRUE(output.guardsIntact());
        }
    }
    forceVectorLevel(bestVectorLevel());
}

// The long run (label "long"): every 8-bit colour under every branch of the arithmetic.
TEST(VectorKernelLong, Every8BitColourUnderEveryBranch) {
    for (const VectorControls &c : everyBranch()) {
        expectEveryColourMatches(c);
        if (HasFailure()) {
            return;
        }
    }
}
