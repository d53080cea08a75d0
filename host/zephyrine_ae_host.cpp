#include "host/zephyrine_ae_host.h"

#include "filter/render_driver.h"

PF_Err ZephyrineAEHost::render8(const ImageDesc &source, const ImageDesc &output, const LayerInputs &) {
    return renderFilter<Pixel8>(*this, *this, source, output);
}

PF_Err ZephyrineAEHost::render16(const ImageDesc &source, const ImageDesc &output, const LayerInputs &) {
    return renderFilter<Pixel16>(*this, *this, source, output);
}

PF_Err ZephyrineAEHost::render32(const ImageDesc &source, const ImageDesc &output, const LayerInputs &) {
    return renderFilter<Pixel32>(*this, *this, source, output);
}
