// The descriptor: what the host shows and offers before any instance exists. Properties a
// host may not know (newer than its API) are set where it knows them and otherwise left.
#include "ofx/actions.h"

#include "api/ofx_names.h"
#include "identity/identity.h"
#include "ofx/controls.h"
#include "ofx/host_suites.h"
#include "ofx/properties.h"

#include <cstring>
#include <string>

namespace {

// The first of a describe step's statuses that is not OK: every property is still set.
OfxStatus firstFailure(std::initializer_list<OfxStatus> statuses) {
    for (OfxStatus status : statuses) {
        if (status != kOfxStatOK) {
            return status;
        }
    }
    return kOfxStatOK;
}

OfxStatus defineClip(OfxImageEffectHandle descriptor, const char *name) {
    const HostSuites &suites = hostSuites();
    OfxPropertySetHandle handle = nullptr;
    const OfxStatus defined = suites.imageEffect->clipDefine(descriptor, name, &handle);
    if (defined != kOfxStatOK) {
        return defined;
    }
    const Properties clip(*suites.property, handle);
    clip.set(kOfxImageEffectPropSupportsTiles, 1);
    clip.set(kOfxImageClipPropOptional, 0);
    return clip.set(kOfxImageEffectPropSupportedComponents, {kOfxImageComponentRGBA, kOfxImageComponentRGB});
}

// Sets the range and the display range alike: some hosts clamp to their own otherwise.
OfxStatus describeTilt(const Properties &parameter, const xFloatDef &tilt) {
    parameter.set(kOfxParamPropDigits, static_cast<int>(tilt.precision));
    parameter.set(kOfxParamPropIncrement, 0.01);
    parameter.set(kOfxParamPropDoubleType, kOfxParamDoubleTypePlain);
    return firstFailure({parameter.set(kOfxParamPropDefault, tilt.defaultValue),
                         parameter.set(kOfxParamPropMin, tilt.validMin), parameter.set(kOfxParamPropMax, tilt.validMax),
                         parameter.set(kOfxParamPropDisplayMin, tilt.sliderMin),
                         parameter.set(kOfxParamPropDisplayMax, tilt.sliderMax)});
}

OfxStatus defineControl(OfxParamSetHandle parameters, const OfxControl &control) {
    const HostSuites &suites = hostSuites();
    const auto *tilt = dynamic_cast<const xFloatDef *>(control.definition);
    const auto *checkbox = dynamic_cast<const xCheckboxDef *>(control.definition);
    OfxPropertySetHandle handle = nullptr;
    const OfxStatus defined = suites.parameter->paramDefine(
        parameters, tilt != nullptr ? kOfxParamTypeDouble : kOfxParamTypeBoolean, control.name, &handle);
    if (defined != kOfxStatOK) {
        return defined;
    }
    const Properties parameter(*suites.property, handle);
    parameter.set(kOfxParamPropScriptName, control.name);
    // Set either way: some hosts animate booleans unasked, others only when told.
    parameter.set(kOfxParamPropAnimates, control.definition->animatable ? 1 : 0);
    const OfxStatus labelled = parameter.set(kOfxPropLabel, control.definition->name.c_str());
    if (tilt != nullptr) {
        return firstFailure({labelled, describeTilt(parameter, *tilt)});
    }
    return firstFailure(
        {labelled, parameter.set(kOfxParamPropDefault, checkbox != nullptr && checkbox->defaultValue ? 1 : 0)});
}

OfxStatus definePage(OfxParamSetHandle parameters) {
    const HostSuites &suites = hostSuites();
    OfxPropertySetHandle handle = nullptr;
    const OfxStatus defined = suites.parameter->paramDefine(parameters, kOfxParamTypePage, kControlsPage, &handle);
    if (defined != kOfxStatOK) {
        return defined;
    }
    const Properties page(*suites.property, handle);
    page.set(kOfxPropLabel, kControlsPage);
    for (std::size_t i = 0; i < kControlCount; ++i) {
        page.set(kOfxParamPropPageChild, ofxControls()[i].name, static_cast<int>(i));
    }
    return kOfxStatOK;
}

} // namespace

OfxStatus describe(OfxImageEffectHandle descriptor) {
    const std::optional<Properties> properties = effectProperties(descriptor);
    if (!properties) {
        return kOfxStatErrBadHandle;
    }
    const Properties &effect = *properties;
    const OfxStatus required = firstFailure({
        effect.set(kOfxPropLabel, identity::kEffectName),
        effect.set(kOfxImageEffectPluginPropGrouping, identity::kCategory),
        effect.set(kOfxImageEffectPropSupportedContexts, {kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral}),
        effect.set(kOfxImageEffectPropSupportedPixelDepths, {kOfxBitDepthFloat, kOfxBitDepthShort, kOfxBitDepthByte}),
        effect.set(kOfxImageEffectPluginRenderThreadSafety, kOfxImageEffectRenderFullySafe),
        // The plug-in cuts each frame into bands on the host's threads itself.
        effect.set(kOfxImageEffectPluginPropHostFrameThreading, 0),
        effect.set(kOfxImageEffectPropSupportsTiles, 1),
        effect.set(kOfxImageEffectPropSupportsMultiResolution, 1),
    });
    effect.set(kOfxPropShortLabel, identity::kEffectName);
    effect.set(kOfxPropLongLabel, identity::kEffectName);
    effect.set(kOfxPropPluginDescription, identity::kSummary);
    effect.set(kOfxPropVersion, {identity::kVersionMajor, identity::kVersionMinor, identity::kVersionBugfix});
    const std::string version = std::to_string(identity::kVersionMajor) + "." +
                                std::to_string(identity::kVersionMinor) + "." +
                                std::to_string(identity::kVersionBugfix);
    effect.set(kOfxPropVersionLabel, version.c_str());
    effect.set(kOfxImageEffectPropTemporalClipAccess, 0);
    effect.set(kOfxImageEffectPluginPropSingleInstance, 0);
    effect.set(kOfxImageEffectPropSupportsMultipleClipDepths, 0);
    effect.set(kOfxImageEffectPropSupportsMultipleClipPARs, 0);
    // Per pixel: a field renders as a frame does, and no pixel depends on another.
    effect.set(kOfxImageEffectPluginPropFieldRenderTwiceAlways, 0);
    effect.set(kOfxImageEffectPropNoSpatialAwareness, "true");
    return required;
}

OfxStatus describeInContext(OfxImageEffectHandle descriptor, OfxPropertySetHandle inArgs) {
    const HostSuites &suites = hostSuites();
    const std::optional<std::string> context = Properties(*suites.property, inArgs).string(kOfxImageEffectPropContext);
    if (!context || (*context != kOfxImageEffectContextFilter && *context != kOfxImageEffectContextGeneral)) {
        return kOfxStatErrMissingHostFeature; // a context the effect does not offer: dropped
    }
    // The source first: some hosts take the first clip as the default input.
    OfxStatus status = defineClip(descriptor, kOfxImageEffectSimpleSourceClipName);
    if (status == kOfxStatOK) {
        status = defineClip(descriptor, kOfxImageEffectOutputClipName);
    }
    OfxParamSetHandle parameters = nullptr;
    if (status == kOfxStatOK) {
        status = suites.imageEffect->getParamSet(descriptor, &parameters);
    }
    for (const OfxControl &control : ofxControls()) {
        if (status == kOfxStatOK) {
            status = defineControl(parameters, control);
        }
    }
    return status == kOfxStatOK ? definePage(parameters) : status;
}
