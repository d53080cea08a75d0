// A stand-in effect module for the host library's own tests: it records every command it is
// sent, registers the eight controls (or a variant), fails a chosen command with a chosen
// code and message, and at smart render records the control values the host holds.
#include "api/effect_api.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#define RECORDING_EXPORT __declspec(dllexport)
#else
#define RECORDING_EXPORT __attribute__((visibility("default")))
#endif

namespace {

std::vector<PF_Cmd> commands;
PF_Cmd failing = -1;
PF_Err failure = PF_Err_NONE;
std::string failureMessage;
int registration = 0;
double values[9]; // by control id

PF_ParamDef control(A_long id) {
    PF_ParamDef def{};
    def.uu.id = id;
    def.param_type = id <= 3 ? PF_Param_FLOAT_SLIDER : PF_Param_CHECKBOX;
    std::snprintf(def.name, sizeof def.name, "control %d", static_cast<int>(id));
    return def;
}

PF_Err registerControls(PF_InData *in) {
    std::vector<PF_ParamDef> defs;
    for (A_long id = 1; id <= 8; ++id) {
        defs.push_back(control(id));
    }
    if (registration == 1) {
        defs[4].param_type = PF_Param_FLOAT_SLIDER; // control 5 as a slider
    } else if (registration == 2) {
        std::reverse(defs.begin(), defs.end()); // another order than the host might assume
    }
    for (PF_ParamDef &def : defs) {
        if (const PF_Err err = in->inter.add_param(in->effect_ref, -1, &def)) {
            return err;
        }
    }
    return PF_Err_NONE;
}

void recordValues(PF_InData *in) {
    for (PF_ParamIndex index = 1; index <= 8; ++index) {
        PF_ParamDef def{};
        if (in->inter.checkout_param(in->effect_ref, index, 0, 1, 1, &def) == PF_Err_NONE) {
            values[def.uu.id] = def.param_type == PF_Param_CHECKBOX ? def.u.bd.value : def.u.fs_d.value;
            in->inter.checkin_param(in->effect_ref, &def);
        }
    }
}

} // namespace

extern "C" RECORDING_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData *in, PF_OutData *out, PF_ParamDef *[],
                                                  PF_LayerDef *, void *) {
    commands.push_back(cmd);
    if (cmd == failing) {
        std::snprintf(out->return_msg, sizeof out->return_msg, "%s", failureMessage.c_str());
        return failure;
    }
    if (cmd == PF_Cmd_PARAMS_SETUP) {
        return registerControls(in);
    }
    if (cmd == PF_Cmd_SMART_RENDER) {
        recordValues(in);
    }
    return PF_Err_NONE;
}

// What the test reads and sets.
extern "C" RECORDING_EXPORT void RecordingReset(PF_Cmd failAt, PF_Err code, const char *message, int variant) {
    commands.clear();
    failing = failAt;
    failure = code;
    failureMessage = message;
    registration = variant;
    std::fill(std::begin(values), std::end(values), -1.0);
}
extern "C" RECORDING_EXPORT const PF_Cmd *RecordedCommands(int *count) {
    *count = static_cast<int>(commands.size());
    return commands.data();
}
extern "C" RECORDING_EXPORT double RecordedValue(int id) { return values[id]; }
