// Host records as the adapter sees them, for tests that call the adapter
// directly: a world as an ImageDesc, and a parameter array holding the effect's eight controls.
#pragma once

#include "filter/image_desc.h"
#include "host/world_desc.h"
#include "embedhost/effect_controls.h"
#include "hostsim/host_sim.h"
#include "hostsim/world.h"

inline ImageDesc describe(hostsim::World &world) { return describeWorld(world.layer(), world.shape().bitDepth); }

using embedhost::appendTheControls;
