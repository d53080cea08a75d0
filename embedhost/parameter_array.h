// The host's parameter array of one effect instance: index 0 is the input layer.
#pragma once

#include "api/effect_api.h"

#include <deque>
#include <vector>

namespace embedhost {

class ParameterArray {
public:
    ParameterArray() { reset(); }
    ParameterArray(const ParameterArray &) = delete; // the pointers point into this array
    ParameterArray &operator=(const ParameterArray &) = delete;

    // Back to the input layer alone.
    void reset();

    // Appends a record and returns its index.
    PF_ParamIndex append(const PF_ParamDef &record);
    PF_ParamDef &at(PF_ParamIndex index) { return records_.at(static_cast<std::size_t>(index)); }
    bool contains(PF_ParamIndex index) const {
        return index >= 0 && static_cast<std::size_t>(index) < records_.size();
    }
    PF_ParamIndex size() const { return static_cast<PF_ParamIndex>(records_.size()); }

    void setFloat(PF_ParamIndex index, double value) { at(index).u.fs_d.value = value; }
    void setCheckbox(PF_ParamIndex index, A_long value) { at(index).u.bd.value = value; }

    // The array of pointers handed to the effect.
    PF_ParamDef **pointers() { return pointers_.data(); }

private:
    std::deque<PF_ParamDef> records_; // a deque keeps records in place as it grows
    std::vector<PF_ParamDef *> pointers_;
};

// A float slider and a checkbox record, as a host holds them after registration.
PF_ParamDef floatSliderRecord(double value);
PF_ParamDef checkboxRecord(A_long value);

} // namespace embedhost
