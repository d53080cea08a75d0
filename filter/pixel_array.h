// A view of one image: size, row pitch and the host's pixel memory, which it does not own.
#pragma once

#include "filter/image_desc.h"

#include <cstddef>
#include <cstdint>

template <class Pixel, int A, int B> struct PixelArray {
    using PixelType = Pixel;

    int32_t width = 0;
    int32_t height = 0;
    int32_t rowBytes = 0; // may be negative
    int32_t pixelBytes = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    double pixelAspect = 1.0;
    unsigned char *data = nullptr;
    bool hasData = false;
    bool extraFlag = false;

    static PixelArray fromDesc(const ImageDesc &desc) {
        PixelArray view;
        view.width = desc.width;
        view.height = desc.height;
        view.rowBytes = desc.rowBytes;
        view.pixelBytes = static_cast<int32_t>(sizeof(Pixel));
        view.originX = desc.originX;
        view.originY = desc.originY;
        view.pixelAspect = desc.pixelAspect;
        view.data = static_cast<unsigned char *>(desc.data);
        view.hasData = desc.valid && desc.data != nullptr;
        view.extraFlag = desc.extraFlag;
        return view;
    }

    // First byte of row y, in 64-bit signed arithmetic so large and negative pitches are exact.
    unsigned char *row(int32_t y) const { return data + static_cast<std::ptrdiff_t>(y) * rowBytes; }
};
