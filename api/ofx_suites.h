// Our declarations of the OpenFX suites a filter uses, in the published member order. A host
// may leave members null: test each pointer before calling it.
#pragma once

#include "api/ofx_core.h"

#include <cstddef>

inline constexpr char kOfxPropertySuite[] = "OfxPropertySuite";
inline constexpr char kOfxImageEffectSuite[] = "OfxImageEffectSuite";
inline constexpr char kOfxParameterSuite[] = "OfxParameterSuite";
inline constexpr char kOfxMemorySuite[] = "OfxMemorySuite";
inline constexpr char kOfxMultiThreadSuite[] = "OfxMultiThreadSuite";
inline constexpr char kOfxMessageSuite[] = "OfxMessageSuite";
inline constexpr char kOfxProgressSuite[] = "OfxProgressSuite";

struct OfxPropertySuiteV1 {
    OfxStatus (*propSetPointer)(OfxPropertySetHandle properties, const char *property, int index, void *value);
    OfxStatus (*propSetString)(OfxPropertySetHandle properties, const char *property, int index, const char *value);
    OfxStatus (*propSetDouble)(OfxPropertySetHandle properties, const char *property, int index, double value);
    OfxStatus (*propSetInt)(OfxPropertySetHandle properties, const char *property, int index, int value);
    OfxStatus (*propSetPointerN)(OfxPropertySetHandle properties, const char *property, int count, void *const *values);
    OfxStatus (*propSetStringN)(OfxPropertySetHandle properties, const char *property, int count,
                                const char *const *values);
    OfxStatus (*propSetDoubleN)(OfxPropertySetHandle properties, const char *property, int count, const double *values);
    OfxStatus (*propSetIntN)(OfxPropertySetHandle properties, const char *property, int count, const int *values);
    OfxStatus (*propGetPointer)(OfxPropertySetHandle properties, const char *property, int index, void **value);
    OfxStatus (*propGetString)(OfxPropertySetHandle properties, const char *property, int index, char **value);
    OfxStatus (*propGetDouble)(OfxPropertySetHandle properties, const char *property, int index, double *value);
    OfxStatus (*propGetInt)(OfxPropertySetHandle properties, const char *property, int index, int *value);
    OfxStatus (*propGetPointerN)(OfxPropertySetHandle properties, const char *property, int count, void **values);
    OfxStatus (*propGetStringN)(OfxPropertySetHandle properties, const char *property, int count, char **values);
    OfxStatus (*propGetDoubleN)(OfxPropertySetHandle properties, const char *property, int count, double *values);
    OfxStatus (*propGetIntN)(OfxPropertySetHandle properties, const char *property, int count, int *values);
    OfxStatus (*propReset)(OfxPropertySetHandle properties, const char *property);
    OfxStatus (*propGetDimension)(OfxPropertySetHandle properties, const char *property, int *count);
};

struct OfxImageEffectSuiteV1 {
    OfxStatus (*getPropertySet)(OfxImageEffectHandle effect, OfxPropertySetHandle *properties);
    OfxStatus (*getParamSet)(OfxImageEffectHandle effect, OfxParamSetHandle *parameters);
    OfxStatus (*clipDefine)(OfxImageEffectHandle descriptor, const char *name, OfxPropertySetHandle *properties);
    OfxStatus (*clipGetHandle)(OfxImageEffectHandle instance, const char *name, OfxImageClipHandle *clip,
                               OfxPropertySetHandle *properties);
    OfxStatus (*clipGetPropertySet)(OfxImageClipHandle clip, OfxPropertySetHandle *properties);
    OfxStatus (*clipGetImage)(OfxImageClipHandle clip, OfxTime time, const OfxRectD *region,
                              OfxPropertySetHandle *image);
    OfxStatus (*clipReleaseImage)(OfxPropertySetHandle image);
    OfxStatus (*clipGetRegionOfDefinition)(OfxImageClipHandle clip, OfxTime time, OfxRectD *bounds);
    int (*abort)(OfxImageEffectHandle instance); // 1: the host wants the render dropped
    OfxStatus (*imageMemoryAlloc)(OfxImageEffectHandle instance, size_t bytes, OfxImageMemoryHandle *memory);
    OfxStatus (*imageMemoryFree)(OfxImageMemoryHandle memory);
    OfxStatus (*imageMemoryLock)(OfxImageMemoryHandle memory, void **data);
    OfxStatus (*imageMemoryUnlock)(OfxImageMemoryHandle memory);
};

// The value getters and setters are variadic: doubles as double*, booleans as int*.
struct OfxParameterSuiteV1 {
    OfxStatus (*paramDefine)(OfxParamSetHandle parameters, const char *type, const char *name,
                             OfxPropertySetHandle *properties);
    OfxStatus (*paramGetHandle)(OfxParamSetHandle parameters, const char *name, OfxParamHandle *parameter,
                                OfxPropertySetHandle *properties);
    OfxStatus (*paramSetGetPropertySet)(OfxParamSetHandle parameters, OfxPropertySetHandle *properties);
    OfxStatus (*paramGetPropertySet)(OfxParamHandle parameter, OfxPropertySetHandle *properties);
    OfxStatus (*paramGetValue)(OfxParamHandle parameter, ...);
    OfxStatus (*paramGetValueAtTime)(OfxParamHandle parameter, OfxTime time, ...);
    OfxStatus (*paramGetDerivative)(OfxParamHandle parameter, OfxTime time, ...);
    OfxStatus (*paramGetIntegral)(OfxParamHandle parameter, OfxTime from, OfxTime to, ...);
    OfxStatus (*paramSetValue)(OfxParamHandle parameter, ...);
    OfxStatus (*paramSetValueAtTime)(OfxParamHandle parameter, OfxTime time, ...);
    OfxStatus (*paramGetNumKeys)(OfxParamHandle parameter, unsigned int *count);
    OfxStatus (*paramGetKeyTime)(OfxParamHandle parameter, unsigned int nth, OfxTime *time);
    OfxStatus (*paramGetKeyIndex)(OfxParamHandle parameter, OfxTime time, int direction, int *index);
    OfxStatus (*paramDeleteKey)(OfxParamHandle parameter, OfxTime time);
    OfxStatus (*paramDeleteAllKeys)(OfxParamHandle parameter);
    OfxStatus (*paramCopy)(OfxParamHandle to, OfxParamHandle from, OfxTime offset, const OfxRangeD *range);
    OfxStatus (*paramEditBegin)(OfxParamSetHandle parameters, const char *undoLabel);
    OfxStatus (*paramEditEnd)(OfxParamSetHandle parameters);
};

struct OfxMemorySuiteV1 {
    OfxStatus (*memoryAlloc)(void *instance, size_t bytes, void **memory);
    OfxStatus (*memoryFree)(void *memory);
};

using OfxThreadFunctionV1 = void(unsigned int threadIndex, unsigned int threadMax, void *argument);

struct OfxMultiThreadSuiteV1 {
    // Calls `function` for thread indexes 0 to threadMax - 1 (threadMax may be below
    // `threads`) and returns when all have ended.
    OfxStatus (*multiThread)(OfxThreadFunctionV1 *function, unsigned int threads, void *argument);
    OfxStatus (*multiThreadNumCPUs)(unsigned int *count);
    OfxStatus (*multiThreadIndex)(unsigned int *index);
    int (*multiThreadIsSpawnedThread)(void);
    OfxStatus (*mutexCreate)(OfxMutexHandle *mutex, int lockCount);
    OfxStatus (*mutexDestroy)(OfxMutexHandle mutex);
    OfxStatus (*mutexLock)(OfxMutexHandle mutex);
    OfxStatus (*mutexUnLock)(OfxMutexHandle mutex);
    OfxStatus (*mutexTryLock)(OfxMutexHandle mutex);
};

struct OfxMessageSuiteV1 {
    OfxStatus (*message)(void *handle, const char *type, const char *id, const char *format, ...);
};

struct OfxMessageSuiteV2 {
    OfxStatus (*message)(void *handle, const char *type, const char *id, const char *format, ...);
    OfxStatus (*setPersistentMessage)(void *instance, const char *type, const char *id, const char *format, ...);
    OfxStatus (*clearPersistentMessage)(void *instance);
};

struct OfxProgressSuiteV1 {
    OfxStatus (*progressStart)(void *instance, const char *label);
    OfxStatus (*progressUpdate)(void *instance, double fraction); // ReplyNo: the user cancelled
    OfxStatus (*progressEnd)(void *instance);
};

struct OfxProgressSuiteV2 {
    OfxStatus (*progressStart)(void *instance, const char *message, const char *messageId);
    OfxStatus (*progressUpdate)(void *instance, double fraction);
    OfxStatus (*progressEnd)(void *instance);
};

static_assert(sizeof(OfxPropertySuiteV1) == 144 && offsetof(OfxPropertySuiteV1, propGetPointer) == 64 &&
              offsetof(OfxPropertySuiteV1, propGetInt) == 88 && offsetof(OfxPropertySuiteV1, propGetIntN) == 120 &&
              offsetof(OfxPropertySuiteV1, propGetDimension) == 136);
static_assert(sizeof(OfxImageEffectSuiteV1) == 104 && offsetof(OfxImageEffectSuiteV1, clipDefine) == 16 &&
              offsetof(OfxImageEffectSuiteV1, clipGetImage) == 40 &&
              offsetof(OfxImageEffectSuiteV1, clipReleaseImage) == 48 && offsetof(OfxImageEffectSuiteV1, abort) == 64 &&
              offsetof(OfxImageEffectSuiteV1, imageMemoryUnlock) == 96);
static_assert(sizeof(OfxParameterSuiteV1) == 144 && offsetof(OfxParameterSuiteV1, paramGetValueAtTime) == 40 &&
              offsetof(OfxParameterSuiteV1, paramSetValue) == 64 && offsetof(OfxParameterSuiteV1, paramCopy) == 120 &&
              offsetof(OfxParameterSuiteV1, paramEditEnd) == 136);
static_assert(sizeof(OfxMemorySuiteV1) == 16 && offsetof(OfxMemorySuiteV1, memoryFree) == 8);
static_assert(sizeof(OfxMultiThreadSuiteV1) == 72 && offsetof(OfxMultiThreadSuiteV1, multiThreadNumCPUs) == 8 &&
              offsetof(OfxMultiThreadSuiteV1, multiThreadIsSpawnedThread) == 24 &&
              offsetof(OfxMultiThreadSuiteV1, mutexUnLock) == 56 &&
              offsetof(OfxMultiThreadSuiteV1, mutexTryLock) == 64);
static_assert(sizeof(OfxMessageSuiteV1) == 8 && sizeof(OfxMessageSuiteV2) == 24 &&
              offsetof(OfxMessageSuiteV2, clearPersistentMessage) == 16);
static_assert(sizeof(OfxProgressSuiteV1) == 24 && sizeof(OfxProgressSuiteV2) == 24 &&
              offsetof(OfxProgressSuiteV2, progressEnd) == 16);
