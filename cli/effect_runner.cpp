#include "cli/effect_runner.h"

#include <cmath>
#include <cstring>

namespace cli {

namespace {

// Host indexes of the controls, in registration order.
enum : PF_ParamIndex { kForward = 1, kSideways, kUpwards, kInvertX, kInvertY, kInvertZ, kInvertAll, kTraditional };

// The effect's 16-bit white is 32768; a 16-bit file's is 65535. Both ways round to nearest.
uint16_t fileToEffect16(uint16_t value) { return static_cast<uint16_t>((value * 32768u + 32767u) / 65535u); }
uint16_t effectToFile16(uint16_t value) {
    return static_cast<uint16_t>(std::min(65535u, (value * 65535u + 16384u) / 32768u));
}

// Copies between the picture's RGBA and the world's ARGB, channel by channel.
template <class T, class Convert>
void copyChannels(const unsigned char *from, unsigned char *to, const int order[4], Convert convert) {
    for (int c = 0; c < 4; ++c) {
        T value;
        std::memcpy(&value, from + static_cast<std::size_t>(order[c]) * sizeof(T), sizeof(T));
        value = convert(value);
        std::memcpy(to + static_cast<std::size_t>(c) * sizeof(T), &value, sizeof(T));
    }
}

constexpr int kRgbaToArgb[4] = {3, 0, 1, 2}; // world channel c comes from picture channel order[c]
constexpr int kArgbToRgba[4] = {1, 2, 3, 0};

// One pixel's four channels, reordered, at the picture's depth; 16-bit values are rescaled
// into the effect's range or out of it.
void copyPixel(int depth, const unsigned char *from, unsigned char *to, const int order[4], bool intoEffect) {
    if (depth == 16) {
        copyChannels<uint16_t>(from, to, order, intoEffect ? fileToEffect16 : effectToFile16);
    } else if (depth == 8) {
        copyChannels<uint8_t>(from, to, order, [](uint8_t v) { return v; });
    } else {
        copyChannels<float>(from, to, order, [](float v) { return v; });
    }
}

unsigned char *pictureAt(Picture &picture, int x, int y) {
    const std::size_t pixel = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width()) +
                              static_cast<std::size_t>(x);
    return &picture.rgba[pixel * 4 * picture.channelBytes()];
}

void toWorld(Picture &picture, hostsim::World &world) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            copyPixel(picture.depth, pictureAt(picture, x, y), world.channels<unsigned char>(x, y), kRgbaToArgb, true);
        }
    }
}

// Writes red, green and blue back; alpha stays as the file had it.
void fromWorld(hostsim::World &world, Picture &picture) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            unsigned char rgba[16];
            copyPixel(picture.depth, world.channels<unsigned char>(x, y), rgba, kArgbToRgba, false);
            std::memcpy(pictureAt(picture, x, y), rgba, 3 * picture.channelBytes());
        }
    }
}

} // namespace

EffectRunner::EffectRunner(const std::string &modulePath, const Controls &controls)
    : module_(modulePath), host_(module_.entryPoint()) {
    PF_Err err = host_.about();
    about_ = host_.outData().return_msg;
    err = err != PF_Err_NONE ? err : host_.globalSetup();
    err = err != PF_Err_NONE ? err : host_.paramsSetup();
    err = err != PF_Err_NONE ? err : host_.sequenceSetup();
    if (err != PF_Err_NONE) {
        throw RenderError(err);
    }
    setControls(controls);
}

void EffectRunner::setControls(const Controls &controls) {
    hostsim::ParameterArray &parameters = host_.parameters();
    parameters.setFloat(kForward, controls.tiltForward);
    parameters.setFloat(kSideways, controls.tiltSideways);
    parameters.setFloat(kUpwards, controls.tiltUpwards);
    parameters.setCheckbox(kInvertX, controls.invertX);
    parameters.setCheckbox(kInvertY, controls.invertY);
    parameters.setCheckbox(kInvertZ, controls.invertZ);
    parameters.setCheckbox(kInvertAll, controls.invertAll);
    parameters.setCheckbox(kTraditional, controls.traditional);
}

void EffectRunner::render(Picture &picture) {
    hostsim::World source({picture.width(), picture.height(), picture.depth});
    hostsim::World output({picture.width(), picture.height(), picture.depth});
    toWorld(picture, source);
    host_.setWorlds(&source, &output);
    PF_PreRenderOutput answer{};
    PF_Err err = host_.smartPreRender(source.layer().extent_hint, answer);
    err = err != PF_Err_NONE ? err : host_.smartRender(static_cast<A_short>(picture.depth));
    host_.setWorlds(nullptr, nullptr);
    if (err != PF_Err_NONE) {
        throw RenderError(err);
    }
    fromWorld(output, picture);
}

} // namespace cli
