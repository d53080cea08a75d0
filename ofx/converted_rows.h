// Rows the vector kernels do not take as they are: 16-bit images (white 65535) and RGB images
// go through the RGBA kernel of their depth a chunk at a time, by way of buffers on the
// stack. 16-bit colours are brought to the effect's 0..32768 and back exactly as
// zephyrine-render brings a 16-bit file's; alpha comes back as stored.
#pragma once

#include "filter/vector_transform.h"

#include <cstdint>

// A RowFunction over pixels of `Components` (3 or 4) channels of type T (uint8_t, uint16_t
// with white 65535, or float).
template <class T, int Components>
void transformThroughRgba(const VectorControls &controls, const unsigned char *from, unsigned char *to, int32_t count);

extern template void transformThroughRgba<uint16_t, 4>(const VectorControls &, const unsigned char *, unsigned char *,
                                                       int32_t);
extern template void transformThroughRgba<uint8_t, 3>(const VectorControls &, const unsigned char *, unsigned char *,
                                                      int32_t);
extern template void transformThroughRgba<uint16_t, 3>(const VectorControls &, const unsigned char *, unsigned char *,
                                                       int32_t);
extern template void transformThroughRgba<float, 3>(const VectorControls &, const unsigned char *, unsigned char *,
                                                    int32_t);
