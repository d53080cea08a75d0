// The kernel levels this processor has, by the names the binaries' environment variable takes:
// tests that load a binary afresh at each level walk them.
#pragma once

#include "filter/row_kernels.h"

#include <string>
#include <vector>

inline std::vector<std::string> levelsThisProcessorHas() {
    std::vector<std::string> names;
    for (const char *name : {"scalar", "sse2", "avx2", "avx512"}) {
        if (supportedVectorLevelNamed(name)) {
            names.push_back(name);
        }
    }
    return names;
}
