#include "cli/gallery.h"

#include "cli/contact_sheet.h"
#include "cli/synthetic_map.h"

#include <cstdio>

namespace cli {

namespace {

Picture rendered(EffectRunner &runner, const Picture &input, const Controls &controls) {
    Picture picture = input;
    runner.setControls(controls);
    runner.render(picture);
    return picture;
}

std::string strength(double value) {
    char text[16];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// One row a tilt: the plain render, then the tilt at -1, -0.5, 0.5 and 1.
void writeTilts(const std::string &path, EffectRunner &runner, const Picture &input) {
    struct Tilt {
        const char *name;
        double Controls::*control;
    };
    const Tilt tilts[] = {{"tilt forward", &Controls::tiltForward},
                          {"tilt sideways", &Controls::tiltSideways},
                          {"tilt upwards", &Controls::tiltUpwards}};
    const double strengths[] = {-1.0, -0.5, 0.5, 1.0};
    ContactSheet sheet(5, 3, 200);
    const Picture plain = rendered(runner, input, Controls{});
    for (int row = 0; row < 3; ++row) {
        sheet.place(0, row, plain, std::string(tilts[row].name) + " 0");
        for (int column = 1; column <= 4; ++column) {
            Controls controls;
            controls.*tilts[row].control = strengths[column - 1];
            sheet.place(column, row, rendered(runner, input, controls),
                        std::string(tilts[row].name) + " " + strength(strengths[column - 1]));
        }
    }
    sheet.write(path);
}

void writeInversions(const std::string &path, EffectRunner &runner, const Picture &input) {
    struct Setting {
        const char *caption;
        bool Controls::*flag;
    };
    const Setting settings[] = {{"invert x(red)", &Controls::invertX},
                                {"invert y(green)", &Controls::invertY},
                                {"invert z(blue)", &Controls::invertZ},
                                {"invert all", &Controls::invertAll}};
    ContactSheet sheet(4, 2, 240);
    sheet.place(0, 0, input, "input (not normalised)");
    sheet.place(1, 0, rendered(runner, input, Controls{}), "output, every control off");
    for (int i = 0; i < 4; ++i) {
        Controls controls;
        controls.*settings[i].flag = true;
        sheet.place((i + 2) % 4, (i + 2) / 4, rendered(runner, input, controls), settings[i].caption);
    }
    const Picture traditional = syntheticMap(8, MapStorage::traditional);
    sheet.place(2, 1, traditional, "map stored traditionally");
    Controls traditionalFormat;
    traditionalFormat.traditional = true;
    sheet.place(3, 1, rendered(runner, traditional, traditionalFormat), "traditional format on");
    sheet.write(path);
}

} // namespace

std::vector<std::string> writeControlGallery(const std::string &folder, EffectRunner &runner) {
    const Picture input = syntheticMap(8);
    writeTilts(folder + "/controls-tilts.png", runner, input);
    writeInversions(folder + "/controls-inversions.png", runner, input);
    runner.setControls(Controls{});
    return {"controls-tilts.png", "controls-inversions.png"};
}

} // namespace cli
