#include "params/parameter_objects.h"

#include "params/numeric_conversions.h"

#include <limits>

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

bool isOn(const PF_ParamDef &record) { return record.u.bd.value != 0; }

} // namespace

xFloatBase::xFloatBase() : def("", "", 0, -kLargest, kLargest, -kLargest, kLargest, 2) {}

xCheckboxBase::xCheckboxBase() : def("", "", 0) {}

const PF_InData *xParameterBaseAE::checkout(double frame, PF_ParamDef &checkedOut) const {
    const PF_InData *in = host != nullptr ? host->currentInData() : nullptr;
    if (in == nullptr || in->inter.checkout_param == nullptr) {
        return nullptr;
    }
    const A_long time = truncateToInt32(frame * in->local_time_step);
    const PF_Err err = in->inter.checkout_param(in->effect_ref, index, time, in->time_step, in->time_scale, &checkedOut);
    return err == PF_Err_NONE ? in : nullptr;
}

double xFloat::value() const {
    const PF_ParamDef *current = record();
    return current != nullptr ? current->u.fs_d.value : floatDefinition().defaultValue;
}

double xFloat::valueAt(double frame) const {
    return readAt(frame, floatDefinition().defaultValue, [](const PF_ParamDef &r) { return r.u.fs_d.value; });
}

void xFloat::setValue(double value) {
    if (PF_ParamDef *current = record()) {
        current->u.fs_d.value = value;
        current->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
    }
}

bool xCheckbox::value() const {
    const PF_ParamDef *current = record();
    return current != nullptr ? isOn(*current) : checkboxDefinition().defaultValue;
}

bool xCheckbox::valueAt(double frame) const { return readAt(frame, checkboxDefinition().defaultValue, isOn); }
