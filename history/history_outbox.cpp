// A batch never ends inside a second (the store's pages do not), so a second's packets are
// sent together and the cursor, a time, never falls between them.
#include "history/history_outbox.h"

#include "history/history_store.h"
#include "history/minute_summary.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

std::optional<EpochSeconds> HistoryOutbox::cursor(const std::string& destination) const
{
    const HistoryFile* file = store_.file();
    if (!file)
        return std::nullopt;
    QSqlQuery query(file->database());
    query.prepare(QStringLiteral("SELECT sent_until FROM upload_cursors WHERE destination = ?"));
    query.addBindValue(QString::fromStdString(destination));
    if (!query.exec() || !query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

std::string HistoryOutbox::keepCursor(const std::string& destination, EpochSeconds sentUntil) const
{
    const HistoryFile* file = store_.file();
    if (!file)
        return "no history file is open";
    QSqlQuery query(file->database());
    query.prepare(QStringLiteral("INSERT INTO upload_cursors(destination, sent_until) VALUES(?, ?)"
                                 " ON CONFLICT(destination) DO UPDATE SET sent_until = excluded.sent_until"));
    query.addBindValue(QString::fromStdString(destination));
    query.addBindValue(qint64(sentUntil));
    return query.exec() ? std::string() : HistoryFile::reason(query.lastError());
}

OutboxBatch HistoryOutbox::next(EpochSeconds from, HistoryRows rows, std::int64_t maxRows) const
{
    const EpochSeconds minuteInProgress = MinuteSummary::minuteOf(store_.now());
    const std::optional<TimeSpan> packets = rows == HistoryRows::Packets ? store_.writtenPacketSpan() : std::nullopt;
    // Minutes wholly before the oldest packet kept.
    const EpochSeconds minutesEnd = packets ? std::min(minuteInProgress, packets->first - 59) : minuteInProgress;
    OutboxBatch batch;
    batch.minutes = store_.minutes(from, minutesEnd, maxRows);
    if (!batch.minutes.empty()) {
        batch.sentUntil = batch.minutes.back().time + 60;
        return batch;
    }
    if (!packets)
        return batch;
    PacketPage page = store_.writtenPackets(from, packets->last, maxRows);
    batch.packets = std::move(page.rows);
    batch.sentUntil = page.next;
    return batch;
}
