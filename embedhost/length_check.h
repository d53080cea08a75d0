// How far a normal map's vectors are from unit length: the question to ask before applying
// the effect at all. The tool's --check and the Python module's check() both answer it here.
#pragma once

#include "embedhost/image_rows.h"

#include <cstddef>

namespace embedhost {

struct LengthStats {
    double minimum = 0.0;
    double mean = 0.0;
    double maximum = 0.0;
    double offShare = 0.0; // pixels whose length is further from 1 than the effect's own output can be
    std::size_t pixels = 0;
};

// Pixels as an image holds them: channel type by `depth` (8, 16 or 32), 16-bit white at
// 65535, interleaved as `layout` says; rows of `rowPixels` pixels `rowBytes` apart, or, with
// `rowPixels` 0, rows without gaps.
struct ImagePixels {
    const unsigned char *data = nullptr;
    std::size_t count = 0;
    int depth = 8;
    ImageLayout layout;
    std::size_t rowPixels = 0;
    std::size_t rowBytes = 0;
};

// The vector of one pixel decoded from unit-scale channels, as the effect decodes it.
struct Decoded {
    double x, y, z;
};
Decoded decodeVector(double red, double green, double blue, bool traditional);
// A channel (0 red, 1 green, 2 blue) of a pixel at unit scale (the image's: 16-bit white is 65535).
double unitChannel(const ImagePixels &pixels, std::size_t pixel, int channel);

// How an image stores its channels: integers of `bits` (8 to 16, the file's own depth, so 10
// for a 10-bit DPX read as 16-bit), or floating point (`bits` 16 for half, 32 for float).
struct ChannelStorage {
    bool floating = false;
    int bits = 8;
};

// The most a channel the effect wrote at the storage's natural depth (8-bit at 8, other
// integers at 16, floating point at 32), once stored that way, can differ from the exact
// encoding of its unit vector at unit scale.
double channelTolerance(ChannelStorage storage);

// A pixel is off when its length is further from 1 than a vector whose channels are each at
// most `channelTolerance` from a unit vector's encoding can be: sqrt(3) times the tolerance,
// doubled where the decode doubles (not in traditional format). So what the effect itself
// wrote is never off.
LengthStats measureLengths(const ImagePixels &pixels, double channelTolerance, bool traditional);
// That limit on | |v| - 1 |.
double offLengthLimit(double channelTolerance, bool traditional);

} // namespace embedhost
