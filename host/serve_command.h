// One entry call: build the adapter on the stack, serve the command, destroy the adapter.
// No exception crosses into the host; each becomes an error code, never a false success.
#pragma once

#include "api/effect_api.h"
#include "host/host_error.h"
#include "identity/identity.h"

#include <new>

template <class Adapter>
PF_Err serveCommand(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                    PF_LayerDef *output, void *extra) noexcept {
    try {
        Adapter adapter(identity::kEffectName, identity::kCategory, identity::description());
        return adapter.dispatch(cmd, in_data, out_data, params, output, extra);
    } catch (const HostError &error) {
        return error.code != PF_Err_NONE ? error.code : PF_Err_INTERNAL_STRUCT_DAMAGED;
    } catch (const std::bad_alloc &) {
        return PF_Err_OUT_OF_MEMORY;
    } catch (...) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}
