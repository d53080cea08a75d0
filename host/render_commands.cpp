// The classic and smart render commands.
#include "host/after_effects_host.h"

PF_Err AfterEffectsHost::render(PF_InData *, PF_ParamDef *[], PF_LayerDef *) { return noError(); }

PF_Err AfterEffectsHost::smartPreRender(PF_InData *, void *) { return noError(); }

PF_Err AfterEffectsHost::smartRender(PF_InData *, void *) { return noError(); }
