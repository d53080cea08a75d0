// About, global setup and frame setup: the answers that must agree with the property list.
#include "host/after_effects_host.h"

#include "host/pixel_format_suite.h"
#include "identity/identity.h"

PF_Err AfterEffectsHost::about(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *[], PF_LayerDef *) {
    const PF_UtilCallbacks *utils = in_data != nullptr ? in_data->utils : nullptr;
    if (utils == nullptr || utils->ansi.sprintf == nullptr) {
        return noError();
    }
    // Name, one blank, suffix: with an empty suffix two blanks stand before the "v".
    const std::string title = effectName + " " + nameSuffix;
    if (versionBugfix != 0) {
        utils->ansi.sprintf(out_data->return_msg, "%s v%d.%d.%d\r%s", title.c_str(), versionMajor, versionMinor,
                            versionBugfix, description.c_str());
    } else {
        utils->ansi.sprintf(out_data->return_msg, "%s v%d.%d\r%s", title.c_str(), versionMajor, versionMinor,
                            description.c_str());
    }
    return noError();
}

PF_Err AfterEffectsHost::globalSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *[], PF_LayerDef *) {
    out_data->my_version = identity::versionWord(versionMajor, versionMinor, versionBugfix);
    out_data->out_flags = identity::kOutFlags;
    // Hosts before effect API 12.5 do not know these bits; their value is left as the host set it.
    const PF_SpecVersion api = in_data->version;
    if (api.major > 12 || (api.major == 12 && api.minor >= 5)) {
        out_data->out_flags2 = identity::kOutFlags2;
    }
    // Premiere renders anything beyond 8-bit ARGB only in formats of its own, declared here.
    if (in_data->appl_id == PF_APPL_ID_PREMIERE) {
        declarePremiereFormats(in_data);
    }
    return noError();
}

PF_Err AfterEffectsHost::frameSetup(PF_InData *, PF_OutData *out_data, PF_ParamDef *[], PF_LayerDef *) {
    out_data->origin.h = 0;
    out_data->origin.v = 0;
    return noError();
}
