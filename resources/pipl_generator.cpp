// Build tool: writes the property list bytes to a file for the resource compiler.
//   pipl_generator OUTPUT
#include "resources/pipl.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pipl_generator OUTPUT\n");
        return 2;
    }
    std::FILE *out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(pipl::kBytes.data(), 1, pipl::kBytes.size(), out) == pipl::kBytes.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
