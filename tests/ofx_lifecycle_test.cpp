// The OpenFX binary loaded, used and unloaded a hundred times, as hosts do when they scan
// their plug-in folders and then load for real: nothing stays behind, and every cycle renders
// the same bytes.
#include "ofx_support.h"

#include "platform/module.h"

#include "process_threads.h"

#include <gtest/gtest.h>

namespace {

std::vector<unsigned char> renderInAFreshlyLoadedBinary() {
    ofx_test::Plugin plugin;
    plugin.host.script().processors = 4;
    std::mt19937 random(100);
    const OfxRectI bounds{0, 0, 33, 40};
    ofxsim::Image source(ofx_test::shape(2, 4, bounds)), output(ofx_test::shape(2, 4, bounds));
    ofx_test::fillRandomly(source, random);
    ofx_test::applyControls(plugin.host, plugin.instance, random_pixels::controls(random));
    EXPECT_EQ(plugin.render(source, output), kOfxStatOK);
    return output.contents();
}

} // namespace

TEST(OfxLifecycle, AHundredLoadsRendersAndUnloadsLeaveNothingBehind) {
    const std::string binary = ofxsim::HostSim::binaryOf(ofxsim::HostSim::bundleBesideExecutable());
    const std::vector<unsigned char> expected = renderInAFreshlyLoadedBinary();
    // Counted after the first cycle: a sanitizer's runtime starts a thread of its own at the
    // first thread a process makes.
    const long threadsBefore = threadsOfThisProcess();
    for (int cycle = 1; cycle < 100; ++cycle) {
        ASSERT_EQ(renderInAFreshlyLoadedBinary(), expected) << "cycle " << cycle;
        ASSERT_FALSE(platform::moduleIsLoaded(binary)) << "cycle " << cycle << " left the binary loaded";
        ASSERT_EQ(threadsSettlingTo(threadsBefore), threadsBefore) << "cycle " << cycle << " left threads running";
    }
}
