// Whole command sequences through the loaded module, as a host sends them.
#include "alpha_rule.h"
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

class HostBridge : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = std::make_unique<embedhost::PluginModule>(embedhost::PluginModule::besideExecutable());
    }
    static void TearDownTestSuite() { module.reset(); }

    // Registers the controls, as a host does before it renders.
    void SetUp() override { ASSERT_EQ(host.paramsSetup(), PF_Err_NONE); }

    static inline std::unique_ptr<embedhost::PluginModule> module;
    hostsim::HostSim host{module->entryPoint()};
};

const std::vector<A_long> kCheckedInHighestFirst = {8, 7, 6, 5, 4, 3, 2, 1};

} // namespace

TEST_F(HostBridge, RegistersTheEightControls) {
    const std::vector<PF_ParamDef> &added = host.seen().addedParameters;
    const char *names[] = {"tilt forward", "tilt sideways", "tilt upwards", "invert x(red)",
                           "invert y(green)", "invert z(blue)", "invert all", "traditional format"};
    ASSERT_EQ(added.size(), 8u);
    EXPECT_EQ(host.outData().num_params, 9);
    for (std::size_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_STREQ(added[i].name, names[i]);
        EXPECT_EQ(added[i].uu.id, static_cast<A_long>(i + 1));
        EXPECT_EQ(added[i].flags, PF_ParamFlag_COLLAPSE_TWIRLY);
        EXPECT_EQ(added[i].ui_flags, 0);
        EXPECT_EQ(host.seen().addIndexes[i], -1) << "appended";
        if (i < 3) {
            const PF_FloatSliderDef &slider = added[i].u.fs_d;
            EXPECT_EQ(added[i].param_type, PF_Param_FLOAT_SLIDER);
            EXPECT_EQ(slider.valid_min, -1.0f);
            EXPECT_EQ(slider.valid_max, 1.0f);
            EXPECT_EQ(slider.slider_min, -1.0f);
            EXPECT_EQ(slider.slider_max, 1.0f);
            EXPECT_EQ(slider.dephault, 0.0f);
            EXPECT_EQ(slider.value, 0.0);
            EXPECT_EQ(slider.precision, 3);
            EXPECT_EQ(slider.display_flags, 0);
            EXPECT_EQ(slider.curve_tolerance, 0.05f);
        } else {
            EXPECT_EQ(added[i].param_type, PF_Param_CHECKBOX);
            EXPECT_EQ(added[i].u.bd.value, 0);
            EXPECT_EQ(added[i].u.bd.dephault, 0);
            EXPECT_STREQ(added[i].u.bd.u.nameptr, "");
        }
    }
}

TEST_F(HostBridge, SmartSequenceGivesTheWorkedExamplesAtEveryDepth) {
    struct Case {
        int depth;
        std::vector<uint16_t> in, out; // alpha, red, green, blue
    };
    const Case cases[] = {{8, {255, 128, 128, 255}, {255, 127, 127, 254}},
                          {8, {0, 64, 200, 30}, {0, 68, 194, 36}},
                          {16, {32768, 0, 0, 0}, {32768, 6924, 6924, 6924}},
                          {16, {16384, 32768, 16384, 16384}, {16384, 32768, 16384, 16384}},
                          // A 16-bit channel holds up to 65535: alpha above white passes through.
                          {16, {65535, 16384, 16384, 32768}, {65535, 16384, 16384, 32768}},
                          {16, {40000, 0, 0, 0}, {40000, 6924, 6924, 6924}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.depth);
        hostsim::HostSim fresh(module->entryPoint());
        hostsim::World source({2, 3, c.depth}), output({2, 3, c.depth});
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < 2; ++x) {
                if (c.depth == 8) {
                    source.set<uint8_t>(x, y, uint8_t(c.in[0]), uint8_t(c.in[1]), uint8_t(c.in[2]), uint8_t(c.in[3]));
                } else {
                    source.set<uint16_t>(x, y, c.in[0], c.in[1], c.in[2], c.in[3]);
                }
            }
        }
        fresh.setWorlds(&source, &output);
        ASSERT_EQ(fresh.runSmartSequence(static_cast<A_short>(c.depth)), PF_Err_NONE);
        for (int32_t y = 0; y < 3; ++y) {
            const std::vector<uint16_t> pixel =
                c.depth == 8 ? std::vector<uint16_t>(output.channels<uint8_t>(1, y), output.channels<uint8_t>(1, y) + 4)
                             : output.get<uint16_t>(1, y);
            EXPECT_EQ(pixel, c.out);
        }
        EXPECT_EQ(fresh.seen().checkoutBalance(), 0);
        EXPECT_TRUE(output.guardsIntact());
    }

    hostsim::HostSim floats(module->entryPoint());
    hostsim::World source({1, 1, 32}), output({1, 1, 32});
    source.set<float>(0, 0, 0.5f, 2.0f, 0.5f, 0.5f);
    floats.setWorlds(&source, &output);
    ASSERT_EQ(floats.runSmartSequence(32), PF_Err_NONE);
    EXPECT_EQ(output.get<float>(0, 0), (std::vector<float>{0.5f, 1.0f, 0.5f, 0.5f}));
}

TEST_F(HostBridge, ControlValuesReachThePixels) {
    hostsim::World source({1, 1, 8}), output({1, 1, 8});
    source.set<uint8_t>(0, 0, 255, 200, 128, 255);
    host.setWorlds(&source, &output);
    host.parameters().setCheckbox(4, 1); // invert x(red)
    host.parameters().setCheckbox(7, 1); // invert all
    ASSERT_EQ(host.smartRender(8), PF_Err_NONE);
    EXPECT_EQ(output.get<uint8_t>(0, 0), (std::vector<uint8_t>{255, 190, 127, 16}));
    EXPECT_EQ(host.seen().checkinIds, kCheckedInHighestFirst);

    host.parameters().setCheckbox(4, 0);
    host.parameters().setCheckbox(7, 0);
    host.parameters().setFloat(1, 1.0); // tilt forward
    source.set<uint8_t>(0, 0, 255, 10, 200, 30);
    ASSERT_EQ(host.smartRender(8), PF_Err_NONE);
    EXPECT_EQ(output.get<uint8_t>(0, 0), (std::vector<uint8_t>{255, 127, 127, 255}));
}

TEST_F(HostBridge, ClassicRenderTakesItsDepthFromTheDeepFlag) {
    hostsim::World source8({1, 1, 8}), output8({1, 1, 8});
    source8.set<uint8_t>(0, 0, 255, 128, 128, 255);
    host.setWorlds(&source8, &output8);
    ASSERT_EQ(host.render(), PF_Err_NONE);
    EXPECT_EQ(output8.get<uint8_t>(0, 0), (std::vector<uint8_t>{255, 127, 127, 254}));

    hostsim::World source16({1, 1, 16}), output16({1, 1, 16});
    source16.set<uint16_t>(0, 0, 32768, 0, 0, 0);
    host.setWorlds(&source16, &output16);
    ASSERT_EQ(host.render(), PF_Err_NONE);
    EXPECT_EQ(output16.get<uint16_t>(0, 0), (std::vector<uint16_t>{32768, 6924, 6924, 6924}));
    EXPECT_EQ(host.seen().checkoutBalance(), 0);
}

TEST_F(HostBridge, SixteenBitFramesKeepAlphaOverItsWholeRange) {
    hostsim::World source({37, 23, 16}), output({37, 23, 16});
    std::mt19937 random(1600);
    for (int32_t y = 0; y < 23; ++y) {
        for (int32_t x = 0; x < 37; ++x) {
            auto channel = [&] { return static_cast<uint16_t>(random()); };
            source.set<uint16_t>(x, y, channel(), channel(), channel(), channel());
        }
    }
    host.setWorlds(&source, &output);
    host.parameters().setFloat(1, 0.5);  // tilt forward
    host.parameters().setFloat(3, -0.25); // tilt upwards
    host.parameters().setCheckbox(6, 1); // invert z(blue)
    ASSERT_EQ(host.smartRender(16), PF_Err_NONE);
    EXPECT_TRUE(alpha_rule::holdsFor(source, output)) << "smart render";
    output.fill(0);
    ASSERT_EQ(host.render(), PF_Err_NONE);
    EXPECT_TRUE(alpha_rule::holdsFor(source, output)) << "classic render";
}

TEST_F(HostBridge, ClassicRenderChecksTheSourceOutAgainWhenTheTimeFallsShort) {
    // 1 / 49 * 49 is a hair below 1 in double precision and truncates to 0.
    host.inData().current_time = 1;
    host.inData().local_time_step = 49;
    hostsim::World source({1, 1, 8}), output({1, 1, 8});
    source.set<uint8_t>(0, 0, 255, 0, 0, 0);
    host.setWorlds(&source, &output);
    ASSERT_EQ(host.render(), PF_Err_NONE);
    ASSERT_EQ(host.seen().checkouts.size(), 1u);
    EXPECT_EQ(host.seen().checkouts[0].index, 0);
    EXPECT_EQ(host.seen().checkouts[0].time, 0);
    EXPECT_EQ(host.seen().checkoutBalance(), 0);
    EXPECT_EQ(output.get<uint8_t>(0, 0), (std::vector<uint8_t>{255, 53, 53, 53}));
}

TEST_F(HostBridge, ACheckoutErrorStopsTheRenderAndChecksInWhatWasTaken) {
    hostsim::World source({2, 2, 8}), output({2, 2, 8});
    output.fill(0x5C);
    const std::vector<unsigned char> before = output.contents();
    host.setWorlds(&source, &output);
    host.script().checkoutError = 1234;
    host.script().checkoutErrorIndex = 3;
    EXPECT_EQ(host.smartRender(8), 1234);
    EXPECT_EQ(output.contents(), before);
    EXPECT_EQ(host.seen().checkinIds, (std::vector<A_long>{2, 1}));

    PF_PreRenderOutput answer{};
    EXPECT_EQ(host.smartPreRender({0, 0, 2, 2}, answer), 1234);
    EXPECT_EQ(host.seen().checkoutBalance(), 0);
    EXPECT_TRUE(host.seen().layerRequests.empty()) << "the source is not checked out after an error";
}

TEST_F(HostBridge, PreRenderAnswers) {
    hostsim::World source({100, 50, 8}), output({100, 50, 8});
    host.setWorlds(&source, &output);

    PF_PreRenderOutput inside{};
    ASSERT_EQ(host.smartPreRender({10, 5, 60, 40}, inside), PF_Err_NONE);
    EXPECT_EQ(std::vector<A_long>({inside.result_rect.left, inside.result_rect.top, inside.result_rect.right,
                                   inside.result_rect.bottom}),
              (std::vector<A_long>{10, 5, 60, 40}));
    EXPECT_EQ(inside.max_result_rect.right, 100);
    EXPECT_EQ(inside.max_result_rect.bottom, 50);
    EXPECT_FALSE(inside.solid);
    EXPECT_EQ(inside.flags, 0);
    const PF_RenderRequest &asked = host.seen().layerRequests.back();
    EXPECT_EQ(asked.channel_mask, PF_ChannelMask_ARGB);
    EXPECT_TRUE(asked.preserve_rgb_of_zero_alpha);
    EXPECT_EQ(asked.field, PF_Field_FRAME);

    PF_PreRenderOutput beyond{};
    ASSERT_EQ(host.smartPreRender({150, 5, 180, 40}, beyond), PF_Err_NONE);
    EXPECT_EQ(beyond.result_rect.left, 100) << "collapsed onto the right edge";
    EXPECT_EQ(beyond.result_rect.right, 100);
    EXPECT_EQ(beyond.flags, PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS);
    EXPECT_EQ(host.seen().checkoutBalance(), 0);
}

TEST_F(HostBridge, AnUnknownBitDepthRendersNothing) {
    hostsim::World source({2, 2, 8}), output({2, 2, 8});
    output.fill(0x3D);
    const std::vector<unsigned char> before = output.contents();
    host.setWorlds(&source, &output);
    EXPECT_EQ(host.smartRender(12), PF_Err_NONE);
    EXPECT_EQ(output.contents(), before);
    EXPECT_EQ(host.seen().checkinIds, kCheckedInHighestFirst);
}

TEST_F(HostBridge, WorldsWhoseRowsCannotHoldTheDepthAreRefused) {
    // 8-bit worlds announced as 16 or 32 bits: rendering them would run past every row.
    for (A_short depth : {16, 32}) {
        hostsim::World source({5, 3, 8}), output({5, 3, 8});
        output.fill(0x3D);
        const std::vector<unsigned char> before = output.contents();
        host.setWorlds(&source, &output);
        EXPECT_EQ(host.smartRender(depth), PF_Err_BAD_CALLBACK_PARAM) << depth;
        EXPECT_EQ(output.contents(), before);
        EXPECT_TRUE(output.guardsIntact());
    }
}

TEST_F(HostBridge, NoInputWorldIsNotAnError) {
    hostsim::World output({2, 2, 8});
    output.fill(0x3D);
    const std::vector<unsigned char> before = output.contents();
    host.setWorlds(nullptr, &output);
    EXPECT_EQ(host.smartRender(8), PF_Err_NONE);
    EXPECT_EQ(output.contents(), before);
    EXPECT_EQ(host.seen().outputCheckouts, 0);
}

TEST_F(HostBridge, ZeroDownsampleDenominatorsAreTakenAsOne) {
    host.inData().downsample_x = {1, 0};
    host.inData().downsample_y = {2, 0};
    host.inData().pixel_aspect_ratio = {3, 0};
    hostsim::World source({1, 1, 8}), output({1, 1, 8});
    source.set<uint8_t>(0, 0, 255, 128, 128, 255);
    host.setWorlds(&source, &output);
    EXPECT_EQ(host.smartRender(8), PF_Err_NONE);
    EXPECT_EQ(output.get<uint8_t>(0, 0), (std::vector<uint8_t>{255, 127, 127, 254}));
}
