// The service kvo7730d as a user runs it: on the simulated monitor, read over TCP,
// ended by a signal, its counters found saved.
#include "free_tcp_port.h"
#include "sim_process.h"
#include "tool_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

namespace {

constexpr int kComPort = 7;

QString settingsFile(const QTemporaryDir& config)
{
    return config.filePath("DARavev/DARavev.ini");
}

void writeSettings(const QTemporaryDir& config, int tcpPort, const QString& commMethod = "8")
{
    QSettings settings(settingsFile(config), QSettings::IniFormat);
    settings.beginGroup("startup");
    settings.setValue("ComPort", QString::number(kComPort));
    settings.setValue("ZigbeeVersion", commMethod);
    settings.setValue("StartupComIsOn", "True");
    settings.setValue("StartupRTLisOn", "True");
    settings.setValue("StartupListen", "True");
    settings.setValue("TCPport", QString::number(tcpPort));
}

// kvo7730d in a scratch configuration until the test ends.
struct ServiceProcess : RunningProgram {
    explicit ServiceProcess(const QString& configDir)
        : RunningProgram(KVO_SERVICE_PATH, scratchEnvironment(configDir), {})
    {
    }
};

// The packet rows of channel 1 at the given power in the history the service kept there.
int historyPackets(const QTemporaryDir& dataHome, double watts1)
{
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "history");
        db.setDatabaseName(dataHome.filePath("DARavev/history.sqlite"));
        QSqlQuery query(db);
        if (db.open() && query.exec(QString("SELECT count(*) FROM packets WHERE watts1 = %1").arg(watts1)) && query.next())
            rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("history");
    return rows;
}

TEST(ServiceWithSimulator, servesTheReadingsOverTcp_andSavesTheCountersAtSigterm)
{
    QTemporaryDir config;
    const int tcpPort = freeTcpPort();
    ASSERT_NE(tcpPort, 0);
    writeSettings(config, tcpPort);
    SimProcess monitor(KVO_SIM_PATH, config.path(),
                       {"--com", QString::number(kComPort), "--volts", "230", "--watts1", "1500", "--pf1", "1"});
    ASSERT_FALSE(monitor.devicePath().isEmpty());

    ServiceProcess service(config.path());
    // The server listens once real time is on; the first packets follow within seconds.
    QStringList fields;
    const QDeadlineTimer deadline(20000);
    while ((fields.isEmpty() || fields[0] != "1500") && !deadline.hasExpired()) {
        QThread::msleep(200);
        fields = getAll(tcpPort).trimmed().split('\t', Qt::SkipEmptyParts);
    }
    ASSERT_EQ(fields.size(), 12) << "no GETALL answer; the service said:\n"
                                 << service.process().readAllStandardError().toStdString();
    EXPECT_EQ(fields[0], "1500") << "channel 1 watts";

    service.signal(SIGTERM);
    ASSERT_TRUE(service.process().waitForFinished(2000)) << "still running 2 s after SIGTERM";
    EXPECT_EQ(service.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.process().exitCode(), 0);

    QSettings saved(settingsFile(config), QSettings::IniFormat);
    saved.beginGroup("startup");
    EXPECT_GT(saved.value("KVOCounter").toString().toLongLong(), 0) << "the seconds counter was not saved";
    EXPECT_GT(saved.value("E1B").toString().toDouble(), 0) << "channel 1's counter was not saved";
    const QString log = QString::fromLocal8Bit(service.process().readAllStandardError());
    EXPECT_TRUE(log.contains("Real-Time is ON")) << log.toStdString();
    EXPECT_TRUE(log.contains("Settings and counters saved; ending.")) << log.toStdString();
    EXPECT_GT(historyPackets(config, 1500), 0) << "the minute in progress is kept at the end";
}

// The first number of the GETALL line (channel 1's watts) once it reads as wanted, within
// the time given; the last fields read otherwise.
QStringList waitForWatts1(int tcpPort, const QString& wanted, int withinMs)
{
    QStringList fields;
    const QDeadlineTimer deadline(withinMs);
    while ((fields.isEmpty() || fields[0] != wanted) && !deadline.hasExpired()) {
        QThread::msleep(200);
        fields = getAll(tcpPort).trimmed().split('\t', Qt::SkipEmptyParts);
    }
    return fields;
}

TEST(ServiceWithSimulator, aMonitorThatGoesAndComesBack_onTheSameComPort_isReadAgainWithin15s)
{
    QTemporaryDir config;
    const int tcpPort = freeTcpPort();
    ASSERT_NE(tcpPort, 0);
    writeSettings(config, tcpPort);
    const QStringList linkArguments = {"--com", QString::number(kComPort), "--volts", "230", "--pf1", "1"};
    auto monitor = std::make_unique<SimProcess>(KVO_SIM_PATH, config.path(), linkArguments + QStringList{"--watts1", "1500"});
    ASSERT_FALSE(monitor->devicePath().isEmpty());

    ServiceProcess service(config.path());
    service.process().setReadChannel(QProcess::StandardError);
    QString log;
    const auto logUntil = [&](const QString& line, int withinMs) {
        const QDeadlineTimer deadline(withinMs);
        while (!log.contains(line)
               && service.process().waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            log += QString::fromLocal8Bit(service.process().readAllStandardError());
        return log.contains(line);
    };
    ASSERT_EQ(waitForWatts1(tcpPort, "1500", 20000).value(0), "1500") << "no first reading";

    monitor.reset();
    ASSERT_TRUE(logUntil("The COM port was lost", 10000)) << log.toStdString();

    // Another reading than before: what is served after the return comes from the new monitor.
    monitor = std::make_unique<SimProcess>(KVO_SIM_PATH, config.path(), linkArguments + QStringList{"--watts1", "900"});
    ASSERT_FALSE(monitor->devicePath().isEmpty());
    const QStringList fields = waitForWatts1(tcpPort, "900", 15000);
    EXPECT_TRUE(logUntil("The COM port is back and open again.", 1000)) << log.toStdString();
    EXPECT_EQ(fields.value(0), "900") << "no reading from the returned monitor within 15 s; the service said:\n"
                                      << log.toStdString();
}

// Waits until the service has said it started: its signal handlers are in place then.
QString untilStarted(QProcess& process)
{
    process.setReadChannel(QProcess::StandardError);
    QString log;
    while (!log.contains("started.") && process.waitForReadyRead(5000))
        log += QString::fromLocal8Bit(process.readAllStandardError());
    return log;
}

TEST(ServiceWithSimulator, settingsThatCannotBeReadOrWritten_areSaidOnceOnStandardError_withThePath)
{
    struct Case {
        const char* name;
        // Makes the store unusable under the configuration folder; the settings file's path.
        std::function<QString(const QString&)> spoil;
        bool readFails;
    };
    // Permissions would not stop a test run as root, so the store is made impossible instead.
    const Case cases[] = {
        {"folder under a regular file",
         [](const QString& config) {
             QFile regular(config + "/regular");
             EXPECT_TRUE(regular.open(QIODevice::WriteOnly));
             return config + "/regular/DARavev/DARavev.ini";
         },
         false},
        {"file that is a folder",
         [](const QString& config) {
             EXPECT_TRUE(QDir(config).mkpath("DARavev/DARavev.ini"));
             return config + "/DARavev/DARavev.ini";
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        const QString file = c.spoil(root.path());
        const QString config = file.chopped(QString("/DARavev/DARavev.ini").size());

        ServiceProcess service(config);
        QString log = untilStarted(service.process());
        service.signal(SIGTERM);
        ASSERT_TRUE(service.process().waitForFinished(2000)) << "still running 2 s after SIGTERM";
        log += QString::fromLocal8Bit(service.process().readAllStandardError());

        const QString quoted = "\"" + file + "\"";
        EXPECT_EQ(log.count("The settings could not be read from " + quoted), c.readFails ? 1 : 0) << log.toStdString();
        EXPECT_EQ(log.count("The settings could not be written to " + quoted), 1) << log.toStdString();
        EXPECT_EQ(log.count("could not be written"), 1) << "said more than once:\n" << log.toStdString();
        EXPECT_TRUE(log.contains("Ending without the settings and counters saved.")) << log.toStdString();
        EXPECT_FALSE(log.contains("saved; ending")) << "a failed save reported as done";
    }
}

TEST(ServiceWithSimulator, behindAVersion2Dongle_discoversTheNodeByItselfAndServesTheReadings)
{
    QTemporaryDir config;
    const int tcpPort = freeTcpPort();
    ASSERT_NE(tcpPort, 0);
    writeSettings(config, tcpPort, "2");
    SimProcess monitor(KVO_SIM_PATH, config.path(),
                       {"--zigbee", "2", "--com", QString::number(kComPort), "--watts1", "700", "--pf1", "1"});
    ASSERT_FALSE(monitor.devicePath().isEmpty());

    ServiceProcess service(config.path());
    QStringList fields;
    const QDeadlineTimer deadline(30000);
    while ((fields.isEmpty() || fields[0] != "700") && !deadline.hasExpired()) {
        QThread::msleep(200);
        fields = getAll(tcpPort).trimmed().split('\t', Qt::SkipEmptyParts);
    }
    service.signal(SIGTERM);
    ASSERT_TRUE(service.process().waitForFinished(2000));
    const QString log = QString::fromLocal8Bit(service.process().readAllStandardError());
    ASSERT_EQ(fields.size(), 12) << "no GETALL answer; the service said:\n" << log.toStdString();
    EXPECT_EQ(fields[0], "700");
    EXPECT_TRUE(log.contains("Node E2 has been discovered successfully.")) << log.toStdString();
}

TEST(ServiceWithSimulator, aPortWithoutDevice_isReportedAndTheQuestionAnsweredNo_andSigtermStillEnds)
{
    QTemporaryDir config;
    writeSettings(config, freeTcpPort());

    ServiceProcess service(config.path());
    QThread::msleep(500);
    service.signal(SIGTERM);
    ASSERT_TRUE(service.process().waitForFinished(2000)) << "still running 2 s after SIGTERM";
    EXPECT_EQ(service.process().exitCode(), 0);
    const QString log = QString::fromLocal8Bit(service.process().readAllStandardError());
    EXPECT_TRUE(log.contains("Invalid COM port. Would you like to search for available ports? [No: there is "
                             "nobody to ask]"))
        << log.toStdString();
}

TEST(ServiceWithSimulator, helpAndVersion_answerWithoutStarting)
{
    for (const char* option : {"--help", "--version"}) {
        QProcess service;
        service.start(KVO_SERVICE_PATH, {option});
        ASSERT_TRUE(service.waitForFinished(5000)) << option;
        EXPECT_EQ(service.exitCode(), 0) << option;
        EXPECT_TRUE(service.readAllStandardOutput().contains("kvo7730d")) << option;
    }
}

} // namespace
