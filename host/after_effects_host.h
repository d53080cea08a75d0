// The host adapter bound to the After Effects effect API: the services of CorvanthisHost
// implemented on the host's callbacks, and the command switch. One object serves one entry call.
#pragma once

#include "filter/image_desc.h"
#include "host/corvanthis_host.h"
#include "params/parameter_host_ae.h"
#include "platform/lock.h"

#include <atomic>
#include <map>
#include <string>

using LayerInputs = std::map<std::string, ImageDesc>;

// What a render command learned about a checked-out layer before the descriptors are built.
struct LayerInput {
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t width = 0;
    int32_t height = 0;
    PF_LayerDef *world = nullptr;
};

// A time in the units of PF_InData current_time, time_step and time_scale.
struct InputTime {
    A_long time = 0;
    A_long timeStep = 0;
    A_u_long timeScale = 0;
};

class AfterEffectsHost : public CorvanthisHost, public xParameterHostAE {
public:
    AfterEffectsHost(std::string name, std::string category, std::string description);
    ~AfterEffectsHost() override;

    PF_Err progress(int32_t current, int32_t total, int32_t threadIndex) override;
    void *allocate(std::size_t bytes) override;
    void deallocate(void *pointer) override;
    PF_Err getThreadCount(int32_t &count, int32_t limit) override;
    PF_Err runIterations(int32_t iterationCount, const IterationJob &job, int32_t threadIndex) override;
    double currentFrame() override;
    double framesPerSecond() override;
    void frameRange(double &first, double &last) override;
    bool hostFlag() override;
    double frameOf(const std::string &name) override;
    int32_t hostCode() override;
    void setMessage(const std::string &text) override;

    virtual PF_Err dispatch(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                            PF_LayerDef *output, void *extra);
    virtual PF_Err about(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *output);
    virtual PF_Err globalSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                               PF_LayerDef *output);
    virtual PF_Err globalSetdown(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                 PF_LayerDef *output);
    virtual PF_Err sequenceSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                 PF_LayerDef *output);
    virtual PF_Err sequenceResetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                   PF_LayerDef *output);
    virtual PF_Err sequenceSetdown(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                   PF_LayerDef *output);
    virtual PF_Err sequenceFlatten(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                   PF_LayerDef *output);
    virtual PF_Err event(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *output,
                         void *extra);
    virtual PF_Err arbitraryCallback(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                     PF_LayerDef *output, void *extra);
    virtual PF_Err completelyGeneral(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                     PF_LayerDef *output, void *extra);
    virtual PF_Err paramsSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                               PF_LayerDef *output);
    virtual PF_Err userChangedParam(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                    PF_LayerDef *output, void *extra);
    virtual PF_Err updateParamsUI(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                  PF_LayerDef *output, void *extra);
    virtual PF_Err frameSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                              PF_LayerDef *output);
    virtual PF_Err frameSetdown(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                PF_LayerDef *output);
    virtual PF_Err render8(const ImageDesc &source, const ImageDesc &output, const LayerInputs &extraInputs) = 0;
    virtual PF_Err render16(const ImageDesc &source, const ImageDesc &output, const LayerInputs &extraInputs) = 0;
    virtual PF_Err render32(const ImageDesc &source, const ImageDesc &output, const LayerInputs &extraInputs) = 0;
    virtual int32_t parameterCount();
    virtual void inputTime(PF_InData *in_data, PF_ParamDef *params[], InputTime &time);

    // The parameter objects' view of the current call.
    PF_InData *currentInData() const override { return inData; }
    PF_ParamDef *parameterRecord(int32_t index) const override;
    void setParamEnabled(int32_t index, bool enabled) override;

    PF_Err render(PF_InData *in_data, PF_ParamDef *params[], PF_LayerDef *output);
    PF_Err smartPreRender(PF_InData *in_data, void *extra);
    PF_Err smartRender(PF_InData *in_data, void *extra);
    // Points the parameter objects at a table of the smart commands' own.
    void useParameterTable(PF_ParamDef **table, int32_t length);
    PF_Err renderWorlds(int32_t bitDepth, const LayerInput &source, PF_LayerDef &output,
                        ChannelOrder order = ChannelOrder::argb);

    // The current call's records; valid only inside dispatch.
    PF_InData *inData = nullptr;
    PF_OutData *outData = nullptr;
    PF_ParamDef **params = nullptr;
    int32_t paramsLength = 0; // entries in `params`: the host's num_params, or the smart commands' table
    PF_LayerDef *output = nullptr;
    void *extra = nullptr;
    int32_t parameterCount_ = 0; // after numbering: the first free host index
    platform::Lock memoryLock;
    // Written by thread 0 only, read by pool threads: a whole value, no ordering needed.
    std::atomic<int32_t> interruptCode{0};

private:
    void numberParameters();
    bool hostHandlesAvailable() const;
    PF_Err defaultCommand(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *output);
    // The classic render's depth and channel order: the format Premiere names for the output
    // world, else 16-bit when either world is deep and 8-bit otherwise.
    PF_Err renderInItsFormat(PF_InData *in_data, const LayerInput &source, PF_LayerDef &output);
};
