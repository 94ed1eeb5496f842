// A range of the history sent as one chunked answer, a page of rows at a time: a long
// range never holds the event loop for long, and a slow reader is waited for rather
// than buffered without end.
#pragma once

#include "history/history_time.h"
#include "http/api_query.h"

#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <string>

class HistoryStore;
class QHttpServerResponder;

class HistoryResponse : public QObject {
    Q_OBJECT

public:
    // Most rows one answer carries; a longer range is refused with a reason.
    static constexpr std::int64_t kMaxRows = 200'000;
    // Work of one turn of the event loop, at most.
    static constexpr int kPageRows = 2000;
    static constexpr int kPageMs = 10;
    // Bytes left unsent to the client before the next page waits for them to go.
    static constexpr qint64 kMaxBacklogBytes = 1 << 20;

    // Answers the request: a 400 for a range beyond kMaxRows, else the rows, paged.
    static void start(QHttpServerResponder&& responder, const HistoryStore& store, const HistoryRequest& request);

private:
    HistoryResponse(QTcpSocket& socket, const HistoryStore& store, const HistoryRequest& request);

    // Writes pages until the budget of this turn is spent, then comes back.
    void sendPages();
    // The next window of time's rows as text, counted; false when the range is done.
    bool appendWindow(std::string& text, int& rowCount);
    void writeChunk(const std::string& text);

    QPointer<QTcpSocket> socket_;
    const HistoryStore& store_;
    HistoryRequest request_;
    EpochSeconds next_;
    IsoTimeText iso_;
    bool firstRow_ = true;
};
