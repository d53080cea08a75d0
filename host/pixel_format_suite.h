// Premiere Pro's "PF Pixel Format Suite" (version 1) for the length of one command, if the host
// offers it. Nothing is thrown: a host without it is one that renders 8-bit ARGB only.
#pragma once

#include "api/effect_api.h"

class PixelFormatSuite {
public:
    explicit PixelFormatSuite(const PF_InData *in);
    ~PixelFormatSuite();
    PixelFormatSuite(const PixelFormatSuite &) = delete;
    PixelFormatSuite &operator=(const PixelFormatSuite &) = delete;

    // Null when the host offers no suite.
    const PF_PixelFormatSuite1 *suite() const { return suite_; }

private:
    SPBasicSuite *basic_ = nullptr;
    const PF_PixelFormatSuite1 *suite_ = nullptr;
};

// Global setup under Premiere: the formats the effect renders besides 8-bit ARGB, best first.
// A host that refuses any step is left with an empty list, so it sends 8-bit ARGB, which the
// effect always renders. The list depends on nothing at run time: Premiere caches it.
void declarePremiereFormats(const PF_InData *in);
