#include "ofx/converted_rows.h"

#include "filter/full_range16.h"
#include "filter/pixel_formats.h"
#include "filter/row_kernels.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

template <class T> struct RgbaKernelPixel;
template <> struct RgbaKernelPixel<uint8_t> { using type = RgbaPixel8; };
template <> struct RgbaKernelPixel<uint16_t> { using type = RgbaPixel16; };
template <> struct RgbaKernelPixel<float> { using type = RgbaPixel32; };

template <class T> T toEffect(T value) {
    if constexpr (std::is_same_v<T, uint16_t>) {
        return fullRangeToEffect16(value);
    } else {
        return value;
    }
}

template <class T> T fromEffect(T value) {
    if constexpr (std::is_same_v<T, uint16_t>) {
        return effectToFullRange16(value);
    } else {
        return value;
    }
}

} // namespace

template <class T, int Components>
void transformThroughRgba(const VectorControls &controls, const unsigned char *from, unsigned char *to, int32_t count) {
    static_assert(Components == 3 || Components == 4);
    const RowFunction kernel = activeRowKernels().rowFor<typename RgbaKernelPixel<T>::type>();
    constexpr int32_t kChunk = 256;
    constexpr std::size_t kPixelBytes = Components * sizeof(T);
    // The stored pixels are copied in first: rows need no alignment, and the chunk's alpha
    // stays in them as stored while the colours come back.
    T stored[kChunk * Components];
    T rgba[kChunk * 4];
    for (int32_t done = 0; done < count; done += kChunk) {
        const int32_t pixels = std::min(kChunk, count - done);
        const std::size_t bytes = static_cast<std::size_t>(pixels) * kPixelBytes;
        std::memcpy(stored, from + static_cast<std::size_t>(done) * kPixelBytes, bytes);
        for (int32_t i = 0; i < pixels; ++i) {
            for (int c = 0; c < 3; ++c) {
                rgba[4 * i + c] = toEffect(stored[Components * i + c]);
            }
            rgba[4 * i + 3] = Components == 4 ? stored[Components * i + Components - 1] : T{};
        }
        auto *chunk = reinterpret_cast<unsigned char *>(rgba);
        kernel(controls, chunk, chunk, pixels);
        for (int32_t i = 0; i < pixels; ++i) {
            for (int c = 0; c < 3; ++c) {
                stored[Components * i + c] = fromEffect(rgba[4 * i + c]);
            }
        }
        std::memcpy(to + static_cast<std::size_t>(done) * kPixelBytes, stored, bytes);
    }
}

template void transformThroughRgba<uint16_t, 4>(const VectorControls &, const unsigned char *, unsigned char *,
                                                int32_t);
template void transformThroughRgba<uint8_t, 3>(const VectorControls &, const unsigned char *, unsigned char *, int32_t);
template void transformThroughRgba<uint16_t, 3>(const VectorControls &, const unsigned char *, unsigned char *,
                                                int32_t);
template void transformThroughRgba<float, 3>(const VectorControls &, const unsigned char *, unsigned char *, int32_t);
