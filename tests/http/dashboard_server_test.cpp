// The HTTP server on real loopback sockets, with the monitor on the fake port: every
// address, the live events, paged history, bad requests, and the bounds on clients.
#include "free_tcp_port.h"
#include "monitor_on_fakes.h"
#include "recording_status_list.h"

#include "history/history_store.h"
#include "http/bounded_tcp_server.h"
#include "http/dashboard_server.h"
#include "http/history_response.h"
#include "settings/settings_values.h"
#include "simulator/monitor_emulator.h"

#include <QHttpServer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = 5000;

struct Answer {
    int status = 0;
    QByteArray type;
    QByteArray body;

    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

class Browser {
public:
    Answer get(int port, const QString& path, const QByteArray& method = "GET", int waitMs = kWaitMs)
    {
        QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)));
        std::unique_ptr<QNetworkReply> reply(network_.sendCustomRequest(request, method));
        if (!QTest::qWaitFor([&] { return reply->isFinished(); }, waitMs))
            return {};
        return {.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                .type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(),
                .body = reply->readAll()};
    }

private:
    QNetworkAccessManager network_;
};

// A raw client, for what a browser would not do.
struct RawClient {
    QTcpSocket socket;
    QByteArray received;

    bool connectTo(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        socket.connectToHost(QHostAddress::LocalHost, port);
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, kWaitMs);
    }
    bool dropped(int ms = kWaitMs)
    {
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, ms);
    }
    bool receivedText(const QByteArray& text)
    {
        return QTest::qWaitFor([&] { return received.contains(text); }, kWaitMs);
    }
};

MonitorState streamingMonitor()
{
    MonitorState state;
    state.volts = 230.0;
    state.watts = {1500, 350};
    state.powerFactor = {0.9, 0.8};
    state.realTimeOn = true;
    return state;
}

struct ServerRig : MonitorOnFakes {
    MonitorEmulator emulator{streamingMonitor(), {}, {}};
    RecordingStatusList report;
    QTemporaryDir folder;
    HistoryStore history{clock, report};
    SettingsValues settings;
    DashboardServer server{monitor, history, settings, clock};
    Browser browser;
    int httpPort;
    // What the server said.
    std::vector<std::string> lines;

    explicit ServerRig(int httpPort = freeTcpPort()) : httpPort(httpPort)
    {
        port.peer = [this](std::string_view bytes) { return emulator.receive(bytes); };
        QObject::connect(&server.statusList(), &ObservableStatusList::lineAdded,
                         [this](const std::string& line) { lines.push_back(line); });
        settings.HttpPort = httpPort;
        settings.ComPortNum = 4;
        history.open(folder.filePath("history.sqlite"));
        server.start();
    }

    void openPort()
    {
        monitor.openPort();
        events.runUntil([this] { return !monitor.busy(); }, 60'000);
    }

    void packets(int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            events.runFor(1000);
            port.feed(emulator.tick(1));
            port.notify();
        }
    }

    Answer get(const QString& path, const QByteArray& method = "GET", int waitMs = kWaitMs)
    {
        return browser.get(httpPort, path, method, waitMs);
    }
};

TEST(DashboardServer, everyAddressAnswersWithItsTypeAndItsContent)
{
    ServerRig rig;
    ASSERT_EQ(rig.server.port(), rig.httpPort);
    EXPECT_EQ(rig.get("/api/v1/readings").status, 503) << "no packet yet";
    EXPECT_EQ(rig.get("/api/v1/status").json()["no_data"].toString(), "No data: the COM port is closed.");
    rig.openPort();
    rig.packets(5);

    const struct {
        const char* path;
        int status;
        const char* type;
        const char* contains;
    } cases[] = {
        {"/", 200, "text/html", "<html"},
        {"/dashboard.js", 200, "text/javascript", "EventSource"},
        {"/dashboard.css", 200, "text/css", "prefers-color-scheme"},
        {"/api/v1/readings", 200, "application/json", R"("watts":1500)"},
        {"/api/v1/status", 200, "application/json", R"("port":{"number":4,"open":true})"},
        {"/api/v1/status", 200, "application/json", R"("packets_decoded":5,"packets_missed":0)"},
        {"/metrics", 200, "text/plain; version=0.0.4", "kvo7730_power_watts{channel=\"1\"} 1500\n"},
        {"/api/v1/history?resolution=packet&format=csv", 200, "text/csv", "time,volts,watts1,"},
        {"/api/v1/chart?range=1h&points=10", 200, "application/json", R"("range":"1h")"},
        {"/api/v1/history?format=xml", 400, "application/json", R"({"error":"\"format\" must be json or csv)"},
        {"/api/v1/status?verbose=1", 400, "application/json", "Unknown parameter"},
        {"/api/v1/nothing", 404, "application/json", "Nothing is at /api/v1/nothing"},
    };
    for (const auto& c : cases) {
        const Answer answer = rig.get(QString::fromLatin1(c.path));
        EXPECT_EQ(answer.status, c.status) << c.path;
        EXPECT_TRUE(answer.type.startsWith(c.type)) << c.path << ": " << answer.type.toStdString();
        EXPECT_TRUE(answer.body.contains(c.contains)) << c.path << ": " << answer.body.left(300).toStdString();
    }
    // Read-only: no other method reaches a handler.
    for (const QByteArray method : {"POST", "PUT", "DELETE"})
        EXPECT_EQ(rig.get("/api/v1/status", method).status, 405) << method.toStdString();
}

// Rows written straight into the history's file, in one transaction.
void insertRows(const char* insert, int count, const std::function<QVariantList(int)>& values)
{
    QSqlQuery query(QSqlDatabase::database(QSqlDatabase::connectionNames().first()));
    query.exec(QStringLiteral("BEGIN"));
    query.prepare(QString::fromLatin1(insert));
    for (int i = 0; i < count; ++i) {
        for (const QVariant& value : values(i))
            query.addBindValue(value);
        ASSERT_TRUE(query.exec());
    }
    query.exec(QStringLiteral("COMMIT"));
}

TEST(DashboardServer, historyRowsComeBackEveryOneInOrder_acrossManyPages)
{
    ServerRig rig;
    const EpochSeconds now = rig.history.now();
    const int minutes = 3 * HistoryResponse::kPageRows + 17;
    insertRows("INSERT INTO minutes(time, packets, watts1_avg) VALUES (?, 60, ?)", minutes,
               [&](int i) { return QVariantList{qint64(now - (minutes - i) * 60), double(i)}; });
    const Answer answer = rig.get(QStringLiteral("/api/v1/history?from=%1").arg(now - minutes * 60 - 1));
    ASSERT_EQ(answer.status, 200) << answer.body.left(200).toStdString();
    EXPECT_EQ(answer.json()["columns"].toArray().at(3).toString(), "watts1_avg");
    const QJsonArray rows = answer.json()["rows"].toArray();
    ASSERT_EQ(rows.size(), minutes);
    for (int i = 0; i < minutes; ++i)
        ASSERT_EQ(rows[i].toArray().at(3).toDouble(), i) << "row " << i;

    const Answer csv = rig.get(QStringLiteral("/api/v1/history?format=csv&from=%1").arg(now - minutes * 60 - 1));
    EXPECT_EQ(csv.body.count('\n'), minutes + 1) << "the header and every row";
}

TEST(DashboardServer, aRangeOfMoreRowsThanAnAnswerCarriesIsRefused_aRangeAtTheLimitIsSent)
{
    ServerRig rig;
    const EpochSeconds now = rig.history.now();
    // One packet alone in its second, then ten a second: one more than an answer carries.
    const int packets = static_cast<int>(HistoryResponse::kMaxRows) + 1;
    insertRows("INSERT INTO packets(time, watts1) VALUES (?, 1)", packets, [&](int i) {
        return QVariantList{qint64(i == 0 ? now - 20'002 : now - 20'001 + (i - 1) / 10)};
    });
    const Answer refused = rig.get(QStringLiteral("/api/v1/history?resolution=packet&from=%1").arg(now - 30'000));
    EXPECT_EQ(refused.status, 400);
    EXPECT_EQ(refused.json()["error"].toString(), "The range holds more than 200000 rows; ask for a shorter one.");

    // Without the lone packet's second the range holds exactly as many as an answer carries.
    const Answer sent = rig.get(
        QStringLiteral("/api/v1/history?resolution=packet&format=csv&from=%1").arg(now - 20'001), "GET", 30'000);
    ASSERT_EQ(sent.status, 200);
    EXPECT_EQ(sent.body.count('\n'), HistoryResponse::kMaxRows + 1) << "the header and every row";
}

TEST(DashboardServer, liveEventsFollowEachPacketWithoutAsking)
{
    ServerRig rig;
    rig.openPort();
    rig.packets(1);
    RawClient client;
    ASSERT_TRUE(client.connectTo(static_cast<quint16>(rig.httpPort)));
    client.socket.write("GET /api/v1/events HTTP/1.1\r\nHost: x\r\n\r\n");
    ASSERT_TRUE(client.receivedText("event: reading\ndata: {"));
    EXPECT_TRUE(client.received.startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(client.received.contains("Content-Type: text/event-stream"));
    EXPECT_TRUE(client.received.contains("\"port_open\":true,\"no_data\":\"\"}\n\nevent: reading"));
    const QByteArray counter = "\"seconds_counter\":" + QByteArray::number(rig.monitor.readings().SecondsCounter + 1);
    rig.packets(1);
    EXPECT_TRUE(client.receivedText(counter)) << client.received.toStdString();

    rig.monitor.closePort();
    EXPECT_TRUE(client.receivedText("\"port_open\":false,\"no_data\":\"No data: the COM port is closed.\""));
}

TEST(DashboardServer, aPortInUseIsSaidOnceWithTheSystemsReason_andTheRestGoesOn)
{
    ServerRig rig;
    ServerRig second(rig.httpPort);
    EXPECT_EQ(second.server.port(), 0);
    second.server.start();
    ASSERT_EQ(second.lines.size(), 1u) << "the same failure again is not said again";
    EXPECT_TRUE(second.lines[0].starts_with("The dashboard cannot listen on port " + std::to_string(rig.httpPort) + ": "))
        << second.lines[0];
    EXPECT_TRUE(second.lines[0].ends_with("; the rest of the program goes on without it.")) << second.lines[0];
    second.openPort();
    second.packets(2);
    EXPECT_EQ(second.monitor.packetsDecoded(), 2);
}

// The bounds, on a server of their own with short limits.
struct BoundedRig {
    QHttpServer http;
    BoundedTcpServer* listener = new BoundedTcpServer({.connections = 3, .requestBytes = 1024, .stallMs = 300}, nullptr);

    BoundedRig()
    {
        http.route("/", [] { return QStringLiteral("hello"); });
        listener->listen(QHostAddress::LocalHost, 0);
        http.bind(listener);
    }
    quint16 port() const { return listener->serverPort(); }
};

TEST(BoundedTcpServer, connectionsBeyondTheLimitAreToldSoAndClosed_andAFreedPlaceIsTakenAgain)
{
    BoundedRig rig;
    std::vector<std::unique_ptr<RawClient>> open;
    for (int i = 0; i < 3; ++i) {
        open.push_back(std::make_unique<RawClient>());
        ASSERT_TRUE(open.back()->connectTo(rig.port()));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.listener->connections() == 3; }, kWaitMs));
    RawClient extra;
    ASSERT_TRUE(extra.connectTo(rig.port()));
    EXPECT_TRUE(extra.dropped());
    EXPECT_TRUE(extra.received.startsWith("HTTP/1.1 503")) << extra.received.toStdString();

    open.front()->socket.abort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.listener->connections() == 2; }, kWaitMs));
    RawClient next;
    ASSERT_TRUE(next.connectTo(rig.port()));
    next.socket.write("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(next.receivedText("hello"));
}

TEST(BoundedTcpServer, aClientThatSendsTooMuchOrStallsIsDropped_whileOneThatAsksIsAnswered)
{
    BoundedRig rig;
    RawClient flood;
    ASSERT_TRUE(flood.connectTo(rig.port()));
    flood.socket.write("GET / HTTP/1.1\r\nX-Long: " + QByteArray(2000, 'a') + "\r\n");
    EXPECT_TRUE(flood.dropped(1000)) << "more than the request's bytes";

    RawClient stalled;
    ASSERT_TRUE(stalled.connectTo(rig.port()));
    stalled.socket.write("GET / HTTP/1.1\r\n");
    RawClient asking;
    ASSERT_TRUE(asking.connectTo(rig.port()));
    asking.socket.write("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(asking.receivedText("hello"));
    EXPECT_TRUE(stalled.dropped(2000)) << "silent past the stall time";
    EXPECT_TRUE(stalled.received.isEmpty());
}

} // namespace
