// The running executable's full path, as the system tells it; empty when it cannot.
#pragma once

#include <string>

namespace platform {

std::string executablePath();

} // namespace platform
