// Alpha passes through every render as stored: all 256 8-bit values, through After Effects'
// smart and classic render and Premiere's two 8-bit formats, at every kernel level, with
// controls that move every colour channel.
#include "alpha_rule.h"
#include "filter/row_kernels.h"
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"
#include "test_home.h"
#include "vector_levels.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using hostsim::World;

enum class Host { afterEffectsSmart, afterEffectsClassic, premiere };

struct Case {
    const char *name;
    Host host;
    PrPixelFormat format; // Premiere's format; After Effects' worlds are ARGB
};

// 256 pixels a row, alpha counting 0..255 along it; colours differ from pixel to pixel and
// row to row, so registers hold pixels whose colours take different branches of the arithmetic.
void paint(World &world) {
    const std::size_t alpha = alpha_rule::alphaOffset(world);
    for (int32_t y = 0; y < world.shape().height; ++y) {
        for (int32_t x = 0; x < 256; ++x) {
            uint8_t *pixel = world.channels<uint8_t>(x, y);
            for (int channel = 0; channel < 4; ++channel) {
                pixel[channel] = static_cast<uint8_t>((x * (7 + 2 * channel) + y * 41 + channel) & 255);
            }
            pixel[alpha] = static_cast<uint8_t>(x);
        }
    }
}

PF_Err render(const Case &c, World &source, World &output) {
    embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
    hostsim::HostSim sim(module.entryPoint());
    if (c.host == Host::premiere) {
        sim.playPremiere();
        if (const PF_Err err = sim.applyAsPremiereDoes(); err != PF_Err_NONE) {
            return err;
        }
    } else if (const PF_Err err = sim.runSmartSequence(8); err != PF_Err_NONE) {
        return err;
    }
    sim.parameters().setFloat(1, 0.25);  // tilt forward
    sim.parameters().setFloat(2, -0.5);  // tilt sideways
    sim.parameters().setFloat(3, 0.75);  // tilt upwards
    sim.parameters().setCheckbox(4, 1); // invert x
    sim.setWorlds(&source, &output);
    return c.host == Host::afterEffectsSmart ? sim.smartRender(8) : sim.render();
}

} // namespace

TEST(AlphaPassesThrough, EveryEightBitValueInEveryHostAndLevel) {
    const Case cases[] = {
        {"After Effects, smart render", Host::afterEffectsSmart, PrPixelFormat_ARGB_4444_8u},
        {"After Effects, classic render", Host::afterEffectsClassic, PrPixelFormat_ARGB_4444_8u},
        {"Premiere, BGRA_4444_8u", Host::premiere, PrPixelFormat_BGRA_4444_8u},
        {"Premiere, ARGB_4444_8u", Host::premiere, PrPixelFormat_ARGB_4444_8u},
    };
    for (const std::string &level : levelsThisProcessorHas()) {
        test_home::setVariable(vectorLevelVariable, level);
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << level << ", " << c.name);
            hostsim::WorldShape shape{256, 5, 8};
            shape.pixelFormat = c.format;
            World source(shape), output(shape);
            paint(source);
            ASSERT_EQ(render(c, source, output), PF_Err_NONE);
            EXPECT_TRUE(alpha_rule::holdsFor(source, output));
            EXPECT_NE(output.contents(), source.contents()) << "the colours were rendered";
        }
    }
    test_home::removeVariable(vectorLevelVariable);
}
