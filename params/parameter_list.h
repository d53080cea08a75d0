// The ordered list of an effect's parameter objects. It points at them; it does not own them.
#pragma once

#include <vector>

class xParameterBase;

class xParameterList {
public:
    void append(xParameterBase &parameter) { elements_.push_back(&parameter); }
    const std::vector<xParameterBase *> &elements() const { return elements_; }

private:
    std::vector<xParameterBase *> elements_;
};
