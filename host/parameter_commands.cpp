// The commands that concern controls: registration, a change by the user, a UI refresh.
#include "host/after_effects_host.h"

#include "host/suite_handler.h"
#include "params/parameter_objects.h"

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

void AfterEffectsHost::setParamEnabled(int32_t index, bool enabled) {
    SuiteHandler suites(inData);
    const PF_ParamDef *current = parameterRecord(index);
    if (current == nullptr) {
        return;
    }
    PF_ParamDef copy = *current;
    copy.ui_flags = enabled ? (copy.ui_flags & ~PF_PUI_DISABLED) : (copy.ui_flags | PF_PUI_DISABLED);
    // Premiere Pro greys out only layer controls this way.
    if (inData->appl_id == PF_APPL_ID_PREMIERE && copy.param_type != PF_Param_LAYER) {
        return;
    }
    const PF_ParamUtilsSuite1 &paramUtils = suites.paramUtils();
    if (paramUtils.PF_UpdateParamUI != nullptr) {
        paramUtils.PF_UpdateParamUI(inData->effect_ref, index, &copy);
    }
}
