#include "hostsim/world.h"

namespace hostsim {

namespace {

constexpr unsigned char kGuardPattern = 0xE7;

} // namespace

World::World(const WorldShape &shape)
    : shape_(shape), stride_(shape.width * (shape.bitDepth / 2) + shape.padBytes),
      buffer_(2 * kGuardBytes + static_cast<std::size_t>(stride_) * static_cast<std::size_t>(shape.height),
              kGuardPattern) {
    unsigned char *first = buffer_.data() + kGuardBytes;
    if (shape.bottomUp && shape.height > 0) {
        first += static_cast<std::ptrdiff_t>(shape.height - 1) * stride_;
    }
    layer_.data = reinterpret_cast<PF_PixelPtr>(first);
    layer_.rowbytes = shape.bottomUp ? -stride_ : stride_;
    layer_.width = shape.width;
    layer_.height = shape.height;
    layer_.world_flags = PF_WorldFlag_WRITEABLE | (shape.bitDepth == 16 ? PF_WorldFlag_DEEP : 0);
    layer_.extent_hint = {0, 0, shape.width, shape.height};
    layer_.pix_aspect_ratio = {1, 1};
    fill(0);
}

PrPixelFormat World::pixelFormat() const {
    if (shape_.pixelFormat != 0) {
        return shape_.pixelFormat;
    }
    return shape_.bitDepth == 8    ? PrPixelFormat_ARGB_4444_8u
           : shape_.bitDepth == 16 ? PrPixelFormat_ARGB_4444_16u
                                   : PrPixelFormat_ARGB_4444_32f;
}

PF_LayerDef World::fieldLayer(PF_Field field) const {
    const int32_t first = field == PF_Field_LOWER ? 1 : 0;
    PF_LayerDef half = layer_;
    half.data = reinterpret_cast<PF_PixelPtr>(rowStart(first));
    half.rowbytes = 2 * layer_.rowbytes;
    half.height = (shape_.height - first + 1) / 2;
    half.extent_hint = {0, 0, half.width, half.height};
    return half;
}

bool World::holds(const void *address) const {
    const auto *byte = static_cast<const unsigned char *>(address);
    return byte >= buffer_.data() && byte < buffer_.data() + buffer_.size();
}

unsigned char *World::rowStart(int32_t y) const {
    return reinterpret_cast<unsigned char *>(layer_.data) + static_cast<std::ptrdiff_t>(y) * layer_.rowbytes;
}

void World::copyPixelsFrom(World &other, bool reverseChannels) {
    const auto channel = static_cast<std::size_t>(shape_.bitDepth / 8);
    for (int32_t y = 0; y < shape_.height; ++y) {
        const unsigned char *from = other.rowStart(y);
        unsigned char *to = rowStart(y);
        for (int32_t x = 0; x < 4 * shape_.width; ++x) {
            const int32_t c = x % 4;
            const int32_t source = reverseChannels ? x - c + 3 - c : x;
            std::memcpy(to + channel * static_cast<std::size_t>(x), from + channel * static_cast<std::size_t>(source),
                        channel);
        }
    }
}

void World::fill(unsigned char byte) {
    for (int32_t y = 0; y < shape_.height; ++y) {
        std::memset(rowStart(y), byte, static_cast<std::size_t>(shape_.width * bytesPerPixel()));
    }
}

std::vector<unsigned char> World::contents() const {
    std::vector<unsigned char> bytes;
    const auto rowLength = static_cast<std::size_t>(shape_.width * bytesPerPixel());
    for (int32_t y = 0; y < shape_.height; ++y) {
        bytes.insert(bytes.end(), rowStart(y), rowStart(y) + rowLength);
    }
    return bytes;
}

bool World::guardsIntact() const {
    const auto isGuard = [](unsigned char byte) { return byte == kGuardPattern; };
    const unsigned char *begin = buffer_.data();
    const unsigned char *end = begin + buffer_.size();
    if (!std::all_of(begin, begin + kGuardBytes, isGuard) || !std::all_of(end - kGuardBytes, end, isGuard)) {
        return false;
    }
    const auto rowLength = static_cast<std::ptrdiff_t>(shape_.width * bytesPerPixel());
    for (int32_t y = 0; y < shape_.height; ++y) {
        const unsigned char *padding = rowStart(y) + rowLength;
        if (!std::all_of(padding, padding + shape_.padBytes, isGuard)) {
            return false;
        }
    }
    return true;
}

} // namespace hostsim
