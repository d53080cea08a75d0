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
    double offShare = 0.0; // pixels more than one code value from their normalised encoding
    std::size_t pixels = 0;
};

// Pixels as an image holds them: channel type by `depth` (8, 16 or 32), 16-bit white at
// 65535, interleaved as `layout` says, rows without gaps.
struct ImagePixels {
    const unsigned char *data = nullptr;
    std::size_t count = 0;
    int depth = 8;
    ImageLayout layout;
};

// The vector of one pixel decoded from unit-scale channels, as the effect decodes it.
struct Decoded {
    double x, y, z;
};
Decoded decodeVector(double red, double green, double blue, bool traditional);
// A channel (0 red, 1 green, 2 blue) of a pixel at unit scale (the image's: 16-bit white is 65535).
double unitChannel(const ImagePixels &pixels, std::size_t pixel, int channel);

// One code value at unit scale for an image stored at a depth. A 16-bit image holds 65535
// steps but the effect works in 32768, so its step there is the effect's, plus the image's
// own rounding; float images get a tolerance of 1/1024.
double codeValueAt(int storedDepth);

// `codeValue`: the tolerance, from codeValueAt of the depth the pixels were stored at.
LengthStats measureLengths(const ImagePixels &pixels, double codeValue, bool traditional);

} // namespace embedhost
