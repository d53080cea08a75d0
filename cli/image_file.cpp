#include "cli/image_file.h"

#include <algorithm>
#include <charconv>
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

std::vector<std::vector<OIIO::ImageSpec>> describeLevels(OIIO::ImageInput &input) {
    std::vector<std::vector<OIIO::ImageSpec>> parts;
    for (int part = 0; input.seek_subimage(part, 0); ++part) {
        std::vector<OIIO::ImageSpec> levels;
        for (int level = 0; input.seek_subimage(part, level); ++level) {
            levels.push_back(input.spec());
        }
        parts.push_back(std::move(levels));
    }
    return parts;
}

int choosePart(const std::vector<std::vector<OIIO::ImageSpec>> &parts, const std::string &wanted) {
    if (wanted.empty()) {
        return 0;
    }
    int index = -1;
    const auto [end, error] = std::from_chars(wanted.data(), wanted.data() + wanted.size(), index);
    const bool isIndex = error == std::errc() && end == wanted.data() + wanted.size();
    for (int part = 0; part < static_cast<int>(parts.size()); ++part) {
        if (isIndex ? part == index : parts[part][0].get_string_attribute("oiio:subimagename") == wanted) {
            return part;
        }
    }
    std::string known;
    for (int part = 0; part < static_cast<int>(parts.size()); ++part) {
        known += (part > 0 ? ", " : "") + partName(parts[part][0], part);
    }
    throw FileError("has no part " + wanted + " (its parts: " + known + ")");
}

std::string channelCount(int channels) { return std::to_string(channels) + (channels == 1 ? " channel" : " channels"); }

} // namespace

std::string partName(const OIIO::ImageSpec &spec, int index) {
    const std::string name = spec.get_string_attribute("oiio:subimagename");
    return name.empty() ? std::to_string(index) : std::to_string(index) + " (" + name + ")";
}

ImageFile::ImageFile(const std::string &path, const std::string &part) {
    if (!std::filesystem::exists(path)) {
        throw FileError("no such file");
    }
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1); // pixels are data: never premultiplied
    input_ = OIIO::ImageInput::open(path, &config);
    if (!input_) {
        throw FileError("cannot read it: " + OIIO::geterror());
    }
    levels_ = describeLevels(*input_);
    if (levels_.empty()) {
        throw FileError("holds no image");
    }
    part_ = choosePart(levels_, part);
    const std::string which = levels_.size() > 1 ? "its part " + partName(spec(), part_) + " " : "";
    if (spec().nchannels < 3 || spec().nchannels > 4) {
        throw FileError(which + "has " + channelCount(spec().nchannels) +
                        "; only RGB and RGBA images hold normal maps");
    }
    if (spec().deep) {
        throw FileError(which + "holds deep samples, not one value per pixel");
    }
    if (spec().width <= 0 || spec().height <= 0 || spec().depth > 1) {
        throw FileError(which + "is not a 2-D image");
    }
}

std::size_t ImageFile::pictureBytes(int depth) const {
    return static_cast<std::size_t>(spec().width) * static_cast<std::size_t>(spec().height) * 4 *
           static_cast<std::size_t>(depth / 8);
}

std::size_t ImageFile::largestCopyBytes() const {
    std::size_t largest = 0;
    for (int part = 0; part < static_cast<int>(levels_.size()); ++part) {
        for (const OIIO::ImageSpec &level : levels_[part]) {
            // A part of several channel types may travel as float (copyLevel).
            const std::size_t asFloat = level.channelformats.empty() ? 0 : level.image_pixels() * level.nchannels * 4;
            largest = part == part_ ? largest : std::max<std::size_t>({largest, level.image_bytes(true), asFloat});
        }
    }
    return largest;
}

Picture ImageFile::decode(int depth) {
    Picture picture;
    picture.spec = spec();
    picture.depth = depthFor(depth);
    const std::size_t bytes = picture.channelBytes();
    picture.rgba.resize(pictureBytes(picture.depth));
    if (!input_->read_image(part_, 0, 0, spec().nchannels, typeForDepth(picture.depth), picture.rgba.data(),
                            static_cast<OIIO::stride_t>(4 * bytes))) {
        throw FileError("cannot decode it: " + input_->geterror());
    }
    if (spec().nchannels == 3) {
        setOpaqueAlpha(picture);
    }
    return picture;
}

} // namespace cli
