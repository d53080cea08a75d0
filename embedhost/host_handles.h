// Host memory handles. The handle callbacks carry no effect reference, so the handles of
// every host in the process live in one process-wide registry.
#pragma once

#include "api/effect_api.h"

namespace embedhost {

PF_Handle newHandle(A_u_longlong size);
void *lockHandle(PF_Handle handle);
void unlockHandle(PF_Handle handle);
void disposeHandle(PF_Handle handle);
A_u_longlong handleSize(PF_Handle handle);

} // namespace embedhost
