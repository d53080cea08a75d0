// Pixels between an image's rows as files and arrays hold them (interleaved RGB or RGBA; 16-bit
// white is 65535) and a host world's rows (ARGB; 16-bit white is 32768). The tool and the
// Python module both map through these, so the same pixels give the same bits in either. The
// loops hold no per-pixel branch or call, so the compiler turns them into vector code.
//
// Alpha goes into the world as the image stores it (at 16 bits too: 32769..65535 are alpha
// values the effect's 16-bit world holds) and comes back from the rendered world: the effect
// passes alpha through as stored at every depth. An image without alpha gives the world an
// opaque one.
#pragma once

#include "filter/full_range16.h"

#include <cstdint>

namespace embedhost {

// How an image row lays out its channels: `channels` (3 or 4) of every pixel are meant,
// `stride` (3 or 4, at least `channels`) channel slots apart.
struct ImageLayout {
    int channels = 4;
    int stride = 4;
};

// One row of `width` image pixels of channel type by `depth` (8, 16, 32) into a world row.
void imageRowToWorld(int depth, const unsigned char *image, ImageLayout layout, unsigned char *world, int width);
// A rendered world row into an image row; with three channels the image's fourth slot, if it
// has one, is left as it is.
void worldRowToImage(int depth, const unsigned char *rendered, unsigned char *image, ImageLayout layout, int width);

} // namespace embedhost
