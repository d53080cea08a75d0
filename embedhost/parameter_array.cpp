#include "embedhost/parameter_array.h"

namespace embedhost {

void ParameterArray::reset() {
    records_.clear();
    pointers_.clear();
    PF_ParamDef layer{};
    layer.param_type = PF_Param_LAYER;
    append(layer);
}

PF_ParamIndex ParameterArray::append(const PF_ParamDef &record) {
    records_.push_back(record);
    pointers_.push_back(&records_.back());
    return size() - 1;
}

PF_ParamDef floatSliderRecord(double value) {
    PF_ParamDef record{};
    record.param_type = PF_Param_FLOAT_SLIDER;
    record.u.fs_d.value = value;
    return record;
}

PF_ParamDef checkboxRecord(A_long value) {
    PF_ParamDef record{};
    record.param_type = PF_Param_CHECKBOX;
    record.u.bd.value = value;
    return record;
}

} // namespace embedhost
