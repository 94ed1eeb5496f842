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
