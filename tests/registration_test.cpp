// Parameter registration of every definition kind, change notification and greying controls
// out through the host's suites.
#include "host/host_error.h"
#include "host/suite_handler.h"
#include "host/zephyrine_ae_host.h"
#include "hostsim/host_sim.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A parameter object that only holds a definition, for kinds this effect does not use.
template <class Def> class Held : public xParameterBase {
public:
    explicit Held(Def definition) : def(std::move(definition)) {}
    const xParameterDef &definition() const override { return def; }
    Def def;
};

// An adapter over a parameter list of the test's choosing, fed by a simulated host's records.
class ListHost : public ZephyrineAEHost {
public:
    ListHost() : ZephyrineAEHost("n", "c", "d") {}
    xParameterList &parameterList() override { return list; }

    template <class Def> Def &add(Def def) {
        auto held = std::make_unique<Held<Def>>(std::move(def));
        Def &stored = held->def;
        list.append(*held);
        owned.push_back(std::move(held));
        return stored;
    }
    PF_Err setup() {
        const hostsim::HostSim::Current current(sim);
        return dispatch(PF_Cmd_PARAMS_SETUP, &sim.inData(), &sim.outData(), nullptr, nullptr, nullptr);
    }
    const std::vector<PF_ParamDef> &added() const { return sim.seen().addedParameters; }

    xParameterList list;
    std::vector<std::unique_ptr<xParameterBase>> owned;
    hostsim::HostSim sim{nullptr};
};

} // namespace

TEST(Registration, EveryKindInListOrder) {
    ListHost host;
    host.add(xGroupDef("group", "", 10));
    xIntSliderDef &slider = host.add(xIntSliderDef("count", "", 11));
    slider.defaultValue = 5;
    slider.validMin = 0;
    slider.validMax = 10;
    slider.sliderMin = 1;
    slider.sliderMax = 9;
    xRGBADef &colour = host.add(xRGBADef("tint", "", 12, 13));
    colour.red = 0.5;
    colour.green = 1.0;
    colour.blue = 0.25;
    colour.alpha = 0.1;
    host.add(xAngleDef("turn", "", 14)).defaultDegrees = 45.5;
    xChoiceDef &choice = host.add(xChoiceDef("mode", "", 15));
    choice.items = {"first", "second", "third"};
    choice.defaultChoice = 2;
    host.add(xLayerDef("other layer", "", 16));
    xPoint2dDef &point = host.add(xPoint2dDef("centre", "", 17));
    point.defaultX = 0.25;
    point.defaultY = 0.755;
    point.restrictToBounds = true;
    host.add(xFloatDef("amount", "", 18, -2, 2, -3, 3, 2)).defaultValue = 0.1;
    host.add(xCheckboxDef("on", "", 19)).defaultValue = true;
    host.add(xGroupEndDef("ignored name", "", 20));

    ASSERT_EQ(host.setup(), PF_Err_NONE);
    const std::vector<PF_ParamDef> &added = host.added();
    ASSERT_EQ(added.size(), 11u);
    EXPECT_EQ(host.sim.outData().num_params, 12);
    std::vector<PF_ParamType> types;
    std::vector<A_long> ids;
    for (const PF_ParamDef &record : added) {
        types.push_back(record.param_type);
        ids.push_back(record.uu.id);
    }
    EXPECT_EQ(types, (std::vector<PF_ParamType>{PF_Param_GROUP_START, PF_Param_SLIDER, PF_Param_COLOR,
                                                PF_Param_FLOAT_SLIDER, PF_Param_ANGLE, PF_Param_POPUP, PF_Param_LAYER,
                                                PF_Param_POINT, PF_Param_FLOAT_SLIDER, PF_Param_CHECKBOX,
                                                PF_Param_GROUP_END}));
    EXPECT_EQ(ids, (std::vector<A_long>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));

    EXPECT_STREQ(added[0].name, "group");
    EXPECT_EQ(added[1].u.sd.value, 5);
    EXPECT_EQ(added[1].u.sd.dephault, 5);
    EXPECT_EQ(added[1].u.sd.slider_min, 1);
    EXPECT_EQ(added[1].u.sd.valid_max, 10);
    const PF_Pixel colourValue = added[2].u.cd.value;
    EXPECT_EQ(std::vector<int>({colourValue.alpha, colourValue.red, colourValue.green, colourValue.blue}),
              (std::vector<int>{255, 127, 255, 63}));
    EXPECT_STREQ(added[3].name, "tint(alpha)");
    EXPECT_EQ(added[3].u.fs_d.valid_max, 1.0f);
    EXPECT_EQ(added[3].u.fs_d.dephault, 0.1f);
    EXPECT_EQ(added[3].u.fs_d.precision, 3);
    EXPECT_EQ(added[4].u.ad.value, 2981888); // 45.5 degrees in 16.16
    EXPECT_EQ(added[5].u.pd.num_choices, 3);
    EXPECT_EQ(added[5].u.pd.dephault, 2);
    EXPECT_EQ(added[5].u.pd.value, 2);
    EXPECT_EQ(added[6].u.ld.dephault, PF_LayerDefault_NONE);
    EXPECT_EQ(added[7].u.td.x_value, 25 << 16);
    EXPECT_EQ(added[7].u.td.y_dephault, 75 << 16);
    EXPECT_EQ(added[7].u.td.restrict_bounds, 1);
    EXPECT_EQ(added[8].u.fs_d.dephault, 0.1f);
    EXPECT_EQ(added[8].u.fs_d.value, 0.10000000149011612) << "the single-precision default, widened";
    EXPECT_EQ(added[8].u.fs_d.slider_min, -2.0f);
    EXPECT_EQ(added[8].u.fs_d.valid_min, -3.0f);
    EXPECT_EQ(added[9].u.bd.value, 1);
    EXPECT_EQ(added[9].u.bd.dephault, 1);
    EXPECT_STREQ(added[10].name, "") << "a group end carries no name";
}

namespace {

// The names text of a choice lives only while add_param runs: read it there.
std::string capturedNames;

PF_Err captureNames(PF_ProgPtr, PF_ParamIndex, PF_ParamDef *def) {
    capturedNames = def->u.pd.u.namesptr;
    return PF_Err_NONE;
}

} // namespace

TEST(Registration, ChoiceNamesAreJoinedByABarAndASpace) {
    ListHost host;
    xChoiceDef &choice = host.add(xChoiceDef("mode", "", 1));
    choice.items = {"first", "second", "third"};
    host.sim.inData().inter.add_param = captureNames;
    ASSERT_EQ(host.setup(), PF_Err_NONE);
    EXPECT_EQ(capturedNames, "first| second| third");
}

TEST(Registration, FlagsFollowTheDefinition) {
    ListHost host;
    xRGBADef &colour = host.add(xRGBADef("colour", "", 1, 2));
    colour.animatable = false;
    colour.supervised = true;
    colour.startCollapsed = false;
    colour.enabled = false;
    ASSERT_EQ(host.setup(), PF_Err_NONE);
    ASSERT_EQ(host.added().size(), 2u);
    for (const PF_ParamDef &record : host.added()) {
        EXPECT_EQ(record.flags, PF_ParamFlag_CANNOT_TIME_VARY | PF_ParamFlag_SUPERVISE);
        EXPECT_EQ(record.ui_flags, PF_PUI_DISABLED) << "the alpha slider keeps the colour's flags";
    }
}

TEST(Registration, ColourWithoutAlphaIdIsOneControl) {
    ListHost host;
    host.add(xRGBADef("colour", "", 1, 0));
    ASSERT_EQ(host.setup(), PF_Err_NONE);
    EXPECT_EQ(host.added().size(), 1u);
    EXPECT_EQ(host.sim.outData().num_params, 2);
}

TEST(Registration, InternalOnlyControlsAreNotRegistered) {
    ListHost host;
    for (int id = 1; id <= 3; ++id) {
        host.add(xFloatDef("hidden", "", id, 0, 1, 0, 1, 1)).internalOnly = true;
    }
    ASSERT_EQ(host.setup(), PF_Err_NONE);
    EXPECT_TRUE(host.added().empty());
    EXPECT_EQ(host.sim.outData().num_params, 1);
}

TEST(Registration, ARefusalEndsTheCommandWithTheHostsCode) {
    ListHost host;
    host.add(xCheckboxDef("a", "", 1));
    host.add(xCheckboxDef("b", "", 2));
    host.add(xCheckboxDef("c", "", 3));
    host.sim.script().addParamError = 1234;
    host.sim.script().addParamErrorFromCall = 2;
    host.sim.outData().num_params = -7;
    EXPECT_EQ(host.setup(), 1234);
    EXPECT_EQ(host.added().size(), 1u);
    EXPECT_EQ(host.sim.outData().num_params, -7) << "left as it was";
}

TEST(Registration, LongNamesAreCutAtTheHostsField) {
    ListHost host;
    const std::string longName(40, 'n');
    host.add(xCheckboxDef(longName, "", 1));
    host.add(xRGBADef(std::string(30, 'c'), "", 2, 3)); // 30 + "(alpha)" is too long as well
    ASSERT_EQ(host.setup(), PF_Err_NONE);
    EXPECT_EQ(std::string(host.added()[0].name), longName.substr(0, 31));
    EXPECT_EQ(std::string(host.added()[2].name), std::string(30, 'c') + "(");
}

namespace {

class ChangeRecorder : public ZephyrineAEHost {
public:
    ChangeRecorder() : ZephyrineAEHost("n", "c", "d") {}
    void onParamChanged(std::string key) override { keys.push_back(key); }
    std::vector<std::string> keys;
};

} // namespace

TEST(ChangedParameter, ReportsTheControlsChangeKey) {
    hostsim::HostSim sim(nullptr);
    struct Case {
        PF_ParamIndex index;
        std::vector<std::string> keys;
    };
    for (const Case &c : {Case{7, {"selection enable"}}, Case{4, {"selection enable"}}, Case{2, {"tilt sideways"}},
                          Case{0, {}}, Case{9, {}}}) {
        SCOPED_TRACE(c.index);
        ChangeRecorder host;
        PF_UserChangedParamExtra extra{c.index};
        EXPECT_EQ(host.dispatch(PF_Cmd_USER_CHANGED_PARAM, &sim.inData(), &sim.outData(), nullptr, nullptr, &extra),
                  PF_Err_NONE);
        EXPECT_EQ(host.keys, c.keys);
    }
    ChangeRecorder withoutSuites;
    sim.inData().pica_basicP = nullptr;
    PF_UserChangedParamExtra extra{2};
    EXPECT_EQ(withoutSuites.dispatch(PF_Cmd_USER_CHANGED_PARAM, &sim.inData(), &sim.outData(), nullptr, nullptr,
                                     &extra),
              PF_Err_NONE);
    EXPECT_TRUE(withoutSuites.keys.empty()) << "nothing to do without a basic suite";
}

namespace {

// An adapter bound to a simulated host's records, basic suite included.
struct BoundAdapter {
    explicit BoundAdapter(A_long application = PF_APPL_ID_AFTER_EFFECTS) {
        sim.claimApplication(application);
        for (int i = 0; i < 3; ++i) {
            sim.parameters().append(embedhost::floatSliderRecord(0.0));
        }
        sim.inData().num_params = sim.parameters().size();
        adapter.dispatch(PF_Cmd_EVENT, &sim.inData(), &sim.outData(), sim.parameters().pointers(), nullptr, nullptr);
    }
    hostsim::HostSim sim{nullptr};
    const hostsim::HostSim::Current current{sim};
    ZephyrineAEHost adapter{"n", "c", "d"};
};

} // namespace

TEST(EnableControls, GreyingOutSendsACopyThroughTheParamUtilsSuite) {
    BoundAdapter bound;
    bound.sim.parameters().at(2).ui_flags = 0x4;
    bound.adapter.tiltSideways.setEnabled(false);
    bound.adapter.tiltSideways.setEnabled(true);
    const auto &updates = bound.sim.seen().paramUIUpdates;
    ASSERT_EQ(updates.size(), 2u);
    EXPECT_EQ(updates[0].first, 2);
    EXPECT_EQ(updates[0].second.ui_flags, 0x4 | PF_PUI_DISABLED);
    EXPECT_EQ(updates[1].second.ui_flags, 0x4);
    EXPECT_EQ(bound.sim.parameters().at(2).ui_flags, 0x4) << "the host's own record is not touched";
    EXPECT_EQ(bound.sim.seen().suitesAcquired, 2);
    EXPECT_EQ(bound.sim.seen().suitesReleased, 2);
}

TEST(EnableControls, PremiereUpdatesOnlyLayerControls) {
    BoundAdapter bound(PF_APPL_ID_PREMIERE);
    bound.adapter.tiltForward.setEnabled(false);
    EXPECT_TRUE(bound.sim.seen().paramUIUpdates.empty());
    EXPECT_EQ(bound.sim.seen().suitesAcquired, 0);
    bound.adapter.setParamEnabled(0, false); // index 0 is the input layer
    ASSERT_EQ(bound.sim.seen().paramUIUpdates.size(), 1u);
    EXPECT_EQ(bound.sim.seen().suitesAcquired, bound.sim.seen().suitesReleased);
}

TEST(SuiteAccess, AcquiresOnFirstUseAndReleasesOnce) {
    hostsim::HostSim sim(nullptr);
    const hostsim::HostSim::Current current(sim);
    {
        SuiteHandler unused(&sim.inData());
    }
    EXPECT_EQ(sim.seen().suitesReleased, 0) << "nothing acquired, nothing released";
    {
        SuiteHandler suites(&sim.inData());
        const PF_ParamUtilsSuite1 &first = suites.paramUtils();
        EXPECT_EQ(&suites.paramUtils(), &first);
    }
    EXPECT_EQ(sim.seen().suitesAcquired, 1);
    EXPECT_EQ(sim.seen().suitesReleased, 1);
}

TEST(SuiteAccess, MissingOrRefusedSuitesRaise516) {
    hostsim::HostSim sim(nullptr);
    const hostsim::HostSim::Current current(sim);
    sim.script().refuseSuites = true;
    SuiteHandler suites(&sim.inData());
    try {
        suites.paramUtils();
        ADD_FAILURE() << "a refused suite must raise";
    } catch (const HostError &error) {
        EXPECT_EQ(error.code, PF_Err_BAD_CALLBACK_PARAM);
    }
    sim.inData().pica_basicP = nullptr;
    try {
        SuiteHandler none(&sim.inData());
        ADD_FAILURE() << "no basic suite must raise";
    } catch (const HostError &error) {
        EXPECT_EQ(error.code, PF_Err_BAD_CALLBACK_PARAM);
    }
    EXPECT_EQ(sim.seen().suitesReleased, 0);
}

TEST(SmartCommands, MoreControlsThanTheTableHoldsAreRefused) {
    ListHost host;
    std::vector<xCheckbox> boxes(150); // bound controls take host indexes 1 to 150
    for (xCheckbox &box : boxes) {
        host.list.append(box);
    }
    PF_SmartRenderInput input{};
    input.bitdepth = 8;
    struct Stub {
        static PF_Err pixels(PF_ProgPtr, A_long, PF_EffectWorld **world) {
            static PF_EffectWorld empty{};
            *world = &empty;
            return PF_Err_NONE;
        }
        static PF_Err output(PF_ProgPtr, PF_EffectWorld **world) { return pixels(nullptr, 0, world); }
    };
    PF_SmartRenderCallbacks callbacks{Stub::pixels, nullptr, Stub::output};
    PF_SmartRenderExtra extra{&input, &callbacks};
    EXPECT_EQ(host.dispatch(PF_Cmd_SMART_RENDER, &host.sim.inData(), &host.sim.outData(), nullptr, nullptr, &extra),
              PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_TRUE(host.sim.seen().checkouts.empty());
}
