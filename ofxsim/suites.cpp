// The suites the simulated host offers: property (property_set.cpp), image effect,
// parameter and multithread. Members a filter has no use for are left null, as some hosts
// leave some: the plug-in must not depend on them.
#include "ofxsim/host_sim.h"

#include "api/ofx_names.h"
#include "ofxsim/property_specs.h"

#include <cstdarg>
#include <cstring>

namespace ofxsim {

namespace {

thread_local bool onBandThread = false;

// The property set of the object behind a handle.
template <class Object, class Handle> OfxStatus propertiesOf(Handle handle, OfxPropertySetHandle *properties) {
    Object *object = Object::from(handle);
    if (object == nullptr || properties == nullptr) {
        return kOfxStatErrBadHandle;
    }
    *properties = object->properties.handle();
    return kOfxStatOK;
}

// Keeps a newly defined object and hands its properties to the plug-in.
template <class Object>
OfxStatus keep(std::vector<std::unique_ptr<Object>> &owner, std::unique_ptr<Object> object,
               OfxPropertySetHandle *properties) {
    if (properties != nullptr) {
        *properties = object->properties.handle();
    }
    owner.push_back(std::move(object));
    return kOfxStatOK;
}

OfxStatus clipDefine(OfxImageEffectHandle handle, const char *name, OfxPropertySetHandle *properties) {
    Effect *effect = Effect::from(handle);
    if (effect == nullptr || effect->isInstance || name == nullptr) {
        return kOfxStatErrBadHandle; // clips are defined while describing in a context only
    }
    if (effect->clip(name) != nullptr) {
        return kOfxStatErrExists;
    }
    auto clip = std::make_unique<Clip>(name, PropertySet({&specs::clipDescriptor()}));
    clip->properties.set(kOfxPropName, {std::string(name)});
    return keep(effect->clips, std::move(clip), properties);
}

OfxStatus clipGetHandle(OfxImageEffectHandle handle, const char *name, OfxImageClipHandle *clipHandle,
                        OfxPropertySetHandle *properties) {
    Effect *effect = Effect::from(handle);
    if (effect == nullptr || !effect->isInstance || clipHandle == nullptr) {
        return kOfxStatErrBadHandle;
    }
    Clip *clip = name != nullptr ? effect->clip(name) : nullptr;
    if (clip == nullptr) {
        return kOfxStatErrUnknown;
    }
    *clipHandle = clip->handle();
    if (properties != nullptr) {
        *properties = clip->properties.handle();
    }
    return kOfxStatOK;
}

OfxStatus clipGetImage(OfxImageClipHandle handle, OfxTime, const OfxRectD *, OfxPropertySetHandle *image) {
    Clip *clip = Clip::from(handle);
    if (clip == nullptr || image == nullptr) {
        return kOfxStatErrBadHandle;
    }
    PropertySet *fetched = nullptr;
    const OfxStatus status = HostSim::active().getImage(*clip, fetched);
    *image = fetched != nullptr ? fetched->handle() : nullptr;
    return status;
}

const OfxImageEffectSuiteV1 imageEffectSuite = [] {
    OfxImageEffectSuiteV1 suite{};
    suite.getPropertySet = propertiesOf<Effect, OfxImageEffectHandle>;
    suite.getParamSet = [](OfxImageEffectHandle handle, OfxParamSetHandle *parameters) {
        Effect *effect = Effect::from(handle);
        if (effect == nullptr || parameters == nullptr) {
            return kOfxStatErrBadHandle;
        }
        *parameters = effect->parameters.handle();
        return kOfxStatOK;
    };
    suite.clipDefine = clipDefine;
    suite.clipGetHandle = clipGetHandle;
    suite.clipGetPropertySet = propertiesOf<Clip, OfxImageClipHandle>;
    suite.clipGetImage = clipGetImage;
    suite.clipReleaseImage = [](OfxPropertySetHandle image) { return HostSim::active().releaseImage(image); };
    suite.abort = [](OfxImageEffectHandle) { return HostSim::active().abortRequested(); };
    return suite;
}();

OfxStatus paramDefine(OfxParamSetHandle handle, const char *type, const char *name, OfxPropertySetHandle *props) {
    ParameterSet *set = ParameterSet::from(handle);
    if (set == nullptr || type == nullptr || name == nullptr) {
        return kOfxStatErrBadHandle;
    }
    const PropertySpecs *own = std::strcmp(type, kOfxParamTypeDouble) == 0    ? &specs::doubleParameter()
                               : std::strcmp(type, kOfxParamTypeBoolean) == 0 ? &specs::booleanParameter()
                               : std::strcmp(type, kOfxParamTypePage) == 0    ? &specs::pageParameter()
                                                                              : nullptr;
    if (own == nullptr) {
        return kOfxStatErrUnsupported; // this host knows no other kinds
    }
    if (set->find(name) != nullptr) {
        return kOfxStatErrExists;
    }
    auto parameter = std::make_unique<Parameter>(type, name, PropertySet({&specs::parameterCommon(), own}));
    for (const char *property : {kOfxPropName, kOfxPropLabel, kOfxParamPropScriptName}) {
        parameter->properties.set(property, {std::string(name)});
    }
    parameter->properties.set("OfxParamPropType", {std::string(type)});
    return keep(set->parameters, std::move(parameter), props);
}

OfxStatus paramGetHandle(OfxParamSetHandle handle, const char *name, OfxParamHandle *parameterHandle,
                         OfxPropertySetHandle *properties) {
    ParameterSet *set = ParameterSet::from(handle);
    if (set == nullptr || name == nullptr || parameterHandle == nullptr) {
        return kOfxStatErrBadHandle;
    }
    Parameter *parameter = set->find(name);
    if (parameter == nullptr) {
        return kOfxStatErrUnknown;
    }
    *parameterHandle = parameter->handle();
    if (properties != nullptr) {
        *properties = parameter->properties.handle();
    }
    return kOfxStatOK;
}

// Doubles come out through double*, booleans through int*, as the API says.
OfxStatus valueAt(Parameter *parameter, double time, va_list arguments) {
    if (parameter == nullptr) {
        return kOfxStatErrBadHandle;
    }
    if (parameter->type == kOfxParamTypeDouble) {
        *va_arg(arguments, double *) = parameter->realAt(time);
    } else if (parameter->type == kOfxParamTypeBoolean) {
        *va_arg(arguments, int *) = parameter->integerAt(time);
    } else {
        return kOfxStatErrUnsupported;
    }
    return kOfxStatOK;
}

OfxStatus paramGetValueAtTime(OfxParamHandle handle, OfxTime time, ...) {
    va_list arguments;
    va_start(arguments, time);
    const OfxStatus status = valueAt(Parameter::from(handle), time, arguments);
    va_end(arguments);
    return status;
}

const OfxParameterSuiteV1 parameterSuite = [] {
    OfxParameterSuiteV1 suite{};
    suite.paramDefine = paramDefine;
    suite.paramGetHandle = paramGetHandle;
    suite.paramSetGetPropertySet = propertiesOf<ParameterSet, OfxParamSetHandle>;
    suite.paramGetPropertySet = propertiesOf<Parameter, OfxParamHandle>;
    suite.paramGetValueAtTime = paramGetValueAtTime;
    return suite;
}();

// No thread index and no mutexes: a filter has no use for them, and some hosts offer no mutexes.
const OfxMultiThreadSuiteV1 multiThreadSuite = [] {
    OfxMultiThreadSuiteV1 suite{};
    suite.multiThread = [](OfxThreadFunctionV1 *function, unsigned int threads, void *argument) {
        return HostSim::active().runThreads(function, threads, argument);
    };
    suite.multiThreadNumCPUs = [](unsigned int *count) {
        if (count == nullptr) {
            return kOfxStatErrBadHandle;
        }
        *count = HostSim::active().script().processors;
        return kOfxStatOK;
    };
    return suite;
}();

// A suite whose every member is null, for hosts that offer one so.
const unsigned char noFunctions[256] = {};

} // namespace

const void *HostSim::fetchSuite(const char *name, int version) {
    if (name == nullptr) {
        return nullptr;
    }
    {
        const std::lock_guard guard(seen_.lock);
        seen_.fetchedSuites.emplace_back(name);
    }
    for (const std::string &refused : script_.refusedSuites) {
        if (refused == name) {
            return nullptr;
        }
    }
    const void *suite = nullptr;
    if (version == 1 && std::strcmp(name, kOfxPropertySuite) == 0) {
        suite = &PropertySet::suite();
    } else if (version == 1 && std::strcmp(name, kOfxImageEffectSuite) == 0) {
        suite = &imageEffectSuite;
    } else if (version == 1 && std::strcmp(name, kOfxParameterSuite) == 0) {
        suite = &parameterSuite;
    } else if (version == 1 && std::strcmp(name, kOfxMultiThreadSuite) == 0) {
        suite = &multiThreadSuite;
    }
    return suite != nullptr && script_.nullMembersOf == name ? noFunctions : suite;
}

OfxStatus HostSim::getImage(Clip &clip, PropertySet *&image) {
    image = nullptr;
    if (clip.fetchStatus != kOfxStatOK) {
        return clip.fetchStatus;
    }
    if (clip.nullHandle) {
        return kOfxStatOK;
    }
    Image *handedOver = clip.perFetch ? clip.perFetch() : clip.image;
    if (handedOver == nullptr) {
        return kOfxStatFailed; // no image at that time
    }
    Image &pixels = *handedOver;
    auto fetched = std::make_unique<PropertySet>(std::vector<const PropertySpecs *>{&specs::image()});
    const OfxRectI &b = pixels.shape().bounds;
    fetched->set(kOfxImagePropData, {pixels.data()});
    fetched->set(kOfxImagePropBounds, {b.x1, b.y1, b.x2, b.y2});
    fetched->set(kOfxImagePropRegionOfDefinition, {b.x1, b.y1, b.x2, b.y2});
    fetched->set(kOfxImagePropRowBytes, {pixels.rowBytes()});
    fetched->set(kOfxImageEffectPropPixelDepth, {std::string(pixels.depthName())});
    fetched->set(kOfxImageEffectPropComponents, {std::string(pixels.componentsName())});
    fetched->set(kOfxImageEffectPropPreMultiplication, clip.properties.values(kOfxImageEffectPropPreMultiplication));
    if (clip.adjust) {
        clip.adjust(*fetched);
    }
    {
        const std::lock_guard guard(seen_.lock);
        seen_.imageFetchThreads.push_back(std::this_thread::get_id());
    }
    seen_.imagesOutstanding.fetch_add(1);
    image = fetched.get();
    const std::lock_guard guard(imagesLock_);
    images_.insert(fetched.release());
    return kOfxStatOK;
}

OfxStatus HostSim::releaseImage(OfxPropertySetHandle handle) {
    PropertySet *image = PropertySet::from(handle);
    const std::lock_guard guard(imagesLock_);
    if (image == nullptr || images_.erase(image) == 0) {
        return kOfxStatErrBadHandle; // never handed out, or given back already
    }
    delete image;
    seen_.imagesOutstanding.fetch_sub(1);
    return kOfxStatOK;
}

int HostSim::abortRequested() {
    const int call = seen_.abortCalls.fetch_add(1) + 1;
    return script_.abortFromCall > 0 && call >= script_.abortFromCall ? 1 : 0;
}

OfxStatus HostSim::runThreads(OfxThreadFunctionV1 *function, unsigned int threads, void *argument) {
    if (onBandThread) {
        return kOfxStatErrExists; // no nesting
    }
    if (script_.refuseMultiThread || function == nullptr) {
        return kOfxStatFailed;
    }
    const unsigned int count = script_.threadLimit > 0 ? std::min(threads, script_.threadLimit) : threads;
    {
        const std::lock_guard guard(seen_.lock);
        seen_.threadMaxes.push_back(count);
    }
    bandThreads_.run(count, [this, function, count, argument](unsigned int index) {
        onBandThread = true;
        {
            const std::lock_guard guard(seen_.lock);
            seen_.bandThreads.insert(std::this_thread::get_id());
        }
        function(index, count, argument);
    });
    return kOfxStatOK;
}

} // namespace ofxsim
