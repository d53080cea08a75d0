// An image as an OpenFX host hands it over: RGBA or RGB at 8, 16 or 32-bit float, bounds
// anywhere in pixel space (negative too), rows padded or stored top row first (negative row
// bytes), and guard bytes around the buffer, so a test can tell whether anything outside the
// image was written.
#pragma once

#include "api/ofx_core.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace ofxsim {

struct ImageShape {
    OfxRectI bounds{0, 0, 0, 0};
    int channelBytes = 1;     // 1, 2 or 4 (float)
    int components = 4;       // 4 (RGBA) or 3 (RGB)
    int padBytes = 0;         // after every row
    bool topRowFirst = false; // memory holds the top row first: row bytes are negative
};

class Image {
public:
    static constexpr std::size_t kGuardBytes = 64;

    explicit Image(const ImageShape &shape);
    Image(const Image &) = delete;
    Image &operator=(const Image &) = delete;

    const ImageShape &shape() const { return shape_; }
    int width() const { return shape_.bounds.x2 - shape_.bounds.x1; }
    int height() const { return shape_.bounds.y2 - shape_.bounds.y1; }
    int pixelBytes() const { return shape_.channelBytes * shape_.components; }
    int rowBytes() const { return shape_.topRowFirst ? -stride_ : stride_; }
    // Pixel (bounds.x1, bounds.y1), as the image's data property gives it.
    void *data() { return pixel(shape_.bounds.x1, shape_.bounds.y1); }
    const char *depthName() const;
    const char *componentsName() const;

    // The first byte of pixel (x, y), in pixel coordinates.
    unsigned char *pixel(int x, int y);
    template <class T> void get(int x, int y, T *channels) {
        std::memcpy(channels, pixel(x, y), static_cast<std::size_t>(pixelBytes()));
    }
    template <class T> void set(int x, int y, const T *channels) {
        std::memcpy(pixel(x, y), channels, static_cast<std::size_t>(pixelBytes()));
    }

    void fill(unsigned char byte);
    // The pixel bytes of a region (clipped to the bounds), bottom row first, without padding.
    std::vector<unsigned char> contents(const OfxRectI &region) const;
    std::vector<unsigned char> contents() const { return contents(shape_.bounds); }
    // True while the guards and the row padding hold their pattern.
    bool guardsIntact() const;

private:
    const unsigned char *rowOf(int y) const;

    ImageShape shape_;
    int stride_;
    std::vector<unsigned char> buffer_;
};

} // namespace ofxsim
