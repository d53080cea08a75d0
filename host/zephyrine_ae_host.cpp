#include "host/zephyrine_ae_host.h"

PF_Err ZephyrineAEHost::render8(const ImageDesc &, const ImageDesc &, const LayerInputs &) { return noError(); }
PF_Err ZephyrineAEHost::render16(const ImageDesc &, const ImageDesc &, const LayerInputs &) { return noError(); }
PF_Err ZephyrineAEHost::render32(const ImageDesc &, const ImageDesc &, const LayerInputs &) { return noError(); }
