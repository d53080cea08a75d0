// The module loaded as a host loads it, driven through its entry point by the simulated host.
#include "expected_flags.h"
#include "hostsim/host_sim.h"
#include "embedhost/plugin_module.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

class ModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { module = std::make_unique<embedhost::PluginModule>(embedhost::PluginModule::besideExecutable()); }
    static void TearDownTestSuite() { module.reset(); }

    static inline std::unique_ptr<embedhost::PluginModule> module;
    hostsim::HostSim host{module->entryPoint()};
};

} // namespace

TEST_F(ModuleTest, AboutTextHasTwoBlanksBeforeTheVersion) {
    ASSERT_EQ(host.send(PF_Cmd_ABOUT), PF_Err_NONE);
    const std::string text = host.outData().return_msg;
    EXPECT_EQ(text.rfind("Zephyrine  v1.0\r", 0), 0u) << text;
    // The description: a sentence, a blank line, a notice.
    const std::string description = text.substr(std::strlen("Zephyrine  v1.0\r"));
    EXPECT_NE(description.find("unit length"), std::string::npos);
    EXPECT_NE(description.find("\r\r"), std::string::npos);
}

TEST_F(ModuleTest, GlobalSetupReportsVersionAndFlagsByApiLevel) {
    struct Case {
        A_short major, minor;
        bool newFlags;
    };
    for (const Case c : {Case{12, 4, false}, Case{12, 5, true}, Case{13, 0, true}, Case{13, 28, true}}) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        hostsim::HostSim fresh(module->entryPoint());
        fresh.claimVersion(c.major, c.minor);
        fresh.outData().out_flags = 0x1;
        fresh.outData().out_flags2 = 0x5;
        ASSERT_EQ(fresh.send(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
        EXPECT_EQ(fresh.outData().my_version, 0x00080600u);
        EXPECT_EQ(fresh.outData().out_flags, 0x06000000);
        EXPECT_EQ(static_cast<uint32_t>(fresh.outData().out_flags2), c.newFlags ? kExpectedOutFlags2 : 0x5u);
        EXPECT_EQ(fresh.outData().num_params, 0) << "set by parameter setup, not here";
    }
}

TEST_F(ModuleTest, FrameSetupSetsTheOrigin) {
    host.outData().origin = {5, 7};
    ASSERT_EQ(host.send(PF_Cmd_FRAME_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.outData().origin.h, 0);
    EXPECT_EQ(host.outData().origin.v, 0);
}

TEST_F(ModuleTest, CommandsWithoutHandlerSucceedAndTouchNothing) {
    std::memset(&host.outData(), 0x5A, sizeof(PF_OutData));
    PF_OutData before;
    std::memcpy(&before, &host.outData(), sizeof before);
    for (PF_Cmd cmd : std::initializer_list<PF_Cmd>{PF_Cmd_UNUSED_0, PF_Cmd_DO_DIALOG, PF_Cmd_GET_EXTERNAL_DEPENDENCIES, PF_Cmd_QUERY_DYNAMIC_FLAGS,
                       PF_Cmd_AUDIO_RENDER, PF_Cmd_AUDIO_SETUP, PF_Cmd_AUDIO_SETDOWN, PF_Cmd_RESERVED1,
                       PF_Cmd_SMART_RENDER_GPU, PF_Cmd_NUM_CMDS, -1, -100000, 0x7fffffff}) {
        SCOPED_TRACE(cmd);
        EXPECT_EQ(host.send(cmd), PF_Err_NONE);
        EXPECT_EQ(std::memcmp(&before, &host.outData(), sizeof before), 0);
    }
}

TEST_F(ModuleTest, NullParameterArrayIsSurvived) {
    PF_UserChangedParamExtra changed{3};
    for (PF_Cmd cmd = PF_Cmd_ABOUT; cmd < PF_Cmd_NUM_CMDS; ++cmd) {
        SCOPED_TRACE(cmd);
        if (cmd == PF_Cmd_USER_CHANGED_PARAM) {
            EXPECT_EQ(host.send(cmd, nullptr, &changed), PF_Err_NONE);
        } else if (cmd == PF_Cmd_RENDER) {
            EXPECT_EQ(host.send(cmd, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM) << "no source: no frame";
        } else if (cmd == PF_Cmd_SMART_PRE_RENDER || cmd == PF_Cmd_SMART_RENDER) {
            EXPECT_EQ(host.send(cmd, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM) << "no extra record";
        } else {
            EXPECT_EQ(host.send(cmd, nullptr, nullptr), PF_Err_NONE);
        }
    }
    EXPECT_EQ(host.seen().checkoutBalance(), 0);
}
