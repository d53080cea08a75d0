// The host-neutral framework base of the host adapter: the effect's identity and the table of
// virtual services (memory, threads, time, progress) that filter code calls without knowing
// which application hosts it. The declaration order below is the virtual table order.
#pragma once

#include "api/effect_api.h"
#include "filter/iteration_job.h"
#include "params/parameter_list.h"

#include <cstddef>
#include <string>

class CorvanthisHost {
public:
    CorvanthisHost(std::string name, std::string category, std::string description);
    virtual ~CorvanthisHost();
    CorvanthisHost(const CorvanthisHost &) = delete;
    CorvanthisHost &operator=(const CorvanthisHost &) = delete;

    virtual PF_Err progress(int32_t current, int32_t total, int32_t threadIndex);
    virtual void *allocate(std::size_t bytes);
    virtual void deallocate(void *pointer);
    virtual PF_Err getThreadCount(int32_t &count, int32_t limit);
    virtual PF_Err runIterations(int32_t iterationCount, const IterationJob &job, int32_t threadIndex);
    virtual double currentFrame();
    virtual double framesPerSecond();
    virtual void frameRange(double &first, double &last);
    virtual std::string sourceName();
    virtual std::string outputName();
    virtual bool hostFlag();
    virtual xParameterList &parameterList();
    virtual void onUpdateParamsUI(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                  PF_LayerDef *output);
    virtual void onParamChanged(std::string key);
    virtual double frameOf(const std::string &name);
    virtual void mapRegion(const std::string &name, PF_LRect &region);
    virtual PF_Err noError();
    virtual int32_t hostCode();
    virtual void setMessage(const std::string &text);

    std::string effectName;
    std::string category;
    std::string nameSuffix;
    int32_t versionMajor;
    int32_t versionMinor;
    int32_t versionBugfix;
    std::string description;
    xParameterList ownParameters;
    int32_t threadLimit = 0; // 0 or less: the processor count decides
};
