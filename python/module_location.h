// Where the Python module finds the plug-in module it renders with. The extension ships
// without the effect's code: like any host, it loads zephyrine.so and reaches it only through
// its entry point.
#pragma once

#include <string>
#include <vector>

namespace zephyrine_python {

// The environment variable that names the plug-in module outright.
inline constexpr const char *kPluginVariable = "ZEPHYRINE_PLUGIN";

// The files to try, in order: the variable's value alone when it is set; else the package's
// place relative to this extension's own file (dist-packages/../../zephyrine/zephyrine.so,
// i.e. /usr/lib/zephyrine/zephyrine.so when installed), then the build tree's
// (python/../bin/zephyrine.so). Relative paths, so an unpacked or relocated package finds
// its own module and no build-machine path is compiled in.
std::vector<std::string> pluginCandidates();

// The first candidate that exists; throws std::runtime_error naming every file tried.
std::string locatePlugin();

} // namespace zephyrine_python
