// Facts about the machine and the process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Number of processors the system reports (at least 1).
int32_t processorCount();

// Whether a file (or folder) exists at `path`; asks the file system without opening or
// allocating anything.
bool fileExists(const char *path);

// The value of an environment variable, if it is set.
std::optional<std::string> environmentVariable(const char *name);

} // namespace platform
