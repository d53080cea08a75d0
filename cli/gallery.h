// The demo's pictures of what each control does, for the user guide: the synthetic map
// rendered with each tilt at four strengths, with each inversion, and in the traditional
// format, each panel captioned in the image.
#pragma once

#include "embedhost/effect_instance.h"

#include <string>
#include <vector>

namespace cli {

// Writes controls-tilts.png and controls-inversions.png into `folder`; returns their names.
// Leaves the runner's controls at their defaults.
std::vector<std::string> writeControlGallery(const std::string &folder, embedhost::EffectInstance &runner);

} // namespace cli
