#include "ofx/properties.h"

OfxStatus Properties::set(const char *name, const char *value, int index) const {
    return suite_.propSetString(handle_, name, index, value);
}

OfxStatus Properties::set(const char *name, int value, int index) const {
    return suite_.propSetInt(handle_, name, index, value);
}

OfxStatus Properties::set(const char *name, double value, int index) const {
    return suite_.propSetDouble(handle_, name, index, value);
}

OfxStatus Properties::setPointer(const char *name, void *value) const {
    return suite_.propSetPointer(handle_, name, 0, value);
}

std::optional<std::string> Properties::string(const char *name, int index) const {
    char *value = nullptr;
    if (suite_.propGetString(handle_, name, index, &value) != kOfxStatOK || value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<int> Properties::integer(const char *name, int index) const {
    int value = 0;
    if (suite_.propGetInt(handle_, name, index, &value) != kOfxStatOK) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> Properties::number(const char *name, int index) const {
    double value = 0.0;
    if (suite_.propGetDouble(handle_, name, index, &value) != kOfxStatOK) {
        return std::nullopt;
    }
    return value;
}

std::optional<void *> Properties::pointer(const char *name) const {
    void *value = nullptr;
    if (suite_.propGetPointer(handle_, name, 0, &value) != kOfxStatOK) {
        return std::nullopt;
    }
    return value;
}

std::optional<OfxRectI> Properties::rect(const char *name) const {
    int corners[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<int> corner = integer(name, i);
        if (!corner) {
            return std::nullopt;
        }
        corners[i] = *corner;
    }
    return OfxRectI{corners[0], corners[1], corners[2], corners[3]};
}

std::optional<Properties> effectProperties(OfxImageEffectHandle effect) {
    const HostSuites &suites = hostSuites();
    OfxPropertySetHandle handle = nullptr;
    if (suites.imageEffect->getPropertySet(effect, &handle) != kOfxStatOK || handle == nullptr) {
        return std::nullopt;
    }
    return Properties(*suites.property, handle);
}
