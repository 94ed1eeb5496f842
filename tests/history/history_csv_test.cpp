// The CSV export read back: every row and every number as the history holds it.
#include "history_rig.h"

#include "history/history_csv.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <ctime>
#include <gtest/gtest.h>

namespace {

// The fields of each line after the header; the time as seconds since 1970.
std::vector<std::vector<double>> readCsv(const QString& path, std::string& header)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    header = file.readLine().toStdString();
    std::vector<std::vector<double>> lines;
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(',');
        std::vector<double> values{static_cast<double>(QDateTime::fromString(fields[0], Qt::ISODate).toSecsSinceEpoch())};
        for (qsizetype i = 1; i < fields.size(); ++i)
            values.push_back(QLocale::c().toDouble(fields[i]));
        lines.push_back(values);
    }
    return lines;
}

TEST(HistoryCsv, minuteAndPacketRowsReadBackExactlyWithPointDecimalsInACommaLocale)
{
    QLocale::setDefault(QLocale(QLocale::German));
    HistoryRig rig;
    for (int second = 0; second < 160; ++second)
        rig.packet(1000.0 / 3 + second, 12.25, second * 1234.5, 229.9);
    const EpochSeconds end = rig.store.now();
    const QString minutesFile = rig.folder.filePath("minutes.csv");
    const QString packetsFile = rig.folder.filePath("packets.csv");
    ASSERT_EQ(exportHistoryCsv(rig.store, HistoryRows::Minutes, 0, end, minutesFile), "");
    ASSERT_EQ(exportHistoryCsv(rig.store, HistoryRows::Packets, 0, end, packetsFile), "");
    QLocale::setDefault(QLocale::c());

    std::string header;
    const auto minutes = readCsv(minutesFile, header);
    EXPECT_EQ(header, csvHeader(HistoryRows::Minutes));
    const std::vector<MinuteRow> expectedMinutes = rig.store.minutes(0, end);
    ASSERT_EQ(minutes.size(), expectedMinutes.size());
    ASSERT_EQ(minutes.size(), 4u) << "the minute in progress is written first";
    for (std::size_t i = 0; i < minutes.size(); ++i) {
        const MinuteRow& m = expectedMinutes[i];
        EXPECT_EQ(minutes[i], (std::vector<double>{double(m.time), double(m.packets), m.averageVolts,
                                                   m.channel1.averageWatts, m.channel1.minimumWatts,
                                                   m.channel1.maximumWatts, m.channel2.averageWatts,
                                                   m.channel2.minimumWatts, m.channel2.maximumWatts, m.energyWs1,
                                                   m.energyWs2, m.kWh1, m.kWh2, m.importedWs1, m.exportedWs1,
                                                   m.importedWs2, m.exportedWs2}));
    }
    const auto packets = readCsv(packetsFile, header);
    EXPECT_EQ(header, csvHeader(HistoryRows::Packets));
    ASSERT_EQ(packets.size(), 160u);
    EXPECT_EQ(packets[7][2], 1000.0 / 3 + 7);
    EXPECT_EQ(packets[7][8], 7 * 1234.5);
    EXPECT_EQ((std::vector<double>(packets[7].begin() + 12, packets[7].end())),
              (std::vector<double>{7 * 1234.5 * 0.75, 7 * 1234.5 * 0.25, 7 * 1234.5 * 0.5, 7 * 1234.5 * 0.125}));
}

TEST(HistoryCsv, aFileThatCannotBeWrittenIsSaidAndNothingIsLeftBehind)
{
    HistoryRig rig;
    rig.packet(100, 0);
    const QString path = rig.folder.filePath("missing/history.csv");
    EXPECT_NE(exportHistoryCsv(rig.store, HistoryRows::Minutes, 0, rig.store.now(), path), "");
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace

TEST(HistoryTimeText, matchesQtsOwnIsoTextAcrossChangesOfOffset)
{
    const QByteArray zoneBefore = qgetenv("TZ");
    for (const char* zone : {"Europe/Berlin", "America/St_Johns", "Asia/Kathmandu", "Australia/Lord_Howe", "UTC"}) {
        qputenv("TZ", zone);
        ::tzset();
        const IsoTimeText iso;
        // Every 7 minutes and 13 seconds through 2026, which crosses each zone's changes.
        for (EpochSeconds time = 1767225600; time < 1798761600; time += 433) {
            const QDateTime local = QDateTime::fromSecsSinceEpoch(time);
            const std::string expected = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate).toStdString();
            ASSERT_EQ(iso(time), expected) << zone;
        }
    }
    if (zoneBefore.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zoneBefore);
    ::tzset();
}
