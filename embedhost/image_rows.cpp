#include "embedhost/image_rows.h"

#include <limits>

namespace embedhost {

namespace {

// The channel value an image's opaque alpha has.
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
template <class T> constexpr T toImage(T value) {
    if constexpr (sizeof(T) == 2) {
        return effectToFullRange16(value);
    } else {
        return value;
    }
}

// Rows of channel type T; the layout is in template arguments so the loops hold no branch.
template <class T, int Stride, bool HasAlpha> void toWorld(const T *image, T *argb, int width) {
    for (int x = 0; x < width; ++x) {
        argb[4 * x] = HasAlpha ? image[Stride * x + 3] : opaque<T>();
        argb[4 * x + 1] = toEffect(image[Stride * x]);
        argb[4 * x + 2] = toEffect(image[Stride * x + 1]);
        argb[4 * x + 3] = toEffect(image[Stride * x + 2]);
    }
}
template <class T, int Stride, bool HasAlpha> void fromWorld(const T *argb, T *image, int width) {
    for (int x = 0; x < width; ++x) {
        image[Stride * x] = toImage(argb[4 * x + 1]);
        image[Stride * x + 1] = toImage(argb[4 * x + 2]);
        image[Stride * x + 2] = toImage(argb[4 * x + 3]);
        if constexpr (HasAlpha) {
            image[Stride * x + 3] = argb[4 * x];
        }
    }
}

// Calls `Row<T, Stride, HasAlpha>::run` with the depth's channel type and the layout's shape.
template <template <class, int, bool> class Row, class T, class... Arguments>
void withLayout(ImageLayout layout, Arguments... arguments) {
    if (layout.stride == 3) {
        Row<T, 3, false>::run(arguments...);
    } else if (layout.channels == 3) {
        Row<T, 4, false>::run(arguments...);
    } else {
        Row<T, 4, true>::run(arguments...);
    }
}
template <template <class, int, bool> class Row, class... Arguments>
void atDepth(int depth, ImageLayout layout, Arguments... arguments) {
    if (depth == 8) {
        withLayout<Row, uint8_t>(layout, arguments...);
    } else if (depth == 16) {
        withLayout<Row, uint16_t>(layout, arguments...);
    } else {
        withLayout<Row, float>(layout, arguments...);
    }
}

template <class T, int Stride, bool HasAlpha> struct ToWorld {
    static void run(const unsigned char *image, unsigned char *world, int width) {
        toWorld<T, Stride, HasAlpha>(reinterpret_cast<const T *>(image), reinterpret_cast<T *>(world), width);
    }
};
template <class T, int Stride, bool HasAlpha> struct FromWorld {
    static void run(const unsigned char *rendered, unsigned char *image, int width) {
        fromWorld<T, Stride, HasAlpha>(reinterpret_cast<const T *>(rendered), reinterpret_cast<T *>(image), width);
    }
};

} // namespace

void imageRowToWorld(int depth, const unsigned char *image, ImageLayout layout, unsigned char *world, int width) {
    atDepth<ToWorld>(depth, layout, image, world, width);
}

void worldRowToImage(int depth, const unsigned char *rendered, unsigned char *image, ImageLayout layout, int width) {
    atDepth<FromWorld>(depth, layout, rendered, image, width);
}

} // namespace embedhost
