// One image through one effect instance, mapped to and from the host's worlds exactly as the
// tool maps files (embedhost/image_rows.h), so the same pixels give the same bits in either.
#pragma once

#include "embedhost/effect_instance.h"
#include "embedhost/image_rows.h"
#include "embedhost/length_check.h"

#include <cstddef>

namespace zephyrine_python {

// Pixels as a C-contiguous height x width x channels array holds them.
struct ImageView {
    const unsigned char *data = nullptr;
    int height = 0;
    int width = 0;
    int depth = 8; // 8, 16 or 32 bits per channel
    embedhost::ImageLayout layout;

    std::size_t rowBytes() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(layout.stride * depth / 8);
    }
    embedhost::ImagePixels pixels() const {
        return {data, static_cast<std::size_t>(height) * static_cast<std::size_t>(width), depth, layout};
    }
};

// Renders `image` with the instance's controls into `output`, an array of the same shape
// and type. Throws embedhost::RenderError.
void renderFrame(embedhost::EffectInstance &effect, const ImageView &image, unsigned char *output);

} // namespace zephyrine_python
