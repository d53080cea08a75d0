// Loads the OpenFX bundle at a path, as an OpenFX host loads it from its plug-in folder, and
// renders the worked example of a flat normal through it: exits 0 when the pixel comes out as
// the rules say, alpha as stored. The installer and package tests run it on the bundle where
// they put it.
//   render_with_bundle PATH
#include "ofxsim/host_sim.h"

#include <algorithm>
#include <cstdio>
#include <exception>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_with_bundle PATH\n");
        return 2;
    }
    try {
        ofxsim::HostSim host(argv[1]);
        ofxsim::Effect &instance = host.instanceReady("OfxImageEffectContextFilter");
        ofxsim::ImageShape shape;
        shape.bounds = {0, 0, 3, 2};
        ofxsim::Image source(shape), output(shape);
        const unsigned char flat[4] = {128, 128, 255, 200};
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                source.set(x, y, flat);
            }
        }
        host.attach(instance, "Source", &source);
        host.attach(instance, "Output", &output);
        ofxsim::RenderArguments arguments;
        arguments.window = shape.bounds;
        const OfxStatus status = host.render(instance, arguments);
        unsigned char pixel[4];
        output.get(2, 1, pixel);
        std::printf("%s: status %d, (128, 128, 255, 200) became (%d, %d, %d, %d)\n", argv[1], status, pixel[0],
                    pixel[1], pixel[2], pixel[3]);
        const unsigned char expected[4] = {127, 127, 254, 200};
        return status == kOfxStatOK && std::equal(pixel, pixel + 4, expected) ? 0 : 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
