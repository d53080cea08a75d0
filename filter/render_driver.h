// One render call: a filter of the call's pixel format, filled from the current parameter
// values and the two images, run over its row bands by the host adapter.
#pragma once

#include "filter/pixel_formats.h"
#include "filter/zephyrine_filter.h"
#include "host/image_desc.h"
#include "params/zephyrine_parameters.h"

#include <cfloat>
#include <cmath>
#include <limits>

// The host keeps slider values as doubles, but the tilts take effect at single precision:
// 0.1 acts as 0.100000001490116. Defined for every double (a plain narrowing of a value beyond
// the float range is undefined).
inline double throughSinglePrecision(double value) {
    constexpr double kOverflow = static_cast<double>(FLT_MAX) + 0x1p103; // rounds to infinity from here on
    if (std::fabs(value) >= kOverflow) {
        return std::copysign(std::numeric_limits<double>::infinity(), value);
    }
    return static_cast<double>(static_cast<float>(value));
}

template <class Pixel>
PF_Err renderFilter(CorvanthisHost &host, const ZephyrineParameters &parameters, const ImageDesc &source,
                    const ImageDesc &output) {
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
