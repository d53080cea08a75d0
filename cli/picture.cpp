#include "cli/picture.h"

#include "cli/atomic_write.h"

namespace cli {

int naturalDepth(const OIIO::TypeDesc &format) {
    if (format == OIIO::TypeDesc::UINT8) {
        return 8;
    }
    return format == OIIO::TypeDesc::UINT16 ? 16 : 32;
}

OIIO::TypeDesc typeForDepth(int depth) {
    return depth == 8 ? OIIO::TypeDesc::UINT8 : depth == 16 ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::FLOAT;
}

void writePicture(const std::string &path, const Picture &picture) {
    writeAtomically(path, picture.spec, [&](OIIO::ImageOutput &output) {
        return output.write_image(typeForDepth(picture.depth), picture.rgba.data(),
                                  static_cast<OIIO::stride_t>(4 * picture.channelBytes()));
    });
}

} // namespace cli
