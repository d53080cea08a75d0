// One render call: a filter of the call's pixel format, filled from the current parameter
// values and the two images, run over its row bands by the host adapter.
#pragma once

#include "filter/pixel_formats.h"
#include "filter/zephyrine_filter.h"
#include "host/image_desc.h"
#include "params/zephyrine_parameters.h"

#include "params/numeric_conversions.h"

// The host keeps slider values as doubles, but the tilts take effect at single precision:
// 0.1 acts as 0.100000001490116.
inline double throughSinglePrecision(double value) { return static_cast<double>(narrowToFloat(value)); }

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
