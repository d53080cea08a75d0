// A picture as the tool holds it in memory: the file's own description (format, channels,
// metadata) and its pixels as RGBA at the render depth, at the file's scale.
#pragma once

#include <OpenImageIO/imageio.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A file that cannot be read or written; the message names the reason.
struct FileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Picture {
    OIIO::ImageSpec spec; // as the file describes itself
    int depth = 8;        // 8, 16 or 32 bits per channel in `rgba`
    // width * height * 4 channels of uint8_t, uint16_t (0..65535) or float; an RGB file gets
    // an opaque alpha here.
    std::vector<unsigned char> rgba;

    int width() const { return spec.width; }
    int height() const { return spec.height; }
    std::size_t channelBytes() const { return static_cast<std::size_t>(depth / 8); }
};

// The depth a file renders at when no depth is asked for: 8-bit and 16-bit integer files at
// their own depth, everything else at 32.
int naturalDepth(const OIIO::TypeDesc &format);

// The channel type pixels are held in at a render depth.
OIIO::TypeDesc typeForDepth(int depth);

// Writes to a temporary file in the target folder (made if missing) and renames it into
// place, so an interrupted run never leaves half an image. Throws FileError.
void writePicture(const std::string &path, const Picture &picture);

} // namespace cli
