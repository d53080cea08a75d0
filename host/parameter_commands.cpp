// The commands that concern controls: registration, a change by the user, a UI refresh.
#include "host/after_effects_host.h"

#include "params/parameter_objects.h"

PF_Err AfterEffectsHost::paramsSetup(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o) {
    return defaultCommand(in, out, p, o);
}

PF_Err AfterEffectsHost::userChangedParam(PF_InData *in_data, PF_OutData *, PF_ParamDef *[], PF_LayerDef *,
                                          void *extra) {
    if (in_data == nullptr || in_data->pica_basicP == nullptr || extra == nullptr) {
        return noError();
    }
    const PF_ParamIndex changed = static_cast<const PF_UserChangedParamExtra *>(extra)->param_index;
    for (xParameterBase *element : parameterList().elements()) {
        const auto *bound = dynamic_cast<const xParameterBaseAE *>(element);
        if (bound != nullptr && bound->index == changed) {
            onParamChanged(element->definition().key);
            break;
        }
    }
    return noError();
}

PF_Err AfterEffectsHost::updateParamsUI(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                        PF_LayerDef *output, void *) {
    onUpdateParamsUI(in_data, out_data, params, output);
    return noError();
}
