#include "params/zephyrine_parameters.h"

#include "params/zephyrine_controls.h"

ZephyrineParameters::ZephyrineParameters() {
    const ZephyrineControls &controls = zephyrineControls();
    tiltForward.define(controls.tiltForward);
    tiltSideways.define(controls.tiltSideways);
    tiltUpwards.define(controls.tiltUpwards);
    invertX.define(controls.invertX);
    invertY.define(controls.invertY);
    invertZ.define(controls.invertZ);
    invertAll.define(controls.invertAll);
    traditionalFormat.define(controls.traditionalFormat);

    for (xParameterBase *parameter : std::initializer_list<xParameterBase *>{
             &tiltForward, &tiltSideways, &tiltUpwards, &invertX, &invertY, &invertZ, &invertAll,
             &traditionalFormat}) {
        append(*parameter);
    }
}
