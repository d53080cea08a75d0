// Host-neutral definitions of effect controls. A definition's kind is its dynamic type:
// registration tells the kinds apart by down-casts, not by a tag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class xParameterDef {
public:
    xParameterDef(std::string name, std::string key, int32_t id)
        : key(key.empty() ? name : std::move(key)), name(std::move(name)), id(id) {}
    virtual ~xParameterDef() = default;

    std::string key;  // handed to the host object's change hook when the user changes the control
    std::string name; // display name; the host holds 31 characters
    int32_t id;       // the control's id in the host's projects: distinct, non-zero
    bool animatable = true;
    bool supervised = false;
    bool internalOnly = false; // never registered, never numbered
    bool startCollapsed = true;
    bool enabled = true;
};

class xFloatDef : public xParameterDef {
public:
    // The slider range comes before the valid range here, although it is declared after it.
    xFloatDef(std::string name, std::string key, int32_t id, double sliderMin, double sliderMax, double validMin,
              double validMax, int32_t precision)
        : xParameterDef(std::move(name), std::move(key), id), precision(precision), validMin(validMin),
          validMax(validMax), sliderMin(sliderMin), sliderMax(sliderMax) {}

    bool displayPixels = false;
    bool displayPercent = false;
    int32_t precision;
    double defaultValue = 0.0;
    double validMin;
    double validMax;
    double sliderMin;
    double sliderMax;
};

class xCheckboxDef : public xParameterDef {
public:
    using xParameterDef::xParameterDef;
    bool defaultValue = false;
};

// A colour; with a positive alphaId the host also gets a companion alpha slider.
class xRGBADef : public xParameterDef {
public:
    xRGBADef(std::string name, std::string key, int32_t id, int32_t alphaId)
        : xParameterDef(std::move(name), std::move(key), id), alphaId(alphaId) {}

    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;
    int32_t alphaId;
};
