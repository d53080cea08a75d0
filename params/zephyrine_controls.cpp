#include "params/zephyrine_controls.h"

namespace {

// The five checkboxes share one change key; the tilts take their names as keys.
constexpr const char *kSelectionKey = "selection enable";

xFloatDef tiltDefinition(const char *name, int32_t id) { return xFloatDef(name, "", id, -1.0, 1.0, -1.0, 1.0, 3); }

} // namespace

const ZephyrineControls &zephyrineControls() {
    static const ZephyrineControls controls{
        tiltDefinition("tilt forward", 1),
        tiltDefinition("tilt sideways", 2),
        tiltDefinition("tilt upwards", 3),
        xCheckboxDef("invert x(red)", kSelectionKey, 4),
        xCheckboxDef("invert y(green)", kSelectionKey, 5),
        xCheckboxDef("invert z(blue)", kSelectionKey, 6),
        xCheckboxDef("invert all", kSelectionKey, 7),
        xCheckboxDef("traditional format", kSelectionKey, 8),
    };
    return controls;
}
