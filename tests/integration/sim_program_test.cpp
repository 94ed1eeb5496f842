// kvo7730-sim as a program: its first line, its COM port link, and a clean end on a
// termination signal.
#include "sim_process.h"

#include "platform/com_port_path.h"

#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(SimulatorProgram, firstLineIsThePseudoTerminalThatTheComLinkNames)
{
    QTemporaryDir config;
    SimProcess sim(KVO_SIM_PATH, config.path(), {"--com", "12"});
    ASSERT_FALSE(sim.devicePath().isEmpty());
    EXPECT_TRUE(fs::exists(sim.devicePath().toStdString())) << sim.devicePath().toStdString();
    const std::string link = comPortLinkPath(12, config.path().toStdString());
    EXPECT_EQ(fs::read_symlink(link), fs::path(sim.devicePath().toStdString()));
}

TEST(SimulatorProgram, terminationSignals_endItCleanlyAndRemoveTheComLink)
{
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        QTemporaryDir config;
        SimProcess sim(KVO_SIM_PATH, config.path(), {"--com", "8", "--realtime-on"});
        const std::string link = comPortLinkPath(8, config.path().toStdString());
        ASSERT_TRUE(fs::is_symlink(link));

        ::kill(static_cast<pid_t>(sim.process().processId()), signalNumber);
        ASSERT_TRUE(sim.ended(5000)) << "signal " << signalNumber;
        EXPECT_EQ(sim.process().exitStatus(), QProcess::NormalExit) << "signal " << signalNumber;
        EXPECT_EQ(sim.process().exitCode(), 0);
        EXPECT_FALSE(fs::is_symlink(link)) << "signal " << signalNumber;
    }
}

TEST(SimulatorProgram, badArguments_endItWithAMessageAndNoLink)
{
    QTemporaryDir config;
    SimProcess sim(KVO_SIM_PATH, config.path(), {"--com", "99"});
    ASSERT_TRUE(sim.ended(5000));
    EXPECT_EQ(sim.process().exitCode(), 2);
    EXPECT_TRUE(sim.process().readAllStandardError().contains("--com"));
    EXPECT_FALSE(fs::exists(comPortLinkFolder(config.path().toStdString())));
}

} // namespace
