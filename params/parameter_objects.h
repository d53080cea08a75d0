// Parameter objects: the run-time face of each control. The neutral layer holds the
// definition; the After Effects layer binds an object to a slot of the host's parameter array.
#pragma once

#include "params/parameter_definitions.h"
#include "params/parameter_host_ae.h"

#include <cstdint>

class xParameterBase {
public:
    virtual ~xParameterBase() = default;
    virtual const xParameterDef &definition() const = 0;
};

class xFloatBase : public xParameterBase {
public:
    xFloatBase();
    const xParameterDef &definition() const override { return def; }
    const xFloatDef &floatDefinition() const { return def; }
    void define(const xFloatDef &definition) { def = definition; }

    virtual void setEnabled(bool enabled) = 0;
    virtual double value() const = 0;
    virtual double valueAt(double frame) const = 0;
    virtual void setValue(double value) = 0;

private:
    xFloatDef def;
};

class xCheckboxBase : public xParameterBase {
public:
    xCheckboxBase();
    const xParameterDef &definition() const override { return def; }
    const xCheckboxDef &checkboxDefinition() const { return def; }
    void define(const xCheckboxDef &definition) { def = definition; }

    virtual void setEnabled(bool enabled) = 0;
    virtual bool value() const = 0;
    virtual bool valueAt(double frame) const = 0;

private:
    xCheckboxDef def;
};

// The binding to the host: set by the adapter's numbering on every call.
class xParameterBaseAE {
public:
    xParameterHostAE *host = nullptr;
    int32_t index = -1; // -1 until numbered; internal-only parameters keep it

protected:
    void forwardEnabled(bool enabled) const {
        if (host != nullptr) {
            host->setParamEnabled(index, enabled);
        }
    }
    // The record at `index` in the current array, or null when the host gave none.
    PF_ParamDef *record() const { return host != nullptr ? host->parameterRecord(index) : nullptr; }
    // Checks the parameter out at a frame, reads it with `read` and checks the same record back
    // in; the fallback when the host refuses the checkout.
    template <class Value, class Read> Value readAt(double frame, Value fallback, Read read) const {
        PF_ParamDef checkedOut{};
        const PF_InData *in = checkout(frame, checkedOut);
        if (in == nullptr) {
            return fallback;
        }
        const Value value = read(checkedOut);
        if (in->inter.checkin_param != nullptr) {
            in->inter.checkin_param(in->effect_ref, &checkedOut);
        }
        return value;
    }

private:
    // The in_data the record was checked out through, or null when the checkout was refused.
    const PF_InData *checkout(double frame, PF_ParamDef &checkedOut) const;
};

class xFloat : public xFloatBase, public xParameterBaseAE {
public:
    void setEnabled(bool enabled) override { forwardEnabled(enabled); }
    double value() const override;
    double valueAt(double frame) const override;
    void setValue(double value) override;
};

class xCheckbox : public xCheckboxBase, public xParameterBaseAE {
public:
    void setEnabled(bool enabled) override { forwardEnabled(enabled); }
    bool value() const override;
    bool valueAt(double frame) const override;
};

// A colour bound to After Effects; known to the framework for numbering and registration.
class xRGBA : public xParameterBase, public xParameterBaseAE {
public:
    explicit xRGBA(const xRGBADef &definition) : def(definition) {}
    const xParameterDef &definition() const override { return def; }
    const xRGBADef &colourDefinition() const { return def; }

    int32_t alphaIndex = 0;

private:
    xRGBADef def;
};
