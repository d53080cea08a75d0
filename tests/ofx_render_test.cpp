// Renders through the OpenFX plug-in: the effect module's bits on the same pixels at every
// depth and kernel level, the render window and nothing else written whatever the bounds and
// row layout, the host's threads, abort, and each bad input answered with its status.
#include "ofx_support.h"

#include "api/ofx_names.h"
#include "filter/row_kernels.h"
#include "test_home.h"
#include "vector_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace {

using ofx_test::Controls;
using ofx_test::shape;
using ofxsim::Image;

constexpr int kDepths[] = {1, 2, 4}; // bytes per channel

// Every pixel's bytes of two images over a region, compared: colour channels from `colours`,
// alpha from `alphas` (the source's: alpha comes back as stored).
testing::AssertionResult sameColoursAndAlpha(Image &actual, Image &colours, Image &alphas, const OfxRectI &region) {
    const int channel = actual.shape().channelBytes, components = actual.shape().components;
    for (int y = region.y1; y < region.y2; ++y) {
        for (int x = region.x1; x < region.x2; ++x) {
            const unsigned char *a = actual.pixel(x, y);
            if (std::memcmp(a, colours.pixel(x, y), static_cast<std::size_t>(3 * channel)) != 0) {
                return testing::AssertionFailure() << "colour differs at (" << x << ", " << y << ")";
            }
            if (components == 4 && std::memcmp(a + 3 * channel, alphas.pixel(x, y) + 3 * channel,
                                               static_cast<std::size_t>(channel)) != 0) {
                return testing::AssertionFailure() << "alpha differs at (" << x << ", " << y << ")";
            }
        }
    }
    return testing::AssertionSuccess();
}

// Whether the pixels of `image` outside `region` still hold `byte`.
bool untouchedOutside(const Image &image, const OfxRectI &region, unsigned char byte) {
    const OfxRectI b = image.shape().bounds;
    for (const OfxRectI &strip :
         {OfxRectI{b.x1, b.y1, b.x2, region.y1}, OfxRectI{b.x1, region.y2, b.x2, b.y2},
          OfxRectI{b.x1, region.y1, region.x1, region.y2}, OfxRectI{region.x2, region.y1, b.x2, region.y2}}) {
        const std::vector<unsigned char> bytes = image.contents(strip);
        if (!std::all_of(bytes.begin(), bytes.end(), [byte](unsigned char v) { return v == byte; })) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(OfxRender, TheSameBitsAsTheEffectModuleAtEveryDepthAndLevel) {
    std::mt19937 random(19);
    for (const std::string &levelName : levelsThisProcessorHas()) {
        const std::optional<VectorLevel> level = supportedVectorLevelNamed(levelName.c_str());
        // Both binaries read the level when they first render after they are loaded.
        test_home::setVariable(vectorLevelVariable, levelName);
        for (int depth : kDepths) {
            for (int components : {4, 3}) {
                SCOPED_TRACE(testing::Message() << vectorLevelName(*level) << ", " << 8 * depth << "-bit, "
                                                << components << " components");
                // 37 pixels wide: no register width divides it; bounds off the origin.
                const OfxRectI bounds{-5, 3, 32, 20};
                Image source(shape(depth, components, bounds)), output(shape(depth, components, bounds)),
                    expected(shape(depth, components, bounds));
                ofx_test::fillRandomly(source, random);
                const Controls controls = random_pixels::controls(random);
                ofx_test::renderThroughTheModule(source, expected, controls);
                ofx_test::Plugin plugin;
                ofx_test::applyControls(plugin.host, plugin.instance, controls);
                ASSERT_EQ(plugin.render(source, output), kOfxStatOK);
                EXPECT_TRUE(sameColoursAndAlpha(output, expected, source, bounds));
            }
        }
    }
    test_home::removeVariable(vectorLevelVariable);
}

TEST(OfxRender, OnlyTheWindowIsWrittenAndTilesMakeTheWholeFrame) {
    // Layouts hosts hand over: padded rows, the top row first in memory, bounds below and
    // left of the origin, and a source larger than the output.
    const struct {
        const char *name;
        int padBytes;
        bool topRowFirst;
        OfxRectI sourceBounds, outputBounds;
    } layouts[] = {
        {"packed", 0, false, {0, 0, 29, 23}, {0, 0, 29, 23}},
        {"padded, top row first", 5, true, {0, 0, 29, 23}, {0, 0, 29, 23}},
        {"negative origin", 3, false, {-40, -17, -11, 6}, {-40, -17, -11, 6}},
        {"source larger than the output", 0, true, {-8, -8, 40, 40}, {0, 0, 29, 23}},
    };
    std::mt19937 random(6);
    for (const auto &layout : layouts) {
        for (int depth : kDepths) {
            SCOPED_TRACE(testing::Message() << layout.name << ", " << 8 * depth << "-bit");
            Image source(shape(depth, 4, layout.sourceBounds, layout.padBytes, layout.topRowFirst));
            ofx_test::fillRandomly(source, random);
            const OfxRectI frame = layout.outputBounds;
            Image whole(shape(depth, 4, frame, layout.padBytes, layout.topRowFirst));
            Image tiled(shape(depth, 4, frame, layout.padBytes, layout.topRowFirst));
            ofx_test::Plugin plugin;
            ofx_test::applyControls(plugin.host, plugin.instance, random_pixels::controls(random));
            ASSERT_EQ(plugin.render(source, whole), kOfxStatOK);
            EXPECT_TRUE(whole.guardsIntact());

            // One tile alone writes its window only.
            const int midX = (frame.x1 + frame.x2) / 2, midY = (frame.y1 + frame.y2) / 2;
            const OfxRectI tile{frame.x1 + 1, frame.y1 + 2, midX, midY};
            tiled.fill(0xAB);
            ASSERT_EQ(plugin.render(source, tiled, tile), kOfxStatOK);
            EXPECT_TRUE(untouchedOutside(tiled, tile, 0xAB));
            EXPECT_EQ(tiled.contents(tile), whole.contents(tile));

            // The rest of the frame in three more tiles gives the whole frame's pixels.
            for (const OfxRectI &rest :
                 {OfxRectI{frame.x1, frame.y1, frame.x2, tile.y1}, OfxRectI{frame.x1, tile.y1, tile.x1, frame.y2},
                  OfxRectI{tile.x1, tile.y2, frame.x2, frame.y2}, OfxRectI{tile.x2, tile.y1, frame.x2, tile.y2}}) {
                ASSERT_EQ(plugin.render(source, tiled, rest), kOfxStatOK);
            }
            EXPECT_EQ(tiled.contents(), whole.contents());
            EXPECT_TRUE(tiled.guardsIntact());
            // A window beyond the output's bounds is clipped to them.
            ASSERT_EQ(plugin.render(source, tiled, OfxRectI{frame.x1 - 9, frame.y1 - 9, frame.x2 + 9, frame.y2 + 9}),
                      kOfxStatOK);
            EXPECT_EQ(tiled.contents(), whole.contents());
            EXPECT_TRUE(tiled.guardsIntact());
        }
    }
}

TEST(OfxRender, RowsRunOnTheHostsThreadsAndImagesAreFetchedOnTheCallingThread) {
    const struct {
        const char *name;
        void (*script)(ofxsim::Script &);
        bool severalThreads;
    } hosts[] = {
        {"four processors", [](ofxsim::Script &s) { s.processors = 4; }, true},
        {"fewer threads started than asked", [](ofxsim::Script &s) { s.threadLimit = 3; }, true},
        {"one processor", [](ofxsim::Script &s) { s.processors = 1; }, false},
        {"threads refused", [](ofxsim::Script &s) { s.refuseMultiThread = true; }, false},
        {"no multithread suite", [](ofxsim::Script &s) { s.refusedSuites = {kOfxMultiThreadSuite}; }, false},
    };
    std::mt19937 random(4);
    const OfxRectI bounds{0, 0, 41, 57};
    Image source(shape(4, 4, bounds)), reference(shape(4, 4, bounds));
    ofx_test::fillRandomly(source, random);
    const Controls controls = random_pixels::controls(random);
    ofx_test::renderThroughTheModule(source, reference, controls);
    for (const auto &host : hosts) {
        SCOPED_TRACE(host.name);
        ofxsim::HostSim sim(ofxsim::HostSim::bundleBesideExecutable());
        host.script(sim.script());
        ofxsim::Effect &instance = sim.instanceReady("OfxImageEffectContextGeneral");
        ofx_test::applyControls(sim, instance, controls);
        Image output(shape(4, 4, bounds));
        sim.attach(instance, "Source", &source);
        sim.attach(instance, "Output", &output);
        ofxsim::RenderArguments arguments;
        arguments.window = bounds;
        ASSERT_EQ(sim.render(instance, arguments), kOfxStatOK);
        EXPECT_TRUE(sameColoursAndAlpha(output, reference, source, bounds));
        EXPECT_EQ(sim.seen().bandThreads.size() > 1, host.severalThreads);
        EXPECT_EQ(sim.seen().imageFetchThreads, std::vector<std::thread::id>(2, std::this_thread::get_id()));
        EXPECT_EQ(sim.seen().imagesOutstanding.load(), 0);
    }
}

TEST(OfxRender, InstancesRenderAtOnceFromSeveralThreadsAndOneInstanceFromSeveral) {
    ofxsim::HostSim host(ofxsim::HostSim::bundleBesideExecutable());
    host.script().processors = 3;
    ASSERT_EQ(host.load(), kOfxStatOK);
    ASSERT_EQ(host.describe(), kOfxStatOK);
    ASSERT_EQ(host.describeInContext("OfxImageEffectContextFilter"), kOfxStatOK);
    constexpr int kInstances = 3, kThreads = 3, kFrames = 4;
    const OfxRectI bounds{0, 0, 64, 48};
    std::mt19937 random(9);
    struct Job {
        ofxsim::Effect *instance = nullptr;
        std::unique_ptr<Image> source, expected;
        std::vector<std::unique_ptr<Image>> outputs; // one per thread
    };
    std::vector<Job> jobs(kInstances);
    // Each render gets its own output, as hosts give it: the clip hands the rendering thread's.
    static thread_local int threadNumber = 0;
    for (Job &job : jobs) {
        job.source = std::make_unique<Image>(shape(1, 4, bounds));
        job.expected = std::make_unique<Image>(shape(1, 4, bounds));
        ofx_test::fillRandomly(*job.source, random);
        const Controls controls = random_pixels::controls(random);
        ofx_test::renderThroughTheModule(*job.source, *job.expected, controls);
        OfxStatus status = kOfxStatOK;
        job.instance = host.createInstance("OfxImageEffectContextFilter", status);
        ASSERT_NE(job.instance, nullptr);
        ofx_test::applyControls(host, *job.instance, controls);
        host.attach(*job.instance, "Source", job.source.get());
        host.attach(*job.instance, "Output", job.source.get());
        for (int t = 0; t < kThreads; ++t) {
            job.outputs.push_back(std::make_unique<Image>(shape(1, 4, bounds)));
        }
        job.instance->clip("Output")->perFetch = [&job] { return job.outputs[threadNumber].get(); };
    }
    std::atomic<int> failures{0}, ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            threadNumber = t;
            ready.fetch_add(1);
            while (ready.load() < kThreads) {
                std::this_thread::yield(); // all start together
            }
            for (int frame = 0; frame < kFrames; ++frame) {
                for (Job &job : jobs) {
                    ofxsim::RenderArguments arguments;
                    arguments.window = bounds;
                    arguments.time = frame;
                    failures.fetch_add(host.render(*job.instance, arguments) != kOfxStatOK ? 1 : 0);
                }
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
    for (Job &job : jobs) {
        for (const auto &output : job.outputs) {
            EXPECT_TRUE(sameColoursAndAlpha(*output, *job.expected, *job.source, bounds));
        }
    }
    EXPECT_EQ(host.seen().imagesOutstanding.load(), 0);
}

TEST(OfxRender, AnAbortedRenderReturnsAtOnceWithoutFinishing) {
    ofx_test::Plugin plugin;
    plugin.host.script().processors = 2;
    plugin.host.script().abortFromCall = 5;
    const OfxRectI bounds{0, 0, 16, 400};
    Image source(shape(4, 4, bounds)), output(shape(4, 4, bounds));
    source.fill(0x3F);
    output.fill(0xEE);
    EXPECT_EQ(plugin.render(source, output), kOfxStatOK) << "a dropped render is not a failure";
    // Once per row, and after the host asked, at most one more row per band.
    EXPECT_GE(plugin.host.seen().abortCalls.load(), 5);
    EXPECT_LE(plugin.host.seen().abortCalls.load(), 5 + 2);
    EXPECT_FALSE(untouchedOutside(output, OfxRectI{0, 0, 0, 0}, 0xEE)) << "some rows were written";
    const std::vector<unsigned char> bytes = output.contents();
    EXPECT_GT(std::count(bytes.begin(), bytes.end(), 0xEE), static_cast<long>(bytes.size() / 2))
        << "most rows were never reached";
    EXPECT_EQ(plugin.host.seen().imagesOutstanding.load(), 0);
}

TEST(OfxRender, RenderScaleAndTimeChangeNothingButTheControlsAtThatTime) {
    ofx_test::Plugin plugin;
    std::mt19937 random(12);
    const OfxRectI bounds{0, 0, 20, 10};
    Image source(shape(2, 4, bounds)), atFive(shape(2, 4, bounds)), scaled(shape(2, 4, bounds));
    ofx_test::fillRandomly(source, random);
    // The forward tilt is keyed at frame 5 only; the render at 5 must take that key.
    Controls keyed;
    keyed.tilts[0] = 0.375;
    Image expected(shape(2, 4, bounds));
    ofx_test::renderThroughTheModule(source, expected, keyed);
    plugin.instance.parameters.find("tiltForward")->keys[5.0] = 0.375;
    ASSERT_EQ(plugin.render(source, atFive, bounds, 5.0), kOfxStatOK);
    EXPECT_TRUE(sameColoursAndAlpha(atFive, expected, source, bounds));

    plugin.host.attach(plugin.instance, "Output", &scaled);
    ofxsim::RenderArguments arguments;
    arguments.time = 5.0;
    arguments.window = bounds;
    arguments.renderScale[0] = arguments.renderScale[1] = 0.5;
    ASSERT_EQ(plugin.host.render(plugin.instance, arguments), kOfxStatOK);
    EXPECT_EQ(scaled.contents(), atFive.contents());
}

TEST(OfxRender, BadInputIsAnsweredWithItsStatusAndNothingIsWritten) {
    const OfxRectI bounds{0, 0, 12, 9};
    const struct {
        const char *name;
        std::function<void(ofxsim::Effect &, ofxsim::RenderArguments &)> spoil;
        OfxStatus status;
    } cases[] = {
        {"half floats",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) {
             e.clip("Source")->adjust = [](ofxsim::PropertySet &p) {
                 p.set(kOfxImageEffectPropPixelDepth, {std::string(kOfxBitDepthHalf)});
             };
         },
         kOfxStatErrImageFormat},
        {"alpha only",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) {
             e.clip("Output")->adjust = [](ofxsim::PropertySet &p) {
                 p.set(kOfxImageEffectPropComponents, {std::string(kOfxImageComponentAlpha)});
             };
         },
         kOfxStatErrImageFormat},
        {"an output of another depth than the source's",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) {
             e.clip("Output")->adjust = [](ofxsim::PropertySet &p) {
                 p.set(kOfxImageEffectPropPixelDepth, {std::string(kOfxBitDepthShort)});
             };
         },
         kOfxStatErrImageFormat},
        {"channels in BGRA order",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) {
             e.clip("Source")->adjust = [](ofxsim::PropertySet &p) {
                 p.set(kOfxImageEffectPropPixelOrder, {std::string(kOfxImagePixelOrderBGRA)});
             };
         },
         kOfxStatErrImageFormat},
        {"rows shorter than the width",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) {
             e.clip("Source")->adjust = [](ofxsim::PropertySet &p) { p.set(kOfxImagePropRowBytes, {12 * 4 - 1}); };
         },
         kOfxStatErrImageFormat},
        {"no pixels in the source",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) {
             e.clip("Source")->adjust = [](ofxsim::PropertySet &p) {
                 p.set(kOfxImagePropData, {static_cast<void *>(nullptr)});
             };
         },
         kOfxStatFailed},
        {"a null source image",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) { e.clip("Source")->nullHandle = true; }, kOfxStatFailed},
        {"the source fetch fails",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) { e.clip("Source")->fetchStatus = kOfxStatFailed; },
         kOfxStatFailed},
        {"the output fetch fails",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) { e.clip("Output")->image = nullptr; }, kOfxStatFailed},
        {"a window the source does not cover",
         [](ofxsim::Effect &e, ofxsim::RenderArguments &) {
             e.clip("Source")->adjust = [](ofxsim::PropertySet &p) { p.set(kOfxImagePropBounds, {2, 0, 12, 9}); };
         },
         kOfxStatErrValue},
        {"a render window of one corner",
         [](ofxsim::Effect &, ofxsim::RenderArguments &a) {
             a.integers = {{kOfxImageEffectPropRenderWindow, 0}};
         },
         kOfxStatErrValue},
        {"images on the graphics card",
         [](ofxsim::Effect &, ofxsim::RenderArguments &a) {
             a.integers = {{kOfxImageEffectPropOpenGLEnabled, 1}};
         },
         kOfxStatErrUnsupported},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ofx_test::Plugin plugin;
        Image source(shape(1, 4, bounds)), output(shape(1, 4, bounds));
        source.fill(0x40);
        output.fill(0xEE);
        plugin.host.attach(plugin.instance, "Source", &source);
        plugin.host.attach(plugin.instance, "Output", &output);
        ofxsim::RenderArguments arguments;
        arguments.window = bounds;
        c.spoil(plugin.instance, arguments);
        EXPECT_EQ(plugin.host.render(plugin.instance, arguments), c.status);
        EXPECT_TRUE(untouchedOutside(output, OfxRectI{0, 0, 0, 0}, 0xEE)) << "nothing written";
        EXPECT_EQ(plugin.host.seen().imagesOutstanding.load(), 0) << "every image given back";
    }
}
