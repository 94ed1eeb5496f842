// The readings history on a real SQLite file: the cost of a minute's transaction with
// and without its packet rows, the file's growth per day, the time to draw 30 days of
// minute rows in the chart, and the cost of a live packet on the chart.
#include "fake_clock.h"
#include "recording_status_list.h"

#include "history/history_store.h"
#include "history/power_chart.h"
#include "link/live_readings.h"

#include <QApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr EpochSeconds kDay = 86400;

struct Rig {
    FakeClock clock;
    RecordingStatusList report;
    QTemporaryDir folder;
    HistoryStore store{clock, report};
    LiveReadings readings;

    Rig() { store.open(folder.filePath("history.sqlite")); }

    // Packets at the given rate (one a second or fewer) through one minute; its row
    // and packet rows are written by the first packet of the next.
    void minute(int packets)
    {
        for (int second = 0; second < 60; ++second) {
            if (second < packets) {
                readings.Watts1 = 1000 + second;
                readings.TotalWs1 += readings.Watts1;
                store.record(readings);
            }
            clock.advanceMs(1000);
        }
    }

    qint64 bytes() const
    {
        return QFileInfo(store.path()).size() + QFileInfo(store.path() + "-wal").size();
    }
};

// A minute of one packet a second: 60 packet rows and the minute row in one transaction.
void BM_MinuteWithItsPackets(benchmark::State& state)
{
    Rig rig;
    for (auto _ : state)
        rig.minute(60);
    state.SetItemsProcessed(state.iterations() * 60);
    state.SetLabel("items = packets");
}
BENCHMARK(BM_MinuteWithItsPackets)->Unit(benchmark::kMicrosecond);

// A minute of one packet: the transaction with the minute row and a single packet row.
void BM_MinuteRowAlone(benchmark::State& state)
{
    Rig rig;
    for (auto _ : state)
        rig.minute(1);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MinuteRowAlone)->Unit(benchmark::kMicrosecond);

// One day at one packet a second; then the packet rows alone, as the file keeps two days of them.
void BM_FileBytesPerDay(benchmark::State& state)
{
    for (auto _ : state) {
        Rig rig;
        for (EpochSeconds minute = 0; minute < kDay / 60; ++minute)
            rig.minute(60);
        rig.store.flush();
        const QString path = rig.store.path();
        rig.store.open({});
        qint64 whole = 0;
        qint64 minutesOnly = 0;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "size");
            db.setDatabaseName(path);
            db.open();
            QSqlQuery query(db);
            // Out of WAL mode, so that VACUUM's work is in the file when its size is read.
            query.exec("PRAGMA journal_mode=DELETE");
            query.exec("VACUUM");
            whole = QFileInfo(path).size();
            query.exec("DELETE FROM packets");
            query.exec("VACUUM");
            minutesOnly = QFileInfo(path).size();
        }
        QSqlDatabase::removeDatabase("size");
        state.counters["minute_rows_bytes_per_day"] = static_cast<double>(minutesOnly);
        state.counters["packet_rows_bytes_per_day"] = static_cast<double>(whole - minutesOnly);
    }
}
BENCHMARK(BM_FileBytesPerDay)->Iterations(1)->Unit(benchmark::kMillisecond);

// 30 days of minute rows, written straight in one transaction to save the benchmark's time.
void fillMonth(Rig& rig, EpochSeconds end)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
    db.setDatabaseName(rig.store.path());
    db.open();
    db.transaction();
    QSqlQuery query(db);
    query.prepare("INSERT INTO minutes(time, packets, volts, watts1_avg, watts1_min, watts1_max, watts2_avg,"
                  " watts2_min, watts2_max, energy_ws1, energy_ws2, kwh1, kwh2) VALUES(?,60,230,?,0,0,?,0,0,0,0,0,0)");
    for (EpochSeconds time = end - 30 * kDay; time < end; time += 60) {
        query.addBindValue(qint64(time));
        query.addBindValue(double(time % 3000));
        query.addBindValue(double(time % 700));
        query.exec();
    }
    db.commit();
}

// The chart's "Last 30 days": the query over 43,200 minute rows and the series replaced.
void BM_ChartLoadsThirtyDays(benchmark::State& state)
{
    Rig rig;
    const EpochSeconds now = rig.store.now();
    fillMonth(rig, now);
    QSqlDatabase::removeDatabase("fill");
    PowerChart chart;
    chart.resize(800, 400);
    chart.show();
    const EpochSeconds bucket = state.range(0);
    for (auto _ : state) {
        chart.showRange(rig.store.power(now - 30 * kDay, now + 1, bucket), now - 30 * kDay, now);
        QApplication::processEvents();
        chart.repaint();
    }
    state.counters["points"] = static_cast<double>(chart.pointCount());
}
// 1800 s is what the window asks for (about 1440 points); 60 s draws every minute row.
BENCHMARK(BM_ChartLoadsThirtyDays)->Arg(1800)->Arg(60)->Unit(benchmark::kMillisecond);

// One packet into a full live hour on a shown chart, with the repaint it causes.
void BM_ChartAppendsALivePacket(benchmark::State& state)
{
    PowerChart chart;
    chart.resize(800, 400);
    chart.show();
    std::vector<PowerPoint> hour;
    for (EpochSeconds time = 0; time <= PowerChart::kLiveSeconds; ++time)
        hour.push_back({.time = time, .watts1 = double(1000 + time % 200), .watts2 = 300});
    chart.showLive(hour, PowerChart::kLiveSeconds);
    EpochSeconds time = PowerChart::kLiveSeconds;
    for (auto _ : state) {
        ++time;
        chart.appendLive({.time = time, .watts1 = double(1000 + time % 200), .watts2 = 300});
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ChartAppendsALivePacket)->Unit(benchmark::kMicrosecond);

} // namespace
