// The history file through what happens to files: a kill in the middle of a write,
// and damage found at the next start.
#include "history_rig.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// The minute rows, and SQLite's own check of every page, of a file opened afresh.
std::pair<int, QString> checkFile(const QString& path)
{
    std::pair<int, QString> result{-1, {}};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        if (query.exec("PRAGMA integrity_check") && query.next())
            result.second = query.value(0).toString();
        if (query.exec("SELECT count(*) FROM minutes") && query.next())
            result.first = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return result;
}

TEST(HistoryFile, aKillInTheMiddleOfWritingLeavesAWholeFileWithEveryMinuteSaidWritten)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("history.sqlite");
    QProcess writer;
    writer.start(HISTORY_WRITER_PATH, {path});
    int written = 0;
    while (written < 20 && writer.waitForReadyRead(10000)) {
        while (writer.canReadLine()) {
            writer.readLine();
            ++written;
        }
    }
    ASSERT_GE(written, 20);
    ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
    writer.waitForFinished(5000);
    // Lines still in the pipe are minutes whose transaction was committed too.
    written += static_cast<int>(writer.readAllStandardOutput().count('\n'));

    const auto [minutes, check] = checkFile(path);
    EXPECT_EQ(check, QStringLiteral("ok"));
    EXPECT_GE(minutes, written);
    EXPECT_LE(minutes, written + 1) << "at most the minute in flight is more";
}

// A file as the version before energy bought and sold made it: its tables, one minute
// and two packets.
void writeFileOfTheEarlierVersion(const QString& path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("earlier"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        for (const char* statement : {
                 "PRAGMA journal_mode=WAL",
                 "CREATE TABLE minutes(time INTEGER PRIMARY KEY, packets INTEGER NOT NULL, volts REAL,"
                 " watts1_avg REAL, watts1_min REAL, watts1_max REAL, watts2_avg REAL, watts2_min REAL,"
                 " watts2_max REAL, energy_ws1 REAL, energy_ws2 REAL, kwh1 REAL, kwh2 REAL)",
                 "CREATE TABLE packets(time INTEGER NOT NULL, volts REAL, watts1 REAL, watts2 REAL, amps1 REAL,"
                 " amps2 REAL, pf1 REAL, pf2 REAL, energy_ws1 REAL, energy_ws2 REAL, kwh1 REAL, kwh2 REAL)",
                 "CREATE INDEX packets_by_time ON packets(time)",
                 "INSERT INTO minutes VALUES(60, 2, 230, 100, 90, 110, 20, 10, 30, 7200, 3600, 0.002, 0.001)",
                 "INSERT INTO packets VALUES(60, 230, 90, 10, 0.5, 0.1, 0.9, 0.8, 7100, 3590, 0.00197, 0.000997)",
                 "INSERT INTO packets VALUES(61, 230, 110, 30, 0.6, 0.2, 0.9, 0.8, 7200, 3600, 0.002, 0.001)"})
            EXPECT_TRUE(query.exec(statement)) << statement;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("earlier"));
}

TEST(HistoryFile, aFileOfTheEarlierVersion_gainsTheNewColumnsKeepingEveryRow)
{
    HistoryRig rig;
    const QString earlier = rig.folder.filePath("earlier.sqlite");
    writeFileOfTheEarlierVersion(earlier);

    rig.store.open(earlier);
    ASSERT_TRUE(rig.store.isOpen()) << testing::PrintToString(rig.report.lines);
    EXPECT_TRUE(rig.report.lines.empty());
    const std::vector<MinuteRow> minutes = rig.store.minutes(0, 120);
    ASSERT_EQ(minutes.size(), 1u);
    EXPECT_EQ(minutes[0].packets, 2);
    EXPECT_EQ(minutes[0].energyWs1, 7200);
    EXPECT_EQ(minutes[0].importedWs1, 0) << "an earlier row knows nothing of energy bought";
    const std::vector<PacketRow> packets = rig.store.packets(0, 120);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[1].watts2, 30);

    // New rows keep what was bought and sold.
    rig.packet(500, 0, 9000);
    rig.store.flush();
    const std::vector<PacketRow> now = rig.store.packets(rig.store.now() - 5, rig.store.now());
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(now[0].importedWs1, 9000 * 0.75);
    EXPECT_EQ(now[0].exportedWs2, 9000 * 0.125);

    // Opened again, it is already up to date.
    rig.store.open(earlier);
    EXPECT_TRUE(rig.store.isOpen());
    EXPECT_TRUE(rig.report.lines.empty());
    EXPECT_EQ(checkFile(earlier), std::make_pair(2, QStringLiteral("ok")));
}

struct Damage {
    const char* name;
    void (*apply)(const QString& path);
};

void overwriteWithText(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(QByteArray(8192, 'x'));
}

// A history with rows, then its second page (the first table's root) overwritten.
void overwriteAPage(const QString& path)
{
    {
        HistoryRig rig;
        rig.store.open(path);
        for (int minute = 0; minute < 3; ++minute) {
            rig.packet(100, 0);
            rig.nextMinute();
        }
        rig.packet(100, 0);
    }
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.seek(4096);
    file.write(QByteArray(4096, '\x5a'));
}

class DamagedHistoryFile : public testing::TestWithParam<Damage> {};

TEST_P(DamagedHistoryFile, isSaidAndSetAsideWholeAndANewOneServes)
{
    HistoryRig rig;
    rig.store.open({});
    GetParam().apply(rig.path);
    QFile original(rig.path);
    original.open(QIODevice::ReadOnly);
    const QByteArray damaged = original.readAll();
    original.close();

    rig.store.open(rig.path);
    ASSERT_TRUE(rig.store.isOpen());
    const QString aside = rig.path + QStringLiteral(".damaged-20261208-101530");
    QFile setAside(aside);
    ASSERT_TRUE(setAside.open(QIODevice::ReadOnly));
    EXPECT_EQ(setAside.readAll(), damaged);
    ASSERT_EQ(rig.report.lines.size(), 2u);
    EXPECT_NE(rig.report.lines[0].find("cannot be used"), std::string::npos) << rig.report.lines[0];
    EXPECT_EQ(rig.report.lines[1], "It is kept as " + aside.toStdString() + " and a new history file is started.");

    rig.packet(100, 0);
    rig.nextMinute();
    rig.packet(100, 0);
    EXPECT_EQ(rig.store.minutes(0, rig.store.now()).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedHistoryFile,
                         testing::Values(Damage{"NotADatabase", overwriteWithText}, Damage{"APageOverwritten", overwriteAPage}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryFile, aFolderThatCannotBeMadeIsSaidWithTheSystemsReason)
{
    HistoryRig rig;
    QFile blocker(rig.folder.filePath("plain"));
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    rig.store.open(rig.folder.filePath("plain/DARavev/history.sqlite"));
    EXPECT_FALSE(rig.store.isOpen());
    ASSERT_EQ(rig.report.lines.size(), 1u);
    EXPECT_NE(rig.report.lines[0].find("cannot be made (Not a directory)"), std::string::npos) << rig.report.lines[0];
}

} // namespace
