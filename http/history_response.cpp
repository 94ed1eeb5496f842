#include "http/history_response.h"

#include "history/history_csv.h"
#include "history/history_store.h"
#include "history/history_time.h"
#include "http/api_json.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHttpServerResponder>
#include <QTimer>

namespace {

QByteArray fileName(const HistoryRequest& request)
{
    const auto day = [](EpochSeconds time) {
        return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyyMMdd-HHmm")).toLatin1();
    };
    return "attachment; filename=\"kvo7730-history-" + day(request.from) + "-" + day(request.to) + ".csv\"";
}

std::string jsonHead(const HistoryRequest& request)
{
    return "{\"resolution\":\"" + std::string(request.rows == HistoryRows::Minutes ? "minute" : "packet")
        + "\",\"from\":\"" + isoText(request.from) + "\",\"to\":\"" + isoText(request.to)
        + "\",\"columns\":" + columnsJson(request.rows) + ",\"rows\":[";
}

} // namespace

void HistoryResponse::start(QHttpServerResponder&& responder, const HistoryStore& store, const HistoryRequest& request)
{
    using Status = QHttpServerResponder::StatusCode;
    if (store.countRows(request.rows, request.from, request.to, kMaxRows + 1) > kMaxRows) {
        responder.write(QByteArray::fromStdString(errorJson("The range holds more than " + std::to_string(kMaxRows)
                                                            + " rows; ask for a shorter one.")),
                        "application/json", Status::BadRequest);
        return;
    }
    QTcpSocket* socket = responder.socket();
    responder.writeStatusLine();
    if (request.csv)
        responder.writeHeaders({{"Content-Type", "text/csv; charset=utf-8"},
                                {"Content-Disposition", fileName(request)},
                                {"Transfer-Encoding", "chunked"}});
    else
        responder.writeHeaders({{"Content-Type", "application/json"}, {"Transfer-Encoding", "chunked"}});
    // The responder ends the head with the body's first bytes; the pages go to the socket.
    const std::string head = request.csv ? csvHeader(request.rows) : jsonHead(request);
    const QByteArray chunk = QByteArray::number(static_cast<qint64>(head.size()), 16) + "\r\n"
        + QByteArray::fromStdString(head) + "\r\n";
    responder.writeBody(chunk);
    // Owned by the connection: a client that leaves ends the answer too.
    auto* response = new HistoryResponse(*socket, store, request);
    response->sendPages();
}

HistoryResponse::HistoryResponse(QTcpSocket& socket, const HistoryStore& store, const HistoryRequest& request)
    : QObject(&socket), socket_(&socket), store_(store), request_(request), next_(request.from)
{
}

void HistoryResponse::sendPages()
{
    if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState) {
        deleteLater();
        return;
    }
    if (socket_->bytesToWrite() > kMaxBacklogBytes) {
        connect(socket_, &QTcpSocket::bytesWritten, this, &HistoryResponse::sendPages, Qt::SingleShotConnection);
        return;
    }
    QElapsedTimer spent;
    spent.start();
    std::string text;
    int rows = 0;
    bool more = true;
    while (more && rows < kPageRows && spent.elapsed() < kPageMs)
        more = appendWindow(text, rows);
    if (!more && !request_.csv)
        text += "]}\n";
    writeChunk(text);
    if (more) {
        QTimer::singleShot(0, this, &HistoryResponse::sendPages);
        return;
    }
    socket_->write("0\r\n\r\n");
    deleteLater();
}

bool HistoryResponse::appendWindow(std::string& text, int& rowCount)
{
    if (next_ >= request_.to)
        return false;
    const auto append = [&](const auto& rows) {
        rowCount += static_cast<int>(rows.size());
        for (const auto& row : rows) {
            if (request_.csv) {
                text += csvLine(row, iso_);
                continue;
            }
            text += firstRow_ ? "\n" : ",\n";
            firstRow_ = false;
            appendRowJson(text, row, iso_);
        }
    };
    if (request_.rows == HistoryRows::Minutes) {
        // A minute is one row at most: this window holds a page's rows or fewer.
        const EpochSeconds end = std::min(request_.to, next_ + kPageRows * 60);
        append(store_.minutes(next_, end));
        next_ = end;
        return next_ < request_.to;
    }
    // Packets go a page of rows at a time, however far apart they lie: a day without
    // packets costs one query, not one a minute.
    PacketPage page = store_.writtenPackets(next_, request_.to, kPageRows);
    if (!page.last) {
        append(page.rows);
        next_ = page.next;
        return true;
    }
    // The rest of the file, and the minute in progress that is not written yet.
    append(store_.packets(next_, request_.to));
    next_ = request_.to;
    return false;
}

void HistoryResponse::writeChunk(const std::string& text)
{
    if (text.empty())
        return;
    socket_->write(QByteArray::number(static_cast<qint64>(text.size()), 16) + "\r\n");
    socket_->write(text.data(), static_cast<qint64>(text.size()));
    socket_->write("\r\n");
}
