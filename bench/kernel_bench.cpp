// The kernel alone on one thread: a 3840x2160 frame as a single band, at each depth.
//   build/linux/bin/kernel_bench
#include "filter/pixel_formats.h"
#include "filter/zephyrine_filter.h"
#include "hostsim/world.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int32_t kWidth = 3840;
constexpr int32_t kHeight = 2160;

template <class Pixel> void fillRandomly(hostsim::World &world) {
    std::mt19937 random(1);
    for (int32_t y = 0; y < kHeight; ++y) {
        unsigned char *row = world.channels<unsigned char>(0, y);
        for (int32_t i = 0; i < kWidth * world.bytesPerPixel(); ++i) {
            row[i] = static_cast<unsigned char>(random());
        }
        if constexpr (Pixel::isFloat) {
            // Random bytes make NaNs and huge floats; keep to the range a normal map uses.
            auto *channels = world.channels<float>(0, y);
            for (int32_t i = 0; i < kWidth * 4; ++i) {
                channels[i] = static_cast<float>(random() % 1000) / 999.0f;
            }
        }
    }
}

template <class Pixel> void kernelSingleBand(benchmark::State &state) {
    const int depth = static_cast<int>(sizeof(typename Pixel::Channel)) * 8;
    hostsim::World source({kWidth, kHeight, depth}), output({kWidth, kHeight, depth});
    fillRandomly<Pixel>(source);
    CorvanthisHost host("bench", "bench", "bench");
    using View = PixelArray<Pixel, 0, 0>;
    ZephyrineFilter<View> filter(&host);
    filter.controls.tiltForward = static_cast<double>(0.25f);
    filter.input = View::fromDesc({source.layer().data, kWidth, kHeight, 0, 0, source.layer().rowbytes, depth,
                                   kWidth, kHeight, 1.0, 1.0, 1.0, true, false});
    filter.output = View::fromDesc({output.layer().data, kWidth, kHeight, 0, 0, output.layer().rowbytes, depth,
                                    kWidth, kHeight, 1.0, 1.0, 1.0, true, false});
    for (auto _ : state) {
        benchmark::DoNotOptimize(filter.applyRows(0, 1, 0));
        benchmark::ClobberMemory();
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(static_cast<double>(kWidth) * kHeight * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(kernelSingleBand<Pixel8>)->Name("kernel/8bit")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(kernelSingleBand<Pixel16>)->Name("kernel/16bit")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(kernelSingleBand<Pixel32>)->Name("kernel/32bit")->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
