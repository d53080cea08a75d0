// Several instances of the effect rendering at once, as a host with several layers does: host
// threads render different frames through the loaded module at the same time, some of them
// cancelled part-way. Every frame that is not cancelled is the frame a lone render makes.
#include "alpha_rule.h"
#include "hostsim/host_sim.h"
#include "hostsim/plugin_module.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kHostThreads = 6;
constexpr int kFramesPerThread = 12;
constexpr int kRounds = 10;

struct FrameOrder {
    int depth;
    int32_t width, height;
    double tilts[3];
    int invertAll;
    unsigned seed;
    int cancelAfter; // answer cancel from this progress call of the frame on; 0: never
};

std::vector<FrameOrder> ordersFor(int thread) {
    std::mt19937 random(static_cast<unsigned>(thread) * 7919u + 1u);
    std::vector<FrameOrder> orders;
    for (int i = 0; i < kFramesPerThread; ++i) {
        FrameOrder order{};
        order.depth = std::vector<int>{8, 16, 32}[random() % 3];
        order.width = 1 + static_cast<int32_t>(random() % 211);
        order.height = 1 + static_cast<int32_t>(random() % 127);
        for (double &tilt : order.tilts) {
            tilt = static_cast<double>(static_cast<int>(random() % 21) - 10) / 10.0;
        }
        order.invertAll = static_cast<int>(random() % 2);
        order.seed = static_cast<unsigned>(random());
        order.cancelAfter = random() % 3 == 0 ? 1 + static_cast<int>(random() % 20) : 0;
        orders.push_back(order);
    }
    return orders;
}

void paint(hostsim::World &world, unsigned seed) {
    std::mt19937 random(seed);
    for (int32_t y = 0; y < world.layer().height; ++y) {
        for (int32_t x = 0; x < world.layer().width; ++x) {
            if (world.shape().bitDepth == 32) {
                auto channel = [&] { return static_cast<float>(random() % 1001) / 1000.0f; };
                world.set<float>(x, y, channel(), channel(), channel(), channel());
            } else if (world.shape().bitDepth == 16) {
                // Alpha over the whole of what a 16-bit channel holds, colours up to white.
                auto channel = [&] { return static_cast<uint16_t>(random() % 32769); };
                world.set<uint16_t>(x, y, static_cast<uint16_t>(random()), channel(), channel(), channel());
            } else {
                auto channel = [&] { return static_cast<uint8_t>(random()); };
                world.set<uint8_t>(x, y, channel(), channel(), channel(), channel());
            }
        }
    }
}

struct Rendered {
    PF_Err err;
    std::vector<unsigned char> bytes;
};

// One instance of the effect: set up once, then one frame after another.
class Instance {
public:
    Instance(PF_FilterProc entry, int processors) : sim_(entry) {
        sim_.script().processors = processors;
        setUp_ = sim_.about();
        setUp_ = setUp_ != PF_Err_NONE ? setUp_ : sim_.globalSetup();
        setUp_ = setUp_ != PF_Err_NONE ? setUp_ : sim_.paramsSetup();
        setUp_ = setUp_ != PF_Err_NONE ? setUp_ : sim_.sequenceSetup();
    }

    Rendered render(const FrameOrder &order, bool mayCancel) {
        if (setUp_ != PF_Err_NONE) {
            return {setUp_, {}};
        }
        hostsim::World source({order.width, order.height, order.depth}), output({order.width, order.height, order.depth});
        paint(source, order.seed);
        sim_.setWorlds(&source, &output);
        for (int i = 0; i < 3; ++i) {
            sim_.parameters().at(1 + i).u.fs_d.value = order.tilts[i];
        }
        sim_.parameters().at(7).u.bd.value = order.invertAll;
        sim_.script().progressAnswer = mayCancel && order.cancelAfter > 0 ? PF_Interrupt_CANCEL : PF_Err_NONE;
        sim_.script().progressAnswerFromCall = sim_.seen().progressCalls + order.cancelAfter;
        PF_PreRenderOutput answer{};
        PF_Err err = sim_.smartPreRender(source.layer().extent_hint, answer);
        err = err != PF_Err_NONE ? err : sim_.smartRender(static_cast<A_short>(order.depth));
        sim_.forgetObservations();
        EXPECT_TRUE(output.guardsIntact());
        if (err == PF_Err_NONE) {
            EXPECT_TRUE(alpha_rule::holdsFor(source, output));
        }
        return {err, output.contents()};
    }

private:
    hostsim::HostSim sim_;
    PF_Err setUp_ = PF_Err_NONE;
};

} // namespace

TEST(ConcurrencyStress, InstancesRenderingAtOnceMakeTheFramesALoneRenderMakes) {
    hostsim::PluginModule module(hostsim::PluginModule::besideExecutable());
    std::vector<std::vector<FrameOrder>> orders;
    std::vector<std::vector<Rendered>> expected(kHostThreads);
    {
        Instance alone(module.entryPoint(), 1);
        for (int thread = 0; thread < kHostThreads; ++thread) {
            orders.push_back(ordersFor(thread));
            for (const FrameOrder &order : orders.back()) {
                expected[thread].push_back(alone.render(order, false));
                ASSERT_EQ(expected[thread].back().err, PF_Err_NONE);
            }
        }
    }

    int finished = 0, cancelled = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::vector<Rendered>> actual(kHostThreads);
        std::atomic<int> ready{0};
        std::vector<std::thread> hosts;
        for (int thread = 0; thread < kHostThreads; ++thread) {
            hosts.emplace_back([&, thread] {
                // Instances ask for different numbers of threads, so the pool is resized under load.
                Instance instance(module.entryPoint(), 1 + (thread + round) % 4);
                // Every host thread starts its frames at the same moment.
                ++ready;
                while (ready.load() < kHostThreads) {
                    std::this_thread::yield();
                }
                for (const FrameOrder &order : orders[thread]) {
                    actual[thread].push_back(instance.render(order, true));
                }
            });
        }
        for (std::thread &host : hosts) {
            host.join();
        }

        for (int thread = 0; thread < kHostThreads; ++thread) {
            for (int frame = 0; frame < kFramesPerThread; ++frame) {
                SCOPED_TRACE(testing::Message() << "round " << round << ", host thread " << thread << ", frame " << frame);
                const Rendered &result = actual[thread][frame];
                if (result.err == PF_Interrupt_CANCEL) {
                    EXPECT_GT(orders[thread][frame].cancelAfter, 0) << "only a host that cancels sees a cancel";
                    ++cancelled;
                    continue;
                }
                ASSERT_EQ(result.err, PF_Err_NONE);
                EXPECT_EQ(result.bytes, expected[thread][frame].bytes);
                ++finished;
            }
        }
    }
    std::printf("%d frames finished, %d cancelled\n", finished, cancelled);
    EXPECT_GT(cancelled, 0);
}
