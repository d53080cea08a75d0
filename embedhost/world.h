// A host world (image) at 8, 16 or 32 bits per channel, as a host hands it to an effect: ARGB
// pixels (or the Premiere pixel format it is declared to hold), rows top-down or bottom-up,
// with padding at the end of every row if the host pads them.
#pragma once

#include "api/effect_api.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace embedhost {

struct WorldShape {
    int32_t width = 0;
    int32_t height = 0;
    int bitDepth = 8;        // 8, 16 or 32
    int32_t padBytes = 0;    // extra bytes at the end of every row
    bool bottomUp = false;   // rows run backwards through memory (negative rowbytes)
    // What Premiere's pixel format suite says the world is; 0: the ARGB format of its depth.
    PrPixelFormat pixelFormat = 0;
};

class World {
public:
    // A world that owns its pixels, set to zero.
    explicit World(const WorldShape &shape);
    virtual ~World() = default;
    World(const World &) = delete;
    World &operator=(const World &) = delete;

    PF_LayerDef &layer() { return layer_; }
    const WorldShape &shape() const { return shape_; }
    PrPixelFormat pixelFormat() const;
    // Whether an address lies in this world's buffer.
    bool holds(const void *address) const;
    int32_t bytesPerPixel() const { return shape_.bitDepth / 2; }
    // The memory a world of a size takes.
    static std::size_t bytesFor(int32_t width, int32_t height, int bitDepth);

    // The four channels (alpha, red, green, blue) of a pixel, as the depth's channel type.
    template <class T> T *channels(int32_t x, int32_t y) {
        return reinterpret_cast<T *>(rowStart(y) + static_cast<std::ptrdiff_t>(x) * bytesPerPixel());
    }
    template <class T> void set(int32_t x, int32_t y, T a, T r, T g, T b) {
        const T values[4] = {a, r, g, b};
        std::memcpy(channels<T>(x, y), values, sizeof values);
    }

    // Every pixel of a world of the same size and depth, with the order of the four channels
    // reversed or as it is: Premiere's B, G, R, A and After Effects' A, R, G, B are each
    // other's mirror.
    void copyPixelsFrom(World &other, bool reverseChannels);
    // Sets every pixel byte (not the padding) to `byte`.
    void fill(unsigned char byte);

    // The bytes one row takes in memory, its padding included.
    static std::size_t strideFor(const WorldShape &shape);

protected:
    // A world laid over memory a derived world owns: strideFor(shape) * height bytes from
    // `memory`, the top row first unless the rows run bottom-up. Pixels are set to zero; the
    // row padding is left as it is.
    World(const WorldShape &shape, unsigned char *memory);
    unsigned char *rowStart(int32_t y) const;

private:
    WorldShape shape_;
    int32_t stride_;
    std::vector<unsigned char> owned_;
    unsigned char *memory_;
    PF_LayerDef layer_{};
};

} // namespace embedhost
