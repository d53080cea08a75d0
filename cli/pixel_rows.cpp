#include "cli/pixel_rows.h"

#include <cstring>
#include <limits>

namespace cli {

namespace {

// The channel value a file's opaque alpha has.
template <class T> constexpr T opaque() {
    if constexpr (std::numeric_limits<T>::is_integer) {
        return std::numeric_limits<T>::max();
    } else {
        return T(1);
    }
}

template <class T> constexpr T toEffect(T value) {
    if constexpr (sizeof(T) == 2) {
        return fullRangeToEffect16(value);
    } else {
        return value;
    }
}
template <class T> constexpr T toFile(T value) {
    if constexpr (sizeof(T) == 2) {
        return effectToFullRange16(value);
    } else {
        return value;
    }
}

// Rows of channel type T; `hasAlpha` is a template argument so the loop holds no branch.
template <class T, bool hasAlpha> void toWorld(const T *rgba, T *argb, int width) {
    for (int x = 0; x < width; ++x) {
        argb[4 * x] = hasAlpha ? rgba[4 * x + 3] : opaque<T>();
        argb[4 * x + 1] = toEffect(rgba[4 * x]);
        argb[4 * x + 2] = toEffect(rgba[4 * x + 1]);
        argb[4 * x + 3] = toEffect(rgba[4 * x + 2]);
    }
}
template <class T> void toFile(const T *argb, T *rgba, int width) {
    for (int x = 0; x < width; ++x) {
        rgba[4 * x] = toFile(argb[4 * x + 1]);
        rgba[4 * x + 1] = toFile(argb[4 * x + 2]);
        rgba[4 * x + 2] = toFile(argb[4 * x + 3]);
        rgba[4 * x + 3] = argb[4 * x];
    }
}

// Calls `row` with the depth's channel type.
template <template <class> class Row, class... Arguments> void atDepth(int depth, Arguments... arguments) {
    if (depth == 8) {
        Row<uint8_t>::run(arguments...);
    } else if (depth == 16) {
        Row<uint16_t>::run(arguments...);
    } else {
        Row<float>::run(arguments...);
    }
}

template <class T> struct ToWorld {
    static void run(const unsigned char *file, int channels, unsigned char *world, int width) {
        if (channels == 4) {
            toWorld<T, true>(reinterpret_cast<const T *>(file), reinterpret_cast<T *>(world), width);
        } else {
            toWorld<T, false>(reinterpret_cast<const T *>(file), reinterpret_cast<T *>(world), width);
        }
    }
};
template <class T> struct ToFile {
    static void run(const unsigned char *rendered, unsigned char *file, int width) {
        toFile<T>(reinterpret_cast<const T *>(rendered), reinterpret_cast<T *>(file), width);
    }
};

template <class P> auto pictureRow(P &picture, int y) {
    return picture.rgba.data() +
           static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width()) * 4 * picture.channelBytes();
}

} // namespace

void fileRowToWorld(int depth, const unsigned char *file, int fileChannels, unsigned char *world, int width) {
    atDepth<ToWorld>(depth, file, fileChannels, world, width);
}

void worldRowToFile(int depth, const unsigned char *rendered, unsigned char *file, int width) {
    atDepth<ToFile>(depth, rendered, file, width);
}

void pictureToWorld(const Picture &picture, hostsim::World &world) {
    for (int y = 0; y < picture.height(); ++y) {
        fileRowToWorld(picture.depth, pictureRow(picture, y), 4,
                       world.channels<unsigned char>(0, y), picture.width());
    }
}

void worldToPicture(hostsim::World &rendered, Picture &picture) {
    for (int y = 0; y < picture.height(); ++y) {
        worldRowToFile(picture.depth, rendered.channels<unsigned char>(0, y), pictureRow(picture, y),
                           picture.width());
    }
}

} // namespace cli
