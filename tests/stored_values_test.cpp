// Every value a channel can store survives a render as the pixel rules say: alpha at every
// depth over its whole range, through the loaded module, by smart and by classic render, with
// the module made to use each kernel level this processor has in turn.
#include "alpha_rule.h"
#include "filter/row_kernels.h"
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"
#include "test_home.h"
#include "vector_levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

// 251 columns: no register width divides a row, so every level's row tail is crossed too.
constexpr int32_t kWidth = 251;

// A frame whose pixels all hold one colour `rgb` while their alphas run through `alphas`.
template <class T>
void paint(hostsim::World &world, const std::vector<T> &alphas, const T (&rgb)[3]) {
    std::size_t i = 0;
    for (int32_t y = 0; y < world.shape().height; ++y) {
        for (int32_t x = 0; x < world.shape().width; ++x, ++i) {
            world.set<T>(x, y, alphas[i % alphas.size()], rgb[0], rgb[1], rgb[2]);
        }
    }
}

template <class T> int32_t rowsFor(const std::vector<T> &alphas) {
    return static_cast<int32_t>((alphas.size() + kWidth - 1) / kWidth);
}

// Red, green and blue of every output pixel, compared with the expected ones as stored bits.
template <class T> testing::AssertionResult everyColourIs(hostsim::World &output, const T (&rgb)[3]) {
    for (int32_t y = 0; y < output.shape().height; ++y) {
        for (int32_t x = 0; x < output.shape().width; ++x) {
            if (std::memcmp(output.channels<T>(x, y) + 1, rgb, sizeof rgb) != 0) {
                return testing::AssertionFailure() << "colour at (" << x << ", " << y << ") differs";
            }
        }
    }
    return testing::AssertionSuccess();
}

enum class Command { smart, classic };

// Renders `source` with a freshly loaded module at the level the environment names.
void renderAt(const std::string &level, Command command, hostsim::World &source, hostsim::World &output,
              bool compositorsControls) {
    test_home::setVariable(vectorLevelVariable, level);
    embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
    hostsim::HostSim host(module.entryPoint());
    host.script().processors = 2;
    host.setWorlds(&source, &output);
    ASSERT_EQ(host.runSmartSequence(static_cast<A_short>(source.shape().bitDepth)), PF_Err_NONE);
    if (compositorsControls) {
        host.parameters().setFloat(1, 0.25);  // tilt forward
        host.parameters().setFloat(2, -0.5);  // tilt sideways
        host.parameters().setFloat(3, 0.125); // tilt upwards
        host.parameters().setCheckbox(5, 1);  // invert y(green)
    }
    output.fill(0);
    ASSERT_EQ(command == Command::smart ? host.smartRender(static_cast<A_short>(source.shape().bitDepth))
                                        : host.render(),
              PF_Err_NONE);
    EXPECT_TRUE(output.guardsIntact());
    test_home::removeVariable(vectorLevelVariable);
}

const char *nameOf(Command command) { return command == Command::smart ? "smart render" : "classic render"; }

} // namespace

TEST(StoredValues, EveryLevelCanBeChosenByName) {
    EXPECT_EQ(supportedVectorLevelNamed("scalar"), VectorLevel::scalar);
    // Each architecture's baseline level is always there, and the other's never.
#if defined(__aarch64__)
    EXPECT_EQ(supportedVectorLevelNamed("neon"), VectorLevel::neon);
    EXPECT_FALSE(supportedVectorLevelNamed("sse2"));
#else
    EXPECT_EQ(supportedVectorLevelNamed("sse2"), VectorLevel::sse2);
    EXPECT_FALSE(supportedVectorLevelNamed("neon"));
#endif
    EXPECT_EQ(supportedVectorLevelNamed("avx2").has_value(), vectorLevelSupported(VectorLevel::avx2));
    EXPECT_EQ(supportedVectorLevelNamed("avx512").has_value(), vectorLevelSupported(VectorLevel::avx512));
    for (const char *unknown : {"", "AVX2", "avx", "NEON", "sse2 "}) {
        EXPECT_FALSE(supportedVectorLevelNamed(unknown)) << '"' << unknown << '"';
    }
    EXPECT_FALSE(supportedVectorLevelNamed(nullptr));
}

TEST(StoredValues, SixteenBitAlphaOfEveryValueComesBackUnchanged) {
    std::vector<uint16_t> alphas(65536);
    for (std::size_t v = 0; v < alphas.size(); ++v) {
        alphas[v] = static_cast<uint16_t>(v);
    }
    // (0.5, 0.5, 1) is a unit vector: it stays itself.
    const uint16_t rgb[3] = {16384, 16384, 32768};
    hostsim::World source({kWidth, rowsFor(alphas), 16});
    paint(source, alphas, rgb);
    for (const std::string &level : levelsThisProcessorHas()) {
        for (Command command : {Command::smart, Command::classic}) {
            for (bool controls : {false, true}) {
                SCOPED_TRACE(level + ", " + nameOf(command) + (controls ? ", tilted" : ", defaults"));
                hostsim::World output({kWidth, rowsFor(alphas), 16});
                renderAt(level, command, source, output, controls);
                EXPECT_TRUE(alpha_rule::holdsFor(source, output));
                if (!controls) {
                    EXPECT_TRUE(everyColourIs(output, rgb));
                }
            }
        }
    }
}

TEST(StoredValues, FloatAlphaOfEveryKindComesBackUnchanged) {
    const float infinity = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const auto fromBits = [](uint32_t bits) {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    };
    const float negativeNan = fromBits(0xFFC00001u); // a NaN with a sign and a payload
    const float signallingNan = fromBits(0x7F800001u);
    const float negativeSignallingNan = fromBits(0xFFA11308u);
    const std::vector<float> alphas = {0.0f,
                                       -0.0f,
                                       1.0f,
                                       0.5f,
                                       -1.0f,
                                       nan,
                                       negativeNan,
                                       signallingNan,
                                       negativeSignallingNan,
                                       infinity,
                                       -infinity,
                                       std::numeric_limits<float>::denorm_min(),
                                       -std::numeric_limits<float>::denorm_min(),
                                       std::numeric_limits<float>::min(),
                                       std::numeric_limits<float>::max(),
                                       -std::numeric_limits<float>::max(),
                                       1.0000001f,
                                       0.99999994f,
                                       2.0f,
                                       65535.0f,
                                       1e30f,
                                       3e-39f};
    const float rgb[3] = {0.5f, 0.5f, 1.0f};
    hostsim::World source({kWidth, 3, 32});
    paint(source, alphas, rgb);
    for (const std::string &level : levelsThisProcessorHas()) {
        for (bool controls : {false, true}) {
            SCOPED_TRACE(level + (controls ? ", tilted" : ", defaults"));
            hostsim::World output({kWidth, 3, 32});
            renderAt(level, Command::smart, source, output, controls);
            EXPECT_TRUE(alpha_rule::holdsFor(source, output));
            if (!controls) {
                EXPECT_TRUE(everyColourIs(output, rgb));
            }
        }
    }
}

TEST(StoredValues, EightBitAlphaComesBackAsTheReadRuleSays) {
    std::vector<uint8_t> alphas(256);
    for (std::size_t v = 0; v < alphas.size(); ++v) {
        alphas[v] = static_cast<uint8_t>(v);
    }
    const uint8_t rgb[3] = {128, 128, 255};
    const uint8_t rendered[3] = {127, 127, 254}; // the worked example of a flat normal
    hostsim::World source({kWidth, 3, 8});
    paint(source, alphas, rgb);
    for (const std::string &level : levelsThisProcessorHas()) {
        for (Command command : {Command::smart, Command::classic}) {
            SCOPED_TRACE(level + ", " + nameOf(command));
            hostsim::World output({kWidth, 3, 8});
            renderAt(level, command, source, output, false);
            EXPECT_TRUE(alpha_rule::holdsFor(source, output));
            EXPECT_TRUE(everyColourIs(output, rendered));
        }
    }
}
