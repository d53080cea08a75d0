// One image through one effect instance, mapped to and from the host's worlds exactly as the
// tool maps files (embedhost/image_rows.h), so the same pixels give the same bits in either.
#pragma once

#include "embedhost/effect_instance.h"
#include "embedhost/image_rows.h"

#include <cstddef>

namespace embedhost {

// Pixels as an interleaved array holds them: `height` rows of `width` pixels, `rowBytes` apart.
struct ImageView {
    unsigned char *data = nullptr;
    int height = 0;
    int width = 0;
    int depth = 8; // 8, 16 or 32 bits per channel
    ImageLayout layout;
    std::size_t rowBytes = 0;

    // The bytes the pixels of one row take.
    std::size_t packedRowBytes() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(layout.stride * depth / 8);
    }
};

// Renders `source` with the instance's controls into `destination`, of the same width, height,
// depth and layout; the two may be one image. Throws RenderError.
void renderImage(EffectInstance &effect, const ImageView &source, const ImageView &destination);

} // namespace embedhost
