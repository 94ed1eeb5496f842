// Sends the history to InfluxDB: from the destination's cursor, oldest first, a batch
// at a time, then each new batch of rows as the history writes it. A batch counts as sent
// only once the server acknowledged it; the cursor then moves, in the history file, so a
// stop, a kill or an outage never loses a row (a batch sent again overwrites itself).
#pragma once

#include "common/reconnect_backoff.h"
#include "history/history_outbox.h"
#include "platform/observable_status.h"
#include "upload/influx_endpoint.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <string>

class HistoryStore;
class QNetworkReply;
struct SettingsValues;

struct UploadTiming {
    int firstRetryMs = 1000;
    int retryLimitMs = 5 * 60 * 1000;
    int requestTimeoutMs = 30000;
};

class InfluxUploader : public QObject {
    Q_OBJECT

public:
    // Two lines per row: some 5,000 lines, well under a megabyte, per request.
    static constexpr std::int64_t kBatchRows = 2500;

    InfluxUploader(const HistoryStore& history, const SettingsValues& settings, UploadTiming timing,
                   QObject* parent = nullptr);

    // Sends with the settings of this moment when uploads are on; called again after the
    // settings changed, it drops the request in flight and begins anew from the cursor.
    void start();
    // The end of a run: the request in flight is dropped, to be sent again next time.
    void stop();

    // The history wrote rows: they go now unless a request or a retry is pending.
    void sendNewRows();

    const ObservableStatusList& statusList() const { return statusList_; }

private:
    enum class State { Off, Sending, CaughtUp, Waiting, Refused };

    void sendNext();
    void post(const OutboxBatch& batch);
    void takeReply(QNetworkReply* reply, EpochSeconds sentUntil);
    void say(const std::string& line);

    const HistoryStore& history_;
    const SettingsValues& settings_;
    UploadTiming timing_;
    HistoryOutbox outbox_;
    QNetworkAccessManager network_;
    QPointer<QNetworkReply> reply_;
    ReconnectBackoff backoff_;
    QTimer retry_;
    ObservableStatusList statusList_;
    InfluxEndpoint endpoint_;
    std::string port_;
    HistoryRows rows_ = HistoryRows::Packets;
    EpochSeconds cursor_ = 0;
    State state_ = State::Off;
    std::string lastLine_;
    // The stand-in minutes are told once a run.
    bool minutesToldOnce_ = false;
};
