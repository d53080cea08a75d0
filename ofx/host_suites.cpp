#include "ofx/host_suites.h"

namespace {

OfxHost knownHost{};
HostSuites suites;
bool loaded = false;

template <class Suite> const Suite *fetch(const char *name, int version) {
    if (knownHost.fetchSuite == nullptr) {
        return nullptr;
    }
    return static_cast<const Suite *>(knownHost.fetchSuite(knownHost.host, name, version));
}

// Whether a fetched suite has every function the plug-in calls (hosts may leave some null).
bool complete(const HostSuites &s) {
    return s.property != nullptr && s.property->propSetString != nullptr && s.property->propSetInt != nullptr &&
           s.property->propSetDouble != nullptr && s.property->propSetPointer != nullptr &&
           s.property->propGetString != nullptr && s.property->propGetInt != nullptr &&
           s.property->propGetDouble != nullptr && s.property->propGetPointer != nullptr && s.imageEffect != nullptr &&
           s.imageEffect->getPropertySet != nullptr && s.imageEffect->getParamSet != nullptr &&
           s.imageEffect->clipDefine != nullptr && s.imageEffect->clipGetHandle != nullptr &&
           s.imageEffect->clipGetPropertySet != nullptr && s.imageEffect->clipGetImage != nullptr &&
           s.imageEffect->clipReleaseImage != nullptr && s.parameter != nullptr &&
           s.parameter->paramDefine != nullptr && s.parameter->paramGetHandle != nullptr &&
           s.parameter->paramGetValueAtTime != nullptr;
}

} // namespace

void rememberHost(const OfxHost *host) {
    if (host != nullptr) {
        knownHost = *host;
    }
}

OfxStatus loadHostSuites() {
    HostSuites fetched;
    fetched.property = fetch<OfxPropertySuiteV1>(kOfxPropertySuite, 1);
    fetched.imageEffect = fetch<OfxImageEffectSuiteV1>(kOfxImageEffectSuite, 1);
    fetched.parameter = fetch<OfxParameterSuiteV1>(kOfxParameterSuite, 1);
    fetched.multiThread = fetch<OfxMultiThreadSuiteV1>(kOfxMultiThreadSuite, 1);
    if (!complete(fetched)) {
        unloadHostSuites();
        return kOfxStatErrMissingHostFeature;
    }
    suites = fetched;
    loaded = true;
    return kOfxStatOK;
}

void unloadHostSuites() {
    suites = HostSuites{};
    loaded = false;
}

const HostSuites &hostSuites() { return suites; }
bool hostSuitesLoaded() { return loaded; }
