// Drives the OpenFX binary through the simulated OpenFX host with what the fuzz input says:
// action orders (describe again, instances made and destroyed, sequences begun and ended,
// renders with and without them), images of every depth, component count, bounds, padding and
// row direction, property values a host may hand over that the plug-in must refuse (unknown
// depths and components, short or zero row bytes, a null data pointer, reversed bounds), any
// render window, time and scale, junk control values, and a host that refuses threads or asks
// to abort. After every input no image is left fetched and nothing outside the images was
// written. Built with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
#include "api/ofx_names.h"
#include "ofxsim/host_sim.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// Where a broken promise is reported: the fuzzer keeps the input that broke it.
void require(bool holds, const char *promise) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", promise);
        std::abort();
    }
}

// One host for the whole run, made before fuzzing starts so that the fuzzer counts the
// binary's coverage: unloading an instrumented binary would take its counters with it. Each
// input loads and unloads the plug-in through its actions.
ofxsim::HostSim &host() {
    static auto *alive = new ofxsim::HostSim(ofxsim::HostSim::bundleBesideExecutable());
    return *alive;
}

double junkDouble(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0:
        return std::numeric_limits<double>::quiet_NaN();
    case 1:
        return in.ConsumeBool() ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
    case 2:
        return in.ConsumeFloatingPoint<double>();
    case 3:
        return std::numeric_limits<double>::denorm_min();
    default:
        return in.ConsumeFloatingPointInRange(-1.5, 1.5);
    }
}

// An image whose properties tell the truth about its memory.
std::unique_ptr<ofxsim::Image> image(FuzzedDataProvider &in, int channelBytes, int components) {
    ofxsim::ImageShape shape;
    shape.channelBytes = channelBytes;
    shape.components = components;
    shape.bounds.x1 = in.ConsumeIntegralInRange(-40, 40);
    shape.bounds.y1 = in.ConsumeIntegralInRange(-40, 40);
    shape.bounds.x2 = shape.bounds.x1 + in.ConsumeIntegralInRange(0, 70);
    shape.bounds.y2 = shape.bounds.y1 + in.ConsumeIntegralInRange(0, 40);
    shape.padBytes = in.ConsumeIntegralInRange(0, 17);
    shape.topRowFirst = in.ConsumeBool();
    auto made = std::make_unique<ofxsim::Image>(shape);
    made->fill(in.ConsumeIntegral<unsigned char>());
    for (int y = shape.bounds.y1; y < shape.bounds.y2 && in.remaining_bytes() > 0 && in.ConsumeBool(); ++y) {
        // Some rows from the input itself: NaNs, infinities and denormals in float.
        const std::vector<unsigned char> row =
            in.ConsumeBytes<unsigned char>(static_cast<std::size_t>(made->width() * made->pixelBytes()));
        std::copy(row.begin(), row.end(), made->pixel(shape.bounds.x1, y));
    }
    return made;
}

// What a clip's image properties may say besides the truth: only what the plug-in can tell is
// wrong (a host that lies about the memory itself cannot be defended against).
void adjustImage(FuzzedDataProvider &in, ofxsim::Clip &clip, const ofxsim::Image &truth) {
    const int lie = in.ConsumeIntegralInRange(0, 12);
    const int width = truth.width(), pixelBytes = truth.pixelBytes();
    const OfxRectI b = truth.shape().bounds;
    const int shorter = in.ConsumeIntegralInRange(0, 3);
    const std::string text = in.ConsumeRandomLengthString(24);
    clip.adjust = [=](ofxsim::PropertySet &p) {
        switch (lie) {
        case 0:
            p.set(kOfxImageEffectPropPixelDepth,
                  {std::string(shorter % 2 == 0 ? kOfxBitDepthHalf : shorter == 1 ? kOfxBitDepthNone : "")});
            break;
        case 1:
            p.set(kOfxImageEffectPropComponents, {std::string(shorter % 2 == 0 ? kOfxImageComponentAlpha : "OfxImageComponentYUVA")});
            break;
        case 2:
            p.set(kOfxImageEffectPropPixelDepth, {text});
            break;
        case 3:
            p.set(kOfxImageEffectPropComponents, {text});
            break;
        case 4: // rows shorter than the width, or none at all
            p.set(kOfxImagePropRowBytes, {width > 0 ? (width * pixelBytes - 1 - shorter) * (shorter % 2 ? -1 : 1) : 0});
            break;
        case 5:
            p.set(kOfxImagePropRowBytes, {0});
            break;
        case 6:
            p.set(kOfxImagePropData, {static_cast<void *>(nullptr)});
            break;
        case 7: // reversed bounds
            p.set(kOfxImagePropBounds, {b.x2, b.y2, b.x1 - shorter, b.y1 - shorter});
            break;
        case 8: // bounds inside the true ones: the memory still covers them
            p.set(kOfxImagePropBounds, {b.x1, b.y1, b.x2 - shorter, b.y2 - shorter});
            break;
        case 9:
            p.set(kOfxImageEffectPropPixelOrder, {std::string(kOfxImagePixelOrderBGRA)});
            break;
        default:
            break; // the truth
        }
    };
}

struct Renders {
    FuzzedDataProvider &in;
    ofxsim::HostSim &sim;

    void controls(ofxsim::Effect &instance) {
        for (const char *tilt : {"tiltForward", "tiltSideways", "tiltUpwards"}) {
            if (in.ConsumeBool()) {
                sim.setValue(instance, tilt, junkDouble(in));
            }
        }
        for (const char *box : {"invertX", "invertY", "invertZ", "invertAll", "traditionalFormat"}) {
            if (in.ConsumeBool()) {
                sim.setValue(instance, box, in.ConsumeIntegralInRange(-2, 2));
            }
        }
    }

    void render(ofxsim::Effect &instance) {
        const int depths[] = {1, 2, 4};
        const int channelBytes = depths[in.ConsumeIntegralInRange(0, 2)];
        const int components = in.ConsumeBool() ? 4 : 3;
        // Mostly a matching pair; now and then another depth or component count for the output.
        const bool mismatch = in.ConsumeIntegralInRange(0, 7) == 0;
        auto source = image(in, channelBytes, components);
        auto output = image(in, mismatch ? depths[in.ConsumeIntegralInRange(0, 2)] : channelBytes,
                            mismatch && in.ConsumeBool() ? 7 - components : components);
        ofxsim::Clip *sourceClip = instance.clip(kOfxImageEffectSimpleSourceClipName);
        ofxsim::Clip *outputClip = instance.clip(kOfxImageEffectOutputClipName);
        require(sourceClip != nullptr && outputClip != nullptr, "the instance has its two clips");
        sim.attach(instance, kOfxImageEffectSimpleSourceClipName, in.ConsumeIntegralInRange(0, 15) == 0 ? nullptr : source.get());
        sim.attach(instance, kOfxImageEffectOutputClipName, output.get());
        adjustImage(in, *sourceClip, *source);
        adjustImage(in, *outputClip, *output);
        sourceClip->fetchStatus = in.ConsumeIntegralInRange(0, 15) == 0 ? kOfxStatFailed : kOfxStatOK;
        outputClip->nullHandle = in.ConsumeIntegralInRange(0, 15) == 0;

        ofxsim::RenderArguments arguments;
        arguments.time = junkDouble(in);
        const OfxRectI b = output->shape().bounds;
        if (in.ConsumeBool()) {
            arguments.window = b;
        } else {
            arguments.window = {in.ConsumeIntegralInRange(b.x1 - 20, b.x2 + 20), in.ConsumeIntegralInRange(b.y1 - 20, b.y2 + 20),
                                in.ConsumeIntegralInRange(b.x1 - 20, b.x2 + 20), in.ConsumeIntegralInRange(b.y1 - 20, b.y2 + 20)};
        }
        if (in.ConsumeIntegralInRange(0, 15) == 0) {
            arguments.window = {std::numeric_limits<int>::min(), std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
        }
        arguments.renderScale[0] = in.ConsumeBool() ? 1.0 : junkDouble(in);
        arguments.renderScale[1] = in.ConsumeBool() ? 1.0 : junkDouble(in);
        if (in.ConsumeIntegralInRange(0, 15) == 0) {
            arguments.integers = {{kOfxImageEffectPropOpenGLEnabled, 1}};
        }
        sim.render(instance, arguments);

        require(source->guardsIntact(), "nothing outside the source image is written");
        require(output->guardsIntact(), "nothing outside the output image is written");
        require(sim.seen().imagesOutstanding.load() == 0, "every fetched image is released");
        sourceClip->adjust = nullptr;
        outputClip->adjust = nullptr;
        sourceClip->fetchStatus = kOfxStatOK;
        outputClip->nullHandle = false;
        sim.attach(instance, kOfxImageEffectSimpleSourceClipName, nullptr);
        sim.attach(instance, kOfxImageEffectOutputClipName, nullptr);
    }
};

void run(FuzzedDataProvider &in) {
    ofxsim::HostSim &sim = host();
    ofxsim::Script &script = sim.script();
    script = ofxsim::Script{};
    script.processors = in.ConsumeIntegralInRange(1u, 8u);
    script.threadLimit = in.ConsumeIntegralInRange(0u, 4u);
    script.refuseMultiThread = in.ConsumeIntegralInRange(0, 7) == 0;
    script.abortFromCall = in.ConsumeIntegralInRange(0, 7) == 0 ? in.ConsumeIntegralInRange(1, 30) : 0;
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
        script.refusedSuites = {kOfxMultiThreadSuite};
    }

    const OfxStatus loaded = sim.load();
    if (loaded != kOfxStatOK && loaded != kOfxStatReplyDefault) {
        sim.unload();
        return;
    }
    const char *contexts[] = {kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral};
    std::vector<std::string> described;
    std::vector<ofxsim::Effect *> instances;
    Renders renders{in, sim};
    const char *defaultAnswered[] = {kOfxImageEffectActionBeginSequenceRender, kOfxImageEffectActionEndSequenceRender,
                                     kOfxActionPurgeCaches, kOfxImageEffectActionIsIdentity,
                                     kOfxImageEffectActionGetRegionOfDefinition};
    for (int step = 0; step < 12 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange(0, 6)) {
        case 0: {
            if (sim.describe() == kOfxStatOK) {
                described.clear(); // a new descriptor: its contexts are described again
            }
            break;
        }
        case 1:
            if (sim.descriptor() != nullptr) {
                const char *context = contexts[in.ConsumeIntegralInRange(0, 1)];
                if (sim.describeInContext(context) == kOfxStatOK) {
                    described.push_back(context);
                }
            }
            break;
        case 2:
            if (!described.empty() && instances.size() < 3) {
                OfxStatus status = kOfxStatOK;
                if (ofxsim::Effect *made =
                        sim.createInstance(described[in.ConsumeIntegralInRange<std::size_t>(0, described.size() - 1)], status)) {
                    instances.push_back(made);
                }
            }
            break;
        case 3:
            if (!instances.empty()) {
                const std::size_t which = in.ConsumeIntegralInRange<std::size_t>(0, instances.size() - 1);
                sim.destroyInstance(instances[which]);
                instances.erase(instances.begin() + static_cast<std::ptrdiff_t>(which));
            }
            break;
        case 4:
            if (!instances.empty()) {
                ofxsim::Effect &instance = *instances[in.ConsumeIntegralInRange<std::size_t>(0, instances.size() - 1)];
                sim.action(defaultAnswered[in.ConsumeIntegralInRange(0, 4)], instance.handle());
            }
            break;
        default:
            if (!instances.empty()) {
                ofxsim::Effect &instance = *instances[in.ConsumeIntegralInRange<std::size_t>(0, instances.size() - 1)];
                renders.controls(instance);
                renders.render(instance);
            }
            break;
        }
    }
    for (ofxsim::Effect *instance : instances) {
        sim.destroyInstance(instance);
    }
    sim.unload();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider in(data, size);
    try {
        run(in);
    } catch (const std::exception &error) {
        // The simulated host throws where the plug-in broke the API's rules.
        std::fprintf(stderr, "broken: %s\n", error.what());
        std::abort();
    }
    return 0;
}
