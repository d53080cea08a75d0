// The effect's eight controls as a host sets them: the command line, the Python module.
#pragma once

namespace embedhost {

struct Controls {
    double tiltForward = 0.0;
    double tiltSideways = 0.0;
    double tiltUpwards = 0.0;
    bool invertX = false;
    bool invertY = false;
    bool invertZ = false;
    bool invertAll = false;
    bool traditional = false;
};

} // namespace embedhost
