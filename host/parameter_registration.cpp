// PF_Cmd_PARAMS_SETUP: every control of the parameter list declared to the host, in list order.
#include "host/after_effects_host.h"

#include "params/numeric_conversions.h"
#include "params/parameter_objects.h"

#include <cstring>

namespace {

// Adds records to the host and counts the ones it accepted.
class Registrar {
public:
    explicit Registrar(PF_InData &in) : in_(in) {}

    PF_Err add(PF_ParamDef &record) {
        const PF_Err err = in_.inter.add_param(in_.effect_ref, -1, &record);
        if (err == PF_Err_NONE) {
            ++count_;
        }
        return err;
    }

    // The host's name field holds 31 characters and a terminator: longer names are cut there.
    void setName(PF_ParamDef &record, const std::string &name) const {
        const std::string fitting = name.substr(0, PF_MAX_EFFECT_PARAM_NAME_LEN);
        const PF_UtilCallbacks *utils = in_.utils;
        if (utils != nullptr && utils->ansi.strcpy != nullptr) {
            utils->ansi.strcpy(record.name, fitting.c_str());
        } else {
            std::memcpy(record.name, fitting.c_str(), fitting.size() + 1);
        }
    }

    int32_t count() const { return count_; }

private:
    PF_InData &in_;
    int32_t count_ = 0;
};

PF_ParamFlags flagsOf(const xParameterDef &def) {
    return (def.animatable ? 0 : PF_ParamFlag_CANNOT_TIME_VARY) | (def.supervised ? PF_ParamFlag_SUPERVISE : 0) |
           (def.startCollapsed ? PF_ParamFlag_COLLAPSE_TWIRLY : 0);
}

// A unit-scale colour channel as an 8-bit value, truncated.
A_u_char channel8(double unit) {
    const int32_t value = truncateToInt32(unit * 255.0);
    return static_cast<A_u_char>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

void fillFloatSlider(PF_FloatSliderDef &slider, double validMin, double validMax, double sliderMin, double sliderMax,
                     double defaultValue, int32_t precision, PF_ValueDisplayFlags displayFlags) {
    slider.valid_min = narrowToFloat(validMin);
    slider.valid_max = narrowToFloat(validMax);
    slider.slider_min = narrowToFloat(sliderMin);
    slider.slider_max = narrowToFloat(sliderMax);
    slider.dephault = narrowToFloat(defaultValue);
    slider.value = static_cast<double>(slider.dephault);
    slider.precision = static_cast<A_short>(precision);
    slider.display_flags = displayFlags;
    slider.curve_tolerance = 0.05f;
}

PF_Err registerColour(Registrar &registrar, const xRGBADef &def, PF_ParamDef &record) {
    record.param_type = PF_Param_COLOR;
    const PF_Pixel colour{255, channel8(def.red), channel8(def.green), channel8(def.blue)};
    record.u.cd.value = colour;
    record.u.cd.dephault = colour;
    const PF_Err err = registrar.add(record);
    if (err != PF_Err_NONE || def.alphaId <= 0) {
        return err;
    }
    // The companion alpha slider: the same record, not cleared, so it keeps the colour's flags.
    record.param_type = PF_Param_FLOAT_SLIDER;
    registrar.setName(record, def.name + "(alpha)");
    fillFloatSlider(record.u.fs_d, 0.0, 1.0, 0.0, 1.0, def.alpha, 3, PF_ValueDisplayFlag_NONE);
    record.uu.id = def.alphaId;
    return registrar.add(record);
}

std::string joinedChoices(const std::vector<std::string> &items) {
    std::string joined;
    for (const std::string &item : items) {
        joined += (joined.empty() ? "" : "| ") + item;
    }
    return joined;
}

// Fills the record for the definition's kind, tested in a fixed order, and adds it.
PF_Err registerDefinition(Registrar &registrar, const xParameterDef &def, PF_ParamDef &record) {
    record.uu.id = def.id;
    if (dynamic_cast<const xGroupDef *>(&def) != nullptr) {
        record.param_type = PF_Param_GROUP_START;
        registrar.setName(record, def.name);
        return registrar.add(record);
    }
    if (dynamic_cast<const xGroupEndDef *>(&def) != nullptr) {
        record.param_type = PF_Param_GROUP_END;
        return registrar.add(record);
    }
    registrar.setName(record, def.name);
    if (const auto *colour = dynamic_cast<const xRGBADef *>(&def)) {
        return registerColour(registrar, *colour, record);
    }
    if (const auto *slider = dynamic_cast<const xIntSliderDef *>(&def)) {
        record.param_type = PF_Param_SLIDER;
        record.u.sd.value = record.u.sd.dephault = slider->defaultValue;
        record.u.sd.valid_min = slider->validMin;
        record.u.sd.valid_max = slider->validMax;
        record.u.sd.slider_min = slider->sliderMin;
        record.u.sd.slider_max = slider->sliderMax;
        return registrar.add(record);
    }
    if (const auto *slider = dynamic_cast<const xFloatDef *>(&def)) {
        record.param_type = PF_Param_FLOAT_SLIDER;
        const PF_ValueDisplayFlags display = static_cast<PF_ValueDisplayFlags>(
            (slider->displayPixels ? PF_ValueDisplayFlag_PIXEL : 0) |
            (slider->displayPercent ? PF_ValueDisplayFlag_PERCENT : 0));
        fillFloatSlider(record.u.fs_d, slider->validMin, slider->validMax, slider->sliderMin, slider->sliderMax,
                        slider->defaultValue, slider->precision, display);
        return registrar.add(record);
    }
    if (const auto *angle = dynamic_cast<const xAngleDef *>(&def)) {
        record.param_type = PF_Param_ANGLE;
        record.u.ad.value = record.u.ad.dephault = truncateToInt32(angle->defaultDegrees * 65536.0);
        return registrar.add(record);
    }
    if (const auto *checkbox = dynamic_cast<const xCheckboxDef *>(&def)) {
        record.param_type = PF_Param_CHECKBOX;
        record.u.bd.value = checkbox->defaultValue ? 1 : 0;
        record.u.bd.dephault = checkbox->defaultValue ? 1 : 0;
        record.u.bd.u.nameptr = ""; // no label beside the box
        return registrar.add(record);
    }
    if (const auto *choice = dynamic_cast<const xChoiceDef *>(&def)) {
        record.param_type = PF_Param_POPUP;
        const std::string names = joinedChoices(choice->items); // lives until add_param has returned
        record.u.pd.u.namesptr = names.c_str();
        record.u.pd.num_choices = static_cast<A_short>(choice->items.size());
        record.u.pd.dephault = static_cast<A_short>(choice->defaultChoice);
        record.u.pd.value = choice->defaultChoice;
        return registrar.add(record);
    }
    if (dynamic_cast<const xLayerDef *>(&def) != nullptr) {
        record.param_type = PF_Param_LAYER;
        record.u.ld.dephault = PF_LayerDefault_NONE;
        return registrar.add(record);
    }
    if (const auto *point = dynamic_cast<const xPoint2dDef *>(&def)) {
        record.param_type = PF_Param_POINT;
        // Percent of the layer size in 16.16 fixed point (the shift is modular in C++20).
        record.u.td.x_value = record.u.td.x_dephault = truncateToInt32(point->defaultX * 100.0) << 16;
        record.u.td.y_value = record.u.td.y_dephault = truncateToInt32(point->defaultY * 100.0) << 16;
        record.u.td.restrict_bounds = point->restrictToBounds ? 1 : 0;
        return registrar.add(record);
    }
    return PF_Err_NONE; // a kind the host has no control for is not registered
}

} // namespace

PF_Err AfterEffectsHost::paramsSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *[], PF_LayerDef *) {
    if (in_data == nullptr || out_data == nullptr || in_data->inter.add_param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    Registrar registrar(*in_data);
    for (xParameterBase *element : parameterList().elements()) {
        const xParameterDef &def = element->definition();
        PF_ParamDef record{};
        record.flags = flagsOf(def);
        record.ui_flags = def.enabled ? PF_PUI_NONE : PF_PUI_DISABLED;
        if (def.internalOnly) {
            continue;
        }
        const PF_Err err = registerDefinition(registrar, def, record);
        if (err != PF_Err_NONE) {
            return err; // controls added so far stay added; num_params is left as it was
        }
    }
    out_data->num_params = registrar.count() + 1; // the input layer is parameter 0
    return noError();
}
