#include "host/checked_out_parameters.h"

PF_Err CheckedOutParameters::checkIn() {
    PF_Err first = PF_Err_NONE;
    for (; checkedOut_ >= 1; --checkedOut_) {
        const PF_Err err = in_.inter.checkin_param(in_.effect_ref, &records_[checkedOut_]);
        if (first == PF_Err_NONE) {
            first = err;
        }
    }
    return first;
}

PF_Err CheckedOutParameters::checkOut() {
    // A framework effect with more controls than the table holds cannot render: refuse it
    // rather than write past the table.
    if (count_ > kCapacity) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
    if (in_.inter.checkout_param == nullptr || in_.inter.checkin_param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    for (int32_t index = 1; index < count_; ++index) {
        const PF_Err err = in_.inter.checkout_param(in_.effect_ref, index, in_.current_time, in_.time_step,
                                                    in_.time_scale, &records_[index]);
        if (err != PF_Err_NONE) {
            return err;
        }
        pointers_[index] = &records_[index];
        checkedOut_ = index;
    }
    return PF_Err_NONE;
}
