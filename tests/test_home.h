// Every test gets a home folder of its own beside the test executable (never the user's real
// one): HOME points there before anything in the process, or a module it loads, uses the log.
#pragma once

#include <string>
#include <vector>

namespace test_home {

// Makes a fresh, empty home folder for this executable and points HOME (and HOMEPATH) at it.
void prepare(const std::string &executableName);

std::string folder();
// The file whose existence switches the log on.
std::string logPath();
// Creates the switch file (empty) unless it exists.
void switchLogOn();
// Every line of the log file, without line ends.
std::vector<std::string> logLines();
// The lines from line `first` (0-based) on: what was written since the count was taken.
std::vector<std::string> logLinesFrom(std::size_t first);

// Sets or removes an environment variable in this process.
void setVariable(const char *name, const std::string &value);
void removeVariable(const char *name);

} // namespace test_home
