// The basic suite and the parameter utilities suite, reached through PF_InData::pica_basicP.
#pragma once

#include "api/ae_records.h"

#include <cstddef>

struct SPBasicSuite {
    SPErr (*AcquireSuite)(const char *name, int32_t version, const void **suite);
    SPErr (*ReleaseSuite)(const char *name, int32_t version);
    SPBoolean (*IsEqual)(const char *token1, const char *token2);
    SPErr (*AllocateBlock)(std::size_t size, void **block);
    SPErr (*FreeBlock)(void *block);
    SPErr (*ReallocateBlock)(void *block, std::size_t newSize, void **newblock);
    SPErr (*Undefined)(void);
};

static_assert(sizeof(SPBasicSuite) == 56 && offsetof(SPBasicSuite, ReleaseSuite) == 8 &&
              offsetof(SPBasicSuite, Undefined) == 48);

inline constexpr const char *kPFParamUtilsSuite = "PF Param Utils Suite";
inline constexpr int32_t kPFParamUtilsSuiteVersion1 = 2; // the 64-bit table, version number 2

// Version 2 of "PF Param Utils Suite". Only PF_UpdateParamUI is called; the rest keep their places.
struct PF_ParamUtilsSuite1 {
    PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const PF_ParamDef *def);
    void *PF_GetCurrentStateObsolete;
    void *PF_HasParamChangedObsolete;
    void *PF_HaveInputsChangedOverTimeSpanObsolete;
    void *PF_IsIdenticalCheckout;
    void *PF_FindKeyframeTime;
    void *PF_GetKeyframeCount;
    void *PF_CheckoutKeyframe;
    void *PF_CheckinKeyframe;
    void *PF_KeyIndexToTime;
};

static_assert(sizeof(PF_ParamUtilsSuite1) == 80 && offsetof(PF_ParamUtilsSuite1, PF_KeyIndexToTime) == 72);
