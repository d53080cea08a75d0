// Joins a host adapter to the effect's parameter set.
#pragma once

#include "params/zephyrine_parameters.h"

#include <string>

template <class HostBase> class ZephyrineHost : public HostBase, public ZephyrineParameters {
public:
    ZephyrineHost(std::string name, std::string category, std::string description)
        : HostBase(std::move(name), std::move(category), std::move(description)) {}

    xParameterList &parameterList() override { return *this; }
};
