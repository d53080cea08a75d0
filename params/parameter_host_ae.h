// What a parameter bound to After Effects needs from the host adapter of the current call.
#pragma once

#include "api/effect_api.h"

class xParameterHostAE {
public:
    // The current call's in_data; null outside a call.
    virtual PF_InData *currentInData() const = 0;
    // The record at a host index in the current parameter array, or null when the host gave none.
    virtual PF_ParamDef *parameterRecord(int32_t index) const = 0;
    // Greys the control at a host index out, or back in.
    virtual void setParamEnabled(int32_t index, bool enabled) = 0;

protected:
    ~xParameterHostAE() = default;
};
