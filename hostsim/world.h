// A host world (image) at 8, 16 or 32 bits per channel, with row padding, bottom-up rows and
// guard bytes on request, so a test can tell whether anything outside the image was written.
#pragma once

#include "api/effect_api.h"

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

namespace hostsim {

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
    // Bytes of guard pattern before and after the pixels.
    static constexpr std::size_t kGuardBytes = 64;

    explicit World(const WorldShape &shape);
    World(const World &) = delete;
    World &operator=(const World &) = delete;

    PF_LayerDef &layer() { return layer_; }
    const WorldShape &shape() const { return shape_; }
    PrPixelFormat pixelFormat() const;
    // The rows of one field, as Premiere hands a field render over: every other row (from row
    // 0 for the upper field, row 1 for the lower), half the height, twice the row bytes.
    PF_LayerDef fieldLayer(PF_Field field) const;
    // Whether an address lies in this world's buffer.
    bool holds(const void *address) const;
    int32_t bytesPerPixel() const { return shape_.bitDepth / 2; }

    // The four channels (alpha, red, green, blue) of a pixel, as the depth's channel type.
    template <class T> T *channels(int32_t x, int32_t y) {
        return reinterpret_cast<T *>(rowStart(y) + static_cast<std::ptrdiff_t>(x) * bytesPerPixel());
    }
    template <class T> void set(int32_t x, int32_t y, T a, T r, T g, T b) {
        const T values[4] = {a, r, g, b};
        std::memcpy(channels<T>(x, y), values, sizeof values);
    }
    template <class T> std::vector<T> get(int32_t x, int32_t y) {
        std::vector<T> values(4);
        std::memcpy(values.data(), channels<T>(x, y), 4 * sizeof(T));
        return values;
    }

    // Every pixel of a world of the same size and depth, with the order of the four channels
    // reversed or as it is: Premiere's B, G, R, A and After Effects' A, R, G, B are each
    // other's mirror.
    void copyPixelsFrom(World &other, bool reverseChannels);
    // Sets every pixel byte (not the padding or the guards) to `byte`.
    void fill(unsigned char byte);
    // The pixel bytes row by row, without padding: two worlds of one shape compare equal by it.
    std::vector<unsigned char> contents() const;
    // True while the guards around the buffer and the row padding hold their pattern.
    bool guardsIntact() const;

private:
    unsigned char *rowStart(int32_t y) const;

    WorldShape shape_;
    int32_t stride_;
    std::vector<unsigned char> buffer_;
    PF_LayerDef layer_{};
};

} // namespace hostsim
