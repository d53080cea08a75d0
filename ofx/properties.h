// A host property set through the property suite: typed setters and getters that copy what
// they read (a string the host returns is valid only until its next call).
#pragma once

#include "api/ofx_suites.h"
#include "ofx/host_suites.h"

#include <initializer_list>
#include <optional>
#include <string>

class Properties {
public:
    Properties(const OfxPropertySuiteV1 &suite, OfxPropertySetHandle handle) : suite_(suite), handle_(handle) {}

    OfxStatus set(const char *name, const char *value, int index = 0) const;
    OfxStatus set(const char *name, int value, int index = 0) const;
    OfxStatus set(const char *name, double value, int index = 0) const;
    OfxStatus setPointer(const char *name, void *value) const;
    // Every value from index 0 on; stops at the first failure.
    template <class T> OfxStatus set(const char *name, std::initializer_list<T> values) const {
        int index = 0;
        for (const T &value : values) {
            const OfxStatus status = set(name, value, index++);
            if (status != kOfxStatOK) {
                return status;
            }
        }
        return kOfxStatOK;
    }

    std::optional<std::string> string(const char *name, int index = 0) const;
    std::optional<int> integer(const char *name, int index = 0) const;
    std::optional<double> number(const char *name, int index = 0) const;
    std::optional<void *> pointer(const char *name) const;
    // An int×4 property as a rectangle.
    std::optional<OfxRectI> rect(const char *name) const;

private:
    const OfxPropertySuiteV1 &suite_;
    OfxPropertySetHandle handle_;
};

// The property set of an effect (a descriptor or an instance), if the host gives it.
std::optional<Properties> effectProperties(OfxImageEffectHandle effect);
