// The effect's eight controls as a host holds them once registered, for callers that drive the
// adapter directly without params setup: three tilts at 0 and five checkboxes off.
#pragma once

#include "embedhost/effect_host.h"

namespace embedhost {

// Appends them after whatever the array holds (the input layer) and tells the effect the count.
inline void appendTheControls(EffectHost &host) {
    for (int i = 0; i < 3; ++i) {
        host.parameters().append(floatSliderRecord(0.0));
    }
    for (int i = 0; i < 5; ++i) {
        host.parameters().append(checkboxRecord(0));
    }
    host.inData().num_params = host.parameters().size();
}

} // namespace embedhost
