// Writing an image file so that no reader ever sees half of it: into a temporary file beside
// the target (in a folder made if missing), renamed into place once complete.
#pragma once

#include <OpenImageIO/imageio.h>

#include <functional>
#include <string>

namespace cli {

// Opens the temporary file with `spec` (alpha unassociated, no dither), lets `writePixels`
// write them, closes and renames. Throws FileError naming what failed; nothing is left behind.
void writeAtomically(const std::string &path, OIIO::ImageSpec spec,
                     const std::function<bool(OIIO::ImageOutput &)> &writePixels);

// The channel type pixels are held in at a render depth.
OIIO::TypeDesc typeForDepth(int depth);

} // namespace cli
