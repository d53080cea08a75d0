#include "cli/picture.h"

#include "cli/atomic_write.h"

#include <cstring>
#include <filesystem>

namespace cli {

namespace {

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

} // namespace

int naturalDepth(const OIIO::TypeDesc &format) {
    if (format == OIIO::TypeDesc::UINT8) {
        return 8;
    }
    return format == OIIO::TypeDesc::UINT16 ? 16 : 32;
}

ImageFile::ImageFile(const std::string &path) {
    if (!std::filesystem::exists(path)) {
        throw FileError("no such file");
    }
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1); // pixels are data: never premultiplied
    input_ = OIIO::ImageInput::open(path, &config);
    if (!input_) {
        throw FileError("cannot read it: " + OIIO::geterror());
    }
    spec_ = input_->spec();
    if (spec_.nchannels < 3 || spec_.nchannels > 4) {
        throw FileError("has " + std::to_string(spec_.nchannels) +
                        " channels; only RGB and RGBA images hold normal maps");
    }
    if (spec_.width <= 0 || spec_.height <= 0 || spec_.depth > 1) {
        throw FileError("is not a 2-D image");
    }
}

std::size_t ImageFile::pictureBytes(int depth) const {
    return static_cast<std::size_t>(spec_.width) * static_cast<std::size_t>(spec_.height) * 4 *
           static_cast<std::size_t>(depth / 8);
}

Picture ImageFile::decode(int depth) {
    Picture picture;
    picture.spec = spec_;
    picture.depth = depthFor(depth);
    const std::size_t bytes = picture.channelBytes();
    picture.rgba.resize(pictureBytes(picture.depth));
    if (!input_->read_image(0, 0, 0, spec_.nchannels, typeForDepth(picture.depth), picture.rgba.data(),
                            static_cast<OIIO::stride_t>(4 * bytes))) {
        throw FileError("cannot decode it: " + input_->geterror());
    }
    if (spec_.nchannels == 3) {
        setOpaqueAlpha(picture);
    }
    return picture;
}

void writePicture(const std::string &path, const Picture &picture) {
    writeAtomically(path, picture.spec, [&](OIIO::ImageOutput &output) {
        return output.write_image(typeForDepth(picture.depth), picture.rgba.data(),
                                  static_cast<OIIO::stride_t>(4 * picture.channelBytes()));
    });
}

} // namespace cli
