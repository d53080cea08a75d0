// The module's only export.
#include "host/serve_command.h"
#include "host/zephyrine_ae_host.h"

#if defined(_WIN32)
#define ZEPHYRINE_EXPORT __declspec(dllexport)
#else
#define ZEPHYRINE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" ZEPHYRINE_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data,
                                                  PF_ParamDef *params[], PF_LayerDef *output, void *extra) {
    return serveCommand<ZephyrineAEHost>(cmd, in_data, out_data, params, output, extra);
}

static_assert(std::is_same_v<decltype(&EntryPointFunc), PF_FilterProc>);
