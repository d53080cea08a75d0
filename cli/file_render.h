// One file through the effect: every MIP level of the chosen part rendered, the file's other
// parts copied as stored, tiling and channel types kept where the output's format holds them,
// all into one output that appears whole or not at all.
#pragma once

#include "cli/image_file.h"
#include "embedhost/effect_instance.h"

#include <string>
#include <vector>

namespace cli {

struct FileRender {
    double decodeSeconds = 0.0, renderSeconds = 0.0, encodeSeconds = 0.0;
    double megapixels = 0.0; // rendered, over every level
    // What the output's format could not keep, one line each (alpha, precision, parts, levels).
    std::vector<std::string> losses;
};

// Renders `file` at `depth` through `runner` into `outputPath`. Throws FileError or RenderError;
// nothing is left at `outputPath` then.
FileRender renderFile(ImageFile &file, const std::string &outputPath, int depth, embedhost::EffectInstance &runner);

} // namespace cli
