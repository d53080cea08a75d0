// The effect's eight controls as host-neutral definitions, in host order: names, ids,
// defaults and ranges. Every front-end registers its controls from these.
#pragma once

#include "params/parameter_definitions.h"

struct ZephyrineControls {
    xFloatDef tiltForward;
    xFloatDef tiltSideways;
    xFloatDef tiltUpwards;
    xCheckboxDef invertX;
    xCheckboxDef invertY;
    xCheckboxDef invertZ;
    xCheckboxDef invertAll;
    xCheckboxDef traditionalFormat;
};

const ZephyrineControls &zephyrineControls();
