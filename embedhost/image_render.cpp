#include "embedhost/image_render.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace embedhost {

namespace {

// Calls `rows(first, last)` on bands of rows, one band per hardware thread: the mapping to
// and from the worlds is a pass over every channel, which on one thread takes longer than the
// effect's own render on all of them. Small frames stay on the calling thread.
template <class Rows> void inBands(int height, Rows rows) {
    constexpr int kRowsWorthAThread = 64;
    // hardware_concurrency may not know (0): one band then.
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int bands = std::clamp(height / kRowsWorthAThread, 1, threads);
    const auto band = [&](int index) { rows(height * index / bands, height * (index + 1) / bands); };
    std::vector<std::thread> helpers;
    int started = 1;
    try {
        for (; started < bands; ++started) {
            helpers.emplace_back(band, started);
        }
    } catch (const std::system_error &) {
        // A process at its thread limit: the bands no helper took run here.
    }
    band(0);
    for (int index = started; index < bands; ++index) {
        band(index);
    }
    for (std::thread &helper : helpers) {
        helper.join();
    }
}

} // namespace

void renderImage(EffectInstance &effect, const ImageView &source, const ImageView &destination) {
    World &world = effect.sourceFor(source.width, source.height, source.depth);
    inBands(source.height, [&](int first, int last) {
        for (int y = first; y < last; ++y) {
            imageRowToWorld(source.depth, source.data + static_cast<std::size_t>(y) * source.rowBytes, source.layout,
                            world.channels<unsigned char>(0, y), source.width);
        }
    });
    effect.renderWorlds();
    World &rendered = effect.output();
    inBands(source.height, [&](int first, int last) {
        for (int y = first; y < last; ++y) {
            worldRowToImage(destination.depth, rendered.channels<unsigned char>(0, y),
                            destination.data + static_cast<std::size_t>(y) * destination.rowBytes, destination.layout,
                            destination.width);
        }
    });
}

} // namespace embedhost
