#include "cli/world_files.h"

#include "cli/atomic_write.h"
#include "embedhost/image_rows.h"

#include <algorithm>
#include <vector>

namespace cli {

namespace {

// Rows per strip: a strip of a 4K-wide float image is 2 MB, small enough to stay in cache.
constexpr int kStripRows = 32;

} // namespace

void decodeIntoWorld(ImageFile &file, int depth, embedhost::World &world) {
    const OIIO::ImageSpec &spec = file.spec();
    const std::size_t pixelBytes = 4 * static_cast<std::size_t>(depth / 8);
    const std::size_t rowBytes = static_cast<std::size_t>(spec.width) * pixelBytes;
    std::vector<unsigned char> strip(rowBytes * static_cast<std::size_t>(std::min(kStripRows, spec.height)));
    for (int first = 0; first < spec.height; first += kStripRows) {
        const int last = std::min(spec.height, first + kStripRows);
        if (!file.input().read_scanlines(0, 0, spec.y + first, spec.y + last, 0, 0, spec.nchannels,
                                         typeForDepth(depth), strip.data(),
                                         static_cast<OIIO::stride_t>(pixelBytes),
                                         static_cast<OIIO::stride_t>(rowBytes))) {
            throw FileError("cannot decode it: " + file.input().geterror());
        }
        for (int y = first; y < last; ++y) {
            embedhost::imageRowToWorld(depth, strip.data() + static_cast<std::size_t>(y - first) * rowBytes,
                                       {spec.nchannels, 4}, world.channels<unsigned char>(0, y), spec.width);
        }
    }
}

void writeFromWorld(const std::string &path, const OIIO::ImageSpec &spec, int depth, embedhost::World &rendered) {
    const std::size_t pixelBytes = 4 * static_cast<std::size_t>(depth / 8);
    const std::size_t rowBytes = static_cast<std::size_t>(spec.width) * pixelBytes;
    // A tiled file is written whole (its tiles cut across strips); anything else strip by strip.
    const int stripRows = spec.tile_width > 0 ? spec.height : std::min(kStripRows, spec.height);
    std::vector<unsigned char> strip(rowBytes * static_cast<std::size_t>(stripRows));
    writeAtomically(path, spec, [&](OIIO::ImageOutput &output) {
        for (int first = 0; first < spec.height; first += stripRows) {
            const int last = std::min(spec.height, first + stripRows);
            for (int y = first; y < last; ++y) {
                unsigned char *row = strip.data() + static_cast<std::size_t>(y - first) * rowBytes;
                embedhost::worldRowToImage(depth, rendered.channels<unsigned char>(0, y), row, {4, 4}, spec.width);
            }
            const bool written =
                spec.tile_width > 0
                    ? output.write_image(typeForDepth(depth), strip.data(), static_cast<OIIO::stride_t>(pixelBytes))
                    : output.write_scanlines(spec.y + first, spec.y + last, 0, typeForDepth(depth), strip.data(),
                                             static_cast<OIIO::stride_t>(pixelBytes));
            if (!written) {
                return false;
            }
        }
        return true;
    });
}

} // namespace cli
