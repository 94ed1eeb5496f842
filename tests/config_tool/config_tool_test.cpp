// kvo7730-config's commands on a store in memory: a refused change saves nothing, a program
// running the instance keeps the changes it would write over from being saved, and --restart
// stops its unit before the change is written and starts it after.
#include "memory_settings_store.h"

#include "config_tool/config_tool.h"
#include "config_tool/user_units.h"
#include "instance/instance_claim.h"
#include "settings/settings_values.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

class ScriptedUnits : public UserUnits {
public:
    bool isActive(const std::string& unit) override
    {
        calls.push_back("is-active " + unit);
        return active;
    }
    std::optional<std::string> stop(const std::string& unit) override
    {
        calls.push_back("stop " + unit);
        if (whenStopped)
            whenStopped();
        return std::nullopt;
    }
    std::optional<std::string> start(const std::string& unit) override
    {
        calls.push_back("start " + unit);
        if (whenStarted)
            whenStarted();
        return std::nullopt;
    }

    bool active = true;
    std::function<void()> whenStopped;
    std::function<void()> whenStarted;
    std::vector<std::string> calls;
};

struct ToolRig {
    QTemporaryDir runtime;
    ClaimFolder claims{runtime.path().toStdString() + "/claims"};
    MemorySettingsStore store;
    ScriptedUnits units;
    std::ostringstream out;
    std::ostringstream err;
    std::string instance = "garage";

    int run(const QStringList& words)
    {
        const ConfigCommandLine line =
            parseConfigCommandLine(QStringList{"kvo7730-config", "--instance", QString::fromStdString(instance)} + words);
        if (!line.request)
            throw std::invalid_argument(line.message.toStdString());
        ConfigTool tool({.instance = instance,
                         .store = store,
                         .storeLocation = "memory",
                         .claims = claims,
                         .units = units,
                         .symbols = NumberSymbols{'.', ','},
                         .sharedWithOthers = [](const SettingsValues&) { return std::vector<std::string>{}; },
                         .configuredInstances = [] { return std::vector<std::string>{"", "garage"}; },
                         .out = out,
                         .err = err});
        return tool.run(*line.request);
    }

    // A program that runs the instance now, as kvo7730d would claim it.
    std::unique_ptr<HeldClaim> runningProgram(const std::string& program = "kvo7730d")
    {
        auto held = std::make_unique<HeldClaim>(claims);
        const auto result = held->take({.instance = instance, .program = program, .pid = 4242, .comPort = 3,
                                        .comDevice = "/dev/ttyUSB2", .tcpPort = 1234});
        if (result.outcome != HeldClaim::Outcome::Taken)
            throw std::runtime_error(result.line);
        return held;
    }
};

TEST(ConfigTool, aRefusedValue_exitsWith2_sayingTheWindowsReason_andSavesNothing)
{
    ToolRig rig;
    EXPECT_EQ(rig.run({"set", "com-port", "4", "write-interval", "5"}), config_exit::Refused);
    EXPECT_TRUE(rig.store.writes.empty());
    EXPECT_EQ(rig.err.str(), "write-interval: Must be set above 10 seconds.\nNothing was saved.\n");
}

TEST(ConfigTool, setThenGet_showsTheValuesAsTyped_andWritesTheStoredTexts)
{
    ToolRig rig;
    ASSERT_EQ(rig.run({"set", "connection", "zigbee1", "start-real-time", "yes", "com-port", "7"}), config_exit::Success)
        << rig.err.str();
    EXPECT_EQ(rig.store.values["ZigbeeVersion"], "1");
    EXPECT_EQ(rig.store.values["StartupRTLisOn"], "True");
    rig.out.str("");
    EXPECT_EQ(rig.run({"get", "connection", "start-real-time", "com-port"}), config_exit::Success);
    EXPECT_EQ(rig.out.str(), "zigbee1\nyes\n7\n");
}

TEST(ConfigTool, list_showsEverySettingWithItsDefault_andHidesPasswords)
{
    ToolRig rig;
    rig.store.values["MqttPassword"] = "hunter2";
    ASSERT_EQ(rig.run({"list"}), config_exit::Success);
    const std::string text = rig.out.str();
    EXPECT_NE(text.find("tcp-port = 1234   (default: 1234)"), std::string::npos) << text;
    EXPECT_EQ(text.find("hunter2"), std::string::npos);
    EXPECT_NE(text.find("the energy counters (PreResetVal1"), std::string::npos);
}

TEST(ConfigTool, whileAProgramRunsTheInstance_aKeyItWritesBackIsRefusedWith3)
{
    ToolRig rig;
    const auto program = rig.runningProgram();
    EXPECT_EQ(rig.run({"set", "start-real-time", "yes"}), config_exit::Busy);
    EXPECT_TRUE(rig.store.writes.empty());
    EXPECT_NE(rig.err.str().find("kvo7730d (process 4242) runs instance \"garage\" and saves its own start-real-time"),
              std::string::npos)
        << rig.err.str();
}

TEST(ConfigTool, whileAProgramRunsTheInstance_aKeyItLeavesAlone_isSavedForItsNextStart)
{
    ToolRig rig;
    const auto program = rig.runningProgram();
    EXPECT_EQ(rig.run({"set", "tcp-port", "1240"}), config_exit::Success);
    EXPECT_EQ(rig.store.values["TCPport"], "1240");
    EXPECT_NE(rig.out.str().find("it takes the change at its next start"), std::string::npos) << rig.out.str();
    EXPECT_TRUE(rig.units.calls.empty());
}

TEST(ConfigTool, restart_stopsTheUnitBeforeWriting_andStartsItAfter)
{
    ToolRig rig;
    auto program = rig.runningProgram();
    std::size_t writesWhenStopped = 99;
    std::size_t writesWhenStarted = 0;
    rig.units.whenStopped = [&] {
        writesWhenStopped = rig.store.writes.size();
        program.reset();
    };
    rig.units.whenStarted = [&] { writesWhenStarted = rig.store.writes.size(); };
    EXPECT_EQ(rig.run({"--restart", "set", "start-real-time", "yes"}), config_exit::Success) << rig.err.str();
    EXPECT_EQ(rig.units.calls, (std::vector<std::string>{"is-active kvo7730d@garage.service", "stop kvo7730d@garage.service",
                                                         "start kvo7730d@garage.service"}));
    EXPECT_EQ(writesWhenStopped, 0u);
    EXPECT_EQ(writesWhenStarted, 1u);
    EXPECT_EQ(rig.store.values["StartupRTLisOn"], "True");
}

TEST(ConfigTool, restart_whenTheProgramIsNotTheUnit_touchesNothing)
{
    ToolRig rig;
    const auto program = rig.runningProgram("kvo7730");
    rig.units.active = false;
    EXPECT_EQ(rig.run({"--restart", "set", "tcp-port", "1240"}), config_exit::Busy);
    EXPECT_TRUE(rig.store.writes.empty());
    EXPECT_EQ(rig.units.calls, std::vector<std::string>{"is-active kvo7730d@garage.service"});
}

TEST(ConfigTool, instances_saysWhichProgramRunsEach)
{
    ToolRig rig;
    const auto program = rig.runningProgram();
    ASSERT_EQ(rig.run({"instances"}), config_exit::Success);
    EXPECT_EQ(rig.out.str(), "default\tnot running\ngarage\trun by kvo7730d (process 4242)\n");
}

} // namespace
