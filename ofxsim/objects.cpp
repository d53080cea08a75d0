#include "ofxsim/objects.h"

namespace ofxsim {

double Parameter::realAt(double time) const {
    const auto key = keys.find(time);
    return key != keys.end() ? key->second : real;
}

int Parameter::integerAt(double time) const {
    const auto key = keys.find(time);
    return key != keys.end() ? static_cast<int>(key->second) : integer;
}

Parameter *ParameterSet::find(const std::string &name) {
    for (const auto &parameter : parameters) {
        if (parameter->name == name) {
            return parameter.get();
        }
    }
    return nullptr;
}

Clip *Effect::clip(const std::string &name) {
    for (const auto &clip : clips) {
        if (clip->name == name) {
            return clip.get();
        }
    }
    return nullptr;
}

} // namespace ofxsim
