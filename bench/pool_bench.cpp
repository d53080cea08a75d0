// What the pool costs on a tiny frame: a pooled 16x16 render through the adapter against the
// same frame run serially on the calling thread.
//   build/linux/bin/pool_bench
#include "filter/pixel_formats.h"
#include "filter/zephyrine_filter.h"
#include "host/zephyrine_ae_host.h"
#include "hostsim/host_sim.h"
#include "hostsim/world.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kSide = 16;

ImageDesc describe(hostsim::World &world) {
    PF_LayerDef &layer = world.layer();
    return {layer.data, layer.width, layer.height, 0, 0, layer.rowbytes, 8, layer.width, layer.height,
            1.0, 1.0, 1.0, true, false};
}

struct TinyFrame {
    TinyFrame() {
        for (int i = 0; i < 3; ++i) {
            sim.parameters().append(hostsim::floatSliderRecord(0.0));
        }
        for (int i = 0; i < 5; ++i) {
            sim.parameters().append(hostsim::checkboxRecord(0));
        }
        sim.inData().num_params = sim.parameters().size();
        adapter.dispatch(PF_Cmd_EVENT, &sim.inData(), &sim.outData(), sim.parameters().pointers(), nullptr, nullptr);
        source.fill(0x80);
    }
    hostsim::HostSim sim{nullptr};
    ZephyrineAEHost adapter{"bench", "bench", "bench"};
    hostsim::World source{{kSide, kSide, 8}};
    hostsim::World output{{kSide, kSide, 8}};
};

void pooledTinyRender(benchmark::State &state) {
    TinyFrame frame;
    const hostsim::HostSim::Current current(frame.sim);
    const ImageDesc in = describe(frame.source), out = describe(frame.output);
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame.adapter.render8(in, out, {}));
    }
}

void serialTinyRender(benchmark::State &state) {
    TinyFrame frame;
    using View = PixelArray<Pixel8, 0, 0>;
    ZephyrineFilter<View> filter(&frame.adapter);
    filter.input = View::fromDesc(describe(frame.source));
    filter.output = View::fromDesc(describe(frame.output));
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame.adapter.runIterations(1, IterationJob{&filter, filter.rowsCallback}, 0));
    }
}

} // namespace

BENCHMARK(pooledTinyRender)->Name("render16x16/pooled")->UseRealTime();
BENCHMARK(serialTinyRender)->Name("render16x16/serial")->UseRealTime();

BENCHMARK_MAIN();
