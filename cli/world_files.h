// Image files straight into a host world and back, a strip of rows at a time: the move
// between the file's RGBA and the host's ARGB happens on each strip while it is in cache, so
// a batch needs no picture-sized buffer besides the host's two worlds.
#pragma once

#include "cli/atomic_write.h"
#include "embedhost/world.h"

#include <OpenImageIO/imageio.h>

namespace cli {

// Decodes one level of one part, described by `spec`, into a world of its size at a depth.
// Throws FileError.
void decodeIntoWorld(OIIO::ImageInput &input, int part, int level, const OIIO::ImageSpec &spec, int depth,
                     embedhost::World &world);

// Writes the rendered world as the level the file has open, described by `spec` (tiled or
// not as the output is). Throws FileError.
void writeFromWorld(PartialFile &file, const OIIO::ImageSpec &spec, int depth, embedhost::World &rendered);

// Copies one level of a part as it is stored, channel types and all. Throws FileError.
void copyLevel(OIIO::ImageInput &input, int part, int level, PartialFile &file);

} // namespace cli
