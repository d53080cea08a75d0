#include "cli/gallery.h"

#include "cli/contact_sheet.h"
#include "cli/pixel_rows.h"
#include "cli/synthetic_map.h"

#include <cstdio>

namespace cli {

namespace {

Picture rendered(embedhost::EffectInstance &runner, const Picture &input, const embedhost::Controls &controls) {
    Picture picture = input;
    runner.setControls(controls);
    renderPicture(runner, picture);
    return picture;
}

std::string strength(double value) {
    char text[16];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// One row a tilt: the plain render, then the tilt at -1, -0.5, 0.5 and 1.
void writeTilts(const std::string &path, embedhost::EffectInstance &runner, const Picture &input) {
    struct Tilt {
        const char *name;
        double embedhost::Controls::*control;
    };
    const Tilt tilts[] = {{"tilt forward", &embedhost::Controls::tiltForward},
                          {"tilt sideways", &embedhost::Controls::tiltSideways},
                          {"tilt upwards", &embedhost::Controls::tiltUpwards}};
    const double strengths[] = {-1.0, -0.5, 0.5, 1.0};
    ContactSheet sheet(5, 3, 200);
    const Picture plain = rendered(runner, input, embedhost::Controls{});
    for (int row = 0; row < 3; ++row) {
        sheet.place(0, row, plain, std::string(tilts[row].name) + " 0");
        for (int column = 1; column <= 4; ++column) {
            embedhost::Controls controls;
            controls.*tilts[row].control = strengths[column - 1];
            sheet.place(column, row, rendered(runner, input, controls),
                        std::string(tilts[row].name) + " " + strength(strengths[column - 1]));
        }
    }
    sheet.write(path);
}

void writeInversions(const std::string &path, embedhost::EffectInstance &runner, const Picture &input) {
    struct Setting {
        const char *caption;
        bool embedhost::Controls::*flag;
    };
    const Setting settings[] = {{"invert x(red)", &embedhost::Controls::invertX},
                                {"invert y(green)", &embedhost::Controls::invertY},
                                {"invert z(blue)", &embedhost::Controls::invertZ},
                                {"invert all", &embedhost::Controls::invertAll}};
    ContactSheet sheet(4, 2, 240);
    sheet.place(0, 0, input, "input (not normalised)");
    sheet.place(1, 0, rendered(runner, input, embedhost::Controls{}), "output, every control off");
    for (int i = 0; i < 4; ++i) {
        embedhost::Controls controls;
        controls.*settings[i].flag = true;
        sheet.place((i + 2) % 4, (i + 2) / 4, rendered(runner, input, controls), settings[i].caption);
    }
    const Picture traditional = syntheticMap(8, MapStorage::traditional);
    sheet.place(2, 1, traditional, "map stored traditionally");
    embedhost::Controls traditionalFormat;
    traditionalFormat.traditional = true;
    sheet.place(3, 1, rendered(runner, traditional, traditionalFormat), "traditional format on");
    sheet.write(path);
}

} // namespace

std::vector<std::string> writeControlGallery(const std::string &folder, embedhost::EffectInstance &runner) {
    const Picture input = syntheticMap(8);
    writeTilts(folder + "/controls-tilts.png", runner, input);
    writeInversions(folder + "/controls-inversions.png", runner, input);
    runner.setControls(embedhost::Controls{});
    return {"controls-tilts.png", "controls-inversions.png"};
}

} // namespace cli
