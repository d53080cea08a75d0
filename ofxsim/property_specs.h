// Which properties each kind of object has, as the API lists them: types, dimensions and the
// defaults the API gives (the 1.4 ones where the current headers print none).
#pragma once

#include "ofxsim/property_set.h"

#include <string>
#include <vector>

namespace ofxsim::specs {

const PropertySpecs &host();
const PropertySpecs &effectDescriptor();
// What an instance has besides the descriptor's properties.
const PropertySpecs &effectInstance();
const PropertySpecs &clipDescriptor();
// What a clip instance has besides its descriptor's properties.
const PropertySpecs &clipInstance();
const PropertySpecs &parameterCommon();
const PropertySpecs &doubleParameter();
const PropertySpecs &booleanParameter();
const PropertySpecs &pageParameter();
const PropertySpecs &parameterSet();
const PropertySpecs &image();
const PropertySpecs &describeInContextArguments();
const PropertySpecs &renderArguments();
// The clip preferences' answer, for clips of these names.
PropertySpecs clipPreferences(const std::vector<std::string> &clipNames);

} // namespace ofxsim::specs
