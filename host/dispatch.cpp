// The command switch: the only place where command codes are interpreted.
#include "host/after_effects_host.h"

#include "params/parameter_objects.h"

PF_Err AfterEffectsHost::dispatch(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                  PF_LayerDef *output, void *extra) {
    if (parameterCount_ < 1) {
        numberParameters();
    }
    inData = in_data;
    outData = out_data;
    this->params = params;
    paramsLength = in_data != nullptr ? in_data->num_params : 0;
    this->output = output;
    this->extra = extra;

    const PF_Err defaultResult = noError();
    switch (cmd) {
    case PF_Cmd_ABOUT:
        return about(in_data, out_data, params, output);
    case PF_Cmd_GLOBAL_SETUP:
        return globalSetup(in_data, out_data, params, output);
    case PF_Cmd_GLOBAL_SETDOWN:
        return globalSetdown(in_data, out_data, params, output);
    case PF_Cmd_PARAMS_SETUP:
        return paramsSetup(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_SETUP:
        return sequenceSetup(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_RESETUP:
        return sequenceResetup(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_FLATTEN:
        return sequenceFlatten(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_SETDOWN:
        return sequenceSetdown(in_data, out_data, params, output);
    case PF_Cmd_FRAME_SETUP:
        return frameSetup(in_data, out_data, params, output);
    case PF_Cmd_RENDER:
        return render(in_data, params, output);
    case PF_Cmd_FRAME_SETDOWN:
        return frameSetdown(in_data, out_data, params, output);
    case PF_Cmd_USER_CHANGED_PARAM:
        return userChangedParam(in_data, out_data, params, output, extra);
    case PF_Cmd_UPDATE_PARAMS_UI:
        return updateParamsUI(in_data, out_data, params, output, extra);
    case PF_Cmd_EVENT:
        return event(in_data, out_data, params, output, extra);
    case PF_Cmd_COMPLETELY_GENERAL:
        return completelyGeneral(in_data, out_data, params, output, extra);
    case PF_Cmd_ARBITRARY_CALLBACK:
        return arbitraryCallback(in_data, out_data, params, output, extra);
    case PF_Cmd_SMART_PRE_RENDER:
        return smartPreRender(in_data, extra);
    case PF_Cmd_SMART_RENDER:
        return smartRender(in_data, extra);
    default:
        return defaultResult;
    }
}

// Gives every bound parameter this adapter and its host index, from 1 in list order. A colour
// with an alpha slider takes two indexes; internal-only parameters take none.
void AfterEffectsHost::numberParameters() {
    int32_t next = 1;
    for (xParameterBase *element : parameterList().elements()) {
        auto *bound = dynamic_cast<xParameterBaseAE *>(element);
        if (bound == nullptr) {
            continue;
        }
        bound->host = this;
        if (element->definition().internalOnly) {
            continue;
        }
        bound->index = next++;
        if (auto *colour = dynamic_cast<xRGBA *>(element); colour != nullptr && colour->colourDefinition().alphaId > 0) {
            colour->alphaIndex = next++;
        }
    }
    parameterCount_ = next;
}

PF_Err AfterEffectsHost::defaultCommand(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *) {
    return noError();
}

PF_Err AfterEffectsHost::globalSetdown(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o) {
    return defaultCommand(in, out, p, o);
}
PF_Err AfterEffectsHost::sequenceSetup(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o) {
    return defaultCommand(in, out, p, o);
}
PF_Err AfterEffectsHost::sequenceResetup(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o) {
    return defaultCommand(in, out, p, o);
}
PF_Err AfterEffectsHost::sequenceSetdown(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o) {
    return defaultCommand(in, out, p, o);
}
PF_Err AfterEffectsHost::sequenceFlatten(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o) {
    return defaultCommand(in, out, p, o);
}
PF_Err AfterEffectsHost::event(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o, void *) {
    return defaultCommand(in, out, p, o);
}
PF_Err AfterEffectsHost::arbitraryCallback(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o, void *) {
    return defaultCommand(in, out, p, o);
}
PF_Err AfterEffectsHost::completelyGeneral(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o, void *) {
    return defaultCommand(in, out, p, o);
}
PF_Err AfterEffectsHost::frameSetdown(PF_InData *in, PF_OutData *out, PF_ParamDef *p[], PF_LayerDef *o) {
    return defaultCommand(in, out, p, o);
}
