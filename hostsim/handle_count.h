// Host memory handles counted across the process, so a test can tell whether the effect
// disposed of every handle it made. The tests' host makes and disposes of its handles here.
#pragma once

#include "api/effect_api.h"

namespace hostsim {

PF_Handle countedNewHandle(A_u_longlong size);
void countedDisposeHandle(PF_Handle handle);

// Handles made and not yet disposed of, in the whole process.
long outstandingHandles();

} // namespace hostsim
