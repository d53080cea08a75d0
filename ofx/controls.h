// The effect's eight controls as OpenFX parameters, in host order: each one's parameter name
// (also its script name) and the shared definition it is described from.
#pragma once

#include "api/ofx_core.h"
#include "filter/vector_transform.h"
#include "ofx/host_suites.h"
#include "params/parameter_definitions.h"

#include <array>
#include <cstddef>
#include <optional>

struct OfxControl {
    const char *name;
    const xParameterDef *definition;
};

inline constexpr std::size_t kControlCount = 8;

const std::array<OfxControl, kControlCount> &ofxControls();

// The page that holds them all, for hosts that lay parameters out in pages.
inline constexpr char kControlsPage[] = "Controls";

// The parameter handles of one instance, in the order of ofxControls().
using ControlHandles = std::array<OfxParamHandle, kControlCount>;

// The controls at a time as the kernel takes them (tilts through single precision, as in
// every host); nothing when the host cannot answer for one of them.
std::optional<VectorControls> controlsAt(const HostSuites &suites, const ControlHandles &handles, OfxTime time);
