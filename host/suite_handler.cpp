#include "host/suite_handler.h"

#include "host/host_error.h"

SuiteHandler::SuiteHandler(const PF_InData *in) : basic_(in != nullptr ? in->pica_basicP : nullptr) {
    if (basic_ == nullptr || basic_->AcquireSuite == nullptr || basic_->ReleaseSuite == nullptr) {
        throw HostError{PF_Err_BAD_CALLBACK_PARAM};
    }
}

SuiteHandler::~SuiteHandler() {
    if (paramUtils_ != nullptr) {
        basic_->ReleaseSuite(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion1);
    }
}

const PF_ParamUtilsSuite1 &SuiteHandler::paramUtils() {
    if (paramUtils_ == nullptr) {
        const void *suite = nullptr;
        if (basic_->AcquireSuite(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion1, &suite) != 0 || suite == nullptr) {
            throw HostError{PF_Err_BAD_CALLBACK_PARAM};
        }
        paramUtils_ = static_cast<const PF_ParamUtilsSuite1 *>(suite);
    }
    return *paramUtils_;
}
