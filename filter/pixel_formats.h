// How a pixel lies in memory at each depth, and how a channel turns into a unit-scale double
// and back. Every depth is an instantiation of the same templates.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#if defined(__FAST_MATH__)
#error "pixel arithmetic must be exact: never build with fast-math"
#endif
// Under -ffinite-math-only the compiler may fold the kernels' NaN checks away.
#if defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__
#error "pixel arithmetic must handle NaN and infinity: never build with -ffinite-math-only"
#endif

// Channel positions inside a pixel.
template <int R, int G, int B, int A> struct LayoutRGBAPixel {
    static constexpr int red = R;
    static constexpr int green = G;
    static constexpr int blue = B;
    static constexpr int alpha = A;
};

// Memory order alpha, red, green, blue, packed: After Effects' order at every depth.
using HostLayout = LayoutRGBAPixel<1, 2, 3, 0>;
// Blue, green, red, alpha: Premiere Pro's own formats.
using BgraLayout = LayoutRGBAPixel<2, 1, 0, 3>;
// Red, green, blue, alpha: OpenFX images.
using RgbaLayout = LayoutRGBAPixel<0, 1, 2, 3>;

// One pixel of four channels of type T; MAX is the channel value that means 1.0. The two
// integer arguments after T are 1 and 0 in every instantiation and change nothing. Alpha is
// never read or written through these rules: every kernel copies it as stored.
template <class Layout, class T, int ONE, int ZERO, int MAX> struct PixelRGB {
    using Channel = T;
    using ChannelLayout = Layout;
    static constexpr int maximum = MAX;
    static constexpr bool isFloat = std::is_floating_point_v<T>;
    // What an integer channel is multiplied by on reading (the vector kernels use it too).
    static constexpr double readFactor = 1.0 / static_cast<double>(MAX);
    // The largest value the channel type holds. At 16 bits it lies above MAX: a channel may
    // hold 32769..65535 (read above 1.0), and writing such a value back must keep it.
    static constexpr double storeLimit = isFloat ? 0.0 : static_cast<double>(std::numeric_limits<T>::max());

    T channels[4];

    // To unit scale: 8 bits multiply by the double reciprocal of 255 (not a division: 24 values
    // come out a hair low), 16 bits by 2^-15 (exact), float is widened as it is.
    static double read(T value) {
        if constexpr (isFloat) {
            return static_cast<double>(value);
        } else {
            return static_cast<double>(value) * readFactor;
        }
    }

    // From unit scale: integers are multiplied by MAX and truncated toward zero, never rounded.
    // Only a product the channel type cannot hold (NaN, negative, or above the type's largest
    // value: only non-finite or absurd controls produce one) is made defined, where a plain
    // conversion would be undefined: NaN and negatives write 0, too large the type's largest.
    static T write(double value) {
        if constexpr (isFloat) {
            return static_cast<T>(value);
        } else {
            const double scaled = value * static_cast<double>(MAX);
            if (!(scaled > 0.0)) {
                return 0;
            }
            if (scaled >= storeLimit) {
                return std::numeric_limits<T>::max();
            }
            return static_cast<T>(static_cast<int32_t>(scaled));
        }
    }
};

// After Effects' worlds.
using Pixel8 = PixelRGB<HostLayout, uint8_t, 1, 0, 255>;
using Pixel16 = PixelRGB<HostLayout, uint16_t, 1, 0, 32768>;
using Pixel32 = PixelRGB<HostLayout, float, 1, 0, 1>;

// Premiere Pro's BGRA_4444_8u, _16u (white 32768 too) and _32f.
using BgraPixel8 = PixelRGB<BgraLayout, uint8_t, 1, 0, 255>;
using BgraPixel16 = PixelRGB<BgraLayout, uint16_t, 1, 0, 32768>;
using BgraPixel32 = PixelRGB<BgraLayout, float, 1, 0, 1>;

// OpenFX images. 16-bit images (white 65535) are brought to the effect's white of 32768
// before the kernel runs.
using RgbaPixel8 = PixelRGB<RgbaLayout, uint8_t, 1, 0, 255>;
using RgbaPixel16 = PixelRGB<RgbaLayout, uint16_t, 1, 0, 32768>;
using RgbaPixel32 = PixelRGB<RgbaLayout, float, 1, 0, 1>;

static_assert(sizeof(Pixel8) == 4 && sizeof(Pixel16) == 8 && sizeof(Pixel32) == 16);
static_assert(sizeof(BgraPixel8) == 4 && sizeof(BgraPixel16) == 8 && sizeof(BgraPixel32) == 16);
static_assert(sizeof(RgbaPixel8) == 4 && sizeof(RgbaPixel16) == 8 && sizeof(RgbaPixel32) == 16);

// Every pixel format with row kernels of its own, in the kernel tables' order.
template <class... Pixels> struct PixelFormatList {
    static constexpr int size = sizeof...(Pixels);

    // The position of `Pixel` in the list; a format not in it does not compile.
    template <class Pixel> static constexpr int indexOf() {
        constexpr bool matches[] = {std::is_same_v<Pixel, Pixels>...};
        for (int i = 0; i < size; ++i) {
            if (matches[i]) {
                return i;
            }
        }
        throw "not a kernel pixel format";
    }
};

using KernelPixelFormats = PixelFormatList<Pixel8, Pixel16, Pixel32, BgraPixel8, BgraPixel16, BgraPixel32, RgbaPixel8,
                                           RgbaPixel16, RgbaPixel32>;
