#include "python/frame.h"

namespace zephyrine_python {

void renderFrame(embedhost::EffectInstance &effect, const ImageView &image, unsigned char *output) {
    embedhost::World &source = effect.sourceFor(image.width, image.height, image.depth);
    const std::size_t rowBytes = image.rowBytes();
    for (int y = 0; y < image.height; ++y) {
        embedhost::imageRowToWorld(image.depth, image.data + static_cast<std::size_t>(y) * rowBytes, image.layout,
                                   source.channels<unsigned char>(0, y), image.width);
    }
    effect.renderWorlds();
    embedhost::World &rendered = effect.output();
    for (int y = 0; y < image.height; ++y) {
        embedhost::worldRowToImage(image.depth, rendered.channels<unsigned char>(0, y),
                                   output + static_cast<std::size_t>(y) * rowBytes, image.layout, image.width);
    }
}

} // namespace zephyrine_python
