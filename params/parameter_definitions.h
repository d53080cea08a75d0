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

// The kinds below are known to the framework by type; this effect's controls use none of them.

// Opens a group of controls (a twirly in the host).
class xGroupDef : public xParameterDef {
public:
    using xParameterDef::xParameterDef;
};

// Closes the group opened last.
class xGroupEndDef : public xParameterDef {
public:
    using xParameterDef::xParameterDef;
};

// A colour; with a positive alphaId the host also gets a companion alpha slider.
class xRGBADef : public xParameterDef {
public:
    xRGBADef(std::string name, std::string key, int32_t id, int32_t alphaId)
        : xParameterDef(std::move(name), std::move(key), id), alphaId(alphaId) {}

    double red = 0.0; // defaults, 0..1
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;
    int32_t alphaId;
};

class xIntSliderDef : public xParameterDef {
public:
    using xParameterDef::xParameterDef;
    int32_t defaultValue = 0;
    int32_t validMin = 0;
    int32_t validMax = 100;
    int32_t sliderMin = 0;
    int32_t sliderMax = 100;
};

class xAngleDef : public xParameterDef {
public:
    using xParameterDef::xParameterDef;
    double defaultDegrees = 0.0;
};

class xChoiceDef : public xParameterDef {
public:
    using xParameterDef::xParameterDef;
    std::vector<std::string> items;
    int32_t defaultChoice = 1;
};

class xLayerDef : public xParameterDef {
public:
    using xParameterDef::xParameterDef;
};

// A point; defaults are fractions of the layer size (1.0 = full size).
class xPoint2dDef : public xParameterDef {
public:
    using xParameterDef::xParameterDef;
    double defaultX = 0.5;
    double defaultY = 0.5;
    bool restrictToBounds = false;
};
