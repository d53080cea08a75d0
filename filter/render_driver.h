// One render call: a filter of the call's pixel format, filled from the current parameter
// values and the two images, run over its row bands by the host adapter.
#pragma once

#include "filter/pixel_formats.h"
#include "filter/zephyrine_filter.h"
#include "host/image_desc.h"
#include "params/zephyrine_parameters.h"

#include "params/numeric_conversions.h"

#include <cstdint>
#include <cstdlib>

// The host keeps slider values as doubles, but the tilts take effect at single precision:
// 0.1 acts as 0.100000001490116.
inline double throughSinglePrecision(double value) { return static_cast<double>(narrowToFloat(value)); }

// Whether every row of an image has room for its width in pixels: a host record that says
// otherwise (a world announced at a deeper depth than it was made for) would have the filter
// read or write past its rows.
template <class Pixel> bool rowsHoldTheirPixels(const ImageDesc &image) {
    const int64_t pitch = image.rowBytes;
    return !image.valid || image.data == nullptr || image.width <= 0 ||
           std::abs(pitch) >= int64_t{image.width} * static_cast<int64_t>(sizeof(Pixel));
}

template <class Pixel>
PF_Err renderFilter(CorvanthisHost &host, const ZephyrineParameters &parameters, const ImageDesc &source,
                    const ImageDesc &output) {
    if (!rowsHoldTheirPixels<Pixel>(source) || !rowsHoldTheirPixels<Pixel>(output)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    using View = PixelArray<Pixel, 0, 0>;
    ZephyrineFilter<View> filter(&host);
    filter.controls.tiltForward = throughSinglePrecision(parameters.tiltForward.value());
    filter.controls.tiltSideways = throughSinglePrecision(parameters.tiltSideways.value());
    filter.controls.tiltUpwards = throughSinglePrecision(parameters.tiltUpwards.value());
    filter.controls.invertX = parameters.invertX.value() ? 1 : 0;
    filter.controls.invertY = parameters.invertY.value() ? 1 : 0;
    filter.controls.invertZ = parameters.invertZ.value() ? 1 : 0;
    filter.controls.invertAll = parameters.invertAll.value() ? 1 : 0;
    filter.controls.traditionalFormat = parameters.traditionalFormat.value() ? 1 : 0;
    filter.input = View::fromDesc(source);
    filter.output = View::fromDesc(output);
    return filter.apply();
}
