#include "cli/demo.h"

#include "cli/contact_sheet.h"
#include "cli/gallery.h"
#include "cli/picture.h"
#include "cli/pixel_rows.h"
#include "cli/synthetic_map.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iomanip>
#include <memory>

namespace cli {

namespace {

// |1 - |v|| as a heat colour: black (exact) through red to yellow (0.3 or more off).
void heat(double error, unsigned char rgb[3]) {
    const double t = std::clamp(error / 0.3, 0.0, 1.0);
    rgb[0] = static_cast<unsigned char>(std::lround(255.0 * std::min(1.0, t * 2.0)));
    rgb[1] = static_cast<unsigned char>(std::lround(255.0 * std::max(0.0, t * 2.0 - 1.0)));
    rgb[2] = 0;
}

// Each pixel's length error as a heat colour, in an 8-bit picture of the same size.
Picture lengthErrorMap(const Picture &map) {
    Picture picture = blankPicture(map.width(), map.height(), 8, 3);
    const embedhost::ImagePixels pixels = imagePixels(map);
    for (std::size_t p = 0; p < pixels.count; ++p) {
        const embedhost::Decoded v =
            embedhost::decodeVector(embedhost::unitChannel(pixels, p, 0), embedhost::unitChannel(pixels, p, 1),
                                    embedhost::unitChannel(pixels, p, 2), false);
        heat(std::fabs(1.0 - std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z)), &picture.rgba[p * 4]);
        picture.rgba[p * 4 + 3] = 255;
    }
    return picture;
}

// Input, output, and the length error before and after, side by side and captioned.
void writeComparison(const std::string &path, const Picture &input, const Picture &output) {
    ContactSheet sheet(4, 1, kSyntheticSide / 2);
    sheet.place(0, 0, input, "input");
    sheet.place(1, 0, output, "output (8-bit)");
    sheet.place(2, 0, lengthErrorMap(input), "length error before");
    sheet.place(3, 0, lengthErrorMap(output), "length error after");
    sheet.write(path);
}

void printStats(std::ostream &out, const char *label, const embedhost::LengthStats &stats) {
    out << "  " << std::left << std::setw(22) << label << std::fixed << std::setprecision(4) << "|v| min "
        << stats.minimum << "  mean " << stats.mean << "  max " << stats.maximum << "  off-length "
        << std::setprecision(2) << 100.0 * stats.offShare << "%\n";
}

} // namespace

int runDemo(const std::string &folder, const std::string &modulePath, std::ostream &out) {
    std::filesystem::create_directories(folder);
    captionFont(); // before any work: the pictures need their captions
    embedhost::EffectInstance runner(std::make_shared<const embedhost::PluginModule>(modulePath),
                                     embedhost::Controls{});
    out << "Zephyrine demo: a synthetic " << kSyntheticSide << "x" << kSyntheticSide
        << " normal map with vectors from 0.7 to 1.3 long, through the plug-in\n";

    const Picture input8 = syntheticMap(8);
    writePicture(folder + "/input.png", input8);
    printStats(out, "input (8-bit)", measureLengths(input8, false));

    Picture shown;
    for (int depth : {8, 16, 32}) {
        const Picture input = syntheticMap(depth);
        Picture picture = input;
        renderPicture(runner, picture);
        // The effect's own speed: the fastest of a few renders through the entry point, once
        // the first has started the worker threads.
        double fastest = runner.lastEffectSeconds();
        for (int again = 0; again < 4; ++again) {
            Picture copy = input;
            renderPicture(runner, copy);
            fastest = std::min(fastest, runner.lastEffectSeconds());
        }
        const std::string label = "output (" + std::to_string(depth) + "-bit)";
        printStats(out, label.c_str(), measureLengths(picture, false));
        out << "  " << std::string(22, ' ') << std::setprecision(1) << kSyntheticSide * kSyntheticSide / fastest / 1e6
            << " megapixels per second (the effect)\n";
        writePicture(folder + "/output-" + std::to_string(depth) + "bit.png", picture);
        if (depth == 8) {
            shown = picture;
        }
    }
    writeComparison(folder + "/comparison.png", input8, shown);
    out << "Wrote input.png, output-8bit.png, output-16bit.png, output-32bit.png, comparison.png";
    for (const std::string &name : writeControlGallery(folder, runner)) {
        out << ", " << name;
    }
    out << " to " << folder << "/\n";
    return 0;
}

} // namespace cli
