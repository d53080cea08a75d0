#include "ofx/instance.h"

#include "api/ofx_names.h"
#include "ofx/actions.h"
#include "ofx/host_suites.h"
#include "ofx/properties.h"

#include <memory>

namespace {

OfxStatus fetchHandles(OfxImageEffectHandle instance, Instance &data) {
    const HostSuites &suites = hostSuites();
    if (suites.imageEffect->clipGetHandle(instance, kOfxImageEffectSimpleSourceClipName, &data.source, nullptr) !=
            kOfxStatOK ||
        suites.imageEffect->clipGetHandle(instance, kOfxImageEffectOutputClipName, &data.output, nullptr) !=
            kOfxStatOK) {
        return kOfxStatFailed;
    }
    OfxParamSetHandle parameters = nullptr;
    if (suites.imageEffect->getParamSet(instance, &parameters) != kOfxStatOK) {
        return kOfxStatFailed;
    }
    for (std::size_t i = 0; i < kControlCount; ++i) {
        if (suites.parameter->paramGetHandle(parameters, ofxControls()[i].name, &data.controls[i], nullptr) !=
                kOfxStatOK ||
            data.controls[i] == nullptr) {
            return kOfxStatFailed;
        }
    }
    return data.source != nullptr && data.output != nullptr ? kOfxStatOK : kOfxStatFailed;
}

} // namespace

const Instance *instanceOf(OfxImageEffectHandle instance) {
    const std::optional<Properties> properties = effectProperties(instance);
    const std::optional<void *> data = properties ? properties->pointer(kOfxPropInstanceData) : std::nullopt;
    return data ? static_cast<const Instance *>(*data) : nullptr;
}

OfxStatus createInstance(OfxImageEffectHandle instance) {
    const std::optional<Properties> properties = effectProperties(instance);
    if (!properties) {
        return kOfxStatErrBadHandle;
    }
    auto data = std::make_unique<Instance>();
    const OfxStatus fetched = fetchHandles(instance, *data);
    if (fetched != kOfxStatOK) {
        return fetched;
    }
    if (properties->setPointer(kOfxPropInstanceData, data.get()) != kOfxStatOK) {
        return kOfxStatFailed;
    }
    data.release(); // the instance owns it now; destroyInstance frees it
    return kOfxStatOK;
}

OfxStatus destroyInstance(OfxImageEffectHandle instance) {
    const std::optional<Properties> properties = effectProperties(instance);
    if (!properties) {
        return kOfxStatErrBadHandle;
    }
    delete instanceOf(instance);
    properties->setPointer(kOfxPropInstanceData, nullptr);
    return kOfxStatOK;
}

// The output's premultiplication is the source's: the effect never changes alpha.
OfxStatus clipPreferences(OfxImageEffectHandle instance, OfxPropertySetHandle outArgs) {
    const Instance *data = instanceOf(instance);
    const HostSuites &suites = hostSuites();
    OfxPropertySetHandle source = nullptr;
    if (data == nullptr || suites.imageEffect->clipGetPropertySet(data->source, &source) != kOfxStatOK) {
        return kOfxStatReplyDefault;
    }
    const std::optional<std::string> premultiplication =
        Properties(*suites.property, source).string(kOfxImageEffectPropPreMultiplication);
    if (!premultiplication ||
        Properties(*suites.property, outArgs).set(kOfxImageEffectPropPreMultiplication, premultiplication->c_str()) !=
            kOfxStatOK) {
        return kOfxStatReplyDefault;
    }
    return kOfxStatOK;
}
