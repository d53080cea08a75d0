// Drives the effect's entry point with command sequences and host records built from the fuzz
// input: worlds of every size, stride and depth, odd time and scale records, junk control
// values, callbacks that fail. After every input nothing may be left checked out, acquired or
// allocated, and nothing outside the worlds may have been written. Built with clang's
// libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer (the "fuzz" preset).
#include "host/serve_command.h"
#include "host/zephyrine_ae_host.h"
#include "hostsim/handle_count.h"
#include "hostsim/host_sim.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

namespace {

// The exported entry point's body, compiled here so the fuzzer sees its coverage.
constexpr PF_FilterProc kEntry = serveCommand<ZephyrineAEHost>;

// Where a broken promise is reported: the fuzzer keeps the input that broke it.
void require(bool holds, const char *promise) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", promise);
        std::abort();
    }
}

int32_t side(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return in.ConsumeIntegralInRange<int32_t>(0, 1);
    case 1:
        return in.ConsumeIntegralInRange<int32_t>(0, 40);
    case 2:
        return in.ConsumeIntegralInRange<int32_t>(1000, 5000); // one long row or column
    default:
        return in.ConsumeIntegralInRange<int32_t>(0, 300);
    }
}

// A host allocates its worlds for the depth it announces, and both worlds of a render share
// it: `depth` is the pair's depth.
std::unique_ptr<hostsim::World> world(FuzzedDataProvider &in, int depth) {
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
        return nullptr;
    }
    hostsim::WorldShape shape;
    shape.width = side(in);
    shape.height = side(in);
    if (int64_t{shape.width} * shape.height > 20000) {
        shape.height = std::min(shape.height, 1); // keep an input fast: a long strip at most
    }
    shape.bitDepth = depth;
    shape.padBytes = in.ConsumeIntegralInRange<int32_t>(0, 19);
    shape.bottomUp = in.ConsumeBool();
    auto made = std::make_unique<hostsim::World>(shape);
    const unsigned char pattern = in.ConsumeIntegral<unsigned char>();
    made->fill(pattern);
    for (int32_t y = 0; y < shape.height && in.remaining_bytes() > 0 && in.ConsumeBool(); ++y) {
        // Some rows from the input itself: NaNs, infinities and denormals at 32 bits.
        const int32_t bytes = shape.width * made->bytesPerPixel();
        const std::vector<unsigned char> row = in.ConsumeBytes<unsigned char>(static_cast<std::size_t>(bytes));
        std::copy(row.begin(), row.end(), made->channels<unsigned char>(0, y));
    }
    return made;
}

double junkDouble(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 9)) {
    case 0:
        return std::numeric_limits<double>::quiet_NaN();
    case 1:
        return std::numeric_limits<double>::infinity();
    case 2:
        return -std::numeric_limits<double>::infinity();
    case 3:
        return in.ConsumeBool() ? DBL_MAX : -DBL_MAX;
    case 4:
        return std::numeric_limits<double>::denorm_min();
    case 5:
        return in.ConsumeFloatingPoint<double>();
    default:
        return in.ConsumeFloatingPointInRange<double>(-1.5, 1.5);
    }
}

PF_RationalScale scale(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return {1, 1};
    case 1:
        return {in.ConsumeIntegralInRange<A_long>(0, 4), in.ConsumeIntegralInRange<A_u_long>(0, 4)};
    default:
        return {in.ConsumeIntegral<A_long>(), in.ConsumeIntegral<A_u_long>()};
    }
}

void changeInData(FuzzedDataProvider &in, PF_InData &data) {
    data.downsample_x = scale(in);
    data.downsample_y = scale(in);
    data.pixel_aspect_ratio = scale(in);
    data.current_time = in.ConsumeIntegral<A_long>();
    data.time_step = in.ConsumeIntegral<A_long>();
    data.local_time_step = in.ConsumeIntegralInRange<A_long>(-2, 100);
    data.time_scale = in.ConsumeIntegral<A_u_long>();
    data.total_time = in.ConsumeIntegral<A_long>();
    data.output_origin_x = in.ConsumeIntegralInRange<A_long>(-50, 50);
    data.output_origin_y = in.ConsumeIntegralInRange<A_long>(-50, 50);
    if (in.ConsumeBool()) {
        data.width = in.ConsumeIntegralInRange<A_long>(-10, 6000);
        data.height = in.ConsumeIntegralInRange<A_long>(-10, 6000);
    }
}

void changeControl(FuzzedDataProvider &in, hostsim::HostSim &sim) {
    const auto index = in.ConsumeIntegralInRange<PF_ParamIndex>(0, 10);
    if (!sim.parameters().contains(index)) {
        return;
    }
    PF_ParamDef &record = sim.parameters().at(index);
    if (in.ConsumeBool()) {
        record.u.fs_d.value = junkDouble(in);
    } else {
        record.u.bd.value = in.ConsumeIntegral<A_long>(); // junk checkbox values too
    }
}

void script(FuzzedDataProvider &in, hostsim::Script &script) {
    script.processors = in.ConsumeIntegralInRange(-1, 9);
    script.iterateConcurrently = in.ConsumeIntegralInRange(0, 3) == 0;
    script.offerBasicSuite = in.ConsumeIntegralInRange(0, 7) != 0;
    script.refuseSuites = in.ConsumeIntegralInRange(0, 7) == 0;
    script.failCall = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange(1, 200);
    script.failCode = in.PickValueInArray({PF_Err_INVALID_CALLBACK, PF_Err_OUT_OF_MEMORY, PF_Interrupt_CANCEL, -1, 1});
    script.progressAnswer = in.ConsumeBool() ? PF_Err_NONE : PF_Interrupt_CANCEL;
    script.progressAnswerFromCall = in.ConsumeIntegralInRange(1, 50);
    script.checkoutError = in.ConsumeIntegralInRange(0, 7) == 0 ? PF_Err_OUT_OF_MEMORY : PF_Err_NONE;
    script.checkoutErrorIndex = in.ConsumeIntegralInRange<PF_ParamIndex>(-1, 9);
}

// ZEPHYRINE_FUZZ_TRACE=1 prints each step of an input, to see what a saved input does.
const bool tracing = std::getenv("ZEPHYRINE_FUZZ_TRACE") != nullptr;

void describe(const char *what, const hostsim::World *world) {
    if (world == nullptr) {
        std::fprintf(stderr, "  %s: none\n", what);
        return;
    }
    const hostsim::WorldShape &shape = world->shape();
    std::fprintf(stderr, "  %s: %dx%d, %d bits, %d pad bytes%s\n", what, shape.width, shape.height, shape.bitDepth,
                 shape.padBytes, shape.bottomUp ? ", bottom-up" : "");
}

struct Worlds {
    int depth = 8;
    std::unique_ptr<hostsim::World> source, output;

    void make(FuzzedDataProvider &in, hostsim::HostSim &sim) {
        depth = in.PickValueInArray({8, 16, 32});
        source = world(in, depth);
        output = world(in, depth);
        sim.setWorlds(source.get(), output.get());
        // The input layer a classic render gets is this source, never a world already freed.
        if (sim.parameters().contains(0)) {
            sim.parameters().at(0).u.ld = source ? source->layer() : PF_LayerDef{};
        }
    }
    bool intact() const { return (!source || source->guardsIntact()) && (!output || output->guardsIntact()); }
};

void sendOne(FuzzedDataProvider &in, hostsim::HostSim &sim, Worlds &worlds) {
    const int step = in.ConsumeIntegralInRange(0, 14);
    if (tracing) {
        std::fprintf(stderr, "step %d\n", step);
        describe("source", worlds.source.get());
        describe("output", worlds.output.get());
    }
    switch (step) {
    case 0:
        sim.about();
        break;
    case 1:
        sim.globalSetup();
        break;
    case 2:
        sim.paramsSetup();
        break;
    case 3:
        sim.sequenceSetup();
        break;
    case 4: {
        PF_UserChangedParamExtra changed{};
        changed.param_index = in.ConsumeIntegralInRange<PF_ParamIndex>(-2, 12);
        sim.send(PF_Cmd_USER_CHANGED_PARAM, in.ConsumeBool() ? &changed : nullptr);
        break;
    }
    case 5:
        sim.send(PF_Cmd_UPDATE_PARAMS_UI);
        break;
    case 6: {
        PF_PreRenderOutput answer{};
        const PF_LRect rect{in.ConsumeIntegral<A_long>(), in.ConsumeIntegral<A_long>(), in.ConsumeIntegral<A_long>(),
                            in.ConsumeIntegral<A_long>()};
        sim.smartPreRender(rect, answer);
        break;
    }
    case 7:
        // The worlds' depth, or one the effect does not know.
        sim.smartRender(in.ConsumeBool() ? static_cast<A_short>(worlds.depth)
                                         : in.PickValueInArray<A_short>({0, 1, 12, -8, 64, SHRT_MAX}));
        break;
    case 8:
        if (sim.parameters().contains(0)) {
            sim.render();
        }
        break;
    case 9:
        sim.send(in.PickValueInArray({PF_Cmd_SEQUENCE_SETDOWN, PF_Cmd_GLOBAL_SETDOWN, PF_Cmd_FRAME_SETUP,
                                      PF_Cmd_FRAME_SETDOWN, PF_Cmd_SEQUENCE_RESETUP, PF_Cmd_EVENT}));
        break;
    case 10:
        sim.send(in.ConsumeIntegral<PF_Cmd>());
        break;
    case 11:
        changeControl(in, sim);
        break;
    case 12:
        worlds.make(in, sim);
        break;
    case 13:
        changeInData(in, sim.inData());
        break;
    default:
        // The smart commands with no extra record, and any command with no parameter array.
        sim.send(in.PickValueInArray({PF_Cmd_SMART_PRE_RENDER, PF_Cmd_SMART_RENDER, PF_Cmd_RENDER}),
                 in.ConsumeBool() ? nullptr : sim.parameters().pointers(), nullptr);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const long handlesBefore = hostsim::outstandingHandles();
    {
        hostsim::HostSim sim(kEntry);
        script(in, sim.script());
        Worlds worlds;
        worlds.make(in, sim);
        for (int step = 0; step < 24 && in.remaining_bytes() > 0; ++step) {
            sendOne(in, sim, worlds);
            require(sim.seen().checkouts.size() == sim.seen().checkinIds.size(), "every control checked out is checked in");
            require(sim.seen().suitesAcquired == sim.seen().suitesReleased, "every suite acquired is released");
            require(worlds.intact(), "nothing written around either world, nor in its row padding");
        }
    }
    require(hostsim::outstandingHandles() == handlesBefore, "every handle made is disposed of");
    return 0;
}
