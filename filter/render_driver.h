// One render call: a filter of the call's pixel format, filled from the frame's controls and
// the two images, run over its row bands by the host.
#pragma once

#include "filter/image_desc.h"
#include "filter/pixel_formats.h"
#include "filter/render_services.h"
#include "filter/zephyrine_filter.h"
#include "params/numeric_conversions.h"

#include <cstdint>
#include <cstdlib>

// The hosts keep slider values as doubles, but the tilts take effect at single precision:
// 0.1 acts as 0.100000001490116, in every host.
inline double throughSinglePrecision(double value) { return static_cast<double>(narrowToFloat(value)); }

// Whether every row of an image has room for its width in pixels: a host record that says
// otherwise (a world announced at a deeper depth than it was made for) would have the filter
// read or write past its rows.
template <class Pixel> bool rowsHoldTheirPixels(const ImageDesc &image) {
    const int64_t pitch = image.rowBytes;
    return !image.valid || image.data == nullptr || image.width <= 0 ||
           std::abs(pitch) >= int64_t{image.width} * static_cast<int64_t>(sizeof(Pixel));
}

template <class Pixel, RenderServices Host>
int32_t renderFilter(Host &host, const VectorControls &controls, const ImageDesc &source, const ImageDesc &output) {
    using View = PixelArray<Pixel, 0, 0>;
    ZephyrineFilter<View, Host> filter(&host);
    filter.controls = controls;
    filter.input = View::fromDesc(source);
    filter.output = View::fromDesc(output);
    return filter.apply();
}
