// kvo7730-setup against kvo7730-sim on a pseudo-terminal: a write read back by a second
// run, a streaming monitor, a reset, a faulty monitor, and a port held by another program.
#include "scratch_environment.h"
#include "sim_process.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct SetupRun {
    int exitCode = -1;
    QString out;
    QString err;
};

struct SimulatedMonitor {
    QTemporaryDir config;
    SimProcess sim;

    explicit SimulatedMonitor(QStringList arguments = {})
        : sim(KVO_SIM_PATH, config.path(), QStringList{"--com", "7"} + arguments)
    {
    }

    SetupRun setup(const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(scratchEnvironment(config.path()));
        process.start(KVO_SETUP_PATH, QStringList{"--com", "7"} + arguments);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }
};

TEST(SetupToolWithSimulator, aWrittenChannelTwoIsWhatTheNextReadShows)
{
    SimulatedMonitor monitor;
    ASSERT_FALSE(monitor.sim.devicePath().isEmpty());

    const SetupRun write = monitor.setup({"write", "ct2=167,4", "id=5"});
    EXPECT_EQ(write.exitCode, 0) << write.err.toStdString();

    const SetupRun read = monitor.setup({"read"});
    EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_EQ(read.out, "ct1_type=100\nct1_range=5\nct2_type=167\nct2_range=4\npt_type=1\npt_range=2\n"
                        "interval=15\nfirmware=1.234\ndevice_id=5\n");
}

TEST(SetupToolWithSimulator, aConfiguredMonitorReadsBackAndAnswersAck)
{
    SimulatedMonitor monitor({"--config", "ct1=50,3 interval=300 firmware=2"});
    const SetupRun read = monitor.setup({"read"});
    EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_TRUE(read.out.startsWith("ct1_type=50\nct1_range=3\n")) << read.out.toStdString();
    EXPECT_TRUE(read.out.contains("interval=300\nfirmware=2.000\n")) << read.out.toStdString();

    const SetupRun ack = monitor.setup({"ack"});
    EXPECT_EQ(ack.exitCode, 0);
    EXPECT_EQ(ack.out, "Acknowledged\n");
}

// Each run stops the stream for its action and starts it again, so the next run finds it
// streaming too.
TEST(SetupToolWithSimulator, aStreamingMonitorIsStoppedForEachRunAndStreamsAgainAfterIt)
{
    SimulatedMonitor monitor({"--realtime-on"});
    for (const QStringList& arguments : {QStringList{"read"}, QStringList{"ack"}, QStringList{"ack"}}) {
        const SetupRun run = monitor.setup(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("Realtime is ON..... now turning OFF")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("Restoring Real-Time back to its ON state.")) << run.err.toStdString();
    }
}

TEST(SetupToolWithSimulator, unacknowledgedValuesAndRefusedResetsFail)
{
    SimulatedMonitor monitor({"--no-ack", "RNG+,RST"});
    const SetupRun write = monitor.setup({"write", "ct1=100,7"});
    EXPECT_EQ(write.exitCode, 1);
    EXPECT_TRUE(write.err.contains("the monitor does not hold the values written")) << write.err.toStdString();

    const SetupRun reset = monitor.setup({"--yes", "reset"});
    EXPECT_EQ(reset.exitCode, 1);
    EXPECT_TRUE(reset.err.contains("KVO was not reset")) << reset.err.toStdString();

    // Nothing is asked of a user who says no.
    const SetupRun declined = monitor.setup({"reset"});
    EXPECT_EQ(declined.exitCode, 1);
}

TEST(SetupToolWithSimulator, aPortHeldByAnotherProgramIsRefusedWithTheReason)
{
    SimulatedMonitor monitor;
    ASSERT_FALSE(monitor.sim.devicePath().isEmpty());
    const int held = ::open(monitor.sim.devicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);

    const SetupRun read = monitor.setup({"read"});
    ::close(held);

    EXPECT_EQ(read.exitCode, 3);
    EXPECT_TRUE(read.err.contains("in use by another program")) << read.err.toStdString();
    EXPECT_TRUE(read.out.isEmpty());
}

TEST(SetupToolWithSimulator, wrongArgumentsAreUsageErrors)
{
    // A setting outside the monitor's limits is refused before the port is touched.
    for (const QStringList& arguments : {QStringList{}, QStringList{"write", "ct1=5"}, QStringList{"polarity", "3"},
                                         QStringList{"frobnicate"}, QStringList{"write", "interval=300"}}) {
        QProcess process;
        process.start(KVO_SETUP_PATH, arguments);
        process.waitForFinished(10000);
        EXPECT_EQ(process.exitCode(), 2) << arguments.join(' ').toStdString();
    }
}

} // namespace
