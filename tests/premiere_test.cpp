// The module as Premiere Pro drives it: the pixel formats it declares, each format's pixels
// against After Effects' render of the same pixels at every kernel level, formats it never
// declared, field renders, drafts, a host without the suite, and instances rendering at once.
#include "filter/row_kernels.h"
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"
#include "identity/identity.h"
#include "random_pixels.h"
#include "test_home.h"
#include "vector_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using hostsim::World;

using random_pixels::Controls;

void apply(hostsim::HostSim &sim, const Controls &c) { random_pixels::applyTo(sim.parameters(), c); }

int depthOf(PrPixelFormat format) {
    return format == PrPixelFormat_BGRA_4444_32f ? 32 : format == PrPixelFormat_BGRA_4444_16u ? 16 : 8;
}

// Random channels of every kind (super-white and below black among them) in every pixel.
void fillRandomly(World &world, std::mt19937 &random) {
    for (int32_t y = 0; y < world.shape().height; ++y) {
        random_pixels::fillChannels(world.channels<unsigned char>(0, y), 4 * world.shape().width,
                                    world.shape().bitDepth / 8, random);
    }
}

// After Effects' render (smart render, the module freshly loaded) of an ARGB world.
void renderInAfterEffects(World &argb, World &output, const Controls &c) {
    embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
    hostsim::HostSim sim(module.entryPoint());
    sim.setWorlds(&argb, &output);
    const auto depth = static_cast<A_short>(argb.shape().bitDepth);
    ASSERT_EQ(sim.runSmartSequence(depth), PF_Err_NONE);
    apply(sim, c);
    ASSERT_EQ(sim.smartRender(depth), PF_Err_NONE);
}

// What After Effects makes of a Premiere world's pixels, in the Premiere world's own format.
void expectedFor(World &source, World &expected, const Controls &c) {
    const int depth = source.shape().bitDepth;
    const bool bgra = source.pixelFormat() != PrPixelFormat_ARGB_4444_8u;
    World argb({source.shape().width, source.shape().height, depth});
    World rendered({source.shape().width, source.shape().height, depth});
    argb.copyPixelsFrom(source, bgra);
    renderInAfterEffects(argb, rendered, c);
    expected.copyPixelsFrom(rendered, bgra);
}

hostsim::WorldShape shape(PrPixelFormat format, int32_t width, int32_t height, int32_t pad = 0, bool bottomUp = false) {
    hostsim::WorldShape s;
    s.width = width;
    s.height = height;
    s.bitDepth = depthOf(format);
    s.padBytes = pad;
    s.bottomUp = bottomUp;
    s.pixelFormat = format;
    return s;
}

// A module loaded afresh and a host playing Premiere, through global, params and sequence setup.
struct Premiere {
    embedhost::PluginModule module{embedhost::PluginModule::besideExecutable()};
    hostsim::HostSim sim{module.entryPoint()};

    Premiere() {
        sim.playPremiere();
        EXPECT_EQ(sim.applyAsPremiereDoes(), PF_Err_NONE);
    }
};

const PrPixelFormat kRendered[] = {PrPixelFormat_BGRA_4444_32f, PrPixelFormat_BGRA_4444_16u, PrPixelFormat_BGRA_4444_8u,
                                   PrPixelFormat_ARGB_4444_8u};

} // namespace

TEST(Premiere, GlobalSetupDeclaresItsFormatsBestFirstAndTheFlagsStayAsInAfterEffects) {
    embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
    hostsim::HostSim afterEffects(module.entryPoint());
    ASSERT_EQ(afterEffects.globalSetup(), PF_Err_NONE);

    const struct {
        const char *name;
        void (*script)(hostsim::Script &);
        std::vector<PrPixelFormat> declared;
    } hosts[] = {
        {"Premiere",
         [](hostsim::Script &) {},
         {PrPixelFormat_BGRA_4444_32f, PrPixelFormat_BGRA_4444_16u, PrPixelFormat_BGRA_4444_8u}},
        {"no pixel format suite", [](hostsim::Script &s) { s.offerPixelFormatSuite = false; }, {}},
        {"a suite that refuses a format",
         [](hostsim::Script &s) { s.addPixelFormatError = PF_Err_INVALID_CALLBACK; },
         {}},
    };
    for (const auto &host : hosts) {
        SCOPED_TRACE(host.name);
        hostsim::HostSim sim(module.entryPoint());
        sim.playPremiere();
        host.script(sim.script());
        sim.forgetObservations();
        EXPECT_EQ(sim.globalSetup(), PF_Err_NONE) << "the effect still renders 8-bit ARGB";
        EXPECT_EQ(sim.seen().declaredPixelFormats, host.declared);
        EXPECT_EQ(sim.seen().suitesAcquired, sim.seen().suitesReleased);
        EXPECT_EQ(sim.outData().out_flags, afterEffects.outData().out_flags);
        EXPECT_EQ(sim.outData().out_flags2, afterEffects.outData().out_flags2);
        EXPECT_EQ(sim.outData().out_flags, identity::kOutFlags);
    }
}

TEST(Premiere, EveryFormatGivesAfterEffectsBitsAtEveryLevel) {
    std::mt19937 random(20);
    for (const std::string &level : levelsThisProcessorHas()) {
        test_home::setVariable(vectorLevelVariable, level);
        for (PrPixelFormat format : kRendered) {
            SCOPED_TRACE(testing::Message() << level << ", format 0x" << std::hex << format);
            // 37 wide (no register width divides it), padded, rows bottom-up.
            World source(shape(format, 37, 11, 3, true)), output(shape(format, 37, 11, 3, true));
            World expected(shape(format, 37, 11));
            fillRandomly(source, random);
            // Premiere's flags mean nothing for its formats: a deep flag must not make a 16-bit render.
            source.layer().world_flags |= PF_WorldFlag_DEEP;
            const Controls controls = random_pixels::controls(random);
            expectedFor(source, expected, controls);
            Premiere premiere;
            apply(premiere.sim, controls);
            premiere.sim.setWorlds(&source, &output);
            ASSERT_EQ(premiere.sim.render(), PF_Err_NONE);
            EXPECT_EQ(output.contents(), expected.contents());
            EXPECT_TRUE(output.guardsIntact());
            EXPECT_EQ(premiere.sim.seen().pixelFormatQueries, 1);
        }
    }
    test_home::removeVariable(vectorLevelVariable);
}

TEST(Premiere, AFormatNeverDeclaredOrAFailedQueryIsRefusedWithNothingWritten) {
    const struct {
        const char *name;
        PrPixelFormat format;
        PF_Err queryError;
        PF_Err result;
    } cases[] = {
        {"VUYA", PrPixelFormat_VUYA_4444_8u, PF_Err_NONE, PF_Err_UNRECOGNIZED_PARAM_TYPE},
        {"linear BGRA float", PrPixelFormat_BGRA_4444_32f_Linear, PF_Err_NONE, PF_Err_UNRECOGNIZED_PARAM_TYPE},
        {"ARGB float", PrPixelFormat_ARGB_4444_32f, PF_Err_NONE, PF_Err_UNRECOGNIZED_PARAM_TYPE},
        {"a query the host fails", PrPixelFormat_BGRA_4444_8u, PF_Err_INVALID_CALLBACK, PF_Err_INVALID_CALLBACK},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Premiere premiere;
        premiere.sim.script().getPixelFormatError = c.queryError;
        hostsim::WorldShape s = shape(PrPixelFormat_BGRA_4444_8u, 9, 4);
        s.pixelFormat = c.format;
        World source(s), output(s);
        source.fill(0x80);
        output.fill(0xEE);
        const std::vector<unsigned char> before = output.contents();
        premiere.sim.setWorlds(&source, &output);
        EXPECT_EQ(premiere.sim.render(), c.result);
        EXPECT_EQ(output.contents(), before);
    }
}

TEST(Premiere, AFieldRenderWritesItsOwnRowsOnly) {
    std::mt19937 random(21);
    for (PrPixelFormat format : {PrPixelFormat_BGRA_4444_32f, PrPixelFormat_BGRA_4444_8u}) {
        SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << format);
        World source(shape(format, 13, 9, 2)), frame(shape(format, 13, 9, 2)), fields(shape(format, 13, 9, 2));
        fillRandomly(source, random);
        Premiere premiere;
        apply(premiere.sim, random_pixels::controls(random));
        premiere.sim.setWorlds(&source, &frame);
        ASSERT_EQ(premiere.sim.render(), PF_Err_NONE);
        // The host's idea of the layer's size is the whole frame's; the world says otherwise.
        premiere.sim.setWorlds(&source, &fields);
        for (PF_Field field : {PF_Field_UPPER, PF_Field_LOWER}) {
            fields.fill(0xEE);
            ASSERT_EQ(premiere.sim.renderField(field), PF_Err_NONE);
            for (int32_t y = 0; y < 9; ++y) {
                const bool ownRow = (y % 2 == 0) == (field == PF_Field_UPPER);
                const std::size_t bytes = static_cast<std::size_t>(13 * fields.bytesPerPixel());
                const unsigned char *row = fields.channels<unsigned char>(0, y);
                if (ownRow) {
                    EXPECT_EQ(std::memcmp(row, frame.channels<unsigned char>(0, y), bytes), 0) << "row " << y;
                } else {
                    EXPECT_TRUE(std::all_of(row, row + bytes, [](unsigned char b) { return b == 0xEE; }))
                        << "row " << y << " of the other field was written";
                }
            }
            EXPECT_TRUE(fields.guardsIntact());
        }
    }
}

TEST(Premiere, DraftsWithoutTheSuiteOrWithoutThreadsStillRender) {
    std::mt19937 random(22);
    const struct {
        const char *name;
        void (*script)(hostsim::Script &);
        PrPixelFormat format;
    } hosts[] = {
        // A draft: half the size and 8 bits, the host's in_data still naming the full frame.
        {"a draft", [](hostsim::Script &) {}, PrPixelFormat_BGRA_4444_8u},
        // Nothing declared: the host hands over 8-bit ARGB.
        {"no pixel format suite", [](hostsim::Script &s) { s.offerPixelFormatSuite = false; },
         PrPixelFormat_ARGB_4444_8u},
        // An iterate callback that fails leaves the frame to the calling thread.
        {"iterate_generic failing", [](hostsim::Script &s) { s.iterateGenericError = PF_Err_INVALID_CALLBACK; },
         PrPixelFormat_BGRA_4444_32f},
    };
    for (const auto &host : hosts) {
        SCOPED_TRACE(host.name);
        World source(shape(host.format, 20, 12)), output(shape(host.format, 20, 12)),
            expected(shape(host.format, 20, 12));
        fillRandomly(source, random);
        const Controls controls = random_pixels::controls(random);
        expectedFor(source, expected, controls);
        embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
        hostsim::HostSim sim(module.entryPoint());
        sim.playPremiere();
        host.script(sim.script());
        ASSERT_EQ(sim.applyAsPremiereDoes(), PF_Err_NONE);
        apply(sim, controls);
        sim.setWorlds(&source, &output);
        sim.inData().width = 40;
        sim.inData().height = 24;
        sim.inData().downsample_x = {1, 2};
        sim.inData().downsample_y = {1, 2};
        sim.inData().extent_hint = {0, 0, 3, 3}; // not honoured by Premiere, not read by the effect
        ASSERT_EQ(sim.renderFrameAsPremiereDoes(), PF_Err_NONE);
        EXPECT_EQ(output.contents(), expected.contents());
        EXPECT_TRUE(output.guardsIntact());
    }
}

TEST(Premiere, InstancesRenderAtOnceFromSeveralThreadsEachWithItsOwnControlsAndCancel) {
    // Four instances, each on a thread of its own, each rendering its frames out of order in
    // its own format; the third is cancelled by its host from its second progress call on.
    constexpr int kInstances = 4, kFrames = 5;
    embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
    std::mt19937 random(23);
    struct Job {
        std::unique_ptr<World> source, output, expected;
        Controls controls;
        bool cancelled = false;
        std::vector<PF_Err> results;
    };
    std::vector<Job> jobs(kInstances);
    for (int i = 0; i < kInstances; ++i) {
        Job &job = jobs[static_cast<std::size_t>(i)];
        const PrPixelFormat format = kRendered[i % std::size(kRendered)];
        job.source = std::make_unique<World>(shape(format, 64, 48));
        job.output = std::make_unique<World>(shape(format, 64, 48));
        job.expected = std::make_unique<World>(shape(format, 64, 48));
        fillRandomly(*job.source, random);
        job.controls = random_pixels::controls(random);
        job.cancelled = i == 2;
        expectedFor(*job.source, *job.expected, job.controls);
    }
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (Job &job : jobs) {
        threads.emplace_back([&] {
            hostsim::HostSim sim(module.entryPoint());
            sim.playPremiere();
            sim.script().processors = 2;
            if (sim.applyAsPremiereDoes() != PF_Err_NONE) {
                job.results.push_back(-1);
                return;
            }
            apply(sim, job.controls);
            sim.setWorlds(job.source.get(), job.output.get());
            if (job.cancelled) {
                // Only the calling thread asks the host; with one thread it runs every row, so
                // the cancel is seen in every frame.
                sim.script().processors = 1;
                sim.script().progressAnswer = PF_Interrupt_CANCEL;
                sim.script().progressAnswerFromCall = 2;
            }
            ready.fetch_add(1);
            while (ready.load() < kInstances) {
                std::this_thread::yield();
            }
            for (int frame : {3, 0, 4, 1, 2}) {
                sim.inData().current_time = frame;
                job.results.push_back(sim.renderFrameAsPremiereDoes());
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (int i = 0; i < kInstances; ++i) {
        const Job &job = jobs[static_cast<std::size_t>(i)];
        SCOPED_TRACE(testing::Message() << "instance " << i);
        ASSERT_EQ(job.results.size(), static_cast<std::size_t>(kFrames));
        for (PF_Err result : job.results) {
            EXPECT_EQ(result, job.cancelled ? PF_Interrupt_CANCEL : PF_Err_NONE);
        }
        if (!job.cancelled) {
            EXPECT_EQ(job.output->contents(), job.expected->contents());
        }
    }
}
