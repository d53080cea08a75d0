// Every host callback can fail. Walks the failure over each host call of a whole command
// sequence, one run per call, through the loaded module: the command that saw the failure
// answers the host's own code (or, where the host answered a null handle, out of memory), and
// nothing taken from the host is kept or written outside the output.
#include "hostsim/handle_count.h"
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr PF_Err kHostsOwnCode = PF_Err_INVALID_CALLBACK;
// One processor: with more, which worker takes which rows (and so how often the host is asked
// for progress) changes from run to run, and call N would not be the same call in every run.
constexpr int kProcessors = 1;

embedhost::PluginModule &module() {
    static embedhost::PluginModule loaded(embedhost::PluginModule::besideExecutable());
    return loaded;
}

struct CommandResult {
    PF_Cmd cmd;
    PF_Err err;
};

// What a host sends over an effect's life: set-up, a control change, a frame by smart render
// and (where the depth has one) by the classic command, set-down.
std::vector<CommandResult> runLifetime(hostsim::HostSim &sim, int depth) {
    std::vector<CommandResult> results;
    auto record = [&](PF_Cmd cmd, PF_Err err) { results.push_back({cmd, err}); };
    record(PF_Cmd_ABOUT, sim.about());
    record(PF_Cmd_GLOBAL_SETUP, sim.globalSetup());
    record(PF_Cmd_PARAMS_SETUP, sim.paramsSetup());
    record(PF_Cmd_SEQUENCE_SETUP, sim.sequenceSetup());
    PF_UserChangedParamExtra changed{};
    changed.param_index = 8; // the traditional-format checkbox
    record(PF_Cmd_USER_CHANGED_PARAM, sim.send(PF_Cmd_USER_CHANGED_PARAM, &changed));
    record(PF_Cmd_UPDATE_PARAMS_UI, sim.send(PF_Cmd_UPDATE_PARAMS_UI));
    PF_PreRenderOutput answer{};
    record(PF_Cmd_SMART_PRE_RENDER, sim.smartPreRender({0, 0, 23, 9}, answer));
    record(PF_Cmd_SMART_RENDER, sim.smartRender(static_cast<A_short>(depth)));
    if (depth != 32) {
        record(PF_Cmd_RENDER, sim.render());
    }
    record(PF_Cmd_SEQUENCE_SETDOWN, sim.send(PF_Cmd_SEQUENCE_SETDOWN));
    record(PF_Cmd_GLOBAL_SETDOWN, sim.globalSetdown());
    return results;
}

struct Frame {
    explicit Frame(int depth) : source({23, 9, depth, 4}), output({23, 9, depth, 4}) {
        for (int32_t y = 0; y < 9; ++y) {
            for (int32_t x = 0; x < 23; ++x) {
                if (depth == 32) {
                    source.set<float>(x, y, 1.0f, x / 23.0f, y / 9.0f, 0.75f);
                    continue;
                }
                auto *bytes = source.channels<unsigned char>(x, y);
                for (int32_t i = 0; i < source.bytesPerPixel(); ++i) {
                    bytes[i] = static_cast<unsigned char>(x * 7 + y * 13 + i);
                }
            }
        }
    }
    hostsim::World source, output;
};

} // namespace

TEST(FaultInjection, EveryHostCallOfALifetimeCanFail) {
    int walked = 0;
    for (int depth : {8, 16, 32}) {
        SCOPED_TRACE(testing::Message() << depth << "-bit");
        int calls = 0;
        {
            Frame frame(depth);
            hostsim::HostSim sim(module().entryPoint());
            sim.script().processors = kProcessors;
            sim.setWorlds(&frame.source, &frame.output);
            for (const CommandResult &result : runLifetime(sim, depth)) {
                ASSERT_EQ(result.err, PF_Err_NONE) << "command " << result.cmd << " fails without any fault";
            }
            calls = sim.seen().hostCalls;
        }
        ASSERT_GT(calls, 20);
        for (int n = 1; n <= calls; ++n) {
            Frame frame(depth);
            const std::vector<unsigned char> source = frame.source.contents();
            const long handlesBefore = hostsim::outstandingHandles();
            hostsim::HostSim sim(module().entryPoint());
            sim.script().processors = kProcessors;
            sim.script().failCall = n;
            sim.setWorlds(&frame.source, &frame.output);
            const std::vector<CommandResult> results = runLifetime(sim, depth);
            const hostsim::Observations &seen = sim.seen();
            ASSERT_NE(seen.failedCallback, nullptr) << "call " << n << " was never made";
            SCOPED_TRACE(testing::Message() << "call " << n << " of " << calls << ": " << seen.failedCallback
                                            << " during command " << seen.failedDuring);
            ++walked;

            // The command that saw the failure reports it; every other command succeeds.
            const bool nullAnswer = std::strcmp(seen.failedCallback, "host_new_handle") == 0 ||
                                    std::strcmp(seen.failedCallback, "host_lock_handle") == 0;
            for (const CommandResult &result : results) {
                if (result.cmd == seen.failedDuring) {
                    EXPECT_EQ(result.err, nullAnswer ? PF_Err_OUT_OF_MEMORY : kHostsOwnCode);
                } else if (!(seen.failedDuring == PF_Cmd_PARAMS_SETUP && result.cmd > PF_Cmd_PARAMS_SETUP)) {
                    // (A failed parameter set-up leaves the host without the controls; what
                    // follows then need not succeed, only stay safe.)
                    EXPECT_EQ(result.err, PF_Err_NONE) << "command " << result.cmd;
                }
            }
            EXPECT_EQ(seen.checkouts.size(), seen.checkinIds.size()) << "every control checked out is checked in";
            EXPECT_EQ(seen.suitesAcquired, seen.suitesReleased) << "every suite acquired is released";
            EXPECT_EQ(hostsim::outstandingHandles(), handlesBefore) << "every handle made is disposed of";
            EXPECT_TRUE(frame.output.guardsIntact()) << "nothing written outside the output";
            EXPECT_EQ(frame.source.contents(), source) << "the source is never written";
            if (HasFailure()) {
                return;
            }
        }
    }
    std::printf("%d host calls made to fail, one run each\n", walked);
}
