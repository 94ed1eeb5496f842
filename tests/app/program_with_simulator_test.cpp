// The whole program against the simulated monitor on a pseudo-terminal: the real
// serial port, clock, event loop and settings file.
#include "fake_tray_icon.h"
#include "free_tcp_port.h"
#include "memory_settings_store.h"
#include "scratch_environment.h"
#include "scripted_dialogs.h"

#include "app/program.h"
#include "mainwindow/main_window.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_server_socket.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <map>
#include <memory>
#include <gtest/gtest.h>

namespace {

constexpr int kComPort = 9;

// The simulator linked as COM 9 in a scratch configuration folder; killed at the end.
class SimulatedMonitor {
public:
    explicit SimulatedMonitor(const QString& configDir, const QStringList& more = {})
    {
        process_.setProcessEnvironment(scratchEnvironment(configDir));
        process_.start(KVO_SIM_PATH, QStringList{"--com", QString::number(kComPort), "--volts", "230", "--watts1", "1500",
                                      "--pf1", "0.5", "--watts2", "200", "--pf2", "1"}
                                         + more);
        started_ = process_.waitForStarted(5000) && process_.waitForReadyRead(5000);
    }
    ~SimulatedMonitor() { stop(); }

    void stop()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }

    bool started() const { return started_; }

private:
    QProcess process_;
    bool started_ = false;
};

// The program with the real serial port, clock and event loop, its settings given.
struct ProgramOnPort {
    ProgramOnPort(const QString& configDir, std::map<std::string, std::string> settings)
        : port(configDir.toStdString())
    {
        store.values = std::move(settings);
    }

    FakeTrayIcon tray;
    MainWindow window{tray};
    QtClock clock;
    QtEventLoop events;
    QtSerialPort port;
    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    QtServerSocket tcpserver;
    Program program{window, Platform{.companion = {.clock = clock,
                                                   .events = events,
                                                   .port = port,
                                                   .store = store,
                                                   .dialogs = dialogs,
                                                   .tcpserver = tcpserver},
                                     .tray = tray}};
};

QString textOf(MainWindow& window, const char* name)
{
    return window.findChild<QLineEdit*>(name)->text();
}

bool listHolds(MainWindow& window, const QString& line)
{
    return !window.findChild<QListWidget*>("List1")->findItems(line, Qt::MatchExactly).isEmpty();
}

TEST(ProgramWithSimulator, startupOptions_openThePortAndStartRealTime_andReadingsFlow)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    SimulatedMonitor monitor(config.path());
    ASSERT_TRUE(monitor.started());

    ProgramOnPort running(config.path(), {{"ComPort", std::to_string(kComPort)}, {"ZigbeeVersion", "8"},
                                          {"StartupComIsOn", "True"}, {"StartupRTLisOn", "True"}});
    MainWindow& window = running.window;
    Program& program = running.program;
    ScriptedDialogs& dialogs = running.dialogs;

    program.Form_Load();
    ASSERT_TRUE(dialogs.questions.empty()) << "the linked port opens";
    EXPECT_EQ(textOf(window, "Text1"), QStringLiteral("COM Port is Open"));

    EXPECT_TRUE(QTest::qWaitFor([&] { return textOf(window, "Text2") == "Real-Time Data Active"; }, 15000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return listHolds(window, "Real-Time was off. Now attempting to start real-time."); }, 5000));
    const LiveReadings& readings = program.monitor().readings();
    EXPECT_TRUE(QTest::qWaitFor([&] { return readings.Watts1 == 1500; }, 10000)) << readings.Watts1;
    EXPECT_DOUBLE_EQ(readings.Volts, 230.0);
    EXPECT_DOUBLE_EQ(readings.Watts2, 200);
    EXPECT_FLOAT_EQ(readings.PowerFactor1, 0.5f);
    EXPECT_NEAR(readings.Amps1, 1500 / 0.5 / 230, 1e-4);
    // The watchdog may still count the quiet seconds of the start handshake.
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.monitor().state().RealTimeOn; }, 3000));

    // A packet byte that lands between a command and its acknowledgement fails the
    // stop, as it would with the monitor; like a user, try again.
    const auto stopped = [&] { return listHolds(window, "Real Time has been disabled successfully."); };
    for (int attempt = 0; attempt < 3 && !stopped(); ++attempt) {
        window.menuAction("MnuStopRTL").trigger();
        (void)QTest::qWaitFor([&] { return stopped() || !program.monitor().busy(); }, 10000);
    }
    EXPECT_TRUE(stopped());
    EXPECT_EQ(textOf(window, "Text2"), QStringLiteral("Real-Time Data Stopped"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !program.monitor().state().RealTimeOn; }, 10000))
        << "the watchdog sees the data stop";
    EXPECT_TRUE(dialogs.messages.empty());
}

// Every line the main list is given from now on, with "|" for each clear.
struct MainListRecord {
    explicit MainListRecord(const Program& program)
    {
        QObject::connect(&program.monitor().statusList(), &ObservableStatusList::lineAdded, &context,
                         [this](const std::string& line) { lines.push_back(line); });
        QObject::connect(&program.monitor().statusList(), &ObservableStatusList::cleared, &context,
                         [this] { lines.emplace_back("|"); });
    }
    bool holds(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }

    QObject context;
    std::vector<std::string> lines;
};

TEST(ProgramWithSimulator, behindAVersion2Dongle_theStartDiscoversTheNodeAndReadingsReachTcp)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    SimulatedMonitor monitor(config.path(), {"--zigbee", "2"});
    ASSERT_TRUE(monitor.started());
    const int tcpPort = freeTcpPort();
    ASSERT_NE(tcpPort, 0);

    ProgramOnPort running(config.path(), {{"ComPort", std::to_string(kComPort)}, {"ZigbeeVersion", "2"},
                                          {"StartupComIsOn", "True"}, {"StartupRTLisOn", "True"},
                                          {"StartupListen", "True"}, {"TCPport", std::to_string(tcpPort)}});
    MainWindow& window = running.window;
    Program& program = running.program;
    MainListRecord record(program);
    std::vector<std::string>& lines = record.lines;

    program.Form_Load();
    ASSERT_EQ(textOf(window, "Text1"), QStringLiteral("COM Port is Open"));
    // The automatic start refuses a ZigBee method before any discovery.
    const std::string aborted = "An attempt to start real-time was aborted since a zigbee node has not been "
                                "discovered. Open the Communication Panel and try using the \"Find\" buttons.";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !running.dialogs.messages.empty(); }, 6000));
    EXPECT_EQ(running.dialogs.messages, std::vector<std::string>{aborted});

    lines.clear();
    window.menuAction("MnuStartRTL").trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.monitor().state().ZigbeeFound; }, 10000));
    const std::vector<std::string> discovery = {"|", "Sending +++ string", "|", "Recieved OK response from +++ command",
                                                "|", "Node E2 has been discovered successfully."};
    // The discovery's lines follow the open's own line.
    const auto first = std::find(lines.begin(), lines.end(), "|");
    ASSERT_GE(lines.end() - first, static_cast<std::ptrdiff_t>(discovery.size()));
    EXPECT_EQ(std::vector<std::string>(first, first + static_cast<std::ptrdiff_t>(discovery.size())), discovery);
    EXPECT_TRUE(program.monitor().state().ZigbeeFound);
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.monitor().readings().Watts1 == 1500; }, 10000));

    QTcpSocket client;
    client.connectToHost("127.0.0.1", static_cast<quint16>(tcpPort));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.state() == QAbstractSocket::ConnectedState; }, 5000));
    client.write("GETP1\r");
    EXPECT_TRUE(QTest::qWaitFor([&] { return client.canReadLine(); }, 5000));
    EXPECT_EQ(client.readLine().trimmed(), QByteArray("1500"));
}

TEST(ProgramWithSimulator, behindADongleOfTheOtherVersion_theRefusalShowsAndNoPacketIsDecoded)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    SimulatedMonitor monitor(config.path(), {"--zigbee", "1"});
    ASSERT_TRUE(monitor.started());

    ProgramOnPort running(config.path(), {{"ComPort", std::to_string(kComPort)}, {"ZigbeeVersion", "2"},
                                          {"StartupComIsOn", "True"}});
    running.program.Form_Load();
    MainListRecord record(running.program);
    running.window.menuAction("MnuStartRTL").trigger();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return record.holds("Received ERROR from Wireless Radio. Node E2 has not been detected."); }, 10000));
    EXPECT_FALSE(running.program.monitor().state().ZigbeeFound);
    QTest::qWait(2500);
    EXPECT_EQ(running.program.monitor().readings().SecondsCounter, 0);
    EXPECT_FALSE(running.program.monitor().state().RealTimeOn);
}

TEST(ProgramWithSimulator, monitorGoingAway_closesThePortAndSaysSo)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    SimulatedMonitor monitor(config.path());
    ASSERT_TRUE(monitor.started());

    ProgramOnPort running(config.path(), {{"ComPort", std::to_string(kComPort)}, {"StartupComIsOn", "True"}});
    MainWindow& window = running.window;
    running.program.Form_Load();
    ASSERT_EQ(textOf(window, "Text1"), QStringLiteral("COM Port is Open"));

    monitor.stop();

    EXPECT_TRUE(QTest::qWaitFor([&] { return textOf(window, "Text1") == "COM Port is Closed"; }, 5000));
    EXPECT_FALSE(running.port.isOpen());
    EXPECT_TRUE(listHolds(window, "The COM port was lost: its device was removed or closed."));
}

// The real program's settings file in a scratch configuration folder.
QString iniPath(const QString& configDir)
{
    return configDir + "/DARavev/DARavev.ini";
}

void writeStartupSettings(const QString& configDir, const std::map<QString, QVariant>& values)
{
    QSettings settings(iniPath(configDir), QSettings::IniFormat);
    settings.beginGroup("startup");
    for (const auto& [key, value] : values)
        settings.setValue(key, value);
}

// True when the process has a handler for SIGTERM in place (Linux's view of it).
bool catchesSigterm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong caught = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (caught & (1ULL << (SIGTERM - 1))) != 0;
        }
    }
    return false;
}

// The real program on the offscreen platform, with its own configuration folder;
// killed at the end if it is still running.
class ProgramProcess {
public:
    explicit ProgramProcess(const QString& configDir)
    {
        QProcessEnvironment environment = scratchEnvironment(configDir);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process_.setProcessEnvironment(environment);
        sinceLaunch_.start();
        process_.start(KVO_PROGRAM_PATH, {});
        started_ = process_.waitForStarted(5000);
    }
    ~ProgramProcess()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    bool started() const { return started_; }

    // Waits until ms have passed since the launch. A signal that comes before the
    // program has put its handler in place takes the default action (the process is
    // killed, with nothing saved), which no code of the program can prevent; so the
    // wait goes on until the handler is there. The time since the launch is
    // returned, or -1 when no handler came.
    qint64 waitUntilSignalsAreTaken(int ms)
    {
        const qint64 remaining = ms - sinceLaunch_.elapsed();
        if (remaining > 0)
            QTest::qWait(static_cast<int>(remaining));
        if (!QTest::qWaitFor([&] { return catchesSigterm(process_.processId()); }, 5000))
            return -1;
        return sinceLaunch_.elapsed();
    }

    void terminate() { ::kill(static_cast<pid_t>(process_.processId()), SIGTERM); }

    QProcess& process() { return process_; }

private:
    QElapsedTimer sinceLaunch_;
    QProcess process_;
    bool started_ = false;
};

TEST(ProgramWithSimulator, terminationSignal_runsTheShutdownSaveOfTheRunningProgram)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    writeStartupSettings(config.path(), {{"ComPort", kComPort},
                                         {"ZigbeeVersion", 8},
                                         {"StartupComIsOn", "True"},
                                         {"StartupRTLisOn", "True"}});
    SimulatedMonitor monitor(config.path());
    ASSERT_TRUE(monitor.started());

    ProgramProcess running(config.path());
    ASSERT_TRUE(running.started());
    QProcess& program = running.process();

    // Start-up opens the port, the automatic start comes 3 s later, and packets
    // flow about 5 s after that: give it time to decode a few.
    QTest::qWait(12000);
    running.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    QSettings saved(iniPath(config.path()), QSettings::IniFormat);
    saved.beginGroup("startup");
    EXPECT_GT(saved.value("KVOCounter").toString().toInt(), 0) << "packets were decoded and saved";
    EXPECT_GT(saved.value("E1B").toString().toDouble(), 0.0);
    EXPECT_EQ(saved.value("StartupComIsOn").toString(), QStringLiteral("True"));
    EXPECT_EQ(saved.value("VexUser").toString(), QStringLiteral("****"));
}

// A termination signal while the start-up is still running: the port open with its
// pause for the monitor, or the "Invalid COM port" question open in its own loop.
struct SignalDuringStartup {
    const char* name;
    // The COM port leads to the simulator; otherwise to a device that does not exist.
    bool portLinked;
    int afterMs;
    // A second signal right behind the first must not be the one that is lost.
    int signalCount;
    // "Write to Web Server" at start-up loads the options and web-posting windows
    // (hidden): windows that exist must not hold the end up.
    bool windowsLoaded = false;
};

void PrintTo(const SignalDuringStartup& c, std::ostream* out)
{
    *out << c.name;
}

class ProgramSignalDuringStartup : public testing::TestWithParam<SignalDuringStartup> {};

TEST_P(ProgramSignalDuringStartup, endsTheProgramWithinTwoSeconds_afterTheShutdownSave)
{
    constexpr int kMissingComPort = 7;
    const SignalDuringStartup& when = GetParam();
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const int comPort = when.portLinked ? kComPort : kMissingComPort;
    writeStartupSettings(config.path(), {{"ComPort", comPort},
                                         {"ZigbeeVersion", 8},
                                         {"StartupComIsOn", "True"},
                                         {"StartupServerIsOn", when.windowsLoaded ? "True" : "False"}});
    std::unique_ptr<SimulatedMonitor> monitor;
    if (when.portLinked) {
        monitor = std::make_unique<SimulatedMonitor>(config.path());
        ASSERT_TRUE(monitor->started());
    } else {
        // The port's link names a device that is not there: the open fails for sure.
        ASSERT_TRUE(QDir().mkpath(config.path() + "/DARavev/ports"));
        ASSERT_TRUE(QFile::link(config.path() + "/no-such-device",
                                QStringLiteral("%1/DARavev/ports/com%2").arg(config.path()).arg(comPort)));
    }

    ProgramProcess running(config.path());
    ASSERT_TRUE(running.started());
    const qint64 sentAt = running.waitUntilSignalsAreTaken(when.afterMs);
    ASSERT_GE(sentAt, 0) << "the program never took termination signals";
    for (int i = 0; i < when.signalCount; ++i)
        running.terminate();

    QProcess& program = running.process();
    ASSERT_TRUE(program.waitForFinished(2000)) << "signalled " << sentAt << " ms after the launch";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    QSettings saved(iniPath(config.path()), QSettings::IniFormat);
    saved.beginGroup("startup");
    EXPECT_TRUE(saved.contains("KVOCounter")) << "the shutdown save ran";
    EXPECT_EQ(saved.value("VexUser").toString(), QStringLiteral("****"));
    EXPECT_EQ(saved.value("StartupComIsOn").toString(), QStringLiteral("True"));
    EXPECT_EQ(saved.value("ComPort").toInt(), comPort);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramWithSimulator, ProgramSignalDuringStartup,
    testing::Values(SignalDuringStartup{"linkedPortAt150ms", true, 150, 1},
                    SignalDuringStartup{"linkedPortAt400ms", true, 400, 1},
                    SignalDuringStartup{"missingPortQuestionAt150ms", false, 150, 1},
                    SignalDuringStartup{"missingPortQuestionAt400ms", false, 400, 1},
                    SignalDuringStartup{"linkedPortTwoSignalsAt400ms", true, 400, 2},
                    SignalDuringStartup{"missingPortQuestionTwoSignalsAt150ms", false, 150, 2},
                    SignalDuringStartup{"postingAndOptionsWindowsLoadedAt1500ms", true, 1500, 1, true}),
    [](const testing::TestParamInfo<SignalDuringStartup>& info) { return info.param.name; });

} // namespace
