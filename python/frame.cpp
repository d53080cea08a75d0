#include "python/frame.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace zephyrine_python {

namespace {

// Calls `rows(first, last)` on bands of rows, one band per hardware thread: the mapping to
// and from the worlds is a pass over every channel, which on one thread takes longer than the
// effect's own render on all of them. Small frames stay on the calling thread.
template <class Rows> void inBands(int height, Rows rows) {
    constexpr int kRowsWorthAThread = 64;
    const int bands = std::clamp(height / kRowsWorthAThread, 1, static_cast<int>(std::thread::hardware_concurrency()));
    std::vector<std::thread> helpers;
    for (int band = 1; band < bands; ++band) {
        helpers.emplace_back(rows, height * band / bands, height * (band + 1) / bands);
    }
    rows(0, height / bands);
    for (std::thread &helper : helpers) {
        helper.join();
    }
}

} // namespace

void renderFrame(embedhost::EffectInstance &effect, const ImageView &image, unsigned char *output) {
    embedhost::World &source = effect.sourceFor(image.width, image.height, image.depth);
    const std::size_t rowBytes = image.rowBytes();
    inBands(image.height, [&](int first, int last) {
        for (int y = first; y < last; ++y) {
            embedhost::imageRowToWorld(image.depth, image.data + static_cast<std::size_t>(y) * rowBytes, image.layout,
                                       source.channels<unsigned char>(0, y), image.width);
        }
    });
    effect.renderWorlds();
    embedhost::World &rendered = effect.output();
    inBands(image.height, [&](int first, int last) {
        for (int y = first; y < last; ++y) {
            embedhost::worldRowToImage(image.depth, rendered.channels<unsigned char>(0, y),
                                       output + static_cast<std::size_t>(y) * rowBytes, image.layout, image.width);
        }
    });
}

} // namespace zephyrine_python
