// The command line of zephyrine-render.
#pragma once

#include "embedhost/controls.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace cli {

using embedhost::Controls;

struct Options {
    Controls controls;
    std::vector<std::string> inputs;
    std::string output;    // -o: one output (a frame pattern with --frames)
    std::string outdir;    // --outdir: outputs keep the inputs' names
    std::optional<std::vector<int>> frames;
    int depth = 0;         // 0: the file decides
    std::string part;      // --part: the part (subimage) to render, by index or name; empty: the first
    bool noClobber = false;
    bool inPlace = false;
    bool quiet = false;
    bool time = false;
    bool check = false;
    std::optional<double> failAbove;
    bool demo = false;
    std::string demoDir = "out";
    std::string plugin;    // empty: the module beside the tool
    int jobs = 0;          // files at once; 0: one per hardware thread
    std::optional<std::size_t> maxMemory; // unset: what the system has available
    bool help = false;
    bool version = false;
};

struct ParseResult {
    Options options;
    std::string error; // non-empty: a usage error
};

ParseResult parseOptions(const std::vector<std::string> &arguments);

extern const char *const kUsage;

// The usage lines, then every option by group with what it does, exit status and examples.
std::string helpText();

// "zephyrine-render 1.0.0".
std::string versionText();

} // namespace cli
