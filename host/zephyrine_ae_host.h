// The effect's host adapter for After Effects: renders at 8, 16 and 32 bits per channel.
#pragma once

#include "host/after_effects_host.h"
#include "host/zephyrine_host.h"

class ZephyrineAEHost : public ZephyrineHost<AfterEffectsHost> {
public:
    using ZephyrineHost<AfterEffectsHost>::ZephyrineHost;

    PF_Err render8(const ImageDesc &source, const ImageDesc &output, const LayerInputs &extraInputs) override;
    PF_Err render16(const ImageDesc &source, const ImageDesc &output, const LayerInputs &extraInputs) override;
    PF_Err render32(const ImageDesc &source, const ImageDesc &output, const LayerInputs &extraInputs) override;

private:
    // The images' channel order picks the format: After Effects' ARGB or Premiere's BGRA.
    template <class Argb, class Bgra> PF_Err renderIn(const ImageDesc &source, const ImageDesc &output);
    template <class Pixel> PF_Err renderAt(const ImageDesc &source, const ImageDesc &output);
};
