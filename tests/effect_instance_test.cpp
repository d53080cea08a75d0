// The host library's effect instance as a product uses it, on a stand-in module that records
// what it is sent: setup and setdown in pairs, however far setup got; controls set through
// the records the effect registered; errors that carry their name and the effect's message;
// and the module kept loaded while an instance lives.
#include "embedhost/effect_instance.h"
#include "platform/module.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string &recordingPath() {
    static const std::string path =
        platform::executableDirectory() + "/" + platform::moduleFileName("recording_effect");
    return path;
}

// The module's own record, reached as the test's second handle on it.
struct Recording {
    platform::ModuleHandle handle;
    void (*reset)(PF_Cmd, PF_Err, const char *, int);
    const PF_Cmd *(*commands)(int *);
    double (*value)(int);

    Recording() {
        std::string error;
        handle = platform::loadModule(recordingPath(), error);
        EXPECT_NE(handle, nullptr) << error;
        reset = reinterpret_cast<decltype(reset)>(platform::moduleSymbol(handle, "RecordingReset"));
        commands = reinterpret_cast<decltype(commands)>(platform::moduleSymbol(handle, "RecordedCommands"));
        value = reinterpret_cast<decltype(value)>(platform::moduleSymbol(handle, "RecordedValue"));
    }
    ~Recording() { platform::unloadModule(handle); }
    std::vector<PF_Cmd> sent() const {
        int count = 0;
        const PF_Cmd *first = commands(&count);
        return {first, first + count};
    }
};

constexpr PF_Cmd ABOUT = PF_Cmd_ABOUT, GLOBAL = PF_Cmd_GLOBAL_SETUP, PARAMS = PF_Cmd_PARAMS_SETUP,
                 SEQUENCE = PF_Cmd_SEQUENCE_SETUP, SEQUENCE_DOWN = PF_Cmd_SEQUENCE_SETDOWN,
                 GLOBAL_DOWN = PF_Cmd_GLOBAL_SETDOWN;

} // namespace

TEST(EffectInstance, EverySetupThatSucceededIsSetDownAndErrorsSayWhat) {
    struct Case {
        const char *name;
        PF_Cmd failAt;
        PF_Err code;
        const char *message;
        int registration;
        std::vector<PF_Cmd> sent;
        std::string error; // empty: constructed, then destroyed
    };
    const Case cases[] = {
        {"all setups succeed", -1, 0, "", 0, {ABOUT, GLOBAL, PARAMS, SEQUENCE, SEQUENCE_DOWN, GLOBAL_DOWN}, ""},
        {"global setup fails",
         GLOBAL,
         PF_Err_OUT_OF_MEMORY,
         "no memory for the tables",
         0,
         {ABOUT, GLOBAL},
         "the effect returned PF_Err_OUT_OF_MEMORY (4): no memory for the tables"},
        {"params setup fails",
         PARAMS,
         PF_Err_INVALID_CALLBACK,
         "",
         0,
         {ABOUT, GLOBAL, PARAMS, GLOBAL_DOWN},
         "the effect returned PF_Err_INVALID_CALLBACK (515)"},
        {"sequence setup fails with a code of its own",
         SEQUENCE,
         1234,
         "",
         0,
         {ABOUT, GLOBAL, PARAMS, SEQUENCE, GLOBAL_DOWN},
         "the effect returned error 1234"},
        {"a checkbox registered as a slider",
         -1,
         0,
         "",
         1,
         {ABOUT, GLOBAL, PARAMS, SEQUENCE, SEQUENCE_DOWN, GLOBAL_DOWN},
         "the effect registered control 5 (\"control 5\") as another kind than a checkbox"},
    };
    const Recording recording;
    const auto module = std::make_shared<const embedhost::PluginModule>(recordingPath());
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        recording.reset(test.failAt, test.code, test.message, test.registration);
        std::string error;
        try {
            const embedhost::EffectInstance instance(module, {});
        } catch (const std::exception &thrown) {
            error = thrown.what();
        }
        EXPECT_EQ(error, test.error);
        EXPECT_EQ(recording.sent(), test.sent);
    }
}

TEST(EffectInstance, ControlsAreSetThroughTheRecordsTheEffectRegistered) {
    const Recording recording;
    for (const int registration : {0, 2}) { // in the documented order, and reversed
        SCOPED_TRACE(registration);
        recording.reset(-1, 0, "", registration);
        embedhost::Controls controls;
        controls.tiltForward = 0.25;
        controls.tiltUpwards = -0.5;
        controls.invertY = true;
        controls.traditional = true;
        embedhost::EffectInstance instance(std::make_shared<const embedhost::PluginModule>(recordingPath()), controls);
        instance.sourceFor(1, 1, 8);
        instance.renderWorlds();
        const double expected[9] = {0, 0.25, 0.0, -0.5, 0, 1, 0, 0, 1}; // by id, from 1
        for (int id = 1; id <= 8; ++id) {
            EXPECT_EQ(recording.value(id), expected[id]) << "control " << id;
        }
    }
}

TEST(EffectInstance, KeepsTheModuleLoadedWhileItLives) {
    auto module = std::make_shared<const embedhost::PluginModule>(recordingPath());
    auto instance = std::make_unique<embedhost::EffectInstance>(module, embedhost::Controls{});
    module.reset();
    EXPECT_TRUE(platform::moduleIsLoaded(recordingPath())) << "the caller's handle is gone, the instance's is not";
    instance.reset(); // sends its setdowns into the module, which must still be there
    EXPECT_FALSE(platform::moduleIsLoaded(recordingPath()));
}
