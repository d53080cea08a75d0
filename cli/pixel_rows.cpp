#include "cli/pixel_rows.h"

#include "embedhost/image_rows.h"

namespace cli {

namespace {

constexpr embedhost::ImageLayout kRgba{4, 4};

template <class P> auto pictureRow(P &picture, int y) {
    return picture.rgba.data() +
           static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width()) * 4 * picture.channelBytes();
}

// The depth a file's own format stores its channels at, for the length check's tolerance.
int storedDepth(const OIIO::TypeDesc &format) {
    return format == OIIO::TypeDesc::UINT8 ? 8 : format == OIIO::TypeDesc::UINT16 ? 16 : 32;
}

} // namespace

void pictureToWorld(const Picture &picture, embedhost::World &world) {
    for (int y = 0; y < picture.height(); ++y) {
        embedhost::imageRowToWorld(picture.depth, pictureRow(picture, y), kRgba, world.channels<unsigned char>(0, y),
                                   picture.width());
    }
}

void worldToPicture(embedhost::World &rendered, Picture &picture) {
    for (int y = 0; y < picture.height(); ++y) {
        embedhost::worldRowToImage(picture.depth, rendered.channels<unsigned char>(0, y), pictureRow(picture, y), kRgba,
                                   picture.width());
    }
}

void renderPicture(embedhost::EffectInstance &instance, Picture &picture) {
    pictureToWorld(picture, instance.sourceFor(picture.width(), picture.height(), picture.depth));
    instance.renderWorlds();
    worldToPicture(instance.output(), picture);
}

embedhost::ImagePixels imagePixels(const Picture &picture) {
    return {picture.rgba.data(), static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height()),
            picture.depth, kRgba};
}

embedhost::LengthStats measureLengths(const Picture &picture, bool traditional) {
    return embedhost::measureLengths(imagePixels(picture), embedhost::codeValueAt(storedDepth(picture.spec.format)),
                                     traditional);
}

} // namespace cli
