#include "cli/pixel_rows.h"

#include "embedhost/image_rows.h"

#include <algorithm>

namespace cli {

namespace {

constexpr embedhost::ImageLayout kRgba{4, 4};

template <class P> auto pictureRow(P &picture, int y) {
    return picture.rgba.data() +
           static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width()) * 4 * picture.channelBytes();
}

// How the file stores its channels, for the length check's tolerance: 8 and 16-bit integer
// types carry the file's own depth (10 for a 10-bit DPX); everything else renders as float.
embedhost::ChannelStorage channelStorage(const OIIO::ImageSpec &spec) {
    if (spec.format == OIIO::TypeDesc::UINT8 || spec.format == OIIO::TypeDesc::UINT16) {
        const int typeBits = static_cast<int>(spec.format.size()) * 8;
        return {false, std::clamp(spec.get_int_attribute("oiio:BitsPerSample", typeBits), 1, typeBits)};
    }
    return {true, spec.format == OIIO::TypeDesc::HALF ? 16 : 32};
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
    return embedhost::measureLengths(imagePixels(picture), embedhost::channelTolerance(channelStorage(picture.spec)),
                                     traditional);
}

} // namespace cli
