// One image handed from the render commands to the render driver. It carries no pixels of its
// own: the memory belongs to the host.
#pragma once

#include <cstdint>

// The order of the four channels in memory: After Effects' worlds, and Premiere Pro's own formats.
enum class ChannelOrder : int32_t { argb, bgra };

struct ImageDesc {
    void *data = nullptr; // first byte of row 0
    int32_t width = 0;
    int32_t height = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t rowBytes = 0; // may be negative: rows then run backwards through memory
    int32_t bitDepth = 0;
    int32_t layerWidth = 0;
    int32_t layerHeight = 0;
    double pixelAspect = 1.0;
    double scaleX = 1.0;
    double scaleY = 1.0;
    bool valid = false;
    bool extraFlag = false;
    ChannelOrder channelOrder = ChannelOrder::argb;
};
