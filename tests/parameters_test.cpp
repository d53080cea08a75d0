// Definitions, parameter objects and the effect's eight controls.
#include "params/parameter_objects.h"
#include "params/zephyrine_parameters.h"

#include "embedhost/parameter_array.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A host binding over a parameter array, with a checkout callback that records its call.
class FakeHost : public xParameterHostAE {
public:
    FakeHost() {
        in.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
        in.inter.checkout_param = checkout;
        in.inter.checkin_param = checkin;
        in.local_time_step = 1;
        in.time_step = 7;
        in.time_scale = 30;
    }

    PF_InData *currentInData() const override { return const_cast<PF_InData *>(&in); }
    PF_ParamDef *parameterRecord(int32_t index) const override { return array != nullptr ? array[index] : nullptr; }
    void setParamEnabled(int32_t index, bool enabled) override { enabledCalls.push_back({index, enabled}); }

    PF_InData in{};
    PF_ParamDef **array = nullptr;
    PF_Err refusal = PF_Err_NONE;
    double checkedOutValue = 0.0;
    std::vector<A_long> times;
    int checkins = 0;
    std::vector<std::pair<int32_t, bool>> enabledCalls;

private:
    static FakeHost &self(PF_ProgPtr ref) { return *reinterpret_cast<FakeHost *>(ref); }
    static PF_Err checkout(PF_ProgPtr ref, PF_ParamIndex, A_long time, A_long step, A_u_long scale,
                           PF_ParamDef *param) {
        FakeHost &host = self(ref);
        EXPECT_EQ(step, 7);
        EXPECT_EQ(scale, 30u);
        host.times.push_back(time);
        if (host.refusal != PF_Err_NONE) {
            return host.refusal;
        }
        param->u.fs_d.value = host.checkedOutValue;
        return PF_Err_NONE;
    }
    static PF_Err checkin(PF_ProgPtr ref, PF_ParamDef *) {
        ++self(ref).checkins;
        return PF_Err_NONE;
    }
};

xFloat boundFloat(FakeHost &host, int32_t index) {
    xFloat parameter;
    parameter.host = &host;
    parameter.index = index;
    return parameter;
}

} // namespace

TEST(Definitions, EmptyKeyTakesTheName) {
    EXPECT_EQ(xParameterDef("tilt", "", 1).key, "tilt");
    EXPECT_EQ(xParameterDef("tilt", "shared", 1).key, "shared");
}

TEST(Definitions, FloatArgumentsGiveSliderRangeBeforeValidRange) {
    const xFloatDef def("f", "", 3, -2.0, 2.0, -5.0, 5.0, 4);
    EXPECT_EQ(def.sliderMin, -2.0);
    EXPECT_EQ(def.sliderMax, 2.0);
    EXPECT_EQ(def.validMin, -5.0);
    EXPECT_EQ(def.validMax, 5.0);
    EXPECT_EQ(def.precision, 4);
    // The default is 0 whatever the ranges, even outside the valid range.
    EXPECT_EQ(xFloatDef("g", "", 4, 1.0, 2.0, 1.0, 2.0, 1).defaultValue, 0.0);
}

TEST(Definitions, NeutralDefinitions) {
    const xFloat neutral;
    const xFloatDef &def = neutral.floatDefinition();
    EXPECT_EQ(def.name, "");
    EXPECT_EQ(def.id, 0);
    EXPECT_EQ(def.validMin, -std::numeric_limits<double>::max());
    EXPECT_EQ(def.sliderMax, std::numeric_limits<double>::max());
    EXPECT_EQ(def.precision, 2);
    EXPECT_FALSE(xCheckbox().checkboxDefinition().defaultValue);
}

TEST(EffectParameters, EightControlsInHostOrder) {
    const ZephyrineParameters set;
    struct Expected {
        const char *name;
        const char *key;
    };
    const Expected expected[] = {{"tilt forward", "tilt forward"},
                                 {"tilt sideways", "tilt sideways"},
                                 {"tilt upwards", "tilt upwards"},
                                 {"invert x(red)", "selection enable"},
                                 {"invert y(green)", "selection enable"},
                                 {"invert z(blue)", "selection enable"},
                                 {"invert all", "selection enable"},
                                 {"traditional format", "selection enable"}};
    ASSERT_EQ(set.elements().size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        const xParameterDef &def = set.elements()[i]->definition();
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(def.name, expected[i].name);
        EXPECT_EQ(def.key, expected[i].key);
        EXPECT_EQ(def.id, static_cast<int32_t>(i + 1));
        EXPECT_TRUE(def.animatable && def.startCollapsed && def.enabled);
        EXPECT_FALSE(def.supervised || def.internalOnly);
        EXPECT_EQ(dynamic_cast<const xFloat *>(set.elements()[i]) != nullptr, i < 3);
    }
}

TEST(EffectParameters, TiltRangesAndPrecision) {
    const ZephyrineParameters set;
    for (const xFloat *tilt : {&set.tiltForward, &set.tiltSideways, &set.tiltUpwards}) {
        const xFloatDef &def = tilt->floatDefinition();
        EXPECT_EQ(def.defaultValue, 0.0);
        EXPECT_EQ(def.validMin, -1.0);
        EXPECT_EQ(def.validMax, 1.0);
        EXPECT_EQ(def.sliderMin, -1.0);
        EXPECT_EQ(def.sliderMax, 1.0);
        EXPECT_EQ(def.precision, 3);
        EXPECT_FALSE(def.displayPixels || def.displayPercent);
    }
    EXPECT_FALSE(set.traditionalFormat.checkboxDefinition().defaultValue);
}

TEST(ParameterValues, ReadFromTheHostArrayUnchanged) {
    embedhost::ParameterArray array;
    array.append(embedhost::floatSliderRecord(7.5)); // outside the valid range: returned as it is
    array.append(embedhost::checkboxRecord(-3));     // any non-zero value is on
    array.append(embedhost::checkboxRecord(0));
    FakeHost host;
    host.array = array.pointers();

    xFloat tilt = boundFloat(host, 1);
    xCheckbox on;
    on.host = &host;
    on.index = 2;
    xCheckbox off;
    off.host = &host;
    off.index = 3;
    EXPECT_EQ(tilt.value(), 7.5);
    EXPECT_TRUE(on.value());
    EXPECT_FALSE(off.value());
}

TEST(ParameterValues, MissingRecordsReadAsDefaults) {
    embedhost::ParameterArray array;
    array.append(embedhost::floatSliderRecord(0.25));
    FakeHost host;
    xFloat tilt = boundFloat(host, 1);
    EXPECT_EQ(tilt.value(), 0.0) << "no array at all";

    std::vector<PF_ParamDef *> withHole{array.pointers()[0], nullptr};
    host.array = withHole.data();
    EXPECT_EQ(tilt.value(), 0.0) << "a null entry";
    tilt.setValue(3.0); // nothing to write into, and no crash
    EXPECT_EQ(xFloat().value(), 0.0) << "never bound";
}

TEST(ParameterValues, SetValueMarksTheChangeAndKeepsOtherFlags) {
    embedhost::ParameterArray array;
    array.append(embedhost::floatSliderRecord(0.0));
    array.at(1).uu.change_flags = 0x8;
    FakeHost host;
    host.array = array.pointers();
    xFloat tilt = boundFloat(host, 1);
    tilt.setValue(-0.5);
    EXPECT_EQ(array.at(1).u.fs_d.value, -0.5);
    EXPECT_EQ(array.at(1).uu.change_flags, 0x9);
}

TEST(ParameterValues, ValueAtAsksForFrameTimesLocalStep) {
    FakeHost host;
    host.in.local_time_step = 100;
    host.checkedOutValue = 0.75;
    xFloat tilt = boundFloat(host, 1);
    EXPECT_EQ(tilt.valueAt(0.0), 0.75);
    EXPECT_EQ(tilt.valueAt(2.5), 0.75);
    EXPECT_EQ(tilt.valueAt(-0.015), 0.75); // -1.5 truncates toward zero
    EXPECT_EQ(tilt.valueAt(std::nan("")), 0.75);
    EXPECT_EQ(host.times, (std::vector<A_long>{0, 250, -1, 0}));
    EXPECT_EQ(host.checkins, 4);
}

TEST(ParameterValues, RefusedCheckoutGivesTheDefaultAndNoCheckin) {
    FakeHost host;
    host.refusal = PF_Err_INVALID_INDEX;
    xFloat tilt = boundFloat(host, 1);
    xCheckbox box;
    box.host = &host;
    box.index = 4;
    EXPECT_EQ(tilt.valueAt(1.0), 0.0);
    EXPECT_FALSE(box.valueAt(1.0));
    EXPECT_EQ(host.checkins, 0);
}

TEST(ParameterValues, SetEnabledForwardsTheIndexToTheHost) {
    FakeHost host;
    xFloat tilt = boundFloat(host, 2);
    xCheckbox box;
    box.host = &host;
    box.index = 5;
    tilt.setEnabled(false);
    box.setEnabled(true);
    EXPECT_EQ(host.enabledCalls, (std::vector<std::pair<int32_t, bool>>{{2, false}, {5, true}}));
}
