// The embedded demonstration: a synthetic, deliberately unnormalised normal map rendered
// through the plug-in at 8, 16 and 32 bits and with each control, with pictures and a summary.
#pragma once

#include <ostream>
#include <string>

namespace cli {

// Writes input.png, output-8bit.png, output-16bit.png, output-32bit.png, comparison.png and
// the control gallery into `folder` and prints the summary. Returns the exit status.
int runDemo(const std::string &folder, const std::string &modulePath, std::ostream &out);

} // namespace cli
