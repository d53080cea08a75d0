// The command switch, parameter numbering and the entry's exception boundary.
#include "host/serve_command.h"
#include "host/zephyrine_ae_host.h"

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

namespace {

// Records which virtual handler a command reached.
class RecordingHost : public ZephyrineAEHost {
public:
    RecordingHost() : ZephyrineAEHost("Zephyrine", "Mirovanth", "text") {}

    std::vector<std::string> reached;

#define RECORD4(name)                                                                                                  \
    PF_Err name(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *) override {                                 \
        reached.push_back(#name);                                                                                      \
        return 100;                                                                                                    \
    }
#define RECORD5(name)                                                                                                  \
    PF_Err name(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *, void *) override {                         \
        reached.push_back(#name);                                                                                      \
        return 100;                                                                                                    \
    }
    RECORD4(about)
    RECORD4(globalSetup)
    RECORD4(globalSetdown)
    RECORD4(paramsSetup)
    RECORD4(sequenceSetup)
    RECORD4(sequenceResetup)
    RECORD4(sequenceFlatten)
    RECORD4(sequenceSetdown)
    RECORD4(frameSetup)
    RECORD4(frameSetdown)
    RECORD5(userChangedParam)
    RECORD5(updateParamsUI)
    RECORD5(event)
    RECORD5(completelyGeneral)
    RECORD5(arbitraryCallback)
#undef RECORD4
#undef RECORD5
};

// An adapter over a parameter list of the test's choosing.
class ListHost : public ZephyrineAEHost {
public:
    ListHost() : ZephyrineAEHost("n", "c", "d") {}
    xParameterList &parameterList() override { return list; }
    xParameterList list;
};

xFloat floatNamed(const char *name, bool internalOnly = false) {
    xFloatDef def(name, "", 1, 0, 1, 0, 1, 2);
    def.internalOnly = internalOnly;
    xFloat parameter;
    parameter.define(def);
    return parameter;
}

} // namespace

TEST(Dispatch, EveryCommandReachesItsHandler) {
    struct Case {
        PF_Cmd cmd;
        const char *handler; // empty: the default result, no handler
    };
    const Case cases[] = {{PF_Cmd_ABOUT, "about"},
                          {PF_Cmd_GLOBAL_SETUP, "globalSetup"},
                          {PF_Cmd_UNUSED_0, ""},
                          {PF_Cmd_GLOBAL_SETDOWN, "globalSetdown"},
                          {PF_Cmd_PARAMS_SETUP, "paramsSetup"},
                          {PF_Cmd_SEQUENCE_SETUP, "sequenceSetup"},
                          {PF_Cmd_SEQUENCE_RESETUP, "sequenceResetup"},
                          {PF_Cmd_SEQUENCE_FLATTEN, "sequenceFlatten"},
                          {PF_Cmd_SEQUENCE_SETDOWN, "sequenceSetdown"},
                          {PF_Cmd_DO_DIALOG, ""},
                          {PF_Cmd_FRAME_SETUP, "frameSetup"},
                          {PF_Cmd_FRAME_SETDOWN, "frameSetdown"},
                          {PF_Cmd_USER_CHANGED_PARAM, "userChangedParam"},
                          {PF_Cmd_UPDATE_PARAMS_UI, "updateParamsUI"},
                          {PF_Cmd_EVENT, "event"},
                          {PF_Cmd_GET_EXTERNAL_DEPENDENCIES, ""},
                          {PF_Cmd_COMPLETELY_GENERAL, "completelyGeneral"},
                          {PF_Cmd_QUERY_DYNAMIC_FLAGS, ""},
                          {PF_Cmd_AUDIO_RENDER, ""},
                          {PF_Cmd_AUDIO_SETUP, ""},
                          {PF_Cmd_AUDIO_SETDOWN, ""},
                          {PF_Cmd_ARBITRARY_CALLBACK, "arbitraryCallback"},
                          {PF_Cmd_RESERVED1, ""},
                          {PF_Cmd_GPU_DEVICE_SETDOWN, ""},
                          {PF_Cmd_NUM_CMDS, ""},
                          {-1, ""},
                          {1000, ""}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cmd);
        RecordingHost host;
        PF_InData in{};
        PF_OutData out{};
        const PF_Err result = host.dispatch(c.cmd, &in, &out, nullptr, nullptr, nullptr);
        if (*c.handler == '\0') {
            EXPECT_EQ(result, PF_Err_NONE);
            EXPECT_TRUE(host.reached.empty());
        } else {
            EXPECT_EQ(result, 100) << "the handler's result is returned unchanged";
            EXPECT_EQ(host.reached, std::vector<std::string>{c.handler});
        }
    }
}

TEST(Dispatch, StoresTheCallsRecords) {
    RecordingHost host;
    PF_InData in{};
    PF_OutData out{};
    PF_ParamDef *params[1] = {};
    PF_LayerDef output{};
    int extra = 0;
    host.dispatch(PF_Cmd_EVENT, &in, &out, params, &output, &extra);
    EXPECT_EQ(host.inData, &in);
    EXPECT_EQ(host.outData, &out);
    EXPECT_EQ(host.params, params);
    EXPECT_EQ(host.output, &output);
    EXPECT_EQ(host.extra, &extra);
}

TEST(Numbering, TheEffectsControlsTakeOneToEight) {
    RecordingHost host;
    PF_InData in{};
    host.dispatch(PF_Cmd_ABOUT, &in, nullptr, nullptr, nullptr, nullptr);
    const xParameterBaseAE *bound[] = {&host.tiltForward, &host.tiltSideways, &host.tiltUpwards, &host.invertX,
                                       &host.invertY,     &host.invertZ,      &host.invertAll,   &host.traditionalFormat};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(bound[i]->index, i + 1);
        EXPECT_EQ(bound[i]->host, static_cast<xParameterHostAE *>(&host));
    }
    EXPECT_EQ(host.parameterCount(), 9);
}

TEST(Numbering, InternalOnlyTakesNoIndex) {
    ListHost host;
    xFloat first = floatNamed("a"), hidden = floatNamed("internal", true), last = floatNamed("b");
    for (xFloat *p : {&first, &hidden, &last}) {
        host.list.append(*p);
    }
    host.dispatch(PF_Cmd_EVENT, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(first.index, 1);
    EXPECT_EQ(hidden.index, -1);
    EXPECT_EQ(hidden.host, static_cast<xParameterHostAE *>(&host)) << "bound all the same";
    EXPECT_EQ(last.index, 2);
    EXPECT_EQ(host.parameterCount(), 3);
}

TEST(Numbering, ColourWithAlphaSliderTakesTwoIndexes) {
    for (int32_t alphaId : {0, 9}) {
        SCOPED_TRACE(alphaId);
        ListHost host;
        xFloat first = floatNamed("a"), last = floatNamed("b");
        xRGBA colour(xRGBADef("colour", "", 2, alphaId));
        for (xParameterBase *p : std::initializer_list<xParameterBase *>{&first, &colour, &last}) {
            host.list.append(*p);
        }
        host.dispatch(PF_Cmd_EVENT, nullptr, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(colour.index, 2);
        if (alphaId > 0) {
            EXPECT_EQ(colour.alphaIndex, 3);
            EXPECT_EQ(last.index, 4);
            EXPECT_EQ(host.parameterCount(), 5);
        } else {
            EXPECT_EQ(last.index, 3);
            EXPECT_EQ(host.parameterCount(), 4);
        }
    }
}

namespace {

// Counts adapters alive, so every path can show that the adapter was destroyed.
int adaptersAlive = 0;
int adaptersMade = 0;

struct Tracked {
    Tracked() {
        ++adaptersAlive;
        ++adaptersMade;
    }
    ~Tracked() { --adaptersAlive; }
};

template <class Thrown> class ThrowingHost : public ZephyrineAEHost {
public:
    using ZephyrineAEHost::ZephyrineAEHost;
    PF_Err about(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *) override { throw Thrown(); }
    Tracked tracked;
};

struct Oddity : std::exception {};

class HostErrorHost : public ZephyrineAEHost {
public:
    using ZephyrineAEHost::ZephyrineAEHost;
    PF_Err about(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *) override {
        throw HostError{PF_Err_BAD_CALLBACK_PARAM};
    }
    Tracked tracked;
};

class QuietHost : public ZephyrineAEHost {
public:
    using ZephyrineAEHost::ZephyrineAEHost;
    Tracked tracked;
};

} // namespace

TEST(EntryBoundary, ExceptionsBecomeErrorCodesAndTheAdapterIsReleased) {
    adaptersAlive = adaptersMade = 0;
    EXPECT_EQ(serveCommand<ThrowingHost<std::bad_alloc>>(PF_Cmd_ABOUT, nullptr, nullptr, nullptr, nullptr, nullptr),
              PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(serveCommand<HostErrorHost>(PF_Cmd_ABOUT, nullptr, nullptr, nullptr, nullptr, nullptr),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(serveCommand<ThrowingHost<Oddity>>(PF_Cmd_ABOUT, nullptr, nullptr, nullptr, nullptr, nullptr),
              PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(serveCommand<ThrowingHost<int>>(PF_Cmd_ABOUT, nullptr, nullptr, nullptr, nullptr, nullptr),
              PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(serveCommand<QuietHost>(PF_Cmd_DO_DIALOG, nullptr, nullptr, nullptr, nullptr, nullptr), PF_Err_NONE);
    EXPECT_EQ(adaptersMade, 5);
    EXPECT_EQ(adaptersAlive, 0);
}
