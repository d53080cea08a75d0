// The host the plug-in is loaded into: its record, given by setHost (or OfxSetHost), and the
// suites fetched from it at load. Written on the host's main thread before any render, read
// by every render thread after.
#pragma once

#include "api/ofx_suites.h"

struct HostSuites {
    const OfxPropertySuiteV1 *property = nullptr;
    const OfxImageEffectSuiteV1 *imageEffect = nullptr;
    const OfxParameterSuiteV1 *parameter = nullptr;
    const OfxMultiThreadSuiteV1 *multiThread = nullptr; // optional: without it rows run on the calling thread
};

// Keeps a copy of the host's record: OfxSetHost promises its pointer only until OfxGetPlugin.
void rememberHost(const OfxHost *host);

// The load action: fetches the suites. A required one missing (or missing a function the
// plug-in calls) is the API's missing-feature status.
OfxStatus loadHostSuites();
void unloadHostSuites();

// The suites; null members until a load succeeded.
const HostSuites &hostSuites();
bool hostSuitesLoaded();
