// The framework's filter base: a filter is a value on the render driver's stack.
#pragma once

class CorvanthisFilter {
public:
    virtual ~CorvanthisFilter() = default;
};
