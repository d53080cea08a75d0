#include "cli/world_files.h"

#include "cli/picture.h"
#include "embedhost/image_rows.h"

#include <algorithm>
#include <vector>

namespace cli {

namespace {

// Rows per strip: a strip of a 4K-wide float image is 2 MB, small enough to stay in cache. A
// tiled image's strips are whole rows of tiles, since tiles are read and written whole.
int stripRows(const OIIO::ImageSpec &spec) {
    constexpr int kStripRows = 32;
    const int tile = spec.tile_width > 0 ? std::max(1, spec.tile_height) : 1;
    return std::min(spec.height, (kStripRows + tile - 1) / tile * tile);
}

struct Strip {
    std::size_t pixelBytes, rowBytes;
    std::vector<unsigned char> bytes;

    Strip(const OIIO::ImageSpec &spec, int depth)
        : pixelBytes(4 * static_cast<std::size_t>(depth / 8)),
          rowBytes(static_cast<std::size_t>(spec.width) * pixelBytes),
          bytes(rowBytes * static_cast<std::size_t>(stripRows(spec))) {}
    unsigned char *row(int index) { return bytes.data() + static_cast<std::size_t>(index) * rowBytes; }
    OIIO::stride_t xstride() const { return static_cast<OIIO::stride_t>(pixelBytes); }
    OIIO::stride_t ystride() const { return static_cast<OIIO::stride_t>(rowBytes); }
};

} // namespace

void decodeIntoWorld(OIIO::ImageInput &input, int part, int level, const OIIO::ImageSpec &spec, int depth,
                     embedhost::World &world) {
    Strip strip(spec, depth);
    const int rows = stripRows(spec);
    for (int first = 0; first < spec.height; first += rows) {
        const int last = std::min(spec.height, first + rows);
        // Tiles are read as tiles: OpenImageIO's scanline reading of a tiled file divides by zero.
        const bool read =
            spec.tile_width > 0
                ? input.read_tiles(part, level, spec.x, spec.x + spec.width, spec.y + first, spec.y + last, spec.z,
                                   spec.z + 1, 0, spec.nchannels, typeForDepth(depth), strip.row(0), strip.xstride(),
                                   strip.ystride())
                : input.read_scanlines(part, level, spec.y + first, spec.y + last, spec.z, 0, spec.nchannels,
                                       typeForDepth(depth), strip.row(0), strip.xstride(), strip.ystride());
        if (!read) {
            throw FileError("cannot decode it: " + input.geterror());
        }
        for (int y = first; y < last; ++y) {
            embedhost::imageRowToWorld(depth, strip.row(y - first), {spec.nchannels, 4},
                                       world.channels<unsigned char>(0, y), spec.width);
        }
    }
}

void writeFromWorld(PartialFile &file, const OIIO::ImageSpec &spec, int depth, embedhost::World &rendered) {
    Strip strip(spec, depth);
    const int rows = stripRows(spec);
    OIIO::ImageOutput &output = file.output();
    for (int first = 0; first < spec.height; first += rows) {
        const int last = std::min(spec.height, first + rows);
        for (int y = first; y < last; ++y) {
            embedhost::worldRowToImage(depth, rendered.channels<unsigned char>(0, y), strip.row(y - first), {4, 4},
                                       spec.width);
        }
        file.check(spec.tile_width > 0 ? output.write_tiles(spec.x, spec.x + spec.width, spec.y + first, spec.y + last,
                                                            spec.z, spec.z + 1, typeForDepth(depth), strip.row(0),
                                                            strip.xstride(), strip.ystride())
                                       : output.write_scanlines(spec.y + first, spec.y + last, spec.z,
                                                                typeForDepth(depth), strip.row(0), strip.xstride()));
    }
}

void copyLevel(OIIO::ImageInput &input, int part, int level, PartialFile &file) {
    const OIIO::ImageSpec spec = input.spec(part, level);
    // In the stored type, which the writer converts if its format stores another. Channels of
    // several types travel as stored only to a format that keeps them so (the writer reads
    // untyped data in its own layout); otherwise as float, which holds every type they come in
    // but 32-bit integers beyond 2^24.
    const bool mixed = !spec.channelformats.empty();
    const OIIO::TypeDesc type = !mixed                            ? spec.format
                                : file.supports("channelformats") ? OIIO::TypeUnknown
                                                                  : OIIO::TypeDesc::FLOAT;
    const std::size_t bytes =
        type == OIIO::TypeUnknown ? spec.image_bytes(true) : spec.image_pixels() * spec.nchannels * type.size();
    std::vector<unsigned char> stored(bytes);
    if (!input.read_image(part, level, 0, spec.nchannels, type, stored.data())) {
        throw FileError("cannot decode its part " + std::to_string(part) + ": " + input.geterror());
    }
    file.check(file.output().write_image(type, stored.data()));
}

} // namespace cli
