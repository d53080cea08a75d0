// The binary's exports: one plug-in, and the optional host-setting entry. Nothing else is
// exported, and no exception crosses into the host.
#include "api/ofx_core.h"
#include "identity/identity.h"
#include "ofx/actions.h"
#include "ofx/host_suites.h"

#include <new>

#if defined(_WIN32)
#define ZEPHYRINE_OFX_EXPORT extern "C" __declspec(dllexport)
#else
#define ZEPHYRINE_OFX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

void setHost(OfxHost *host) { rememberHost(host); }

OfxStatus mainEntry(const char *action, const void *handle, OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs) {
    try {
        return performAction(action, static_cast<OfxImageEffectHandle>(const_cast<void *>(handle)), inArgs, outArgs);
    } catch (const std::bad_alloc &) {
        return kOfxStatErrMemory;
    } catch (...) {
        return kOfxStatErrUnknown;
    }
}

OfxPlugin zephyrine{kOfxImageEffectPluginApi,
                    kOfxImageEffectPluginApiVersion,
                    identity::kOfxIdentifier,
                    static_cast<unsigned int>(identity::kVersionMajor),
                    static_cast<unsigned int>(identity::kVersionMinor),
                    setHost,
                    mainEntry};

} // namespace

ZEPHYRINE_OFX_EXPORT int OfxGetNumberOfPlugins(void) { return 1; }

ZEPHYRINE_OFX_EXPORT OfxPlugin *OfxGetPlugin(int nth) { return nth == 0 ? &zephyrine : nullptr; }

ZEPHYRINE_OFX_EXPORT OfxStatus OfxSetHost(const OfxHost *host) {
    rememberHost(host);
    return kOfxStatOK;
}

static_assert(std::is_same_v<decltype(&OfxGetNumberOfPlugins), OfxGetNumberOfPluginsFunction *>);
static_assert(std::is_same_v<decltype(&OfxGetPlugin), OfxGetPluginFunction *>);
static_assert(std::is_same_v<decltype(&OfxSetHost), OfxSetHostFunction *>);
