// What one instance keeps for its renders: its clip and parameter handles, fetched once when
// the host creates it and read-only after (renders may run on several threads at once).
#pragma once

#include "api/ofx_core.h"
#include "ofx/controls.h"

struct Instance {
    OfxImageClipHandle source = nullptr;
    OfxImageClipHandle output = nullptr;
    ControlHandles controls{};
};

// The instance data the plug-in hung on the instance, or null.
const Instance *instanceOf(OfxImageEffectHandle instance);
