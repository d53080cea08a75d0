// Image files straight into a host world and back, a strip of rows at a time: the move
// between the file's RGBA and the host's ARGB happens on each strip while it is in cache, so
// a batch needs no picture-sized buffer besides the host's two worlds.
#pragma once

#include "cli/picture.h"
#include "embedhost/world.h"

#include <string>

namespace cli {

// Decodes the file into a world of its size at a depth. Throws FileError.
void decodeIntoWorld(ImageFile &file, int depth, embedhost::World &world);

// Writes a file described by `spec` (the input's own: format, channels, metadata) from the
// rendered world, atomically. Throws FileError.
void writeFromWorld(const std::string &path, const OIIO::ImageSpec &spec, int depth, embedhost::World &rendered);

} // namespace cli
