// How fast the effect renders, against what the machine allows.
//   build/linux/bin/render_bench [--runs N] [--level scalar|sse2|avx2|avx512] [--fast-path]
// (--level makes every part, the loaded module too, use that instruction set's kernels;
// --fast-path times only the 8-bit fast path against the double kernel.)
// 1. 3840x2160 frames at 8, 16 and 32 bits through the loaded module (SMART_RENDER; the pool
//    as a host uses it) with the defaults and with a compositor's controls, each median
//    against two ceilings measured in the same run on every hardware thread: copying the
//    frame's bytes, and one double square root and one double division per pixel at the
//    kernels' vector width.
// 2. The kernel alone on one thread.
// 3. A 16x16 frame rendered through the pool against the same frame run on the calling thread.
// 4. The same frames of 8-bit and float RGBA through the OpenFX plug-in in the simulated
//    OpenFX host (its threads: one per hardware thread), against the module on the same
//    pixels, the two timed in turn.
// 5. Premiere Pro's BGRA_4444_8u and _32f frames through the module (the classic render, as
//    Premiere sends it), against the same pixels in ARGB (8-bit: the classic render of
//    Premiere's ARGB_4444_8u; float: After Effects' smart render), timed in turn.
#include "bench/ceilings.h"
#include "bench/timing.h"
#include "filter/fast_plan.h"
#include "filter/pixel_formats.h"
#include "filter/row_kernels.h"
#include "filter/zephyrine_filter.h"
#include "host/world_desc.h"
#include "host/zephyrine_ae_host.h"
#include "embedhost/effect_controls.h"
#include "embedhost/effect_host.h"
#include "embedhost/plugin_module.h"
#include "embedhost/world.h"
#include "ofxsim/host_sim.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int32_t kWidth = 3840;
constexpr int32_t kHeight = 2160;
constexpr double kFramePixels = static_cast<double>(kWidth) * kHeight;
// Frames rendered and not timed before two paths are timed in turn.
constexpr int kSettlingFrames = 5;

std::string processorName() {
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("model name", 0) == 0) {
            return line.substr(line.find(':') + 2);
        }
    }
    return "unknown processor";
}

// Random channels; floats stay in the range a normal map uses.
void fillRandomly(embedhost::World &world) {
    std::mt19937 random(1);
    const int32_t bytesPerPixel = world.bytesPerPixel();
    for (int32_t y = 0; y < world.layer().height; ++y) {
        if (bytesPerPixel == 16) {
            auto *channels = world.channels<float>(0, y);
            for (int32_t i = 0; i < world.layer().width * 4; ++i) {
                channels[i] = static_cast<float>(random() % 1000) / 999.0f;
            }
        } else {
            auto *bytes = world.channels<unsigned char>(0, y);
            for (int32_t i = 0; i < world.layer().width * bytesPerPixel; ++i) {
                bytes[i] = static_cast<unsigned char>(random());
            }
        }
    }
}

// An 8-bit normal map as users have them: round bumps on flat ground (whose normal,
// 128, 128, 255, covers most of the frame), the normals from the height's slopes, rounded.
void fillWithANormalMap(embedhost::World &world) {
    const int32_t width = world.layer().width, height = world.layer().height;
    std::vector<float> ground(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0.0f);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int bump = 0; bump < 300; ++bump) {
        const float cx = unit(random) * static_cast<float>(width), cy = unit(random) * static_cast<float>(height);
        const float radius = 20.0f + unit(random) * 120.0f, rise = (unit(random) - 0.5f) * radius;
        for (int32_t y = std::max(0, static_cast<int32_t>(cy - radius)); y < std::min(height, static_cast<int32_t>(cy + radius)); ++y) {
            for (int32_t x = std::max(0, static_cast<int32_t>(cx - radius)); x < std::min(width, static_cast<int32_t>(cx + radius)); ++x) {
                const float d = ((static_cast<float>(x) - cx) * (static_cast<float>(x) - cx) +
                                 (static_cast<float>(y) - cy) * (static_cast<float>(y) - cy)) / (radius * radius);
                if (d < 1.0f) {
                    ground[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] +=
                        rise * (1.0f - d) * (1.0f - d);
                }
            }
        }
    }
    auto at = [&](int32_t x, int32_t y) {
        return static_cast<double>(ground[static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * static_cast<std::size_t>(width) +
                                          static_cast<std::size_t>(std::clamp(x, 0, width - 1))]);
    };
    auto encoded = [](double component) { return static_cast<unsigned char>(std::lround((component + 1.0) * 127.5)); };
    for (int32_t y = 0; y < height; ++y) {
        auto *pixels = world.channels<unsigned char>(0, y);
        for (int32_t x = 0; x < width; ++x) {
            const double dx = 0.5 * (at(x + 1, y) - at(x - 1, y)), dy = 0.5 * (at(x, y + 1) - at(x, y - 1));
            const double length = std::sqrt(dx * dx + dy * dy + 1.0);
            const unsigned char argb[4] = {255, encoded(-dx / length), encoded(-dy / length), encoded(1.0 / length)};
            std::memcpy(pixels + 4 * x, argb, 4);
        }
    }
}

// The two control sets a frame is rendered with: every control at its default, and a
// compositor's (all three tilts, one per-axis inversion), which switches on every stage.
struct ControlSet {
    const char *name;
    VectorControls controls;
};
const ControlSet kControlSets[] = {{"defaults", {}}, {"tilts+invert", {0.25, -0.5, 0.125, 0, 1, 0, 0, 0}}};

// The host's parameters in their order: the layer, the three tilts, the five checkboxes.
void applyControls(embedhost::EffectHost &sim, const VectorControls &c) {
    sim.parameters().setFloat(1, c.tiltForward);
    sim.parameters().setFloat(2, c.tiltSideways);
    sim.parameters().setFloat(3, c.tiltUpwards);
    const int32_t checkboxes[] = {c.invertX, c.invertY, c.invertZ, c.invertAll, c.traditionalFormat};
    for (int i = 0; i < 5; ++i) {
        sim.parameters().setCheckbox(4 + i, checkboxes[i]);
    }
}

void frameThroughTheModule(PF_FilterProc entry, int depth, int runs, int threads) {
    embedhost::EffectHost sim(entry);
    embedhost::World source({kWidth, kHeight, depth}), output({kWidth, kHeight, depth});
    fillRandomly(source);
    sim.setWorlds(&source, &output);
    if (sim.runSmartSequence(static_cast<A_short>(depth)) != PF_Err_NONE) {
        std::printf("  %2d-bit: the render failed\n", depth);
        return;
    }
    const auto frameBytes = static_cast<std::size_t>(output.layer().rowbytes) * kHeight;
    const double copy = bench::copySeconds(reinterpret_cast<unsigned char *>(source.layer().data),
                                           reinterpret_cast<unsigned char *>(output.layer().data), frameBytes, threads, runs);
    const double sqrtDiv = bench::sqrtDivSeconds(static_cast<int64_t>(kFramePixels), threads, runs);
    const double copyRate = kFramePixels / copy * 1e-6;
    const double sqrtDivRate = kFramePixels / sqrtDiv * 1e-6;
    const double ceiling = std::min(copyRate, sqrtDivRate);
    std::printf("  %2d-bit: copy %7.0f Mpx/s   sqrt+div %7.0f\n", depth, copyRate, sqrtDivRate);
    for (const ControlSet &set : kControlSets) {
        applyControls(sim, set.controls);
        const double render = bench::medianSeconds(runs, [&] { sim.smartRender(static_cast<A_short>(depth)); });
        const double rate = kFramePixels / render * 1e-6;
        std::printf("          %-13s %7.0f Mpx/s   ratio to the lower ceiling %.2f\n", set.name, rate, rate / ceiling);
    }
}

// The filter over a 3840x2160 frame of `Pixel` on the calling thread, as the driver's bands
// run it, without the module around it.
template <class Pixel> class KernelAlone {
public:
    explicit KernelAlone(void (*fill)(embedhost::World &))
        : source_({kWidth, kHeight, kDepth}), output_({kWidth, kHeight, kDepth}), host_("bench", "bench", "bench"),
          filter_(&host_) {
        fill(source_);
        filter_.input = View::fromDesc(describeWorld(source_.layer(), kDepth));
        filter_.output = View::fromDesc(describeWorld(output_.layer(), kDepth));
    }
    static constexpr int kDepth = static_cast<int>(sizeof(typename Pixel::Channel)) * 8;
    void setControls(const VectorControls &controls) { filter_.controls = controls; }
    void frame() { filter_.applyRows(0, 1, 0); }
    // One more frame: the share of its pixels on the fast path, and of those the share the
    // double kernel decided.
    std::pair<double, double> fastPathShares() {
        const FastPathTally before = fastPathTally;
        frame();
        const double fast = static_cast<double>(fastPathTally.pixels - before.pixels);
        const double fallbacks = static_cast<double>(fastPathTally.fallbacks - before.fallbacks);
        return {fast / kFramePixels, fast > 0 ? fallbacks / fast : 0.0};
    }

private:
    using View = PixelArray<Pixel, 0, 0>;
    embedhost::World source_, output_;
    CorvanthisHost host_;
    ZephyrineFilter<View, CorvanthisHost> filter_;
};

template <class Pixel> void kernelOnOneThread(int runs, void (*fill)(embedhost::World &) = fillRandomly) {
    KernelAlone<Pixel> kernel(fill);
    std::printf("  %2d-bit:", KernelAlone<Pixel>::kDepth);
    std::string shares;
    for (const ControlSet &set : kControlSets) {
        kernel.setControls(set.controls);
        const double seconds = bench::medianSeconds(runs, [&] { kernel.frame(); });
        std::printf("   %s %5.0f Mpx/s", set.name, kFramePixels / seconds * 1e-6);
        if constexpr (!Pixel::isFloat) {
            const auto [fast, fellBack] = kernel.fastPathShares();
            char text[160];
            std::snprintf(text, sizeof text, "          %-13s single precision for %5.1f%% of pixels, of which %.3f%% fell back\n",
                          set.name, 100.0 * fast, 100.0 * fellBack);
            shares += text;
        }
    }
    std::printf("\n%s", shares.c_str());
}

// The 8-bit fast path against the double kernel alone (its margin scaled to infinity), timed
// in turn on one thread, under control sets from the everyday to those that put results on
// an integer: the figures of docs/exact-fast-path.md's "When it pays".
void fastPathAgainstTheDoubleKernel(int runs) {
    const ControlSet sets[] = {{"defaults", {}},
                               {"invert x", {0, 0, 0, 1, 0, 0, 0, 0}},
                               {"compositor's", {0.25, -0.5, 0.125, 0, 1, 0, 0, 0}},
                               {"tilts, invert x", {0.25, -0.5, 0.75, 1, 0, 0, 0, 0}},
                               {"forward -0.99", {static_cast<float>(-0.99), 0, 0, 0, 0, 0, 0, 0}},
                               {"tilts 1, 1, 1", {1, 1, 1, 0, 0, 0, 0, 0}},
                               {"forward -1", {-1, 0, 0, 0, 0, 0, 0, 0}}};
    const std::pair<const char *, void (*)(embedhost::World &)> pictures[] = {
        {"random pixels", fillRandomly}, {"bumps on flat ground", fillWithANormalMap}};
    for (const auto &[picture, fill] : pictures) {
        KernelAlone<Pixel8> kernel(fill);
        std::printf("  %s:\n", picture);
        for (const ControlSet &set : sets) {
            kernel.setControls(set.controls);
            std::vector<double> fast, exact;
            for (int run = 0; run < runs; ++run) {
                setFastMarginScaleForTesting(1.0);
                fast.push_back(bench::medianSeconds(1, [&] { kernel.frame(); }));
                setFastMarginScaleForTesting(std::numeric_limits<double>::infinity());
                exact.push_back(bench::medianSeconds(1, [&] { kernel.frame(); }));
            }
            setFastMarginScaleForTesting(1.0);
            const auto [took, fellBack] = kernel.fastPathShares();
            const double fastRate = kFramePixels / bench::median(fast) * 1e-6;
            const double exactRate = kFramePixels / bench::median(exact) * 1e-6;
            std::printf("    %-16s fast %5.0f / double %5.0f Mpx/s (%.2f)   fell back %.2f%% of pixels (fast path took %.0f%%)\n",
                        set.name, fastRate, exactRate, fastRate / exactRate, 100.0 * took * fellBack, 100.0 * took);
        }
    }
}

// A 16x16 frame through the adapter as the driver runs it (the pool), and on the calling thread.
void tinyFrame(int runs) {
    constexpr int kRepeats = 20000;
    embedhost::EffectHost sim(nullptr);
    embedhost::appendTheControls(sim);
    ZephyrineAEHost adapter("bench", "bench", "bench");
    adapter.dispatch(PF_Cmd_EVENT, &sim.inData(), &sim.outData(), sim.parameters().pointers(), nullptr, nullptr);
    embedhost::World source({16, 16, 8}), output({16, 16, 8});
    source.fill(0x80);
    const ImageDesc in = describeWorld(source.layer(), 8), out = describeWorld(output.layer(), 8);
    const embedhost::EffectHost::Current current(sim);
    const double pooled = bench::medianSeconds(runs, [&] {
        for (int i = 0; i < kRepeats; ++i) {
            adapter.render8(in, out, {});
        }
    });
    using View = PixelArray<Pixel8, 0, 0>;
    ZephyrineFilter<View, ZephyrineAEHost> filter(&adapter);
    filter.input = View::fromDesc(in);
    filter.output = View::fromDesc(out);
    const double serial = bench::medianSeconds(runs, [&] {
        for (int i = 0; i < kRepeats; ++i) {
            adapter.runIterations(1, IterationJob{&filter, filter.rowsCallback}, 0);
        }
    });
    std::printf("  pooled %.2f us   serial %.2f us   pooled/serial %.2f\n", pooled / kRepeats * 1e6,
                serial / kRepeats * 1e6, pooled / serial);
}

// The OpenFX plug-in's parameters, in the order of VectorControls' fields.
void applyControls(ofxsim::HostSim &host, ofxsim::Effect &instance, const VectorControls &c) {
    const char *tilts[] = {"tiltForward", "tiltSideways", "tiltUpwards"};
    const double tiltValues[] = {c.tiltForward, c.tiltSideways, c.tiltUpwards};
    const char *switches[] = {"invertX", "invertY", "invertZ", "invertAll", "traditionalFormat"};
    const int32_t switchValues[] = {c.invertX, c.invertY, c.invertZ, c.invertAll, c.traditionalFormat};
    for (int i = 0; i < 3; ++i) {
        host.setValue(instance, tilts[i], tiltValues[i]);
    }
    for (int i = 0; i < 5; ++i) {
        host.setValue(instance, switches[i], static_cast<int>(switchValues[i]));
    }
}

void openFxAgainstTheModule(PF_FilterProc entry, int depth, int runs, int threads) {
    embedhost::EffectHost sim(entry);
    embedhost::World source({kWidth, kHeight, depth}), output({kWidth, kHeight, depth});
    fillRandomly(source);
    sim.setWorlds(&source, &output);
    ofxsim::HostSim ofx(ofxsim::HostSim::bundleBesideExecutable());
    ofx.script().processors = static_cast<unsigned int>(threads);
    ofxsim::Effect &instance = ofx.instanceReady("OfxImageEffectContextFilter");
    ofxsim::ImageShape shape;
    shape.bounds = {0, 0, kWidth, kHeight};
    shape.channelBytes = depth / 8;
    ofxsim::Image rgbaSource(shape), rgbaOutput(shape);
    // The same pixels, moved from ARGB to RGBA.
    const std::size_t channel = static_cast<std::size_t>(depth / 8);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            const unsigned char *argb = source.channels<unsigned char>(x, y);
            unsigned char *rgba = rgbaSource.pixel(x, y);
            std::memcpy(rgba, argb + channel, 3 * channel);
            std::memcpy(rgba + 3 * channel, argb, channel);
        }
    }
    ofx.attach(instance, "Source", &rgbaSource);
    ofx.attach(instance, "Output", &rgbaOutput);
    ofxsim::RenderArguments arguments;
    arguments.window = shape.bounds;
    if (sim.runSmartSequence(static_cast<A_short>(depth)) != PF_Err_NONE ||
        ofx.render(instance, arguments) != kOfxStatOK) {
        std::printf("  %2d-bit: a render failed\n", depth);
        return;
    }
    // The first frames after the buffers are made run slow at times, for both alike.
    for (int frame = 0; frame < kSettlingFrames; ++frame) {
        sim.smartRender(static_cast<A_short>(depth));
        ofx.render(instance, arguments);
    }
    for (const ControlSet &set : kControlSets) {
        applyControls(sim, set.controls);
        applyControls(ofx, instance, set.controls);
        std::vector<double> module, openFx;
        for (int run = 0; run < runs; ++run) {
            module.push_back(bench::medianSeconds(1, [&] { sim.smartRender(static_cast<A_short>(depth)); }));
            openFx.push_back(bench::medianSeconds(1, [&] { ofx.render(instance, arguments); }));
        }
        const double moduleRate = kFramePixels / bench::median(module) * 1e-6;
        const double openFxRate = kFramePixels / bench::median(openFx) * 1e-6;
        std::printf("  %2d-bit %-13s module %6.0f Mpx/s   OpenFX RGBA %6.0f Mpx/s   ratio %.2f\n", depth, set.name,
                    moduleRate, openFxRate, openFxRate / moduleRate);
    }
}

void premiereAgainstArgb(PF_FilterProc entry, int depth, int runs) {
    embedhost::World argbSource({kWidth, kHeight, depth}), argbOutput({kWidth, kHeight, depth});
    fillRandomly(argbSource);
    embedhost::WorldShape bgra{kWidth, kHeight, depth};
    bgra.pixelFormat = depth == 8 ? PrPixelFormat_BGRA_4444_8u : PrPixelFormat_BGRA_4444_32f;
    embedhost::World bgraSource(bgra), bgraOutput(bgra);
    bgraSource.copyPixelsFrom(argbSource, true);
    embedhost::EffectHost premiere(entry), argb(entry);
    premiere.playPremiere();
    premiere.setWorlds(&bgraSource, &bgraOutput);
    argb.setWorlds(&argbSource, &argbOutput);
    // At 8 bits Premiere's own ARGB; in float, where Premiere has no ARGB world, After Effects'.
    if (depth == 8) {
        argb.playPremiere();
    }
    const auto renderArgb = [&] { return depth == 8 ? argb.render() : argb.smartRender(static_cast<A_short>(depth)); };
    if (premiere.applyAsPremiereDoes() != PF_Err_NONE || argb.runSmartSequence(static_cast<A_short>(depth)) ||
        premiere.render() != PF_Err_NONE || renderArgb() != PF_Err_NONE) {
        std::printf("  %2d-bit: a render failed\n", depth);
        return;
    }
    for (int frame = 0; frame < kSettlingFrames; ++frame) {
        premiere.render();
        renderArgb();
    }
    for (const ControlSet &set : kControlSets) {
        applyControls(premiere, set.controls);
        applyControls(argb, set.controls);
        std::vector<double> bgraSeconds, argbSeconds;
        for (int run = 0; run < runs; ++run) {
            bgraSeconds.push_back(bench::medianSeconds(1, [&] { premiere.render(); }));
            argbSeconds.push_back(bench::medianSeconds(1, renderArgb));
        }
        const double bgraRate = kFramePixels / bench::median(bgraSeconds) * 1e-6;
        const double argbRate = kFramePixels / bench::median(argbSeconds) * 1e-6;
        std::printf("  %2d-bit %-13s ARGB %6.0f Mpx/s   Premiere BGRA %6.0f Mpx/s   ratio %.2f\n", depth, set.name,
                    argbRate, bgraRate, bgraRate / argbRate);
    }
}

} // namespace

int main(int argc, char **argv) {
    int runs = 9;
    bool fastPathOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fast-path") == 0) {
            fastPathOnly = true;
            continue;
        }
        if (i + 1 >= argc) {
            break;
        }
        if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--level") == 0) {
            // The in-process parts are forced here; the module reads the variable when it
            // first renders after it is loaded.
            const std::optional<VectorLevel> level = supportedVectorLevelNamed(argv[i + 1]);
            if (!level) {
                std::fprintf(stderr, "level %s is unknown or not supported here\n", argv[i + 1]);
                return 2;
            }
            forceVectorLevel(*level);
            setenv(vectorLevelVariable, argv[i + 1], 1);
        }
        ++i;
    }
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::printf("%s, %d hardware threads; kernels: %s; median of %d runs after a warm-up\n", processorName().c_str(),
                threads, vectorLevelName(activeVectorLevel()), runs);
    if (fastPathOnly) {
        std::printf("the 8-bit fast path against the double kernel alone, one thread, 3840x2160, in turn:\n");
        fastPathAgainstTheDoubleKernel(runs);
        return 0;
    }

    std::printf("3840x2160 through the module (SMART_RENDER), ceilings on %d threads (sqrt+div %d doubles wide):\n",
                threads, bench::sqrtDivLanes());
    {
        embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
        for (int depth : {8, 16, 32}) {
            frameThroughTheModule(module.entryPoint(), depth, runs, threads);
        }
    }
    std::printf("the kernel alone, one thread, 3840x2160:\n");
    kernelOnOneThread<Pixel8>(runs);
    kernelOnOneThread<Pixel16>(runs);
    kernelOnOneThread<Pixel32>(runs);
    std::printf("the kernel alone, one thread, a 3840x2160 normal map (bumps on flat ground):\n");
    kernelOnOneThread<Pixel8>(runs, fillWithANormalMap);
    std::printf("a 16x16 frame, 8 bits, %d renders per run:\n", 20000);
    tinyFrame(runs);
    std::printf("3840x2160 through the OpenFX plug-in against the module, timed in turn, %d threads:\n", threads);
    {
        embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
        for (int depth : {8, 32}) {
            openFxAgainstTheModule(module.entryPoint(), depth, runs, threads);
        }
    }
    std::printf("3840x2160 in Premiere Pro's BGRA against ARGB, through the module, timed in turn:\n");
    {
        embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
        for (int depth : {8, 32}) {
            premiereAgainstArgb(module.entryPoint(), depth, runs);
        }
    }
    return 0;
}
