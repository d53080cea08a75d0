// Writes a test sequence of half-float RGBA EXR frames whose vectors vary from frame to frame
// and are deliberately not unit length, for the farm test.
//   make_sequence PATTERN FIRST LAST WIDTH HEIGHT    (PATTERN holds ####)
#include "cli/frame_list.h"

#include <OpenImageIO/imageio.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char **argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: make_sequence PATTERN FIRST LAST WIDTH HEIGHT\n");
        return 2;
    }
    const std::string pattern = argv[1];
    const int first = std::stoi(argv[2]), last = std::stoi(argv[3]);
    const int width = std::stoi(argv[4]), height = std::stoi(argv[5]);
    for (int frame = first; frame <= last; ++frame) {
        std::vector<float> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                float *p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
                const double u = x / static_cast<double>(width), v = y / static_cast<double>(height);
                p[0] = static_cast<float>(0.5 + 0.45 * std::sin(6.0 * u + 0.3 * frame));
                p[1] = static_cast<float>(0.5 + 0.45 * std::cos(5.0 * v - 0.2 * frame));
                p[2] = static_cast<float>(0.7 + 0.3 * std::sin(3.0 * (u + v) + 0.1 * frame));
                p[3] = static_cast<float>(0.25 + 0.75 * u);
            }
        }
        const std::string path = cli::expandFramePattern(pattern, frame);
        auto out = OIIO::ImageOutput::create(path);
        OIIO::ImageSpec spec(width, height, 4, OIIO::TypeDesc::HALF);
        if (!out || !out->open(path, spec) || !out->write_image(OIIO::TypeDesc::FLOAT, pixels.data()) ||
            !out->close()) {
            std::fprintf(stderr, "make_sequence: cannot write %s: %s\n", path.c_str(), OIIO::geterror().c_str());
            return 1;
        }
    }
    return 0;
}
