// One pixel through the effect, the scalar way: the reference every vector kernel must match
// bit for bit, and the path for the pixels at the end of a row that fill no whole register.
#pragma once

#include "filter/vector_transform.h"

#include <cstdint>
#include <cstring>

template <class Pixel> void transformPixel(const VectorControls &controls, const unsigned char *from, unsigned char *to) {
    using Layout = typename Pixel::ChannelLayout;
    using T = typename Pixel::Channel;
    // Hosts align rows as they like: copy channels in and out rather than cast the address.
    T in[4];
    std::memcpy(in, from, sizeof in);
    const double alpha = Pixel::read(in[Layout::alpha]);
    const Vector3 v = transformVector(controls, Pixel::read(in[Layout::red]), Pixel::read(in[Layout::green]),
                                      Pixel::read(in[Layout::blue]));
    T out[4];
    // Float alpha is kept as stored: its round trip through double is exact for every value,
    // and copying it keeps that so for signalling NaNs and under a host's denormals-are-zero
    // mode too, which a conversion would quiet or flush.
    out[Layout::alpha] = Pixel::keepsStoredAlpha ? in[Layout::alpha] : Pixel::write(alpha);
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
