// Our declarations of the host's effect API, binary-compatible with the published SDK on
// x86-64 Windows and Linux. Include this one header.
#pragma once

#include "api/ae_callbacks.h"
#include "api/ae_in_out_data.h"
#include "api/ae_records.h"
#include "api/ae_smart_render.h"
#include "api/ae_suites.h"
#include "api/ae_types.h"
#include "api/pr_pixel_format.h"

// The shape of the exported entry point.
using PF_FilterProc = PF_Err (*)(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                 PF_LayerDef *output, void *extra);

inline constexpr const char *kEntryPointName = "EntryPointFunc";
