#include "ofx/controls.h"

#include "filter/render_driver.h"
#include "params/zephyrine_controls.h"

const std::array<OfxControl, kControlCount> &ofxControls() {
    const ZephyrineControls &c = zephyrineControls();
    static const std::array<OfxControl, kControlCount> controls = {{
        {"tiltForward", &c.tiltForward},
        {"tiltSideways", &c.tiltSideways},
        {"tiltUpwards", &c.tiltUpwards},
        {"invertX", &c.invertX},
        {"invertY", &c.invertY},
        {"invertZ", &c.invertZ},
        {"invertAll", &c.invertAll},
        {"traditionalFormat", &c.traditionalFormat},
    }};
    return controls;
}

std::optional<VectorControls> controlsAt(const HostSuites &suites, const ControlHandles &handles, OfxTime time) {
    const OfxParameterSuiteV1 &suite = *suites.parameter;
    double tilts[3] = {};
    int switches[5] = {}; // booleans come back as int, never bool, through the variadic getter
    for (std::size_t i = 0; i < 3; ++i) {
        if (suite.paramGetValueAtTime(handles[i], time, &tilts[i]) != kOfxStatOK) {
            return std::nullopt;
        }
    }
    for (std::size_t i = 0; i < 5; ++i) {
        if (suite.paramGetValueAtTime(handles[3 + i], time, &switches[i]) != kOfxStatOK) {
            return std::nullopt;
        }
    }
    VectorControls controls;
    controls.tiltForward = throughSinglePrecision(tilts[0]);
    controls.tiltSideways = throughSinglePrecision(tilts[1]);
    controls.tiltUpwards = throughSinglePrecision(tilts[2]);
    controls.invertX = switches[0] != 0 ? 1 : 0;
    controls.invertY = switches[1] != 0 ? 1 : 0;
    controls.invertZ = switches[2] != 0 ? 1 : 0;
    controls.invertAll = switches[3] != 0 ? 1 : 0;
    controls.traditionalFormat = switches[4] != 0 ? 1 : 0;
    return controls;
}
