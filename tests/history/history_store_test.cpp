// The history over a real SQLite file: minute rows, packet rows and their trim.
#include "history_rig.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(HistoryStore, aMinuteRowSumsUpItsPacketsWhenTheNextMinuteBegins)
{
    HistoryRig rig;
    rig.nextMinute();
    const EpochSeconds minute = rig.store.now();
    // The kWh come from the program's total, not from the monitor's own counter (0 here).
    rig.packet(100, 10, 1'800'000, 228);
    rig.packet(400, 30, 3'600'000, 232);
    rig.packet(250, 20, 9'000'000, 230);
    EXPECT_TRUE(rig.store.minutes(0, minute + 3600).empty()) << "the minute in progress is not written";

    rig.nextMinute();
    rig.packet(999, 999);
    const std::vector<MinuteRow> rows = rig.store.minutes(0, minute + 3600);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (MinuteRow{.time = minute, .packets = 3, .averageVolts = 230,
                                  .channel1 = {250, 100, 400}, .channel2 = {20, 10, 30},
                                  .energyWs1 = 9'000'000, .kWh1 = 2.5,
                                  // Bought and sold as of the minute's last packet.
                                  .importedWs1 = 6'750'000, .exportedWs1 = 2'250'000,
                                  .importedWs2 = 4'500'000, .exportedWs2 = 1'125'000}));
    EXPECT_EQ(rig.store.packets(0, minute + 3600).size(), 4u) << "three written and one in progress";
    EXPECT_TRUE(rig.report.lines.empty());
}

// Rows of a table as the file holds them, read through a connection of its own.
int rowsInFile(const QString& path, const char* table)
{
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))) && query.next())
            rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    return rows;
}

TEST(HistoryStore, fortyPacketsASecond_reachTheFileInBatchesBeforeTheirMinuteEnds)
{
    HistoryRig rig;
    rig.nextMinute();
    const EpochSeconds minute = rig.store.now();
    const int batch = static_cast<int>(HistoryStore::kPacketBatch);
    LiveReadings r;
    for (int packet = 0; packet < 2 * batch + 20; ++packet) {
        r.Watts1 = packet;
        rig.store.record(r);
        rig.clock.advanceMs(25);
    }
    EXPECT_EQ(rowsInFile(rig.path, "packets"), 2 * batch);
    EXPECT_EQ(rowsInFile(rig.path, "minutes"), 0) << "the minute is not over";
    EXPECT_EQ(rig.store.packets(minute, minute + 60).size(), static_cast<std::size_t>(2 * batch + 20));

    rig.store.flush();
    EXPECT_EQ(rowsInFile(rig.path, "packets"), 2 * batch + 20);
    const std::vector<MinuteRow> rows = rig.store.minutes(minute, minute + 60);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].packets, 2 * batch + 20);
    EXPECT_EQ(rows[0].channel1.maximumWatts, 2 * batch + 19);
    EXPECT_TRUE(rig.report.lines.empty());
}

TEST(HistoryStore, aMinuteWrittenInTwoPartsIsTheSameRowAsInOne)
{
    HistoryRig rig;
    rig.nextMinute();
    const EpochSeconds minute = rig.store.now();
    rig.packet(100, 0);
    rig.store.flush();
    rig.packet(300, 0);
    rig.packet(500, 0);
    rig.store.flush();
    const std::vector<MinuteRow> rows = rig.store.minutes(minute, minute + 60);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].packets, 3);
    EXPECT_EQ(rows[0].channel1, (ChannelMinute{300, 100, 500}));
    EXPECT_DOUBLE_EQ(rows[0].averageVolts, 230);
}

TEST(HistoryStore, packetsOlderThan48HoursGoAsNewOnesComeAndMinutesStay)
{
    HistoryRig rig;
    rig.packet(1, 0);
    rig.clock.advanceMs(47LL * 3600 * 1000);
    rig.packet(2, 0);
    rig.clock.advanceMs(2LL * 3600 * 1000);
    rig.packet(3, 0);
    rig.nextMinute();
    rig.packet(4, 0);

    std::vector<double> kept;
    for (const PacketRow& row : rig.store.packets(0, rig.store.now() + 60))
        kept.push_back(row.watts1);
    EXPECT_EQ(kept, (std::vector<double>{2, 3, 4}));
    EXPECT_EQ(rig.store.minutes(0, rig.store.now() + 60).size(), 3u);
}

TEST(HistoryStore, aMinuteWithoutAPacketAfterItIsWrittenByTheMinuteCheck)
{
    HistoryRig rig;
    rig.packet(100, 0);
    rig.nextMinute();
    QTimer* check = rig.store.findChild<QTimer*>("HistoryMinuteCheck");
    ASSERT_NE(check, nullptr);
    ASSERT_TRUE(check->isActive());
    QMetaObject::invokeMethod(check, "timeout");
    EXPECT_EQ(rig.store.minutes(0, rig.store.now()).size(), 1u);
}

TEST(HistoryStore, anEmptyPathKeepsNothingAndSaysNothing)
{
    HistoryRig rig;
    rig.store.open({});
    rig.packet(100, 0);
    rig.nextMinute();
    rig.packet(100, 0);
    EXPECT_FALSE(rig.store.isOpen());
    EXPECT_TRUE(rig.store.packets(0, rig.store.now() + 60).empty());
    EXPECT_TRUE(rig.report.lines.empty());
}

} // namespace
