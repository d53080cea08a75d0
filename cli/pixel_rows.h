// Pixels between a file's rows (RGBA, or RGB; 16-bit white is 65535) and a host world's rows
// (ARGB; 16-bit white is 32768). The loops hold no per-pixel branch or call, so the compiler
// turns them into vector code; they run on a strip of rows while it is in cache, as the file
// is decoded or encoded.
//
// Alpha goes into the world as the file stores it (at 16 bits too: 32769..65535 are alpha
// values the effect's 16-bit world holds) and comes back from the rendered world: the effect
// passes alpha through as stored at every depth.
#pragma once

#include "cli/picture.h"
#include "filter/full_range16.h"
#include "hostsim/world.h"

#include <cstdint>

namespace cli {

// One row of `width` file pixels of four channel slots (the fourth unused when the file has
// three channels: the world then gets an opaque alpha) into a world row.
void fileRowToWorld(int depth, const unsigned char *file, int fileChannels, unsigned char *world, int width);
// A rendered world row into a file row of four channel slots.
void worldRowToFile(int depth, const unsigned char *rendered, unsigned char *file, int width);

// The same over a whole picture (always four channels), for the demo's in-memory pictures.
void pictureToWorld(const Picture &picture, hostsim::World &world);
void worldToPicture(hostsim::World &rendered, Picture &picture);

} // namespace cli
