// One pixel through the effect, the scalar way: the reference every vector kernel must match
// bit for bit, and the path for the pixels at the end of a row that fill no whole register.
#pragma once

#include "filter/vector_transform.h"

#include <cstdint>
#include <cstring>

template <class Pixel>
[[gnu::always_inline]] inline void transformPixel(const VectorControls &controls, const unsigned char *from, unsigned char *to) {
    using Layout = typename Pixel::ChannelLayout;
    using T = typename Pixel::Channel;
    // Hosts align rows as they like: copy channels in and out rather than cast the address.
    T in[4];
    std::memcpy(in, from, sizeof in);
    const Vector3 v = transformVector(controls, Pixel::read(in[Layout::red]), Pixel::read(in[Layout::green]),
                                      Pixel::read(in[Layout::blue]));
    T out[4];
    // Alpha passes through as stored, at every depth: a read and write back would move 24 of
    // the 256 8-bit values one lower, and would quiet signalling NaNs or flush denormals
    // under a host's denormals-are-zero mode in float.
    out[Layout::alpha] = in[Layout::alpha];
    out[Layout::red] = Pixel::write(v.x);
    out[Layout::green] = Pixel::write(v.y);
    out[Layout::blue] = Pixel::write(v.z);
    std::memcpy(to, out, sizeof out);
}

template <class Pixel>
void transformRowScalar(const VectorControls &controls, const unsigned char *from, unsigned char *to, int32_t count) {
    for (int32_t x = 0; x < count; ++x, from += sizeof(Pixel), to += sizeof(Pixel)) {
        transformPixel<Pixel>(controls, from, to);
    }
}
