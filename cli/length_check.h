// How far a normal map's vectors are from unit length: the question to ask before applying
// the effect at all.
#pragma once

#include "cli/picture.h"

#include <cstddef>

namespace cli {

struct LengthStats {
    double minimum = 0.0;
    double mean = 0.0;
    double maximum = 0.0;
    double offShare = 0.0; // pixels more than one code value from their normalised encoding
    std::size_t pixels = 0;
};

// The vector of one pixel decoded from unit-scale channels, as the effect decodes it.
struct Decoded {
    double x, y, z;
};
Decoded decodeVector(double red, double green, double blue, bool traditional);

// A channel of a picture at unit scale (the file's scale: 16-bit white is 65535).
double unitChannel(const Picture &picture, std::size_t pixel, int channel);

LengthStats measureLengths(const Picture &picture, bool traditional);

} // namespace cli
