#include "ofxsim/property_specs.h"

#include "api/ofx_names.h"

#include <cfloat>

namespace ofxsim::specs {

namespace {

using T = PropertyType;
using V = std::vector<PropertyValue>;
const std::string none;

// A property the plug-in may only read.
PropertySpec readOnly(const char *name, T type, int dimension, V defaults = {}) {
    return {name, type, dimension, std::move(defaults), false};
}

} // namespace

const PropertySpecs &host() {
    static const PropertySpecs specs = {
        readOnly(kOfxPropType, T::string, 1, {std::string(kOfxTypeImageEffectHost)}),
        readOnly(kOfxPropName, T::string, 1, {std::string("org.zephyrine.ofxsim")}),
        readOnly(kOfxPropLabel, T::string, 1, {std::string("ofxsim")}),
        readOnly(kOfxPropAPIVersion, T::integer, 0, {1, 4}),
        readOnly(kOfxPropVersion, T::integer, 0, {1, 0}),
        readOnly(kOfxPropVersionLabel, T::string, 1, {std::string("1.0")}),
        readOnly("OfxImageEffectHostPropIsBackground", T::integer, 1, {1}),
        readOnly("OfxImageEffectPropSupportsOverlays", T::integer, 1, {0}),
        readOnly(kOfxImageEffectPropSupportsMultiResolution, T::integer, 1, {1}),
        readOnly(kOfxImageEffectPropSupportsTiles, T::integer, 1, {1}),
        readOnly(kOfxImageEffectPropTemporalClipAccess, T::integer, 1, {0}),
        readOnly(kOfxImageEffectPropSupportedComponents, T::string, 0,
                 {std::string(kOfxImageComponentRGBA), std::string(kOfxImageComponentRGB),
                  std::string(kOfxImageComponentAlpha)}),
        readOnly(kOfxImageEffectPropSupportedContexts, T::string, 0,
                 {std::string(kOfxImageEffectContextFilter), std::string(kOfxImageEffectContextGeneral)}),
        readOnly(kOfxImageEffectPropSupportedPixelDepths, T::string, 0,
                 {std::string(kOfxBitDepthByte), std::string(kOfxBitDepthShort), std::string(kOfxBitDepthFloat)}),
        readOnly(kOfxImageEffectPropSupportsMultipleClipDepths, T::integer, 1, {0}),
        readOnly(kOfxImageEffectPropSupportsMultipleClipPARs, T::integer, 1, {0}),
        readOnly("OfxImageEffectPropSetableFrameRate", T::integer, 1, {0}),
        readOnly("OfxImageEffectPropSetableFielding", T::integer, 1, {0}),
        readOnly("OfxParamHostPropSupportsCustomInteract", T::integer, 1, {0}),
        readOnly("OfxParamHostPropSupportsStringAnimation", T::integer, 1, {0}),
        readOnly("OfxParamHostPropSupportsChoiceAnimation", T::integer, 1, {0}),
        readOnly("OfxParamHostPropSupportsBooleanAnimation", T::integer, 1, {1}),
        readOnly("OfxParamHostPropSupportsCustomAnimation", T::integer, 1, {0}),
        readOnly("OfxParamHostPropMaxParameters", T::integer, 1, {-1}),
        readOnly("OfxParamHostPropMaxPages", T::integer, 1, {-1}),
        readOnly("OfxParamHostPropPageRowColumnCount", T::integer, 2, {16, 1}),
        readOnly("OfxImageEffectInstancePropSequentialRender", T::integer, 1, {0}),
        readOnly("OfxImageEffectPropRenderQualityDraft", T::integer, 1, {0}),
        readOnly("OfxImageEffectHostPropNativeOrigin", T::string, 1,
                 {std::string("kOfxImageEffectHostPropNativeOriginBottomLeft")}),
    };
    return specs;
}

const PropertySpecs &effectDescriptor() {
    static const PropertySpecs specs = {
        readOnly(kOfxPropType, T::string, 1, {std::string(kOfxTypeImageEffect)}),
        {kOfxPropLabel, T::string, 1, {none}},
        {kOfxPropShortLabel, T::string, 1, {none}},
        {kOfxPropLongLabel, T::string, 1, {none}},
        {kOfxPropPluginDescription, T::string, 1, {none}},
        {kOfxPropVersion, T::integer, 0, {}},
        {kOfxPropVersionLabel, T::string, 1, {none}},
        {kOfxImageEffectPluginPropGrouping, T::string, 1, {none}},
        {kOfxImageEffectPropSupportedContexts, T::string, 0, {}},
        {kOfxImageEffectPropSupportedPixelDepths, T::string, 0, {}},
        {kOfxImageEffectPropSupportsTiles, T::integer, 1, {1}},
        {kOfxImageEffectPropSupportsMultiResolution, T::integer, 1, {1}},
        {kOfxImageEffectPropTemporalClipAccess, T::integer, 1, {0}},
        {kOfxImageEffectPluginRenderThreadSafety, T::string, 1, {std::string(kOfxImageEffectRenderInstanceSafe)}},
        {kOfxImageEffectPluginPropHostFrameThreading, T::integer, 1, {1}},
        {kOfxImageEffectPluginPropSingleInstance, T::integer, 1, {0}},
        {kOfxImageEffectPropSupportsMultipleClipDepths, T::integer, 1, {0}},
        {kOfxImageEffectPropSupportsMultipleClipPARs, T::integer, 1, {0}},
        {kOfxImageEffectPluginPropFieldRenderTwiceAlways, T::integer, 1, {1}},
        {"OfxImageEffectPropClipPreferencesSlaveParam", T::string, 0, {}},
        {"OfxImageEffectInstancePropSequentialRender", T::integer, 1, {0}},
        {"OfxImageEffectPluginPropOverlayInteractV1", T::pointer, 1, {static_cast<void *>(nullptr)}},
        {"OfxImageEffectPropOpenGLRenderSupported", T::string, 1, {std::string("false")}},
        {"OfxImageEffectPropCPURenderSupported", T::string, 1, {std::string("true")}},
        {kOfxImageEffectPropNoSpatialAwareness, T::string, 1, {std::string("false")}},
        readOnly("OfxPluginPropFilePath", T::string, 1, {none}),
    };
    return specs;
}

const PropertySpecs &effectInstance() {
    static const PropertySpecs specs = {
        readOnly(kOfxImageEffectPropContext, T::string, 1, {none}),
        {kOfxPropInstanceData, T::pointer, 1, {static_cast<void *>(nullptr)}},
        readOnly("OfxImageEffectPropProjectSize", T::real, 2, {1920.0, 1080.0}),
        readOnly("OfxImageEffectPropProjectOffset", T::real, 2, {0.0, 0.0}),
        readOnly("OfxImageEffectPropProjectExtent", T::real, 2, {1920.0, 1080.0}),
        readOnly("OfxImageEffectPropPixelAspectRatio", T::real, 1, {1.0}),
        readOnly("OfxImageEffectInstancePropEffectDuration", T::real, 1, {100.0}),
        readOnly("OfxImageEffectPropFrameRate", T::real, 1, {24.0}),
        readOnly("OfxPropIsInteractive", T::integer, 1, {0}),
    };
    return specs;
}

const PropertySpecs &clipDescriptor() {
    static const PropertySpecs specs = {
        readOnly(kOfxPropType, T::string, 1, {std::string(kOfxTypeClip)}),
        readOnly(kOfxPropName, T::string, 1, {none}),
        {kOfxPropLabel, T::string, 1, {none}},
        {kOfxPropShortLabel, T::string, 1, {none}},
        {kOfxPropLongLabel, T::string, 1, {none}},
        {kOfxImageEffectPropSupportedComponents, T::string, 0, {}},
        {kOfxImageClipPropOptional, T::integer, 1, {0}},
        {"OfxImageClipPropIsMask", T::integer, 1, {0}},
        {"OfxImageClipPropFieldExtraction", T::string, 1, {std::string("OfxFieldDoubled")}},
        {kOfxImageEffectPropTemporalClipAccess, T::integer, 1, {0}},
        {kOfxImageEffectPropSupportsTiles, T::integer, 1, {1}},
    };
    return specs;
}

const PropertySpecs &clipInstance() {
    static const PropertySpecs specs = {
        readOnly(kOfxImageEffectPropPixelDepth, T::string, 1, {std::string(kOfxBitDepthNone)}),
        readOnly(kOfxImageEffectPropComponents, T::string, 1, {std::string(kOfxImageComponentNone)}),
        readOnly("OfxImageClipPropUnmappedPixelDepth", T::string, 1, {std::string(kOfxBitDepthNone)}),
        readOnly("OfxImageClipPropUnmappedComponents", T::string, 1, {std::string(kOfxImageComponentNone)}),
        readOnly(kOfxImageEffectPropPreMultiplication, T::string, 1, {std::string(kOfxImageUnPreMultiplied)}),
        readOnly(kOfxImagePropPixelAspectRatio, T::real, 1, {1.0}),
        readOnly("OfxImageEffectPropFrameRate", T::real, 1, {24.0}),
        readOnly("OfxImageEffectPropFrameRange", T::real, 2, {0.0, 99.0}),
        readOnly("OfxImageClipPropFieldOrder", T::string, 1, {std::string(kOfxImageFieldNone)}),
        readOnly(kOfxImageClipPropConnected, T::integer, 1, {1}),
        readOnly("OfxImageClipPropContinuousSamples", T::integer, 1, {0}),
    };
    return specs;
}

const PropertySpecs &parameterCommon() {
    static const PropertySpecs specs = {
        readOnly(kOfxPropType, T::string, 1, {std::string(kOfxTypeParameter)}),
        readOnly(kOfxPropName, T::string, 1, {none}),
        readOnly("OfxParamPropType", T::string, 1, {none}),
        {kOfxPropLabel, T::string, 1, {none}},
        {kOfxPropShortLabel, T::string, 1, {none}},
        {kOfxPropLongLabel, T::string, 1, {none}},
        {kOfxParamPropHint, T::string, 1, {none}},
        {kOfxParamPropScriptName, T::string, 1, {none}},
        {"OfxParamPropSecret", T::integer, 1, {0}},
        {"OfxParamPropEnabled", T::integer, 1, {1}},
        {"OfxParamPropParent", T::string, 1, {none}},
        {"OfxParamPropDataPtr", T::pointer, 1, {static_cast<void *>(nullptr)}},
    };
    return specs;
}

namespace {

// What a parameter that holds a value has besides the common ones.
const PropertySpecs &valueParameter() {
    static const PropertySpecs specs = {
        {kOfxParamPropAnimates, T::integer, 1, {1}},
        {"OfxParamPropEvaluateOnChange", T::integer, 1, {1}},
        {"OfxParamPropPersistant", T::integer, 1, {1}},
        {"OfxParamPropCanUndo", T::integer, 1, {1}},
        {"OfxParamPropCacheInvalidation", T::string, 1, {std::string("OfxParamInvalidateValueChange")}},
        readOnly("OfxParamPropIsAnimating", T::integer, 1, {0}),
        readOnly("OfxParamPropIsAutoKeying", T::integer, 1, {0}),
    };
    return specs;
}

} // namespace

const PropertySpecs &doubleParameter() {
    static const PropertySpecs specs = [] {
        PropertySpecs all = valueParameter();
        const PropertySpecs own = {
            {kOfxParamPropDefault, T::real, 1, {0.0}},
            {kOfxParamPropMin, T::real, 1, {-DBL_MAX}},
            {kOfxParamPropMax, T::real, 1, {DBL_MAX}},
            {kOfxParamPropDisplayMin, T::real, 1, {-DBL_MAX}},
            {kOfxParamPropDisplayMax, T::real, 1, {DBL_MAX}},
            {kOfxParamPropIncrement, T::real, 1, {1.0}},
            {kOfxParamPropDigits, T::integer, 1, {2}},
            {kOfxParamPropDoubleType, T::string, 1, {std::string(kOfxParamDoubleTypePlain)}},
        };
        all.insert(all.end(), own.begin(), own.end());
        return all;
    }();
    return specs;
}

const PropertySpecs &booleanParameter() {
    static const PropertySpecs specs = [] {
        PropertySpecs all = valueParameter();
        all.push_back({kOfxParamPropDefault, T::integer, 1, {0}});
        return all;
    }();
    return specs;
}

const PropertySpecs &pageParameter() {
    static const PropertySpecs specs = {{kOfxParamPropPageChild, T::string, 0, {}}};
    return specs;
}

const PropertySpecs &parameterSet() {
    static const PropertySpecs specs = {
        {kOfxPluginPropParamPageOrder, T::string, 0, {}},
        {"OfxPropParamSetNeedsSyncing", T::integer, 1, {0}},
    };
    return specs;
}

const PropertySpecs &image() {
    static const PropertySpecs specs = {
        readOnly(kOfxPropType, T::string, 1, {std::string(kOfxTypeImage)}),
        readOnly(kOfxImagePropData, T::pointer, 1, {static_cast<void *>(nullptr)}),
        readOnly(kOfxImagePropBounds, T::integer, 4, {0, 0, 0, 0}),
        readOnly(kOfxImagePropRegionOfDefinition, T::integer, 4, {0, 0, 0, 0}),
        readOnly(kOfxImagePropRowBytes, T::integer, 1, {0}),
        readOnly(kOfxImageEffectPropPixelDepth, T::string, 1, {std::string(kOfxBitDepthNone)}),
        readOnly(kOfxImageEffectPropComponents, T::string, 1, {std::string(kOfxImageComponentNone)}),
        readOnly(kOfxImageEffectPropPreMultiplication, T::string, 1, {std::string(kOfxImageUnPreMultiplied)}),
        readOnly(kOfxImageEffectPropRenderScale, T::real, 2, {1.0, 1.0}),
        readOnly(kOfxImagePropPixelAspectRatio, T::real, 1, {1.0}),
        readOnly(kOfxImagePropField, T::string, 1, {std::string(kOfxImageFieldNone)}),
        readOnly("OfxImagePropUniqueIdentifier", T::string, 1, {none}),
    };
    return specs;
}

const PropertySpecs &describeInContextArguments() {
    static const PropertySpecs specs = {readOnly(kOfxImageEffectPropContext, T::string, 1, {none})};
    return specs;
}

const PropertySpecs &renderArguments() {
    static const PropertySpecs specs = {
        readOnly(kOfxPropTime, T::real, 1, {0.0}),
        readOnly(kOfxImageEffectPropFieldToRender, T::string, 1, {std::string(kOfxImageFieldNone)}),
        readOnly(kOfxImageEffectPropRenderWindow, T::integer, 4, {0, 0, 0, 0}),
        readOnly(kOfxImageEffectPropRenderScale, T::real, 2, {1.0, 1.0}),
        readOnly("OfxImageEffectPropSequentialRenderStatus", T::integer, 1, {0}),
        readOnly("OfxImageEffectPropInteractiveRenderStatus", T::integer, 1, {0}),
        readOnly("OfxImageEffectPropRenderQualityDraft", T::integer, 1, {0}),
        readOnly(kOfxImageEffectPropOpenGLEnabled, T::integer, 1, {0}),
        readOnly(kOfxImageEffectPropCudaEnabled, T::integer, 1, {0}),
        readOnly(kOfxImageEffectPropMetalEnabled, T::integer, 1, {0}),
        readOnly(kOfxImageEffectPropOpenCLEnabled, T::integer, 1, {0}),
    };
    return specs;
}

PropertySpecs clipPreferences(const std::vector<std::string> &clipNames) {
    PropertySpecs specs = {
        {"OfxImageEffectPropFrameRate", T::real, 1, {24.0}},
        {"OfxImageClipPropFieldOrder", T::string, 1, {std::string(kOfxImageFieldNone)}},
        {kOfxImageEffectPropPreMultiplication, T::string, 1, {std::string(kOfxImageUnPreMultiplied)}},
        {"OfxImageClipPropContinuousSamples", T::integer, 1, {0}},
        {"OfxImageEffectFrameVarying", T::integer, 1, {0}},
    };
    for (const std::string &clip : clipNames) {
        specs.push_back({"OfxImageClipPropComponents_" + clip, T::string, 1, {none}});
        specs.push_back({"OfxImageClipPropDepth_" + clip, T::string, 1, {none}});
        specs.push_back({"OfxImageClipPropPAR_" + clip, T::real, 1, {1.0}});
        specs.push_back({"OfxImageClipPropPreferredColourspaces_" + clip, T::string, 0, {}});
    }
    return specs;
}

} // namespace ofxsim::specs
