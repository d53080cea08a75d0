// How a pixel lies in memory at each depth, and how a channel turns into a unit-scale double
// and back. Every depth is an instantiation of the same templates.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

#if defined(__FAST_MATH__)
#error "pixel arithmetic must be exact: never build with fast-math"
#endif

// Channel positions inside a pixel.
template <int R, int G, int B, int A> struct LayoutRGBAPixel {
    static constexpr int red = R;
    static constexpr int green = G;
    static constexpr int blue = B;
    static constexpr int alpha = A;
};

// Memory order alpha, red, green, blue, packed: the host's order at every depth.
using HostLayout = LayoutRGBAPixel<1, 2, 3, 0>;

// One pixel of four channels of type T; MAX is the channel value that means 1.0. The two
// integer arguments after T are 1 and 0 in every instantiation and change nothing.
template <class Layout, class T, int ONE, int ZERO, int MAX> struct PixelRGB {
    using Channel = T;
    using ChannelLayout = Layout;
    static constexpr int maximum = MAX;
    static constexpr bool isFloat = std::is_floating_point_v<T>;
    // What an integer channel is multiplied by on reading (the vector kernels use it too).
    static constexpr double readFactor = 1.0 / static_cast<double>(MAX);

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

    // From unit scale: integers are truncated toward zero, never rounded. Values outside
    // 0..MAX (only non-finite or huge controls can produce them) saturate, and NaN writes 0,
    // where a plain conversion would be undefined.
    static T write(double value) {
        if constexpr (isFloat) {
            return static_cast<T>(value);
        } else {
            const double scaled = value * static_cast<double>(MAX);
            if (!(scaled > 0.0)) {
                return 0;
            }
            if (scaled >= static_cast<double>(MAX)) {
                return static_cast<T>(MAX);
            }
            return static_cast<T>(static_cast<int32_t>(scaled));
        }
    }
};

using Pixel8 = PixelRGB<HostLayout, uint8_t, 1, 0, 255>;
using Pixel16 = PixelRGB<HostLayout, uint16_t, 1, 0, 32768>;
using Pixel32 = PixelRGB<HostLayout, float, 1, 0, 1>;

static_assert(sizeof(Pixel8) == 4 && sizeof(Pixel16) == 8 && sizeof(Pixel32) == 16);
