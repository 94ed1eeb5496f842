// Packets wait in memory and are written in batches, the minute's row at the end of its
// minute, so a packet costs no disk write; a kill loses at most the minute in progress.
#include "history/history_store.h"

#include "history/history_time.h"
#include "link/live_readings.h"
#include "platform/clock.h"
#include "platform/status_list.h"

#include <QSqlError>
#include <QStandardPaths>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace {

// A minute written twice (a flush, a restart within the minute) is merged by packet count.
const char* const kInsertMinute =
    "INSERT INTO minutes(time, packets, volts, watts1_avg, watts1_min, watts1_max, watts2_avg, watts2_min, watts2_max,"
    " energy_ws1, energy_ws2, kwh1, kwh2, imported_ws1, exported_ws1, imported_ws2, exported_ws2)"
    " VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"
    " ON CONFLICT(time) DO UPDATE SET"
    " volts = (volts * packets + excluded.volts * excluded.packets) / (packets + excluded.packets),"
    " watts1_avg = (watts1_avg * packets + excluded.watts1_avg * excluded.packets) / (packets + excluded.packets),"
    " watts2_avg = (watts2_avg * packets + excluded.watts2_avg * excluded.packets) / (packets + excluded.packets),"
    " watts1_min = min(watts1_min, excluded.watts1_min), watts1_max = max(watts1_max, excluded.watts1_max),"
    " watts2_min = min(watts2_min, excluded.watts2_min), watts2_max = max(watts2_max, excluded.watts2_max),"
    " energy_ws1 = excluded.energy_ws1, energy_ws2 = excluded.energy_ws2, kwh1 = excluded.kwh1,"
    " kwh2 = excluded.kwh2, imported_ws1 = excluded.imported_ws1, exported_ws1 = excluded.exported_ws1,"
    " imported_ws2 = excluded.imported_ws2, exported_ws2 = excluded.exported_ws2, packets = packets + excluded.packets";

const char* const kInsertPacket = "INSERT INTO packets(time, volts, watts1, watts2, amps1, amps2, pf1, pf2, energy_ws1,"
                                  " energy_ws2, kwh1, kwh2, imported_ws1, exported_ws1, imported_ws2, exported_ws2)"
                                  " VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

QString connectionName(const void* owner)
{
    return QStringLiteral("history-%1").arg(reinterpret_cast<quintptr>(owner));
}

void bind(QSqlQuery& query, std::initializer_list<QVariant> values)
{
    for (const QVariant& value : values)
        query.addBindValue(value);
}

void bindMinute(QSqlQuery& query, const MinuteRow& m)
{
    bind(query, {qint64(m.time), qint64(m.packets), m.averageVolts, m.channel1.averageWatts, m.channel1.minimumWatts,
                 m.channel1.maximumWatts, m.channel2.averageWatts, m.channel2.minimumWatts, m.channel2.maximumWatts,
                 m.energyWs1, m.energyWs2, m.kWh1, m.kWh2, m.importedWs1, m.exportedWs1, m.importedWs2,
                 m.exportedWs2});
}

void bindPacket(QSqlQuery& query, const PacketRow& p)
{
    bind(query, {qint64(p.time), p.volts, p.watts1, p.watts2, p.amps1, p.amps2, p.powerFactor1, p.powerFactor2,
                 p.energyWs1, p.energyWs2, p.kWh1, p.kWh2, p.importedWs1, p.exportedWs1, p.importedWs2,
                 p.exportedWs2});
}

double real(const QSqlQuery& query, int column)
{
    return query.value(column).toDouble();
}

PacketRow packetAt(const QSqlQuery& q)
{
    return PacketRow{.time = q.value(0).toLongLong(), .volts = real(q, 1), .watts1 = real(q, 2),
                     .watts2 = real(q, 3), .amps1 = real(q, 4), .amps2 = real(q, 5), .powerFactor1 = real(q, 6),
                     .powerFactor2 = real(q, 7), .energyWs1 = real(q, 8), .energyWs2 = real(q, 9),
                     .kWh1 = real(q, 10), .kWh2 = real(q, 11), .importedWs1 = real(q, 12),
                     .exportedWs1 = real(q, 13), .importedWs2 = real(q, 14), .exportedWs2 = real(q, 15)};
}

MinuteRow minuteAt(const QSqlQuery& q)
{
    return MinuteRow{.time = q.value(0).toLongLong(), .packets = q.value(1).toLongLong(),
                     .averageVolts = real(q, 2),
                     .channel1 = {real(q, 3), real(q, 4), real(q, 5)},
                     .channel2 = {real(q, 6), real(q, 7), real(q, 8)},
                     .energyWs1 = real(q, 9), .energyWs2 = real(q, 10), .kWh1 = real(q, 11), .kWh2 = real(q, 12),
                     .importedWs1 = real(q, 13), .exportedWs1 = real(q, 14), .importedWs2 = real(q, 15),
                     .exportedWs2 = real(q, 16)};
}

} // namespace

HistoryStore::HistoryStore(const Clock& clock, StatusList& report, QObject* parent)
    : QObject(parent), clock_(clock), report_(report)
{
    minuteCheck_.setObjectName(QStringLiteral("HistoryMinuteCheck"));
    minuteCheck_.setInterval(kMinuteCheckMs);
    minuteCheck_.setParent(this);
    connect(&minuteCheck_, &QTimer::timeout, this, &HistoryStore::flushIfMinuteEnded);
}

HistoryStore::~HistoryStore() = default;

QString HistoryStore::userFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/DARavev/history.sqlite");
}

void HistoryStore::open(const QString& path)
{
    path_ = path;
    file_.reset();
    if (path.isEmpty())
        return;
    file_ = std::make_unique<HistoryFile>(path, connectionName(this));
    if (file_->open(formatDateTime(clock_.now(), "yyyymmdd-hhnnss"),
                    [this](const std::string& line) { report_.addLine(line); }))
        minuteCheck_.start();
    else
        file_.reset();
}

EpochSeconds HistoryStore::now() const
{
    return epochOf(clock_.now());
}

void HistoryStore::record(const LiveReadings& readings)
{
    if (!isOpen())
        return;
    const PacketRow packet = packetRow(readings, now());
    if (!minute_.empty() && MinuteSummary::minuteOf(packet.time) != minute_.minute())
        flush();
    minute_.add(packet);
    pending_.push_back(packet);
    // At 40 packets a second a minute's packets took some 30 ms to write in one go, and the
    // TCP server's replies waited meanwhile; a batch takes well under a millisecond.
    // A batch that cannot be written waits for the next one (or the minute's end), not
    // for the next packet.
    if (pending_.size() % kPacketBatch == 0 && write(std::nullopt))
        pending_.clear();
}

void HistoryStore::flushIfMinuteEnded()
{
    if (!minute_.empty() && MinuteSummary::minuteOf(now()) != minute_.minute())
        flush();
}

void HistoryStore::flush()
{
    const std::optional<MinuteRow> row = minute_.row();
    if (!row || !isOpen())
        return;
    if (write(row))
        emit minuteWritten(*row);
    // A minute that cannot be written is dropped, so that a full disk cannot fill the memory.
    minute_.clear();
    pending_.clear();
}

bool HistoryStore::write(const std::optional<MinuteRow>& row)
{
    QSqlDatabase db = file_->database();
    if (!db.transaction()) {
        reportWriteFailure(HistoryFile::reason(db.lastError()));
        return false;
    }
    QSqlQuery query(db);
    bool written = true;
    if (row) {
        written = query.prepare(QString::fromLatin1(kInsertMinute));
        bindMinute(query, *row);
        written = written && query.exec();
    }
    written = written && query.prepare(QString::fromLatin1(kInsertPacket));
    for (auto packet = pending_.begin(); written && packet != pending_.end(); ++packet) {
        bindPacket(query, *packet);
        written = query.exec();
    }
    // Old packets go once a minute.
    if (written && row) {
        written = query.prepare(QStringLiteral("DELETE FROM packets WHERE time < ?"));
        query.addBindValue(qint64(now() - kPacketKeepSeconds));
        written = written && query.exec();
    }
    const std::string why = HistoryFile::reason(query.lastError());
    query.finish();
    if (!written || !db.commit()) {
        db.rollback();
        reportWriteFailure(written ? HistoryFile::reason(db.lastError()) : why);
        return false;
    }
    writeFailureShown_ = false;
    emit rowsWritten();
    return true;
}

void HistoryStore::reportWriteFailure(const std::string& reason)
{
    if (writeFailureShown_)
        return;
    writeFailureShown_ = true;
    report_.addLine("The history could not be written to " + path_.toStdString() + " (" + reason
                    + "); the minute is lost.");
}

std::vector<PacketRow> HistoryStore::packets(EpochSeconds from, EpochSeconds to) const
{
    std::vector<PacketRow> rows = writtenPackets(from, to, kNoLimit).rows;
    for (const PacketRow& packet : pending_) {
        if (packet.time >= from && packet.time < to)
            rows.push_back(packet);
    }
    return rows;
}

PacketPage HistoryStore::writtenPackets(EpochSeconds from, EpochSeconds to, std::int64_t limit) const
{
    PacketPage page{.rows = {}, .next = to, .last = true};
    if (!isOpen())
        return page;
    QSqlQuery query(file_->database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT time, volts, watts1, watts2, amps1, amps2, pf1, pf2, energy_ws1,"
                                 " energy_ws2, kwh1, kwh2, imported_ws1, exported_ws1, imported_ws2, exported_ws2"
                                 " FROM packets WHERE time >= ? AND time < ? ORDER BY time LIMIT ?"));
    bind(query, {qint64(from), qint64(to), qint64(limit)});
    query.exec();
    while (query.next())
        page.rows.push_back(packetAt(query));
    if (limit == kNoLimit || static_cast<std::int64_t>(page.rows.size()) < limit)
        return page;
    page.last = false;
    const EpochSeconds newest = page.rows.back().time;
    page.next = newest + 1;
    // The page's newest second may go on beyond it: that second goes whole with the next page.
    if (page.rows.front().time != newest) {
        while (page.rows.back().time == newest)
            page.rows.pop_back();
        page.next = newest;
    }
    return page;
}

std::vector<MinuteRow> HistoryStore::minutes(EpochSeconds from, EpochSeconds to, std::int64_t limit) const
{
    std::vector<MinuteRow> rows;
    if (!isOpen())
        return rows;
    QSqlQuery query(file_->database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT time, packets, volts, watts1_avg, watts1_min, watts1_max, watts2_avg,"
                                 " watts2_min, watts2_max, energy_ws1, energy_ws2, kwh1, kwh2, imported_ws1,"
                                 " exported_ws1, imported_ws2, exported_ws2 FROM minutes"
                                 " WHERE time >= ? AND time < ? ORDER BY time LIMIT ?"));
    bind(query, {qint64(from), qint64(to), qint64(limit)});
    query.exec();
    while (query.next())
        rows.push_back(minuteAt(query));
    return rows;
}

std::optional<TimeSpan> HistoryStore::writtenPacketSpan() const
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery query(file_->database());
    if (!query.exec(QStringLiteral("SELECT min(time), max(time) FROM packets")) || !query.next()
        || query.value(0).isNull())
        return std::nullopt;
    return TimeSpan{query.value(0).toLongLong(), query.value(1).toLongLong()};
}

std::vector<PowerPoint> HistoryStore::power(EpochSeconds from, EpochSeconds to, EpochSeconds bucketSeconds) const
{
    std::vector<PowerPoint> points;
    if (!isOpen())
        return points;
    QSqlQuery query(file_->database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT min(time), avg(watts1_avg), avg(watts2_avg) FROM minutes"
                                 " WHERE time >= ? AND time < ? GROUP BY time / ? ORDER BY 1"));
    bind(query, {qint64(from), qint64(to), qint64(std::max<EpochSeconds>(bucketSeconds, 60))});
    query.exec();
    while (query.next())
        points.push_back({.time = query.value(0).toLongLong(), .watts1 = real(query, 1), .watts2 = real(query, 2)});
    return points;
}

std::vector<PowerPoint> HistoryStore::packetPower(EpochSeconds from, EpochSeconds to, EpochSeconds bucketSeconds) const
{
    bucketSeconds = std::max<EpochSeconds>(bucketSeconds, 1);
    std::vector<PowerPoint> points;
    std::vector<std::int64_t> counts;
    const auto add = [&](EpochSeconds time, double watts1, double watts2, std::int64_t count) {
        if (points.empty() || time / bucketSeconds != points.back().time / bucketSeconds) {
            points.push_back({.time = time, .watts1 = 0, .watts2 = 0});
            counts.push_back(0);
        }
        PowerPoint& point = points.back();
        const double total = static_cast<double>(counts.back() + count);
        point.watts1 += (watts1 - point.watts1) * static_cast<double>(count) / total;
        point.watts2 += (watts2 - point.watts2) * static_cast<double>(count) / total;
        counts.back() += count;
    };
    if (isOpen()) {
        QSqlQuery query(file_->database());
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT min(time), avg(watts1), avg(watts2), count(*) FROM packets"
                                     " WHERE time >= ? AND time < ? GROUP BY time / ? ORDER BY 1"));
        bind(query, {qint64(from), qint64(to), qint64(bucketSeconds)});
        query.exec();
        while (query.next())
            add(query.value(0).toLongLong(), real(query, 1), real(query, 2), query.value(3).toLongLong());
    }
    for (const PacketRow& packet : pending_) {
        if (packet.time >= from && packet.time < to)
            add(packet.time, packet.watts1, packet.watts2, 1);
    }
    return points;
}

std::int64_t HistoryStore::countRows(HistoryRows rows, EpochSeconds from, EpochSeconds to, std::int64_t limit) const
{
    std::int64_t count = 0;
    if (isOpen()) {
        QSqlQuery query(file_->database());
        query.setForwardOnly(true);
        query.prepare(rows == HistoryRows::Minutes
                          ? QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM minutes WHERE time >= ? AND time < ? LIMIT ?)")
                          : QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM packets WHERE time >= ? AND time < ? LIMIT ?)"));
        bind(query, {qint64(from), qint64(to), qint64(limit)});
        if (query.exec() && query.next())
            count = query.value(0).toLongLong();
    }
    if (rows == HistoryRows::Packets)
        count += std::count_if(pending_.begin(), pending_.end(),
                               [&](const PacketRow& p) { return p.time >= from && p.time < to; });
    return std::min(count, limit);
}
