// An in-process host: owns the records a host hands to an effect, answers the effect's
// callbacks, and records what it saw. Tests and tools reach the plug-in only through it.
#pragma once

#include "api/effect_api.h"
#include "hostsim/parameter_array.h"

#include <string>
#include <vector>

namespace hostsim {

struct CheckoutCall {
    PF_ParamIndex index;
    A_long time;
    A_long timeStep;
    A_u_long timeScale;
};

// What the host saw the effect do.
struct Observations {
    std::vector<CheckoutCall> checkouts;
    int checkins = 0;
    std::vector<PF_ParamDef> addedParameters;
    std::vector<PF_ParamIndex> addIndexes;
    int progressCalls = 0;
    int iterateGenericCalls = 0;

    int checkoutBalance() const { return static_cast<int>(checkouts.size()) - checkins; }
};

// How the host answers; every field defaults to a host that grants everything.
struct Script {
    PF_Err checkoutError = PF_Err_NONE;    // returned by every checkout_param
    PF_Err addParamError = PF_Err_NONE;    // returned by add_param ...
    int addParamErrorFromCall = 1;         // ... from this call on (1 = the first)
    PF_Err progressAnswer = PF_Err_NONE;   // returned by progress ...
    int progressAnswerFromCall = 1;        // ... from this call on
    int processors;                        // iterate_generic calls back once per processor
    bool iterateConcurrently = false;      // ... each call on a thread of its own
    PF_Err iterateGenericError = PF_Err_NONE; // returned by iterate_generic without calling back
};

class HostSim {
public:
    explicit HostSim(PF_FilterProc entry);
    HostSim(const HostSim &) = delete;
    HostSim &operator=(const HostSim &) = delete;

    // Calls the entry point with this host's records.
    PF_Err send(PF_Cmd cmd, void *extra = nullptr);
    // The same with a parameter array of the caller's choice (null included).
    PF_Err send(PF_Cmd cmd, PF_ParamDef **params, void *extra);

    PF_InData &inData() { return in_; }
    PF_OutData &outData() { return out_; }
    PF_LayerDef &output() { return output_; }
    ParameterArray &parameters() { return parameters_; }
    Script &script() { return script_; }
    const Observations &seen() const { return seen_; }

    // Makes this the host whose script answers the callbacks that carry no effect reference
    // (iterate_generic), on the calling thread, while the returned scope lives. send() does it.
    class Current {
    public:
        explicit Current(HostSim &host);
        ~Current();
        Current(const Current &) = delete;
        Current &operator=(const Current &) = delete;

    private:
        HostSim *previous_;
    };

    // Sets the effect-API version and the application the host claims to be.
    void claimVersion(A_short major, A_short minor);
    void claimApplication(A_long applicationId) { in_.appl_id = applicationId; }

private:
    static HostSim &from(PF_ProgPtr effectRef);
    static PF_Err checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step, A_u_long scale,
                                PF_ParamDef *param);
    static PF_Err checkinParam(PF_ProgPtr ref, PF_ParamDef *param);
    static PF_Err addParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDef *def);
    static PF_Err progress(PF_ProgPtr ref, A_long current, A_long total);
    static PF_Err iterateGeneric(A_long iterations, void *refcon, PF_IterateGenericFunc function);

    PF_FilterProc entry_;
    PF_InData in_{};
    PF_OutData out_{};
    PF_UtilCallbacks utils_{};
    PF_LayerDef output_{};
    ParameterArray parameters_;
    Script script_;
    Observations seen_;
};

} // namespace hostsim
