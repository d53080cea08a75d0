// The smart commands' own parameter table: every control checked out at the current time,
// and checked back in, highest index first, whatever path the command takes.
#pragma once

#include "api/effect_api.h"

class CheckedOutParameters {
public:
    static constexpr int32_t kCapacity = 150;

    // `count` is the first free host index (the adapter's parameterCount).
    CheckedOutParameters(const PF_InData &in, int32_t count) : in_(in), count_(count) {}
    ~CheckedOutParameters() { checkIn(); }
    CheckedOutParameters(const CheckedOutParameters &) = delete;
    CheckedOutParameters &operator=(const CheckedOutParameters &) = delete;

    // Checks out indexes 1 to count - 1; stops at the first error and returns it.
    PF_Err checkOut();
    // Checks in every record still out, highest index first, and returns the first error the
    // host answered (the rest are still checked in). The destructor does it if nobody did.
    PF_Err checkIn();
    // The table, indexed by host index; entry 0 (the input layer) stays null.
    PF_ParamDef **pointers() { return pointers_; }

private:
    const PF_InData &in_;
    int32_t count_;
    int32_t checkedOut_ = 0; // indexes 1..checkedOut_ hold records to check in
    PF_ParamDef records_[kCapacity] = {};
    PF_ParamDef *pointers_[kCapacity] = {};
};
