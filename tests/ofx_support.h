// The OpenFX plug-in through the simulated OpenFX host, and the same pixels through the
// effect module for comparison.
#pragma once

#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"
#include "hostsim/world.h"
#include "ofxsim/host_sim.h"
#include "random_pixels.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace ofx_test {

// The parameters' names as the plug-in describes them, in host order.
inline const std::array<const char *, 8> kParameterNames = {
    "tiltForward", "tiltSideways", "tiltUpwards", "invertX", "invertY", "invertZ", "invertAll", "traditionalFormat"};

using random_pixels::Controls;

inline void applyControls(ofxsim::HostSim &host, ofxsim::Effect &instance, const Controls &c) {
    for (int i = 0; i < 3; ++i) {
        host.setValue(instance, kParameterNames[i], c.tilts[i]);
    }
    for (int i = 0; i < 5; ++i) {
        host.setValue(instance, kParameterNames[3 + i], c.switches[i]);
    }
}

inline ofxsim::ImageShape shape(int channelBytes, int components, OfxRectI bounds, int padBytes = 0,
                                bool topRowFirst = false) {
    ofxsim::ImageShape s;
    s.bounds = bounds;
    s.channelBytes = channelBytes;
    s.components = components;
    s.padBytes = padBytes;
    s.topRowFirst = topRowFirst;
    return s;
}

// Random channels of every kind in every pixel.
inline void fillRandomly(ofxsim::Image &image, std::mt19937 &random) {
    const ofxsim::ImageShape &s = image.shape();
    for (int y = s.bounds.y1; y < s.bounds.y2; ++y) {
        random_pixels::fillChannels(image.pixel(s.bounds.x1, y), image.width() * s.components, s.channelBytes, random);
    }
}

// A host with the plug-in loaded, described in the filter context, and one instance.
struct Plugin {
    ofxsim::HostSim host{ofxsim::HostSim::bundleBesideExecutable()};
    ofxsim::Effect &instance = host.instanceReady("OfxImageEffectContextFilter");

    OfxStatus render(ofxsim::Image &source, ofxsim::Image &output, const OfxRectI &window, double time = 0.0) {
        host.attach(instance, "Source", &source);
        host.attach(instance, "Output", &output);
        ofxsim::RenderArguments arguments;
        arguments.time = time;
        arguments.window = window;
        return host.render(instance, arguments);
    }
    OfxStatus render(ofxsim::Image &source, ofxsim::Image &output) {
        return render(source, output, output.shape().bounds);
    }
};

// The rule by which 16-bit colours (white 65535) meet the effect's (white 32768), restated:
// v * 32768 / 65535 rounded to nearest, and back the same way, the effect's values above its
// white giving the full range's white.
inline uint16_t toEffect16(uint16_t v) { return static_cast<uint16_t>(std::lround(v * 32768.0 / 65535.0)); }
inline uint16_t fromEffect16(uint16_t v) {
    return static_cast<uint16_t>(std::min(65535L, std::lround(v * 65535.0 / 32768.0)));
}

// Rewrites the 16-bit channel at `at` (rows need not be aligned).
inline void remap16(unsigned char *at, uint16_t (*rule)(uint16_t)) {
    uint16_t value;
    std::memcpy(&value, at, sizeof value);
    value = rule(value);
    std::memcpy(at, &value, sizeof value);
}

// What the effect module makes of an OpenFX image's colours: each pixel moved into an ARGB
// world (16-bit colours brought to the effect's range), rendered by the module with the same
// controls, and moved back; alpha is left as the image stores it.
inline void renderThroughTheModule(ofxsim::Image &source, ofxsim::Image &expected, const Controls &c) {
    const ofxsim::ImageShape &s = source.shape();
    const int depth = s.channelBytes * 8;
    const int width = source.width(), height = source.height();
    hostsim::World in({width, height, depth}), out({width, height, depth});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char *pixel = source.pixel(s.bounds.x1 + x, s.bounds.y1 + y);
            unsigned char *argb = in.channels<unsigned char>(x, y);
            for (int channel = 0; channel < 3; ++channel) {
                std::memcpy(argb + s.channelBytes * (channel + 1), pixel + s.channelBytes * channel,
                            static_cast<std::size_t>(s.channelBytes));
                if (depth == 16) {
                    remap16(argb + 2 * (channel + 1), toEffect16);
                }
            }
        }
    }
    embedhost::PluginModule module(embedhost::PluginModule::besideExecutable());
    hostsim::HostSim sim(module.entryPoint());
    sim.setWorlds(&in, &out);
    ASSERT_EQ(sim.runSmartSequence(static_cast<A_short>(depth)), PF_Err_NONE);
    random_pixels::applyTo(sim.parameters(), c);
    ASSERT_EQ(sim.smartRender(static_cast<A_short>(depth)), PF_Err_NONE);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char *pixel = expected.pixel(s.bounds.x1 + x, s.bounds.y1 + y);
            std::memcpy(pixel, source.pixel(s.bounds.x1 + x, s.bounds.y1 + y),
                        static_cast<std::size_t>(source.pixelBytes()));
            const unsigned char *argb = out.channels<unsigned char>(x, y);
            for (int channel = 0; channel < 3; ++channel) {
                std::memcpy(pixel + s.channelBytes * channel, argb + s.channelBytes * (channel + 1),
                            static_cast<std::size_t>(s.channelBytes));
                if (depth == 16) {
                    remap16(pixel + 2 * channel, fromEffect16);
                }
            }
        }
    }
}

} // namespace ofx_test
