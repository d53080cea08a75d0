// The plug-in's actions: what it answers each action the host sends.
#pragma once

#include "api/ofx_core.h"

// Every action the host sends through the main entry; an action the plug-in has no answer of
// its own for is the API's reply-default.
OfxStatus performAction(const char *action, OfxImageEffectHandle effect, OfxPropertySetHandle inArgs,
                        OfxPropertySetHandle outArgs);

OfxStatus describe(OfxImageEffectHandle descriptor);
OfxStatus describeInContext(OfxImageEffectHandle descriptor, OfxPropertySetHandle inArgs);
OfxStatus createInstance(OfxImageEffectHandle instance);
OfxStatus destroyInstance(OfxImageEffectHandle instance);
OfxStatus clipPreferences(OfxImageEffectHandle instance, OfxPropertySetHandle outArgs);
OfxStatus render(OfxImageEffectHandle instance, OfxPropertySetHandle inArgs);
