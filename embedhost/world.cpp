#include "embedhost/world.h"

namespace embedhost {

World::World(const WorldShape &shape) : World(shape, nullptr) {}

World::World(const WorldShape &shape, unsigned char *memory)
    : shape_(shape), stride_(static_cast<int32_t>(strideFor(shape))),
      owned_(memory != nullptr ? 0 : strideFor(shape) * static_cast<std::size_t>(shape.height)),
      memory_(memory != nullptr ? memory : owned_.data()) {
    unsigned char *first = memory_;
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

std::size_t World::strideFor(const WorldShape &shape) {
    return static_cast<std::size_t>(shape.width) * static_cast<std::size_t>(shape.bitDepth / 2) +
           static_cast<std::size_t>(shape.padBytes);
}

std::size_t World::bytesFor(int32_t width, int32_t height, int bitDepth) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(bitDepth / 2);
}

PrPixelFormat World::pixelFormat() const {
    if (shape_.pixelFormat != 0) {
        return shape_.pixelFormat;
    }
    return shape_.bitDepth == 8    ? PrPixelFormat_ARGB_4444_8u
           : shape_.bitDepth == 16 ? PrPixelFormat_ARGB_4444_16u
                                   : PrPixelFormat_ARGB_4444_32f;
}

bool World::holds(const void *address) const {
    const auto *byte = static_cast<const unsigned char *>(address);
    return byte >= memory_ && byte < memory_ + static_cast<std::size_t>(stride_) * static_cast<std::size_t>(shape_.height);
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

} // namespace embedhost
