// The effect's eight controls, in host order: ids and host indexes 1 to 8.
#pragma once

#include "params/parameter_list.h"
#include "params/parameter_objects.h"

class ZephyrineParameters : public xParameterList {
public:
    ZephyrineParameters();
    ZephyrineParameters(const ZephyrineParameters &) = delete;
    ZephyrineParameters &operator=(const ZephyrineParameters &) = delete;

    xFloat tiltForward;
    xFloat tiltSideways;
    xFloat tiltUpwards;
    xCheckbox invertX;
    xCheckbox invertY;
    xCheckbox invertZ;
    xCheckbox invertAll;
    xCheckbox traditionalFormat;
};
