// Our declarations of the OpenFX core: status codes, handles, plain records, the plug-in and
// host records and the entry functions' types. Every size and offset is pinned below; Windows
// x64 and Linux x86-64 lay these out alike (no long, bool or enum crosses the boundary).
#pragma once

#include <climits>
#include <cstddef>

using OfxStatus = int;

inline constexpr OfxStatus kOfxStatOK = 0;
inline constexpr OfxStatus kOfxStatFailed = 1;
inline constexpr OfxStatus kOfxStatErrFatal = 2;
inline constexpr OfxStatus kOfxStatErrUnknown = 3;
inline constexpr OfxStatus kOfxStatErrMissingHostFeature = 4;
inline constexpr OfxStatus kOfxStatErrUnsupported = 5;
inline constexpr OfxStatus kOfxStatErrExists = 6;
inline constexpr OfxStatus kOfxStatErrFormat = 7;
inline constexpr OfxStatus kOfxStatErrMemory = 8;
inline constexpr OfxStatus kOfxStatErrBadHandle = 9;
inline constexpr OfxStatus kOfxStatErrBadIndex = 10;
inline constexpr OfxStatus kOfxStatErrValue = 11;
inline constexpr OfxStatus kOfxStatReplyYes = 12;
inline constexpr OfxStatus kOfxStatReplyNo = 13;
inline constexpr OfxStatus kOfxStatReplyDefault = 14;
inline constexpr OfxStatus kOfxStatErrImageFormat = 1000;

// Opaque handles: pointers to structs only the host defines.
struct OfxPropertySetStruct;
struct OfxImageEffectStruct;
struct OfxImageClipStruct;
struct OfxImageMemoryStruct;
struct OfxParamStruct;
struct OfxParamSetStruct;
struct OfxMutex;
using OfxPropertySetHandle = OfxPropertySetStruct *;
using OfxImageEffectHandle = OfxImageEffectStruct *;
using OfxImageClipHandle = OfxImageClipStruct *;
using OfxImageMemoryHandle = OfxImageMemoryStruct *;
using OfxParamHandle = OfxParamStruct *;
using OfxParamSetHandle = OfxParamSetStruct *;
using OfxMutexHandle = OfxMutex *;

using OfxTime = double; // in frames

struct OfxRangeI {
    int min, max;
};
struct OfxRangeD {
    double min, max;
};
struct OfxPointI {
    int x, y;
};
struct OfxPointD {
    double x, y;
};
// Half-open: x1 <= x < x2, y1 <= y < y2.
struct OfxRectI {
    int x1, y1, x2, y2;
};
struct OfxRectD {
    double x1, y1, x2, y2;
};

inline constexpr int kOfxFlagInfiniteMin = INT_MIN;
inline constexpr int kOfxFlagInfiniteMax = INT_MAX;

struct OfxHost {
    OfxPropertySetHandle host; // the host's descriptor, valid while the binary is loaded
    const void *(*fetchSuite)(OfxPropertySetHandle host, const char *suiteName, int suiteVersion);
};

// `handle` is the effect (descriptor or instance) the action is for; compare `action` by content.
using OfxPluginEntryPoint = OfxStatus(const char *action, const void *handle, OfxPropertySetHandle inArgs,
                                      OfxPropertySetHandle outArgs);

struct OfxPlugin {
    const char *pluginApi;
    int apiVersion;
    const char *pluginIdentifier;
    unsigned int pluginVersionMajor;
    unsigned int pluginVersionMinor;
    void (*setHost)(OfxHost *host);
    OfxPluginEntryPoint *mainEntry;
};

inline constexpr char kOfxImageEffectPluginApi[] = "OfxImageEffectPluginAPI";
inline constexpr int kOfxImageEffectPluginApiVersion = 1;

// The binary's exports (C linkage, unmangled).
using OfxGetNumberOfPluginsFunction = int();
using OfxGetPluginFunction = OfxPlugin *(int nth);
using OfxSetHostFunction = OfxStatus(const OfxHost *host);
inline constexpr char kOfxGetNumberOfPluginsName[] = "OfxGetNumberOfPlugins";
inline constexpr char kOfxGetPluginName[] = "OfxGetPlugin";
inline constexpr char kOfxSetHostName[] = "OfxSetHost";

static_assert(sizeof(OfxRangeI) == 8 && sizeof(OfxRangeD) == 16 && sizeof(OfxPointI) == 8 && sizeof(OfxPointD) == 16 &&
              sizeof(OfxRectI) == 16 && sizeof(OfxRectD) == 32);
static_assert(offsetof(OfxRectI, y2) == 12 && offsetof(OfxRectD, y2) == 24);
static_assert(sizeof(OfxHost) == 16 && offsetof(OfxHost, fetchSuite) == 8);
static_assert(sizeof(OfxPlugin) == 48 && alignof(OfxPlugin) == 8);
static_assert(offsetof(OfxPlugin, apiVersion) == 8 && offsetof(OfxPlugin, pluginIdentifier) == 16 &&
              offsetof(OfxPlugin, pluginVersionMajor) == 24 && offsetof(OfxPlugin, pluginVersionMinor) == 28 &&
              offsetof(OfxPlugin, setHost) == 32 && offsetof(OfxPlugin, mainEntry) == 40);
