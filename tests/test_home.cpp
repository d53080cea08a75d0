#include "test_home.h"

#include "platform/module.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace test_home {

namespace {

std::string home;

} // namespace

void setVariable(const char *name, const std::string &value) {
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

void removeVariable(const char *name) {
#if defined(_WIN32)
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

void prepare(const std::string &executableName) {
    home = platform::executableDirectory() + "/home-" + std::filesystem::path(executableName).stem().string();
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home + "/corvanthis");
    setVariable("HOME", home);
    setVariable("HOMEPATH", home);
}

std::string folder() { return home; }

std::string logPath() { return home + "/corvanthis/zephyrine_ae.log"; }

void switchLogOn() {
    if (!std::filesystem::exists(logPath())) {
        std::ofstream(logPath()).flush();
    }
}

std::vector<std::string> logLines() {
    std::vector<std::string> lines;
    std::ifstream file(logPath());
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> logLinesFrom(std::size_t first) {
    const std::vector<std::string> lines = logLines();
    return std::vector<std::string>(lines.begin() + static_cast<long>(std::min(first, lines.size())), lines.end());
}

} // namespace test_home

int main(int argc, char **argv) {
    test_home::prepare(argv[0]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
