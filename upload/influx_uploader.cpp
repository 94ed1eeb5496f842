// The uploader's states: Sending (the backlog, a batch after another), CaughtUp
// (following the history's new rows), Waiting (retries after a failure), Refused (until
// the settings change) and Off.
#include "upload/influx_uploader.h"

#include "history/history_store.h"
#include "history/history_time.h"
#include "settings/settings_values.h"
#include "upload/influx_line_protocol.h"

#include <QNetworkReply>
#include <QNetworkRequest>

InfluxUploader::InfluxUploader(const HistoryStore& history, const SettingsValues& settings, UploadTiming timing,
                               QObject* parent)
    : QObject(parent), history_(history), settings_(settings), timing_(timing), outbox_(history),
      backoff_(timing.firstRetryMs, timing.retryLimitMs)
{
    network_.setParent(this);
    retry_.setSingleShot(true);
    retry_.setParent(this);
    connect(&retry_, &QTimer::timeout, this, &InfluxUploader::sendNext);
}

void InfluxUploader::start()
{
    const bool wasOn = state_ != State::Off;
    stop();
    if (!settings_.InfluxEnable) {
        if (wasOn)
            say("InfluxDB uploads are off.");
        return;
    }
    if (!history_.file()) {
        say("InfluxDB uploads need the history file, which is not kept this run.");
        return;
    }
    endpoint_ = influxEndpoint(settings_);
    port_ = "COM" + std::to_string(settings_.ComPortNum);
    rows_ = settings_.InfluxResolution == UploadResolution::Minute ? HistoryRows::Minutes : HistoryRows::Packets;
    // A new destination is sent everything the history holds.
    cursor_ = outbox_.cursor(endpoint_.destination).value_or(0);
    backoff_.reset();
    lastLine_.clear();
    minutesToldOnce_ = false;
    sendNext();
}

void InfluxUploader::stop()
{
    retry_.stop();
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
    state_ = State::Off;
}

void InfluxUploader::sendNewRows()
{
    if (state_ == State::CaughtUp && !reply_)
        sendNext();
}

void InfluxUploader::sendNext()
{
    const OutboxBatch batch = outbox_.next(cursor_, rows_, kBatchRows);
    if (batch.empty()) {
        if (state_ != State::CaughtUp)
            say("InfluxDB at " + endpoint_.displayName
                + " has every reading of the history; new ones follow as the history writes them.");
        state_ = State::CaughtUp;
        return;
    }
    if (rows_ == HistoryRows::Packets && !batch.minutes.empty() && !minutesToldOnce_) {
        minutesToldOnce_ = true;
        say("The packets before " + isoText(batch.minutes.back().time + 60)
            + " are no longer kept: InfluxDB gets the minutes up to then instead.");
    }
    // Only the backlog found at the start is said: following the history, or retrying
    // after a failure, is no change of state.
    if (state_ == State::Off) {
        const EpochSeconds first = batch.minutes.empty() ? batch.packets.front().time : batch.minutes.front().time;
        say("Sending the history to InfluxDB at " + endpoint_.displayName + ", from " + isoText(first) + ".");
        state_ = State::Sending;
    }
    post(batch);
}

void InfluxUploader::post(const OutboxBatch& batch)
{
    std::string body;
    body.reserve(batch.size() * 2 * 200);
    for (const MinuteRow& row : batch.minutes)
        appendMinuteLines(body, row, port_);
    for (const PacketRow& row : batch.packets)
        appendPacketLines(body, row, port_);

    QNetworkRequest request(endpoint_.writeUrl);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/plain; charset=utf-8"));
    if (!endpoint_.authorization.isEmpty())
        request.setRawHeader(QByteArrayLiteral("Authorization"), endpoint_.authorization);
    // A redirect would be followed as a GET, which writes nothing: it is a wrong address.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(timing_.requestTimeoutMs);
    reply_ = network_.post(request, QByteArray::fromStdString(body));
    const EpochSeconds sentUntil = batch.sentUntil;
    QNetworkReply* reply = reply_;
    connect(reply, &QNetworkReply::finished, this, [this, reply, sentUntil] { takeReply(reply, sentUntil); });
}

void InfluxUploader::takeReply(QNetworkReply* reply, EpochSeconds sentUntil)
{
    reply->deleteLater();
    reply_.clear();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const InfluxAnswer answer
        = influxAnswer(status, reply->readAll().toStdString(), reply->errorString().toStdString());
    switch (answer.kind) {
    case InfluxAnswer::Kind::Accepted:
        cursor_ = sentUntil;
        backoff_.reset();
        if (state_ == State::Waiting) {
            say("InfluxDB at " + endpoint_.displayName + " takes the readings again; those that waited follow now.");
            state_ = State::Sending;
        }
        // Not kept, the batch is sent again after a restart and overwrites itself there.
        if (const std::string why = outbox_.keepCursor(endpoint_.destination, cursor_); !why.empty())
            say("How far InfluxDB has the history cannot be kept in the history file (" + why
                + "); after a restart some readings are sent again.");
        sendNext();
        return;
    case InfluxAnswer::Kind::Refused:
        state_ = State::Refused;
        say("InfluxDB at " + endpoint_.displayName + " refused the readings (" + answer.message
            + "); nothing more is sent until its settings change.");
        return;
    case InfluxAnswer::Kind::RetryLater:
        state_ = State::Waiting;
        say(status == 0 ? "InfluxDB at " + endpoint_.displayName + " cannot be reached (" + answer.message
                              + "); the readings wait in the history and follow once it answers."
                        : "InfluxDB at " + endpoint_.displayName + " cannot take the readings now (" + answer.message
                              + "); they wait in the history and follow once it does.");
        retry_.start(backoff_.next());
        return;
    }
}

void InfluxUploader::say(const std::string& line)
{
    if (line == lastLine_)
        return;
    lastLine_ = line;
    statusList_.addLine(line);
}
