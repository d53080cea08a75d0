#include "cli/picture.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace cli {

namespace {

OIIO::TypeDesc typeForDepth(int depth) {
    return depth == 8 ? OIIO::TypeDesc::UINT8 : depth == 16 ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::FLOAT;
}

void setOpaqueAlpha(Picture &picture) {
    const std::size_t bytes = picture.channelBytes();
    const std::size_t pixels = static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height());
    unsigned char opaque[4] = {};
    if (picture.depth == 8) {
        opaque[0] = 255;
    } else if (picture.depth == 16) {
        const uint16_t white = 65535;
        std::memcpy(opaque, &white, sizeof white);
    } else {
        const float white = 1.0f;
        std::memcpy(opaque, &white, sizeof white);
    }
    for (std::size_t i = 0; i < pixels; ++i) {
        std::memcpy(&picture.rgba[(i * 4 + 3) * bytes], opaque, bytes);
    }
}

std::string temporaryPathFor(const std::filesystem::path &target) {
    return (target.parent_path() / ("." + target.stem().string() + ".zephyrine-partial" + target.extension().string()))
        .string();
}

} // namespace

int naturalDepth(const OIIO::TypeDesc &format) {
    if (format == OIIO::TypeDesc::UINT8) {
        return 8;
    }
    return format == OIIO::TypeDesc::UINT16 ? 16 : 32;
}

Picture readPicture(const std::string &path, int depth) {
    if (!std::filesystem::exists(path)) {
        throw FileError("no such file");
    }
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1); // pixels are data: never premultiplied
    auto input = OIIO::ImageInput::open(path, &config);
    if (!input) {
        throw FileError("cannot read it: " + OIIO::geterror());
    }
    Picture picture;
    picture.spec = input->spec();
    const int channels = picture.spec.nchannels;
    if (channels < 3 || channels > 4) {
        throw FileError("has " + std::to_string(channels) + " channels; only RGB and RGBA images hold normal maps");
    }
    if (picture.spec.width <= 0 || picture.spec.height <= 0 || picture.spec.depth > 1) {
        throw FileError("is not a 2-D image");
    }
    picture.depth = depth != 0 ? depth : naturalDepth(picture.spec.format);
    const std::size_t bytes = picture.channelBytes();
    picture.rgba.resize(static_cast<std::size_t>(picture.spec.width) * static_cast<std::size_t>(picture.spec.height) *
                        4 * bytes);
    if (!input->read_image(0, 0, 0, channels, typeForDepth(picture.depth), picture.rgba.data(),
                           static_cast<OIIO::stride_t>(4 * bytes))) {
        throw FileError("cannot decode it: " + input->geterror());
    }
    if (channels == 3) {
        setOpaqueAlpha(picture);
    }
    return picture;
}

void writePicture(const std::string &path, const Picture &picture) {
    const std::filesystem::path target(path);
    auto output = OIIO::ImageOutput::create(path);
    if (!output) {
        throw FileError("no image format for this name: " + OIIO::geterror());
    }
    OIIO::ImageSpec spec = picture.spec;
    spec.attribute("oiio:UnassociatedAlpha", 1);
    spec.attribute("oiio:dither", 0);
    const std::string partial = temporaryPathFor(target);
    const auto fail = [&](const std::string &reason) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        throw FileError(reason);
    };
    if (!output->open(partial, spec)) {
        fail("cannot write it: " + output->geterror());
    }
    const bool written = output->write_image(typeForDepth(picture.depth), picture.rgba.data(),
                                             static_cast<OIIO::stride_t>(4 * picture.channelBytes()));
    const bool closed = output->close();
    if (!written || !closed) {
        fail("cannot write it: " + output->geterror());
    }
    std::error_code error;
    std::filesystem::rename(partial, target, error);
    if (error) {
        fail("cannot put it in place: " + error.message());
    }
}

} // namespace cli
