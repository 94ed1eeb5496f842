// The readings history: every decoded packet is kept for 48 hours and every minute
// for good, in one SQLite file, written once a minute in one transaction.
#pragma once

#include "history/history_file.h"
#include "history/history_rows.h"
#include "history/minute_summary.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

class Clock;
class StatusList;
struct LiveReadings;

class HistoryStore : public QObject {
    Q_OBJECT

public:
    static constexpr EpochSeconds kPacketKeepSeconds = 48 * 3600;
    // How often a minute that ended without a packet after it is looked for.
    static constexpr int kMinuteCheckMs = 15000;
    // Packets written together before their minute ends.
    static constexpr std::size_t kPacketBatch = 50;

    // Failures go to the status list as lines.
    HistoryStore(const Clock& clock, StatusList& report, QObject* parent = nullptr);
    ~HistoryStore() override;

    // $XDG_DATA_HOME/DARavev/history.sqlite, or the platform's equivalent.
    static QString userFile();

    // Opens the file; an empty path keeps no history this run.
    void open(const QString& path);
    bool isOpen() const { return file_ && file_->isOpen(); }
    // The open file, for readers of its other tables; none when no history is kept.
    const HistoryFile* file() const { return isOpen() ? file_.get() : nullptr; }
    const QString& path() const { return path_; }

    void record(const LiveReadings& readings);
    // Writes the minute in progress now (it goes on; its next part is merged into the row).
    void flush();

    EpochSeconds now() const;

    static constexpr std::int64_t kNoLimit = -1;

    // Rows with from <= time < to, oldest first; the packets include the minute in progress.
    std::vector<PacketRow> packets(EpochSeconds from, EpochSeconds to) const;
    std::vector<MinuteRow> minutes(EpochSeconds from, EpochSeconds to, std::int64_t limit = kNoLimit) const;
    // The packets of the file alone with from <= time < to, at most limit of them, ending with
    // a whole second.
    PacketPage writtenPackets(EpochSeconds from, EpochSeconds to, std::int64_t limit) const;
    // The times of the oldest and the newest packet in the file; none when it holds none.
    std::optional<TimeSpan> writtenPacketSpan() const;
    // The average power over buckets of the given length, for a chart: from the minutes, or
    // from the packets (the minute in progress included).
    std::vector<PowerPoint> power(EpochSeconds from, EpochSeconds to, EpochSeconds bucketSeconds) const;
    std::vector<PowerPoint> packetPower(EpochSeconds from, EpochSeconds to, EpochSeconds bucketSeconds) const;
    // The rows with from <= time < to, counted up to the limit, so that counting a long range stays quick.
    std::int64_t countRows(HistoryRows rows, EpochSeconds from, EpochSeconds to, std::int64_t limit) const;

signals:
    // A minute row was written (the chart's long ranges follow it).
    void minuteWritten(const MinuteRow& row);
    // Rows were written to the file (packets, a minute or both).
    void rowsWritten();

private:
    void flushIfMinuteEnded();
    // The packets waiting, and the minute's row when there is one, in one transaction.
    bool write(const std::optional<MinuteRow>& row);
    void reportWriteFailure(const std::string& reason);

    const Clock& clock_;
    StatusList& report_;
    QString path_;
    std::unique_ptr<HistoryFile> file_;
    MinuteSummary minute_;
    std::vector<PacketRow> pending_;
    QTimer minuteCheck_;
    // A write failure is said once, until a write succeeds again.
    bool writeFailureShown_ = false;
};
