// Host suites for the length of one operation: acquired through the basic suite on first
// use, released when the holder goes. Only the suites this effect uses have a row.
#pragma once

#include "api/effect_api.h"

class SuiteHandler {
public:
    // Throws HostError 516 when the host offers no basic suite.
    explicit SuiteHandler(const PF_InData *in);
    ~SuiteHandler();
    SuiteHandler(const SuiteHandler &) = delete;
    SuiteHandler &operator=(const SuiteHandler &) = delete;

    // "PF Param Utils Suite" version 2; throws HostError 516 when the host refuses it.
    const PF_ParamUtilsSuite1 &paramUtils();

private:
    SPBasicSuite *basic_;
    const PF_ParamUtilsSuite1 *paramUtils_ = nullptr;
};
