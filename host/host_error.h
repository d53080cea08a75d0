// A host error code raised as an exception (suite access does this); the entry point turns it
// back into the code it carries.
#pragma once

#include "api/ae_types.h"

struct HostError {
    PF_Err code;
};
