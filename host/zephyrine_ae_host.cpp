#include "host/zephyrine_ae_host.h"

#include "filter/render_driver.h"

namespace {

// The eight controls as the kernel takes them, read once per render.
VectorControls controlsFrom(const ZephyrineParameters &parameters) {
    VectorControls controls;
    controls.tiltForward = throughSinglePrecision(parameters.tiltForward.value());
    controls.tiltSideways = throughSinglePrecision(parameters.tiltSideways.value());
    controls.tiltUpwards = throughSinglePrecision(parameters.tiltUpwards.value());
    controls.invertX = parameters.invertX.value() ? 1 : 0;
    controls.invertY = parameters.invertY.value() ? 1 : 0;
    controls.invertZ = parameters.invertZ.value() ? 1 : 0;
    controls.invertAll = parameters.invertAll.value() ? 1 : 0;
    controls.traditionalFormat = parameters.traditionalFormat.value() ? 1 : 0;
    return controls;
}

} // namespace

template <class Pixel> PF_Err ZephyrineAEHost::renderAt(const ImageDesc &source, const ImageDesc &output) {
    if (!rowsHoldTheirPixels<Pixel>(source) || !rowsHoldTheirPixels<Pixel>(output)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    return renderFilter<Pixel>(*this, controlsFrom(*this), source, output);
}

// Premiere's own formats hold the channels as B, G, R, A; both images come in one order.
template <class Argb, class Bgra> PF_Err ZephyrineAEHost::renderIn(const ImageDesc &source, const ImageDesc &output) {
    return output.channelOrder == ChannelOrder::bgra ? renderAt<Bgra>(source, output) : renderAt<Argb>(source, output);
}

PF_Err ZephyrineAEHost::render8(const ImageDesc &source, const ImageDesc &output, const LayerInputs &) {
    return renderIn<Pixel8, BgraPixel8>(source, output);
}

PF_Err ZephyrineAEHost::render16(const ImageDesc &source, const ImageDesc &output, const LayerInputs &) {
    return renderIn<Pixel16, BgraPixel16>(source, output);
}

PF_Err ZephyrineAEHost::render32(const ImageDesc &source, const ImageDesc &output, const LayerInputs &) {
    return renderIn<Pixel32, BgraPixel32>(source, output);
}
