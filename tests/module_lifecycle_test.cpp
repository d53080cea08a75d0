// The module unloaded and loaded again, as a host does: the process-wide pool and log are torn
// down at unload and come back at the next load, and the frames stay the same.
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"
#include "platform/module.h"
#include "test_home.h"

#include "process_threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> renderInAFreshlyLoadedModule() {
    embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
    hostsim::HostSim host(module.entryPoint());
    host.script().processors = 4;
    hostsim::World source({9, 40, 16}), output({9, 40, 16});
    for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 9; ++x) {
            source.set<uint16_t>(x, y, 32768, static_cast<uint16_t>(x * 3000), static_cast<uint16_t>(y * 800), 20000);
        }
    }
    host.setWorlds(&source, &output);
    EXPECT_EQ(host.runSmartSequence(16), PF_Err_NONE);
    return output.contents();
}

long countOf(const std::vector<std::string> &lines, const std::string &line) {
    return std::count(lines.begin(), lines.end(), line);
}

} // namespace

TEST(ModuleLifecycle, UnloadStopsThePoolAndAReloadRendersTheSameBytes) {
    test_home::switchLogOn();
    const std::vector<unsigned char> first = renderInAFreshlyLoadedModule();
    const std::vector<std::string> afterFirst = test_home::logLines();
    EXPECT_EQ(countOf(afterFirst, "ThreadPool::ThreadPool()"), 1);
    EXPECT_EQ(countOf(afterFirst, "ThreadPool::~ThreadPool()"), 1) << "the unload tore the pool down";
    EXPECT_EQ(countOf(afterFirst, "        closing down thread 3"), 1);

    const std::vector<unsigned char> second = renderInAFreshlyLoadedModule();
    EXPECT_EQ(second, first);
    const std::vector<std::string> afterSecond = test_home::logLines();
    EXPECT_EQ(countOf(afterSecond, "ThreadPool::ThreadPool()"), 2) << "a new pool in the reloaded module";
    EXPECT_EQ(countOf(afterSecond, "ThreadPool::~ThreadPool()"), 2);
    EXPECT_TRUE(std::equal(afterFirst.begin(), afterFirst.end(), afterSecond.begin())) << "appended, never rewritten";
}

TEST(ModuleLifecycle, AHundredLoadsRendersAndUnloads) {
    // The log is on, so every cycle makes and tears down the log's file and the pool's threads.
    test_home::switchLogOn();
    const std::string path = embedhost::PluginModule::besideExecutable();
    const std::size_t linesBefore = test_home::logLines().size();
    const long threadsBefore = threadsOfThisProcess();
    const std::vector<unsigned char> expected = renderInAFreshlyLoadedModule();
    constexpr int kCycles = 100;
    for (int cycle = 1; cycle < kCycles; ++cycle) {
        ASSERT_EQ(renderInAFreshlyLoadedModule(), expected) << "cycle " << cycle;
        ASSERT_FALSE(platform::moduleIsLoaded(path)) << "cycle " << cycle << " left the module loaded";
        ASSERT_EQ(threadsSettlingTo(threadsBefore), threadsBefore) << "cycle " << cycle << " left threads running";
    }
    const std::vector<std::string> lines = test_home::logLinesFrom(linesBefore);
    EXPECT_EQ(countOf(lines, "ThreadPool::ThreadPool()"), kCycles);
    EXPECT_EQ(countOf(lines, "ThreadPool::~ThreadPool()"), kCycles);
    EXPECT_EQ(countOf(lines, "        closing down thread 3"), kCycles) << "every pool thread ended, every cycle";
}
