// The uploader against a stand-in InfluxDB on a loopback port: the request as it goes on
// the wire, following the history, resuming from the cursor, and what each answer does.
#include "../history/history_rig.h"

#include "history/history_time.h"
#include "settings/settings_values.h"
#include "upload/influx_uploader.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <deque>

#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;
using testing::HasSubstr;

struct Request {
    QByteArray head;
    QByteArray body;

    QByteArray header(const QByteArray& name) const
    {
        for (const QByteArray& line : head.split('\n')) {
            if (line.toLower().startsWith(name.toLower() + ':'))
                return line.mid(name.size() + 1).trimmed();
        }
        return {};
    }
    int lines() const { return static_cast<int>(body.count('\n')); }
};

// Answers each write with the next scripted status, 204 once the script is done; a status
// of 0 leaves the request unanswered.
class InfluxStandIn {
public:
    InfluxStandIn()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] { take(*socket); });
        });
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()); }
    std::deque<int> script;
    std::vector<Request> requests;

private:
    void take(QTcpSocket& socket)
    {
        QByteArray& pending = buffers_[&socket];
        pending += socket.readAll();
        for (qsizetype end; (end = pending.indexOf("\r\n\r\n")) >= 0;) {
            Request request{pending.left(end), {}};
            const qsizetype length = request.header("Content-Length").toLongLong();
            if (pending.size() < end + 4 + length)
                return;
            request.body = pending.mid(end + 4, length);
            pending.remove(0, end + 4 + length);
            requests.push_back(request);
            const int status = script.empty() ? 204 : script.front();
            if (!script.empty())
                script.pop_front();
            if (status == 204)
                socket.write("HTTP/1.1 204 No Content\r\n\r\n");
            else if (status != 0)
                socket.write("HTTP/1.1 " + QByteArray::number(status) + " Failed\r\nContent-Type: application/json\r\n"
                             "Content-Length: " + QByteArray::number(kFailure.size()) + "\r\n\r\n" + kFailure);
        }
    }

    static inline const QByteArray kFailure = R"({"error":"it went wrong"})";
    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffers_;
};

struct UploaderRig : HistoryRig {
    InfluxStandIn influx;
    SettingsValues settings;
    std::unique_ptr<InfluxUploader> uploader;
    RecordingStatusList lines;
    EpochSeconds start = 0;

    explicit UploaderRig(int api = 2)
    {
        settings.InfluxEnable = true;
        settings.InfluxUrl = influx.url();
        settings.InfluxApi = api;
        settings.InfluxDatabase = "kvo7730";
        settings.InfluxUser = "kvo";
        settings.InfluxPassword = "pw";
        settings.InfluxOrg = "home";
        settings.InfluxBucket = "energy";
        settings.InfluxToken = "secret-token";
        settings.ComPortNum = 9;
        nextMinute();
        start = store.now();
        makeUploader();
    }

    void makeUploader()
    {
        uploader = std::make_unique<InfluxUploader>(store, settings, UploadTiming{.firstRetryMs = 20, .retryLimitMs = 80});
        uploader->statusList().mirrorTo(lines, uploader.get());
        QObject::connect(&store, &HistoryStore::rowsWritten, uploader.get(), &InfluxUploader::sendNewRows);
    }

    void packets(int count)
    {
        for (int i = 0; i < count; ++i)
            packet(100 + i, 50);
        store.flush();
    }

    bool waitForRequests(std::size_t count)
    {
        return QTest::qWaitFor([&] { return influx.requests.size() >= count; }, 5000);
    }
    bool waitForLines(std::size_t count)
    {
        return QTest::qWaitFor([&] { return lines.lines.size() >= count; }, 5000);
    }
    std::string server() const { return influx.url() + " (bucket energy)"; }
};

TEST(InfluxUploader, sendsTheHistoryFromItsStart_thenEachNewBatch_andAfterARestartOnlyWhatIsNew)
{
    UploaderRig rig;
    rig.packets(90);
    rig.uploader->start();
    ASSERT_TRUE(rig.waitForLines(2));
    ASSERT_EQ(rig.influx.requests.size(), 1u);
    const Request& first = rig.influx.requests[0];
    EXPECT_TRUE(first.head.startsWith("POST /api/v2/write?org=home&bucket=energy&precision=s HTTP/1.1\r\n"))
        << first.head.toStdString();
    EXPECT_EQ(first.header("Authorization"), "Token secret-token");
    EXPECT_EQ(first.header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(first.lines(), 2 * 89) << "every packet but the newest second's";
    EXPECT_TRUE(first.body.startsWith("kvo7730,channel=1,port=COM9 volts=230,watts=100,"));
    EXPECT_TRUE(first.body.endsWith(" " + QByteArray::number(rig.start + 88) + "\n"));
    EXPECT_EQ(first.body.count("port=COM9"), 2 * 89);
    EXPECT_THAT(rig.lines.lines,
                ElementsAre("Sending the history to InfluxDB at " + rig.server() + ", from " + isoText(rig.start) + ".",
                            "InfluxDB at " + rig.server()
                                + " has every reading of the history; new ones follow as the history writes them."));

    rig.packets(30);
    ASSERT_TRUE(rig.waitForRequests(2));
    EXPECT_TRUE(rig.influx.requests[1].body.startsWith("kvo7730,channel=1,port=COM9 volts=230,watts=189,"))
        << "the newest second held back before goes first";
    EXPECT_EQ(rig.influx.requests[1].lines(), 2 * 30);
    EXPECT_EQ(rig.lines.lines.size(), 2u) << "following the history is no change of state";

    rig.makeUploader();
    rig.uploader->start();
    ASSERT_TRUE(rig.waitForLines(3));
    EXPECT_EQ(rig.influx.requests.size(), 2u) << "the cursor in the file says all is there";
}

TEST(InfluxUploader, aServerFailureIsTriedAgain_aRefusalWaitsForNewSettings)
{
    UploaderRig rig(1);
    rig.packets(10);
    rig.influx.script = {503, 503, 204, 404};
    rig.uploader->start();
    ASSERT_TRUE(rig.waitForLines(4));
    ASSERT_EQ(rig.influx.requests.size(), 3u);
    EXPECT_EQ(rig.influx.requests[0].body, rig.influx.requests[2].body);
    EXPECT_TRUE(rig.influx.requests[0].head.startsWith("POST /write?db=kvo7730&precision=s HTTP/1.1\r\n"));
    EXPECT_EQ(rig.influx.requests[0].header("Authorization"), "Basic " + QByteArray("kvo:pw").toBase64());
    const std::string server = rig.influx.url() + " (database kvo7730)";
    EXPECT_THAT(rig.lines.lines,
                ElementsAre(HasSubstr("Sending the history"),
                            "InfluxDB at " + server
                                + " cannot take the readings now (HTTP 503: it went wrong); they wait in the history and"
                                  " follow once it does.",
                            "InfluxDB at " + server + " takes the readings again; those that waited follow now.",
                            HasSubstr("has every reading")));

    rig.packets(10);
    ASSERT_TRUE(rig.waitForLines(5));
    EXPECT_EQ(rig.lines.lines.back(), "InfluxDB at " + server
                                          + " refused the readings (HTTP 404: it went wrong); nothing more is sent"
                                            " until its settings change.");
    rig.packets(10);
    QTest::qWait(200);
    EXPECT_EQ(rig.influx.requests.size(), 4u) << "new rows do not undo a refusal";
    EXPECT_EQ(rig.lines.lines.size(), 5u);

    rig.uploader->start();
    ASSERT_TRUE(rig.waitForRequests(5));
    EXPECT_EQ(rig.influx.requests[4].lines(), 2 * 20) << "the refused rows and those after them";
}

TEST(InfluxUploader, anUnreachableServerIsSaidOnceAcrossItsRetries_andAStopMidRequestKeepsTheCursor)
{
    UploaderRig rig;
    rig.packets(10);
    const std::string standIn = rig.settings.InfluxUrl;
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    rig.settings.InfluxUrl = "http://127.0.0.1:" + std::to_string(closed.serverPort());
    closed.close();
    rig.uploader->start();
    QTest::qWait(400);
    ASSERT_EQ(rig.lines.lines.size(), 2u);
    EXPECT_THAT(rig.lines.lines[1], HasSubstr("cannot be reached (Connection refused); the readings wait in the history"));

    rig.settings.InfluxUrl = standIn;
    rig.influx.script = {0};
    rig.uploader->start();
    ASSERT_TRUE(rig.waitForRequests(1));
    rig.uploader->stop();
    rig.makeUploader();
    rig.uploader->start();
    ASSERT_TRUE(rig.waitForRequests(2));
    EXPECT_EQ(rig.influx.requests[1].body, rig.influx.requests[0].body) << "an unanswered batch is sent again";
}

} // namespace
