// The whole program against the simulated monitor on a pseudo-terminal: the real
// serial port, clock, event loop and settings file.
#include "fake_tray_icon.h"
#include "memory_settings_store.h"
#include "scripted_dialogs.h"

#include "app/program.h"
#include "mainwindow/main_window.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_server_socket.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <map>
#include <gtest/gtest.h>

namespace {

constexpr int kComPort = 9;

// The simulator linked as COM 9 in a scratch configuration folder; killed at the end.
class SimulatedMonitor {
public:
    explicit SimulatedMonitor(const QString& configDir)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", configDir);
        process_.setProcessEnvironment(environment);
        process_.start(KVO_SIM_PATH, {"--com", QString::number(kComPort), "--volts", "230", "--watts1", "1500",
                                      "--pf1", "0.5", "--watts2", "200", "--pf2", "1"});
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
    QtEventLoop events{window.Timer1()};
    QtSerialPort port;
    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    QtServerSocket tcpserver;
    Program program{window, Platform{clock, events, port, store, dialogs, tray, tcpserver}};
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
    EXPECT_TRUE(listHolds(window, "Real-Time was off. Now attempting to start real-time."));
    const LiveReadings& readings = program.state().readings;
    EXPECT_TRUE(QTest::qWaitFor([&] { return readings.Watts1 == 1500; }, 10000)) << readings.Watts1;
    EXPECT_DOUBLE_EQ(readings.Volts, 230.0);
    EXPECT_DOUBLE_EQ(readings.Watts2, 200);
    EXPECT_FLOAT_EQ(readings.PowerFactor1, 0.5f);
    EXPECT_NEAR(readings.Amps1, 1500 / 0.5 / 230, 1e-4);
    // The watchdog may still count the quiet seconds of the start handshake.
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.state().RealTimeOn; }, 3000));

    // A packet byte that lands between a command and its acknowledgement fails the
    // stop, as it would with the monitor; like a user, try again.
    for (int attempt = 0; attempt < 3 && !listHolds(window, "Real Time has been disabled successfully."); ++attempt)
        window.menuAction("MnuStopRTL").trigger();
    EXPECT_TRUE(listHolds(window, "Real Time has been disabled successfully."));
    EXPECT_EQ(textOf(window, "Text2"), QStringLiteral("Real-Time Data Stopped"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !program.state().RealTimeOn; }, 10000))
        << "the watchdog sees the data stop";
    EXPECT_TRUE(dialogs.messages.empty());
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

TEST(ProgramWithSimulator, terminationSignal_runsTheShutdownSaveOfTheRunningProgram)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QString ini = config.path() + "/DARavev/DARavev.ini";
    {
        QSettings settings(ini, QSettings::IniFormat);
        settings.beginGroup("startup");
        settings.setValue("ComPort", kComPort);
        settings.setValue("ZigbeeVersion", 8);
        settings.setValue("StartupComIsOn", "True");
        settings.setValue("StartupRTLisOn", "True");
    }
    SimulatedMonitor monitor(config.path());
    ASSERT_TRUE(monitor.started());

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.start(KVO_PROGRAM_PATH, {});
    ASSERT_TRUE(program.waitForStarted(5000));

    // Start-up opens the port, the automatic start comes 3 s later, and packets
    // flow about 5 s after that: give it time to decode a few.
    QTest::qWait(12000);
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);

    QSettings saved(ini, QSettings::IniFormat);
    saved.beginGroup("startup");
    EXPECT_GT(saved.value("KVOCounter").toString().toInt(), 0) << "packets were decoded and saved";
    EXPECT_GT(saved.value("E1B").toString().toDouble(), 0.0);
    EXPECT_EQ(saved.value("StartupComIsOn").toString(), QStringLiteral("True"));
    EXPECT_EQ(saved.value("VexUser").toString(), QStringLiteral("****"));
}

} // namespace
