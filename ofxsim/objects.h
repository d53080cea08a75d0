// The host's objects behind the handles it gives the plug-in: effects (descriptors and
// instances), their clips and parameters. A handle is the object's address.
#pragma once

#include "api/ofx_core.h"
#include "ofxsim/image.h"
#include "ofxsim/property_set.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ofxsim {

class Parameter {
public:
    Parameter(std::string type, std::string name, PropertySet properties)
        : type(std::move(type)), name(std::move(name)), properties(std::move(properties)) {}

    OfxParamHandle handle() { return reinterpret_cast<OfxParamHandle>(this); }
    static Parameter *from(OfxParamHandle handle) { return reinterpret_cast<Parameter *>(handle); }

    // The value at a time: a key at exactly that time, else the constant value.
    double realAt(double time) const;
    int integerAt(double time) const;

    std::string type;
    std::string name;
    PropertySet properties;
    double real = 0.0;
    int integer = 0;
    std::map<double, double> keys; // time to value, for doubles and booleans alike
};

class ParameterSet {
public:
    explicit ParameterSet(PropertySet properties) : properties(std::move(properties)) {}

    OfxParamSetHandle handle() { return reinterpret_cast<OfxParamSetHandle>(this); }
    static ParameterSet *from(OfxParamSetHandle handle) { return reinterpret_cast<ParameterSet *>(handle); }
    Parameter *find(const std::string &name);

    PropertySet properties;
    std::vector<std::unique_ptr<Parameter>> parameters; // in definition order
};

class Clip {
public:
    Clip(std::string name, PropertySet properties) : name(std::move(name)), properties(std::move(properties)) {}

    OfxImageClipHandle handle() { return reinterpret_cast<OfxImageClipHandle>(this); }
    static Clip *from(OfxImageClipHandle handle) { return reinterpret_cast<Clip *>(handle); }

    std::string name;
    PropertySet properties;

    // What clipGetImage hands over: this image (none: the fetch fails), or the one `perFetch`
    // answers at each fetch (a host gives each render its own output); a status other than
    // OK instead, or a null handle with OK (as some hosts do for clips left unconnected).
    // `adjust` changes the image's properties before the plug-in sees them.
    Image *image = nullptr;
    std::function<Image *()> perFetch;
    OfxStatus fetchStatus = kOfxStatOK;
    bool nullHandle = false;
    std::function<void(PropertySet &)> adjust;
};

class Effect {
public:
    explicit Effect(PropertySet properties, PropertySet parameterSetProperties)
        : properties(std::move(properties)), parameters(std::move(parameterSetProperties)) {}

    OfxImageEffectHandle handle() { return reinterpret_cast<OfxImageEffectHandle>(this); }
    static Effect *from(OfxImageEffectHandle handle) { return reinterpret_cast<Effect *>(handle); }
    Clip *clip(const std::string &name);

    PropertySet properties;
    ParameterSet parameters;
    std::vector<std::unique_ptr<Clip>> clips; // in definition order
    bool isInstance = false;
};

} // namespace ofxsim
