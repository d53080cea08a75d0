#include "ofxsim/property_set.h"

#include <algorithm>
#include <set>
#include <shared_mutex>

namespace ofxsim {

namespace {

// Every set alive, so a handle can be checked before it is followed.
std::shared_mutex registryLock;
std::set<const PropertySet *> &registry() {
    static std::set<const PropertySet *> sets;
    return sets;
}

PropertyType typeOf(const PropertyValue &value) {
    switch (value.index()) {
    case 0:
        return PropertyType::pointer;
    case 1:
        return PropertyType::string;
    case 2:
        return PropertyType::real;
    default:
        return PropertyType::integer;
    }
}

PropertyValue emptyOf(PropertyType type) {
    switch (type) {
    case PropertyType::pointer:
        return static_cast<void *>(nullptr);
    case PropertyType::string:
        return std::string();
    case PropertyType::real:
        return 0.0;
    case PropertyType::integer:
        break;
    }
    return 0;
}

} // namespace

PropertySet::PropertySet(const std::vector<const PropertySpecs *> &kinds) {
    for (const PropertySpecs *specs : kinds) {
        for (const PropertySpec &spec : *specs) {
            define(spec);
        }
    }
    const std::unique_lock guard(registryLock);
    registry().insert(this);
}

PropertySet::PropertySet(const PropertySet &other) {
    {
        const std::lock_guard guard(other.lock_);
        properties_ = other.properties_;
    }
    const std::unique_lock guard(registryLock);
    registry().insert(this);
}

PropertySet::~PropertySet() {
    const std::unique_lock guard(registryLock);
    registry().erase(this);
}

PropertySet *PropertySet::from(OfxPropertySetHandle handle) {
    auto *set = reinterpret_cast<PropertySet *>(handle);
    const std::shared_lock guard(registryLock);
    return registry().count(set) != 0 ? set : nullptr;
}

void PropertySet::define(const PropertySpec &spec) {
    const std::lock_guard guard(lock_);
    properties_[spec.name] = Property{spec, spec.defaults};
}

void PropertySet::set(const std::string &name, const std::vector<PropertyValue> &values) {
    const std::lock_guard guard(lock_);
    auto found = properties_.find(name);
    if (found == properties_.end()) {
        const PropertyType type = values.empty() ? PropertyType::string : typeOf(values.front());
        found = properties_.emplace(name, Property{{name, type, 0, {}, true}, {}}).first;
    }
    found->second.values = values;
}

std::vector<PropertyValue> PropertySet::values(const std::string &name) const {
    const std::lock_guard guard(lock_);
    const auto found = properties_.find(name);
    return found != properties_.end() ? found->second.values : std::vector<PropertyValue>{};
}

std::string PropertySet::string(const std::string &name, int index) const {
    const std::vector<PropertyValue> all = values(name);
    const auto *value = index < static_cast<int>(all.size()) ? std::get_if<std::string>(&all[index]) : nullptr;
    return value != nullptr ? *value : std::string();
}

int PropertySet::integer(const std::string &name, int index) const {
    const std::vector<PropertyValue> all = values(name);
    const auto *value = index < static_cast<int>(all.size()) ? std::get_if<int>(&all[index]) : nullptr;
    return value != nullptr ? *value : 0;
}

double PropertySet::real(const std::string &name, int index) const {
    const std::vector<PropertyValue> all = values(name);
    const auto *value = index < static_cast<int>(all.size()) ? std::get_if<double>(&all[index]) : nullptr;
    return value != nullptr ? *value : 0.0;
}

void *PropertySet::pointer(const std::string &name, int index) const {
    const std::vector<PropertyValue> all = values(name);
    void *const *value = index < static_cast<int>(all.size()) ? std::get_if<void *>(&all[index]) : nullptr;
    return value != nullptr ? *value : nullptr;
}

std::vector<std::string> PropertySet::strings(const std::string &name) const {
    std::vector<std::string> texts;
    for (const PropertyValue &value : values(name)) {
        if (const auto *text = std::get_if<std::string>(&value)) {
            texts.push_back(*text);
        }
    }
    return texts;
}

std::vector<std::string> PropertySet::unknownNames() const {
    const std::lock_guard guard(lock_);
    return unknown_;
}

PropertySet::Property *PropertySet::knownByPlugin(const char *name) {
    if (name == nullptr) {
        return nullptr;
    }
    const auto found = properties_.find(name);
    if (found == properties_.end()) {
        if (std::find(unknown_.begin(), unknown_.end(), name) == unknown_.end()) {
            unknown_.emplace_back(name);
        }
        return nullptr;
    }
    return &found->second;
}

OfxStatus PropertySet::pluginSet(const char *name, int index, const PropertyValue &value) {
    const std::lock_guard guard(lock_);
    Property *property = knownByPlugin(name);
    if (property == nullptr) {
        return kOfxStatErrUnknown;
    }
    const PropertySpec &spec = property->spec;
    if (!spec.pluginWritable || typeOf(value) != spec.type) {
        return kOfxStatErrValue;
    }
    if (index < 0 || (spec.dimension > 0 && index >= spec.dimension)) {
        return kOfxStatErrBadIndex;
    }
    if (index >= static_cast<int>(property->values.size())) {
        property->values.resize(static_cast<std::size_t>(index) + 1, emptyOf(spec.type));
    }
    property->values[static_cast<std::size_t>(index)] = value;
    return kOfxStatOK;
}

OfxStatus PropertySet::pluginGet(const char *name, int index, PropertyType type, PropertyValue &value) {
    const std::lock_guard guard(lock_);
    Property *property = knownByPlugin(name);
    if (property == nullptr) {
        return kOfxStatErrUnknown;
    }
    if (property->spec.type != type) {
        return kOfxStatErrValue;
    }
    if (index < 0 || index >= static_cast<int>(property->values.size())) {
        return kOfxStatErrBadIndex;
    }
    value = property->values[static_cast<std::size_t>(index)];
    return kOfxStatOK;
}

OfxStatus PropertySet::pluginDimension(const char *name, int &count) {
    const std::lock_guard guard(lock_);
    Property *property = knownByPlugin(name);
    if (property == nullptr) {
        return kOfxStatErrUnknown;
    }
    count = static_cast<int>(property->values.size());
    return kOfxStatOK;
}

OfxStatus PropertySet::pluginReset(const char *name) {
    const std::lock_guard guard(lock_);
    Property *property = knownByPlugin(name);
    if (property == nullptr) {
        return kOfxStatErrUnknown;
    }
    property->values = property->spec.defaults;
    return kOfxStatOK;
}

// The suite's functions: a handle is checked, then the set answers.
struct PropertySuiteCalls {
    static OfxStatus set(OfxPropertySetHandle handle, const char *name, int index, const PropertyValue &value) {
        PropertySet *set = PropertySet::from(handle);
        return set != nullptr ? set->pluginSet(name, index, value) : kOfxStatErrBadHandle;
    }
    template <class T>
    static OfxStatus setN(OfxPropertySetHandle handle, const char *name, int count, const T *values) {
        if (count < 0 || (count > 0 && values == nullptr)) {
            return kOfxStatErrValue;
        }
        for (int i = 0; i < count; ++i) {
            const OfxStatus status = set(handle, name, i, toValue(values[i]));
            if (status != kOfxStatOK) {
                return status;
            }
        }
        return kOfxStatOK;
    }
    static PropertyValue toValue(void *value) { return value; }
    static PropertyValue toValue(const char *value) { return std::string(value != nullptr ? value : ""); }
    static PropertyValue toValue(double value) { return value; }
    static PropertyValue toValue(int value) { return value; }

    template <class T> static OfxStatus get(OfxPropertySetHandle handle, const char *name, int index, T *out) {
        PropertySet *set = PropertySet::from(handle);
        if (set == nullptr) {
            return kOfxStatErrBadHandle;
        }
        if (out == nullptr) {
            return kOfxStatErrValue;
        }
        PropertyValue value;
        const OfxStatus status = set->pluginGet(name, index, typeFor<T>(), value);
        if (status == kOfxStatOK) {
            store(set, name, index, value, out);
        }
        return status;
    }
    template <class T> static OfxStatus getN(OfxPropertySetHandle handle, const char *name, int count, T *out) {
        for (int i = 0; i < count; ++i) {
            const OfxStatus status = get(handle, name, i, out + i);
            if (status != kOfxStatOK) {
                return status;
            }
        }
        return kOfxStatOK;
    }
    template <class T> static PropertyType typeFor() {
        if constexpr (std::is_same_v<T, void *>) {
            return PropertyType::pointer;
        } else if constexpr (std::is_same_v<T, char *>) {
            return PropertyType::string;
        } else if constexpr (std::is_same_v<T, double>) {
            return PropertyType::real;
        } else {
            return PropertyType::integer;
        }
    }
    template <class T>
    static void store(PropertySet *set, const char *name, int index, const PropertyValue &value, T *out) {
        if constexpr (std::is_same_v<T, char *>) {
            // The host's own copy, valid until the property changes, as hosts promise.
            const std::lock_guard guard(set->lock_);
            *out = std::get<std::string>(set->properties_.at(name).values[static_cast<std::size_t>(index)]).data();
        } else {
            *out = std::get<T>(value);
        }
    }
    static OfxStatus reset(OfxPropertySetHandle handle, const char *name) {
        PropertySet *set = PropertySet::from(handle);
        return set != nullptr ? set->pluginReset(name) : kOfxStatErrBadHandle;
    }
    static OfxStatus dimension(OfxPropertySetHandle handle, const char *name, int *count) {
        PropertySet *set = PropertySet::from(handle);
        if (set == nullptr) {
            return kOfxStatErrBadHandle;
        }
        return count != nullptr ? set->pluginDimension(name, *count) : kOfxStatErrValue;
    }
};

const OfxPropertySuiteV1 &PropertySet::suite() {
    using C = PropertySuiteCalls;
    static const OfxPropertySuiteV1 calls{
        [](OfxPropertySetHandle h, const char *n, int i, void *v) { return C::set(h, n, i, v); },
        [](OfxPropertySetHandle h, const char *n, int i, const char *v) { return C::set(h, n, i, C::toValue(v)); },
        [](OfxPropertySetHandle h, const char *n, int i, double v) { return C::set(h, n, i, v); },
        [](OfxPropertySetHandle h, const char *n, int i, int v) { return C::set(h, n, i, v); },
        [](OfxPropertySetHandle h, const char *n, int c, void *const *v) { return C::setN(h, n, c, v); },
        [](OfxPropertySetHandle h, const char *n, int c, const char *const *v) { return C::setN(h, n, c, v); },
        [](OfxPropertySetHandle h, const char *n, int c, const double *v) { return C::setN(h, n, c, v); },
        [](OfxPropertySetHandle h, const char *n, int c, const int *v) { return C::setN(h, n, c, v); },
        [](OfxPropertySetHandle h, const char *n, int i, void **v) { return C::get(h, n, i, v); },
        [](OfxPropertySetHandle h, const char *n, int i, char **v) { return C::get(h, n, i, v); },
        [](OfxPropertySetHandle h, const char *n, int i, double *v) { return C::get(h, n, i, v); },
        [](OfxPropertySetHandle h, const char *n, int i, int *v) { return C::get(h, n, i, v); },
        [](OfxPropertySetHandle h, const char *n, int c, void **v) { return C::getN(h, n, c, v); },
        [](OfxPropertySetHandle h, const char *n, int c, char **v) { return C::getN(h, n, c, v); },
        [](OfxPropertySetHandle h, const char *n, int c, double *v) { return C::getN(h, n, c, v); },
        [](OfxPropertySetHandle h, const char *n, int c, int *v) { return C::getN(h, n, c, v); },
        C::reset,
        C::dimension,
    };
    return calls;
}

} // namespace ofxsim
