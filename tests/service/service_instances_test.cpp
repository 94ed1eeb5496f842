// Two instances of kvo7730d on one machine, set up with kvo7730-config alone: each reads its
// own simulated monitor, serves its own readings on its own TCP port and keeps its own
// history; one that would share a port with a running instance is refused, until that one
// is gone, however it went.
#include "free_tcp_port.h"
#include "tool_process.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A program of the package running in home until the test ends.
struct Running : RunningProgram {
    Running(const QString& program, const QTemporaryDir& home, const QStringList& arguments)
        : RunningProgram(program, scratchHomeEnvironment(home), arguments)
    {
    }
};

QString watts1Within(int tcpPort, const QString& wanted, int withinMs)
{
    QString watts;
    const QDeadlineTimer deadline(withinMs);
    while (watts != wanted && !deadline.hasExpired()) {
        QThread::msleep(200);
        watts = getAll(tcpPort).split('\t').value(0);
    }
    return watts;
}

int historyPackets(const QString& file, double watts1)
{
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "instance-history");
        db.setDatabaseName(file);
        QSqlQuery query(db);
        if (db.open() && query.exec(QString("SELECT count(*) FROM packets WHERE watts1 = %1").arg(watts1)) && query.next())
            rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("instance-history");
    return rows;
}

// Sets an instance up to read COM port comPort at start, with kvo7730-config alone.
::testing::AssertionResult configure(const QTemporaryDir& home, const QString& instance, int comPort, int tcpPort,
                                     const QStringList& more = {})
{
    const ToolRun run = runTool(KVO_CONFIG_PATH, home,
                                QStringList{"--instance", instance, "set", "com-port", QString::number(comPort),
                                            "connection", "usb", "start-open-port", "yes", "start-real-time", "yes",
                                            "start-listen", "yes", "tcp-port", QString::number(tcpPort)}
                                    + more);
    if (run.exitCode != 0)
        return ::testing::AssertionFailure() << "kvo7730-config said: " << run.err.toStdString();
    return ::testing::AssertionSuccess();
}

TEST(ServiceInstances, twoInstancesOnTwoMonitors_eachServeTheirOwnReadings_andKeepTheirOwnHistory)
{
    QTemporaryDir home;
    const int tcpA = freeTcpPort();
    int tcpB = freeTcpPort();
    while (tcpB == tcpA)
        tcpB = freeTcpPort();
    ASSERT_TRUE(configure(home, "solar", 3, tcpA, {"dashboard-enable", "no"}));
    ASSERT_TRUE(configure(home, "heatpump", 4, tcpB, {"dashboard-enable", "no"}));

    Running solarMonitor(KVO_SIM_PATH, home, {"--instance", "solar", "--com", "3", "--watts1", "1500", "--pf1", "1"});
    Running heatPumpMonitor(KVO_SIM_PATH, home, {"--instance", "heatpump", "--com", "4", "--watts1", "2300", "--pf1", "1"});
    ASSERT_TRUE(solarMonitor.process().waitForReadyRead(5000));
    ASSERT_TRUE(heatPumpMonitor.process().waitForReadyRead(5000));
    Running solar(KVO_SERVICE_PATH, home, {"--instance", "solar"});
    Running heatPump(KVO_SERVICE_PATH, home, {"--instance", "heatpump"});

    EXPECT_EQ(watts1Within(tcpA, "1500", 20000), "1500") << solar.errorUntil("never", 0).toStdString();
    EXPECT_EQ(watts1Within(tcpB, "2300", 20000), "2300") << heatPump.errorUntil("never", 0).toStdString();

    for (Running* service : {&solar, &heatPump}) {
        service->signal(SIGTERM);
        ASSERT_TRUE(service->process().waitForFinished(5000));
        EXPECT_EQ(service->process().exitCode(), 0);
    }
    const QString solarHistory = home.filePath("DARavev/instances/solar/history.sqlite");
    const QString heatPumpHistory = home.filePath("DARavev/instances/heatpump/history.sqlite");
    EXPECT_GT(historyPackets(solarHistory, 1500), 0);
    EXPECT_EQ(historyPackets(solarHistory, 2300), 0);
    EXPECT_GT(historyPackets(heatPumpHistory, 2300), 0);
    EXPECT_EQ(historyPackets(heatPumpHistory, 1500), 0);
    EXPECT_FALSE(QFile::exists(home.filePath("DARavev/history.sqlite"))) << "the default instance kept nothing";
    EXPECT_FALSE(QFile::exists(home.filePath("DARavev/DARavev.ini")));
}

TEST(ServiceInstances, anInstanceOnARunningOnesTcpPort_isRefusedNamingIt_untilThatOneIsKilled)
{
    QTemporaryDir home;
    const int tcpPort = freeTcpPort();
    ASSERT_TRUE(configure(home, "a", 3, tcpPort, {"start-open-port", "no", "dashboard-enable", "no"}));
    ASSERT_TRUE(configure(home, "b", 5, tcpPort, {"start-open-port", "no", "dashboard-enable", "no"}));

    Running first(KVO_SERVICE_PATH, home, {"--instance", "a"});
    ASSERT_TRUE(first.errorUntil("Monitor on COM port 3", 5000).contains("Monitor on COM port 3"));

    Running second(KVO_SERVICE_PATH, home, {"--instance", "b"});
    ASSERT_TRUE(second.process().waitForFinished(5000)) << "not refused";
    EXPECT_EQ(second.process().exitCode(), 3);
    const QString expected = QString("Instance \"b\" cannot start: its TCP port %1 is in use by instance \"a\" "
                                     "(kvo7730d, process %2).")
                                 .arg(tcpPort)
                                 .arg(first.process().processId());
    EXPECT_TRUE(second.errorUntil(expected, 1000).contains(expected)) << second.errorUntil(expected, 0).toStdString();

    Running again(KVO_SERVICE_PATH, home, {"--instance", "a"});
    ASSERT_TRUE(again.process().waitForFinished(5000));
    EXPECT_EQ(again.process().exitCode(), 3);
    EXPECT_TRUE(again.errorUntil("already runs", 1000).contains("Instance \"a\" already runs (kvo7730d, process"));

    first.signal(SIGKILL);
    ASSERT_TRUE(first.process().waitForFinished(5000));
    Running third(KVO_SERVICE_PATH, home, {"--instance", "b"});
    EXPECT_TRUE(third.errorUntil("Monitor on COM port 5", 5000).contains("Monitor on COM port 5"))
        << "the killed instance's claim still counted";
    third.signal(SIGTERM);
    EXPECT_TRUE(third.process().waitForFinished(5000));
}

} // namespace
