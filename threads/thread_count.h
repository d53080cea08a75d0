// Counting the threads a host uses: the host calls the callback once per processor.
#pragma once

#include "api/effect_api.h"

// Adds 1 to the int32 counter behind `refcon`, under a process-wide lock (the host may call
// it on several of its threads at once).
PF_Err countThreadsCallback(void *refcon, A_long threadIndex, A_long iteration, A_long iterations);
