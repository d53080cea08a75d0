// A host world as the filter's image record: its pixels, size, row pitch and depth. The render
// commands then set what the host says besides (origin, layer size, aspect, scale).
#pragma once

#include "api/effect_api.h"
#include "filter/image_desc.h"

#include <cstdint>

inline ImageDesc describeWorld(const PF_LayerDef &world, int32_t bitDepth) {
    ImageDesc desc;
    desc.data = world.data;
    desc.width = world.width;
    desc.height = world.height;
    desc.rowBytes = world.rowbytes;
    desc.bitDepth = bitDepth;
    desc.layerWidth = world.width;
    desc.layerHeight = world.height;
    desc.valid = true;
    return desc;
}
