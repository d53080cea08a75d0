// The effect under a host that renders several frames at once (multi-frame rendering): several
// instances, and one instance from several render threads, render frames through the loaded
// module at the same time, smart and classic render at mixed depths, some cancelled part-way,
// while the main thread sends the commands of the user interface. Every frame that is not
// cancelled is the frame a lone render makes.
#include "alpha_rule.h"
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
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
    bool classic;    // the classic render command instead of smart render
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
        order.classic = random() % 2 == 0;
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

// One instance of the effect, or one render thread's view of it: set up once, then one frame
// after another.
class Instance {
public:
    Instance(PF_FilterProc entry, int processors) : sim_(entry) {
        sim_.script().processors = processors;
        setUp_ = sim_.about();
        setUp_ = setUp_ != PF_Err_NONE ? setUp_ : sim_.globalSetup();
        setUp_ = setUp_ != PF_Err_NONE ? setUp_ : sim_.paramsSetup();
        setUp_ = setUp_ != PF_Err_NONE ? setUp_ : sim_.sequenceSetup();
    }

    // A render thread of `instance`, as a host renders one instance's frames on several
    // threads: its own records, with the instance's global and sequence data and parameters.
    Instance(PF_FilterProc entry, int processors, Instance &instance) : sim_(entry) {
        sim_.script().processors = processors;
        sim_.inData().global_data = instance.sim_.outData().global_data;
        sim_.inData().sequence_data = instance.sim_.outData().sequence_data;
        for (PF_ParamIndex i = 1; i < instance.sim_.parameters().size(); ++i) {
            sim_.parameters().append(instance.sim_.parameters().at(i));
        }
    }

    hostsim::HostSim &sim() { return sim_; }

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
        PF_Err err = PF_Err_NONE;
        if (order.classic && order.depth != 32) {
            // The classic command: 8 or 16 bits, as the world's deep flag says.
            err = sim_.render();
        } else {
            PF_PreRenderOutput answer{};
            err = sim_.smartPreRender(source.layer().extent_hint, answer);
            err = err != PF_Err_NONE ? err : sim_.smartRender(static_cast<A_short>(order.depth));
        }
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

// The main thread's part while frames render: the commands of the user interface, sent to
// every instance's own records, over and over until the renders are done.
class UserInterface {
public:
    explicit UserInterface(std::vector<std::unique_ptr<Instance>> &instances)
        : thread_([this, &instances] {
              for (int command = 0; !done_.load(); ++command) {
                  for (auto &instance : instances) {
                      PF_UserChangedParamExtra changed{1 + command % 8};
                      EXPECT_EQ(instance->sim().send(PF_Cmd_USER_CHANGED_PARAM, &changed), PF_Err_NONE);
                      EXPECT_EQ(instance->sim().send(PF_Cmd_UPDATE_PARAMS_UI), PF_Err_NONE);
                      instance->sim().forgetObservations();
                  }
                  ++commands_;
              }
          }) {}
    ~UserInterface() { stop(); }

    int stop() {
        done_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        return commands_.load();
    }

private:
    std::atomic<bool> done_{false};
    std::atomic<int> commands_{0};
    std::thread thread_;
};

// Rounds of kHostThreads render threads, each rendering its frames through a view of one of
// `instanceCount` instances (set up on the main thread, as global and sequence setup come),
// while the user interface runs; each thread resets its sequence up once, as it may.
void renderRounds(int instanceCount) {
    embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
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

    int finished = 0, cancelled = 0, commands = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::unique_ptr<Instance>> instances;
        for (int i = 0; i < instanceCount; ++i) {
            instances.push_back(std::make_unique<Instance>(module.entryPoint(), 1));
        }
        std::vector<std::vector<Rendered>> actual(kHostThreads);
        std::atomic<int> ready{0};
        UserInterface userInterface(instances);
        std::vector<std::thread> hosts;
        for (int thread = 0; thread < kHostThreads; ++thread) {
            hosts.emplace_back([&, thread] {
                // Render threads ask for different numbers of threads, so the pool is resized under load.
                Instance view(module.entryPoint(), 1 + (thread + round) % 4, *instances[thread % instanceCount]);
                // Every host thread starts its frames at the same moment.
                ++ready;
                while (ready.load() < kHostThreads) {
                    std::this_thread::yield();
                }
                EXPECT_EQ(view.sim().send(PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
                for (const FrameOrder &order : orders[thread]) {
                    actual[thread].push_back(view.render(order, true));
                }
            });
        }
        for (std::thread &host : hosts) {
            host.join();
        }
        commands += userInterface.stop();

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
    std::printf("%d frames finished, %d cancelled, %d rounds of interface commands\n", finished, cancelled, commands);
    EXPECT_GT(cancelled, 0);
    EXPECT_GT(commands, 0);
}

} // namespace

TEST(ConcurrencyStress, InstancesRenderingAtOnceMakeTheFramesALoneRenderMakes) { renderRounds(kHostThreads); }

TEST(ConcurrencyStress, OneInstanceRenderingOnSeveralThreadsMakesTheFramesALoneRenderMakes) { renderRounds(1); }

TEST(ConcurrencyStress, AFrameThatFindsThePoolHeldRendersOnItsOwnThread) {
    // Instance A's frame holds the pool: its host answers the first progress call only once
    // instance B's frame is done, so B's frame, asked for meanwhile, finds the pool busy.
    embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
    const FrameOrder order{8, 64, 48, {0.25, -0.5, 0.75}, 1, 99, 0, false};
    const FrameOrder classic{16, 64, 48, {0.5, 0.0, -0.25}, 0, 7, 0, true};
    Instance alone(module.entryPoint(), 1);
    const Rendered expected = alone.render(order, false);
    const Rendered expectedClassic = alone.render(classic, false);
    ASSERT_EQ(expected.err, PF_Err_NONE);

    // Only the host's own thread reports progress, and only for the rows it takes: when the
    // pool's workers take every band first, A's frame ends without a progress call and holds
    // nothing. Such a try is made again, with new instances.
    std::unique_ptr<Instance> a, b;
    std::atomic<bool> held{false}, bDone{false}, aFinished{false};
    Rendered fromA;
    std::thread holder;
    for (int attempt = 0; attempt < 100 && !held.load(); ++attempt) {
        a = std::make_unique<Instance>(module.entryPoint(), 2);
        b = std::make_unique<Instance>(module.entryPoint(), 2);
        a->sim().script().duringProgress = [&] {
            held = true;
            while (!bDone.load()) {
                std::this_thread::yield();
            }
        };
        aFinished = false;
        holder = std::thread([&] {
            fromA = a->render(order, false);
            aFinished = true;
        });
        while (!held.load() && !aFinished.load()) {
            std::this_thread::yield();
        }
        if (!held.load()) {
            holder.join();
        }
    }
    ASSERT_TRUE(held.load()) << "in 100 tries no frame of A reported progress from the host's thread";
    // Were a busy pool waited for, B would wait for A and A for B: B gets a bounded time.
    Rendered fromB, fromBClassic;
    std::atomic<bool> bFinished{false};
    std::thread other([&] {
        fromB = b->render(order, false);
        fromBClassic = b->render(classic, false);
        bFinished = true;
    });
    for (int waited = 0; waited < 60000 && !bFinished.load(); ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(bFinished.load()) << "the second frame waited for the pool";
    bDone = true;
    other.join();
    holder.join();
    ASSERT_EQ(fromB.err, PF_Err_NONE);
    EXPECT_EQ(fromB.bytes, expected.bytes);
    EXPECT_EQ(fromBClassic.bytes, expectedClassic.bytes);
    ASSERT_EQ(fromA.err, PF_Err_NONE);
    EXPECT_EQ(fromA.bytes, expected.bytes);
}
