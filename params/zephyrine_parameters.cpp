#include "params/zephyrine_parameters.h"

namespace {

// The five checkboxes share one change key; the tilts take their names as keys.
constexpr const char *kSelectionKey = "selection enable";

xFloatDef tiltDefinition(const char *name, int32_t id) { return xFloatDef(name, "", id, -1.0, 1.0, -1.0, 1.0, 3); }

} // namespace

ZephyrineParameters::ZephyrineParameters() {
    tiltForward.define(tiltDefinition("tilt forward", 1));
    tiltSideways.define(tiltDefinition("tilt sideways", 2));
    tiltUpwards.define(tiltDefinition("tilt upwards", 3));
    invertX.define(xCheckboxDef("invert x(red)", kSelectionKey, 4));
    invertY.define(xCheckboxDef("invert y(green)", kSelectionKey, 5));
    invertZ.define(xCheckboxDef("invert z(blue)", kSelectionKey, 6));
    invertAll.define(xCheckboxDef("invert all", kSelectionKey, 7));
    traditionalFormat.define(xCheckboxDef("traditional format", kSelectionKey, 8));

    for (xParameterBase *parameter : std::initializer_list<xParameterBase *>{
             &tiltForward, &tiltSideways, &tiltUpwards, &invertX, &invertY, &invertZ, &invertAll,
             &traditionalFormat}) {
        append(*parameter);
    }
}
