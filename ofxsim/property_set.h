// A host's property set, and the property suite over it. Each set knows the properties its
// kind of object has in the API, with their types and defaults; setting or getting any other
// fails as in a real host (unknown property), and every such attempt is recorded, so a test
// sees a misspelt or misplaced property. Handles are checked: a released set (an image given
// back) answers bad-handle instead of reaching memory that is gone.
#pragma once

#include "api/ofx_suites.h"

#include <map>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace ofxsim {

enum class PropertyType { pointer, string, real, integer };

using PropertyValue = std::variant<void *, std::string, double, int>;

// How the API lists a property: name, type, dimension (0: any number of values), defaults,
// and whether a plug-in may write it.
struct PropertySpec {
    std::string name;
    PropertyType type;
    int dimension;
    std::vector<PropertyValue> defaults;
    bool pluginWritable = true;
};

using PropertySpecs = std::vector<PropertySpec>;

class PropertySet {
public:
    explicit PropertySet(const std::vector<const PropertySpecs *> &kinds = {});
    PropertySet(const PropertySet &other);
    PropertySet &operator=(const PropertySet &) = delete;
    ~PropertySet();

    OfxPropertySetHandle handle() { return reinterpret_cast<OfxPropertySetHandle>(this); }
    // The live set behind a handle, or null for one never made or already destroyed.
    static PropertySet *from(OfxPropertySetHandle handle);

    void define(const PropertySpec &spec);

    // The host's own access, whatever the plug-in may write. Getters of a missing value give
    // the type's empty value.
    void set(const std::string &name, const std::vector<PropertyValue> &values);
    std::vector<PropertyValue> values(const std::string &name) const;
    std::string string(const std::string &name, int index = 0) const;
    int integer(const std::string &name, int index = 0) const;
    double real(const std::string &name, int index = 0) const;
    void *pointer(const std::string &name, int index = 0) const;
    std::vector<std::string> strings(const std::string &name) const;

    // The names the plug-in used that this kind of object does not have.
    std::vector<std::string> unknownNames() const;

    static const OfxPropertySuiteV1 &suite();

private:
    struct Property {
        PropertySpec spec;
        std::vector<PropertyValue> values;
    };
    friend struct PropertySuiteCalls;

    OfxStatus pluginSet(const char *name, int index, const PropertyValue &value);
    OfxStatus pluginGet(const char *name, int index, PropertyType type, PropertyValue &value);
    OfxStatus pluginDimension(const char *name, int &count);
    OfxStatus pluginReset(const char *name);
    Property *knownByPlugin(const char *name); // records the name when unknown; lock held

    mutable std::mutex lock_;
    std::map<std::string, Property> properties_;
    std::vector<std::string> unknown_;
};

} // namespace ofxsim
