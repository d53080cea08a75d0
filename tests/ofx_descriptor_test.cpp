// What an OpenFX host sees of the plug-in before it renders: the plug-in record, the
// descriptor, the contexts, clips and parameters, the answers to the other actions, and a
// load that fails cleanly when a suite the plug-in needs is missing.
#include "ofx_support.h"

#include "api/ofx_names.h"
#include "ofxsim/property_specs.h"
#include "test_home.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using ofxsim::PropertySet;
using Strings = std::vector<std::string>;

constexpr char kFilter[] = "OfxImageEffectContextFilter";
constexpr char kGeneral[] = "OfxImageEffectContextGeneral";

// Every property the plug-in touched exists on the object it touched it on.
void expectNoUnknownProperties(const PropertySet &properties, const std::string &object) {
    EXPECT_EQ(properties.unknownNames(), Strings{}) << object;
}

} // namespace

TEST(OfxDescriptor, ThePluginRecordNamesTheEffectAndItsVersion) {
    ofxsim::HostSim host(ofxsim::HostSim::bundleBesideExecutable());
    ASSERT_EQ(host.load(), kOfxStatOK);
    EXPECT_STREQ(host.plugin().pluginIdentifier, "com.corvanthis.Zephyrine");
    EXPECT_EQ(host.plugin().pluginVersionMajor, 1u);
    EXPECT_EQ(host.plugin().pluginVersionMinor, 0u);
}

TEST(OfxDescriptor, TheEffectIsAFilterOfEveryDeclaredDepthThatThreadsItself) {
    ofxsim::HostSim host(ofxsim::HostSim::bundleBesideExecutable());
    ASSERT_EQ(host.load(), kOfxStatOK);
    ASSERT_EQ(host.describe(), kOfxStatOK);
    const PropertySet &effect = host.descriptor()->properties;
    EXPECT_EQ(effect.string(kOfxPropLabel), "Zephyrine");
    EXPECT_EQ(effect.string(kOfxImageEffectPluginPropGrouping), "Mirovanth");
    EXPECT_FALSE(effect.string(kOfxPropPluginDescription).empty());
    EXPECT_EQ(effect.strings(kOfxImageEffectPropSupportedContexts), (Strings{kFilter, kGeneral}));
    EXPECT_EQ(effect.strings(kOfxImageEffectPropSupportedPixelDepths),
              (Strings{kOfxBitDepthFloat, kOfxBitDepthShort, kOfxBitDepthByte}));
    EXPECT_EQ(effect.string(kOfxImageEffectPluginRenderThreadSafety), kOfxImageEffectRenderFullySafe);
    const struct {
        const char *property;
        int value;
    } flags[] = {
        {kOfxImageEffectPluginPropHostFrameThreading, 0},   {kOfxImageEffectPropSupportsTiles, 1},
        {kOfxImageEffectPropSupportsMultiResolution, 1},    {kOfxImageEffectPropTemporalClipAccess, 0},
        {kOfxImageEffectPropSupportsMultipleClipDepths, 0},
    };
    for (const auto &flag : flags) {
        EXPECT_EQ(effect.integer(flag.property), flag.value) << flag.property;
    }
    expectNoUnknownProperties(effect, "descriptor");
}

TEST(OfxDescriptor, BothContextsHaveTheSourceAndOutputClipsAndTheEightControlsOnOnePage) {
    ofxsim::HostSim host(ofxsim::HostSim::bundleBesideExecutable());
    ASSERT_EQ(host.load(), kOfxStatOK);
    ASSERT_EQ(host.describe(), kOfxStatOK);
    // The effect's display names, in host order, and the kind of each control.
    const struct {
        const char *label;
        bool isTilt;
    } controls[] = {{"tilt forward", true},   {"tilt sideways", true},      {"tilt upwards", true},
                    {"invert x(red)", false}, {"invert y(green)", false},   {"invert z(blue)", false},
                    {"invert all", false},    {"traditional format", false}};
    for (const char *context : {kFilter, kGeneral}) {
        SCOPED_TRACE(context);
        ASSERT_EQ(host.describeInContext(context), kOfxStatOK);
        const ofxsim::Effect &described = *host.contextDescriptor(context);
        ASSERT_EQ(described.clips.size(), 2u);
        EXPECT_EQ(described.clips[0]->name, "Source") << "the source first: hosts take it as the main input";
        EXPECT_EQ(described.clips[1]->name, "Output");
        for (const auto &clip : described.clips) {
            EXPECT_EQ(clip->properties.strings(kOfxImageEffectPropSupportedComponents),
                      (Strings{kOfxImageComponentRGBA, kOfxImageComponentRGB}));
            EXPECT_EQ(clip->properties.integer(kOfxImageEffectPropSupportsTiles), 1);
            expectNoUnknownProperties(clip->properties, clip->name);
        }
        const auto &parameters = described.parameters.parameters;
        ASSERT_EQ(parameters.size(), 9u) << "eight controls and their page";
        for (std::size_t i = 0; i < 8; ++i) {
            const PropertySet &p = parameters[i]->properties;
            SCOPED_TRACE(ofx_test::kParameterNames[i]);
            EXPECT_EQ(parameters[i]->name, ofx_test::kParameterNames[i]);
            EXPECT_EQ(p.string(kOfxPropLabel), controls[i].label);
            EXPECT_EQ(p.integer(kOfxParamPropAnimates), 1);
            if (controls[i].isTilt) {
                EXPECT_EQ(parameters[i]->type, kOfxParamTypeDouble);
                EXPECT_EQ(p.real(kOfxParamPropDefault), 0.0);
                // Both ranges, or some hosts clamp to their own.
                for (const char *low : {kOfxParamPropMin, kOfxParamPropDisplayMin}) {
                    EXPECT_EQ(p.real(low), -1.0) << low;
                }
                for (const char *high : {kOfxParamPropMax, kOfxParamPropDisplayMax}) {
                    EXPECT_EQ(p.real(high), 1.0) << high;
                }
                EXPECT_EQ(p.integer(kOfxParamPropDigits), 3);
            } else {
                EXPECT_EQ(parameters[i]->type, kOfxParamTypeBoolean);
                EXPECT_EQ(p.integer(kOfxParamPropDefault), 0);
            }
            expectNoUnknownProperties(p, parameters[i]->name);
        }
        EXPECT_EQ(parameters[8]->type, kOfxParamTypePage);
        EXPECT_EQ(parameters[8]->properties.strings(kOfxParamPropPageChild),
                  Strings(ofx_test::kParameterNames.begin(), ofx_test::kParameterNames.end()));
    }
}

TEST(OfxDescriptor, ActionsAnsweredAsAPerPixelFilterAnswersThem) {
    ofx_test::Plugin plugin;
    ofxsim::HostSim &host = plugin.host;
    const void *instance = plugin.instance.handle();
    // Host defaults for the regions, and never an identity: even with every control off it rescales.
    for (const char *action : {kOfxImageEffectActionIsIdentity, kOfxImageEffectActionGetRegionOfDefinition,
                               kOfxImageEffectActionGetRegionsOfInterest, kOfxImageEffectActionBeginSequenceRender,
                               kOfxActionInstanceChanged, kOfxActionPurgeCaches, "OfxActionNoSuchAction"}) {
        EXPECT_EQ(host.action(action, instance), kOfxStatReplyDefault) << action;
    }
    EXPECT_EQ(host.action(nullptr, instance), kOfxStatReplyDefault);

    // The output's premultiplication is declared as the source's.
    plugin.instance.clip("Source")->properties.set(kOfxImageEffectPropPreMultiplication,
                                                   {std::string(kOfxImagePreMultiplied)});
    const ofxsim::PropertySpecs answers = ofxsim::specs::clipPreferences({"Source", "Output"});
    PropertySet preferences({&answers});
    EXPECT_EQ(host.action(kOfxImageEffectActionGetClipPreferences, instance, nullptr, &preferences), kOfxStatOK);
    EXPECT_EQ(preferences.string(kOfxImageEffectPropPreMultiplication), kOfxImagePreMultiplied);

    // A context the effect does not offer is dropped.
    EXPECT_EQ(host.describeInContext(kOfxImageEffectContextGenerator), kOfxStatErrMissingHostFeature);
}

TEST(OfxDescriptor, ALoadWithoutASuiteThePluginNeedsFailsAsAMissingHostFeature) {
    const struct {
        const char *name;
        void (*script)(ofxsim::Script &);
        OfxStatus load;
    } cases[] = {
        {"no property suite", [](ofxsim::Script &s) { s.refusedSuites = {kOfxPropertySuite}; },
         kOfxStatErrMissingHostFeature},
        {"no image effect suite", [](ofxsim::Script &s) { s.refusedSuites = {kOfxImageEffectSuite}; },
         kOfxStatErrMissingHostFeature},
        {"no parameter suite", [](ofxsim::Script &s) { s.refusedSuites = {kOfxParameterSuite}; },
         kOfxStatErrMissingHostFeature},
        {"an image effect suite with no functions", [](ofxsim::Script &s) { s.nullMembersOf = kOfxImageEffectSuite; },
         kOfxStatErrMissingHostFeature},
        {"a property suite with no functions", [](ofxsim::Script &s) { s.nullMembersOf = kOfxPropertySuite; },
         kOfxStatErrMissingHostFeature},
        // Without threads the plug-in renders on the host's calling thread.
        {"no multithread suite", [](ofxsim::Script &s) { s.refusedSuites = {kOfxMultiThreadSuite}; }, kOfxStatOK},
        {"a multithread suite with no functions", [](ofxsim::Script &s) { s.nullMembersOf = kOfxMultiThreadSuite; },
         kOfxStatOK},
        {"the host given through OfxSetHost too", [](ofxsim::Script &s) { s.callOfxSetHost = true; }, kOfxStatOK},
    };
    for (const auto &c : cases) {
        ofxsim::HostSim host(ofxsim::HostSim::bundleBesideExecutable());
        c.script(host.script());
        EXPECT_EQ(host.load(), c.load) << c.name;
        if (c.load != kOfxStatOK) {
            EXPECT_EQ(host.describe(), kOfxStatFailed) << c.name << ": nothing is answered after a failed load";
        }
    }
}

TEST(OfxDescriptor, BundlesAreFoundInNestedFoldersAndThoseNamedWithAnAtAreSkipped) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(test_home::folder()) / "plugins";
    for (const char *bundle : {"studio/Zephyrine.ofx.bundle", "@disabled/Old.ofx.bundle", "@Off.ofx.bundle"}) {
        fs::create_directories(root / bundle / "Contents");
    }
    EXPECT_EQ(ofxsim::HostSim::findBundles(root.string()),
              Strings{(root / "studio" / "Zephyrine.ofx.bundle").string()});
    EXPECT_TRUE(ofxsim::HostSim::binaryOf((root / "studio" / "Zephyrine.ofx.bundle").string()).find("Zephyrine.ofx") !=
                std::string::npos);
}
