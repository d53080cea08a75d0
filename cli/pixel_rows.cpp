#include "cli/pixel_rows.h"

#include <cstring>

namespace cli {

namespace {

std::size_t rowOffset(const Picture &picture, int y) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width()) * 4 * picture.channelBytes();
}
template <class T> const T *pictureRow(const Picture &picture, int y) {
    return reinterpret_cast<const T *>(picture.rgba.data() + rowOffset(picture, y));
}
template <class T> T *pictureRow(Picture &picture, int y) {
    return reinterpret_cast<T *>(picture.rgba.data() + rowOffset(picture, y));
}

// 8 bits: a pixel is one 32-bit word, R G B A in memory (A in the top byte) against A R G B
// (A in the bottom byte), so the move is a rotation by one byte.
void toWorld8(const uint32_t *rgba, uint32_t *argb, int width) {
    for (int x = 0; x < width; ++x) {
        argb[x] = (rgba[x] << 8) | (rgba[x] >> 24);
    }
}
void fromWorld8(const uint32_t *argb, uint32_t *rgba, int width) {
    for (int x = 0; x < width; ++x) {
        rgba[x] = (argb[x] >> 8) | (rgba[x] & 0xFF000000u);
    }
}

void toWorld16(const uint16_t *rgba, uint16_t *argb, int width) {
    for (int x = 0; x < width; ++x) {
        argb[4 * x] = fileToEffect16(rgba[4 * x + 3]);
        argb[4 * x + 1] = fileToEffect16(rgba[4 * x]);
        argb[4 * x + 2] = fileToEffect16(rgba[4 * x + 1]);
        argb[4 * x + 3] = fileToEffect16(rgba[4 * x + 2]);
    }
}
void fromWorld16(const uint16_t *argb, uint16_t *rgba, int width) {
    for (int x = 0; x < width; ++x) {
        rgba[4 * x] = effectToFile16(argb[4 * x + 1]);
        rgba[4 * x + 1] = effectToFile16(argb[4 * x + 2]);
        rgba[4 * x + 2] = effectToFile16(argb[4 * x + 3]);
    }
}

void toWorld32(const float *rgba, float *argb, int width) {
    for (int x = 0; x < width; ++x) {
        argb[4 * x] = rgba[4 * x + 3];
        argb[4 * x + 1] = rgba[4 * x];
        argb[4 * x + 2] = rgba[4 * x + 1];
        argb[4 * x + 3] = rgba[4 * x + 2];
    }
}
void fromWorld32(const float *argb, float *rgba, int width) {
    for (int x = 0; x < width; ++x) {
        rgba[4 * x] = argb[4 * x + 1];
        rgba[4 * x + 1] = argb[4 * x + 2];
        rgba[4 * x + 2] = argb[4 * x + 3];
    }
}

} // namespace

void pictureToWorld(const Picture &picture, hostsim::World &world) {
    for (int y = 0; y < picture.height(); ++y) {
        if (picture.depth == 8) {
            toWorld8(pictureRow<uint32_t>(picture, y), world.channels<uint32_t>(0, y), picture.width());
        } else if (picture.depth == 16) {
            toWorld16(pictureRow<uint16_t>(picture, y), world.channels<uint16_t>(0, y), picture.width());
        } else {
            toWorld32(pictureRow<float>(picture, y), world.channels<float>(0, y), picture.width());
        }
    }
}

void worldToPicture(hostsim::World &world, Picture &picture) {
    for (int y = 0; y < picture.height(); ++y) {
        if (picture.depth == 8) {
            fromWorld8(world.channels<uint32_t>(0, y), pictureRow<uint32_t>(picture, y), picture.width());
        } else if (picture.depth == 16) {
            fromWorld16(world.channels<uint16_t>(0, y), pictureRow<uint16_t>(picture, y), picture.width());
        } else {
            fromWorld32(world.channels<float>(0, y), pictureRow<float>(picture, y), picture.width());
        }
    }
}

} // namespace cli
