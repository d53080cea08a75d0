#include "host/pixel_format_suite.h"

namespace {

constexpr PrPixelFormat kDeclaredFormats[] = {PrPixelFormat_BGRA_4444_32f, PrPixelFormat_BGRA_4444_16u,
                                              PrPixelFormat_BGRA_4444_8u};

} // namespace

PixelFormatSuite::PixelFormatSuite(const PF_InData *in) {
    SPBasicSuite *basic = in != nullptr ? in->pica_basicP : nullptr;
    if (basic == nullptr || basic->AcquireSuite == nullptr || basic->ReleaseSuite == nullptr) {
        return;
    }
    const void *suite = nullptr;
    if (basic->AcquireSuite(kPFPixelFormatSuite, kPFPixelFormatSuiteVersion1, &suite) == 0 && suite != nullptr) {
        basic_ = basic;
        suite_ = static_cast<const PF_PixelFormatSuite1 *>(suite);
    }
}

PixelFormatSuite::~PixelFormatSuite() {
    if (suite_ != nullptr) {
        basic_->ReleaseSuite(kPFPixelFormatSuite, kPFPixelFormatSuiteVersion1);
    }
}

void declarePremiereFormats(const PF_InData *in) {
    const PixelFormatSuite formats(in);
    const PF_PixelFormatSuite1 *suite = formats.suite();
    if (suite == nullptr || suite->ClearSupportedPixelFormats == nullptr || suite->AddSupportedPixelFormat == nullptr) {
        return;
    }
    if (suite->ClearSupportedPixelFormats(in->effect_ref) != PF_Err_NONE) {
        return;
    }
    for (PrPixelFormat format : kDeclaredFormats) {
        if (suite->AddSupportedPixelFormat(in->effect_ref, format) != PF_Err_NONE) {
            suite->ClearSupportedPixelFormats(in->effect_ref); // all or none
            return;
        }
    }
}
