// Where the C interface finds the plug-in module it renders with. The library ships without
// the effect's code: like any host, it loads zephyrine.so and reaches it only through its
// entry point.
#pragma once

#include <string>
#include <vector>

namespace embedhost {

// The environment variable that names the plug-in module outright.
inline constexpr const char *kPluginVariable = "ZEPHYRINE_PLUGIN";

// The files to try, in order: the variable's value alone when it is set; else zephyrine.so in
// the folder of the library this code was loaded from, wherever it is installed, so an
// unpacked or relocated package finds its own module and no build-machine path is compiled in.
std::vector<std::string> pluginCandidates();

// The first candidate that exists; throws std::runtime_error naming every file tried.
std::string locatePlugin();

} // namespace embedhost
