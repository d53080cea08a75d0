#include "ofx/actions.h"

#include "api/ofx_names.h"
#include "ofx/host_suites.h"

#include <cstring>

OfxStatus performAction(const char *action, OfxImageEffectHandle effect, OfxPropertySetHandle inArgs,
                        OfxPropertySetHandle outArgs) {
    if (action == nullptr) {
        return kOfxStatReplyDefault;
    }
    const auto is = [action](const char *name) { return std::strcmp(action, name) == 0; };
    if (is(kOfxActionLoad)) {
        return loadHostSuites();
    }
    if (is(kOfxActionUnload)) {
        unloadHostSuites();
        return kOfxStatOK;
    }
    // Nothing else can be answered without the suites: a host that failed the load (or never
    // sent it) gets a failure, not a crash.
    if (!hostSuitesLoaded()) {
        return kOfxStatFailed;
    }
    if (is(kOfxActionDescribe)) {
        return describe(effect);
    }
    if (is(kOfxImageEffectActionDescribeInContext)) {
        return describeInContext(effect, inArgs);
    }
    if (is(kOfxActionCreateInstance)) {
        return createInstance(effect);
    }
    if (is(kOfxActionDestroyInstance)) {
        return destroyInstance(effect);
    }
    if (is(kOfxImageEffectActionGetClipPreferences)) {
        return clipPreferences(effect, outArgs);
    }
    if (is(kOfxImageEffectActionRender)) {
        return render(effect, inArgs);
    }
    // The region of definition and of interest are the host's defaults (the effect is per
    // pixel), and it is never an identity: even with every control off it rescales.
    return kOfxStatReplyDefault;
}
